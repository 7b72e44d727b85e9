// Fixed sentences reach the user through this interface: the window shows a
// modal box, the batch program prints to stderr, tests record the texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kevo {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows one message and returns when the user has acknowledged it.
    virtual void Show(std::string_view text) = 0;
    // The same message followed by a detail that says what is missing and
    // how to mend it. The window shows the detail as the informative text of
    // the same box, the batch program on the next line; by default it
    // follows the message on a line of its own.
    virtual void ShowWithDetail(std::string_view text, std::string_view detail) {
        Show(std::string(text) + "\n" + std::string(detail));
    }
};

// Keeps every message, in order; for tests and for callers that decide later
// what to do with them. details[i] is the detail of texts[i] (empty when it
// has none).
class RecordingSink : public MessageSink {
  public:
    void Show(std::string_view text) override {
        texts.emplace_back(text);
        details.emplace_back();
    }
    void ShowWithDetail(std::string_view text, std::string_view detail) override {
        texts.emplace_back(text);
        details.emplace_back(detail);
    }
    std::vector<std::string> texts;
    std::vector<std::string> details;
};

} // namespace kevo

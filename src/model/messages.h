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
};

// Keeps every message, in order; for tests and for callers that decide later
// what to do with them.
class RecordingSink : public MessageSink {
  public:
    void Show(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

} // namespace kevo

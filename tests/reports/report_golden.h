// Golden-file comparison for the report tests. An expected file holds the
// report lines as UTF-8 text, one per line, "\n" line ends, no byte-order
// mark. On a mismatch the actual lines are written to golden-actual/ under
// the working directory (the build tree when run by ctest) and a short diff
// is printed. KEVO_UPDATE_GOLDEN=1 rewrites the expected file instead, for
// review with git diff.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reports/results.h"

namespace kevo::testing {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline std::string JoinLines(const ReportLines& lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\n";
    return text;
}

inline ReportLines SplitLines(const std::string& text) {
    ReportLines lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// name: file name under tests/data/reports.
inline void ExpectGolden(const ReportLines& actual, const std::string& name) {
    const std::string expected_path = std::string(KEVO_TEST_DATA_DIR) + "/reports/" + name;
    const char* update = std::getenv("KEVO_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(expected_path, std::ios::binary) << JoinLines(actual);
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(expected_path)) << "missing golden file " << expected_path;
    const ReportLines expected = SplitLines(ReadBytes(expected_path));
    if (expected == actual) return;

    std::filesystem::create_directories("golden-actual");
    const std::string actual_path = "golden-actual/" + name;
    std::ofstream(actual_path, std::ios::binary) << JoinLines(actual);
    std::string diff;
    int shown = 0;
    const std::size_t n = std::max(expected.size(), actual.size());
    for (std::size_t i = 0; i < n && shown < 8; ++i) {
        const std::string e = i < expected.size() ? expected[i] : "<none>";
        const std::string a = i < actual.size() ? actual[i] : "<none>";
        if (e == a) continue;
        ++shown;
        diff += "line " + std::to_string(i + 1) + ":\n  - [" + e + "]\n  + [" + a + "]\n";
    }
    ADD_FAILURE() << name << " differs (" << expected.size() << " expected lines, " << actual.size()
                  << " actual); actual written to "
                  << std::filesystem::absolute(actual_path).string() << "\n"
                  << diff;
}

} // namespace kevo::testing

// Rules the core sources must keep, checked on the files themselves.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The folders without any user interface: they must build without Qt and
// convert numbers only through the number module.
const char* const kCoreFolders[] = {"src/model", "src/calc", "src/poly", "src/reports", "cli"};

std::vector<fs::path> CoreFiles() {
    std::vector<fs::path> files;
    for (const char* folder : kCoreFolders) {
        fs::path dir = fs::path(KEVO_SOURCE_DIR) / folder;
        if (!fs::exists(dir)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            auto ext = entry.path().extension();
            if (ext == ".cpp" || ext == ".h") files.push_back(entry.path());
        }
    }
    return files;
}

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using LineTest = bool (*)(const std::string&);

bool HasWord(const std::string& line, const std::string& word) {
    auto ident = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    for (std::size_t p = line.find(word); p != std::string::npos; p = line.find(word, p + 1)) {
        bool before = p > 0 && ident(line[p - 1]);
        std::size_t q = p + word.size();
        bool after = q < line.size() && ident(line[q]);
        if (!before && !after) return true;
    }
    return false;
}

bool CallsAny(const std::string& line, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (!HasWord(line, n)) continue;
        std::size_t p = line.find(n) + std::string(n).size();
        while (p < line.size() && line[p] == ' ')
            ++p;
        if (p < line.size() && line[p] == '(') return true;
    }
    return false;
}

bool ContainsAny(const std::string& line, std::initializer_list<const char*> parts) {
    for (const char* s : parts)
        if (line.find(s) != std::string::npos) return true;
    return false;
}

// A printf-family call whose format has a floating conversion (%f, %.3g ...).
bool FloatPrintf(const std::string& line) {
    if (line.find("printf") == std::string::npos) return false;
    for (std::size_t p = line.find('%'); p != std::string::npos; p = line.find('%', p + 1)) {
        std::size_t q = p + 1;
        while (q < line.size() &&
               std::string("-+ #0123456789.*l").find(line[q]) != std::string::npos)
            ++q;
        if (q < line.size() && std::string("fFeEgGaA").find(line[q]) != std::string::npos)
            return true;
    }
    return false;
}

// Lines for which test holds, as "file:line: text".
std::vector<std::string> Offences(LineTest test, const fs::path& skip = {}) {
    std::vector<std::string> hits;
    for (const auto& file : CoreFiles()) {
        if (!skip.empty() && file.filename() == skip) continue;
        std::string text = Read(file);
        std::size_t start = 0;
        int line = 1;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string l = text.substr(start, end - start);
            std::size_t first = l.find_first_not_of(" \t");
            bool comment = first != std::string::npos && l.compare(first, 2, "//") == 0;
            if (!comment && test(l))
                hits.push_back(file.string() + ":" + std::to_string(line) + ": " + l);
            start = end + 1;
            ++line;
        }
    }
    return hits;
}

TEST(SourceRules, CoreFoldersExist) {
    EXPECT_TRUE(fs::exists(fs::path(KEVO_SOURCE_DIR) / "src/model/numbers.cpp"));
    EXPECT_GT(CoreFiles().size(), 5u);
}

TEST(SourceRules, NoLocaleDependentNumberConversion) {
    struct Rule {
        const char* what;
        LineTest test;
    } rules[] = {
        {"C library text-to-number",
         [](const std::string& l) {
             return CallsAny(l, {"strtod", "strtof", "strtold", "atof", "atoi", "atol", "stod",
                                 "stof", "stold", "sscanf", "fscanf", "scanf"});
         }},
        {"printf-style float formatting", FloatPrintf},
        {"number streaming",
         [](const std::string& l) {
             return ContainsAny(l, {"<sstream>", "<iostream>", "<iomanip>", "stringstream",
                                    "std::fixed", "std::setprecision", "std::scientific"});
         }},
        {"locale-dependent library formatting",
         [](const std::string& l) {
             return ContainsAny(l, {"std::format(", "std::locale("});
         }},
    };
    for (const auto& rule : rules) {
        SCOPED_TRACE(rule.what);
        auto hits = Offences(rule.test);
        EXPECT_TRUE(hits.empty()) << hits.front();
    }
    // to_string has overloads for floating values; the number module is the
    // one place that may call it (for integers).
    auto hits =
        Offences([](const std::string& l) { return CallsAny(l, {"to_string"}); }, "numbers.cpp");
    EXPECT_TRUE(hits.empty()) << hits.front();
}

TEST(SourceRules, CoreIncludesNoQtHeader) {
    auto hits = Offences([](const std::string& l) {
        std::size_t p = l.find("#include");
        if (p == std::string::npos) return false;
        std::size_t q = l.find_first_of("<\"", p);
        return q != std::string::npos && q + 2 < l.size() &&
               ((l[q + 1] == 'Q' && std::isalpha(static_cast<unsigned char>(l[q + 2]))) ||
                l.compare(q + 1, 2, "qt") == 0);
    });
    EXPECT_TRUE(hits.empty()) << hits.front();
}

} // namespace

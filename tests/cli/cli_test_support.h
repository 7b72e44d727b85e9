// Helpers of the batch-program tests: files, scratch folders, a console that
// keeps what a run prints.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "batch.h"

namespace kevo::testing {

inline std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An empty folder of that name under the system's temporary folder.
inline std::filesystem::path TempDir(const std::string& name) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("kevo-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// Keeps what a batch run prints.
class StringConsole : public BatchConsole {
  public:
    void Out(const std::string& text) override { out += text; }
    void Err(const std::string& text) override { err += text; }
    std::string out, err;
};

} // namespace kevo::testing

// Runs a fuzz target's entry function over its seed corpus, as a plain
// program built with the tests: every file of the folders given, in name
// order. A folder that is missing or holds no file fails the run, so the
// replay never passes on nothing. The entry function aborts on a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::size_t replayed = 0;
    for (int a = 1; a < argc; ++a) {
        std::error_code ec;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(argv[a], ec))
            if (entry.is_regular_file()) files.push_back(entry.path());
        if (ec || files.empty()) {
            std::fprintf(stderr, "no seed files in %s\n", argv[a]);
            return 1;
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
            std::printf("%s\n", file.string().c_str());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
            ++replayed;
        }
    }
    std::printf("%zu inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}

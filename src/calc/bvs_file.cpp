#include "calc/bvs_file.h"

#include <filesystem>

namespace kevo {

std::vector<std::string> BvsFileCandidates(const std::string& executable_dir) {
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    paths.push_back(BvsFileName);
    if (!executable_dir.empty()) paths.push_back((fs::path(executable_dir) / BvsFileName).string());
    paths.push_back((fs::path(KEVO_DATA_INSTALL_DIR) / BvsFileName).string());
    return paths;
}

std::string FindBvsFile(const std::string& executable_dir) {
    std::error_code ec;
    for (const auto& p : BvsFileCandidates(executable_dir))
        if (std::filesystem::is_regular_file(p, ec)) return p;
    return {};
}

} // namespace kevo

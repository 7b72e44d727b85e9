#include "calc/bvs_file.h"

#include <filesystem>

namespace kevo {

std::vector<std::string> DataFileCandidates(const std::string& name,
                                            const std::string& executable_dir) {
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    paths.push_back(name);
    if (!executable_dir.empty()) paths.push_back((fs::path(executable_dir) / name).string());
    paths.push_back((fs::path(KEVO_DATA_INSTALL_DIR) / name).string());
    return paths;
}

std::string FindDataFile(const std::string& name, const std::string& executable_dir) {
    std::error_code ec;
    for (const auto& p : DataFileCandidates(name, executable_dir))
        if (std::filesystem::is_regular_file(p, ec)) return p;
    return {};
}

std::vector<std::string> BvsFileCandidates(const std::string& executable_dir) {
    return DataFileCandidates(BvsFileName, executable_dir);
}

std::string FindBvsFile(const std::string& executable_dir) {
    return FindDataFile(BvsFileName, executable_dir);
}

} // namespace kevo

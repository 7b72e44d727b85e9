#include "calc/bvs_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kevo {

std::vector<std::string> DataFileCandidates(const std::string& name,
                                            const std::string& executable_dir) {
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    paths.push_back(name);
    if (executable_dir.empty()) return paths;
    const fs::path bin(executable_dir);
    paths.push_back((bin / name).string());
    paths.push_back((bin / KEVO_DATA_RELATIVE_DIR / name).lexically_normal().string());
    return paths;
}

std::string FindDataFile(const std::string& name, const std::string& executable_dir) {
    std::error_code ec;
    for (const auto& p : DataFileCandidates(name, executable_dir))
        if (std::filesystem::is_regular_file(p, ec)) return p;
    return {};
}

std::string PlacesTriedText(const std::string& name, const std::string& executable_dir) {
    const std::vector<std::string> paths = DataFileCandidates(name, executable_dir);
    std::string text = "Looked for ";
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::error_code ec;
        std::filesystem::path p = std::filesystem::absolute(paths[i], ec);
        if (ec) p = paths[i];
        if (i > 0) text += i + 1 == paths.size() ? " and " : ", ";
        text += p.lexically_normal().string();
    }
    return text + ".";
}

std::vector<std::string> BvsFileCandidates(const std::string& executable_dir) {
    return DataFileCandidates(BvsFileName, executable_dir);
}

std::string FindBvsFile(const std::string& executable_dir) {
    return FindDataFile(BvsFileName, executable_dir);
}

std::optional<std::string> ReadRegularFile(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return text;
}

} // namespace kevo

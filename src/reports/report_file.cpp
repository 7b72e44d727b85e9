#include "reports/report_file.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kevo {

namespace {

std::string Reason(int err) {
    if (err == 0) return "unknown error";
    return std::error_code(err, std::generic_category()).message();
}

} // namespace

std::string ReportFileText(const ReportLines& lines) {
    std::size_t size = 3;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    text += "\xEF\xBB\xBF";
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    namespace fs = std::filesystem;
    error.clear();
    const std::string temp = path + ".kevo-part";
    std::error_code ec;
    {
        errno = 0;
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f) {
            error = "Cannot write " + path + ": " + Reason(errno);
            return false;
        }
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        f.close();
        if (!f) {
            error = "Cannot write " + path + ": " + Reason(errno);
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, path, ec);
    if (ec) {
        error = "Cannot write " + path + ": " + ec.message();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

bool WriteReportFile(const std::string& path, const ReportLines& lines, std::string& error) {
    return WriteFileAtomically(path, ReportFileText(lines), error);
}

} // namespace kevo

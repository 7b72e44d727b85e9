// Writing report files: bytes on disk, replacement, and failures that leave
// an earlier file alone.
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "report_golden.h"
#include "reports/report_file.h"

namespace kevo {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;

class ReportFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kevo_report_file_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }
    fs::path dir;
};

TEST_F(ReportFile, Utf8WithBomAndCrLfLineEnds) {
    const std::string path = (dir / "x-CC-S.out").string();
    std::string error = "stale";
    ASSERT_TRUE(WriteReportFile(path, {"  a", " ", "  Δ 2.0 Å"}, error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF  a\r\n \r\n  \xCE\x94 2.0 \xC3\x85\r\n");
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(ReportFile, EmptyReportIsJustTheBom) {
    const std::string path = (dir / "empty.out").string();
    std::string error;
    ASSERT_TRUE(WriteReportFile(path, {}, error));
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF");
}

TEST_F(ReportFile, ReplacesAnExistingFile) {
    const std::string path = (dir / "r.out").string();
    std::ofstream(path, std::ios::binary) << "an older and much longer report text\n";
    std::string error;
    ASSERT_TRUE(WriteReportFile(path, {"new"}, error));
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBFnew\r\n");
}

TEST_F(ReportFile, MissingFolderIsReportedWithTheReason) {
    const std::string path = (dir / "no-such-folder" / "r.out").string();
    std::string error;
    EXPECT_FALSE(WriteReportFile(path, {"x"}, error));
    EXPECT_EQ(error.rfind("Cannot write " + path + ": ", 0), 0u) << error;
    EXPECT_GT(error.size(), ("Cannot write " + path + ": ").size());
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ReportFile, UnwritableFolderLeavesTheEarlierFileUntouched) {
    const std::string path = (dir / "r.out").string();
    std::ofstream(path, std::ios::binary) << "earlier report";
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    // A privileged user can write anyway; then the failure cannot be provoked this way.
    if (std::ofstream((dir / "probe").string())) {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove(dir / "probe");
        GTEST_SKIP() << "running with permission to write into read-only folders";
    }
    std::string error;
    EXPECT_FALSE(WriteReportFile(path, {"new text"}, error));
    EXPECT_EQ(error.rfind("Cannot write " + path + ": ", 0), 0u) << error;
    EXPECT_EQ(ReadBytes(path), "earlier report");
}

TEST_F(ReportFile, FailedSaveLeavesTheEarlierFileUntouched) {
    // Works for any user, root included: the temporary file cannot be created
    // because a folder is in its way.
    const std::string path = (dir / "r.out").string();
    std::ofstream(path, std::ios::binary) << "earlier report";
    fs::create_directories(path + ".kevo-part/blocker");
    std::string error;
    EXPECT_FALSE(WriteReportFile(path, {"new text"}, error));
    EXPECT_EQ(error.rfind("Cannot write " + path + ": ", 0), 0u) << error;
    EXPECT_EQ(ReadBytes(path), "earlier report");
}

TEST_F(ReportFile, TargetThatIsAFolderFailsAndStaysAFolder) {
    // Works for any user: renaming a file over a non-empty folder fails.
    const fs::path target = dir / "r.out";
    fs::create_directories(target / "inside");
    std::string error;
    EXPECT_FALSE(WriteReportFile(target.string(), {"x"}, error));
    EXPECT_EQ(error.rfind("Cannot write " + target.string() + ": ", 0), 0u) << error;
    EXPECT_TRUE(fs::is_directory(target / "inside"));
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1); // the temporary file was removed
}

} // namespace
} // namespace kevo

// The summary CSV: expected files (written with "," as separator) for both
// centrings, the ";" variant generated from them, and the bytes on disk.
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "report_fixtures.h"
#include "report_golden.h"
#include "reports/csv.h"
#include "reports/report_file.h"

namespace kevo {
namespace {

using testing::ExpectGolden;
using testing::ReadBytes;

ReportLines WithSeparator(ReportLines lines, char s) {
    for (auto& l : lines)
        std::replace(l.begin(), l.end(), ',', s);
    return lines;
}

void PrepareHetero(Model& m, int ca) {
    if (ca == 1) {
        m.MaxR = 3.5;
        m.IsHydrogen = true;
        m.MaxH = 1.2;
        m.NearestLimit = true;
    } else {
        m.ThresOption = 1;
        testing::SetBondRow(m, 1, "(Fe)", "(O)", "2.300");
        testing::SetBondRow(m, 3, "(La)", "(F)", "3.1");
        m.ExZeroW = true;
    }
}

struct CsvCase {
    const char* name;
    const char* structure; // "rocksalt" or "hetero"
    int ca;
    const char* golden;
};

class SummaryCsv : public ::testing::TestWithParam<CsvCase> {};

TEST_P(SummaryCsv, CommaWhenTheDecimalPointIsAPoint) {
    const CsvCase& c = GetParam();
    auto m = std::string(c.structure) == "rocksalt" ? testing::CalculatedRockSalt(c.ca == 1)
                                                    : testing::HandSetHetero();
    if (std::string(c.structure) == "hetero") PrepareHetero(*m, c.ca);
    ExpectGolden(SummaryCsvLines(*m, c.ca, CsvSeparator(".")), c.golden);
}

TEST_P(SummaryCsv, SemicolonOtherwiseNumbersKeepThePoint) {
    const CsvCase& c = GetParam();
    auto m = std::string(c.structure) == "rocksalt" ? testing::CalculatedRockSalt(c.ca == 1)
                                                    : testing::HandSetHetero();
    if (std::string(c.structure) == "hetero") PrepareHetero(*m, c.ca);
    const std::string path = std::string(KEVO_TEST_DATA_DIR) + "/reports/" + c.golden;
    ASSERT_TRUE(std::filesystem::exists(path)) << "missing golden file " << path;
    const ReportLines expected = WithSeparator(testing::SplitLines(ReadBytes(path)), ';');
    EXPECT_EQ(SummaryCsvLines(*m, c.ca, CsvSeparator(",")), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, SummaryCsv,
    ::testing::Values(CsvCase{"RockSaltCationCentred", "rocksalt", 1, "rocksalt-CC-S.csv"},
                      CsvCase{"RockSaltAnionCentred", "rocksalt", 2, "rocksalt-AC-S.csv"},
                      CsvCase{"HeteroCationCentred", "hetero", 1, "hetero-CC-S.csv"},
                      CsvCase{"HeteroAnionCentred", "hetero", 2, "hetero-AC-S.csv"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PreambleCase {
    const char* name;
    void (*setup)(Model&);
    ReportLines lines; // between the charge-error line and the empty row
};

class CsvPreamble : public ::testing::TestWithParam<PreambleCase> {};

TEST_P(CsvPreamble, ThresholdLines) {
    const PreambleCase& c = GetParam();
    auto m = testing::HandSetHetero();
    c.setup(*m);
    const ReportLines lines = SummaryCsvLines(*m, 2, ';');
    ASSERT_GE(lines.size(), 4u + c.lines.size());
    EXPECT_EQ(lines[2], "Relative charge error:;;;-1.250%");
    EXPECT_EQ(ReportLines(lines.begin() + 3,
                          lines.begin() + 3 + static_cast<std::ptrdiff_t>(c.lines.size())),
              c.lines);
    EXPECT_EQ(lines[3 + c.lines.size()], ";;;;;;;;;");
    EXPECT_EQ(lines[4 + c.lines.size()], "Anion;CN;Kevo;EDEV;qA;QA;qA/QA;MAPDL;BVS");
}

INSTANTIATE_TEST_SUITE_P(
    Csv, CsvPreamble,
    ::testing::Values(PreambleCase{"GlobalRadius",
                                   [](Model& m) { m.MaxR = 2.75; },
                                   {"Coordination radius threshold: ;;;2.7500"}},
                      PreambleCase{"PolyhedronThresholds",
                                   [](Model& m) { m.ThresOption = 2; },
                                   {"Coordination built on polyhedron specific thresholds:"}},
                      PreambleCase{
                          "UnknownOptionWithBothLimits",
                          [](Model& m) {
                              m.ThresOption = 7;
                              m.NearestLimit = true;
                              m.ExZeroW = true;
                          },
                          {"Coordination limited by the distance to the nearest central atom.",
                           "Zero-weight bonds excluded from coordination."}},
                      PreambleCase{"EmptyBondTypeTable",
                                   [](Model& m) { m.ThresOption = 1; },
                                   {"Coordination radius thresholds:"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvSeparator, FromTheLocaleDecimalSeparator) {
    EXPECT_EQ(CsvSeparator("."), ',');
    EXPECT_EQ(CsvSeparator(","), ';');
    EXPECT_EQ(CsvSeparator("\xD9\xAB"), ';'); // Arabic decimal separator
}

TEST(SaveCSV, WritesUtf8WithBomAndCrLf) {
    auto m = testing::HandSetHetero();
    PrepareHetero(*m, 1);
    const auto dir = std::filesystem::temp_directory_path() / "kevo_csv_test";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "hetero-CC-S.csv").string();
    std::string error;
    ASSERT_TRUE(SaveCSV(*m, 1, path, ",", error)) << error;
    EXPECT_EQ(error, "");
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes, ReportFileText(SummaryCsvLines(*m, 1, ';')));
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes.substr(3, 24), "Input file: hetero.cif;;");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    std::filesystem::remove_all(dir);
}

TEST(SaveCSV, LabelWithTheSeparatorIsWrittenAsIs) {
    auto m = testing::HandSetHetero();
    m->AC[1].Atomlabel = "Fe1,Mg1";
    const ReportLines lines = SummaryCsvLines(*m, 1, ',');
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Fe1,Mg1,6,5.988,0.002,2.000,1.951,1.025,2.500,2.733"),
              lines.end());
}

TEST(SaveCSV, NoAnionsStillWritesTheAnionFrame) {
    auto m = testing::HandSetHetero();
    m->AAlength = 0;
    const ReportLines lines = SummaryCsvLines(*m, 1, ',');
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[lines.size() - 5], "Anion,qA,QA,qA/QA,BVS");
    EXPECT_EQ(lines[lines.size() - 4], ",,,,,,,,,");
    EXPECT_EQ(lines[lines.size() - 3], ",MAPD:,17.50%,,n/a");
    EXPECT_EQ(lines[lines.size() - 1], ",Global instability Index:,,,n/a");
}

} // namespace
} // namespace kevo

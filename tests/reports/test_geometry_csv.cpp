// The CSV exports of the coordination geometry: expected files (written with
// "," as separator) for the geometry fixture, the ";" variant generated from
// them, the opposing-bond rows of every coordination from hand-set pair
// lines, and the empty tables of calculations that did not run.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "calc/pipeline.h"
#include "model/messages.h"
#include "poly/geometry.h"
#include "report_fixtures.h"
#include "report_golden.h"
#include "reports/csv.h"
#include "reports/report_file.h"

namespace kevo {
namespace {

using testing::ExpectGolden;
using testing::ReadBytes;
using testing::ReadFixture;

ReportLines WithSeparator(ReportLines lines, char s) {
    for (auto& l : lines)
        std::replace(l.begin(), l.end(), ',', s);
    return lines;
}

std::unique_ptr<Model> GeometryRun(bool cations) {
    auto m = ReadFixture("geometry.cif");
    m->CalcOppBonds = true;
    m->ShowCations = cations;
    RecordingSink msg;
    EXPECT_TRUE(Calculate(*m, msg, {KEVO_SOURCE_DIR "/data/bvsparm.cif"}));
    EXPECT_TRUE(Bonds1Click(*m, msg, cations ? 1 : 2));
    EXPECT_TRUE(msg.texts.empty());
    return m;
}

struct CsvCase {
    const char* name;
    bool cations;
    ReportLines (*lines)(const Model&, char);
    const char* golden;
};

class GeometryCsv : public ::testing::TestWithParam<CsvCase> {};

TEST_P(GeometryCsv, CommaWhenTheDecimalPointIsAPoint) {
    const CsvCase& c = GetParam();
    auto m = GeometryRun(c.cations);
    std::filesystem::create_directories("golden-actual/geometry");
    ExpectGolden(c.lines(*m, CsvSeparator(".")), std::string("geometry/") + c.golden);
}

TEST_P(GeometryCsv, SemicolonOtherwiseNumbersKeepThePoint) {
    const CsvCase& c = GetParam();
    auto m = GeometryRun(c.cations);
    const std::string path = std::string(KEVO_TEST_DATA_DIR) + "/reports/geometry/" + c.golden;
    ASSERT_TRUE(std::filesystem::exists(path)) << "missing golden file " << path;
    const ReportLines expected = WithSeparator(testing::SplitLines(ReadBytes(path)), ';');
    EXPECT_EQ(c.lines(*m, CsvSeparator(",")), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, GeometryCsv,
    ::testing::Values(CsvCase{"CationSynopsis", true,
                              [](const Model& m, char s) { return PolGeomCsvLines(m, 1, s); },
                              "geometry-CC-SP.csv"},
                      CsvCase{"AnionSynopsis", false,
                              [](const Model& m, char s) { return PolGeomCsvLines(m, 2, s); },
                              "geometry-AC-SP.csv"},
                      CsvCase{"OpposingBonds", true, OppBondsCsvLines, "geometry-CC-OB.csv"},
                      CsvCase{"Averages123_45", true, Averages123_45CsvLines,
                              "geometry-CC-123-45.csv"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Opposing bonds of every coordination ---------------------------------------------

// The pair line the analysis stores: shorter bond, longer bond, angle,
// kind, the two labels.
std::string Pair(const char* kind, const char* a, const char* b) {
    return std::string("1.950   2.050   175.25   ") + kind + a + "  " + b;
}

TEST(GeometryCsv, OpposingBondRowsOfEveryCoordination) {
    auto m = Model::Create();
    m->Title = "hand";
    m->CalcOppBonds = true;
    m->AClength = 5;
    m->AC.Ensure(m->AClength);
    const char* in = "in plane           ";
    const char* out = "out of plane       ";
    const char* out2 = "out of plane*      ";
    struct Atom {
        const char* label;
        int coor;
        const char* minip;
    } atoms[] = {{"M6", 6, "Ok"}, {"M7", 7, "Ok"}, {"Mx", 6, ""}, {"M8", 8, "Ok"}, {"M9", 9, "Ok"}};
    for (int i = 1; i <= 5; ++i) {
        TAtoms& a = m->AC[i];
        a.Atomlabel = atoms[i - 1].label;
        a.Coor = atoms[i - 1].coor;
        a.MinIP = atoms[i - 1].minip;
        for (int k = 1; k <= 3; ++k) {
            a.IP[1][k] = Pair(in, "O1", "O2");
            a.IP[2][k] = Pair(in, "O3", "O4");
            a.OOP[1][k] = Pair(out, "O5", "O6");
            a.OOP[2][k] = Pair(out2, "O7", "O8");
        }
    }
    m->AC[2].IP[2][1] = "n/a";
    m->AC[4].OOP[2][2] = "";

    const ReportLines lines = OppBondsCsvLines(*m, ',');
    const ReportLines head{"Input file: hand.cif,,,,,,,,,",
                           ",,,,,,,,,",
                           "Opposing bonds",
                           ",,,,,,,,,",
                           ",Central atom,RX,RY,Angle,,Opposing ligands",
                           ",,,,,,,,,"};
    ASSERT_GE(lines.size(), head.size());
    EXPECT_EQ(ReportLines(lines.begin(), lines.begin() + 6), head);
    auto rows = [](const std::string& label, int bases, bool seven) {
        ReportLines r;
        for (int k = 1; k <= bases; ++k) {
            r.push_back("," + label + ",1.950,2.050,175.25,IP,O1,O2");
            r.push_back("," + label + ",1.950,2.050,175.25,IP,O3,O4");
            r.push_back("," + label + ",1.950,2.050,175.25,OOP,O5,O6");
            if (seven) r.push_back("," + label + ",1.950,2.050,175.25,OOP*,O7,O8");
        }
        return r;
    };
    ReportLines expected = rows("M6", 1, false);
    ReportLines m7 = rows("M7", 1, true);
    m7[1] = ",M7,n/a,,,IP,,"; // "n/a" in the first value field, the others empty
    expected.insert(expected.end(), m7.begin(), m7.end());
    // Mx failed (MinIP empty): no rows.
    ReportLines m8 = rows("M8", 2, true);
    m8[7] = ",M8,,,,OOP*,,"; // an empty pair line keeps its row, with empty fields
    expected.insert(expected.end(), m8.begin(), m8.end());
    const ReportLines m9 = rows("M9", 3, true);
    expected.insert(expected.end(), m9.begin(), m9.end());
    EXPECT_EQ(ReportLines(lines.begin() + 6, lines.end()), expected);

    // Without the analysis the records hold nothing of this run: header only.
    m->CalcOppBonds = false;
    EXPECT_EQ(OppBondsCsvLines(*m, ','), head);
}

TEST(GeometryCsv, AveragesOnlyWhenCalculated) {
    auto m = GeometryRun(true);
    const ReportLines all = Averages123_45CsvLines(*m, ',');
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all.back(), ",Ti1,2.450,2.450");
    m->Calc32Averages = false;
    EXPECT_EQ(Averages123_45CsvLines(*m, ','), ReportLines(all.begin(), all.end() - 1));
}

TEST(GeometryCsv, ThresholdLinesOfTheSynopsis) {
    auto m = GeometryRun(true);
    struct Case {
        const char* name;
        void (*setup)(Model&);
        ReportLines lines; // between the two empty rows of the preamble
    } cases[] = {
        {"global with hydrogen",
         [](Model& x) {
             x.IsHydrogen = true;
             x.MaxH = 1.25;
         },
         {"Coordination radius threshold: ,,,4.0000",
          "Hydrogen coordination radius threshold:  1.250"}},
        {"bond-type limits",
         [](Model& x) {
             x.ThresOption = 1;
             testing::SetBondRow(x, 2, "(Ti)", "(O)", "2.5000");
         },
         {"Coordination radius thresholds:", "(Ti),(O),2.5000"}},
        {"polyhedron specific, nearest limit, zero weights",
         [](Model& x) {
             x.ThresOption = 2;
             x.NearestLimit = true;
             x.ExZeroW = true;
         },
         {"Coordination built on polyhedron specific thresholds",
          "Coordination limited by the distance to the nearest central atom.",
          "Zero-weight bonds excluded from coordination."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.setup(*m);
        const ReportLines lines = PolGeomCsvLines(*m, 1, ',');
        ASSERT_GT(lines.size(), 2 + c.lines.size());
        EXPECT_EQ(ReportLines(lines.begin() + 2, lines.begin() + 2 + c.lines.size()), c.lines);
        EXPECT_EQ(lines[2 + c.lines.size()], ",,,,,,,,,");
    }
}

TEST(GeometryCsv, FilesOnDisk) {
    auto m = GeometryRun(true);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / "kevo-geometry-csv-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string error;
    const std::string a = (dir / "a.csv").string(), b = (dir / "b.csv").string(),
                      c = (dir / "c.csv").string();
    ASSERT_TRUE(SavePolGeomCSV(*m, 1, a, ",", error)) << error;
    ASSERT_TRUE(SaveOppBondsCSV(*m, b, ".", error)) << error;
    ASSERT_TRUE(Save123_45AveragesCSV(*m, c, ".", error)) << error;
    EXPECT_EQ(ReadBytes(a), ReportFileText(PolGeomCsvLines(*m, 1, ';')));
    EXPECT_EQ(ReadBytes(b), ReportFileText(OppBondsCsvLines(*m, ',')));
    EXPECT_EQ(ReadBytes(c), ReportFileText(Averages123_45CsvLines(*m, ',')));
    EXPECT_EQ(ReadBytes(a).substr(0, 3), "\xEF\xBB\xBF");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace kevo

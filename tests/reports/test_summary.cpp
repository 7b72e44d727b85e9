// The summary reports against expected files written by hand, and the
// width rules of their label columns.
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "model/messages.h"
#include "report_fixtures.h"
#include "report_golden.h"
#include "reports/results.h"

namespace kevo {
namespace {

using testing::CalculatedRockSalt;
using testing::ExpectGolden;
using testing::HandSetHetero;

TEST(SummaryReport, RockSaltCationCentred) {
    auto m = CalculatedRockSalt(true);
    Results r;
    ShortCatList(*m, r);
    EXPECT_EQ(r.CurrentResults, 2);
    ExpectGolden(r.Output1, "rocksalt-CC-S.out");
}

TEST(SummaryReport, RockSaltAnionCentred) {
    auto m = CalculatedRockSalt(false);
    Results r;
    ShortAnList(*m, r);
    EXPECT_EQ(r.CurrentResults, 4);
    ExpectGolden(r.Output3, "rocksalt-AC-S.out");
}

TEST(SummaryReport, HeteroCationCentred) {
    auto m = HandSetHetero();
    m->ThresOption = 1;
    testing::SetBondRow(*m, 1, "(Fe)", "(O)", "2.300");
    testing::SetBondRow(*m, 3, "(La)", "(F)", "3.1");
    Results r;
    r.IterationMethod = IterationMethodText(*m);
    ShortCatList(*m, r);
    ExpectGolden(r.Output1, "hetero-CC-S.out");
}

TEST(SummaryReport, HeteroAnionCentred) {
    auto m = HandSetHetero();
    m->ThresOption = 2;
    m->NearestLimit = true;
    m->ExZeroW = true;
    m->VontarIT = true;
    Results r;
    r.IterationMethod = IterationMethodText(*m);
    ShortAnList(*m, r);
    ExpectGolden(r.Output3, "hetero-AC-S.out");
}

TEST(SummaryReport, LoadResultsBuildsTheSummaryWithTheIterationLine) {
    auto m = HandSetHetero();
    Results r;
    RecordingSink msg;
    const ReportLines& lines = LoadResults(*m, r, msg, 2, false);
    EXPECT_EQ(&lines, &r.Output1);
    EXPECT_EQ(r.CurrentResults, 2);
    EXPECT_EQ(r.IterationMethod, "  Iterations: 3 (Kevo21 method)");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  Iterations: 3 (Kevo21 method)"),
              lines.end());

    // No correction cycle: the line keeps its text but the header leaves it out.
    m->iterations = 0;
    LoadResults(*m, r, msg, 4, false);
    EXPECT_EQ(r.CurrentResults, 4);
    EXPECT_EQ(r.IterationMethod, "  Iterations: 3 (Kevo21 method)");
    EXPECT_EQ(std::find(r.Output3.begin(), r.Output3.end(), "  Iterations: 3 (Kevo21 method)"),
              r.Output3.end());
    EXPECT_THROW(LoadResults(*m, r, msg, 9, false), std::invalid_argument);
    EXPECT_THROW(LoadResults(*m, r, msg, 0, false), std::invalid_argument);
}

// --- Label widths --------------------------------------------------------------

struct WidthCase {
    const char* name;
    int label_length;
    int width;
};

// A model with one cation and one anion whose labels have the given lengths.
std::unique_ptr<Model> Labelled(int cation_length, int anion_length) {
    auto m = Model::Create();
    m->AClength = 1;
    m->AC.Ensure(m->AClength);
    m->AAlength = 1;
    m->AA.Ensure(m->AAlength);
    m->AC[1].Atomlabel = std::string(static_cast<std::size_t>(cation_length), 'X');
    m->AA[1].Atomlabel = std::string(static_cast<std::size_t>(anion_length), 'Y');
    m->AC[1].effcharge = 1;
    m->AA[1].effcharge = -1;
    return m;
}

std::string FindRow(const ReportLines& lines, const std::string& label) {
    for (const auto& l : lines)
        if (l.rfind("  " + label, 0) == 0) return l;
    ADD_FAILURE() << "no row for " << label;
    return {};
}

class MainLabelWidth : public ::testing::TestWithParam<WidthCase> {};

// Main tables of both twins: 8 below 6 characters, else longest + 2.
TEST_P(MainLabelWidth, CationAndAnionCentred) {
    const WidthCase& c = GetParam();
    auto m = Labelled(c.label_length, c.label_length);
    Results r;
    ShortCatList(*m, r);
    EXPECT_EQ(r.plabAC, c.width);
    // The CN field (" 0") follows the label column: one blank, then the digit.
    const std::string label(static_cast<std::size_t>(c.label_length), 'X');
    const std::string row = FindRow(r.Output1, label);
    EXPECT_EQ(row.substr(2 + static_cast<std::size_t>(c.width), 2), " 0");
    EXPECT_EQ(row.substr(2, static_cast<std::size_t>(c.width)),
              label + std::string(static_cast<std::size_t>(c.width - c.label_length), ' '));
    ShortAnList(*m, r);
    EXPECT_EQ(r.plabAA, c.width);
}

INSTANTIATE_TEST_SUITE_P(Summary, MainLabelWidth,
                         ::testing::Values(WidthCase{"Length4", 4, 8}, WidthCase{"Length5", 5, 8},
                                           WidthCase{"Length6", 6, 8}, WidthCase{"Length7", 7, 9},
                                           WidthCase{"Length12", 12, 14},
                                           WidthCase{"Length13", 13, 15}),
                         [](const auto& info) { return std::string(info.param.name); });

class SecondLabelWidth : public ::testing::TestWithParam<WidthCase> {};

// Second table of the cation-centred report (anions): 7 below 5, else + 2.
TEST_P(SecondLabelWidth, AnionsInTheCationCentredReport) {
    const WidthCase& c = GetParam();
    auto m = Labelled(3, c.label_length);
    Results r;
    ShortCatList(*m, r);
    EXPECT_EQ(r.plabAA, c.width);
    const std::string label(static_cast<std::size_t>(c.label_length), 'Y');
    const std::string row = FindRow(r.Output1, label);
    EXPECT_EQ(row.substr(2 + static_cast<std::size_t>(c.width), 6), "-1.000");
    EXPECT_EQ(r.pd.size(), static_cast<std::size_t>(c.width + 34));
}

INSTANTIATE_TEST_SUITE_P(Summary, SecondLabelWidth,
                         ::testing::Values(WidthCase{"Length4", 4, 7}, WidthCase{"Length5", 5, 7},
                                           WidthCase{"Length6", 6, 8}, WidthCase{"Length7", 7, 9},
                                           WidthCase{"Length12", 12, 14},
                                           WidthCase{"Length13", 13, 15}),
                         [](const auto& info) { return std::string(info.param.name); });

class SecondLabelWidthAnionCentred : public ::testing::TestWithParam<WidthCase> {};

// Second table of the anion-centred report (cations): 7 below 6, else + 2.
TEST_P(SecondLabelWidthAnionCentred, CationsInTheAnionCentredReport) {
    const WidthCase& c = GetParam();
    auto m = Labelled(c.label_length, 3);
    Results r;
    ShortAnList(*m, r);
    EXPECT_EQ(r.plabAC, c.width);
    const std::string label(static_cast<std::size_t>(c.label_length), 'X');
    const std::string row = FindRow(r.Output3, label);
    EXPECT_EQ(row.substr(2 + static_cast<std::size_t>(c.width), 5), "1.000");
    EXPECT_EQ(r.pd.size(), static_cast<std::size_t>(c.width + 36));
}

INSTANTIATE_TEST_SUITE_P(Summary, SecondLabelWidthAnionCentred,
                         ::testing::Values(WidthCase{"Length4", 4, 7}, WidthCase{"Length5", 5, 7},
                                           WidthCase{"Length6", 6, 8}, WidthCase{"Length7", 7, 9},
                                           WidthCase{"Length12", 12, 14},
                                           WidthCase{"Length13", 13, 15}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SummaryReport, NoAnionsStillPrintsTheSecondTableFrame) {
    auto m = Labelled(3, 3);
    m->AAlength = 0;
    Results r;
    ShortCatList(*m, r);
    const ReportLines& out = r.Output1;
    const std::string rule = "  " + std::string(41, '-');
    auto heading = std::find(out.begin(), out.end(), "  Anion    qA       QA      qA/QA     BVS");
    ASSERT_NE(heading, out.end());
    EXPECT_EQ(*(heading - 1), rule);
    EXPECT_EQ(*(heading + 1), " ");
    EXPECT_EQ(*(heading + 2), rule);
    EXPECT_EQ((heading + 3)->substr(0, 24), std::string(13, ' ') + "MAPD: 0.00%");
}

TEST(SummaryReport, TwoDigitAnionChargePushesTheRowRight) {
    auto m = Labelled(3, 3);
    m->AA[1].effcharge = -10;
    m->AA[1].QA = 10;
    Results r;
    ShortCatList(*m, r);
    EXPECT_EQ(FindRow(r.Output1, "YYY"), "  YYY    -10.000  -10.000    1.000      -  ");
}

} // namespace
} // namespace kevo

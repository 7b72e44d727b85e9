// The section list of each report code: every heading the list offers is
// printed by the report, in the same order, and the geometry list follows the
// optional calculations.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "calc/pipeline.h"
#include "model/messages.h"
#include "report_fixtures.h"
#include "reports/results.h"
#include "reports/sections.h"

namespace kevo {
namespace {

TEST(Sections, DetailedReportsPrintTheirHeadingsInListOrder) {
    for (const bool cations : {true, false}) {
        SCOPED_TRACE(cations ? "cation-centred" : "anion-centred");
        auto m = testing::ReadFixture("hetero.cif");
        m->ShowCations = cations;
        RecordingSink msg;
        ASSERT_TRUE(Calculate(*m, msg, {KEVO_SOURCE_DIR "/data/bvsparm.cif"}));
        Results r;
        const int code = cations ? 1 : 3;
        const ReportLines& lines = LoadResults(*m, r, msg, code, false);
        const std::vector<std::string_view> headings = SectionHeadings(*m, code);
        ASSERT_EQ(headings.size(), 6u);
        auto at = lines.begin();
        for (std::string_view h : headings) {
            SCOPED_TRACE(std::string(h));
            at = std::find(at, lines.end(), std::string(h));
            ASSERT_NE(at, lines.end());
        }
    }
}

TEST(Sections, SummaryReportsHaveNone) {
    auto m = Model::Create();
    for (int code : {2, 4, 6, 8})
        EXPECT_TRUE(SectionHeadings(*m, code).empty()) << code;
}

TEST(Sections, GeometryListsFollowTheOptionalCalculations) {
    auto m = Model::Create();
    using namespace heading;
    // Start-up settings: opposing bonds off, everything else on.
    EXPECT_EQ(SectionHeadings(*m, 5), (std::vector<std::string_view>{
                                          Coordinations, BondAngles, Averages123_45, DihedralAngles,
                                          InterligandDistances, NearestCentralAtoms, Synopsis}));
    EXPECT_EQ(SectionHeadings(*m, 7),
              (std::vector<std::string_view>{Coordinations, BondAngles, DihedralAngles,
                                             InterligandDistances, Synopsis}));
    m->CalcOppBonds = true;
    m->CalcBonDAngles = false;
    m->Calc32Averages = false;
    m->CalcDihAngles = false;
    m->CalcIntLigands = false;
    m->CalcDistCentAtom = false;
    EXPECT_EQ(SectionHeadings(*m, 5),
              (std::vector<std::string_view>{Coordinations, OpposingBonds, Synopsis}));
    EXPECT_EQ(SectionHeadings(*m, 7), (std::vector<std::string_view>{Coordinations, Synopsis}));
}

TEST(Sections, HeadingTexts) {
    // The two charge headings differ only in the case of q after the capital delta.
    EXPECT_EQ(heading::AnionChargesDq,
              "  DISTRIBUTION OF ANION CHARGES - \u0394qij AND CHARGES RECEIVED BY CATIONS - QX");
    EXPECT_EQ(heading::AnionChargesDQ,
              "  DISTRIBUTION OF ANION CHARGES - \u0394Qij AND CHARGES RECEIVED BY CATIONS - QX");
    EXPECT_EQ(heading::Synopsis, "  SYNOPSIS");
}

} // namespace
} // namespace kevo

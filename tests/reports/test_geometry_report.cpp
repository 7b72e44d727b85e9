// The polyhedron-geometry reports: expected files written by hand for a tiny
// structure with an octahedral (Ti1), a two-ligand (Cu1) and a tetrahedral
// (Si1) cation, both sides, detailed and summary, with every optional
// section and with none; the layout rules of the optional sections; no
// number that is not finite reaches a report.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calc/pipeline.h"
#include "model/messages.h"
#include "model/model.h"
#include "poly/geometry.h"
#include "report_fixtures.h"
#include "report_golden.h"
#include "reports/results.h"
#include "reports/sections.h"

namespace kevo {
namespace {

using testing::ExpectGolden;
using testing::ReadFixture;

void AllOptionalSections(Model& m, bool on) {
    m.CalcBonDAngles = m.CalcOppBonds = m.CalcDihAngles = on;
    m.CalcIntLigands = m.CalcDistCentAtom = m.Calc32Averages = on;
}

// The fixture calculated and its coordination geometry run for one side,
// with a fixed elapsed time.
std::unique_ptr<Model> GeometryRun(bool cations, bool optional = true,
                                   const std::string& fixture = "geometry.cif") {
    auto m = ReadFixture(fixture);
    AllOptionalSections(*m, optional);
    m->ShowCations = cations;
    RecordingSink msg;
    EXPECT_TRUE(Calculate(*m, msg, {KEVO_SOURCE_DIR "/data/bvsparm.cif"}));
    EXPECT_TRUE(Bonds1Click(*m, msg, cations ? 1 : 2));
    EXPECT_TRUE(msg.texts.empty()) << msg.texts.front();
    m->timeelapsed3 = 0.375;
    return m;
}

int Code(bool cations, bool detailed) {
    return (cations ? 5 : 7) + (detailed ? 0 : 1);
}

const ReportLines& Build(Model& m, Results& r, int code) {
    RecordingSink msg;
    const ReportLines& lines = LoadResults(m, r, msg, code, false);
    EXPECT_TRUE(msg.texts.empty());
    EXPECT_EQ(r.CurrentResults, code);
    return lines;
}

void ExpectGeometryGolden(const ReportLines& lines, const std::string& file) {
    std::filesystem::create_directories("golden-actual/geometry");
    ExpectGolden(lines, "geometry/" + file);
}

// --- Expected files -------------------------------------------------------------------

struct ReportCase {
    const char* name;
    bool cations;
    bool detailed;
    bool optional; // every optional section on, or none
    const char* golden;
    const char* fixture = "geometry.cif";
};

class GeometryReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(GeometryReport, MatchesTheExpectedFile) {
    const ReportCase& c = GetParam();
    auto m = GeometryRun(c.cations, c.optional, c.fixture);
    Results r;
    ExpectGeometryGolden(Build(*m, r, Code(c.cations, c.detailed)), c.golden);
}

INSTANTIATE_TEST_SUITE_P(
    Files, GeometryReport,
    ::testing::Values(
        ReportCase{"CationDetailed", true, true, true, "geometry-CC-D.pol"},
        ReportCase{"CationSummary", true, false, true, "geometry-CC-S.pol"},
        ReportCase{"AnionDetailed", false, true, true, "geometry-AC-D.pol"},
        ReportCase{"AnionSummary", false, false, true, "geometry-AC-S.pol"},
        ReportCase{"CationDetailedNoOptional", true, true, false, "geometry-off-CC-D.pol"},
        ReportCase{"AnionDetailedNoOptional", false, true, false, "geometry-off-AC-D.pol"},
        // Rock salt: anions with a fitted sphere (Cl1 in an octahedron of Na).
        ReportCase{"RockSaltAnionDetailed", false, true, true, "rocksalt-AC-D.pol",
                   "rocksalt.cif"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Structure of the detailed report ---------------------------------------------------

// The index of the first line equal to text, or -1.
int LineOf(const ReportLines& lines, std::string_view text) {
    const auto it = std::find(lines.begin(), lines.end(), text);
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

TEST(GeometryReport, WithoutOptionalSectionsOnlyTheFirstSectionAndTheSynopsis) {
    for (const bool cations : {true, false}) {
        SCOPED_TRACE(cations ? "cation-centred" : "anion-centred");
        auto all = GeometryRun(cations, true);
        auto none = GeometryRun(cations, false);
        Results r1, r2;
        const ReportLines full = Build(*all, r1, Code(cations, true));
        const ReportLines bare = Build(*none, r2, Code(cations, true));
        // The full report with sections 2 to 7 cut out.
        const int second = LineOf(full, heading::BondAngles);
        const int synopsis = LineOf(full, "  SYNOPSIS ");
        ASSERT_GT(second, 0);
        ASSERT_GT(synopsis, second);
        ReportLines cut(full.begin(), full.begin() + second);
        cut.insert(cut.end(), full.begin() + synopsis, full.end());
        EXPECT_EQ(bare, cut);
        // Section 1 ends with two blank lines, right before the synopsis.
        const int s = LineOf(bare, "  SYNOPSIS ");
        EXPECT_EQ(bare[static_cast<std::size_t>(s - 1)], "  ");
        EXPECT_EQ(bare[static_cast<std::size_t>(s - 2)], "  ");
        EXPECT_EQ(bare[static_cast<std::size_t>(s - 3)].find("  ---"), 0u);
    }
}

TEST(GeometryReport, EachOptionalSectionFollowsItsSetting) {
    struct Case {
        const char* name;
        bool Model::*setting;
        std::string_view heading;
        bool cationsOnly;
    } cases[] = {
        {"bond angles", &Model::CalcBonDAngles, heading::BondAngles, false},
        {"opposing bonds", &Model::CalcOppBonds, heading::OpposingBonds, true},
        {"123-45 averages", &Model::Calc32Averages, heading::Averages123_45, true},
        {"dihedral angles", &Model::CalcDihAngles, heading::DihedralAngles, false},
        {"interligand distances", &Model::CalcIntLigands, heading::InterligandDistances, false},
        {"nearest central atoms", &Model::CalcDistCentAtom, heading::NearestCentralAtoms, false},
    };
    for (const Case& c : cases) {
        for (const bool cations : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (cations ? ", cation-centred" : ", anion-centred"));
            auto m = GeometryRun(cations, false);
            (*m).*c.setting = true;
            Results r;
            const ReportLines lines = Build(*m, r, Code(cations, true));
            const bool expected = cations || !c.cationsOnly;
            EXPECT_EQ(LineOf(lines, c.heading) > 0, expected);
            // The section list of the window offers exactly the headings printed.
            for (std::string_view h : SectionHeadings(*m, Code(cations, true))) {
                if (h == heading::Synopsis) continue;
                EXPECT_GT(LineOf(lines, h), 0) << h;
            }
        }
    }
}

// --- Missing values ---------------------------------------------------------------------

TEST(GeometryReport, TheTwoLigandCationIsADumbBellWithoutASphere) {
    auto m = GeometryRun(true);
    const TAtoms& cu = m->AC[2];
    ASSERT_EQ(cu.Atomlabel, "Cu1");
    EXPECT_EQ(cu.Coor, 2);
    EXPECT_EQ(cu.IdealPolyhedron, "dumb-bell");
    Results r;
    const ReportLines summary = Build(*m, r, 6);
    const auto row = std::find_if(summary.begin(), summary.end(),
                                  [](const std::string& l) { return l.rfind("  Cu1", 0) == 0; });
    ASSERT_NE(row, summary.end());
    // Eight sphere values and the ideal volume and distortion are missing.
    std::size_t missing = 0;
    for (std::size_t at = row->find("  -  "); at != std::string::npos;
         at = row->find("  -  ", at + 5))
        ++missing;
    EXPECT_EQ(missing, 10u);
}

// An atom whose ligands lie on one line has no fitted sphere: its sphere
// values are missing like those of a two-ligand atom, and nothing that is not
// a number is printed, whatever the records hold.
TEST(GeometryReport, NoNumberThatIsNotFiniteIsPrinted) {
    auto m = GeometryRun(true);
    TAtoms& si = m->AC[3];
    ASSERT_EQ(si.Atomlabel, "Si1");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    si.PolVolume = nan;
    si.EDEV = inf;
    si.PartVolumes[1] = -inf;
    si.Average123_45[1] = nan;
    TAtoms& ti = m->AC[1];
    ti.SRadius = 0; // no sphere
    ti.LECC = nan;
    for (int code : {5, 6}) {
        Results r;
        for (const std::string& line : Build(*m, r, code)) {
            EXPECT_EQ(line.find("NAN"), std::string::npos) << line;
            EXPECT_EQ(line.find("INF"), std::string::npos) << line;
        }
    }
    Results r;
    const ReportLines lines = Build(*m, r, 5);
    EXPECT_GT(LineOf(lines, "  Radius of least-squares fitted sphere        -"), 0);
}

} // namespace
} // namespace kevo

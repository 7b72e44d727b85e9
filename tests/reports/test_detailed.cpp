// The detailed charge-distribution reports: expected files written by hand
// for the two tiny fixture structures, the width rules of every section at
// their thresholds, zero-weight bonds, and the missing received charge.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calc/pipeline.h"
#include "model/messages.h"
#include "model/model.h"
#include "report_fixtures.h"
#include "report_golden.h"
#include "reports/results.h"

namespace kevo {
namespace {

using testing::ExpectGolden;
using testing::ReadFixture;

// --- Helpers -----------------------------------------------------------------------

// A fixture calculated for one side, with fixed elapsed times.
std::unique_ptr<Model> Calculated(const std::string& name, bool cations, double maxR = 4.0) {
    auto m = ReadFixture(name);
    m->MaxR = maxR;
    m->ShowCations = cations;
    RecordingSink msg;
    EXPECT_TRUE(Calculate(*m, msg, {KEVO_SOURCE_DIR "/data/bvsparm.cif"}));
    EXPECT_TRUE(msg.texts.empty());
    m->timeelapsed1 = 0.125;
    m->timeelapsed2 = 0.0625;
    return m;
}

// The detailed report of one side, built as the results view builds it.
const ReportLines& Detailed(Model& m, Results& r, MessageSink& msg, bool cations, bool omit) {
    r.IterationMethod = IterationMethodText(m);
    if (cations) {
        DetCatList(m, r, msg, omit);
        return r.Output;
    }
    DetAnList(m, r, msg, omit);
    return r.Output2;
}

void ExpectDetailedGolden(const ReportLines& lines, const std::string& file) {
    std::filesystem::create_directories("golden-actual/detailed");
    ExpectGolden(lines, "detailed/" + file);
}

// --- Expected files -------------------------------------------------------------------

TEST(DetailedReport, RockSaltCationCentred) {
    auto m = Calculated("rocksalt.cif", true);
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, true, false);
    EXPECT_EQ(r.CurrentResults, 1);
    EXPECT_FALSE(r.Omit);
    EXPECT_TRUE(msg.texts.empty());
    ExpectDetailedGolden(lines, "rocksalt-CC-D.out");

    // The results view builds the same report for code 1.
    Results viewResults;
    EXPECT_EQ(LoadResults(*m, viewResults, msg, 1, false), lines);

    // Every bond has weight 1: leaving out zero-weight bonds changes nothing.
    Results r2;
    EXPECT_EQ(Detailed(*m, r2, msg, true, true), lines);
    EXPECT_TRUE(r2.Omit);
}

TEST(DetailedReport, RockSaltAnionCentred) {
    auto m = Calculated("rocksalt.cif", false);
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, false, false);
    EXPECT_EQ(r.CurrentResults, 3);
    EXPECT_TRUE(msg.texts.empty());
    ExpectDetailedGolden(lines, "rocksalt-AC-D.out");

    Results viewResults;
    EXPECT_EQ(LoadResults(*m, viewResults, msg, 3, false), lines);
    EXPECT_EQ(viewResults.CurrentResults, 3);

    Results r2;
    EXPECT_EQ(Detailed(*m, r2, msg, false, true), lines);
}

// With a 5 Å radius each ion also has eight ligands of the second shell at
// 4.884 Å, all of weight 0.0000: left out of sections 1 and 3, kept in the
// bond-valence sections.
TEST(DetailedReport, RockSaltZeroWeightBondsLeftOutCationCentred) {
    auto m = Calculated("rocksalt.cif", true, 5.0);
    Results r;
    RecordingSink msg;
    ExpectDetailedGolden(Detailed(*m, r, msg, true, true), "rocksalt-r5-omit-CC-D.out");
    EXPECT_TRUE(msg.texts.empty());
}

TEST(DetailedReport, RockSaltZeroWeightBondsLeftOutAnionCentred) {
    auto m = Calculated("rocksalt.cif", false, 5.0);
    Results r;
    RecordingSink msg;
    ExpectDetailedGolden(Detailed(*m, r, msg, false, true), "rocksalt-r5-omit-AC-D.out");
}

TEST(DetailedReport, RockSaltZeroWeightBondsShown) {
    for (const bool cations : {true, false}) {
        SCOPED_TRACE(cations ? "cation-centred" : "anion-centred");
        auto m = Calculated("rocksalt.cif", cations, 5.0);
        Results shown, omitted;
        RecordingSink msg;
        const ReportLines all = Detailed(*m, shown, msg, cations, false);
        const ReportLines some = Detailed(*m, omitted, msg, cations, true);
        // Eight rows more in section 1 and eight in section 3.
        EXPECT_EQ(all.size(), some.size() + 16);
    }
}

// The heteroligand structure, calculated, then with a few values changed by
// hand to reach the fixed texts: O2 without received charge (cation-centred)
// or La1 without received charge (anion-centred), La1 without bond-valence
// parameters, non-iterative weights.
std::unique_ptr<Model> Hetero(bool cations) {
    auto m = Calculated("hetero.cif", cations);
    m->NonIt = true;
    if (cations)
        m->AA[2].QA = 0; // O2
    else
        m->AC[2].QA = 0; // La1
    m->AC[2].HasBVS = false;
    return m;
}

TEST(DetailedReport, HeteroCationCentred) {
    auto m = Hetero(true);
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, true, false);
    ExpectDetailedGolden(lines, "hetero-CC-D.out");
    // O2 is the ligand of bonds 5, 6 of Fe1-Mg1 and 9 to 12 of La1.
    const std::vector<std::string> expected = {
        "No QA at AA[2] Fe1-Mg1 O2", "No QA at AA[2] Fe1-Mg1 O2", "No QA at AA[2] La1 O2",
        "No QA at AA[2] La1 O2",     "No QA at AA[2] La1 O2",     "No QA at AA[2] La1 O2"};
    EXPECT_EQ(msg.texts, expected);

    Results r2;
    RecordingSink msg2;
    EXPECT_EQ(Detailed(*m, r2, msg2, true, true), lines);
}

TEST(DetailedReport, HeteroAnionCentred) {
    auto m = Hetero(false);
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, false, false);
    ExpectDetailedGolden(lines, "hetero-AC-D.out");
    EXPECT_TRUE(msg.texts.empty()); // the anion-centred twin reports nothing

    Results r2;
    EXPECT_EQ(Detailed(*m, r2, msg, false, true), lines);
}

// --- A hand-made pair of atoms -------------------------------------------------------------

// One cation and one anion bonded once with the given texts; the numbers are
// plain and chosen so that every cell is known.
struct Pair {
    std::string cationLabel = "M1";
    std::string cationSymbol = "1.000.M";
    std::string anionLabel = "X1";
    std::string anionSymbol = "1.000.X";
};

void Bond(TAtoms& a, const TAtoms& partner, double charge) {
    a.Coor = 1;
    a.HSPCount = 1;
    a.HSPCoor[1] = 1;
    a.HSPFirstIndex[1] = 1;
    a.HSPWAverageDist[1] = 2.0;
    a.HSPKevo[1] = 1.0;
    a.Kevo = 1.0;
    a.BondingAtoms[1] = partner.Atomlabel;
    a.BondIndex[1][1] = 1;
    a.BondIndex[1][2] = 1;
    a.BondCharge[1] = charge;
    a.BondMult[1] = 1;
    a.Dist[1] = 2.0;
    a.BW[1] = 1.0;
    a.deltaQa[1] = 0.5;
    a.deltaqicat[1] = 0.5;
    a.deltaQx[1] = -0.5;
    a.deltaBVS[1] = 0.5;
    a.ExpDist[1] = 2.0;
    a.HasBVS = true;
    a.BVS = 0.5;
    a.Multiplicity = 1;
}

std::unique_ptr<Model> MakePair(const Pair& p) {
    auto m = Model::Create();
    m->Title = "pair";
    m->a = m->b = m->c = "5";
    m->alpha = m->beta = m->gamma = "90";
    m->spacegroup = "P 1";
    m->AClength = m->TotACLength = 1;
    m->AC.Ensure(m->AClength);
    m->AAlength = m->TotAALength = 1;
    m->AA.Ensure(m->AAlength);
    TAtoms& cat = m->AC[1];
    TAtoms& an = m->AA[1];
    cat.Atomlabel = p.cationLabel;
    cat.symbol = p.cationSymbol;
    cat.effcharge = 1;
    an.Atomlabel = p.anionLabel;
    an.symbol = p.anionSymbol;
    an.effcharge = -1;
    Bond(cat, an, -1);
    Bond(an, cat, 1);
    cat.QX = -1;
    cat.QA = -1;
    an.QA = 1;
    an.QX = 1;
    return m;
}

std::string Repeat(char c, int n) {
    return std::string(static_cast<std::size_t>(n), c);
}

// The index of the first line after the line `title` that starts with
// `prefix`; -1 when there is none.
int FindLine(const ReportLines& lines, std::string_view title, std::string_view prefix) {
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!inSection) {
            inSection = lines[i] == title;
            continue;
        }
        if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    }
    return -1;
}

// The distances between the starts of consecutive markers in `line`, the
// first measured from the two-blank indent.
std::vector<int> Widths(const std::string& line, const std::vector<std::string>& markers) {
    std::vector<int> widths;
    std::size_t previous = 2;
    std::size_t from = 2;
    for (std::size_t k = 0; k < markers.size(); ++k) {
        const std::size_t at = line.find(markers[k], from);
        if (at == std::string::npos) return {};
        if (k > 0) widths.push_back(static_cast<int>(at - previous));
        previous = at;
        from = at + markers[k].size();
    }
    return widths;
}

constexpr std::string_view S1 =
    "  POLYHEDRA, SUBPOLYHEDRA - HSPj, DISTANCES - Rij, BOND WEIGHTS - wij, Kevo";
constexpr std::string_view S2Cat =
    "  DISTRIBUTION OF CATION CHARGES - Δqij AND CHARGES RECEIVED BY ANIONS - QA";
constexpr std::string_view S3Cat =
    "  DISTRIBUTION OF ANION CHARGES - ΔQij AND CHARGES RECEIVED BY CATIONS - QX";
constexpr std::string_view S2An =
    "  DISTRIBUTION OF ANION CHARGES - Δqij AND CHARGES RECEIVED BY CATIONS - QX";
constexpr std::string_view S3An =
    "  DISTRIBUTION OF CATION CHARGES - ΔQij AND CHARGES RECEIVED BY ANIONS - QA";
constexpr std::string_view BVCat =
    "  DISTRIBUTION OF BOND VALENCES - sij AND THE BOND VALENCE SUMS - BVS AROUND CATIONS";
constexpr std::string_view BVAn =
    "  DISTRIBUTION OF BOND VALENCES - sij AND THE BOND VALENCE SUMS - BVS AROUND ANIONS";
constexpr std::string_view S6 = "  SYNOPSIS";

// One measured heading: which report, where, which markers, and the widths
// expected between them (column widths, and the fixed texts between columns).
struct WidthCase {
    std::string name;
    Pair pair;
    bool cations;
    std::string_view title;
    std::string prefix;
    std::vector<std::string> markers;
    std::vector<int> expected;
};

std::vector<WidthCase> WidthCases() {
    std::vector<WidthCase> cases;
    auto label = [](char first, int n) { return first + Repeat('a', n - 1); };
    auto symbol = [](int n) { return Repeat('s', n); };
    // Each triple varies one text around its threshold T: T - 1, T, T + 1.
    auto add = [&](const std::string& name, bool cations, std::string_view title,
                   const std::string& prefix, std::vector<std::string> markers,
                   const std::vector<Pair>& pairs, const std::vector<std::vector<int>>& expected) {
        for (std::size_t i = 0; i < pairs.size(); ++i)
            cases.push_back({name + "_" + std::to_string(i), pairs[i], cations, title, prefix,
                             markers, expected[i]});
    };
    auto cationLabels = [&](int t) {
        std::vector<Pair> v(3);
        for (int i = 0; i < 3; ++i)
            v[i].cationLabel = label('M', t - 1 + i);
        return v;
    };
    auto anionLabels = [&](int t) {
        std::vector<Pair> v(3);
        for (int i = 0; i < 3; ++i)
            v[i].anionLabel = label('X', t - 1 + i);
        return v;
    };
    auto cationSymbols = [&](int t) {
        std::vector<Pair> v(3);
        for (int i = 0; i < 3; ++i)
            v[i].cationSymbol = symbol(t - 1 + i);
        return v;
    };
    auto anionSymbols = [&](int t) {
        std::vector<Pair> v(3);
        for (int i = 0; i < 3; ++i)
            v[i].anionSymbol = symbol(t - 1 + i);
        return v;
    };

    // Cation-centred. Section 1: plabAC 12 -> 14, pspAC 15 -> 17, pbaAC 6 -> 8 else +3.
    const std::vector<std::string> s1c = {"Central atom", "Site population", "CN   qX", "Ligand",
                                          "  qA        Rij"};
    add("CC1_CationLabel", true, S1, "  Central", s1c, cationLabels(12),
        {{14, 17, 13, 8}, {14, 17, 13, 8}, {15, 17, 13, 8}});
    add("CC1_CationSymbol", true, S1, "  Central", s1c, cationSymbols(15),
        {{14, 17, 13, 8}, {14, 17, 13, 8}, {14, 18, 13, 8}});
    add("CC1_AnionLabel", true, S1, "  Central", s1c, anionLabels(6),
        {{14, 17, 13, 8}, {14, 17, 13, 9}, {14, 17, 13, 10}});
    // Section 2: plabAA 5 -> 7, plabAC 6 -> 8, pspAC 15 -> 17.
    const std::vector<std::string> s2c = {"Anion", "  qA     mA", "Cation", "Site population",
                                          " qX     mX"};
    add("CC2_AnionLabel", true, S2Cat, "  Anion", s2c, anionLabels(5),
        {{7, 13, 8, 17}, {7, 13, 8, 17}, {8, 13, 8, 17}});
    add("CC2_CationLabel", true, S2Cat, "  Anion", s2c, cationLabels(6),
        {{7, 13, 8, 17}, {7, 13, 8, 17}, {7, 13, 9, 17}});
    add("CC2_CationSymbol", true, S2Cat, "  Anion", s2c, cationSymbols(15),
        {{7, 13, 8, 17}, {7, 13, 8, 17}, {7, 13, 8, 18}});
    // Section 3: plabAC 6 -> 8, plabAA 5 -> 7, pspAA 15 -> 17.
    const std::vector<std::string> s3c = {"Cation", " qX     mX", "Anion", "Site population",
                                          "  qA    mA"};
    add("CC3_CationLabel", true, S3Cat, "  Cation", s3c, cationLabels(6),
        {{8, 12, 7, 17}, {8, 12, 7, 17}, {9, 12, 7, 17}});
    add("CC3_AnionLabel", true, S3Cat, "  Cation", s3c, anionLabels(5),
        {{8, 12, 7, 17}, {8, 12, 7, 17}, {8, 12, 8, 17}});
    add("CC3_AnionSymbol", true, S3Cat, "  Cation", s3c, anionSymbols(15),
        {{8, 12, 7, 17}, {8, 12, 7, 17}, {8, 12, 7, 18}});
    // Section 4, around cations: plabAC 12 -> 14, plabAA 6 -> 8.
    const std::vector<std::string> bvc = {"Central atom", "Site population", " qX     ", "Ligand",
                                          " Rij"};
    add("CC4_CationLabel", true, BVCat, "  Central", bvc, cationLabels(12),
        {{14, 17, 8, 8}, {14, 17, 8, 8}, {15, 17, 8, 8}});
    add("CC4_AnionLabel", true, BVCat, "  Central", bvc, anionLabels(6),
        {{14, 17, 8, 8}, {14, 17, 8, 8}, {14, 17, 8, 9}});
    // Section 5, around anions: plabAA 12 -> 14, plabAC 6 -> 8.
    const std::vector<std::string> bva = {"Central atom", "Site population", "  qA     ", "Ligand",
                                          " Rij"};
    add("CC5_AnionLabel", true, BVAn, "  Central", bva, anionLabels(12),
        {{14, 17, 9, 8}, {14, 17, 9, 8}, {15, 17, 9, 8}});
    add("CC5_CationLabel", true, BVAn, "  Central", bva, cationLabels(6),
        {{14, 17, 9, 8}, {14, 17, 9, 8}, {14, 17, 9, 9}});
    // Synopsis, cations: plabAC 6 -> 8, pspAC 15 -> 17, pbaAC 13 -> 15 (the
    // list is the one anion label).
    const std::vector<std::string> s6c = {"Cation", "Site population", "Bonding atoms",
                                          "CN    Kevo"};
    add("CC6_CationLabel", true, S6, "  Cation", s6c, cationLabels(6),
        {{8, 17, 15}, {8, 17, 15}, {9, 17, 15}});
    add("CC6_CationSymbol", true, S6, "  Cation", s6c, cationSymbols(15),
        {{8, 17, 15}, {8, 17, 15}, {8, 18, 15}});
    add("CC6_BondList", true, S6, "  Cation", s6c, anionLabels(13),
        {{8, 17, 15}, {8, 17, 15}, {8, 17, 16}});
    // Synopsis, anions: plabAA 5 -> 7, pspAA 15 -> 17, pbaAA 13 -> 15.
    const std::vector<std::string> s6a = {"Anion", "Site population", "Bonding atoms", " qA"};
    add("CC6b_AnionLabel", true, S6, "  Anion", s6a, anionLabels(5),
        {{7, 17, 15}, {7, 17, 15}, {8, 17, 15}});
    add("CC6b_AnionSymbol", true, S6, "  Anion", s6a, anionSymbols(15),
        {{7, 17, 15}, {7, 17, 15}, {7, 18, 15}});
    add("CC6b_BondList", true, S6, "  Anion", s6a, cationLabels(13),
        {{7, 17, 15}, {7, 17, 15}, {7, 17, 16}});

    // Anion-centred. Section 1: plabAA 12 -> 14, pspAA 15 -> 17, pbaAA 6 -> 8 else +3.
    const std::vector<std::string> s1a = {"Central atom", "Site population", "CN   qA", "Ligand",
                                          " qX         Rij"};
    add("AC1_AnionLabel", false, S1, "  Central", s1a, anionLabels(12),
        {{14, 17, 13, 8}, {14, 17, 13, 8}, {15, 17, 13, 8}});
    add("AC1_AnionSymbol", false, S1, "  Central", s1a, anionSymbols(15),
        {{14, 17, 13, 8}, {14, 17, 13, 8}, {14, 18, 13, 8}});
    add("AC1_CationLabel", false, S1, "  Central", s1a, cationLabels(6),
        {{14, 17, 13, 8}, {14, 17, 13, 9}, {14, 17, 13, 10}});
    // Section 2, per cation: plabAC 5 -> 7, plabAA 6 -> 8, pspAA 15 -> 17.
    const std::vector<std::string> s2a = {"Cation", " qX    mX", "Anion", "Site population",
                                          "  qA    mA"};
    add("AC2_CationLabel", false, S2An, "  Cation", s2a, cationLabels(5),
        {{7, 11, 8, 17}, {7, 11, 8, 17}, {8, 11, 8, 17}});
    add("AC2_AnionLabel", false, S2An, "  Cation", s2a, anionLabels(6),
        {{7, 11, 8, 17}, {7, 11, 8, 17}, {7, 11, 9, 17}});
    add("AC2_AnionSymbol", false, S2An, "  Cation", s2a, anionSymbols(15),
        {{7, 11, 8, 17}, {7, 11, 8, 17}, {7, 11, 8, 18}});
    // Section 3, per anion: plabAA 6 -> 8, plabAC 5 -> 7, pspAC 15 -> 17.
    const std::vector<std::string> s3a = {"Anion", "  qA    mA", "Cation", "Site population",
                                          " qX     mX"};
    add("AC3_AnionLabel", false, S3An, "  Anion", s3a, anionLabels(6),
        {{8, 12, 7, 17}, {8, 12, 7, 17}, {9, 12, 7, 17}});
    add("AC3_CationLabel", false, S3An, "  Anion", s3a, cationLabels(5),
        {{8, 12, 7, 17}, {8, 12, 7, 17}, {8, 12, 8, 17}});
    add("AC3_CationSymbol", false, S3An, "  Anion", s3a, cationSymbols(15),
        {{8, 12, 7, 17}, {8, 12, 7, 17}, {8, 12, 7, 18}});
    // Sections 4 (around anions) and 5 (around cations).
    add("AC4_AnionLabel", false, BVAn, "  Central", bva, anionLabels(12),
        {{14, 17, 9, 8}, {14, 17, 9, 8}, {15, 17, 9, 8}});
    add("AC4_CationLabel", false, BVAn, "  Central", bva, cationLabels(6),
        {{14, 17, 9, 8}, {14, 17, 9, 8}, {14, 17, 9, 9}});
    add("AC5_CationLabel", false, BVCat, "  Central", bvc, cationLabels(12),
        {{14, 17, 8, 8}, {14, 17, 8, 8}, {15, 17, 8, 8}});
    add("AC5_AnionLabel", false, BVCat, "  Central", bvc, anionLabels(6),
        {{14, 17, 8, 8}, {14, 17, 8, 8}, {14, 17, 8, 9}});
    // Synopsis, anions: plabAA 8 below 5 characters, else longest + 2 (so 5
    // characters give 7); pspAA 15 -> 17; pbaAA 13 -> 15.
    const std::vector<std::string> s6an = {"Anion", "Site population", "Bonding atoms",
                                           "CN    Kevo"};
    add("AC6_AnionLabel", false, S6, "  Anion", s6an, anionLabels(5),
        {{8, 17, 15}, {7, 17, 15}, {8, 17, 15}});
    add("AC6_AnionSymbol", false, S6, "  Anion", s6an, anionSymbols(15),
        {{8, 17, 15}, {8, 17, 15}, {8, 18, 15}});
    add("AC6_BondList", false, S6, "  Anion", s6an, cationLabels(13),
        {{8, 17, 15}, {8, 17, 15}, {8, 17, 16}});
    // Synopsis, cations: plabAC 6 -> 7, pspAC 15 -> 17, pbaAC 13 -> 15.
    const std::vector<std::string> s6cat = {"Cation", "Site population", "Bonding atoms", "  qX"};
    add("AC6b_CationLabel", false, S6, "  Cation", s6cat, cationLabels(6),
        {{7, 17, 15}, {8, 17, 15}, {9, 17, 15}});
    add("AC6b_CationSymbol", false, S6, "  Cation", s6cat, cationSymbols(15),
        {{7, 17, 15}, {7, 17, 15}, {7, 18, 15}});
    add("AC6b_BondList", false, S6, "  Cation", s6cat, anionLabels(13),
        {{7, 17, 15}, {7, 17, 15}, {7, 17, 16}});
    return cases;
}

class DetailedWidths : public ::testing::TestWithParam<WidthCase> {};

TEST_P(DetailedWidths, HeadingColumns) {
    const WidthCase& c = GetParam();
    auto m = MakePair(c.pair);
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, c.cations, false);
    const int at = FindLine(lines, c.title, c.prefix);
    ASSERT_GE(at, 0) << "no heading after " << c.title;
    const std::string& heading = lines[static_cast<std::size_t>(at)];
    EXPECT_EQ(Widths(heading, c.markers), c.expected) << heading;
    // The first row below the heading starts its columns where the heading
    // does: the label fills the first column.
    std::string row;
    for (std::size_t i = static_cast<std::size_t>(at) + 1; i < lines.size(); ++i)
        if (lines[i].size() > 2 && lines[i][2] != ' ') {
            row = lines[i];
            break;
        }
    ASSERT_FALSE(row.empty());
    const std::size_t second = heading.find(c.markers[1], 2 + c.markers[0].size());
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(row[second - 1], ' ') << "label runs into the next column:\n"
                                    << heading << "\n"
                                    << row;
    EXPECT_NE(row[second - static_cast<std::size_t>(c.expected[0])], ' ')
        << "the label does not start under the heading:\n"
        << heading << "\n"
        << row;
}

INSTANTIATE_TEST_SUITE_P(DetailedReportWidths, DetailedWidths, ::testing::ValuesIn(WidthCases()),
                         [](const ::testing::TestParamInfo<WidthCase>& info) {
                             return info.param.name;
                         });

// --- The missing received charge ----------------------------------------------------------

TEST(DetailedReport, NoQAMessageAndCell) {
    auto m = MakePair({});
    m->AA[1].QA = 0;
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, true, false);
    ASSERT_EQ(msg.texts.size(), 1U);
    EXPECT_EQ(msg.texts[0], "No QA at AA[1] M1 X1");
    // The row goes on with "n/a" right-aligned in the 9-character field.
    const int at = FindLine(lines, S3Cat, "  M1");
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines[static_cast<std::size_t>(at)], "  M1      1.000   1   X1     " +
                                                       PadRight("1.000.X", 17) +
                                                       "-1.000  1   0.5000" + "      n/a  -0.5000");
}

TEST(DetailedReport, NoReceivedChargeAnionCentredIsSilent) {
    auto m = MakePair({});
    m->AC[1].QA = 0;
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, false, false);
    EXPECT_TRUE(msg.texts.empty());
    const int at = FindLine(lines, S3An, "  X1");
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines[static_cast<std::size_t>(at)], "  X1      -1.000  1   M1     " +
                                                       PadRight("1.000.M", 17) +
                                                       "1.000   1   0.5000" + "      n/a  -0.5000");
}

// A message sink that fails the test when asked to show something.
class NoMessages : public MessageSink {
  public:
    void Show(std::string_view text) override { ADD_FAILURE() << "unexpected message: " << text; }
};

TEST(DetailedReport, BondToMissingRecordIsReportedNotRead) {
    auto m = MakePair({});
    m->AC[1].BondIndex[1][1] = 0; // no partner record found
    Results r;
    RecordingSink msg;
    Detailed(*m, r, msg, true, false);
    ASSERT_EQ(msg.texts.size(), 1U);
    EXPECT_EQ(msg.texts[0], "No QA at AA[0] M1 X1");
    NoMessages quiet;
    Detailed(*m, r, quiet, false, false);
}

// --- Rows and fixed texts -----------------------------------------------------------------

TEST(DetailedReport, FirstRowAlwaysPrintedWhenOmitting) {
    auto m = MakePair({});
    m->AC[1].BW[1] = 0;
    m->AA[1].BW[1] = 0;
    for (const bool cations : {true, false}) {
        SCOPED_TRACE(cations ? "cation-centred" : "anion-centred");
        Results shown, omitted;
        RecordingSink msg;
        const ReportLines all = Detailed(*m, shown, msg, cations, false);
        EXPECT_EQ(Detailed(*m, omitted, msg, cations, true), all);
    }
}

TEST(DetailedReport, SingleBondHasNoEDEV) {
    auto m = MakePair({});
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, true, false);
    const int at = FindLine(lines, S1, "  ---");
    ASSERT_GE(at, 0);
    // Rule, heading, tab line, one row, rule, the Kevo line, the EDEV line.
    // Both right-aligned to the row width 14 + 17 + 8 + 47.
    EXPECT_EQ(lines[static_cast<std::size_t>(at) + 5],
              Repeat(' ', 86 - 31) + "    wRav: 2.0000  KevoX: 1.0000");
    EXPECT_EQ(lines[static_cast<std::size_t>(at) + 6], Repeat(' ', 86 - 12) + "EDEV:    -  ");
}

TEST(DetailedReport, SectionTwoStartsAtFirstContributingLigand) {
    auto m = MakePair({});
    TAtoms& an = m->AA[1];
    // Three bonds: none, a negative share, a positive one.
    an.Coor = 3;
    an.HSPCoor[1] = 3;
    for (int j = 2; j <= 3; ++j) {
        an.BondingAtoms[j] = j == 2 ? "*M1" : "M1";
        an.BondIndex[j][1] = 1;
        an.BondCharge[j] = 1;
        an.BondMult[j] = 1;
        an.Dist[j] = 2;
        an.BW[j] = 1;
    }
    an.deltaQa[1] = 0.0001;
    an.deltaQa[2] = -0.25;
    an.deltaQa[3] = 0.25;
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, true, false);
    const int at = FindLine(lines, S2Cat, "  X1");
    ASSERT_GE(at, 0);
    // Cation-centred: the first positive share opens the block.
    EXPECT_EQ(lines[static_cast<std::size_t>(at)],
              "  X1     -1.000   1   M1      " + PadRight("1.000.M", 17) + "1.000   1   0.2500");
    EXPECT_EQ(lines[static_cast<std::size_t>(at) + 1], "  " + Repeat('-', 8 + 17 + 7 + 31));
}

// An atom of the other kind without ligands: its section-2 block is rule,
// heading, blank, rule and the closing line, with no rows.
TEST(DetailedReport, SectionTwoAtomWithoutLigandsHasNoRows) {
    struct Case {
        const char* name;
        bool cations;
        std::string_view title;
        std::string heading;
        std::string rule;
        std::string closing;
    };
    const std::vector<Case> cases = {
        {"cation-centred", true, S2Cat,
         "  Anion    qA     mA  Cation  Site population   qX     mX   Δqij",
         "  " + Repeat('-', 8 + 17 + 7 + 31),
         Repeat(' ', 8 + 7 + 17 + 33 - 15) + "QA(X1): -1.0000"},
        {"anion-centred", false, S2An,
         "  Cation  qX    mX  Anion   Site population    qA    mA   Δqij",
         "  " + Repeat('-', 8 + 17 + 7 + 30), Repeat(' ', 8 + 7 + 17 + 32 - 14) + "QX(M1): 1.0000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = MakePair({});
        (c.cations ? m->AA[1] : m->AC[1]).Coor = 0;
        Results r;
        RecordingSink msg;
        const ReportLines& lines = Detailed(*m, r, msg, c.cations, false);
        const int at = FindLine(lines, c.title, "  ---");
        ASSERT_GE(at, 0);
        ASSERT_LE(static_cast<std::size_t>(at) + 7, lines.size());
        const std::vector<std::string> block(lines.begin() + at, lines.begin() + at + 7);
        const std::vector<std::string> expected = {c.rule,    c.heading, " ", c.rule,
                                                   c.closing, " ",       " "};
        EXPECT_EQ(block, expected);
    }
}

TEST(DetailedReport, MissingBondValenceParameters) {
    auto m = MakePair({});
    m->AC[1].HasBVS = false;
    m->AC[1].RoSearch = "M 1   X -1";
    m->NoBVS = true;
    Results r;
    RecordingSink msg;
    const ReportLines& lines = Detailed(*m, r, msg, true, false);
    const int at = FindLine(lines, BVCat, "  M1");
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines[static_cast<std::size_t>(at)],
              "  " + PadRight("M1", 14) +
                  "Ro and b parameters for M 1   X -1 not found. BVS not calculated.");
    EXPECT_EQ(lines[static_cast<std::size_t>(at) + 1].substr(0, 4), "  --");
    EXPECT_EQ(lines[static_cast<std::size_t>(at) + 2], " ");
    EXPECT_EQ(lines[static_cast<std::size_t>(at) + 3], " ");
    EXPECT_EQ(lines[static_cast<std::size_t>(at) + 4], BVAn);
}

TEST(DetailedReport, NoBondValenceTable) {
    auto m = MakePair({});
    m->NoBVS = true;
    for (const bool cations : {true, false}) {
        SCOPED_TRACE(cations ? "cation-centred" : "anion-centred");
        Results r;
        RecordingSink msg;
        const ReportLines& lines = Detailed(*m, r, msg, cations, false);
        std::vector<std::string> mapd;
        for (const auto& l : lines)
            if (l.find("MAPD: ") != std::string::npos) mapd.push_back(l);
        ASSERT_EQ(mapd.size(), 2U);
        // The cation-centred twin pads "n/a" with a blank on each side.
        const std::string na = cations ? " n/a " : "n/a ";
        for (const auto& l : mapd)
            EXPECT_EQ(l.substr(l.size() - na.size() - 1), " " + na) << l;
        const std::string gii = "Global instability Index: n/a    ";
        EXPECT_EQ(lines[lines.size() - 4], Repeat(' ', 7 + 17 + 15 + 39 - 33) + gii);
    }
}

} // namespace
} // namespace kevo

// The report frame: padding, bonding-atoms strings, header variants,
// legend and closing line.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/model.h"
#include "report_fixtures.h"
#include "reports/results.h"

namespace kevo {
namespace {

// --- Padding -------------------------------------------------------------------

struct PadCase {
    const char* name;
    const char* text;
    int width;
    const char* left;
    const char* right;
};

class Padding : public ::testing::TestWithParam<PadCase> {};

TEST_P(Padding, CountsCharactersAndNeverCuts) {
    const PadCase& c = GetParam();
    EXPECT_EQ(PadLeft(c.text, c.width), c.left);
    EXPECT_EQ(PadRight(c.text, c.width), c.right);
}

INSTANTIATE_TEST_SUITE_P(Frame, Padding,
                         ::testing::Values(PadCase{"Shorter", "abc", 5, "  abc", "abc  "},
                                           PadCase{"Exact", "abcde", 5, "abcde", "abcde"},
                                           PadCase{"Longer", "abcdefg", 5, "abcdefg", "abcdefg"},
                                           PadCase{"Empty", "", 3, "   ", "   "},
                                           PadCase{"ZeroWidth", "ab", 0, "ab", "ab"},
                                           PadCase{"NegativeWidth", "ab", -4, "ab", "ab"},
                                           PadCase{"AngstromIsOne", "2.0 Å", 7, "  2.0 Å",
                                                   "2.0 Å  "},
                                           PadCase{"DeltaIsOne", "ΔR", 4, "  ΔR", "ΔR  "},
                                           PadCase{"NonAsciiFits", "ΔΔΔ", 3, "ΔΔΔ", "ΔΔΔ"},
                                           // U+1D400: two UTF-16 code units
                                           PadCase{"BeyondBmpIsTwo", "\xF0\x9D\x90\x80", 3,
                                                   " \xF0\x9D\x90\x80", "\xF0\x9D\x90\x80 "}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Bonding-atoms strings -------------------------------------------------------

struct MarkCase {
    const char* name;
    double fraction;
    const char* listed;
};

class BondingMarks : public ::testing::TestWithParam<MarkCase> {};

// One cation with the ligand under test between two plain ones.
TEST_P(BondingMarks, FollowTheLegend) {
    const MarkCase& c = GetParam();
    auto m = Model::Create();
    m->AClength = 1;
    m->AC.Ensure(m->AClength);
    TAtoms& at = m->AC[1];
    at.Atomlabel = "Fe1";
    at.Coor = 3;
    at.BondingAtoms[1] = "O1";
    at.BondingAtoms[2] = "*O2";
    at.BondingAtoms[3] = "O3";
    at.deltaQx[1] = -0.5;
    at.deltaQx[2] = c.fraction;
    at.deltaQx[3] = 0.5;
    Getmaxlengths(*m, 1);
    const std::string expected = std::string("O1,") + c.listed + ",O3";
    EXPECT_EQ(at.BondStringX, expected);
    EXPECT_EQ(m->maxlenbondAC, static_cast<int>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Frame, BondingMarks,
                         ::testing::Values(MarkCase{"Large", -0.4, "O2"},
                                           MarkCase{"ExactlyTenth", 0.1, "O2"},
                                           MarkCase{"ExactlyMinusTenth", -0.1, "O2"},
                                           MarkCase{"BelowTenth", 0.0999, "(O2)"},
                                           MarkCase{"ExactlyHundredth", 0.01, "(O2)"},
                                           MarkCase{"BelowHundredth", -0.0099, "[O2]"},
                                           MarkCase{"Zero", 0.0, "[O2]"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Getmaxlengths, CentralKindUsesDeltaQxOtherKindDeltaQa) {
    auto m = Model::Create();
    m->AClength = 1;
    m->AC.Ensure(m->AClength);
    m->AAlength = 2;
    m->AA.Ensure(m->AAlength);
    TAtoms& ca = m->AC[1];
    ca.Atomlabel = "Fe1-Mg1";
    ca.symbol = "0.500.Fe:0.500.Mg";
    ca.Coor = 2;
    ca.BondingAtoms[1] = "O1";
    ca.BondingAtoms[2] = "F1";
    ca.deltaQx[1] = -0.4; // central-kind fractions when cations are central
    ca.deltaQx[2] = -0.05;
    ca.deltaQa[1] = -0.005; // received-charge fractions when anions are central
    ca.deltaQa[2] = -0.3;
    TAtoms& o = m->AA[1];
    o.Atomlabel = "O1";
    o.symbol = "1.000.O";
    o.Coor = 1;
    o.BondingAtoms[1] = "*Fe1-Mg1";
    o.deltaQa[1] = 0.4;
    o.deltaQx[1] = 0.001;
    m->AA[2].Atomlabel = "F1"; // no bonds: an empty list
    m->AA[2].symbol = "1.000.F";

    Getmaxlengths(*m, 1);
    EXPECT_EQ(ca.BondStringX, "O1,(F1)");
    EXPECT_EQ(o.BondStringA, "Fe1-Mg1");
    EXPECT_EQ(m->AA[2].BondStringA, "");
    EXPECT_EQ(m->maxlenlabelAC, 7);
    EXPECT_EQ(m->maxlensymAC, 17);
    EXPECT_EQ(m->maxlenbondAC, 7);
    EXPECT_EQ(m->maxlenlabelAA, 2);
    EXPECT_EQ(m->maxlensymAA, 7);
    EXPECT_EQ(m->maxlenbondAA, 7);

    Getmaxlengths(*m, 2);
    // The report widths are not the bond-type table: that is still to be
    // derived.
    EXPECT_FALSE(m->GotMaxLengths);
    EXPECT_EQ(ca.BondStringA, "[O1],F1");
    EXPECT_EQ(o.BondStringX, "[Fe1-Mg1]");
    EXPECT_EQ(m->maxlenbondAC, 7);
    EXPECT_EQ(m->maxlenbondAA, 9);
}

// --- Header ------------------------------------------------------------------------

std::unique_ptr<Model> HeaderModel() {
    auto m = Model::Create();
    m->Title = "tiny";
    m->a = "5.4";
    m->b = "5.5";
    m->c = "7.25";
    m->alpha = "90";
    m->beta = "100.125";
    m->gamma = "90";
    m->spacegroup = "P 21/c";
    m->StructureFormula = "Mg2.000 O2.000 ";
    m->ChargeFormula = "Mg1.990 O2.010 ";
    m->BVSFormula = "Mg1.950 O1.950 ";
    m->StrPosCharge = 4;
    m->StrNegCharge = -4;
    m->EV = -0.5;
    return m;
}

// The lines after "  Space group: ...".
std::vector<std::string> AfterSpaceGroup(const Model& m, const Results& r) {
    ReportLines lines;
    Header(m, r, lines);
    auto it = std::find(lines.begin(), lines.end(), "  Space group: " + m.spacegroup);
    EXPECT_NE(it, lines.end());
    return {it + 1, lines.end()};
}

TEST(Header, BannerAndCell) {
    auto m = HeaderModel();
    Results r;
    ReportLines lines;
    Header(*m, r, lines);
    ASSERT_GE(lines.size(), 17u);
    EXPECT_EQ(lines[0], "  " + std::string(96, '-'));
    EXPECT_EQ(lines[1], " ");
    EXPECT_EQ(lines[2], std::string(43, ' ') + "K e v o 21");
    EXPECT_EQ(lines[3], "        Program for computing charge distributions and bond valence sums "
                        "in crystal structures");
    EXPECT_EQ(lines[3].size(), 94u);
    EXPECT_EQ(lines[5], std::string(40, ' ') + "Kevo21 developers");
    EXPECT_EQ(lines[6], std::string(30, ' ') + "Open-source crystal chemistry software");
    EXPECT_EQ(lines[8], "                                version 1 release 8, July 2022");
    EXPECT_EQ(lines[9], lines[0]);
    EXPECT_EQ(lines[11], "  Input file: tiny.cif");
    EXPECT_EQ(lines[13], "  a: 5.4000  b: 5.5000  c: 7.2500  alpha: 90.0000  beta: 100.1250  "
                         "gamma: 90.0000");
    EXPECT_EQ(lines[15], "  Space group: P 21/c");
}

struct HeaderCase {
    const char* name;
    void (*setup)(Model&, Results&);
    std::vector<std::string> after; // lines after the space-group line
};

const std::vector<std::string> kFormulas = {
    " ",
    "  Structure-derived formula: Mg2.000 O2.000 ",
    "  Overall charge balance:    4.000:-4.000    Relative charge error: 0.500%",
    " ",
    "  CD-derived formula:        Mg1.990 O2.010 ",
    "  BVS-derived formula:       Mg1.950 O1.950 ",
    " "};

std::vector<std::string> Formulas(std::vector<std::string> rest) {
    std::vector<std::string> v = kFormulas;
    v.insert(v.end(), rest.begin(), rest.end());
    return v;
}

class HeaderVariants : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderVariants, SettingsBlock) {
    const HeaderCase& c = GetParam();
    auto m = HeaderModel();
    Results r;
    c.setup(*m, r);
    EXPECT_EQ(AfterSpaceGroup(*m, r), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Frame, HeaderVariants,
    ::testing::Values(
        HeaderCase{"GlobalRadius", [](Model&, Results&) {},
                   Formulas({"  Global coordination radius threshold: 4.000 Å", "  "})},
        HeaderCase{"GlobalRadiusWithHydrogen",
                   [](Model& m, Results&) {
                       m.IsHydrogen = true;
                       m.MaxR = 3.25;
                       m.MaxH = 1.2;
                   },
                   Formulas({"  Global coordination radius threshold: 3.250 Å",
                             "  Hydrogen coordination radius threshold:  1.200 Å", "  "})},
        HeaderCase{"BondTypeTable",
                   [](Model& m, Results&) {
                       m.ThresOption = 1;
                       testing::SetBondRow(m, 2, "(Fe)", "(O)", "2.6");
                       testing::SetBondRow(m, 5, "(Mg)", "(OH)", "2.4500");
                       testing::SetBondRow(m, 7, "", "(Cl)", "9"); // no cation: not listed
                   },
                   // W = 3 + len("(Mg)(OH)") = 11
                   Formulas({"  Coordination radius thresholds:", "  Fe:O       -      2.6 Å",
                             "  Mg:OH      -   2.4500 Å", "  "})},
        HeaderCase{"EmptyBondTypeTable", [](Model& m, Results&) { m.ThresOption = 1; },
                   Formulas({"  Coordination radius thresholds:", "  "})},
        HeaderCase{
            "PolyhedronThresholds", [](Model& m, Results&) { m.ThresOption = 2; },
            Formulas({"  Coordination polyhedra built on polyhedron specific thresholds.", "  "})},
        HeaderCase{"UnknownThresholdOption", [](Model& m, Results&) { m.ThresOption = 3; },
                   Formulas({"  "})},
        HeaderCase{"NearestLimitAndZeroWeights",
                   [](Model& m, Results&) {
                       m.NearestLimit = true;
                       m.ExZeroW = true;
                   },
                   Formulas({"  Global coordination radius threshold: 4.000 Å",
                             "  Coordination limited by the distance to the nearest central atom.",
                             "  Zero-weight bonds excluded from coordination.", "  "})},
        HeaderCase{"NoBVS",
                   [](Model& m, Results&) { m.NoBVS = true; },
                   {" ", "  Structure-derived formula: Mg2.000 O2.000 ",
                    "  Overall charge balance:    4.000:-4.000    Relative charge error: 0.500%",
                    " ", "  CD-derived formula:        Mg1.990 O2.010 ",
                    "  BVS-derived formula:       n/a", " ",
                    "  Global coordination radius threshold: 4.000 Å", "  "}},
        HeaderCase{"Iterations",
                   [](Model& m, Results& r) {
                       m.iterations = 12;
                       r.IterationMethod = IterationMethodText(m);
                   },
                   Formulas({"  Iterations: 12 (Kevo21 method)", " ",
                             "  Global coordination radius threshold: 4.000 Å", "  "})},
        HeaderCase{"IterationsZeroKeepsOldTextOut",
                   [](Model& m, Results& r) {
                       m.iterations = 0;
                       r.IterationMethod = "  Iterations: 5 (Kevo21 method)";
                   },
                   Formulas({"  Global coordination radius threshold: 4.000 Å", "  "})},
        HeaderCase{"GeometryReport",
                   [](Model& m, Results&) {
                       m.ShowingPolGeom = true;
                       m.iterations = 2;
                   },
                   {"  Global coordination radius threshold: 4.000 Å", "  "}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Header, ChargeBalancePrintsMagnitudesAndTheNegativeSign) {
    auto m = HeaderModel();
    m->StrPosCharge = -6.0005; // never negative in practice; printed as magnitude
    m->StrNegCharge = -6.25;
    m->EV = 3.14159;
    Results r;
    const auto after = AfterSpaceGroup(*m, r);
    EXPECT_EQ(after[2],
              "  Overall charge balance:    6.001:-6.250    Relative charge error: 3.142%");
}

TEST(IterationMethodText, ByMethod) {
    auto m = Model::Create();
    EXPECT_EQ(IterationMethodText(*m), "");
    m->iterations = 4;
    EXPECT_EQ(IterationMethodText(*m), "  Iterations: 4 (Kevo21 method)");
    m->VontarIT = true;
    EXPECT_EQ(IterationMethodText(*m), "  Iterations: 4 (VONTAR2015 method)");
}

// --- Footer and legend ---------------------------------------------------------------

TEST(Footer, ElapsedTimeAndBlank) {
    ReportLines lines;
    Footer(lines, 2.0004);
    EXPECT_EQ(lines, (ReportLines{"  Elapsed time: 2.000 seconds", " "}));
}

TEST(SynopsisHeader, CationCentredSummary) {
    ReportLines lines;
    SynopsisHeader(lines, false, "-----", 1);
    EXPECT_EQ(
        lines,
        (ReportLines{
            "  -----", "  CN       - Coordination number",
            "  Kevo     - Effective coordination number", "  EDEV     - Deviation of Kevo from CNR",
            "  QX       - Charge received by cations", "  qX       - Oxidation number of cations",
            "  QA       - Charge received by anions", "  qA       - Oxidation number of anions",
            "  BVS      - Bond valence sum",
            "  MAPDL    - Mean absolute percentage deviation of QA for local ligands",
            "  MAPD     - Mean absolute percentage deviation of QX, QA and BVS", "  -----  "}));
}

TEST(SynopsisHeader, AnionCentredDetailed) {
    ReportLines lines;
    SynopsisHeader(lines, true, "---", 2);
    EXPECT_EQ(
        lines,
        (ReportLines{
            "  ---", "  Charge contributions: ()<0.1; []<0.01", "  CN       - Coordination number",
            "  Kevo     - Effective coordination number", "  EDEV     - Deviation of Kevo from CNR",
            "  QA       - Charge received by anions", "  qA       - Oxidation number of anions",
            "  QX       - Charge received by cations", "  qX       - Oxidation number of cations",
            "  BVS      - Bond valence sum",
            "  MAPDL    - Mean absolute percentage deviation of QX for local ligands",
            "  MAPD     - Mean absolute percentage deviation of QA, QX and BVS", "  ---  "}));
}

TEST(BondsSynopsisHeader, SummaryAndDetailed) {
    const ReportLines head = {"  ----", "  CN         - Coordination number",
                              "  AV         - Average distance",
                              "  AVsd       - Standard deviation of distances"};
    const ReportLines centroid = {
        "  Xo,Yo,Zo   - Coordinates of centroid",
        "  I,J,K      - Components of vector between central atom and centroid"};
    const ReportLines tail = {"  Δ          - Displacement of central atom from centroid",
                              "  SRad       - Radius of least-squares fitted circumsphere",
                              "  SVol       - Volume of least-squares fitted circumsphere",
                              "  SAVsd      - Standard deviation of distances to centroid",
                              "  LEcc,VEcc  - Linear and volume-based eccentricity",
                              "  LSph,VSph  - Linear and volume-based sphericity",
                              "  PVol       - Volume of coordination polyhedron",
                              "  IPVol      - Volume of ideal coordination polyhedron",
                              "  PDist      - Polyhedron volume distortion",
                              "  ΔR         - Distortion indexes - (Ba)ur, (Br)own",
                              "  EDEV       - Deviation of Kevo from CNR",
                              "  ----  "};
    ReportLines summary;
    BondsSynopsisHeader(summary, false, "----");
    ReportLines expected = head;
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(summary, expected);

    ReportLines detailed;
    BondsSynopsisHeader(detailed, true, "----");
    expected = head;
    expected.insert(expected.end(), centroid.begin(), centroid.end());
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(detailed, expected);
}

TEST(Results, ListsAndSuffixes) {
    Results r;
    EXPECT_EQ(&r.List(2), &r.Output1);
    EXPECT_EQ(&r.List(4), &r.Output3);
    EXPECT_EQ(ReportSuffix(2), "-CC-S.out");
    EXPECT_EQ(ReportSuffix(4), "-AC-S.out");
    EXPECT_EQ(ReportSuffix(7), "-AC-D.pol");
}

} // namespace
} // namespace kevo

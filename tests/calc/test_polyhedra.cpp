// Polyhedron assembly: sub-polyhedra and sorting, reverse-bond links,
// exclusion of zero-weight bonds, copies to images, heteroligand flags; and
// whole coordination runs (repeatability, 1000 records).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc/coordination.h"
#include "calc/polyhedra.h"
#include "calc/second_sphere.h"
#include "model/messages.h"
#include "model/model.h"
#include "model/text.h"

namespace {

using namespace kevo;

constexpr double kPi = 3.14159265358979323846;

// prefix followed by the number n ("O" 12 -> "O12").
std::string Named(const char* prefix, int n) {
    std::string s(prefix);
    s += std::to_string(n);
    return s;
}

void SetCubicCell(Model& m, double a) {
    m.va = m.vb = m.vc = a;
    m.valpha = m.vbeta = m.vgamma = 90;
    m.ralpha = m.rbeta = m.rgamma = kPi / 2;
}

TAtoms& AddSite(Model& m, const std::string& label, const std::string& element, double charge,
                double x, double y, double z) {
    const bool cation = charge > 0;
    int& n = cation ? m.AClength : m.AAlength;
    AtomArray& records = cation ? m.AC : m.AA;
    records.Ensure(++n);
    TAtoms& r = records[n];
    r.Atomlabel = label;
    r.AtomSymbol = "(" + element + ")";
    r.effcharge = charge;
    r.Multiplicity = 1;
    r.SymOp = "x,y,z";
    r.X = x;
    r.Y = y;
    r.Z = z;
    return r;
}

TAtoms& AddImage(Model& m, const TAtoms& parent, double x, double y, double z) {
    const bool cation = parent.effcharge > 0;
    int& n = cation ? m.GACLength : m.GAALength;
    const int base = cation ? m.AClength : m.AAlength;
    AtomArray& records = cation ? m.AC : m.AA;
    records.Ensure(base + ++n);
    TAtoms& r = records[base + n];
    r = parent;
    r.Atomlabel = "*" + parent.Atomlabel;
    r.Generated = true;
    r.X = x;
    r.Y = y;
    r.Z = z;
    return r;
}

// A bond written by hand: ligand label, symbol and distance; the partner
// index and translation text mark the slot it came from.
void AddBond(TAtoms& r, const std::string& label, const std::string& symbol, double distance) {
    const int d = ++r.Coor;
    r.BondingAtoms[d] = label;
    r.BondSymbol[d] = symbol;
    r.Dist[d] = distance;
    r.BondIndex[d][1] = 100 + d;
    r.BondSymTrans[d] = Named("slot", d);
    r.BW[d] = d;
}

// One cation with hand-written bonds, alone in the model.
std::unique_ptr<Model> OneCentre() {
    auto m = Model::Create();
    AddSite(*m, "M1", "M", 2, 0, 0, 0);
    m->TotACLength = 1;
    return m;
}

std::vector<std::string> Labels(const TAtoms& r) {
    std::vector<std::string> v;
    for (int k = 1; k <= r.Coor; ++k)
        v.push_back(r.BondingAtoms[k]);
    return v;
}

std::unique_ptr<Model> RockSalt(int cells = 1) {
    auto m = Model::Create();
    SetCubicCell(*m, 5.64 * cells);
    const double f = 1.0 / cells;
    const double na[4][3] = {{0, 0, 0}, {0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}};
    const double cl[4][3] = {{0.5, 0, 0}, {0, 0.5, 0}, {0, 0, 0.5}, {0.5, 0.5, 0.5}};
    for (const bool cation : {true, false})
        for (int i = 0; i < cells; ++i)
            for (int j = 0; j < cells; ++j)
                for (int k = 0; k < cells; ++k)
                    for (const auto& p : cation ? na : cl) {
                        const std::string n =
                            std::to_string(cation ? m->AClength + 1 : m->AAlength + 1);
                        AddSite(*m, (cation ? "Na" : "Cl") + n, cation ? "Na" : "Cl",
                                cation ? 1 : -1, (i + p[0]) * f, (j + p[1]) * f, (k + p[2]) * f);
                    }
    m->MaxR = 3.0;
    return m;
}

// Coordination search and assembly as the calculation runs them.
void Assemble(Model& m, MessageSink& msg) {
    InitializeRecords(m);
    GetDistances(m, msg);
    if (m.IsCoordination) GetGenDistances(m, msg);
    if (!m.IsCoordination) return;
    FixPolyhedra(m);
    FixBondIndexes(m);
}

// --- Sub-polyhedra and order ------------------------------------------------------------

TEST(PolyAssembly, GroupsByLigandSymbolThenDistance) {
    auto m = OneCentre();
    TAtoms& r = m->AC[1];
    AddBond(r, "O1", "(O)", 2.1);
    AddBond(r, "Cl1", "(Cl)", 2.5);
    AddBond(r, "O2", "(O)", 1.9);
    AddBond(r, "Cl2", "(Cl)", 2.3);
    AddBond(r, "F1", "(F)", 2.0);
    FixPolyhedra(*m);
    EXPECT_EQ(r.HSPCount, 3);
    EXPECT_EQ(r.HSPsymb[1], "(Cl)");
    EXPECT_EQ(r.HSPsymb[2], "(F)");
    EXPECT_EQ(r.HSPsymb[3], "(O)");
    EXPECT_EQ(r.HSPCoor[1], 2);
    EXPECT_EQ(r.HSPCoor[2], 1);
    EXPECT_EQ(r.HSPCoor[3], 2);
    EXPECT_EQ(r.HSPFirstIndex[1], 1);
    EXPECT_EQ(r.HSPFirstIndex[2], 3);
    EXPECT_EQ(r.HSPFirstIndex[3], 4);
    EXPECT_EQ(Labels(r), (std::vector<std::string>{"Cl2", "Cl1", "F1", "O2", "O1"}));
    const double dist[] = {2.3, 2.5, 2.0, 1.9, 2.1};
    const char* symbol[] = {"(Cl)", "(Cl)", "(F)", "(O)", "(O)"};
    const int source[] = {4, 2, 5, 3, 1};
    for (int d = 1; d <= 5; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(r.Dist[d], dist[d - 1]);
        EXPECT_EQ(r.BondSymbol[d], symbol[d - 1]);
        EXPECT_EQ(r.BondSymTrans[d], Named("slot", source[d - 1]));
        EXPECT_EQ(r.BondIndex[d][1], 100 + source[d - 1]); // no partner records: kept
        EXPECT_EQ(r.BondIndex[d][2], 0);
        EXPECT_EQ(r.BW[d], d); // weights do not travel with the slots here
    }
    const int grouped[] = {2, 4, 5, 1, 3};
    for (int d = 1; d <= 5; ++d)
        EXPECT_EQ(r.newindex[d], grouped[d - 1]);
    for (int k = 1; k <= MaxBonds; ++k)
        EXPECT_EQ(r.oldindex[k], k);
}

TEST(PolyAssembly, OrderByDistanceText) {
    struct Case {
        const char* name;
        std::vector<double> distances;
        std::vector<std::string> expected;
    } cases[] = {
        {"one ligand element", {2.2, 2.0, 2.1}, {"L2", "L3", "L1"}},
        {"equal distances: slot 10 before slot 9",
         {2, 2, 2, 2, 2, 2, 2, 2, 1.5, 1.5},
         {"L10", "L9", "L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8"}},
        {"distances of 10 A and more", {10.5, 9.5, 2.0, 11.0}, {"L3", "L2", "L1", "L4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = OneCentre();
        TAtoms& r = m->AC[1];
        for (double d : c.distances)
            AddBond(r, Named("L", r.Coor + 1), "(O)", d);
        FixPolyhedra(*m);
        EXPECT_EQ(r.HSPCount, 1);
        EXPECT_EQ(r.HSPFirstIndex[1], 1);
        EXPECT_EQ(r.HSPCoor[1], r.Coor);
        EXPECT_EQ(Labels(r), c.expected);
    }
}

TEST(PolyAssembly, DistancesReadBackFromTheirText) {
    auto m = OneCentre();
    TAtoms& r = m->AC[1];
    AddBond(r, "O1", "(O)", 2.0000000000000004); // 15 significant digits: "2"
    AddBond(r, "O2", "(O)", 2.123456789012345678);
    FixPolyhedra(*m);
    EXPECT_EQ(r.Dist[1], 2.0);
    EXPECT_EQ(r.Dist[2], 2.12345678901235);
}

TEST(PolyAssembly, EmptyPolyhedron) {
    auto m = OneCentre();
    FixPolyhedra(*m);
    EXPECT_EQ(m->AC[1].HSPCount, 0);
    EXPECT_EQ(m->AC[1].Coor, 0);
}

// --- Reverse-bond links ------------------------------------------------------------------

// Every link names the partner's asymmetric record and, when the partner has
// bonds back to this atom of the same length, the last of them.
void ExpectLinksConsistent(const AtomArray& centres, int nCentres, const AtomArray& partners,
                           int nPartnerSites) {
    for (int i = 1; i <= nCentres; ++i) {
        const TAtoms& r = centres[i];
        for (int j = 1; j <= r.Coor; ++j) {
            SCOPED_TRACE(r.Atomlabel + " slot " + std::to_string(j));
            const int k = r.BondIndex[j][1];
            const int m = r.BondIndex[j][2];
            ASSERT_GE(k, 1);
            ASSERT_LE(k, nPartnerSites);
            const TAtoms& p = partners[k];
            EXPECT_EQ(p.Atomlabel, Star(r.BondingAtoms[j]));
            int last = 0;
            for (int s = 1; s <= p.Coor; ++s)
                if (Equal(p.Dist[s], r.Dist[j]) && Star(p.BondingAtoms[s]) == Star(r.Atomlabel))
                    last = s;
            EXPECT_EQ(m, last);
        }
    }
}

TEST(PolyLinks, RockSaltBondsPointBack) {
    auto m = RockSalt();
    RecordingSink msg;
    Assemble(*m, msg);
    ASSERT_TRUE(m->IsCoordination);
    ExpectLinksConsistent(m->AC, 4, m->AA, 4);
    ExpectLinksConsistent(m->AA, 4, m->AC, 4);
    // Na1's first ligand is Cl1 at (-1/2,0,0); Cl1 has two bonds to Na1
    // (slots 1 and 2), the later one is the link.
    EXPECT_EQ(m->AC[1].BondIndex[1][1], 1);
    EXPECT_EQ(m->AC[1].BondIndex[1][2], 2);
    EXPECT_EQ(m->AC[1].HSPCount, 1);
    EXPECT_EQ(m->AC[1].HSPsymb[1], "(Cl)");
}

TEST(PolyLinks, MissingReverseBondLinksTheSiteWithSlotZero) {
    // H1 keeps its two nearest, O2 and O3, so O1's bond to H1 has no reverse bond. O4's
    // only ligand is the image *H1 (record 2); H1 itself has no bond to O4,
    // and the link names the site H1, not the image.
    auto m = Model::Create();
    SetCubicCell(*m, 10);
    const TAtoms& h1 = AddSite(*m, "H1", "H", 1, 0.5, 0.5, 0.5);
    AddSite(*m, "O1", "O", -2, 0.69, 0.5, 0.5);
    AddSite(*m, "O2", "O", -2, 0.5, 0.6, 0.5);
    AddSite(*m, "O3", "O", -2, 0.5, 0.5, 0.65);
    AddSite(*m, "O4", "O", -2, 0.25, 0.1, 0.1);
    AddImage(*m, h1, 0.1, 0.1, 0.1);
    m->MaxH = 2.0;
    RecordingSink msg;
    for (int run = 0; run < 2; ++run) { // no value of the first run survives
        SCOPED_TRACE(run);
        Assemble(*m, msg);
        ASSERT_TRUE(msg.texts.empty()) << msg.texts.front();
        EXPECT_EQ(m->AC[1].Coor, 2);
        EXPECT_EQ(m->AA[1].BondIndex[1][1], 1);
        EXPECT_EQ(m->AA[1].BondIndex[1][2], 0);
        EXPECT_EQ(m->AA[4].BondingAtoms[1], "*H1");
        EXPECT_EQ(m->AA[4].BondIndex[1][1], 1);
        EXPECT_EQ(m->AA[4].BondIndex[1][2], 0);
        // Bonds with a reverse bond are linked to it.
        EXPECT_EQ(m->AC[1].BondIndex[1][1], 2); // O2 at 1.0 A sorts first
        EXPECT_EQ(m->AC[1].BondIndex[1][2], 1);
        EXPECT_EQ(m->AA[3].BondIndex[1][1], 1);
        EXPECT_EQ(m->AA[3].BondIndex[1][2], 2); // O3 at 1.5 A is H1's second bond
        EXPECT_EQ(m->AC[2].BondIndex[1][1], 4); // the image's bond to O4
        EXPECT_EQ(m->AC[2].BondIndex[1][2], 1);
    }
}

// --- Exclusion of zero-weight bonds --------------------------------------------------------

TEST(PolyExclusion, DropsZeroWeightBondsAndRelinks) {
    auto m = OneCentre();
    TAtoms& r = m->AC[1];
    AddBond(r, "Cl1", "(Cl)", 2.3);
    AddBond(r, "Cl2", "(Cl)", 2.9);
    AddBond(r, "O1", "(O)", 1.9);
    AddBond(r, "O2", "(O)", 2.0);
    AddBond(r, "O3", "(O)", 2.8);
    FixPolyhedra(*m);
    const double weights[] = {1.0, 0.0005, 1.0, 0.5, 0.001};
    for (int d = 1; d <= 5; ++d)
        r.BW[d] = weights[d - 1];
    FixZeroWPolyhedra(*m);
    EXPECT_EQ(r.Coor, 3);
    EXPECT_EQ(r.HSPCount, 2);
    EXPECT_EQ(r.HSPCoor[1], 1);
    EXPECT_EQ(r.HSPCoor[2], 2);
    EXPECT_EQ(r.HSPFirstIndex[1], 1);
    EXPECT_EQ(r.HSPFirstIndex[2], 2);
    EXPECT_EQ(Labels(r), (std::vector<std::string>{"Cl1", "O1", "O2"}));
    EXPECT_EQ(r.Dist[3], 2.0);
    EXPECT_EQ(r.BW[2], 1.0);
    EXPECT_EQ(r.BW[3], 0.5);
    EXPECT_EQ(r.BondSymbol[2], "(O)");
}

TEST(PolyExclusion, RockSaltLinksAfterExclusion) {
    auto m = RockSalt();
    RecordingSink msg;
    Assemble(*m, msg);
    // Na1 loses its last bond; every link is rebuilt on the compacted slots.
    for (int i = 1; i <= 4; ++i) {
        m->AC[i].BW.fill(1.0);
        m->AA[i].BW.fill(1.0);
    }
    m->AC[1].BW[6] = 0;
    FixZeroWPolyhedra(*m);
    EXPECT_EQ(m->AC[1].Coor, 5);
    ExpectLinksConsistent(m->AC, 4, m->AA, 4);
    ExpectLinksConsistent(m->AA, 4, m->AC, 4);
}

// --- Images, flags, separators -------------------------------------------------------------

TEST(PolySiblings, ChargesCopiedToImages) {
    auto m = Model::Create();
    TAtoms& m1 = AddSite(*m, "M1", "M", 2, 0, 0, 0);
    TAtoms& m2 = AddSite(*m, "M2", "M", 3, 0, 0, 0);
    TAtoms& o1 = AddSite(*m, "O1", "O", -2, 0, 0, 0);
    AddImage(*m, m2, 0.5, 0, 0);
    AddImage(*m, m1, 0.5, 0.5, 0);
    AddImage(*m, o1, 0, 0.5, 0);
    m->TotACLength = 4;
    m->TotAALength = 2;
    m1.QA = 1.9;
    m1.QX = 2.1;
    m1.effcharge = 1.8;
    m2.QA = 3.1;
    o1.QA = -2.2;
    o1.effcharge = -1.5;
    LoadSiblings(*m);
    EXPECT_EQ(m->AC[3].QA, 3.1);
    EXPECT_EQ(m->AC[4].QA, 1.9);
    EXPECT_EQ(m->AC[4].QX, 2.1);
    EXPECT_EQ(m->AC[4].effcharge, 1.8);
    EXPECT_EQ(m->AA[2].QA, -2.2);
    EXPECT_EQ(m->AA[2].effcharge, -1.5);
}

TEST(PolyHetero, Flags) {
    struct Case {
        const char* name;
        int cationHsp, anionHsp;
        bool hc, ha, hh;
    } cases[] = {
        {"homoligand", 1, 1, false, false, false},
        {"cation with two ligand elements", 2, 1, true, false, false},
        {"anion with two ligand elements", 1, 2, false, true, false},
        {"both", 2, 2, true, true, true},
        {"no ligand counts as hetero", 0, 1, true, false, false},
    };
    auto m = Model::Create();
    AddSite(*m, "M1", "M", 2, 0, 0, 0);
    AddSite(*m, "M2", "M", 2, 0, 0, 0).HSPCount = 1;
    AddSite(*m, "O1", "O", -2, 0, 0, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m->AC[1].HSPCount = c.cationHsp;
        m->AA[1].HSPCount = c.anionHsp;
        m->HH = !c.hh;
        TestHetero(*m);
        EXPECT_EQ(m->HC, c.hc);
        EXPECT_EQ(m->HA, c.ha);
        EXPECT_EQ(m->HH, c.hh);
    }
}

TEST(PolyCountMixedAtoms, Separators) {
    struct Case {
        const char* s;
        const char* sep;
        int n;
    } cases[] = {
        {"0.500.Fe:0.500.Mg", ":", 1},
        {"0.300.Fe:0.300.Mg:0.400.Mn", ":", 2},
        {"1.000.O", ":", 0},
        {"", ":", 0},
        {"Fe  3 0.500,Mg  2 0.500", ",", 1},
        {"a::b", "::", 1},
        {"abc", "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountMixedAtoms(c.s, c.sep), c.n) << c.s << " / " << c.sep;
}

// --- Whole runs --------------------------------------------------------------------------

void ExpectSameBonds(const TAtoms& a, const TAtoms& b) {
    SCOPED_TRACE(a.Atomlabel);
    ASSERT_EQ(a.Coor, b.Coor);
    EXPECT_EQ(a.HSPCount, b.HSPCount);
    EXPECT_EQ(a.Nearest, b.Nearest);
    for (int k = 1; k <= a.Coor; ++k) {
        EXPECT_EQ(a.Dist[k], b.Dist[k]);
        EXPECT_EQ(a.BondingAtoms[k], b.BondingAtoms[k]);
        EXPECT_EQ(a.BondSymTrans[k], b.BondSymTrans[k]);
        EXPECT_EQ(a.BondCoorX[k], b.BondCoorX[k]);
        EXPECT_EQ(a.BondIndex[k], b.BondIndex[k]);
    }
    for (int k = 1; k <= a.HSPCount; ++k) {
        EXPECT_EQ(a.HSPsymb[k], b.HSPsymb[k]);
        EXPECT_EQ(a.HSPCoor[k], b.HSPCoor[k]);
    }
    ASSERT_EQ(a.SecSphereCoor, b.SecSphereCoor);
    for (int q = 1; q <= a.SecSphereCoor; ++q) {
        EXPECT_EQ(a.SecSphereDist[q], b.SecSphereDist[q]);
        EXPECT_EQ(a.SecSphereAtoms[q], b.SecSphereAtoms[q]);
    }
}

TEST(PolyRuns, TwoConsecutiveRunsAgree) {
    auto m = RockSalt();
    m->NearestLimit = true;
    RecordingSink msg;
    std::vector<TAtoms> first;
    for (int run = 0; run < 2; ++run) {
        Assemble(*m, msg);
        SecondSphere(*m, msg, 1);
        SecondSphere(*m, msg, 2);
        ASSERT_TRUE(msg.texts.empty());
        if (run == 0) {
            for (const AtomArray* records : {&m->AC, &m->AA})
                for (int i = 1; i <= 4; ++i)
                    first.push_back((*records)[i]);
            continue;
        }
        for (int i = 1; i <= 4; ++i) {
            ExpectSameBonds(m->AC[i], first[static_cast<std::size_t>(i - 1)]);
            ExpectSameBonds(m->AA[i], first[static_cast<std::size_t>(i + 3)]);
        }
    }
    EXPECT_EQ(m->AC[1].SecSphereCoor, 12); // 12 Na at 3.99 A
    EXPECT_NEAR(m->AC[1].Nearest, 2.82 * std::sqrt(2.0), 1e-12);
}

TEST(PolyRuns, ThousandRecords) {
    // 5 x 5 x 5 rock-salt cells in P 1: 500 Na and 500 Cl sites.
    auto m = RockSalt(5);
    ASSERT_EQ(m->AClength, 500);
    ASSERT_EQ(m->AAlength, 500);
    RecordingSink msg;
    Assemble(*m, msg);
    SecondSphere(*m, msg, 1);
    SecondSphere(*m, msg, 2);
    ASSERT_TRUE(msg.texts.empty());
    for (int i = 1; i <= 500; ++i)
        for (const TAtoms* r : {&m->AC[i], &m->AA[i]}) {
            ASSERT_EQ(r->Coor, 6) << r->Atomlabel;
            EXPECT_NEAR(r->Dist[6], 2.82, 1e-9);
            EXPECT_EQ(r->SecSphereCoor, 12);
            for (int k = 1; k <= 6; ++k)
                EXPECT_GT(r->BondIndex[k][2], 0);
        }
}

} // namespace

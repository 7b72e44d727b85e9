// Coordination sphere search, lattice images, bond-type table and second
// coordination sphere, on small structures built directly in the model.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "calc/coordination.h"
#include "calc/second_sphere.h"
#include "model/messages.h"
#include "model/model.h"

namespace {

using namespace kevo;

constexpr double kPi = 3.14159265358979323846;

// prefix followed by the number n ("O" 12 -> "O12").
std::string Named(const char* prefix, int n) {
    std::string s(prefix);
    s += std::to_string(n);
    return s;
}

void SetCell(Model& m, double a, double b, double c, double alpha = 90, double beta = 90,
             double gamma = 90) {
    m.va = a;
    m.vb = b;
    m.vc = c;
    m.valpha = alpha;
    m.vbeta = beta;
    m.vgamma = gamma;
    m.ralpha = alpha * kPi / 180;
    m.rbeta = beta * kPi / 180;
    m.rgamma = gamma * kPi / 180;
}

// An asymmetric site; cation when charge > 0. Sites must be added before
// images.
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
    r.RoString = element;
    r.occupancy = 1;
    r.Multiplicity = 1;
    r.SymOp = "x,y,z";
    r.SymTrans = "0,0,0";
    r.X = x;
    r.Y = y;
    r.Z = z;
    return r;
}

// A generated image of an asymmetric site, written by hand.
TAtoms& AddImage(Model& m, const TAtoms& parent, const std::string& op, double x, double y,
                 double z) {
    const bool cation = parent.effcharge > 0;
    int& n = cation ? m.GACLength : m.GAALength;
    const int base = cation ? m.AClength : m.AAlength;
    AtomArray& records = cation ? m.AC : m.AA;
    records.Ensure(base + ++n);
    TAtoms& r = records[base + n];
    r = parent;
    r.Atomlabel = "*" + parent.Atomlabel;
    r.Generated = true;
    r.SymOp = op;
    r.X = x;
    r.Y = y;
    r.Z = z;
    return r;
}

// Rock salt, a = 5.64 A, all eight atoms of the cell as sites (P 1).
std::unique_ptr<Model> RockSalt() {
    auto m = Model::Create();
    SetCell(*m, 5.64, 5.64, 5.64);
    AddSite(*m, "Na1", "Na", 1, 0, 0, 0);
    AddSite(*m, "Na2", "Na", 1, 0, 0.5, 0.5);
    AddSite(*m, "Na3", "Na", 1, 0.5, 0, 0.5);
    AddSite(*m, "Na4", "Na", 1, 0.5, 0.5, 0);
    AddSite(*m, "Cl1", "Cl", -1, 0.5, 0, 0);
    AddSite(*m, "Cl2", "Cl", -1, 0, 0.5, 0);
    AddSite(*m, "Cl3", "Cl", -1, 0, 0, 0.5);
    AddSite(*m, "Cl4", "Cl", -1, 0.5, 0.5, 0.5);
    m->MaxR = 3.0;
    return m;
}

void SetRow(Model& m, int r, const std::string& cation, const std::string& anion,
            const std::string& limit) {
    m.MaxBondLengths[r][1] = cation;
    m.MaxBondLengths[r][2] = anion;
    m.MaxBondLengths[r][3] = limit;
}

std::array<std::string, 3> Row(const Model& m, int r) {
    return {m.MaxBondLengths[r][1], m.MaxBondLengths[r][2], m.MaxBondLengths[r][3]};
}

using Texts = std::array<std::string, 3>;

std::vector<std::string> Ligands(const TAtoms& r) {
    std::vector<std::string> v;
    for (int k = 1; k <= r.Coor; ++k)
        v.push_back(r.BondingAtoms[k] + " " + r.BondSymTrans[k]);
    return v;
}

// --- Distance and acceptance ----------------------------------------------------------

TEST(CoordDistance, CellFormula) {
    struct Case {
        const char* name;
        std::array<double, 6> cell;
        std::array<double, 6> points;
        double expected;
    } cases[] = {
        {"cubic edge half", {4, 4, 4, 90, 90, 90}, {0, 0, 0, 0.5, 0, 0}, 2.0},
        {"cubic body diagonal", {2, 2, 2, 90, 90, 90}, {0, 0, 0, 1, 1, 1}, std::sqrt(12.0)},
        {"hexagonal a+b", {3, 3, 5, 90, 90, 120}, {0, 0, 0, 1, 1, 0}, 3.0},
        {"hexagonal a-b", {3, 3, 5, 90, 90, 120}, {1, 0, 0, 0, 1, 0}, 3.0 * std::sqrt(3.0)},
        {"monoclinic a+c", {3, 7, 4, 90, 120, 90}, {0, 0, 0, 1, 0, 1}, std::sqrt(13.0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = Model::Create();
        SetCell(*m, c.cell[0], c.cell[1], c.cell[2], c.cell[3], c.cell[4], c.cell[5]);
        const auto& p = c.points;
        EXPECT_NEAR(CalcDistance(*m, p[0], p[1], p[2], p[3], p[4], p[5]), c.expected, 1e-12);
        EXPECT_EQ(CalcDistance(*m, p[0], p[1], p[2], p[3], p[4], p[5]),
                  CalcDistance(*m, p[3], p[4], p[5], p[0], p[1], p[2]));
    }
}

TEST(CoordValid, AcceptanceRule) {
    struct Case {
        const char* name;
        int mode;
        bool nearestLimit;
        double distance, nearest, limit;
        bool accepted;
    } cases[] = {
        {"itself", 0, false, 0.000009, 0, 3, false},
        {"just above itself", 0, false, 0.00002, 0, 3, true},
        {"at the limit", 0, false, 3.0, 0, 3.0, true},
        {"beyond the limit", 0, false, 3.000001, 0, 3.0, false},
        {"nearest: at the nearest distance", 0, true, 2.5, 2.5, 3.0, true},
        {"nearest: beyond the nearest distance", 0, true, 2.500001, 2.5, 3.0, false},
        {"nearest: beyond the limit", 0, true, 2.9, 3.5, 2.8, false},
        {"nearest: 1.0 A", 0, true, 1.0, 2.5, 3.0, false},
        {"nearest: just above 1.0 A", 0, true, 1.000001, 2.5, 3.0, true},
        {"mode 1 as mode 0", 1, false, 2.0, 0, 2.0, true},
        {"radius: within the margin", 2, false, 2.500009, 2.5, 0.1, true},
        {"radius: beyond the margin", 2, false, 2.50002, 2.5, 9.0, false},
        {"radius: ignores the nearest rule", 2, true, 0.9, 2.5, 0.1, true},
        {"radius: itself", 2, false, 0.000009, 2.5, 9.0, false},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m->ThresOption = c.mode;
        m->NearestLimit = c.nearestLimit;
        EXPECT_EQ(Valid(*m, c.distance, c.nearest, c.limit), c.accepted);
    }
}

// --- Lattice images ---------------------------------------------------------------------

using Image = std::tuple<int, int, int>;

// The images of q within radius of p, in ascending t1, t2, t3 order, over the
// translations -n..n.
std::vector<Image> BruteForce(const CellMetric& cell, const std::array<double, 3>& p,
                              const std::array<double, 3>& q, double radius, int n) {
    std::vector<Image> found;
    for (int t1 = -n; t1 <= n; ++t1)
        for (int t2 = -n; t2 <= n; ++t2)
            for (int t3 = -n; t3 <= n; ++t3)
                if (cell.Distance(p[0], p[1], p[2], q[0] + t1, q[1] + t2, q[2] + t3) <= radius)
                    found.emplace_back(t1, t2, t3);
    return found;
}

std::vector<Image> Visited(const CellMetric& cell, const std::array<double, 3>& p,
                           const std::array<double, 3>& q, double radius) {
    std::vector<Image> found;
    cell.ForEachImage(p[0] - q[0], p[1] - q[1], p[2] - q[2], radius, [&](int a, int b, int c) {
        if (cell.Distance(p[0], p[1], p[2], q[0] + a, q[1] + b, q[2] + c) <= radius)
            found.emplace_back(a, b, c);
        return true;
    });
    return found;
}

TEST(CoordImages, EveryImageWithinTheRadiusInTranslationOrder) {
    struct Case {
        const char* name;
        std::array<double, 6> cell;
        double radius;
        int bruteReach; // translations -n..n that surely cover the radius
    } cases[] = {
        {"large triclinic cell, 27 translations suffice", {20, 21, 22, 80, 95, 105}, 4.0, 1},
        {"small triclinic cell", {3, 3.5, 4, 80, 95, 105}, 8.0, 6},
        {"short c axis", {10, 10, 2.0, 90, 90, 90}, 5.0, 4},
        {"oblique monoclinic cell",
         {10, 10, std::sqrt(19.5 * 19.5 + 4), 90, 180 - std::atan2(2, 19.5) * 180 / kPi, 90},
         12.0,
         16},
    };
    const std::array<std::array<double, 3>, 4> points = {
        {{0, 0, 0}, {0.9, 0.05, 0.5}, {0.13, 0.77, 0.99}, {0.5, 0.5, 0.5}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = Model::Create();
        SetCell(*m, c.cell[0], c.cell[1], c.cell[2], c.cell[3], c.cell[4], c.cell[5]);
        const CellMetric cell(*m);
        ASSERT_TRUE(cell.Bounded());
        for (const auto& p : points)
            for (const auto& q : points) {
                const auto expected = BruteForce(cell, p, q, c.radius, c.bruteReach);
                EXPECT_EQ(Visited(cell, p, q, c.radius), expected);
                EXPECT_EQ(BruteForce(cell, p, q, c.radius, c.bruteReach + 2), expected);
            }
    }
}

TEST(CoordImages, ImproperCellTriesTheTwentySevenTranslations) {
    auto m = Model::Create(); // no cell at all
    const CellMetric cell(*m);
    EXPECT_FALSE(cell.Bounded());
    int visits = 0;
    cell.ForEachImage(0.1, 0.2, 0.3, 4.0, [&](int, int, int) { return ++visits > 0; });
    EXPECT_EQ(visits, 27);
}

// --- Search ---------------------------------------------------------------------------

TEST(CoordSearch, RockSaltOctahedraInDiscoveryOrder) {
    auto m = RockSalt();
    RecordingSink msg;
    GetDistances(*m, msg);
    GetGenDistances(*m, msg);
    ASSERT_TRUE(msg.texts.empty());
    EXPECT_TRUE(m->IsCoordination);
    EXPECT_EQ(m->TotACLength, 4);
    EXPECT_EQ(m->TotAALength, 4);
    for (int i = 1; i <= 4; ++i) {
        for (const TAtoms* r : {&m->AC[i], &m->AA[i]}) {
            SCOPED_TRACE(r->Atomlabel);
            ASSERT_EQ(r->Coor, 6);
            for (int k = 1; k <= 6; ++k)
                EXPECT_NEAR(r->Dist[k], 2.82, 1e-12);
        }
    }
    const TAtoms& na1 = m->AC[1];
    EXPECT_EQ(Ligands(na1),
              (std::vector<std::string>{"Cl1 (-1,0,0)", "Cl1 (0,0,0)", "Cl2 (0,-1,0)",
                                        "Cl2 (0,0,0)", "Cl3 (0,0,-1)", "Cl3 (0,0,0)"}));
    EXPECT_DOUBLE_EQ(na1.BondCoorX[1], -0.5);
    EXPECT_DOUBLE_EQ(na1.BondCoorZ[5], -0.5);
    EXPECT_EQ(na1.BondIndex[3][1], 2);
    EXPECT_EQ(na1.BondSymbol[1], "(Cl)");
    EXPECT_EQ(na1.BondSymOp[1], "x,y,z");
    EXPECT_EQ(na1.BondBVS[1], "Cl");
    EXPECT_EQ(na1.BondMult[1], 1);
    EXPECT_DOUBLE_EQ(na1.BondCharge[1], -1);
    EXPECT_EQ(na1.SymTrans, "(0,0,0)");
    const TAtoms& cl1 = m->AA[1];
    EXPECT_EQ(Ligands(cl1),
              (std::vector<std::string>{"Na1 (0,0,0)", "Na1 (1,0,0)", "Na3 (0,0,-1)", "Na3 (0,0,0)",
                                        "Na4 (0,-1,0)", "Na4 (0,0,0)"}));
    EXPECT_DOUBLE_EQ(cl1.BondCoorX[2], 1.0);
    EXPECT_FALSE(m->IsHydrogen);
}

TEST(CoordSearch, ShortAxisLigandsTwoCellsAway) {
    // c = 2.0 A is shorter than the 4 A radius: the O images at z = -1.5 and
    // z = +1.5 (3.606 A) lie two cells away in one direction.
    auto m = Model::Create();
    SetCell(*m, 10, 10, 2.0);
    AddSite(*m, "M1", "M", 2, 0, 0, 0);
    AddSite(*m, "O1", "O", -2, 0.2, 0, 0.5);
    m->MaxR = 4.0;
    RecordingSink msg;
    GetDistances(*m, msg);
    ASSERT_TRUE(m->IsCoordination);
    const TAtoms& M = m->AC[1];
    EXPECT_EQ(Ligands(M),
              (std::vector<std::string>{"O1 (0,0,-2)", "O1 (0,0,-1)", "O1 (0,0,0)", "O1 (0,0,1)"}));
    const double near = std::sqrt(5.0), far = std::sqrt(13.0);
    const double expected[] = {far, near, near, far};
    for (int k = 1; k <= 4; ++k)
        EXPECT_NEAR(M.Dist[k], expected[k - 1], 1e-12);
    EXPECT_DOUBLE_EQ(M.BondCoorZ[1], -1.5);
    EXPECT_EQ(Ligands(m->AA[1]),
              (std::vector<std::string>{"M1 (0,0,-1)", "M1 (0,0,0)", "M1 (0,0,1)", "M1 (0,0,2)"}));
}

TEST(CoordSearch, NearestOverEveryLatticeVector) {
    // The shortest lattice vector 2a + c (2.06 A) is no sum of unit steps; the
    // unit steps alone give 9.71 A at best.
    auto m = Model::Create();
    SetCell(*m, 10, 10, std::sqrt(19.5 * 19.5 + 4), 90, 180 - std::atan2(2, 19.5) * 180 / kPi, 90);
    AddSite(*m, "M1", "M", 2, 0, 0, 0);
    AddSite(*m, "O1", "O", -2, 0.5, 0.5, 0.5);
    m->NearestLimit = true;
    RecordingSink msg;
    GetDistances(*m, msg);
    EXPECT_NEAR(m->AC[1].Nearest, std::sqrt(4.25), 1e-9);
    EXPECT_NEAR(m->AA[1].Nearest, std::sqrt(4.25), 1e-9);
}

TEST(CoordSearch, NearestLimitBoundsEachPolyhedron) {
    // Cubic 8 A cell, positions in eighths: M1-M2 3.0 A. M1 takes O1 and O3 at
    // exactly its nearest-cation distance and refuses O4 and O5 at 3.61 A,
    // although they are within MaxR.
    auto m = Model::Create();
    SetCell(*m, 8, 8, 8);
    AddSite(*m, "M1", "M", 2, 0, 0, 0);
    AddSite(*m, "M2", "M", 2, 0.375, 0, 0);
    AddSite(*m, "O1", "O", -2, 0, 0.375, 0);
    AddSite(*m, "O3", "O", -2, 0, 0, 0.375);
    AddSite(*m, "O4", "O", -2, 0.375, 0.25, 0);
    AddSite(*m, "O5", "O", -2, 0.375, 0, 0.25);
    m->MaxR = 4.0;
    for (bool limit : {true, false}) {
        SCOPED_TRACE(limit ? "nearest limit" : "global radius");
        m->NearestLimit = limit;
        RecordingSink msg;
        GetDistances(*m, msg);
        ASSERT_TRUE(msg.texts.empty()) << msg.texts.front();
        if (limit) {
            EXPECT_EQ(m->AC[1].Nearest, 3.0);
            EXPECT_EQ(Ligands(m->AC[1]), (std::vector<std::string>{"O1 (0,0,0)", "O3 (0,0,0)"}));
            EXPECT_EQ(Ligands(m->AA[3]), (std::vector<std::string>{"M2 (0,0,0)"}));
        } else {
            EXPECT_EQ(m->AC[1].Coor, 4);
            EXPECT_EQ(m->AA[3].Coor, 2);
        }
        EXPECT_EQ(Ligands(m->AC[2]), (std::vector<std::string>{"O4 (0,0,0)", "O5 (0,0,0)"}));
    }
}

TEST(CoordSearch, HydrogenKeepsItsTwoNearestLigands) {
    // Three oxygens within the hydrogen radius: O1 at 1.9 A, O2 at 1.0 A, O3
    // at 1.5 A. Whatever their order, the hydrogen and its image keep O2 and
    // O3, in discovery order; each oxygen keeps the hydrogen.
    struct Oxygen {
        const char* label;
        double x, y, z;
    };
    const Oxygen O1{"O1", 0.69, 0.5, 0.5}, O2{"O2", 0.5, 0.6, 0.5}, O3{"O3", 0.5, 0.5, 0.65};
    const std::vector<std::vector<Oxygen>> orders = {{O1, O2, O3}, {O1, O3, O2}, {O2, O1, O3},
                                                     {O2, O3, O1}, {O3, O1, O2}, {O3, O2, O1}};
    for (const auto& order : orders) {
        std::string name;
        for (const Oxygen& o : order)
            name += std::string(o.label) + " ";
        SCOPED_TRACE(name);
        auto m = Model::Create();
        SetCell(*m, 10, 10, 10);
        const TAtoms& h = AddSite(*m, "H1", "H", 1, 0.5, 0.5, 0.5);
        for (const Oxygen& o : order)
            AddSite(*m, o.label, "O", -2, o.x, o.y, o.z);
        // Images of the hydrogen and its oxygens 4 A along c, out of reach
        // of the sites.
        AddImage(*m, h, "x,y,z+2/5", 0.5, 0.5, 0.9);
        for (int i = 1; i <= 3; ++i) {
            const TAtoms& o = m->AA[i];
            AddImage(*m, o, "x,y,z+2/5", o.X, o.Y, o.Z + 0.4);
        }
        m->MaxR = 4.0;
        m->MaxH = 2.0;
        RecordingSink msg;
        GetDistances(*m, msg);
        GetGenDistances(*m, msg);
        ASSERT_TRUE(msg.texts.empty());
        std::vector<std::string> expected;
        for (const Oxygen& o : order)
            if (o.label != std::string("O1")) expected.push_back(std::string(o.label) + " (0,0,0)");
        EXPECT_EQ(Ligands(m->AC[1]), expected);
        const TAtoms& image = m->AC[2];
        ASSERT_EQ(image.Coor, 2);
        for (int k = 1; k <= 2; ++k) {
            EXPECT_EQ(image.BondingAtoms[k] + " " + image.BondSymTrans[k], expected[k - 1]);
            EXPECT_NEAR(image.Dist[k], m->AC[1].Dist[k], 1e-12);
        }
        EXPECT_TRUE(m->IsHydrogen);
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(m->AA[i].Coor, 1);
    }
}

TEST(CoordSearch, HydrogenRadiusTooShortForAnOxygen) {
    auto m = Model::Create();
    SetCell(*m, 10, 10, 10);
    AddSite(*m, "H1", "H", 1, 0.5, 0.5, 0.5);
    AddSite(*m, "O1", "O", -2, 0.69, 0.5, 0.5); // 1.9 A
    AddSite(*m, "O2", "O", -2, 0.5, 0.6, 0.5);  // 1.0 A
    m->MaxR = 4.0;
    m->MaxH = 1.6; // O1 at 1.9 A keeps no ligand at all
    RecordingSink msg;
    GetDistances(*m, msg);
    EXPECT_EQ(msg.texts, std::vector<std::string>{"Maximum coordination radius too low for O1."});
}

TEST(CoordSearch, CoincidentImageFoundOnce) {
    auto m = Model::Create();
    SetCell(*m, 10, 10, 10);
    AddSite(*m, "Na1", "Na", 1, 0, 0, 0);
    const TAtoms& o1 = AddSite(*m, "O1", "O", -2, 0.2, 0, 0);
    AddSite(*m, "O2", "O", -2, 0.8, 0, 0);
    AddImage(*m, o1, "-x,y,z", 0.20000004, 0, 0); // the same position to four decimals
    RecordingSink msg;
    GetDistances(*m, msg);
    ASSERT_TRUE(msg.texts.empty());
    EXPECT_EQ(Ligands(m->AC[1]), (std::vector<std::string>{"O1 (0,0,0)", "O2 (-1,0,0)"}));
}

struct MessageCase {
    const char* name;
    const char* anion;
    const char* cation;
    double maxR;
    const char* message; // empty: none
};

class CoordMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(CoordMessages, SingleLigandRules) {
    const MessageCase& c = GetParam();
    auto m = Model::Create();
    SetCell(*m, 10, 10, 10);
    AddSite(*m, std::string(c.cation) + "1", c.cation, 1, 0, 0, 0);
    AddSite(*m, std::string(c.anion) + "1", c.anion, -1, 0.2, 0, 0); // 2.0 A
    m->MaxR = c.maxR;
    m->MaxH = 2.5;
    RecordingSink msg;
    GetDistances(*m, msg);
    if (std::string(c.message).empty()) {
        EXPECT_TRUE(msg.texts.empty());
        EXPECT_TRUE(m->IsCoordination);
    } else {
        EXPECT_EQ(msg.texts, std::vector<std::string>{c.message});
        EXPECT_FALSE(m->IsCoordination);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoordMessages,
    testing::Values(MessageCase{"FluorideWithOneCation", "F", "Na", 3.0,
                                "Maximum coordination radius too low for F1."},
                    MessageCase{"OxideWithOneCationStopsAtTheCation", "O", "Na", 3.0,
                                "Maximum coordination radius too low for Na1."},
                    MessageCase{"FluorideWithOneHydrogen", "F", "H", 3.0, ""},
                    MessageCase{"OxideWithOneHydrogen", "O", "H", 3.0, ""},
                    MessageCase{"NoLigandWithinTheRadius", "O", "Na", 1.5,
                                "Maximum coordination radius too low for O1."}),
    [](const testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

TEST(CoordSearch, FiftyLigandsAtMost) {
    for (int n : {50, 51}) {
        SCOPED_TRACE(n);
        auto m = Model::Create();
        SetCell(*m, 20, 20, 20);
        AddSite(*m, "M1", "M", 2, 0, 0, 0);
        for (int k = 1; k <= n; ++k)
            AddSite(*m, Named("O", k), "O", -2, 0.1, 0.002 * k, 0);
        RecordingSink msg;
        GetDistances(*m, msg);
        EXPECT_EQ(m->AC[1].Coor, 50);
        if (n == 50) {
            EXPECT_TRUE(msg.texts.empty());
            EXPECT_TRUE(m->IsCoordination);
        } else {
            EXPECT_EQ(msg.texts,
                      std::vector<std::string>{"Maximum coordination number exceeded for M1."});
            EXPECT_FALSE(m->IsCoordination);
        }
    }
}

TEST(CoordSearch, FiftyFirstImageCountsEvenWhenItIsADuplicate) {
    // Fifty ligands, then an image at the position of the first one: the
    // limit is tested before the duplicate is discarded.
    auto m = Model::Create();
    SetCell(*m, 20, 20, 20);
    AddSite(*m, "M1", "M", 2, 0, 0, 0);
    for (int k = 1; k <= 50; ++k)
        AddSite(*m, Named("O", k), "O", -2, 0.1, 0.002 * k, 0);
    AddImage(*m, m->AA[1], "-x,y,z", 0.1, 0.002, 0);
    RecordingSink msg;
    GetDistances(*m, msg);
    EXPECT_EQ(msg.texts, std::vector<std::string>{"Maximum coordination number exceeded for M1."});
    EXPECT_FALSE(m->IsCoordination);
    EXPECT_EQ(m->AC[1].Coor, 50);
}

TEST(CoordSearch, TranslationTextsOfBothPasses) {
    // A row along a (10 A cell, MaxR 3.1): Na1 at 0, *Na1 at 0.5, O1 at 0.8,
    // O2 at 0.2; the image *O2, without a translation text, lies one cell
    // below a ligand position of *Na1.
    auto m = Model::Create();
    SetCell(*m, 10, 10, 10);
    const TAtoms& na = AddSite(*m, "Na1", "Na", 1, 0, 0, 0);
    AddSite(*m, "O1", "O", -2, 0.8, 0, 0);
    const TAtoms& o2 = AddSite(*m, "O2", "O", -2, 0.2, 0, 0);
    AddImage(*m, na, "x+1/2,y,z", 0.5, 0, 0);
    AddImage(*m, o2, "x+3/10,y-7/10,z", 0.5, -0.7, 0).SymTrans.clear();
    m->MaxR = 3.1;
    RecordingSink msg;
    GetDistances(*m, msg);
    ASSERT_TRUE(msg.texts.empty()) << msg.texts.front();
    // The partner keeps the translation written last; a centre with a ligand
    // reads (0,0,0).
    EXPECT_EQ(Ligands(m->AA[1]), (std::vector<std::string>{"Na1 (1,0,0)", "*Na1 (0,0,0)"}));
    EXPECT_EQ(Ligands(m->AC[1]), (std::vector<std::string>{"O1 (-1,0,0)", "O2 (0,0,0)"}));
    EXPECT_EQ(m->AC[1].SymTrans, "(0,0,0)");
    EXPECT_EQ(m->AA[1].SymTrans, "(-1,0,0)");
    EXPECT_EQ(m->AC[2].SymTrans, "(0,0,0)");

    m->AC[2].SymTrans = "kept";
    GetGenDistances(*m, msg);
    ASSERT_TRUE(msg.texts.empty()) << msg.texts.front();
    EXPECT_EQ(Ligands(m->AC[2]),
              (std::vector<std::string>{"O1 (0,0,0)", "O2 (0,0,0)", "O2 (0,1,0)"}));
    EXPECT_EQ(m->AC[2].BondingAtoms[3], "O2"); // the image's parent
    EXPECT_EQ(Ligands(m->AA[3]), (std::vector<std::string>{"Na1 (0,-1,0)"}));
    EXPECT_EQ(m->AC[2].SymTrans, "kept");     // a generated centre's own text stays
    EXPECT_EQ(m->AA[1].SymTrans, "(-1,0,0)"); // not empty: not overwritten
    EXPECT_EQ(m->AA[3].SymTrans, "(0,1,0)");  // empty: written
}

TEST(CoordSearch, ManyImagesInATinyCellStopAtFifty) {
    // 1.2 A cube, radius 4 A: far more than 50 images; the search ends at the
    // 51st, at the first anion.
    auto m = Model::Create();
    SetCell(*m, 1.2, 1.2, 1.2);
    AddSite(*m, "M1", "M", 1, 0, 0, 0);
    AddSite(*m, "X1", "X", -1, 0.5, 0.5, 0.5);
    RecordingSink msg;
    GetDistances(*m, msg);
    EXPECT_EQ(msg.texts, std::vector<std::string>{"Maximum coordination number exceeded for X1."});
    EXPECT_EQ(m->AA[1].Coor, 50);
}

TEST(CoordSearch, RadiusModeUsesEachAtomsOwnRadius) {
    struct Case {
        const char* name;
        double radius;
        const char* message;
    } cases[] = {
        {"radius equal to the bond", 2.82, ""},
        {"bond within the margin", 2.82 - 0.000005, ""},
        {"bond beyond the margin", 2.82 - 0.00002, "Maximum coordination radius too low for Cl1."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = RockSalt();
        m->ThresOption = 2;
        m->MaxR = 0.5; // not used in this mode
        for (int i = 1; i <= 4; ++i) {
            m->AC[i].Nearest = c.radius;
            m->AA[i].Nearest = c.radius;
        }
        RecordingSink msg;
        GetDistances(*m, msg);
        if (std::string(c.message).empty()) {
            EXPECT_TRUE(msg.texts.empty());
            EXPECT_EQ(m->AC[4].Coor, 6);
        } else {
            EXPECT_EQ(msg.texts, std::vector<std::string>{c.message});
        }
        EXPECT_EQ(m->AC[1].Nearest, c.radius); // not touched by the search
    }
}

TEST(CoordSearch, BondTypeLimits) {
    using Row = std::array<const char*, 3>;
    struct Case {
        const char* name;
        std::vector<Row> rows;
        double maxR;
        bool found;
    } cases[] = {
        {"last row wins: longer", {{"(Na)", "(Cl)", "2.5"}, {"(Na)", "(Cl)", "2.9"}}, 2.0, true},
        {"last row wins: shorter", {{"(Na)", "(Cl)", "2.9"}, {"(Na)", "(Cl)", "2.5"}}, 3.0, false},
        {"row at the bond length", {{"(Na)", "(Cl)", "2.82"}}, 2.0, true},
        {"no row: MaxR, long enough", {{"(K)", "(Cl)", "3.5"}}, 3.0, true},
        {"no row: MaxR, too short", {{"(K)", "(Cl)", "3.5"}}, 2.0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = RockSalt();
        m->ThresOption = 1;
        m->MaxR = c.maxR;
        m->BondTypesNr = static_cast<int>(c.rows.size());
        for (int r = 1; r <= m->BondTypesNr; ++r)
            for (int col = 1; col <= 3; ++col)
                m->MaxBondLengths[r][col] = c.rows[static_cast<std::size_t>(r - 1)][col - 1];
        RecordingSink msg;
        GetDistances(*m, msg);
        EXPECT_EQ(m->IsCoordination, c.found);
        if (c.found) {
            EXPECT_EQ(m->AA[1].Coor, 6);
        } else {
            EXPECT_EQ(msg.texts,
                      std::vector<std::string>{"Maximum coordination radius too low for Cl1."});
        }
    }
}

TEST(CoordSearch, RepeatedSearchRebuildsEveryPolyhedron) {
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        auto m = RockSalt();
        m->ThresOption = mode;
        m->BondTypesNr = 1;
        SetRow(*m, 1, "(Na)", "(Cl)", "2.9");
        for (int i = 1; i <= 4; ++i)
            m->AC[i].Nearest = m->AA[i].Nearest = 2.9;
        RecordingSink msg;
        GetDistances(*m, msg);
        GetDistances(*m, msg);
        EXPECT_TRUE(msg.texts.empty());
        for (int i = 1; i <= 4; ++i) {
            EXPECT_EQ(m->AC[i].Coor, 6);
            EXPECT_EQ(m->AA[i].Coor, 6);
        }
    }
}

TEST(CoordSearch, GeneratedImagesAndTheirLabels) {
    // A square Na-Cl net (3 A bonds) from two sites and two images written by
    // hand. In the generated pass ligand labels lose their image mark; with
    // NearestLimit an image takes its parent's nearest distance as limit.
    auto m = Model::Create();
    SetCell(*m, 6, 6, 6);
    const TAtoms& na = AddSite(*m, "Na1", "Na", 1, 0, 0, 0);
    const TAtoms& cl = AddSite(*m, "Cl1", "Cl", -1, 0.5, 0, 0);
    AddImage(*m, na, "x+1/2,y+1/2,z", 0.5, 0.5, 0);
    AddImage(*m, cl, "x+1/2,y+1/2,z", 0, 0.5, 0);
    m->MaxR = 3.1;
    for (bool limit : {false, true}) {
        SCOPED_TRACE(limit ? "nearest limit" : "global radius");
        m->NearestLimit = limit;
        RecordingSink msg;
        GetDistances(*m, msg);
        GetGenDistances(*m, msg);
        ASSERT_TRUE(msg.texts.empty()) << msg.texts.front();
        EXPECT_EQ(m->TotACLength, 2);
        EXPECT_EQ(m->TotAALength, 2);
        EXPECT_EQ(Ligands(m->AC[1]), (std::vector<std::string>{"Cl1 (-1,0,0)", "Cl1 (0,0,0)",
                                                               "*Cl1 (0,-1,0)", "*Cl1 (0,0,0)"}));
        EXPECT_EQ(Ligands(m->AC[2]), (std::vector<std::string>{"Cl1 (0,0,0)", "Cl1 (0,1,0)",
                                                               "Cl1 (0,0,0)", "Cl1 (1,0,0)"}));
        EXPECT_EQ(m->AC[2].BondIndex[3][1], 2);
        EXPECT_EQ(m->AA[2].Coor, 4);
        EXPECT_EQ(m->AC[2].Nearest, 0); // images get no nearest distance of their own
    }
}

// --- Bond-type table --------------------------------------------------------------------

TEST(CoordBondTypes, RockSalt) {
    auto m = RockSalt();
    RecordingSink msg;
    GetDistances(*m, msg);
    ASSERT_TRUE(GetMaxBondLengths(*m, msg));
    EXPECT_EQ(m->BondTypesNr, 1);
    EXPECT_TRUE(m->GotMaxLengths);
    EXPECT_EQ(Row(*m, 1), (Texts{"(Na)", "(Cl)", "2.820000000000"}));
}

void AddBond(TAtoms& r, const std::string& symbol, double distance) {
    ++r.Coor;
    r.BondSymbol[r.Coor] = symbol;
    r.Dist[r.Coor] = distance;
}

TEST(CoordBondTypes, SortedPairsWithTheirLongestBond) {
    auto m = Model::Create();
    TAtoms& fe1 = AddSite(*m, "Fe1", "Fe", 3, 0, 0, 0);
    AddBond(fe1, "(O)", 2.1);
    AddBond(fe1, "(F)", 1.9);
    AddBond(fe1, "(O)", 2.2);
    AddBond(AddSite(*m, "Mg1", "Mg", 2, 0, 0, 0), "(O)", 2.05);
    AddBond(AddSite(*m, "Fe2", "Fe", 3, 0, 0, 0), "(O)", 2.3);
    SetRow(*m, 5, "(X)", "(Y)", "1.0"); // an old row is cleared
    RecordingSink msg;
    ASSERT_TRUE(GetMaxBondLengths(*m, msg));
    EXPECT_EQ(m->BondTypesNr, 3);
    EXPECT_EQ(Row(*m, 1), (Texts{"(Fe)", "(F)", "1.900000000000"}));
    EXPECT_EQ(Row(*m, 2), (Texts{"(Fe)", "(O)", "2.300000000000"}));
    EXPECT_EQ(Row(*m, 3), (Texts{"(Mg)", "(O)", "2.050000000000"}));
    EXPECT_EQ(m->MaxBondLengths[5][1], "");
}

TEST(CoordBondTypes, MoreThanFiftyPairsAreRefused) {
    for (int n : {50, 51}) {
        SCOPED_TRACE(n);
        auto m = Model::Create();
        for (int i = 1; i <= n; ++i)
            AddBond(AddSite(*m, Named("M", i), Named("M", i), 1, 0, 0, 0), "(O)", 2.0);
        RecordingSink msg;
        EXPECT_EQ(GetMaxBondLengths(*m, msg), n == 50);
        EXPECT_EQ(m->BondTypesNr, n == 50 ? 50 : 0);
        EXPECT_EQ(m->GotMaxLengths, n == 50);
        if (n == 51) {
            EXPECT_EQ(msg.texts, std::vector<std::string>{std::string(TooManyBondTypesMessage)});
        }
    }
}

// --- Second coordination sphere ----------------------------------------------------------

std::vector<std::string> Sphere(const TAtoms& r) {
    std::vector<std::string> v;
    for (int q = 1; q <= r.SecSphereCoor; ++q)
        v.push_back(r.SecSphereAtoms[q] + " " + r.SecSphereSymOp[q] + " " + r.SecSphereSymTrans[q]);
    return v;
}

TEST(SecondSphere, OwnImagesOfASimpleCubicCell) {
    auto m = Model::Create();
    SetCell(*m, 4, 4, 4);
    AddSite(*m, "M1", "M", 1, 0, 0, 0);
    m->TotACLength = 1;
    RecordingSink msg;
    SecondSphere(*m, msg, 1);
    EXPECT_TRUE(msg.texts.empty());
    const TAtoms& r = m->AC[1];
    EXPECT_EQ(Sphere(r), (std::vector<std::string>{"M1 x,y,z (-1,0,0)", "M1 x,y,z (0,-1,0)",
                                                   "M1 x,y,z (0,0,-1)", "M1 x,y,z (0,0,1)",
                                                   "M1 x,y,z (0,1,0)", "M1 x,y,z (1,0,0)"}));
    EXPECT_EQ(r.SecSphereDist[1], 4.0);
    EXPECT_EQ(r.SecSphereX[1], -1.0);
    EXPECT_EQ(r.SecSphereZ[4], 1.0);
}

TEST(SecondSphere, FiveAngstromsIsOutside) {
    for (double a : {5.0, 6.0}) {
        auto m = Model::Create();
        SetCell(*m, a, a, a);
        AddSite(*m, "M1", "M", 1, 0, 0, 0);
        m->TotACLength = 1;
        RecordingSink msg;
        SecondSphere(*m, msg, 1);
        EXPECT_EQ(m->AC[1].SecSphereCoor, 0) << a;
    }
}

TEST(SecondSphere, SplitPositionsBelowMaxSDist) {
    for (double split : {0.8, 0.4}) {
        auto m = Model::Create();
        SetCell(*m, 8, 8, 8);
        AddSite(*m, "M1", "M", 1, 0, 0, 0);
        AddSite(*m, "M2", "M", 1, 0.0625, 0, 0); // 0.5 A away
        m->TotACLength = 2;
        m->MaxSDist = split;
        RecordingSink msg;
        SecondSphere(*m, msg, 1);
        EXPECT_EQ(m->AC[1].SecSphereCoor, split > 0.5 ? 0 : 1) << split;
    }
}

TEST(SecondSphere, AnionLabelsWithoutTheImageMark) {
    auto m = Model::Create();
    SetCell(*m, 4, 4, 4);
    const TAtoms& o1 = AddSite(*m, "O1", "O", -2, 0, 0, 0);
    AddImage(*m, o1, "-x+1/2,y,z", 0.5, 0, 0);
    m->TotAALength = 2;
    RecordingSink msg;
    SecondSphere(*m, msg, 2);
    const TAtoms& r = m->AA[1];
    ASSERT_EQ(r.SecSphereCoor, 16); // 2 images of *O1 at 2 A, 6 own at 4 A, 8 at 4.47 A
    EXPECT_EQ(Sphere(r)[0], "O1 -x+1/2,y,z (-1,0,0)");
    EXPECT_EQ(Sphere(r)[1], "O1 -x+1/2,y,z (0,0,0)");
    EXPECT_EQ(r.SecSphereDist[1], 2.0);
    EXPECT_EQ(r.SecSphereX[1], -0.5);
}

TEST(SecondSphere, FiftyNearestKeptBeyondTheNeighbouringCells) {
    // 2 A cube: 80 own images within 5 A, most of them two or more cells away.
    auto m = Model::Create();
    SetCell(*m, 2, 2, 2);
    AddSite(*m, "M1", "M", 1, 0, 0, 0);
    m->TotACLength = 1;
    RecordingSink msg;
    SecondSphere(*m, msg, 1);
    EXPECT_EQ(msg.texts, std::vector<std::string>{"Second coordination sphere limit exceeded."});
    const TAtoms& r = m->AC[1];
    ASSERT_EQ(r.SecSphereCoor, 50);
    EXPECT_EQ(r.SecSphereDist[1], 2.0);
    EXPECT_EQ(r.SecSphereDist[32], 4.0);      // 6 + 12 + 8 + 6 images up to 4 A
    EXPECT_EQ(r.SecSphereDist[50], 4.472136); // sqrt(20), seven decimals
    EXPECT_EQ(r.SecSphereSymTrans[32], "(2,0,0)");
}

} // namespace

// Bond weights, effective coordination numbers and distortion indexes on
// small polyhedra built directly in the model, as the polyhedron assembly
// leaves them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "calc/ecoor.h"
#include "model/messages.h"
#include "model/model.h"

namespace kevo {
namespace {

// One sub-polyhedron: ligand symbol, bond lengths (ascending) and the
// partner record of each bond (0 when it does not matter).
struct Group {
    std::string symbol;
    std::vector<double> dist;
    std::vector<int> partner = {};
};

// Fills the bond slots of a as the assembly leaves them: groups in order,
// HSPFirstIndex running sums.
void SetPolyhedron(TAtoms& a, const std::string& symbol, const std::vector<Group>& groups) {
    a.AtomSymbol = symbol;
    a.HSPCount = static_cast<int>(groups.size());
    int slot = 0;
    for (int k = 1; k <= a.HSPCount; ++k) {
        const Group& g = groups[static_cast<std::size_t>(k - 1)];
        a.HSPsymb[k] = g.symbol;
        a.HSPFirstIndex[k] = slot + 1;
        a.HSPCoor[k] = static_cast<int>(g.dist.size());
        for (std::size_t i = 0; i < g.dist.size(); ++i) {
            ++slot;
            a.Dist[slot] = g.dist[i];
            a.BondSymbol[slot] = g.symbol;
            a.BondIndex[slot][1] = i < g.partner.size() ? g.partner[i] : 0;
        }
    }
    a.Coor = slot;
}

double Sum(const std::vector<double>& v) {
    double s = 0;
    for (double x : v)
        s += x;
    return s;
}

// The first-step weights of a group, written out from the formula: the
// starting average D0 comes from the weights with the shortest bond as
// reference, the first step uses D0.
std::vector<double> FirstStepWeights(const std::vector<double>& d, double p) {
    std::vector<double> w0;
    double weighted = 0;
    for (double l : d) {
        w0.push_back(std::exp(1 - std::pow(l / d[0], p)));
        weighted += l * w0.back();
    }
    const double D0 = weighted / Sum(w0);
    std::vector<double> w1;
    for (double l : d)
        w1.push_back(std::exp(1 - std::pow(l / D0, p)));
    return w1;
}

class ECoorTest : public ::testing::Test {
  protected:
    // A few records of each kind to fill by hand.
    void SetUp() override {
        m.AC.Ensure(4);
        m.AA.Ensure(4);
    }
    std::unique_ptr<Model> model = Model::Create();
    Model& m = *model;
};

TEST_F(ECoorTest, RegularOctahedronHasUnitWeights) {
    m.AClength = 1;
    SetPolyhedron(m.AC[1], "(Fe)", {{"(O)", {2.0, 2.0, 2.0, 2.0, 2.0, 2.0}}});
    IteratedWi(m, false);
    AverageDistance(m);
    DistortionIndex(m);
    const TAtoms& a = m.AC[1];
    for (int j = 1; j <= 6; ++j)
        EXPECT_EQ(a.BW[j], 1.0) << "slot " << j;
    EXPECT_EQ(a.HSPKevo[1], 6.0);
    EXPECT_EQ(a.Kevo, 6.0);
    EXPECT_EQ(a.ECoor, 6);
    EXPECT_EQ(a.EDEV, 0.0);
    EXPECT_EQ(a.HSPMinDist[1], 2.0);
    EXPECT_EQ(a.HSPWAverageDist[1], 2.0);
    EXPECT_EQ(a.AvDist, 2.0);
    EXPECT_EQ(a.AvDistSel, 2.0);
    EXPECT_EQ(a.PolDistortion, 0.0);
    EXPECT_EQ(a.BondSD, 0.0);
}

TEST_F(ECoorTest, DistortedPolyhedronIteratedAndFirstStep) {
    // Weights of 1.9, 2.0, 2.2 Å with p = 6, worked out separately.
    struct Case {
        const char* name;
        bool non_iterative;
        std::vector<double> weights;
        double kevo;
        double average;
    } cases[] = {
        {"iterated", false, {1.2583033110, 0.9533160264, 0.4247488450}, 2.6363681824, 1.9844936066},
        {"first step",
         true,
         {1.2263097604, 0.9204938669, 0.3991867739},
         2.5459904012,
         1.9831917586},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m.AClength = 1;
        SetPolyhedron(m.AC[1], "(Fe)", {{"(O)", {1.9, 2.0, 2.2}}});
        IteratedWi(m, c.non_iterative);
        const TAtoms& a = m.AC[1];
        for (int j = 1; j <= 3; ++j)
            EXPECT_NEAR(a.BW[j], c.weights[static_cast<std::size_t>(j - 1)], 1e-9);
        EXPECT_NEAR(a.HSPKevo[1], c.kevo, 1e-9);
        EXPECT_DOUBLE_EQ(a.Kevo, a.BW[1] + a.BW[2] + a.BW[3]);
        EXPECT_NEAR(a.HSPWAverageDist[1], c.average, 1e-9);
        EXPECT_EQ(a.HSPMinDist[1], 1.9);
        EXPECT_EQ(a.ECoor, 3);
        EXPECT_DOUBLE_EQ(a.EDEV, (3 - a.Kevo) / 3);
    }
    // The first-step weights are exactly those of the formula.
    const std::vector<double> w1 = FirstStepWeights({1.9, 2.0, 2.2}, 6.0);
    for (int j = 1; j <= 3; ++j)
        EXPECT_DOUBLE_EQ(m.AC[1].BW[j], w1[static_cast<std::size_t>(j - 1)]);
}

TEST_F(ECoorTest, IteratedWeightsAreAFixedPoint) {
    m.AClength = 1;
    const std::vector<double> d = {1.95, 1.95, 2.0, 2.0, 2.1, 2.3};
    SetPolyhedron(m.AC[1], "(Fe)", {{"(O)", d}});
    IteratedWi(m, false);
    const TAtoms& a = m.AC[1];
    const double D = a.HSPWAverageDist[1];
    double weighted = 0;
    for (int j = 1; j <= 6; ++j) {
        EXPECT_NEAR(a.BW[j], std::exp(1 - std::pow(a.Dist[j] / D, 6.0)), 1e-4);
        weighted += a.Dist[j] * a.BW[j];
    }
    EXPECT_NEAR(weighted / a.Kevo, D, 1e-12);
    EXPECT_NEAR(a.Kevo, 5.4095269974, 1e-9);
}

TEST_F(ECoorTest, SubPolyhedraAreIndependent) {
    // A Cl group and an O group: each group's weights are those it has on
    // its own; Kevo adds them.
    m.AClength = 2;
    SetPolyhedron(m.AC[1], "(Fe)", {{"(Cl)", {2.3}}, {"(O)", {1.9, 2.0, 2.2}}});
    SetPolyhedron(m.AC[2], "(Fe)", {{"(O)", {1.9, 2.0, 2.2}}});
    IteratedWi(m, false);
    const TAtoms& a = m.AC[1];
    const TAtoms& alone = m.AC[2];
    EXPECT_EQ(a.BW[1], 1.0); // a single ligand
    EXPECT_EQ(a.HSPKevo[1], 1.0);
    EXPECT_EQ(a.HSPMinDist[1], 2.3);
    EXPECT_EQ(a.HSPMinDist[2], 1.9);
    for (int j = 1; j <= 3; ++j)
        EXPECT_EQ(a.BW[j + 1], alone.BW[j]);
    EXPECT_EQ(a.HSPKevo[2], alone.HSPKevo[1]);
    EXPECT_DOUBLE_EQ(a.Kevo, 1.0 + alone.Kevo);
    EXPECT_EQ(a.ECoor, 4);
}

TEST_F(ECoorTest, HydrogenBondsUseExponentOnePointSix) {
    // Cations: 1 H, 2 Mg. An O anion bonded to H at 0.98 and 1.75 Å and to
    // Mg at 1.9, 2.0, 2.2 Å; an H cation centre.
    m.AClength = 2;
    m.AAlength = 1;
    m.AC[1].AtomSymbol = "(H)";
    m.AC[2].AtomSymbol = "(Mg)";
    SetPolyhedron(m.AA[1], "(O)",
                  {{"(H)", {0.98, 1.75}, {1, 1}}, {"(Mg)", {1.9, 2.0, 2.2}, {2, 2, 2}}});
    SetPolyhedron(m.AC[1], "(H)", {{"(O)", {0.98, 1.75}}});
    SetPolyhedron(m.AC[2], "(Mg)", {{"(O)", {1.9, 2.0, 2.2}}});

    EXPECT_EQ(BondWeightExponent(m, m.AA[1], false, 1), 1.6);
    EXPECT_EQ(BondWeightExponent(m, m.AA[1], false, 3), 6.0);
    EXPECT_EQ(BondWeightExponent(m, m.AC[1], true, 1), 1.6);
    EXPECT_EQ(BondWeightExponent(m, m.AC[2], true, 1), 6.0);

    IteratedWi(m, false);
    // O-H with p = 1.6 (p = 6 would give 1 and 0).
    const double oh[] = {1.2714978075, 0.3979911104};
    for (const TAtoms* a : {&m.AA[1], &m.AC[1]}) {
        EXPECT_NEAR(a->BW[1], oh[0], 1e-9);
        EXPECT_NEAR(a->BW[2], oh[1], 1e-9);
        EXPECT_NEAR(a->HSPKevo[1], 1.6694889179, 1e-9);
    }
    // O-Mg with p = 6.
    EXPECT_NEAR(m.AA[1].BW[3], 1.2583033110, 1e-9);
    EXPECT_NEAR(m.AA[1].BW[5], 0.4247488450, 1e-9);
    EXPECT_NEAR(m.AA[1].Kevo, 1.6694889179 + 2.6363681824, 1e-8);

    // First step with p = 1.6, from the formula.
    IteratedWi(m, true);
    const std::vector<double> w1 = FirstStepWeights({0.98, 1.75}, 1.6);
    EXPECT_DOUBLE_EQ(m.AA[1].BW[1], w1[0]);
    EXPECT_DOUBLE_EQ(m.AA[1].BW[2], w1[1]);
}

TEST_F(ECoorTest, ZeroWeightBondsCountAndAreExcluded) {
    // The fifth ligand lies 1.45 times as far as the others: weight below
    // 0.001 with p = 6.
    m.AClength = 1;
    m.AAlength = 0;
    m.TotACLength = 1;
    SetPolyhedron(m.AC[1], "(Fe)", {{"(O)", {2.0, 2.0, 2.0, 2.0, 2.9}}});
    IteratedWi(m, false);
    EXPECT_LT(m.AC[1].BW[5], 0.001);
    EXPECT_EQ(m.AC[1].ECoor, 4);
    const double kevo = m.AC[1].Kevo;
    EXPECT_DOUBLE_EQ(m.AC[1].EDEV, (4 - kevo) / 4);

    m.ExZeroW = true;
    m.NoBVS = true; // no bond valences here
    RecordingSink sink;
    ASSERT_TRUE(IteratedKevo(m, sink, ""));
    EXPECT_TRUE(sink.texts.empty());
    const TAtoms& a = m.AC[1];
    EXPECT_EQ(a.Coor, 4);
    EXPECT_EQ(a.HSPCoor[1], 4);
    EXPECT_EQ(a.ECoor, 4);
    EXPECT_DOUBLE_EQ(a.Kevo, kevo); // the sub-polyhedron value is kept
    EXPECT_DOUBLE_EQ(a.EDEV, (4 - kevo) / 4);
    EXPECT_EQ(a.AvDist, 2.0);
}

TEST_F(ECoorTest, AverageDistancesAndBaurIndex) {
    m.AClength = 1;
    SetPolyhedron(m.AC[1], "(Fe)", {{"(O)", {2.0, 2.0, 2.3}}});
    m.AC[1].BW[1] = 1;
    m.AC[1].BW[2] = 1;
    m.AC[1].BW[3] = 0.0005; // not selected
    AverageDistance(m);
    DistortionIndex(m);
    const TAtoms& a = m.AC[1];
    EXPECT_DOUBLE_EQ(a.AvDistSel, 2.0);
    EXPECT_DOUBLE_EQ(a.AvDist, 2.1);
    EXPECT_NEAR(a.Variance, 0.06, 1e-12);
    EXPECT_NEAR(a.BondSD, std::sqrt(0.03), 1e-12);
    EXPECT_NEAR(a.PolDistortion, (0.3 / 2.0) / 3, 1e-12);
}

TEST_F(ECoorTest, BrownDistortion) {
    m.AClength = 2;
    m.AAlength = 1;
    // A cation: b = 0.37; valences 0.5, 0.5, 1.0 and one below 0.001.
    TAtoms& c = m.AC[1];
    c.Coor = 4;
    c.HasBVS = true;
    const double s[] = {0.5, 0.5, 1.0, 0.0005};
    for (int j = 1; j <= 4; ++j)
        c.deltaBVS[j] = s[j - 1];
    // A cation without parameters: reset to 0.
    m.AC[2].Coor = 1;
    m.AC[2].HasBVS = false;
    m.AC[2].deltaR = 5;
    // An anion: b is the mean effB.
    TAtoms& x = m.AA[1];
    x.Coor = 2;
    x.HasBVS = true;
    x.deltaBVS[1] = 0.4;
    x.deltaBVS[2] = 0.8;
    x.effB[1] = 0.37;
    x.effB[2] = 0.41;

    Distortions(m);
    const double mean_c = 2.0005 / 4;
    const double sum_c = 2 * std::log(0.5 / mean_c) + std::log(1.0 / mean_c);
    EXPECT_NEAR(c.deltaR, -(0.37 / 4) * sum_c, 1e-12);
    EXPECT_EQ(m.AC[2].deltaR, 0.0);
    const double sum_a = std::log(0.4 / 0.6) + std::log(0.8 / 0.6);
    EXPECT_NEAR(x.deltaR, -(0.39 / 2) * sum_a, 1e-12);
}

TEST(ECoorIteration, CapStopsANonConvergingGroup) {
    struct Case {
        const char* name;
        std::vector<double> dist;
        bool converges;
    } cases[] = {
        {"ordinary", {1.9, 2.0, 2.2}, true},
        {"not a number", {1.9, std::numeric_limits<double>::quiet_NaN(), 2.2}, false},
        // At the edge of stability: the average swings about its fixed
        // point for well over a thousand steps.
        {"slow swing",
         [] {
             std::vector<double> d(6, 1.0);
             d.insert(d.end(), 40, 1.344);
             return d;
         }(),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> p(c.dist.size(), 6.0);
        std::vector<double> w(c.dist.size());
        const GroupWeights g = IterateGroupWeights(c.dist, p, false, w);
        EXPECT_EQ(g.converged, c.converges);
        if (c.converges) {
            EXPECT_LT(g.iterations, 20);
        } else {
            EXPECT_EQ(g.iterations, MaxWeightIterations);
        }
    }
    // The capped slow swing still leaves finite values near the fixed point.
    std::vector<double> d(6, 1.0);
    d.insert(d.end(), 40, 1.344);
    std::vector<double> w(d.size());
    const GroupWeights g = IterateGroupWeights(d, std::vector<double>(d.size(), 6.0), false, w);
    EXPECT_TRUE(std::isfinite(g.Kevo));
    EXPECT_GT(g.WAverageDist, 1.0);
    EXPECT_LT(g.WAverageDist, 1.344);
}

} // namespace
} // namespace kevo

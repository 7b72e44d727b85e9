// Degenerate polyhedra: no fitted sphere, flat sets, the run without a
// calculation. Nothing stored is NaN or infinite, and the atoms after a
// degenerate one are still processed.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/messages.h"
#include "poly/geometry.h"
#include "poly_testing.h"

namespace kevo {
namespace {

using testing::AddCentre;
using testing::CellModel;
using testing::ExpectFiniteGeometry;

const std::vector<Vec3> kOctahedron{{2, 0, 0},  {-2, 0, 0}, {0, 2, 0},
                                    {0, -2, 0}, {0, 0, 2},  {0, 0, -2}};
const std::vector<Vec3> kLine{{2, 0, 0}, {-2, 0, 0}, {1, 0, 0}}; // three ligands on a line

void ExpectNoSphere(const TAtoms& r) {
    EXPECT_EQ(r.SRadius, 0.0);
    EXPECT_EQ(r.SVolume, 0.0);
    EXPECT_EQ(r.CentroidCA, 0.0);
    EXPECT_EQ(r.Xo, 1.0);
    EXPECT_EQ(r.Yo, 1.0);
    EXPECT_EQ(r.Zo, 1.0);
    EXPECT_EQ(r.CenVector[1], 1.0);
    EXPECT_EQ(r.SPHL, 0.0);
    EXPECT_EQ(r.LECC, 0.0);
    EXPECT_EQ(r.IdealPolVolume, 0.0);
    EXPECT_EQ(r.IdealPolDistortion, 0.0);
    for (int k = 1; k <= r.Coor; ++k)
        EXPECT_EQ(r.BondCenDist[k], 0.0);
}

TEST(Degenerate, CollinearCationIsReportedAndTheNextOneStillDone) {
    auto m = CellModel();
    AddCentre(*m, true, "Ti1", kLine, {0, 0.5, 0});
    AddCentre(*m, true, "Ti2", kOctahedron);
    // A stale value of an earlier run must not survive.
    m->AC[2].SRadius = 123;
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_EQ(msg.texts, (std::vector<std::string>{"Could not calculate centroid for Ti1"}));
    ExpectNoSphere(m->AC[1]);
    EXPECT_EQ(m->AC[1].FacesNo, 0);
    EXPECT_EQ(m->AC[1].PolVolume, 0.0);
    EXPECT_EQ(m->AC[1].IdealPolyhedron, "trigonal planar");
    EXPECT_NEAR(m->AC[2].SRadius, 2, 1e-12);
    for (int i : {1, 2})
        ExpectFiniteGeometry(m->AC[i]);
}

TEST(Degenerate, CollinearAnionIsMarkedWithoutAMessage) {
    auto m = CellModel();
    AddCentre(*m, false, "O1", kLine, {0, 0, 0.3});
    AddCentre(*m, false, "O2", {{2, 0, 0}, {-2, 0, 0}, {0, 2, 0}, {0, -2, 0}, {0, 0, 2}});
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 2));
    EXPECT_TRUE(msg.texts.empty());
    ExpectNoSphere(m->AA[1]);
    EXPECT_EQ(m->AA[2].IdealPolyhedron, "square pyramid");
    for (int i : {1, 2})
        ExpectFiniteGeometry(m->AA[i]);
}

TEST(Degenerate, FourLigandsOnALine) {
    auto m = CellModel();
    AddCentre(*m, true, "M1", {{3, 0, 0}, {1, 0, 0}, {-1, 0, 0}, {-3, 0, 0}}, {0, 1, 0});
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_EQ(msg.texts.size(), 1u);
    ExpectNoSphere(m->AC[1]);
    ExpectFiniteGeometry(m->AC[1]);
}

TEST(Degenerate, PlanarHexagonAroundItsAtom) {
    std::vector<Vec3> lig;
    for (int k = 0; k < 6; ++k) {
        const double t = k * 3.14159265358979323846 / 3;
        lig.push_back({2 * std::cos(t), 2 * std::sin(t), 0});
    }
    auto m = CellModel();
    AddCentre(*m, true, "M1", lig);
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_TRUE(msg.texts.empty());
    const TAtoms& a = m->AC[1];
    EXPECT_EQ(a.FacesNo, 2); // v0 v1 v2 v3 and v0 v3 v4 v5
    EXPECT_EQ(a.VolFaces, 4);
    EXPECT_EQ(a.PolVolume, 0.0);
    EXPECT_NEAR(a.SRadius, 2, 1e-12);
    EXPECT_NEAR(a.CentroidCA, 0, 1e-12);
    ExpectFiniteGeometry(a);
}

TEST(Degenerate, NoCalculationNoRun) {
    auto m = CellModel();
    AddCentre(*m, true, "M1", kOctahedron);
    m->Calculated = false;
    RecordingSink msg;
    EXPECT_FALSE(Bonds1Click(*m, msg, 1));
    EXPECT_EQ(msg.texts, (std::vector<std::string>{
                             "Calculate the structure before its coordination geometry."}));
    EXPECT_FALSE(m->ShowingPolGeom);
}

TEST(Degenerate, FiftyLigands) {
    // Fifty ligands on a sphere (a spiral): every one a vertex, no limit hit.
    std::vector<Vec3> lig;
    const double golden = 3.14159265358979323846 * (3 - std::sqrt(5.0));
    for (int k = 0; k < MaxBonds; ++k) {
        const double z = 1 - 2 * (k + 0.5) / MaxBonds, rho = std::sqrt(1 - z * z);
        lig.push_back({3 * rho * std::cos(golden * k), 3 * rho * std::sin(golden * k), 3 * z});
    }
    auto m = CellModel(20);
    AddCentre(*m, true, "M1", lig);
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_TRUE(msg.texts.empty());
    const TAtoms& a = m->AC[1];
    EXPECT_EQ(a.VolFaces, 2 * MaxBonds - 4);
    EXPECT_EQ(a.SplitTable[50], "9");
    testing::ExpectClosedSurface(*m, a);
    EXPECT_NEAR(a.PolVolume, testing::HullVolume(testing::LigandPoints(a)), 1e-5);
    ExpectFiniteGeometry(a);
}

} // namespace
} // namespace kevo

// The geometric primitives and the ideal-polyhedron tables.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "poly/ideal.h"
#include "poly/primitives.h"
#include "poly_testing.h"

namespace kevo {
namespace {

using testing::ShapeModel;

TEST(Primitives, VertexLists) {
    EXPECT_EQ(Intersect(4, 9, 2, 9, 7, 4), "4 9");
    EXPECT_EQ(Intersect(1, 2, 3, 3, 4, 5), "");
    EXPECT_EQ(Intersect(10, 11, 12, 1, 10, 11), "10 11");
    EXPECT_TRUE(InFace(1, 2, 3, 4, 3, 2, 1));
    EXPECT_FALSE(InFace(1, 2, 5, 4, 3, 2, 1));
    EXPECT_EQ(ExIntersect("1 2 3 4", "1 2 3 5"), "4 5");
    EXPECT_EQ(ExIntersect("1 11 2 3", "1 2 3 4"), "11 4");
    EXPECT_EQ(ExIntersect("1 2 3 4", "1 2 3 4"), "");
    EXPECT_EQ(FaceString({2, 10, 1}), "1 10 2");
    EXPECT_EQ(Numbers(" 12  5 9 "), (std::vector<int>{12, 5, 9}));
}

TEST(Primitives, PlanesAndSides) {
    EXPECT_EQ(Determinant(1, 0, 0, 0, 2, 0, 0, 0, 3), 6.0);
    EXPECT_EQ(Determinant(1, 2, 3, 4, 5, 6, 7, 8, 10), -3.0);
    EXPECT_NEAR(DistanceToPlane(0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, -2), 2, 1e-12);
    EXPECT_EQ(DistanceToPlane(0, 0, 0, 1, 1, 1, 2, 2, 2, 5, 5, -2), 99.0);
    EXPECT_EQ(WhichSide(0, 0, 0, 1, 0, 0, 0, 1, 0, 0.2, 0.2, 1e-3), -1);
    EXPECT_EQ(WhichSide(0, 0, 0, 1, 0, 0, 0, 1, 0, 0.2, 0.2, -1e-3), 1);
    EXPECT_EQ(WhichSide(0, 0, 0, 1, 0, 0, 0, 1, 0, 0.2, 0.2, 5e-8), 0);
    EXPECT_EQ(DistanceXYZ(1, 2, 3, 4, 6, 3), 5.0);
}

TEST(Primitives, WorkingSetTests) {
    PolyWork w;
    w.ligands = 4;
    auto set = [&w](int k, double x, double y, double z) {
        w.LA[k].CX = x;
        w.LA[k].CY = y;
        w.LA[k].CZ = z;
        w.LA[k].X = x / 10;
        w.LA[k].Y = y / 10;
        w.LA[k].Z = z / 10;
    };
    set(0, 0, 0, 0);
    set(1, 2, 0, 0);
    set(2, 0, 2, 0);
    set(3, 0, 0, 2);
    set(4, 1, 1, 0); // on the line 1-2
    EXPECT_TRUE(Collinear(w, 1, 2, 4));
    EXPECT_FALSE(TrueFace(w, 1, 2, 4));
    EXPECT_TRUE(TrueFace(w, 1, 2, 3));
    EXPECT_NEAR(PlaneDistance(w, 3, 1, 2, 4), 0, 0); // undefined plane: 0
    EXPECT_NEAR(PlaneDistance(w, 0, 1, 2, 3), -2 / std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(Distance(w, 1, 2), std::sqrt(8.0), 1e-12);
    EXPECT_NEAR(Coplanar(w, 1, 2, 3, 0), 8e-3, 1e-15);
    // A plane that separates the central atom from the other ligands.
    set(0, 1.2, 1.2, 1.2);
    set(4, 0, 0, 0);
    EXPECT_FALSE(TrueFace(w, 1, 2, 3));
    w.TH[1] = {2, 0, 0};
    w.TH[2] = {0, 2, 0};
    w.TH[3] = {0, 0, 2};
    EXPECT_EQ(VolumeDeterminant(w, 1, 2, 3), 8.0);
}

TEST(Primitives, Angles) {
    auto m = ShapeModel({{2, 0, 0}});
    const double c = 0.5;
    EXPECT_EQ(BondAngle(*m, c, c, c, c + 0.2, c, c, c - 0.2, c, c), 180.0);
    EXPECT_NEAR(BondAngle(*m, c, c, c, c + 0.2, c, c, c, c + 0.1, c), 90, 1e-12);
    EXPECT_EQ(BondAngle(*m, c, c, c, c, c, c, c - 0.2, c, c), 0.0);
    // Triangles (1, 3, 4) and (2, 3, 4) at the edge 3-4 along x.
    const TMPoint e1{0.5, 0.5, 0.5}, e2{0.7, 0.5, 0.5};
    EXPECT_NEAR(DihedralAngle(*m, {0.6, 0.6, 0.5}, {0.6, 0.5, 0.6}, e1, e2), 90, 1e-4);
    EXPECT_EQ(DihedralAngle(*m, {0.6, 0.6, 0.5}, {0.6, 0.4, 0.5}, e1, e2), 0.0); // flat
    const double slight = DihedralAngle(*m, {0.6, 0.6, 0.5}, {0.6, 0.4, 0.51}, e1, e2);
    EXPECT_GT(slight, 170);
    EXPECT_LT(slight, 180);
    EXPECT_EQ(DihedralAngle(*m, {0.6, 0.5, 0.5}, {0.6, 0.4, 0.5}, e1, e2), 0.0); // degenerate
}

TEST(IdealPolyhedra, NamesAndVolumes) {
    struct Row {
        int CN, FN;
        double PV, CP;
        int Split;
        const char* name;
        double divisor; // SV / divisor; 0: no ideal volume
    };
    const Row rows[] = {
        {1, 0, 0, 1, 4, "    -", 0},
        {2, 0, 0, 1, 4, "dumb-bell", 0},
        {3, 1, 0.0005, 1, 4, "trigonal planar", 0},
        {3, 1, 1, 1, 4, "trigonal pyramid", 8.1621},
        {4, 1, 0, 0, 4, "square planar", 5.3014},
        {4, 1, 1, 0, 4, "square pyramid", 5.3014},
        {4, 4, 1, -1, 4, "tetrahedron", 8.1621},
        {5, 4, 1, 1, 4, "tetrahedron", 8.1621},
        {5, 5, 1, 1, 4, "square pyramid", 5.3014},
        {5, 6, 1, 1, 4, "trigonal bipyramid", 4.8368},
        {5, 7, 1, 1, 4, "", 4.8368},
        {6, 5, 1, 1, 4, "trigonal prism", 4.1888},
        {6, 8, 1, 1, 4, "octahedron", 3.1416},
        {6, 9, 1, 1, 4, "octahedron", 3.1416},
        {7, 10, 1, 1, 0, "pentagonal bipyramid", 2.6427},
        {7, 9, 1, 1, 0, "split octahedron", 3.0491},
        {7, 9, 1, 1, 1, "monocapped trigonal prism", 3.1424},
        {7, 8, 1, 1, 4, "n/a", 2.6427},
        {7, 11, 1, 1, 0, "n/a", 2.6427},
        {8, 6, 1, 1, 4, "cube", 2.7206},
        {8, 9, 1, 1, 4, "n/a", 1.7351},
        {8, 10, 1, 1, 4, "square antiprism", 1.7351},
        {8, 11, 1, 1, 4, "bicapped trigonal prism", 1.7351},
        {8, 12, 1, 1, 4, "hexagonal bipyramid", 4.8368},
        {8, 13, 1, 1, 4, "n/a", 2.4891},
        {9, 14, 1, 1, 4, "tricapped trigonal prism", 2.0496},
        {10, 16, 1, 1, 4, "n/a", 2.0496},
        {11, 18, 1, 1, 4, "n/a", 1.7772},
        {12, 20, 1, 1, 4, "icosahedron", 1.6516},
        {12, 14, 1, 1, 4, "cubeoctahedron", 1.6516},
        {12, 10, 1, 1, 4, "hexagonal prism", 2.0944},
        {12, 16, 1, 1, 4, "hexagonal antiprism", 2.0944},
        {12, 12, 1, 1, 4, "", 1.6516},
        {13, 22, 1, 1, 4, "", 0},
    };
    const double SV = 100;
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.CN) + " / " + std::to_string(r.FN));
        EXPECT_EQ(GetIdealPol(r.CN, r.FN, r.PV, SV, r.CP, r.Split), r.name);
        EXPECT_DOUBLE_EQ(GetIdealPolVol(r.CN, r.FN, r.PV, SV, r.CP, r.Split),
                         r.divisor > 0 ? SV / r.divisor : 0);
    }
}

} // namespace
} // namespace kevo

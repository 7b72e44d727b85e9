// The geometry run on ideal and nearly ideal polyhedra built around one
// central atom: faces, volumes (against the divergence theorem on the face
// triangles and a brute-force convex hull), fitted sphere, ideal polyhedron.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/messages.h"
#include "poly/geometry.h"
#include "poly_testing.h"

namespace kevo {
namespace {

using testing::DivergenceVolume;
using testing::ExpectClosedSurface;
using testing::ExpectFiniteGeometry;
using testing::HullVolume;
using testing::LigandPoints;
using testing::ShapeModel;

constexpr double kPi = 3.14159265358979323846;
constexpr double r = 2.0; // bond length of the regular shapes

std::vector<Vec3> Octahedron() {
    return {{r, 0, 0}, {-r, 0, 0}, {0, r, 0}, {0, -r, 0}, {0, 0, r}, {0, 0, -r}};
}

std::vector<Vec3> Cube() {
    const double s = r / std::sqrt(3.0);
    std::vector<Vec3> v;
    for (int x : {1, -1})
        for (int y : {1, -1})
            for (int z : {1, -1})
                v.push_back({s * x, s * y, s * z});
    return v;
}

// n points on a circle of radius rho at height z, starting at angle phase.
std::vector<Vec3> Ring(int n, double rho, double z, double phase = 0) {
    std::vector<Vec3> v;
    for (int k = 0; k < n; ++k) {
        const double t = phase + 2 * kPi * k / n;
        v.push_back({rho * std::cos(t), rho * std::sin(t), z});
    }
    return v;
}

std::vector<Vec3> Join(std::vector<Vec3> a, const std::vector<Vec3>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Vec3> Cuboctahedron() {
    const double s = r / std::sqrt(2.0);
    std::vector<Vec3> v;
    for (int p : {1, -1})
        for (int q : {1, -1}) {
            v.push_back({s * p, s * q, 0});
            v.push_back({s * p, 0, s * q});
            v.push_back({0, s * p, s * q});
        }
    return v;
}

std::vector<Vec3> Icosahedron() {
    const double phi = (1 + std::sqrt(5.0)) / 2;
    const double s = r / std::sqrt(1 + phi * phi);
    std::vector<Vec3> v;
    for (int p : {1, -1})
        for (int q : {1, -1}) {
            v.push_back({0, s * p, s * q * phi});
            v.push_back({s * p, s * q * phi, 0});
            v.push_back({s * q * phi, 0, s * p});
        }
    return v;
}

struct ShapeCase {
    const char* name;
    std::vector<Vec3> ligands;
    int FacesNo;
    int VolFaces;
    int IPFaces;
    double volume; // expected PolVolume; < 0: not checked against a formula
    const char* ideal;
    bool solid = true; // three-dimensional with the central atom inside
    Vec3 shift{0, 0, 0};
    double c_edge = 0;
};

std::vector<ShapeCase> Cases() {
    const double cubeEdge = 2 * r / std::sqrt(3.0);
    const double rho = 1.8, h = 1.0;
    std::vector<ShapeCase> c;
    c.push_back({"octahedron", Octahedron(), 8, 8, 8, 4.0 / 3 * r * r * r, "octahedron"});
    {
        const double s = r / std::sqrt(3.0);
        c.push_back({"tetrahedron",
                     {{s, s, s}, {s, -s, -s}, {-s, s, -s}, {-s, -s, s}},
                     4,
                     4,
                     4,
                     8 * r * r * r / (9 * std::sqrt(3.0)),
                     "tetrahedron"});
    }
    c.push_back({"cube", Cube(), 6, 12, 6, cubeEdge * cubeEdge * cubeEdge, "cube"});
    c.push_back({"square pyramid",
                 {{0, 0, r}, {r, 0, -0.3}, {-r, 0, -0.3}, {0, r, -0.3}, {0, -r, -0.3}},
                 5,
                 6,
                 5,
                 2 * r * r * (r + 0.3) / 3,
                 "square pyramid"});
    c.push_back({"trigonal prism", Join(Ring(3, rho, h), Ring(3, rho, -h)), 5, 8, 5,
                 3 * std::sqrt(3.0) / 4 * rho * rho * 2 * h, "trigonal prism"});
    c.push_back({"square planar",
                 {{r, 0, 0}, {0, r, 0}, {-r, 0, 0}, {0, -r, 0}},
                 1,
                 2,
                 1,
                 0,
                 "square planar",
                 false});
    c.push_back({"hexagonal prism", Join(Ring(6, rho, h), Ring(6, rho, -h)), 10, 20, 10,
                 3 * std::sqrt(3.0) / 2 * rho * rho * 2 * h, "hexagonal prism"});
    c.push_back({"hexagonal antiprism", Join(Ring(6, rho, h), Ring(6, rho, -h, kPi / 6)), 16, 20,
                 16, -1, "hexagonal antiprism"});
    c.push_back({"cuboctahedron", Cuboctahedron(), 14, 20, 14, 5 * std::sqrt(2.0) / 3 * r * r * r,
                 "cubeoctahedron"});
    c.push_back({"icosahedron", Icosahedron(), 20, 20, 20, -1, "icosahedron"});
    c.push_back({"pentagonal pyramid (five coplanar ligands)", Join({{0, 0, r}}, Ring(5, r, -0.5)),
                 7, 8, 7, 5.0 / 2 * r * r * std::sin(2 * kPi / 5) * (r + 0.5) / 3,
                 "trigonal prism"});
    c.push_back({"cube with a ligand at a face centre", Join(Cube(), {{0, 0, cubeEdge / 2}}), 6, 12,
                 6, cubeEdge * cubeEdge * cubeEdge, "tricapped trigonal prism"});
    c.push_back({"octahedron with a ligand on an edge", Join({{r / 2, r / 2, 0}}, Octahedron()), 8,
                 10, 8, 4.0 / 3 * r * r * r, "n/a"});
    // Three ligands on one line, images along a 3 A axis.
    c.push_back({"three collinear ligands along a short cell axis",
                 {{2, 0, -3}, {2, 0, 0}, {2, 0, 3}, {-2, 0, 0}, {0, 2, 0}, {0, -2, 0}},
                 6,
                 8,
                 6,
                 -1,
                 "trigonal prism",
                 true,
                 {0, 0, 0},
                 3.0});
    ShapeCase off{"off-centre central atom", Octahedron(), 8, 8, 8,
                  4.0 / 3 * r * r * r,       "octahedron"};
    off.shift = {0.3, -0.2, 0.1};
    c.push_back(off);
    return c;
}

TEST(Shapes, FacesVolumesAndIdealPolyhedra) {
    for (const ShapeCase& sc : Cases()) {
        SCOPED_TRACE(sc.name);
        auto m = ShapeModel(sc.ligands, 10, sc.shift, sc.c_edge);
        RecordingSink msg;
        ASSERT_TRUE(Bonds1Click(*m, msg, 1));
        EXPECT_TRUE(msg.texts.empty());
        const TAtoms& a = m->AC[1];
        EXPECT_EQ(a.FacesNo, sc.FacesNo);
        EXPECT_EQ(a.VolFaces, sc.VolFaces);
        EXPECT_EQ(a.IPFaces, sc.IPFaces);
        EXPECT_EQ(a.SCoor, a.Coor);
        EXPECT_EQ(a.IdealPolyhedron, sc.ideal);
        if (sc.volume >= 0) {
            EXPECT_NEAR(a.PolVolume, sc.volume, 1e-6);
        }
        double parts = 0;
        for (int f = 1; f <= a.VolFaces; ++f)
            parts += a.PartVolumes[f];
        EXPECT_NEAR(parts, a.PolVolume, 1e-9);
        if (sc.solid) {
            ASSERT_TRUE(testing::CentreInside(a));
            ExpectClosedSurface(*m, a);
            EXPECT_NEAR(a.PolVolume, DivergenceVolume(*m, a), 1e-5);
            EXPECT_NEAR(a.PolVolume, HullVolume(LigandPoints(a)), 1e-5);
        }
        ExpectFiniteGeometry(a);
        // The display form lists every triangle row of the volume step.
        EXPECT_EQ(a.DispFacesNo, a.VolFaces);
    }
}

TEST(Shapes, RegularOctahedron) {
    auto m = ShapeModel(Octahedron());
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    const TAtoms& a = m->AC[1];
    EXPECT_NEAR(a.CentroidCA, 0, 1e-12);
    EXPECT_NEAR(a.Xo, 0.5, 1e-12);
    EXPECT_NEAR(a.Yo, 0.5, 1e-12);
    EXPECT_NEAR(a.Zo, 0.5, 1e-12);
    for (int k = 1; k <= 3; ++k)
        EXPECT_NEAR(a.CenVector[k], 0, 1e-12);
    EXPECT_NEAR(a.SRadius, r, 1e-12);
    EXPECT_NEAR(a.LECC, 0, 1e-12);
    EXPECT_NEAR(a.SECC, 0, 1e-12);
    EXPECT_NEAR(a.CenBondSD, 0, 1e-12);
    EXPECT_NEAR(a.SPHL, 1, 1e-12);
    EXPECT_NEAR(a.SPHV, 1, 1e-12);
    EXPECT_NEAR(a.SVolume, 4 * kPi / 3 * r * r * r, 1e-9);
    EXPECT_NEAR(a.IdealPolVolume, a.SVolume / 3.1416, 1e-12);
    EXPECT_NEAR(a.IdealPolDistortion, 2.3e-6, 0.1e-6); // 3.1416 against pi
    // Every triangle has three neighbours, every fold 109.47 degrees.
    for (int j = 1; j <= a.VolFaces; ++j) {
        SCOPED_TRACE(a.CPFaces[j]);
        EXPECT_EQ(a.DAngles[j],
                  a.CPFaces[j] + "   " + "      109.47" + "      109.47" + "      109.47");
        EXPECT_EQ(a.AdjacentFaces[j].size(), 36u);
    }
    EXPECT_EQ(a.Faces[1], "1 3 5");
    EXPECT_EQ(a.CPFaces[1], "1 3 5");
    EXPECT_GE(m->timeelapsed3, 0);
    EXPECT_TRUE(m->ShowingPolGeom);
}

TEST(Shapes, SquarePlanarFitsTheCircleInItsPlane) {
    auto m = ShapeModel({{r, 0, 0}, {0, r, 0}, {-r, 0, 0}, {0, -r, 0}}, 10, {0, 0, 0});
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_TRUE(msg.texts.empty());
    const TAtoms& a = m->AC[1];
    EXPECT_EQ(a.PolVolume, 0.0);
    EXPECT_EQ(a.IdealPolyhedron, "square planar");
    EXPECT_NEAR(a.SRadius, r, 1e-12);
    EXPECT_NEAR(a.CentroidCA, 0, 1e-12);
    EXPECT_NEAR(a.IdealPolVolume, a.SVolume / 5.3014, 1e-12);
    EXPECT_EQ(a.IdealPolDistortion, 1.0);

    // A rectangle in a tilted plane, the central atom off it: the centre is
    // the rectangle's centre, in its plane.
    const double s = std::sqrt(0.5);
    auto t = ShapeModel({{1.5 * s, 1.5 * s, 1}, {-1.5 * s, -1.5 * s, 1}, {-s, s, 1}, {s, -s, 1}},
                        10, {0.1, 0.2, -0.5});
    ASSERT_TRUE(Bonds1Click(*t, msg, 1));
    const TAtoms& b = t->AC[1];
    EXPECT_NEAR(b.CXo, 5, 1e-9);
    EXPECT_NEAR(b.CYo, 5, 1e-9);
    EXPECT_NEAR(b.CZo, 6, 1e-9);
    EXPECT_NEAR(b.SRadius, (2 * 1.5 + 2 * 1.0) / 4, 1e-9);
    EXPECT_EQ(b.IdealPolyhedron, "square pyramid");
    ExpectFiniteGeometry(b);
}

TEST(Shapes, TetrahedronAndThreeLigands) {
    // Three ligands: the centre is the circumcentre of their triangle, in its
    // plane, even with the central atom off that plane; the deviation
    // divides by 2.
    auto m = ShapeModel({{2, 0, 0}, {0, 2, 0}, {0, 0, 2.5}}, 10, {-0.2, -0.2, -0.2});
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    const TAtoms& a = m->AC[1];
    const Vec3 centre{a.CXo - 5, a.CYo - 5, a.CZo - 5};
    double d[3];
    const Vec3 p[3] = {{2, 0, 0}, {0, 2, 0}, {0, 0, 2.5}};
    for (int k = 0; k < 3; ++k)
        d[k] = Norm(Sub(centre, p[k]));
    EXPECT_NEAR(d[0], d[1], 1e-9);
    EXPECT_NEAR(d[0], d[2], 1e-9);
    EXPECT_NEAR(Dot(Sub(centre, p[0]), Cross(Sub(p[1], p[0]), Sub(p[2], p[0]))), 0, 1e-9);
    EXPECT_NEAR(a.CenBondSD, 0, 1e-9);
    EXPECT_EQ(a.FacesNo, 1);
    EXPECT_EQ(a.IdealPolyhedron, "trigonal pyramid");
    EXPECT_EQ(a.DAngles[1], "n/a");
    EXPECT_EQ(a.AdjacentFaces[1], "");
}

TEST(Shapes, StronglyOffCentreAtomLosesTheFaceItIsBeyond) {
    // Beyond the face of ligands 1 (+x), 3 (+y), 5 (+z).
    auto m = ShapeModel(Octahedron(), 10, {0.8, 0.8, 0.8});
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    const TAtoms& a = m->AC[1];
    EXPECT_EQ(a.FacesNo, 7);
    for (int f = 1; f <= a.VolFaces; ++f)
        EXPECT_NE(a.CPFaces[f], "1 3 5");
}

TEST(Shapes, TwoAndOneLigands) {
    auto m = ShapeModel({{2, 0, 0}, {-2, 0, 0}});
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    const TAtoms& a = m->AC[1];
    EXPECT_EQ(a.IdealPolyhedron, "dumb-bell");
    EXPECT_EQ(a.SCoor, 2);
    EXPECT_EQ(a.PolVolume, 0.0);
    EXPECT_EQ(a.IdealPolVolume, 0.0);
    EXPECT_EQ(a.Xo, 1.0);
    EXPECT_EQ(a.CenVector[3], 1.0);
    EXPECT_EQ(a.SRadius, 0.0);
    EXPECT_EQ(a.DAngles[1], "n/a");

    auto one = ShapeModel({{2, 0, 0}});
    ASSERT_TRUE(Bonds1Click(*one, msg, 1));
    EXPECT_EQ(one->AC[1].IdealPolyhedron, "    -");
    EXPECT_TRUE(msg.texts.empty());
}

} // namespace
} // namespace kevo

// Opposing bonds and the 123-45 averages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/messages.h"
#include "poly/geometry.h"
#include "poly/opposing.h"
#include "poly_testing.h"

namespace kevo {
namespace {

using testing::AddCentre;
using testing::CellModel;

// An octahedron along the Cartesian axes with six different bond lengths:
// 1 +x, 2 -x, 3 +y, 4 -y, 5 +z, 6 -z.
std::vector<Vec3> AxisOctahedron() {
    return {{2.0, 0, 0}, {-2.1, 0, 0}, {0, 1.9, 0}, {0, -2.2, 0}, {0, 0, 2.05}, {0, 0, -1.95}};
}

std::unique_ptr<Model> OctahedronModel() {
    auto m = CellModel();
    AddCentre(*m, true, "Ti1", AxisOctahedron());
    m->AAlength = 1;
    m->AA.Ensure(m->AAlength);
    m->AA[1].Atomlabel = "O10"; // the longest anion label: ligand labels take 5 columns
    m->CalcOppBonds = true;
    return m;
}

TEST(OpposingBonds, AxisOctahedronWithTheXAxis) {
    struct Case {
        const char* name;
        bool AutoZone;
        int Zone;
    };
    for (const Case c : {Case{"custom zone [1 0 0]", false, 3}, Case{"auto zone", true, 0}}) {
        SCOPED_TRACE(c.name);
        auto m = OctahedronModel();
        m->AutoZone = c.AutoZone;
        m->CustomZone = {};
        m->CustomZone[1] = 1;
        RecordingSink msg;
        ASSERT_TRUE(Bonds1Click(*m, msg, 1));
        EXPECT_TRUE(msg.texts.empty());
        EXPECT_EQ(m->Zone, c.Zone);
        const TAtoms& a = m->AC[1];
        EXPECT_EQ(a.MinIP, "Ok");
        EXPECT_EQ(a.PlaneAngle[1], 0.0);
        // The base 1 2 5 6 holds the x axis; of its two 180-degree pairs the
        // later one comes first.
        EXPECT_EQ(a.IP[1][1], "1.950   2.050   180.00   in plane           O6   O5");
        EXPECT_EQ(a.IP[2][1], "2.000   2.100   180.00   in plane           O1   O2");
        EXPECT_EQ(a.OOP[1][1], "1.900   2.200   180.00   out of plane       O3   O4");
        EXPECT_EQ(a.OOP[2][1], "");
        EXPECT_EQ(m->ErrOB, "");
    }
}

TEST(OpposingBonds, ZAxisTakesTheOtherBase) {
    auto m = OctahedronModel();
    m->AutoZone = false;
    m->CustomZone = {};
    m->CustomZone[3] = 1;
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    const TAtoms& a = m->AC[1];
    EXPECT_EQ(a.IP[1][1], "1.950   2.050   180.00   in plane           O6   O5");
    EXPECT_EQ(a.IP[2][1], "1.900   2.200   180.00   in plane           O3   O4");
    EXPECT_EQ(a.OOP[1][1], "2.000   2.100   180.00   out of plane       O1   O2");
}

TEST(OpposingBonds, FailuresAreListedOnce) {
    auto m = OctahedronModel();
    AddCentre(*m, true, "Ti2", AxisOctahedron());
    const double s = 2 / std::sqrt(3.0);
    std::vector<Vec3> cube;
    for (int x : {1, -1})
        for (int y : {1, -1})
            for (int z : {1, -1})
                cube.push_back({s * x, s * y, s * z});
    AddCentre(*m, true, "Ca1", cube);
    AddCentre(*m, true, "Si1", {{1.6, 0, 0}, {0, 1.6, 0}, {0, 0, 1.6}, {-1, -1, -1}});
    m->AutoZone = false;
    m->CustomZone = {}; // no axis: no base can hold it

    // Stale lines of an earlier run must go.
    m->AC[3].MinIP = "Ok";
    m->AC[3].IP[1][1] = "old";
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_EQ(m->ErrOB, "Ti1, Ti2");
    EXPECT_EQ(msg.texts,
              (std::vector<std::string>{"Unable to process opposing bonds of\nTi1, "
                                        "Ti2.\nTry adjusting the coordination number."}));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(m->AC[i].MinIP, "");
        EXPECT_EQ(m->AC[i].IP[1][1], "");
    }

    // Eight ligands are analysed without OB67: the cube has no caps.
    m->OB67 = false;
    m->CustomZone[1] = 1;
    msg.texts.clear();
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_EQ(m->ErrOB, "Ca1");
    EXPECT_EQ(m->AC[1].MinIP, "Ok");
}

TEST(OpposingBonds, BicappedTrigonalPrism) {
    // A trigonal prism along x (1 2 3 at x = +1.3, 4 5 6 below them at
    // -1.3) with caps 7 and 8 over the faces 1 3 4 6 and 1 2 4 5.
    const double deg = 3.14159265358979323846 / 180;
    std::vector<Vec3> lig;
    for (double x : {1.3, -1.3})
        for (double t : {90.0, 210.0, 330.0})
            lig.push_back({x, 1.8 * std::cos(t * deg), 1.8 * std::sin(t * deg)});
    for (double t : {30.0, 150.0})
        lig.push_back({0, 2.4 * std::cos(t * deg), 2.4 * std::sin(t * deg)});
    auto m = CellModel();
    AddCentre(*m, true, "La1", lig);
    m->CalcOppBonds = true;
    m->OB67 = false;
    m->AutoZone = false;
    m->CustomZone = {};
    m->CustomZone[1] = 1;
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_TRUE(msg.texts.empty());
    const TAtoms& a = m->AC[1];
    EXPECT_EQ(a.MinIP, "Ok");
    for (int k = 1; k <= 2; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(a.PlaneAngle[k], 0, 1e-4);
        EXPECT_NE(a.IP[1][k].find("in plane"), std::string::npos);
        EXPECT_NE(a.IP[2][k].find("in plane"), std::string::npos);
        // The cap against the far edge of the prism, 144 degrees each way.
        const std::string cap = k == 1 ? "O7" : "O8";
        const std::string edge = k == 1 ? "O2" : "O3";
        EXPECT_EQ(a.OOP[1][k].substr(0, 24), "2.220   2.400   144.16  ");
        EXPECT_NE(a.OOP[1][k].find("out of plane "), std::string::npos);
        EXPECT_NE(a.OOP[2][k].find("out of plane*"), std::string::npos);
        EXPECT_NE(a.OOP[1][k].find(cap), std::string::npos);
        EXPECT_NE(a.OOP[2][k].find(cap), std::string::npos);
        EXPECT_NE((a.OOP[1][k] + a.OOP[2][k]).find(edge), std::string::npos);
    }
}

TEST(OpposingBonds, Helpers) {
    auto m = CellModel();
    std::vector<Vec3> lig;
    for (int k = 0; k < 12; ++k)
        lig.push_back({2 * std::cos(k * 0.5), 2 * std::sin(k * 0.5), k * 0.1});
    TAtoms& r = AddCentre(*m, true, "M1", lig);
    const char* faces[] = {"1 2 3", "1 3 4", "1 4 5", "1 2 5", "10 11 12", "2 3 10"};
    r.VolFaces = 6;
    for (int f = 1; f <= 6; ++f)
        r.CPFaces[f] = faces[f - 1];
    // Whole numbers: 10, 11 and 12 are no neighbours of 1.
    EXPECT_EQ(Pyramid(*m, 1, 1), "2 3 4 5");
    EXPECT_EQ(Pyramid(*m, 1, 12), "");
    EXPECT_EQ(GetOppEdge("1 2 3 4", "1 2 5 3 4 6 7 8 9"), "5 6");

    // A face tilted 30 degrees from the xy plane against the z axis.
    const double t = 30 * 3.14159265358979323846 / 180;
    auto z = CellModel();
    AddCentre(*z, true, "M2",
              {{0, 0, 0}, {1, 0, 0}, {0, std::cos(t), std::sin(t)}, {1, std::cos(t), std::sin(t)}});
    EXPECT_NEAR(ZoneAngle4(*z, 1, 2, "1 2 3 4"), 30, 1e-4);
    EXPECT_NEAR(ZoneAngle4(*z, 1, 2, "1 3 2 4"), 150, 1e-4);
    EXPECT_NEAR(ZoneAngle3(*z, 1, 2, "1 3 2"), 30, 1e-4);
    EXPECT_EQ(ZoneAngle4(*z, 1, 2, "1 2 9 4"), 0.0); // no such bond
}

TEST(OpposingBonds, Averages123_45) {
    auto m = CellModel();
    AddCentre(*m, true, "M1", AxisOctahedron());
    AddCentre(*m, true, "M2", {{2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {-1, -1, -1}});
    m->AC[2].Average123_45[1] = 7;
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_NEAR(m->AC[1].Average123_45[1], (2.0 + 2.1 + 1.9) / 3, 1e-12);
    EXPECT_NEAR(m->AC[1].Average123_45[2], (2.2 + 2.05) / 2, 1e-12);
    EXPECT_EQ(m->AC[2].Average123_45[1], 7.0);

    m->Calc32Averages = false;
    m->AC[1].Average123_45[1] = 5;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_EQ(m->AC[1].Average123_45[1], 5.0);
}

} // namespace
} // namespace kevo

// The face construction on the cases that decide its rules: flat faces with
// positions on a side or inside, the split of a flat piece, folded four-rings
// and MinDih, whole face strings, split pairs in the second construction,
// text-ordered positions.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/messages.h"
#include "poly/faces.h"
#include "poly/geometry.h"
#include "poly/volumes.h"
#include "poly_testing.h"

namespace kevo {
namespace {

using testing::DivergenceVolume;
using testing::ExpectClosedSurface;
using testing::HullVolume;
using testing::LigandPoints;
using testing::ShapeModel;

constexpr double kPi = 3.14159265358979323846;

std::vector<std::string> List(const FaceArray<std::string>& a, int n) {
    std::vector<std::string> v;
    for (int k = 1; k <= n; ++k)
        v.push_back(a[k]);
    return v;
}

// Faces (position numbering) and triangles of the first construction.
struct Built {
    std::vector<std::string> faces, triangles;
    int IPFaces = 0;
    int SCoor = 0;
};

Built Construct(Model& m) {
    RecordingSink msg;
    PolyWork w;
    InitializeFaces(m);
    GetVolume(m, msg, w, 1);
    EXPECT_TRUE(msg.texts.empty());
    const TAtoms& a = m.AC[1];
    return {List(a.Faces, a.FacesNo), List(a.CPFaces, a.VolFaces), a.IPFaces, a.SCoor};
}

bool Has(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(Faces, PentagonIsCutFromItsFirstVertex) {
    // Apex 1 over a pentagon whose boundary runs 2 4 5 3 6.
    const double rr = 2;
    std::vector<Vec3> lig{{0, 0, 2}};
    const int order[5] = {2, 4, 5, 3, 6}; // ligand at each corner, going round
    lig.resize(6);
    for (int k = 0; k < 5; ++k) {
        const double t = 2 * kPi * k / 5;
        lig[static_cast<std::size_t>(order[k] - 1)] = {rr * std::cos(t), rr * std::sin(t), -0.5};
    }
    auto m = ShapeModel(lig);
    const Built b = Construct(*m);
    EXPECT_EQ(b.faces, (std::vector<std::string>{"1 2 4", "1 2 6", "1 3 5", "1 3 6", "1 4 5",
                                                 "2 3 4 5", "2 3 6"}));
    EXPECT_EQ(b.triangles, (std::vector<std::string>{"1 2 4", "1 2 6", "1 3 5", "1 3 6", "1 4 5",
                                                     "3 4 5", "2 3 4", "2 3 6"}));
}

TEST(Faces, PositionOnASideIsAVertexOfBothFaces) {
    // Octahedron 2-7 (2 +x, 3 -x, 4 +y, 5 -y, 6 +z, 7 -z), ligand 1 halfway
    // between 2 and 4: "1 2 4" is no face; 2 4 6 and 2 4 7 take 1 in.
    const double r = 2;
    auto m = ShapeModel(
        {{r / 2, r / 2, 0}, {r, 0, 0}, {-r, 0, 0}, {0, r, 0}, {0, -r, 0}, {0, 0, r}, {0, 0, -r}});
    const Built b = Construct(*m);
    EXPECT_FALSE(Has(b.faces, "1 2 4"));
    EXPECT_FALSE(Has(b.triangles, "1 2 4"));
    EXPECT_EQ(b.faces.front(), "1 2 4 6");
    EXPECT_EQ(b.faces[1], "1 2 4 7");
    EXPECT_EQ(std::vector<std::string>(b.triangles.begin(), b.triangles.begin() + 4),
              (std::vector<std::string>{"1 2 6", "1 4 6", "1 2 7", "1 4 7"}));
    ExpectClosedSurface(*m, m->AC[1]);
}

TEST(Faces, PieceOnALineIsLeftOut) {
    // The top triangle 1 2 3 holds 4 on its side 1-2 and 5 on 1-3: going
    // round 1 4 2 3 5 the pieces are 1 4 2 3 and the line 1 3 5.
    auto m = ShapeModel(
        {{0, 2, 1}, {-1.8, -1, 1}, {1.8, -1, 1}, {-0.9, 0.5, 1}, {0.9, 0.5, 1}, {0, 0, -2}});
    const Built b = Construct(*m);
    EXPECT_EQ(b.faces, (std::vector<std::string>{"1 2 3 4", "1 2 4 6", "1 3 5 6", "2 3 6"}));
    EXPECT_EQ(b.triangles, (std::vector<std::string>{"1 3 4", "2 3 4", "1 4 6", "2 4 6", "1 5 6",
                                                     "3 5 6", "2 3 6"}));
    ExpectClosedSurface(*m, m->AC[1]);
    EXPECT_NEAR(m->AC[1].PolVolume, HullVolume(LigandPoints(m->AC[1])), 1e-5);
}

TEST(Faces, PositionInsideAFlatFaceIsNoVertex) {
    // A cube with a ligand at the centre of its top face (ligand 9).
    const double s = 2 / std::sqrt(3.0);
    std::vector<Vec3> lig;
    for (int x : {1, -1})
        for (int y : {1, -1})
            for (int z : {1, -1})
                lig.push_back({s * x, s * y, s * z});
    lig.push_back({0, 0, s});
    auto m = ShapeModel(lig);
    const Built b = Construct(*m);
    EXPECT_EQ(b.faces.size(), 6u);
    for (const std::string& f : b.faces)
        EXPECT_EQ(f.find('9'), std::string::npos) << f;
    EXPECT_EQ(b.triangles.size(), 12u);
}

// A square pyramid whose base is folded along the diagonal 2-4 by 175
// degrees.
std::unique_ptr<Model> PuckeredPyramid(double MinDih) {
    const double r = 2, e = r * std::tan(2.5 * kPi / 180);
    auto m =
        ShapeModel({{0, 0, r}, {r, 0, -0.5}, {0, r, -0.5 + e}, {-r, 0, -0.5}, {0, -r, -0.5 + e}});
    m->MinDih = MinDih;
    return m;
}

TEST(Faces, PuckeredFourRingMergesFromMinDih) {
    {
        SCOPED_TRACE("MinDih 170");
        auto m = PuckeredPyramid(170);
        const Built b = Construct(*m);
        EXPECT_EQ(b.faces.size(), 5u);
        EXPECT_TRUE(Has(b.faces, "2 3 4 5"));
        // The folded face keeps its own two triangles.
        EXPECT_TRUE(Has(b.triangles, "2 3 4"));
        EXPECT_TRUE(Has(b.triangles, "2 4 5"));
        EXPECT_EQ(b.triangles.size(), 6u);
        ExpectClosedSurface(*m, m->AC[1]);
        EXPECT_NEAR(m->AC[1].PolVolume, HullVolume(LigandPoints(m->AC[1])), 1e-5);
    }
    {
        SCOPED_TRACE("MinDih 178");
        auto m = PuckeredPyramid(178);
        const Built b = Construct(*m);
        EXPECT_EQ(b.faces.size(), 6u);
        EXPECT_TRUE(Has(b.faces, "2 3 4"));
        EXPECT_TRUE(Has(b.faces, "2 4 5"));
        EXPECT_NEAR(m->AC[1].PolVolume, HullVolume(LigandPoints(m->AC[1])), 1e-5);
    }
}

TEST(Faces, WholeFaceStringsWithTwelvePositions) {
    // A cuboctahedron whose x = +1 square (positions 10, 12, 5, 9 going
    // round) is folded along 12-9; triangle 2 5 9 borders it. Positions
    // follow the text order of the ligand numbers: position k holds ligand
    // 1, 10, 11, 12, 2, 3, ... 9.
    const double s = 2 / std::sqrt(2.0), d = 0.06;
    std::vector<Vec3> byPosition(13);
    byPosition[10] = {s, s, 0};
    byPosition[12] = {s + d, 0, s};
    byPosition[5] = {s, -s, 0};
    byPosition[9] = {s + d, 0, -s};
    byPosition[2] = {0, -s, -s};
    const Vec3 others[7] = {{-s, s, 0}, {-s, -s, 0}, {-s, 0, s}, {-s, 0, -s},
                            {0, s, s},  {0, s, -s},  {0, -s, s}};
    const int rest[7] = {1, 3, 4, 6, 7, 8, 11};
    for (int k = 0; k < 7; ++k)
        byPosition[static_cast<std::size_t>(rest[k])] = others[k];
    const int ligandOf[13] = {0, 1, 10, 11, 12, 2, 3, 4, 5, 6, 7, 8, 9};
    std::vector<Vec3> lig(12);
    for (int p = 1; p <= 12; ++p)
        lig[static_cast<std::size_t>(ligandOf[p] - 1)] = byPosition[static_cast<std::size_t>(p)];
    auto m = ShapeModel(lig);
    const Built b = Construct(*m);
    EXPECT_TRUE(Has(b.faces, "10 12 5 9"));
    EXPECT_TRUE(Has(b.triangles, "10 12 9"));
    EXPECT_TRUE(Has(b.triangles, "12 5 9"));
    EXPECT_TRUE(Has(b.faces, "2 5 9"));
    EXPECT_TRUE(Has(b.triangles, "2 5 9"));
    EXPECT_EQ(b.faces.size(), 14u);
    const TAtoms& a = m->AC[1];
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(a.SplitTable[k], IntToStr(ligandOf[k]));
    ExpectClosedSurface(*m, a);
    EXPECT_NEAR(a.PolVolume, DivergenceVolume(*m, a), 1e-5);
    EXPECT_NEAR(a.PolVolume, HullVolume(LigandPoints(a)), 1e-5);

    // The display form speaks of ligands.
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    bool shown = false;
    for (int f = 1; f <= a.DispFacesNo; ++f)
        if (a.Faces[f] == "7 9 2 6") { // positions 10 12 5 9
            shown = true;
            EXPECT_EQ(a.Faces[f + 1], " ");
        }
    EXPECT_TRUE(shown);
}

TEST(Faces, SplitPairMergedInTheSecondConstructionOnly) {
    // An octahedron whose +z corner is split into ligands 5 and 6, 0.5 A apart.
    const double r = 2;
    auto m = ShapeModel(
        {{r, 0, 0}, {-r, 0, 0}, {0, r, 0}, {0, -r, 0}, {0.25, 0, r}, {-0.25, 0, r}, {0, 0, -r}});
    const Built b = Construct(*m);
    EXPECT_EQ(b.SCoor, 6);
    EXPECT_EQ(b.IPFaces, 8);
    EXPECT_EQ(b.faces.size(), 10u); // the first construction keeps both
    ExpectClosedSurface(*m, m->AC[1]);

    // The working set after the second construction: 5-6 at the midpoint.
    PolyWork w;
    RecordingSink msg;
    GetVolume(*m, msg, w, 1);
    ASSERT_EQ(w.ligands, 6);
    EXPECT_EQ(w.LA[5].FaceLabel, "5-6");
    EXPECT_NEAR(w.LA[5].CX, 5, 1e-8);
    EXPECT_NEAR(w.LA[5].CZ, 5 + r, 1e-8);
    EXPECT_EQ(w.LA[6].FaceLabel, "7");

    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    EXPECT_EQ(m->AC[1].IdealPolyhedron, "octahedron");

    // With MaxSDist 0.4 the pair stays apart.
    m->MaxSDist = 0.4;
    EXPECT_EQ(Construct(*m).SCoor, 7);
}

TEST(Faces, SameFacesInEveryCell) {
    // Tolerances are in A: a square base off flat by 5e-6 A and an edge
    // ligand give the same faces in a small and in a large cell.
    const double r = 2;
    const std::vector<Vec3> lig{{0, 0, r},     {r, 0, -0.5},  {0, r, -0.5 + 5e-6},
                                {-r, 0, -0.5}, {0, -r, -0.5}, {r / 2, 0, 0.75}};
    std::vector<std::string> first;
    for (double a : {5.0, 10.0, 40.0}) {
        SCOPED_TRACE(a);
        auto m = ShapeModel(lig, a);
        const Built b = Construct(*m);
        std::vector<std::string> all = b.faces;
        all.insert(all.end(), b.triangles.begin(), b.triangles.end());
        if (first.empty()) first = all;
        EXPECT_EQ(all, first);
        ExpectClosedSurface(*m, m->AC[1]);
        EXPECT_NEAR(m->AC[1].PolVolume, HullVolume(LigandPoints(m->AC[1])), 1e-5);
    }
}

TEST(Faces, InitializeFacesClearsBothSides) {
    auto m = ShapeModel({{2, 0, 0}});
    m->AAlength = 1;
    m->AA.Ensure(m->AAlength);
    for (TAtoms* r : {&m->AC[1], &m->AA[1]}) {
        r->FacesNo = r->VolFaces = r->IPFaces = 3;
        r->Faces[100] = r->CPFaces[1] = r->AdjacentFaces[2] = r->DAngles[3] = "x";
        r->PartVolumes[4] = 1;
    }
    InitializeFaces(*m);
    for (const TAtoms* r : {&m->AC[1], &m->AA[1]}) {
        EXPECT_EQ(r->FacesNo + r->VolFaces + r->IPFaces, 0);
        EXPECT_EQ(r->Faces[100] + r->CPFaces[1] + r->AdjacentFaces[2] + r->DAngles[3], "");
        EXPECT_EQ(r->PartVolumes[4], 0.0);
    }
}

} // namespace
} // namespace kevo

// The geometry run through the real pipeline (reading, calculation,
// geometry) on periclase and on every example, both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "poly/geometry.h"
#include "poly_testing.h"

namespace kevo {
namespace {

using testing::CentreInside;
using testing::DivergenceVolume;
using testing::ExpectClosedSurface;
using testing::ExpectFiniteGeometry;
using testing::HullVolume;
using testing::LigandPoints;

const std::string kBvs = KEVO_SOURCE_DIR "/data/bvsparm.cif";

std::vector<std::string> Examples() {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(KEVO_SOURCE_DIR "/examples"))
        if (e.path().extension() == ".cif") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// Reads, calculates and runs the geometry for one side.
void RunGeometry(Model& m, const std::string& path, int side) {
    RecordingSink msg;
    ASSERT_TRUE(ReadCifFile(path, m, msg)) << path;
    m.ShowCations = side == 1;
    ASSERT_TRUE(Calculate(m, msg, {kBvs}));
    ASSERT_TRUE(Bonds1Click(m, msg, side));
    EXPECT_TRUE(msg.texts.empty()) << msg.texts.front();
}

TEST(Examples, PericlaseAtFourAngstrom) {
    const double a = 2.977767 * std::sqrt(2.0);
    for (int side : {1, 2}) {
        SCOPED_TRACE(side == 1 ? "Mg1" : "O1");
        auto m = Model::Create();
        RunGeometry(*m, KEVO_TEST_DATA_DIR "/poly/periclase.cif", side);
        const TAtoms& r = side == 1 ? m->AC[1] : m->AA[1];
        ASSERT_EQ(r.Coor, 14);
        EXPECT_EQ(r.FacesNo, 6);
        EXPECT_EQ(r.VolFaces, 12);
        EXPECT_EQ(r.DispFacesNo, 12);
        EXPECT_NEAR(r.PolVolume, a * a * a, 1e-5);
        EXPECT_NEAR(a * a * a, 74.68, 0.005);
        EXPECT_NEAR(r.SRadius, (6 * a / 2 + 8 * a * std::sqrt(3.0) / 2) / 14, 1e-6);
        EXPECT_NEAR(r.CentroidCA, 0, 1e-6);
        // Each face is a square of four corners, its centre ligand inside.
        for (int f = 1; f <= r.DispFacesNo; f += 2) {
            EXPECT_EQ(Numbers(r.Faces[f]).size(), 4u) << r.Faces[f];
            EXPECT_EQ(r.Faces[f + 1], " ");
        }
        ExpectClosedSurface(*m, r);
        EXPECT_NEAR(r.PolVolume, DivergenceVolume(*m, r), 1e-5);
    }
}

TEST(Examples, RutileTitanium) {
    auto m = Model::Create();
    RunGeometry(*m, KEVO_SOURCE_DIR "/examples/rutile_TiO2_AMCSD0019092.cif", 1);
    const TAtoms& ti = m->AC[1];
    EXPECT_NEAR(ti.PolVolume, 67.0, 0.05);
    EXPECT_NEAR(ti.PolVolume, HullVolume(LigandPoints(ti)), 1e-5);
    ExpectClosedSurface(*m, ti);
}

TEST(Examples, EveryExampleBothSides) {
    auto m = Model::Create();
    const auto files = Examples();
    ASSERT_EQ(files.size(), 8u);
    for (const auto& file : files) {
        for (int side : {1, 2}) {
            SCOPED_TRACE(file + (side == 1 ? " cation-centred" : " anion-centred"));
            RunGeometry(*m, file, side);
            const AtomArray& atoms = side == 1 ? m->AC : m->AA;
            const int n = side == 1 ? m->AClength : m->AAlength;
            for (int i = 1; i <= n; ++i) {
                const TAtoms& r = atoms[i];
                SCOPED_TRACE(r.Atomlabel);
                ExpectFiniteGeometry(r);
                double parts = 0;
                for (int f = 1; f <= r.VolFaces; ++f)
                    parts += r.PartVolumes[f];
                EXPECT_NEAR(parts, r.PolVolume, 1e-9);
                if (r.Coor >= 4 && CentreInside(r)) {
                    ExpectClosedSurface(*m, r);
                    const double hull = HullVolume(LigandPoints(r));
                    EXPECT_NEAR(r.PolVolume, hull, 1e-6 * hull + 1e-5);
                    EXPECT_NEAR(r.PolVolume, DivergenceVolume(*m, r), 1e-6 * hull + 1e-5);
                }
            }
        }
    }
}

TEST(Examples, RepeatedRunsAgree) {
    auto m = Model::Create();
    RunGeometry(*m, KEVO_SOURCE_DIR "/examples/fluorapatite_AMCSD0001934.cif", 1);
    m->CalcOppBonds = true;
    RecordingSink msg;
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    std::vector<std::string> first;
    for (int i = 1; i <= m->AClength; ++i) {
        const TAtoms& r = m->AC[i];
        first.push_back(FF("0.0000000000", r.PolVolume) + r.IdealPolyhedron + r.IP[1][1] +
                        r.DAngles[1] + r.Faces[1]);
    }
    ASSERT_TRUE(Bonds1Click(*m, msg, 1));
    for (int i = 1; i <= m->AClength; ++i) {
        const TAtoms& r = m->AC[i];
        EXPECT_EQ(FF("0.0000000000", r.PolVolume) + r.IdealPolyhedron + r.IP[1][1] + r.DAngles[1] +
                      r.Faces[1],
                  first[static_cast<std::size_t>(i - 1)]);
    }
}

} // namespace
} // namespace kevo

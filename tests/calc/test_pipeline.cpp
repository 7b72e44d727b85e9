// The whole calculation on real structures and on rock salt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "calc/finite_values.h"
#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/model.h"

namespace kevo {
namespace {

const std::string kBvs = KEVO_SOURCE_DIR "/data/bvsparm.cif";

std::vector<std::string> Examples() {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(KEVO_SOURCE_DIR "/examples"))
        if (e.path().extension() == ".cif") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

struct Side {
    const AtomArray& central;
    int n_central;
    const AtomArray& other;
    int n_other;
};

Side SideOf(const Model& m, int c) {
    if (c == 1) return {m.AC, m.AClength, m.AA, m.AAlength};
    return {m.AA, m.AAlength, m.AC, m.AClength};
}

TEST(Pipeline, RockSaltFromTheExampleFile) {
    auto m = Model::Create();
    RecordingSink msg;
    ASSERT_TRUE(ReadCifFile(KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif", *m, msg));
    // Na-Cl parameters of the shipped table: R0 = 2.15, b = 0.37.
    const double d = 5.62 / 2;
    const double s = std::exp((2.15 - d) / 0.37);
    for (bool cations : {true, false}) {
        SCOPED_TRACE(cations ? "cation-centred" : "anion-centred");
        m->ShowCations = cations;
        ASSERT_TRUE(Calculate(*m, msg, {kBvs}));
        EXPECT_TRUE(msg.texts.empty());
        EXPECT_TRUE(m->Calculated);
        for (const TAtoms* r : {&m->AC[1], &m->AA[1]}) {
            SCOPED_TRACE(r->Atomlabel);
            EXPECT_EQ(r->Coor, 6);
            EXPECT_EQ(r->HSPCount, 1);
            for (int j = 1; j <= 6; ++j) {
                EXPECT_NEAR(r->Dist[j], d, 1e-12);
                EXPECT_NEAR(r->BW[j], 1.0, 1e-12);
            }
            EXPECT_NEAR(r->Kevo, 6.0, 1e-12);
            EXPECT_NEAR(r->EDEV, 0.0, 1e-12);
            EXPECT_NEAR(r->BVS, 6 * s, 1e-9);
        }
        // Every site receives its formal charge back.
        EXPECT_NEAR(m->AC[1].effcharge, 1.0, 1e-12);
        EXPECT_NEAR(cations ? m->AC[1].QX : m->AC[1].QA, -1.0, 1e-12);
        EXPECT_NEAR(cations ? m->AA[1].QA : m->AA[1].QX, 1.0, 1e-12);
        EXPECT_NEAR(m->CDEV, 0.0, 1e-9);
        EXPECT_EQ(m->iterations, 0);
        EXPECT_EQ(m->StructureFormula, "Na4.000 Cl4.000 ");
        EXPECT_EQ(m->ChargeFormula, "Na4.000 Cl4.000 ");
    }
}

TEST(Pipeline, InvariantsOnEveryExample) {
    auto m = Model::Create();
    const auto files = Examples();
    ASSERT_EQ(files.size(), 8u);
    for (const auto& file : files) {
        for (int c : {1, 2}) {
            SCOPED_TRACE(file + (c == 1 ? " cation-centred" : " anion-centred"));
            RecordingSink msg;
            ASSERT_TRUE(ReadCifFile(file, *m, msg));
            m->ShowCations = c == 1;
            ASSERT_TRUE(Calculate(*m, msg, {kBvs}));
            EXPECT_TRUE(msg.texts.empty()) << msg.texts.front();
            EXPECT_FALSE(m->NoBVS) << m->AC[1].RoSearch;

            for (const AtomArray* a : {&m->AC, &m->AA}) {
                const int n = a == &m->AC ? m->AClength : m->AAlength;
                for (int i = 1; i <= n; ++i) {
                    const TAtoms& r = (*a)[i];
                    SCOPED_TRACE(r.Atomlabel);
                    ASSERT_GE(r.Coor, 1);
                    // The weights of each sub-polyhedron add up to its Kevo.
                    double kevo = 0;
                    for (int k = 1; k <= r.HSPCount; ++k) {
                        double sum = 0;
                        for (int j = r.HSPFirstIndex[k]; j < r.HSPFirstIndex[k] + r.HSPCoor[k]; ++j)
                            sum += r.BW[j];
                        EXPECT_NEAR(sum, r.HSPKevo[k], 1e-9);
                        kevo += r.HSPKevo[k];
                    }
                    EXPECT_NEAR(kevo, r.Kevo, 1e-9);
                    // Well-refined structures: bond valence sums near the formal
                    // charges (hydrogen is known to be described poorly).
                    EXPECT_TRUE(r.HasBVS);
                    if (r.AtomSymbol != "(H)") {
                        EXPECT_NEAR(r.BVS, std::fabs(r.effcharge), 0.25 * std::fabs(r.effcharge));
                    }
                }
                // Symmetry images serve as ligands only: they never get the
                // slots of central atoms.
                const int total = a == &m->AC ? m->TotACLength : m->TotAALength;
                for (int i = n + 1; i <= total; ++i) {
                    const TAtoms& r = (*a)[i];
                    EXPECT_FALSE(r.SecSphereDist.HasStorage() || r.Faces.HasStorage() ||
                                 r.deltaqicat.HasStorage() || r.deltaQrs.HasStorage() ||
                                 r.deltaBVS.HasStorage() || r.HSPKevo.HasStorage())
                        << r.Atomlabel;
                }
            }

            // Charge is conserved: what the central atoms send out, weighted by
            // multiplicity, is what the other side receives. This holds when every
            // bond has its reverse bond (hydrogen keeps only two ligands, so it
            // does not hold with hydrogen) and before correction cycles rescale
            // sub-polyhedra whose ligands have different multiplicities.
            if (m->iterations != 0 || file.find("OH") != std::string::npos) continue;
            Side side = SideOf(*m, c);
            double sent = 0, received = 0;
            for (int i = 1; i <= side.n_central; ++i)
                sent += side.central[i].effcharge * side.central[i].Multiplicity;
            for (int i = 1; i <= side.n_other; ++i)
                received += side.other[i].QA * side.other[i].Multiplicity;
            EXPECT_NEAR(received, sent, 1e-6 * std::fabs(sent));
        }
    }
}

TEST(Pipeline, TwoConsecutiveRunsGiveIdenticalResults) {
    auto m = Model::Create();
    RecordingSink msg;
    ASSERT_TRUE(ReadCifFile(KEVO_SOURCE_DIR "/examples/fluorapatite_AMCSD0001934.cif", *m, msg));
    ASSERT_TRUE(Calculate(*m, msg, {kBvs}));
    std::vector<double> first;
    auto collect = [&m](std::vector<double>& v) {
        v.clear();
        for (int i = 1; i <= m->AClength; ++i) {
            const TAtoms& r = m->AC[i];
            v.insert(v.end(), {r.Kevo, r.QX, r.BVS, r.EDEV, static_cast<double>(r.Coor)});
            for (int j = 1; j <= r.Coor; ++j)
                v.insert(v.end(), {r.Dist[j], r.BW[j], r.deltaqicat[j], r.deltaBVS[j]});
        }
        for (int i = 1; i <= m->AAlength; ++i)
            v.insert(v.end(), {m->AA[i].QA, m->AA[i].BVS});
        v.insert(v.end(), {m->GII, m->CDEV, static_cast<double>(m->iterations)});
    };
    collect(first);
    ASSERT_TRUE(Calculate(*m, msg, {kBvs}));
    std::vector<double> second;
    collect(second);
    EXPECT_EQ(first, second);
    EXPECT_GT(m->iterations, 0); // Ca2 is bonded to O and F
}

// What the calculation asks of the window, in order.
class RecordingView : public CalculationView {
  public:
    explicit RecordingView(bool detailed) : detailed_(detailed) {}
    void SetPolGeomCaption(std::string_view caption) override {
        calls.push_back("caption " + std::string(caption));
    }
    bool DetailedResults() const override { return detailed_; }
    void ShowReport(int code) override { calls.push_back("report " + std::to_string(code)); }
    void CalculationDone() override { calls.push_back("done"); }
    std::vector<std::string> calls;

  private:
    bool detailed_;
};

TEST(Pipeline, ReportCodeTimingAndButtons) {
    struct Case {
        const char* name;
        bool cations, detailed;
        const char* report;
    } cases[] = {
        {"cation-centred, detailed", true, true, "report 1"},
        {"cation-centred, summary", true, false, "report 2"},
        {"anion-centred, detailed", false, true, "report 3"},
        {"anion-centred, summary", false, false, "report 4"},
    };
    auto m = Model::Create();
    RecordingSink msg;
    ASSERT_TRUE(ReadCifFile(KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif", *m, msg));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m->ShowCations = c.cations;
        m->Calculated = false;
        m->ShowingPolGeom = true;
        m->timeelapsed1 = m->timeelapsed2 = -1;
        RecordingView view(c.detailed);
        ASSERT_TRUE(Calculate(*m, msg, {kBvs}, &view));
        EXPECT_EQ(view.calls,
                  (std::vector<std::string>{"caption Coordination geometry", c.report, "done"}));
        EXPECT_TRUE(m->Calculated);
        EXPECT_FALSE(m->ShowingPolGeom);
        // Only the timing of the side that was run is written.
        EXPECT_GE(c.cations ? m->timeelapsed1 : m->timeelapsed2, 0);
        EXPECT_EQ(c.cations ? m->timeelapsed2 : m->timeelapsed1, -1);
    }

    // A failed coordination search builds no report and leaves the buttons
    // and Calculated alone.
    m->MaxR = 1.0;
    RecordingView view(true);
    EXPECT_FALSE(Calculate(*m, msg, {kBvs}, &view));
    EXPECT_EQ(view.calls, std::vector<std::string>{"caption Coordination geometry"});
    EXPECT_TRUE(m->Calculated);
}

TEST(Pipeline, StopsWithAMessage) {
    auto m = Model::Create();
    RecordingSink msg;
    EXPECT_FALSE(Calculate(*m, msg, {kBvs}));
    EXPECT_EQ(msg.texts, std::vector<std::string>{"No structure is loaded."});

    ASSERT_TRUE(ReadCifFile(KEVO_SOURCE_DIR "/examples/rutile_TiO2_AMCSD0019092.cif", *m, msg));
    msg.texts.clear();
    EXPECT_FALSE(Calculate(*m, msg, {""}));
    EXPECT_EQ(msg.texts,
              std::vector<std::string>{"Cannot open the bond-valence parameter file bvsparm.cif."});
    EXPECT_FALSE(m->Calculated);

    msg.texts.clear();
    m->MaxR = 1.0;
    EXPECT_FALSE(Calculate(*m, msg, {kBvs}));
    ASSERT_EQ(msg.texts.size(), 1u);
    EXPECT_EQ(msg.texts[0], "Maximum coordination radius too low for O.");
    EXPECT_FALSE(m->Calculated);
}

TEST(Pipeline, ValuesThatAreNotFiniteAreFound) {
    auto m = Model::Create();
    RecordingSink msg;
    ASSERT_TRUE(ReadCifFile(KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif", *m, msg));
    ASSERT_TRUE(Calculate(*m, msg, {kBvs}));
    ASSERT_EQ(NonFiniteValue(*m), "");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        std::function<void(Model&)> spoil;
        std::string where;
    } cases[] = {
        {"an atom's own value", [&](Model& x) { x.AA[1].Kevo = nan; }, "Cl1"},
        {"a bond's value", [&](Model& x) { x.AC[1].BW[6] = inf; }, "Na1"},
        {"a bond valence", [&](Model& x) { x.AA[1].deltaBVS[1] = -inf; }, "Cl1"},
        {"the ratio qX/QX", [](Model& x) { x.AC[1].QX = -1e-320; }, "Na1"},
        // Na1's bonds over the charge Cl1 received.
        {"a bond's charge over its ligand's", [](Model& x) { x.AA[1].QA = 1e-320; }, "Na1"},
        {"a global value", [&](Model& x) { x.GII = inf; }, "the global instability index"},
        {"a formula", [](Model& x) { x.ChargeFormula = "Na4.000 ClNAN "; },
         "the CD-derived formula"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Calculate(*m, msg, {kBvs}));
        c.spoil(*m);
        EXPECT_EQ(NonFiniteValue(*m), c.where);
    }
    EXPECT_EQ(NonFiniteMessage("Na1"), "The calculation gives a value that is not a finite number "
                                       "for Na1 and stops. Check the occupancies, oxidation "
                                       "numbers and positions of the file.");

    // A calculation that overflows stops with the message and shows nothing.
    msg.texts.clear();
    ASSERT_TRUE(
        ReadCifFile(std::string(KEVO_TEST_DATA_DIR) + "/robust/dense-rocksalt.cif", *m, msg));
    RecordingView view(true);
    EXPECT_FALSE(Calculate(
        *m, msg, {std::string(KEVO_TEST_DATA_DIR) + "/robust/bvs/bvs-overflow.cif"}, &view));
    EXPECT_EQ(msg.texts, std::vector<std::string>{NonFiniteMessage("Na1")});
    EXPECT_FALSE(m->Calculated);
    EXPECT_EQ(view.calls, std::vector<std::string>{"caption Coordination geometry"});
}

TEST(Pipeline, AStructureWithoutAnionsOrCations) {
    auto m = Model::Create();
    for (const auto& [file, message] :
         {std::pair{"no-anions.cif", "The structure has no anions: no site has a negative "
                                     "oxidation number, so no coordination can be calculated."},
          std::pair{"no-cations.cif", "The structure has no cations: no site has a positive "
                                      "oxidation number, so no coordination can be calculated."}}) {
        SCOPED_TRACE(file);
        RecordingSink msg;
        ASSERT_TRUE(ReadCifFile(std::string(KEVO_TEST_DATA_DIR) + "/robust/" + file, *m, msg));
        EXPECT_FALSE(Calculate(*m, msg, {kBvs}));
        EXPECT_EQ(msg.texts, std::vector<std::string>{message});
        EXPECT_FALSE(m->IsCoordination);
    }
}

} // namespace
} // namespace kevo

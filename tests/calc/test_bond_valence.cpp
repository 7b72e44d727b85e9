// Bond valences from the parameter table, bond valence sums, expected bond
// lengths, the bond-valence formula, the global instability index and the
// MAPD values, on small structures built directly in the model.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "calc/bond_valence.h"
#include "calc/ecoor.h"
#include "model/messages.h"
#include "model/model.h"
#include "model/numbers.h"

namespace kevo {
namespace {

const std::string kTablePath = std::string(KEVO_SOURCE_DIR) + "/data/bvsparm.cif";

// R0 and b of the first line from line 170 on of the shipped table that
// contains key, read here independently of the program's lookup.
BvsParameters TableParameters(const std::string& key) {
    std::ifstream in(kTablePath, std::ios::binary);
    EXPECT_TRUE(in) << kTablePath;
    std::string line;
    for (int n = 0; std::getline(in, line); ++n) {
        for (char& c : line)
            if (c == '\t') c = ' ';
        if (n < 170 || line.find(key) == std::string::npos) continue;
        std::vector<std::string> fields;
        std::string field;
        for (char c : line + " ") {
            if (c == ' ' || c == '\r') {
                if (!field.empty()) fields.push_back(field);
                field.clear();
            } else {
                field.push_back(c);
            }
        }
        return {xStrToFloat(fields.at(4)), xStrToFloat(fields.at(5))};
    }
    ADD_FAILURE() << "no line for " << key;
    return {};
}

// The header lines of a table written in a test: lines 0..169.
std::string Header() {
    std::string text;
    for (int i = 0; i < BvsFirstDataLine; ++i)
        text += "# header line\n";
    return text;
}

// A site at record i of AC or AA.
void SetSite(TAtoms& a, const std::string& label, const std::string& ro, double charge,
             const std::string& population, int multiplicity = 1) {
    a.Atomlabel = label;
    a.RoString = ro;
    a.effcharge = charge;
    a.symbol = population;
    a.Multiplicity = multiplicity;
}

// Adds a bond to a partner site, in one sub-polyhedron per partner symbol
// (enough for the bond-valence step, which reads slots 1..Coor).
void AddBond(TAtoms& a, const TAtoms& partner, int partner_record, double dist,
             const std::string& label) {
    const int j = ++a.Coor;
    a.Dist[j] = dist;
    a.BondBVS[j] = partner.RoString;
    a.BondingAtoms[j] = label;
    a.BondCharge[j] = partner.effcharge;
    a.BondIndex[j][1] = partner_record;
    a.HSPCount = 1;
    a.HSPFirstIndex[1] = 1;
    a.HSPCoor[1] = a.Coor;
}

class BvsTest : public ::testing::Test {
  protected:
    // A few records of each kind to fill by hand.
    void SetUp() override {
        m.AC.Ensure(4);
        m.AA.Ensure(4);
    }
    std::unique_ptr<Model> model = Model::Create();
    Model& m = *model;
    RecordingSink sink;

    // Rock salt: Na1 and Cl1, each with six partners at distance d.
    void RockSalt(double d) {
        m.AClength = m.TotACLength = 1;
        m.AAlength = m.TotAALength = 1;
        SetSite(m.AC[1], "Na1", "Na 1 1.000", 1, "1.000.Na", 4);
        SetSite(m.AA[1], "Cl1", "Cl -1 1.000", -1, "1.000.Cl", 4);
        m.AC[1].AtomSymbol = "(Na)";
        m.AA[1].AtomSymbol = "(Cl)";
        for (int k = 0; k < 6; ++k) {
            AddBond(m.AC[1], m.AA[1], 1, d, k == 0 ? "Cl1" : "*Cl1");
            AddBond(m.AA[1], m.AC[1], 1, d, k == 0 ? "Na1" : "*Na1");
        }
    }
};

TEST(BvsKey, Layout) {
    struct Case {
        const char* c;
        const char* cq;
        const char* a;
        const char* aq;
        const char* key;
    } cases[] = {
        {"Fe", "3", "O", "-2", "Fe 3   O  -2"},
        {"H", "1", "O", "-2", "H  1   O  -2"},
        {"Na", "1", "Cl", "-1", "Na 1   Cl -1"},
        {"Fe", "9", "O", "-2", "Fe 9   O  -2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BvsSearchKey(c.c, c.cq, c.a, c.aq), c.key);
    EXPECT_EQ(BvsSearchKey("Fe", "3", "O", "-2").size(), 12u);
}

TEST(BvsTableLookup, LinesFieldsAndFirstMatch) {
    const std::string body = "Fe 3   O  -2    1.759    0.37     a   ?\n"
                             "Fe 3   O  -2    1.766    0.360    bs  ?\n";
    struct Case {
        const char* name;
        std::string text;
        std::optional<double> ro; // nothing: not found
        double b = 0;
    } cases[] = {
        {"first match wins", Header() + body, 1.759, 0.37},
        {"tabs count as blanks", Header() + "Fe 3 \t O  -2\t1.761\t\t0.38\tq ?\n", 1.761, 0.38},
        {"tab after the fields", Header() + "Fe 3   O  -2    1.761    0.38  q ?\t\n", 1.761, 0.38},
        {"key only in the header", Header().substr(14) + body.substr(0, 40), std::nullopt},
        {"key on the first searched line", Header().substr(14) + body, 1.766, 0.360},
        {"R0 not a number", Header() + "Fe 3   O  -2    ?    0.37  a\n" + body, std::nullopt},
        {"b zero", Header() + "Fe 3   O  -2    1.7    0  a\n" + body, std::nullopt},
        {"short line", Header() + "Fe 3   O  -2  1.7\n" + body, std::nullopt},
        {"R0 zero", Header() + "Fe 3   O  -2    0    0.37  a\n" + body, std::nullopt},
        {"R0 negative", Header() + "Fe 3   O  -2    -1.7    0.37  a\n" + body, std::nullopt},
        {"R0 of 10 A", Header() + "Fe 3   O  -2    10    0.37  a\n" + body, std::nullopt},
        {"R0 just below 10 A", Header() + "Fe 3   O  -2    9.99    0.37  a\n" + body, 9.99, 0.37},
        {"b of 0.01 A", Header() + "Fe 3   O  -2    1.7    0.01  a\n" + body, std::nullopt},
        {"b just above 0.01 A", Header() + "Fe 3   O  -2    1.7    0.011  a\n" + body, 1.7, 0.011},
        {"b of 5 A", Header() + "Fe 3   O  -2    1.7    5  a\n" + body, std::nullopt},
        {"b negative", Header() + "Fe 3   O  -2    1.7    -0.37  a\n" + body, std::nullopt},
        {"b huge", Header() + "Fe 3   O  -2    1.7    1e300  a\n" + body, std::nullopt},
    };
    const struct {
        const char* name;
        const char* eol;
    } endings[] = {{"LF", "\n"}, {"CRLF", "\r\n"}, {"CR", "\r"}};
    for (const Case& c : cases) {
        for (const auto& e : endings) {
            SCOPED_TRACE(std::string(c.name) + ", " + e.name);
            std::string text;
            for (char ch : c.text)
                text += ch == '\n' ? std::string(e.eol) : std::string(1, ch);
            const BvsTable table = BvsTable::FromText(text);
            const auto p = table.Lookup("Fe 3   O  -2");
            ASSERT_EQ(p.has_value(), c.ro.has_value());
            if (p) {
                EXPECT_EQ(p->Ro, *c.ro);
                EXPECT_EQ(p->B, c.b);
            }
        }
    }
}

TEST(BvsTableLookup, ParameterLines) {
    const struct {
        const char* name;
        std::string text;
        bool parameters;
    } cases[] = {
        {"empty", "", false},
        {"the header alone", Header(), false},
        {"a parameter line only in the header",
         Header().substr(14) + "Fe 3   O  -2    1.759    0.37     a   ?\n", false},
        {"lines without parameters", Header() + "# comment\nFe 3 O -2\nx x x x 1.7 ?\n", false},
        {"parameters out of range", Header() + "Fe 3   O  -2    12    0.37\nFe 3 O -2 1.7 7\n",
         false},
        {"one parameter line", Header() + "# comment\nFe 3   O  -2    1.759    0.37\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BvsTable::FromText(c.text).HasParameterLines(), c.parameters);
    }
    // The shipped table has them.
    const auto shipped = ReadBvsTable(KEVO_SOURCE_DIR "/data/bvsparm.cif");
    ASSERT_TRUE(shipped.has_value());
    EXPECT_TRUE(shipped->HasParameterLines());
}

TEST_F(BvsTest, RockSaltAgainstTheShippedTable) {
    const BvsParameters p = TableParameters("Na 1   Cl -1");
    const double s = std::exp((p.Ro - 2.82) / p.B);
    RockSalt(2.82);
    ASSERT_TRUE(IteratedKevo(m, sink, kTablePath));
    EXPECT_TRUE(sink.texts.empty());
    EXPECT_FALSE(m.NoBVS);
    for (const TAtoms* a : {&m.AC[1], &m.AA[1]}) {
        SCOPED_TRACE(a->Atomlabel);
        EXPECT_TRUE(a->HasBVS);
        EXPECT_EQ(a->RoSearch, "Na 1   Cl -1");
        EXPECT_NEAR(a->BVS, 6 * s, 1e-12);
        for (int j = 1; j <= 6; ++j) {
            EXPECT_NEAR(a->deltaBVS[j], s, 1e-12);
            EXPECT_EQ(a->effRo[j], p.Ro);
            EXPECT_EQ(a->effB[j], p.B);
            // Each bond's share of the formal charge is 1/6.
            EXPECT_NEAR(a->ExpDist[j], p.Ro - p.B * std::log(1.0 / 6), 1e-12);
        }
    }
    CalcGlobalInstabilityIndex(m);
    EXPECT_NEAR(m.GII, std::fabs(6 * s - 1), 1e-12);
    EXPECT_NEAR(m.GIICat, std::fabs(6 * s - 1), 1e-12);
    EXPECT_NEAR(m.GIIAn, std::fabs(6 * s - 1), 1e-12);
    CalcBVSFormula(m);
    EXPECT_FALSE(m.NoBVS);
    EXPECT_EQ(m.BVSFormula, "Na" + FF("0.000", 4 * 6 * s) + " Cl" + FF("0.000", 4 * 6 * s) + " ");
}

TEST_F(BvsTest, SumEqualToTheChargeGivesTheObservedLengths) {
    const BvsParameters p = TableParameters("Na 1   Cl -1");
    const double d = p.Ro + p.B * std::log(6.0); // s = 1/6 per bond
    RockSalt(d);
    ASSERT_TRUE(IteratedKevo(m, sink, kTablePath));
    for (const TAtoms* a : {&m.AC[1], &m.AA[1]}) {
        EXPECT_NEAR(a->BVS, 1.0, 1e-12);
        for (int j = 1; j <= 6; ++j)
            EXPECT_NEAR(a->ExpDist[j], d, 1e-12);
    }
    CalcGlobalInstabilityIndex(m);
    EXPECT_NEAR(m.GII, 0.0, 1e-12);
    CalcBVSFormula(m);
    EXPECT_EQ(m.BVSFormula, "Na4.000 Cl4.000 ");
}

TEST_F(BvsTest, ParameterLengthGivesValenceOne) {
    m.AClength = 1;
    m.AAlength = 1;
    SetSite(m.AC[1], "Fe1", "Fe 3 1.000", 3, "1.000.Fe");
    SetSite(m.AA[1], "O1", "O  -2 1.000", -2, "1.000.O");
    AddBond(m.AC[1], m.AA[1], 1, 1.759, "O1");
    ASSERT_TRUE(CalculateBVS(m, sink, kTablePath));
    EXPECT_EQ(m.AC[1].deltaBVS[1], 1.0);
    EXPECT_EQ(m.AC[1].BVS, 1.0);
}

TEST_F(BvsTest, MixedFeMgSiteIsSpeciesWeighted) {
    const BvsParameters fe = TableParameters("Fe 2   O  -2");
    const BvsParameters mg = TableParameters("Mg 2   O  -2");
    const double R = 2.1;
    const double s = 0.5 * std::exp((fe.Ro - R) / fe.B) + 0.5 * std::exp((mg.Ro - R) / mg.B);
    m.AClength = 1;
    m.AAlength = 1;
    SetSite(m.AC[1], "Fe1-Mg1", "Fe 2 0.500,Mg 2 0.500", 2, "0.500.Fe:0.500.Mg");
    SetSite(m.AA[1], "O1", "O  -2 1.000", -2, "1.000.O");
    AddBond(m.AC[1], m.AA[1], 1, R, "O1");
    AddBond(m.AA[1], m.AC[1], 1, R, "Fe1-Mg1");
    ASSERT_TRUE(CalculateBVS(m, sink, kTablePath));
    // Cation centre: mean parameters of the two species.
    EXPECT_NEAR(m.AC[1].deltaBVS[1], s, 1e-12);
    EXPECT_NEAR(m.AC[1].effRo[1], (fe.Ro + mg.Ro) / 2, 1e-12);
    EXPECT_NEAR(m.AC[1].effB[1], (fe.B + mg.B) / 2, 1e-12);
    EXPECT_EQ(m.AC[1].RoSearch, "Mg 2   O  -2");
    // Anion centre: the same valence, the parameters of the last pair.
    EXPECT_NEAR(m.AA[1].deltaBVS[1], s, 1e-12);
    EXPECT_EQ(m.AA[1].effRo[1], mg.Ro);
    EXPECT_EQ(m.AA[1].effB[1], mg.B);
    EXPECT_TRUE(m.AC[1].HasBVS);
    EXPECT_TRUE(m.AA[1].HasBVS);
}

TEST_F(BvsTest, MissingParametersKeepTheFirstMissingKey) {
    const BvsTable table =
        BvsTable::FromText(Header() + "Fe 3   O  -2    1.759    0.37     a   ?\n");
    m.AClength = 1;
    m.AAlength = 2;
    // Xx and Yy have no parameters; Fe, looked up last, has.
    SetSite(m.AC[1], "M1", "Xx 3 0.250,Yy 3 0.250,Fe 3 0.500", 3, "0.250.Xx:0.250.Yy:0.500.Fe");
    SetSite(m.AA[1], "O1", "O  -2 1.000", -2, "1.000.O");
    SetSite(m.AA[2], "O2", "O  -2 1.000", -2, "1.000.O");
    AddBond(m.AC[1], m.AA[1], 1, 1.759, "O1");
    AddBond(m.AA[2], m.AC[1], 1, 1.759, "M1"); // O2 -> M1, M1 does not list it
    m.AC[1].ExpDist[1] = 9.9;
    m.BVSFormula = "before";

    ASSERT_TRUE(CalculateBVS(m, sink, table));
    EXPECT_TRUE(sink.texts.empty());
    EXPECT_TRUE(m.NoBVS);
    EXPECT_FALSE(m.FoundRo); // the last lookup, O2 with Xx, failed
    for (const TAtoms* a : {&m.AC[1], &m.AA[2]}) {
        SCOPED_TRACE(a->Atomlabel);
        EXPECT_FALSE(a->HasBVS);
        EXPECT_EQ(a->RoSearch, "Xx 3   O  -2");
    }
    // M1 (cation species outer) still finds Fe after Xx and Yy; O2 (its one
    // species outer) stops at the first cation species without parameters.
    EXPECT_DOUBLE_EQ(m.AC[1].BVS, 0.5);
    EXPECT_EQ(m.AA[2].BVS, 0.0);
    EXPECT_EQ(m.AC[1].ExpDist[1], 9.9); // not written
    EXPECT_TRUE(m.AA[1].HasBVS);        // no bonds, nothing missing

    CalcBVSFormula(m);
    EXPECT_TRUE(m.NoBVS);
    EXPECT_EQ(m.BVSFormula, "before");
}

TEST_F(BvsTest, UnreadableTableEndsTheCalculation) {
    const std::string missing = std::string(KEVO_TEST_DATA_DIR) + "/no-such-dir/bvsparm.cif";
    const std::string unrelated = std::string(KEVO_TEST_DATA_DIR) + "/cif/ilmenite_mixed.cif";
    const std::string empty =
        (std::filesystem::temp_directory_path() / "kevo-empty-bvs.cif").string();
    std::ofstream(empty, std::ios::binary).flush();
    const struct {
        const char* name;
        std::string path;
        std::string message;
    } cases[] = {
        {"no path", "", "Cannot open the bond-valence parameter file bvsparm.cif."},
        {"no such file", missing, "Cannot open the bond-valence parameter file " + missing + "."},
        {"a directory", KEVO_SOURCE_DIR,
         "Cannot open the bond-valence parameter file " KEVO_SOURCE_DIR "."},
        {"an empty file", empty,
         "The bond-valence parameter file " + empty + " holds no parameter lines."},
        {"an unrelated file", unrelated,
         "The bond-valence parameter file " + unrelated + " holds no parameter lines."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSink s;
        RockSalt(2.82);
        EXPECT_FALSE(IteratedKevo(m, s, c.path));
        ASSERT_EQ(s.texts.size(), 1u);
        EXPECT_EQ(s.texts[0], c.message);
        EXPECT_EQ(BvsTableProblem(c.path), c.message);
        // The same through a cache: a table that cannot be used is said so
        // on every calculation.
        BvsTableCache tables;
        for (int run = 0; run < 2; ++run) {
            RecordingSink again;
            EXPECT_FALSE(IteratedKevo(m, again, c.path, &tables));
            EXPECT_EQ(again.texts, std::vector<std::string>{c.message});
            EXPECT_EQ(BvsTableProblem(c.path, &tables), c.message);
        }
        m.AC[1].Reset();
        m.AA[1].Reset();
    }
}

// A program run reads the table once: later calculations use it even when
// the file changes or goes away; another path is read anew, and a path that
// cannot be read is tried again on the next calculation.
TEST_F(BvsTest, TheTableIsReadOncePerRun) {
    const auto dir = std::filesystem::temp_directory_path() / "kevo-bvs-cache";
    std::filesystem::create_directories(dir);
    const std::string first = (dir / "first.cif").string();
    const std::string second = (dir / "second.cif").string();
    auto write = [](const std::string& path, const std::string& ro_b) {
        std::ofstream(path, std::ios::binary) << Header() << "Na 1   Cl -1   " << ro_b << "\n";
    };
    write(first, "2.15 0.37");
    write(second, "2.82 0.37");
    BvsTableCache tables;
    const std::shared_ptr<const BvsTable> table = tables.Get(first);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(tables.Get(first), table);
    // Workers asking at the same time get the one table.
    std::vector<std::thread> workers;
    std::vector<std::shared_ptr<const BvsTable>> got(4);
    for (auto& g : got)
        workers.emplace_back([&tables, &g, &first] {
            for (int k = 0; k < 100; ++k)
                g = tables.Get(first);
        });
    for (auto& w : workers)
        w.join();
    for (const auto& g : got)
        EXPECT_EQ(g, table);

    auto bvs = [this, &tables](const std::string& path) {
        RockSalt(2.82);
        RecordingSink s;
        EXPECT_TRUE(IteratedKevo(m, s, path, &tables));
        EXPECT_TRUE(s.texts.empty());
        const double sum = m.AC[1].BVS;
        m.AC[1].Reset();
        m.AA[1].Reset();
        return sum;
    };
    const double from_first = 6 * std::exp((2.15 - 2.82) / 0.37);
    EXPECT_NEAR(bvs(first), from_first, 1e-12);
    write(first, "2.82 0.37"); // changed on disk: not read again
    EXPECT_NEAR(bvs(first), from_first, 1e-12);
    std::filesystem::remove(first);
    EXPECT_NEAR(bvs(first), from_first, 1e-12);
    EXPECT_EQ(tables.Get(first), table);

    EXPECT_NEAR(bvs(second), 6.0, 1e-12); // another file is read
    EXPECT_NE(tables.Get(second), table);
    EXPECT_EQ(tables.Get(first), nullptr); // gone from disk and no longer kept
    write(first, "2.15 0.37");
    EXPECT_NEAR(bvs(first), from_first, 1e-12); // there again: read again
    std::filesystem::remove_all(dir);
}

TEST_F(BvsTest, SiteWithMoreThanTenSpeciesIsRefused) {
    const BvsTable table = BvsTable::FromText(Header());
    std::string ro;
    for (int n = 1; n <= 11; ++n) {
        ro += (n > 1 ? "," : "") + std::string("Fe 3 0.090");
        m.AClength = 1;
        m.AC[1].Reset();
        SetSite(m.AC[1], "Fe1", ro, 3, "");
        RecordingSink s;
        const bool ok = CalculateBVS(m, s, table);
        SCOPED_TRACE(n);
        EXPECT_EQ(ok, n <= 10);
        if (n <= 10)
            EXPECT_TRUE(s.texts.empty());
        else
            EXPECT_EQ(s.texts, std::vector<std::string>{
                                   "Maximum number of species per site exceeded for Fe1."});
    }
}

// Two cations and one anion with charges, bond valence sums and distortion
// values chosen by hand.
class BvsIndicatorTest : public BvsTest {
  protected:
    void SetUp() override {
        BvsTest::SetUp();
        m.AClength = 2;
        m.AAlength = 1;
        SetSite(m.AC[1], "A1", "", 2, "");
        SetSite(m.AC[2], "A2", "", 1, "");
        SetSite(m.AA[1], "X1", "", -3, "");
        m.AC[1].BVS = 1.8;
        m.AC[2].BVS = 1.1;
        m.AA[1].BVS = 2.7;
        m.AC[1].QX = -2.2; // received back: 0.2 off
        m.AC[2].QX = 0;    // skipped, still counted
        m.AA[1].QA = -2.4; // 0.6 off
        m.AC[1].QA = 1.5;
        m.AA[1].QX = -3.3;
        m.AC[1].PolDistortion = 0.01;
        m.AC[2].PolDistortion = 0.03;
        m.AA[1].PolDistortion = 0.05;
        m.AC[1].deltaR = 0.002;
        m.AC[2].deltaR = 0.004;
        m.AA[1].deltaR = 0.007;
    }
};

TEST_F(BvsIndicatorTest, GlobalInstabilityIndex) {
    CalcGlobalInstabilityIndex(m);
    EXPECT_NEAR(m.GIICat, std::sqrt((0.04 + 0.01) / 2), 1e-12);
    EXPECT_NEAR(m.GIIAn, 0.3, 1e-12);
    EXPECT_NEAR(m.GII, std::sqrt((0.04 + 0.01 + 0.09) / 3), 1e-12);
}

TEST_F(BvsIndicatorTest, MapdBySide) {
    m.devBVSC = m.devBVSA = -1;
    CalcMAPD(m, 2);
    EXPECT_NEAR(m.DevQXAC, 100 * (0.5 / 2) / 2, 1e-9); // A1 only, A2 counted
    EXPECT_NEAR(m.DevQAAC, 100 * (0.3 / 3), 1e-9);
    EXPECT_EQ(m.devBVSC, -1); // refreshed by cation-centred runs only
    EXPECT_EQ(m.devBVSA, -1);

    CalcMAPD(m, 1);
    EXPECT_NEAR(m.DevQXCC, 100 * (0.2 / 2) / 2, 1e-9);
    EXPECT_NEAR(m.DevQACC, 100 * (0.6 / 3), 1e-9);
    EXPECT_NEAR(m.devBVSC, 100 * (0.2 / 2 + 0.1 / 1) / 2, 1e-9);
    EXPECT_NEAR(m.devBVSA, 100 * (0.3 / 3), 1e-9);
    EXPECT_NEAR(m.DevBaurC, 0.02, 1e-12);
    EXPECT_NEAR(m.DevBaurA, 0.05, 1e-12);
    EXPECT_NEAR(m.DevBrownC, 0.003, 1e-12);
    EXPECT_NEAR(m.DevBrownA, 0.007, 1e-12);
}

TEST_F(BvsIndicatorTest, EmptySideGivesZero) {
    m.AAlength = 0;
    CalcGlobalInstabilityIndex(m);
    CalcMAPD(m, 1);
    EXPECT_EQ(m.GIIAn, 0.0);
    EXPECT_EQ(m.DevQACC, 0.0);
    EXPECT_EQ(m.devBVSA, 0.0);
    EXPECT_EQ(m.DevBaurA, 0.0);
    EXPECT_NEAR(m.GII, m.GIICat, 1e-12);
}

TEST_F(BvsTest, LigandMapdCountsEachLigandSiteOnce) {
    // A cation bonded to O1, to an image of O1 and to O2; an anion bonded to
    // two images of one cation site.
    m.AClength = 1;
    m.AAlength = 1;
    TAtoms& c = m.AC[1];
    const struct {
        const char* label;
        double charge;
        double received;
    } bonds[] = {{"O1", -2, 1.9}, {"*O1", -2, 5.0}, {"O2", -2, 2.2}};
    for (const auto& b : bonds) {
        const int j = ++c.Coor;
        c.BondingAtoms[j] = b.label;
        c.BondCharge[j] = b.charge;
        c.deltaQrs[j] = b.received;
    }
    TAtoms& x = m.AA[1];
    x.Coor = 2;
    x.BondingAtoms[1] = "*Si1";
    x.BondingAtoms[2] = "*Si1";
    x.BondCharge[1] = x.BondCharge[2] = 4;
    x.deltaQrs[1] = x.deltaQrs[2] = -3.6;

    LigandsMAPD(m, 1);
    EXPECT_NEAR(c.MAPDLig, 100 * (0.05 + 0.1) / 2, 1e-12);
    EXPECT_EQ(x.MAPDLig, 0.0); // side 2 not computed
    LigandsMAPD(m, 2);
    EXPECT_NEAR(x.MAPDLig, 100 * 0.1, 1e-12);
}

TEST_F(BvsTest, LigandMapdAddsInLabelOrder) {
    // Terms 1 (C1) and 2^-53 (b1, A1), in slot order C1, b1, A1. Added in
    // case-insensitive label order (A1, b1, C1) the two small terms survive;
    // in slot or byte order they would be lost against 1.
    const double tiny = std::ldexp(1.0, -53);
    m.AClength = 1;
    TAtoms& c = m.AC[1];
    const struct {
        const char* label;
        double received;
    } bonds[] = {{"C1", 0.0}, {"*b1", tiny - 1}, {"A1", tiny - 1}, {"b1", 0.5}};
    for (const auto& b : bonds) {
        const int j = ++c.Coor;
        c.BondingAtoms[j] = b.label;
        c.BondCharge[j] = 1;
        c.deltaQrs[j] = b.received;
    }
    LigandsMAPD(m, 1);
    const double sum = (tiny + tiny) + 1.0;
    EXPECT_NE(sum, (1.0 + tiny) + tiny);
    EXPECT_EQ(c.MAPDLig, 100.0 * sum / 3);
}

TEST_F(BvsTest, ThousandRecordsAtFullCapacity) {
    // 1000 cation and 1000 anion sites with six bonds each, the shipped
    // table, the whole effective-coordination step.
    const char* const cations[] = {"Fe 3 1.000", "Mg 2 1.000", "Si 4 1.000", "Na 1 1.000"};
    m.AClength = m.TotACLength = MaxAtoms;
    m.AAlength = m.TotAALength = MaxAtoms;
    m.AC.Ensure(MaxAtoms);
    m.AA.Ensure(MaxAtoms);
    for (int i = 1; i <= MaxAtoms; ++i) {
        SetSite(m.AC[i], "M" + IntToStr(i), cations[i % 4], 2, "1.000.M");
        SetSite(m.AA[i], "O" + IntToStr(i), "O  -2 1.000", -2, "1.000.O");
    }
    for (int i = 1; i <= MaxAtoms; ++i)
        for (int k = 0; k < 6; ++k) {
            AddBond(m.AC[i], m.AA[i], i, 1.9 + 0.05 * k, "O" + IntToStr(i));
            AddBond(m.AA[i], m.AC[i], i, 1.9 + 0.05 * k, "M" + IntToStr(i));
        }
    ASSERT_TRUE(IteratedKevo(m, sink, kTablePath));
    EXPECT_FALSE(m.NoBVS);
    EXPECT_TRUE(m.AC[MaxAtoms].HasBVS);
}

} // namespace
} // namespace kevo

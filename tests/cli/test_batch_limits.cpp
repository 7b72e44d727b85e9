// The batch program's coordination limits: bond-type limits from a file or
// the shipped table, and per-atom radii, as the settings dialogs set them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "batch.h"
#include "model/model.h"

namespace kevo {
namespace {

namespace fs = std::filesystem;

const std::string kForsterite = KEVO_SOURCE_DIR "/examples/forsterite_Mg2SiO4_AMCSD0000546.cif";
const std::string kSpinel = KEVO_SOURCE_DIR "/examples/spinel_MgAl2O4_AMCSD0004465.cif";

fs::path TempDir(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / ("kevo-limits-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

BatchSettings Settings(const std::string& name) {
    BatchSettings s;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.out_dir = TempDir(name).string();
    s.json = true;
    s.reports = false;
    return s;
}

// Coor of every asymmetric atom in the cation-centred record of the JSON
// file the batch program wrote for path.
std::map<std::string, int> CoordinationNumbers(const BatchSettings& s, const std::string& path,
                                               std::string* messages = nullptr) {
    auto m = Model::Create();
    const BatchResult r = ProcessFile(path, s, *m);
    if (messages) *messages = r.messages;
    std::map<std::string, int> cn;
    if (!r.ok) return cn;
    std::ifstream in(fs::path(s.out_dir) / (fs::path(path).stem().string() + ".json"));
    const auto j = nlohmann::json::parse(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    for (const char* side : {"cations", "anions"})
        for (const auto& atom : j["cation_centred"][side])
            cn[atom["Atomlabel"].get<std::string>()] = atom["Coor"].get<int>();
    return cn;
}

std::vector<BondLimit> Limits(const std::string& text) {
    std::vector<BondLimit> limits;
    EXPECT_EQ(ParseBondLimits(text, limits), "");
    return limits;
}

TEST(BatchLimits, BondLimitFiles) {
    const auto limits = Limits("# forsterite\r\n\r\nSi O 1.70\n  Mg  O   2.3 \n(Fe-Mg) (O) 2.5");
    ASSERT_EQ(limits.size(), 3u);
    EXPECT_EQ(limits[0].cation, "Si");
    EXPECT_EQ(limits[0].anion, "O");
    EXPECT_EQ(limits[0].limit, 1.70);
    EXPECT_EQ(limits[1].limit, 2.3);
    EXPECT_EQ(limits[2].cation, "Fe-Mg");

    struct Case {
        const char* text;
        const char* problem;
    } cases[] = {
        {"Si O 1,70", "line 1: Invalid Si : O bond length."},
        {"Si O 1.70\nAl O x", "line 2: Invalid Al : O bond length."},
        {"Si O", "line 1: expected \"cation anion limit\""},
        {"Si O 1.7 extra", "line 1: expected \"cation anion limit\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<BondLimit> l;
        EXPECT_EQ(ParseBondLimits(c.text, l), c.problem);
    }
}

TEST(BatchLimits, AtomRadii) {
    AtomRadius r;
    EXPECT_EQ(ParseAtomRadius("Fe1-Mg1=2.35", r), "");
    EXPECT_EQ(r.label, "Fe1-Mg1");
    EXPECT_EQ(r.radius, 2.35);
    EXPECT_EQ(ParseAtomRadius("Si", r), "--atom-radius takes LABEL=RADIUS, not \"Si\".");
    EXPECT_EQ(ParseAtomRadius("=2", r), "--atom-radius takes LABEL=RADIUS, not \"=2\".");
    EXPECT_EQ(ParseAtomRadius("Si=abc", r),
              "--atom-radius Si: Invalid Maximum coordination radius.");

    struct Case {
        double radius;
        const char* problem;
    } cases[] = {
        {5.0, ""},
        {5.01, "--atom-radius Si: Maximum coordination radius too high. (at most 5.0 Å)"},
        {0, "--atom-radius Si: Invalid Maximum coordination radius."},
    };
    for (const auto& c : cases) {
        BatchSettings s;
        s.atom_radii = {{"Si", c.radius}};
        EXPECT_EQ(ValidateSettings(s), c.problem) << c.radius;
    }
    BatchSettings both;
    both.atom_radii = {{"Si", 1.7}};
    both.bond_type_limits = true;
    EXPECT_EQ(ValidateSettings(both), "--atom-radius and --bond-limits exclude each other.");
    both.bond_type_limits = false;
    both.NearestLimit = true;
    EXPECT_EQ(ValidateSettings(both),
              "--atom-radius excludes --nearest-limit and --exclude-zero-weight.");
}

// Forsterite with the default radius of 4 A gives Si fourteen ligands; a
// limit of 1.70 A for Si-O keeps its four oxygens, and each oxygen loses
// the bonds to the Si atoms beyond it.
TEST(BatchLimits, ShorterSiliconOxygenBondsChangeTheCoordination) {
    const auto before = CoordinationNumbers(Settings("before"), kForsterite);
    ASSERT_EQ(before.size(), 6u);
    EXPECT_EQ(before.at("Si"), 14);

    BatchSettings s = Settings("si-o");
    s.bond_type_limits = true;
    s.bond_limits = Limits("Si O 1.70");
    const auto after = CoordinationNumbers(s, kForsterite);
    ASSERT_EQ(after.size(), 6u);
    EXPECT_EQ(after.at("Si"), 4);
    EXPECT_EQ(after.at("Mg1"), before.at("Mg1"));
    EXPECT_EQ(after.at("Mg2"), before.at("Mg2"));
    for (const char* o : {"O1", "O2", "O3"})
        EXPECT_LT(after.at(o), before.at(o)) << o;
}

TEST(BatchLimits, ShippedTableGivesTheUsualPolyhedra) {
    BatchSettings s = Settings("default");
    s.bond_type_limits = true;
    s.default_bond_lengths =
        ReadDefaultBondLengths(KEVO_SOURCE_DIR "/data/default-bond-lengths.txt");
    ASSERT_TRUE(s.default_bond_lengths);
    const auto cn = CoordinationNumbers(s, kForsterite);
    const std::map<std::string, int> expected = {{"Si", 4}, {"Mg1", 6}, {"Mg2", 6},
                                                 {"O1", 4}, {"O2", 4},  {"O3", 4}};
    EXPECT_EQ(cn, expected);
    // A limit named in a file wins over the table.
    s.bond_limits = Limits("Si O 1.0");
    std::string messages;
    EXPECT_TRUE(CoordinationNumbers(s, kForsterite, &messages).empty());
    EXPECT_NE(messages.find("Maximum coordination radius too low for Si."), std::string::npos)
        << messages;
}

// Both spinel sites hold Al and Mg: a limit naming the mixed site wins over
// one naming its first element, in either order.
TEST(BatchLimits, MixedSiteSymbolWinsOverItsElement) {
    for (const char* text : {"Al O 1.0\nAl-Mg O 2.2", "Al-Mg O 2.2\nAl O 1.0"}) {
        SCOPED_TRACE(text);
        BatchSettings s = Settings("spinel");
        s.bond_type_limits = true;
        s.bond_limits = Limits(text);
        std::string messages;
        const auto cn = CoordinationNumbers(s, kSpinel, &messages);
        ASSERT_FALSE(cn.empty()) << messages;
        std::vector<int> cations;
        for (const auto& [label, n] : cn)
            if (label.rfind("O", 0) != 0) cations.push_back(n);
        std::sort(cations.begin(), cations.end());
        EXPECT_EQ(cations, (std::vector<int>{4, 6}));
    }
}

TEST(BatchLimits, RadiusOfOneAtom) {
    BatchSettings s = Settings("radius");
    s.atom_radii = {{"Si", 1.7}};
    const auto before = CoordinationNumbers(Settings("radius-before"), kForsterite);
    const auto cn = CoordinationNumbers(s, kForsterite);
    ASSERT_EQ(cn.size(), 6u);
    EXPECT_EQ(cn.at("Si"), 4);
    for (const char* other : {"Mg1", "Mg2", "O1", "O2", "O3"})
        EXPECT_EQ(cn.at(other), before.at(other)) << other;

    s.atom_radii = {{"Xx", 1.7}};
    std::string messages;
    EXPECT_TRUE(CoordinationNumbers(s, kForsterite, &messages).empty());
    EXPECT_EQ(messages, kForsterite + ": --atom-radius: the structure has no atom labelled Xx.\n");
}

} // namespace
} // namespace kevo

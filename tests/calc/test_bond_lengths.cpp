// The default bond-length table shipped in data/, its lookup and how its
// values reach the bond-type table of a structure; where the data files are
// looked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "calc/bond_lengths.h"
#include "calc/bond_valence.h"
#include "calc/bvs_file.h"
#include "model/numbers.h"
#include "model/text.h"

namespace {

using namespace kevo;

const std::string kTablePath = KEVO_SOURCE_DIR "/data/default-bond-lengths.txt";
const std::string kBvsPath = KEVO_SOURCE_DIR "/data/bvsparm.cif";

// The lengths chemists expect for the commonest pairs, as the table must
// hold them.
const std::pair<const char*, const char*> kQuotedRows[] = {
    {"(Si O)", "1.99002"}, {"(Al O)", "2.10740"}, {"(Fe O)", "2.44693"}, {"(Mg O)", "2.41824"},
    {"(Ca O)", "2.83062"}, {"(Na O)", "2.95693"}, {"(K O)", "3.25142"},  {"(P O)", "2.08646"},
    {"(S O)", "1.80000"},  {"(C O)", "1.97249"},  {"(O H)", "1.20000"},  {"(H O)", "2.10000"},
    {"(D O)", "2.10000"},  {"(NH O)", "3.08895"}, {"(O O)", "1.70000"},
};

void SetRow(Model& m, int r, const char* cation, const char* anion, const char* limit) {
    m.MaxBondLengths[r][1] = cation;
    m.MaxBondLengths[r][2] = anion;
    m.MaxBondLengths[r][3] = limit;
}

BondLengthTable Table() {
    auto table = ReadDefaultBondLengths(kTablePath);
    if (!table) ADD_FAILURE() << "cannot read " << kTablePath;
    return table.value_or(BondLengthTable{});
}

TEST(DefaultBondLengths, QuotedRowsExactly) {
    const BondLengthTable table = Table();
    for (const auto& [key, length] : kQuotedRows) {
        SCOPED_TRACE(key);
        const std::string line = std::string(key) + "\t" + length;
        EXPECT_EQ(std::count(table.begin(), table.end(), line), 1);
    }
}

TEST(DefaultBondLengths, LookupKeepsSixCharactersAndDropsTheFifthDecimal) {
    const BondLengthTable table = Table();
    struct Case {
        const char* cation;
        const char* anion;
        const char* expected;
    } cases[] = {
        {"Si", "O", "1.9900"}, {"Al", "O", "2.1074"}, {"Fe", "O", "2.4469"}, // not 2.4470
        {"Mg", "O", "2.4182"}, {"NH", "O", "3.0889"},                        // not 3.0890
        {"K", "O", "3.2514"},  {"O", "H", "1.2000"},  {"H", "O", "2.1000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cation) + " " + c.anion);
        EXPECT_EQ(DefaultBondLength(table, BondTypeKey(c.cation, c.anion)), c.expected);
    }
    EXPECT_EQ(DefaultBondLength(table, BondTypeKey("Xx", "O")), std::nullopt);
    // The first line containing the key wins; a line without a tab has no
    // length.
    const BondLengthTable made = {"(Fe O) 2.5", "x(Fe O)\t2.123456", "(Fe O)\t9.9"};
    EXPECT_EQ(DefaultBondLength(made, "(Fe O)"), std::nullopt);
    EXPECT_EQ(DefaultBondLength({"x(Fe O)\t2.123456", "(Fe O)\t9.9"}, "(Fe O)"), "2.1234");
}

// Every line of the table is found by its own key: no key is part of
// another line.
TEST(DefaultBondLengths, EveryLineIsFoundByItsOwnKey) {
    const BondLengthTable table = Table();
    ASSERT_GT(table.size(), 900u);
    std::set<std::string> keys;
    for (const std::string& line : table) {
        SCOPED_TRACE(line);
        const std::size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos);
        const std::string key = line.substr(0, tab);
        const std::string length = line.substr(tab + 1);
        EXPECT_TRUE(keys.insert(key).second) << "twice";
        ASSERT_EQ(length.size(), 7u);
        EXPECT_EQ(FF("0.00000", xStrToFloat(length)), length);
        EXPECT_EQ(DefaultBondLength(table, key), length.substr(0, 6));
    }
}

// The pairs of the bond-valence table with the first row of each.
std::map<std::pair<std::string, std::string>, BvsParameters> FirstBvsRows() {
    std::map<std::pair<std::string, std::string>, BvsParameters> rows;
    const auto bvs = ReadBvsTable(kBvsPath);
    if (!bvs) {
        ADD_FAILURE() << "cannot read " << kBvsPath;
        return rows;
    }
    const auto& lines = bvs->lines();
    for (std::size_t i = BvsFirstDataLine; i < lines.size(); ++i) {
        std::vector<std::string> f;
        for (int n = 0; n < 6; ++n)
            f.push_back(GetCol(" ", ElimLeadBlanks(lines[i]), n));
        const auto valence = TryStrToInt(f[3]);
        const auto ro = TryStrToFloat(f[4]);
        const auto b = TryStrToFloat(f[5]);
        if (!valence || *valence >= 0 || !ro || !b || *b <= 0) continue;
        rows.try_emplace({f[0], f[2]}, BvsParameters{*ro, *b});
    }
    return rows;
}

// Pairs without a quoted length are at the distance where the bond valence
// of the pair's first row falls to 0.05 (deuterium takes hydrogen's rows),
// and every pair of the bond-valence table is there.
TEST(DefaultBondLengths, OtherPairsFollowTheValenceRule) {
    const BondLengthTable table = Table();
    auto rows = FirstBvsRows();
    ASSERT_GT(rows.size(), 900u);
    for (const auto& [pair, p] : std::map(rows))
        if (pair.first == "H") rows.try_emplace({"D", pair.second}, p);
    std::set<std::string> quoted;
    for (const auto& [key, length] : kQuotedRows)
        quoted.insert(key);

    std::set<std::string> cations;
    for (const auto& [pair, p] : rows) {
        const std::string key = BondTypeKey(pair.first, pair.second);
        SCOPED_TRACE(key);
        cations.insert(pair.first);
        if (quoted.count(key) != 0) continue;
        const std::string expected = FF("0.00000", p.Ro + p.B * std::log(1 / 0.05));
        EXPECT_EQ(std::count(table.begin(), table.end(), key + "\t" + expected), 1);
    }
    EXPECT_EQ(table.size(), rows.size() + 1); // (O H) has no bond-valence row
    for (const char* cation : {"H", "D", "NH"})
        EXPECT_EQ(cations.count(cation), 1u) << cation;
    EXPECT_EQ(cations.size(), 93u);
}

TEST(DefaultBondLengths, ReadingTheTable) {
    EXPECT_EQ(ReadDefaultBondLengths(""), std::nullopt);
    EXPECT_EQ(ReadDefaultBondLengths(KEVO_SOURCE_DIR "/data/no-such-table.txt"), std::nullopt);
    EXPECT_EQ(ReadDefaultBondLengths(KEVO_SOURCE_DIR "/data"), std::nullopt);
    EXPECT_EQ(BondLengthTableFromText("(Si O)\t1.99002\r\n(Al O)\t2.10740\n"),
              (BondLengthTable{"(Si O)\t1.99002", "(Al O)\t2.10740"}));
}

TEST(DefaultBondLengths, ElementsAndCaptionsOfBondTypes) {
    struct Case {
        const char* symbol;
        const char* element;
    } cases[] = {{"(Fe)", "Fe"}, {"(Fe-Mg)", "Fe"}, {"(O)", "O"}, {"(NH)", "NH"}, {"Si", "Si"}};
    for (const auto& c : cases)
        EXPECT_EQ(BondTypeElement(c.symbol), c.element) << c.symbol;

    auto m = Model::Create();
    SetRow(*m, 1, "(Fe-Mg)", "(O)", "2.1");
    EXPECT_EQ(BondTypeCaption(*m, 1), "Fe-Mg : O");
}

// The defaults replace the longest observed length of every bond type that
// has a table line; the others keep it.
TEST(DefaultBondLengths, LoadedIntoTheBondTypeTable) {
    auto m = Model::Create();
    SetRow(*m, 1, "(Fe-Mg)", "(O)", "2.300000000000");
    SetRow(*m, 2, "(Si)", "(O)", "1.650000000000");
    SetRow(*m, 3, "(Xx)", "(O)", "2.900000000000");
    SetRow(*m, 4, "(Al)", "(O)", "1.950000000000"); // beyond BondTypesNr
    m->BondTypesNr = 3;
    EXPECT_EQ(LoadDefaultBondLengths(*m, Table()), (std::vector<int>{1, 2}));
    EXPECT_EQ(m->MaxBondLengths[1][3], "2.4469");
    EXPECT_EQ(m->MaxBondLengths[2][3], "1.9900");
    EXPECT_EQ(m->MaxBondLengths[3][3], "2.900000000000");
    EXPECT_EQ(m->MaxBondLengths[4][3], "1.950000000000");
}

TEST(DataFiles, CurrentDirectoryThenBesideTheProgramThenInstalled) {
    const auto paths = DataFileCandidates(DefaultBondLengthsFileName, "/opt/kevo/bin");
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0], "default-bond-lengths.txt");
    EXPECT_EQ(paths[1], "/opt/kevo/bin/default-bond-lengths.txt");
    // The installed data folder is found from the program, wherever the tree
    // was installed or moved to.
    EXPECT_EQ(paths[2], "/opt/kevo/share/kevo21/default-bond-lengths.txt");
    EXPECT_EQ(std::string(KEVO_DATA_RELATIVE_DIR), "../share/kevo21");
    EXPECT_EQ(BvsFileCandidates("/moved/tree/bin")[2], "/moved/tree/share/kevo21/bvsparm.cif");
    EXPECT_EQ(BvsFileCandidates("").size(), 1u);
    EXPECT_EQ(PlacesTriedText(BvsFileName, "/opt/kevo/bin"),
              "Looked for " + (std::filesystem::current_path() / BvsFileName).string() +
                  ", /opt/kevo/bin/bvsparm.cif and /opt/kevo/share/kevo21/bvsparm.cif.");
    EXPECT_EQ(FindDataFile(DefaultBondLengthsFileName, KEVO_SOURCE_DIR "/data"), kTablePath);
    EXPECT_EQ(FindDataFile("no-such-table.txt", KEVO_SOURCE_DIR "/data"), "");
}

} // namespace

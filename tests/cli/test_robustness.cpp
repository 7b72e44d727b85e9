// Hostile and damaged input, file by file, through the batch program's
// processing: each fixture of tests/data/robust is refused with its message,
// or read with its warning and the right multiplicities and calculated to
// the end without a number that is not finite in anything written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "batch.h"
#include "cli_test_support.h"
#include "model/model.h"

namespace kevo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::StringConsole;

fs::path TempDir(const std::string& name) {
    return testing::TempDir("robust-" + name);
}

const std::string kRobust = std::string(KEVO_TEST_DATA_DIR) + "/robust/";
const std::string kShippedTable = KEVO_SOURCE_DIR "/data/bvsparm.cif";

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Every number of a JSON record is finite.
bool AllFinite(const nlohmann::ordered_json& j) {
    if (j.is_number_float()) return std::isfinite(j.get<double>());
    if (j.is_structured())
        return std::all_of(j.begin(), j.end(), [](const auto& item) { return AllFinite(item); });
    return true;
}

int MultiplicityOf(const Model& m, const std::string& label) {
    for (int i = 1; i <= m.AClength; ++i)
        if (m.AC[i].Atomlabel == label) return m.AC[i].Multiplicity;
    for (int i = 1; i <= m.AAlength; ++i)
        if (m.AA[i].Atomlabel == label) return m.AA[i].Multiplicity;
    return -1;
}

TEST(Robustness, HostileFiles) {
    const std::string finite = " and stops. Check the occupancies, oxidation numbers and "
                               "positions of the file.";
    struct Case {
        const char* file; // in tests/data/robust
        std::vector<std::string> messages;
        bool done; // calculated and written to the end
        std::vector<std::pair<std::string, int>> multiplicities;
        std::string bvs = kShippedTable;
        bool noBvs = false; // results without bond-valence sums
    } cases[] = {
        {"occupancy-huge.cif",
         {"Error reading occupancies.",
          "The occupancy of site Na1 (1e308) cannot be used; 1.0 is the value for fully "
          "occupied sites."},
         false,
         {}},
        {"oxidation-huge.cif",
         {"Error reading charges.", "The oxidation number of site Cl1 (Cl1" +
                                        std::string(120, '0') + "-) is zero or cannot be used."},
         false,
         {}},
        {"operator-product.cif", {"Invalid symmetry operator: x*y,y,z"}, false, {}},
        {"operator-zero.cif", {"Invalid symmetry operator: 0,0,0"}, false, {}},
        {"operator-translation-huge.cif", {"Invalid symmetry operator: x,y,z+1e308"}, false, {}},
        {"operator-function.cif", {"Invalid symmetry operator: abs(x),y,z"}, false, {}},
        {"brucite-three-decimals.cif", {}, true, {{"Mg1", 1}, {"O1", 2}, {"H1", 2}}},
        {"site-on-cell-face.cif", {}, true, {{"Mg1", 1}, {"O1", 1}, {"O3", 1}}},
        {"grossular-offset.cif", {}, true, {{"Ca1", 24}, {"Al1", 16}, {"Si1", 24}, {"O1", 96}}},
        {"ilmenite-cell-off.cif",
         {"The cell parameters a, b and gamma do not fit the symmetry operator -y,x-y,z; the "
          "structure is read as it stands."},
         true,
         {{"Fe1", 6}, {"Ti1", 6}, {"O1", 18}}},
        {"occupancy-above-one.cif",
         {"Site Na1 has an occupancy of 1.200, more than 1. It is read as given.",
          "Site K1-Rb1 has an occupancy of 1.200, more than 1. It is read as given."},
         true,
         {{"Na1", 1}, {"K1-Rb1", 1}}},
        {"rocksalt-utf16le.cif", {}, true, {{"Na1", 1}, {"Cl1", 1}}},
        {"no-anions.cif",
         {"The structure has no anions: no site has a negative oxidation number, so no "
          "coordination can be calculated."},
         false,
         {}},
        {"no-cations.cif",
         {"The structure has no cations: no site has a positive oxidation number, so no "
          "coordination can be calculated."},
         false,
         {}},
        {"dense-rocksalt.cif",
         {"The calculation gives a value that is not a finite number for Na1" + finite},
         false,
         {},
         kRobust + "bvs/bvs-overflow.cif"},
        {"rocksalt-utf16le.cif",
         {"The calculation gives a value that is not a finite number for the global "
          "instability index" +
          finite},
         false,
         {},
         kRobust + "bvs/bvs-overflow.cif"},
        {"rocksalt-utf16le.cif", {}, true, {}, kRobust + "bvs/bvs-one-absurd.cif", true},
        {"rocksalt-utf16le.cif",
         {"The bond-valence parameter file " + kRobust +
          "bvs/bvs-absurd.cif holds no parameter lines."},
         false,
         {},
         kRobust + "bvs/bvs-absurd.cif"},
    };

    auto m = Model::Create();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " with " + c.bvs);
        const std::string path = kRobust + c.file;
        ASSERT_TRUE(fs::is_regular_file(path)) << "missing fixture " << path;
        BatchSettings s;
        s.bvs_path = c.bvs;
        s.json = true;
        s.out_dir = TempDir("files").string();
        const BatchResult r = ProcessFile(path, s, *m);

        std::string expected;
        for (const std::string& text : c.messages)
            expected += path + ": " + text + "\n";
        EXPECT_EQ(r.messages, expected);
        EXPECT_EQ(r.ok, c.done);
        for (const auto& [label, multiplicity] : c.multiplicities)
            EXPECT_EQ(MultiplicityOf(*m, label), multiplicity) << label;
        if (!c.done) continue;

        // Six reports and CSV files and the JSON record, none with a number
        // that is not finite.
        int files = 0;
        for (const auto& entry : fs::directory_iterator(s.out_dir)) {
            ++files;
            const std::string text = ReadFile(entry.path());
            const std::string lower = Lower(text);
            SCOPED_TRACE(entry.path().filename().string());
            EXPECT_EQ(lower.find("nan"), std::string::npos);
            EXPECT_EQ(lower.find("inf"), std::string::npos);
            if (entry.path().extension() == ".json") {
                const auto j = nlohmann::ordered_json::parse(text);
                EXPECT_TRUE(AllFinite(j));
                for (const char* side : {"cation_centred", "anion_centred"}) {
                    const auto& globals = j[side]["globals"];
                    EXPECT_EQ(globals["NoBVS"], c.noBvs);
                    for (const char* key : {"GII", "GIICat", "GIIAn", "devBVSC", "devBVSA",
                                            "DevBrownC", "DevBrownA", "BVSFormula"})
                        EXPECT_EQ(globals[key].is_null(), c.noBvs) << side << " " << key;
                }
            }
            if (entry.path().extension() == ".out" && c.noBvs) {
                EXPECT_NE(text.find("  BVS-derived formula:       n/a"), std::string::npos);
                EXPECT_NE(text.find("Global instability Index: n/a    "), std::string::npos);
            }
        }
        EXPECT_EQ(files, 7);
    }
}

TEST(Robustness, BatchGoesOnAfterAFailingFile) {
    const std::string good = KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif";
    const std::string refused = kRobust + "occupancy-huge.cif";
    const std::string throwing = kRobust + "no-cations.cif";
    BatchSettings s;
    s.bvs_path = kShippedTable;
    s.out_dir = TempDir("goes-on").string();
    s.reports = false;
    s.json = true;

    // A file that is refused, then one whose processing throws (as the
    // conversion error of an unchecked number once did), then a good one.
    const FileProcessor process = [&](const std::string& path, const BatchSettings& t, Model& m) {
        if (path == throwing) throw std::runtime_error("'INF' is not a valid floating point value");
        return ProcessFile(path, t, m);
    };
    StringConsole console;
    EXPECT_EQ(RunBatch({refused, throwing, good}, s, 1, console, process), 1);
    EXPECT_EQ(console.err, refused + ": Error reading occupancies.\n" + refused +
                               ": The occupancy of site Na1 (1e308) cannot be used; 1.0 is the "
                               "value for fully occupied sites.\n" +
                               throwing +
                               ": Processing stopped by an unexpected error ('INF' is not a valid "
                               "floating point value); the file is skipped.\n"
                               "1 file done, 2 failed\n");
    EXPECT_EQ(console.out.rfind(good + ": 8 atoms, GII 0.01, ", 0), 0u) << console.out;
    EXPECT_TRUE(fs::is_regular_file(fs::path(s.out_dir) / "halite_NaCl_COD1000041.json"));

    // The same with two workers.
    StringConsole parallel;
    EXPECT_EQ(RunBatch({throwing, refused, good}, s, 2, parallel, process), 1);
    EXPECT_NE(parallel.err.find("1 file done, 2 failed\n"), std::string::npos) << parallel.err;
}

TEST(Robustness, BatchRefusesAnUnusableParameterTable) {
    const std::string good = KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif";
    const std::string absurd = kRobust + "bvs/bvs-absurd.cif";
    BatchSettings s;
    s.out_dir = TempDir("table").string();
    for (const auto& [table, message] :
         {std::pair{absurd,
                    "The bond-valence parameter file " + absurd + " holds no parameter lines.\n"},
          std::pair{std::string(), std::string("Cannot open the bond-valence parameter file "
                                               "bvsparm.cif.\n")}}) {
        SCOPED_TRACE(table);
        s.bvs_path = table;
        StringConsole console;
        EXPECT_EQ(RunBatch({good, good + "x"}, s, 1, console), 2);
        EXPECT_EQ(console.err, message);
        EXPECT_TRUE(fs::is_empty(s.out_dir));
    }
    // When no table was found, where it was looked for follows, once.
    s.bvs_path.clear();
    s.bvs_places = "Looked for /a/bvsparm.cif and /b/bvsparm.cif.";
    StringConsole places;
    EXPECT_EQ(RunBatch({good, good + "x"}, s, 1, places), 2);
    EXPECT_EQ(places.err, "Cannot open the bond-valence parameter file bvsparm.cif.\nLooked for "
                          "/a/bvsparm.cif and /b/bvsparm.cif.\n");
    // Listing only needs no table.
    s.bvs_path.clear();
    s.calculate = false;
    s.list = true;
    StringConsole console;
    EXPECT_EQ(RunBatch({good}, s, 1, console), 0) << console.err;
}

} // namespace
} // namespace kevo

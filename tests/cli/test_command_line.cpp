// The batch program as a user runs it: its options, what it prints, its exit
// status and the files it leaves, one case per row. The program itself is run
// in a scratch folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli_test_support.h"

namespace kevo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

const std::string kHalite = KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif";
const std::string kForsterite = KEVO_SOURCE_DIR "/examples/forsterite_Mg2SiO4_AMCSD0000546.cif";
const std::string kNoCharges = KEVO_TEST_DATA_DIR "/cif/periclase-no-charges.cif";
const std::string kNoOccupancies = KEVO_TEST_DATA_DIR "/cif/periclase-no-occupancy.cif";

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

// Runs the batch program with args in the folder dir; what it prints is
// caught beside the folder, so that the folder holds only what it writes.
ProgramRun RunProgram(const fs::path& dir, const std::vector<std::string>& args) {
    const fs::path out = dir.string() + ".stdout", err = dir.string() + ".stderr";
    std::string command = "cd " + Quote(dir.string()) + " && " + Quote(KEVO_BATCH_PROGRAM);
    for (const std::string& a : args)
        command += " " + Quote(a);
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    const int raw = std::system(command.c_str());
    ProgramRun r;
    r.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadFile(out);
    r.err = ReadFile(err);
    fs::remove(out);
    fs::remove(err);
    return r;
}

// Every file under dir, as paths relative to it.
std::set<std::string> FilesUnder(const fs::path& dir) {
    std::set<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) files.insert(fs::relative(e.path(), dir).string());
    return files;
}

std::set<std::string> Reports(const std::string& folder, const std::string& title) {
    std::set<std::string> files;
    for (const char* ending :
         {"-CC-D.out", "-CC-S.out", "-AC-D.out", "-AC-S.out", "-CC-S.csv", "-AC-S.csv"})
        files.insert(folder + title + ending);
    return files;
}

TEST(CommandLine, OptionsAsAUserGivesThem) {
    const std::string chargeHint =
        "Add _atom_type_oxidation_number or write the charge in the type symbol (Mg2+).";
    const std::string exitStatus =
        "Exit status: 0 every file done; 1 some file failed (the other files are still "
        "processed and written); 2 the run was refused before anything was written";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string out;             // what stdout holds (at its start)
        std::string err;             // what stderr holds, exactly
        std::set<std::string> files; // every file the folder holds afterwards
        std::string blocker = "";    // a file made first, in the way of a folder
    } cases[] = {
        {"--version", {"--version"}, 0, std::string("kevo21-batch ") + KEVO_VERSION + "\n", "", {}},
        {"--help names the exit statuses", {"--help"}, 0, "Kevo21 batch program", "", {}},
        {"--no-reports alone",
         {"--no-reports", "--out", "res", kHalite},
         2,
         "",
         "--no-reports leaves nothing to write: add --json, --table or --list.\n",
         {}},
        {"--no-reports with --json",
         {"--no-reports", "--json", "--out", "res", kHalite},
         0,
         kHalite + ": 8 atoms, GII 0.01, ",
         "",
         {"res/halite_NaCl_COD1000041.json"}},
        {"an out folder made with its parents",
         {"--out", "results/2024/run", kHalite},
         0,
         kHalite + ": 8 atoms, GII 0.01, ",
         "",
         Reports("results/2024/run/", "halite_NaCl_COD1000041")},
        {"an out folder that cannot be made",
         {"--out", "taken/run", kHalite},
         2,
         "",
         "Cannot create the output directory taken/run: Not a directory.\n",
         {"taken"},
         "taken"},
        {"a file without oxidation numbers",
         {"--out", "res", kNoCharges},
         1,
         "",
         kNoCharges + ": Error reading charges.\n" + kNoCharges +
             ": Site Mg1 (type symbol Mg) has no oxidation number. " + chargeHint +
             " Or give the oxidation numbers by element with --charges, for example --charges "
             "Mg=2,Si=4,O=-2.\n",
         {}},
        {"oxidation numbers supplied",
         {"--charges", "Mg=2,Si=4,O=-2", "--out", "res", kNoCharges},
         0,
         kNoCharges + ": 2 atoms, GII ",
         "",
         Reports("res/", "periclase-no-charges")},
        {"supplied oxidation numbers repeated and written 2-",
         {"--charges", "Mg=+2", "--charges", "O=2-", "--out", "res", kNoCharges},
         0,
         kNoCharges + ": 2 atoms, GII ",
         "",
         Reports("res/", "periclase-no-charges")},
        {"a file's own charges win",
         {"--charges", "Na=3,Cl=-3", "--json", "--no-reports", "--out", "res", kHalite},
         0,
         kHalite + ": 8 atoms, GII 0.01, ",
         "",
         {"res/halite_NaCl_COD1000041.json"}},
        {"supplied oxidation numbers that leave an element out",
         {"--charges", "Mg=2", "--out", "res", kNoCharges, kHalite},
         1,
         kHalite + ": 8 atoms, GII 0.01, ",
         kNoCharges + ": Error reading charges.\n" + kNoCharges +
             ": Site O1 (type symbol O) has no oxidation number, and none was supplied for O. " +
             chargeHint + "\n1 file done, 1 failed\n",
         Reports("res/", "halite_NaCl_COD1000041")},
        {"a bad --charges item",
         {"--charges", "Mg=2,O", "--out", "res", kNoCharges},
         2,
         "",
         "--charges takes ELEMENT=OXIDATION NUMBER items such as Mg=2,O=-2, not \"O\".\n",
         {}},
        {"a charge of 0",
         {"--charges", "Mg=0", kNoCharges},
         2,
         "",
         "--charges takes ELEMENT=OXIDATION NUMBER items such as Mg=2,O=-2, not \"Mg=0\".\n",
         {}},
        {"not an element",
         {"--charges", "Mg=2,Xx=-2", kNoCharges},
         2,
         "",
         "--charges: Xx is not a valid chemical symbol.\n",
         {}},
        {"an element named twice",
         {"--charges", "Mg=2,O=-2,Mg=3", kNoCharges},
         2,
         "",
         "--charges names Mg twice.\n",
         {}},
        {"a file without occupancies",
         {"--out", "res", kNoOccupancies},
         1,
         "",
         kNoOccupancies + ": Error reading occupancies.\n" + kNoOccupancies +
             ": The _atom_site_occupancy column is missing: add it to the atom-site loop, with "
             "1.0 for fully occupied sites.\n",
         {}},
        {"radius too high",
         {"--max-radius", "5.5", kHalite},
         2,
         "",
         "Maximum coordination radius too high. (at most 5.0 Å)\n",
         {}},
        {"an option that does not exist refuses the run",
         {"--radius", "3", kHalite},
         2,
         "",
         "The following argument was not expected: --radius\nRun with --help for more "
         "information.\n",
         {}},
        {"no file",
         {"--json"},
         2,
         "",
         "files is required\nRun with --help for more information.\n",
         {}},
        {"one file done of two",
         {"--out", "res", kHalite, kNoOccupancies},
         1,
         kHalite + ": 8 atoms, GII 0.01, ",
         kNoOccupancies + ": Error reading occupancies.\n" + kNoOccupancies +
             ": The _atom_site_occupancy column is missing: add it to the atom-site loop, with "
             "1.0 for fully occupied sites.\n1 file done, 1 failed\n",
         Reports("res/", "halite_NaCl_COD1000041")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dir = testing::TempDir("command-line");
        if (!c.blocker.empty()) std::ofstream(dir / c.blocker) << "in the way\n";
        const ProgramRun r = RunProgram(dir, c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out.substr(0, c.out.size()), c.out) << r.out;
        if (c.args.front() == "--help") {
            EXPECT_NE(r.out.find(exitStatus), std::string::npos) << r.out;
        } else {
            EXPECT_EQ(r.err, c.err);
        }
        EXPECT_EQ(FilesUnder(dir), c.files);
    }
}

// The cells of one CSV line as RFC 4180 writes them (quoted fields, doubled
// quotes), without its CR LF.
std::vector<std::string> CsvCells(const std::string& line) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            cells.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF";
        if (end == std::string::npos) break;
        rows.push_back(CsvCells(text.substr(start, end - start)));
        start = end + 2;
    }
    return rows;
}

// A cell holds the JSON value as the reports print it: rounded to its
// decimals, the sign of a received charge turned, empty for a missing value.
void ExpectCell(const std::string& cell, const nlohmann::ordered_json& value, int decimals,
                double sign, const std::string& what) {
    SCOPED_TRACE(what + " = " + cell);
    if (value.is_null()) {
        EXPECT_EQ(cell, "");
        return;
    }
    ASSERT_FALSE(cell.empty());
    const double expected = sign * value.get<double>();
    EXPECT_NEAR(std::stod(cell), expected, 0.5 * std::pow(10.0, -decimals) + 1e-9);
    const std::size_t point = cell.find('.');
    ASSERT_NE(point, std::string::npos);
    EXPECT_EQ(static_cast<int>(cell.size() - point - 1), decimals);
}

TEST(CommandLine, OneTableForTheRunAgreesWithTheJsonRecords) {
    const fs::path dir = testing::TempDir("table");
    // A file name with a comma and a quote needs quoting in the table.
    const std::string odd = "rock,salt \"NaCl\".cif";
    fs::copy_file(kHalite, dir / odd);
    const ProgramRun r = RunProgram(dir, {"--json", "--no-reports", "--table", "tables/run.csv",
                                          "--out", "res", kForsterite, odd, kNoOccupancies});
    ASSERT_EQ(r.status, 1) << r.err; // the file without occupancies fails, the others are done
    EXPECT_NE(r.err.find("2 files done, 1 failed\n"), std::string::npos) << r.err;

    const std::string text = ReadFile(dir / "tables/run.csv");
    ASSERT_FALSE(text.empty()) << "no table written";
    EXPECT_NE(text.substr(0, 3), "\xEF\xBB\xBF"); // no byte-order mark: scripts read the header
    const auto rows = CsvRows(text);
    ASSERT_FALSE(rows.empty());
    const std::vector<std::string> header = {
        "file", "orientation", "label", "elements", "CN",         "Kevo", "EDEV", "charge",
        "Q",    "BVS",         "MAPDL", "AvDist",   "distortion", "GII",  "CDEV", "MAPD"};
    EXPECT_EQ(rows[0], header);
    std::map<std::string, int> column;
    for (std::size_t k = 0; k < header.size(); ++k)
        column[header[k]] = static_cast<int>(k);

    // Forsterite: 3 cations and 3 anions, both orientations; the quoted file:
    // 1 + 1 atoms, both orientations; nothing of the failed file.
    ASSERT_EQ(rows.size(), 1u + 12u + 4u);
    for (std::size_t i = 13; i < rows.size(); ++i)
        EXPECT_EQ(rows[i][0], odd);

    const auto json =
        nlohmann::ordered_json::parse(ReadFile(dir / "res/forsterite_Mg2SiO4_AMCSD0000546.json"));
    std::size_t row = 1;
    for (const char* orientation : {"cation_centred", "anion_centred"}) {
        const auto& o = json[orientation];
        const bool cationCentred = std::string(orientation) == "cation_centred";
        const auto& g = o["globals"];
        for (const char* kind : {"cations", "anions"}) {
            const bool central = (std::string(kind) == "cations") == cationCentred;
            for (const auto& atom : o[kind]) {
                ASSERT_LT(row, rows.size());
                const std::vector<std::string>& cells = rows[row++];
                ASSERT_EQ(cells.size(), header.size());
                const std::string label = atom["Atomlabel"].get<std::string>();
                SCOPED_TRACE(std::string(orientation) + " " + label);
                auto cell = [&](const char* name) { return cells[column[name]]; };
                EXPECT_EQ(cell("file"), kForsterite);
                EXPECT_EQ(cell("orientation"), cationCentred ? "cation-centred" : "anion-centred");
                EXPECT_EQ(cell("label"), label);
                EXPECT_EQ(cell("CN"), std::to_string(atom["Coor"].get<int>()));
                ExpectCell(cell("Kevo"), atom["Kevo"], 3, 1, "Kevo");
                ExpectCell(cell("EDEV"), atom["EDEV"], 3, 1, "EDEV");
                ExpectCell(cell("charge"), atom["effcharge"], 3, 1, "charge");
                // The received charge as printed: the sign of the stored one turned.
                ExpectCell(cell("Q"), atom[central ? "QX" : "QA"], 3, -1, "Q");
                ExpectCell(cell("BVS"), atom["BVS"], 3, 1, "BVS");
                if (central)
                    ExpectCell(cell("MAPDL"), atom["MAPDLig"], 3, 1, "MAPDL");
                else
                    EXPECT_EQ(cell("MAPDL"), "");
                ExpectCell(cell("AvDist"), atom["AvDist"], 4, 1, "AvDist");
                ExpectCell(cell("distortion"), atom["PolDistortion"], 4, 1, "distortion");
                ExpectCell(cell("GII"), g["GII"], 2, 1, "GII");
                ExpectCell(cell("CDEV"), g["CDEV"], 3, 1, "CDEV");
                ExpectCell(cell("MAPD"), g[cationCentred ? "DevQXCC" : "DevQAAC"], 2, 1, "MAPD");
            }
        }
    }
    EXPECT_EQ(rows[1][column["elements"]], "Si");
}

} // namespace
} // namespace kevo

// The batch program as a user runs it: its options, what it prints, its exit
// status and the files it leaves, one case per row. The program itself is run
// in a scratch folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "cli_test_support.h"

namespace kevo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

const std::string kHalite = KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif";
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
         "--no-reports leaves nothing to write: add --json or --list.\n",
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

} // namespace
} // namespace kevo

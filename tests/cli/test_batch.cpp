#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch.h"
#include "cli_test_support.h"
#include "model/model.h"
#include "poly/poly_messages.h"
#include "reports/report_file.h"

namespace kevo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::StringConsole;

fs::path TempDir(const std::string& name) {
    return testing::TempDir("batch-" + name);
}

TEST(Batch, JsonRecordOfBothOrientations) {
    auto m = Model::Create();
    BatchSettings s;
    s.json = true;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.out_dir = TempDir("json").string();
    BatchResult r = ProcessFile(KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif", s, *m);
    ASSERT_TRUE(r.ok) << r.messages;
    EXPECT_EQ(r.atoms, 8);

    const std::string text = ReadFile(fs::path(s.out_dir) / "halite_NaCl_COD1000041.json");
    auto j = nlohmann::ordered_json::parse(text);
    // The record says what it is before anything else.
    EXPECT_EQ(text.rfind("{\n  \"format\": \"kevo21-results\",\n  \"version\": 1,\n", 0), 0u)
        << text.substr(0, 80);
    EXPECT_EQ(j["Title"], "halite_NaCl_COD1000041");
    // Halite gives every charge back exactly; the rounding noise of the sums
    // (3e-14) is written 0, and no number is written -0.0.
    EXPECT_EQ(j["cation_centred"]["globals"]["CDEV"].dump(), "0");
    EXPECT_EQ(j["cation_centred"]["cations"][0]["MAPDLig"].dump(), "0");
    EXPECT_EQ(text.find("-0.0,"), std::string::npos);
    EXPECT_EQ(text.find("e-1"), std::string::npos);
    EXPECT_EQ(text.find("e-2"), std::string::npos);
    for (const char* side : {"cation_centred", "anion_centred"}) {
        SCOPED_TRACE(side);
        const auto& o = j[side];
        EXPECT_EQ(o["globals"]["StructureFormula"], "Na4.000 Cl4.000 ");
        EXPECT_EQ(o["globals"]["iterations"], 0);
        ASSERT_EQ(o["cations"].size(), 1u);
        ASSERT_EQ(o["anions"].size(), 1u);
        const auto& na = o["cations"][0];
        EXPECT_EQ(na["Atomlabel"], "Na1");
        EXPECT_EQ(na["Coor"], 6);
        EXPECT_EQ(na["Multiplicity"], 4);
        EXPECT_DOUBLE_EQ(na["Kevo"].get<double>(), 6.0);
        ASSERT_EQ(na["bonds"].size(), 6u);
        EXPECT_EQ(na["bonds"][0]["BondingAtoms"], "*Cl1");
        EXPECT_DOUBLE_EQ(na["bonds"][0]["Dist"].get<double>(), 2.81);
    }
    // Every site receives its formal charge back, with the opposite sign: as a
    // ligand (QA) in one orientation, as a central atom (QX) in the other.
    EXPECT_NEAR(j["cation_centred"]["anions"][0]["QA"].get<double>(), 1.0, 1e-12);
    EXPECT_NEAR(j["anion_centred"]["anions"][0]["QX"].get<double>(), 1.0, 1e-12);
    EXPECT_NEAR(j["cation_centred"]["cations"][0]["QX"].get<double>(), -1.0, 1e-12);
}

// One model serves every file of a run. The cation-centred record of the
// second file once carried the anion-centred MAPD values of the first.
TEST(Batch, JsonRecordHoldsNothingOfAnEarlierFile) {
    const std::string spinel = KEVO_SOURCE_DIR "/examples/spinel_MgAl2O4_AMCSD0004465.cif";
    const std::string halite = KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif";
    BatchSettings s;
    s.json = true;
    s.reports = false;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.out_dir = TempDir("json-alone").string();
    StringConsole alone;
    ASSERT_EQ(RunBatch({halite}, s, 1, alone), 0) << alone.err;
    const std::string first = ReadFile(fs::path(s.out_dir) / "halite_NaCl_COD1000041.json");
    s.out_dir = TempDir("json-after").string();
    StringConsole after;
    ASSERT_EQ(RunBatch({spinel, halite}, s, 1, after), 0) << after.err;
    const std::string second = ReadFile(fs::path(s.out_dir) / "halite_NaCl_COD1000041.json");
    EXPECT_EQ(second, first);

    const auto j = nlohmann::ordered_json::parse(second);
    EXPECT_TRUE(j["cation_centred"]["globals"]["DevQXAC"].is_null());
    EXPECT_TRUE(j["cation_centred"]["globals"]["DevQAAC"].is_null());
    EXPECT_TRUE(j["anion_centred"]["globals"]["DevQXAC"].is_number());
    EXPECT_TRUE(j["anion_centred"]["globals"]["DevQXCC"].is_number());
}

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Batch, WritesAllSixFilesForEveryExample) {
    auto m = Model::Create();
    BatchSettings s;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.out_dir = TempDir("all").string();
    int files = 0;
    for (const auto& e : fs::directory_iterator(KEVO_SOURCE_DIR "/examples")) {
        if (e.path().extension() != ".cif") continue;
        ++files;
        BatchResult r = ProcessFile(e.path().string(), s, *m);
        EXPECT_TRUE(r.ok) << r.messages;
        EXPECT_EQ(r.messages, "");
        const std::string title = e.path().stem().string();
        for (const char* ending :
             {"-CC-D.out", "-CC-S.out", "-AC-D.out", "-AC-S.out", "-CC-S.csv", "-AC-S.csv"}) {
            SCOPED_TRACE(title + ending);
            std::string text = ReadFile(fs::path(s.out_dir) / (title + ending));
            ASSERT_GT(text.size(), 3u);
            EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
            EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        }
    }
    EXPECT_EQ(files, 8);
    EXPECT_EQ(Listing(s.out_dir).size(), 48u);
}

TEST(Batch, NarrowingOptionsChooseTheFiles) {
    struct Case {
        const char* name;
        bool detailed, summary, cation, anion;
        std::vector<std::string> files;
    } cases[] = {
        {"detailed only",
         true,
         false,
         true,
         true,
         {"halite_NaCl_COD1000041-AC-D.out", "halite_NaCl_COD1000041-CC-D.out"}},
        {"anion-centred summary",
         false,
         true,
         false,
         true,
         {"halite_NaCl_COD1000041-AC-S.csv", "halite_NaCl_COD1000041-AC-S.out"}},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BatchSettings s;
        s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
        s.out_dir = TempDir("narrow").string();
        s.detailed = c.detailed;
        s.summary = c.summary;
        s.cation = c.cation;
        s.anion = c.anion;
        BatchResult r = ProcessFile(KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif", s, *m);
        EXPECT_TRUE(r.ok) << r.messages;
        EXPECT_EQ(Listing(s.out_dir), c.files);
    }
}

TEST(Batch, SettingsAreValidatedAndApplied) {
    struct Case {
        const char* name;
        BatchSettings s;
        const char* problem;
    } cases[] = {
        {"defaults", {}, ""},
        {"radius at the limit",
         [] {
             BatchSettings s;
             s.MaxR = 5.0;
             return s;
         }(),
         ""},
        {"radius too high",
         [] {
             BatchSettings s;
             s.MaxR = 5.01;
             return s;
         }(),
         "Maximum coordination radius too high. (at most 5.0 Å)"},
        {"negative radius",
         [] {
             BatchSettings s;
             s.MaxR = -1;
             return s;
         }(),
         "Invalid Maximum coordination radius."},
        {"end option",
         [] {
             BatchSettings s;
             s.EndItOption = 3;
             return s;
         }(),
         "Invalid end option: it is 0, 1 or 2."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ValidateSettings(c.s), c.problem);
    }

    auto m = Model::Create();
    BatchSettings s;
    s.MaxR = 3.0;
    s.ExZeroW = true;
    s.VontarIT = true;
    s.EndItOption = 2;
    ApplySettings(s, *m);
    EXPECT_EQ(m->MaxR, 3.0);
    EXPECT_EQ(m->MaxH, 2.0);
    EXPECT_TRUE(m->ExZeroW && m->VontarIT && m->OneStepIT);
    EXPECT_EQ(m->EndItOption, 2);
}

TEST(Batch, FailuresAreReportedAndNothingIsHalfWritten) {
    auto m = Model::Create();
    BatchSettings s;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    BatchResult r = ProcessFile("no-such-file.cif", s, *m);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages.rfind("no-such-file.cif: Cannot open file no-such-file.cif: ", 0), 0u)
        << r.messages;

    fs::path dir = TempDir("write");
    fs::path target = dir / "kept.json";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(target.string(), "old", error));
    // A directory where the temporary file should go makes the write fail.
    fs::create_directories(target.string() + ".kevo-part");
    EXPECT_FALSE(WriteFileAtomically(target.string(), "new", error));
    EXPECT_EQ(error.rfind("Cannot write " + target.string() + ": ", 0), 0u) << error;
    EXPECT_EQ(ReadFile(target), "old");
}

TEST(Batch, ChargesByElement) {
    const struct {
        std::vector<std::string> items;
        std::map<std::string, std::string> charges;
        std::string problem;
    } cases[] = {
        {{"Mg=2", "Si=4", "O=-2"}, {{"Mg", "2"}, {"Si", "4"}, {"O", "-2"}}, ""},
        {{"Mg=+2", "O=2-", "Fe=3+"}, {{"Mg", "2"}, {"O", "-2"}, {"Fe", "3"}}, ""},
        {{"Mg=0"},
         {},
         "--charges takes ELEMENT=OXIDATION NUMBER items such as Mg=2,O=-2, not "
         "\"Mg=0\"."},
        {{"Mg=2.5"},
         {},
         "--charges takes ELEMENT=OXIDATION NUMBER items such as Mg=2,O=-2, not "
         "\"Mg=2.5\"."},
        {{"Mg"},
         {},
         "--charges takes ELEMENT=OXIDATION NUMBER items such as Mg=2,O=-2, not "
         "\"Mg\"."},
        {{"=2"},
         {},
         "--charges takes ELEMENT=OXIDATION NUMBER items such as Mg=2,O=-2, not "
         "\"=2\"."},
        {{"Mg=--2"},
         {},
         "--charges takes ELEMENT=OXIDATION NUMBER items such as Mg=2,O=-2, not "
         "\"Mg=--2\"."},
        {{"mg=2"}, {}, "--charges: mg is not a valid chemical symbol."},
        {{"Mg=2", "Mg=3"}, {{"Mg", "2"}}, "--charges names Mg twice."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.items.front());
        std::map<std::string, std::string> charges;
        EXPECT_EQ(ParseCharges(c.items, charges), c.problem);
        if (c.problem.empty()) {
            EXPECT_EQ(charges, c.charges);
        }
    }

    // A file without oxidation numbers is read with the ones supplied.
    auto m = Model::Create();
    BatchSettings s;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.json = true;
    s.reports = false;
    s.out_dir = TempDir("charges").string();
    const std::string file = KEVO_TEST_DATA_DIR "/cif/periclase-no-charges.cif";
    BatchResult r = ProcessFile(file, s, *m);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, file + ": Error reading charges.\n" + file +
                              ": Site Mg1 (type symbol Mg) has no oxidation number. Add "
                              "_atom_type_oxidation_number or write the charge in the type "
                              "symbol (Mg2+).\n");
    ASSERT_EQ(ParseCharges({"Mg=2", "O=-2"}, s.read.element_charges), "");
    r = ProcessFile(file, s, *m);
    ASSERT_TRUE(r.ok) << r.messages;
    EXPECT_EQ(m->AC[1].effcharge, 2.0);
    EXPECT_EQ(m->AA[1].effcharge, -2.0);
    EXPECT_TRUE(r.has_gii);
}

// --out names a folder that need not exist: it is made, with its parents,
// once the run is not refused; a refused run makes nothing.
TEST(Batch, OutFolderIsMadeWithItsParents) {
    const fs::path dir = TempDir("out-folder");
    const std::string example = KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif";
    BatchSettings s;
    s.json = true;
    s.reports = false;
    s.out_dir = (dir / "refused" / "run").string();
    StringConsole refused;
    EXPECT_EQ(RunBatch({example}, s, 1, refused), 2); // no table
    EXPECT_FALSE(fs::exists(dir / "refused"));

    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.out_dir = (dir / "results" / "2024" / "run").string();
    StringConsole console;
    EXPECT_EQ(RunBatch({example}, s, 1, console), 0) << console.err;
    EXPECT_TRUE(fs::is_regular_file(dir / "results/2024/run/halite_NaCl_COD1000041.json"));

    // A file where a folder should be.
    std::ofstream(dir / "taken") << "in the way\n";
    s.out_dir = (dir / "taken" / "run").string();
    StringConsole blocked;
    EXPECT_EQ(RunBatch({example}, s, 1, blocked), 2);
    EXPECT_EQ(blocked.err.rfind("Cannot create the output directory " + s.out_dir + ": ", 0), 0u)
        << blocked.err;
}

// A run reads the bond-valence table once, before any file, and every worker
// uses that table: the file may go away once the run has started.
TEST(Batch, TheTableIsReadOnceForTheWholeRun) {
    const fs::path dir = TempDir("one-table");
    const fs::path table = dir / "bvsparm.cif";
    fs::copy_file(KEVO_SOURCE_DIR "/data/bvsparm.cif", table);
    BatchSettings s;
    s.bvs_path = table.string();
    s.out_dir = dir.string();
    std::vector<std::string> files;
    for (const char* name : {"halite_NaCl_COD1000041", "rutile_TiO2_AMCSD0019092",
                             "spinel_MgAl2O4_AMCSD0004465", "brucite_MgOH2_COD1000054"})
        files.push_back(KEVO_SOURCE_DIR "/examples/" + std::string(name) + ".cif");
    StringConsole console;
    auto process = [&table](const std::string& path, const BatchSettings& t, Model& m) {
        std::error_code ec;
        fs::remove(table, ec);
        return ProcessFile(path, t, m);
    };
    EXPECT_EQ(RunBatch(files, s, 2, console, process), 0) << console.err;
    EXPECT_FALSE(fs::exists(table));
    EXPECT_EQ(Listing(dir).size(), 4u * 6u);
}

// Links count: a folder reached through a link, and an existing output file
// that is a link to another file's output, are the places they lead to.
TEST(Batch, OutputCollisionsFollowLinks) {
    const fs::path dir = TempDir("collide-links");
    const std::string example = KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif";
    for (const char* sub : {"a", "b"}) {
        fs::create_directories(dir / sub);
        fs::copy_file(example, dir / sub / "quartz.cif");
    }
    fs::create_directory_symlink(dir / "a", dir / "link");
    const std::string a = (dir / "a" / "quartz.cif").string();
    const std::string b = (dir / "b" / "quartz.cif").string();
    const std::string viaLink = (dir / "link" / "quartz.cif").string();
    BatchSettings s;
    const auto message = [](const std::string& first, const std::string& second,
                            const fs::path& out) {
        return "The results of " + first + " and " + second + " would overwrite each other " +
               "(both write " + out.string() +
               "). Give the files different names or process them in separate runs; nothing " +
               "was written.";
    };
    EXPECT_EQ(OutputCollisions({a, viaLink}, s),
              (std::vector<std::string>{message(a, viaLink, dir / "link" / "quartz-CC-D.out")}));
    EXPECT_TRUE(OutputCollisions({a, b}, s).empty());
    std::ofstream(dir / "a" / "quartz-AC-S.csv") << "an earlier run's";
    fs::create_symlink(dir / "a" / "quartz-AC-S.csv", dir / "b" / "quartz-AC-S.csv");
    EXPECT_EQ(OutputCollisions({a, b}, s),
              (std::vector<std::string>{message(a, b, dir / "b" / "quartz-AC-S.csv")}));
}

TEST(Batch, OutputNamesThatCollideRefuseTheRun) {
    const fs::path dir = TempDir("collide");
    const std::string example = KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif";
    for (const char* sub : {"a", "b"}) {
        fs::create_directories(dir / sub);
        fs::copy_file(example, dir / sub / "quartz.cif");
    }
    fs::copy_file(example, dir / "a" / "other.cif");
    const std::string a = (dir / "a" / "quartz.cif").string();
    const std::string b = (dir / "b" / "quartz.cif").string();
    const std::string other = (dir / "a" / "other.cif").string();
    const std::string aAgain = (dir / "a" / "." / "quartz.cif").string();
    const fs::path out = dir / "out";
    fs::create_directories(out);

    BatchSettings s;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.json = true;
    s.out_dir = out.string();
    const std::string outQuartz = (out / "quartz-CC-D.out").string();
    struct Case {
        const char* name;
        std::vector<std::string> files;
        bool useOut;
        std::vector<std::string> messages;
    } cases[] = {
        {"same name from two folders into one --out folder",
         {a, other, b},
         true,
         {"The results of " + a + " and " + b + " would overwrite each other (both write " +
          outQuartz +
          "). Give the files different names or process them in separate runs; nothing was "
          "written."}},
        {"a file given twice, written beside it",
         {a, aAgain},
         false,
         {"The results of " + a + " and " + aAgain + " would overwrite each other (both write " +
          (dir / "a" / "." / "quartz-CC-D.out").string() +
          "). Give the files different names or process them in separate runs; nothing was "
          "written."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BatchSettings t = s;
        if (!c.useOut) t.out_dir.clear();
        EXPECT_EQ(OutputCollisions(c.files, t), c.messages);
        StringConsole console;
        EXPECT_EQ(RunBatch(c.files, t, 2, console), 2);
        std::string expected;
        for (const std::string& text : c.messages)
            expected += text + "\n";
        EXPECT_EQ(console.err, expected);
        EXPECT_EQ(console.out, "");
        EXPECT_TRUE(fs::is_empty(out));
        EXPECT_EQ(Listing(dir / "a"), (std::vector<std::string>{"other.cif", "quartz.cif"}));
    }

    // The same files each beside their CIF: no collision, all written.
    BatchSettings beside = s;
    beside.out_dir.clear();
    EXPECT_TRUE(OutputCollisions({a, b, other}, beside).empty());
    // Only the JSON, or nothing at all (--list alone), still decides.
    BatchSettings jsonOnly = s;
    jsonOnly.reports = false;
    EXPECT_EQ(OutputCollisions({a, b}, jsonOnly).size(), 1u);
    BatchSettings listOnly = s;
    listOnly.calculate = false;
    EXPECT_TRUE(OutputCollisions({a, b}, listOnly).empty());
    StringConsole console;
    EXPECT_EQ(RunBatch({a, b, other}, beside, 1, console), 0) << console.err;
    EXPECT_EQ(Listing(dir / "b").size(), 8u); // the CIF, six reports and the JSON
    // With the geometry its files count too.
    BatchSettings geometry = s;
    geometry.reports = true;
    geometry.json = false;
    geometry.geometry = true;
    geometry.summary = false;
    geometry.anion = false;
    EXPECT_EQ(OutputFiles(a, geometry),
              (std::vector<std::string>{
                  (out / "quartz-CC-D.out").string(), (out / "quartz-CC-D.pol").string(),
                  (out / "quartz-CC-OB.csv").string(), (out / "quartz-CC-123-45.csv").string()}));
}

// --- Coordination geometry ------------------------------------------------------------

const char* const kReportEndings[] = {"-CC-D.out", "-CC-S.out", "-AC-D.out",
                                      "-AC-S.out", "-CC-S.csv", "-AC-S.csv"};
const char* const kGeometryEndings[] = {"-CC-D.pol",  "-CC-S.pol",  "-AC-D.pol",  "-AC-S.pol",
                                        "-CC-SP.csv", "-AC-SP.csv", "-CC-OB.csv", "-CC-123-45.csv"};

// The text of a written file with the elapsed-time lines blanked: they
// differ from run to run.
std::string WithoutElapsedTime(std::string text) {
    const std::string key = "  Elapsed time: ";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1))
        text.erase(at + key.size(), text.find('\r', at) - at - key.size());
    return text;
}

TEST(Batch, GeometryWritesEveryFileForEveryExampleAndLeavesTheOthersAlone) {
    auto m = Model::Create();
    BatchSettings plain;
    plain.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    plain.out_dir = TempDir("plain").string();
    BatchSettings geometry = plain;
    geometry.geometry = true;
    geometry.out_dir = TempDir("geometry").string();
    int files = 0;
    for (const auto& e : fs::directory_iterator(KEVO_SOURCE_DIR "/examples")) {
        if (e.path().extension() != ".cif") continue;
        ++files;
        const std::string title = e.path().stem().string();
        SCOPED_TRACE(title);
        BatchResult r = ProcessFile(e.path().string(), geometry, *m);
        EXPECT_TRUE(r.ok) << r.messages;
        EXPECT_EQ(r.messages, "");
        BatchResult p = ProcessFile(e.path().string(), plain, *m);
        EXPECT_TRUE(p.ok) << p.messages;
        for (const char* ending : kGeometryEndings) {
            SCOPED_TRACE(ending);
            std::string text = ReadFile(fs::path(geometry.out_dir) / (title + ending));
            ASSERT_GT(text.size(), 3u);
            EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
            EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
            EXPECT_EQ(text.find("NAN"), std::string::npos);
            EXPECT_EQ(text.find("INF"), std::string::npos);
        }
        // The charge-distribution files are the same with and without the
        // geometry.
        for (const char* ending : kReportEndings) {
            SCOPED_TRACE(ending);
            EXPECT_EQ(WithoutElapsedTime(ReadFile(fs::path(geometry.out_dir) / (title + ending))),
                      WithoutElapsedTime(ReadFile(fs::path(plain.out_dir) / (title + ending))));
        }
        EXPECT_NE(ReadFile(fs::path(geometry.out_dir) / (title + "-CC-D.pol"))
                      .find("  COORDINATIONS, BOND LENGTHS, CENTROIDS, VOLUMES, DISTORTIONS"),
                  std::string::npos);
    }
    EXPECT_EQ(files, 8);
    EXPECT_EQ(Listing(geometry.out_dir).size(), 8u * 14u);
}

// A worker reuses its model for file after file: what a file gives must not
// depend on the files processed before it (larger or smaller, with or without
// heteroligand polyhedra or hydrogen, failed or not), so every file written
// equals the one a fresh model writes.
TEST(Batch, FilesDoNotDependOnTheFilesProcessedBefore) {
    std::vector<fs::path> inputs;
    for (const auto& e : fs::directory_iterator(KEVO_SOURCE_DIR "/examples"))
        if (e.path().extension() == ".cif") inputs.push_back(e.path());
    std::sort(inputs.begin(), inputs.end());
    // Radius too low for one anion: the calculation stops half-way.
    inputs.insert(inputs.begin() + 3, KEVO_SOURCE_DIR "/tests/data/cif/ilmenite_mixed.cif");
    inputs.push_back(KEVO_SOURCE_DIR "/tests/data/cif/hydrogen-three-oxygens.cif");
    inputs.push_back(inputs.front()); // once more after all the others
    BatchSettings reused;
    reused.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    reused.json = true;
    reused.geometry = true;
    reused.CalcOppBonds = true;
    reused.out_dir = TempDir("reused").string();
    BatchSettings fresh = reused;
    fresh.out_dir = TempDir("fresh").string();
    auto m = Model::Create();
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const BatchResult r = ProcessFile(input.string(), reused, *m);
        const BatchResult f = ProcessFile(input.string(), fresh, *Model::Create());
        EXPECT_EQ(r.ok, f.ok);
        EXPECT_EQ(r.messages, f.messages);
        for (const std::string& out : OutputFiles(input.string(), fresh)) {
            const std::string name = fs::path(out).filename().string();
            SCOPED_TRACE(name);
            EXPECT_EQ(WithoutElapsedTime(ReadFile(fs::path(reused.out_dir) / name)),
                      WithoutElapsedTime(ReadFile(out)));
        }
    }
}

TEST(Batch, GeometryFilesAreTheReportsOfTheCore) {
    // The batch program writes what the window shows: the same report and
    // CSV builders on the same run.
    auto m = Model::Create();
    BatchSettings s;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.out_dir = TempDir("geometry-core").string();
    s.geometry = true;
    s.CalcOppBonds = true;
    const std::string cif = KEVO_SOURCE_DIR "/tests/data/reports/geometry.cif";
    BatchResult r = ProcessFile(cif, s, *m);
    ASSERT_TRUE(r.ok) << r.messages;
    const fs::path golden = KEVO_SOURCE_DIR "/tests/data/reports/geometry";
    for (const char* ending : {"-CC-D.pol", "-CC-S.pol", "-AC-D.pol", "-AC-S.pol", "-CC-SP.csv",
                               "-AC-SP.csv", "-CC-OB.csv", "-CC-123-45.csv"}) {
        SCOPED_TRACE(ending);
        std::string expected = ReadFile(golden / (std::string("geometry") + ending));
        std::string crlf = "\xEF\xBB\xBF";
        for (char c : expected)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        EXPECT_EQ(
            WithoutElapsedTime(ReadFile(fs::path(s.out_dir) / (std::string("geometry") + ending))),
            WithoutElapsedTime(crlf));
    }
}

TEST(Batch, NarrowingOptionsChooseTheGeometryFiles) {
    struct Case {
        const char* name;
        bool detailed, summary, cation, anion;
        std::vector<std::string> endings;
    } cases[] = {
        {"detailed only",
         true,
         false,
         true,
         true,
         {"-AC-D.out", "-AC-D.pol", "-CC-123-45.csv", "-CC-D.out", "-CC-D.pol", "-CC-OB.csv"}},
        {"anion-centred summary",
         false,
         true,
         false,
         true,
         {"-AC-S.csv", "-AC-S.out", "-AC-S.pol", "-AC-SP.csv"}},
        {"cation-centred summary",
         false,
         true,
         true,
         false,
         {"-CC-S.csv", "-CC-S.out", "-CC-S.pol", "-CC-SP.csv"}},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BatchSettings s;
        s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
        s.out_dir = TempDir("narrow-geometry").string();
        s.geometry = true;
        s.detailed = c.detailed;
        s.summary = c.summary;
        s.cation = c.cation;
        s.anion = c.anion;
        BatchResult r = ProcessFile(KEVO_SOURCE_DIR "/examples/halite_NaCl_COD1000041.cif", s, *m);
        EXPECT_TRUE(r.ok) << r.messages;
        std::vector<std::string> expected;
        for (const std::string& e : c.endings)
            expected.push_back("halite_NaCl_COD1000041" + e);
        EXPECT_EQ(Listing(s.out_dir), expected);
    }
}

TEST(Batch, GeometryInTheJsonRecord) {
    auto m = Model::Create();
    BatchSettings s;
    s.json = true;
    s.reports = false;
    s.geometry = true;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.out_dir = TempDir("geometry-json").string();
    BatchResult r = ProcessFile(KEVO_SOURCE_DIR "/tests/data/reports/geometry.cif", s, *m);
    ASSERT_TRUE(r.ok) << r.messages;
    EXPECT_EQ(Listing(s.out_dir), std::vector<std::string>{"geometry.json"});
    auto j = nlohmann::ordered_json::parse(ReadFile(fs::path(s.out_dir) / "geometry.json"));

    // Ti1: a regular octahedron of O1 at 2.45 A around the origin.
    const auto& ti = j["cation_centred"]["cations"][0];
    ASSERT_EQ(ti["Atomlabel"], "Ti1");
    EXPECT_DOUBLE_EQ(ti["CX"].get<double>(), 0.0);
    EXPECT_NEAR(ti["SRadius"].get<double>(), 2.45, 1e-12);
    EXPECT_NEAR(ti["PolVolume"].get<double>(), 4.0 / 3.0 * 2.45 * 2.45 * 2.45, 1e-9);
    EXPECT_NEAR(ti["SVolume"].get<double>(), 4.0 / 3.0 * 3.141592653589793 * 2.45 * 2.45 * 2.45,
                1e-9);
    EXPECT_EQ(ti["FacesNo"], 8);
    EXPECT_EQ(ti["VolFaces"], 8);
    EXPECT_EQ(ti["SCoor"], 6);
    EXPECT_EQ(ti["IPFaces"], 8);
    EXPECT_EQ(ti["IdealPolyhedron"], "octahedron");
    EXPECT_NEAR(ti["CentroidCA"].get<double>(), 0, 1e-12);
    ASSERT_EQ(ti["bonds"].size(), 6u);
    EXPECT_NEAR(ti["bonds"][0]["BondCoorCX"].get<double>(), 2.45, 1e-12);
    EXPECT_NEAR(ti["bonds"][0]["BondCenDist"].get<double>(), 2.45, 1e-12);
    // The JSON keeps full precision, the reports four decimals.
    EXPECT_NE(ti["SVolume"].get<double>(), 61.6009);

    // Cu1 has two ligands: no fitted sphere, so its sphere values are null.
    const auto& cu = j["cation_centred"]["cations"][1];
    ASSERT_EQ(cu["Atomlabel"], "Cu1");
    for (const char* key : {"SRadius", "CentroidCA", "SVolume", "CenBondSD", "LECC", "SECC", "SPHL",
                            "SPHV", "Xo", "Yo", "Zo", "IdealPolVolume", "IdealPolDistortion"}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(cu[key].is_null());
    }
    EXPECT_TRUE(cu["bonds"][1]["BondCenDist"].is_null());
    EXPECT_FALSE(cu["bonds"][1]["BondCoorCX"].is_null());
    EXPECT_EQ(cu["IdealPolyhedron"], "dumb-bell");
    EXPECT_DOUBLE_EQ(cu["PolVolume"].get<double>(), 0.0);

    // The anion-centred record carries the anions' geometry; the other kind
    // of each record has none (its geometry is that of the other record).
    EXPECT_EQ(j["anion_centred"]["anions"][0]["IdealPolyhedron"], "dumb-bell");
    EXPECT_FALSE(j["anion_centred"]["cations"][0].contains("PolVolume"));
    EXPECT_FALSE(j["cation_centred"]["anions"][0].contains("PolVolume"));

    // Every key the record holds is documented for the scripts that read it.
    const std::string documented = ReadFile(KEVO_SOURCE_DIR "/docs/json.md");
    std::vector<std::string> keys;
    std::function<void(const nlohmann::ordered_json&)> collect =
        [&](const nlohmann::ordered_json& value) {
            if (value.is_object()) {
                for (const auto& [key, item] : value.items()) {
                    keys.push_back(key);
                    collect(item);
                }
            } else if (value.is_array()) {
                for (const auto& item : value)
                    collect(item);
            }
        };
    collect(j);
    EXPECT_GT(keys.size(), 60u);
    for (const std::string& key : keys)
        EXPECT_NE(documented.find("`" + key + "`"), std::string::npos)
            << key << " is not in docs/json.md";
}

// A polyhedron of at most 50 ligands never reaches the face limit, so the
// run that stops on it is put in place of the real one.
bool CationsStopOnTheFaceLimit(Model& m, MessageSink& msg, int ca) {
    if (ca == 1) {
        msg.Show(FacesLimitMessage("Ti1"));
        return false;
    }
    return Bonds1Click(m, msg, ca);
}

TEST(Batch, ASideStoppedOnTheFaceLimitWritesNoneOfItsGeometryFiles) {
    auto m = Model::Create();
    BatchSettings s;
    s.bvs_path = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    s.out_dir = TempDir("face-limit").string();
    s.geometry = true;
    s.json = true;
    s.run_geometry = CationsStopOnTheFaceLimit;
    const std::string cif = KEVO_SOURCE_DIR "/tests/data/reports/geometry.cif";
    BatchResult r = ProcessFile(cif, s, *m);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages,
              cif +
                  ": The number of polyhedral faces for Ti1 exceeds limit. Reduce coordination "
                  "radius threshold.\n" +
                  cif +
                  ": No coordination geometry files written for the cation-centred polyhedra.\n");
    std::vector<std::string> expected;
    for (const char* e : {"-AC-D.out", "-AC-D.pol", "-AC-S.csv", "-AC-S.out", "-AC-S.pol",
                          "-AC-SP.csv", "-CC-D.out", "-CC-S.csv", "-CC-S.out", ".json"})
        expected.push_back(std::string("geometry") + e);
    EXPECT_EQ(Listing(s.out_dir), expected);
    auto j = nlohmann::ordered_json::parse(ReadFile(fs::path(s.out_dir) / "geometry.json"));
    EXPECT_FALSE(j["cation_centred"]["cations"][0].contains("PolVolume"));
    EXPECT_TRUE(j["anion_centred"]["anions"][0].contains("PolVolume"));
}

TEST(Batch, GeometrySettings) {
    struct ZoneCase {
        const char* text;
        std::optional<std::array<int, 3>> zone;
    } zones[] = {
        {"1,1,0", std::array<int, 3>{1, 1, 0}},
        {"-1, 2 ,3", std::array<int, 3>{-1, 2, 3}},
        {"1,1", std::nullopt},
        {"1,1,0,1", std::nullopt},
        {"1,a,0", std::nullopt},
        {"1.5,0,0", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& z : zones) {
        SCOPED_TRACE(z.text);
        EXPECT_EQ(ParseZone(z.text), z.zone);
    }

    struct Case {
        const char* name;
        std::optional<double> MinDih, MaxSDist;
        const char* problem;
    } cases[] = {
        {"at the limits", 150.0, 0.2, ""},
        {"upper limits", 180.0, 1.5, ""},
        {"dihedral too small", 149.9, std::nullopt, "Invalid minimum dihedral angle (150-180°)"},
        {"dihedral too large", 180.1, std::nullopt, "Invalid minimum dihedral angle (150-180°)"},
        {"split too small", std::nullopt, 0.19,
         "Invalid maximum distance for split positions (0.2-1.5)"},
        {"split too large", std::nullopt, 1.51,
         "Invalid maximum distance for split positions (0.2-1.5)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BatchSettings s;
        s.MinDih = c.MinDih;
        s.MaxSDist = c.MaxSDist;
        EXPECT_EQ(ValidateSettings(s), c.problem);
    }

    auto m = Model::Create();
    BatchSettings s;
    s.CalcOppBonds = true;
    s.CalcBonDAngles = s.CalcDihAngles = s.CalcIntLigands = false;
    s.CalcDistCentAtom = s.Calc32Averages = false;
    s.zone = std::array<int, 3>{1, -1, 2};
    s.MinDih = 175;
    s.MaxSDist = 0.5;
    ApplySettings(s, *m);
    EXPECT_TRUE(m->CalcOppBonds);
    EXPECT_FALSE(m->CalcBonDAngles || m->CalcDihAngles || m->CalcIntLigands ||
                 m->CalcDistCentAtom || m->Calc32Averages);
    EXPECT_FALSE(m->AutoZone);
    EXPECT_EQ(m->CustomZone[1], 1);
    EXPECT_EQ(m->CustomZone[2], -1);
    EXPECT_EQ(m->CustomZone[3], 2);
    EXPECT_EQ(m->MinDih, 175.0);
    EXPECT_EQ(m->MaxSDist, 0.5);
    // The defaults are those of a window just started.
    ApplySettings(BatchSettings{}, *m);
    EXPECT_TRUE(m->AutoZone);
    EXPECT_FALSE(m->CalcOppBonds);
    EXPECT_TRUE(m->CalcBonDAngles && m->CalcDihAngles && m->CalcIntLigands && m->CalcDistCentAtom &&
                m->Calc32Averages);
}

} // namespace
} // namespace kevo

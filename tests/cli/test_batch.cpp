#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch.h"
#include "cli_test_support.h"
#include "model/model.h"
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

    auto j = nlohmann::ordered_json::parse(
        ReadFile(fs::path(s.out_dir) / "halite_NaCl_COD1000041.json"));
    EXPECT_EQ(j["Title"], "halite_NaCl_COD1000041");
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
         "Maximum coordination radius too high."},
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
}

} // namespace
} // namespace kevo

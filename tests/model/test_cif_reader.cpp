// The CIF reader on small hand-written files: every refusal, mixed sites,
// operators, coordinates, charges, encodings, and the real example files.
#include "model/cif_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {
namespace {

// A small file in parts; each case replaces the parts it is about.
struct Cif {
    std::string cell = "_cell_length_a 5.0\n"
                       "_cell_length_b 6.0\n"
                       "_cell_length_c 7.0\n"
                       "_cell_angle_alpha 90\n"
                       "_cell_angle_beta 90\n"
                       "_cell_angle_gamma 90\n";
    std::string group = "_symmetry_space_group_name_H-M 'P 1'\n";
    std::string ops = "";
    std::string types = "";
    std::string header = "loop_\n"
                         "_atom_site_label\n"
                         "_atom_site_type_symbol\n"
                         "_atom_site_fract_x\n"
                         "_atom_site_fract_y\n"
                         "_atom_site_fract_z\n"
                         "_atom_site_occupancy\n";
    std::string rows = "Fe1 Fe3+ 0.1 0.2 0.3 1.0\n"
                       "O1 O2- 0.4 0.5 0.6 1.0\n";
    std::string Text() const { return "data_test\n" + cell + group + ops + types + header + rows; }
};

const std::string WithOxidation = "loop_\n"
                                  "_atom_site_label\n"
                                  "_atom_site_type_symbol\n"
                                  "_atom_site_fract_x\n"
                                  "_atom_site_fract_y\n"
                                  "_atom_site_fract_z\n"
                                  "_atom_site_occupancy\n"
                                  "_atom_site_oxidation_number\n";

const std::string CentreOps = "loop_\n_symmetry_equiv_pos_as_xyz\n'x, y, z'\n'-x, -y, -z'\n";
const std::string CentreGroup = "_symmetry_space_group_name_H-M 'P -1'\n";

struct Result {
    bool ok = false;
    std::vector<std::string> messages;
};

Result Read(Model& m, const std::string& text, const std::string& path = "/data/test.cif") {
    RecordingSink sink;
    Result r;
    r.ok = ReadCifText(text, path, m, sink);
    r.messages = sink.texts;
    return r;
}

// Staging row r (1-based) as a vector, for whole-row comparisons.
std::vector<std::string> Row(const Model& m, std::size_t r) {
    if (r >= m.SG1.size()) return {};
    return {m.SG1[r].begin(), m.SG1[r].end()};
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
        s.replace(p, from.size(), to);
    return s;
}

// --- Refusals ------------------------------------------------------------------

struct FailureCase {
    const char* name;
    std::string text;
    std::vector<std::string> messages;
};

std::string CellWith(const std::string& from, const std::string& to) {
    return ReplaceAll(Cif{}.cell, from, to);
}

std::vector<FailureCase> FailureCases() {
    const std::string typeLoop = "loop_\n_atom_type_symbol\n_atom_type_oxidation_number\n";
    // 10 + 10 < 170: the three angles enclose no volume.
    const std::string impossible =
        ReplaceAll(ReplaceAll(CellWith("alpha 90", "alpha 10"), "beta 90", "beta 10"), "gamma 90",
                   "gamma 170");
    std::string many;
    for (int i = 0; i < 1001; ++i)
        many += "Fe" + std::to_string(i) + " Fe3+ 0." + std::to_string(1000 + i) + " 0.5 0.5 1\n";
    return {
        {"edge not a number",
         Cif{.cell = CellWith("5.0", "abc")}.Text(),
         {"Invalid unit-cell parameters."}},
        {"edge ?", Cif{.cell = CellWith("6.0", "?")}.Text(), {"Invalid unit-cell parameters."}},
        {"edge .", Cif{.cell = CellWith("7.0", ".")}.Text(), {"Invalid unit-cell parameters."}},
        {"angle without value",
         Cif{.cell = CellWith("_cell_angle_beta 90", "_cell_angle_beta")}.Text(),
         {"Invalid unit-cell parameters."}},
        {"cell item missing",
         Cif{.cell = CellWith("_cell_angle_gamma 90\n", "")}.Text(),
         {"Invalid unit-cell parameters."}},
        {"negative edge",
         Cif{.cell = CellWith("5.0", "-5.0")}.Text(),
         {"Invalid unit-cell parameters."}},
        {"impossible angles", Cif{.cell = impossible}.Text(), {"Invalid unit-cell parameters."}},
        {"invalid symbol in type loop",
         Cif{.types = typeLoop + "Xx3+ 3\nO2- -2\n"}.Text(),
         {"Xx is not a valid chemical symbol."}},
        {"invalid symbol in site loop",
         Cif{.rows = "Q1 Q1+ 0.1 0.2 0.3 1\n"}.Text(),
         {"Q is not a valid chemical symbol."}},
        {"type charge not whole",
         Cif{.types = typeLoop + "Fe3+ 2.5\nO2- -2\n"}.Text(),
         {"Error reading charge of Fe 2.5 in charges loop."}},
        {"type charge 0",
         Cif{.types = typeLoop + "Fe3+ 0\nO2- -2\n"}.Text(),
         {"Error reading charge of Fe 9.999 in charges loop."}},
        {"type charge 0.0",
         Cif{.types = typeLoop + "Fe3+ 0.0\nO2- -2\n"}.Text(),
         {"Error reading charge of Fe 0.0 in charges loop."}},
        {"type loop ends only at a line without digits",
         Cif{.types = typeLoop + "Fe3+ 3\nO2- -2\n_space_group_IT_number 14\n"}.Text(),
         {"_space_group_IT_number is not a valid chemical symbol."}},
        {"type charge not a number",
         Cif{.types = typeLoop + "Fe3+ 1,5\n"}.Text(),
         {"Error reading charge of Fe 1,5 in charges loop."}},
        {"blank line in header",
         Cif{.header = ReplaceAll(Cif{}.header, "_atom_site_label\n", "_atom_site_label\n\n")}
             .Text(),
         {"Blank line in the coordinates table."}},
        {"blank line after header",
         Cif{.rows = "\n" + Cif{}.rows}.Text(),
         {"Blank line in the coordinates table."}},
        {"header up to the end", Cif{.rows = ""}.Text(), {"Blank line in the coordinates table."}},
        {"no label column",
         Cif{.header = ReplaceAll(Cif{}.header, "_atom_site_label\n", ""),
             .rows = "Fe3+ 0.1 0.2 0.3 1\n"}
             .Text(),
         {"Missing atom label in the _atom_site section."}},
        {"no z column",
         Cif{.header = ReplaceAll(Cif{}.header, "_atom_site_fract_z\n", ""),
             .rows = "Fe1 Fe3+ 0.1 0.2 1\n"}
             .Text(),
         {"Missing atom coordinate in the _atom_site section."}},
        {"no occupancy column",
         Cif{.header = ReplaceAll(Cif{}.header, "_atom_site_occupancy\n", ""),
             .rows = "Fe1 Fe3+ 0.1 0.2 0.3\n"}
             .Text(),
         {"Error reading occupancies."}},
        {"occupancy not a number",
         Cif{.rows = "Fe1 Fe3+ 0.1 0.2 0.3 a.b\n"}.Text(),
         {"Error reading occupancies."}},
        {"occupancy negative",
         Cif{.rows = "Fe1 Fe3+ 0.1 0.2 0.3 -1.0\n"}.Text(),
         {"Error reading occupancies."}},
        {"coordinate not a number",
         Cif{.rows = "Fe1 Fe3+ 0.1 x.2 0.3 1.0\n"}.Text(),
         {"Error reading atom coordinates - Fe1"}},
        {"row too short",
         Cif{.rows = "Fe1 Fe3+ 0.1 0.2\n"}.Text(),
         {"Error reading atom coordinates - Fe1"}},
        {"row without its occupancy",
         Cif{.rows = "Fe1 Fe3+ 0.1 0.2 0.3\n"}.Text(),
         {"Error reading occupancies."}},
        {"charge missing",
         Cif{.rows = "Fe1 Fe 0.1 0.2 0.3 1.0\n"}.Text(),
         {"Error reading charges."}},
        {"charge 0",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 1.0 0\n"}.Text(),
         {"Error reading charges."}},
        {"charge 0+",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 1.0 0+\n"}.Text(),
         {"Error reading charges."}},
        {"charge 0.0",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 1.0 0.0\n"}.Text(),
         {"Error reading charges."}},
        {"charge 0-",
         Cif{.header = WithOxidation, .rows = "O1 O 0.1 0.2 0.3 1.0 0-\n"}.Text(),
         {"Error reading charges."}},
        {"occupancy 0", Cif{.rows = "Fe1 Fe3+ 0.1 0.2 0.3 0\n"}.Text(), {"Error reading charges."}},
        {"type without type charge",
         Cif{.types = typeLoop + "Fe3+ 3\n", .rows = Cif{}.rows}.Text(),
         {"Error reading charges."}},
        {"type charges announced, no oxidation column",
         Cif{.types = "loop_\n_atom_site_label\n_atom_type_oxidation_number\nFe1 3\nO1 -2\n"}
             .Text(),
         {"Error reading charges."}},
        {"no operators",
         Cif{.group = "_symmetry_space_group_name_H-M 'P 21/c'\n"}.Text(),
         {"No symmetry operators found."}},
        {"no space group, no operators", Cif{.group = ""}.Text(), {"No symmetry operators found."}},
        {"P1 written without its blank, no operators",
         Cif{.group = "_symmetry_space_group_name_H-M P1\n"}.Text(),
         {"No symmetry operators found."}},
        {"no atom-site loop",
         Cif{.header = "", .rows = ""}.Text(),
         {"No atom sites found in the file."}},
        {"atom-site loop without rows",
         Cif{.rows = "loop_\n_atom_type_symbol\n"}.Text(),
         {"No atom sites found in the file."}},
        {"only commented rows",
         Cif{.rows = "#Fe1 Fe3+ 0.1 0.2 0.3 1.0\n"}.Text(),
         {"No atom sites found in the file."}},
        {"operator not understood",
         Cif{.group = CentreGroup, .ops = "loop_\n_symmetry_equiv_pos_as_xyz\n'x,y,z'\n'-x,-y,q'\n"}
             .Text(),
         {"Invalid symmetry operator: -x,-y,q"}},
        {"more than 1000 cation sites",
         Cif{.rows = many}.Text(),
         {"Too many atom sites: at most 1000 cation sites and 1000 anion sites can be read."}},
        {"empty file", "", {"No atom sites found in the file."}},
    };
}

TEST(CifReader, RefusalsShowTheirMessageAndLoadNothing) {
    auto m = Model::Create();
    for (const auto& c : FailureCases()) {
        SCOPED_TRACE(c.name);
        // A structure is loaded first, so that a refusal visibly removes it.
        ASSERT_TRUE(Read(*m, Cif{}.Text()).ok);
        m->MaxR = 9;
        m->MaxH = 9;
        m->ThresOption = 2;
        m->timeelapsed2 = -1;
        m->Calculated = true;
        const Result r = Read(*m, c.text);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.messages, c.messages);
        EXPECT_FALSE(StructureLoaded(*m));
        EXPECT_EQ(m->AClength + m->AAlength + m->GACLength + m->GAALength, 0);
        EXPECT_TRUE(m->AC[1].Atomlabel.empty());
        EXPECT_FALSE(m->Calculated);
        // The end-of-read reset is not made after an error.
        EXPECT_EQ(m->MaxR, 9);
        EXPECT_EQ(m->MaxH, 9);
        EXPECT_EQ(m->ThresOption, 2);
        EXPECT_EQ(m->timeelapsed2, -1);
    }
}

TEST(CifReader, UnbalancedParenthesesNameTheLine) {
    // Line numbers counted by hand: the data row is line 11.
    const std::string head = "data_x\n"                 // 1
                             "_cell_length_a 5\n"       // 2
                             "_cell_length_b 5\n"       // 3
                             "_cell_length_c 5\n"       // 4
                             "loop_\n"                  // 5
                             "_atom_site_label\n"       // 6
                             "_atom_site_type_symbol\n" // 7
                             "_atom_site_fract_x\n"     // 8
                             "_atom_site_fract_y\n"     // 9
                             "_atom_site_fract_z\n"     // 10
                             "_atom_site_occupancy\n"   // 11
                             "Na1 Na+ 0.1 0.2 0.3 1\n"; // 12
    const struct {
        const char* name;
        std::string row;
    } cases[] = {
        {"open without close", "Cl1 Cl- 0.5(2 0.5 0.5 1"},
        {"close before open", "Cl1 Cl- 0.5)2( 0.5 0.5 1"},
        {"two opens one close", "Cl1 Cl- 0.5((2) 0.5 0.5 1"},
        {"in a row dropped for its #", "Cl1 Cl- 0.5(2 0.5 0.5 1 # a note"},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* end : {"\n", "\r\n", "\r"}) {
            const Result r = Read(*m, ReplaceAll(head + c.row + "\n", "\n", end));
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(r.messages,
                      std::vector<std::string>{"Error reading standard deviations at line 13"});
        }
    }
}

TEST(CifReader, FileThatCannotBeOpened) {
    auto m = Model::Create();
    RecordingSink sink;
    EXPECT_FALSE(ReadCifFile("/nonexistent-folder/x.cif", *m, sink));
    EXPECT_EQ(sink.texts,
              std::vector<std::string>{
                  "Cannot open file /nonexistent-folder/x.cif: No such file or directory"});
    sink.texts.clear();
    EXPECT_FALSE(ReadCifFile(KEVO_TEST_DATA_DIR, *m, sink));
    EXPECT_EQ(sink.texts,
              std::vector<std::string>{"Cannot open file " + std::string(KEVO_TEST_DATA_DIR) +
                                       ": Is a directory"});
    EXPECT_FALSE(StructureLoaded(*m));
}

// --- A complete read --------------------------------------------------------------

TEST(CifReader, SettingsAndFlagsAroundARead) {
    auto m = Model::Create();
    m->MaxR = 9;
    m->MaxH = 9;
    m->ThresOption = 2;
    m->Calculated = m->ITModified = m->RadModified = m->GotMaxLengths = true;
    m->NearestLimit = m->IsHydrogen = m->ExZeroW = true;
    m->FirstBondSpecific = false;
    m->ShowCations = false;
    m->timeelapsed2 = -1;
    const Result r = Read(*m, Cif{}.Text(), "/data/run/FeO.cif");
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_TRUE(StructureLoaded(*m));
    EXPECT_EQ(m->MaxR, 4.0);
    EXPECT_EQ(m->MaxH, 2.0);
    EXPECT_EQ(m->ThresOption, 0);
    EXPECT_FALSE(m->Calculated || m->ITModified || m->RadModified || m->GotMaxLengths);
    EXPECT_FALSE(m->NearestLimit || m->IsHydrogen || m->ExZeroW || m->NoBVS);
    EXPECT_TRUE(m->FirstBondSpecific);
    EXPECT_TRUE(m->ShowCations);
    EXPECT_GE(m->timeelapsed2, 0);
    const std::string time = ReadingTimeText(*m);
    EXPECT_EQ(time.rfind("Time elapsed: 0.", 0), 0u) << time;
    EXPECT_EQ(time.substr(time.size() - 2), " s");
    EXPECT_EQ(m->Title, "FeO");
    EXPECT_EQ(m->OutPath, "/data/run/");
    EXPECT_EQ(m->spacegroup, "P 1");
    EXPECT_FALSE(m->SymList);
    EXPECT_EQ(m->a, "5.0");
    EXPECT_EQ(m->gamma, "90");
}

TEST(CifReader, CancelledDialogKeepsTheStructure) {
    auto m = Model::Create();
    ASSERT_TRUE(Read(*m, Cif{}.Text()).ok);
    m->MaxR = 9;
    m->ThresOption = 1;
    m->IsHydrogen = true;
    m->FirstBondSpecific = false;
    OpenCancelled(*m);
    EXPECT_TRUE(StructureLoaded(*m));
    EXPECT_EQ(m->MaxR, 4.0);
    EXPECT_EQ(m->ThresOption, 0);
    EXPECT_FALSE(m->IsHydrogen);
    EXPECT_TRUE(m->FirstBondSpecific);
}

TEST(CifReader, TitleAndOutPath) {
    const struct {
        const char* path;
        const char* title;
        const char* outPath;
    } cases[] = {
        {"/data/run/Spinel.cif", "Spinel", "/data/run/"},
        {"/Spinel.cif", "Spinel", "/"},
        {"Spinel.cif", "Spinel", ""},
        {"/d/a.cif.cif", "a.cif", "/d/"},
        {"/d/name.cifx", "namex", "/d/"},
        {"/d/UPPER.CIF", "UPPER.CIF", "/d/"},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(Read(*m, Cif{}.Text(), c.path).ok);
        EXPECT_EQ(m->Title, c.title);
        EXPECT_EQ(m->OutPath, c.outPath);
    }
}

TEST(CifReader, StagingRowsAndRecordsOfASimpleFile) {
    auto m = Model::Create();
    ASSERT_TRUE(Read(*m, Cif{}.Text()).ok);
    ASSERT_EQ(m->SG1.size(), 3u);
    EXPECT_EQ(Row(*m, 1),
              (std::vector<std::string>{"1", "Fe1", "1.000.Fe", "3.000", "1", "0.1", "0.2", "0.3",
                                        "1.000", "Fe 3 1.000", "", "Fe"}));
    EXPECT_EQ(Row(*m, 2),
              (std::vector<std::string>{"2", "O1", "1.000.O", "-2.000", "1", "0.4", "0.5", "0.6",
                                        "1.000", "O  -2 1.000", "", "O"}));
    ASSERT_EQ(m->AClength, 1);
    ASSERT_EQ(m->AAlength, 1);
    const TAtoms& fe = m->AC[1];
    EXPECT_EQ(fe.Atomlabel, "Fe1");
    EXPECT_EQ(fe.AtomSymbol, "(Fe)");
    EXPECT_EQ(fe.symbol, "1.000.Fe");
    EXPECT_EQ(fe.RoString, "Fe 3 1.000");
    EXPECT_EQ(fe.effcharge, 3.0);
    EXPECT_EQ(fe.occupancy, 1.0);
    EXPECT_EQ(fe.Multiplicity, 1);
    EXPECT_EQ(fe.SymOp, "x,y,z");
    EXPECT_EQ(fe.SymTrans, "0,0,0");
    EXPECT_FALSE(fe.Generated);
    EXPECT_DOUBLE_EQ(fe.X, 0.1);
    EXPECT_DOUBLE_EQ(fe.CX, 0.5); // a = 5, orthogonal cell
    EXPECT_DOUBLE_EQ(fe.CY, 1.2);
    EXPECT_DOUBLE_EQ(fe.CZ, 2.1);
    EXPECT_EQ(m->AA[1].effcharge, -2.0);
    EXPECT_EQ(m->AA[1].AtomSymbol, "(O)");
    EXPECT_EQ(m->StrPosCharge, 3.0);
    EXPECT_EQ(m->StrNegCharge, -2.0);
}

TEST(CifReader, AtomGridRows) {
    auto m = Model::Create();
    // x of O has 3 decimals, so every coordinate is shown with 3.
    ASSERT_TRUE(Read(*m, Cif{.rows = "Fe1 Fe2+ 0.1 0.2 0.3 0.5\n"
                                     "Mg1 Mg2+ 0.1 0.2 0.3 0.5\n"
                                     "O1 O2- 0.125 0.5 0.75 1.0\n"}
                             .Text())
                    .ok);
    const auto grid = AtomGridRows(*m);
    ASSERT_EQ(grid.size(), 2u);
    EXPECT_EQ(grid[0], (AtomGridRow{"1", "Fe1-Mg1", "0.500.Fe:0.500.Mg", "   2.000", "    1",
                                    "    0.100", "    0.200", "    0.300", "  1.000"}));
    EXPECT_EQ(grid[1], (AtomGridRow{"2", "O1", "1.000.O", "  -2.000", "    1", "    0.125",
                                    "    0.500", "    0.750", "  1.000"}));
}

// --- Mixed sites -----------------------------------------------------------------

TEST(CifReader, MixedSites) {
    const struct {
        const char* name;
        std::string rows;
        std::vector<std::string> first; // staging row 1
        int cations;
        int anions;
    } cases[] = {
        {"two species, apart in the file",
         "Fe1 Fe2+ 0.1 0.2 0.3 0.5\nSi1 Si4+ 0.7 0.7 0.7 1\nMg1 Mg2+ 0.1 0.2 0.3 0.5\n"
         "O1 O2- 0.4 0.5 0.6 1.0\n",
         {"1", "Fe1-Mg1", "0.500.Fe:0.500.Mg", "2.000", "1", "0.1", "0.2", "0.3", "1.000",
          "Fe 2 0.500,Mg 2 0.500", "", "Fe-Mg"},
         2,
         1},
        {"three species",
         "Fe1 Fe3+ 0.1 0.2 0.3 0.25\nMg1 Mg2+ 0.1 0.2 0.3 0.5\nAl1 Al3+ 0.1 0.2 0.3 0.25\n"
         "O1 O2- 0.4 0.5 0.6 1.0\n",
         {"1", "Fe1-Mg1-Al1", "0.250.Fe:0.500.Mg:0.250.Al", "2.500", "1", "0.1", "0.2", "0.3",
          "1.000", "Fe 3 0.250,Mg 2 0.500,Al 3 0.250", "", "Al-Fe-Mg"},
         1,
         1},
        {"anions",
         "Fe1 Fe3+ 0.4 0.5 0.6 1\nO1 O2- 0.1 0.2 0.3 0.5\nF1 F- 0.1 0.2 0.3 0.5\n",
         {"1", "Fe1", "1.000.Fe", "3.000", "1", "0.4", "0.5", "0.6", "1.000", "Fe 3 1.000", "",
          "Fe"},
         1,
         1},
        {"opposite signs stay apart",
         "Na1 Na+ 0 0 0 1\nCl1 Cl- 0 0 0 1\n",
         {"1", "Na1", "1.000.Na", "1.000", "1", "0.0", "0.0", "0.0", "1.000", "Na 1 1.000", "",
          "Na"},
         1,
         1},
        {"sums of the rounded texts",
         "Fe1 Fe2+ 0.1 0.2 0.3 0.3333\nMg1 Mg2+ 0.1 0.2 0.3 0.3333\nCo1 Co2+ 0.1 0.2 0.3 0.3333\n"
         "O1 O2- 0.4 0.5 0.6 1.0\n",
         {"1", "Fe1-Mg1-Co1", "0.333.Fe:0.333.Mg:0.333.Co", "2.001", "1", "0.1", "0.2", "0.3",
          "0.999", "Fe 2 0.333,Mg 2 0.333,Co 2 0.333", "", "Co-Fe-Mg"},
         1,
         1},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Read(*m, Cif{.rows = c.rows}.Text()).ok);
        EXPECT_EQ(Row(*m, 1), c.first);
        EXPECT_EQ(m->AClength, c.cations);
        EXPECT_EQ(m->AAlength, c.anions);
    }
    // The merged anion of the "anions" case.
    ASSERT_TRUE(Read(*m, Cif{.rows = cases[2].rows}.Text()).ok);
    EXPECT_EQ(Row(*m, 2), (std::vector<std::string>{"2", "O1-F1", "0.500.O:0.500.F", "-1.500", "1",
                                                    "0.1", "0.2", "0.3", "1.000",
                                                    "O  -2 0.500,F  -1 0.500", "", "F-O"}));
    EXPECT_EQ(m->AA[1].AtomSymbol, "(F-O)");
    EXPECT_EQ(m->AA[1].effcharge, -1.5);
    EXPECT_EQ(m->AA[1].occupancy, 1.0);
}

TEST(CifReader, LabelsKeepTheirParentheses) {
    // Uncertainties leave the numbers of a row; the label stays as written.
    // Sites labelled O(1) and O(2) are two sites with two images each, not
    // one site "O" with four.
    auto m = Model::Create();
    const Result r = Read(*m, Cif{.group = CentreGroup,
                                  .ops = CentreOps,
                                  .rows = "Si(1) Si4+ 0.1(1) 0.2(2) 0.3 1.0(1)\n"
                                          "O(1) O2- 0.4 0.5(3) 0.6 1.0\n"
                                          "O(2) O2- 0.7 0.8 0.9(5) 1\n"}
                                  .Text());
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(Row(*m, 1),
              (std::vector<std::string>{"1", "Si(1)", "1.000.Si", "4.000", "2", "0.1", "0.2", "0.3",
                                        "1.000", "Si 4 1.000", "", "Si"}));
    EXPECT_EQ(m->AA[1].Atomlabel, "O(1)");
    EXPECT_EQ(m->AA[2].Atomlabel, "O(2)");
    for (int i = 1; i <= 2; ++i)
        EXPECT_EQ(m->AA[i].Multiplicity, 2);
    EXPECT_EQ(m->AA[3].Atomlabel, "*O(1)");
    EXPECT_EQ(m->AA[4].Atomlabel, "*O(2)");

    // Without a type-symbol column the symbol comes from the label, read
    // without its parentheses.
    const Result noType = Read(*m, Cif{.header = "loop_\n_atom_site_label\n_atom_site_fract_x\n"
                                                 "_atom_site_fract_y\n_atom_site_fract_z\n"
                                                 "_atom_site_occupancy\n"
                                                 "_atom_site_oxidation_number\n",
                                       .rows = "Fe(1) 0.1 0.2 0.3 1 3\nO(1) 0.4 0.5 0.6 1 -2\n"}
                                       .Text());
    ASSERT_TRUE(noType.ok);
    EXPECT_EQ(m->AC[1].Atomlabel, "Fe(1)");
    EXPECT_EQ(m->AC[1].AtomSymbol, "(Fe)");
    EXPECT_EQ(m->AA[1].Atomlabel, "O(1)");

    // Mixed sites join the full labels.
    ASSERT_TRUE(Read(*m, Cif{.rows = "M(1) Fe2+ 0.1 0.2 0.3 0.5\nM(2) Mg2+ 0.1 0.2 0.3 0.5\n"
                                     "O(1) O2- 0.4 0.5 0.6 1\n"}
                             .Text())
                    .ok);
    EXPECT_EQ(m->AC[1].Atomlabel, "M(1)-M(2)");
}

TEST(CifReader, DuplicateLabels) {
    const struct {
        const char* name;
        std::string rows;
        std::vector<std::string> labels; // staging order: cations, then anions
        std::vector<std::string> messages;
    } cases[] = {
        {"two O1 sites",
         "Fe1 Fe3+ 0.1 0.2 0.3 1\nO1 O2- 0.4 0.5 0.6 1\nO1 O2- 0.7 0.8 0.9 1\n",
         {"Fe1", "O1", "O1_2"},
         {"Duplicate atom site label O1: the site at 0.7, 0.8, 0.9 is read as O1_2."}},
        {"one mixed site repeating a label",
         "M1 Fe2+ 0.1 0.2 0.3 0.5\nM1 Mg2+ 0.1 0.2 0.3 0.5\nO1 O2- 0.4 0.5 0.6 1\n",
         {"M1-M1", "O1"},
         {}},
        {"a row of a mixed site whose label reappears on a single site",
         "Fe1 Fe2+ 0.1 0.2 0.3 0.5\nMg1 Mg2+ 0.1 0.2 0.3 0.5\nFe1 Fe3+ 0.7 0.7 0.7 1\n"
         "O1 O2- 0.4 0.5 0.6 1\n",
         {"Fe1-Mg1", "Fe1", "O1"},
         {}},
        {"a name already taken",
         "Fe1 Fe3+ 0.1 0.2 0.3 1\nO1 O2- 0.4 0.5 0.6 1\nO1 O2- 0.7 0.8 0.9 1\n"
         "O1_2 O2- 0.15 0.25 0.35 1\n",
         {"Fe1", "O1", "O1_3", "O1_2"},
         {"Duplicate atom site label O1: the site at 0.7, 0.8, 0.9 is read as O1_3."}},
        {"three sites of one label",
         "Fe1 Fe3+ 0.1 0.2 0.3 1\nO1 O2- 0.4 0.5 0.6 1\nO1 O2- 0.7 0.8 0.9 1\n"
         "O1 O2- 0.15 0.25 0.35 1\n",
         {"Fe1", "O1", "O1_2", "O1_3"},
         {"Duplicate atom site label O1: the site at 0.7, 0.8, 0.9 is read as O1_2.",
          "Duplicate atom site label O1: the site at 0.15, 0.25, 0.35 is read as O1_3."}},
        {"a cation and an anion, in staging order",
         "O1 O2- 0.4 0.5 0.6 1\nO1 Fe3+ 0.1 0.2 0.3 1\n",
         {"O1", "O1_2"},
         {"Duplicate atom site label O1: the site at 0.4, 0.5, 0.6 is read as O1_2."}},
        {"two mixed sites with the same joined label",
         "Al1 Al3+ 0.1 0.2 0.3 0.5\nFe1 Fe3+ 0.1 0.2 0.3 0.5\nAl1 Al3+ 0.6 0.7 0.8 0.5\n"
         "Fe1 Fe3+ 0.6 0.7 0.8 0.5\nO1 O2- 0.4 0.5 0.6 1\n",
         {"Al1-Fe1", "Al1-Fe1_2", "O1"},
         {"Duplicate atom site label Al1-Fe1: the site at 0.6, 0.7, 0.8 is read as Al1-Fe1_2."}},
        {"parenthesised labels",
         "Fe(1) Fe3+ 0.1 0.2 0.3 1\nFe(1) Fe3+ 0.5 0.5 0.5 1\n"
         "O(1) O2- 0.4 0.5 0.6 1\n",
         {"Fe(1)", "Fe(1)_2", "O(1)"},
         {"Duplicate atom site label Fe(1): the site at 0.5, 0.5, 0.5 is read as Fe(1)_2."}},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = Read(*m, Cif{.rows = c.rows}.Text());
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.messages, c.messages);
        std::vector<std::string> labels;
        for (std::size_t row = 1; row < m->SG1.size(); ++row)
            labels.push_back(m->SG1[row][ColLabel]);
        EXPECT_EQ(labels, c.labels);
    }

    // Images and multiplicities follow the new label.
    const Result r = Read(*m, Cif{.group = CentreGroup,
                                  .ops = CentreOps,
                                  .rows = "Fe1 Fe3+ 0.11 0.22 0.33 1\nO1 O2- 0.12 0.23 0.34 1\n"
                                          "O1 O2- 0.50 0.50 0.50 1\n"}
                                  .Text());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{"Duplicate atom site label O1: the site at "
                                                   "0.50, 0.50, 0.50 is read as O1_2."});
    ASSERT_EQ(m->AAlength, 2);
    EXPECT_EQ(m->AA[1].Multiplicity, 2);
    EXPECT_EQ(m->AA[2].Atomlabel, "O1_2");
    EXPECT_EQ(m->AA[2].Multiplicity, 1); // on the inversion centre
    ASSERT_EQ(m->GAALength, 1);
    EXPECT_EQ(m->AA[3].Atomlabel, "*O1");
}

TEST(CifReader, RowOrder) {
    const struct {
        const char* name;
        Cif cif;
        std::vector<std::string> labels; // staging rows 1..
    } cases[] = {
        {"rows with + first, cations before anions",
         Cif{.header = WithOxidation,
             .rows = "O1 O 0.4 0.5 0.6 1 -2\nMg1 Mg 0.1 0.1 0.1 1 2\nFe1 Fe3+ 0.2 0.2 0.2 1 3\n"},
         {"Fe1", "Mg1", "O1"}},
        {"rows with # dropped",
         Cif{.rows = "# Fe0 Fe3+ 0.9 0.9 0.9 1.0\nFe1 Fe3+ 0.1 0.2 0.3 1.0\n"
                     "Fe2 Fe3+ 0.7 0.7 0.7 1 # moved\nO1 O2- 0.4 0.5 0.6 1.0\n"},
         {"Fe1", "O1"}},
        {"a row of integers does not end the table",
         Cif{.rows = "Na1 Na1+ 0 0 0 1\nCl1 Cl1- 0.5 0.5 0.5 1\n"},
         {"Na1", "Cl1"}},
        {"the table ends at the next data name",
         Cif{.rows = "Na1 Na1+ 0 0 0 1\n_refine_ls_R_factor_all 0.02\nCl1 Cl1- 0.5 0.5 0.5 1\n"},
         {"Na1"}},
        {"the table ends at data_",
         Cif{.rows = "Na1 Na1+ 0 0 0 1\ndata_second\nCl1 Cl1- 0.5 0.5 0.5 1\n"},
         {"Na1"}},
        {"a data row with an underscore",
         Cif{.rows = "Fe_1 Fe3+ 0.1 0.2 0.3 1\nO_1 O2- 0.4 0.5 0.6 1\n"},
         {"Fe_1", "O_1"}},
        {"positions compared as the joined x, y, z texts",
         Cif{.rows = "Na1 Na+ 0.1 20.3 0.5 1\nK1 K+ 0.4 0.4 0.4 1\nK2 K+ 0.12 0.3 0.5 1\n"
                     "Cl1 Cl- 0.7 0.7 0.7 1\n"},
         {"Na1", "K2", "K1", "Cl1"}},
        {"data names of the loop before the label",
         Cif{.header = "loop_\n_atom_site_calc_flag\n_atom_site_label\n_atom_site_type_symbol\n"
                       "_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
                       "_atom_site_occupancy\n",
             .rows = "d Fe1 Fe3+ 0.1 0.2 0.3 1\nd O1 O2- 0.4 0.5 0.6 1\n"},
         {"Fe1", "O1"}},
        {"tabs count as blanks",
         Cif{.rows = "\tFe1\tFe3+\t0.1 \t0.2\t0.3\t1.0\t\nO1\t\tO2-\t0.4\t0.5\t0.6\t1.0\n"},
         {"Fe1", "O1"}},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = Read(*m, c.cif.Text());
        ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages.front());
        std::vector<std::string> labels;
        for (std::size_t i = 1; i < m->SG1.size(); ++i)
            labels.push_back(m->SG1[i][1]);
        EXPECT_EQ(labels, c.labels);
    }
}

// --- Cell, symbol, operators ----------------------------------------------------------

TEST(CifReader, CellTexts) {
    const struct {
        const char* name;
        std::string from;
        std::string to;
        std::string Model::*field;
        const char* expected;
    } cases[] = {
        {"angle ?", "_cell_angle_alpha 90", "_cell_angle_alpha ?", &Model::alpha, "90"},
        {"angle .", "_cell_angle_beta 90", "_cell_angle_beta .", &Model::beta, "90"},
        {"uncertainty", "5.0", "5.4321(12)", &Model::a, "5.4321"},
        {"final point", "6.0", "6.", &Model::b, "6"},
        {"tab and blanks", "_cell_length_c 7.0", "\t_cell_length_c\t \t7.25 ", &Model::c, "7.25"},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = Read(*m, Cif{.cell = CellWith(c.from, c.to)}.Text());
        ASSERT_TRUE(r.ok);
        EXPECT_EQ((*m).*c.field, c.expected);
    }
}

TEST(CifReader, SpaceGroupSymbol) {
    const struct {
        const char* line;
        const char* expected;
    } cases[] = {
        {"_symmetry_space_group_name_H-M 'P 1'", "P 1"},
        {"_symmetry_space_group_name_H-M   'P 1'  ", "P 1"},
        {"_space_group_name_H-M_alt \xE2\x80\x99P 1\xE2\x80\x99", "P 1"},
        {"_space_group_name_H-M_alt \"P 1\"", "P 1"},
        {"_symmetry_space_group_name_H-M P1", "P1"},
        {"_symmetry_space_group_name_H-M P 1", "P 1"},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const Result r = Read(*m, Cif{.group = std::string(c.line) + "\n"}.Text());
        EXPECT_EQ(m->spacegroup, c.expected);
        // Without operators only "P 1" exactly is the whole cell.
        EXPECT_EQ(r.ok, m->spacegroup == "P 1");
        if (r.ok) {
            EXPECT_EQ(m->AC[1].Multiplicity, 1);
        }
    }
}

TEST(CifReader, Operators) {
    const struct {
        const char* name;
        std::string ops;
        std::vector<std::string> expected;
    } cases[] = {
        {"quoted",
         "loop_\n_symmetry_equiv_pos_as_xyz\n'x, y, z'\n'-x, -y, -z'\n",
         {"x,y,z", "-x,-y,-z"}},
        {"unquoted with blanks",
         "loop_\n_symmetry_equiv_pos_as_xyz\nx, y, z\n-x, y, -z\n",
         {"x,y,z", "-x,y,-z"}},
        {"numbered, quoted, blanks",
         "loop_\n_symmetry_equiv_pos_site_id\n_symmetry_equiv_pos_as_xyz\n  1  'x, y, z'\n"
         "  2  '-x+1/2, y+1/2, -z+1/2'\n",
         {"x,y,z", "-x+1/2,y+1/2,-z+1/2"}},
        {"numbered, unquoted",
         "loop_\n_space_group_symop_id\n_space_group_symop_operation_xyz\n1 x,y,z\n2 -x,-y,z\n",
         {"x,y,z", "-x,-y,z"}},
        {"numbered, blanks inside the quotes",
         "loop_\n_space_group_symop_id\n_space_group_symop_operation_xyz\n1 'x, y, z'\n"
         "2 '-x, -y, -z'\n3 '-x + 1/2, y, z'\n4 'x, -y, z'\n",
         {"x,y,z", "-x,-y,-z", "-x+1/2,y,z", "x,-y,z"}},
        {"id and quoted operator, not numbered",
         "loop_\n_symmetry_equiv_pos_as_xyz\n1 'x, y, z'\n2 '-x, -y, -z'\n",
         {"x,y,z", "-x,-y,-z"}},
        {"right quotation marks",
         "loop_\n_symmetry_equiv_pos_as_xyz\n\xE2\x80\x99x,y,z\xE2\x80\x99\n"
         "\xE2\x80\x99-x,-y,-z\xE2\x80\x99\n",
         {"x,y,z", "-x,-y,-z"}},
        {"double quotes",
         "loop_\n_symmetry_equiv_pos_as_xyz\n\"x,y,z\"\n\"-x,-y,-z\"\n",
         {"x,y,z", "-x,-y,-z"}},
        {"id after the operator",
         "loop_\n_space_group_symop_operation_xyz\n_space_group_symop_id\n'x, y, z' 1\n"
         "'-x, -y, -z' 2\n",
         {"x,y,z", "-x,-y,-z"}},
        {"empty lines skipped, duplicates kept",
         "loop_\n_symmetry_equiv_pos_as_xyz\n'x,y,z'\n\n'-x,-y,-z'\n'-x,-y,-z'\n'x,y,z'\n",
         {"x,y,z", "-x,-y,-z", "-x,-y,-z"}},
        {"tabs",
         "loop_\n_symmetry_equiv_pos_as_xyz\n\t'x,\ty,\tz'\n\t'-x,\t-y,\t-z'\n",
         {"x,y,z", "-x,-y,-z"}},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = Read(*m, Cif{.group = CentreGroup, .ops = c.ops}.Text());
        ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages.front());
        EXPECT_TRUE(m->SymList);
        EXPECT_EQ(m->SymOpArray, c.expected);
    }
}

// --- Coordinates --------------------------------------------------------------------

TEST(CifReader, CoordinatesInTheCell) {
    const struct {
        const char* input;
        const char* stored;
    } cases[] = {
        {"-0.25", "0.75"},
        {"1.0", "0.0"},
        {"1.25", "0.25"},
        {"0.5(3)", "0.5"},
        {"0.", "0.0"},
        {"1", "0.0"},
        {"2", "0.0"},
        {"-20.3", "0.7"},
        {"0.33333", "0.33333"},
        {"0.123456789", "0.1234568"},
        {"-0.0000000001", "0.0000000"},
        {"0.99999999", "0.0000000"},
        {"-1.0", "0.0"},
        {"-0", "0.00"}, // "-0" counts two characters
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const std::string rows =
            "Fe1 Fe3+ " + std::string(c.input) + " 0.2 0.3 1\nO1 O2- 0.4 0.5 0.6 1\n";
        ASSERT_TRUE(Read(*m, Cif{.rows = rows}.Text()).ok);
        EXPECT_EQ(m->SG1[1][5], c.stored);
    }
}

TEST(CifReader, CoordinateFormats) {
    auto m = Model::Create();
    // More than 7 decimals are written with 7, whatever the coordinate
    // before had; 1 to 7 decimals are kept as given.
    ASSERT_TRUE(Read(*m, Cif{.rows = "Fe1 Fe3+ 0.1 0.123456789 0.30 1\n"
                                     "O1 O2- 0.25 0.5 0.5 1\n"}
                             .Text())
                    .ok);
    EXPECT_EQ(m->SG1[1][5], "0.1");
    EXPECT_EQ(m->SG1[1][6], "0.1234568");
    EXPECT_EQ(m->SG1[1][7], "0.30");
}

// --- Symmetry -------------------------------------------------------------------------

TEST(CifReader, MultiplicitiesWithAnInversionCentre) {
    auto m = Model::Create();
    // Fe on the centre at the origin; O in a general position.
    ASSERT_TRUE(Read(*m, Cif{.group = CentreGroup,
                             .ops = CentreOps,
                             .rows = "Fe1 Fe3+ 0 0 0 1\nO1 O2- 0.1 0.2 0.3 1\n"}
                             .Text())
                    .ok);
    EXPECT_EQ(m->AClength, 1);
    EXPECT_EQ(m->AAlength, 1);
    EXPECT_EQ(m->GACLength, 0);
    EXPECT_EQ(m->GAALength, 1);
    EXPECT_EQ(m->AC[1].Multiplicity, 1);
    EXPECT_EQ(m->AA[1].Multiplicity, 2);
    ASSERT_EQ(m->SG1.size(), 4u);
    EXPECT_EQ(Row(*m, 3),
              (std::vector<std::string>{"3", "*O1", "1.000.O", "-2.000", "2", "0.9", "0.8", "0.7",
                                        "1.000", "O  -2 1.000", "-x,-y,-z", "O"}));
    EXPECT_TRUE(m->AA[2].Generated);
    EXPECT_EQ(m->AA[2].Atomlabel, "*O1");
    EXPECT_EQ(m->StrPosCharge, 3.0);
    EXPECT_EQ(m->StrNegCharge, -4.0);
    EXPECT_EQ(AtomGridRows(*m).size(), 3u);
}

TEST(CifReader, CationImageOnAnAnionPositionIsRejected) {
    auto m = Model::Create();
    ASSERT_TRUE(Read(*m, Cif{.group = CentreGroup,
                             .ops = CentreOps,
                             .rows = "Fe1 Fe3+ 0.25 0.25 0.25 1\nO1 O2- 0.75 0.75 0.75 1\n"}
                             .Text())
                    .ok);
    EXPECT_EQ(m->GACLength, 0); // -x,-y,-z puts Fe on O
    EXPECT_EQ(m->GAALength, 1); // anion images are compared with anions only
    EXPECT_EQ(m->AC[1].Multiplicity, 1);
    EXPECT_EQ(m->AA[1].Multiplicity, 2);
    EXPECT_EQ(m->SG1[3][5], "0.25");
}

TEST(CifReader, ASecondFileLeavesNothingOfTheFirst) {
    auto m = Model::Create();
    ASSERT_TRUE(Read(*m, Cif{.group = CentreGroup,
                             .ops = CentreOps,
                             .rows = "Fe1 Fe3+ 0.1 0.1 0.1 1\nFe2 Fe3+ 0.2 0.3 0.1 1\n"
                                     "O1 O2- 0.4 0.5 0.6 1\nO2 O2- 0.3 0.1 0.2 1\n"}
                             .Text())
                    .ok);
    EXPECT_EQ(m->AClength + m->GACLength, 4);
    // Records exist for the atoms of the cell only.
    EXPECT_EQ(m->AC.size(), 4);
    EXPECT_EQ(m->AA.size(), m->AAlength + m->GAALength);
    const int anions = m->AA.size();
    ASSERT_TRUE(Read(*m, Cif{}.Text()).ok);
    EXPECT_EQ(m->AClength, 1);
    EXPECT_EQ(m->GACLength, 0);
    EXPECT_EQ(m->SG1.size(), 3u);
    EXPECT_FALSE(m->SymList);
    EXPECT_TRUE(m->SymOpArray.empty());
    // The records of the first structure stay for the next one, blank.
    EXPECT_EQ(m->AC.size(), 4);
    EXPECT_EQ(m->AA.size(), anions);
    for (int i = 2; i <= 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(m->AC[i].Atomlabel.empty());
        EXPECT_TRUE(m->AA[i].Atomlabel.empty());
        EXPECT_FALSE(m->AC[i].Generated);
        EXPECT_EQ(m->AC[i].Multiplicity, 0);
        EXPECT_EQ(m->AA[i].X, 0);
    }
}

// --- Charges ---------------------------------------------------------------------------

// One column of the staging rows 1.. (3: the charge, 9: the species list).
std::vector<std::string> StagingColumn(const Model& m, std::size_t column) {
    std::vector<std::string> cells;
    for (std::size_t i = 1; i < m.SG1.size(); ++i)
        cells.push_back(m.SG1[i][column]);
    return cells;
}

// A file and the charge and species list of each staging row it gives.
struct ChargeCase {
    const char* name;
    Cif cif;
    std::vector<std::string> charges; // column 3 of rows 1..
    std::vector<std::string> species; // column 9 of rows 1..
};

TEST(CifReader, Charges) {
    const std::string typeLoop = "loop_\n_atom_type_symbol\n_atom_type_oxidation_number\n";
    const ChargeCase cases[] = {
        {"type symbols", Cif{}, {"3.000", "-2.000"}, {"Fe 3 1.000", "O  -2 1.000"}},
        {"bare signs",
         Cif{.rows = "Na1 Na+ 0 0 0 1\nCl1 Cl- 0.5 0.5 0.5 1\n"},
         {"1.000", "-1.000"},
         {"Na 1 1.000", "Cl -1 1.000"}},
        {"oxidation-number column",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 0.5 3\nO1 O 0.4 0.5 0.6 1 -2\n"},
         {"1.500", "-2.000"},
         {"Fe 3 0.500", "O  -2 1.000"}},
        {"whole numbers with decimals",
         Cif{.header = WithOxidation,
             .rows = "Fe1 Fe 0.1 0.2 0.3 1 3.000\nO1 O 0.4 0.5 0.6 1 -2.0\n"},
         {"3.000", "-2.000"},
         {"Fe 3 1.000", "O  -2 1.000"}},
        {"oxidation number that is not whole",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 1 2.5\nO1 O 0.4 0.5 0.6 1 -2\n"},
         {"2.500", "-2.000"},
         {"Fe 2.5 1.000", "O  -2 1.000"}},
        {"oxidation number written 2-",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 1 +3\nO1 O 0.4 0.5 0.6 1 2-\n"},
         {"3.000", "-2.000"},
         {"Fe 3 1.000", "O  -2 1.000"}},
        {"occupancy as read, not rounded",
         Cif{.rows = "Fe1 Fe3+ 0.1 0.2 0.3 0.3333\nO1 O2- 0.4 0.5 0.6 1.0\n"},
         {"1.000", "-2.000"},
         {"Fe 3 0.333", "O  -2 1.000"}},
        {"type-charge loop",
         Cif{.types = typeLoop + "O2- -2\nFe3+ 3.000\nFe3+ 3.000\n"},
         {"3.000", "-2.000"},
         {"Fe 3 1.000", "O  -2 1.000"}},
        {"type row without its oxidation number: the last field",
         Cif{.types = typeLoop + "O2- -2\nFe3+\n"},
         {"3.000", "-2.000"},
         {"Fe 3 1.000", "O  -2 1.000"}},
        {"type-charge loop before its own oxidation numbers",
         Cif{.types = typeLoop + "O2- -2\nFe3+ 2\n",
             .header = WithOxidation,
             .rows = "Fe1 Fe3+ 0.1 0.2 0.3 1 3\nO1 O2- 0.4 0.5 0.6 1 -2\n"},
         {"2.000", "-2.000"},
         {"Fe 2 1.000", "O  -2 1.000"}},
        {"type charges announced by site labels, oxidation column used",
         Cif{.types = "loop_\n_atom_site_label\n_atom_type_oxidation_number\nFe1 2\nO1 -2\n",
             .header = WithOxidation,
             .rows = "Fe1 Fe3+ 0.1 0.2 0.3 1 3\nO1 O2- 0.4 0.5 0.6 1 -2\n"},
         {"3.000", "-2.000"},
         {"Fe 3 1.000", "O  -2 1.000"}},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = Read(*m, c.cif.Text());
        ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages.front());
        EXPECT_EQ(StagingColumn(*m, 3), c.charges);
        EXPECT_EQ(StagingColumn(*m, 9), c.species);
    }
}

ReadOptions Supplied(std::map<std::string, std::string> charges) {
    ReadOptions options;
    options.element_charges = std::move(charges);
    return options;
}

// "Error reading charges." and "Error reading occupancies." keep their
// sentence; the detail below it names the first site at fault and says how
// to mend the file.
TEST(CifReader, ChargeAndOccupancyRefusalsSayWhatIsMissing) {
    const std::string hint =
        "Add _atom_type_oxidation_number or write the charge in the type symbol (Mg2+).";
    const struct {
        const char* name;
        Cif cif;
        ReadOptions options;
        std::string text, detail;
    } cases[] = {
        {"type symbols without charges",
         Cif{.rows = "Mg1 Mg 0.1 0.2 0.3 1.0\nO1 O 0.4 0.5 0.6 1.0\n"},
         {},
         "Error reading charges.",
         "Site Mg1 (type symbol Mg) has no oxidation number. " + hint},
        {"the first site without one",
         Cif{.rows = "Mg1 Mg2+ 0.1 0.2 0.3 1.0\nSi1 Si 0.7 0.2 0.3 1.0\nO1 O 0.4 0.5 0.6 1.0\n"},
         {},
         "Error reading charges.",
         "Site Si1 (type symbol Si) has no oxidation number. " + hint},
        {"unknown oxidation number",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 1.0 ?\n"},
         {},
         "Error reading charges.",
         "Site Fe1 (type symbol Fe) has no oxidation number. " + hint},
        {"type loop without the site's type",
         Cif{.types = "loop_\n_atom_type_symbol\n_atom_type_oxidation_number\nFe3+ 3\n"},
         {},
         "Error reading charges.",
         "Site O1 (type symbol O2-) has no oxidation number. " + hint},
        {"supplied charges that leave an element out",
         Cif{.rows = "Mg1 Mg 0.1 0.2 0.3 1.0\nO1 O 0.4 0.5 0.6 1.0\n"}, Supplied({{"Mg", "2"}}),
         "Error reading charges.",
         "Site O1 (type symbol O) has no oxidation number, and none was supplied for O. " + hint},
        {"oxidation number 0",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 1.0 0\n"},
         {},
         "Error reading charges.",
         "The oxidation number of site Fe1 (0) is zero or cannot be used."},
        {"oxidation number 0.0, not taken from the supplied ones",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 1.0 0.0\n"},
         Supplied({{"Fe", "3"}}), "Error reading charges.",
         "The oxidation number of site Fe1 (0.0) is zero or cannot be used."},
        {"no occupancy column",
         Cif{.header = ReplaceAll(Cif{}.header, "_atom_site_occupancy\n", ""),
             .rows = "Fe1 Fe3+ 0.1 0.2 0.3\n"},
         {},
         "Error reading occupancies.",
         "The _atom_site_occupancy column is missing: add it to the atom-site loop, with 1.0 "
         "for fully occupied sites."},
        {"occupancy unknown",
         Cif{.rows = "Fe1 Fe3+ 0.1 0.2 0.3 ?\n"},
         {},
         "Error reading occupancies.",
         "The occupancy of site Fe1 (?) cannot be used; 1.0 is the value for fully occupied "
         "sites."},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSink sink;
        EXPECT_FALSE(ReadCifText(c.cif.Text(), "/data/test.cif", *m, sink, c.options));
        EXPECT_EQ(sink.texts, std::vector<std::string>{c.text});
        EXPECT_EQ(sink.details, std::vector<std::string>{c.detail});
        EXPECT_FALSE(StructureLoaded(*m));
    }
}

// Oxidation numbers supplied by element reach only the sites to which the
// file gives none.
TEST(CifReader, SuppliedChargesFillWhatTheFileLacks) {
    const std::string typeLoop = "loop_\n_atom_type_symbol\n_atom_type_oxidation_number\n";
    const ReadOptions supplied = Supplied({{"Fe", "2"}, {"O", "-2"}, {"Mg", "2"}});
    const ChargeCase cases[] = {
        {"type symbols without charges",
         Cif{.rows = "Fe1 Fe 0.1 0.2 0.3 0.5\nO1 O 0.4 0.5 0.6 1.0\n"},
         {"1.000", "-2.000"},
         {"Fe 2 0.500", "O  -2 1.000"}},
        {"charges in the type symbols win",
         Cif{},
         {"3.000", "-2.000"},
         {"Fe 3 1.000", "O  -2 1.000"}},
        {"the oxidation-number column wins",
         Cif{.header = WithOxidation, .rows = "Fe1 Fe 0.1 0.2 0.3 1 3\nO1 O 0.4 0.5 0.6 1 .\n"},
         {"3.000", "-2.000"},
         {"Fe 3 1.000", "O  -2 1.000"}},
        {"the type loop wins for the types it lists",
         Cif{.types = typeLoop + "Fe3+ 3\n"},
         {"3.000", "-2.000"},
         {"Fe 3 1.000", "O  -2 1.000"}},
        {"a mixed site",
         Cif{.rows = "Fe1 Fe 0.1 0.2 0.3 0.5\nMg1 Mg 0.1 0.2 0.3 0.5\nO1 O 0.4 0.5 0.6 1\n"},
         {"2.000", "-2.000"},
         {"Fe 2 0.500,Mg 2 0.500", "O  -2 1.000"}},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSink sink;
        ASSERT_TRUE(ReadCifText(c.cif.Text(), "/data/test.cif", *m, sink, supplied))
            << (sink.texts.empty() ? "" : sink.texts.front());
        EXPECT_EQ(StagingColumn(*m, 3), c.charges);
        EXPECT_EQ(StagingColumn(*m, 9), c.species);
    }
}

TEST(CifReader, TypeChargeListBelongsToItsFile) {
    auto m = Model::Create();
    const std::string typeLoop =
        "loop_\n_atom_type_symbol\n_atom_type_oxidation_number\nO2- -2\nFe3+ 3.000\nFe3+ 3.000\n"
        "# comment\n";
    ASSERT_TRUE(Read(*m, Cif{.types = typeLoop}.Text()).ok);
    EXPECT_EQ(m->ChMemo, (std::vector<std::string>{"Fe3+ 3.000", "O2- -2"}));
    ASSERT_TRUE(Read(*m, Cif{}.Text()).ok);
    EXPECT_TRUE(m->ChMemo.empty());
    // The list of the first file is not applied to a file that only announces
    // type charges.
    ASSERT_TRUE(Read(*m, Cif{.types = typeLoop}.Text()).ok);
    const Result r = Read(
        *m, Cif{.types = "loop_\n_atom_site_label\n_atom_type_oxidation_number\nFe1 3\nO1 -2\n"}
                .Text());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{"Error reading charges."});
}

TEST(CifReader, MissingTypeSymbolWarnsAndReadsOn) {
    auto m = Model::Create();
    const Result r =
        Read(*m, Cif{.header = ReplaceAll(WithOxidation, "_atom_site_type_symbol\n", ""),
                     .rows = "Fe1 0.1 0.2 0.3 1 3\nO1 0.4 0.5 0.6 1 -2\n"}
                     .Text());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.messages,
              std::vector<std::string>{"Missing atom symbol in the _atom_site section. No Bond "
                                       "Valence Sums will be calculated."});
    EXPECT_TRUE(m->NoBVS);
    EXPECT_TRUE(StructureLoaded(*m));
    EXPECT_EQ(m->AC[1].AtomSymbol, "(Fe)"); // from the label
    EXPECT_EQ(m->AA[1].effcharge, -2.0);
}

// --- Encodings and line ends ------------------------------------------------------------

TEST(CifReader, EncodingsAndLineEnds) {
    // The label of O carries an e with acute accent; UTF-8 in the base text.
    const std::string utf8 =
        Cif{.rows = "Fe1 Fe3+ 0.1 0.2 0.3 1.0\nO\xC3\xA9 O2- 0.4 0.5 0.6 1.0\n"}.Text();
    const std::string latin1 = ReplaceAll(utf8, "\xC3\xA9", "\xE9");
    // UTF-16 of the same text (every character of it is below U+0100).
    auto utf16 = [&latin1](bool bigEndian) {
        std::string out;
        for (const char c : latin1) {
            const std::string unit{c, '\0'};
            out += bigEndian ? std::string{'\0', c} : unit;
        }
        return out;
    };
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"UTF-8, LF", utf8},
        {"UTF-8, CR LF", ReplaceAll(utf8, "\n", "\r\n")},
        {"UTF-8, CR", ReplaceAll(utf8, "\n", "\r")},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
        {"UTF-8 with BOM, CR LF", "\xEF\xBB\xBF" + ReplaceAll(utf8, "\n", "\r\n")},
        {"Latin-1, LF", latin1},
        {"Latin-1, CR LF", ReplaceAll(latin1, "\n", "\r\n")},
        {"Latin-1, CR", ReplaceAll(latin1, "\n", "\r")},
        {"no line break at the end", utf8.substr(0, utf8.size() - 1)},
        {"tabs", ReplaceAll(utf8, " ", "\t")},
        {"UTF-16 little endian with BOM", "\xFF\xFE" + utf16(false)},
        {"UTF-16 big endian with BOM", "\xFE\xFF" + utf16(true)},
        {"UTF-16 little endian without BOM", utf16(false)},
        {"UTF-16 big endian without BOM, CR LF",
         ReplaceAll(utf16(true), std::string("\0\n", 2), std::string("\0\r\0\n", 4))},
    };
    auto m = Model::Create();
    ASSERT_TRUE(Read(*m, utf8).ok);
    const std::vector<StagingRow> expected = m->SG1;
    ASSERT_EQ(expected.size(), 3u);
    EXPECT_EQ(expected[2][1], "O\xC3\xA9");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = Read(*m, c.text);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(m->SG1, expected);
        EXPECT_EQ(m->AA[1].Atomlabel, "O\xC3\xA9");
        EXPECT_EQ(m->a, "5.0");
        EXPECT_EQ(m->spacegroup, "P 1");
    }
}

// --- Files -------------------------------------------------------------------------------

TEST(CifReader, Utf16FileIsRead) {
    // A file saved as UTF-16 is read like its UTF-8 twin.
    auto m = Model::Create();
    RecordingSink sink;
    ASSERT_TRUE(
        ReadCifFile(std::string(KEVO_TEST_DATA_DIR) + "/robust/rocksalt-utf16le.cif", *m, sink));
    EXPECT_TRUE(sink.texts.empty());
    const std::vector<StagingRow> utf16 = m->SG1;
    ASSERT_TRUE(ReadCifFile(std::string(KEVO_TEST_DATA_DIR) + "/reports/rocksalt.cif", *m, sink));
    EXPECT_EQ(utf16, m->SG1);
    EXPECT_EQ(m->a, "3.987849");

    // Broken UTF-16: a lone surrogate and an odd last byte become U+FFFD (in
    // a comment and after the end of the site loop here).
    const std::string text =
        Cif{.rows = "Fe1 Fe3+ 0.1 0.2 0.3 1.0\nO1 O2- 0.4 0.5 0.6 1.0\n\n"}.Text();
    std::string broken = std::string("\xFF\xFE#\0\x00\xD8\n\0", 8); // "#", U+D800 alone, LF
    for (const char c : text)
        broken += std::string{c, '\0'};
    broken += "x"; // one byte more
    const Result r = Read(*m, broken);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(m->AA[1].Atomlabel, "O1");
}

TEST(CifReader, ReadsAFile) {
    auto m = Model::Create();
    const std::string path = std::string(KEVO_TEST_DATA_DIR) + "/cif/ilmenite_mixed.cif";
    RecordingSink sink;
    ASSERT_TRUE(ReadCifFile(path, *m, sink)) << (sink.texts.empty() ? "" : sink.texts.front());
    EXPECT_TRUE(sink.texts.empty());
    EXPECT_EQ(m->Title, "ilmenite_mixed");
    EXPECT_EQ(m->OutPath, std::string(KEVO_TEST_DATA_DIR) + "/cif/");
    EXPECT_EQ(m->AClength, 1);
    EXPECT_EQ(m->AAlength, 1);
    EXPECT_EQ(m->AC[1].Atomlabel, "Fe1-Ti1");
    EXPECT_EQ(m->AC[1].symbol, "0.500.Fe:0.500.Ti");
    EXPECT_EQ(m->AC[1].effcharge, 3.5);
    EXPECT_EQ(m->AC[1].RoString, "Fe 3 0.500,Ti 4 0.500");
    // P -1: the cation on the centre, the anion in a general position.
    EXPECT_EQ(m->AC[1].Multiplicity, 1);
    EXPECT_EQ(m->AA[1].Multiplicity, 2);
    EXPECT_EQ(m->SG1[3][5], "0.7500");
}

// Atoms in the unit cell of the example structures, from the published
// formula and Z (mixed sites count once per position).
TEST(CifReader, ExampleStructures) {
    const struct {
        const char* file;
        int atoms;
    } cases[] = {
        {"halite_NaCl_COD1000041.cif", 8},                    // NaCl, Z = 4
        {"rutile_TiO2_AMCSD0019092.cif", 6},                  // TiO2, Z = 2
        {"spinel_MgAl2O4_AMCSD0004465.cif", 56},              // MgAl2O4, Z = 8
        {"forsterite_Mg2SiO4_AMCSD0000546.cif", 28},          // Mg2SiO4, Z = 4
        {"pyrope_garnet_Mg3Al2Si3O12_AMCSD0018537.cif", 160}, // Mg3Al2Si3O12, Z = 8
        {"brucite_MgOH2_COD1000054.cif", 5},                  // Mg(OH)2, Z = 1
        {"gibbsite_AlOH3_built_Saalfeld1974.cif", 56},        // Al(OH)3, Z = 8
        {"fluorapatite_AMCSD0001934.cif", 42},                // Ca5(PO4)3F, Z = 2
    };
    const std::filesystem::path folder = std::filesystem::path(KEVO_SOURCE_DIR) / "examples";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        RecordingSink sink;
        ASSERT_TRUE(ReadCifFile((folder / c.file).string(), *m, sink))
            << (sink.texts.empty() ? "" : sink.texts.front());
        EXPECT_TRUE(sink.texts.empty());
        EXPECT_EQ(m->AClength + m->GACLength + m->AAlength + m->GAALength, c.atoms);
        int multiplicities = 0;
        for (int i = 1; i <= m->AClength; ++i)
            multiplicities += m->AC[i].Multiplicity;
        for (int i = 1; i <= m->AAlength; ++i)
            multiplicities += m->AA[i].Multiplicity;
        EXPECT_EQ(multiplicities, c.atoms);
        // Charge balance of the cell as read.
        EXPECT_NEAR(m->StrPosCharge + m->StrNegCharge, 0.0, 1e-9);
    }
}

TEST(CifReader, SpinelMixedSites) {
    auto m = Model::Create();
    RecordingSink sink;
    ASSERT_TRUE(ReadCifFile(
        std::string(KEVO_SOURCE_DIR) + "/examples/spinel_MgAl2O4_AMCSD0004465.cif", *m, sink));
    ASSERT_EQ(m->AClength, 2);
    EXPECT_EQ(m->AC[1].Atomlabel, "MgA-AlA");
    EXPECT_EQ(m->AC[1].symbol, "0.850.Mg:0.150.Al");
    EXPECT_EQ(m->AC[1].AtomSymbol, "(Al-Mg)");
    EXPECT_DOUBLE_EQ(m->AC[1].effcharge, 2.15);
    EXPECT_EQ(m->AC[1].Multiplicity, 8);
    EXPECT_EQ(m->AC[2].Atomlabel, "AlB-MgB");
    EXPECT_EQ(m->AC[2].Multiplicity, 16);
    EXPECT_EQ(m->AA[1].Multiplicity, 32);
}

} // namespace
} // namespace kevo

// The CIF reader on damaged input: every example file cut short at many
// points and with bytes changed, plus hand-made hostile texts. Run under the
// sanitizers, each read must end with a loaded structure or with at least one
// message, and never touch memory it does not own.
#include "model/cif_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {
namespace {

namespace fs = std::filesystem;

struct Example {
    std::string name;
    std::string bytes;
};

std::vector<Example> Examples() {
    std::vector<Example> files;
    const fs::path folder = fs::path(KEVO_SOURCE_DIR) / "examples";
    if (!fs::is_directory(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".cif") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files.push_back({entry.path().filename().string(),
                         {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
    }
    return files;
}

// Deterministic pseudo-random numbers (64-bit linear congruential generator,
// Knuth's MMIX constants).
class Lcg {
  public:
    explicit Lcg(std::uint64_t seed) : state_(seed) {}
    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : Next() % n; }

  private:
    std::uint64_t state_;
};

// Reads text and checks the outcome; returns a description of what went
// wrong, or "" when all is well.
std::string Check(Model& m, std::string_view text) {
    RecordingSink sink;
    const bool ok = ReadCifText(text, "/robustness/input.cif", m, sink);
    if (!ok) return sink.texts.empty() ? "refused without a message" : "";
    if (!StructureLoaded(m)) return "loaded, but no site in use";
    if (m.AClength + m.GACLength > MaxAtoms || m.AAlength + m.GAALength > MaxAtoms)
        return "more than 1000 records";
    const std::size_t rows =
        static_cast<std::size_t>(m.AClength + m.AAlength + m.GACLength + m.GAALength);
    if (m.SG1.size() != rows + 1) return "staging table and counts disagree";
    if (AtomGridRows(m).size() != rows) return "atom grid and counts disagree";
    for (int i = 1; i <= m.AClength; ++i)
        if (m.AC[i].Multiplicity < 1 || m.AC[i].effcharge <= 0)
            return "cation without multiplicity or charge";
    for (int i = 1; i <= m.AAlength; ++i)
        if (m.AA[i].Multiplicity < 1 || m.AA[i].effcharge >= 0)
            return "anion without multiplicity or charge";
    return "";
}

constexpr std::string_view Interesting = " \t\n\r()'\"_#-+.,;?0123456789xyz";

std::string Mutate(std::string s, Lcg& rng) {
    const std::size_t changes = 1 + rng.Below(3);
    for (std::size_t k = 0; k < changes; ++k) {
        const std::size_t at = rng.Below(s.size() + 1);
        switch (rng.Below(5)) {
        case 0: // a byte replaced by one that matters to the reader
            if (at < s.size()) s[at] = Interesting[rng.Below(Interesting.size())];
            break;
        case 1: // a byte replaced by any byte
            if (at < s.size()) s[at] = static_cast<char>(rng.Below(256));
            break;
        case 2: // a byte inserted
            s.insert(at, 1, Interesting[rng.Below(Interesting.size())]);
            break;
        case 3: // a few bytes deleted
            if (at < s.size()) s.erase(at, 1 + rng.Below(8));
            break;
        default: { // a piece repeated elsewhere
            const std::size_t from = rng.Below(s.size());
            const std::string piece = s.substr(from, 1 + rng.Below(80));
            s.insert(at, piece);
            break;
        }
        }
    }
    return s;
}

TEST(CifRobustness, ExamplesCutShort) {
    const auto examples = Examples();
    ASSERT_FALSE(examples.empty()) << "no example files in " KEVO_SOURCE_DIR "/examples";
    auto m = Model::Create();
    for (const auto& e : examples) {
        SCOPED_TRACE(e.name);
        int failures = 0;
        for (std::size_t len = 0; len <= e.bytes.size(); len += 37) {
            const std::string problem = Check(*m, std::string_view(e.bytes).substr(0, len));
            if (!problem.empty() && ++failures <= 3)
                ADD_FAILURE() << "cut at " << len << ": " << problem;
        }
        // The whole file reads.
        EXPECT_EQ(Check(*m, e.bytes), "");
        EXPECT_TRUE(StructureLoaded(*m));
    }
}

TEST(CifRobustness, ExamplesWithBytesChanged) {
    const auto examples = Examples();
    ASSERT_FALSE(examples.empty()) << "no example files in " KEVO_SOURCE_DIR "/examples";
    auto m = Model::Create();
    Lcg rng(20240521);
    constexpr int Variants = 300;
    for (const auto& e : examples) {
        SCOPED_TRACE(e.name);
        int failures = 0;
        int loaded = 0;
        for (int v = 0; v < Variants; ++v) {
            const std::string text = Mutate(e.bytes, rng);
            const std::string problem = Check(*m, text);
            if (!problem.empty() && ++failures <= 3)
                ADD_FAILURE() << "variant " << v << ": " << problem;
            loaded += StructureLoaded(*m) ? 1 : 0;
        }
        // Most changes hit comments and values that do not matter: a reader
        // that refused nearly everything would pass the check above vacuously.
        EXPECT_GT(loaded, Variants / 5);
    }
}

std::string Repeat(std::string_view piece, std::size_t n) {
    std::string s;
    s.reserve(piece.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        s += piece;
    return s;
}

TEST(CifRobustness, HostileTexts) {
    const std::string cell = "_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n"
                             "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n"
                             "_symmetry_space_group_name_H-M 'P 1'\n";
    const std::string header = "loop_\n_atom_site_label\n_atom_site_type_symbol\n"
                               "_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
                               "_atom_site_occupancy\n";
    const std::string centre = "loop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\n-x,-y,-z\n";
    std::string manyHeaders = "loop_\n";
    for (int i = 0; i < 3000; ++i)
        manyHeaders += "_atom_site_extra_" + std::to_string(i) + "\n";
    std::string thousandSites; // in general positions: with -x,-y,-z 2000 records
    for (int i = 0; i < 1000; ++i)
        thousandSites +=
            "Fe" + std::to_string(i) + " Fe3+ 0.1 0.2 0." + std::to_string(1000 + i) + " 1\n";
    std::string oneSiteManyRows; // 3000 species on one position
    for (int i = 0; i < 3000; ++i)
        oneSiteManyRows += "Fe" + std::to_string(i) + " Fe3+ 0.1 0.2 0.3 0.001\n";

    const std::string oxidation = "loop_\n_atom_site_label\n_atom_site_type_symbol\n"
                                  "_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
                                  "_atom_site_occupancy\n_atom_site_oxidation_number\n";
    const struct {
        const char* name;
        std::string text;
        bool loads;
    } cases[] = {
        {"empty", "", false},
        {"one blank", " ", false},
        {"line breaks only", "\n\r\n\r", false},
        {"loop_ only", "loop_", false},
        {"header at the end", "_atom_site_label\n_atom_site_fract_x", false},
        {"cell name without value at the end", "_cell_length_a", false},
        {"operator name at the end", "_symmetry_equiv_pos_as_xyz", false},
        {"operator name and numbered at the end",
         "_symmetry_equiv_pos_site_id\n_symmetry_equiv_pos_as_xyz\n1", false},
        {"type names at the end", "_atom_type_symbol\n_atom_type_oxidation_number", false},
        {"type loop at the end", "_atom_type_symbol\n_atom_type_oxidation_number\nFe3+ 3", false},
        {"label and oxidation at the end", "_atom_site_label\n_atom_type_oxidation_number\n",
         false},
        {"H-M alone", "H-M", false},
        {"quote alone", "_symmetry_space_group_name_H-M '", false},
        {"right quote alone", "_symmetry_space_group_name_H-M \xE2\x80\x99", false},
        {"broken right quote", "_symmetry_space_group_name_H-M \xE2\x80", false},
        {"NUL bytes", cell + header + std::string("Fe1 Fe3+ 0.1\0 0.2 0.3 1\n", 25), false},
        {"many parentheses",
         cell + header + "Fe1 Fe3+ 0.1" + Repeat("(1)", 200000) +
             " 0.2 0.3 1\nO1 O2- 0.5 0.5 0.5 1\n",
         true},
        {"many operator commas",
         cell + "loop_\n_symmetry_equiv_pos_site_id\n_symmetry_equiv_pos_as_xyz\n1 " +
             Repeat("x, ", 200000) + "\n" + header + "Fe1 Fe3+ 0.1 0.2 0.3 1\n",
         false},
        {"many right quotes",
         cell + "loop_\n_symmetry_equiv_pos_as_xyz\n" + Repeat("\xE2\x80\x99,", 100000) + "\n" +
             header + "Fe1 Fe3+ 0.1 0.2 0.3 1\n",
         false},
        {"long line of blanks", cell + header + "Fe1" + Repeat(" \t", 300000) + "Fe3+\n", false},
        {"thousands of header lines",
         cell + manyHeaders +
             "_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
             "_atom_site_occupancy\nFe1 0.1 0.2\n",
         false},
        {"charge beyond the number range", cell + oxidation + "Fe1 Fe 0.1 0.2 0.3 1e308 1e308\n",
         false},
        {"coordinates at the ends of the number range",
         cell + oxidation + "Fe1 Fe 1e308 -1e308 1e-320 1 3\n", true},
        {"1000 sites and their images", cell + centre + header + thousandSites, false},
        {"one position, 3000 rows", cell + header + oneSiteManyRows, true},
        {"operators that do not parse",
         cell + "loop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\nx,y\n,,\n(((x,y,z\n" + header +
             "Fe1 Fe3+ 0.1 0.2 0.3 1\n",
         false},
        {"operators with huge translations",
         cell + "loop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\nx+1e300,-y-1e300,z/0\n" + header +
             "Fe1 Fe3+ 0.1 0.2 0.3 1\n",
         false},
        {"invalid UTF-8", "# \xC0\xAF\n" + cell + header + "Fe\xFF\xFE Fe3+ 0.1 0.2 0.3 1\n", true},
        {"UTF-16 text", std::string("\xFF\xFE_\0c\0", 6), false},
    };
    auto m = Model::Create();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Check(*m, c.text), "");
        EXPECT_EQ(StructureLoaded(*m), c.loads);
    }
}

} // namespace
} // namespace kevo

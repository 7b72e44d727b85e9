// One structure written in different ways must give the same numbers:
// labels with parentheses, a duplicate label read under a new name, and the
// sites of a file in another order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/model.h"

namespace kevo {
namespace {

const std::string kBvs = KEVO_SOURCE_DIR "/data/bvsparm.cif";

std::string Fixture(const std::string& name) {
    const std::string path = std::string(KEVO_TEST_DATA_DIR) + "/cif/" + name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing fixture " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    const std::size_t p = s.find(from);
    EXPECT_NE(p, std::string::npos) << from;
    if (p != std::string::npos) s.replace(p, from.size(), to);
    return s;
}

// The labels-parentheses fixture with other labels for its three sites.
std::string Labels(const std::string& text, const std::string& si, const std::string& o1,
                   const std::string& o2) {
    return Replace(Replace(Replace(text, "\nSi(1) ", "\n" + si + " "), "\nO(1) ", "\n" + o1 + " "),
                   "\nO(2) ", "\n" + o2 + " ");
}

// The numbers of one asymmetric atom after a calculation.
std::vector<double> AtomNumbers(const TAtoms& a) {
    std::vector<double> v{double(a.Coor), double(a.Multiplicity),
                          a.effcharge,    a.Kevo,
                          a.EDEV,         a.QX,
                          a.QA,           a.BVS,
                          a.MAPDLig,      a.deltaR,
                          a.PolDistortion};
    for (int j = 1; j <= a.Coor; ++j)
        for (double x : {a.Dist[j], a.BW[j], a.BondCharge[j], a.deltaqicat[j], a.deltaQx[j],
                         a.deltaQa[j], a.deltaBVS[j]})
            v.push_back(x);
    return v;
}

struct Snapshot {
    std::vector<std::pair<std::string, std::vector<double>>> atoms; // label, numbers
    std::vector<double> globals;
    std::vector<std::string> formulas;
};

// Reads text and calculates both orientations, cation-centred first; the
// snapshot holds the numbers of both runs.
Snapshot Calculated(const std::string& text, std::vector<std::string>* messages = nullptr) {
    auto m = Model::Create();
    RecordingSink msg;
    Snapshot s;
    EXPECT_TRUE(ReadCifText(text, "/variants/structure.cif", *m, msg));
    for (bool cations : {true, false}) {
        m->ShowCations = cations;
        EXPECT_TRUE(Calculate(*m, msg, {kBvs}));
        for (int i = 1; i <= m->AClength; ++i)
            s.atoms.emplace_back(m->AC[i].Atomlabel, AtomNumbers(m->AC[i]));
        for (int i = 1; i <= m->AAlength; ++i)
            s.atoms.emplace_back(m->AA[i].Atomlabel, AtomNumbers(m->AA[i]));
        s.globals.insert(s.globals.end(),
                         {m->GII, m->DevQXCC, m->DevQACC, m->DevQXAC, m->DevQAAC, m->devBVSC,
                          m->devBVSA, m->CDEV, m->EV, m->StrPosCharge, m->StrNegCharge});
        s.formulas.insert(s.formulas.end(), {m->StructureFormula, m->ChargeFormula, m->BVSFormula});
    }
    if (messages) *messages = msg.texts;
    return s;
}

// Number for number, labels aside; atoms in the order of the model.
void ExpectSameNumbers(const Snapshot& a, const Snapshot& b) {
    ASSERT_EQ(a.atoms.size(), b.atoms.size());
    for (std::size_t i = 0; i < a.atoms.size(); ++i) {
        SCOPED_TRACE(a.atoms[i].first + " / " + b.atoms[i].first);
        EXPECT_EQ(a.atoms[i].second, b.atoms[i].second);
    }
    EXPECT_EQ(a.globals, b.globals);
    EXPECT_EQ(a.formulas, b.formulas);
}

TEST(StructureVariants, LabelsWithParenthesesCalculateAsPlainLabels) {
    const std::string text = Fixture("labels-parentheses.cif");
    const std::string plain = Labels(text, "Si1", "O1", "O2");
    std::vector<std::string> messages;
    const Snapshot withParentheses = Calculated(text, &messages);
    EXPECT_TRUE(messages.empty());
    const Snapshot reference = Calculated(plain);
    ExpectSameNumbers(withParentheses, reference);
    EXPECT_EQ(withParentheses.atoms[0].first, "Si(1)");
    EXPECT_EQ(withParentheses.atoms[1].first, "O(1)");
    EXPECT_EQ(withParentheses.atoms[2].first, "O(2)");
    // Si(1) receives its whole charge back, as a central atom should.
    EXPECT_NEAR(withParentheses.atoms[0].second[5], -4.0, 1e-9);
}

TEST(StructureVariants, DuplicateLabelCalculatesAsItsNewName) {
    const std::string text = Fixture("labels-parentheses.cif");
    const std::string duplicate = Labels(text, "Si1", "O1", "O1");
    const std::string renamed = Labels(text, "Si1", "O1", "O1_2");
    std::vector<std::string> messages;
    const Snapshot read = Calculated(duplicate, &messages);
    EXPECT_EQ(messages, std::vector<std::string>{"Duplicate atom site label O1: the site at 0.0, "
                                                 "0.45, 0.0 is read as O1_2."});
    ExpectSameNumbers(read, Calculated(renamed));
    EXPECT_EQ(read.atoms[2].first, "O1_2");
}

TEST(StructureVariants, HydrogenLigandsDoNotDependOnTheSiteOrder) {
    const std::string text = Fixture("hydrogen-three-oxygens.cif");
    const std::string rows[] = {"\nO1 O2- 0.49 0.30 0.30 1.0", "\nO3 O2- 0.30 0.45 0.30 1.0",
                                "\nO2 O2- 0.30 0.30 0.40 1.0"};
    std::string base = text;
    for (const std::string& row : rows)
        base = Replace(base, row, "");
    const Snapshot fileOrder = Calculated(text);

    // The hydrogen keeps O2 (1.0 A) and O3 (1.5 A), and drops O1 (1.9 A).
    const auto& h = fileOrder.atoms[0];
    ASSERT_EQ(h.first, "H1");
    EXPECT_EQ(h.second[0], 2.0);
    const std::vector<double> dist{h.second[11], h.second[18]};
    EXPECT_NEAR(dist[0], 1.0, 1e-9);
    EXPECT_NEAR(dist[1], 1.5, 1e-9);

    // Every order of the three oxygens gives the same numbers per site.
    auto byLabel = [](Snapshot s) {
        auto half = s.atoms.begin() + static_cast<std::ptrdiff_t>(s.atoms.size() / 2);
        std::stable_sort(s.atoms.begin(), half);
        std::stable_sort(half, s.atoms.end());
        return s;
    };
    const Snapshot expected = byLabel(fileOrder);
    std::vector<int> order{0, 1, 2};
    do {
        std::string permuted = base.substr(0, base.size() - 1); // without its last line end
        for (int k : order)
            permuted += rows[k];
        permuted += "\n";
        SCOPED_TRACE(permuted.substr(permuted.size() - 80));
        const Snapshot s = byLabel(Calculated(permuted));
        ASSERT_EQ(s.atoms.size(), expected.atoms.size());
        for (std::size_t i = 0; i < s.atoms.size(); ++i) {
            SCOPED_TRACE(s.atoms[i].first);
            EXPECT_EQ(s.atoms[i].first, expected.atoms[i].first);
            ASSERT_EQ(s.atoms[i].second.size(), expected.atoms[i].second.size());
            for (std::size_t k = 0; k < s.atoms[i].second.size(); ++k)
                EXPECT_NEAR(s.atoms[i].second[k], expected.atoms[i].second[k], 1e-12) << k;
        }
        for (std::size_t k = 0; k < s.globals.size(); ++k)
            EXPECT_NEAR(s.globals[k], expected.globals[k], 1e-9) << k;
    } while (std::next_permutation(order.begin(), order.end()));
}

} // namespace
} // namespace kevo

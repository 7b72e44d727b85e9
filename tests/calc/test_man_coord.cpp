// Manual coordination lists: building them from the last coordination
// search and the second sphere, cutting and extending a coordination, and
// applying the chosen radii.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc/coordination.h"
#include "calc/man_coord.h"
#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/numbers.h"

namespace {

using namespace kevo;

const std::string kBvs = KEVO_SOURCE_DIR "/data/bvsparm.cif";
const std::string kWo3 = KEVO_TEST_DATA_DIR "/cif/distorted_wo3.cif";

// The WO3 cell with its W off centre: six different W-O bonds.
std::unique_ptr<Model> DistortedWo3(double maxR = 4.0) {
    auto m = Model::Create();
    RecordingSink msg;
    EXPECT_TRUE(ReadCifFile(kWo3, *m, msg));
    m->MaxR = maxR;
    GetDistances(*m, msg);
    EXPECT_TRUE(m->IsCoordination);
    EXPECT_TRUE(msg.texts.empty());
    return m;
}

std::vector<std::string> Rows(const MCList& list) {
    std::vector<std::string> rows;
    for (int r = 1; r <= MCRowCount(list); ++r)
        rows.push_back(list[r]);
    return rows;
}

// Column n of every row.
std::string Column(const MCList& list, int n) {
    std::string text;
    for (int r = 1; r <= MCRowCount(list); ++r)
        text += MCRowFields(list, r)[static_cast<std::size_t>(n)];
    return text;
}

TEST(ManualCoordination, ListsInDistanceOrder) {
    auto m = DistortedWo3();
    RecordingSink msg;
    LoadData(*m, msg);
    EXPECT_TRUE(msg.texts.empty());
    const MCList& w = MCListOf(*m, true, 1);
    EXPECT_EQ(w[0], "W1 6 6");
    const std::vector<std::string> rows = Rows(w);
    ASSERT_EQ(rows.size(), 6u);
    const char* const expected[][4] = {
        {"1", "O3", "1.7534", "Y"}, {"2", "O2", "1.7941", "Y"}, {"3", "O1", "1.8339", "Y"},
        {"4", "O1", "1.9851", "Y"}, {"5", "O2", "2.0212", "Y"}, {"6", "O3", "2.0566", "Y"},
    };
    for (int r = 1; r <= 6; ++r) {
        SCOPED_TRACE(r);
        const MCRow f = MCRowFields(w, r);
        const auto& e = expected[r - 1];
        EXPECT_EQ(f[0], e[0]);
        EXPECT_EQ(f[1], e[1]);
        EXPECT_EQ(f[2], e[2]);
        EXPECT_EQ(f[4], e[3]);
        // The full distance is one of the bonds of the search.
        bool found = false;
        for (int k = 1; k <= m->AC[1].Coor; ++k)
            found = found || f[3] == xFloatToStr(m->AC[1].Dist[k]);
        EXPECT_TRUE(found) << f[3];
    }
    // The anions have lists of their own.
    EXPECT_EQ(MCListOf(*m, false, 2)[0], "O2 2 2");
    EXPECT_EQ(Column(MCListOf(*m, false, 2), 2), "1.79412.0212");
}

// The W images of the neighbouring cells, at 3.80 A, come between the bonds
// shorter and longer than that.
TEST(ManualCoordination, SecondSphereAtomsAtTheirPlace) {
    auto m = DistortedWo3(5.0);
    RecordingSink msg;
    LoadData(*m, msg);
    const MCList& w = MCListOf(*m, true, 1);
    const int rows = MCRowCount(w);
    const int coor = m->AC[1].Coor;
    ASSERT_GT(coor, 6);
    ASSERT_EQ(rows, coor + 6);
    int hashes = 0;
    double last = 0;
    for (int r = 1; r <= rows; ++r) {
        SCOPED_TRACE(w[r]);
        const MCRow f = MCRowFields(w, r);
        const double d = xStrToFloat(f[3]);
        EXPECT_GE(d, last);
        last = d;
        if (f[0] == "#") {
            ++hashes;
            EXPECT_EQ(f[1], "W1");
            EXPECT_EQ(f[2], "3.8000");
            EXPECT_NE(w[r].find("W1  3.8000"), std::string::npos); // two blanks
        } else {
            EXPECT_EQ(f[0], IntToStr(r - hashes));
        }
    }
    EXPECT_EQ(hashes, 6);
    // The first "#" row follows the last bond shorter than 3.80 A.
    int first = 1;
    while (MCRowFields(w, first)[0] != "#")
        ++first;
    EXPECT_LT(xStrToFloat(MCRowFields(w, first - 1)[3]), 3.8);
    EXPECT_GT(xStrToFloat(MCRowFields(w, first + 6)[3]), 3.8);
}

TEST(ManualCoordination, CuttingAndExtending) {
    auto m = DistortedWo3();
    RecordingSink msg;
    LoadData(*m, msg);
    MCList& w = MCListOf(*m, true, 1);
    CutCoordination(w, 4);
    EXPECT_EQ(Column(w, 4), "YYYYNN");
    EXPECT_EQ(w[0], "W1 6 4");
    EXPECT_EQ(MCRadius(w), xStrToFloat(MCRowFields(w, 4)[3]));
    CutCoordination(w, 2);
    EXPECT_EQ(Column(w, 4), "YYNNNN");
    EXPECT_EQ(w[0], "W1 6 2");
    CutCoordination(w, 5); // an "N" row: extended up to it
    EXPECT_EQ(Column(w, 4), "YYYYYN");
    EXPECT_EQ(w[0], "W1 6 5");
    CutCoordination(w, 0); // not a row
    CutCoordination(w, 7);
    EXPECT_EQ(w[0], "W1 6 5");
    for (const std::string& row : Rows(w))
        EXPECT_EQ(row.find("  "), std::string::npos) << row;
}

TEST(ManualCoordination, CuttingAtASecondSphereRow) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        int clicked;
        const char* marks;
        const char* cn;
    } cases[] = {
        {"within: cut at the ligand above",
         {"1 O1 1.9 1.9 Y", "# W1  2.5 2.5 Y", "2 O2 3.0 3.0 Y", "3 O3 3.1 3.1 Y"},
         2,
         "YNNN",
         "1"},
        {"outside: extended, then cut at the ligand above",
         {"1 O1 1.9 1.9 Y", "2 O2 2.0 2.0 N", "# W1  2.5 2.5 N", "# W2  2.6 2.6 N",
          "3 O3 3.0 3.0 N"},
         4,
         "YYNNN",
         "2"},
        {"above every ligand: the first ligand stays",
         {"# W1  2.5 2.5 Y", "# W2  2.6 2.6 Y", "1 O1 3.0 3.0 Y", "2 O2 3.1 3.1 Y"},
         2,
         "NNYN",
         "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MCList list;
        list[0] = "X1 " + IntToStr(static_cast<long long>(c.rows.size())) + " 9";
        for (std::size_t r = 0; r < c.rows.size(); ++r)
            list[static_cast<int>(r) + 1] = c.rows[r];
        CutCoordination(list, c.clicked);
        EXPECT_EQ(Column(list, 4), c.marks);
        EXPECT_EQ(MCField(list[0], 2), c.cn);
        EXPECT_EQ(MCRowFields(list, 2)[0], c.rows[1].substr(0, 1));
    }
}

// A central atom with 45 bonds and ten nearer cations: every bond is
// listed and the list stops at 50 rows.
TEST(ManualCoordination, NeverMoreThanFiftyRows) {
    auto m = Model::Create();
    m->va = m->vb = m->vc = 30;
    m->valpha = m->vbeta = m->vgamma = 90;
    m->ralpha = m->rbeta = m->rgamma = 3.14159265358979323846 / 2;
    m->AC.Ensure(11);
    m->AClength = 11;
    m->TotACLength = 11;
    for (int i = 1; i <= 11; ++i) {
        TAtoms& r = m->AC[i];
        r.Atomlabel = "C" + IntToStr(i);
        r.X = 0.5 + (i - 1) * 0.07 / 30 + (i > 1 ? 2.0 / 30 : 0);
        r.Y = r.Z = 0.5;
    }
    TAtoms& c = m->AC[1];
    c.Coor = 45;
    for (int k = 1; k <= 45; ++k) {
        c.Dist[k] = 3.0 + k * 0.04;
        c.BondingAtoms[k] = "*O" + IntToStr(k);
    }
    RecordingSink msg;
    LoadData(*m, msg);
    const MCList& list = MCListOf(*m, true, 1);
    EXPECT_EQ(MCRowCount(list), 50);
    EXPECT_EQ(list[0], "C1 50 45");
    int hashes = 0;
    for (int r = 1; r <= 50; ++r)
        hashes += MCRowFields(list, r)[0] == "#" ? 1 : 0;
    EXPECT_EQ(hashes, 5);
    EXPECT_EQ(MCRowFields(list, 50)[0], "45");
    EXPECT_EQ(MCRowFields(list, 6)[1], "O1");
}

TEST(ManualCoordination, ApplyingSetsEveryRadiusAndThePolyhedronMode) {
    auto m = DistortedWo3();
    m->NearestLimit = true;
    m->ExZeroW = true;
    RecordingSink msg;
    LoadData(*m, msg);
    CutCoordination(MCListOf(*m, true, 1), 4);
    const double fourth = xStrToFloat(MCRowFields(MCListOf(*m, true, 1), 4)[3]);
    ApplyManualCoordination(*m);
    EXPECT_EQ(m->ThresOption, 2);
    EXPECT_FALSE(m->NearestLimit);
    EXPECT_FALSE(m->ExZeroW);
    EXPECT_DOUBLE_EQ(m->AC[1].Nearest, fourth);
    EXPECT_NEAR(fourth, 1.9851, 0.0001);
    EXPECT_NEAR(m->AA[3].Nearest, 2.0566, 0.0001); // untouched: its farthest ligand

    // The next calculation builds a four-ligand polyhedron around W.
    ASSERT_TRUE(Calculate(*m, msg, {kBvs})) << (msg.texts.empty() ? "" : msg.texts[0]);
    EXPECT_EQ(m->AC[1].Coor, 4);
    for (int k = 1; k <= 4; ++k)
        EXPECT_LE(m->AC[1].Dist[k], fourth + 0.00001);
}

TEST(ManualCoordination, LongestBondRadii) {
    auto m = DistortedWo3();
    LongestBondRadii(*m);
    EXPECT_NEAR(m->AC[1].Nearest, 2.0566, 0.0001);
    EXPECT_NEAR(m->AA[1].Nearest, 1.9851, 0.0001);
    m->ThresOption = 2;
    RecordingSink msg;
    GetDistances(*m, msg);
    EXPECT_EQ(m->AC[1].Coor, 6);
}

} // namespace

// Cell geometry and symmetry expansion on small hand-made structures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/messages.h"
#include "model/model.h"
#include "model/numbers.h"
#include "model/symmetry.h"

namespace kevo {
namespace {

// --- Helpers -------------------------------------------------------------------

void SetCell(Model& m, const char* a, const char* b, const char* c, const char* alpha,
             const char* beta, const char* gamma) {
    m.a = a;
    m.b = b;
    m.c = c;
    m.alpha = alpha;
    m.beta = beta;
    m.gamma = gamma;
    PrepareUnitCell(m);
}

// One asymmetric site as the reader leaves it. A negative oxidation number
// makes an anion.
struct Site {
    std::string label;
    std::string element;
    int oxidation;
    double occupancy;
    std::string x, y, z;
};

std::string Occ(double occ) {
    return FF("0.000", occ);
}

// Fills the staging table (cations first, then anions) and the AC / AA
// records the way the reader's LoadRecords does, in a cubic 10 A cell.
void Load(Model& m, const std::vector<Site>& sites, const std::vector<std::string>& ops) {
    SetCell(m, "10", "10", "10", "90", "90", "90");
    ASSERT_TRUE(TransformationMatrix(m));
    m.SG1.assign(1, StagingRow{});
    m.AClength = 0;
    m.AAlength = 0;
    m.GACLength = 0;
    m.GAALength = 0;
    for (bool anions : {false, true}) {
        for (const Site& s : sites) {
            if ((s.oxidation < 0) != anions) continue;
            const int q = std::abs(s.oxidation);
            const std::string sign = anions ? "-" : "";
            const double charge = q * s.occupancy;
            std::string ro = s.element;
            ro.resize(3, ' ');
            ro += sign + IntToStr(q) + " " + Occ(s.occupancy);
            StagingRow row{};
            row[1] = s.label;
            row[2] = Occ(s.occupancy) + "." + s.element;
            row[3] = sign + FF("0.000", charge);
            row[5] = s.x;
            row[6] = s.y;
            row[7] = s.z;
            row[8] = Occ(s.occupancy);
            row[9] = ro;
            row[11] = s.element;
            m.SG1.push_back(row);

            AtomArray& records = anions ? m.AA : m.AC;
            const int i = anions ? ++m.AAlength : ++m.AClength;
            records.Ensure(i);
            TAtoms& r = records[i];
            r.Atomlabel = s.label;
            r.symbol = row[2];
            r.effcharge = anions ? -charge : charge;
            r.RoString = ro;
            r.SymOp = "x,y,z";
            r.SymTrans = "0,0,0";
            r.X = xStrToFloat(s.x);
            r.Y = xStrToFloat(s.y);
            r.Z = xStrToFloat(s.z);
            r.occupancy = s.occupancy;
            r.AtomSymbol = s.element;
        }
    }
    m.SymOpArray.assign(1, "x,y,z");
    m.SymOpArray.insert(m.SymOpArray.end(), ops.begin(), ops.end());
}

struct Xyz {
    std::string x, y, z;
};

Xyz RowXyz(const Model& m, int row) {
    const StagingRow& r = m.SG1.at(static_cast<std::size_t>(row));
    return {r[5], r[6], r[7]};
}

void ExpectXyz(const Xyz& got, const Xyz& want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.z, want.z);
}

// --- Cell ------------------------------------------------------------------------

TEST(SymmetryCell, PrepareUnitCellReadsTextsAndRadians) {
    auto m = Model::Create();
    SetCell(*m, "5.4307", "6", "", "90", "120.5", "60");
    EXPECT_DOUBLE_EQ(m->va, 5.4307);
    EXPECT_DOUBLE_EQ(m->vb, 6.0);
    EXPECT_DOUBLE_EQ(m->vc, 0.0);
    EXPECT_DOUBLE_EQ(m->vbeta, 120.5);
    EXPECT_DOUBLE_EQ(m->ralpha, 3.141592653589793 / 2);
    EXPECT_DOUBLE_EQ(m->rgamma, 3.141592653589793 / 3);
}

struct CellCase {
    const char* name;
    const char *a, *b, *c, *alpha, *beta, *gamma;
    double fx, fy, fz; // a fractional vector
    double length;     // its length from the metric tensor, by hand
};

TEST(SymmetryCell, MatricesAreInverseAndGiveLengths) {
    const CellCase cases[] = {
        {"cubic", "4", "4", "4", "90", "90", "90", 0.5, 0.5, 0, 2.8284271247461903},
        // |a + c|^2 = 25 + 49 + 2*5*7*cos 120 = 39
        {"monoclinic", "5", "6", "7", "90", "120", "90", 1, 0, 1, 6.244997998398398},
        // |a+b+c|^2 = 110 + 2 (30 cos 110 + 35 cos 100 + 42 cos 80)
        {"triclinic", "5", "6", "7", "80", "100", "110", 1, 1, 1, 9.586963329845219},
    };
    auto m = Model::Create();
    for (const CellCase& t : cases) {
        SCOPED_TRACE(t.name);
        SetCell(*m, t.a, t.b, t.c, t.alpha, t.beta, t.gamma);
        ASSERT_TRUE(TransformationMatrix(*m));
        for (int i = 1; i <= 3; ++i) {
            for (int j = 1; j <= 3; ++j) {
                double sum = 0;
                for (int k = 1; k <= 3; ++k)
                    sum += m->TM[i][k] * m->TMT[k][j];
                EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-12) << i << "," << j;
            }
        }
        // a along x, b in the xy plane.
        EXPECT_DOUBLE_EQ(m->TM[1][1], m->va);
        EXPECT_EQ(m->TM[2][1], 0.0);
        EXPECT_EQ(m->TM[3][1], 0.0);
        EXPECT_EQ(m->TM[3][2], 0.0);
        double cx, cy, cz;
        ToCartesian(*m, t.fx, t.fy, t.fz, cx, cy, cz);
        EXPECT_NEAR(std::sqrt(cx * cx + cy * cy + cz * cz), t.length, 1e-12);
    }
}

TEST(SymmetryCell, ImpossibleCellIsRefusedWithZeroMatrices) {
    struct Case {
        const char* name;
        const char *a, *alpha, *beta, *gamma;
    } cases[] = {
        {"angles enclosing no volume", "5", "120", "120", "120"},
        {"angles that cannot meet", "5", "60", "60", "150"},
        {"zero edge", "0", "90", "90", "90"},
        {"edge below an angstrom", "0.999", "90", "90", "90"},
        {"missing edge", "", "90", "90", "90"},
        {"negative edge", "-5", "90", "90", "90"},
        {"zero angle", "5", "0", "90", "90"},
        {"straight angle", "5", "90", "180", "90"},
        {"edge that is no number", "abc", "90", "90", "90"},
    };
    auto m = Model::Create();
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        for (int i = 1; i <= 3; ++i)
            for (int j = 1; j <= 3; ++j)
                m->TM[i][j] = m->TMT[i][j] = 7;
        SetCell(*m, t.a, "6", "7", t.alpha, t.beta, t.gamma);
        EXPECT_FALSE(TransformationMatrix(*m));
        for (int i = 1; i <= 3; ++i)
            for (int j = 1; j <= 3; ++j) {
                EXPECT_EQ(m->TM[i][j], 0.0);
                EXPECT_EQ(m->TMT[i][j], 0.0);
            }
    }
}

TEST(SymmetryCell, OrthoConvertsTheLigandsInUse) {
    auto m = Model::Create();
    SetCell(*m, "5", "6", "7", "90", "120", "90");
    ASSERT_TRUE(TransformationMatrix(*m));
    m->AC.Ensure(1);
    m->AA.Ensure(1);
    m->AClength = 1;
    m->AAlength = 1;
    TAtoms& cat = m->AC[1];
    cat.Coor = 1;
    cat.BondCoorX[1] = 1;
    cat.BondCoorZ[1] = 1;
    cat.BondCoorX[2] = 1; // slot not in use
    TAtoms& an = m->AA[1];
    an.Coor = 1;
    an.BondCoorY[1] = 0.5;
    Ortho(*m);
    // a + c = (5 + 7 cos 120, 0, 7 sin 120)
    EXPECT_NEAR(cat.BondCoorCX[1], 1.5, 1e-12);
    EXPECT_NEAR(cat.BondCoorCY[1], 0.0, 1e-12);
    EXPECT_NEAR(cat.BondCoorCZ[1], 6.062177826491071, 1e-12);
    EXPECT_EQ(cat.BondCoorCX[2], 0.0);
    EXPECT_NEAR(an.BondCoorCY[1], 3.0, 1e-12);
}

// --- Coordinate comparison -------------------------------------------------------

TEST(SymmetryEqualCoords, ToleranceFollowsTheFirstText) {
    struct Case {
        const char* name;
        const char *a, *b;
        bool equal;
    } cases[] = {
        {"1 decimal, inside 0.1", "0.1", "0.19", true},
        {"1 decimal, outside", "0.1", "0.21", false},
        {"2 decimals, inside 0.01", "0.12", "0.125", true},
        {"2 decimals, outside", "0.12", "0.135", false},
        {"3 decimals, inside 0.001", "0.123", "0.1235", true},
        {"3 decimals, outside", "0.123", "0.1245", false},
        {"4 decimals, inside 0.0002", "0.1234", "0.1235", true},
        {"4 decimals, outside", "0.1234", "0.1237", false},
        {"5 decimals, inside 0.0002", "0.12345", "0.1236", true},
        {"5 decimals, outside", "0.12345", "0.1237", false},
        {"6 decimals, inside 0.000002", "0.123456", "0.123457", true},
        {"6 decimals, outside", "0.123456", "0.123459", false},
        {"7 decimals, inside 0.0000002", "0.1234567", "0.1234568", true},
        {"7 decimals, outside", "0.1234567", "0.1234571", false},
        {"coarse first text", "0.12", "0.1234", true},
        {"fine first text", "0.1234", "0.12", false},
        {"zeros padded to the first", "0.5", "0.50000", true},
        {"zeros padded to the second", "0.50000", "0.5", true},
        {"below zero", "-0.1000", "-0.1001", true},
        {"whole number padded", "1", "1.000", true},
        {"not a number", "abc", "0.5", false},
        {"empty", "", "0.5", false},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(EqualCoords(t.a, t.b), t.equal);
    }
}

// --- Expansion ---------------------------------------------------------------------

TEST(SymmetryExpansion, CentrosymmetricGroup) {
    auto m = Model::Create();
    Load(*m,
         {{"Na1", "Na", 1, 1, "0.0000", "0.0000", "0.0000"},
          {"O1", "O", -2, 1, "0.1000", "0.2000", "0.3000"}},
         {"-x,-y,-z"});
    RecordingSink msg;
    ASSERT_TRUE(GenerateAtoms(*m, msg));
    EXPECT_TRUE(msg.texts.empty());
    EXPECT_EQ(m->GACLength, 0); // the inversion centre maps onto itself
    EXPECT_EQ(m->GAALength, 1);
    ASSERT_EQ(m->SG1.size(), 4u);
    EXPECT_EQ(m->SG1[3][1], "*O1");
    ExpectXyz(RowXyz(*m, 3), {"0.9000", "0.8000", "0.7000"});
    EXPECT_EQ(m->SG1[3][10], "-x,-y,-z");
    CalcMultiplicities(*m);
    EXPECT_EQ(m->SG1[1][4], "1");
    EXPECT_EQ(m->SG1[2][4], "2");
    EXPECT_EQ(m->SG1[3][4], "2");
}

// One cation site and one operator: the image written, or none.
TEST(SymmetryExpansion, ImageTexts) {
    struct Case {
        const char* name;
        Xyz site;
        const char* op;
        bool image;
        Xyz want;
    } cases[] = {
        {"-0.25 becomes 0.75",
         {"0.2500", "0.1000", "0.2000"},
         "-x,y,z",
         true,
         {"0.7500", "0.1000", "0.2000"}},
        {"rounding to 1 becomes 0",
         {"0.0000", "0.1000", "0.2000"},
         "x+0.99996,y+1/2,z",
         true,
         {"0.0000", "0.6000", "0.2000"}},
        {"exactly 1 becomes 0",
         {"0.5000", "0.1000", "0.2000"},
         "x+1/2,y+1/2,z",
         true,
         {"0.0000", "0.6000", "0.2000"}},
        {"two input decimals", {"0.25", "0.10", "0.20"}, "-x,-y,z", true, {"0.75", "0.90", "0.20"}},
        {"three input decimals",
         {"0.125", "0.500", "0.500"},
         "x+1/3,y,z",
         true,
         {"0.458", "0.500", "0.500"}},
        {"seven input decimals",
         {"0.1234567", "0.5", "0.5"},
         "-x,y,z",
         true,
         {"0.8765433", "0.5000000", "0.5000000"}},
        {"within 0.0002 of the site", {"0.1000", "0.2000", "0.3000"}, "-x+0.2001,y,z", false, {}},
        {"0.0003 from the site, 0.003 A in this cell",
         {"0.1000", "0.2000", "0.3000"},
         "-x+0.2003,y,z",
         false,
         {}},
        {"0.0013 from the site, 0.013 A in this cell",
         {"0.1000", "0.2000", "0.3000"},
         "-x+0.2013,y,z",
         true,
         {"0.1013", "0.2000", "0.3000"}},
        {"0.0009 from the site across the cell face",
         {"0.1000", "0.2000", "0.0004"},
         "x,y,-z-0.0001",
         false,
         {}},
        {"translation below -3",
         {"0.2500", "0.1000", "0.2000"},
         "x-3.5,y,z",
         true,
         {"0.7500", "0.1000", "0.2000"}},
        {"upper-case operator",
         {"0.1000", "0.2000", "0.3000"},
         "-X,Z,Y+1/2",
         true,
         {"0.9000", "0.3000", "0.7000"}},
        {"operator mapping the site onto itself",
         {"0.5000", "0.5000", "0.2000"},
         "-x+1,-y,z",
         false,
         {}},
    };
    auto m = Model::Create(); // Load resets what the expansion reads
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        Load(*m, {{"Ca1", "Ca", 2, 1, t.site.x, t.site.y, t.site.z}}, {t.op});
        RecordingSink msg;
        ASSERT_TRUE(GenerateAtoms(*m, msg));
        EXPECT_TRUE(msg.texts.empty());
        EXPECT_EQ(m->GACLength, t.image ? 1 : 0);
        ASSERT_EQ(m->SG1.size(), t.image ? 3u : 2u);
        if (t.image) ExpectXyz(RowXyz(*m, 2), t.want);
    }
}

TEST(SymmetryExpansion, CationsMeetEveryRowAnionsOnlyAnions) {
    auto m = Model::Create();
    Load(*m,
         {{"Na1", "Na", 1, 1, "0.1000", "0.1000", "0.1000"},
          {"Cl1", "Cl", -1, 1, "0.9000", "0.9000", "0.9000"}},
         {"-x,-y,-z"});
    RecordingSink msg;
    ASSERT_TRUE(GenerateAtoms(*m, msg));
    EXPECT_EQ(m->GACLength, 0); // would sit on Cl1
    EXPECT_EQ(m->GAALength, 1); // sits on Na1, which an anion does not see
    ASSERT_EQ(m->SG1.size(), 4u);
    EXPECT_EQ(m->SG1[3][1], "*Cl1");
    ExpectXyz(RowXyz(*m, 3), {"0.1000", "0.1000", "0.1000"});
}

TEST(SymmetryExpansion, ImagesReachedTwiceAreStoredOnce) {
    auto m = Model::Create();
    // 4 operators of 2/m with the same 2-fold twice; x,y,z repeated as well.
    Load(*m, {{"Si1", "Si", 4, 1, "0.1000", "0.2000", "0.3000"}},
         {"-x,y,-z", "-x,-y,-z", "x,-y,z", "-x,y,-z", "x,y,z"});
    RecordingSink msg;
    ASSERT_TRUE(GenerateAtoms(*m, msg));
    EXPECT_EQ(m->GACLength, 3);
    CalcMultiplicities(*m);
    for (int row = 1; row <= 4; ++row)
        EXPECT_EQ(m->SG1[static_cast<std::size_t>(row)][4], "4");
}

TEST(SymmetryExpansion, LoadGeneratedRecordsFillsImageFields) {
    auto m = Model::Create();
    Load(*m,
         {{"O1", "O", -2, 1, "0.4000", "0.1000", "0.2000"},
          {"Fe1", "Fe", 3, 0.5, "0.1000", "0.2000", "0.3000"}},
         {"-x, -y, -z"});
    // A leftover of an earlier structure in the first image record.
    m->AC.Ensure(2);
    m->AC[2].Coor = 5;
    m->AC[2].SymTrans = "(1,0,0)";
    RecordingSink msg;
    ASSERT_TRUE(GenerateAtoms(*m, msg));
    CalcMultiplicities(*m);
    ASSERT_EQ(m->SG1.size(), 5u);
    const StagingRow& fe = m->SG1[3];
    EXPECT_EQ(fe[1], "*Fe1");
    EXPECT_EQ(fe[2], "0.500.Fe");
    EXPECT_EQ(fe[3], "1.500");
    EXPECT_EQ(fe[4], "2");
    EXPECT_EQ(fe[8], "0.500");
    EXPECT_EQ(fe[9], "Fe 3 0.500");
    EXPECT_EQ(fe[10], "-x,-y,-z");
    EXPECT_EQ(fe[11], "Fe");
    EXPECT_EQ(m->SG1[4][3], "-2.000");

    LoadGeneratedRecords(*m);
    const TAtoms& c = m->AC[2];
    EXPECT_EQ(c.Atomlabel, "*Fe1");
    EXPECT_TRUE(c.Generated);
    EXPECT_EQ(c.symbol, "0.500.Fe");
    EXPECT_EQ(c.AtomSymbol, "Fe");
    EXPECT_EQ(c.Multiplicity, 2);
    EXPECT_DOUBLE_EQ(c.effcharge, 1.5);
    EXPECT_EQ(c.SymOp, "-x,-y,-z");
    EXPECT_EQ(c.RoString, "Fe 3 0.500");
    EXPECT_DOUBLE_EQ(c.X, 0.9);
    EXPECT_DOUBLE_EQ(c.Y, 0.8);
    EXPECT_DOUBLE_EQ(c.Z, 0.7);
    EXPECT_DOUBLE_EQ(c.occupancy, 0.5);
    EXPECT_NEAR(c.CX, 9.0, 1e-12);
    EXPECT_NEAR(c.CY, 8.0, 1e-12);
    EXPECT_NEAR(c.CZ, 7.0, 1e-12);
    EXPECT_EQ(c.Coor, 0);
    EXPECT_EQ(c.SymTrans, "");

    const TAtoms& a = m->AA[2];
    EXPECT_EQ(a.Atomlabel, "*O1");
    EXPECT_TRUE(a.Generated);
    EXPECT_DOUBLE_EQ(a.effcharge, -2.0);
    EXPECT_EQ(a.Multiplicity, 2);
    EXPECT_EQ(a.RoString, "O  -2 1.000");
    EXPECT_NEAR(a.CX, 6.0, 1e-12);
    EXPECT_NEAR(a.CY, 9.0, 1e-12);
    EXPECT_NEAR(a.CZ, 8.0, 1e-12);
    // The site records are left alone.
    EXPECT_EQ(m->AC[1].Atomlabel, "Fe1");
    EXPECT_FALSE(m->AC[1].Generated);
}

TEST(SymmetryExpansion, TinyAnionChargeKeepsItsSign) {
    auto m = Model::Create();
    Load(*m, {{"O1", "O", -2, 1, "0.1000", "0.2000", "0.3000"}}, {"-x,-y,-z"});
    m->AA[1].effcharge = -0.0002; // as from an occupancy of 0.0001
    RecordingSink msg;
    ASSERT_TRUE(GenerateAtoms(*m, msg));
    ASSERT_EQ(m->GAALength, 1);
    EXPECT_EQ(m->SG1[2][3], "-0.000");
    LoadGeneratedRecords(*m);
    EXPECT_EQ(m->AA[2].Atomlabel, "*O1");
}

TEST(SymmetryExpansion, InvalidOperatorRefusesTheFile) {
    const char* cases[] = {
        "x,y",         // two components
        "x,y,z,x",     // four components
        "x,,y",        // an empty component
        "x,y,z)",      // unbalanced parenthesis
        "x+t,y,z",     // a name that is not a coordinate
        "x^y,y,z",     // an exponent that is not a number
        "x/0,y,z",     // no finite value
        "ln(x-1),y,z", // no finite value for coordinates in the cell
        "0,0,0",       // every point onto one: no rotation
        "x*y,y,z",     // not affine
        "x*x,y,z",     // not affine
        "x/2,y,z",     // a coefficient that is not an integer
        "2*x,y,z",     // determinant 2
        "x,x,z",       // determinant 0
        "x+y,x+y,z",   // determinant 0
        "x,y,z+1e308", // the translation swallows z
        "x,y,z+1001",  // a translation beyond any crystal's operator
        "abs(x),y,z",  // a function, even where it looks affine
        "h(x)+x,y,z",  // a function
        "sgn(x)*x,y,z" // a function
    };
    auto m = Model::Create();
    for (const char* op : cases) {
        SCOPED_TRACE(op);
        Load(*m,
             {{"Na1", "Na", 1, 1, "0.1000", "0.2000", "0.3000"},
              {"Cl1", "Cl", -1, 1, "0.6000", "0.2000", "0.3000"}},
             {"-x,-y,-z", op});
        RecordingSink msg;
        EXPECT_FALSE(GenerateAtoms(*m, msg));
        ASSERT_EQ(msg.texts.size(), 1u);
        EXPECT_EQ(msg.texts[0], std::string("Invalid symmetry operator: ") + op);
        EXPECT_EQ(m->SG1.size(), 3u);
        EXPECT_EQ(m->GACLength, 0);
        EXPECT_EQ(m->GAALength, 0);
    }
}

TEST(SymmetryExpansion, AffineOperatorsOfACrystal) {
    // Written in every way files write them: each is the map of a crystal's
    // operator and is accepted (the cubic cell of Load may not fit a
    // hexagonal one: a warning at most).
    const char* cases[] = {
        "-x,-y,-z",           "x-y,x,-z",      "-x+y,-x,z+1/3", "1/2+x,1/2-y,-z",
        "y+1/4,x+3/4,-z+3/4", "-X,Z,Y+1/2",    "x+2,y-3,z",     "(x-y),-(y),z+0.5",
        "x+0.3333,y,z",       "-x+y-y,-y,z*1", "x,y,z+1000",
    };
    auto m = Model::Create();
    for (const char* op : cases) {
        SCOPED_TRACE(op);
        Load(*m, {{"Na1", "Na", 1, 1, "0.1000", "0.2000", "0.3000"}}, {op});
        RecordingSink msg;
        EXPECT_TRUE(GenerateAtoms(*m, msg));
        for (const std::string& text : msg.texts)
            EXPECT_EQ(text.find("Invalid symmetry operator"), std::string::npos) << text;
    }
}

// A cell as the six texts of the file.
struct CellTexts {
    const char *a, *b, *c, *alpha, *beta, *gamma;
};

void SetCell(Model& m, const CellTexts& cell) {
    SetCell(m, cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma);
    ASSERT_TRUE(TransformationMatrix(m));
}

TEST(SymmetryExpansion, CellThatDoesNotFitTheOperatorsIsWarnedAbout) {
    const std::string tail = " the structure is read as it stands.";
    struct Case {
        const char* name;
        CellTexts cell;
        std::vector<std::string> ops;
        std::vector<std::string> messages;
    } cases[] = {
        {"hexagonal cell with b 0.16 % off",
         {"5.0884", "5.0965", "14.0855", "90", "90", "120"},
         {"-y,x-y,z", "-x,-y,-z"},
         {"The cell parameters a, b and gamma do not fit the symmetry operator -y,x-y,z;" + tail}},
        {"hexagonal cell, b 0.05 % off: within the tolerance",
         {"5.0884", "5.0909", "14.0855", "90", "90", "120"},
         {"-y,x-y,z"},
         {}},
        {"tetragonal operator in an orthorhombic cell",
         {"5", "5.1", "6", "90", "90", "90"},
         {"-x,-y,z", "-y,x,z", "y,-x,z"},
         {"The cell parameters a and b do not fit the symmetry operator -y,x,z;" + tail}},
        {"cubic operator with c off",
         {"5", "5", "5.1", "90", "90", "90"},
         {"z,x,y"},
         {"The cell parameters b and c do not fit the symmetry operator z,x,y;" + tail}},
        {"monoclinic operators, oblique beta",
         {"5", "6", "7", "90", "100", "90"},
         {"-x,y,-z", "x,-y,z"},
         {}},
        {"twofold axis along b with alpha oblique",
         {"5", "6", "7", "95", "90", "90"},
         {"-x,y,-z"},
         {"The cell parameter alpha does not fit the symmetry operator -x,y,-z;" + tail}},
        {"cubic cell, cubic operators",
         {"5", "5", "5", "90", "90", "90"},
         {"z,x,y", "-y,x,z", "-x,-y,-z"},
         {}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        auto m = Model::Create();
        Load(*m, {{"Na1", "Na", 1, 1, "0.1000", "0.2000", "0.3000"}}, t.ops);
        SetCell(*m, t.cell);
        RecordingSink msg;
        EXPECT_TRUE(GenerateAtoms(*m, msg)); // read on
        EXPECT_EQ(msg.texts, t.messages);
        EXPECT_EQ(m->GACLength, static_cast<int>(t.ops.size())); // a general position
    }
}

TEST(SymmetryExpansion, ImagesWithinOneHundredthOfAnAngstromAreOnePosition) {
    const CellTexts cubic{"10", "10", "10", "90", "90", "90"};
    const CellTexts oblique{"10", "10", "10", "90", "90", "150"};
    struct Case {
        const char* name;
        CellTexts cell;
        Xyz site;
        std::string op;
        bool image;
    } cases[] = {
        // 0.333/0.667 on a threefold axis: the image 0.666 is 0.001 off.
        {"three decimals on a threefold axis",
         {"3.142", "3.142", "4.766", "90", "90", "120"},
         {"0.333", "0.667", "0.222"},
         "-y,x-y,z",
         false},
        // 0.00001 and its image 0.99999: one position through the face.
        {"on either side of a cell face",
         {"11.85", "11.85", "11.85", "90", "90", "90"},
         {"0.37500", "0.00000", "0.00001"},
         "x,y,-z",
         false},
        {"0.0009 apart in a 10 A cell",
         cubic,
         {"0.1000", "0.2000", "0.3000"},
         "-x+0.2009,y,z",
         false},
        {"0.0011 apart in a 10 A cell",
         cubic,
         {"0.1000", "0.2000", "0.3000"},
         "-x+0.2011,y,z",
         true},
        // In an oblique cell: 0.0004 (a + b) apart, a+b being 5.2 A long.
        {"oblique cell: one position a cell apart",
         oblique,
         {"0.0000", "0.5000", "0.5000"},
         "x+0.9996,y+0.9996,z",
         false},
        {"oblique cell: far in fractions, far in space",
         oblique,
         {"0.0000", "0.5000", "0.5000"},
         "x+0.5,y+0.5,z",
         true},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        auto m = Model::Create();
        Load(*m, {{"Ca1", "Ca", 2, 1, t.site.x, t.site.y, t.site.z}}, {t.op});
        SetCell(*m, t.cell);
        RecordingSink msg;
        ASSERT_TRUE(GenerateAtoms(*m, msg));
        EXPECT_EQ(m->GACLength, t.image ? 1 : 0);
    }
}

TEST(SymmetryExpansion, CapacityOfThousandRecordsPerSide) {
    struct Case {
        const char* name;
        int oxidation;
        int images; // distinct images the operators give
        bool fits;
    } cases[] = {
        {"999 cation images fit", 2, 999, true},
        {"1000 cation images do not", 2, 1000, false},
        {"999 anion images fit", -2, 999, true},
        {"1000 anion images do not", -2, 1000, false},
    };
    auto m = Model::Create();
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        // Translations by multiples of 1/40 in x and y: distinct positions.
        std::vector<std::string> ops;
        for (int n = 1; n <= t.images; ++n)
            ops.push_back("x+" + IntToStr(n % 40) + "/40,y+" + IntToStr(n / 40) + "/40,z");
        Load(*m, {{"A1", "Mg", t.oxidation, 1, "0.1000", "0.1000", "0.1000"}}, ops);
        RecordingSink msg;
        EXPECT_EQ(GenerateAtoms(*m, msg), t.fits);
        const int generated = m->GACLength + m->GAALength;
        if (t.fits) {
            EXPECT_TRUE(msg.texts.empty());
            EXPECT_EQ(generated, t.images);
            EXPECT_EQ(m->SG1.size(), 1000u + 1);
        } else {
            ASSERT_EQ(msg.texts.size(), 1u);
            EXPECT_EQ(msg.texts[0], "Too many atoms in the unit cell: at most 1000 cations and "
                                    "1000 anions are allowed.");
            EXPECT_EQ(generated, 0);
            EXPECT_EQ(m->SG1.size(), 2u);
        }
    }
}

TEST(SymmetryExpansion, MultiplicitiesCountImagesOfTheSameLabel) {
    auto m = Model::Create();
    m->AClength = 2;
    m->SG1.assign(1, StagingRow{});
    for (const char* label : {"O1", "O12", "*O1", "*O12", "*O1", "*O1"}) {
        StagingRow row{};
        row[1] = label;
        m->SG1.push_back(row);
    }
    CalcMultiplicities(*m);
    const char* want[] = {"4", "2", "4", "2", "4", "4"};
    for (int row = 1; row <= 6; ++row)
        EXPECT_EQ(m->SG1[static_cast<std::size_t>(row)][4], want[row - 1]) << row;
}

} // namespace
} // namespace kevo

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "model/model.h"

namespace kevo {
namespace {

void FillBonds(TAtoms& r, int coor) {
    r.Coor = coor;
    for (int k = 1; k <= MaxBonds; ++k) {
        r.BW[k] = 0.5;
        r.BondingAtoms[k] = "O1";
        r.BondIndex[k][1] = 3;
        r.BondIndex[k][2] = 4;
        r.BondSymTrans[k] = "(0,0,0)";
        r.Dist[k] = 2.1;
        r.BondBVS[k] = "O  -2 1.000";
        r.deltaBVS[k] = 0.3;
    }
    r.AvDist = 2.1;
    r.WAverageDist = 2.05;
    r.Kevo = 5.9;
}

TEST(Model, StartsWithTheStartUpSettings) {
    auto m = Model::Create();
    EXPECT_EQ(m->AClength + m->AAlength + m->GACLength + m->GAALength, 0);
    EXPECT_EQ(m->EndItOption, 1);
    EXPECT_DOUBLE_EQ(m->Threshold, 0.005);
    EXPECT_DOUBLE_EQ(m->MAPDImprovement, 1.0);
    EXPECT_DOUBLE_EQ(m->MinDih, 170.0);
    EXPECT_DOUBLE_EQ(m->MaxSDist, 0.8);
    EXPECT_TRUE(m->AutoZone && m->OB67 && m->CalcBonDAngles && m->CalcDihAngles &&
                m->CalcIntLigands && m->CalcDistCentAtom && m->Calc32Averages);
    EXPECT_FALSE(m->NonIt || m->VontarIT || m->OneStepIT || m->ExZeroW || m->NearestLimit ||
                 m->IsHydrogen || m->BondSpLimits || m->CalcOppBonds);
    EXPECT_TRUE(m->ShowCations);
    // No record exists before a structure needs it; records made are blank.
    EXPECT_EQ(m->AC.size() + m->AA.size() + m->MCCats.size() + m->MCAns.size(), 0);
    m->AC.Ensure(MaxAtoms);
    m->AA.Ensure(1);
    EXPECT_EQ(m->AC[MaxAtoms].Atomlabel, "");
    EXPECT_EQ(m->AA[1].BondIndex[MaxBonds][2], 0);
    EXPECT_EQ(m->AA[1].Faces[MaxFaces], "");
}

TEST(Model, RecordsExistUpToTheHighestNumberEnsured) {
    auto m = Model::Create();
    m->AC.Ensure(3);
    EXPECT_EQ(m->AC.size(), 3);
    m->AC[2].Atomlabel = "Mg2";
    TAtoms* second = &m->AC[2];
    m->AC.Ensure(2); // fewer: nothing changes
    EXPECT_EQ(m->AC.size(), 3);
    m->AC.Ensure(MaxAtoms);
    EXPECT_EQ(m->AC.size(), MaxAtoms);
    EXPECT_EQ(&m->AC[2], second); // records stay where they are
    EXPECT_EQ(m->AC[2].Atomlabel, "Mg2");
    EXPECT_EQ(m->AC.at(MaxAtoms).Coor, 0);
    EXPECT_THROW(m->AC.Ensure(MaxAtoms + 1), std::length_error);
    EXPECT_EQ(m->AC.size(), MaxAtoms);
    EXPECT_THROW(m->AA.at(1), std::out_of_range); // not made
    EXPECT_THROW(m->AC.at(0), std::out_of_range);
    EXPECT_THROW(m->AC.at(MaxAtoms + 1), std::out_of_range);
}

// The resets touch the records that exist, whatever the counts say.
TEST(Model, ResetsStopAtTheRecordsThatExist) {
    auto m = Model::Create();
    m->AC.Ensure(2);
    FillBonds(m->AC[2], 6);
    m->AClength = m->TotACLength = 5;
    m->AAlength = m->TotAALength = 5;
    InitializeRecords(*m);
    EXPECT_EQ(m->AC[2].Coor, 0);
    AtomRecordClear(*m);
    EXPECT_EQ(m->AC[2].BondingAtoms[1], "");
    EXPECT_EQ(m->AC.size(), 2);
    EXPECT_EQ(m->AA.size(), 0);
}

TEST(Model, InitializeRecordsClearsBondDataOfTheSlotsInUseOnly) {
    auto m = Model::Create();
    m->AC.Ensure(3);
    m->TotACLength = 2;
    m->AC[1].Atomlabel = "Na1";
    m->AC[1].X = 0.5;
    m->AC[1].effcharge = 1;
    FillBonds(m->AC[1], 6);
    FillBonds(m->AC[3], 6); // beyond the count: untouched
    InitializeRecords(*m);

    const TAtoms& r = m->AC[1];
    EXPECT_EQ(r.Coor, 0);
    EXPECT_EQ(r.AvDist, 0);
    EXPECT_EQ(r.WAverageDist, 0);
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(r.BW[k], 0);
        EXPECT_EQ(r.BondingAtoms[k], "");
        EXPECT_EQ(r.BondIndex[k][1] + r.BondIndex[k][2], 0);
        EXPECT_EQ(r.BondSymTrans[k], "");
    }
    EXPECT_EQ(r.BW[7], 0.5);   // slot beyond Coor keeps its value
    EXPECT_EQ(r.Dist[1], 2.1); // not a field this reset clears
    EXPECT_EQ(r.Kevo, 5.9);
    EXPECT_EQ(r.Atomlabel, "Na1"); // identity, position and charge stay
    EXPECT_EQ(r.X, 0.5);
    EXPECT_EQ(r.effcharge, 1);
    EXPECT_EQ(m->AC[3].Coor, 6);
}

TEST(Model, AtomRecordClearEmptiesTheAsymmetricRecords) {
    auto m = Model::Create();
    m->AC.Ensure(1);
    m->AA.Ensure(2);
    m->AClength = 1;
    m->AAlength = 1;
    for (TAtoms* r : {&m->AC[1], &m->AA[1], &m->AA[2]}) {
        r->Atomlabel = "X";
        r->symbol = "1.000.O";
        r->Multiplicity = 4;
        r->Generated = true;
        r->QA = 1.5;
        FillBonds(*r, 4);
    }
    AtomRecordClear(*m);
    for (TAtoms* r : {&m->AC[1], &m->AA[1]}) {
        EXPECT_EQ(r->Atomlabel, "");
        EXPECT_EQ(r->symbol, "");
        EXPECT_EQ(r->Multiplicity, 0);
        EXPECT_FALSE(r->Generated);
        EXPECT_EQ(r->QA, 0);
        EXPECT_EQ(r->Coor, 0);
        EXPECT_EQ(r->BW[MaxBonds], 0); // all 50 slots
        EXPECT_EQ(r->BondBVS[MaxBonds], "");
        EXPECT_EQ(r->deltaBVS[MaxBonds], 0);
        EXPECT_EQ(r->Dist[1], 0);
        EXPECT_EQ(r->WAverageDist, 2.05); // not a field this reset clears
    }
    EXPECT_EQ(m->AA[2].Atomlabel, "X"); // beyond the count
}

TEST(Model, ResetRecordIsBlank) {
    auto m = Model::Create();
    m->AC.Ensure(5);
    FillBonds(m->AC[5], 50);
    m->AC[5].Faces[100] = "1 2 3";
    m->AC[5].Reset();
    EXPECT_EQ(m->AC[5].Coor, 0);
    EXPECT_EQ(m->AC[5].Faces[100], "");
    EXPECT_EQ(m->AC[5].BW[50], 0);
}

TEST(Model, DecimalsAndParaSymbols) {
    auto m = Model::Create();
    EXPECT_EQ(Decimals(*m), 0);
    m->AC.Ensure(1);
    m->AA.Ensure(3);
    m->AClength = 1;
    m->AAlength = 1;
    m->GAALength = 1;
    m->AC[1].X = 0.25;
    m->AA[1].Z = 0.12345;
    m->AC[1].AtomSymbol = "Fe-Mg";
    m->AA[2].AtomSymbol = "O";
    m->AA[3].AtomSymbol = "F"; // beyond the counts
    EXPECT_EQ(Decimals(*m), 5);
    ParaSymbols(*m);
    EXPECT_EQ(m->AC[1].AtomSymbol, "(Fe-Mg)");
    EXPECT_EQ(m->AA[2].AtomSymbol, "(O)");
    EXPECT_EQ(m->AA[3].AtomSymbol, "F");
}

TEST(Array1, AtChecksItsBounds) {
    Array1<int, 3> a;
    a[1] = 7;
    EXPECT_EQ(a.at(1), 7);
    EXPECT_THROW(a.at(0), std::out_of_range);
    EXPECT_THROW(a.at(4), std::out_of_range);
    Array0<int, 2> b;
    EXPECT_NO_THROW(b.at(0));
    EXPECT_THROW(b.at(3), std::out_of_range);
}

// A lazy array reads as blank until it is used, then as an ordinary array;
// copies carry the elements, or the absence of storage.
TEST(LazyArray1, ReadsBlankUntilUsedAndCopiesItsElements) {
    LazyArray1<std::string, 3> a;
    const auto& ca = a;
    EXPECT_EQ(ca[3], "");
    EXPECT_EQ(ca.at(1), "");
    EXPECT_THROW(ca.at(0), std::out_of_range);
    EXPECT_THROW(ca.at(4), std::out_of_range);
    EXPECT_FALSE(a.HasStorage()); // reading made nothing
    a[2] = "O1";
    EXPECT_TRUE(a.HasStorage());
    EXPECT_EQ(ca[2], "O1");
    EXPECT_EQ(ca[1], "");
    EXPECT_THROW(a.at(4), std::out_of_range);

    LazyArray1<std::string, 3> copy = a;
    EXPECT_EQ(copy[2], "O1");
    copy[2] = "O2";
    EXPECT_EQ(ca[2], "O1"); // a copy, not a view
    const LazyArray1<std::string, 3> blank;
    copy = blank;
    EXPECT_FALSE(copy.HasStorage());
    EXPECT_EQ(std::as_const(copy)[2], "");
    copy = a;
    EXPECT_EQ(copy[2], "O1");
    LazyArray1<double, 2> d;
    d.SetBlank(1); // nothing to clear: no storage made
    EXPECT_FALSE(d.HasStorage());
    EXPECT_THROW(d.SetBlank(3), std::out_of_range);
    d.fill(1.5);
    EXPECT_EQ(d[1] + d[2], 3.0);
    d.SetBlank(2);
    EXPECT_EQ(d[1] + d[2], 1.5);
}

// A record's geometry and second-sphere slots cost nothing until written, and
// a reset gives them back.
TEST(Model, GeometrySlotsAreMadeWhenUsed) {
    auto m = Model::Create();
    m->AC.Ensure(1);
    TAtoms& r = m->AC[1];
    EXPECT_FALSE(r.Faces.HasStorage() || r.SecSphereAtoms.HasStorage() ||
                 r.SBondCoorX.HasStorage() || r.IPSum.HasStorage());
    r.Faces[100] = "1 2 3";
    r.SecSphereDist[1] = 3.2;
    EXPECT_TRUE(r.Faces.HasStorage());
    r.Reset();
    EXPECT_FALSE(r.Faces.HasStorage() || r.SecSphereDist.HasStorage());
    EXPECT_EQ(std::as_const(r).Faces[100], "");
}

} // namespace
} // namespace kevo

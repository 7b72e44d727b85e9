// Models for the report tests: the tiny fixture structures read from
// tests/data/reports, either calculated or with hand-set results.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/model.h"

namespace kevo::testing {

// One row of the bond-type limit table.
inline void SetBondRow(Model& m, int row, const std::string& cation, const std::string& anion,
                       const std::string& limit) {
    m.MaxBondLengths[row][1] = cation;
    m.MaxBondLengths[row][2] = anion;
    m.MaxBondLengths[row][3] = limit;
}

inline std::unique_ptr<Model> ReadFixture(const std::string& name) {
    auto m = Model::Create();
    RecordingSink msg;
    const std::string path = std::string(KEVO_TEST_DATA_DIR) + "/reports/" + name;
    EXPECT_TRUE(ReadCifFile(path, *m, msg)) << "cannot read fixture " << path;
    EXPECT_TRUE(msg.texts.empty());
    return m;
}

// Rock salt calculated for one side after the other, as the centring button
// does it (the BVS MAPD values come from the cation-centred run).
inline std::unique_ptr<Model> CalculatedRockSalt(bool cations) {
    auto m = ReadFixture("rocksalt.cif");
    RecordingSink msg;
    const CalculationInput input{KEVO_SOURCE_DIR "/data/bvsparm.cif"};
    m->ShowCations = true;
    EXPECT_TRUE(Calculate(*m, msg, input));
    if (!cations) {
        m->ShowCations = false;
        EXPECT_TRUE(Calculate(*m, msg, input));
    }
    EXPECT_TRUE(msg.texts.empty());
    m->timeelapsed1 = 0.125;
    m->timeelapsed2 = 0.0625;
    return m;
}

// The hetero structure (sites Fe1-Mg1, La1, O1, O2, F1) with results set by
// hand: a central atom with QX = 0 (La1), an anion with QA = 0 (O2), a cation
// with QA = 0 (La1), an atom without bond-valence parameters (La1, so NoBVS).
inline std::unique_ptr<Model> HandSetHetero() {
    auto m = ReadFixture("hetero.cif");
    EXPECT_EQ(m->AClength, 2);
    EXPECT_EQ(m->AAlength, 3);
    m->StructureFormula = "Fe0.500 Mg0.500 La1.000 O2.000 F1.000 ";
    m->ChargeFormula = "Fe0.488 Mg0.488 La1.000 O2.000 F1.000 ";
    m->BVSFormula = "never printed while NoBVS is set";
    m->StrPosCharge = 5;
    m->StrNegCharge = -5;
    m->EV = -1.25;
    m->NoBVS = true;
    m->iterations = 3;
    m->DevQXCC = 1.2345;
    m->DevQACC = 17.5;
    m->DevQXAC = 2.5;
    m->DevQAAC = 0.004;
    m->devBVSC = 9.87;
    m->devBVSA = 12.345;
    m->GII = 0.1234;
    m->timeelapsed1 = 1.5;
    m->timeelapsed2 = 0.25;

    TAtoms& fe = m->AC[1]; // Fe1-Mg1
    fe.Coor = 6;
    fe.Kevo = 5.98765;
    fe.EDEV = 0.00206;
    fe.QX = -1.9512;
    fe.QA = -2.1;
    fe.MAPDLig = 2.5;
    fe.HasBVS = true;
    fe.BVS = 2.7326;
    TAtoms& la = m->AC[2]; // La1
    la.Coor = 12;
    la.Kevo = 11.5;
    la.EDEV = 0.041667;
    la.QX = 0;
    la.QA = 0;
    la.MAPDLig = 0;
    la.HasBVS = false;
    la.BVS = 0;

    struct AnionValues {
        double Kevo, EDEV, QX, QA, MAPDLig, BVS;
    };
    const AnionValues values[] = {{6, 0, 2.05, 1.9, 1.25, 1.8239},
                                  {5.5, 0.083333, 1.95, 0, 0, 1.8239},
                                  {6, 0, 1.0, 1.0, 0, 1.251}};
    for (int i = 1; i <= 3; ++i) {
        TAtoms& an = m->AA[i];
        const AnionValues& v = values[i - 1];
        an.Coor = 6;
        an.Kevo = v.Kevo;
        an.EDEV = v.EDEV;
        an.QX = v.QX;
        an.QA = v.QA;
        an.MAPDLig = v.MAPDLig;
        an.HasBVS = true;
        an.BVS = v.BVS;
    }
    return m;
}

} // namespace kevo::testing

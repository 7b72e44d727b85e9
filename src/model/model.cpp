#include "model/model.h"

#include <algorithm>

#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

void TAtoms::Reset() {
    // Copy-assigning from a blank record keeps the strings' storage and
    // frees that of the lazy arrays, so a reset allocates nothing.
    static const TAtoms blank{};
    *this = blank;
}

std::unique_ptr<Model> Model::Create() {
    return std::unique_ptr<Model>(new Model());
}

namespace {

int SlotsInUse(const TAtoms& r) {
    return std::clamp(r.Coor, 0, MaxBonds);
}

void ClearBondData(TAtoms& r) {
    for (int k = 1; k <= SlotsInUse(r); ++k) {
        r.BW[k] = 0;
        r.BondingAtoms[k].clear();
        r.BondCharge[k] = 0;
        r.BondMult[k] = 0;
        r.BondIndex[k][1] = 0;
        r.BondIndex[k][2] = 0;
        r.BondCoorX[k] = 0;
        r.BondCoorY[k] = 0;
        r.BondCoorZ[k] = 0;
        r.BondSymOp[k].clear();
        r.BondSymTrans[k].clear();
        r.deltaqicat.SetBlank(k);
    }
    r.Coor = 0;
    r.AvDist = 0;
    r.WAverageDist = 0;
}

void ClearSite(TAtoms& r) {
    r.Atomlabel.clear();
    r.symbol.clear();
    r.AtomSymbol.clear();
    r.SymOp.clear();
    r.SymTrans.clear();
    r.occupancy = 0;
    r.effcharge = 0;
    r.Coor = 0;
    r.Multiplicity = 0;
    r.X = r.Y = r.Z = 0;
    r.AvDist = 0;
    r.Kevo = 0;
    r.QA = 0;
    r.QC = 0;
    r.BVS = 0;
    r.PolDistortion = 0;
    r.Generated = false;
    for (int k = 1; k <= MaxBonds; ++k) {
        r.BondingAtoms[k].clear();
        r.BondSymOp[k].clear();
        r.BondSymTrans[k].clear();
        r.BondBVS[k].clear();
        r.BondCharge[k] = 0;
        r.BondIndex[k][1] = 0;
        r.BondIndex[k][2] = 0;
        r.BondMult[k] = 0;
        r.Dist[k] = 0;
        r.deltaqicat.SetBlank(k);
        r.deltaBVS.SetBlank(k);
        r.BW[k] = 0;
        r.BondCoorX[k] = 0;
        r.BondCoorY[k] = 0;
        r.BondCoorZ[k] = 0;
        r.effB.SetBlank(k);
        r.effRo.SetBlank(k);
    }
}

} // namespace

void InitializeRecords(Model& m) {
    for (int i = 1; i <= std::min(m.TotACLength, m.AC.size()); ++i)
        ClearBondData(m.AC[i]);
    for (int i = 1; i <= std::min(m.TotAALength, m.AA.size()); ++i)
        ClearBondData(m.AA[i]);
}

void AtomRecordClear(Model& m) {
    for (int i = 1; i <= std::min(m.AClength, m.AC.size()); ++i)
        ClearSite(m.AC[i]);
    for (int i = 1; i <= std::min(m.AAlength, m.AA.size()); ++i)
        ClearSite(m.AA[i]);
}

void ClearResults(Model& m) {
    m.StructureFormula.clear();
    m.ChargeFormula.clear();
    m.BVSFormula.clear();
    m.ErrOB.clear();
    m.FoundRo = false;
    m.HA = m.HC = m.HH = false;
    m.CDPosCharge = m.CDNegCharge = m.DiffMax = 0;
    m.DevQXCC = m.DevQACC = m.DevQXAC = m.DevQAAC = 0;
    m.devBVSC = m.devBVSA = 0;
    m.GII = m.GIICat = m.GIIAn = 0;
    m.DevBaurC = m.DevBrownC = m.DevBaurA = m.DevBrownA = 0;
    m.EV = m.CDEV = 0;
    m.iterations = 0;
    m.maxlenbondAC = m.maxlensymAC = m.maxlenlabelAC = 0;
    m.maxlenbondAA = m.maxlenlabelAA = m.maxlensymAA = 0;
}

int Decimals(const Model& m) {
    int most = 0;
    auto scan = [&most](const TAtoms& r) {
        for (double v : {r.X, r.Y, r.Z})
            most = std::max(most, CoordDecimals(xFloatToStr(v)));
    };
    for (int i = 1; i <= std::min(m.AClength, MaxAtoms); ++i)
        scan(m.AC[i]);
    for (int i = 1; i <= std::min(m.AAlength, MaxAtoms); ++i)
        scan(m.AA[i]);
    return most;
}

void ParaSymbols(Model& m) {
    for (int i = 1; i <= std::min(m.AClength + m.GACLength, MaxAtoms); ++i)
        m.AC[i].AtomSymbol = "(" + m.AC[i].AtomSymbol + ")";
    for (int i = 1; i <= std::min(m.AAlength + m.GAALength, MaxAtoms); ++i)
        m.AA[i].AtomSymbol = "(" + m.AA[i].AtomSymbol + ")";
}

} // namespace kevo

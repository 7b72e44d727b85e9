#include "reports/sections.h"

namespace kevo {

std::vector<std::string_view> SectionHeadings(const Model& m, int code) {
    using namespace heading;
    switch (code) {
    case 1:
        return {Polyhedra,           CationChargesDq,    AnionChargesDQ,
                BondValencesCations, BondValencesAnions, Synopsis};
    case 3:
        return {Polyhedra,          AnionChargesDq,      CationChargesDQ,
                BondValencesAnions, BondValencesCations, Synopsis};
    case 5:
    case 7: {
        const bool cations = code == 5;
        std::vector<std::string_view> items{Coordinations};
        if (m.CalcBonDAngles) items.push_back(BondAngles);
        if (cations && m.CalcOppBonds) items.push_back(OpposingBonds);
        if (cations && m.Calc32Averages) items.push_back(Averages123_45);
        if (m.CalcDihAngles) items.push_back(DihedralAngles);
        if (m.CalcIntLigands) items.push_back(InterligandDistances);
        if (cations && m.CalcDistCentAtom) items.push_back(NearestCentralAtoms);
        items.push_back(Synopsis);
        return items;
    }
    default:
        return {};
    }
}

} // namespace kevo

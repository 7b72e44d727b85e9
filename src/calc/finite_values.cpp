#include "calc/finite_values.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace kevo {

namespace {

bool AllFinite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// A ratio the reports print: finite, or not printed because the divisor is 0.
bool RatioFinite(double numerator, double divisor) {
    return divisor == 0 || std::isfinite(numerator / divisor);
}

bool AtomFinite(const TAtoms& a, const AtomArray& other, int otherTotal) {
    if (!AllFinite({a.effcharge, a.occupancy, a.Kevo, a.EDEV, a.QX, a.QA, a.BVS, a.MAPDLig,
                    a.AvDist, a.PolDistortion, a.deltaR}))
        return false;
    if (!RatioFinite(a.effcharge, a.QX) || !RatioFinite(a.effcharge, a.QA)) return false;
    for (int k = 1; k <= std::clamp(a.HSPCount, 0, MaxBonds); ++k)
        if (!AllFinite({a.HSPWAverageDist[k], a.HSPKevo[k]})) return false;
    for (int j = 1; j <= std::clamp(a.Coor, 0, MaxBonds); ++j) {
        if (!AllFinite({a.Dist[j], a.BW[j], a.BondCharge[j], a.deltaqicat[j], a.deltaQx[j],
                        a.deltaQa[j], a.deltaQrs[j], a.deltaBVS[j]}))
            return false;
        if (a.HasBVS && !std::isfinite(a.ExpDist[j])) return false;
        const int p = a.BondIndex[j][1];
        if (p >= 1 && p <= otherTotal && !RatioFinite(a.BondCharge[j], other[p].QA)) return false;
    }
    return true;
}

// The text FF writes for a value that is not finite.
bool HoldsNonFinite(const std::string& text) {
    return text.find("NAN") != std::string::npos || text.find("INF") != std::string::npos;
}

} // namespace

std::string NonFiniteValue(const Model& m) {
    const int nc = std::clamp(m.AClength, 0, MaxAtoms);
    const int na = std::clamp(m.AAlength, 0, MaxAtoms);
    const int totalC = std::clamp(std::max(m.TotACLength, m.AClength), 0, MaxAtoms);
    const int totalA = std::clamp(std::max(m.TotAALength, m.AAlength), 0, MaxAtoms);
    for (int i = 1; i <= nc; ++i)
        if (!AtomFinite(m.AC[i], m.AA, totalA)) return m.AC[i].Atomlabel;
    for (int i = 1; i <= na; ++i)
        if (!AtomFinite(m.AA[i], m.AC, totalC)) return m.AA[i].Atomlabel;

    // Global values, named as the reports name them.
    constexpr const char* Balance = "the overall charge balance";
    constexpr const char* ChargeError = "the relative charge error";
    constexpr const char* ChargeMapd = "the MAPD of the received charges";
    constexpr const char* BvsMapd = "the MAPD of the bond valence sums";
    constexpr const char* Instability = "the global instability index";
    constexpr const char* Distortion = "the distortion indexes";
    const std::pair<const char*, double> globals[] = {
        {Balance, m.StrPosCharge},    {Balance, m.StrNegCharge}, {ChargeError, m.CDPosCharge},
        {ChargeError, m.CDNegCharge}, {ChargeError, m.EV},       {ChargeError, m.CDEV},
        {ChargeMapd, m.DiffMax},      {ChargeMapd, m.DevQXCC},   {ChargeMapd, m.DevQACC},
        {ChargeMapd, m.DevQXAC},      {ChargeMapd, m.DevQAAC},   {BvsMapd, m.devBVSC},
        {BvsMapd, m.devBVSA},         {Instability, m.GII},      {Instability, m.GIICat},
        {Instability, m.GIIAn},       {Distortion, m.DevBaurC},  {Distortion, m.DevBaurA},
        {Distortion, m.DevBrownC},    {Distortion, m.DevBrownA}};
    for (const auto& [name, value] : globals)
        if (!std::isfinite(value)) return name;
    if (HoldsNonFinite(m.StructureFormula)) return "the structure-derived formula";
    if (HoldsNonFinite(m.ChargeFormula)) return "the CD-derived formula";
    if (!m.NoBVS && HoldsNonFinite(m.BVSFormula)) return "the BVS-derived formula";
    return {};
}

std::string NonFiniteMessage(std::string_view where) {
    return "The calculation gives a value that is not a finite number for " + std::string(where) +
           " and stops. Check the occupancies, oxidation numbers and positions of the file.";
}

} // namespace kevo

#include "calc/charge_distribution.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "calc/bond_valence.h"
#include "calc/polyhedra.h"
#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

void CheckSide(int s) {
    if (s != 1 && s != 2)
        throw std::invalid_argument("side must be 1 (cation-centred) or 2 (anion-centred)");
}

int AsymmetricCount(const Model& m, int s) {
    return std::clamp(s == 1 ? m.AClength : m.AAlength, 0, MaxAtoms);
}

int BondCount(const TAtoms& a) {
    return std::clamp(a.Coor, 0, MaxBonds);
}

int HSPCount(const TAtoms& a) {
    return std::clamp(a.HSPCount, 0, MaxBonds);
}

// Slots first..last of sub-polyhedron k (last < first for an empty group).
std::pair<int, int> HSPSlots(const TAtoms& a, int k) {
    const int first = k == 1 ? 1 : std::max(a.HSPFirstIndex[k], 1);
    const int last = std::min(first + a.HSPCoor[k] - 1, BondCount(a));
    return {first, last};
}

// Rounds through the "0.000" text, as the program stores three-decimal values.
// A value that is not finite stays as it is (the pipeline stops on it).
double Round3(double x) {
    return TryStrToFloat(FF("0.000", x)).value_or(x);
}

} // namespace

// --- ChargeDistribution ---------------------------------------------------------

ChargeDistribution::ChargeDistribution(Model& m) : m_(m) {
    Prepare(1);
    Prepare(2);
}

std::size_t ChargeDistribution::Slot(int i, int j) {
    return static_cast<std::size_t>(i - 1) * MaxBonds + static_cast<std::size_t>(j - 1);
}

AtomArray& ChargeDistribution::Atoms(int s) {
    return s == 1 ? m_.AC : m_.AA;
}

ChargeDistribution::Side& ChargeDistribution::Work(int s) {
    CheckSide(s);
    return sides_[s - 1];
}

const ChargeDistribution::Side& ChargeDistribution::Work(int s) const {
    CheckSide(s);
    return sides_[s - 1];
}

// Ligand label groups (bonds to the same ligand label, images counted for
// their site) and the checked links to the reverse bonds of side s.
void ChargeDistribution::Prepare(int s) {
    Side& w = Work(s);
    const int o = 3 - s;
    const AtomArray& cen = Atoms(s);
    const AtomArray& oth = Atoms(o);
    const int otherLength = AsymmetricCount(m_, o);
    w.length = AsymmetricCount(m_, s);
    const std::size_t slots = static_cast<std::size_t>(w.length) * MaxBonds;
    w.group.assign(slots, 0);
    w.linkRecord.assign(slots, 0);
    w.linkSlot.assign(slots, 0);

    std::unordered_map<std::string, int> groups;
    for (int i = 1; i <= w.length; ++i) {
        const TAtoms& a = cen[i];
        const std::string self = Star(a.Atomlabel);
        for (int j = 1; j <= BondCount(a); ++j) {
            const std::string ligand = Star(a.BondingAtoms[j]);
            auto [it, inserted] = groups.emplace(ligand, static_cast<int>(groups.size()));
            w.group[Slot(i, j)] = it->second;

            // A link counts only when it leads to an asymmetric partner of that
            // label whose slot holds the same bond seen from the other end.
            const int p = a.BondIndex[j][1];
            const int q = a.BondIndex[j][2];
            if (p < 1 || p > otherLength) continue;
            const TAtoms& b = oth[p];
            if (q < 1 || q > BondCount(b) || b.Atomlabel != ligand) continue;
            if (Star(b.BondingAtoms[q]) != self || !Equal(b.Dist[q], a.Dist[j])) continue;
            w.linkRecord[Slot(i, j)] = p;
            w.linkSlot[Slot(i, j)] = q;
        }
    }
    w.groupSum.assign(groups.size(), 0.0);
}

int ChargeDistribution::PartnerRecord(int s, int i, int j) const {
    const Side& w = Work(s);
    if (i < 1 || i > w.length || j < 1 || j > MaxBonds) return 0;
    return w.linkRecord[Slot(i, j)];
}

int ChargeDistribution::PartnerSlot(int s, int i, int j) const {
    const Side& w = Work(s);
    if (i < 1 || i > w.length || j < 1 || j > MaxBonds) return 0;
    return w.linkSlot[Slot(i, j)];
}

void ChargeDistribution::Calculateqij(int s) {
    const Side& w = Work(s);
    AtomArray& cen = Atoms(s);
    for (int i = 1; i <= w.length; ++i) {
        TAtoms& a = cen[i];
        const double mi = a.Multiplicity;
        for (int k = 1; k <= HSPCount(a); ++k) {
            const auto [first, last] = HSPSlots(a, k);
            double sum = 0;
            for (int j = first; j <= last; ++j) {
                const double M = a.BondMult[j];
                double dq = 0;
                if (a.Kevo != 0 && M != 0) dq = mi * a.effcharge * a.BW[j] / (a.Kevo * M);
                a.deltaqicat[j] = dq;
                sum += dq;
            }
            a.HSPSumqij[k] = sum;
        }
    }
}

void ChargeDistribution::CollectQACharges(int s) {
    Side& w = Work(s);
    AtomArray& cen = Atoms(s);

    // What every ligand label receives, summed in the order of the central
    // atoms and their bonds.
    std::fill(w.groupSum.begin(), w.groupSum.end(), 0.0);
    for (int i = 1; i <= w.length; ++i) {
        const TAtoms& a = cen[i];
        for (int j = 1; j <= BondCount(a); ++j)
            w.groupSum[static_cast<std::size_t>(w.group[Slot(i, j)])] += a.deltaqicat[j];
    }
    for (int i = 1; i <= w.length; ++i) {
        TAtoms& a = cen[i];
        for (int j = 1; j <= BondCount(a); ++j)
            a.deltaQrs[j] = w.groupSum[static_cast<std::size_t>(w.group[Slot(i, j)])];
    }

    // What every atom of the other side receives through its own bonds.
    const int o = 3 - s;
    const Side& wo = Work(o);
    AtomArray& oth = Atoms(o);
    for (int a = 1; a <= wo.length; ++a) {
        TAtoms& at = oth[a];
        const double ma = at.Multiplicity;
        at.QA = 0;
        for (int j = 1; j <= BondCount(at); ++j) {
            const int p = wo.linkRecord[Slot(a, j)];
            const double M = at.BondMult[j];
            double received = 0;
            if (p != 0 && M != 0) received = (ma / M) * cen[p].deltaqicat[wo.linkSlot[Slot(a, j)]];
            at.deltaQa[j] = received;
            at.QA += received;
        }
    }
}

void ChargeDistribution::CalculateQx(int s) {
    const Side& w = Work(s);
    AtomArray& cen = Atoms(s);
    for (int i = 1; i <= w.length; ++i) {
        TAtoms& a = cen[i];
        const double mi = a.Multiplicity;
        double total = 0;
        for (int k = 1; k <= HSPCount(a); ++k) {
            const auto [first, last] = HSPSlots(a, k);
            a.HSPSumQx[k] = 0;
            for (int j = first; j <= last; ++j) {
                double back = 0;
                if (a.deltaQrs[j] != 0 && mi != 0)
                    back = a.BondMult[j] * a.deltaqicat[j] * a.BondCharge[j] / (a.deltaQrs[j] * mi);
                a.deltaQx[j] = back;
                a.HSPSumQx[k] += back;
            }
            total += a.HSPSumQx[k];
        }
        a.QX = total;
    }
}

void ChargeDistribution::CalculateQj(int s) {
    const Side& w = Work(s);
    AtomArray& cen = Atoms(s);
    for (int i = 1; i <= w.length; ++i) {
        TAtoms& a = cen[i];
        const double mi = a.Multiplicity;
        for (int k = 1; k <= HSPCount(a); ++k) {
            const auto [first, last] = HSPSlots(a, k);
            double sum = 0;
            for (int j = first; j <= last; ++j) {
                const double M = a.BondMult[j];
                double share = 0;
                if (M != 0 && a.QX != 0) share = mi * a.effcharge * a.deltaQx[j] / (a.QX * M);
                a.deltaQj[j] = share;
                sum += share;
            }
            a.HSPSumQj[k] = sum;
        }
        a.Diff.fill(0.0);
        if (a.HSPCount != 1)
            for (int k = 1; k <= HSPCount(a); ++k)
                a.Diff[k] = std::fabs(a.HSPSumqij[k] - a.HSPSumQj[k]);
    }
}

void ChargeDistribution::CollectQij(int s) {
    const Side& w = Work(s);
    AtomArray& cen = Atoms(s);
    const AtomArray& oth = Atoms(3 - s);
    for (int i = 1; i <= w.length; ++i) {
        TAtoms& a = cen[i];
        for (int j = 1; j <= BondCount(a); ++j) {
            const int p = w.linkRecord[Slot(i, j)];
            a.deltaQj[j] = p != 0 ? oth[p].deltaQx[w.linkSlot[Slot(i, j)]] : 0.0;
        }
    }
}

void ChargeDistribution::CalculateQjCH(int s) {
    const Side& w = Work(s);
    AtomArray& cen = Atoms(s);
    for (int i = 1; i <= w.length; ++i) {
        TAtoms& a = cen[i];
        const double mi = a.Multiplicity;
        for (int k = 1; k <= HSPCount(a); ++k) {
            const auto [first, last] = HSPSlots(a, k);
            double sum = 0;
            for (int j = first; j <= last; ++j)
                if (a.BondMult[j] != 0) sum += mi * a.deltaQj[j] / a.BondMult[j];
            a.HSPSumQj[k] = sum;
            a.Diff[k] = std::fabs(a.HSPSumqij[k] - a.HSPSumQj[k]);
        }
    }
}

void ChargeDistribution::RecalculateDeltaqij(int s) {
    const Side& w = Work(s);
    AtomArray& cen = Atoms(s);
    for (int i = 1; i <= w.length; ++i) {
        TAtoms& a = cen[i];
        for (int k = 1; k <= HSPCount(a); ++k) {
            const auto [first, last] = HSPSlots(a, k);
            // A sub-polyhedron that sends nothing has nothing to rescale.
            if (a.HSPSumqij[k] == 0) continue;
            double sum = 0;
            for (int j = first; j <= last; ++j) {
                a.deltaqicat[j] = a.deltaqicat[j] * a.HSPSumQj[k] / a.HSPSumqij[k];
                sum += a.deltaqicat[j];
            }
            a.HSPSumqij[k] = sum;
        }
    }
}

void ChargeDistribution::CalcDeltaMax(int s) {
    const Side& w = Work(s);
    const AtomArray& cen = Atoms(s);
    double largest = 0;
    for (int i = 1; i <= w.length; ++i) {
        const TAtoms& a = cen[i];
        for (int k = 1; k <= HSPCount(a); ++k)
            if (std::isfinite(a.Diff[k]) && a.Diff[k] > largest) largest = a.Diff[k];
    }
    m_.DiffMax = Round3(largest);
}

void ChargeDistribution::Iterate(int s, int EndItOption, bool VontarIT) {
    CheckSide(s);
    const int o = 3 - s;
    auto mapd = [&] {
        return s == 1 ? std::pair{m_.DevQXCC, m_.DevQACC} : std::pair{m_.DevQXAC, m_.DevQAAC};
    };
    m_.iterations = 0;
    CalcMAPD(m_, s);
    auto [p1, p2] = mapd();
    for (;;) {
        ++m_.iterations;
        RecalculateDeltaqij(s);
        CollectQACharges(s);
        CalculateQx(s);
        if (VontarIT) {
            CollectQij(o);
            CalculateQjCH(o);
            RecalculateDeltaqij(o);
            CollectQACharges(o);
            CalculateQx(o);
            CollectQij(s);
            CalculateQjCH(s);
        } else {
            CalculateQj(s);
        }
        CalcMAPD(m_, s);
        const auto [n1, n2] = mapd();
        const double i1 = p1 - n1;
        const double i2 = p2 - n2;
        p1 = n1;
        p2 = n2;
        CalcDeltaMax(s);

        bool done = true; // end option 2, and any unknown option: one cycle
        if (EndItOption == 0)
            done = m_.Threshold >= m_.DiffMax;
        else if (EndItOption == 1)
            done = i1 < m_.MAPDImprovement && i2 < m_.MAPDImprovement;
        if (done || m_.iterations >= MaxChargeCycles) return;
    }
}

// --- Entry points ------------------------------------------------------------------

void GreatIteration(Model& m, int c, int EndItOption, bool VontarIT) {
    CheckSide(c);
    m.iterations = 0;
    TestHetero(m);
    const int s = c;
    const int o = 3 - c;
    ChargeDistribution cd(m);
    cd.Calculateqij(s);
    cd.CollectQACharges(s);
    cd.CalculateQx(s);
    if (VontarIT) {
        cd.Calculateqij(o);
        cd.CollectQij(o);
        cd.CalculateQjCH(o);
        cd.RecalculateDeltaqij(o);
        cd.CollectQACharges(o);
        cd.CalculateQx(o);
        cd.CollectQij(s);
        cd.CalculateQjCH(s);
    } else {
        cd.CalculateQj(s);
    }
    CalcMAPD(m, s);
    if (s == 1 ? m.HC : m.HA) cd.Iterate(s, EndItOption, VontarIT);
}

void ChargeBalance(Model& m, int c) {
    CheckSide(c);
    m.CDNegCharge = 0;
    for (int i = 1; i <= AsymmetricCount(m, 2); ++i)
        m.CDNegCharge += (c == 1 ? m.AA[i].QA : m.AA[i].QX) * m.AA[i].Multiplicity;
    m.CDPosCharge = 0;
    for (int i = 1; i <= AsymmetricCount(m, 1); ++i)
        m.CDPosCharge += (c == 1 ? m.AC[i].QX : m.AC[i].QA) * m.AC[i].Multiplicity;

    // Without positive charge there is nothing to relate the error to.
    auto relative = [](double pos, double neg) {
        return pos == 0 ? 0.0 : (std::fabs(pos) - std::fabs(neg)) * 100 / std::fabs(pos);
    };
    m.CDEV = relative(m.CDPosCharge, m.CDNegCharge);
    m.EV = relative(m.StrPosCharge, m.StrNegCharge);
}

std::string SiteFormula(const Model& m, const FormulaFactor& cationFactor,
                        const FormulaFactor& anionFactor) {
    auto list = [](const AtomArray& atoms, int n, const FormulaFactor& factor) {
        std::vector<std::pair<std::string, std::string>> amounts; // element, "0.000"
        for (int i = 1; i <= n; ++i) {
            const TAtoms& a = atoms[i];
            const double f = factor(a);
            std::string_view rest = a.symbol;
            while (true) {
                const std::size_t colon = rest.find(':');
                std::string_view species = rest.substr(0, colon);
                // "0.500.Fe": the occupancy in the first five characters, then
                // "." and the element.
                std::string_view element = species.size() > 5 ? species.substr(5) : "";
                if (!element.empty() && element.front() == '.') element.remove_prefix(1);
                if (!element.empty()) {
                    const double occ = TryStrToFloat(species.substr(0, 5)).value_or(0.0);
                    // An amount that is not finite is written "NAN" or "INF"
                    // and stops the pipeline; it is never hidden as 0.
                    const double amount = occ * a.Multiplicity * f;
                    const std::string text = FF("0.000", amount);
                    auto it = std::find_if(amounts.begin(), amounts.end(),
                                           [&](const auto& e) { return e.first == element; });
                    if (it == amounts.end())
                        amounts.emplace_back(std::string(element), text);
                    else
                        it->second = FF("0.000", TryStrToFloat(it->second).value_or(NaN) +
                                                     TryStrToFloat(text).value_or(NaN));
                }
                if (colon == std::string_view::npos) break;
                rest.remove_prefix(colon + 1);
            }
        }
        std::string out;
        for (const auto& [element, text] : amounts)
            out += element + text + " ";
        return out;
    };
    return list(m.AC, AsymmetricCount(m, 1), cationFactor) +
           list(m.AA, AsymmetricCount(m, 2), anionFactor);
}

void CalcFormula(Model& m) {
    const FormulaFactor one = [](const TAtoms&) { return 1.0; };
    m.StructureFormula = SiteFormula(m, one, one);
}

void CalcChargeFormula(Model& m, int c) {
    CheckSide(c);
    // Computed charge over formal charge; both signs work out positive.
    auto ratio = [](double received, const TAtoms& a) {
        return a.effcharge == 0 ? 0.0 : -received / a.effcharge;
    };
    const FormulaFactor central = [&](const TAtoms& a) { return ratio(a.QX, a); };
    const FormulaFactor partner = [&](const TAtoms& a) { return ratio(a.QA, a); };
    m.ChargeFormula = c == 1 ? SiteFormula(m, central, partner) : SiteFormula(m, partner, central);
}

} // namespace kevo

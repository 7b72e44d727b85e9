#include "calc/ecoor.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <utility>

#include "calc/bond_valence.h"
#include "calc/polyhedra.h"

namespace kevo {

namespace {

// Calls f(atom, cation_centre) for the asymmetric cations, then the
// asymmetric anions.
template <class F> void ForEachAsymmetric(Model& m, F f) {
    for (int i = 1; i <= std::clamp(m.AClength, 0, MaxAtoms); ++i)
        f(m.AC[i], true);
    for (int i = 1; i <= std::clamp(m.AAlength, 0, MaxAtoms); ++i)
        f(m.AA[i], false);
}

// Number of bond slots of a record in use, kept inside the slot array.
int UsedSlots(const TAtoms& a) {
    return std::clamp(a.Coor, 0, MaxBonds);
}

// First and last slot of sub-polyhedron k, kept inside the slots in use; an
// empty range has last < first.
std::pair<int, int> GroupSlots(const TAtoms& a, int k) {
    const int first = k == 1 ? 1 : std::max(a.HSPFirstIndex[k], 1);
    const int last = std::min(first + a.HSPCoor[k] - 1, UsedSlots(a));
    return {first, last};
}

// Weights of every bond for the reference length r, into w; returns the
// weight sum and the weighted average length.
std::pair<double, double> WeightStep(std::span<const double> dist, std::span<const double> exponent,
                                     double r, std::span<double> w) {
    double sum = 0;
    double weighted = 0;
    for (std::size_t j = 0; j < dist.size(); ++j) {
        w[j] = BondWeight(dist[j], r, exponent[j]);
        sum += w[j];
        weighted += dist[j] * w[j];
    }
    // The shortest bond always has a weight of at least 1, so the sum is
    // positive for any real polyhedron; keep the reference otherwise.
    return {sum, sum > 0 ? weighted / sum : r};
}

void AtomWeights(const Model& m, TAtoms& a, bool cation, bool IT) {
    for (int j = 1; j <= MaxBonds; ++j)
        a.BW[j] = 0;
    a.Kevo = 0;
    const int groups = std::clamp(a.HSPCount, 0, MaxBonds);
    for (int k = 1; k <= groups; ++k) {
        const auto [first, last] = GroupSlots(a, k);
        if (last < first) {
            a.HSPMinDist[k] = 0;
            a.HSPKevo[k] = 0;
            a.HSPWAverageDist[k] = 0;
            continue;
        }
        const auto n = static_cast<std::size_t>(last - first + 1);
        std::array<double, MaxBonds> dist{};
        std::array<double, MaxBonds> exponent{};
        std::array<double, MaxBonds> weights{};
        for (int j = first; j <= last; ++j) {
            const auto i = static_cast<std::size_t>(j - first);
            dist[i] = a.Dist[j];
            exponent[i] = BondWeightExponent(m, a, cation, j);
        }
        a.HSPMinDist[k] = a.Dist[first];
        const GroupWeights g =
            IterateGroupWeights(std::span(dist.data(), n), std::span(exponent.data(), n), IT,
                                std::span(weights.data(), n));
        a.HSPKevo[k] = g.Kevo;
        a.HSPWAverageDist[k] = g.WAverageDist;
        for (int j = first; j <= last; ++j)
            a.BW[j] = weights[static_cast<std::size_t>(j - first)];
        a.Kevo += g.Kevo;
    }
}

// ECoor and EDEV from the weights of the slots in use and Kevo.
void EffectiveCount(TAtoms& a) {
    a.ECoor = 0;
    for (int j = 1; j <= UsedSlots(a); ++j)
        if (a.BW[j] > ZeroWeight) ++a.ECoor;
    a.EDEV = a.ECoor > 0 ? (a.ECoor - a.Kevo) / a.ECoor : 0;
}

} // namespace

double BondWeight(double l, double r, double p) {
    const double ratio = r > 0 ? l / r : 1.0;
    return std::exp(1.0 - std::pow(ratio, p));
}

double BondWeightExponent(const Model& m, const TAtoms& centre, bool cation_centre, int j) {
    if (cation_centre)
        return centre.AtomSymbol == "(H)" ? HydrogenWeightExponent : DefaultWeightExponent;
    const int partner = centre.BondIndex[j][1];
    if (partner >= 1 && partner <= MaxAtoms && m.AC[partner].AtomSymbol == "(H)")
        return HydrogenWeightExponent;
    return DefaultWeightExponent;
}

GroupWeights IterateGroupWeights(std::span<const double> dist, std::span<const double> exponent,
                                 bool first_only, std::span<double> weights) {
    assert(exponent.size() == dist.size() && weights.size() == dist.size());
    GroupWeights result;
    if (dist.empty()) return result;
    const std::size_t n = dist.size();
    std::array<double, MaxBonds> first_weights{};

    // Starting values with the shortest bond as reference.
    auto [sum_prev, average_prev] = WeightStep(dist, exponent, dist[0], weights);
    for (int t = 1; t <= MaxWeightIterations; ++t) {
        const auto [sum, average] = WeightStep(dist, exponent, average_prev, weights);
        result.iterations = t;
        if (t == 1) {
            result.Kevo = sum;
            result.WAverageDist = average;
            std::copy_n(weights.begin(), n, first_weights.begin());
        }
        const bool settled = std::fabs(sum - sum_prev) < WeightConvergence;
        sum_prev = sum;
        average_prev = average;
        if (settled) {
            result.converged = true;
            break;
        }
    }
    if (first_only) {
        std::copy_n(first_weights.begin(), n, weights.begin());
    } else {
        result.Kevo = sum_prev;
        result.WAverageDist = average_prev;
    }
    return result;
}

void IteratedWi(Model& m, bool IT) {
    ForEachAsymmetric(m, [&](TAtoms& a, bool cation) {
        AtomWeights(m, a, cation, IT);
        EffectiveCount(a);
    });
}

void GetEDEV(Model& m) {
    ForEachAsymmetric(m, [](TAtoms& a, bool) {
        a.Kevo = 0;
        for (int k = 1; k <= std::clamp(a.HSPCount, 0, MaxBonds); ++k)
            a.Kevo += a.HSPKevo[k];
        EffectiveCount(a);
    });
}

void AverageDistance(Model& m) {
    ForEachAsymmetric(m, [](TAtoms& a, bool) {
        const int coor = UsedSlots(a);
        double sum = 0;
        double selected = 0;
        int nselected = 0;
        for (int j = 1; j <= coor; ++j) {
            sum += a.Dist[j];
            if (a.BW[j] > ZeroWeight) {
                selected += a.Dist[j];
                ++nselected;
            }
        }
        a.AvDistSel = nselected > 0 ? selected / nselected : 0;
        a.AvDist = coor > 0 ? sum / coor : 0;
        a.Variance = 0;
        for (int j = 1; j <= coor; ++j)
            a.Variance += (a.Dist[j] - a.AvDist) * (a.Dist[j] - a.AvDist);
        a.BondSD = coor > 1 ? std::sqrt(a.Variance / (coor - 1)) : 0;
    });
}

void DistortionIndex(Model& m) {
    ForEachAsymmetric(m, [](TAtoms& a, bool) {
        const int coor = UsedSlots(a);
        a.PolDistortion = 0;
        if (coor == 0 || a.AvDistSel == 0) return;
        double sum = 0;
        for (int j = 1; j <= coor; ++j)
            sum += std::fabs(a.Dist[j] - a.AvDistSel) / a.AvDistSel;
        a.PolDistortion = sum / coor;
    });
}

bool IteratedKevo(Model& m, MessageSink& msg, const std::string& bvs_path, BvsTableCache* tables) {
    IteratedWi(m, m.NonIt);
    if (m.ExZeroW) {
        FixZeroWPolyhedra(m);
        GetEDEV(m);
    }
    AverageDistance(m);
    DistortionIndex(m);
    if (!m.NoBVS) return CalculateBVS(m, msg, bvs_path, tables);
    return true;
}

void Distortions(Model& m) {
    // Brown's b for cation-centred polyhedra.
    constexpr double kCationB = 0.37;
    constexpr double kLeastValence = 0.001;
    ForEachAsymmetric(m, [&](TAtoms& a, bool cation) {
        a.deltaR = 0;
        const int n = UsedSlots(a);
        if (!a.HasBVS || n == 0) return;
        double s_sum = 0;
        double b_sum = 0;
        for (int j = 1; j <= n; ++j) {
            s_sum += a.deltaBVS[j];
            b_sum += a.effB[j];
        }
        const double s_mean = s_sum / n;
        const double b_mean = cation ? kCationB : b_sum / n;
        double log_sum = 0;
        for (int j = 1; j <= n; ++j)
            if (a.deltaBVS[j] >= kLeastValence) log_sum += std::log(a.deltaBVS[j] / s_mean);
        a.deltaR = -(b_mean / n) * log_sum;
    });
}

} // namespace kevo

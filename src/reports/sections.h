// The section headings of the reports: printed by the reports and offered by
// the results view's section list, which finds a heading in the shown text.
#pragma once

#include <string_view>
#include <vector>

#include "model/model.h"

namespace kevo {

namespace heading {
// Charge-distribution reports (detailed).
inline constexpr std::string_view Polyhedra =
    "  POLYHEDRA, SUBPOLYHEDRA - HSPj, DISTANCES - Rij, BOND WEIGHTS - wij, Kevo";
inline constexpr std::string_view CationChargesDq =
    "  DISTRIBUTION OF CATION CHARGES - Δqij AND CHARGES RECEIVED BY ANIONS - QA";
inline constexpr std::string_view AnionChargesDq =
    "  DISTRIBUTION OF ANION CHARGES - Δqij AND CHARGES RECEIVED BY CATIONS - QX";
inline constexpr std::string_view AnionChargesDQ =
    "  DISTRIBUTION OF ANION CHARGES - ΔQij AND CHARGES RECEIVED BY CATIONS - QX";
inline constexpr std::string_view CationChargesDQ =
    "  DISTRIBUTION OF CATION CHARGES - ΔQij AND CHARGES RECEIVED BY ANIONS - QA";
inline constexpr std::string_view BondValencesCations =
    "  DISTRIBUTION OF BOND VALENCES - sij AND THE BOND VALENCE SUMS - BVS AROUND CATIONS";
inline constexpr std::string_view BondValencesAnions =
    "  DISTRIBUTION OF BOND VALENCES - sij AND THE BOND VALENCE SUMS - BVS AROUND ANIONS";
inline constexpr std::string_view Synopsis = "  SYNOPSIS";

// Polyhedron-geometry reports (detailed).
inline constexpr std::string_view Coordinations =
    "  COORDINATIONS, BOND LENGTHS, CENTROIDS, VOLUMES, DISTORTIONS";
inline constexpr std::string_view BondAngles = "  BOND ANGLES";
inline constexpr std::string_view OpposingBonds =
    "  OPPOSING BONDS (IN OCTAHEDRA AND CAPPED TRIGONAL PRISMS)";
inline constexpr std::string_view Averages123_45 = "  123-45 BOND AVERAGES";
inline constexpr std::string_view DihedralAngles = "  DIHEDRAL ANGLES";
inline constexpr std::string_view InterligandDistances = "  INTERLIGAND DISTANCES";
inline constexpr std::string_view NearestCentralAtoms = "  DISTANCES TO THE NEAREST CENTRAL ATOMS";
} // namespace heading

// The headings of report code 1..8 in the order they are printed; the
// geometry headings depend on the optional calculations switched on. The
// summary reports (codes 2, 4, 6, 8) have none.
std::vector<std::string_view> SectionHeadings(const Model& m, int code);

} // namespace kevo

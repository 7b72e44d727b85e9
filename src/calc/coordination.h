// Coordination sphere search: the ligands of every central atom (the
// cations around an anion, the anions around a cation) within the distance
// limits of the active threshold mode, and the bond-type table derived from
// the polyhedra found.
//
// Lattice images. A partner is tried at its images X + t1, Y + t2, Z + t3.
// The search examines every lattice translation whose image can lie within
// the limit in use, not only t = -1, 0, 1: in a cell with an edge shorter
// than the coordination radius (rutile, c = 2.96 A) ligands two cells away
// are within reach. Translations are visited in ascending order, t1 the
// outer loop and t3 the inner one, so where the 27 translations -1..1
// already cover the limit, ligands are found in the same order as by a
// search over those 27.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {

// --- Fixed sentences ------------------------------------------------------------

inline std::string MaxCoordinationExceededMessage(std::string_view label) {
    return "Maximum coordination number exceeded for " + std::string(label) + ".";
}
inline std::string CoordinationRadiusTooLowMessage(std::string_view label) {
    return "Maximum coordination radius too low for " + std::string(label) + ".";
}
inline constexpr std::string_view NoAnionsMessage =
    "The structure has no anions: no site has a negative oxidation number, so no coordination "
    "can be calculated.";
inline constexpr std::string_view NoCationsMessage =
    "The structure has no cations: no site has a positive oxidation number, so no coordination "
    "can be calculated.";
inline constexpr std::string_view TooManyBondTypesMessage =
    "The structure has more than 50 bond types; bond-type specific thresholds are not "
    "available for it.";

// --- Cell metric and lattice images ------------------------------------------------

// The cell as a metric on fractional coordinates:
// d^2 = a^2 dx^2 + b^2 dy^2 + c^2 dz^2 + 2ab cos(gamma) dx dy + 2ac cos(beta) dx dz
//       + 2bc cos(alpha) dy dz,
// from va, vb, vc and ralpha, rbeta, rgamma. Every distance of the program
// between fractional points goes through Distance, so equal inputs give
// bit-equal distances everywhere.
class CellMetric {
  public:
    explicit CellMetric(const Model& m);

    double Distance(double X1, double Y1, double Z1, double X2, double Y2, double Z2) const {
        const double dx = X1 - X2;
        const double dy = Y1 - Y2;
        const double dz = Z1 - Z2;
        return std::sqrt(aa_ * dx * dx + bb_ * dy * dy + cc_ * dz * dz + ab2_ * dx * dy +
                         ac2_ * dx * dz + bc2_ * dy * dz);
    }

    // False when the cell is not a proper cell (an edge not positive, angles
    // enclosing no volume); ForEachImage then tries the 27 translations only.
    bool Bounded() const { return bounded_; }

    // Calls visit(t1, t2, t3) for the integer translations t whose image
    // Q + t of a point Q can lie within radius (A) of a point P, where
    // (dx, dy, dz) = P - Q. Ascending order, t1 outer, t3 inner. Every image
    // within radius is visited; images farther away may be visited too.
    // visit returns false to stop; ForEachImage then returns false.
    template <class Visit>
    bool ForEachImage(double dx, double dy, double dz, double radius, Visit&& visit) const;

  private:
    struct Range {
        int lo = 0;
        int hi = -1;
    };
    // The integers t with |d - centre - t| <= half (plus a small margin),
    // clamped to +-kMaxReach.
    static Range Translations(double d, double centre, double half);

    static constexpr int kMaxReach = 1 << 20;
    double aa_ = 0, bb_ = 0, cc_ = 0, ab2_ = 0, ac2_ = 0, bc2_ = 0;
    // Metric tensor and the pieces the ranges need.
    double g11_ = 0, g22_ = 0, g33_ = 0, g12_ = 0, g13_ = 0, g23_ = 0;
    double inv11_ = 0;                   // (G^-1)_11
    double s11_ = 0, s12_ = 0, s22_ = 0; // G reduced over the third axis
    bool bounded_ = false;
};

template <class Visit>
bool CellMetric::ForEachImage(double dx, double dy, double dz, double radius, Visit&& visit) const {
    if (!bounded_) {
        for (int t1 = -1; t1 <= 1; ++t1)
            for (int t2 = -1; t2 <= 1; ++t2)
                for (int t3 = -1; t3 <= 1; ++t3)
                    if (!visit(t1, t2, t3)) return false;
        return true;
    }
    if (!(radius >= 0)) // NaN or negative: no image can be within it
        return true;
    // A little more than the radius, so that rounding never hides an image
    // the distance test would accept.
    const double r = radius * (1 + 1e-9) + 1e-9;
    const double r2 = r * r;
    const Range range1 = Translations(dx, 0, r * std::sqrt(inv11_));
    for (int t1 = range1.lo; t1 <= range1.hi; ++t1) {
        const double f1 = dx - t1;
        // Smallest d^2 over the third axis is s11 f1^2 + 2 s12 f1 f2 + s22 f2^2.
        const double disc2 = (s12_ * f1) * (s12_ * f1) - s22_ * (s11_ * f1 * f1 - r2);
        if (!(disc2 >= 0)) continue;
        const Range range2 = Translations(dy, -s12_ * f1 / s22_, std::sqrt(disc2) / s22_);
        for (int t2 = range2.lo; t2 <= range2.hi; ++t2) {
            const double f2 = dy - t2;
            const double b = g13_ * f1 + g23_ * f2;
            const double c = g11_ * f1 * f1 + 2 * g12_ * f1 * f2 + g22_ * f2 * f2 - r2;
            const double disc3 = b * b - g33_ * c;
            if (!(disc3 >= 0)) continue;
            const Range range3 = Translations(dz, -b / g33_, std::sqrt(disc3) / g33_);
            for (int t3 = range3.lo; t3 <= range3.hi; ++t3)
                if (!visit(t1, t2, t3)) return false;
        }
    }
    return true;
}

// --- Search ----------------------------------------------------------------------

// Distance in A between two points given in fractional coordinates.
double CalcDistance(const Model& m, double X1, double Y1, double Z1, double X2, double Y2,
                    double Z2);

// The acceptance rule for a candidate at Distance from a centre whose own
// limit is Near (its Nearest, or in mode 2 its manual radius), with Limit the
// pair limit of modes 0 and 1.
bool Valid(const Model& m, double Distance, double Near, double Limit);

// Ligands of the asymmetric atoms: anions 1..AAlength, then cations
// 1..AClength. With NearestLimit (not in mode 2, where Nearest is the manual
// radius) the nearest same-kind distances are computed first. Sets
// TotACLength / TotAALength and IsCoordination; shows a
// message and leaves IsCoordination false when an atom gets no valid
// coordination, and the search then ends at once. A structure with cations
// but no anions (or the reverse) is not searched: NoAnionsMessage
// (NoCationsMessage), IsCoordination false.
void GetDistances(Model& m, MessageSink& msg);

// Ligands of the generated images, after GetDistances. When the asymmetric
// search failed (IsCoordination false) it searches nothing and shows nothing.
// Generated centres take their parent's Nearest (found by label) as their own
// limit with NearestLimit and in mode 2; their BondSymTrans is the
// translation that places the ligand (a partner's SymTrans is only written
// when it is empty).
void GetGenDistances(Model& m, MessageSink& msg);

// Bond-type table from the polyhedra of the asymmetric cations: one row per
// cation / anion symbol pair, in case-insensitive text order, with the longest
// such bond formatted "0.000000000000". With more than 50 pairs it shows
// TooManyBondTypesMessage, leaves the table empty (BondTypesNr 0,
// GotMaxLengths false) and returns false.
bool GetMaxBondLengths(Model& m, MessageSink& msg);

// A lattice translation as text: "(0,-1,2)".
std::string TranslationText(int t1, int t2, int t3);

// Text order without regard to letter case (ASCII); texts equal in that order
// go in byte order.
bool TextLessIgnoringCase(std::string_view a, std::string_view b);

} // namespace kevo

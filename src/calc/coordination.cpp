#include "calc/coordination.h"

#include <array>
#include <limits>
#include <unordered_map>
#include <vector>

#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

// --- Cell metric ---------------------------------------------------------------------

CellMetric::CellMetric(const Model& m) {
    const double a = m.va, b = m.vb, c = m.vc;
    const double ca = std::cos(m.ralpha), cb = std::cos(m.rbeta), cg = std::cos(m.rgamma);
    aa_ = a * a;
    bb_ = b * b;
    cc_ = c * c;
    ab2_ = 2 * a * b * cg;
    ac2_ = 2 * a * c * cb;
    bc2_ = 2 * b * c * ca;

    g11_ = aa_;
    g22_ = bb_;
    g33_ = cc_;
    g12_ = a * b * cg;
    g13_ = a * c * cb;
    g23_ = b * c * ca;
    const double minor11 = g22_ * g33_ - g23_ * g23_;
    const double det =
        g11_ * minor11 - g12_ * (g12_ * g33_ - g23_ * g13_) + g13_ * (g12_ * g23_ - g22_ * g13_);
    // Positive definite (Sylvester): the leading minors are positive.
    bounded_ = std::isfinite(det) && g11_ > 0 && g11_ * g22_ - g12_ * g12_ > 0 && det > 0 &&
               g33_ > 0 && minor11 > 0;
    if (!bounded_) return;
    inv11_ = minor11 / det;
    s11_ = g11_ - g13_ * g13_ / g33_;
    s12_ = g12_ - g13_ * g23_ / g33_;
    s22_ = g22_ - g23_ * g23_ / g33_;
    bounded_ = std::isfinite(inv11_) && s22_ > 0;
}

CellMetric::Range CellMetric::Translations(double d, double centre, double half) {
    constexpr double eps = 1e-9;
    const double lo = std::ceil(d - centre - half - eps);
    const double hi = std::floor(d - centre + half + eps);
    Range r;
    if (!(lo <= hi)) // also NaN
        return r;
    r.lo = static_cast<int>(std::clamp(lo, -double(kMaxReach), double(kMaxReach)));
    r.hi = static_cast<int>(std::clamp(hi, -double(kMaxReach), double(kMaxReach)));
    return r;
}

// --- Helpers -------------------------------------------------------------------------

bool TextLessIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char ch) {
        return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = lower(a[i]), y = lower(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::string TranslationText(int t1, int t2, int t3) {
    std::string text = "(";
    text += IntToStr(t1);
    text += ',';
    text += IntToStr(t2);
    text += ',';
    text += IntToStr(t3);
    text += ')';
    return text;
}

double CalcDistance(const Model& m, double X1, double Y1, double Z1, double X2, double Y2,
                    double Z2) {
    return CellMetric(m).Distance(X1, Y1, Z1, X2, Y2, Z2);
}

bool Valid(const Model& m, double Distance, double Near, double Limit) {
    if (Distance < 0.00001) return false; // the atom itself or a coincident position
    if (m.ThresOption == 2) return Distance < Near + 0.00001;
    if (m.NearestLimit) return Distance <= Near && Distance <= Limit && Distance > 1.0;
    return Distance <= Limit;
}

namespace {

constexpr std::string_view Hydrogen = "(H)";
constexpr std::string_view Oxygen = "(O)";
constexpr double NoNearest = 999;

int Clamped(int n) {
    return std::clamp(n, 0, MaxAtoms);
}

// Index of the last asymmetric record 1..n of arr with each label.
std::unordered_map<std::string_view, int> AsymmetricByLabel(const AtomArray& arr, int n) {
    std::unordered_map<std::string_view, int> index;
    for (int i = 1; i <= n; ++i)
        index[arr[i].Atomlabel] = i;
    return index;
}

// Bond-type limits of mode 1, looked up by the symbol pair of a cation and an
// anion record; a pair without a row has no limit of its own.
class BondTypeLimits {
  public:
    BondTypeLimits(const Model& m, int nCations, int nAnions) {
        std::unordered_map<std::string_view, int> catIds, anIds;
        catSym_.resize(static_cast<std::size_t>(nCations) + 1, -1);
        anSym_.resize(static_cast<std::size_t>(nAnions) + 1, -1);
        for (int i = 1; i <= nCations; ++i)
            catSym_[static_cast<std::size_t>(i)] =
                catIds.try_emplace(m.AC[i].AtomSymbol, static_cast<int>(catIds.size()))
                    .first->second;
        for (int i = 1; i <= nAnions; ++i)
            anSym_[static_cast<std::size_t>(i)] =
                anIds.try_emplace(m.AA[i].AtomSymbol, static_cast<int>(anIds.size())).first->second;
        nAn_ = static_cast<int>(anIds.size());
        limit_.assign(catIds.size() * anIds.size(), std::numeric_limits<double>::quiet_NaN());
        const int rows = std::clamp(m.BondTypesNr, 0, MaxBondTypes);
        for (int r = 1; r <= rows; ++r) { // later rows overwrite earlier ones
            const auto& row = m.MaxBondLengths[r];
            const auto c = catIds.find(row[1]);
            const auto a = anIds.find(row[2]);
            const auto value = TryStrToFloat(row[3]);
            if (c == catIds.end() || a == anIds.end() || !value) continue;
            limit_[static_cast<std::size_t>(c->second * nAn_ + a->second)] = *value + 0.0001;
        }
    }
    // NaN when no row matches.
    double Limit(int cation, int anion) const {
        return limit_[static_cast<std::size_t>(catSym_[static_cast<std::size_t>(cation)] * nAn_ +
                                               anSym_[static_cast<std::size_t>(anion)])];
    }

  private:
    std::vector<int> catSym_, anSym_;
    std::vector<double> limit_;
    int nAn_ = 0;
};

// Nearest same-kind distance of the asymmetric records 1..nCentres over the
// candidates 1..nCandidates of the same array: the 27 translations first, then
// every image within the distance found so far, so that an oblique cell whose
// shortest lattice vector is no sum of unit steps still gives the true
// nearest distance.
void NearestOf(AtomArray& arr, int nCentres, int nCandidates, const CellMetric& cell) {
    for (int i = 1; i <= nCentres; ++i) {
        const TAtoms& c = arr[i];
        double best = NoNearest;
        for (int j = 1; j <= nCandidates; ++j) {
            const TAtoms& p = arr[j];
            for (int t1 = -1; t1 <= 1; ++t1)
                for (int t2 = -1; t2 <= 1; ++t2)
                    for (int t3 = -1; t3 <= 1; ++t3) {
                        const double D = cell.Distance(c.X, c.Y, c.Z, p.X + t1, p.Y + t2, p.Z + t3);
                        if (D > 1.0 && D < best) best = D;
                    }
        }
        if (best < NoNearest && cell.Bounded()) {
            for (int j = 1; j <= nCandidates; ++j) {
                const TAtoms& p = arr[j];
                cell.ForEachImage(
                    c.X - p.X, c.Y - p.Y, c.Z - p.Z, best, [&](int t1, int t2, int t3) {
                        const double D = cell.Distance(c.X, c.Y, c.Z, p.X + t1, p.Y + t2, p.Z + t3);
                        if (D > 1.0 && D < best) best = D;
                        return true;
                    });
            }
        }
        arr[i].Nearest = best;
    }
}

void GetNearest(Model& m, const CellMetric& cell) {
    NearestOf(m.AC, Clamped(m.AClength), Clamped(m.TotACLength), cell);
    NearestOf(m.AA, Clamped(m.AAlength), Clamped(m.AAlength), cell);
}

// One search pass (asymmetric or generated centres).
class Search {
  public:
    Search(Model& m, MessageSink& msg, bool generated)
        : m_(m), msg_(msg), cell_(m), generated_(generated), nC_(Clamped(m.TotACLength)),
          nA_(Clamped(m.TotAALength)),
          limits_(m, m.ThresOption == 1 ? nC_ : 0, m.ThresOption == 1 ? nA_ : 0) {
        if (generated_) {
            catParent_ = AsymmetricByLabel(m.AC, Clamped(m.AClength));
            anParent_ = AsymmetricByLabel(m.AA, Clamped(m.AAlength));
        }
    }

    // Searches the centres first..last of one side; false when the search
    // must end.
    bool Centres(bool anionCentres, int first, int last) {
        for (int w = first; w <= last; ++w)
            if (!Centre(anionCentres, w)) return false;
        return true;
    }

  private:
    double PairLimit(bool anionCentre, int w, int j) {
        const int cation = anionCentre ? j : w;
        const int anion = anionCentre ? w : j;
        if (m_.ThresOption == 1) {
            const double limit = limits_.Limit(cation, anion);
            return std::isnan(limit) ? m_.MaxR : limit;
        }
        if (m_.ThresOption == 2) return 0; // not used: the centre's own radius decides
        if (m_.AC[cation].AtomSymbol == Hydrogen) {
            if (anionCentre) m_.IsHydrogen = true;
            return m_.MaxH;
        }
        return m_.MaxR;
    }

    // Radius beyond which no image can pass Valid.
    double Reach(double near, double limit) const {
        if (m_.ThresOption == 2) return near + 0.00001;
        if (m_.NearestLimit) return std::min(near, limit);
        return limit;
    }

    double CentreNearest(bool anionCentre, const TAtoms& c) const {
        if (!c.Generated) return c.Nearest;
        const auto& parents = anionCentre ? anParent_ : catParent_;
        const auto it = parents.find(std::string_view(Star(c.Atomlabel)));
        if (it == parents.end()) return c.Nearest;
        return (anionCentre ? m_.AA : m_.AC)[it->second].Nearest;
    }

    bool Fail(std::string text) {
        msg_.Show(text);
        m_.IsCoordination = false;
        return false;
    }

    bool Centre(bool anionCentre, int w) {
        AtomArray& own = anionCentre ? m_.AA : m_.AC;
        AtomArray& other = anionCentre ? m_.AC : m_.AA;
        const int nOther = anionCentre ? nC_ : nA_;
        TAtoms& c = own[w];
        const double near = CentreNearest(anionCentre, c);
        // The ligands stored so far; an image is the same ligand as one of
        // them when their coordinates read the same with four decimals.
        stored_.clear();
        int d = c.Coor + 1;

        for (int j = 1; j <= nOther; ++j) {
            TAtoms& p = other[j];
            const double limit = PairLimit(anionCentre, w, j);
            const bool go = cell_.ForEachImage(
                c.X - p.X, c.Y - p.Y, c.Z - p.Z, Reach(near, limit), [&](int t1, int t2, int t3) {
                    const double x = p.X + t1, y = p.Y + t2, z = p.Z + t3;
                    const double D = cell_.Distance(c.X, c.Y, c.Z, x, y, z);
                    if (!Valid(m_, D, near, limit)) return true;
                    StoredPosition candidate{{x, y, z}, {}};
                    const bool duplicate =
                        std::any_of(stored_.begin(), stored_.end(),
                                    [&candidate](StoredPosition& s) { return s.Same(candidate); });
                    if (d > MaxBonds) return Fail(MaxCoordinationExceededMessage(c.Atomlabel));
                    if (duplicate) return true;
                    Store(c, d, p, j, D, x, y, z, t1, t2, t3);
                    stored_.push_back(std::move(candidate));
                    ++c.Coor;
                    ++d;
                    return true;
                });
            if (!go) return false;
        }

        if (c.Coor < 1 && !generated_) return Fail(CoordinationRadiusTooLowMessage(c.Atomlabel));
        if (anionCentre && c.Coor == 1 && c.AtomSymbol != Oxygen && c.BondSymbol[1] != Hydrogen)
            return Fail(CoordinationRadiusTooLowMessage(c.Atomlabel));
        if (!anionCentre && c.Coor == 1 && c.AtomSymbol != Hydrogen)
            return Fail(CoordinationRadiusTooLowMessage(c.Atomlabel));
        if (!anionCentre && c.AtomSymbol == Hydrogen && c.Coor > 2) KeepTwoNearest(c);
        return true;
    }

    // A hydrogen keeps its two nearest ligands, so that the result does not
    // depend on the order of the sites in the file. Distances within
    // TieDistance count as equal; the ligand found first (partner index,
    // then translation order) wins the tie. The two stay in discovery order.
    static void KeepTwoNearest(TAtoms& c) {
        constexpr double TieDistance = 1e-9; // A
        auto nearest = [&c](int skip) {
            int best = 0;
            for (int d = 1; d <= c.Coor; ++d)
                if (d != skip && (best == 0 || c.Dist[d] < c.Dist[best] - TieDistance)) best = d;
            return best;
        };
        const int first = nearest(0);
        const int second = nearest(first);
        const std::array<int, 2> keep{std::min(first, second), std::max(first, second)};
        for (int slot = 1; slot <= 2; ++slot) {
            const int from = keep[static_cast<std::size_t>(slot - 1)];
            if (from != slot) MoveSlot(c, from, slot);
        }
        c.Coor = 2;
    }

    // Copies the bond data of slot from into slot to.
    static void MoveSlot(TAtoms& c, int from, int to) {
        c.Dist[to] = c.Dist[from];
        c.BondingAtoms[to] = c.BondingAtoms[from];
        c.BondIndex[to] = c.BondIndex[from];
        c.BondCoorX[to] = c.BondCoorX[from];
        c.BondCoorY[to] = c.BondCoorY[from];
        c.BondCoorZ[to] = c.BondCoorZ[from];
        c.BondSymOp[to] = c.BondSymOp[from];
        c.BondSymTrans[to] = c.BondSymTrans[from];
        c.BondMult[to] = c.BondMult[from];
        c.BondCharge[to] = c.BondCharge[from];
        c.BondBVS[to] = c.BondBVS[from];
        c.BondSymbol[to] = c.BondSymbol[from];
    }

    void Store(TAtoms& c, int d, TAtoms& p, int j, double D, double x, double y, double z, int t1,
               int t2, int t3) {
        c.Dist[d] = D;
        c.BondingAtoms[d] =
            generated_ && p.Generated && !p.Atomlabel.empty() ? p.Atomlabel.substr(1) : p.Atomlabel;
        c.BondIndex[d][1] = j;
        c.BondIndex[d][2] = 0;
        c.BondCoorX[d] = x;
        c.BondCoorY[d] = y;
        c.BondCoorZ[d] = z;
        c.BondSymOp[d] = p.SymOp;
        std::string trans = TranslationText(t1, t2, t3);
        if (!generated_) {
            p.SymTrans = trans;
            c.SymTrans = "(0,0,0)";
        } else if (p.SymTrans.empty()) {
            p.SymTrans = trans;
        }
        // The translation that places this ligand, in both passes.
        c.BondSymTrans[d] = std::move(trans);
        c.BondMult[d] = p.Multiplicity;
        c.BondCharge[d] = p.effcharge;
        c.BondBVS[d] = p.RoString;
        c.BondSymbol[d] = p.AtomSymbol;
    }

    // A ligand position and, once needed, its coordinates formatted "0.0000".
    struct StoredPosition {
        std::array<double, 3> xyz;
        std::array<std::string, 3> text;

        const std::array<std::string, 3>& Text() {
            if (text[0].empty())
                for (std::size_t k = 0; k < 3; ++k)
                    text[k] = FF("0.0000", xyz[k]);
            return text;
        }
        // Both read the same with four decimals. Texts that agree belong to
        // numbers less than 0.0001 apart (each within half a unit of the
        // last place of the text), so positions farther apart in some
        // coordinate are told apart without formatting them.
        bool Same(StoredPosition& other) {
            for (std::size_t k = 0; k < 3; ++k)
                if (std::fabs(xyz[k] - other.xyz[k]) > 0.0002) return false;
            return Text() == other.Text();
        }
    };

    Model& m_;
    MessageSink& msg_;
    CellMetric cell_;
    bool generated_;
    int nC_, nA_;
    BondTypeLimits limits_;
    std::unordered_map<std::string_view, int> catParent_, anParent_;
    std::vector<StoredPosition> stored_; // of the centre being searched
};

void StartSearch(Model& m, int firstCation, int firstAnion) {
    m.TotACLength = m.AClength + m.GACLength;
    m.TotAALength = m.AAlength + m.GAALength;
    if (m.NearestLimit && m.ThresOption != 2) GetNearest(m, CellMetric(m));
    auto clear = [&m](AtomArray& arr, int first, int last) {
        for (int i = first; i <= last; ++i) {
            TAtoms& r = arr[i];
            r.Coor = 0;
            if (m.ThresOption == 0)
                for (int k = 1; k <= MaxBonds; ++k) {
                    r.Dist[k] = 0;
                    r.BondingAtoms[k].clear();
                }
        }
    };
    clear(m.AC, firstCation, Clamped(m.TotACLength));
    clear(m.AA, firstAnion, Clamped(m.TotAALength));
}

} // namespace

void GetDistances(Model& m, MessageSink& msg) {
    m.IsCoordination = true;
    StartSearch(m, 1, 1);
    // Without atoms of one kind the other kind has no ligands; say why,
    // rather than that the radius is too low.
    const bool cations = m.AClength > 0, anions = m.AAlength > 0;
    if (cations != anions) {
        msg.Show(anions ? NoCationsMessage : NoAnionsMessage);
        m.IsCoordination = false;
        return;
    }
    Search search(m, msg, false);
    if (!search.Centres(true, 1, Clamped(m.AAlength))) return;
    search.Centres(false, 1, Clamped(m.AClength));
}

void GetGenDistances(Model& m, MessageSink& msg) {
    if (!m.IsCoordination) {
        m.TotACLength = m.AClength + m.GACLength;
        m.TotAALength = m.AAlength + m.GAALength;
        return;
    }
    StartSearch(m, Clamped(m.AClength) + 1, Clamped(m.AAlength) + 1);
    Search search(m, msg, true);
    if (!search.Centres(true, Clamped(m.AAlength) + 1, Clamped(m.TotAALength))) return;
    search.Centres(false, Clamped(m.AClength) + 1, Clamped(m.TotACLength));
}

bool GetMaxBondLengths(Model& m, MessageSink& msg) {
    struct BondType {
        std::string text, cation, anion;
    };
    std::vector<BondType> types;
    const int nC = Clamped(m.AClength);
    for (int i = 1; i <= nC; ++i) {
        const TAtoms& c = m.AC[i];
        for (int d = 1; d <= std::min(c.Coor, MaxBonds); ++d)
            types.push_back({c.AtomSymbol + " " + c.BondSymbol[d], c.AtomSymbol, c.BondSymbol[d]});
    }
    std::sort(types.begin(), types.end(), [](const BondType& x, const BondType& y) {
        return TextLessIgnoringCase(x.text, y.text);
    });
    types.erase(std::unique(types.begin(), types.end(),
                            [](const BondType& x, const BondType& y) { return x.text == y.text; }),
                types.end());

    for (auto& row : m.MaxBondLengths)
        row.fill(std::string());
    m.BondTypesNr = 0;
    m.GotMaxLengths = false;
    if (types.size() > static_cast<std::size_t>(MaxBondTypes)) {
        msg.Show(TooManyBondTypesMessage);
        return false;
    }

    int row = 0;
    for (const BondType& t : types) {
        double longest = 0;
        for (int i = 1; i <= nC; ++i) {
            const TAtoms& c = m.AC[i];
            if (c.AtomSymbol != t.cation) continue;
            for (int d = 1; d <= std::min(c.Coor, MaxBonds); ++d)
                if (c.BondSymbol[d] == t.anion && c.Dist[d] > longest) longest = c.Dist[d];
        }
        ++row;
        m.MaxBondLengths[row][1] = t.cation;
        m.MaxBondLengths[row][2] = t.anion;
        m.MaxBondLengths[row][3] = FF("0.000000000000", longest);
    }
    m.BondTypesNr = row;
    m.GotMaxLengths = true;
    return true;
}

} // namespace kevo

#include "calc/polyhedra.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "calc/coordination.h"
#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

namespace {

int Clamped(int n) {
    return std::clamp(n, 0, MaxAtoms);
}
int SlotsInUse(const TAtoms& r) {
    return std::clamp(r.Coor, 0, MaxBonds);
}

// The label without a leading "*" (the mark of a generated image).
std::string_view StarView(std::string_view s) {
    if (!s.empty() && s.front() == '*') s.remove_prefix(1);
    return s;
}

// Source slot of every new slot 1..n.
using SlotMap = std::array<int, MaxBonds + 1>;

template <class T> void Reorder(BondArray<T>& a, const SlotMap& source, int n) {
    std::array<T, MaxBonds> moved;
    for (int d = 1; d <= n; ++d)
        moved[static_cast<std::size_t>(d - 1)] = std::move(a[source[static_cast<std::size_t>(d)]]);
    for (int d = 1; d <= n; ++d)
        a[d] = std::move(moved[static_cast<std::size_t>(d - 1)]);
}

// Moves the bond data that travels with a slot; the second component of
// BondIndex stays (FixBondIndexes recomputes it). Slots that stay where they
// are move nothing.
void MoveBonds(TAtoms& r, const SlotMap& source, int n, bool withWeights) {
    bool identity = true;
    for (int d = 1; d <= n && identity; ++d)
        identity = source[static_cast<std::size_t>(d)] == d;
    if (identity) return;
    Reorder(r.Dist, source, n);
    Reorder(r.BondCharge, source, n);
    Reorder(r.BondCoorX, source, n);
    Reorder(r.BondCoorY, source, n);
    Reorder(r.BondCoorZ, source, n);
    Reorder(r.BondCoorCX, source, n);
    Reorder(r.BondCoorCY, source, n);
    Reorder(r.BondCoorCZ, source, n);
    Reorder(r.BondMult, source, n);
    Reorder(r.BondingAtoms, source, n);
    Reorder(r.BondSymOp, source, n);
    Reorder(r.BondSymTrans, source, n);
    Reorder(r.BondBVS, source, n);
    Reorder(r.BondSymbol, source, n);
    if (withWeights) Reorder(r.BW, source, n);
    std::array<int, MaxBonds> partner{};
    for (int d = 1; d <= n; ++d)
        partner[static_cast<std::size_t>(d - 1)] =
            r.BondIndex[source[static_cast<std::size_t>(d)]][1];
    for (int d = 1; d <= n; ++d)
        r.BondIndex[d][1] = partner[static_cast<std::size_t>(d - 1)];
}

// One bond of a sub-polyhedron while it is sorted: its distance as text
// (xFloatToStr) and its sort key, the distance text with its integer part
// padded with zeros to the width of the group (so that text order is
// distance order also beyond 9.99 A), a blank and the slot number. Every
// key of a group begins with the same symbol and a blank, which therefore
// is left out: it does not change their order.
struct SortLine {
    NumberText distance;
    std::size_t distanceSize = 0;
    std::size_t digits = 0; // characters before the point
    std::array<char, 64> key;
    std::size_t keySize = 0;
    int slot = 0;

    std::string_view Distance() const { return {distance.data(), distanceSize}; }
    std::string_view Key() const { return {key.data(), keySize}; }
    void MakeKey(std::size_t width) {
        keySize = 0;
        for (std::size_t i = digits; i < width; ++i)
            key[keySize++] = '0';
        for (char c : Distance())
            key[keySize++] = c;
        key[keySize++] = ' ';
        NumberText number;
        const auto r = std::to_chars(number.data(), number.data() + number.size(), slot);
        for (const char* c = number.data(); c != r.ptr; ++c)
            key[keySize++] = *c;
    }
};

void FixPolyhedron(TAtoms& r) {
    const int n = SlotsInUse(r);
    for (int k = 1; k <= MaxBonds; ++k)
        r.oldindex[k] = k;

    // Distinct ligand symbols, then in case-insensitive alphabetical order
    // (no slot moves before the end).
    std::array<const std::string*, MaxBonds> symbols{};
    std::size_t count = 0;
    for (int s = 1; s <= n; ++s) {
        const std::string& symbol = r.BondSymbol[s];
        const auto end = symbols.begin() + static_cast<std::ptrdiff_t>(count);
        if (std::find_if(symbols.begin(), end,
                         [&symbol](const std::string* seen) { return *seen == symbol; }) == end)
            symbols[count++] = &symbol;
    }
    std::sort(
        symbols.begin(), symbols.begin() + static_cast<std::ptrdiff_t>(count),
        [](const std::string* a, const std::string* b) { return TextLessIgnoringCase(*a, *b); });
    r.HSPCount = static_cast<int>(count);

    // Grouped order, then each group sorted by its keys.
    SlotMap source{};
    std::array<SortLine, MaxBonds> lines;
    std::array<double, MaxBonds + 1> parsed{};
    std::array<bool, MaxBonds + 1> readable{};
    int position = 0;
    for (int k = 1; k <= r.HSPCount; ++k) {
        const std::string& symbol = *symbols[static_cast<std::size_t>(k - 1)];
        r.HSPsymb[k] = symbol;
        r.HSPFirstIndex[k] = position + 1;
        std::size_t size = 0;
        std::size_t width = 0;
        for (int s = 1; s <= n; ++s) {
            if (r.BondSymbol[s] != symbol) continue;
            r.newindex[position + static_cast<int>(size) + 1] = s;
            SortLine& line = lines[size++];
            line.distanceSize = xFloatToStr(r.Dist[s], line.distance).size();
            line.digits = std::min(line.Distance().find('.'), line.distanceSize);
            line.slot = s;
            width = std::max(width, line.digits);
        }
        r.HSPCoor[k] = static_cast<int>(size);
        for (std::size_t i = 0; i < size; ++i)
            lines[i].MakeKey(width);
        std::sort(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(size),
                  [](const SortLine& a, const SortLine& b) {
                      return TextLessIgnoringCase(a.Key(), b.Key());
                  });
        for (std::size_t i = 0; i < size; ++i) {
            ++position;
            source[static_cast<std::size_t>(position)] = lines[i].slot;
            // The distance as its text reads (15 significant digits).
            const auto v = TryStrToFloat(lines[i].Distance());
            readable[static_cast<std::size_t>(position)] = v.has_value();
            if (v) parsed[static_cast<std::size_t>(position)] = *v;
        }
    }

    MoveBonds(r, source, position, false);
    for (int d = 1; d <= position; ++d)
        if (readable[static_cast<std::size_t>(d)]) r.Dist[d] = parsed[static_cast<std::size_t>(d)];
}

// Links the bonds of centres 1..nCentres to the bonds of partners.
void LinkBonds(AtomArray& centres, int nCentres, const AtomArray& partners, int nPartners,
               int nPartnerSites) {
    std::unordered_map<std::string_view, std::vector<int>> byLabel;
    for (int k = 1; k <= nPartners; ++k)
        byLabel[partners[k].Atomlabel].push_back(k);
    std::unordered_map<std::string_view, int> site; // last asymmetric record per label
    for (int k = 1; k <= nPartnerSites; ++k)
        site[partners[k].Atomlabel] = k;

    for (int i = 1; i <= nCentres; ++i) {
        TAtoms& r = centres[i];
        const std::string_view own = StarView(r.Atomlabel);
        for (int j = 1; j <= SlotsInUse(r); ++j) {
            const std::string_view p = StarView(r.BondingAtoms[j]);
            int partner = 0, reverse = 0;
            if (const auto it = byLabel.find(p); it != byLabel.end()) {
                for (int k : it->second) {
                    const TAtoms& q = partners[k];
                    for (int m = 1; m <= SlotsInUse(q); ++m)
                        if (Equal(r.Dist[j], q.Dist[m]) && StarView(q.BondingAtoms[m]) == own) {
                            partner = k;
                            reverse = m;
                        }
                }
            }
            if (partner != 0) {
                r.BondIndex[j][1] = partner;
                r.BondIndex[j][2] = reverse;
                continue;
            }
            // No reverse bond: the partner's asymmetric record, reverse slot 0.
            if (const auto it = site.find(p); it != site.end()) r.BondIndex[j][1] = it->second;
            r.BondIndex[j][2] = 0;
        }
    }
}

void DropZeroWeights(TAtoms& r) {
    SlotMap source{};
    int kept = 0;
    for (int k = 1; k <= std::clamp(r.HSPCount, 0, MaxBonds); ++k) {
        const int first = r.HSPFirstIndex[k];
        const int count = r.HSPCoor[k];
        for (int s = first; s < first + count; ++s) {
            if (s >= 1 && s <= MaxBonds && r.BW[s] > 0.001)
                source[static_cast<std::size_t>(++kept)] = s;
            else
                --r.HSPCoor[k];
        }
    }
    int coor = 0;
    for (int k = 1; k <= std::clamp(r.HSPCount, 0, MaxBonds); ++k) {
        r.HSPFirstIndex[k] = coor + 1;
        coor += r.HSPCoor[k];
    }
    r.Coor = coor;
    MoveBonds(r, source, kept, true);
}

void CopyToImages(AtomArray& arr, int nSites, int nTotal) {
    std::unordered_map<std::string_view, int> site;
    for (int i = 1; i <= nSites; ++i)
        site[arr[i].Atomlabel] = i;
    for (int j = nSites + 1; j <= nTotal; ++j) {
        const auto it = site.find(StarView(arr[j].Atomlabel));
        if (it == site.end()) continue;
        const TAtoms& parent = arr[it->second];
        arr[j].QA = parent.QA;
        arr[j].QX = parent.QX;
        arr[j].effcharge = parent.effcharge;
    }
}

} // namespace

void FixPolyhedra(Model& m) {
    for (int i = 1; i <= Clamped(m.TotACLength); ++i)
        FixPolyhedron(m.AC[i]);
    for (int i = 1; i <= Clamped(m.TotAALength); ++i)
        FixPolyhedron(m.AA[i]);
    FixBondIndexes(m);
}

void FixBondIndexes(Model& m) {
    const int nC = Clamped(m.TotACLength), nA = Clamped(m.TotAALength);
    LinkBonds(m.AC, nC, m.AA, nA, std::min(Clamped(m.AAlength), nA));
    LinkBonds(m.AA, nA, m.AC, nC, std::min(Clamped(m.AClength), nC));
}

void FixZeroWPolyhedra(Model& m) {
    for (int i = 1; i <= Clamped(m.AClength); ++i)
        DropZeroWeights(m.AC[i]);
    for (int i = 1; i <= Clamped(m.AAlength); ++i)
        DropZeroWeights(m.AA[i]);
    FixBondIndexes(m);
}

void LoadSiblings(Model& m) {
    CopyToImages(m.AC, Clamped(m.AClength), Clamped(m.TotACLength));
    CopyToImages(m.AA, Clamped(m.AAlength), Clamped(m.TotAALength));
}

void TestHetero(Model& m) {
    m.HC = false;
    m.HA = false;
    for (int i = 1; i <= Clamped(m.AClength); ++i)
        if (m.AC[i].HSPCount != 1) m.HC = true;
    for (int i = 1; i <= Clamped(m.AAlength); ++i)
        if (m.AA[i].HSPCount != 1) m.HA = true;
    m.HH = m.HA && m.HC;
}

int CountMixedAtoms(std::string_view S, std::string_view Sep) {
    if (Sep.empty()) return 0;
    int n = 0;
    for (std::size_t p = S.find(Sep); p != std::string_view::npos; p = S.find(Sep, p + Sep.size()))
        ++n;
    return n;
}

} // namespace kevo

#include "calc/man_coord.h"

#include <algorithm>
#include <vector>

#include "calc/coordination.h"
#include "calc/second_sphere.h"
#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

namespace {

// Second-sphere atoms are listed only between these distances (A).
constexpr double SecondSphereFrom = 2;
constexpr double SecondSphereTo = 99;

struct Bond {
    double distance; // as the list writes it in full
    std::string label;
};

// Bonds of r by increasing distance; equal distances by label.
std::vector<Bond> SortedBonds(const TAtoms& r) {
    std::vector<Bond> bonds;
    for (int k = 1; k <= std::clamp(r.Coor, 0, MaxBonds); ++k)
        bonds.push_back({xStrToFloat(xFloatToStr(r.Dist[k])), Star(r.BondingAtoms[k])});
    std::stable_sort(bonds.begin(), bonds.end(), [](const Bond& a, const Bond& b) {
        if (a.distance != b.distance) return a.distance < b.distance;
        return TextLessIgnoringCase(a.label, b.label);
    });
    return bonds;
}

std::string Row(const std::string& number, const std::string& label, double distance,
                const char* separator) {
    return number + " " + label + separator + FF("0.0000", distance) + " " + xFloatToStr(distance) +
           " Y";
}

void LoadList(const TAtoms& r, MCList& list) {
    for (auto& entry : list)
        entry.clear();
    const std::vector<Bond> bonds = SortedBonds(r);
    const int nBonds = static_cast<int>(bonds.size());
    std::vector<bool> listed(static_cast<std::size_t>(MaxBonds) + 1, false);
    int rows = 0;
    for (int p = 1; p <= nBonds; ++p) {
        const Bond& bond = bonds[static_cast<std::size_t>(p - 1)];
        for (int k = 1; k <= std::clamp(r.SecSphereCoor, 0, MaxBonds); ++k) {
            const double d = r.SecSphereDist[k];
            if (listed[static_cast<std::size_t>(k)] || !(SecondSphereFrom < d) ||
                !(d < SecondSphereTo) || !(d < bond.distance))
                continue;
            // Keep room for this bond and every bond after it.
            if (rows + (nBonds - p + 1) >= MaxBonds) break;
            listed[static_cast<std::size_t>(k)] = true;
            list[++rows] = Row("#", Star(r.SecSphereAtoms[k]), d, "  ");
        }
        list[++rows] = Row(IntToStr(p), bond.label, bond.distance, " ");
    }
    list[0] = r.Atomlabel + " " + IntToStr(rows) + " " + IntToStr(r.Coor);
}

std::string JoinRow(const MCRow& f) {
    return (f[0].empty() ? std::string("#") : f[0]) + " " + f[1] + " " + f[2] + " " + f[3] + " " +
           f[4];
}

void SetHeaderCn(MCList& list, const std::string& cn) {
    list[0] = MCField(list[0], 0) + " " + MCField(list[0], 1) + " " + cn;
}

} // namespace

MCList& MCListOf(Model& m, bool cations, int i) {
    auto& lists = cations ? m.MCCats : m.MCAns;
    if (i >= 1 && i <= MaxAtoms) lists.Ensure(i);
    return lists.at(i);
}

const MCList& MCListOf(const Model& m, bool cations, int i) {
    const auto& lists = cations ? m.MCCats : m.MCAns;
    if (i < 1 || i > MaxAtoms) return lists.at(i); // throws
    static const MCList blank{};
    return i <= lists.size() ? lists[i] : blank;
}

std::string MCField(const std::string& entry, int n) {
    return GetCol(" ", entry, n);
}

int MCRowCount(const MCList& list) {
    return std::clamp(TryStrToInt(MCField(list[0], 1)).value_or(0), 0, MaxBonds);
}

MCRow MCRowFields(const MCList& list, int r) {
    MCRow f;
    for (int n = 0; n < MCFields; ++n)
        f[static_cast<std::size_t>(n)] = MCField(list.at(r), n);
    return f;
}

void LoadData(Model& m, MessageSink& msg) {
    for (bool cations : {true, false}) {
        SecondSphere(m, msg, cations ? 1 : 2);
        const AtomArray& arr = cations ? m.AC : m.AA;
        const int n = std::clamp(cations ? m.AClength : m.AAlength, 0, MaxAtoms);
        for (int i = 1; i <= n; ++i)
            LoadList(arr[i], MCListOf(m, cations, i));
    }
}

void CutCoordination(MCList& list, int r) {
    const int rows = MCRowCount(list);
    if (r < 1 || r > rows) return;
    std::vector<MCRow> f(static_cast<std::size_t>(rows) + 1);
    for (int j = 1; j <= rows; ++j)
        f[static_cast<std::size_t>(j)] = MCRowFields(list, j);
    auto row = [&f](int j) -> MCRow& { return f[static_cast<std::size_t>(j)]; };
    auto ligand = [&row](int j) { return row(j)[0] != "#"; };

    if (row(r)[4] == "Y") {
        for (int j = r + 1; j <= rows; ++j)
            row(j)[4] = "N";
    } else {
        for (int j = 1; j <= r; ++j)
            row(j)[4] = "Y";
    }
    int cut = r;
    while (cut >= 1 && !ligand(cut)) {
        row(cut)[4] = "N";
        --cut;
    }
    if (cut < 1) {
        // No ligand above: the coordination keeps its first ligand.
        cut = r;
        while (cut <= rows && !ligand(cut))
            ++cut;
        if (cut > rows) return;
        for (int j = 1; j <= rows; ++j)
            row(j)[4] = j == cut ? "Y" : "N";
    }
    for (int j = 1; j <= rows; ++j)
        list[j] = JoinRow(row(j));
    SetHeaderCn(list, row(cut)[0]);
}

std::optional<double> MCRadius(const MCList& list) {
    const std::string cn = MCField(list[0], 2);
    const int rows = MCRowCount(list);
    for (int j = 1; j <= rows; ++j)
        if (MCField(list[j], 0) == cn) return TryStrToFloat(MCField(list[j], 3));
    return std::nullopt;
}

void ApplyManualCoordination(Model& m) {
    for (bool cations : {true, false}) {
        AtomArray& arr = cations ? m.AC : m.AA;
        const int n = std::clamp(cations ? m.AClength : m.AAlength, 0, MaxAtoms);
        for (int i = 1; i <= n; ++i)
            if (const auto radius = MCRadius(MCListOf(m, cations, i))) arr[i].Nearest = *radius;
    }
    m.ThresOption = 2;
    m.NearestLimit = false;
    m.ExZeroW = false;
}

void LongestBondRadii(Model& m) {
    for (bool cations : {true, false}) {
        AtomArray& arr = cations ? m.AC : m.AA;
        const int n = std::clamp(cations ? m.AClength : m.AAlength, 0, MaxAtoms);
        for (int i = 1; i <= n; ++i) {
            const std::vector<Bond> bonds = SortedBonds(arr[i]);
            if (!bonds.empty()) arr[i].Nearest = bonds.back().distance;
        }
    }
}

} // namespace kevo

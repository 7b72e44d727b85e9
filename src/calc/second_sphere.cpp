#include "calc/second_sphere.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "calc/coordination.h"
#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

namespace {

constexpr double SphereRadius = 5.0;

// One image within the sphere: its sort key "distance x y z label operator
// translation" (numbers formatted "0.0000000") and where each field lies in
// it.
struct Entry {
    std::string key;
    std::array<std::size_t, 8> at{}; // start of field k; at[7] is the key's end

    std::string_view Field(std::size_t k) const {
        return std::string_view(key).substr(at[k], at[k + 1] - at[k] - (k + 1 < 7 ? 1 : 0));
    }
};

double Number(std::string_view text) {
    return TryStrToFloat(text).value_or(0);
}

} // namespace

void SecondSphere(Model& m, MessageSink& msg, int side) {
    const bool cations = side == 1;
    AtomArray& arr = cations ? m.AC : m.AA;
    const int nCentres = std::clamp(cations ? m.AClength : m.AAlength, 0, MaxAtoms);
    const int nCandidates = std::clamp(cations ? m.TotACLength : m.TotAALength, 0, MaxAtoms);
    const double lower = cations ? m.MaxSDist : 2e-8;
    const CellMetric cell(m);

    std::vector<Entry> entries;
    for (int i = 1; i <= nCentres; ++i) {
        TAtoms& c = arr[i];
        entries.clear();
        for (int j = 1; j <= nCandidates; ++j) {
            const TAtoms& p = arr[j];
            cell.ForEachImage(
                c.X - p.X, c.Y - p.Y, c.Z - p.Z, SphereRadius, [&](int a, int b, int t) {
                    const double x = p.X + a, y = p.Y + b, z = p.Z + t;
                    const double D = cell.Distance(c.X, c.Y, c.Z, x, y, z);
                    if (!(lower < D && D < SphereRadius)) return true;
                    const std::string fields[7] = {FF("0.0000000", D),
                                                   FF("0.0000000", x),
                                                   FF("0.0000000", y),
                                                   FF("0.0000000", z),
                                                   cations ? p.Atomlabel : Star(p.Atomlabel),
                                                   p.SymOp,
                                                   TranslationText(a, b, t)};
                    Entry e;
                    std::size_t size = 6;
                    for (const std::string& f : fields)
                        size += f.size();
                    e.key.reserve(size);
                    for (std::size_t k = 0; k < 7; ++k) {
                        if (k > 0) e.key += ' ';
                        e.at[k] = e.key.size();
                        e.key += fields[k];
                    }
                    e.at[7] = e.key.size();
                    entries.push_back(std::move(e));
                    return true;
                });
        }
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return TextLessIgnoringCase(a.key, b.key);
        });
        entries.erase(std::unique(entries.begin(), entries.end(),
                                  [](const Entry& a, const Entry& b) { return a.key == b.key; }),
                      entries.end());

        int stored = 0;
        for (const Entry& e : entries) {
            if (stored + 1 > MaxBonds) {
                msg.Show(SecondSphereLimitMessage);
                break;
            }
            ++stored;
            c.SecSphereDist[stored] = Number(e.Field(0));
            c.SecSphereX[stored] = Number(e.Field(1));
            c.SecSphereY[stored] = Number(e.Field(2));
            c.SecSphereZ[stored] = Number(e.Field(3));
            c.SecSphereAtoms[stored] = e.Field(4);
            c.SecSphereSymOp[stored] = e.Field(5);
            c.SecSphereSymTrans[stored] = e.Field(6);
        }
        c.SecSphereCoor = stored;
    }
}

} // namespace kevo

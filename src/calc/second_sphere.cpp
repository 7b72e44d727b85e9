#include "calc/second_sphere.h"

#include <algorithm>
#include <string>
#include <vector>

#include "calc/coordination.h"
#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

namespace {

constexpr double SphereRadius = 5.0;

struct Entry {
    std::string key; // "distance x y z label operator translation"
    std::string distance, x, y, z;
    std::string label, symOp, trans;
};

double Number(const std::string& text) {
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
            cell.ForEachImage(c.X - p.X, c.Y - p.Y, c.Z - p.Z, SphereRadius,
                              [&](int a, int b, int t) {
                                  const double x = p.X + a, y = p.Y + b, z = p.Z + t;
                                  const double D = cell.Distance(c.X, c.Y, c.Z, x, y, z);
                                  if (!(lower < D && D < SphereRadius)) return true;
                                  Entry e{std::string(),
                                          FF("0.0000000", D),
                                          FF("0.0000000", x),
                                          FF("0.0000000", y),
                                          FF("0.0000000", z),
                                          cations ? p.Atomlabel : Star(p.Atomlabel),
                                          p.SymOp,
                                          TranslationText(a, b, t)};
                                  e.key = e.distance + " " + e.x + " " + e.y + " " + e.z + " " +
                                          e.label + " " + e.symOp + " " + e.trans;
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
            c.SecSphereDist[stored] = Number(e.distance);
            c.SecSphereX[stored] = Number(e.x);
            c.SecSphereY[stored] = Number(e.y);
            c.SecSphereZ[stored] = Number(e.z);
            c.SecSphereAtoms[stored] = e.label;
            c.SecSphereSymOp[stored] = e.symOp;
            c.SecSphereSymTrans[stored] = e.trans;
        }
        c.SecSphereCoor = stored;
    }
}

} // namespace kevo

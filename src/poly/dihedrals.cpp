#include "poly/dihedrals.h"

#include <algorithm>
#include <string>
#include <vector>

#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

void GetDihedrals(Model& m, PolyWork& w, int ca) {
    AtomArray& atoms = ca == 1 ? m.AC : m.AA;
    const int n = std::clamp(ca == 1 ? m.AClength : m.AAlength, 0, MaxAtoms);
    for (int i = 1; i <= n; ++i) {
        TAtoms& r = atoms[i];
        const int faces = std::clamp(r.VolFaces, 0, MaxFaces);
        if (faces < 2) {
            r.AdjacentFaces[1].clear();
            r.DAngles[1] = "n/a";
            continue;
        }
        // The positions the numbers of CPFaces denote.
        w.ligands = std::clamp(r.Coor, 0, MaxBonds);
        for (int k = 1; k <= w.ligands; ++k)
            SetPosition(m, w.LA[k], r.SBondCoorX[k], r.SBondCoorY[k], r.SBondCoorZ[k]);
        std::vector<std::vector<int>> tri(static_cast<std::size_t>(faces) + 1);
        for (int j = 1; j <= faces; ++j)
            tri[static_cast<std::size_t>(j)] = Numbers(r.CPFaces[j]);
        auto valid = [&w](const std::vector<int>& t) {
            return t.size() == 3 && std::all_of(t.begin(), t.end(),
                                                [&w](int v) { return v >= 1 && v <= w.ligands; });
        };
        for (int j = 1; j <= faces; ++j) {
            const std::vector<int>& a = tri[static_cast<std::size_t>(j)];
            std::string AdjFaces;
            std::string DAngs = r.CPFaces[j];
            for (int k = 1; k <= faces && valid(a); ++k) {
                const std::vector<int>& b = tri[static_cast<std::size_t>(k)];
                if (r.CPFaces[k] == r.CPFaces[j] || !valid(b)) continue;
                const std::string edge = Intersect(a[0], a[1], a[2], b[0], b[1], b[2]);
                if (edge.empty()) continue;
                const std::vector<int> e = Numbers(edge);
                int p = 0, q = 0;
                for (int v : a)
                    if (v != e[0] && v != e[1]) p = v;
                for (int v : b)
                    if (v != e[0] && v != e[1]) q = v;
                AdjFaces += PadLeft(r.CPFaces[k], 12);
                const double DihAngle = DihedralAngle(m, Frac(w.LA[p]), Frac(w.LA[q]),
                                                      Frac(w.LA[e[0]]), Frac(w.LA[e[1]]));
                DAngs = PadRight(DAngs, 8) + PadLeft(FF("0.00", DihAngle), 12);
            }
            r.AdjacentFaces[j] = AdjFaces;
            r.DAngles[j] += DAngs;
        }
    }
}

} // namespace kevo

// Hand-built polyhedra and independent checks of their faces and volumes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/model.h"
#include "model/numbers.h"
#include "model/symmetry.h"
#include "poly/primitives.h"

namespace kevo::testing {

// A central atom with the ligands "O1".."On" (or, for an anion, "M1"..)
// at the given Cartesian offsets (A) from the cell centre; the atom itself
// sits at the centre plus shift. One sub-polyhedron.
inline TAtoms& AddCentre(Model& m, bool cation, const std::string& label,
                         const std::vector<Vec3>& ligands, Vec3 shift = {0, 0, 0}) {
    int& n = cation ? m.AClength : m.AAlength;
    AtomArray& records = cation ? m.AC : m.AA;
    records.Ensure(++n);
    TAtoms& r = records[n];
    (cation ? m.TotACLength : m.TotAALength) = n;
    const Vec3 edge{m.va, m.vb, m.vc};
    r.Atomlabel = label;
    r.AtomSymbol = cation ? "(M)" : "(O)";
    r.effcharge = cation ? 2 : -2;
    r.X = 0.5 + shift[0] / edge[0];
    r.Y = 0.5 + shift[1] / edge[1];
    r.Z = 0.5 + shift[2] / edge[2];
    const Vec3 c = ToCart(m, r.X, r.Y, r.Z);
    r.CX = c[0];
    r.CY = c[1];
    r.CZ = c[2];
    for (const Vec3& l : ligands) {
        const int k = ++r.Coor;
        r.BondingAtoms[k] = (cation ? "O" : "M") + IntToStr(k);
        r.BondCoorX[k] = 0.5 + l[0] / edge[0];
        r.BondCoorY[k] = 0.5 + l[1] / edge[1];
        r.BondCoorZ[k] = 0.5 + l[2] / edge[2];
        const Vec3 p = ToCart(m, r.BondCoorX[k], r.BondCoorY[k], r.BondCoorZ[k]);
        r.BondCoorCX[k] = p[0];
        r.BondCoorCY[k] = p[1];
        r.BondCoorCZ[k] = p[2];
        r.Dist[k] = Norm(Sub(p, c));
    }
    r.HSPCount = 1;
    r.HSPCoor[1] = r.Coor;
    r.HSPFirstIndex[1] = 1;
    return r;
}

// An empty calculated model with a tetragonal cell of edges a, a, c (cubic
// when c is 0).
inline std::unique_ptr<Model> CellModel(double a = 10, double c_edge = 0) {
    auto m = Model::Create();
    m->a = m->b = FF("0.000000", a);
    m->c = FF("0.000000", c_edge > 0 ? c_edge : a);
    m->alpha = m->beta = m->gamma = "90";
    PrepareUnitCell(*m);
    EXPECT_TRUE(TransformationMatrix(*m));
    m->Calculated = true;
    return m;
}

// The cation "M1" alone with its ligands, see AddCentre.
inline std::unique_ptr<Model> ShapeModel(const std::vector<Vec3>& ligands, double a = 10,
                                         Vec3 shift = {0, 0, 0}, double c_edge = 0) {
    auto m = CellModel(a, c_edge);
    AddCentre(*m, true, "M1", ligands, shift);
    return m;
}

// Cartesian position of vertex position k of the first face construction.
inline Vec3 PositionOf(const Model& m, const TAtoms& r, int k) {
    return ToCart(m, r.SBondCoorX[k], r.SBondCoorY[k], r.SBondCoorZ[k]);
}

inline std::vector<std::array<int, 3>> Triangles(const TAtoms& r) {
    std::vector<std::array<int, 3>> out;
    for (int f = 1; f <= r.VolFaces; ++f) {
        const std::vector<int> v = Numbers(r.CPFaces[f]);
        EXPECT_EQ(v.size(), 3u) << r.CPFaces[f];
        if (v.size() == 3) out.push_back({v[0], v[1], v[2]});
    }
    return out;
}

// Each triangle of the volume triangulation as the polygon of its corners
// and the positions lying on its sides (a side of one triangle may be split
// by a position in the triangles beyond it), in the triangle's order.
inline std::vector<std::vector<int>> Outlines(const Model& m, const TAtoms& r) {
    std::vector<std::vector<int>> out;
    for (const auto& t : Triangles(r)) {
        std::vector<int> poly;
        for (std::size_t e = 0; e < 3; ++e) {
            const int a = t[e], b = t[(e + 1) % 3];
            const Vec3 pa = PositionOf(m, r, a), pb = PositionOf(m, r, b);
            const Vec3 ab = Sub(pb, pa);
            std::vector<std::pair<double, int>> on;
            for (int k = 1; k <= r.Coor; ++k) {
                if (k == a || k == b) continue;
                const Vec3 ak = Sub(PositionOf(m, r, k), pa);
                const double u = Dot(ak, ab) / Dot(ab, ab);
                if (u > 0 && u < 1 && Norm(Cross(ak, ab)) / Norm(ab) < 1e-4) on.push_back({u, k});
            }
            std::sort(on.begin(), on.end());
            poly.push_back(a);
            for (const auto& x : on)
                poly.push_back(x.second);
        }
        out.push_back(poly);
    }
    return out;
}

// The volume triangulation is a closed surface: no triangle twice, every
// edge (split where positions lie on it) in exactly two triangles.
inline void ExpectClosedSurface(const Model& m, const TAtoms& r) {
    std::set<std::string> seen;
    for (int f = 1; f <= r.VolFaces; ++f)
        EXPECT_TRUE(seen.insert(r.CPFaces[f]).second) << "triangle twice: " << r.CPFaces[f];
    std::map<std::pair<int, int>, int> edges;
    for (const auto& poly : Outlines(m, r))
        for (std::size_t e = 0; e < poly.size(); ++e) {
            const int a = poly[e], b = poly[(e + 1) % poly.size()];
            ++edges[{std::min(a, b), std::max(a, b)}];
        }
    for (const auto& [edge, count] : edges)
        EXPECT_EQ(count, 2) << "edge " << edge.first << "-" << edge.second;
}

// Divergence theorem: the volume enclosed by the triangles of CPFaces, each
// oriented consistently with its neighbours (a shared edge is run through in
// opposite directions), as the sum of signed tetrahedra on the origin.
inline double DivergenceVolume(const Model& m, const TAtoms& r) {
    std::vector<std::array<int, 3>> tris = Triangles(r);
    std::vector<std::vector<int>> polys = Outlines(m, r);
    if (tris.empty()) return 0;
    std::vector<bool> done(tris.size(), false);
    std::vector<std::size_t> queue{0};
    done[0] = true;
    auto directed = [](const std::vector<int>& p, int a, int b) {
        for (std::size_t e = 0; e < p.size(); ++e)
            if (p[e] == a && p[(e + 1) % p.size()] == b) return true;
        return false;
    };
    while (!queue.empty()) {
        const std::size_t i = queue.back();
        queue.pop_back();
        for (std::size_t j = 0; j < tris.size(); ++j) {
            if (done[j]) continue;
            for (std::size_t e = 0; e < polys[i].size(); ++e) {
                const int a = polys[i][e], b = polys[i][(e + 1) % polys[i].size()];
                if (directed(polys[j], a, b)) {
                    std::swap(tris[j][0], tris[j][1]);
                    std::reverse(polys[j].begin(), polys[j].end());
                } else if (!directed(polys[j], b, a)) {
                    continue;
                }
                done[j] = true;
                queue.push_back(j);
                break;
            }
        }
    }
    double v = 0;
    for (const auto& t : tris) {
        const Vec3 p1 = PositionOf(m, r, t[0]), p2 = PositionOf(m, r, t[1]),
                   p3 = PositionOf(m, r, t[2]);
        v += Dot(p1, Cross(p2, p3)) / 6;
    }
    EXPECT_TRUE(std::all_of(done.begin(), done.end(), [](bool b) { return b; }));
    return std::fabs(v);
}

// Rounding: positions are kept to 1e-8 in fractional and in Cartesian
// coordinates separately, so volumes from the one and the other agree to
// about 1e-6 A^3.

// Brute-force convex hull volume: the points are moved by less than 1e-7 A
// so that no four are coplanar, then every triangle with all other points on
// one side is a facet, and the facets make tetrahedra with an inner point.
inline double HullVolume(std::vector<Vec3> p) {
    unsigned seed = 7;
    for (Vec3& q : p)
        for (double& x : q) {
            seed = seed * 1103515245u + 12345u;
            x += (static_cast<double>((seed >> 16) & 0x7fff) / 32768.0 - 0.5) * 1e-7;
        }
    Vec3 g{0, 0, 0};
    for (const Vec3& q : p)
        for (std::size_t t = 0; t < 3; ++t)
            g[t] += q[t] / static_cast<double>(p.size());
    double v = 0;
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            for (std::size_t k = j + 1; k < n; ++k) {
                const Vec3 nrm = Cross(Sub(p[j], p[i]), Sub(p[k], p[i]));
                bool below = false, above = false;
                for (std::size_t h = 0; h < n; ++h) {
                    if (h == i || h == j || h == k) continue;
                    const double s = Dot(nrm, Sub(p[h], p[i]));
                    (s < 0 ? below : above) = true;
                }
                if (below && above) continue;
                v += std::fabs(Dot(Sub(p[i], g), Cross(Sub(p[j], g), Sub(p[k], g)))) / 6;
            }
    return v;
}

// The ligand positions of an atom, Cartesian.
inline std::vector<Vec3> LigandPoints(const TAtoms& r) {
    std::vector<Vec3> p;
    for (int k = 1; k <= r.Coor; ++k)
        p.push_back({r.BondCoorCX[k], r.BondCoorCY[k], r.BondCoorCZ[k]});
    return p;
}

// The central atom lies inside the convex hull of its ligands, at least
// margin (A) from every facet plane.
inline bool CentreInside(const TAtoms& r, double margin = 1e-3) {
    const std::vector<Vec3> p = LigandPoints(r);
    const Vec3 c{r.CX, r.CY, r.CZ};
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            for (std::size_t k = j + 1; k < n; ++k) {
                Vec3 nrm = Cross(Sub(p[j], p[i]), Sub(p[k], p[i]));
                const double len = Norm(nrm);
                if (len < 1e-9) continue;
                bool below = false, above = false;
                for (std::size_t h = 0; h < n; ++h) {
                    const double s = Dot(nrm, Sub(p[h], p[i])) / len;
                    if (s < -1e-6) below = true;
                    if (s > 1e-6) above = true;
                }
                if (below && above) continue;
                const double sc = Dot(nrm, Sub(c, p[i])) / len;
                // Facet plane: the centre must be on the ligands' side, inside.
                if ((above && sc < margin) || (below && sc > -margin)) return false;
                if (!above && !below) return false; // all in one plane
            }
    return n >= 4;
}

// No stored geometry value is NaN or infinite.
inline void ExpectFiniteGeometry(const TAtoms& r) {
    const double values[] = {r.PolVolume,
                             r.IdealPolVolume,
                             r.IdealPolDistortion,
                             r.CentroidCA,
                             r.SRadius,
                             r.LECC,
                             r.SECC,
                             r.SVolume,
                             r.CenBondSD,
                             r.SPHV,
                             r.SPHL,
                             r.Xo,
                             r.Yo,
                             r.Zo,
                             r.CXo,
                             r.CYo,
                             r.CZo,
                             r.CenVector[1],
                             r.CenVector[2],
                             r.CenVector[3],
                             r.PlaneAngle[1],
                             r.PlaneAngle[2],
                             r.PlaneAngle[3],
                             r.Average123_45[1],
                             r.Average123_45[2]};
    for (double v : values)
        EXPECT_TRUE(std::isfinite(v));
    for (int k = 1; k <= r.Coor; ++k)
        EXPECT_TRUE(std::isfinite(r.BondCenDist[k]));
    for (int f = 1; f <= MaxFaces; ++f) {
        EXPECT_TRUE(std::isfinite(r.PartVolumes[f]));
        EXPECT_EQ(r.DAngles[f].find("NAN"), std::string::npos);
        EXPECT_EQ(r.DAngles[f].find("INF"), std::string::npos);
    }
}

} // namespace kevo::testing

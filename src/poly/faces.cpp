#include "poly/faces.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "calc/coordination.h"
#include "model/numbers.h"

namespace kevo {

namespace {

TAtoms& Atom(Model& m, int ca, int index) {
    return (ca == 1 ? m.AC : m.AA).at(index);
}

// A face triangle: its vertices in face-string order and its string.
struct Tri {
    std::array<int, 3> v{};
    std::string s;
    bool used = false; // part of a flat or folded face
};

// A four-vertex face: its string and the two triangles that make it up.
struct FourVFace {
    std::string face;
    std::string t1, t2;
};

bool InSet(const std::vector<int>& set, int x) {
    return std::find(set.begin(), set.end(), x) != set.end();
}

// --- Plane geometry of a flat face -----------------------------------------------------

struct P2 {
    double u = 0, v = 0;
    int id = 0;
};

double Cross2(const P2& o, const P2& a, const P2& b) {
    return (a.u - o.u) * (b.v - o.v) - (a.v - o.v) * (b.u - o.u);
}

double SegDist(const P2& p, const P2& a, const P2& b) {
    const double du = b.u - a.u, dv = b.v - a.v;
    const double len2 = du * du + dv * dv;
    double t = len2 > 0 ? ((p.u - a.u) * du + (p.v - a.v) * dv) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.u - (a.u + t * du), p.v - (a.v + t * dv));
}

// Convex hull, counter-clockwise, without points on its sides.
std::vector<P2> Hull2(std::vector<P2> pts) {
    std::sort(pts.begin(), pts.end(),
              [](const P2& a, const P2& b) { return a.u < b.u || (a.u == b.u && a.v < b.v); });
    if (pts.size() < 3) return pts;
    std::vector<P2> h(2 * pts.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        while (k >= 2 && Cross2(h[k - 2], h[k - 1], pts[i]) <= 0)
            --k;
        h[k++] = pts[i];
    }
    for (std::size_t i = pts.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && Cross2(h[k - 2], h[k - 1], pts[i - 1]) <= 0)
            --k;
        h[k++] = pts[i - 1];
    }
    h.resize(k - 1);
    return h;
}

// Distance of p from a convex polygon (0 inside); the polygon may have
// shrunk to a segment or a point.
double PolygonDistance(const P2& p, const std::vector<P2>& poly) {
    if (poly.empty()) return 1e300;
    if (poly.size() == 1) return std::hypot(p.u - poly[0].u, p.v - poly[0].v);
    bool inside = poly.size() >= 3;
    double d = 1e300;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const P2& a = poly[i];
        const P2& b = poly[(i + 1) % poly.size()];
        if (Cross2(a, b, p) < 0) inside = false;
        d = std::min(d, SegDist(p, a, b));
    }
    return inside ? 0 : d;
}

// The vertices of the flat face through the positions S (all within FaceTol
// of the plane of the triangle i j k), in boundary order from v0; empty when
// they make no polygon.
std::vector<int> FlatFaceVertices(const PolyWork& w, const std::vector<int>& S, int i, int j,
                                  int k) {
    const Vec3 Pi = Cart(w.LA[i]);
    const Vec3 a = Sub(Cart(w.LA[j]), Pi);
    const Vec3 n = Cross(a, Sub(Cart(w.LA[k]), Pi));
    const double la = Norm(a), ln = Norm(n);
    const Vec3 e1{a[0] / la, a[1] / la, a[2] / la};
    const Vec3 nn{n[0] / ln, n[1] / ln, n[2] / ln};
    const Vec3 e2 = Cross(nn, e1);
    std::vector<P2> pts;
    for (int s : S) {
        const Vec3 d = Sub(Cart(w.LA[s]), Pi);
        pts.push_back({Dot(d, e1), Dot(d, e2), s});
    }

    // Corners: at least FaceTol outside the polygon of the other positions.
    std::vector<P2> corners, rest;
    for (std::size_t p = 0; p < pts.size(); ++p) {
        std::vector<P2> others;
        for (std::size_t q = 0; q < pts.size(); ++q)
            if (q != p) others.push_back(pts[q]);
        (PolygonDistance(pts[p], Hull2(others)) >= FaceTol ? corners : rest).push_back(pts[p]);
    }
    if (corners.size() < 3) return {};
    double cu = 0, cv = 0;
    for (const P2& c : corners) {
        cu += c.u;
        cv += c.v;
    }
    cu /= static_cast<double>(corners.size());
    cv /= static_cast<double>(corners.size());
    std::sort(corners.begin(), corners.end(), [cu, cv](const P2& x, const P2& y) {
        return std::atan2(x.v - cv, x.u - cu) < std::atan2(y.v - cv, y.u - cu);
    });

    // Positions on a side between two neighbouring corners are vertices too.
    std::vector<std::vector<std::pair<double, int>>> onSide(corners.size());
    for (const P2& p : rest) {
        for (std::size_t t = 0; t < corners.size(); ++t) {
            const P2& c1 = corners[t];
            const P2& c2 = corners[(t + 1) % corners.size()];
            if (SegDist(p, c1, c2) < FaceTol) {
                const double along = (p.u - c1.u) * (c2.u - c1.u) + (p.v - c1.v) * (c2.v - c1.v);
                onSide[t].push_back({along, p.id});
                break;
            }
        }
    }
    std::vector<int> cycle;
    for (std::size_t t = 0; t < corners.size(); ++t) {
        cycle.push_back(corners[t].id);
        std::sort(onSide[t].begin(), onSide[t].end());
        for (const auto& s : onSide[t])
            cycle.push_back(s.second);
    }

    // From the vertex first in text order towards its neighbour first in
    // text order.
    const std::size_t n_v = cycle.size();
    std::size_t start = 0;
    for (std::size_t t = 1; t < n_v; ++t)
        if (NumberTextLess(cycle[t], cycle[start])) start = t;
    const int next = cycle[(start + 1) % n_v];
    const int prev = cycle[(start + n_v - 1) % n_v];
    const bool forward = NumberTextLess(next, prev);
    std::vector<int> out;
    for (std::size_t t = 0; t < n_v; ++t)
        out.push_back(forward ? cycle[(start + t) % n_v] : cycle[(start + n_v - t) % n_v]);
    return out;
}

// A piece of a flat face in boundary order, q.size() 4: the record with its
// two triangles.
FourVFace SplitPiece(const PolyWork& w, const std::vector<int>& q) {
    std::vector<int> text = q; // a b c d
    std::sort(text.begin(), text.end(), NumberTextLess);
    // The diagonal runs through the vertex in line with its neighbours, or
    // through c.
    std::size_t x = std::find(q.begin(), q.end(), text[2]) - q.begin();
    for (std::size_t t = 0; t < 4; ++t)
        if (Collinear(w, q[(t + 3) % 4], q[t], q[(t + 1) % 4])) {
            x = t;
            break;
        }
    const int d1 = q[x], d2 = q[(x + 2) % 4];
    std::vector<int> off;
    for (int v : {text[3], text[0], text[1], text[2]})
        if (v != d1 && v != d2) off.push_back(v);
    return {FaceString(q), FaceString({d1, d2, off[0]}), FaceString({d1, d2, off[1]})};
}

bool AllOnALine(const PolyWork& w, const std::vector<int>& q) {
    for (std::size_t a = 0; a < q.size(); ++a)
        for (std::size_t b = a + 1; b < q.size(); ++b)
            for (std::size_t c = b + 1; c < q.size(); ++c)
                if (!Collinear(w, q[a], q[b], q[c])) return false;
    return true;
}

// Positions of the working set: label and its coordinates as eight-decimal
// text, so every coordinate is rounded to 1e-8.
struct Position {
    std::string text; // label and coordinates, the sort key
    std::string label;
    std::array<std::string, 6> coord; // CX CY CZ X Y Z
};

Position MakePosition(std::string label, double cx, double cy, double cz, double x, double y,
                      double z) {
    Position p;
    p.label = std::move(label);
    p.text = p.label;
    const double v[6] = {cx, cy, cz, x, y, z};
    for (std::size_t t = 0; t < 6; ++t) {
        p.coord[t] = FF("0.00000000", v[t]);
        p.text += " " + p.coord[t];
    }
    return p;
}

std::vector<Position> Positions(const PolyWork& w, double SplitDist) {
    std::vector<Position> list;
    std::vector<bool> merged(static_cast<std::size_t>(w.ligands) + 1, false);
    for (int i = 1; i < w.ligands; ++i)
        for (int j = i + 1; j <= w.ligands; ++j) {
            const TLigand& a = w.LA[i];
            const TLigand& b = w.LA[j];
            if (SplitDist > DistanceXYZ(a.CX, a.CY, a.CZ, b.CX, b.CY, b.CZ)) {
                list.push_back(MakePosition(IntToStr(i) + "-" + IntToStr(j), (a.CX + b.CX) / 2,
                                            (a.CY + b.CY) / 2, (a.CZ + b.CZ) / 2, (a.X + b.X) / 2,
                                            (a.Y + b.Y) / 2, (a.Z + b.Z) / 2));
                merged[static_cast<std::size_t>(i)] = merged[static_cast<std::size_t>(j)] = true;
            }
        }
    for (int i = 1; i <= w.ligands; ++i)
        if (!merged[static_cast<std::size_t>(i)]) {
            const TLigand& a = w.LA[i];
            list.push_back(MakePosition(IntToStr(i), a.CX, a.CY, a.CZ, a.X, a.Y, a.Z));
        }
    std::sort(list.begin(), list.end(), [](const Position& x, const Position& y) {
        return TextLessIgnoringCase(x.text, y.text);
    });
    list.erase(std::unique(list.begin(), list.end(),
                           [](const Position& x, const Position& y) { return x.text == y.text; }),
               list.end());
    return list;
}

} // namespace

void InitializeFaces(Model& m) {
    auto clear = [](TAtoms& r) {
        r.FacesNo = r.VolFaces = r.IPFaces = 0;
        for (int j = 1; j <= MaxFaces; ++j) {
            r.Faces[j].clear();
            r.CPFaces[j].clear();
            r.AdjacentFaces[j].clear();
            r.DAngles[j].clear();
            r.PartVolumes[j] = 0;
        }
    };
    for (int i = 1; i <= std::min(m.AClength, MaxAtoms); ++i)
        clear(m.AC[i]);
    for (int i = 1; i <= std::min(m.AAlength, MaxAtoms); ++i)
        clear(m.AA[i]);
}

void GetFaces(Model& m, PolyWork& w, int ca, int index, bool cs) {
    TAtoms& r = Atom(m, ca, index);
    w.TMFaces = false;
    w.ligands = std::clamp(w.ligands, 0, MaxBonds);

    // Vertex positions, in text order of their labels. Merging can only
    // multiply positions when ligands crowd within MaxSDist of each other;
    // should they outgrow the working set, no pair is merged.
    std::vector<Position> list = Positions(w, cs ? m.MaxSDist : 0);
    if (static_cast<int>(list.size()) > MaxBonds) list = Positions(w, 0);
    w.ligands = static_cast<int>(list.size());
    for (int k = 1; k <= w.ligands; ++k) {
        const Position& p = list[static_cast<std::size_t>(k - 1)];
        TLigand& l = w.LA[k];
        l.FaceLabel = p.label;
        l.CX = xStrToFloat(p.coord[0]);
        l.CY = xStrToFloat(p.coord[1]);
        l.CZ = xStrToFloat(p.coord[2]);
        l.X = xStrToFloat(p.coord[3]);
        l.Y = xStrToFloat(p.coord[4]);
        l.Z = xStrToFloat(p.coord[5]);
        if (!cs) {
            r.SplitTable[k] = p.label;
            r.SBondCoorX[k] = l.X;
            r.SBondCoorY[k] = l.Y;
            r.SBondCoorZ[k] = l.Z;
        }
    }

    // Face triangles, in text order of their strings.
    std::vector<Tri> tris;
    for (int i = 1; i <= w.ligands; ++i)
        for (int j = i + 1; j <= w.ligands; ++j)
            for (int k = j + 1; k <= w.ligands; ++k)
                if (TrueFace(w, i, j, k)) {
                    Tri t;
                    std::vector<int> v{i, j, k};
                    std::sort(v.begin(), v.end(), NumberTextLess);
                    t.v = {v[0], v[1], v[2]};
                    t.s = JoinNumbers(v);
                    tris.push_back(std::move(t));
                }
    std::sort(tris.begin(), tris.end(), [](const Tri& a, const Tri& b) { return a.s < b.s; });

    std::vector<FourVFace> fourV;
    std::vector<std::string> closed;

    // Flat faces.
    for (Tri& t : tris) {
        if (t.used) continue;
        std::vector<int> S;
        for (int h = 1; h <= w.ligands; ++h)
            if (h == t.v[0] || h == t.v[1] || h == t.v[2] ||
                std::fabs(PlaneDistance(w, h, t.v[0], t.v[1], t.v[2])) < FaceTol)
                S.push_back(h);
        if (S.size() < 4) continue;
        const std::vector<int> V = FlatFaceVertices(w, S, t.v[0], t.v[1], t.v[2]);
        if (V.size() < 3) continue;
        for (Tri& u : tris)
            if (InSet(S, u.v[0]) && InSet(S, u.v[1]) && InSet(S, u.v[2])) u.used = true;
        const std::size_t n = V.size();
        std::size_t k = 1;
        for (; k + 2 <= n - 1; k += 2) {
            const std::vector<int> q{V[0], V[k], V[k + 1], V[k + 2]};
            if (!AllOnALine(w, q)) fourV.push_back(SplitPiece(w, q));
        }
        if (k + 1 == n - 1) {
            const std::vector<int> q{V[0], V[k], V[k + 1]};
            if (!AllOnALine(w, q)) closed.push_back(FaceString(q));
        }
    }

    // Folded faces: pairs of the remaining triangles.
    for (std::size_t h = 0; h < tris.size(); ++h) {
        for (std::size_t j = h + 1; j < tris.size() && !tris[h].used; ++j) {
            if (tris[j].used) continue;
            const auto& a = tris[h].v;
            const auto& b = tris[j].v;
            std::vector<int> edge;
            for (int x : a)
                if (InSet({b[0], b[1], b[2]}, x)) edge.push_back(x);
            if (edge.size() != 2) continue;
            int p = 0, q = 0;
            for (int x : a)
                if (!InSet(edge, x)) p = x;
            for (int x : b)
                if (!InSet(edge, x)) q = x;
            const double DihAngle = DihedralAngle(m, Frac(w.LA[p]), Frac(w.LA[q]),
                                                  Frac(w.LA[edge[0]]), Frac(w.LA[edge[1]]));
            if (!(DihAngle < 2e-6 || DihAngle >= m.MinDih)) continue;
            const std::string face = FaceString({p, q, edge[0], edge[1]});
            if (!fourV.empty() && fourV.back().face == face) continue;
            fourV.push_back({face, tris[h].s, tris[j].s});
            tris[h].used = tris[j].used = true;
        }
    }

    for (const Tri& t : tris)
        if (!t.used) closed.push_back(t.s);
    for (const FourVFace& f : fourV)
        closed.push_back(f.face);
    std::sort(closed.begin(), closed.end());
    closed.erase(std::unique(closed.begin(), closed.end()), closed.end());

    // Volume triangulation.
    std::vector<std::string> final;
    for (const std::string& f : closed) {
        if (Numbers(f).size() == 4) {
            for (const FourVFace& q : fourV)
                if (q.face == f) {
                    final.push_back(q.t1);
                    final.push_back(q.t2);
                    break;
                }
        } else {
            final.push_back(f);
        }
    }

    if (static_cast<int>(final.size()) > MaxFaces) {
        w.TMFaces = true;
        return;
    }
    if (cs) {
        r.IPFaces = static_cast<int>(closed.size());
        return;
    }
    r.FacesNo = static_cast<int>(closed.size());
    r.VolFaces = static_cast<int>(final.size());
    for (int f = 1; f <= r.FacesNo; ++f)
        r.Faces[f] = closed[static_cast<std::size_t>(f - 1)];
    for (int f = 1; f <= r.VolFaces; ++f)
        r.CPFaces[f] = final[static_cast<std::size_t>(f - 1)];
}

void FixFaces(Model& m, int ca, int index) {
    TAtoms& r = Atom(m, ca, index);
    std::vector<std::string> shown;
    for (int f = 1; f <= std::clamp(r.FacesNo, 0, MaxFaces); ++f) {
        const std::vector<int> v = Numbers(r.Faces[f]);
        std::string s;
        for (int k : v) {
            if (!s.empty()) s += ' ';
            s += (k >= 1 && k <= MaxBonds) ? r.SplitTable[k] : IntToStr(k);
        }
        shown.push_back(s);
        if (v.size() > 3) shown.emplace_back(" ");
    }
    r.DispFacesNo = std::min(static_cast<int>(shown.size()), MaxFaces);
    for (int f = 1; f <= r.DispFacesNo; ++f)
        r.Faces[f] = shown[static_cast<std::size_t>(f - 1)];
}

} // namespace kevo

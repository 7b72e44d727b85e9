#include "poly/primitives.h"

#include <algorithm>
#include <cmath>

#include "model/numbers.h"

namespace kevo {

double Norm(const Vec3& a) {
    return std::sqrt(Dot(a, a));
}

Vec3 ToCart(const Model& m, double x, double y, double z) {
    const Matrix3& T = m.TM;
    return {T[1][1] * x + T[1][2] * y + T[1][3] * z, T[2][1] * x + T[2][2] * y + T[2][3] * z,
            T[3][1] * x + T[3][2] * y + T[3][3] * z};
}

void SetPosition(const Model& m, TLigand& l, double x, double y, double z) {
    l.X = x;
    l.Y = y;
    l.Z = z;
    const Vec3 c = ToCart(m, x, y, z);
    l.CX = c[0];
    l.CY = c[1];
    l.CZ = c[2];
}

double Determinant(double a11, double a12, double a13, double a21, double a22, double a23,
                   double a31, double a32, double a33) {
    return a11 * a22 * a33 + a21 * a32 * a13 + a31 * a12 * a23 - a13 * a22 * a31 - a23 * a32 * a11 -
           a33 * a12 * a21;
}

double VolumeDeterminant(const PolyWork& w, int i, int j, int k) {
    const Vec3& a = w.TH[i];
    const Vec3& b = w.TH[j];
    const Vec3& c = w.TH[k];
    return Determinant(a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]);
}

double Distance(const PolyWork& w, int i, int j) {
    const TLigand& a = w.LA[i];
    const TLigand& b = w.LA[j];
    return DistanceXYZ(a.CX, a.CY, a.CZ, b.CX, b.CY, b.CZ);
}

double DistanceXYZ(double x1, double y1, double z1, double x2, double y2, double z2) {
    return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1) + (z2 - z1) * (z2 - z1));
}

double DistanceToPlane(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                       double y3, double z3, double Px, double Py, double Pz) {
    const double AA = y1 * (z2 - z3) + y2 * (z3 - z1) + y3 * (z1 - z2);
    const double BB = z1 * (x2 - x3) + z2 * (x3 - x1) + z3 * (x1 - x2);
    const double CC = x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2);
    const double DD =
        x1 * (y2 * z3 - y3 * z2) + x2 * (y3 * z1 - y1 * z3) + x3 * (y1 * z2 - y2 * z1);
    const double DT = std::sqrt(AA * AA + BB * BB + CC * CC);
    if (DT == 0) return 99;
    return std::fabs(AA * Px + BB * Py + CC * Pz - DD) / DT;
}

int WhichSide(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
              double y3, double z3, double Px, double Py, double Pz) {
    const double WSide = (x1 - Px) * ((y2 - Py) * (z3 - Pz) - (z2 - Pz) * (y3 - Py)) +
                         (x2 - Px) * ((y3 - Py) * (z1 - Pz) - (z3 - Pz) * (y1 - Py)) +
                         (x3 - Px) * ((y1 - Py) * (z2 - Pz) - (z1 - Pz) * (y2 - Py));
    if (WSide < -1e-7) return -1;
    if (WSide > 1e-7) return 1;
    return 0;
}

double PlaneDistance(const PolyWork& w, int h, int i, int j, int k) {
    const Vec3 Pi = Cart(w.LA[i]);
    const Vec3 n = Cross(Sub(Cart(w.LA[j]), Pi), Sub(Cart(w.LA[k]), Pi));
    const double len = Norm(n);
    if (len == 0) return 0;
    return Dot(n, Sub(Cart(w.LA[h]), Pi)) / len;
}

bool Collinear(const PolyWork& w, int i, int j, int k) {
    const Vec3 Pi = Cart(w.LA[i]), Pj = Cart(w.LA[j]), Pk = Cart(w.LA[k]);
    const double area2 = Norm(Cross(Sub(Pj, Pi), Sub(Pk, Pi)));
    const double longest = std::max({Norm(Sub(Pj, Pi)), Norm(Sub(Pk, Pi)), Norm(Sub(Pk, Pj))});
    // Coincident points are a line too.
    return !(longest > 0) || area2 / longest < FaceTol;
}

bool TrueFace(const PolyWork& w, int i, int j, int k) {
    if (Collinear(w, i, j, k)) return false;
    bool below = false, above = false;
    for (int h = 0; h <= w.ligands; ++h) {
        if (h == i || h == j || h == k) continue;
        const double d = PlaneDistance(w, h, i, j, k);
        if (d < -FaceTol) below = true;
        if (d > FaceTol) above = true;
        if (below && above) return false;
    }
    return true;
}

double Coplanar(const PolyWork& w, int h, int i, int j, int k) {
    const TLigand& o = w.LA[k];
    const Vec3 a{w.LA[h].X - o.X, w.LA[h].Y - o.Y, w.LA[h].Z - o.Z};
    const Vec3 b{w.LA[i].X - o.X, w.LA[i].Y - o.Y, w.LA[i].Z - o.Z};
    const Vec3 c{w.LA[j].X - o.X, w.LA[j].Y - o.Y, w.LA[j].Z - o.Z};
    return Dot(a, Cross(b, c));
}

double Coplanar2(const Model& m, int ca, int index, std::string_view face) {
    const TAtoms& r = (ca == 1 ? m.AC : m.AA).at(index);
    const std::vector<int> v = Numbers(face);
    if (v.size() < 4) return 0;
    for (int b : v)
        if (b < 1 || b > std::min(r.Coor, MaxBonds)) return 0;
    auto P = [&r](int b) { return Vec3{r.BondCoorCX[b], r.BondCoorCY[b], r.BondCoorCZ[b]}; };
    const Vec3 o = P(v[3]);
    return Dot(Sub(P(v[0]), o), Cross(Sub(P(v[1]), o), Sub(P(v[2]), o)));
}

double DihedralAngle(const Model& m, const TMPoint& v1, const TMPoint& v2, const TMPoint& v3,
                     const TMPoint& v4) {
    const Vec3 C1 = ToCart(m, v1.X, v1.Y, v1.Z);
    const Vec3 C2 = ToCart(m, v2.X, v2.Y, v2.Z);
    const Vec3 C3 = ToCart(m, v3.X, v3.Y, v3.Z);
    const Vec3 C4 = ToCart(m, v4.X, v4.Y, v4.Z);
    // Single precision on purpose: the flatness thresholds of the face
    // construction (2e-6 and 179.9999998) are tuned to this resolution.
    using F3 = std::array<float, 3>;
    auto diff = [](const Vec3& a, const Vec3& b) {
        return F3{static_cast<float>(a[0] - b[0]), static_cast<float>(a[1] - b[1]),
                  static_cast<float>(a[2] - b[2])};
    };
    auto cross = [](const F3& a, const F3& b) {
        return F3{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    };
    const F3 CP = cross(diff(C3, C1), diff(C4, C1));
    const F3 CP1 = cross(diff(C3, C2), diff(C4, C2));
    double dot = 0, n1 = 0, n2 = 0;
    for (int t = 0; t < 3; ++t) {
        const auto i = static_cast<std::size_t>(t);
        dot += static_cast<double>(CP[i]) * static_cast<double>(CP1[i]);
        n1 += static_cast<double>(CP[i]) * static_cast<double>(CP[i]);
        n2 += static_cast<double>(CP1[i]) * static_cast<double>(CP1[i]);
    }
    const double den = std::sqrt(n1) * std::sqrt(n2);
    const double cosfi = den != 0 ? dot / den : 1.1;
    if (cosfi <= -1 || cosfi >= 1) return 0;
    return std::acos(cosfi) * RadToDeg;
}

double BondAngle(const Model& m, double XC, double YC, double ZC, double x1, double y1, double z1,
                 double x2, double y2, double z2) {
    const Vec3 C = ToCart(m, XC, YC, ZC);
    const Vec3 d1 = Sub(ToCart(m, x1, y1, z1), C);
    const Vec3 d2 = Sub(ToCart(m, x2, y2, z2), C);
    const double l1 = Norm(d1), l2 = Norm(d2);
    const double cosfi = (l1 != 0 && l2 != 0) ? Dot(d1, d2) / (l1 * l2) : 1.1;
    if (cosfi <= -1) return 180;
    if (cosfi >= 1) return 0;
    return std::acos(cosfi) * RadToDeg;
}

std::string Intersect(int a1, int a2, int a3, int a4, int a5, int a6) {
    std::vector<int> shared;
    for (int a : {a1, a2, a3})
        for (int b : {a4, a5, a6})
            if (a == b) shared.push_back(a);
    if (shared.size() < 2) return {};
    return JoinNumbers(shared);
}

bool InFace(int a1, int a2, int a3, int p1, int p2, int p3, int p4) {
    int found = 0;
    for (int a : {a1, a2, a3})
        if (a == p1 || a == p2 || a == p3 || a == p4) ++found;
    return found == 3;
}

std::string ExIntersect(std::string_view s1, std::string_view s2) {
    const std::vector<int> v1 = Numbers(s1), v2 = Numbers(s2);
    auto has = [](const std::vector<int>& v, int x) {
        return std::find(v.begin(), v.end(), x) != v.end();
    };
    std::vector<int> out;
    for (int x : v1)
        if (!has(v2, x)) out.push_back(x);
    for (int x : v2)
        if (!has(v1, x)) out.push_back(x);
    return JoinNumbers(out);
}

std::vector<int> Numbers(std::string_view s) {
    std::vector<int> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == ' ')
            ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ')
            ++j;
        if (j > i) {
            if (auto n = TryStrToInt(s.substr(i, j - i))) out.push_back(*n);
        }
        i = j;
    }
    return out;
}

bool NumberTextLess(int a, int b) {
    return IntToStr(a) < IntToStr(b);
}

std::string FaceString(std::vector<int> v) {
    std::sort(v.begin(), v.end(), NumberTextLess);
    return JoinNumbers(v);
}

std::string JoinNumbers(const std::vector<int>& v) {
    std::string s;
    for (int x : v) {
        if (!s.empty()) s += ' ';
        s += IntToStr(x);
    }
    return s;
}

} // namespace kevo

#include "poly/volumes.h"

#include <algorithm>
#include <cmath>

#include "poly/faces.h"
#include "poly/poly_messages.h"

namespace kevo {

namespace {

int SideLength(const Model& m, int ca) {
    return std::clamp(ca == 1 ? m.AClength : m.AAlength, 0, MaxAtoms);
}

// The relative size below which a fit matrix counts as singular (ligands
// within about 1e-5 of their spread of a plane or a line): far above the
// rounding noise of its sums, far below any polyhedron with depth.
constexpr double SingularRatio = 1e-10;

// Least-squares circle through w.LA[1..CN] when they lie in one plane,
// fitted in that plane; nothing when they are on one line.
std::optional<Vec3> PlaneCentroid(const PolyWork& w, int CN) {
    Vec3 g{0, 0, 0};
    for (int h = 1; h <= CN; ++h)
        for (std::size_t t = 0; t < 3; ++t)
            g[t] += Cart(w.LA[h])[t] / CN;
    // The plane: the largest cross product of two centred points, along the
    // farthest point.
    Vec3 n{0, 0, 0}, far{0, 0, 0};
    double nmax = 0, fmax = 0;
    for (int h = 1; h <= CN; ++h) {
        const Vec3 a = Sub(Cart(w.LA[h]), g);
        if (Norm(a) > fmax) {
            fmax = Norm(a);
            far = a;
        }
        for (int k = h + 1; k <= CN; ++k) {
            const Vec3 c = Cross(a, Sub(Cart(w.LA[k]), g));
            if (Norm(c) > nmax) {
                nmax = Norm(c);
                n = c;
            }
        }
    }
    if (!(nmax > 0) || !(fmax > 0)) return std::nullopt;
    const Vec3 e1{far[0] / fmax, far[1] / fmax, far[2] / fmax};
    const Vec3 nn{n[0] / nmax, n[1] / nmax, n[2] / nmax};
    const Vec3 e2 = Cross(nn, e1);
    double Suu = 0, Suv = 0, Svv = 0, Bu = 0, Bv = 0;
    for (int h = 1; h <= CN; ++h) {
        const Vec3 a = Sub(Cart(w.LA[h]), g);
        const double u = Dot(a, e1), v = Dot(a, e2), r2 = u * u + v * v;
        Suu += u * u;
        Suv += u * v;
        Svv += v * v;
        Bu += u * r2;
        Bv += v * r2;
    }
    const double det = Suu * Svv - Suv * Suv;
    const double mean = (Suu + Svv) / 2;
    if (!(det > SingularRatio * mean * mean)) return std::nullopt;
    const double cu = (Bu * Svv - Bv * Suv) / (2 * det);
    const double cv = (Suu * Bv - Suv * Bu) / (2 * det);
    return Vec3{g[0] + cu * e1[0] + cv * e2[0], g[1] + cu * e1[1] + cv * e2[1],
                g[2] + cu * e1[2] + cv * e2[2]};
}

void MarkNoCentroid(TAtoms& r) {
    r.Xo = r.Yo = r.Zo = 1.0;
    r.CXo = r.CYo = r.CZo = 0;
    r.CentroidCA = 0;
    r.SRadius = r.LECC = r.SECC = r.SVolume = r.CenBondSD = r.SPHL = r.SPHV = 0;
    r.CenVector.fill(1.0);
}

} // namespace

void GetVolume(Model& m, MessageSink& msg, PolyWork& w, int ca) {
    AtomArray& atoms = ca == 1 ? m.AC : m.AA;
    for (int i = 1; i <= SideLength(m, ca); ++i) {
        TAtoms& r = atoms[i];
        const int coor = std::clamp(r.Coor, 0, MaxBonds);
        if (coor < 3) {
            r.PolVolume = 0;
            r.IPFaces = 0;
            continue;
        }
        for (TLigand& l : w.LA)
            l = TLigand{};
        w.ligands = coor;
        w.CA = TLigand{{}, r.X, r.Y, r.Z, r.CX, r.CY, r.CZ};
        for (int k = 1; k <= coor; ++k)
            SetPosition(m, w.LA[k], r.BondCoorX[k], r.BondCoorY[k], r.BondCoorZ[k]);
        w.LA[0] = w.CA;

        GetFaces(m, w, ca, i, false);
        if (w.TMFaces) {
            msg.Show(FacesLimitMessage(r.Atomlabel));
            return;
        }
        for (int k = 1; k <= w.ligands; ++k)
            w.TH[k] = Sub(Cart(w.LA[k]), Cart(w.CA));
        double Vol = 0;
        for (int f = 1; f <= r.VolFaces; ++f) {
            const std::vector<int> v = Numbers(r.CPFaces[f]);
            const double provVol = std::fabs(VolumeDeterminant(w, v.at(0), v.at(1), v.at(2))) / 6;
            r.PartVolumes[f] = provVol;
            Vol += provVol;
        }
        r.PolVolume = Vol;

        GetFaces(m, w, ca, i, true);
        r.SCoor = w.ligands;
    }
}

std::optional<Vec3> Centroid(const Model& m, PolyWork& w, int CN, const BondArray<double>& BCX,
                             const BondArray<double>& BCY, const BondArray<double>& BCZ) {
    CN = std::clamp(CN, 0, MaxBonds);
    w.ligands = CN;
    for (int h = 1; h <= CN; ++h)
        SetPosition(m, w.LA[h], BCX[h], BCY[h], BCZ[h]);
    if (CN < 3) return std::nullopt;

    if (CN == 3) {
        if (Collinear(w, 1, 2, 3)) return std::nullopt;
        const Vec3 P1 = Cart(w.LA[1]), P2 = Cart(w.LA[2]), P3 = Cart(w.LA[3]);
        const double l3 = Norm(Sub(P1, P2)), l2 = Norm(Sub(P3, P1)), l1 = Norm(Sub(P2, P3));
        const double bx = l1 * l1 * (l2 * l2 + l3 * l3 - l1 * l1);
        const double by = l2 * l2 * (l1 * l1 + l3 * l3 - l2 * l2);
        const double bz = l3 * l3 * (l1 * l1 + l2 * l2 - l3 * l3);
        const double num = bx + by + bz;
        if (num == 0) return std::nullopt;
        return Vec3{(bx * P1[0] + by * P2[0] + bz * P3[0]) / num,
                    (bx * P1[1] + by * P2[1] + bz * P3[1]) / num,
                    (bx * P1[2] + by * P2[2] + bz * P3[2]) / num};
    }

    // Algebraic sphere fit.
    double Sx = 0, Sy = 0, Sz = 0, Sx2 = 0, Sy2 = 0, Sz2 = 0, Sxy = 0, Sxz = 0, Syz = 0;
    double Sx3 = 0, Sy3 = 0, Sz3 = 0, Sx2y = 0, Sx2z = 0, Sy2x = 0, Sy2z = 0, Sz2x = 0, Sz2y = 0;
    for (int h = 1; h <= CN; ++h) {
        const double x = w.LA[h].CX, y = w.LA[h].CY, z = w.LA[h].CZ;
        Sx += x;
        Sy += y;
        Sz += z;
        Sx2 += x * x;
        Sy2 += y * y;
        Sz2 += z * z;
        Sxy += x * y;
        Sxz += x * z;
        Syz += y * z;
        Sx3 += x * x * x;
        Sy3 += y * y * y;
        Sz3 += z * z * z;
        Sx2y += x * x * y;
        Sx2z += x * x * z;
        Sy2x += y * y * x;
        Sy2z += y * y * z;
        Sz2x += z * z * x;
        Sz2y += z * z * y;
    }
    const double N = CN;
    const double F = 2 / N;
    const double S = Sx2 + Sy2 + Sz2;
    const double a11 = F * (N * Sx2 - Sx * Sx), a12 = F * (N * Sxy - Sx * Sy),
                 a13 = F * (N * Sxz - Sx * Sz);
    const double a22 = F * (N * Sy2 - Sy * Sy), a23 = F * (N * Syz - Sy * Sz);
    const double a33 = F * (N * Sz2 - Sz * Sz);
    const double a1 = Sx3 + Sy2x + Sz2x - (Sx / N) * S;
    const double a2 = Sy3 + Sx2y + Sz2y - (Sy / N) * S;
    const double a3 = Sx2z + Sy2z + Sz3 - (Sz / N) * S;
    const double DT = Determinant(a11, a12, a13, a12, a22, a23, a13, a23, a33);
    // Ligands in one plane (square planar) leave the matrix singular: any
    // centre on the plane's normal fits. Take the circle in their plane.
    // The determinant against the cube of the mean diagonal: about the ratio
    // of the smallest to the largest spread of the ligands.
    const double mean = (a11 + a22 + a33) / 3;
    if (!(std::fabs(DT) > SingularRatio * mean * mean * mean)) return PlaneCentroid(w, CN);
    const double DX = Determinant(a1, a12, a13, a2, a22, a23, a3, a23, a33);
    const double DY = Determinant(a11, a1, a13, a12, a2, a23, a13, a3, a33);
    const double DZ = Determinant(a11, a12, a1, a12, a22, a2, a13, a23, a3);
    return Vec3{DX / DT, DY / DT, DZ / DT};
}

void GetCentroids(Model& m, MessageSink& msg, PolyWork& w, int ca) {
    AtomArray& atoms = ca == 1 ? m.AC : m.AA;
    for (int i = 1; i <= SideLength(m, ca); ++i) {
        TAtoms& r = atoms[i];
        const int coor = std::clamp(r.Coor, 0, MaxBonds);
        if (coor < 3) {
            MarkNoCentroid(r);
            continue;
        }
        const std::optional<Vec3> centre =
            Centroid(m, w, coor, r.BondCoorX, r.BondCoorY, r.BondCoorZ);
        double AvSum = 0;
        if (centre)
            for (int k = 1; k <= coor; ++k)
                AvSum += DistanceXYZ((*centre)[0], (*centre)[1], (*centre)[2], w.LA[k].CX,
                                     w.LA[k].CY, w.LA[k].CZ);
        if (!centre || !(AvSum > 0)) {
            if (ca == 1) msg.Show(CentroidFailedMessage(r.Atomlabel));
            MarkNoCentroid(r);
            for (int k = 1; k <= coor; ++k)
                r.BondCenDist[k] = 0;
            continue;
        }
        const Vec3& c = *centre;
        r.CXo = c[0];
        r.CYo = c[1];
        r.CZo = c[2];
        const Matrix3& T = m.TMT;
        r.Xo = T[1][1] * c[0] + T[1][2] * c[1] + T[1][3] * c[2];
        r.Yo = T[2][1] * c[0] + T[2][2] * c[1] + T[2][3] * c[2];
        r.Zo = T[3][1] * c[0] + T[3][2] * c[1] + T[3][3] * c[2];
        r.CentroidCA = DistanceXYZ(r.CX, r.CY, r.CZ, c[0], c[1], c[2]);
        for (int k = 1; k <= coor; ++k)
            r.BondCenDist[k] = DistanceXYZ(c[0], c[1], c[2], w.LA[k].CX, w.LA[k].CY, w.LA[k].CZ);
        r.SRadius = AvSum / coor;
        const double ECC = (r.SRadius - r.CentroidCA) / r.SRadius;
        r.LECC = ca == 1 ? r.CentroidCA / r.SRadius : 1 - ECC;
        r.SECC = 1 - ECC * ECC * ECC;
        r.SVolume = 12.566370614359172 * r.SRadius * r.SRadius * r.SRadius / 3;
        double dev = 0;
        for (int k = 1; k <= coor; ++k)
            dev += (r.BondCenDist[k] - r.SRadius) * (r.BondCenDist[k] - r.SRadius);
        r.CenBondSD = std::sqrt(dev / (coor - 1));
        r.SPHL = 1 - r.CenBondSD / r.SRadius;
        r.SPHV = 1 - 3 * r.CenBondSD / r.SRadius;
        r.CenVector[1] = r.X - r.Xo;
        r.CenVector[2] = r.Y - r.Yo;
        r.CenVector[3] = r.Z - r.Zo;
    }
}

} // namespace kevo

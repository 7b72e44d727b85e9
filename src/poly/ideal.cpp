#include "poly/ideal.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "poly/faces.h"
#include "poly/primitives.h"

namespace kevo {

namespace {

int VertexCount(const std::string& face) {
    return static_cast<int>(Numbers(face).size());
}

} // namespace

int SplitOctahedron(const Model& m, int CA) {
    const TAtoms& r = CA > 0 ? m.AC.at(CA) : m.AA.at(-CA);
    std::vector<std::string> four;
    for (int f = 1; f <= std::clamp(r.VolFaces, 0, MaxFaces) && four.size() < 2; ++f)
        if (VertexCount(r.Faces[f]) == 4) four.push_back(r.Faces[f]);
    if (four.size() < 2) return 2;
    const std::vector<int> ps = Numbers(ExIntersect(four[0], four[1]));
    if (ps.size() < 4) return 2;
    Vec3 P[4];
    for (std::size_t t = 0; t < 4; ++t) {
        const int k = ps[t];
        if (k < 1 || k > MaxBonds) return 2;
        P[t] = ToCart(m, r.SBondCoorX[k], r.SBondCoorY[k], r.SBondCoorZ[k]);
    }
    auto dtb = [&r](const Vec3& a, const Vec3& b, const Vec3& c) {
        return std::fabs(DistanceToPlane(a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2], r.CX,
                                         r.CY, r.CZ));
    };
    const double DTB1 = dtb(P[0], P[1], P[2]);
    const double DTB2 = dtb(P[0], P[1], P[3]);
    const double DTB3 = dtb(P[1], P[2], P[3]);
    const double DTB4 = dtb(P[0], P[2], P[3]);
    if (DTB1 == 99 || DTB2 == 99 || DTB3 == 99 || DTB4 == 99) return 2;
    const double DTB = (DTB1 + DTB2 + DTB3 + DTB4) / 4;
    return r.CentroidCA > DTB ? 0 : 1;
}

std::string GetIdealPol(int CN, int FN, double PV, double /*SV*/, double CP, int Split) {
    std::string name;
    switch (CN) {
    case 1:
        name = "    -";
        break;
    case 2:
        name = "dumb-bell";
        break;
    case 3:
        name = PV < 0.001 ? "trigonal planar" : "trigonal pyramid";
        break;
    case 4:
        if (PV == 0)
            name = "square planar";
        else if (std::fabs(CP) < 0.001)
            name = "square pyramid";
        else
            name = "tetrahedron";
        break;
    case 5:
        if (FN == 4) name = "tetrahedron";
        if (FN == 5) name = "square pyramid";
        if (FN == 6) name = "trigonal bipyramid";
        break;
    case 6:
        name = FN < 8 ? "trigonal prism" : "octahedron";
        break;
    case 7:
        if (FN == 9 || FN == 10) name = "pentagonal bipyramid";
        if (FN < 10) {
            if (Split == 0) name = "split octahedron";
            if (Split == 1) name = "monocapped trigonal prism";
            if (Split == 2 || Split == 4) name = "n/a";
        }
        if (FN > 10 || FN < 8) name = "n/a";
        break;
    case 8:
        if (FN <= 8) name = "cube";
        if (FN == 9) name = "n/a";
        if (FN == 10) name = "square antiprism";
        if (FN == 11) name = "bicapped trigonal prism";
        if (FN == 12) name = "hexagonal bipyramid";
        if (FN > 12) name = "n/a";
        break;
    case 9:
        name = "tricapped trigonal prism";
        break;
    case 10:
    case 11:
        name = "n/a";
        break;
    case 12:
        if (FN == 20) name = "icosahedron";
        if (FN == 14) name = "cubeoctahedron";
        if (FN == 10) name = "hexagonal prism";
        if (FN == 16) name = "hexagonal antiprism";
        break;
    default:
        break;
    }
    return name;
}

double GetIdealPolVol(int CN, int FN, double PV, double SV, double CP, int Split) {
    double IPV = 0;
    switch (CN) {
    case 3:
        IPV = PV < 0.001 ? 0 : SV / 8.1621;
        break;
    case 4:
        if (PV == 0)
            IPV = 0;
        else if (std::fabs(CP) < 0.001)
            IPV = SV / 5.3014;
        else
            IPV = SV / 8.1621;
        // A square-planar polyhedron is compared with the square pyramid.
        if (IPV == 0) IPV = SV / 5.3014;
        break;
    case 5:
        if (FN == 4) IPV = SV / 8.1621;
        if (FN == 5) IPV = SV / 5.3014;
        if (FN == 6) IPV = SV / 4.8368;
        if (IPV == 0) IPV = SV / 4.8368;
        break;
    case 6:
        if (FN < 8) IPV = SV / 4.1888;
        if (FN == 8) IPV = SV / 3.1416;
        if (IPV == 0) IPV = SV / 3.1416;
        break;
    case 7:
        if (FN == 9 || FN == 10) IPV = SV / 2.6427;
        if (FN < 10) {
            if (Split == 0) IPV = SV / 3.0491;
            if (Split == 1) IPV = SV / 3.1424;
            if (Split == 2 || Split == 4) IPV = SV / 2.6427;
        }
        if (FN > 10 || FN < 8) IPV = SV / 2.6427;
        if (IPV == 0) IPV = SV / 2.6427;
        break;
    case 8:
        if (FN <= 8) IPV = SV / 2.7206;
        if (FN >= 9 && FN <= 11) IPV = SV / 1.7351;
        if (FN == 12) IPV = SV / 4.8368;
        if (IPV == 0) IPV = SV / 2.4891;
        break;
    case 9:
    case 10:
        IPV = SV / 2.0496;
        break;
    case 11:
        IPV = SV / 1.7772;
        break;
    case 12:
        if (FN == 20) IPV = SV / 1.6516;
        if (FN >= 14) IPV = SV / 1.6516;
        if (FN == 10) IPV = SV / 2.0944;
        if (FN == 16) IPV = SV / 2.0944;
        if (IPV == 0) IPV = SV / 1.6516;
        break;
    default:
        break;
    }
    return IPV;
}

void GetIdealPolyhedra(Model& m, int ca) {
    AtomArray& atoms = ca == 1 ? m.AC : m.AA;
    const int n = std::clamp(ca == 1 ? m.AClength : m.AAlength, 0, MaxAtoms);
    int SO = 4;
    for (int i = 1; i <= n; ++i) {
        TAtoms& r = atoms[i];
        double cop = 1.0;
        if (r.SCoor == 4)
            cop = WhichSide(r.SBondCoorX[1], r.SBondCoorY[1], r.SBondCoorZ[1], r.SBondCoorX[2],
                            r.SBondCoorY[2], r.SBondCoorZ[2], r.SBondCoorX[3], r.SBondCoorY[3],
                            r.SBondCoorZ[3], r.SBondCoorX[4], r.SBondCoorY[4], r.SBondCoorZ[4]);
        if (r.Coor < 3) r.SCoor = std::max(r.Coor, 0);
        if (r.SCoor == 7) {
            int four = 0;
            for (int f = 1; f <= std::clamp(r.FacesNo, 0, MaxFaces); ++f)
                if (VertexCount(r.Faces[f]) == 4) ++four;
            SO = four == 2 ? SplitOctahedron(m, ca == 1 ? i : -i) : 4;
        }
        r.IdealPolyhedron = GetIdealPol(r.SCoor, r.IPFaces, r.PolVolume, r.SVolume, cop, SO);
        r.IdealPolVolume = GetIdealPolVol(r.SCoor, r.IPFaces, r.PolVolume, r.SVolume, cop, SO);
        r.IdealPolDistortion = r.IdealPolVolume == 0
                                   ? 0
                                   : std::fabs(r.IdealPolVolume - r.PolVolume) / r.IdealPolVolume;
        FixFaces(m, ca, i);
    }
}

} // namespace kevo

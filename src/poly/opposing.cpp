#include "poly/opposing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/numbers.h"
#include "model/text.h"
#include "poly/poly_messages.h"
#include "poly/primitives.h"

namespace kevo {

namespace {

int Cations(const Model& m) {
    return std::clamp(m.AClength, 0, MaxAtoms);
}

int Coor(const TAtoms& r) {
    return std::clamp(r.Coor, 0, MaxBonds);
}

bool Contains(const std::vector<int>& v, int x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

// Bond numbers 1..Coor that are not in the list.
std::string Missing(const TAtoms& r, const std::vector<int>& list) {
    std::vector<int> out;
    for (int b = 1; b <= Coor(r); ++b)
        if (!Contains(list, b)) out.push_back(b);
    return JoinNumbers(out);
}

Vec3 ZoneVector(const Model& m, int zoneaxis) {
    switch (zoneaxis) {
    case 0:
        return {1, 0, 0};
    case 1:
        return {0, 1, 0};
    case 2:
        return {0, 0, 1};
    default:
        return {static_cast<double>(m.CustomZone[1]), static_cast<double>(m.CustomZone[2]),
                static_cast<double>(m.CustomZone[3])};
    }
}

// Cosine of the angle between the zone axis and the normal of the plane
// through the first three bonds of face; 1.1 when either is not defined.
double ZoneCosine(const Model& m, int index, int zoneaxis, std::string_view face) {
    const TAtoms& r = m.AC.at(index);
    const std::vector<int> v = Numbers(face);
    if (v.size() < 3) return 1.1;
    for (std::size_t t = 0; t < 3; ++t)
        if (v[t] < 1 || v[t] > Coor(r)) return 1.1;
    auto P = [&r](int b) { return Vec3{r.BondCoorCX[b], r.BondCoorCY[b], r.BondCoorCZ[b]}; };
    const Vec3 P1 = P(v[0]), P2 = P(v[1]), P3 = P(v[2]);
    // Single precision, as in DihedralAngle.
    using F3 = std::array<float, 3>;
    const F3 a{static_cast<float>(P2[0] - P1[0]), static_cast<float>(P2[1] - P1[1]),
               static_cast<float>(P2[2] - P1[2])};
    const F3 b{static_cast<float>(P3[0] - P1[0]), static_cast<float>(P3[1] - P1[1]),
               static_cast<float>(P3[2] - P1[2])};
    const F3 n{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    const Vec3 z = ZoneVector(m, zoneaxis);
    double dot = 0, nn = 0;
    for (std::size_t t = 0; t < 3; ++t) {
        dot += static_cast<double>(n[t]) * z[t];
        nn += static_cast<double>(n[t]) * static_cast<double>(n[t]);
    }
    const double den = std::sqrt(nn) * Norm(z);
    return den != 0 ? dot / den : 1.1;
}

std::string Kind(int kind) {
    switch (kind) {
    case 0:
        return "in plane" + std::string(11, ' ');
    case 1:
        return "out of plane" + std::string(7, ' ');
    default:
        return "out of plane*" + std::string(6, ' ');
    }
}

double Angle(const Model& m, const TAtoms& r, int b1, int b2) {
    return BondAngle(m, r.X, r.Y, r.Z, r.BondCoorX[b1], r.BondCoorY[b1], r.BondCoorZ[b1],
                     r.BondCoorX[b2], r.BondCoorY[b2], r.BondCoorZ[b2]);
}

bool TooShort(const TAtoms& r, int b1, int b2) {
    return std::min(r.Dist[b1], r.Dist[b2]) < 0.1;
}

// The pair line: shorter bond, longer bond, angle, kind, the two labels.
std::string PairLine(const TAtoms& r, int b1, int b2, double angle, int kind, int maxL) {
    const int s = r.Dist[b1] <= r.Dist[b2] ? b1 : b2;
    const int l = s == b1 ? b2 : b1;
    return FF("0.000", r.Dist[s]) + "   " + FF("0.000", r.Dist[l]) + PadLeft(FF("0.00", angle), 9) +
           "   " + Kind(kind) + PadRight(Star(r.BondingAtoms[s]), maxL + 2) +
           Star(r.BondingAtoms[l]);
}

bool ValidBonds(const TAtoms& r, const std::vector<int>& v, std::size_t count) {
    if (v.size() != count) return false;
    return std::all_of(v.begin(), v.end(), [&r](int b) { return b >= 1 && b <= Coor(r); });
}

void GetIP(const Model& m, TAtoms& r, int maxL, int order, std::string_view ligands) {
    const std::vector<int> b = Numbers(ligands);
    if (!ValidBonds(r, b, 4)) return;
    const int pairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
    double MaxAngle = -1;
    int best = 0;
    for (int p = 0; p < 6; ++p) {
        const double a = Angle(m, r, b[pairs[p][0]], b[pairs[p][1]]);
        if (a >= MaxAngle) {
            MaxAngle = a;
            best = p;
        }
    }
    const int f1 = b[pairs[best][0]], f2 = b[pairs[best][1]];
    std::vector<int> rest;
    for (int x : b)
        if (x != f1 && x != f2) rest.push_back(x);
    const int lines[2][2] = {{f1, f2}, {rest[0], rest[1]}};
    for (int t = 0; t < 2; ++t) {
        const int x = lines[t][0], y = lines[t][1];
        r.IP[t + 1][order] =
            TooShort(r, x, y) ? "n/a" : PairLine(r, x, y, Angle(m, r, x, y), 0, maxL);
    }
}

void GetOOP(const Model& m, TAtoms& r, int maxL, int order, std::string_view ligands) {
    const std::vector<int> b = Numbers(ligands);
    if (!ValidBonds(r, b, 3)) return;
    const int pairs[4][2] = {{0, 0}, {b[0], b[1]}, {b[0], b[2]}, {b[1], b[2]}};
    Array1<double, 3> BAngle;
    for (int t = 1; t <= 3; ++t)
        BAngle[t] = Angle(m, r, pairs[t][0], pairs[t][1]);
    const int first = GetMax(BAngle);
    const int second = GetSecMax(BAngle);
    if (first < 1 || second < 1) {
        r.MinIP.clear();
        return;
    }
    if (TooShort(r, pairs[first][0], pairs[first][1]))
        r.MinIP.clear();
    else
        r.OOP[1][order] = PairLine(r, pairs[first][0], pairs[first][1], BAngle[first], 1, maxL);
    if (BAngle[second] < 110) {
        r.MinIP.clear();
        return;
    }
    if (TooShort(r, pairs[second][0], pairs[second][1]))
        r.MinIP.clear();
    else
        r.OOP[2][order] = PairLine(r, pairs[second][0], pairs[second][1], BAngle[second], 2, maxL);
}

void GetOOP6(const Model& m, TAtoms& r, int maxL, std::string_view ligands) {
    const std::vector<int> b = Numbers(ligands);
    if (!ValidBonds(r, b, 2)) {
        r.MinIP.clear();
        return;
    }
    const double angle = Angle(m, r, b[0], b[1]);
    if (angle < 110 || TooShort(r, b[0], b[1]))
        r.MinIP.clear();
    else
        r.OOP[1][1] = PairLine(r, b[0], b[1], angle, 1, maxL);
}

// Six or seven ligands: the base (four bonds around one apex) whose plane
// holds the zone axis best, the bonds off it, and its plane angle (90 when
// there is none).
struct Base {
    std::string base;
    std::string remains;
    double fangle = 90;
};

Base BestBase(Model& m, int i, int zone, bool planarOnly) {
    TAtoms& r = m.AC[i];
    double MinA = 999;
    Base best;
    for (int f = 1; f <= std::clamp(r.VolFaces, 0, MaxFaces); ++f)
        for (int c : Numbers(r.CPFaces[f])) {
            const std::string base = Pyramid(m, i, c);
            if (!base.empty()) r.planarity[1] = Coplanar2(m, 1, i, base);
            if (planarOnly && !(std::fabs(r.planarity[1]) < 10)) continue;
            const double fangle =
                base.empty() ? 1000 : std::fabs(90 - ZoneAngle4(m, i, zone, base));
            if (fangle < MinA) {
                MinA = fangle;
                best.base = base;
                best.remains = Missing(r, Numbers(base));
            }
        }
    best.fangle = best.base.empty() ? 90 : std::fabs(90 - ZoneAngle4(m, i, zone, best.base));
    return best;
}

// Eight or nine ligands: the faces nearly perpendicular to the zone axis
// (IPStr) and the bonds on none of them, the caps.
struct Caps {
    std::string IPStr;
    std::vector<int> caps;
};

Caps FindCaps(const Model& m, int i, int zone) {
    const TAtoms& r = m.AC[i];
    Caps c;
    for (int f = 1; f <= std::clamp(r.VolFaces, 0, MaxFaces); ++f)
        if (ZoneAngle3(m, i, zone, r.CPFaces[f]) < 20) {
            if (!c.IPStr.empty()) c.IPStr += ' ';
            c.IPStr += r.CPFaces[f];
        }
    c.caps = Numbers(Missing(r, Numbers(c.IPStr)));
    return c;
}

// The failure message: the cations whose analysis failed.
void ErrM(MessageSink& msg, std::string_view AL) {
    msg.Show(OpposingBondsMessage(AL));
}

} // namespace

double ZoneAngle4(const Model& m, int index, int zoneaxis, std::string_view face) {
    const double cosfi = ZoneCosine(m, index, zoneaxis, face);
    if (cosfi <= -1) return 180;
    if (cosfi >= 1) return 0;
    return std::acos(cosfi) * RadToDeg;
}

double ZoneAngle3(const Model& m, int index, int zoneaxis, std::string_view face) {
    const double cosfi = ZoneCosine(m, index, zoneaxis, face);
    if (cosfi <= -1 || cosfi >= 1) return 0;
    const double angle = std::acos(cosfi) * RadToDeg;
    return angle > 90 ? 180 - angle : angle;
}

std::string Pyramid(const Model& m, int index, int cap) {
    const TAtoms& r = m.AC.at(index);
    std::vector<int> found;
    for (int f = 1; f <= std::clamp(r.VolFaces, 0, MaxFaces); ++f) {
        const std::vector<int> v = Numbers(r.CPFaces[f]);
        if (!Contains(v, cap)) continue;
        for (int x : v)
            if (x != cap && !Contains(found, x)) found.push_back(x);
    }
    std::sort(found.begin(), found.end(), NumberTextLess);
    if (found.size() > 4 && cap >= 1 && cap <= Coor(r)) {
        auto P = [&r](int b) { return Vec3{r.BondCoorCX[b], r.BondCoorCY[b], r.BondCoorCZ[b]}; };
        std::size_t far = 0;
        double farDist = -1;
        for (std::size_t t = 0; t < found.size(); ++t) {
            if (found[t] < 1 || found[t] > Coor(r)) continue;
            const double d = Norm(Sub(P(found[t]), P(cap)));
            if (d > farDist) {
                farDist = d;
                far = t;
            }
        }
        found.erase(found.begin() + static_cast<std::ptrdiff_t>(far));
    }
    if (found.size() != 4) return {};
    return JoinNumbers(found);
}

std::string GetOppEdge(std::string_view base, std::string_view face12) {
    const std::vector<int> b = Numbers(base);
    std::vector<int> v = Numbers(face12);
    if (v.size() > 6) v.resize(6);
    std::vector<int> out;
    for (int x : v)
        if (!Contains(b, x)) out.push_back(x);
    return JoinNumbers(out);
}

int GetZone(Model& m) {
    double SumAngle[3] = {0, 0, 0};
    for (int z = 0; z < 3; ++z) {
        for (int i = 1; i <= Cations(m); ++i) {
            const int coor = Coor(m.AC[i]);
            if (coor == 6 || coor == 7) {
                SumAngle[z] += BestBase(m, i, z, true).fangle;
            } else if ((coor == 8 || coor == 9) && !m.OB67) {
                // A cap base that cannot be found counts as far off as it gets.
                const Caps c = FindCaps(m, i, z);
                const int need = coor - 6;
                if (static_cast<int>(c.caps.size()) != need) {
                    SumAngle[z] += 90.0 * need;
                    continue;
                }
                for (int cap : c.caps) {
                    const std::string base = Pyramid(m, i, cap);
                    SumAngle[z] += base.empty() ? 90 : std::fabs(90 - ZoneAngle4(m, i, z, base));
                }
            }
        }
    }
    int best = 0;
    for (int z = 1; z < 3; ++z)
        if (SumAngle[z] < SumAngle[best]) best = z;
    return best;
}

void GetOpposingBonds(Model& m, MessageSink& msg) {
    m.ErrOB.clear();
    int ML = 0;
    for (int i = 1; i <= std::clamp(m.AAlength, 0, MaxAtoms); ++i)
        ML = std::max(ML, TextLength(m.AA[i].Atomlabel));
    m.Zone = m.AutoZone ? GetZone(m) : 3;

    for (int i = 1; i <= Cations(m); ++i) {
        TAtoms& r = m.AC[i];
        for (int a = 1; a <= 2; ++a)
            for (int k = 1; k <= 3; ++k) {
                r.IP[a][k].clear();
                r.OOP[a][k].clear();
            }
        r.PlaneAngle.fill(0);
        r.MinIP.clear();
        const int coor = Coor(r);
        if (coor == 6 || coor == 7) {
            const Base b = BestBase(m, i, m.Zone, coor == 7);
            if (b.fangle < 20) {
                GetIP(m, r, ML, 1, b.base);
                r.PlaneAngle[1] = b.fangle;
                r.MinIP = "Ok";
                if (coor == 6)
                    GetOOP6(m, r, ML, b.remains);
                else
                    GetOOP(m, r, ML, 1, b.remains);
            }
        } else if ((coor == 8 || coor == 9) && !m.OB67) {
            const Caps c = FindCaps(m, i, m.Zone);
            const int need = coor - 6;
            if (static_cast<int>(c.caps.size()) == need) {
                for (int k = 1; k <= need; ++k) {
                    const int cap = c.caps[static_cast<std::size_t>(k - 1)];
                    const std::string base = Pyramid(m, i, cap);
                    if (base.empty()) continue;
                    r.PlaneAngle[k] = std::fabs(90 - ZoneAngle4(m, i, m.Zone, base));
                    GetIP(m, r, ML, k, base);
                    GetOOP(m, r, ML, k, IntToStr(cap) + " " + GetOppEdge(base, c.IPStr));
                }
                r.MinIP = "Ok";
            }
        }
    }

    for (int i = 1; i <= Cations(m); ++i) {
        const TAtoms& r = m.AC[i];
        const int coor = Coor(r);
        const bool analysed = m.OB67 ? (coor == 6 || coor == 7) : (coor >= 6 && coor <= 9);
        if (analysed && r.MinIP.empty()) m.ErrOB += r.Atomlabel + ", ";
    }
    if (!m.ErrOB.empty()) {
        m.ErrOB.resize(m.ErrOB.size() - 2);
        ErrM(msg, m.ErrOB);
    }
}

void Get123_45Averages(Model& m) {
    for (int i = 1; i <= Cations(m); ++i) {
        TAtoms& r = m.AC[i];
        if (r.Coor > 4 && r.HSPCoor[1] >= 5) {
            r.Average123_45[1] = (r.Dist[1] + r.Dist[2] + r.Dist[3]) / 3;
            r.Average123_45[2] = (r.Dist[4] + r.Dist[5]) / 2;
        }
    }
}

} // namespace kevo

// The working set of the polyhedron geometry and the geometric primitives
// that faces, volumes, angles and opposing bonds rest on.
//
// The working set holds one polyhedron at a time: the central atom and its
// vertex positions, in fractional and in Cartesian coordinates. A geometry
// run owns one (never shared between threads or models); every step that
// uses it loads it first.
//
// Coordinates. Fractional coordinates of a vertex are those of the actual
// neighbour image (BondCoorX..Z of the central atom), not reduced into the
// cell; Cartesian ones are TM times them, in A. The sidedness tests of the
// face construction (TrueFace, the on-plane and collinear tests) work on the
// Cartesian coordinates with the tolerance FaceTol, so they mean the same in
// every cell; WhichSide and Coplanar keep their fractional units for the
// callers that use them. Angles are in degrees.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/array1.h"
#include "model/model.h"

namespace kevo {

// Distance (A) within which a position counts as lying on a plane, and the
// smallest height of a triangle that is not a line.
inline constexpr double FaceTol = 1e-5;

// Degrees per radian.
inline constexpr double RadToDeg = 57.29577951308232;

using Vec3 = std::array<double, 3>;

struct TLigand {
    std::string FaceLabel;      // working-set number it comes from ("7"), or a merged pair ("3-7")
    double X = 0, Y = 0, Z = 0; // fractional
    double CX = 0, CY = 0, CZ = 0; // Cartesian, A
};

// A point given in fractional coordinates.
struct TMPoint {
    double X = 0, Y = 0, Z = 0;
};

inline TMPoint Frac(const TLigand& l) {
    return {l.X, l.Y, l.Z};
}
inline Vec3 Cart(const TLigand& l) {
    return {l.CX, l.CY, l.CZ};
}

// The working set: CA the central atom, LA[0] a copy of it, LA[1..ligands]
// the vertex positions, TH[m] the vector from the central atom to position m
// (volume step). Sized by the largest coordination number.
struct PolyWork {
    TLigand CA;
    Array0<TLigand, MaxBonds> LA;
    BondArray<Vec3> TH;
    int ligands = 0;
    bool TMFaces = false; // a polyhedron had more faces than the face tables hold
};

// --- Small vector helpers -------------------------------------------------------
inline Vec3 Sub(const Vec3& a, const Vec3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline double Dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double Norm(const Vec3& a);

// TM times a fractional point.
Vec3 ToCart(const Model& m, double x, double y, double z);

// A working-set entry at the fractional point, with its Cartesian
// coordinates.
void SetPosition(const Model& m, TLigand& l, double x, double y, double z);

// --- Primitives -------------------------------------------------------------------

// a11*a22*a33 + a21*a32*a13 + a31*a12*a23 - a13*a22*a31 - a23*a32*a11 - a33*a12*a21.
double Determinant(double a11, double a12, double a13, double a21, double a22, double a23,
                   double a31, double a32, double a33);

// The determinant of the centre-to-vertex vectors TH[i], TH[j], TH[k]: its
// absolute value / 6 is the volume of the tetrahedron (centre, i, j, k).
double VolumeDeterminant(const PolyWork& w, int i, int j, int k);

// Cartesian distance between positions i and j of the working set.
double Distance(const PolyWork& w, int i, int j);

double DistanceXYZ(double x1, double y1, double z1, double x2, double y2, double z2);

// Distance of P from the plane through the three points; 99 when they are
// on one line (the plane is undefined).
double DistanceToPlane(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
                       double y3, double z3, double Px, double Py, double Pz);

// Side of P against the plane through the three points: the sign of the
// determinant of the vectors from P to them, 0 within +-1e-7 (in the units
// of the coordinates passed, fractional for the callers).
int WhichSide(double x1, double y1, double z1, double x2, double y2, double z2, double x3,
              double y3, double z3, double Px, double Py, double Pz);

// Signed distance (A) of position h from the plane through positions i, j,
// k: n.(Ph - Pi) / |n| with n = (Pj - Pi) x (Pk - Pi). 0 when i, j, k are on
// one line.
double PlaneDistance(const PolyWork& w, int h, int i, int j, int k);

// Positions i, j, k are on one line: the smallest height of their triangle
// (|n| over its longest side) is below FaceTol.
bool Collinear(const PolyWork& w, int i, int j, int k);

// The triangle i j k bounds the polyhedron: it is not a line, and no two of
// the other positions and the central atom (position 0) lie on opposite
// sides of its plane; positions within FaceTol of the plane count on
// neither side.
bool TrueFace(const PolyWork& w, int i, int j, int k);

// Triple product of the fractional vectors from position k to h, i and j:
// six times the tetrahedron volume in fractional units.
double Coplanar(const PolyWork& w, int h, int i, int j, int k);

// The same over the Cartesian bond coordinates of AC[index] (ca = 1) or
// AA[index]: face holds four bond numbers "h i j k", k is the origin.
// 0 when face does not name four bonds of the atom.
double Coplanar2(const Model& m, int ca, int index, std::string_view face);

// The interior angle at the edge v3-v4 between the triangles (v1, v3, v4)
// and (v2, v3, v4), degrees. The cross products are taken in single
// precision, which sets the resolution of the flatness thresholds near 180;
// an exactly flat pair (cosine reaching -1) and a degenerate triangle give 0.
double DihedralAngle(const Model& m, const TMPoint& v1, const TMPoint& v2, const TMPoint& v3,
                     const TMPoint& v4);

// Angle at the centre between the two ends (fractional in), degrees; 180
// once the cosine reaches -1, 0 once it reaches 1 or an end coincides with
// the centre.
double BondAngle(const Model& m, double XC, double YC, double ZC, double x1, double y1, double z1,
                 double x2, double y2, double z2);

// The vertices two triangles share, as text in the order of the first
// ("4 9"); empty when they share at most one.
std::string Intersect(int a1, int a2, int a3, int a4, int a5, int a6);

// All three vertices of the triangle belong to the quadrilateral.
bool InFace(int a1, int a2, int a3, int p1, int p2, int p3, int p4);

// The symmetric difference of two vertex lists: the numbers of s1 missing
// from s2 (in s1's order), then those of s2 missing from s1, as whole
// numbers ("1 2 3 4", "1 2 3 5" -> "4 5").
std::string ExIntersect(std::string_view s1, std::string_view s2);

// --- Vertex lists as text ------------------------------------------------------------

// The whole numbers of a text of numbers separated by blanks.
std::vector<int> Numbers(std::string_view s);

// Vertex numbers in ascending text order, joined by single blanks ("1 10 2").
std::string FaceString(std::vector<int> v);

// Numbers joined by single blanks, in the order given.
std::string JoinNumbers(const std::vector<int>& v);

// Text order of vertex numbers ("10" before "2").
bool NumberTextLess(int a, int b);

} // namespace kevo

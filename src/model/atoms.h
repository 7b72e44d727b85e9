// The atom record: one per asymmetric site or symmetry-generated image.
// A plain value record; the field order is the program's declaration order.
// Bond and ligand slots run 1..50, face slots 1..100. The arrays that only
// the asymmetric atoms fill (as central atoms: effective coordination per
// sub-polyhedron, charge distribution, bond valences, second sphere,
// polyhedron geometry) are LazyArray1s: their storage is made when first
// used, so the many records that never use them (symmetry images above all)
// stay small.
#pragma once

#include <string>

#include "model/array1.h"

namespace kevo {

inline constexpr int MaxBonds = 50;  // bond / ligand slots per atom
inline constexpr int MaxFaces = 100; // face slots per polyhedron

template <class T> using BondArray = Array1<T, MaxBonds>;
template <class T> using LazyBondArray = LazyArray1<T, MaxBonds>;
template <class T> using FaceArray = LazyArray1<T, MaxFaces>;

struct TAtoms {
    std::string Atomlabel;
    std::string AtomSymbol;
    int HSPCount = 0;
    BondArray<int> HSPCoor;
    BondArray<std::string> HSPsymb;
    BondArray<int> HSPFirstIndex;
    LazyBondArray<double> HSPSumqij;
    LazyBondArray<double> HSPKevo;
    LazyBondArray<double> HSPWAverageDist;
    LazyBondArray<double> HSPMinDist;
    LazyBondArray<double> HSPSumQx;
    LazyBondArray<double> HSPSumQj;
    double AvDist = 0;
    double AvDistSel = 0;
    BondArray<std::string> BondBVS;
    BondArray<double> BondCharge;
    BondArray<int> BondMult;
    BondArray<double> BondCoorX;
    BondArray<double> BondCoorY;
    BondArray<double> BondCoorZ;
    BondArray<double> BondCoorCX;
    BondArray<double> BondCoorCY;
    BondArray<double> BondCoorCZ;
    LazyBondArray<double> BondCenDist;
    BondArray<Array1<int, 2>> BondIndex; // [k][1] partner record, [k][2] reverse slot
    BondArray<std::string> BondingAtoms;
    double BondSD = 0;
    BondArray<std::string> BondSymOp;
    BondArray<std::string> BondSymTrans;
    BondArray<std::string> BondSymbol;
    std::string BondStringX;
    std::string BondStringA;
    double BVS = 0;
    BondArray<double> BW;
    int Coor = 0;
    Array1<double, 3> CenVector;
    LazyBondArray<double> deltaBVS;
    LazyBondArray<double> deltaqicat;
    LazyBondArray<double> deltaQrs;
    LazyBondArray<double> deltaQx;
    LazyBondArray<double> deltaQj;
    LazyBondArray<double> deltaQa;
    double deltaR = 0;
    LazyBondArray<double> Diff;
    BondArray<double> Dist;
    LazyBondArray<double> DistNew;
    double Kevo = 0;
    int ECoor = 0;
    double EDEV = 0;
    double effcharge = 0;
    LazyBondArray<double> effRo;
    LazyBondArray<double> effB;
    LazyBondArray<double> ExpDist;
    int FacesNo = 0;
    int DispFacesNo = 0;
    FaceArray<std::string> Faces;
    bool Generated = false;
    bool HasBVS = false;
    double MAPDLig = 0;
    int MCoor = 0;
    double MinDist = 0;
    int Multiplicity = 0;
    double Nearest = 0;
    BondArray<int> newindex;
    double occupancy = 0;
    BondArray<int> oldindex;
    double PolDistortion = 0;
    double QA = 0;
    double QC = 0;
    double QX = 0;
    std::string RoString;
    std::string RoSearch;
    int SCoor = 0;
    LazyBondArray<std::string> SecSphereAtoms;
    LazyBondArray<double> SecSphereDist;
    LazyBondArray<double> SecSphereX;
    LazyBondArray<double> SecSphereY;
    LazyBondArray<double> SecSphereZ;
    LazyBondArray<std::string> SecSphereSymOp;
    LazyBondArray<std::string> SecSphereSymTrans;
    int SecSphereCoor = 0;
    std::string symbol;
    std::string SymOp;
    std::string SymTrans;
    double WAverageDist = 0;
    double X = 0;
    double Y = 0;
    double Z = 0;
    double CX = 0;
    double CY = 0;
    double CZ = 0;
    double Xo = 0;
    double Yo = 0;
    double Zo = 0;
    double CXo = 0;
    double CYo = 0;
    double CZo = 0;
    double CentroidCA = 0;
    double PolVolume = 0;
    double IdealPolVolume = 0;
    double IdealPolDistortion = 0;
    double Variance = 0;
    double SRadius = 0;
    double LECC = 0;
    double SECC = 0;
    double SVolume = 0;
    double CenBondSD = 0;
    double SPHV = 0;
    double SPHL = 0;
    std::string IdealPolyhedron;
    FaceArray<std::string> CPFaces;
    FaceArray<double> PartVolumes;
    int VolFaces = 0;
    int IPFaces = 0;
    LazyBondArray<double> SBondCoorX;
    LazyBondArray<double> SBondCoorY;
    LazyBondArray<double> SBondCoorZ;
    LazyArray1<std::string, 12> Splits;
    int SplitsNo = 0;
    int SFacesNo = 0;
    FaceArray<std::string> SFaces;
    LazyBondArray<std::string> SplitTable; // one label per vertex position
    FaceArray<std::string> AdjacentFaces;
    LazyArray1<std::string, 57> IPSum;
    FaceArray<std::string> DAngles;
    Array1<Array1<std::string, 3>, 2> IP;
    Array1<Array1<std::string, 3>, 2> OOP;
    std::string MinIP;
    Array1<double, 3> PlaneAngle;
    Array1<double, 3> planarity;
    Array1<double, 2> Average123_45;

    // Back to the state of a record that is not in use: empty strings, zero
    // numbers, false flags. Reuses the strings' storage; the lazy arrays give
    // theirs back.
    void Reset();
};

} // namespace kevo

// Bond weights and effective coordination numbers.
//
// Every bond of an asymmetric central atom gets a weight
//     w(l, r) = exp(1 - (l / r)^p)
// where l is the bond length and r the weighted average bond length of its
// sub-polyhedron (the ligands of one element around the centre), found by a
// fixed-point iteration. p is 1.6 for bonds that involve hydrogen and 6.0
// otherwise. The weights of a sub-polyhedron add up to its effective
// coordination number, those of all sub-polyhedra to the atom's Kevo. From
// them follow ECoor, EDEV, the average bond lengths and the distortion
// indexes of Baur and (after the charge distribution) Brown.
//
// Only the asymmetric atoms (cations 1..AClength, anions 1..AAlength) are
// computed.
#pragma once

#include <span>
#include <string>

#include "calc/bond_valence.h"
#include "model/messages.h"
#include "model/model.h"

namespace kevo {

// Exponents of the weight function.
inline constexpr double HydrogenWeightExponent = 1.6;
inline constexpr double DefaultWeightExponent = 6.0;

// The iteration of a sub-polyhedron ends when its weight sum changes by less
// than this between two steps.
inline constexpr double WeightConvergence = 0.0001;

// Steps of the weight iteration after which a sub-polyhedron that has not
// converged is left with the values of its last step. Ordinary polyhedra
// converge in a few tens of steps; the cap only keeps an unusual input (a
// non-finite distance, or a polyhedron at the edge of stability that
// oscillates for thousands of steps) from holding the program.
inline constexpr int MaxWeightIterations = 1000;

// Bonds with a weight above this count in ECoor and in the selected average.
inline constexpr double ZeroWeight = 0.001;

// w(l, r) = exp(1 - (l / r)^p). A reference length that is not positive
// counts as equal to l (weight 1), so no division by zero can occur.
double BondWeight(double l, double r, double p);

// The exponent of bond j of the central atom `centre`: for a cation centre
// 1.6 when the centre is hydrogen ("(H)"); for an anion centre 1.6 when the
// bonded cation (AC[BondIndex[j][1]]) is hydrogen; 6.0 otherwise.
double BondWeightExponent(const Model& m, const TAtoms& centre, bool cation_centre, int j);

// The result of the weight iteration of one sub-polyhedron.
struct GroupWeights {
    double Kevo = 0;         // weight sum (effective coordination number)
    double WAverageDist = 0; // weighted average bond length
    int iterations = 0;      // steps made (at most MaxWeightIterations)
    bool converged = false;  // the weight sum settled before the cap
};

// Runs the weight iteration of one sub-polyhedron: dist holds its bond
// lengths in slot order (the first one is the shortest), exponent the
// exponent of each bond; weights (same size) receives the weights. With
// first_only the values of the first step are returned (the non-iterative
// setting), otherwise those of the last step.
GroupWeights IterateGroupWeights(std::span<const double> dist, std::span<const double> exponent,
                                 bool first_only, std::span<double> weights);

// Weights (BW), HSPMinDist, HSPKevo, HSPWAverageDist, Kevo, ECoor and EDEV of
// every asymmetric atom. IT true keeps the first-step values (NonIt).
void IteratedWi(Model& m, bool IT);

// Kevo (sum of the unchanged HSPKevo), ECoor and EDEV again, after the
// zero-weight bonds have been removed from the polyhedra.
void GetEDEV(Model& m);

// AvDistSel, AvDist, Variance and BondSD of every asymmetric atom.
void AverageDistance(Model& m);

// The Baur distortion index PolDistortion of every asymmetric atom.
void DistortionIndex(Model& m);

// The effective-coordination step of a calculation: IteratedWi(NonIt); with
// ExZeroW the zero-weight bonds are removed (FixZeroWPolyhedra) and GetEDEV
// runs; AverageDistance; DistortionIndex; then, unless NoBVS, the bond
// valences with the parameter table at bvs_path (empty: none was found),
// taken from tables when given.
// Returns false, after a message through msg, when the bond valences could
// not be computed at all (the table cannot be read, or a site has more
// species than the bond-valence step handles); the calculation ends then.
bool IteratedKevo(Model& m, MessageSink& msg, const std::string& bvs_path,
                  BvsTableCache* tables = nullptr);

// The Brown bond-valence distortion deltaR of every asymmetric atom with
// bond-valence parameters (HasBVS); deltaR of the other atoms is set to 0.
void Distortions(Model& m);

} // namespace kevo

// Polyhedron volumes, centroids and the least-squares fitted sphere.
//
// The centroid is always the centre of the sphere fitted through the
// ligands, not their mean position.
#pragma once

#include <optional>

#include "model/messages.h"
#include "model/model.h"
#include "poly/primitives.h"

namespace kevo {

// For every atom of the side (ca = 1 cations AC[1..AClength], otherwise
// anions AA[1..AAlength]) with three or more ligands: both face
// constructions, PartVolumes[1..VolFaces] (tetrahedra of the central atom
// and the triangles of CPFaces) and PolVolume, their sum; SCoor, the number
// of positions after merging split pairs. Atoms with fewer ligands get
// PolVolume 0 and IPFaces 0. When a polyhedron has more faces than the tables
// hold, shows FacesLimitMessage, leaves w.TMFaces set and stops.
void GetVolume(Model& m, MessageSink& msg, PolyWork& w, int ca);

// For every atom of the side: the fitted sphere (CXo..CZo, Xo..Zo),
// CentroidCA, BondCenDist, SRadius, LECC, SECC, SVolume, CenBondSD, SPHL,
// SPHV, CenVector.
//  - Fewer than three ligands: Xo = Yo = Zo = 1, CenVector = (1, 1, 1), the
//    sphere values 0, CXo..CZo and CentroidCA 0.
//  - Ligands in one plane (e.g. square planar), where no sphere is
//    determined: the circle fitted in their plane.
//  - Ligands on one line: no centre. The atom gets the values of the first
//    case (so SRadius 0 marks "no fitted sphere"); for a cation
//    CentroidFailedMessage is shown. The other atoms are still processed.
void GetCentroids(Model& m, MessageSink& msg, PolyWork& w, int ca);

// The centre (Cartesian) of the sphere fitted by least squares through CN
// points given in fractional coordinates, which it loads into w.LA[1..CN].
// Three points: the circumcentre of their triangle. Nothing when the points
// are on one line.
std::optional<Vec3> Centroid(const Model& m, PolyWork& w, int CN, const BondArray<double>& BCX,
                             const BondArray<double>& BCY, const BondArray<double>& BCZ);

} // namespace kevo

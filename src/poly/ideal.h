// The ideal polyhedron a polyhedron approximates, named from its number of
// positions (split pairs merged) and faces, and the volume of that ideal
// polyhedron inscribed in the fitted sphere.
#pragma once

#include <string>

#include "model/model.h"

namespace kevo {

// For every atom of the side (ca = 1 cations, otherwise anions):
// IdealPolyhedron, IdealPolVolume, IdealPolDistortion (|ideal - PolVolume| /
// ideal, 0 when the ideal volume is 0); SCoor := Coor for one or two
// ligands; then FixFaces (display form of the faces).
void GetIdealPolyhedra(Model& m, int ca);

// Seven positions with two four-vertex faces: 0 split octahedron (the
// central atom farther from the centroid than its mean distance to the four
// planes through the vertices the two faces do not share), 1 monocapped
// trigonal prism, 2 undecided (a line among those vertices). CA > 0: the
// cation CA; CA < 0: the anion -CA.
int SplitOctahedron(const Model& m, int CA);

// CN positions, FN faces, PV polyhedron volume, SV fitted-sphere volume, CP
// the coplanarity of a four-position polyhedron (-1, 0, +1), Split the
// SplitOctahedron result (4: not two four-vertex faces).
std::string GetIdealPol(int CN, int FN, double PV, double SV, double CP, int Split);
double GetIdealPolVol(int CN, int FN, double PV, double SV, double CP, int Split);

} // namespace kevo

// Dihedral angles of the volume triangulation.
#pragma once

#include "model/model.h"
#include "poly/primitives.h"

namespace kevo {

// For every atom of the side (ca = 1 cations, otherwise anions) and every
// triangle j of CPFaces: AdjacentFaces[j], the triangles sharing an edge
// with it, each right-aligned in 12 characters, in CPFaces order; DAngles[j],
// the triangle left-aligned in 8 characters followed by the interior
// dihedral angle at each shared edge ("0.00", right-aligned in 12; 0.00 for
// an exactly flat pair). Fewer than two triangles: AdjacentFaces[1] empty,
// DAngles[1] "n/a".
void GetDihedrals(Model& m, PolyWork& w, int ca);

} // namespace kevo

// Polyhedron faces, from the positions of the ligands alone.
//
// Every triangle of positions whose plane leaves all other positions and the
// central atom on one side is a face (TrueFace). Then, in this order:
//  - flat faces: the positions lying within FaceTol of the plane of a face
//    triangle, when there are four or more of them, make one flat face. Its
//    vertices are the corners of their convex polygon and the positions on
//    its sides (a position inside is no vertex). Going round from v0 (the
//    vertex first in text order) towards its neighbour first in text order,
//    the polygon is cut into the pieces v0 v1 v2 v3, v0 v3 v4 v5, ... and,
//    for an odd count, the triangle v0 v(n-2) v(n-1); a piece on one line is
//    left out. A four-vertex piece a b c d (text order) is split along the
//    diagonal through its vertex that is in line with its two neighbours, if
//    any, else through c, into the two triangles ordered by their vertex off
//    the diagonal in the order d, a, b, c.
//  - folded faces: two remaining face triangles that share an edge and are
//    folded by MinDih or more (or exactly flat) become one four-vertex face
//    that keeps the two triangles.
// A triangle belongs to at most one flat or folded face, so each part of the
// boundary lies in exactly one face: with the central atom inside, the
// volume triangulation covers the convex hull once.
//
// Face strings are vertex position numbers in ascending text order, joined
// by single blanks ("1 10 2"). Positions follow the text order of their
// labels: with twelve ligands, ligands 1, 10, 11, 12, 2, ... 9.
#pragma once

#include "model/model.h"
#include "poly/primitives.h"

namespace kevo {

// Before a geometry run: for every asymmetric atom of both sides FacesNo,
// VolFaces, IPFaces := 0 and the 100 slots of Faces, CPFaces, AdjacentFaces,
// DAngles, PartVolumes cleared.
void InitializeFaces(Model& m);

// Builds the faces of the polyhedron loaded in w, whose central atom is
// AC[index] (ca = 1) or AA[index]. First construction (cs false): every
// ligand is a position; writes FacesNo, Faces, VolFaces, CPFaces,
// SplitTable and SBondCoorX..Z. Second construction (cs true): ligands
// closer than MaxSDist are merged at their midpoint (label "i-j"); writes
// IPFaces. Leaves w renumbered by position with w.ligands positions, and
// sets w.TMFaces (storing nothing) when the triangulation would exceed 100
// triangles.
void GetFaces(Model& m, PolyWork& w, int ca, int index, bool cs);

// Display form of the faces of the first construction: position numbers
// replaced by ligand numbers (SplitTable), each four-vertex face followed by
// an entry of one blank; DispFacesNo counts the entries.
void FixFaces(Model& m, int ca, int index);

} // namespace kevo

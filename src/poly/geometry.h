// The coordination-geometry run: the polyhedron geometry of one side of a
// calculated structure, stored in the atom records for the geometry reports.
#pragma once

#include "model/messages.h"
#include "model/model.h"

namespace kevo {

// Runs, for the side ca (1: the cations AC[1..AClength] are the central
// atoms; 2: the anions AA[1..AAlength]), on the polyhedra of the last
// calculation:
//   InitializeFaces; GetVolume (faces, volumes); GetCentroids (fitted
//   sphere); GetIdealPolyhedra; GetDihedrals; for cations, GetOpposingBonds
//   when CalcOppBonds and Get123_45Averages when Calc32Averages.
// Sets ShowingPolGeom and timeelapsed3 (seconds of the run). Returns false,
// with the reason shown through msg, when no calculation has been done or a
// polyhedron has more faces than the tables hold (ShowingPolGeom is then
// false again and the atoms processed so far keep their new values).
bool Bonds1Click(Model& m, MessageSink& msg, int ca);

// The run as the window and the batch program call it; tests put a run that
// stops in its place (with at most 50 ligands a polyhedron never reaches
// the face limit, since its surface has at most 96 triangles).
using GeometryRun = bool (*)(Model& m, MessageSink& msg, int ca);

// After a run: the atom has a least-squares fitted sphere, and with it a
// centroid and an ideal-polyhedron volume. Not so for fewer than three
// ligands or for ligands on one line (the run leaves SRadius 0 then).
inline bool HasFittedSphere(const TAtoms& a) {
    return a.Coor > 2 && a.SRadius > 0;
}

} // namespace kevo

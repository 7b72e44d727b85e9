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

} // namespace kevo

// Opposing bonds in octahedra, capped octahedra and capped trigonal prisms,
// and the 123-45 bond averages; cation-centred polyhedra only.
//
// Bond numbers: the analysis reads the triangles of CPFaces as bond
// numbers. They are position numbers of the first face construction, which
// equal bond numbers for the six to nine ligands analysed here.
#pragma once

#include <string>
#include <string_view>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {

// For every cation with six or seven ligands (and, unless OB67, eight or
// nine): the opposing bond pairs in IP and OOP, PlaneAngle, and MinIP "Ok"
// when the analysis succeeded, empty when not. Every cation's IP, OOP,
// PlaneAngle and MinIP are cleared first. Zone := GetZone when AutoZone,
// else 3 (CustomZone). ErrOB lists the cations whose analysis failed,
// joined by ", "; when it is not empty OpposingBondsMessage is shown.
void GetOpposingBonds(Model& m, MessageSink& msg);

// The axis 0, 1 or 2 (x, y, z) whose planes fit the cations' bases best:
// the smallest sum of plane angles (a lower axis wins a tie).
int GetZone(Model& m);

// Average123_45[1] := mean of Dist[1..3], [2] := mean of Dist[4..5], for the
// cations with more than four ligands and five or more in their first
// sub-polyhedron; the others keep their values.
void Get123_45Averages(Model& m);

// The four bonds that share a triangle of CPFaces with bond cap of the
// cation AC[index], in text order; of five, the one farthest from cap is
// dropped. Empty unless there are four.
std::string Pyramid(const Model& m, int index, int cap);

// Of the first six numbers of face12, those not in base, in their order.
std::string GetOppEdge(std::string_view base, std::string_view face12);

// Angle (degrees, 0..180) between the zone axis (Zone 0 x, 1 y, 2 z, 3
// CustomZone) and the normal of the plane through the first three bonds of
// face, computed in single precision like DihedralAngle. ZoneAngle3 folds it
// into 0..90.
double ZoneAngle4(const Model& m, int index, int zoneaxis, std::string_view face);
double ZoneAngle3(const Model& m, int index, int zoneaxis, std::string_view face);

} // namespace kevo

// Manual coordination: for every central atom a list of its ligands in order
// of increasing distance, with the same-kind atoms of its second sphere that
// come closer than its farthest ligand, in which the user cuts the
// coordination after any ligand. Applying the lists makes the distance of
// the last ligand kept each atom's own coordination radius (Nearest) and
// switches the coordination search to these per-atom radii (ThresOption 2).
//
// A list (MCCats[i] for cation i, MCAns[i] for anion i) holds in entry 0 the
// header "label rows cn" (the atom's Atomlabel, the number of list rows, the
// coordination number chosen) and in entries 1..rows one row each of five
// blank-separated fields:
//   0  the ligand number 1, 2, ... in distance order, or "#" for a
//      second-sphere atom
//   1  the label, without the "*" of a symmetry image
//   2  the distance formatted "0.0000"
//   3  the distance in full (xFloatToStr)
//   4  "Y" when the row is within the coordination, "N" when it is cut off
#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {

using MCList = Array0<std::string, MaxBonds>;
inline constexpr int MCFields = 5;
using MCRow = std::array<std::string, MCFields>;

// The list of asymmetric cation (cations true) or anion i, i in 1..MaxAtoms
// (std::out_of_range otherwise). Lists are made when first asked for; a list
// not made yet reads as empty.
MCList& MCListOf(Model& m, bool cations, int i);
const MCList& MCListOf(const Model& m, bool cations, int i);

// Field n of a header or a row (runs of blanks count as one).
std::string MCField(const std::string& entry, int n);
// The number of rows the header of list announces, within 0..MaxBonds.
int MCRowCount(const MCList& list);
// The five fields of row r of list.
MCRow MCRowFields(const MCList& list, int r);

// Builds the lists of every asymmetric cation and anion from the bonds of the
// last coordination search: computes the second sphere of both sides
// (SecondSphere, whose messages go to msg), then for each atom walks its
// bonds by increasing distance, putting before each bond the second-sphere
// atoms farther than 2 A that are closer than that bond. Every row starts
// "Y"; the chosen coordination number is the atom's Coor. A list never holds
// more than MaxBonds rows: every bond is listed, and second-sphere rows are
// left out where they would take the place of a bond.
void LoadData(Model& m, MessageSink& msg);

// Cuts or extends the coordination of list at row r (1..rows), as a double
// click on the row does: a row within the coordination cuts off every row
// below it, a row outside it brings every row up to it in. The coordination
// number becomes the ligand number of the row; on a second-sphere row it is
// the number of the nearest ligand row above it, and the second-sphere rows
// passed on the way are cut off too. A second-sphere row above every
// ligand cuts the coordination down to the first ligand. Rows outside
// 1..rows change nothing.
void CutCoordination(MCList& list, int r);

// The radius list applies to its atom: the full distance of the row whose
// ligand number is the chosen coordination number; nothing when no row has
// it.
std::optional<double> MCRadius(const MCList& list);

// Applies every list: each asymmetric atom whose list names a radius gets it
// as its Nearest (the others keep theirs); then ThresOption := 2, and the
// nearest-atom limit and the zero-weight exclusion are switched off, since
// the radii alone now delimit the polyhedra.
void ApplyManualCoordination(Model& m);

// Nearest of every asymmetric atom := the distance of its farthest ligand of
// the last coordination search, as applying lists left untouched gives.
void LongestBondRadii(Model& m);

} // namespace kevo

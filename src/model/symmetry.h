// Cell geometry and symmetry expansion: the numeric cell, the
// fractional <-> Cartesian matrices, the images of every asymmetric site
// inside the unit cell, multiplicities, and Cartesian ligand positions.
#pragma once

#include <string_view>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {

// va..vgamma from the cell texts a..gamma (an empty text, or one that is not
// a number, gives 0) and the angles in radians.
void PrepareUnitCell(Model& m);

// TM (fractional -> Cartesian, a along x, b in the xy plane) and its inverse
// TMT from the numeric cell. Returns false, leaving both matrices zero, when
// the cell is impossible (an edge not positive, an angle outside (0, 180), or
// angles that enclose no volume), so no undefined entry is ever used.
bool TransformationMatrix(Model& m);

// Appends the images of every asymmetric site to the staging table m.SG1
// (cation images first, then anion images, from row AClength+AAlength+1 on;
// rows after the sites are dropped first) and sets GACLength, GAALength.
// The parents are read from AC[1..AClength] and AA[1..AAlength], the site
// positions of the duplicate test from the staging rows. Image coordinates
// are written with the most decimals among the site coordinate texts (1..7).
// Operators come from m.SymOpArray (entry 0, "x,y,z", is skipped); each must
// have three non-empty comma-separated components in x, y, z (either case),
// numbers and + - * / ( ), and be the affine map of a crystal's operator:
// each component a sum of integer multiples of x, y, z plus a translation of
// at most 1000, the integer rotation of determinant +1 or -1.
// An image is a duplicate of a row it is compared with when their coordinate
// texts are equal within the row's precision (EqualCoords) or when the two
// positions lie within 0.01 A of each other, lattice translations taken into
// account.
// When an operator does not keep the cell's metric (relative tolerance
// 1e-3) a warning names the operator and the cell parameters that disagree,
// once per file, and the expansion goes on.
// Returns false after showing a message when an operator is not such a map
// or cannot be evaluated ("Invalid symmetry operator: " + operator; also for
// a result that is not a finite number) or when the images would not fit
// into the 1000 records of AC or AA ("Too many atoms in the unit cell:
// ..."); the staging table then holds no image and both image counts are 0.
bool GenerateAtoms(Model& m, MessageSink& msg);

// Writes the multiplicity of every asymmetric site and of its images into
// staging column 4.
void CalcMultiplicities(Model& m);

// Copies the image rows of the staging table into AC / AA behind the sites.
// Each image record is cleared first, so nothing of an earlier structure
// stays in it; SymTrans is left empty. A caller that has just blanked the
// records (the reader) passes records_blank, and they are not cleared twice.
void LoadGeneratedRecords(Model& m, bool records_blank = false);

// True when two coordinate texts are equal within the precision of a: a is
// the text already in the table, b the candidate. The tolerance follows the
// decimals of a: 1 -> 0.1, 2 -> 0.01, 3 -> 0.001, 4 or 5 -> 0.0002,
// 6 -> 0.000002, 7 or more -> 0.0000002, none -> 1; equal when
// |b - a| < tolerance. A text that is not a number equals nothing.
bool EqualCoords(std::string_view a, std::string_view b);

// Cartesian positions of the ligands of the asymmetric atoms:
// BondCoorC* := TM * BondCoor* for slots 1..Coor.
void Ortho(Model& m);

// Cartesian coordinates of a fractional point.
void ToCartesian(const Model& m, double x, double y, double z, double& cx, double& cy, double& cz);

} // namespace kevo

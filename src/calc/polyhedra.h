// Polyhedron assembly: the ligands of every central atom grouped into
// homoligand sub-polyhedra (one per ligand element symbol, in case-insensitive
// alphabetical order), each sorted by distance; every bond linked to the same
// bond seen from the partner; exclusion of zero-weight bonds; the copy of
// computed charges to the symmetry images; the heteroligand flags.
//
// Reverse-bond links. BondIndex[j] = (k, m) names the partner's asymmetric
// record k and the slot m of the reverse bond in k's list: a bond of the
// partner with the same length (within 0.001 A) pointing back at this atom's
// label, the last such slot when several qualify. When the partner's
// polyhedron holds no such bond (its limit was shorter, it is a hydrogen that
// kept only its two nearest ligands, or the exclusion removed the reverse bond)
// the link is (partner's asymmetric record, 0): slot 0 means "no reverse
// bond", and every reader of BondIndex[j][2] must skip such bonds.
#pragma once

#include <string_view>

#include "model/model.h"

namespace kevo {

// Groups and sorts the polyhedra of all records (cations 1..TotACLength, then
// anions 1..TotAALength), then links the bonds (FixBondIndexes).
void FixPolyhedra(Model& m);

// Links every bond of every record to its reverse bond (see above).
void FixBondIndexes(Model& m);

// Removes the bonds with BW <= 0.001 from the polyhedra of the asymmetric
// atoms, keeping HSPCount, then relinks all bonds (FixBondIndexes). Called by
// the effective-coordination step when zero-weight bonds are excluded.
void FixZeroWPolyhedra(Model& m);

// Copies QA, QX and effcharge of every asymmetric atom to its generated
// images (found by label).
void LoadSiblings(Model& m);

// HC / HA: some asymmetric cation / anion has HSPCount other than 1; HH both.
void TestHetero(Model& m);

// Number of (non-overlapping) occurrences of Sep in S; 0 for an empty Sep.
int CountMixedAtoms(std::string_view S, std::string_view Sep);

} // namespace kevo

// A calculation must never hand a value that is not a finite number to a
// report, a CSV export or a JSON record: degenerate input (absurd
// occupancies or bond-valence parameters, atoms on top of each other) can
// make a step overflow or divide by almost nothing. The pipeline looks at
// every value those outputs show, and stops with a message naming where the
// first such value is.
#pragma once

#include <string>
#include <string_view>

#include "model/model.h"

namespace kevo {

// Where the first value that is not a finite number is: the label of an
// asymmetric atom (its own values, its bonds, and the ratios the reports
// form from them: qX/QX, qA/QA and each bond's charge over its ligand's
// received charge), else the name of a global value or formula; empty when
// every value is finite.
std::string NonFiniteValue(const Model& m);

// "The calculation gives a value that is not a finite number for " + where +
// " and stops. Check the occupancies, oxidation numbers and positions of the
// file."
std::string NonFiniteMessage(std::string_view where);

} // namespace kevo

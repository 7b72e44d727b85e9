// The text the batch program prints for --list: cell, space group and the
// atom grid as the window shows it.
#pragma once

#include <string>

#include "model/model.h"

namespace kevo {

// Cell, space group and one line per staging row (sites, then images), in
// the columns of the visible atom grid.
std::string StructureListing(const Model& m);

} // namespace kevo

// The text the batch program prints for --list: cell, space group and the
// atom grid as the window shows it.
#pragma once

#include <string>

#include "model/model.h"

namespace kevo {

// Number of characters (not bytes) of a UTF-8 text.
std::size_t CharCount(const std::string& s);

std::string PadLeftChars(const std::string& s, std::size_t width);
std::string PadRightChars(const std::string& s, std::size_t width);

// Cell, space group and one line per staging row (sites, then images), in
// the columns of the visible atom grid.
std::string StructureListing(const Model& m);

} // namespace kevo

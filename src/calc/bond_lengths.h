// Bond-type specific coordination thresholds: the default maximum bond
// length of every cation/anion element pair, shipped as the text table
// default-bond-lengths.txt (one line per pair, "(Si O)", a tab, "1.99002"),
// and the helpers that put its values into the bond-type table of a
// structure.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {

inline constexpr std::string_view DefaultBondLengthsMissingMessage =
    "The default bond-length table default-bond-lengths.txt cannot be read; the bond-type "
    "thresholds keep the longest bond lengths found in the structure.";

// The lines of the default bond-length table, as read.
using BondLengthTable = std::vector<std::string>;

// Cuts text into lines at CR LF, LF or CR; tabs are kept.
BondLengthTable BondLengthTableFromText(std::string_view text);

// The table read from path; nothing when path is empty or the file cannot be
// read.
std::optional<BondLengthTable> ReadDefaultBondLengths(const std::string& path);

// "(" + cation + " " + anion + ")": what a table line is looked up by.
std::string BondTypeKey(std::string_view cation, std::string_view anion);

// The first line of table that contains key: the six characters after its
// tab (a length with four decimals; a fifth decimal is dropped, not
// rounded). Nothing when no line contains the key or it has no tab.
std::optional<std::string> DefaultBondLength(const BondLengthTable& table, std::string_view key);

// The element a bond-type column stands for in the table: the first element
// of a mixed site ("(Fe-Mg)" -> "Fe"), otherwise the symbol without its
// parentheses ("(O)" -> "O").
std::string BondTypeElement(std::string_view symbol);

// How row i of the bond-type table is named to the user: both symbols
// without parentheses, "Fe-Mg : O".
std::string BondTypeCaption(const Model& m, int i);

// MaxBondLengths[i][3] := the table's length of the elements of row i, for
// i = 1..BondTypesNr; rows whose pair has no line keep their length. Returns
// the rows that were given a table length, in order.
std::vector<int> LoadDefaultBondLengths(Model& m, const BondLengthTable& table);

} // namespace kevo

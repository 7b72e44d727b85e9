// The CIF reader: turns one crystallographic information file into the
// structure model. It is not a general CIF parser: it reads the file line by
// line, recognises a fixed set of data names by text search and expects the
// usual layout of database files (one data block; cell items, the operator
// loop and an optional atom-type loop before the atom-site loop). Everything
// after the atom-site loop is ignored.
//
// Reading order, in short: reset the structure-dependent settings and the
// records of the previous structure; scan the lines for the cell, the
// Hermann-Mauguin symbol, the operators and the type charges until the
// atom-site loop; write one staging row (Model::SG1) per site, merging the
// species of a mixed site; put cations before anions; build the cell
// matrices; load the records; expand by symmetry; number the rows; sum the
// charges.
//
// Labels: a label keeps the text of the file ("O(1)"); standard
// uncertainties are removed from the numbers of a row only. Two sites with
// the same label would be mixed by everything that works by label, so the
// later one is renamed (see DuplicateLabelPrefix).
//
// Text: UTF-8 with or without byte-order mark; UTF-16 (little or big endian,
// with a byte-order mark or recognised by its NUL bytes) is converted; a file
// that is not valid UTF-8 is read as Latin-1. Line ends CR LF, LF and CR are
// all accepted; tabs count as blanks.
//
// Numbers: an occupancy, oxidation number or site charge above 1e100 in
// magnitude is refused like one that is not a number ("Error reading
// occupancies." / "Error reading charges."), so that every product the
// calculation forms from them stays finite. A site whose occupancy (summed
// over a mixed site) is above 1 is read with a warning.
//
// After a failed read nothing of the file is in use: the counts AClength,
// AAlength, GACLength and GAALength are 0 and the records are blank, so a
// calculation finds no atom (StructureLoaded() is false). The settings reset
// at the end of a completed read (ThresOption, MaxR, MaxH) is not made then.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {

// The fixed sentences of the reader; the ones built with a value are shown as
// prefix + value (+ suffix).
namespace cif_text {
inline constexpr std::string_view InvalidCell = "Invalid unit-cell parameters.";
inline constexpr std::string_view InvalidSymbolSuffix = " is not a valid chemical symbol.";
inline constexpr std::string_view TypeChargePrefix = "Error reading charge of ";
inline constexpr std::string_view TypeChargeSuffix = " in charges loop.";
inline constexpr std::string_view BlankLine = "Blank line in the coordinates table.";
inline constexpr std::string_view MissingLabel = "Missing atom label in the _atom_site section.";
inline constexpr std::string_view MissingSymbol =
    "Missing atom symbol in the _atom_site section. No Bond Valence Sums will be calculated.";
inline constexpr std::string_view MissingCoordinate =
    "Missing atom coordinate in the _atom_site section.";
inline constexpr std::string_view Occupancies = "Error reading occupancies.";
// The detail of Occupancies when the atom-site loop has no occupancy column
// (a site whose occupancy cannot be used gets "The occupancy of site " +
// label + " (" + text + ") cannot be used; 1.0 is the value for fully
// occupied sites.").
inline constexpr std::string_view OccupancyColumnMissing =
    "The _atom_site_occupancy column is missing: add it to the atom-site loop, with 1.0 for "
    "fully occupied sites.";
inline constexpr std::string_view StandardDeviationsPrefix =
    "Error reading standard deviations at line ";
inline constexpr std::string_view CoordinatesPrefix = "Error reading atom coordinates - ";
inline constexpr std::string_view Charges = "Error reading charges.";
// The detail of Charges for the first site without an oxidation number:
// "Site " + label + " (type symbol " + type + ") has no oxidation number. " +
// ChargesHint (ChargesSuppliedMissing before the hint when charges were
// supplied by element but not for this one).
inline constexpr std::string_view ChargesHint =
    "Add _atom_type_oxidation_number or write the charge in the type symbol (Mg2+).";
// The detail of Charges for a site whose oxidation number is zero or cannot
// be used: "The oxidation number of site " + label + " (" + text + ") is zero
// or cannot be used."
inline constexpr std::string_view NoOperators = "No symmetry operators found.";
inline constexpr std::string_view NoAtomSites = "No atom sites found in the file.";
inline constexpr std::string_view TooManySites =
    "Too many atom sites: at most 1000 cation sites and 1000 anion sites can be read.";
inline constexpr std::string_view CannotOpenPrefix = "Cannot open file ";
// "Duplicate atom site label " + label + ": the site at " + x + ", " + y + ", " +
// z + " is read as " + new label + "." (a warning; reading goes on).
inline constexpr std::string_view DuplicateLabelPrefix = "Duplicate atom site label ";
// "Site " + label + " has an occupancy of " + occupancy + ", more than 1. It is
// read as given." (a warning; reading goes on).
inline constexpr std::string_view OccupancyAboveOnePrefix = "Site ";
} // namespace cif_text

// What a caller adds to what the file says.
struct ReadOptions {
    // Oxidation numbers by element symbol ("Mg" -> "2", "O" -> "-2"), for the
    // sites to which the file gives none (no type charge, no oxidation-number
    // value, no charge in the type symbol). The file's own charges win; a
    // site whose element is not named here still fails.
    std::map<std::string, std::string> element_charges;
    // Said after the hint of a site without an oxidation number (the batch
    // program names its option for element_charges).
    std::string missing_charge_hint;
};

// Reads the file at path into the model; every problem is shown through msg.
// A file that cannot be read shows "Cannot open file " + path + ": " + the
// system's reason. Returns true when the structure is loaded.
bool ReadCifFile(const std::string& path, Model& m, MessageSink& msg,
                 const ReadOptions& options = {});

// As ReadCifFile for contents already in memory (the raw bytes of the file);
// path gives Title and OutPath. Returns true when the structure is loaded.
// The "Missing atom symbol..." warning does not stop reading.
bool ReadCifText(std::string_view contents, const std::string& path, Model& m, MessageSink& msg,
                 const ReadOptions& options = {});

// What "Open..." does when the file dialog is cancelled: the three settings
// reset before the dialog and the settings reset after reading; the loaded
// structure stays, its coordination data is cleared. timeelapsed2 is kept.
void OpenCancelled(Model& m);

// The Title a file gets: its name without the folder, the first ".cif"
// removed ("a/quartz.cif" gives "quartz"). Every output file name starts
// with it.
std::string TitleOf(std::string_view path);

// True when a structure is loaded (at least one site in use).
bool StructureLoaded(const Model& m);

// Copies the staging table into the records: rows 1..AClength into
// AC[1..AClength], the next AAlength rows into AA[1..AAlength]. Column 11 is
// rewritten with its symbols in order. Clears the site records first when
// AClength is not 0.
void LoadRecords(Model& m);

// The visible atom grid, one entry per staging row 1.. (images included):
// columns 0-2 as in the table; the charge right-aligned in 8 characters; the
// multiplicity in 5; x, y, z with the decimals of Decimals() in 9 each; the
// occupancy in 7.
using AtomGridRow = std::array<std::string, 9>;
std::vector<AtomGridRow> AtomGridRows(const Model& m);

// "Time elapsed: " + timeelapsed2 formatted "0.000" + " s", the caption of
// the reading-time label.
std::string ReadingTimeText(const Model& m);

} // namespace kevo

// What the batch program does with one file, independent of the command
// line: read, calculate both orientations, write the requested files. Each
// call works on its own model, so files can be processed on several threads.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "calc/bond_lengths.h"
#include "calc/bond_valence.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/model.h"
#include "poly/geometry.h"

namespace kevo {

// One line of a bond-limit file: the longest bond between a cation and an
// anion that still counts. A symbol is an element ("Fe"), which stands for
// every site whose first element it is, or the whole symbol of a mixed site
// ("Fe-Mg"), which wins over the element.
struct BondLimit {
    std::string cation;
    std::string anion;
    double limit = 0;
};

// A coordination radius given to one asymmetric atom by its label.
struct AtomRadius {
    std::string label;
    double radius = 0;
};

struct BatchSettings {
    // What the reader adds to a file: oxidation numbers by element (--charges)
    // for files that give none.
    ReadOptions read;

    // Calculation settings; unset ones keep the values a freshly opened file
    // has.
    std::optional<double> MaxR;
    std::optional<double> MaxH;
    bool ExZeroW = false;
    bool NearestLimit = false;
    bool NonIt = false;
    bool VontarIT = false;
    std::optional<int> EndItOption;
    std::optional<double> Threshold;
    std::optional<double> MAPDImprovement;

    // Bond-type specific thresholds (ThresOption 1), as the settings dialog
    // sets them: every bond type of the structure starts from its longest
    // bond, then takes the shipped default of its pair (default_bond_lengths)
    // and the limits named. Used when bond_type_limits is set.
    bool bond_type_limits = false;
    std::optional<BondLengthTable> default_bond_lengths;
    std::vector<BondLimit> bond_limits;
    // Per-atom radii (ThresOption 2), as the manual coordination dialog sets
    // them: the atoms named get their radius, every other asymmetric atom
    // keeps the ligands the global radii give it.
    std::vector<AtomRadius> atom_radii;

    // Coordination geometry, run for each side after its charge
    // distribution, and its optional calculations.
    bool geometry = false;
    bool CalcOppBonds = false;
    bool CalcBonDAngles = true;
    bool CalcDihAngles = true;
    bool CalcIntLigands = true;
    bool CalcDistCentAtom = true;
    bool Calc32Averages = true;
    std::optional<std::array<int, 3>> zone; // the planes' zone axis; detected when unset
    std::optional<double> MinDih;
    std::optional<double> MaxSDist;
    GeometryRun run_geometry = &Bonds1Click;

    std::string bvs_path;   // parameter table; empty when none was found
    std::string bvs_places; // where it was looked for, said when none was found
    // The table read from bvs_path, shared by every worker and every copy of
    // these settings: a run reads it once.
    std::shared_ptr<BvsTableCache> bvs_tables = std::make_shared<BvsTableCache>();
    std::string out_dir; // empty: the CIF's directory

    std::string table_path; // --table: one CSV table for the whole run; empty: none

    bool list = false;                   // print the atom listing
    bool calculate = true;               // run the calculation
    bool json = false;                   // write Title + ".json"
    bool reports = true;                 // write the report and CSV files
    bool detailed = true;                // detailed reports (-D.out)
    bool summary = true;                 // summary reports and CSV files (-S.out, -S.csv)
    bool cation = true;                  // cation-centred files (-CC-)
    bool anion = true;                   // anion-centred files (-AC-)
    bool omit = false;                   // leave zero-weight bonds out of the detailed reports
    std::string decimal_separator = "."; // the user's; chooses the CSV separator
};

struct BatchResult {
    bool ok = false;
    std::string listing;  // text for stdout (listing, summary line)
    std::string messages; // text for stderr, one message per line
    int atoms = 0;        // records of the unit cell
    double gii = 0;
    bool has_gii = false; // false without bond-valence parameters (NoBVS)
    double seconds = 0;
    std::string table; // the file's rows of the run's table (CSV lines), when asked for
};

// "u,v,w" with three integers: the zone axis of the opposing-bond planes.
std::optional<std::array<int, 3>> ParseZone(std::string_view text);

// Checks the settings a user typed; returns an empty text or the message of
// the first setting that is out of range.
std::string ValidateSettings(const BatchSettings& s);

// Applies the settings to a model just read.
void ApplySettings(const BatchSettings& s, Model& m);

// The limits of a bond-limit file: one "cation anion limit" per line; blank
// lines and lines beginning with "#" are skipped. Returns an empty text, or
// the message of the first bad line (a bad length gives the settings
// dialog's "Invalid Si : O bond length.").
std::string ParseBondLimits(std::string_view text, std::vector<BondLimit>& limits);

// The items of --charges ("Mg=2", "O=-2"; the option's text split at
// commas) into oxidation numbers by element ("Mg" -> "2", "O" -> "-2"). An
// oxidation number is a whole number other than 0, its sign before or after
// the digits ("-2", "2-"). Returns an empty text or what is wrong with the
// first bad item.
std::string ParseCharges(const std::vector<std::string>& items,
                         std::map<std::string, std::string>& charges);

// "LABEL=R"; returns an empty text or what is wrong with it.
std::string ParseAtomRadius(std::string_view text, AtomRadius& radius);

// The coordination limits of s (bond-type limits or per-atom radii) on a
// model just read, from a coordination search with the global settings, as
// the settings dialogs set them. False, with the reason shown, when the
// search fails or a radius names no atom of the structure.
bool SetCoordinationLimits(const BatchSettings& s, Model& m, MessageSink& msg);

// The machine-readable record of one orientation's results (every key is
// described in docs/json.md). The file Title.json puts "format":
// "kevo21-results" and "version": 1 before both records and writes every
// number within 1e-12 of zero as 0.
nlohmann::ordered_json ResultsJson(const Model& m);

// Adds the results of the coordination-geometry run to the central atoms of
// an orientation's record (cations: the cation-centred record, else the
// anion-centred one) and to their bonds. A value the reports print as
// missing is null.
void AddGeometryJson(nlohmann::ordered_json& orientation, const Model& m, bool cations);

// Makes the --out folder with its parents when it does not exist yet;
// returns an empty text, or the message saying why it cannot be made.
std::string MakeOutputDirectory(const std::string& dir);

// The run's table (--table): one tidy CSV table of every file, one row per
// asymmetric atom per orientation. The columns (TableHeader): file,
// orientation ("cation-centred" or "anion-centred"), label, elements, CN,
// Kevo, EDEV, charge (the formal charge), Q (the charge received, with the
// sign the reports print), BVS, MAPDL, AvDist, distortion (Baur), and the
// structure's GII, CDEV and MAPD repeated on each row. Numbers are plain
// numbers with "." (the decimals of the reports, no "%" or unit); a value
// the reports print as "n/a" or "-" is an empty cell. Fields are separated
// by "," and quoted as RFC 4180 asks; lines end in CR LF.
std::string TableHeader();

// The rows of one orientation's results (cations: cation-centred) of the
// file given on the command line as path.
std::string TableRows(const std::string& path, const Model& m, bool cations);

// "Processing stopped by an unexpected error (" + what + "); the file is
// skipped."
std::string UnexpectedErrorMessage(const std::string& what);

// Reads and processes one file on the given model. Any exception is caught
// and reported as the file's failure (UnexpectedErrorMessage).
BatchResult ProcessFile(const std::string& path, const BatchSettings& s, Model& m);

// The paths of the files processing path writes under the settings (none
// when nothing is calculated): folder / Title + ending.
std::vector<std::string> OutputFiles(const std::string& path, const BatchSettings& s);

// Input files whose output files would land on the same paths (two files of
// one name from different folders written into one --out folder, or a file
// given twice): one message per such pair, naming both. Empty when every
// file writes files of its own.
std::vector<std::string> OutputCollisions(const std::vector<std::string>& files,
                                          const BatchSettings& s);

// Where a batch run prints: stdout and stderr in the program, strings in
// tests.
class BatchConsole {
  public:
    virtual ~BatchConsole() = default;
    virtual void Out(const std::string& text) = 0;
    virtual void Err(const std::string& text) = 0;
    // True when stderr is a terminal that shows a progress bar.
    virtual bool Progress() const { return false; }
};

using FileProcessor =
    std::function<BatchResult(const std::string& path, const BatchSettings& s, Model& m)>;

// Processes the files with `jobs` workers, each with its own model, and
// prints what they report in file order. A file that fails, whatever the
// cause (an exception included), is reported as that file's failure and the
// next file is processed. Before anything is processed the run is refused
// when output files would collide (OutputCollisions) or, when something is
// calculated, the bond-valence table cannot be used (BvsTableProblem; when
// no table was found, bvs_places follows on the next line), so such a
// problem is said once per run; then the --out folder is made
// (MakeOutputDirectory). With table_path set, the table of the files done
// is written at the end, completely or not at all.
// Returns the exit status: 0 every file done, 1 some file failed, 2 the run
// was refused.
int RunBatch(const std::vector<std::string>& files, const BatchSettings& s, int jobs,
             BatchConsole& console, const FileProcessor& process = ProcessFile);

} // namespace kevo

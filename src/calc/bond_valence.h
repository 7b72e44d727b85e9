// Bond valences, bond valence sums and the global indicators built on them.
//
// The bond valence of a bond of length R between a cation species and an
// anion species is s = exp((R0 - R) / b), with R0 and b taken from the
// parameter table bvsparm.cif. Mixed sites add the valences of their species
// pairs weighted by both occupancies. From the sums follow the expected bond
// lengths, the bond-valence formula, the global instability index, the mean
// absolute percentage deviations (MAPD) of the computed charges and of the
// bond valence sums, the averaged distortion indexes and the ligand MAPD of
// each polyhedron.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {

// The table's header: lines 0..169 are never searched.
inline constexpr int BvsFirstDataLine = 170;

// Species one site may hold in the bond-valence step.
inline constexpr int MaxSiteSpecies = 10;

// Parameters outside these bounds are no parameters: a line holding them
// counts as no match, like a line whose R0 or b is not a number.
inline constexpr double MinRo = 0, MaxRo = 10; // A, both excluded
inline constexpr double MinB = 0.01, MaxB = 5; // A, both excluded

// The message shown when the parameter table cannot be read:
// "Cannot open the bond-valence parameter file " + path + "." (bvsparm.cif
// when no path was found).
std::string BvsFileErrorMessage(std::string_view path);

// The message shown for a table without any parameter line:
// "The bond-valence parameter file " + path + " holds no parameter lines."
std::string BvsNoParametersMessage(std::string_view path);

// The message shown for a site with more than MaxSiteSpecies species:
// "Maximum number of species per site exceeded for " + label + ".".
std::string TooManySpeciesMessage(std::string_view label);

// R0 and b of one species pair, in Å.
struct BvsParameters {
    double Ro = 0;
    double B = 0;
};

// The parameter table in memory: its lines (numbered from 0) with tabs
// turned into blanks and line ends removed, so a table edited with tabs
// between its columns reads like one with blanks. Read once per program run
// (BvsTableCache) and searched, read-only, for every species pair.
class BvsTable {
  public:
    BvsTable() = default;
    // Cuts text into lines at CR LF, LF or CR.
    static BvsTable FromText(std::string_view text);

    const std::vector<std::string>& lines() const { return lines_; }

    // The number of the first line from BvsFirstDataLine on that contains key
    // (plain substring search), or -1.
    int FindLine(std::string_view key) const;

    // R0 (field 5) and b (field 6) of the first line that contains key;
    // fields are separated by runs of blanks. Nothing when no line contains
    // the key, or when that line's R0 or b is not a number or lies outside
    // (MinRo, MaxRo) or (MinB, MaxB).
    std::optional<BvsParameters> Lookup(std::string_view key) const;

    // True when some line from BvsFirstDataLine on holds usable R0 and b in
    // fields 5 and 6: a file without any is no parameter table.
    bool HasParameterLines() const;

  private:
    std::vector<std::string> lines_;
};

// The table read from path; nothing when path is empty or the file cannot be
// read.
std::optional<BvsTable> ReadBvsTable(const std::string& path);

// The parameter table of the file a program uses, read once and shared
// read-only by every calculation, model and thread asking for the same path.
// Asking for another path reads that file instead. A file that cannot be read
// is not remembered, so the next calculation tries it again. Safe to use
// from several threads at once.
class BvsTableCache {
  public:
    // The table at path (read now unless it is the one kept), or nothing
    // when the file cannot be read.
    std::shared_ptr<const BvsTable> Get(const std::string& path);

  private:
    std::mutex mutex_;
    std::string path_;
    std::shared_ptr<const BvsTable> table_;
};

// The search key of a cation and an anion species: the cation symbol padded
// with blanks to 3 characters, its oxidation number padded to 4, the anion
// symbol padded to 3, then the anion oxidation number with its sign
// ("Fe 3   O  -2").
std::string BvsSearchKey(std::string_view cation_symbol, std::string_view cation_charge,
                         std::string_view anion_symbol, std::string_view anion_charge);

// Bond valences (deltaBVS, effRo, effB), BVS, ExpDist, HasBVS and RoSearch
// of every asymmetric cation, then anion, with the parameters of table.
// An atom for which some species pair has no parameters gets HasBVS false
// and NoBVS is set; its RoSearch then holds the first key that was not
// found (else the last key looked up). A site with more than MaxSiteSpecies
// species is refused: message, nothing computed, false.
bool CalculateBVS(Model& m, MessageSink& msg, const BvsTable& table);

// The same with the table at bvs_path, from tables when given (else read
// now); when it cannot be read (empty path included) or holds no parameter
// line, BvsTableProblem is shown and false returned.
bool CalculateBVS(Model& m, MessageSink& msg, const std::string& bvs_path,
                  BvsTableCache* tables = nullptr);

// What is wrong with the table at path (from tables when given, else read
// now): BvsFileErrorMessage when it cannot be read, BvsNoParametersMessage
// when it holds no parameter line; empty when it can be used.
std::string BvsTableProblem(const std::string& path, BvsTableCache* tables = nullptr);

// NoBVS := some asymmetric cation lacks parameters; otherwise BVSFormula is
// rebuilt like the structure formula with the factor BVS / |effcharge|.
void CalcBVSFormula(Model& m);

// GII, GIICat and GIIAn: root mean square of BVS - |effcharge| over the
// asymmetric cations, the anions and both (0 for an empty set).
void CalcGlobalInstabilityIndex(Model& m);

// MAPD values of side ca (1 cation-centred, 2 anion-centred) in percent and
// the averaged Baur and Brown distortion indexes; devBVSC and devBVSA only
// for ca = 1.
void CalcMAPD(Model& m, int ca);

// MAPDLig of the asymmetric central atoms of side ca: the mean over the
// distinct ligand sites of |(BondCharge + deltaQrs) / BondCharge|, in
// percent.
void LigandsMAPD(Model& m, int ca);

} // namespace kevo

// kevo21-batch: reads crystal structures and runs the calculation on them
// without a window.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "batch.h"
#include "calc/bond_lengths.h"
#include "calc/bvs_file.h"
#include "model/model.h"
#include "model/numbers.h"

namespace {

void Err(const std::string& text) {
    std::fputs(text.c_str(), stderr);
}

// The program's console: results on stdout (flushed per file, so a pipe sees
// them as they come), messages and the progress bar on stderr.
class StdConsole : public kevo::BatchConsole {
  public:
    void Out(const std::string& text) override {
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    }
    void Err(const std::string& text) override { ::Err(text); }
    bool Progress() const override { return isatty(STDERR_FILENO) != 0; }
};

std::string ExecutableDir(const char* argv0) {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) self = std::filesystem::absolute(argv0, ec);
    return self.parent_path().string();
}

// The decimal separator of the user's locale (it chooses the CSV field
// separator). The program itself keeps the "C" locale.
std::string UserDecimalSeparator() {
    std::string separator = ".";
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const char* point = std::localeconv()->decimal_point;
        if (point != nullptr && *point != '\0') separator = point;
    }
    std::setlocale(LC_NUMERIC, "C");
    return separator;
}

// The limits of --bond-limits: the shipped table for "default", else the
// file named. Returns what went wrong, or an empty text.
std::string ReadBondLimits(const std::string& name, const char* argv0, kevo::BatchSettings& s) {
    if (name == "default") {
        const std::string dir = ExecutableDir(argv0);
        const std::string path = kevo::FindDataFile(kevo::DefaultBondLengthsFileName, dir);
        s.default_bond_lengths = kevo::ReadDefaultBondLengths(path);
        if (!s.default_bond_lengths) {
            std::string problem = "Cannot read the default bond-length table " +
                                  std::string(kevo::DefaultBondLengthsFileName) + ".";
            if (path.empty())
                problem += "\n" + kevo::PlacesTriedText(kevo::DefaultBondLengthsFileName, dir);
            return problem;
        }
        return {};
    }
    const std::string cannot = "Cannot read the bond-limit file " + name + ".";
    const std::optional<std::string> text = kevo::ReadRegularFile(name);
    if (!text) return cannot;
    if (std::string problem = kevo::ParseBondLimits(*text, s.bond_limits); !problem.empty())
        return name + " " + problem;
    return {};
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Kevo21 batch program: reads CIF files, computes coordination polyhedra, "
                 "effective coordination numbers, charge distributions and bond valence sums, "
                 "and writes the results."};
    kevo::BatchSettings s;
    std::vector<std::string> files;
    double max_r = 0, max_h = 0, threshold = 0, mapd = 0;
    std::string end_option;
    int jobs = 1;

    app.add_option("files", files, "CIF files to process")->required();
    app.add_flag("--list", s.list,
                 "Print the cell, the space group and the atom listing (sites, then symmetry "
                 "images) of each file; with --list alone nothing is calculated");
    auto* max_r_opt = app.add_option("--max-radius", max_r,
                                     "Maximum coordination radius in Å (default 4.0, at most 5.0)");
    auto* max_h_opt = app.add_option("--hydrogen-radius", max_h,
                                     "Hydrogen coordination radius in Å (default 2.0)");
    app.add_flag("--exclude-zero-weight", s.ExZeroW,
                 "Exclude ligands with zero-weight bonds from coordination polyhedra");
    app.add_flag("--nearest-limit", s.NearestLimit,
                 "Limit the coordination radius by the distance to the nearest central atom");
    app.add_flag("--non-iterative", s.NonIt,
                 "Take the weighted average distance after the first step instead of iterating");
    app.add_flag("--two-sided", s.VontarIT,
                 "Use the two-sided iteration (VONTAR2015 method): both sides distribute their "
                 "charges and correct each other");
    app.add_option("--end", end_option,
                   "End of the correction cycles for heteroligand polyhedra: 'difference' "
                   "(maximum ΔDj difference between cycles at most --threshold), 'mapd' (MAPD "
                   "improvement less than --mapd-improvement, the default) or 'once' (one cycle)")
        ->check(CLI::IsMember({"difference", "mapd", "once"}));
    auto* threshold_opt = app.add_option(
        "--threshold", threshold, "Maximum ΔDj difference for --end difference (default 0.005)");
    auto* mapd_opt = app.add_option("--mapd-improvement", mapd,
                                    "MAPD improvement in percent for --end mapd (default 1.0)");
    std::string bond_limits;
    auto* bond_limits_opt = app.add_option(
        "--bond-limits", bond_limits,
        "Bond-type specific thresholds: a file of lines 'cation anion limit' (e.g. 'Si O "
        "1.70'; blank lines and lines beginning with # are skipped), or 'default' for the "
        "shipped table default-bond-lengths.txt. Bond types the file does not name keep their "
        "longest bond found within --max-radius");
    std::vector<std::string> atom_radius_args;
    auto* atom_radius_opt =
        app.add_option("--atom-radius", atom_radius_args,
                       "LABEL=R: coordination radius in Å of the asymmetric atom LABEL "
                       "(repeatable; polyhedron-specific thresholds). Atoms not named keep the "
                       "ligands found within --max-radius")
            ->allow_extra_args(false);
    atom_radius_opt->excludes(bond_limits_opt);
    atom_radius_opt->excludes("--nearest-limit");
    atom_radius_opt->excludes("--exclude-zero-weight");
    app.add_option("--bvs", s.bvs_path,
                   "Bond-valence parameter file (default: bvsparm.cif in the current directory, "
                   "beside the program, or in the installed data directory <bin>/../share/kevo21)");
    app.add_option("--out", s.out_dir,
                   "Directory for the files written (default: the directory of each CIF file); "
                   "made, with its parents, when it does not exist");
    std::vector<std::string> charge_items;
    app.add_option("--charges", charge_items,
                   "Oxidation numbers by element for files that give none, e.g. "
                   "Mg=2,Si=4,O=-2. A file's own charges (type loop, oxidation-number column, "
                   "charge in the type symbol) win")
        ->delimiter(',')
        ->allow_extra_args(false);
    app.add_option("--table", s.table_path,
                   "Also write one CSV table for the whole run: a row per asymmetric atom, "
                   "structure and orientation with file, orientation, label, elements, CN, Kevo, "
                   "EDEV, charge, Q, BVS, MAPDL, AvDist, distortion and the structure's GII, CDEV "
                   "and MAPD (\",\" separated, \".\" decimals, quoted as RFC 4180 asks)");
    bool only_detailed = false, only_summary = false, only_cation = false, only_anion = false;
    app.add_flag("--detailed", only_detailed,
                 "Write only the detailed reports (Title-CC-D.out, Title-AC-D.out; with "
                 "--geometry also Title-CC-D.pol, Title-AC-D.pol, Title-CC-OB.csv, "
                 "Title-CC-123-45.csv)");
    app.add_flag("--summary", only_summary,
                 "Write only the summary reports and CSV files (Title-CC-S.out, Title-AC-S.out, "
                 "Title-CC-S.csv, Title-AC-S.csv; with --geometry also Title-CC-S.pol, "
                 "Title-AC-S.pol, Title-CC-SP.csv, Title-AC-SP.csv)");
    app.add_flag("--cation", only_cation, "Write only the cation-centred files (-CC-)");
    app.add_flag("--anion", only_anion, "Write only the anion-centred files (-AC-)");
    app.add_flag("--hide-zero-weight", s.omit,
                 "Leave zero-weight bonds out of the detailed reports (shown by default)");
    bool no_reports = false;
    app.add_flag("--no-reports", no_reports,
                 "Write no report or CSV file; with --json or --table (or --list) only");
    app.add_flag("--json", s.json,
                 "Write Title.json: the results of the cation-centred and the anion-centred "
                 "calculation in machine-readable form");
    auto* geometry = app.add_flag(
        "--geometry", s.geometry,
        "Also run the coordination geometry of each side after its charge distribution and "
        "write Title-CC-D.pol, Title-CC-S.pol, Title-AC-D.pol, Title-AC-S.pol (geometry "
        "reports), Title-CC-SP.csv, Title-AC-SP.csv (their synopses), Title-CC-OB.csv (opposing "
        "bonds) and Title-CC-123-45.csv (123-45 bond averages); with --json the geometry is "
        "added to Title.json");
    auto* opposing = app.add_flag("--opposing-bonds", s.CalcOppBonds,
                                  "Find the opposing bonds of six- and seven-coordinated cations "
                                  "(off by default; without it Title-CC-OB.csv has no rows)")
                         ->needs(geometry);
    bool no_angles = false, no_dihedrals = false, no_interligand = false, no_central = false,
         no_averages = false;
    app.add_flag("--no-bond-angles", no_angles, "Leave the bond angles out of the geometry reports")
        ->needs(geometry);
    app.add_flag("--no-dihedral-angles", no_dihedrals,
                 "Leave the dihedral angles out of the geometry reports")
        ->needs(geometry);
    app.add_flag("--no-interligand-distances", no_interligand,
                 "Leave the interligand distances out of the geometry reports")
        ->needs(geometry);
    app.add_flag("--no-central-distances", no_central,
                 "Leave the distances to the nearest central atoms out of the geometry reports")
        ->needs(geometry);
    app.add_flag("--no-123-45", no_averages,
                 "Do not calculate the 123-45 bond averages (Title-CC-123-45.csv has no rows)")
        ->needs(geometry);
    std::string zone_text;
    auto* zone_opt = app.add_option("--zone", zone_text,
                                    "Zone axis U,V,W (three integers) of the opposing-bond planes "
                                    "(default: detected)")
                         ->needs(opposing);
    double min_dih = 0, max_split = 0;
    auto* min_dih_opt =
        app.add_option("--min-dihedral", min_dih,
                       "Minimum dihedral angle in degrees to merge adjacent faces into a flat "
                       "face (150 to 180, default 170)")
            ->needs(geometry);
    auto* max_split_opt =
        app.add_option("--max-split-distance", max_split,
                       "Maximum distance in Å between atoms in split positions (0.2 to 1.5, "
                       "default 0.8)")
            ->needs(geometry);
    app.add_option("-j,--jobs", jobs, "Number of files processed at the same time (default 1)")
        ->check(CLI::Range(1, 64));
    app.set_version_flag("--version", std::string("kevo21-batch ") + KEVO_VERSION);
    app.footer("Exit status: 0 every file done; 1 some file failed (the other files are still "
               "processed and written); 2 the run was refused before anything was written (a "
               "bad option or value, input files whose results would overwrite each other, no "
               "usable bond-valence table, an output folder that cannot be made).");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end with 0; a command line that cannot be
        // understood refuses the run like any other bad value.
        const int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }

    if (*max_r_opt) s.MaxR = max_r;
    if (*max_h_opt) s.MaxH = max_h;
    if (*threshold_opt) s.Threshold = threshold;
    if (*mapd_opt) s.MAPDImprovement = mapd;
    s.CalcBonDAngles = !no_angles;
    s.CalcDihAngles = !no_dihedrals;
    s.CalcIntLigands = !no_interligand;
    s.CalcDistCentAtom = !no_central;
    s.Calc32Averages = !no_averages;
    if (*min_dih_opt) s.MinDih = min_dih;
    if (*max_split_opt) s.MaxSDist = max_split;
    if (*zone_opt) {
        s.zone = kevo::ParseZone(zone_text);
        if (!s.zone) {
            Err("Invalid custom zone axis\n");
            return 2;
        }
    }
    if (end_option == "difference")
        s.EndItOption = 0;
    else if (end_option == "mapd")
        s.EndItOption = 1;
    else if (end_option == "once")
        s.EndItOption = 2;
    for (const std::string& text : atom_radius_args) {
        kevo::AtomRadius radius;
        if (std::string problem = kevo::ParseAtomRadius(text, radius); !problem.empty()) {
            Err(problem + "\n");
            return 2;
        }
        s.atom_radii.push_back(std::move(radius));
    }
    if (*bond_limits_opt) {
        s.bond_type_limits = true;
        if (std::string problem = ReadBondLimits(bond_limits, argv[0], s); !problem.empty()) {
            Err(problem + "\n");
            return 2;
        }
    }
    if (std::string problem = kevo::ParseCharges(charge_items, s.read.element_charges);
        !problem.empty()) {
        Err(problem + "\n");
        return 2;
    }
    if (charge_items.empty())
        s.read.missing_charge_hint = "Or give the oxidation numbers by element with --charges, "
                                     "for example --charges Mg=2,Si=4,O=-2.";
    if (std::string problem = kevo::ValidateSettings(s); !problem.empty()) {
        Err(problem + "\n");
        return 2;
    }
    if (no_reports && !s.json && !s.list && s.table_path.empty()) {
        Err("--no-reports leaves nothing to write: add --json, --table or --list.\n");
        return 2;
    }
    // Without a narrowing option every report is written; --detailed and
    // --summary (--cation and --anion) given together mean both.
    if (only_detailed != only_summary) {
        s.detailed = only_detailed;
        s.summary = only_summary;
    }
    if (only_cation != only_anion) {
        s.cation = only_cation;
        s.anion = only_anion;
    }
    s.reports = !no_reports;
    s.decimal_separator = UserDecimalSeparator();
    // --list alone only lists; every other use calculates.
    s.calculate = !(s.list && !s.json && !s.geometry && !only_detailed && !only_summary &&
                    s.table_path.empty());
    if (s.calculate && s.bvs_path.empty()) {
        const std::string dir = ExecutableDir(argv[0]);
        s.bvs_path = kevo::FindBvsFile(dir);
        s.bvs_places = kevo::PlacesTriedText(kevo::BvsFileName, dir);
    }

    StdConsole console;
    return kevo::RunBatch(files, s, jobs, console);
}

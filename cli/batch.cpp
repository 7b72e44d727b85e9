#include "batch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "calc/bond_valence.h"
#include "calc/coordination.h"
#include "calc/man_coord.h"
#include "calc/pipeline.h"
#include "listing.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/numbers.h"
#include "model/text.h"
#include "reports/csv.h"
#include "reports/report_file.h"
#include "reports/results.h"

namespace kevo {

namespace {

// Collects the messages of one file, one per line, for stderr.
class TextSink : public MessageSink {
  public:
    explicit TextSink(std::string& out, std::string file) : out_(out), file_(std::move(file)) {}
    void Show(std::string_view text) override { out_ += file_ + ": " + std::string(text) + "\n"; }
    void ShowWithDetail(std::string_view text, std::string_view detail) override {
        Show(text);
        Show(detail);
    }

  private:
    std::string& out_;
    std::string file_;
};

// A value that only exists with bond-valence parameters: null without them.
nlohmann::ordered_json WithBvs(bool available, double value) {
    return available ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

// A value where it belongs, null elsewhere.
nlohmann::ordered_json OrNull(bool belongs, double value) {
    return belongs ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json AtomJson(const TAtoms& r) {
    nlohmann::ordered_json bonds = nlohmann::ordered_json::array();
    for (int j = 1; j <= std::min(r.Coor, MaxBonds); ++j)
        bonds.push_back({{"BondingAtoms", r.BondingAtoms[j]},
                         {"Dist", r.Dist[j]},
                         {"BW", r.BW[j]},
                         {"deltaBVS", WithBvs(r.HasBVS, r.deltaBVS[j])}});
    return {{"Atomlabel", r.Atomlabel},
            {"Multiplicity", r.Multiplicity},
            {"effcharge", r.effcharge},
            {"Coor", r.Coor},
            {"ECoor", r.ECoor},
            {"Kevo", r.Kevo},
            {"EDEV", r.EDEV},
            {"HSPCount", r.HSPCount},
            {"QX", r.QX},
            {"QA", r.QA},
            {"BVS", WithBvs(r.HasBVS, r.BVS)},
            {"HasBVS", r.HasBVS},
            {"MAPDLig", r.MAPDLig},
            {"AvDist", r.AvDist},
            {"PolDistortion", r.PolDistortion},
            {"deltaR", WithBvs(r.HasBVS, r.deltaR)},
            {"bonds", bonds}};
}

// A number of the geometry, or null where the reports print "  -  ".
nlohmann::ordered_json Value(double x, bool exists = true) {
    if (!exists || !std::isfinite(x)) return nullptr;
    return x;
}

// Numbers within 1e-12 of zero are written 0: rounding noise (3e-14) and
// -0.0 tell a reader nothing.
void WriteZerosAsZero(nlohmann::ordered_json& j) {
    if (j.is_number_float()) {
        if (std::fabs(j.get<double>()) <= 1e-12) j = 0;
    } else if (j.is_structured()) {
        for (auto& item : j)
            WriteZerosAsZero(item);
    }
}

std::string OutputDirectory(const std::string& path, const BatchSettings& s) {
    if (!s.out_dir.empty()) return s.out_dir;
    std::filesystem::path dir = std::filesystem::path(path).parent_path();
    return dir.empty() ? std::string(".") : dir.string();
}

// The endings of the files one input file gives, in the order they are
// written.
std::vector<std::string> OutputEndings(const BatchSettings& s) {
    std::vector<std::string> endings;
    if (!s.calculate) return endings;
    for (bool cations : {true, false}) {
        if (!s.reports || !(cations ? s.cation : s.anion)) continue;
        for (bool detailed : {true, false})
            if (detailed ? s.detailed : s.summary)
                endings.emplace_back(ReportSuffix(ReportCode(cations, detailed)));
        if (s.summary) endings.emplace_back(cations ? "-CC-S.csv" : "-AC-S.csv");
        if (!s.geometry) continue;
        for (bool detailed : {true, false})
            if (detailed ? s.detailed : s.summary)
                endings.emplace_back(
                    ReportSuffix(cations ? (detailed ? 5 : 6) : (detailed ? 7 : 8)));
        if (s.summary) endings.emplace_back(cations ? "-CC-SP.csv" : "-AC-SP.csv");
        if (cations && s.detailed) {
            endings.emplace_back("-CC-OB.csv");
            endings.emplace_back("-CC-123-45.csv");
        }
    }
    if (s.json) endings.emplace_back(".json");
    return endings;
}

// A path in one form for comparison: absolute, "." and ".." resolved, links
// followed as far as the path exists.
std::string ComparablePath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    if (ec) p = std::filesystem::absolute(path, ec).lexically_normal();
    if (ec) p = std::filesystem::path(path).lexically_normal();
    return p.string();
}

// ComparablePath of files in a few folders: each folder's form is worked out
// once, and a file that is no link is that form plus its name (the same
// result as ComparablePath of the whole path, in one status call instead of
// one call per path component).
class ComparablePaths {
  public:
    std::string Of(const std::filesystem::path& dir, const std::string& name) {
        namespace fs = std::filesystem;
        const fs::path full = dir / name;
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(full, ec);
        if (ec || fs::is_symlink(status)) return ComparablePath(full.string());
        auto [it, added] = folders_.try_emplace(dir.string());
        if (added) it->second = ComparablePath(dir.string());
        return (fs::path(it->second) / name).string();
    }

  private:
    std::map<std::string, std::string> folders_;
};

} // namespace

std::optional<std::array<int, 3>> ParseZone(std::string_view text) {
    std::array<int, 3> uvw{};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::size_t comma = k < 2 ? text.find(',') : std::string_view::npos;
        if (k < 2 && comma == std::string_view::npos) return std::nullopt;
        const std::optional<int> v = TryStrToInt(text.substr(0, comma));
        if (!v) return std::nullopt;
        uvw[k] = *v;
        text = k < 2 ? text.substr(comma + 1) : std::string_view();
    }
    return uvw;
}

std::string ValidateSettings(const BatchSettings& s) {
    if (s.MaxR && !(*s.MaxR > 0)) return "Invalid Maximum coordination radius.";
    if (s.MaxR && *s.MaxR > 5.0) return "Maximum coordination radius too high. (at most 5.0 Å)";
    if (s.MaxH && !(*s.MaxH > 0)) return "Invalid Hydrogen Coordination Radius";
    if (s.EndItOption && (*s.EndItOption < 0 || *s.EndItOption > 2))
        return "Invalid end option: it is 0, 1 or 2.";
    if (s.Threshold && !(*s.Threshold >= 0)) return "Invalid maximum ΔDj difference";
    if (s.MAPDImprovement && !(*s.MAPDImprovement >= 0)) return "Invalid MAPD improvement value";
    if (!s.atom_radii.empty() && s.bond_type_limits)
        return "--atom-radius and --bond-limits exclude each other.";
    if (!s.atom_radii.empty() && (s.NearestLimit || s.ExZeroW))
        return "--atom-radius excludes --nearest-limit and --exclude-zero-weight.";
    for (const AtomRadius& r : s.atom_radii) {
        const std::string option = "--atom-radius " + r.label + ": ";
        if (!(r.radius > 0)) return option + "Invalid Maximum coordination radius.";
        if (r.radius > 5.0) return option + "Maximum coordination radius too high. (at most 5.0 Å)";
    }
    if (s.MinDih && !(*s.MinDih >= 150 && *s.MinDih <= 180))
        return "Invalid minimum dihedral angle (150-180°)";
    if (s.MaxSDist && !(*s.MaxSDist >= 0.2 && *s.MaxSDist <= 1.5))
        return "Invalid maximum distance for split positions (0.2-1.5)";
    return {};
}

void ApplySettings(const BatchSettings& s, Model& m) {
    if (s.MaxR) m.MaxR = *s.MaxR;
    if (s.MaxH) m.MaxH = *s.MaxH;
    m.ExZeroW = s.ExZeroW;
    m.NearestLimit = s.NearestLimit;
    m.NonIt = s.NonIt;
    m.VontarIT = s.VontarIT;
    if (s.EndItOption) {
        m.EndItOption = *s.EndItOption;
        m.OneStepIT = *s.EndItOption == 2;
    }
    if (s.Threshold) m.Threshold = *s.Threshold;
    if (s.MAPDImprovement) m.MAPDImprovement = *s.MAPDImprovement;
    m.CalcOppBonds = s.CalcOppBonds;
    m.CalcBonDAngles = s.CalcBonDAngles;
    m.CalcDihAngles = s.CalcDihAngles;
    m.CalcIntLigands = s.CalcIntLigands;
    m.CalcDistCentAtom = s.CalcDistCentAtom;
    m.Calc32Averages = s.Calc32Averages;
    m.AutoZone = !s.zone;
    if (s.zone)
        for (int k = 1; k <= 3; ++k)
            m.CustomZone[k] = (*s.zone)[static_cast<std::size_t>(k - 1)];
    if (s.MinDih) m.MinDih = *s.MinDih;
    if (s.MaxSDist) m.MaxSDist = *s.MaxSDist;
}

std::string ParseBondLimits(std::string_view text, std::vector<BondLimit>& limits) {
    const std::vector<std::string> lines = SplitLines(text);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string line = ElimEndBlanks(CleanLine(lines[n]));
        if (line.empty() || line.front() == '#') continue;
        const std::string where = "line " + IntToStr(static_cast<long long>(n) + 1) + ": ";
        if (CountBlanks(line) != 2) return where + "expected \"cation anion limit\"";
        BondLimit limit{ElimPara(GetCol(" ", line, 0)), ElimPara(GetCol(" ", line, 1)), 0};
        const auto value = TryStrToFloat(GetCol(" ", line, 2));
        if (!value)
            return where + "Invalid " + limit.cation + " : " + limit.anion + " bond length.";
        limit.limit = *value;
        limits.push_back(std::move(limit));
    }
    return {};
}

std::string ParseCharges(const std::vector<std::string>& items,
                         std::map<std::string, std::string>& charges) {
    for (const std::string& item : items) {
        const std::size_t equals = item.find('=');
        std::string value = equals == std::string::npos ? "" : item.substr(equals + 1);
        // "2-" is read as "-2", "+2" as "2".
        bool negative = false;
        if (!value.empty() && (value.back() == '-' || value.back() == '+')) {
            negative = value.back() == '-';
            value.pop_back();
        } else if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
            negative = value.front() == '-';
            value.erase(0, 1);
        }
        const bool digits =
            !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
        const std::optional<int> number = digits ? TryStrToInt(value) : std::nullopt;
        if (equals == std::string::npos || equals == 0 || !number || *number == 0)
            return "--charges takes ELEMENT=OXIDATION NUMBER items such as Mg=2,O=-2, not \"" +
                   item + "\".";
        const std::string symbol = item.substr(0, equals);
        if (!ValidSymbol(symbol))
            return "--charges: " + symbol + " is not a valid chemical symbol.";
        const auto [it, added] =
            charges.try_emplace(symbol, (negative ? "-" : "") + IntToStr(*number));
        if (!added) return "--charges names " + symbol + " twice.";
    }
    return {};
}

std::string ParseAtomRadius(std::string_view text, AtomRadius& radius) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return "--atom-radius takes LABEL=RADIUS, not \"" + std::string(text) + "\".";
    radius.label = std::string(text.substr(0, equals));
    const auto value = TryStrToFloat(text.substr(equals + 1));
    if (!value) return "--atom-radius " + radius.label + ": Invalid Maximum coordination radius.";
    radius.radius = *value;
    return {};
}

namespace {

// The limit for the symbols of one bond type: a limit naming the whole site
// symbol wins over one naming its first element; among equals the later.
std::optional<double> LimitFor(const std::vector<BondLimit>& limits, const std::string& cation,
                               const std::string& anion) {
    std::optional<double> exact, element;
    for (const BondLimit& l : limits) {
        const bool cationExact = l.cation == ElimPara(cation);
        const bool anionExact = l.anion == ElimPara(anion);
        if (cationExact && anionExact)
            exact = l.limit;
        else if ((cationExact || l.cation == BondTypeElement(cation)) &&
                 (anionExact || l.anion == BondTypeElement(anion)))
            element = l.limit;
    }
    return exact ? exact : element;
}

} // namespace

bool SetCoordinationLimits(const BatchSettings& s, Model& m, MessageSink& msg) {
    if (!s.bond_type_limits && s.atom_radii.empty()) return true;
    ApplySettings(s, m);
    GetDistances(m, msg);
    if (!m.IsCoordination) return false;

    if (s.bond_type_limits) {
        if (!GetMaxBondLengths(m, msg)) return false;
        if (s.default_bond_lengths) LoadDefaultBondLengths(m, *s.default_bond_lengths);
        for (int i = 1; i <= m.BondTypesNr; ++i) {
            auto& row = m.MaxBondLengths[i];
            const auto limit = LimitFor(s.bond_limits, row[1], row[2]);
            // Confirming the dialog keeps four decimals.
            row[3] = FF("0.0000", limit ? *limit : xStrToFloat(row[3]));
        }
        m.ThresOption = 1;
        m.BondSpLimits = true;
        return true;
    }

    LongestBondRadii(m);
    for (const AtomRadius& r : s.atom_radii) {
        TAtoms* atom = nullptr;
        for (int i = 1; i <= m.AClength && !atom; ++i)
            if (m.AC[i].Atomlabel == r.label) atom = &m.AC[i];
        for (int i = 1; i <= m.AAlength && !atom; ++i)
            if (m.AA[i].Atomlabel == r.label) atom = &m.AA[i];
        if (!atom) {
            msg.Show("--atom-radius: the structure has no atom labelled " + r.label + ".");
            return false;
        }
        atom->Nearest = r.radius;
    }
    m.ThresOption = 2;
    m.NearestLimit = false;
    m.ExZeroW = false;
    return true;
}

nlohmann::ordered_json ResultsJson(const Model& m) {
    // Without bond-valence parameters for every cation (NoBVS) the values
    // built on bond valence sums are null, as the reports print "n/a".
    const bool bvs = !m.NoBVS;
    // The MAPD values of the received charges belong to the orientation
    // that computes them. A cation-centred run leaves DevQXAC and DevQAAC as
    // an earlier anion-centred run (of another file, in a batch run) left
    // them: null. The anion-centred record keeps the cation-centred values,
    // which the cation-centred run of the same file computed just before.
    const bool anionValues = !m.ShowCations;
    nlohmann::ordered_json globals = {{"StrPosCharge", m.StrPosCharge},
                                      {"StrNegCharge", m.StrNegCharge},
                                      {"CDPosCharge", m.CDPosCharge},
                                      {"CDNegCharge", m.CDNegCharge},
                                      {"EV", m.EV},
                                      {"CDEV", m.CDEV},
                                      {"GII", WithBvs(bvs, m.GII)},
                                      {"GIICat", WithBvs(bvs, m.GIICat)},
                                      {"GIIAn", WithBvs(bvs, m.GIIAn)},
                                      {"DevQXCC", m.DevQXCC},
                                      {"DevQACC", m.DevQACC},
                                      {"DevQXAC", OrNull(anionValues, m.DevQXAC)},
                                      {"DevQAAC", OrNull(anionValues, m.DevQAAC)},
                                      {"devBVSC", WithBvs(bvs, m.devBVSC)},
                                      {"devBVSA", WithBvs(bvs, m.devBVSA)},
                                      {"DevBaurC", m.DevBaurC},
                                      {"DevBaurA", m.DevBaurA},
                                      {"DevBrownC", WithBvs(bvs, m.DevBrownC)},
                                      {"DevBrownA", WithBvs(bvs, m.DevBrownA)},
                                      {"iterations", m.iterations},
                                      {"DiffMax", m.DiffMax},
                                      {"NoBVS", m.NoBVS},
                                      {"StructureFormula", m.StructureFormula},
                                      {"ChargeFormula", m.ChargeFormula},
                                      {"BVSFormula", bvs ? nlohmann::ordered_json(m.BVSFormula)
                                                         : nlohmann::ordered_json(nullptr)}};
    nlohmann::ordered_json cations = nlohmann::ordered_json::array();
    for (int i = 1; i <= m.AClength; ++i)
        cations.push_back(AtomJson(m.AC[i]));
    nlohmann::ordered_json anions = nlohmann::ordered_json::array();
    for (int i = 1; i <= m.AAlength; ++i)
        anions.push_back(AtomJson(m.AA[i]));
    return {{"globals", globals}, {"cations", cations}, {"anions", anions}};
}

void AddGeometryJson(nlohmann::ordered_json& orientation, const Model& m, bool cations) {
    nlohmann::ordered_json& atoms = orientation[cations ? "cations" : "anions"];
    const AtomArray& records = cations ? m.AC : m.AA;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const TAtoms& r = records[static_cast<int>(i) + 1];
        const bool sphere = HasFittedSphere(r);
        nlohmann::ordered_json& a = atoms[i];
        a["CX"] = Value(r.CX);
        a["CY"] = Value(r.CY);
        a["CZ"] = Value(r.CZ);
        a["PolVolume"] = Value(r.PolVolume);
        a["FacesNo"] = r.FacesNo;
        a["VolFaces"] = r.VolFaces;
        a["SCoor"] = r.SCoor;
        a["IPFaces"] = r.IPFaces;
        a["SRadius"] = Value(r.SRadius, sphere);
        a["CentroidCA"] = Value(r.CentroidCA, sphere);
        a["SVolume"] = Value(r.SVolume, sphere);
        a["CenBondSD"] = Value(r.CenBondSD, sphere);
        a["LECC"] = Value(r.LECC, sphere);
        a["SECC"] = Value(r.SECC, sphere);
        a["SPHL"] = Value(r.SPHL, sphere);
        a["SPHV"] = Value(r.SPHV, sphere);
        a["Xo"] = Value(r.Xo, sphere);
        a["Yo"] = Value(r.Yo, sphere);
        a["Zo"] = Value(r.Zo, sphere);
        a["IdealPolyhedron"] = r.IdealPolyhedron;
        a["IdealPolVolume"] = Value(r.IdealPolVolume, sphere);
        a["IdealPolDistortion"] = Value(r.IdealPolDistortion, sphere);
        nlohmann::ordered_json& bonds = a["bonds"];
        for (std::size_t j = 0; j < bonds.size(); ++j) {
            const int k = static_cast<int>(j) + 1;
            bonds[j]["BondCoorCX"] = Value(r.BondCoorCX[k]);
            bonds[j]["BondCoorCY"] = Value(r.BondCoorCY[k]);
            bonds[j]["BondCoorCZ"] = Value(r.BondCoorCZ[k]);
            bonds[j]["BondCenDist"] = Value(r.BondCenDist[k], sphere);
        }
    }
}

std::vector<std::string> OutputFiles(const std::string& path, const BatchSettings& s) {
    const std::filesystem::path dir = OutputDirectory(path, s);
    const std::string title = TitleOf(path);
    std::vector<std::string> files;
    for (const std::string& ending : OutputEndings(s))
        files.push_back((dir / (title + ending)).string());
    return files;
}

std::vector<std::string> OutputCollisions(const std::vector<std::string>& files,
                                          const BatchSettings& s) {
    std::vector<std::string> messages;
    std::map<std::string, std::size_t> owner; // output path -> first input file writing it
    ComparablePaths paths;
    const std::vector<std::string> endings = OutputEndings(s);
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::map<std::size_t, std::string> clashes; // earlier file -> first shared output
        const std::filesystem::path dir = OutputDirectory(files[i], s);
        const std::string title = TitleOf(files[i]);
        for (const std::string& ending : endings) {
            const std::string out = (dir / (title + ending)).string();
            const auto [it, added] = owner.try_emplace(paths.Of(dir, title + ending), i);
            if (!added && it->second != i) clashes.try_emplace(it->second, out);
        }
        for (const auto& [earlier, out] : clashes)
            messages.push_back("The results of " + files[earlier] + " and " + files[i] +
                               " would overwrite each other (both write " + out +
                               "). Give the files different names or process them in separate "
                               "runs; nothing was written.");
    }
    return messages;
}

namespace {

// Reads, calculates and writes one file into result.
void Process(const std::string& path, const BatchSettings& s, Model& m, BatchResult& result) {
    TextSink msg(result.messages, path);
    const auto start = std::chrono::steady_clock::now();
    if (!ReadCifFile(path, m, msg, s.read)) return;
    if (s.list) result.listing += "File: " + path + "\n" + StructureListing(m);
    result.atoms = m.AClength + m.GACLength + m.AAlength + m.GAALength;
    if (!s.calculate) {
        result.ok = true;
        return;
    }

    const std::filesystem::path dir = OutputDirectory(path, s);
    bool written = true;
    auto write = [&](std::string_view ending, auto&& writer) {
        std::string error;
        if (!writer((dir / (m.Title + std::string(ending))).string(), error)) {
            msg.Show(error);
            written = false;
        }
    };

    if (!SetCoordinationLimits(s, m, msg)) return;

    // Cation-centred first, then anion-centred, as after opening a file in
    // the window: the anion-centred report prints bond-valence deviations
    // that only a cation-centred calculation refreshes.
    nlohmann::ordered_json record = {
        {"format", "kevo21-results"}, {"version", 1}, {"file", path}, {"Title", m.Title}};
    std::string table; // the rows go into the run's table only when the file is done
    Results reports;
    auto writeReport = [&](int code) {
        const ReportLines& lines = LoadResults(m, reports, msg, code, s.omit);
        write(ReportSuffix(code), [&lines](const std::string& file, std::string& error) {
            return WriteReportFile(file, lines, error);
        });
    };
    for (bool cations : {true, false}) {
        ApplySettings(s, m);
        m.ShowCations = cations;
        if (!Calculate(m, msg, {s.bvs_path, s.bvs_tables.get()})) return;
        if (cations) {
            result.gii = m.GII;
            result.has_gii = !m.NoBVS;
        }
        const char* orientation = cations ? "cation_centred" : "anion_centred";
        if (s.json) record[orientation] = ResultsJson(m);
        if (!s.table_path.empty()) table += TableRows(path, m, cations);
        const bool files = s.reports && (cations ? s.cation : s.anion);
        const std::string side = cations ? "-CC" : "-AC";

        if (files) {
            for (bool detailed : {true, false})
                if (detailed ? s.detailed : s.summary) writeReport(ReportCode(cations, detailed));
            if (s.summary)
                write(side + "-S.csv", [&](const std::string& file, std::string& error) {
                    return SaveCSV(m, cations ? 1 : 2, file, s.decimal_separator, error);
                });
        }

        // The coordination geometry of the same side, from this calculation.
        if (!s.geometry) continue;
        if (!s.run_geometry(m, msg, cations ? 1 : 2)) {
            msg.Show(std::string("No coordination geometry files written for the ") +
                     (cations ? "cation" : "anion") + "-centred polyhedra.");
            written = false;
            continue;
        }
        if (s.json) AddGeometryJson(record[orientation], m, cations);
        if (!files) continue;
        if (s.detailed) writeReport(cations ? 5 : 7);
        if (s.summary) {
            writeReport(cations ? 6 : 8);
            write(side + "-SP.csv", [&](const std::string& file, std::string& error) {
                return SavePolGeomCSV(m, cations ? 1 : 2, file, s.decimal_separator, error);
            });
        }
        if (cations && s.detailed) {
            write("-CC-OB.csv", [&](const std::string& file, std::string& error) {
                return SaveOppBondsCSV(m, file, s.decimal_separator, error);
            });
            write("-CC-123-45.csv", [&](const std::string& file, std::string& error) {
                return Save123_45AveragesCSV(m, file, s.decimal_separator, error);
            });
        }
    }
    if (s.json) WriteZerosAsZero(record);
    if (s.json)
        write(".json", [&record](const std::string& file, std::string& error) {
            return WriteFileAtomically(
                file,
                record.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n",
                error);
        });
    if (!written) return;

    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.table = std::move(table);
    result.ok = true;
}

} // namespace

namespace {

// One field of the table, quoted when it holds a comma, a quote or a line
// end (the quotes inside doubled).
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i > 0 ? "," : "") + CsvField(fields[i]);
    return line + "\r\n";
}

} // namespace

std::string TableHeader() {
    return CsvLine({"file", "orientation", "label", "elements", "CN", "Kevo", "EDEV", "charge", "Q",
                    "BVS", "MAPDL", "AvDist", "distortion", "GII", "CDEV", "MAPD"});
}

std::string TableRows(const std::string& path, const Model& m, bool cations) {
    // The global values as the summary reports print them: the MAPD of the
    // charges the central atoms receive back, the instability index only
    // with bond-valence parameters for every cation.
    const std::string gii = m.NoBVS ? "" : FF("0.00", m.GII);
    const std::string cdev = FF("0.000", m.CDEV);
    const std::string mapd = FF("0.00", cations ? m.DevQXCC : m.DevQAAC);
    std::string rows;
    auto add = [&](const TAtoms& r, bool central) {
        // The charge received as the reports print it: the central atom's QX,
        // the other kind's QA, with the sign turned; none when it is 0.
        const double q = central ? r.QX : r.QA;
        rows +=
            CsvLine({path, cations ? "cation-centred" : "anion-centred", r.Atomlabel,
                     ElimPara(r.AtomSymbol), IntToStr(r.Coor), FF("0.000", r.Kevo),
                     FF("0.000", r.EDEV), FF("0.000", r.effcharge), q == 0 ? "" : FF("0.000", -q),
                     r.HasBVS ? FF("0.000", r.BVS) : "", central ? FF("0.000", r.MAPDLig) : "",
                     FF("0.0000", r.AvDist), FF("0.0000", r.PolDistortion), gii, cdev, mapd});
    };
    for (int i = 1; i <= m.AClength; ++i)
        add(m.AC[i], cations);
    for (int i = 1; i <= m.AAlength; ++i)
        add(m.AA[i], !cations);
    return rows;
}

std::string MakeOutputDirectory(const std::string& dir) {
    if (dir.empty()) return {};
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::error_code unused;
    if (std::filesystem::is_directory(dir, unused)) return {};
    return "Cannot create the output directory " + dir + (ec ? ": " + ec.message() : "") + ".";
}

std::string UnexpectedErrorMessage(const std::string& what) {
    return "Processing stopped by an unexpected error (" + what + "); the file is skipped.";
}

BatchResult ProcessFile(const std::string& path, const BatchSettings& s, Model& m) {
    BatchResult result;
    // Whatever goes wrong with one file is that file's failure; the next
    // file is read into a model that the reader resets.
    try {
        Process(path, s, m, result);
    } catch (const std::exception& e) {
        result.ok = false;
        result.messages += path + ": " + UnexpectedErrorMessage(e.what()) + "\n";
    } catch (...) {
        result.ok = false;
        result.messages += path + ": " + UnexpectedErrorMessage("unknown error") + "\n";
    }
    return result;
}

int RunBatch(const std::vector<std::string>& files, const BatchSettings& s, int jobs,
             BatchConsole& console, const FileProcessor& process) {
    // Two files writing the same output files would silently overwrite each
    // other: refused before anything is written.
    if (const auto collisions = OutputCollisions(files, s); !collisions.empty()) {
        for (const std::string& text : collisions)
            console.Err(text + "\n");
        return 2;
    }
    // A table that cannot be used would fail every file alike: said once.
    if (s.calculate) {
        if (const std::string problem = BvsTableProblem(s.bvs_path, s.bvs_tables.get());
            !problem.empty()) {
            console.Err(problem + "\n");
            if (s.bvs_path.empty() && !s.bvs_places.empty()) console.Err(s.bvs_places + "\n");
            return 2;
        }
    }
    if (const std::string problem = MakeOutputDirectory(s.calculate ? s.out_dir : "");
        !problem.empty()) {
        console.Err(problem + "\n");
        return 2;
    }

    // Files are processed by `jobs` workers, each with its own model; what
    // they print is written in file order.
    std::vector<BatchResult> results(files.size());
    std::vector<bool> finished(files.size(), false);
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::size_t printed = 0, done = 0, failed = 0;
    std::string table = TableHeader(); // the run's table, in file order
    const bool progress = files.size() > 1 && console.Progress();

    // The progress bar stays on the last line of the terminal: it is erased
    // before anything else is printed and drawn again after.
    auto bar = [&](bool erase) {
        if (!progress) return;
        if (erase) {
            console.Err("\r\033[K");
            return;
        }
        const std::size_t width = 30;
        const std::size_t filled = files.empty() ? width : width * printed / files.size();
        console.Err("\r[" + std::string(filled, '#') + std::string(width - filled, '-') + "] " +
                    IntToStr(static_cast<long long>(printed)) + "/" +
                    IntToStr(static_cast<long long>(files.size())) + " files");
        if (printed == files.size()) console.Err("\n");
    };

    auto flush = [&]() {
        while (printed < files.size() && finished[printed]) {
            const BatchResult& r = results[printed];
            bar(true);
            console.Err(r.messages);
            if (!r.listing.empty()) console.Out((s.list && printed > 0 ? "\n" : "") + r.listing);
            if (r.ok) table += r.table;
            if (r.ok && s.calculate)
                console.Out(files[printed] + ": " + IntToStr(r.atoms) + " atoms, GII " +
                            (r.has_gii ? FF("0.00", r.gii) : std::string("n/a")) + ", " +
                            FF("0.000", r.seconds) + " s\n");
            r.ok ? ++done : ++failed;
            ++printed;
            bar(false);
        }
    };

    auto worker = [&]() {
        auto model = Model::Create();
        for (std::size_t i = next++; i < files.size(); i = next++) {
            BatchResult r;
            try {
                r = process(files[i], s, *model);
            } catch (const std::exception& e) {
                r = BatchResult{};
                r.messages = files[i] + ": " + UnexpectedErrorMessage(e.what()) + "\n";
            } catch (...) {
                r = BatchResult{};
                r.messages = files[i] + ": " + UnexpectedErrorMessage("unknown error") + "\n";
            }
            std::lock_guard lock(mutex);
            results[i] = std::move(r);
            finished[i] = true;
            flush();
        }
    };
    const int n =
        std::clamp<int>(jobs, 1, static_cast<int>(std::max<std::size_t>(files.size(), 1)));
    std::vector<std::thread> threads;
    for (int t = 1; t < n; ++t)
        threads.emplace_back(worker);
    worker();
    for (auto& t : threads)
        t.join();

    bool written = true;
    if (s.calculate && !s.table_path.empty()) {
        std::string error;
        const std::filesystem::path parent = std::filesystem::path(s.table_path).parent_path();
        if (!parent.empty()) MakeOutputDirectory(parent.string());
        if (!WriteFileAtomically(s.table_path, table, error)) {
            console.Err(error + "\n");
            written = false;
        }
    }
    if (files.size() > 1)
        console.Err(IntToStr(static_cast<long long>(done)) + (done == 1 ? " file" : " files") +
                    " done, " + IntToStr(static_cast<long long>(failed)) + " failed\n");
    return failed == 0 && written ? 0 : 1;
}

} // namespace kevo

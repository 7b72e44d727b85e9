#include "batch.h"

#include <chrono>
#include <filesystem>

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

  private:
    std::string& out_;
    std::string file_;
};

nlohmann::ordered_json AtomJson(const TAtoms& r) {
    nlohmann::ordered_json bonds = nlohmann::ordered_json::array();
    for (int j = 1; j <= std::min(r.Coor, MaxBonds); ++j)
        bonds.push_back({{"BondingAtoms", r.BondingAtoms[j]},
                         {"Dist", r.Dist[j]},
                         {"BW", r.BW[j]},
                         {"deltaBVS", r.deltaBVS[j]}});
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
            {"BVS", r.BVS},
            {"HasBVS", r.HasBVS},
            {"MAPDLig", r.MAPDLig},
            {"AvDist", r.AvDist},
            {"PolDistortion", r.PolDistortion},
            {"deltaR", r.deltaR},
            {"bonds", bonds}};
}

std::string OutputDirectory(const std::string& path, const BatchSettings& s) {
    if (!s.out_dir.empty()) return s.out_dir;
    std::filesystem::path dir = std::filesystem::path(path).parent_path();
    return dir.empty() ? std::string(".") : dir.string();
}

} // namespace

std::string ValidateSettings(const BatchSettings& s) {
    if (s.MaxR && !(*s.MaxR > 0)) return "Invalid Maximum coordination radius.";
    if (s.MaxR && *s.MaxR > 5.0) return "Maximum coordination radius too high.";
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
        if (r.radius > 5.0) return option + "Maximum coordination radius too high.";
    }
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
    nlohmann::ordered_json globals = {{"StrPosCharge", m.StrPosCharge},
                                      {"StrNegCharge", m.StrNegCharge},
                                      {"CDPosCharge", m.CDPosCharge},
                                      {"CDNegCharge", m.CDNegCharge},
                                      {"EV", m.EV},
                                      {"CDEV", m.CDEV},
                                      {"GII", m.GII},
                                      {"GIICat", m.GIICat},
                                      {"GIIAn", m.GIIAn},
                                      {"DevQXCC", m.DevQXCC},
                                      {"DevQACC", m.DevQACC},
                                      {"DevQXAC", m.DevQXAC},
                                      {"DevQAAC", m.DevQAAC},
                                      {"devBVSC", m.devBVSC},
                                      {"devBVSA", m.devBVSA},
                                      {"DevBaurC", m.DevBaurC},
                                      {"DevBaurA", m.DevBaurA},
                                      {"DevBrownC", m.DevBrownC},
                                      {"DevBrownA", m.DevBrownA},
                                      {"iterations", m.iterations},
                                      {"DiffMax", m.DiffMax},
                                      {"NoBVS", m.NoBVS},
                                      {"StructureFormula", m.StructureFormula},
                                      {"ChargeFormula", m.ChargeFormula},
                                      {"BVSFormula", m.BVSFormula}};
    nlohmann::ordered_json cations = nlohmann::ordered_json::array();
    for (int i = 1; i <= m.AClength; ++i)
        cations.push_back(AtomJson(m.AC[i]));
    nlohmann::ordered_json anions = nlohmann::ordered_json::array();
    for (int i = 1; i <= m.AAlength; ++i)
        anions.push_back(AtomJson(m.AA[i]));
    return {{"globals", globals}, {"cations", cations}, {"anions", anions}};
}

BatchResult ProcessFile(const std::string& path, const BatchSettings& s, Model& m) {
    BatchResult result;
    TextSink msg(result.messages, path);
    const auto start = std::chrono::steady_clock::now();
    if (!ReadCifFile(path, m, msg)) return result;
    if (s.list) result.listing += "File: " + path + "\n" + StructureListing(m);
    result.atoms = m.AClength + m.GACLength + m.AAlength + m.GAALength;
    if (!s.calculate) {
        result.ok = true;
        return result;
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

    if (!SetCoordinationLimits(s, m, msg)) return result;

    // Cation-centred first, then anion-centred, as after opening a file in
    // the window: the anion-centred report prints bond-valence deviations
    // that only a cation-centred calculation refreshes.
    nlohmann::ordered_json record = {{"file", path}, {"Title", m.Title}};
    Results reports;
    for (bool cations : {true, false}) {
        ApplySettings(s, m);
        m.ShowCations = cations;
        if (!Calculate(m, msg, {s.bvs_path})) return result;
        if (cations) result.gii = m.GII;
        if (s.json) record[cations ? "cation_centred" : "anion_centred"] = ResultsJson(m);
        if (!s.reports || !(cations ? s.cation : s.anion)) continue;

        for (bool detailed : {true, false}) {
            if (!(detailed ? s.detailed : s.summary)) continue;
            const int code = ReportCode(cations, detailed);
            const ReportLines& lines = LoadResults(m, reports, msg, code, s.omit);
            write(ReportSuffix(code), [&lines](const std::string& file, std::string& error) {
                return WriteReportFile(file, lines, error);
            });
        }
        if (s.summary)
            write(cations ? "-CC-S.csv" : "-AC-S.csv",
                  [&](const std::string& file, std::string& error) {
                      return SaveCSV(m, cations ? 1 : 2, file, s.decimal_separator, error);
                  });
    }
    if (s.json)
        write(".json", [&record](const std::string& file, std::string& error) {
            return WriteFileAtomically(
                file,
                record.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n",
                error);
        });
    if (!written) return result;

    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.ok = true;
    return result;
}

} // namespace kevo

#include "batch.h"

#include <chrono>
#include <filesystem>

#include "calc/pipeline.h"
#include "listing.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/numbers.h"
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

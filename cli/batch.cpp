#include "batch.h"

#include <chrono>
#include <cmath>
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

// A number of the geometry, or null where the reports print "  -  ".
nlohmann::ordered_json Value(double x, bool exists = true) {
    if (!exists || !std::isfinite(x)) return nullptr;
    return x;
}

std::string OutputDirectory(const std::string& path, const BatchSettings& s) {
    if (!s.out_dir.empty()) return s.out_dir;
    std::filesystem::path dir = std::filesystem::path(path).parent_path();
    return dir.empty() ? std::string(".") : dir.string();
}

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
    if (s.MaxR && *s.MaxR > 5.0) return "Maximum coordination radius too high.";
    if (s.MaxH && !(*s.MaxH > 0)) return "Invalid Hydrogen Coordination Radius";
    if (s.EndItOption && (*s.EndItOption < 0 || *s.EndItOption > 2))
        return "Invalid end option: it is 0, 1 or 2.";
    if (s.Threshold && !(*s.Threshold >= 0)) return "Invalid maximum ΔDj difference";
    if (s.MAPDImprovement && !(*s.MAPDImprovement >= 0)) return "Invalid MAPD improvement value";
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
    auto writeReport = [&](int code) {
        const ReportLines& lines = LoadResults(m, reports, msg, code, s.omit);
        write(ReportSuffix(code), [&lines](const std::string& file, std::string& error) {
            return WriteReportFile(file, lines, error);
        });
    };
    for (bool cations : {true, false}) {
        ApplySettings(s, m);
        m.ShowCations = cations;
        if (!Calculate(m, msg, {s.bvs_path})) return result;
        if (cations) result.gii = m.GII;
        const char* orientation = cations ? "cation_centred" : "anion_centred";
        if (s.json) record[orientation] = ResultsJson(m);
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

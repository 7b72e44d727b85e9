// The CSV exports of the coordination-geometry run: the geometry synopsis of
// one side, the opposing bonds and the 123-45 bond averages of the cations.
// Same conventions as the summary CSV: separator "," or ";" by the user's
// decimal separator, numbers with ".", never quoted.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/numbers.h"
#include "model/text.h"
#include "reports/csv.h"
#include "reports/report_file.h"

namespace kevo {

namespace {

// A value that is not finite (never expected) is written as missing, as the
// reports show it.
std::string F3(double x) {
    return std::isfinite(x) ? FF("0.000", x) : "  -  ";
}

int Sites(int n) {
    return std::clamp(n, 0, MaxAtoms);
}

// The words of a pair line of the opposing-bond analysis: "2.010   2.110
// 172.45   in plane           O1    O4" -> 2.010, 2.110, 172.45, in, plane,
// O1, O4.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line + ' ') {
        if (c != ' ') {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

// One row of the opposing-bond table: the three numbers, the tag and the two
// ligand labels (after "in plane", or after "out of plane" / "out of
// plane*"). A line that holds "n/a" has "n/a" as its first number and the
// other word fields empty.
std::string PairRow(const std::string& label, const std::string& line, std::string_view tag,
                    char s) {
    const std::string S(1, s);
    const bool na = line.find("n/a") != std::string::npos;
    const std::vector<std::string> w = na ? std::vector<std::string>{"n/a"} : Words(line);
    auto word = [&w](std::size_t i) { return i < w.size() ? w[i] : std::string(); };
    const std::size_t first = word(3) == "in" ? 5 : 6; // the labels after the kind words
    return S + label + S + word(0) + S + word(1) + S + word(2) + S + std::string(tag) + S +
           (na ? "" : word(first)) + S + (na ? "" : word(first + 1));
}

// The first lines of the cation tables: title, empty row, name, empty row,
// the column header, empty row.
ReportLines TablePreamble(const Model& m, char s, const std::string& name,
                          const std::string& header) {
    const std::string empty(9, s);
    return {CsvTitleLine(m, s), empty, name, empty, header, empty};
}

} // namespace

ReportLines PolGeomCsvLines(const Model& m, int ca, char s) {
    const std::string S(1, s);
    const std::string empty(9, s);
    ReportLines out;
    out.push_back(CsvTitleLine(m, s));
    out.push_back(empty);
    CsvThresholdLines(m, s, "Coordination built on polyhedron specific thresholds", out);
    out.push_back(empty);
    std::string header = ca == 1 ? "Cation" : "Anion";
    for (const char* column :
         {"CN", "AV", "AVsd", "Δ", "SRad", "SVol", "LEcc", "VEcc", "LSph", "VSph", "SAVsd", "PVol",
          "IPVol", "PDist", "ΔR(Ba)", "ΔR(Br)", "EDEV", "Ideal polyhedron type"})
        header += S + column;
    out.push_back(header);
    out.push_back(empty);
    const AtomArray& atoms = ca == 1 ? m.AC : m.AA;
    for (int i = 1; i <= Sites(ca == 1 ? m.AClength : m.AAlength); ++i) {
        const TAtoms& a = atoms[i];
        std::string row = a.Atomlabel + S + IntToStr(a.Coor);
        for (double v : {a.AvDist, a.BondSD, a.CentroidCA, a.SRadius, a.SVolume, a.LECC, a.SECC,
                         a.SPHL, a.SPHV, a.CenBondSD, a.PolVolume, a.IdealPolVolume,
                         a.IdealPolDistortion, a.PolDistortion, a.deltaR, a.EDEV})
            row += S + F3(v);
        out.push_back(row + S + a.IdealPolyhedron);
    }
    out.push_back(empty);
    return out;
}

ReportLines OppBondsCsvLines(const Model& m, char s) {
    const std::string S(1, s);
    ReportLines out = TablePreamble(m, s, "Opposing bonds",
                                    S + "Central atom" + S + "RX" + S + "RY" + S + "Angle" + S + S +
                                        "Opposing ligands");
    if (!m.CalcOppBonds) return out;
    for (int i = 1; i <= Sites(m.AClength); ++i) {
        const TAtoms& a = m.AC[i];
        if (a.MinIP.empty()) continue;
        const int bases = a.Coor == 6 || a.Coor == 7   ? 1
                          : a.Coor == 8 || a.Coor == 9 ? a.Coor - 6
                                                       : 0;
        for (int k = 1; k <= bases; ++k) {
            out.push_back(PairRow(a.Atomlabel, a.IP[1][k], "IP", s));
            out.push_back(PairRow(a.Atomlabel, a.IP[2][k], "IP", s));
            out.push_back(PairRow(a.Atomlabel, a.OOP[1][k], "OOP", s));
            if (a.Coor != 6) out.push_back(PairRow(a.Atomlabel, a.OOP[2][k], "OOP*", s));
        }
    }
    return out;
}

ReportLines Averages123_45CsvLines(const Model& m, char s) {
    const std::string S(1, s);
    ReportLines out = TablePreamble(m, s, "123-45 bond averages",
                                    S + "Central atom" + S + "Average3" + S + "Average2");
    if (!m.Calc32Averages) return out;
    for (int i = 1; i <= Sites(m.AClength); ++i) {
        const TAtoms& a = m.AC[i];
        if (a.Coor > 4 && a.HSPCoor[1] >= 5)
            out.push_back(S + a.Atomlabel + S + F3(a.Average123_45[1]) + S +
                          F3(a.Average123_45[2]));
    }
    return out;
}

bool SavePolGeomCSV(const Model& m, int ca, const std::string& FN,
                    std::string_view decimal_separator, std::string& error) {
    return WriteReportFile(FN, PolGeomCsvLines(m, ca, CsvSeparator(decimal_separator)), error);
}

bool SaveOppBondsCSV(const Model& m, const std::string& FN, std::string_view decimal_separator,
                     std::string& error) {
    return WriteReportFile(FN, OppBondsCsvLines(m, CsvSeparator(decimal_separator)), error);
}

bool Save123_45AveragesCSV(const Model& m, const std::string& FN,
                           std::string_view decimal_separator, std::string& error) {
    return WriteReportFile(FN, Averages123_45CsvLines(m, CsvSeparator(decimal_separator)), error);
}

} // namespace kevo

#include "reports/csv.h"

#include "model/numbers.h"
#include "reports/report_file.h"

namespace kevo {

namespace {

std::string F2(double x) {
    return FF("0.00", x);
}
std::string F3(double x) {
    return FF("0.000", x);
}
std::string F4(double x) {
    return FF("0.0000", x);
}

std::string BvsField(const TAtoms& at) {
    return at.HasBVS ? F3(at.BVS) : "  -  ";
}

} // namespace

char CsvSeparator(std::string_view decimal_separator) {
    return decimal_separator == "." ? ',' : ';';
}

std::string CsvTitleLine(const Model& m, char s) {
    return "Input file: " + m.Title + ".cif" + std::string(9, s);
}

void CsvThresholdLines(const Model& m, char s, std::string_view specific, ReportLines& out) {
    const std::string S(1, s);
    switch (m.ThresOption) {
    case 0:
        out.push_back("Coordination radius threshold: " + std::string(3, s) + F4(m.MaxR));
        if (m.IsHydrogen) out.push_back("Hydrogen coordination radius threshold:  " + F3(m.MaxH));
        break;
    case 1:
        out.emplace_back("Coordination radius thresholds:");
        for (int row = 1; row <= MaxBondTypes; ++row) {
            const auto& cells = m.MaxBondLengths[row];
            if (cells[1].empty()) continue;
            out.push_back(cells[1] + S + cells[2] + S + cells[3]);
        }
        break;
    case 2:
        out.emplace_back(specific);
        break;
    default:
        break;
    }
    if (m.NearestLimit)
        out.emplace_back("Coordination limited by the distance to the nearest central atom.");
    if (m.ExZeroW) out.emplace_back("Zero-weight bonds excluded from coordination.");
}

ReportLines SummaryCsvLines(const Model& m, int ca, char s) {
    const std::string S(1, s);
    auto Sx = [s](int n) { return std::string(static_cast<std::size_t>(n), s); };
    const std::string empty = Sx(9);
    ReportLines out;

    out.push_back(CsvTitleLine(m, s));
    out.push_back(empty);
    out.push_back("Relative charge error:" + Sx(3) + F3(m.EV) + "%");
    CsvThresholdLines(m, s, "Coordination built on polyhedron specific thresholds:", out);
    out.push_back(empty);

    // The table of the central kind and the one of the other kind.
    auto mainRow = [&](const TAtoms& at) {
        std::string row = at.Atomlabel + S + IntToStr(at.Coor) + S + F3(at.Kevo) + S + F3(at.EDEV) +
                          S + F3(at.effcharge) + S;
        if (at.QX == 0)
            row += "n/a" + S + "n/a";
        else
            row += F3(-at.QX) + S + F3(-at.effcharge / at.QX);
        return row + S + F3(at.MAPDLig) + S + BvsField(at);
    };
    auto otherRow = [&](const TAtoms& at) {
        std::string row = at.Atomlabel + S + F3(at.effcharge) + S;
        if (at.QA == 0)
            row += "n/a" + S + "n/a";
        else
            row += F3(-at.QA) + S + F3(-at.effcharge / at.QA);
        return row + S + BvsField(at);
    };
    const std::string gii = m.NoBVS ? "Global instability Index:" + Sx(3) + "n/a"
                                    : "Global Instability Index:" + Sx(3) + F2(m.GII);

    if (ca == 1) {
        out.push_back("Cation" + S + "CN" + S + "Kevo" + S + "EDEV" + S + "qX" + S + "QX" + S +
                      "qX/QX" + S + "MAPDL" + S + "BVS");
        out.push_back(empty);
        for (int i = 1; i <= m.AClength; ++i)
            out.push_back(mainRow(m.AC[i]));
        out.push_back(Sx(4) + "MAPD:" + S + F2(m.DevQXCC) + "%" + Sx(3) +
                      (m.NoBVS ? "n/a " : F2(m.devBVSC) + "%"));
        out.push_back(empty);
        out.push_back("Anion" + S + "qA" + S + "QA" + S + "qA/QA" + S + "BVS");
        out.push_back(empty);
        for (int i = 1; i <= m.AAlength; ++i)
            out.push_back(otherRow(m.AA[i]));
        out.push_back(S + "MAPD:" + S + F2(m.DevQACC) + "%" + Sx(2) +
                      (m.NoBVS ? "n/a" : F2(m.devBVSA) + "%"));
        out.push_back(empty);
        out.push_back(S + gii + (m.NoBVS ? "" : " v.u."));
    } else {
        out.push_back("Anion" + S + "CN" + S + "Kevo" + S + "EDEV" + S + "qA" + S + "QA" + S +
                      "qA/QA" + S + "MAPDL" + S + "BVS");
        out.push_back(empty);
        for (int i = 1; i <= m.AAlength; ++i)
            out.push_back(mainRow(m.AA[i]));
        out.push_back(empty);
        out.push_back(Sx(4) + "MAPD:" + S + F2(m.DevQAAC) + "%" + Sx(3) +
                      (m.NoBVS ? "n/a " : F2(m.devBVSA) + "%"));
        out.push_back(empty);
        out.push_back("Cation" + S + "qX" + S + "QX" + S + "qX/QX" + S + "BVS");
        out.push_back(empty);
        for (int i = 1; i <= m.AClength; ++i)
            out.push_back(otherRow(m.AC[i]));
        out.push_back(empty);
        out.push_back(S + "MAPD:" + S + F2(m.DevQXAC) + "%" + Sx(2) +
                      (m.NoBVS ? "n/a" : F2(m.devBVSC) + "%"));
        out.push_back(empty);
        out.push_back(S + gii + (m.NoBVS ? "" : "v.u.") + Sx(3));
    }
    return out;
}

bool SaveCSV(const Model& m, int ca, const std::string& FN, std::string_view decimal_separator,
             std::string& error) {
    return WriteReportFile(FN, SummaryCsvLines(m, ca, CsvSeparator(decimal_separator)), error);
}

} // namespace kevo

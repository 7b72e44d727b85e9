// The summary charge-distribution reports: one row per asymmetric atom of
// the central kind, a shorter table for the other kind, the global
// indicators.
#include <string>

#include "model/numbers.h"
#include "reports/results.h"

namespace kevo {

namespace {

std::string F2(double x) {
    return FF("0.00", x);
}
std::string F3(double x) {
    return FF("0.000", x);
}

std::string BvsCell(const TAtoms& at) {
    return at.HasBVS ? F3(at.BVS) : "  -  ";
}

// A label column: w below the threshold t, else the longest label plus 2.
int LabelWidth(int longest, int t, int w) {
    return longest < t ? w : longest + 2;
}

// One row of the main table: the atoms of the central kind.
std::string MainRow(const TAtoms& at, int plab) {
    std::string row = "  " + PadRight(at.Atomlabel, plab) + PadLeft(IntToStr(at.Coor), 2) +
                      PadLeft(F3(at.Kevo), 9) + PadLeft(F3(at.EDEV), 9) +
                      PadLeft(F3(at.effcharge), 9);
    if (at.QX == 0) {
        row += PadLeft("n/a", 9) + PadLeft("n/a", 9);
    } else {
        row += PadLeft(F3(-at.QX), 9) + PadLeft(F3(-at.effcharge / at.QX), 9);
    }
    return row + PadLeft(F3(at.MAPDLig), 9) + PadLeft(BvsCell(at), 9);
}

std::string GlobalInstability(const Model& m) {
    return m.NoBVS ? "Global instability Index: n/a    "
                   : "Global Instability Index: " + F2(m.GII) + " v.u.";
}

std::string BvsMapd(const Model& m, double dev) {
    return m.NoBVS ? "n/a " : F2(dev) + "%";
}

} // namespace

void ShortCatList(Model& m, Results& r) {
    r.CurrentResults = 2;
    ReportLines& out = r.Output1;
    out.clear();
    Getmaxlengths(m, 1);

    r.plabAC = LabelWidth(m.maxlenlabelAC, 6, 8);
    r.pd = std::string(static_cast<std::size_t>(r.plabAC + 66), '-');
    Header(m, r, out);
    SynopsisHeader(out, false, r.pd, 1);
    out.push_back(PadRight("  Cation", r.plabAC) +
                  "  CN    Kevo     EDEV      qX       QX      qX/QX    MAPDL     BVS");
    out.emplace_back(" ");
    for (int i = 1; i <= m.AClength; ++i)
        out.push_back(MainRow(m.AC[i], r.plabAC));
    out.push_back("  " + r.pd);
    out.push_back(PadLeft("MAPD: " + F2(m.DevQXCC) + "%", r.plabAC + 40) +
                  PadLeft(BvsMapd(m, m.devBVSC), 27));
    out.emplace_back(" ");

    r.plabAA = LabelWidth(m.maxlenlabelAA, 5, 7);
    r.pd = std::string(static_cast<std::size_t>(r.plabAA + 34), '-');
    out.push_back("  " + r.pd);
    out.push_back("  " + PadRight("Anion", r.plabAA) + "  qA       QA      qA/QA     BVS");
    out.emplace_back(" ");
    for (int i = 1; i <= m.AAlength; ++i) {
        const TAtoms& at = m.AA[i];
        std::string row = "  " + PadRight(at.Atomlabel, r.plabAA) + PadRight(F3(at.effcharge), 6);
        if (at.QA == 0) {
            row += PadLeft("n/a", 9) + PadLeft("n/a", 9);
        } else {
            row += PadLeft(F3(-at.QA), 9) + PadLeft(F3(-at.effcharge / at.QA), 9);
        }
        out.push_back(row + PadLeft(BvsCell(at), 9));
    }
    out.push_back("  " + r.pd);
    out.push_back(PadLeft("MAPD: " + F2(m.DevQACC) + "%", r.plabAA + 17) +
                  PadLeft(BvsMapd(m, m.devBVSA), 18));
    out.emplace_back(" ");
    out.push_back(PadLeft(GlobalInstability(m), r.plabAA + 37));
    out.push_back("  " + r.pd);
    Footer(out, m.timeelapsed1);
}

void ShortAnList(Model& m, Results& r) {
    r.CurrentResults = 4;
    ReportLines& out = r.Output3;
    out.clear();
    Getmaxlengths(m, 2);

    r.plabAA = LabelWidth(m.maxlenlabelAA, 6, 8);
    r.pd = std::string(static_cast<std::size_t>(r.plabAA + 66), '-');
    Header(m, r, out);
    SynopsisHeader(out, false, r.pd, 2);
    out.push_back(PadRight("  Anion", r.plabAA) +
                  "  CN    Kevo     EDEV     qA        QA      qA/QA    MAPDL     BVS");
    out.emplace_back(" ");
    for (int i = 1; i <= m.AAlength; ++i)
        out.push_back(MainRow(m.AA[i], r.plabAA));
    out.push_back("  " + r.pd);
    out.push_back(PadLeft("MAPD: " + F2(m.DevQAAC) + "%", r.plabAA + 40) +
                  PadLeft(BvsMapd(m, m.devBVSA), 27));
    out.emplace_back(" ");

    r.plabAC = LabelWidth(m.maxlenlabelAC, 6, 7);
    r.pd = std::string(static_cast<std::size_t>(r.plabAC + 36), '-');
    out.push_back("  " + r.pd);
    out.push_back("  " + PadRight("Cation", r.plabAC) + " qX       QX        qX/QX      BVS");
    out.emplace_back(" ");
    for (int i = 1; i <= m.AClength; ++i) {
        const TAtoms& at = m.AC[i];
        std::string row = "  " + PadRight(at.Atomlabel, r.plabAC) + PadRight(F3(at.effcharge), 9);
        if (at.QA == 0) {
            row += PadRight("n/a", 11) + PadRight("n/a", 10);
        } else {
            row += PadRight(F3(-at.QA), 11) + PadRight(F3(-at.effcharge / at.QA), 10);
        }
        out.push_back(row + BvsCell(at));
    }
    out.push_back("  " + r.pd);
    out.push_back(PadLeft("MAPD: " + F2(m.DevQXAC) + "%", r.plabAC + 16) +
                  PadLeft(BvsMapd(m, m.devBVSC), 21));
    out.emplace_back(" ");
    out.push_back(PadLeft(GlobalInstability(m), r.plabAC + 40));
    out.push_back("  " + r.pd);
    Footer(out, m.timeelapsed2);
}

} // namespace kevo

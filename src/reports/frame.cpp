// The frame every report shares: banner and settings header, the two
// legends, closing line, padding, the bonding-atoms strings and the
// iteration line.
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "model/numbers.h"
#include "model/text.h"
#include "reports/results.h"

namespace kevo {

namespace {

// A cell-parameter text as "0.0000"; text that is not a number (a structure
// read without its cell) is printed as stored instead of stopping the report.
std::string CellText(const std::string& s) {
    if (auto v = TryStrToFloat(s)) return FF("0.0000", *v);
    return s;
}

std::string Centred(std::string_view text) {
    constexpr int width = 98; // the banner rule
    const int lead = std::max(0, (width - TextLength(text)) / 2);
    return std::string(static_cast<std::size_t>(lead), ' ') + std::string(text);
}

// The comma-separated ligand list of one atom. A ligand whose charge
// fraction is at least 0.1 in magnitude is listed plainly, at least 0.01 in
// parentheses, anything smaller in brackets: the legend "()<0.1; []<0.01"
// read literally, so exactly 0.1 is plain and exactly 0.01 in parentheses.
std::string BondList(const TAtoms& at, bool central) {
    std::string list;
    for (int j = 1; j <= std::min(at.Coor, MaxBonds); ++j) {
        const double c = std::fabs(central ? at.deltaQx[j] : at.deltaQa[j]);
        const std::string label = Star(at.BondingAtoms[j]);
        if (c >= 0.1)
            list += label + ",";
        else if (c >= 0.01)
            list += "(" + label + "),";
        else
            list += "[" + label + "],";
    }
    if (!list.empty()) list.pop_back();
    return list;
}

} // namespace

void Getmaxlengths(Model& m, int ca) {
    const bool cationsCentral = ca == 1;
    m.maxlenlabelAC = m.maxlensymAC = m.maxlenbondAC = 0;
    m.maxlenlabelAA = m.maxlensymAA = m.maxlenbondAA = 0;
    for (int i = 1; i <= m.AClength; ++i) {
        TAtoms& at = m.AC[i];
        const std::string list = BondList(at, cationsCentral);
        (cationsCentral ? at.BondStringX : at.BondStringA) = list;
        m.maxlenlabelAC = std::max(m.maxlenlabelAC, TextLength(at.Atomlabel));
        m.maxlensymAC = std::max(m.maxlensymAC, TextLength(at.symbol));
        m.maxlenbondAC = std::max(m.maxlenbondAC, TextLength(list));
    }
    for (int i = 1; i <= m.AAlength; ++i) {
        TAtoms& at = m.AA[i];
        const std::string list = BondList(at, !cationsCentral);
        (cationsCentral ? at.BondStringA : at.BondStringX) = list;
        m.maxlenlabelAA = std::max(m.maxlenlabelAA, TextLength(at.Atomlabel));
        m.maxlensymAA = std::max(m.maxlensymAA, TextLength(at.symbol));
        m.maxlenbondAA = std::max(m.maxlenbondAA, TextLength(list));
    }
}

std::string IterationMethodText(const Model& m) {
    if (m.iterations == 0) return {};
    return "  Iterations: " + IntToStr(m.iterations) +
           (m.VontarIT ? " (VONTAR2015 method)" : " (Kevo21 method)");
}

void Header(const Model& m, const Results& r, ReportLines& SL) {
    const std::string rule = "  " + std::string(96, '-');
    SL.push_back(rule);
    SL.emplace_back(" ");
    SL.push_back(std::string(43, ' ') + "K e v o 21");
    SL.emplace_back("        Program for computing charge distributions and bond valence sums in "
                    "crystal structures");
    SL.emplace_back(" ");
    SL.push_back(Centred(AuthorLine));
    SL.push_back(Centred(AffiliationLine));
    SL.emplace_back(" ");
    SL.push_back(std::string(32, ' ') + "version 1 release 8, July 2022");
    SL.push_back(rule);
    SL.emplace_back(" ");
    SL.push_back("  Input file: " + m.Title + ".cif");
    SL.emplace_back(" ");
    SL.push_back("  a: " + CellText(m.a) + "  b: " + CellText(m.b) + "  c: " + CellText(m.c) +
                 "  alpha: " + CellText(m.alpha) + "  beta: " + CellText(m.beta) +
                 "  gamma: " + CellText(m.gamma));
    SL.emplace_back(" ");
    SL.push_back("  Space group: " + m.spacegroup);
    if (!m.ShowingPolGeom) {
        SL.emplace_back(" ");
        SL.push_back("  Structure-derived formula: " + m.StructureFormula);
        SL.push_back("  Overall charge balance:    " + FF("0.000", std::fabs(m.StrPosCharge)) +
                     ":" + FF("0.000", m.StrNegCharge) +
                     "    Relative charge error: " + FF("0.000", std::fabs(m.EV)) + "%");
        SL.emplace_back(" ");
        SL.push_back("  CD-derived formula:        " + m.ChargeFormula);
        SL.push_back("  BVS-derived formula:       " +
                     (m.NoBVS ? std::string("n/a") : m.BVSFormula));
        SL.emplace_back(" ");
        if (m.iterations != 0) {
            SL.push_back(r.IterationMethod);
            SL.emplace_back(" ");
        }
    }
    switch (m.ThresOption) {
    case 0:
        SL.push_back("  Global coordination radius threshold: " + FF("0.000", m.MaxR) + " Å");
        if (m.IsHydrogen)
            SL.push_back("  Hydrogen coordination radius threshold:  " + FF("0.000", m.MaxH) +
                         " Å");
        break;
    case 1: {
        int longest = 0;
        for (int row = 1; row <= MaxBondTypes; ++row) {
            const auto& cells = m.MaxBondLengths[row];
            longest = std::max(longest, TextLength(cells[1]) + TextLength(cells[2]));
        }
        const int w = 3 + longest;
        SL.emplace_back("  Coordination radius thresholds:");
        for (int row = 1; row <= MaxBondTypes; ++row) {
            const auto& cells = m.MaxBondLengths[row];
            if (cells[1].empty()) continue;
            SL.push_back("  " + PadRight(ElimPara(cells[1]) + ":" + ElimPara(cells[2]), w) +
                         "-   " + PadLeft(cells[3], 6) + " Å");
        }
        break;
    }
    case 2:
        SL.emplace_back("  Coordination polyhedra built on polyhedron specific thresholds.");
        break;
    default:
        break;
    }
    if (m.NearestLimit)
        SL.emplace_back("  Coordination limited by the distance to the nearest central atom.");
    if (m.ExZeroW) SL.emplace_back("  Zero-weight bonds excluded from coordination.");
    SL.emplace_back("  ");
}

void Footer(ReportLines& SL, double timelapse) {
    SL.push_back("  Elapsed time: " + FF("0.000", timelapse) + " seconds");
    SL.emplace_back(" ");
}

void SynopsisHeader(ReportLines& SL, bool detailed, const std::string& dashed, int ca) {
    SL.push_back("  " + dashed);
    if (detailed) SL.emplace_back("  Charge contributions: ()<0.1; []<0.01");
    SL.emplace_back("  CN       - Coordination number");
    SL.emplace_back("  Kevo     - Effective coordination number");
    SL.emplace_back("  EDEV     - Deviation of Kevo from CNR");
    const char* qx[] = {"  QX       - Charge received by cations",
                        "  qX       - Oxidation number of cations"};
    const char* qa[] = {"  QA       - Charge received by anions",
                        "  qA       - Oxidation number of anions"};
    if (ca == 1) {
        SL.insert(SL.end(), std::begin(qx), std::end(qx));
        SL.insert(SL.end(), std::begin(qa), std::end(qa));
    } else {
        SL.insert(SL.end(), std::begin(qa), std::end(qa));
        SL.insert(SL.end(), std::begin(qx), std::end(qx));
    }
    SL.emplace_back("  BVS      - Bond valence sum");
    if (ca == 1) {
        SL.emplace_back("  MAPDL    - Mean absolute percentage deviation of QA for local ligands");
        SL.emplace_back("  MAPD     - Mean absolute percentage deviation of QX, QA and BVS");
    } else {
        SL.emplace_back("  MAPDL    - Mean absolute percentage deviation of QX for local ligands");
        SL.emplace_back("  MAPD     - Mean absolute percentage deviation of QA, QX and BVS");
    }
    SL.push_back("  " + dashed + "  ");
}

void BondsSynopsisHeader(ReportLines& SL, bool detailed, const std::string& dashed) {
    SL.push_back("  " + dashed);
    SL.emplace_back("  CN         - Coordination number");
    SL.emplace_back("  AV         - Average distance");
    SL.emplace_back("  AVsd       - Standard deviation of distances");
    if (detailed) {
        SL.emplace_back("  Xo,Yo,Zo   - Coordinates of centroid");
        SL.emplace_back("  I,J,K      - Components of vector between central atom and centroid");
    }
    SL.emplace_back("  Δ          - Displacement of central atom from centroid");
    SL.emplace_back("  SRad       - Radius of least-squares fitted circumsphere");
    SL.emplace_back("  SVol       - Volume of least-squares fitted circumsphere");
    SL.emplace_back("  SAVsd      - Standard deviation of distances to centroid");
    SL.emplace_back("  LEcc,VEcc  - Linear and volume-based eccentricity");
    SL.emplace_back("  LSph,VSph  - Linear and volume-based sphericity");
    SL.emplace_back("  PVol       - Volume of coordination polyhedron");
    SL.emplace_back("  IPVol      - Volume of ideal coordination polyhedron");
    SL.emplace_back("  PDist      - Polyhedron volume distortion");
    SL.emplace_back("  ΔR         - Distortion indexes - (Ba)ur, (Br)own");
    SL.emplace_back("  EDEV       - Deviation of Kevo from CNR");
    SL.push_back("  " + dashed + "  ");
}

} // namespace kevo

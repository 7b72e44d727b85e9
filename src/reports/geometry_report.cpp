// The polyhedron-geometry reports: summary (LoadShortCatBonds,
// LoadShortAnBonds) and detailed (LoadCatBonds, LoadAnBonds). They print what
// the coordination-geometry run stored in the atom records of one side and
// compute only the layout widths and the bond-angle and interligand-distance
// tables. Values that do not exist are printed as "  -  ": the fitted sphere,
// centroid and ideal volume of an atom with fewer than three ligands or with
// its ligands on one line (no sphere could be fitted, SRadius 0).
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "model/numbers.h"
#include "model/text.h"
#include "poly/geometry.h"
#include "poly/primitives.h"
#include "reports/results.h"
#include "reports/sections.h"

namespace kevo {
namespace {

constexpr std::string_view Missing = "  -  ";
constexpr std::string_view BlankLine = "  "; // a blank line of these reports holds two blanks
constexpr std::string_view OneBlank = " ";

// A number with a picture format; a value that is not finite (never
// expected) is shown as missing rather than as text a reader cannot use.
std::string Num(std::string_view pattern, double x) {
    return std::isfinite(x) ? FF(pattern, x) : std::string(Missing);
}
std::string F2(double x) {
    return Num("0.00", x);
}
std::string F3(double x) {
    return Num("0.000", x);
}
std::string F4(double x) {
    return Num("0.0000", x);
}
std::string L(std::string_view text, int w) {
    return PadLeft(text, w);
}
std::string R(std::string_view text, int w) {
    return PadRight(text, w);
}
std::string Dashes(int n) {
    return std::string(static_cast<std::size_t>(std::max(n, 0)), '-');
}
std::string Blanks(int n) {
    return std::string(static_cast<std::size_t>(std::max(n, 0)), ' ');
}
// A dashed rule of n: two blanks and n hyphens.
std::string Rule(int n) {
    return "  " + Dashes(n);
}

int Slots(const TAtoms& a) {
    return std::clamp(a.Coor, 0, MaxBonds);
}
int FaceSlots(const TAtoms& a) {
    return std::clamp(a.VolFaces, 0, MaxFaces);
}
int Sites(int n) {
    return std::clamp(n, 0, MaxAtoms);
}

bool HasSphere(const TAtoms& a) {
    return HasFittedSphere(a);
}

// The label column of the synopsis tables: 8 below six characters, else the
// longest label plus 2.
int SynopsisLabelWidth(int longest) {
    return longest < 6 ? 8 : longest + 2;
}

std::string SymmetryText(const std::string& trans, const std::string& op) {
    return trans + " + (" + op + ")";
}

// The columns from the central atom's displacement on, shared by the
// summary rows and the detailed synopsis rows.
std::string SphereAndVolumeCells(const TAtoms& a) {
    std::string row;
    const bool sphere = HasSphere(a);
    if (sphere) {
        row += L(F3(a.CentroidCA), 7) + L(F3(a.SRadius), 7) + L(F3(a.SVolume), 9) +
               L(F3(a.CenBondSD), 7) + L(F3(a.LECC), 7) + L(F3(a.SECC), 7) + L(F3(a.SPHL), 7) +
               L(F3(a.SPHV), 7);
    } else {
        for (int w : {7, 7, 9, 7, 7, 7, 7, 7})
            row += L(Missing, w);
    }
    row += L(F3(a.PolVolume), 9);
    if (sphere)
        row += L(F3(a.IdealPolVolume), 9) + L(F3(a.IdealPolDistortion), 7);
    else
        row += L(Missing, 9) + L(Missing, 7);
    return row + L(F3(a.PolDistortion), 7) + L(F3(a.deltaR), 7) + L(F3(a.EDEV), 8) + "  " +
           a.IdealPolyhedron;
}

constexpr std::string_view SummaryColumns =
    "  CN   AV    AVsd     Δ    SRad    SVol    SAVsd"
    "  LEcc   VEcc   LSph   VSph     PVol     IPVol  PDist  ΔR(Ba) ΔR(Br)  EDEV   Ideal "
    "polyhedron type";

constexpr std::string_view SynopsisColumns =
    "CN   AV    AVsd     Xo      Yo      Zo      I       J       K       Δ    SRad    SVol    "
    "SAVsd"
    "  LEcc   VEcc   LSph   VSph     PVol     IPVol  PDist  ΔR(Ba) ΔR(Br)  EDEV   Ideal "
    "polyhedron type";

// One side of the report: the central atoms and their label column.
struct Side {
    bool cations;
    const AtomArray& atoms;
    int n;
    int& plab;
    const int& maxlenlabel;
};

Side SideOf(Model& m, Results& r, bool cations) {
    if (cations) return {true, m.AC, Sites(m.AClength), r.plabAC, m.maxlenlabelAC};
    return {false, m.AA, Sites(m.AAlength), r.plabAA, m.maxlenlabelAA};
}

void ShortBonds(Model& m, Results& r, bool cations) {
    r.CurrentResults = cations ? 6 : 8;
    ReportLines& out = cations ? r.Output5 : r.Output7;
    out.clear();
    Getmaxlengths(m, cations ? 1 : 2);
    const Side s = SideOf(m, r, cations);
    s.plab = SynopsisLabelWidth(s.maxlenlabel);
    r.pd = Dashes(s.plab + 145);

    Header(m, r, out);
    out.emplace_back("  COORDINATION GEOMETRY");
    BondsSynopsisHeader(out, false, r.pd);
    out.push_back(R(cations ? "  Cation" : "  Anion", s.plab) + std::string(SummaryColumns));
    out.emplace_back(OneBlank);
    for (int i = 1; i <= s.n; ++i) {
        const TAtoms& a = s.atoms[i];
        out.push_back("  " + R(a.Atomlabel, s.plab) + L(IntToStr(a.Coor), 2) + L(F3(a.AvDist), 7) +
                      L(F3(a.BondSD), 7) + SphereAndVolumeCells(a));
    }
    out.push_back("  " + r.pd);
    Footer(out, m.timeelapsed3);
}

class DetailedBonds {
  public:
    DetailedBonds(Model& m, Results& r, bool cations)
        : m_(m), r_(r), cat_(cations), out_(cations ? r.Output4 : r.OutPut6),
          side_(SideOf(m, r, cations)) {}

    void Build() {
        r_.CurrentResults = cat_ ? 5 : 7;
        out_.clear();
        Header(m_, r_, out_);
        Coordinations();
        TableWidths();
        if (m_.CalcBonDAngles) BondAngles();
        if (cat_ && m_.CalcOppBonds) OpposingBonds();
        if (cat_ && m_.Calc32Averages) Averages();
        if (m_.CalcDihAngles) Dihedrals();
        if (m_.CalcIntLigands) InterligandDistances();
        if (m_.CalcDistCentAtom) NearestCentralAtoms();
        Synopsis();
    }

  private:
    const TAtoms& Atom(int i) const { return side_.atoms[i]; }

    // The longest label among the asymmetric cations and anions.
    int LongestLabel() const {
        int w = 0;
        for (int i = 1; i <= Sites(m_.AClength); ++i)
            w = std::max(w, TextLength(m_.AC[i].Atomlabel));
        for (int i = 1; i <= Sites(m_.AAlength); ++i)
            w = std::max(w, TextLength(m_.AA[i].Atomlabel));
        return w;
    }

    // The longest label of the side's own atoms.
    int LongestSideLabel() const {
        int w = 0;
        for (int i = 1; i <= side_.n; ++i)
            w = std::max(w, TextLength(Atom(i).Atomlabel));
        return w;
    }

    // --- Section 1 ----------------------------------------------------------------

    void Coordinations() {
        W1_ = LongestLabel();
        if (W1_ < 7) W1_ = 8;
        FL_ = 0;
        for (int i = 1; i <= side_.n; ++i)
            for (int j = 1; j <= FaceSlots(Atom(i)); ++j)
                FL_ = std::max(FL_, TextLength(Atom(i).Faces[j]));

        out_.emplace_back(heading::Coordinations);
        out_.push_back(Rule(W1_ + 85));
        for (int i = 1; i <= side_.n; ++i)
            Polyhedron(Atom(i));
        out_.emplace_back(BlankLine);
        out_.emplace_back(BlankLine);
    }

    void Polyhedron(const TAtoms& a) {
        const bool sphere = HasSphere(a);
        const int W1 = W1_;
        out_.emplace_back(BlankLine);
        out_.push_back(R("  ", W1 + 11) +
                       "X       Y       Z          Distances to:        Symmetry operator");
        out_.push_back(R("  ", W1 + 11) + "                      central atom  centroid");
        out_.emplace_back(BlankLine);
        out_.push_back("  " + R(a.Atomlabel, W1 + 5) + L(F4(a.X), 8) + L(F4(a.Y), 8) +
                       L(F4(a.Z), 8) + Blanks(28) + SymmetryText(a.SymTrans, a.SymOp));
        out_.emplace_back(BlankLine);
        for (int j = 1; j <= Slots(a); ++j)
            out_.push_back("  " + L(IntToStr(j), 2) + ". " + R(Star(a.BondingAtoms[j]), W1 + 2) +
                           L(F4(a.BondCoorX[j]), 7) + L(F4(a.BondCoorY[j]), 8) +
                           L(F4(a.BondCoorZ[j]), 8) + L(F4(a.Dist[j]), 11) +
                           L(sphere ? F4(a.BondCenDist[j]) : std::string(Missing), 12) +
                           L(a.BondSymTrans[j], 12) + " + (" + a.BondSymOp[j] + ")");
        out_.emplace_back(BlankLine);
        if (sphere) {
            out_.push_back(
                cat_ ? R("  Centroid", W1 + 5) + L(F4(a.Xo), 10) + L(F4(a.Yo), 8) + L(F4(a.Zo), 8)
                     : R("  Centroid", W1 + 7) + L(F4(a.Xo), 8) + L(F4(a.Yo), 8) + L(F4(a.Zo), 8));
        } else {
            out_.push_back(R("  Centroid", W1 + 5) + L(Missing, 10) + L(Missing, 8) +
                           L(Missing, 8));
        }
        out_.emplace_back(BlankLine);
        const std::string sradius = sphere ? F4(a.SRadius) : std::string(Missing);
        const std::string censd = sphere ? F4(a.CenBondSD) : std::string(Missing);
        out_.push_back(R("  Average distance", W1 + 36) + L(F4(a.AvDist), 6) + L(sradius, 12));
        out_.push_back(cat_ ? R("  Standard deviation of distances", W1 + 36) + L(F4(a.BondSD), 6) +
                                  L(censd, 12)
                            : R("  Standard deviation of distances", W1 + 30) +
                                  L(F4(a.BondSD), 12) + L(censd, 12));
        out_.emplace_back(BlankLine);
        if (sphere) {
            const std::string_view to = cat_ ? " - " : " to ";
            out_.push_back(R("  Central atom" + std::string(to) + "centroid vector", W1 + 35) +
                           L(F4(a.CenVector[1]), 7) + L(F4(a.CenVector[2]), 8) +
                           L(F4(a.CenVector[3]), 8));
            out_.push_back(R("  Central atom" + std::string(to) + "centroid distance", W1 + 36) +
                           L(F4(a.CentroidCA), 6));
            out_.push_back(R("  Radius of least-squares fitted sphere", W1 + 36) +
                           L(F4(a.SRadius), 6));
            out_.push_back(R("  Volume of least-squares fitted sphere", W1 + 34) +
                           L(F4(a.SVolume), 8));
            out_.push_back(R("  Linear and volume-based eccentricity", W1 + 36) + L(F4(a.LECC), 6) +
                           L(F4(a.SECC), 12));
            out_.push_back(cat_ ? R("  Linear and volume-based sphericity", W1 + 33) +
                                      L(F4(a.SPHL), 9) + L(F4(a.SPHV), 12)
                                : R("  Linear and volume-based sphericity", W1 + 36) +
                                      L(F4(a.SPHL), 6) + L(F4(a.SPHV), 12));
        } else {
            out_.emplace_back("  Central atom - centroid vector               -");
            out_.emplace_back("  Central atom - centroid distance             -");
            out_.emplace_back("  Radius of least-squares fitted sphere        -");
            out_.emplace_back("  Volume of least-squares fitted sphere        -");
            out_.emplace_back("  Linear and volume-based eccentricity         -");
            out_.emplace_back("  Linear and volume-based sphericity           -");
        }
        out_.push_back(R("  Number of polyhedron faces", W1 + 34) + L(IntToStr(a.FacesNo), 6));
        if (sphere) {
            // Faces are in display form: a four-vertex face is followed by an
            // entry of one blank, so its two rows carry the partial volumes of
            // its two triangles.
            out_.push_back(R("  Faces", FL_ + 4) + "Partial volumes");
            for (int j = 1; j <= FaceSlots(a); ++j)
                out_.push_back("  " + R(a.Faces[j], FL_ + 5) + F4(a.PartVolumes[j]));
        }
        out_.push_back(
            R(cat_ ? "  Volume of coordination polyhedron" : "  Volume of polyhedron", W1 + 33) +
            L(F4(a.PolVolume), 9));
        out_.push_back(R("  Ideal polyhedron approximation", W1 + 35) + a.IdealPolyhedron);
        if (sphere) {
            out_.push_back(R("  Ideal polyhedron volume", W1 + 33) + L(F4(a.IdealPolVolume), 9));
            out_.push_back(R("  Polyhedron volume distortion", W1 + 34) +
                           L(F4(a.IdealPolDistortion), 8));
        } else {
            out_.emplace_back("  Ideal polyhedron volume                      -");
            out_.emplace_back("  Polyhedron volume distortion                        -");
        }
        out_.push_back(R("  Baur distortion index", W1 + 36) + L(F4(a.PolDistortion), 6));
        out_.push_back(R("  Brown distortion index", W1 + 36) + L(F4(a.deltaR), 6));
        out_.push_back(R("  Deviation of Kevo from CNR", W1 + 36) + L(F4(a.EDEV), 6));
        out_.push_back(Rule(W1 + 85));
    }

    // --- Widths of the angle and distance tables ------------------------------------

    void TableWidths() {
        const int W2 = LongestLabel();
        Z2_ = W2 < 8 ? 8 : W2 + 2;
        int ML = 0;
        for (int i = 1; i <= side_.n; ++i)
            for (int j = 2; j <= Slots(Atom(i)); ++j)
                ML = std::max(ML, TextLength(Atom(i).BondingAtoms[j]));
        C_ = ML < 8 ? 8 : ML + 2;
        int PadW = 0;
        for (int i = 1; i <= side_.n; ++i)
            PadW = std::max(PadW, (Slots(Atom(i)) - 1) * C_);
        ruleB_ = Z2_ + PadW;
        W3_ = 0;
        for (int i = 1; i <= Sites(m_.AClength); ++i)
            W3_ = std::max(W3_, TextLength(m_.AC[i].Atomlabel));
        if (W3_ < 12) W3_ = 12;
    }

    // The upper triangle of a ligand-by-ligand table: value(j, k) for j < k.
    template <class Value> void LigandTable(const TAtoms& a, Value value) {
        std::string head = "  " + R(a.Atomlabel, Z2_);
        for (int k = 2; k <= Slots(a); ++k)
            head += L(Star(a.BondingAtoms[k]), C_);
        out_.push_back(head);
        out_.emplace_back(BlankLine);
        for (int j = 1; j <= Slots(a) - 1; ++j) {
            std::string row = "  " + R(Star(a.BondingAtoms[j]), Z2_) + Blanks((j - 1) * C_);
            for (int k = j + 1; k <= Slots(a); ++k)
                row += L(value(j, k), C_);
            out_.push_back(row + "  ");
        }
    }

    // --- Section 2 ----------------------------------------------------------------

    void BondAngles() {
        out_.emplace_back(heading::BondAngles);
        out_.push_back(Rule(ruleB_));
        for (int i = 1; i <= side_.n; ++i) {
            const TAtoms& a = Atom(i);
            if (a.Coor <= 1) continue;
            LigandTable(a, [this, &a](int j, int k) {
                return F2(BondAngle(m_, a.X, a.Y, a.Z, a.BondCoorX[j], a.BondCoorY[j],
                                    a.BondCoorZ[j], a.BondCoorX[k], a.BondCoorY[k],
                                    a.BondCoorZ[k]));
            });
            out_.emplace_back(BlankLine);
            out_.emplace_back();
            out_.push_back(Rule(ruleB_));
            out_.emplace_back(BlankLine);
        }
        out_.emplace_back(BlankLine);
    }

    // --- Section 3 ----------------------------------------------------------------

    std::string ZoneAxis() const {
        switch (m_.Zone) {
        case 0:
            return "[1 0 0]";
        case 1:
            return "[0 1 0]";
        case 2:
            return "[0 0 1]";
        default:
            return "[" + IntToStr(m_.CustomZone[1]) + " " + IntToStr(m_.CustomZone[2]) + " " +
                   IntToStr(m_.CustomZone[3]) + "]";
        }
    }

    void OpposingBonds() {
        const std::string rule = Rule(W3_ + 81);
        out_.emplace_back(heading::OpposingBonds);
        out_.push_back(rule);
        out_.push_back("  'Planes' zone axis: " + ZoneAxis());
        out_.emplace_back(BlankLine);
        const std::string header = "  " + R("Central atom", W3_ + 4) +
                                   "RX      RY     Angle                   Opposing ligands   " +
                                   "'" + "Plane" + "'" + "/zone angle";
        for (int i = 1; i <= side_.n; ++i) {
            const TAtoms& a = Atom(i);
            if (a.MinIP.empty() || a.Coor < 6 || a.Coor > 9) continue;
            const int bases = a.Coor <= 7 ? 1 : a.Coor - 6;
            out_.push_back(header);
            for (int k = 1; k <= bases; ++k) {
                out_.emplace_back(BlankLine);
                const std::string label = k == 1 ? a.Atomlabel : std::string(OneBlank);
                out_.push_back("  " + R(label, W3_ + 3) + R(a.IP[1][k], 65) + F2(a.PlaneAngle[k]));
                const std::string indent = "  " + R(OneBlank, W3_ + 3);
                out_.push_back(indent + a.IP[2][k]);
                out_.push_back(indent + a.OOP[1][k]);
                if (!a.OOP[2][k].empty()) out_.push_back(indent + a.OOP[2][k]);
            }
            out_.push_back(rule);
        }
        out_.emplace_back("  * - out of plane opposing bonds of smaller angle in capped prisms");
        out_.emplace_back(BlankLine);
        out_.emplace_back(BlankLine);
    }

    // --- Section 4 ----------------------------------------------------------------

    void Averages() {
        const std::string rule = Rule(W3_ + 31);
        out_.emplace_back(heading::Averages123_45);
        out_.emplace_back(BlankLine);
        out_.push_back(rule);
        out_.push_back("  " + R("Central atom", W3_ + 5) + "Average123      Average45");
        out_.emplace_back(BlankLine);
        for (int i = 1; i <= side_.n; ++i) {
            const TAtoms& a = Atom(i);
            if (!(a.Coor > 4 && a.HSPCoor[1] >= 5)) continue;
            out_.push_back("  " + R(a.Atomlabel, W3_ + 7) + F3(a.Average123_45[1]) +
                           L(F3(a.Average123_45[2]), 16));
            out_.emplace_back(BlankLine);
        }
        out_.push_back(rule);
        out_.emplace_back(BlankLine);
        out_.emplace_back(BlankLine);
    }

    // --- Section 5 ----------------------------------------------------------------

    void Dihedrals() {
        const std::string rule = "  " + Dashes(45);
        out_.emplace_back(heading::DihedralAngles);
        out_.emplace_back(BlankLine);
        for (int i = 1; i <= side_.n; ++i) {
            const TAtoms& a = Atom(i);
            out_.push_back(rule);
            std::string ligands;
            for (int j = 1; j <= Slots(a); ++j)
                ligands += " " + IntToStr(j) + "-" + Star(a.BondingAtoms[j]) + ",";
            out_.push_back("  " + a.Atomlabel + Blanks(6) + ligands);
            out_.emplace_back(BlankLine);
            if (a.VolFaces >= 2) {
                for (int j = 1; j <= FaceSlots(a); ++j) {
                    out_.push_back(Blanks(10) + a.AdjacentFaces[j]);
                    out_.push_back("  " + a.DAngles[j]);
                    out_.emplace_back(BlankLine);
                }
            } else {
                out_.emplace_back("            n/a");
            }
        }
        out_.push_back(rule);
        out_.emplace_back(BlankLine);
        out_.emplace_back(BlankLine);
    }

    // --- Section 6 ----------------------------------------------------------------

    void InterligandDistances() {
        out_.emplace_back(heading::InterligandDistances);
        out_.push_back(Rule(ruleB_));
        for (int i = 1; i <= side_.n; ++i) {
            const TAtoms& a = Atom(i);
            if (a.Coor <= 1) continue;
            LigandTable(a, [&a](int j, int k) {
                return F4(DistanceXYZ(a.BondCoorCX[j], a.BondCoorCY[j], a.BondCoorCZ[j],
                                      a.BondCoorCX[k], a.BondCoorCY[k], a.BondCoorCZ[k]));
            });
            out_.push_back(Rule(ruleB_));
            out_.emplace_back(BlankLine);
        }
        out_.emplace_back(OneBlank);
    }

    // --- Section 7 ----------------------------------------------------------------

    // The neighbours of the same kind; w is the label width of the section.
    void SecondSphere(const TAtoms& a, int w) {
        for (int q = 1; q <= std::clamp(a.SecSphereCoor, 0, MaxBonds); ++q)
            out_.push_back("  " + L(IntToStr(q), 2) + ". " + R(Star(a.SecSphereAtoms[q]), w + 2) +
                           L(F4(a.SecSphereX[q]), 7) + L(F4(a.SecSphereY[q]), 8) +
                           L(F4(a.SecSphereZ[q]), 8) + L(F4(a.SecSphereDist[q]), 11) +
                           L(a.SecSphereSymTrans[q], 15) + " + (" + a.SecSphereSymOp[q] + ")");
    }

    // One central atom and its neighbours of the same kind; w is the label
    // width of the section, whose columns sit one place further right in
    // the anion-centred report.
    void NearestBlock(const TAtoms& a, int w) {
        out_.emplace_back(BlankLine);
        out_.push_back(
            cat_ ? R("  ", w + 11) + "X       Y       Z       Distance       Symmetry operator"
                 : R("  ", w + 12) + "X       Y       Z      Distance        Symmetry operator");
        out_.emplace_back(BlankLine);
        out_.push_back("  " + R(a.Atomlabel, w + (cat_ ? 5 : 6)) + L(F4(a.X), cat_ ? 8 : 7) +
                       L(F4(a.Y), 8) + L(F4(a.Z), 8) + Blanks(19) +
                       SymmetryText(a.SymTrans, a.SymOp));
        out_.emplace_back(BlankLine);
        SecondSphere(a, w);
    }

    void NearestCentralAtoms() {
        out_.emplace_back(heading::NearestCentralAtoms);
        // Cations: the rule under the heading and after each atom; anions:
        // before each atom and after the last.
        const int w = cat_ ? W3_ : LongestSideLabel();
        const std::string rule = Rule(w + 80);
        if (cat_) out_.push_back(rule);
        for (int i = 1; i <= side_.n; ++i) {
            if (!cat_) out_.push_back(rule);
            NearestBlock(Atom(i), w);
            if (cat_) out_.push_back(rule);
        }
        if (!cat_) out_.push_back(rule);
        out_.emplace_back(BlankLine);
        out_.emplace_back(BlankLine);
    }

    // --- Synopsis ----------------------------------------------------------------

    void Synopsis() {
        out_.emplace_back("  SYNOPSIS ");
        Getmaxlengths(m_, cat_ ? 1 : 2);
        const int P = side_.plab = SynopsisLabelWidth(side_.maxlenlabel);
        r_.pd = Dashes(P + 193);
        BondsSynopsisHeader(out_, true, r_.pd);
        out_.push_back("  " + R(cat_ ? "Cation" : "Anion", P) + std::string(SynopsisColumns));
        out_.emplace_back(OneBlank);
        for (int i = 1; i <= side_.n; ++i) {
            const TAtoms& a = Atom(i);
            std::string row = "  " + R(a.Atomlabel, P) + L(IntToStr(a.Coor), 2) +
                              L(F3(a.AvDist), 7) + L(F3(a.BondSD), 7);
            if (HasSphere(a)) {
                row += L(F4(a.Xo), 8) + L(F4(a.Yo), 8) + L(F4(a.Zo), 8) + L(F4(a.CenVector[1]), 8) +
                       L(F4(a.CenVector[2]), 8) + L(F4(a.CenVector[3]), 8);
            } else {
                for (int c = 0; c < 6; ++c)
                    row += L(Missing, 8);
            }
            out_.push_back(row + SphereAndVolumeCells(a));
        }
        out_.push_back("  " + r_.pd);
        Footer(out_, m_.timeelapsed3);
    }

    Model& m_;
    Results& r_;
    const bool cat_;
    ReportLines& out_;
    const Side side_;
    int W1_ = 0;    // label column of section 1
    int FL_ = 0;    // longest face text
    int Z2_ = 0;    // label column of the angle and distance tables
    int C_ = 0;     // their cell width
    int ruleB_ = 0; // their rule
    int W3_ = 0;    // label column of sections 3, 4 and 7 (cations)
};

} // namespace

void LoadShortCatBonds(Model& m, Results& r) {
    ShortBonds(m, r, true);
}

void LoadShortAnBonds(Model& m, Results& r) {
    ShortBonds(m, r, false);
}

void LoadCatBonds(Model& m, Results& r) {
    DetailedBonds(m, r, true).Build();
}

void LoadAnBonds(Model& m, Results& r) {
    DetailedBonds(m, r, false).Build();
}

} // namespace kevo

// The detailed charge-distribution report, cation-centred (DetCatList, list
// Output) and anion-centred (DetAnList, list Output2). Both twins share one
// builder: "central" is the kind whose polyhedra the report is about
// (cations in DetCatList), "other" the kind of their ligands. The twins
// differ in a handful of headings, field widths and rule lengths; every such
// difference is spelled out where it is used.
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "model/numbers.h"
#include "model/text.h"
#include "reports/results.h"
#include "reports/sections.h"

namespace kevo {
namespace {

// Section titles; the results view lists the same texts.
constexpr std::string_view PolyhedraTitle = heading::Polyhedra;
constexpr std::string_view CationChargesDqTitle = heading::CationChargesDq;
constexpr std::string_view AnionChargesDqTitle = heading::AnionChargesDq;
constexpr std::string_view AnionChargesDQTitle = heading::AnionChargesDQ;
constexpr std::string_view CationChargesDQTitle = heading::CationChargesDQ;
constexpr std::string_view BondValencesCationsTitle = heading::BondValencesCations;
constexpr std::string_view BondValencesAnionsTitle = heading::BondValencesAnions;

constexpr std::string_view Blank = " ";
constexpr std::string_view TabLine = "\t";

// Bonds of this weight or less are the zero-weight bonds Omit leaves out.
constexpr double ZeroWeight = 0.001;
// Charge fractions of this size or less count as no contribution.
constexpr double NoContribution = 0.0001;

// Shown when a ligand anion received no charge, so qA/QA cannot be formed.
std::string NoQAMessage(int record, std::string_view cation, std::string_view anion) {
    return "No QA at AA[" + IntToStr(record) + "] " + std::string(cation) + " " +
           std::string(anion);
}

std::string F2(double x) {
    return FF("0.00", x);
}
std::string F3(double x) {
    return FF("0.000", x);
}
std::string F4(double x) {
    return FF("0.0000", x);
}

// Column width from the longest text: `below` when the longest is shorter
// than `threshold` characters, else the longest plus `plus`.
int WidthRule(int longest, int threshold, int below, int plus) {
    return longest < threshold ? below : longest + plus;
}

std::string Dashes(int n) {
    return std::string(static_cast<std::size_t>(std::max(n, 0)), '-');
}
std::string Blanks(int n) {
    return std::string(static_cast<std::size_t>(std::max(n, 0)), ' ');
}

// Ligand slots of a record that may be read: Coor kept inside the slot array.
int SlotsOf(const TAtoms& a) {
    return std::clamp(a.Coor, 0, MaxBonds);
}

// One kind of atom as the report sees it: its records, its column widths in
// Results and the text maxima Getmaxlengths found for it.
struct Kind {
    const AtomArray& atoms;
    int sites;             // asymmetric records 1..sites are listed
    int total;             // records 1..total (images included) are valid bond partners
    int& lab;              // label column
    int& sp;               // site-population column
    int& ba;               // bonding-atoms or ligand column
    int maxlab;            // longest Atomlabel
    int maxsym;            // longest symbol
    int maxbond;           // longest bonding-atoms list
    std::string_view name; // "Cation" or "Anion"

    // The partner record a bond points at, or nullptr when the index is
    // not that of a record in use.
    const TAtoms* Partner(int record) const {
        if (record < 1 || record > std::min(total, MaxAtoms)) return nullptr;
        return &atoms[record];
    }
};

Kind Cations(const Model& m, Results& r) {
    return {m.AC,
            std::clamp(m.AClength, 0, MaxAtoms),
            std::max(m.TotACLength, m.AClength),
            r.plabAC,
            r.pspAC,
            r.pbaAC,
            m.maxlenlabelAC,
            m.maxlensymAC,
            m.maxlenbondAC,
            "Cation"};
}

Kind Anions(const Model& m, Results& r) {
    return {m.AA,
            std::clamp(m.AAlength, 0, MaxAtoms),
            std::max(m.TotAALength, m.AAlength),
            r.plabAA,
            r.pspAA,
            r.pbaAA,
            m.maxlenlabelAA,
            m.maxlensymAA,
            m.maxlenbondAA,
            "Anion"};
}

class DetailedReport {
  public:
    DetailedReport(Model& m, Results& r, MessageSink& msg, bool cationCentred)
        : m_(m), r_(r), msg_(msg), cat_(cationCentred), out_(cationCentred ? r.Output : r.Output2),
          cations_(Cations(m, r)), anions_(Anions(m, r)),
          central_(cationCentred ? cations_ : anions_), other_(cationCentred ? anions_ : cations_) {
    }

    void Build() {
        Polyhedra();
        if (cat_) {
            CentralChargesReceived(CationChargesDqTitle);
            OtherChargesReturned(AnionChargesDQTitle);
            BondValences(true);
            BondValences(false);
        } else {
            CentralChargesReceived(AnionChargesDqTitle);
            OtherChargesReturned(CationChargesDQTitle);
            BondValences(false);
            BondValences(true);
        }
        Synopsis();
    }

  private:
    void Add(std::string line) { out_.push_back(std::move(line)); }
    void Add(std::string_view line) { out_.emplace_back(line); }

    // Section 1: every polyhedron of the central kind with its
    // sub-polyhedra, distances and bond weights.
    void Polyhedra() {
        const Kind& C = central_;
        C.lab = WidthRule(C.maxlab, 12, 14, 2);
        C.sp = WidthRule(C.maxsym, 15, 17, 2);
        C.ba = WidthRule(other_.maxlab, 6, 8, 3);
        r_.pd = Dashes(C.lab + C.sp + C.ba + 45);
        r_.ph = Blanks(C.lab + C.sp + 13);
        r_.pd1 = Dashes(C.ba + (cat_ ? 32 : 31));
        const std::string average = m_.NonIt ? " Rav" : "wRav";
        const int lineWidth = C.lab + C.sp + C.ba + (cat_ ? 47 : 46);

        Add(PolyhedraTitle);
        for (int i = 1; i <= C.sites; ++i) {
            const TAtoms& a = C.atoms[i];
            const int coor = SlotsOf(a);
            // A record without sub-polyhedra is listed like one with a
            // single sub-polyhedron, so its bonds are not lost.
            const bool single = a.HSPCount <= 1;

            Add("  " + r_.pd);
            Add("  " + PadRight("Central atom", C.lab) + PadRight("Site population", C.sp) +
                (cat_ ? "CN   qX      " : "CN   qA      ") + PadRight("Ligand", C.ba) +
                (cat_ ? "  qA        Rij            wij" : " qX         Rij            wij"));
            Add(TabLine);

            auto row = [&](int j) {
                if (j != 1 && r_.Omit && a.BW[j] <= ZeroWeight) return;
                std::string s = "  ";
                if (j == 1)
                    s += PadRight(a.Atomlabel, C.lab) + PadRight(a.symbol, C.sp) +
                         PadRight(IntToStr(a.Coor), 4) + PadRight(F3(a.effcharge), 9);
                else
                    s += r_.ph;
                s += PadRight(Star(a.BondingAtoms[j]), C.ba) +
                     PadRight(F3(a.BondCharge[j]), single ? 10 : 9) +
                     PadLeft(F4(a.Dist[j]), !single && cat_ ? 8 : 7) + PadLeft(F4(a.BW[j]), 15);
                Add(std::move(s));
            };

            if (single) {
                for (int j = 1; j <= coor; ++j)
                    row(j);
            } else {
                for (int k = 1; k <= std::min(a.HSPCount, MaxBonds); ++k) {
                    const int first = k == 1 ? 1 : a.HSPFirstIndex[k];
                    const int last = k == 1 ? a.HSPCoor[1] : first + a.HSPCoor[k] - 1;
                    for (int j = std::max(first, 1); j <= std::min(last, coor); ++j)
                        row(j);
                    r_.hsp = IntToStr(k);
                    Add("  " + r_.ph + r_.pd1);
                    Add("  " + r_.ph + "HSP" + r_.hsp + ":" +
                        PadLeft(average, C.ba + (cat_ ? 3 : 2)) + r_.hsp + ": " +
                        F4(a.HSPWAverageDist[k]) + "  Kevo" + r_.hsp + ": " + F4(a.HSPKevo[k]));
                    Add(std::string_view("  "));
                }
            }

            Add("  " + r_.pd);
            if (single)
                r_.ps =
                    "    " + average + ": " + F4(a.HSPWAverageDist[1]) + "  KevoX: " + F4(a.Kevo);
            else
                r_.ps = "               KevoX: " + F4(a.Kevo);
            Add(PadLeft(r_.ps, lineWidth));
            Add(PadLeft(a.Coor > 1 ? "EDEV: " + F4(a.EDEV) : std::string("EDEV:    -  "),
                        lineWidth));
            Add(TabLine);
        }
    }

    // Section 2: how the charges of the central atoms are shared out, one
    // block per atom of the other kind with the charge it receives.
    void CentralChargesReceived(std::string_view title) {
        const Kind& C = central_;
        const Kind& O = other_;
        C.lab = WidthRule(C.maxlab, 6, 8, 2);
        C.sp = WidthRule(C.maxsym, 15, 17, 2);
        O.lab = WidthRule(O.maxlab, 5, 7, 2);
        r_.pd = Dashes(C.lab + C.sp + O.lab + (cat_ ? 31 : 30));
        r_.ph = Blanks(O.lab + (cat_ ? 13 : 11));
        const int closingWidth = C.lab + O.lab + C.sp + (cat_ ? 33 : 32);

        Add(title);
        for (int i = 1; i <= O.sites; ++i) {
            const TAtoms& b = O.atoms[i];
            const int coor = SlotsOf(b);

            Add("  " + r_.pd);
            Add("  " + PadRight(O.name, O.lab) + (cat_ ? "  qA     mA  " : " qX    mX  ") +
                PadRight(C.name, C.lab) + PadRight("Site population", C.sp) +
                (cat_ ? " qX     mX   Δqij" : "  qA    mA   Δqij"));
            Add(Blank);

            // The block starts at the first ligand that contributes (the
            // cation-centred twin looks for a positive share only).
            int firstRow = 1;
            for (int j = 1; j <= coor; ++j) {
                const double dq = b.deltaQa[j];
                if (cat_ ? dq > NoContribution : std::fabs(dq) > NoContribution) {
                    firstRow = j;
                    break;
                }
            }
            for (int j = firstRow; j <= coor; ++j) {
                if (j != firstRow && !(std::fabs(b.deltaQa[j]) > NoContribution)) continue;
                std::string s = "  ";
                if (j == firstRow)
                    s += PadRight(b.Atomlabel, O.lab) + PadRight(F3(b.effcharge), cat_ ? 9 : 7) +
                         PadRight(IntToStr(b.Multiplicity), 4);
                else
                    s += r_.ph;
                const TAtoms* partner = C.Partner(b.BondIndex[j][1]);
                s += PadRight(Star(b.BondingAtoms[j]), C.lab) +
                     PadRight(partner ? partner->symbol : std::string(), C.sp) +
                     PadRight(F3(b.BondCharge[j]), 8);
                if (cat_)
                    s += PadRight(IntToStr(b.BondMult[j]), 4) + F4(b.deltaQa[j]);
                else
                    s += PadLeft(IntToStr(b.BondMult[j]), 2) + PadLeft(F4(b.deltaQa[j]), 9);
                Add(std::move(s));
            }

            Add("  " + r_.pd);
            if (cat_)
                r_.ps = "QA(" + b.Atomlabel + "): -" + F4(b.QA);
            else
                r_.ps = "QX(" + b.Atomlabel + "): " + F4(-b.QA);
            Add(PadLeft(r_.ps, closingWidth));
            Add(Blank);
            Add(Blank);
        }
    }

    // Section 3: the reverse distribution, one block per central atom with
    // the charges its ligands give back and the charge it receives.
    void OtherChargesReturned(std::string_view title) {
        const Kind& C = central_;
        const Kind& O = other_;
        C.lab = WidthRule(C.maxlab, 6, 8, 2);
        O.lab = WidthRule(O.maxlab, 5, 7, 2);
        O.sp = WidthRule(O.maxsym, 15, 17, 2);
        r_.pd = Dashes(C.lab + O.lab + O.sp + 48);
        r_.ph = Blanks(C.lab + 12);
        const int closingWidth = C.lab + O.lab + O.sp + 50;

        Add(title);
        for (int i = 1; i <= C.sites; ++i) {
            const TAtoms& a = C.atoms[i];
            const int coor = SlotsOf(a);

            Add("  " + r_.pd);
            Add("  " + PadRight(C.name, C.lab) + (cat_ ? " qX     mX  " : "  qA    mA  ") +
                PadRight(O.name, O.lab) + PadRight("Site population", O.sp) +
                (cat_ ? "  qA    mA   Δqij    qA/QA     ΔQij"
                      : " qX     mX   Δqij    qX/QX     ΔQij"));
            Add(Blank);

            for (int j = 1; j <= coor; ++j) {
                // The ratio of every bond is formed (and a missing received
                // charge reported) whether or not the row is then printed.
                const int record = a.BondIndex[j][1];
                const TAtoms* partner = O.Partner(record);
                const double received = partner ? partner->QA : 0.0;
                std::string ratio = "n/a";
                if (received == 0.0) {
                    if (cat_)
                        msg_.Show(NoQAMessage(record, a.Atomlabel,
                                              partner ? std::string_view(partner->Atomlabel)
                                                      : std::string_view(a.BondingAtoms[j])));
                } else {
                    r_.qaQA = -a.BondCharge[j] / received;
                    ratio = F4(r_.qaQA);
                }
                if (j != 1 && r_.Omit && a.BW[j] <= ZeroWeight) continue;

                std::string s = "  ";
                if (j == 1)
                    s += PadRight(a.Atomlabel, C.lab) + PadRight(F3(a.effcharge), 8) +
                         PadRight(IntToStr(a.Multiplicity), 4);
                else
                    s += r_.ph;
                s += PadRight(Star(a.BondingAtoms[j]), O.lab) +
                     PadRight(partner ? partner->symbol : std::string(), O.sp) +
                     PadRight(F3(a.BondCharge[j]), 8);
                if (cat_)
                    s += PadRight(IntToStr(a.BondMult[j]), 4) + F4(a.deltaqicat[j]);
                else
                    s += IntToStr(a.BondMult[j]) + PadLeft(F4(a.deltaqicat[j]), 9);
                s += PadLeft(ratio, 9) + PadLeft(F4(a.deltaQx[j]), 9);
                Add(std::move(s));
            }

            Add("  " + r_.pd);
            Add(PadLeft((cat_ ? "QX(" : "QA(") + a.Atomlabel + "): " + F4(-a.QX), closingWidth));
            Add(PadLeft("MAPDL: " + F4(a.MAPDLig), closingWidth));
            Add(Blank);
            Add(Blank);
        }
    }

    // Sections 4 and 5: bond valences and their sums around the cations
    // (aroundCations) or around the anions.
    void BondValences(bool aroundCations) {
        const Kind& K = aroundCations ? cations_ : anions_;
        const Kind& L = aroundCations ? anions_ : cations_;
        K.lab = WidthRule(K.maxlab, 12, 14, 2);
        L.lab = WidthRule(L.maxlab, 6, 8, 2);
        r_.pd = Dashes(K.lab + K.sp + L.lab + (aroundCations ? 34 : 35));
        r_.ph = Blanks(K.lab + K.sp + (aroundCations ? 8 : 9));
        const int sumWidth = K.lab + K.sp + L.lab + (aroundCations ? -8 : -7);

        Add(aroundCations ? BondValencesCationsTitle : BondValencesAnionsTitle);
        for (int i = 1; i <= K.sites; ++i) {
            const TAtoms& a = K.atoms[i];

            Add("  " + r_.pd);
            Add("  " + PadRight("Central atom", K.lab) + PadRight("Site population", K.sp) +
                (aroundCations ? " qX     " : "  qA     ") + PadRight("Ligand", L.lab) +
                (aroundCations && !cat_ ? " Rij      sij       ERij"
                                        : " Rij       sij       ERij"));
            Add(Blank);

            if (!a.HasBVS) {
                Add("  " + PadRight(a.Atomlabel, K.lab) + "Ro and b parameters for " + a.RoSearch +
                    " not found. BVS not calculated.");
                Add("  " + r_.pd);
                Add(Blank);
                Add(Blank);
                continue;
            }

            for (int j = 1; j <= SlotsOf(a); ++j) {
                std::string s = "  ";
                if (j == 1)
                    s += PadRight(a.Atomlabel, K.lab) + PadRight(a.symbol, K.sp) +
                         PadRight(F3(a.effcharge), aroundCations ? 8 : 9);
                else
                    s += r_.ph;
                s += PadRight(Star(a.BondingAtoms[j]), L.lab) + PadRight(F4(a.Dist[j]), 10) +
                     PadRight(F4(a.deltaBVS[j]), 10) + F4(a.ExpDist[j]);
                Add(std::move(s));
            }

            Add("  " + r_.pd);
            Add("  Distortion index (Brown): " + F4(a.deltaR) +
                PadLeft("BVS(" + a.Atomlabel + "): " + F4(a.BVS), sumWidth));
            Add(Blank);
            Add(Blank);
        }
    }

    // Received-charge and ratio cells, "n/a" in both when nothing was
    // received.
    static std::string ReceivedCells(double charge, double received) {
        if (received == 0.0) return PadLeft("n/a", 9) + PadLeft("n/a", 9);
        return PadLeft(F3(-received), 9) + PadLeft(F3(-charge / received), 9);
    }

    static std::string BVSCell(const TAtoms& a) {
        return PadLeft(a.HasBVS ? F3(a.BVS) : std::string("  -  "), 9);
    }

    // The BVS part of a MAPD line.
    std::string BVSDeviation(double deviation) const {
        if (m_.NoBVS) return cat_ ? " n/a " : "n/a ";
        return F2(deviation) + "%";
    }

    // Section 6: the summary tables with the site populations and the
    // bonding-atoms lists.
    void Synopsis() {
        const Kind& C = central_;
        const Kind& O = other_;
        // Trailing blanks the cation-centred twin prints after some rules.
        const std::string tail = cat_ ? "   " : "";

        C.lab = cat_ ? WidthRule(C.maxlab, 6, 8, 2) : WidthRule(C.maxlab, 5, 8, 2);
        C.sp = WidthRule(C.maxsym, 15, 17, 2);
        C.ba = WidthRule(C.maxbond, 13, 15, 2);
        r_.pd = Dashes(C.lab + C.sp + C.ba + (cat_ ? 66 : 65));

        Add(heading::Synopsis);
        SynopsisHeader(out_, true, r_.pd, cat_ ? 1 : 2);
        Add("  " + PadRight(C.name, C.lab) + PadRight("Site population", C.sp) +
            PadRight("Bonding atoms", C.ba) +
            (cat_ ? "CN    Kevo     EDEV     qX       QX       qX/QX    MAPDL     BVS"
                  : "CN    Kevo     EDEV     qA       QA       qA/QA    MAPDL     BVS"));
        Add(Blank);
        for (int i = 1; i <= C.sites; ++i) {
            const TAtoms& a = C.atoms[i];
            Add("  " + PadRight(a.Atomlabel, C.lab) + PadRight(a.symbol, C.sp) +
                PadRight(a.BondStringX, C.ba) + PadLeft(IntToStr(a.Coor), 2) +
                PadLeft(F3(a.Kevo), 9) + PadLeft(F3(a.EDEV), 9) + PadLeft(F3(a.effcharge), 9) +
                ReceivedCells(a.effcharge, a.QX) + PadLeft(F3(a.MAPDLig), 9) + BVSCell(a));
        }
        Add("  " + r_.pd + tail);
        Add(PadLeft("MAPD: " + F2(cat_ ? m_.DevQXCC : m_.DevQAAC) + "%", C.lab + C.sp + C.ba + 40) +
            PadLeft(BVSDeviation(cat_ ? m_.devBVSC : m_.devBVSA), 27));
        Add(Blank);

        O.lab = cat_ ? WidthRule(O.maxlab, 5, 7, 2) : WidthRule(O.maxlab, 6, 7, 2);
        O.sp = WidthRule(O.maxsym, 15, 17, 2);
        O.ba = WidthRule(O.maxbond, 13, 15, 2);
        r_.pd = Dashes(O.lab + O.sp + O.ba + 34);
        const int otherWidth = O.lab + O.sp + O.ba;

        Add("  " + r_.pd + tail);
        Add(Blank);
        Add("  " + PadRight(O.name, O.lab) + PadRight("Site population", O.sp) +
            PadRight("Bonding atoms", O.ba) +
            (cat_ ? " qA       QA       qA/QA     BVS" : "  qX       QX      qX/QX     BVS"));
        Add(Blank);
        for (int i = 1; i <= O.sites; ++i) {
            const TAtoms& b = O.atoms[i];
            Add("  " + PadRight(b.Atomlabel, O.lab) + PadRight(b.symbol, O.sp) +
                PadRight(b.BondStringA, O.ba) + PadLeft(F3(b.effcharge), 6) +
                ReceivedCells(b.effcharge, b.QA) + BVSCell(b));
        }
        Add("  " + r_.pd);
        Add(PadLeft("MAPD: " + F2(cat_ ? m_.DevQACC : m_.DevQXAC) + "%", otherWidth + 17) +
            PadLeft(BVSDeviation(cat_ ? m_.devBVSA : m_.devBVSC), 18));
        Add(Blank);
        Add(PadLeft(m_.NoBVS ? std::string("Global instability Index: n/a    ")
                             : "Global Instability Index: " + F2(m_.GII) + " v.u.",
                    otherWidth + 39));
        Add("  " + r_.pd);
        Footer(out_, cat_ ? m_.timeelapsed1 : m_.timeelapsed2);
    }

    Model& m_;
    Results& r_;
    MessageSink& msg_;
    bool cat_;
    ReportLines& out_;
    Kind cations_;
    Kind anions_;
    const Kind& central_;
    const Kind& other_;
};

void BuildDetailed(Model& m, Results& r, MessageSink& msg, bool omit, bool cationCentred) {
    r.CurrentResults = cationCentred ? 1 : 3;
    ReportLines& list = cationCentred ? r.Output : r.Output2;
    list.clear();
    r.Omit = omit;
    Header(m, r, list);
    Getmaxlengths(m, cationCentred ? 1 : 2);
    DetailedReport(m, r, msg, cationCentred).Build();
}

} // namespace

void DetCatList(Model& m, Results& r, MessageSink& msg, bool omit) {
    BuildDetailed(m, r, msg, omit, true);
}

void DetAnList(Model& m, Results& r, MessageSink& msg, bool omit) {
    BuildDetailed(m, r, msg, omit, false);
}

} // namespace kevo

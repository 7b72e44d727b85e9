// Charge distribution: the formal charge of every central atom is shared over
// its bonds in proportion to the bond weights, every ligand collects what it
// receives and shares its own charge back over the same bonds. Polyhedra with
// several ligand elements are corrected cycle by cycle until the chosen end
// condition holds. Also the charge balance and the structure-derived and
// charge-derived formulas.
//
// Sides: 1 = cation-centred (the asymmetric cations AC[1..AClength] are the
// central atoms, the anions their partners), 2 = anion-centred (the reverse).
// Only asymmetric atoms take part; a bond reaches its partner through
// BondIndex (partner record, slot of the reverse bond).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/model.h"

namespace kevo {

// Correction cycles run at most this many times. End options 0 and 1 have no
// natural bound (a negative Threshold, or values that become NaN, never
// satisfy the test); after this many cycles the last state is the result and
// `iterations` reads 1000, which the report prints.
inline constexpr int MaxChargeCycles = 1000;

// The working context of one charge distribution: the steps of the method as
// member functions, each for the side s (1 or 2) whose asymmetric atoms are
// the central atoms of that step. Construct it after the polyhedra and their
// bond links are final (it reads the ligand labels and BondIndex once);
// nothing is allocated by the steps themselves.
class ChargeDistribution {
  public:
    explicit ChargeDistribution(Model& m);

    // Δq_ij = m_i q_i w_ij / (K_i M_ij) into deltaqicat, sums into HSPSumqij.
    // A bond with K_i = 0 or M_ij = 0 sends nothing.
    void Calculateqij(int s);
    // deltaQrs: total Δq each ligand label receives from the central atoms of
    // side s; then deltaQa and QA of the asymmetric atoms of the other side.
    void CollectQACharges(int s);
    // ΔQ_ij = M_ij Δq_ij q_L / (deltaQrs_j m_i) into deltaQx, sums into
    // HSPSumQx, QX their total. A bond whose ligand received nothing returns
    // nothing (deltaQx = 0).
    void CalculateQx(int s);
    // Default variant: deltaQj = m_i q_i ΔQ_ij / (QX M_ij), HSPSumQj, Diff.
    void CalculateQj(int s);
    // deltaQj := the partner's deltaQx of the reverse bond (variant VontarIT).
    void CollectQij(int s);
    // HSPSumQj = Σ m_i deltaQj / M_ij and Diff (variant VontarIT).
    void CalculateQjCH(int s);
    // Rescales Δq of every sub-polyhedron by HSPSumQj / HSPSumqij.
    void RecalculateDeltaqij(int s);
    // DiffMax: the largest Diff of side s, rounded through "0.000" text.
    void CalcDeltaMax(int s);
    // The correction cycles with their end test (EndItOption 0, 1 or 2);
    // at most MaxChargeCycles cycles.
    void Iterate(int s, int EndItOption, bool VontarIT);

    // Partner of bond j of central atom i of side s as (record, slot) of the
    // other side's asymmetric atoms; record 0 when the bond has no reverse
    // bond there (a stale or missing link: such a bond is left out of every
    // sum that needs the reverse bond).
    int PartnerRecord(int s, int i, int j) const;
    int PartnerSlot(int s, int i, int j) const;

  private:
    struct Side {
        int length = 0;               // asymmetric atoms of this side
        std::vector<int> group;       // ligand label group of bond (i, j)
        std::vector<double> groupSum; // Δq received per ligand label group
        std::vector<int> linkRecord;  // valid partner record or 0
        std::vector<int> linkSlot;    // slot of the reverse bond
    };
    static std::size_t Slot(int i, int j);
    AtomArray& Atoms(int s);
    Side& Work(int s);
    const Side& Work(int s) const;
    void Prepare(int s);

    Model& m_;
    Side sides_[2];
};

// The charge distribution for side c (1 cation-centred, 2 anion-centred) with
// the end option EndItOption (0: DiffMax at most Threshold, 1: both MAPD
// values improve by less than MAPDImprovement, 2: one cycle) in the default
// variant or, with VontarIT, in the two-sided variant. Sets HC/HA/HH,
// iterations, DiffMax (only when a cycle runs) and the charge fields.
void GreatIteration(Model& m, int c, int EndItOption, bool VontarIT);

// CDPosCharge, CDNegCharge (computed charges times multiplicity), CDEV and EV
// (relative charge errors in percent; 0 when there is no positive charge to
// divide by).
void ChargeBalance(Model& m, int c);

// The per-site factor of a formula: the amount of every species of a site is
// occupancy x Multiplicity x factor.
using FormulaFactor = std::function<double(const TAtoms&)>;

// A formula built from the site populations (`symbol`) of the asymmetric
// cations, then of the asymmetric anions: "Fe4.000 Si4.000 O16.000 ", each
// element once per list in order of first appearance, amounts added through
// their "0.000" texts.
std::string SiteFormula(const Model& m, const FormulaFactor& cationFactor,
                        const FormulaFactor& anionFactor);

// StructureFormula: factor 1 for every site.
void CalcFormula(Model& m);

// ChargeFormula: factor computed charge / formal charge (QX or QA over
// -effcharge, by side c); 0 for a site without formal charge.
void CalcChargeFormula(Model& m, int c);

} // namespace kevo

// The structure model: everything the program knows about the structure that
// is open, its settings, flags and results. One object on the heap, never
// copied, passed by reference to every step. Its two arrays of up to 1000
// large atom records hold only the records the structures read so far needed
// (RecordArray). Several models may live side by side, one per thread,
// because no step keeps state anywhere else.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "model/array1.h"
#include "model/atoms.h"
#include "model/record_array.h"

namespace kevo {

inline constexpr int MaxAtoms = 1000;     // records per array, sites and images together
inline constexpr int MaxBondTypes = 50;   // rows of the bond-type limit table
inline constexpr int StagingColumns = 12; // columns of the staging table

// AC and AA: records 1..n exist once a writer made room for them with
// Ensure(n).
using AtomArray = RecordArray<TAtoms, MaxAtoms>;
using Matrix3 = Array1<Array1<double, 3>, 3>; // [row][col]

// One row of the staging table the CIF reader fills: column 0 row number,
// 1 label, 2 site population, 3 signed site charge, 4 multiplicity,
// 5-7 x y z, 8 occupancy, 9 species list, 10 operator, 11 element symbols.
using StagingRow = std::array<std::string, StagingColumns>;
inline constexpr int ColNumber = 0;
inline constexpr int ColLabel = 1;
inline constexpr int ColPopulation = 2;
inline constexpr int ColCharge = 3;
inline constexpr int ColMultiplicity = 4;
inline constexpr int ColX = 5; // then y, z
inline constexpr int ColOccupancy = 8;
inline constexpr int ColSpecies = 9;
inline constexpr int ColOperator = 10;
inline constexpr int ColSymbols = 11;

class Model {
  public:
    // The only way to get a model: on the heap, settings at their start-up
    // values, no atom record made yet.
    static std::unique_ptr<Model> Create();

    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // --- Atoms --------------------------------------------------------------
    AtomArray AC; // cations: 1..AClength sites, then GACLength images
    AtomArray AA; // anions: 1..AAlength sites, then GAALength images
    int AClength = 0;
    int AAlength = 0;
    int GACLength = 0;
    int GAALength = 0;
    int TotACLength = 0;
    int TotAALength = 0;

    // --- Cell and structure identity ------------------------------------------
    std::string Title;
    std::string OutPath;
    std::string a, b, c, alpha, beta, gamma;
    double va = 0, vb = 0, vc = 0, valpha = 0, vbeta = 0, vgamma = 0;
    double ralpha = 0, rbeta = 0, rgamma = 0;
    std::string spacegroup;
    Matrix3 TM;
    Matrix3 TMT;
    bool SymList = false;
    double StrPosCharge = 0;
    double StrNegCharge = 0;
    std::string Sgn; // scratch outputs of the last charge parse
    std::string Charge;
    std::string StructureFormula;
    std::string ChargeFormula;
    std::string BVSFormula;
    std::string ErrOB;

    // --- Reader data -----------------------------------------------------------
    std::vector<StagingRow> SG1;         // staging table; row 0 is the header row
    std::vector<std::string> ChMemo;     // type-charge list: "symbol oxidation-number"
    std::vector<std::string> SymOpArray; // operators, blanks removed, first "x,y,z"

    // --- Calculation settings ----------------------------------------------------
    double MaxR = 4.0;
    double MaxH = 2.0;
    int ThresOption = 0;
    int EndItOption = 1;
    double Threshold = 0.005;
    double MAPDImprovement = 1.0;
    double MinDih = 170.0;
    double MaxSDist = 0.8;
    int Zone = 0;
    Array1<int, 3> CustomZone;
    bool AutoZone = true;
    bool OB67 = true;
    bool NonIt = false;
    bool VontarIT = false;
    bool OneStepIT = false;
    bool ExZeroW = false;
    bool NearestLimit = false;
    bool IsHydrogen = false;
    bool BondSpLimits = false;
    int BondTypesNr = 0;
    Array1<Array1<std::string, 3>, MaxBondTypes> MaxBondLengths;
    bool CalcBonDAngles = true;
    bool CalcOppBonds = false;
    bool CalcDihAngles = true;
    bool CalcIntLigands = true;
    bool CalcDistCentAtom = true;
    bool Calc32Averages = true;
    bool FirstBondSpecific = true; // rebuild the bond-type table at the next settings dialog

    // --- State flags -------------------------------------------------------------
    bool Calculated = false;
    bool ITModified = false;
    bool RadModified = false;
    bool GotMaxLengths = false;
    bool NoBVS = false;
    bool IsCoordination = false;
    bool FoundRo = false;
    bool HA = false, HC = false, HH = false;
    bool ShowCations = true;
    bool ShowingPolGeom = false;

    // --- Results -------------------------------------------------------------------
    double CDPosCharge = 0, CDNegCharge = 0, DiffMax = 0;
    double DevQXCC = 0, DevQACC = 0, DevQXAC = 0, DevQAAC = 0;
    double devBVSC = 0, devBVSA = 0;
    double GII = 0, GIICat = 0, GIIAn = 0;
    double DevBaurC = 0, DevBrownC = 0, DevBaurA = 0, DevBrownA = 0;
    double EV = 0, CDEV = 0;
    int iterations = 0;
    int maxlenbondAC = 0, maxlensymAC = 0, maxlenlabelAC = 0;
    int maxlenbondAA = 0, maxlenlabelAA = 0, maxlensymAA = 0;
    double timeelapsed1 = 0, timeelapsed2 = 0, timeelapsed3 = 0;

    // --- Manual coordination choices per atom and ligand slot ---------------------
    // Lists 1..n exist once made (MCListOf).
    RecordArray<Array0<std::string, MaxBonds>, MaxAtoms> MCCats;
    RecordArray<Array0<std::string, MaxBonds>, MaxAtoms> MCAns;
    bool ShCations = true;

  private:
    Model() = default;
};

// Clears the coordination, bond and charge fields of the cation records
// 1..TotACLength and the anion records 1..TotAALength (the totals of the
// previous run), keeping identity, position, charge and site fields. Only
// records that exist are touched; the others are blank anyway.
void InitializeRecords(Model& m);

// Clears the asymmetric records 1..AClength and 1..AAlength (those that
// exist).
void AtomRecordClear(Model& m);

// The results of calculations (global indicators, formulas, heteroligand
// flags, report column widths, the opposing-bond message) back to their
// start-up values, so that nothing a report or a record of the next structure
// prints can come from an earlier one. The timings are kept.
void ClearResults(Model& m);

// The largest number of decimals among the asymmetric coordinates, counted
// on their shortest text; 0 when there are no sites.
int Decimals(const Model& m);

// Encloses AtomSymbol of every record in use in "(" and ")".
void ParaSymbols(Model& m);

} // namespace kevo

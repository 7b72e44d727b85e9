// The calculation: turns a loaded structure into results for the side that
// is shown (cation-centred or anion-centred).
#pragma once

#include <string>
#include <string_view>

#include "calc/bond_valence.h"
#include "model/messages.h"
#include "model/model.h"

namespace kevo {

// What the calculation asks of the window (or the batch program) once the
// numbers are there. Every member has a do-nothing default.
class CalculationView {
  public:
    virtual ~CalculationView() = default;
    // Caption of the button that starts the coordination-geometry run.
    virtual void SetPolGeomCaption(std::string_view /*caption*/) {}
    // The state of the "Detailed results" check box.
    virtual bool DetailedResults() const { return true; }
    // Build and show the report with this code: 1 / 2 cation-centred
    // detailed / summary, 3 / 4 anion-centred detailed / summary.
    virtual void ShowReport(int /*code*/) {}
    // The run reached its end: Calculate is disabled, the centring and
    // geometry buttons are enabled.
    virtual void CalculationDone() {}
};

struct CalculationInput {
    // Path of the bond-valence parameter table; empty when none was found.
    std::string bvs_path;
    // Where the table is kept between calculations (the program's, shared by
    // every model); without it the table is read for this calculation.
    BvsTableCache* bvs_tables = nullptr;
};

// Runs the whole calculation on the structure in m for the side given by
// m.ShowCations and times it. Returns true when it completed (Calculated is
// then set). Returns false, with the reason already shown through msg, when
// no structure is loaded, the coordination search failed, the
// bond-valence table could not be read, or some value the reports would show
// is not a finite number (NonFiniteValue; nothing of the run is shown then).
bool Calculate(Model& m, MessageSink& msg, const CalculationInput& input,
               CalculationView* view = nullptr);

// The report code the view shows after a calculation.
int ReportCode(bool show_cations, bool detailed);

} // namespace kevo

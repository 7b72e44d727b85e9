#include "calc/pipeline.h"

#include <chrono>

#include "calc/bond_valence.h"
#include "calc/charge_distribution.h"
#include "calc/coordination.h"
#include "calc/ecoor.h"
#include "calc/finite_values.h"
#include "calc/polyhedra.h"
#include "calc/second_sphere.h"
#include "model/symmetry.h"

namespace kevo {

int ReportCode(bool show_cations, bool detailed) {
    if (show_cations) return detailed ? 1 : 2;
    return detailed ? 3 : 4;
}

bool Calculate(Model& m, MessageSink& msg, const CalculationInput& input, CalculationView* view) {
    CalculationView no_view;
    CalculationView& v = view ? *view : no_view;

    if (m.AClength + m.AAlength == 0) {
        msg.Show("No structure is loaded.");
        return false;
    }

    const auto start = std::chrono::steady_clock::now();
    InitializeRecords(m);
    v.SetPolGeomCaption("Coordination geometry");

    GetDistances(m, msg);
    if (m.IsCoordination) GetGenDistances(m, msg);
    if (!m.IsCoordination) return false;

    Ortho(m);
    FixPolyhedra(m);
    FixBondIndexes(m);
    CalcFormula(m);
    m.NoBVS = false;
    if (!IteratedKevo(m, msg, input.bvs_path, input.bvs_tables)) return false;
    m.ShowingPolGeom = false;

    const int c = m.ShowCations ? 1 : 2;
    GreatIteration(m, c, m.EndItOption, m.VontarIT);
    LoadSiblings(m);
    CalcGlobalInstabilityIndex(m);
    ChargeBalance(m, c);
    Distortions(m);
    CalcChargeFormula(m, c);
    CalcBVSFormula(m);
    CalcMAPD(m, c);
    SecondSphere(m, msg, c);
    LigandsMAPD(m, c);
    // No value that is not a finite number may reach a report.
    if (const std::string where = NonFiniteValue(m); !where.empty()) {
        msg.Show(NonFiniteMessage(where));
        return false;
    }

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (c == 1)
        m.timeelapsed1 = seconds;
    else
        m.timeelapsed2 = seconds;

    v.ShowReport(ReportCode(m.ShowCations, v.DetailedResults()));
    m.Calculated = true;
    v.CalculationDone();
    return true;
}

} // namespace kevo

// Building the charge-distribution report of a report code, as the results
// view asks for it.
#include <stdexcept>

#include "reports/results.h"

namespace kevo {

const ReportLines& LoadResults(Model& m, Results& r, MessageSink& msg, int code, bool omit) {
    // With no correction cycle the iteration line keeps its previous text;
    // the header does not print it then.
    if (m.iterations != 0) r.IterationMethod = IterationMethodText(m);
    switch (code) {
    case 1:
        DetCatList(m, r, msg, omit);
        break;
    case 2:
        ShortCatList(m, r);
        break;
    case 3:
        DetAnList(m, r, msg, omit);
        break;
    case 4:
        ShortAnList(m, r);
        break;
    default:
        throw std::invalid_argument("not a charge-distribution report code");
    }
    return r.List(code);
}

} // namespace kevo

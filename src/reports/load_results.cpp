// Building the report of a report code, as the results view asks for it.
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
    case 5:
        LoadCatBonds(m, r);
        break;
    case 6:
        LoadShortCatBonds(m, r);
        break;
    case 7:
        LoadAnBonds(m, r);
        break;
    case 8:
        LoadShortAnBonds(m, r);
        break;
    default:
        throw std::invalid_argument("report code out of range");
    }
    return r.List(code);
}

} // namespace kevo

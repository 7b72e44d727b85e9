// Formula evaluator on arbitrary text: the parse must never crash, and a
// formula is evaluated only when it parsed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/calc_express.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kevo::TCalcExpress ce;
    ce.init(std::string_view(reinterpret_cast<const char*>(data), size));
    const bool validBefore = ce.Valid();
    ce.SetVariables({"x", "y", "z"});
    // Whether a formula parses does not depend on the variable list.
    if (ce.Valid() != validBefore) __builtin_trap();
    if (ce.Valid()) {
        try {
            (void)ce.calc(std::vector<double>{0.125, -0.5, 0.75}, 2);
        } catch (const kevo::FormulaError&) {
            // a name that is not x, y or z: refused, as intended
        }
    }
    return 0;
}

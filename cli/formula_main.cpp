// Evaluates one symmetry-operator component for given coordinates:
//   kevo21-formula "-x+1/2" 0.25 0 0
#include <cstdio>
#include <string>
#include <vector>

#include "model/calc_express.h"
#include "model/numbers.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fputs("usage: kevo21-formula FORMULA X Y Z\n", stderr);
        return 2;
    }
    std::vector<double> values;
    for (int i = 2; i <= 4; ++i) {
        auto v = kevo::TryStrToFloat(argv[i]);
        if (!v) {
            std::fprintf(stderr, "'%s' is not a number\n", argv[i]);
            return 2;
        }
        values.push_back(*v);
    }
    kevo::TCalcExpress ce;
    ce.init(argv[1]);
    ce.SetVariables({"x", "y", "z"});
    if (!ce.Valid()) {
        std::fprintf(stderr, "'%s' is not a valid formula\n", argv[1]);
        return 1;
    }
    std::string text = kevo::xFloatToStr(ce.calc(values, 2));
    std::printf("%s\n", text.c_str());
    return 0;
}

#include "reports/results.h"

#include <stdexcept>

namespace kevo {

ReportLines& Results::List(int code) {
    switch (code) {
    case 1:
        return Output;
    case 2:
        return Output1;
    case 3:
        return Output2;
    case 4:
        return Output3;
    case 5:
        return Output4;
    case 6:
        return Output5;
    case 7:
        return OutPut6;
    case 8:
        return Output7;
    default:
        throw std::invalid_argument("report code out of range");
    }
}

std::string_view ReportSuffix(int code) {
    switch (code) {
    case 1:
        return "-CC-D.out";
    case 2:
        return "-CC-S.out";
    case 3:
        return "-AC-D.out";
    case 4:
        return "-AC-S.out";
    case 5:
        return "-CC-D.pol";
    case 6:
        return "-CC-S.pol";
    case 7:
        return "-AC-D.pol";
    case 8:
        return "-AC-S.pol";
    default:
        throw std::invalid_argument("report code out of range");
    }
}

} // namespace kevo

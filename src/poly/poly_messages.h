// The fixed sentences of the coordination-geometry run.
#pragma once

#include <string>
#include <string_view>

namespace kevo {

inline std::string FacesLimitMessage(std::string_view label) {
    return "The number of polyhedral faces for " + std::string(label) +
           " exceeds limit. Reduce coordination radius threshold.";
}

inline std::string CentroidFailedMessage(std::string_view label) {
    return "Could not calculate centroid for " + std::string(label);
}

// Three lines; labels are the failed cations joined by ", ".
inline std::string OpposingBondsMessage(std::string_view labels) {
    return "Unable to process opposing bonds of\n" + std::string(labels) +
           ".\nTry adjusting the coordination number.";
}

inline constexpr std::string_view GeometryNeedsCalculationMessage =
    "Calculate the structure before its coordination geometry.";

} // namespace kevo

// The second coordination sphere: for every asymmetric atom of one side, the
// atoms of the same kind (cations around a cation, anions around an anion)
// closer than 5 A, nearest first.
#pragma once

#include <string_view>

#include "model/messages.h"
#include "model/model.h"

namespace kevo {

inline constexpr std::string_view SecondSphereLimitMessage =
    "Second coordination sphere limit exceeded.";

// side 1: the cations AC[1..AClength] among AC[1..TotACLength]; otherwise the
// anions. Every image of a candidate closer than 5 A and farther than MaxSDist
// (cations) or 2e-8 A (anions) is listed, whatever lattice translation places
// it. Entries are ordered by their text "distance x y z label operator
// translation" (numbers with seven decimals), identical entries once. More
// than 50 entries: SecondSphereLimitMessage is shown (once for that atom)
// and the 50 nearest are kept.
void SecondSphere(Model& m, MessageSink& msg, int side);

} // namespace kevo

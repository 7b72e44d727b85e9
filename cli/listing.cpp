#include "listing.h"

#include <algorithm>
#include <array>
#include <vector>

#include "model/cif_reader.h"
#include "model/text.h"
#include "reports/results.h"

namespace kevo {

std::string StructureListing(const Model& m) {
    std::string out;
    out += "Cell: a = " + m.a + "  b = " + m.b + "  c = " + m.c + "  alpha = " + m.alpha +
           "  beta = " + m.beta + "  gamma = " + m.gamma + "\n";
    out += "Space group: " + m.spacegroup + "\n";

    const std::array<std::string, 9> heading = {"No", "Label", "Site", "Charge", "Mult",
                                                "x",  "y",     "z",    "Occ"};
    std::vector<std::array<std::string, 9>> rows = AtomGridRows(m);
    std::array<int, 9> width{};
    for (std::size_t c = 0; c < width.size(); ++c) {
        width[c] = TextLength(heading[c]);
        for (const auto& r : rows)
            width[c] = std::max(width[c], TextLength(r[c]));
    }
    auto line = [&](const std::array<std::string, 9>& r) {
        std::string l = PadLeft(r[0], width[0]);
        for (std::size_t c = 1; c < r.size(); ++c) {
            // Label and site population read left-aligned, numbers right-aligned.
            l += "  ";
            l += (c == 1 || c == 2) ? PadRight(r[c], width[c]) : PadLeft(r[c], width[c]);
        }
        while (!l.empty() && l.back() == ' ')
            l.pop_back();
        return l + "\n";
    };
    out += line(heading);
    for (const auto& r : rows)
        out += line(r);
    return out;
}

} // namespace kevo

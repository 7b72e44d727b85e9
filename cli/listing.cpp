#include "listing.h"

#include <algorithm>
#include <array>
#include <vector>

#include "model/cif_reader.h"

namespace kevo {

std::size_t CharCount(const std::string& s) {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string PadLeftChars(const std::string& s, std::size_t width) {
    std::size_t n = CharCount(s);
    return n >= width ? s : std::string(width - n, ' ') + s;
}

std::string PadRightChars(const std::string& s, std::size_t width) {
    std::size_t n = CharCount(s);
    return n >= width ? s : s + std::string(width - n, ' ');
}

std::string StructureListing(const Model& m) {
    std::string out;
    out += "Cell: a = " + m.a + "  b = " + m.b + "  c = " + m.c + "  alpha = " + m.alpha +
           "  beta = " + m.beta + "  gamma = " + m.gamma + "\n";
    out += "Space group: " + m.spacegroup + "\n";

    const std::array<std::string, 9> heading = {"No", "Label", "Site", "Charge", "Mult",
                                                "x",  "y",     "z",    "Occ"};
    std::vector<std::array<std::string, 9>> rows = AtomGridRows(m);
    std::array<std::size_t, 9> width{};
    for (std::size_t c = 0; c < width.size(); ++c) {
        width[c] = CharCount(heading[c]);
        for (const auto& r : rows)
            width[c] = std::max(width[c], CharCount(r[c]));
    }
    auto line = [&](const std::array<std::string, 9>& r) {
        std::string l = PadLeftChars(r[0], width[0]);
        for (std::size_t c = 1; c < r.size(); ++c) {
            // Label and site population read left-aligned, numbers right-aligned.
            l += "  ";
            l += (c == 1 || c == 2) ? PadRightChars(r[c], width[c]) : PadLeftChars(r[c], width[c]);
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

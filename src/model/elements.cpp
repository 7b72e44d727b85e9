// The element symbols ValidSymbol accepts. The order is the table's own
// (grouped roughly by columns of the periodic system) and is kept as it is:
// Be stands twice (entries 4 and 10), the hydroxyl group OH is entry 120 and
// deuterium is deliberately absent.
#include "model/text.h"

namespace kevo {

const std::array<std::string_view, 120> Elements = {
    "H",  "He", "Li", "Be", "Na", "K",  "Rb", "Cs", "Fr", "Be", // 1-10
    "Mg", "Ca", "Sr", "Ba", "Ra", "Sc", "Y",  "Ti", "Zr", "Hf", // 11-20
    "Rf", "La", "Ac", "V",  "Nb", "Ta", "Db", "Ce", "Th", "Cr", // 21-30
    "Mo", "W",  "Sg", "Pr", "Pa", "Mn", "Tc", "Re", "Bh", "Nd", // 31-40
    "U",  "Fe", "Ru", "Os", "Hs", "Pm", "Np", "Co", "Rh", "Ir", // 41-50
    "Mt", "Sm", "Pu", "Ni", "Pd", "Pt", "Ds", "Eu", "Am", "Cu", // 51-60
    "Ag", "Au", "Rg", "Gd", "Cm", "Zn", "Cd", "Hg", "Cn", "Tb", // 61-70
    "Bk", "B",  "Al", "Ga", "In", "Tl", "Nh", "Dy", "Cf", "C",  // 71-80
    "Si", "Ge", "Sn", "Pb", "Fl", "Ho", "Es", "N",  "P",  "As", // 81-90
    "Sb", "Bi", "Mc", "Er", "Fm", "O",  "S",  "Se", "Te", "Po", // 91-100
    "Lv", "Tm", "Md", "F",  "Cl", "Br", "I",  "At", "Ts", "Yb", // 101-110
    "No", "Ne", "Ar", "Kr", "Xe", "Rn", "Og", "Lu", "Lr", "OH", // 111-120
};

} // namespace kevo

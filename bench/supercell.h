// Generated rock-salt structures of up to 1000 + 1000 records for the
// benchmarks.
#pragma once

#include <string>

#include "model/numbers.h"

namespace kevo::bench {

// A ra x rb x rc supercell of rock salt in P 1 (4 ra rb rc Na and as many
// Cl sites; 5 x 5 x 5 gives 500 + 500), every position shifted a little
// (deterministically) so that bond lengths and weights differ.
inline std::string SupercellCif(int ra = 5, int rb = 5, int rc = 5) {
    const double a = 5.62;
    std::string cif = "data_supercell\n_cell_length_a " + FF("0.0000", a * ra) +
                      "\n_cell_length_b " + FF("0.0000", a * rb) + "\n_cell_length_c " +
                      FF("0.0000", a * rc) +
                      "\n_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n"
                      "_symmetry_space_group_name_H-M 'P 1'\n"
                      "loop_\n_symmetry_equiv_pos_as_xyz\n'x, y, z'\n"
                      "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n"
                      "_atom_site_fract_y\n_atom_site_fract_z\n_atom_site_occupancy\n";
    unsigned seed = 12345;
    auto jitter = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (static_cast<double>((seed >> 16) & 0x7fff) / 32768.0 - 0.5) * 0.004;
    };
    const double base[4][3] = {{0, 0, 0}, {0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}};
    int na = 0, cl = 0;
    for (int i = 0; i < ra; ++i)
        for (int j = 0; j < rb; ++j)
            for (int k = 0; k < rc; ++k)
                for (const auto& b : base) {
                    double x = (i + b[0]) / ra, y = (j + b[1]) / rb, z = (k + b[2]) / rc;
                    cif += "Na" + IntToStr(++na) + " Na1+ " + FF("0.00000", x + jitter()) + " " +
                           FF("0.00000", y + jitter()) + " " + FF("0.00000", z + jitter()) + " 1\n";
                    x += 0.5 / ra;
                    cif += "Cl" + IntToStr(++cl) + " Cl1- " + FF("0.00000", x + jitter()) + " " +
                           FF("0.00000", y + jitter()) + " " + FF("0.00000", z + jitter()) + " 1\n";
                }
    return cif;
}

} // namespace kevo::bench

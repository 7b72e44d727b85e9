// Time of the whole calculation, both orientations, on a generated P 1
// structure with 1000 records (500 cations, 500 anions) and on every example.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/numbers.h"

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

void Print(const std::string& s) {
    std::fputs(s.c_str(), stdout);
}

// A 5 x 5 x 5 supercell of rock salt in P 1, every position shifted a little
// (deterministically) so that bond lengths and weights differ.
std::string SupercellCif() {
    const int n = 5;
    const double a = 5.62 * n;
    std::string cif = "data_supercell\n_cell_length_a " + kevo::FF("0.0000", a) +
                      "\n_cell_length_b " + kevo::FF("0.0000", a) + "\n_cell_length_c " +
                      kevo::FF("0.0000", a) +
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
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k)
                for (const auto& b : base) {
                    double x = (i + b[0]) / n, y = (j + b[1]) / n, z = (k + b[2]) / n;
                    cif += "Na" + kevo::IntToStr(++na) + " Na1+ " +
                           kevo::FF("0.00000", x + jitter()) + " " +
                           kevo::FF("0.00000", y + jitter()) + " " +
                           kevo::FF("0.00000", z + jitter()) + " 1\n";
                    x += 0.5 / n;
                    cif += "Cl" + kevo::IntToStr(++cl) + " Cl1- " +
                           kevo::FF("0.00000", x + jitter()) + " " +
                           kevo::FF("0.00000", y + jitter()) + " " +
                           kevo::FF("0.00000", z + jitter()) + " 1\n";
                }
    return cif;
}

void Run(kevo::Model& m, const std::string& name, const std::string& text,
         const std::string& path) {
    kevo::RecordingSink msg;
    auto t = std::chrono::steady_clock::now();
    bool ok =
        text.empty() ? kevo::ReadCifFile(path, m, msg) : kevo::ReadCifText(text, path, m, msg);
    const double read = Ms(t);
    if (!ok) {
        Print(name + ": not read\n");
        return;
    }
    const std::string bvs = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    double calc[2] = {0, 0};
    for (int c = 0; c < 2; ++c) {
        m.ShowCations = c == 0;
        t = std::chrono::steady_clock::now();
        ok = kevo::Calculate(m, msg, {bvs});
        calc[c] = Ms(t);
        if (!ok)
            Print(name + ": calculation failed: " + (msg.texts.empty() ? "" : msg.texts.back()) +
                  "\n");
    }
    Print(name + ": records " + kevo::IntToStr(m.AClength + m.GACLength) + " + " +
          kevo::IntToStr(m.AAlength + m.GAALength) + ", read " + kevo::FF("0.0", read) +
          " ms, cation-centred " + kevo::FF("0.0", calc[0]) + " ms, anion-centred " +
          kevo::FF("0.0", calc[1]) + " ms\n");
}

} // namespace

int main() {
    auto m = kevo::Model::Create();
    Run(*m, "P 1 supercell (500 Na + 500 Cl)", SupercellCif(), "supercell.cif");
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(KEVO_SOURCE_DIR "/examples"))
        if (e.path().extension() == ".cif") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    for (const auto& f : files)
        Run(*m, std::filesystem::path(f).filename().string(), "", f);
    return 0;
}

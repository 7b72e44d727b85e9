// Time of the coordination-geometry run (faces, volumes, fitted sphere,
// ideal polyhedra, dihedral angles; opposing bonds and 123-45 averages for
// the cations), both sides, on a generated P 1 structure with 1000 records
// (500 cations, 500 anions) at coordination radii of 4 and 5 A, and on every
// example at 4 A.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/numbers.h"
#include "poly/geometry.h"
#include "supercell.h"

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

void Print(const std::string& s) {
    std::fputs(s.c_str(), stdout);
}

// The largest coordination number among the central atoms of a side.
int MaxCoor(const kevo::Model& m, int side) {
    int most = 0;
    const int n = side == 1 ? m.AClength : m.AAlength;
    for (int i = 1; i <= n; ++i)
        most = std::max(most, (side == 1 ? m.AC : m.AA)[i].Coor);
    return most;
}

void Run(kevo::Model& m, const std::string& name, const std::string& text, const std::string& path,
         double radius) {
    kevo::RecordingSink msg;
    const bool ok =
        text.empty() ? kevo::ReadCifFile(path, m, msg) : kevo::ReadCifText(text, path, m, msg);
    if (!ok) {
        Print(name + ": not read\n");
        return;
    }
    m.MaxR = radius;
    m.CalcOppBonds = true;
    const std::string bvs = KEVO_SOURCE_DIR "/data/bvsparm.cif";
    std::string line = name + " at " + kevo::FF("0.0", radius) + " A:";
    for (int side : {1, 2}) {
        m.ShowCations = side == 1;
        if (!kevo::Calculate(m, msg, {bvs})) {
            Print(name + ": calculation failed\n");
            return;
        }
        // Best of three runs.
        double best = 1e300;
        for (int k = 0; k < 3; ++k) {
            const auto t = std::chrono::steady_clock::now();
            kevo::Bonds1Click(m, msg, side);
            best = std::min(best, Ms(t));
        }
        const int centres = side == 1 ? m.AClength : m.AAlength;
        line += std::string(side == 1 ? " cations " : ", anions ") + kevo::IntToStr(centres) +
                " (CN up to " + kevo::IntToStr(MaxCoor(m, side)) + ") " + kevo::FF("0.00", best) +
                " ms";
    }
    Print(line + "\n");
}

} // namespace

int main() {
    auto m = kevo::Model::Create();
    for (double radius : {4.0, 5.0})
        Run(*m, "P 1 supercell (500 Na + 500 Cl)", kevo::bench::SupercellCif(), "supercell.cif",
            radius);
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(KEVO_SOURCE_DIR "/examples"))
        if (e.path().extension() == ".cif") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    for (const auto& f : files)
        Run(*m, std::filesystem::path(f).filename().string(), "", f, 4.0);
    return 0;
}

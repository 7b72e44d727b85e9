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
#include "supercell.h"

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

void Print(const std::string& s) {
    std::fputs(s.c_str(), stdout);
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
    Run(*m, "P 1 supercell (500 Na + 500 Cl)", kevo::bench::SupercellCif(), "supercell.cif");
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(KEVO_SOURCE_DIR "/examples"))
        if (e.path().extension() == ".cif") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    for (const auto& f : files)
        Run(*m, std::filesystem::path(f).filename().string(), "", f);
    return 0;
}

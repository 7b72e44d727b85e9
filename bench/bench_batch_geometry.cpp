// What --geometry adds to the batch program, against the charge distribution
// of both sides, on every example and on the generated P 1 structure of 1000
// records: the charge distribution of both sides (Calculate twice), the
// geometry of both sides (Bonds1Click, its four reports and its CSV lines),
// and the whole file with and without --geometry (reading, calculating,
// reports, files written to /dev/shm where it exists). Medians of repeated
// runs, in ms.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "batch.h"
#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/numbers.h"
#include "poly/geometry.h"
#include "reports/csv.h"
#include "reports/results.h"
#include "supercell.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Print(const std::string& s) {
    std::fputs(s.c_str(), stdout);
}

template <class F> double Median(int runs, F&& f) {
    std::vector<double> t;
    for (int k = 0; k < runs; ++k) {
        const auto start = Clock::now();
        f();
        t.push_back(Ms(start));
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

const std::string kBvs = KEVO_SOURCE_DIR "/data/bvsparm.cif";

void Run(const std::string& name, const std::string& path, int runs) {
    auto m = kevo::Model::Create();
    kevo::RecordingSink msg;
    if (!kevo::ReadCifFile(path, *m, msg)) {
        Print(name + ": not read\n");
        return;
    }
    const double charge = Median(runs, [&] {
        for (bool cations : {true, false}) {
            m->ShowCations = cations;
            kevo::Calculate(*m, msg, {kBvs});
        }
    });
    // The run and the reports of both sides, each a median of its own.
    std::vector<double> runT, reportT;
    for (int k = 0; k < runs; ++k) {
        double run = 0, report = 0;
        for (bool cations : {true, false}) {
            m->ShowCations = cations;
            kevo::Calculate(*m, msg, {kBvs});
            auto start = Clock::now();
            kevo::Bonds1Click(*m, msg, cations ? 1 : 2);
            run += Ms(start);
            start = Clock::now();
            kevo::Results r;
            for (int code : cations ? std::vector<int>{5, 6} : std::vector<int>{7, 8})
                kevo::LoadResults(*m, r, msg, code, false);
            kevo::PolGeomCsvLines(*m, cations ? 1 : 2, ',');
            if (cations) {
                kevo::OppBondsCsvLines(*m, ',');
                kevo::Averages123_45CsvLines(*m, ',');
            }
            report += Ms(start);
        }
        runT.push_back(run);
        reportT.push_back(report);
    }
    std::sort(runT.begin(), runT.end());
    std::sort(reportT.begin(), reportT.end());
    const double run = runT[runT.size() / 2], reports = reportT[reportT.size() / 2];
    // Files go to memory where there is a memory file system, so that the
    // figures are the program's and not the disk's.
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path out = base / "kevo-bench-batch-geometry";
    fs::create_directories(out);
    kevo::BatchSettings plain;
    plain.bvs_path = kBvs;
    plain.out_dir = out.string();
    kevo::BatchSettings with = plain;
    with.geometry = true;
    const double file = Median(runs, [&] { kevo::ProcessFile(path, plain, *m); });
    const double fileGeometry = Median(runs, [&] { kevo::ProcessFile(path, with, *m); });
    fs::remove_all(out);
    Print(name + ": charge distribution, both sides " + kevo::FF("0.00", charge) +
          " ms; geometry, both sides: run " + kevo::FF("0.00", run) + " ms, reports " +
          kevo::FF("0.00", reports) + " ms; whole file " + kevo::FF("0.00", file) +
          " ms, with --geometry " + kevo::FF("0.00", fileGeometry) + " ms (+" +
          kevo::FF("0.00", fileGeometry - file) + " ms)\n");
}

} // namespace

int main() {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(KEVO_SOURCE_DIR "/examples"))
        if (e.path().extension() == ".cif") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    for (const auto& f : files)
        Run(fs::path(f).filename().string(), f, 21);
    const fs::path supercell = fs::temp_directory_path() / "kevo-bench-supercell.cif";
    {
        std::FILE* f = std::fopen(supercell.string().c_str(), "wb");
        if (f == nullptr) return 1;
        const std::string text = kevo::bench::SupercellCif();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    Run("P 1 supercell (500 Na + 500 Cl)", supercell.string(), 3);
    fs::remove(supercell);
    return 0;
}

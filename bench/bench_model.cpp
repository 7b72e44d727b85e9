// Memory of the structure model and the time to create and reset it: the
// empty model, a model holding forsterite (28 records) or the largest P 1
// structure (1000 + 1000 records) after both calculations, and the resets of
// 2 x 1000 records with every bond slot filled. Memory is what the heap holds
// (glibc's mallinfo2) with the model, against without it.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "calc/bond_valence.h"
#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/model.h"
#include "model/numbers.h"
#include "supercell.h"

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

void Print(const std::string& what, double value, const char* unit) {
    std::string line = what + ": " + kevo::FF("0.00", value) + " " + unit + "\n";
    std::fputs(line.c_str(), stdout);
}

double HeapMiB() {
    const struct mallinfo2 mi = mallinfo2();
    return static_cast<double>(mi.uordblks + mi.hblkhd) / (1024.0 * 1024.0);
}

// Heap of a model that read text (or the file at path) and calculated both
// orientations.
void Holding(const std::string& name, const std::string& text, const std::string& path,
             const kevo::CalculationInput& input) {
    const double before = HeapMiB();
    auto m = kevo::Model::Create();
    kevo::RecordingSink msg;
    const bool read =
        text.empty() ? kevo::ReadCifFile(path, *m, msg) : kevo::ReadCifText(text, path, *m, msg);
    if (!read) {
        Print(name + ": not read", 0, "");
        return;
    }
    for (bool cations : {true, false}) {
        m->ShowCations = cations;
        kevo::Calculate(*m, msg, input);
    }
    Print("model holding " + name + " (" + std::to_string(m->AC.size()) + " + " +
              std::to_string(m->AA.size()) + " records)",
          HeapMiB() - before, "MiB");
}

} // namespace

int main() {
    using kevo::MaxAtoms;
    using kevo::MaxBonds;
    Print("sizeof(TAtoms)", sizeof(kevo::TAtoms) / 1024.0, "KiB");
    Print("sizeof(Model)", sizeof(kevo::Model) / 1024.0, "KiB");

    double create = 1e9;
    for (int k = 0; k < 100; ++k) {
        const auto t = std::chrono::steady_clock::now();
        auto m = kevo::Model::Create();
        create = std::min(create, Ms(t));
    }
    Print("Model::Create (best of 100)", create * 1000, "us");
    {
        const double before = HeapMiB();
        auto m = kevo::Model::Create();
        Print("empty model", HeapMiB() - before, "MiB");
    }

    const kevo::CalculationInput input{KEVO_SOURCE_DIR "/data/bvsparm.cif"};
    Holding("forsterite", "", KEVO_SOURCE_DIR "/examples/forsterite_Mg2SiO4_AMCSD0000546.cif",
            input);
    Holding("P 1 supercell", kevo::bench::SupercellCif(5, 5, 10), "supercell.cif", input);

    // Worst case: every record in use with every bond slot filled.
    auto m = kevo::Model::Create();
    auto t = std::chrono::steady_clock::now();
    m->AC.Ensure(MaxAtoms);
    m->AA.Ensure(MaxAtoms);
    Print("making 2 x 1000 records", Ms(t), "ms");
    m->AClength = m->AAlength = MaxAtoms;
    m->TotACLength = m->TotAALength = MaxAtoms;
    for (int i = 1; i <= MaxAtoms; ++i)
        for (kevo::TAtoms* r : {&m->AC[i], &m->AA[i]}) {
            r->Atomlabel = "Label_long_enough_to_allocate";
            r->Coor = MaxBonds;
            for (int k = 1; k <= MaxBonds; ++k) {
                r->BondingAtoms[k] = "Ligand_label_long_enough";
                r->BW[k] = 1;
            }
        }

    t = std::chrono::steady_clock::now();
    kevo::InitializeRecords(*m);
    Print("InitializeRecords (2 x 1000 records, 50 bonds)", Ms(t), "ms");

    t = std::chrono::steady_clock::now();
    kevo::AtomRecordClear(*m);
    Print("AtomRecordClear (2 x 1000 records)", Ms(t), "ms");

    t = std::chrono::steady_clock::now();
    for (int i = 1; i <= MaxAtoms; ++i) {
        m->AC[i].Reset();
        m->AA[i].Reset();
    }
    Print("Reset of all 2 x 1000 records", Ms(t), "ms");
    return 0;
}

// Memory of the structure model and the time to create and reset it.
#include <chrono>
#include <cstdio>
#include <string>

#include "model/model.h"
#include "model/numbers.h"

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

void Print(const char* what, double value, const char* unit) {
    std::string line = std::string(what) + ": " + kevo::FF("0.00", value) + " " + unit + "\n";
    std::fputs(line.c_str(), stdout);
}

} // namespace

int main() {
    using kevo::MaxAtoms;
    using kevo::MaxBonds;
    Print("sizeof(TAtoms)", sizeof(kevo::TAtoms) / 1024.0, "KiB");
    Print("sizeof(Model)", sizeof(kevo::Model) / (1024.0 * 1024.0), "MiB");

    auto t = std::chrono::steady_clock::now();
    auto m = kevo::Model::Create();
    Print("Model::Create", Ms(t), "ms");

    // Worst case: every record in use with every bond slot filled.
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

// Time of the symmetry expansion on large cells: GenerateAtoms,
// CalcMultiplicities and LoadGeneratedRecords on sites at general positions
// in Fm-3m (192 operators) and P4/mmm (16 operators). Each case also runs a
// plain version of the expansion (operators parsed for every atom, every
// staging row compared as text and by distance) and checks that both give
// the same staging table.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "model/calc_express.h"
#include "model/messages.h"
#include "model/model.h"
#include "model/numbers.h"
#include "model/symmetry.h"
#include "model/text.h"

namespace {

using namespace kevo;

// The operators of a point group made of signed permutations of x, y, z,
// combined with the given centring translations. permuteZ false keeps z in
// the third place (tetragonal groups). The first operator is x,y,z.
std::vector<std::string> Operators(bool permuteZ, const std::vector<std::string>& centring) {
    constexpr std::array<std::array<int, 3>, 6> Perms{
        {{0, 1, 2}, {1, 0, 2}, {0, 2, 1}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};
    const char* names[] = {"x", "y", "z"};
    std::vector<std::string> ops;
    for (const std::string& t : centring) {
        for (const auto& p : Perms) {
            if (!permuteZ && p[2] != 2) continue;
            for (int signs = 0; signs < 8; ++signs) {
                std::string op;
                for (int c = 0; c < 3; ++c) {
                    if (c > 0) op += ",";
                    if (signs & (1 << c)) op += "-";
                    op += names[p[static_cast<std::size_t>(c)]];
                    const std::string shift = GetCol(",", t, c);
                    if (shift != "0") op += "+" + shift;
                }
                ops.push_back(op);
            }
        }
    }
    return ops;
}

// Deterministic coordinates with 4 decimals.
struct Lcg {
    std::uint32_t state = 12345;
    std::string Next() {
        state = state * 1664525u + 1013904223u;
        const int n = static_cast<int>((state >> 8) % 10000u);
        return FF("0.0000", n / 10000.0);
    }
};

// The staging table and the records as the reader leaves them: cations (Mg,
// +2) first, then anions (O, -2).
void Load(Model& m, int cations, int anions, const std::vector<std::string>& ops) {
    m.a = m.b = m.c = "12";
    m.alpha = m.beta = m.gamma = "90";
    PrepareUnitCell(m);
    TransformationMatrix(m);
    m.SG1.assign(1, StagingRow{});
    m.AClength = cations;
    m.AAlength = anions;
    m.GACLength = m.GAALength = 0;
    m.AC.Ensure(cations);
    m.AA.Ensure(anions);
    Lcg rnd;
    for (int i = 1; i <= cations + anions; ++i) {
        const bool anion = i > cations;
        StagingRow row{};
        row[1] = (anion ? "O" : "Mg") + IntToStr(anion ? i - cations : i);
        row[2] = anion ? "1.000.O" : "1.000.Mg";
        row[3] = anion ? "-2.000" : "2.000";
        row[5] = rnd.Next();
        row[6] = rnd.Next();
        row[7] = rnd.Next();
        row[8] = "1.000";
        row[9] = anion ? "O  -2 1.000" : "Mg 2 1.000";
        row[11] = anion ? "O" : "Mg";
        m.SG1.push_back(row);
        TAtoms& r = anion ? m.AA[i - cations] : m.AC[i];
        r.Atomlabel = row[1];
        r.symbol = row[2];
        r.effcharge = anion ? -2 : 2;
        r.RoString = row[9];
        r.SymOp = "x,y,z";
        r.SymTrans = "0,0,0";
        r.X = xStrToFloat(row[5]);
        r.Y = xStrToFloat(row[6]);
        r.Z = xStrToFloat(row[7]);
        r.occupancy = 1;
        r.AtomSymbol = row[11];
    }
    m.SymOpArray = ops;
}

// True when two positions (coordinate texts) lie within 0.01 A of each
// other, trying the 27 translations around them (enough in these cells).
bool PlainNear(const Model& m, const std::array<std::string, 5>& row,
               const std::array<std::string, 3>& t) {
    for (int t1 = -1; t1 <= 1; ++t1)
        for (int t2 = -1; t2 <= 1; ++t2)
            for (int t3 = -1; t3 <= 1; ++t3) {
                double cx = 0, cy = 0, cz = 0;
                ToCartesian(m, xStrToFloat(t[0]) - xStrToFloat(row[1]) - t1,
                            xStrToFloat(t[1]) - xStrToFloat(row[2]) - t2,
                            xStrToFloat(t[2]) - xStrToFloat(row[3]) - t3, cx, cy, cz);
                if (std::sqrt(cx * cx + cy * cy + cz * cz) < 0.01) return true;
            }
    return false;
}

// The expansion done the plain way, on texts: every operator component parsed
// for every atom, every candidate compared as text with every row, and by
// Cartesian distance. Returns the appended rows' label, coordinates and
// operator.
std::vector<std::array<std::string, 5>> PlainImages(const Model& m) {
    std::vector<std::array<std::string, 5>> rows;
    for (int i = 1; i < static_cast<int>(m.SG1.size()); ++i) {
        const StagingRow& r = m.SG1[static_cast<std::size_t>(i)];
        rows.push_back({r[1], r[5], r[6], r[7], r[3]});
    }
    const std::size_t sites = rows.size();
    int nd = 1;
    for (const auto& r : rows)
        for (int c = 1; c <= 3; ++c)
            nd = std::max(nd, CoordDecimals(r[static_cast<std::size_t>(c)]));
    std::string fmt;
    DecForm(nd, fmt);
    TCalcExpress ce;
    auto expand = [&](const TAtoms& a, bool anion) {
        for (std::size_t j = 1; j < m.SymOpArray.size(); ++j) {
            const std::string& op = m.SymOpArray[j];
            std::array<std::string, 3> t;
            for (int c = 0; c < 3; ++c) {
                const std::string comp = GetCol(",", op, c);
                std::vector<std::string> names;
                std::vector<std::string> texts;
                const double own[] = {a.X, a.Y, a.Z};
                const char* n[] = {"x", "y", "z"};
                for (int k = 0; k < 3; ++k)
                    if (comp.find(n[k]) != std::string::npos) {
                        names.emplace_back(n[k]);
                        texts.push_back(xFloatToStr(own[k]));
                    }
                ce.init(comp);
                ce.SetVariables(names);
                std::vector<double> values;
                for (const auto& s : texts)
                    values.push_back(xStrToFloat(s));
                const double v = std::fmod(ce.calc(values, 2) + 3, 1);
                t[static_cast<std::size_t>(c)] = FF(fmt, v);
                if (t[static_cast<std::size_t>(c)] == "1." + std::string(std::size_t(nd), '0'))
                    t[static_cast<std::size_t>(c)] = FF(fmt, 0);
            }
            bool seen = false;
            for (const auto& r : rows) {
                if (anion && r[4].find('-') == std::string::npos) continue;
                bool same = true;
                for (int c = 0; c < 3 && same; ++c)
                    same = EqualCoords(r[static_cast<std::size_t>(c) + 1].substr(0, 7),
                                       t[static_cast<std::size_t>(c)].substr(0, 7));
                if (same || PlainNear(m, r, t)) {
                    seen = true;
                    break;
                }
            }
            if (!seen) rows.push_back({"*" + a.Atomlabel, t[0], t[1], t[2], anion ? "-" : "+"});
        }
    };
    for (int i = 1; i <= m.AClength; ++i)
        expand(m.AC[i], false);
    for (int i = 1; i <= m.AAlength; ++i)
        expand(m.AA[i], true);
    rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(sites));
    return rows;
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Run(const char* name, int cations, int anions, const std::vector<std::string>& ops,
         bool compare) {
    auto m = Model::Create();
    RecordingSink msg;
    constexpr int Runs = 5;
    std::vector<double> times, generate, load;
    bool ok = false;
    for (int run = 0; run < Runs; ++run) {
        Load(*m, cations, anions, ops);
        const auto t0 = std::chrono::steady_clock::now();
        ok = GenerateAtoms(*m, msg);
        const auto t1 = std::chrono::steady_clock::now();
        if (ok) {
            CalcMultiplicities(*m);
            LoadGeneratedRecords(*m);
        }
        const auto t2 = std::chrono::steady_clock::now();
        times.push_back(Ms(t2 - t0));
        generate.push_back(Ms(t1 - t0));
        load.push_back(Ms(t2 - t1));
    }
    for (auto* v : {&times, &generate, &load})
        std::sort(v->begin(), v->end());
    std::printf("%s: %d operators, %d + %d sites -> %s, images %d cations + %d anions; "
                "best %s ms, median %s ms (GenerateAtoms %s, multiplicities + loading %s)\n",
                name, static_cast<int>(ops.size()), cations, anions, ok ? "expanded" : "refused",
                m->GACLength, m->GAALength, FF("0.00", times.front()).c_str(),
                FF("0.00", times[Runs / 2]).c_str(), FF("0.00", generate[Runs / 2]).c_str(),
                FF("0.00", load[Runs / 2]).c_str());
    if (!compare || !ok) return;

    const int gac = m->GACLength, gaa = m->GAALength;
    std::vector<StagingRow> table = m->SG1;
    Load(*m, cations, anions, ops);
    const auto t0 = std::chrono::steady_clock::now();
    const auto plain = PlainImages(*m);
    const double plainMs = Ms(std::chrono::steady_clock::now() - t0);
    bool same = plain.size() == static_cast<std::size_t>(gac + gaa);
    for (std::size_t i = 0; same && i < plain.size(); ++i) {
        const StagingRow& r = table[static_cast<std::size_t>(cations + anions + 1) + i];
        same = r[1] == plain[i][0] && r[5] == plain[i][1] && r[6] == plain[i][2] &&
               r[7] == plain[i][3];
    }
    std::printf("  plain version (operators parsed per atom, rows compared as text and by "
                "distance): %s ms, "
                "same images: %s\n",
                FF("0.00", plainMs).c_str(), same ? "yes" : "NO");
}

} // namespace

int main() {
    const auto fm3m = Operators(true, {"0,0,0", "0,1/2,1/2", "1/2,0,1/2", "1/2,1/2,0"});
    const auto p4mmm = Operators(false, {"0,0,0"});
    Run("Fm-3m, 10 general sites", 5, 5, fm3m, true);
    Run("P4/mmm, 100 general sites", 50, 50, p4mmm, true);
    Run("Fm-3m, 100 general sites (over capacity)", 50, 50, fm3m, false);
    return 0;
}

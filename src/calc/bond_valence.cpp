#include "calc/bond_valence.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "calc/bvs_file.h"
#include "calc/charge_distribution.h"
#include "calc/coordination.h"
#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

namespace {

// One species of a species list ("Fe 3 0.500", "O  -2 1.000").
struct Species {
    std::string symbol;
    std::string charge; // oxidation number text, with its sign for anions
    double occupancy = 0;
};

// The fields of s separated by runs of blanks, leading and trailing blanks
// ignored.
std::vector<std::string_view> BlankFields(std::string_view s) {
    std::vector<std::string_view> fields;
    std::size_t p = 0;
    while (p < s.size()) {
        while (p < s.size() && s[p] == ' ')
            ++p;
        if (p == s.size()) break;
        std::size_t q = s.find(' ', p);
        if (q == std::string_view::npos) q = s.size();
        fields.push_back(s.substr(p, q - p));
        p = q;
    }
    return fields;
}

int CountSpecies(std::string_view list) {
    return static_cast<int>(std::count(list.begin(), list.end(), ',')) + 1;
}

// The species of a list joined by ",": symbol (field 0), oxidation number
// (field 1) and occupancy (field 2) of each, cut with GetCol at blanks (so a
// species with fewer fields repeats its last one). An occupancy that is not
// a number counts as 0.
std::vector<Species> SplitSpecies(std::string_view list) {
    std::vector<Species> species;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string part(list.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        Species s;
        s.symbol = GetCol(" ", part, 0);
        s.charge = GetCol(" ", part, 1);
        s.occupancy = TryStrToFloat(GetCol(" ", part, 2)).value_or(0.0);
        species.push_back(std::move(s));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return species;
}

// The parameters of key, each key searched in the table only once per
// calculation (the table does not change, so the first match stays the
// same).
class MemoLookup {
  public:
    explicit MemoLookup(const BvsTable& table) : table_(table) {}
    std::optional<BvsParameters> operator()(const std::string& key) {
        auto it = found_.find(key);
        if (it == found_.end()) it = found_.emplace(key, table_.Lookup(key)).first;
        return it->second;
    }

  private:
    const BvsTable& table_;
    std::unordered_map<std::string, std::optional<BvsParameters>> found_;
};

// Bond valences of one asymmetric atom.
void AtomBondValences(Model& m, TAtoms& a, bool cation, MemoLookup& lookup) {
    a.HasBVS = true;
    a.RoSearch.clear();
    std::string first_missing;
    const std::vector<Species> own = SplitSpecies(a.RoString);
    const int coor = std::clamp(a.Coor, 0, MaxBonds);
    double total = 0;
    for (int j = 1; j <= coor; ++j) {
        const std::vector<Species> partner = SplitSpecies(a.BondBVS[j]);
        const double R = a.Dist[j];
        double s = 0;
        double occupancy_sum = 0;
        double ro_sum = 0;
        double b_sum = 0;
        a.deltaBVS[j] = 0;
        a.effRo[j] = 0;
        a.effB[j] = 0;
        // The central atom's own species are the outer loop.
        for (const Species& h : own) {
            for (const Species& k : partner) {
                const Species& c = cation ? h : k;
                const Species& x = cation ? k : h;
                const std::string key = BvsSearchKey(c.symbol, c.charge, x.symbol, x.charge);
                a.RoSearch = key;
                std::optional<BvsParameters> p;
                if (!c.symbol.empty() && !x.symbol.empty()) p = lookup(key);
                m.FoundRo = p.has_value();
                if (!p) {
                    a.HasBVS = false;
                    if (first_missing.empty()) first_missing = key;
                    break; // the other partner species of this outer species
                }
                const double oo = h.occupancy * k.occupancy;
                s += oo * std::exp((p->Ro - R) / p->B);
                if (cation) {
                    if (h.occupancy != 0 && k.occupancy != 0) occupancy_sum += oo;
                    ro_sum += oo * p->Ro;
                    b_sum += oo * p->B;
                    // Without occupancy (all zero) the pair's own values.
                    a.effRo[j] = occupancy_sum != 0 ? ro_sum / occupancy_sum : p->Ro;
                    a.effB[j] = occupancy_sum != 0 ? b_sum / occupancy_sum : p->B;
                } else {
                    a.effRo[j] = p->Ro;
                    a.effB[j] = p->B;
                }
                a.deltaBVS[j] = s;
            }
        }
        total += s;
    }
    // Slots no longer in use (after the exclusion of zero-weight bonds) keep
    // nothing from an earlier calculation.
    for (int j = coor + 1; j <= MaxBonds; ++j) {
        a.deltaBVS[j] = 0;
        a.effRo[j] = 0;
        a.effB[j] = 0;
    }
    a.BVS = total;
    if (!a.HasBVS) {
        a.RoSearch = first_missing;
        m.NoBVS = true;
        return;
    }
    // Expected lengths: the length that gives each bond its share of the
    // formal charge. Undefined (stored as 0) for a bond without valence or
    // an atom without charge or bond valence sum.
    const double q = std::fabs(a.effcharge);
    for (int j = 1; j <= coor; ++j) {
        const double share = a.BVS > 0 ? a.deltaBVS[j] * q / a.BVS : 0;
        a.ExpDist[j] = share > 0 ? a.effRo[j] - a.effB[j] * std::log(share) : 0;
    }
}

// The label of a site with too many species, or empty when every site of
// the bond-valence step is within the bound.
std::string SiteWithTooManySpecies(const Model& m) {
    auto check = [](const TAtoms& a) -> std::string {
        if (CountSpecies(a.RoString) > MaxSiteSpecies) return a.Atomlabel;
        for (int j = 1; j <= std::clamp(a.Coor, 0, MaxBonds); ++j)
            if (CountSpecies(a.BondBVS[j]) > MaxSiteSpecies) return Star(a.BondingAtoms[j]);
        return {};
    };
    for (int i = 1; i <= std::clamp(m.AClength, 0, MaxAtoms); ++i)
        if (auto label = check(m.AC[i]); !label.empty()) return label;
    for (int i = 1; i <= std::clamp(m.AAlength, 0, MaxAtoms); ++i)
        if (auto label = check(m.AA[i]); !label.empty()) return label;
    return {};
}

// |(|q| - |X|) / |q||, 0 for a site without formal charge.
double Deviation(double q, double x) {
    if (q == 0) return 0;
    return std::fabs((std::fabs(q) - x) / std::fabs(q));
}

// 100 x sum / count, 0 for no atoms.
double Percent(double sum, int count) {
    return count > 0 ? 100.0 * sum / count : 0;
}

double Mean(double sum, int count) {
    return count > 0 ? sum / count : 0;
}

} // namespace

std::string BvsFileErrorMessage(std::string_view path) {
    return "Cannot open the bond-valence parameter file " +
           std::string(path.empty() ? std::string_view(BvsFileName) : path) + ".";
}

std::string BvsNoParametersMessage(std::string_view path) {
    return "The bond-valence parameter file " + std::string(path) + " holds no parameter lines.";
}

std::string TooManySpeciesMessage(std::string_view label) {
    return "Maximum number of species per site exceeded for " + std::string(label) + ".";
}

BvsTable BvsTable::FromText(std::string_view text) {
    BvsTable table;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '\r' || ch == '\n') {
            table.lines_.push_back(std::move(line));
            line.clear();
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line.push_back(ch == '\t' ? ' ' : ch); // tabs count as blanks
        }
    }
    if (!line.empty()) table.lines_.push_back(std::move(line));
    return table;
}

int BvsTable::FindLine(std::string_view key) const {
    for (std::size_t i = BvsFirstDataLine; i < lines_.size(); ++i)
        if (lines_[i].find(key) != std::string::npos) return static_cast<int>(i);
    return -1;
}

namespace {

// R0 and b of a table line, when fields 5 and 6 hold usable values.
std::optional<BvsParameters> LineParameters(std::string_view line) {
    const auto fields = BlankFields(line);
    if (fields.size() < 6) return std::nullopt;
    const auto ro = TryStrToFloat(fields[4]);
    const auto b = TryStrToFloat(fields[5]);
    // Absurd values would give valences that overflow or vanish.
    if (!ro || !b || !(*ro > MinRo && *ro < MaxRo) || !(*b > MinB && *b < MaxB))
        return std::nullopt;
    return BvsParameters{*ro, *b};
}

} // namespace

std::optional<BvsParameters> BvsTable::Lookup(std::string_view key) const {
    const int line = FindLine(key);
    if (line < 0) return std::nullopt;
    return LineParameters(lines_[static_cast<std::size_t>(line)]);
}

bool BvsTable::HasParameterLines() const {
    for (std::size_t i = BvsFirstDataLine; i < lines_.size(); ++i)
        if (LineParameters(lines_[i])) return true;
    return false;
}

std::optional<BvsTable> ReadBvsTable(const std::string& path) {
    const std::optional<std::string> text = ReadRegularFile(path);
    if (!text) return std::nullopt;
    return BvsTable::FromText(*text);
}

std::string BvsSearchKey(std::string_view cation_symbol, std::string_view cation_charge,
                         std::string_view anion_symbol, std::string_view anion_charge) {
    return PadRight(cation_symbol, 3) + PadRight(cation_charge, 4) + PadRight(anion_symbol, 3) +
           std::string(anion_charge);
}

bool CalculateBVS(Model& m, MessageSink& msg, const BvsTable& table) {
    if (const std::string label = SiteWithTooManySpecies(m); !label.empty()) {
        msg.Show(TooManySpeciesMessage(label));
        return false;
    }
    m.FoundRo = false;
    MemoLookup lookup(table);
    for (int i = 1; i <= std::clamp(m.AClength, 0, MaxAtoms); ++i)
        AtomBondValences(m, m.AC[i], true, lookup);
    for (int i = 1; i <= std::clamp(m.AAlength, 0, MaxAtoms); ++i)
        AtomBondValences(m, m.AA[i], false, lookup);
    return true;
}

std::shared_ptr<const BvsTable> BvsTableCache::Get(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (table_ && path == path_) return table_;
    std::optional<BvsTable> table = ReadBvsTable(path);
    if (!table) return nullptr;
    table_ = std::make_shared<const BvsTable>(std::move(*table));
    path_ = path;
    return table_;
}

namespace {

// The table at path, from tables when given.
std::shared_ptr<const BvsTable> TableAt(const std::string& path, BvsTableCache* tables) {
    if (tables) return tables->Get(path);
    std::optional<BvsTable> table = ReadBvsTable(path);
    if (!table) return nullptr;
    return std::make_shared<const BvsTable>(std::move(*table));
}

} // namespace

bool CalculateBVS(Model& m, MessageSink& msg, const std::string& bvs_path, BvsTableCache* tables) {
    const std::shared_ptr<const BvsTable> table = TableAt(bvs_path, tables);
    if (!table) {
        msg.Show(BvsFileErrorMessage(bvs_path));
        return false;
    }
    if (!table->HasParameterLines()) {
        msg.Show(BvsNoParametersMessage(bvs_path));
        return false;
    }
    return CalculateBVS(m, msg, *table);
}

std::string BvsTableProblem(const std::string& path, BvsTableCache* tables) {
    const std::shared_ptr<const BvsTable> table = TableAt(path, tables);
    if (!table) return BvsFileErrorMessage(path);
    if (!table->HasParameterLines()) return BvsNoParametersMessage(path);
    return {};
}

void CalcBVSFormula(Model& m) {
    m.NoBVS = false;
    for (int i = 1; i <= std::clamp(m.AClength, 0, MaxAtoms); ++i)
        if (!m.AC[i].HasBVS) m.NoBVS = true;
    if (m.NoBVS) return;
    m.BVSFormula = SiteFormula(
        m, [](const TAtoms& a) { return a.effcharge != 0 ? a.BVS / a.effcharge : 0.0; },
        [](const TAtoms& a) { return a.effcharge != 0 ? -a.BVS / a.effcharge : 0.0; });
}

void CalcGlobalInstabilityIndex(Model& m) {
    const int nc = std::clamp(m.AClength, 0, MaxAtoms);
    const int na = std::clamp(m.AAlength, 0, MaxAtoms);
    double sc = 0;
    double sa = 0;
    for (int i = 1; i <= nc; ++i) {
        const double d = m.AC[i].BVS - m.AC[i].effcharge;
        sc += d * d;
    }
    for (int i = 1; i <= na; ++i) {
        const double d = m.AA[i].BVS - std::fabs(m.AA[i].effcharge);
        sa += d * d;
    }
    m.GIICat = std::sqrt(Mean(sc, nc));
    m.GIIAn = std::sqrt(Mean(sa, na));
    m.GII = std::sqrt(Mean(sc + sa, nc + na));
}

void CalcMAPD(Model& m, int ca) {
    const int nc = std::clamp(m.AClength, 0, MaxAtoms);
    const int na = std::clamp(m.AAlength, 0, MaxAtoms);
    if (ca == 1) {
        double qx = 0, qa = 0, bc = 0, ba = 0;
        for (int i = 1; i <= nc; ++i) {
            const TAtoms& a = m.AC[i];
            if (a.QX != 0) qx += Deviation(a.effcharge, std::fabs(a.QX));
            bc += Deviation(a.effcharge, a.BVS);
        }
        for (int i = 1; i <= na; ++i) {
            const TAtoms& a = m.AA[i];
            if (a.QA != 0) qa += Deviation(a.effcharge, std::fabs(a.QA));
            ba += Deviation(a.effcharge, a.BVS);
        }
        m.DevQXCC = Percent(qx, nc);
        m.DevQACC = Percent(qa, na);
        m.devBVSC = Percent(bc, nc);
        m.devBVSA = Percent(ba, na);
    } else if (ca == 2) {
        double qa = 0, qx = 0;
        for (int i = 1; i <= nc; ++i)
            if (m.AC[i].QA != 0) qa += Deviation(m.AC[i].effcharge, std::fabs(m.AC[i].QA));
        for (int i = 1; i <= na; ++i)
            if (m.AA[i].QX != 0) qx += Deviation(m.AA[i].effcharge, std::fabs(m.AA[i].QX));
        m.DevQXAC = Percent(qa, nc);
        m.DevQAAC = Percent(qx, na);
    }
    double baur_c = 0, brown_c = 0, baur_a = 0, brown_a = 0;
    for (int i = 1; i <= nc; ++i) {
        baur_c += m.AC[i].PolDistortion;
        brown_c += m.AC[i].deltaR;
    }
    for (int i = 1; i <= na; ++i) {
        baur_a += m.AA[i].PolDistortion;
        brown_a += m.AA[i].deltaR;
    }
    m.DevBaurC = Mean(baur_c, nc);
    m.DevBrownC = Mean(brown_c, nc);
    m.DevBaurA = Mean(baur_a, na);
    m.DevBrownA = Mean(brown_a, na);
}

void LigandsMAPD(Model& m, int ca) {
    if (ca != 1 && ca != 2) return;
    AtomArray& atoms = ca == 1 ? m.AC : m.AA;
    const int count = std::clamp(ca == 1 ? m.AClength : m.AAlength, 0, MaxAtoms);
    for (int i = 1; i <= count; ++i) {
        TAtoms& a = atoms[i];
        // The distinct ligand sites, images counting for their parent, in
        // case-insensitive text order; each adds the term of its first bond
        // in that order.
        const int coor = std::clamp(a.Coor, 0, MaxBonds);
        std::vector<std::string> labels;
        for (int j = 1; j <= coor; ++j) {
            std::string label = Star(a.BondingAtoms[j]);
            if (std::find(labels.begin(), labels.end(), label) == labels.end())
                labels.push_back(std::move(label));
        }
        std::sort(labels.begin(), labels.end(), [](const std::string& x, const std::string& y) {
            return TextLessIgnoringCase(x, y);
        });
        double sum = 0;
        for (const std::string& label : labels) {
            int j = 1;
            while (Star(a.BondingAtoms[j]) != label)
                ++j;
            // A ligand without formal charge has no relative deviation.
            if (a.BondCharge[j] != 0)
                sum += std::fabs((a.BondCharge[j] + a.deltaQrs[j]) / a.BondCharge[j]);
        }
        a.MAPDLig = Percent(sum, static_cast<int>(labels.size()));
    }
}

} // namespace kevo

#include "model/symmetry.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/calc_express.h"
#include "model/numbers.h"
#include "model/text.h"

namespace kevo {

namespace {

constexpr double Pi = 3.141592653589793;
constexpr double MinCellEdge = 1.0; // Å
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

constexpr std::string_view InvalidOperatorText = "Invalid symmetry operator: ";

// An operator shifts an atom by a few cells at most; a larger translation
// would only cost the coordinates their precision.
constexpr double MaxTranslation = 1000;
// Rotation entries this large cannot come from a crystal's operators; the
// bound keeps the determinant exact in double arithmetic.
constexpr double MaxRotationEntry = 1e5;
// An image this close to a row it is compared with is that row's position.
constexpr double SamePosition = 0.01; // A
// Relative tolerance of the comparison of the cell metric with its image
// under an operator.
constexpr double MetricTolerance = 1e-3;
constexpr std::string_view TooManyAtomsText =
    "Too many atoms in the unit cell: at most 1000 cations and 1000 anions are allowed.";

// The duplicate test looks at the first 7 characters of a coordinate text
// only, so "0.123456" is compared as "0.12345".
constexpr std::size_t CompareLength = 7;

bool IsAnionRow(const StagingRow& row) {
    return row[ColCharge].find('-') != std::string::npos;
}

// Characters after the first "." (0 for a text without one).
int TextDecimals(std::string_view s) {
    const auto p = s.find('.');
    return p == std::string_view::npos ? 0 : static_cast<int>(s.size() - p - 1);
}

// How far two coordinates may lie apart and still count as one position,
// given the decimals of the text already in the table. A text without
// decimals gets one unit of its last digit, as 1 to 3 decimals do; more than
// 7 decimals get the finest tolerance.
double Tolerance(int decimals) {
    switch (decimals) {
    case 0:
        return 1.0;
    case 1:
        return 0.1;
    case 2:
        return 0.01;
    case 3:
        return 0.001;
    case 4:
    case 5:
        return 0.0002;
    case 6:
        return 0.000002;
    default:
        return 0.0000002;
    }
}

// One coordinate text of the duplicate test, read once: the value of its
// first 7 characters (NaN when they are no number, so it never matches) and
// the tolerance its decimals give.
struct CoordKey {
    double value = NaN;
    double tolerance = 0;
};

CoordKey KeyOf(std::string_view text) {
    const std::string_view cut = text.substr(0, std::min(text.size(), CompareLength));
    return {TryStrToFloat(cut).value_or(NaN), Tolerance(TextDecimals(cut))};
}

// Whether two fractional positions lie within SamePosition of each other
// in Cartesian distance, over every lattice translation (the shortest
// distance, also in oblique cells).
class Closeness {
  public:
    explicit Closeness(const Model& m) {
        for (int i = 0; i < 3; ++i) {
            double norm = 0;
            for (int j = 0; j < 3; ++j) {
                tm_[i][j] = m.TM[i + 1][j + 1];
                norm += m.TMT[i + 1][j + 1] * m.TMT[i + 1][j + 1];
            }
            // A vector v has fractional components TMT v, so a translation t
            // can bring d within SamePosition only when |d_i - t_i| is at
            // most SamePosition times the norm of row i of TMT.
            reach_[i] = SamePosition * std::sqrt(norm);
        }
    }

    // d: the difference of the two fractional positions.
    bool Near(const std::array<double, 3>& d) const {
        std::array<int, 3> lo{}, hi{};
        for (std::size_t i = 0; i < 3; ++i) {
            double l = std::ceil(d[i] - reach_[i] - 1e-12);
            double h = std::floor(d[i] + reach_[i] + 1e-12);
            if (!(l <= h)) return false; // no translation reaches (also NaN)
            // A cell with lattice vectors shorter than about SamePosition is
            // no crystal's; there only the translations next to d are tried.
            if (h - l > 2) {
                l = std::round(d[i]) - 1;
                h = l + 2;
            }
            lo[i] = static_cast<int>(l);
            hi[i] = static_cast<int>(h);
        }
        for (int t1 = lo[0]; t1 <= hi[0]; ++t1)
            for (int t2 = lo[1]; t2 <= hi[1]; ++t2)
                for (int t3 = lo[2]; t3 <= hi[2]; ++t3) {
                    const double f[3] = {d[0] - t1, d[1] - t2, d[2] - t3};
                    double sum = 0;
                    for (std::size_t i = 0; i < 3; ++i) {
                        const double v = tm_[i][0] * f[0] + tm_[i][1] * f[1] + tm_[i][2] * f[2];
                        sum += v * v;
                    }
                    if (sum < SamePosition * SamePosition) return true;
                }
        return false;
    }

  private:
    double tm_[3][3] = {};
    std::array<double, 3> reach_{};
};

// One position of the duplicate test: the keys of its three coordinate
// texts and their full values.
struct Position {
    std::array<CoordKey, 3> key;
    std::array<double, 3> value{NaN, NaN, NaN};
};

Position PositionOf(const std::string& x, const std::string& y, const std::string& z) {
    Position p;
    const std::array<const std::string*, 3> texts{&x, &y, &z};
    for (std::size_t c = 0; c < 3; ++c) {
        p.key[c] = KeyOf(*texts[c]);
        p.value[c] = TryStrToFloat(*texts[c]).value_or(NaN);
    }
    return p;
}

// The coordinates of staging rows, kept as numbers for the duplicate test.
// A candidate is a duplicate of a row when every coordinate is equal within
// the row's text precision, as EqualCoords(row text, candidate text) on the
// 7-character cuts would say (padding decimals with zeros does not change a
// value, and the tolerance depends on the row's text alone), or when the two
// lie within SamePosition in Cartesian distance (Closeness): coordinates
// written with few decimals, or off in the last digit, or on either side of
// a cell face, are one position.
class PositionTable {
  public:
    explicit PositionTable(const Closeness& near) : near_(near) {}
    void Reserve(std::size_t n) {
        for (auto* v : {&x_, &y_, &z_, &tx_, &ty_, &tz_, &fx_, &fy_, &fz_})
            v->reserve(n);
    }
    void Add(const Position& p) {
        x_.push_back(p.key[0].value);
        y_.push_back(p.key[1].value);
        z_.push_back(p.key[2].value);
        tx_.push_back(p.key[0].tolerance);
        ty_.push_back(p.key[1].tolerance);
        tz_.push_back(p.key[2].tolerance);
        fx_.push_back(p.value[0]);
        fy_.push_back(p.value[1]);
        fz_.push_back(p.value[2]);
    }
    void Add(const StagingRow& row) { Add(PositionOf(row[ColX], row[ColX + 1], row[ColX + 2])); }
    // True when some row holds the position of the candidate c.
    bool Contains(const Position& c) const {
        const double cx = c.key[0].value, cy = c.key[1].value, cz = c.key[2].value;
        const std::size_t n = x_.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (std::fabs(cx - x_[i]) < tx_[i] && std::fabs(cy - y_[i]) < ty_[i] &&
                std::fabs(cz - z_[i]) < tz_[i])
                return true;
            if (near_.Near({c.value[0] - fx_[i], c.value[1] - fy_[i], c.value[2] - fz_[i]}))
                return true;
        }
        return false;
    }

  private:
    const Closeness& near_;
    std::vector<double> x_, y_, z_, tx_, ty_, tz_, fx_, fy_, fz_;
};

// One component of an operator, parsed once and evaluated for every atom.
// Its variables are those of x, y, z that occur in the text, in this order;
// axis[k] says which coordinate the k-th variable takes. Operators share
// their components ("x", "-y+1/2" ...), so a component is parsed, and its
// affine form found, once per text.
struct Component {
    TCalcExpress ce;
    std::array<int, 3> axis{};
    int count = 0;
    // The text parses and is of the affine form below (AffineRow).
    bool usable = false;
    // The affine form: the component = sum over k of R[k] * x_k + t.
    std::array<int, 3> R{};
    double t = 0;
};

struct ParsedOperator {
    std::string text;
    std::array<const Component*, 3> comp{};
    // The affine form: component c = sum over k of R[c][k] * x_k + t[c].
    std::array<std::array<int, 3>, 3> R{};
    std::array<double, 3> t{};
};

// Value of one component at the point p; NaN when it cannot be evaluated.
double Evaluate(const Component& comp, const std::array<double, 3>& p) {
    std::array<double, 3> values{};
    const auto count = static_cast<std::size_t>(std::clamp(comp.count, 0, 3));
    for (std::size_t k = 0; k < count; ++k)
        values[k] = p[static_cast<std::size_t>(comp.axis[k])];
    try {
        return comp.ce.calc(std::span<const double>(values.data(), count));
    } catch (const FormulaError&) {
        return NaN;
    }
}

// Only x, y, z, numbers and arithmetic: function names (sin, abs, h ...)
// have no place in an operator.
bool OperatorCharacters(std::string_view op) {
    return op.find_first_not_of("0123456789.eExyzXYZ+-*/(), ") == std::string_view::npos;
}

// Finds the affine form of a parsed component and checks that it is one a
// crystal's operator can have: t + a sum of integer multiples of x, y, z
// (checked at points other than those that gave the coefficients) with a
// translation of at most MaxTranslation.
bool AffineRow(Component& comp) {
    static constexpr std::array<std::array<double, 3>, 3> Trials{
        {{0.3, -0.7, 0.45}, {-2.5, 1.25, 3.75}, {7.125, 11.5, -9.875}}};
    const double t = Evaluate(comp, {0, 0, 0});
    if (!std::isfinite(t) || std::fabs(t) > MaxTranslation) return false;
    comp.t = t;
    for (std::size_t k = 0; k < 3; ++k) {
        std::array<double, 3> unit{};
        unit[k] = 1;
        const double coefficient = Evaluate(comp, unit) - t;
        const double whole = std::round(coefficient);
        if (!std::isfinite(coefficient) || std::fabs(coefficient - whole) > 1e-9 ||
            std::fabs(whole) > MaxRotationEntry)
            return false;
        comp.R[k] = static_cast<int>(whole);
    }
    for (const auto& p : Trials) {
        double expected = t;
        double scale = 1 + std::fabs(t);
        for (std::size_t k = 0; k < 3; ++k) {
            expected += comp.R[k] * p[k];
            scale += std::fabs(comp.R[k] * p[k]);
        }
        const double value = Evaluate(comp, p);
        if (!(std::fabs(value - expected) <= 1e-9 * scale)) return false;
    }
    return true;
}

// The cell parameters that disagree with an operator: the metric tensor G of
// the cell against its image R^T G R, element by element, relative to the
// lengths of the two axes. Empty when the operator keeps the metric.
std::vector<std::string_view> MetricMismatch(const Model& m, const ParsedOperator& op) {
    const double edge[3] = {m.va, m.vb, m.vc};
    const double cosine[3] = {std::cos(m.ralpha), std::cos(m.rbeta), std::cos(m.rgamma)};
    double G[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            G[i][j] = edge[i] * edge[j] * (i == j ? 1.0 : cosine[3 - i - j]);
    // The element (i, j) belongs to an edge (i = j) or to the angle between
    // the two axes.
    static constexpr std::string_view Names[3][3] = {
        {"a", "gamma", "beta"}, {"gamma", "b", "alpha"}, {"beta", "alpha", "c"}};
    bool wrong[3][3] = {};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = i; j < 3; ++j) {
            double rotated = 0;
            for (std::size_t k = 0; k < 3; ++k)
                for (std::size_t l = 0; l < 3; ++l)
                    rotated += op.R[k][i] * G[k][l] * op.R[l][j];
            const double scale = edge[i] * edge[j];
            wrong[i][j] = !(std::fabs(rotated - G[i][j]) <= MetricTolerance * scale);
        }
    std::vector<std::string_view> names;
    for (const auto& [i, j] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{2, 2}, std::pair{1, 2},
                               std::pair{0, 2}, std::pair{0, 1}})
        if (wrong[i][j]) names.push_back(Names[i][j]);
    return names;
}

std::string MetricWarning(const std::string& op, const std::vector<std::string_view>& names) {
    std::string list;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k > 0) list += k + 1 == names.size() ? " and " : ", ";
        list += names[k];
    }
    return (names.size() == 1 ? "The cell parameter " + list + " does not fit"
                              : "The cell parameters " + list + " do not fit") +
           " the symmetry operator " + op + "; the structure is read as it stands.";
}

constexpr std::array<std::string_view, 3> Names{"x", "y", "z"};

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The component of this text: parsed with the variables x, y, z that occur
// in it; usable when it parses, names no variable other than x, y, z and no
// function, and has the affine form of an operator's component.
std::unique_ptr<Component> ParseComponent(const std::string& text) {
    auto comp = std::make_unique<Component>();
    std::string lower = text;
    for (char& ch : lower)
        ch = LowerAscii(ch);
    std::vector<std::string> variables;
    for (int k = 0; k < 3; ++k) {
        if (lower.find(Names[static_cast<std::size_t>(k)]) == std::string::npos) continue;
        variables.emplace_back(Names[static_cast<std::size_t>(k)]);
        comp->axis[static_cast<std::size_t>(comp->count++)] = k;
    }
    comp->ce.SetVariables(variables); // before the text: it is parsed once
    comp->ce.init(text);
    if (!comp->ce.Valid()) return comp;
    // Whether a parsed formula can be evaluated does not depend on the
    // values (only a name outside the list stops it), so one trial tells.
    try {
        const std::array<double, 3> zeros{};
        (void)comp->ce.calc(std::span<const double>(zeros.data(), zeros.size()));
    } catch (const FormulaError&) {
        return comp;
    }
    comp->usable = AffineRow(*comp);
    return comp;
}

// Components already parsed, by their text.
using ComponentCache = std::unordered_map<std::string, std::unique_ptr<Component>>;

// Parses the three components of op. False when op does not have exactly
// three non-empty comma-separated parts, or a part is not usable
// (ParseComponent), or its rotation does not have determinant +1 or -1.
bool ParseOperator(const std::string& op, ParsedOperator& out, ComponentCache& cache) {
    std::size_t commas = 0;
    std::size_t start = 0;
    for (std::size_t p = 0; p <= op.size(); ++p) {
        if (p == op.size() || op[p] == ',') {
            if (p == start) return false; // empty part
            if (p < op.size()) ++commas;
            start = p + 1;
        }
    }
    if (commas != 2 || !OperatorCharacters(op)) return false;

    out.text = op;
    for (std::size_t c = 0; c < 3; ++c) {
        std::unique_ptr<Component>& comp = cache[GetCol(",", op, static_cast<int>(c))];
        if (!comp) comp = ParseComponent(GetCol(",", op, static_cast<int>(c)));
        if (!comp->usable) return false;
        out.comp[c] = comp.get();
        out.R[c] = comp->R;
        out.t[c] = comp->t;
    }
    const auto& R = out.R;
    auto r = [&R](std::size_t i, std::size_t j) { return static_cast<double>(R[i][j]); };
    const double det = r(0, 0) * (r(1, 1) * r(2, 2) - r(1, 2) * r(2, 1)) -
                       r(0, 1) * (r(1, 0) * r(2, 2) - r(1, 2) * r(2, 0)) +
                       r(0, 2) * (r(1, 0) * r(2, 1) - r(1, 1) * r(2, 0));
    return det == 1 || det == -1;
}

// The expansion of one run: the operators, the coordinate format and the two
// position tables.
class Expansion {
  public:
    Expansion(Model& m, int decimals) : m_(m), near_(m), all_(near_), anions_(near_) {
        DecForm(decimals, fmt_);
        one_ = "1." + std::string(static_cast<std::size_t>(decimals), '0');
        zero_ = FF(fmt_, 0.0);
    }

    bool ParseOperators() {
        const auto& ops = m_.SymOpArray;
        ops_.reserve(ops.size());
        for (std::size_t j = 1; j < ops.size(); ++j) {
            ops_.emplace_back();
            if (!ParseOperator(ops[j], ops_.back(), components_)) {
                failure_ = std::string(InvalidOperatorText) + ops[j];
                return false;
            }
        }
        return true;
    }

    void LoadSites(int rows) {
        all_.Reserve(2 * MaxAtoms + 1);
        anions_.Reserve(MaxAtoms + 1);
        for (int i = 1; i <= rows; ++i) {
            const StagingRow& row = m_.SG1[static_cast<std::size_t>(i)];
            all_.Add(row);
            if (IsAnionRow(row)) anions_.Add(row);
        }
    }

    // Appends the images of one site; cations are compared with every row,
    // anions with the anion rows only.
    bool ExpandSite(const TAtoms& site, bool anion) {
        int& generated = anion ? m_.GAALength : m_.GACLength;
        const int sites = anion ? m_.AAlength : m_.AClength;
        // The coordinates reach the evaluator as text, as they always have.
        std::array<double, 3> xyz{};
        const std::array<double, 3> own{site.X, site.Y, site.Z};
        for (std::size_t k = 0; k < 3; ++k)
            xyz[k] = TryStrToFloat(xFloatToStr(own[k])).value_or(own[k]);

        for (const ParsedOperator& op : ops_) {
            std::array<std::string, 3> texts;
            for (std::size_t c = 0; c < 3; ++c) {
                const double r = Evaluate(*op.comp[c], xyz);
                if (!std::isfinite(r)) {
                    failure_ = std::string(InvalidOperatorText) + op.text;
                    return false;
                }
                double v = std::fmod(r + 3.0, 1.0);
                if (v < 0) v += 1.0; // translations below -3 still land in the cell
                texts[c] = FF(fmt_, v);
                if (texts[c] == one_) texts[c] = zero_;
            }
            const Position position = PositionOf(texts[0], texts[1], texts[2]);
            const PositionTable& against = anion ? anions_ : all_;
            if (against.Contains(position)) continue;
            if (sites + generated + 1 > MaxAtoms) {
                failure_ = std::string(TooManyAtomsText);
                return false;
            }
            AppendRow(site, anion, op.text, texts);
            all_.Add(position);
            if (anion) anions_.Add(position);
            ++generated;
        }
        return true;
    }

    const std::string& failure() const { return failure_; }
    const std::vector<ParsedOperator>& operators() const { return ops_; }

  private:
    void AppendRow(const TAtoms& site, bool anion, const std::string& op,
                   std::array<std::string, 3>& texts) {
        StagingRow row;
        row[ColLabel] = "*" + site.Atomlabel;
        row[ColPopulation] = site.symbol;
        row[ColSymbols] = site.AtomSymbol;
        // The sign comes from the side, as in the site rows: an anion whose
        // charge rounds to 0.000 is still an anion row.
        row[ColCharge] = std::string(anion ? 1 : 0, '-') +
                         FF("0.000", anion ? std::fabs(site.effcharge) : site.effcharge);
        row[ColMultiplicity] = IntToStr(site.Multiplicity);
        for (std::size_t c = 0; c < 3; ++c)
            row[ColX + static_cast<int>(c)] = std::move(texts[c]);
        row[ColOccupancy] = FF("0.000", site.occupancy);
        row[ColSpecies] = site.RoString;
        row[ColOperator] = ElimBlanks(op);
        m_.SG1.push_back(std::move(row));
    }

    Model& m_;
    std::string fmt_ = "0.0000";
    std::string one_;
    std::string zero_;
    ComponentCache components_; // before ops_, which point into it
    std::vector<ParsedOperator> ops_;
    Closeness near_;
    PositionTable all_;
    PositionTable anions_;
    std::string failure_;
};

} // namespace

void PrepareUnitCell(Model& m) {
    auto number = [](const std::string& s) { return TryStrToFloat(s).value_or(0.0); };
    m.va = number(m.a);
    m.vb = number(m.b);
    m.vc = number(m.c);
    m.valpha = number(m.alpha);
    m.vbeta = number(m.beta);
    m.vgamma = number(m.gamma);
    m.ralpha = m.valpha * Pi / 180;
    m.rbeta = m.vbeta * Pi / 180;
    m.rgamma = m.vgamma * Pi / 180;
}

bool TransformationMatrix(Model& m) {
    for (int i = 1; i <= 3; ++i) {
        m.TM[i].fill(0.0);
        m.TMT[i].fill(0.0);
    }
    const double a = m.va, b = m.vb, c = m.vc;
    // No crystal has an edge shorter than an ångström; a tinier positive edge
    // would only make the lattice sums of the calculation endless.
    auto edge = [](double e) { return std::isfinite(e) && e >= MinCellEdge; };
    auto angle = [](double deg) { return std::isfinite(deg) && deg > 0 && deg < 180; };
    if (!edge(a) || !edge(b) || !edge(c) || !angle(m.valpha) || !angle(m.vbeta) || !angle(m.vgamma))
        return false;
    const double ca = std::cos(m.ralpha), cb = std::cos(m.rbeta), cg = std::cos(m.rgamma);
    const double sg = std::sin(m.rgamma);
    const double radicand = 1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg;
    // The angles must enclose a volume; below this bound (V/abc under 1e-5)
    // what is left is rounding noise of the cosines (120, 120, 120 gives
    // about 1e-16 instead of 0).
    if (!(radicand > 1e-10)) return false;
    const double V = a * b * c * std::sqrt(radicand);

    Matrix3 tm;
    tm[1][1] = a;
    tm[1][2] = b * cg;
    tm[1][3] = c * cb;
    tm[2][1] = 0;
    tm[2][2] = b * sg;
    tm[2][3] = c * (ca - cb * cg) / sg;
    tm[3][1] = 0;
    tm[3][2] = 0;
    tm[3][3] = V / (a * b * sg);

    Matrix3 tmt;
    tmt[1][1] = 1 / a;
    tmt[1][2] = -cg / (a * sg);
    tmt[1][3] = b * c * (ca * cg - cb) / (V * sg);
    tmt[2][1] = 0;
    tmt[2][2] = 1 / (b * sg);
    tmt[2][3] = a * c * (cb * cg - ca) / (V * sg);
    tmt[3][1] = 0;
    tmt[3][2] = 0;
    tmt[3][3] = a * b * sg / V;

    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j)
            if (!std::isfinite(tm[i][j]) || !std::isfinite(tmt[i][j])) return false;
    m.TM = tm;
    m.TMT = tmt;
    return true;
}

bool GenerateAtoms(Model& m, MessageSink& msg) {
    m.GACLength = 0;
    m.GAALength = 0;
    if (m.AClength < 0 || m.AAlength < 0 || m.AClength > MaxAtoms || m.AAlength > MaxAtoms) {
        msg.Show(TooManyAtomsText);
        return false;
    }
    // Images are appended behind the site rows; anything after them goes.
    const int sites = m.AClength + m.AAlength;
    m.SG1.resize(static_cast<std::size_t>(sites) + 1);
    if (sites == 0) return true;

    // Images are written with as many decimals as the input has (1 to 7):
    // the most decimals among the site texts, which the reader wrote with the
    // decimals of the file. (The site values themselves would lose trailing
    // zeros: 0.1000 would give one decimal, and images written to one decimal
    // would swallow every later image within 0.1 of them.)
    int nd = 1;
    for (int i = 1; i <= sites; ++i)
        for (int c = ColX; c < ColX + 3; ++c)
            nd = std::max(nd, TextDecimals(m.SG1[static_cast<std::size_t>(i)][c]));
    nd = std::min(nd, 7);
    Expansion run(m, nd);
    bool ok = run.ParseOperators();
    if (ok) {
        // A cell that does not fit the operators (an edge slightly off in a
        // trigonal cell) gives images at the wrong distances: told, once.
        for (const ParsedOperator& op : run.operators()) {
            const auto names = MetricMismatch(m, op);
            if (names.empty()) continue;
            msg.Show(MetricWarning(op.text, names));
            break;
        }
        run.LoadSites(sites);
        m.SG1.reserve(static_cast<std::size_t>(sites) + 2 * MaxAtoms + 1);
        for (int i = 1; ok && i <= m.AClength; ++i)
            ok = run.ExpandSite(m.AC[i], false);
        for (int i = 1; ok && i <= m.AAlength; ++i)
            ok = run.ExpandSite(m.AA[i], true);
    }
    if (!ok) {
        m.SG1.resize(static_cast<std::size_t>(sites) + 1);
        m.GACLength = 0;
        m.GAALength = 0;
        msg.Show(run.failure());
    }
    return ok;
}

void CalcMultiplicities(Model& m) {
    const int last = static_cast<int>(m.SG1.size()) - 1;
    const int sites = std::min(m.AClength + m.AAlength, last);
    std::unordered_map<std::string, std::vector<int>> images;
    for (int j = sites + 1; j <= last; ++j)
        images[Star(m.SG1[static_cast<std::size_t>(j)][ColLabel])].push_back(j);
    for (int i = 1; i <= sites; ++i) {
        StagingRow& row = m.SG1[static_cast<std::size_t>(i)];
        const auto found = images.find(row[ColLabel]);
        const std::size_t count = found == images.end() ? 0 : found->second.size();
        const std::string k = IntToStr(static_cast<long long>(count) + 1);
        row[ColMultiplicity] = k;
        if (found != images.end())
            for (int j : found->second)
                m.SG1[static_cast<std::size_t>(j)][ColMultiplicity] = k;
    }
}

void LoadGeneratedRecords(Model& m, bool records_blank) {
    const int sites = m.AClength + m.AAlength;
    const int rows = static_cast<int>(m.SG1.size());
    auto load = [&m, records_blank](const StagingRow& row, TAtoms& r, bool anion) {
        if (!records_blank) r.Reset();
        assert(r.Atomlabel.empty() && r.Coor == 0 && !r.Faces.HasStorage());
        r.Atomlabel = row[ColLabel];
        r.Generated = !r.Atomlabel.empty() && r.Atomlabel.front() == '*';
        r.symbol = row[ColPopulation];
        r.AtomSymbol = row[ColSymbols];
        r.Multiplicity = TryStrToInt(row[ColMultiplicity]).value_or(0);
        if (anion) {
            GetCharge(row[ColCharge], m.Sgn, m.Charge);
            const double q = TryStrToFloat(m.Charge).value_or(0.0);
            r.effcharge = m.Sgn == "-" ? -q : q;
        } else {
            r.effcharge = TryStrToFloat(row[ColCharge]).value_or(0.0);
        }
        r.SymOp = row[ColOperator];
        r.RoString = row[ColSpecies];
        r.X = TryStrToFloat(row[ColX]).value_or(0.0);
        r.Y = TryStrToFloat(row[ColX + 1]).value_or(0.0);
        r.Z = TryStrToFloat(row[ColX + 2]).value_or(0.0);
        r.occupancy = TryStrToFloat(row[ColOccupancy]).value_or(0.0);
        ToCartesian(m, r.X, r.Y, r.Z, r.CX, r.CY, r.CZ);
    };
    m.AC.Ensure(std::clamp(m.AClength + m.GACLength, 0, MaxAtoms));
    m.AA.Ensure(std::clamp(m.AAlength + m.GAALength, 0, MaxAtoms));
    for (int i = 1; i <= m.GACLength && m.AClength + i <= MaxAtoms; ++i) {
        const int j = sites + i;
        if (j >= rows) break;
        const StagingRow& row = m.SG1[static_cast<std::size_t>(j)];
        if (!IsAnionRow(row)) load(row, m.AC[m.AClength + i], false);
    }
    for (int i = 1; i <= m.GAALength && m.AAlength + i <= MaxAtoms; ++i) {
        const int j = sites + m.GACLength + i;
        if (j >= rows) break;
        const StagingRow& row = m.SG1[static_cast<std::size_t>(j)];
        if (IsAnionRow(row)) load(row, m.AA[m.AAlength + i], true);
    }
}

bool EqualCoords(std::string_view a, std::string_view b) {
    // Zeros appended to the shorter decimals do not change its value, so the
    // texts are compared as numbers with the tolerance of a's decimals.
    const auto va = TryStrToFloat(a);
    const auto vb = TryStrToFloat(b);
    if (!va || !vb) return false;
    return std::fabs(*vb - *va) < Tolerance(TextDecimals(a));
}

void Ortho(Model& m) {
    auto convert = [&m](TAtoms& r) {
        const int n = std::clamp(r.Coor, 0, MaxBonds);
        for (int k = 1; k <= n; ++k)
            ToCartesian(m, r.BondCoorX[k], r.BondCoorY[k], r.BondCoorZ[k], r.BondCoorCX[k],
                        r.BondCoorCY[k], r.BondCoorCZ[k]);
    };
    for (int i = 1; i <= std::min(m.AClength, MaxAtoms); ++i)
        convert(m.AC[i]);
    for (int i = 1; i <= std::min(m.AAlength, MaxAtoms); ++i)
        convert(m.AA[i]);
}

void ToCartesian(const Model& m, double x, double y, double z, double& cx, double& cy, double& cz) {
    const Matrix3& T = m.TM;
    cx = T[1][1] * x + T[1][2] * y + T[1][3] * z;
    cy = T[2][1] * x + T[2][2] * y + T[2][3] * z;
    cz = T[3][1] * x + T[3][2] * y + T[3][3] * z;
}

} // namespace kevo

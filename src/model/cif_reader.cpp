#include "model/cif_reader.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "model/numbers.h"
#include "model/symmetry.h"
#include "model/text.h"

namespace kevo {

namespace {

constexpr std::string_view RightQuote = "\xE2\x80\x99"; // U+2019
constexpr std::string_view NoCharge = "9.999";          // GetCharge's mark for "no charge"
// Occupancies, oxidation numbers and site charges beyond this magnitude are
// refused: the calculation multiplies charges with each other and with
// multiplicities and sums them over the cell, and every such product must
// stay a finite number.
constexpr double MaxAmount = 1e100;
constexpr std::size_t npos = std::string_view::npos;

// Sites and images are right-aligned in these widths in the atom grid.
constexpr std::size_t ChargeWidth = 8;
constexpr std::size_t MultiplicityWidth = 5;
constexpr std::size_t CoordinateWidth = 9;
constexpr std::size_t OccupancyWidth = 7;

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool Contains(std::string_view s, std::string_view part) {
    return s.find(part) != npos;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when s begins with word, ASCII case ignored (CIF reserved words).
bool StartsWithWord(std::string_view s, std::string_view word) {
    if (s.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (LowerAscii(s[i]) != word[i]) return false;
    return true;
}

std::string& Cell(StagingRow& row, int column) {
    return row[static_cast<std::size_t>(column)];
}
const std::string& Cell(const StagingRow& row, int column) {
    return row[static_cast<std::size_t>(column)];
}

// --- Text of the file ---------------------------------------------------------

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not one
// (overlong forms, surrogates and values above U+10FFFF are not).
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    if (b < 0x80) return 1;
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < len; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return len;
}

bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = Utf8SequenceLength(s, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (const char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 text (little or big endian) as UTF-8; a surrogate without its
// partner and a last odd byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view s, bool bigEndian) {
    constexpr char32_t Replacement = 0xFFFD;
    auto unit = [&](std::size_t i) -> char32_t {
        const auto hi = static_cast<unsigned char>(s[bigEndian ? i : i + 1]);
        const auto lo = static_cast<unsigned char>(s[bigEndian ? i + 1 : i]);
        return static_cast<char32_t>((hi << 8) | lo);
    };
    std::string out;
    out.reserve(s.size() / 2);
    std::size_t i = 0;
    for (; i + 1 < s.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size()) {
            const char32_t v = unit(i + 2);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? Replacement : u);
    }
    if (i < s.size()) AppendUtf8(out, Replacement);
    return out;
}

// UTF-16 without a byte-order mark: at least half of the byte pairs hold a
// NUL on one side (ASCII text) and none on the other. Returns 1 for little
// endian, 2 for big endian, 0 otherwise.
int Utf16WithoutMark(std::string_view s) {
    if (s.size() < 4) return 0;
    std::size_t even = 0, odd = 0;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        even += s[i] == '\0' ? 1 : 0;
        odd += s[i + 1] == '\0' ? 1 : 0;
    }
    const std::size_t pairs = s.size() / 2;
    if (even == 0 && 2 * odd >= pairs) return 1;
    if (odd == 0 && 2 * even >= pairs) return 2;
    return 0;
}

// The file's bytes as UTF-8 text: a byte-order mark is dropped, UTF-16
// (with a byte-order mark, or recognised by its NUL bytes) is converted,
// bytes that do not form UTF-8 are read as Latin-1.
std::string DecodeText(std::string_view bytes) {
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    constexpr std::string_view Utf16Le = "\xFF\xFE";
    constexpr std::string_view Utf16Be = "\xFE\xFF";
    if (StartsWith(bytes, Bom)) bytes.remove_prefix(Bom.size());
    if (StartsWith(bytes, Utf16Le)) return Utf16ToUtf8(bytes.substr(2), false);
    if (StartsWith(bytes, Utf16Be)) return Utf16ToUtf8(bytes.substr(2), true);
    if (const int order = Utf16WithoutMark(bytes); order != 0)
        return Utf16ToUtf8(bytes, order == 2);
    if (IsUtf8(bytes)) return std::string(bytes);
    return Latin1ToUtf8(bytes);
}

// --- Cleaning in one pass ------------------------------------------------------
// The three helpers below give the results of ElimESD, ElimBlanksInSymOp and
// ElimQuotes in time proportional to the text, so that a long line full of
// parentheses, ", " pairs or quotes costs no more than reading it.

// Standard uncertainties in parentheses removed; "Error" when the
// parentheses are unbalanced or a ")" comes before its "(".
std::string RemoveUncertainties(std::string_view s) {
    if (std::count(s.begin(), s.end(), '(') != std::count(s.begin(), s.end(), ')')) return "Error";
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t open = s.find('(', pos);
        const std::size_t close = s.find(')', pos);
        if (open == npos || close == npos) {
            out.append(s.substr(pos));
            return out;
        }
        if (close < open) return "Error";
        out.append(s.substr(pos, open - pos));
        pos = close + 1;
    }
}

// Every blank that follows a comma removed (", " and ",  " become ",").
std::string JoinAfterCommas(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char c : s)
        if (!(c == ' ' && !out.empty() && out.back() == ',')) out += c;
    return out;
}

// Blanks and quotes (straight, double and U+2019) removed.
std::string RemoveBlanksAndQuotes(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s.substr(i, RightQuote.size()) == RightQuote) {
            i += RightQuote.size() - 1;
            continue;
        }
        if (s[i] != ' ' && s[i] != '\'' && s[i] != '"') out += s[i];
    }
    return out;
}

// Length of the character starting at s[i] (a UTF-8 sequence; a stray byte
// counts as one).
std::size_t CharLength(std::string_view s, std::size_t i) {
    return std::max<std::size_t>(1, Utf8SequenceLength(s, i));
}

std::size_t CharCount(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i))
        ++n;
    return n;
}

// The first and the last character removed (Shave on characters rather than
// bytes, so that a quote written as U+2019 goes whole).
std::string ShaveChars(std::string_view s) {
    if (s.empty()) return {};
    s.remove_prefix(CharLength(s, 0));
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i))
        last = i;
    return std::string(s.substr(0, last));
}

std::string RightAlign(std::string s, std::size_t width) {
    const std::size_t n = CharCount(s);
    if (n < width) s.insert(0, width - n, ' ');
    return s;
}

// Field n (from 0) of a cleaned line, fields separated by blanks (runs of
// blanks count as one; a leading blank gives an empty field 0). A line with
// fewer fields gives "" or, with lastIfMissing, its last field.
std::string Field(std::string_view s, int n, bool lastIfMissing = false) {
    std::size_t start = 0;
    for (int k = 0;; ++k) {
        const std::size_t end = s.find(' ', start);
        if (k >= n || end == npos) {
            if (k < n && !lastIfMissing) return {};
            return std::string(s.substr(start, end == npos ? npos : end - start));
        }
        start = s.find_first_not_of(' ', end);
        if (start == npos) start = s.size();
    }
}

// Field n of a data row with its standard uncertainty removed ("0.25(1)"
// gives "0.25"): the numbers of a row, and the type symbol.
std::string NumberField(std::string_view s, int n) {
    return RemoveUncertainties(Field(s, n));
}

// Fields of a loop row where a value may be quoted ('...', "..." or with
// U+2019) and then holds blanks; a quote closes only before a blank or the end
// of the line.
std::vector<std::string> QuotedFields(std::string_view s) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] == ' ') {
            ++i;
            continue;
        }
        std::string_view quote;
        if (s[i] == '\'' || s[i] == '"')
            quote = s.substr(i, 1);
        else if (s.substr(i, RightQuote.size()) == RightQuote)
            quote = RightQuote;
        std::size_t end = npos;
        if (!quote.empty()) {
            for (std::size_t q = s.find(quote, i + quote.size()); q != npos;
                 q = s.find(quote, q + 1)) {
                const std::size_t after = q + quote.size();
                if (after == s.size() || s[after] == ' ') {
                    end = after;
                    break;
                }
            }
        }
        if (end == npos) {
            end = s.find(' ', i);
            if (end == npos) end = s.size();
        }
        fields.emplace_back(s.substr(i, end - i));
        i = end;
    }
    return fields;
}

// A line that ends the rows of a loop: empty, a data name, or a reserved word.
bool EndsLoop(std::string_view line) {
    if (line.empty() || line.front() == '_') return true;
    for (std::string_view word : {"loop_", "data_", "save_", "global_", "stop_"})
        if (StartsWithWord(line, word)) return true;
    return false;
}

// An oxidation number read with GetCharge: sign ("-" or "") and digits in
// m.Sgn / m.Charge, the magnitude in value. False when there is no usable
// number (none, or one beyond MaxAmount).
bool ReadCharge(std::string_view text, Model& m, double& value) {
    GetCharge(text, m.Sgn, m.Charge);
    if (m.Charge == NoCharge) return false;
    const auto v = TryStrToFloat(m.Charge);
    if (!v || !std::isfinite(*v) || std::fabs(*v) > MaxAmount) return false;
    value = *v;
    return true;
}

bool IsWhole(double v) {
    return std::fabs(v - std::round(v)) < 0.00001;
}

// The oxidation-number text of the species list: a whole number without
// decimals ("3.000" -> "3"), any other number as written.
std::string OxidationText(const std::string& digits, double value) {
    if (IsWhole(value) && value < 1e15) return IntToStr(std::llround(value));
    return digits;
}

// Blanks the records in use and sets all counts to 0.
void ForgetStructure(Model& m) {
    for (int i = 1; i <= std::min(m.AClength + m.GACLength, m.AC.size()); ++i)
        m.AC[i].Reset();
    for (int i = 1; i <= std::min(m.AAlength + m.GAALength, m.AA.size()); ++i)
        m.AA[i].Reset();
    m.AClength = m.AAlength = m.GACLength = m.GAALength = 0;
    m.TotACLength = m.TotAALength = 0;
}

// Position of the last folder separator of a path, npos when it has none.
std::size_t LastSeparator(std::string_view path) {
#ifdef _WIN32
    return path.find_last_of("/\\");
#else
    return path.rfind('/');
#endif
}

// Steps 1 and 4-7 of opening a file: the resets before reading.
void BeginRead(Model& m, const std::string& path) {
    m.FirstBondSpecific = true;
    m.IsHydrogen = false;
    m.ExZeroW = false;
    m.ShowCations = true;
    m.NearestLimit = false;

    const std::size_t slash = LastSeparator(path);
    m.OutPath = slash == npos ? std::string() : path.substr(0, slash + 1);
    m.Title = TitleOf(path);

    m.a.clear();
    m.b.clear();
    m.c.clear();
    m.alpha.clear();
    m.beta.clear();
    m.gamma.clear();
    m.spacegroup.clear(); // a file without a symbol must not inherit one
    m.SymList = false;
    m.NoBVS = false;
    m.GotMaxLengths = false;
    m.SymOpArray.clear();
    m.ChMemo.clear(); // type charges of an earlier file never apply
    m.StrPosCharge = 0;
    m.StrNegCharge = 0;

    InitializeRecords(m);
    AtomRecordClear(m);
    ForgetStructure(m); // images too; nothing of the old structure stays in use
    ClearResults(m);    // nor a result a record or report of this one could print
    m.Calculated = false;
    m.SG1.assign(100, StagingRow{});
}

// Step 33: the settings reset at the end of a read or a cancelled dialog.
void EndRead(Model& m) {
    m.ThresOption = 0;
    InitializeRecords(m);
    m.MaxR = 4.0;
    m.MaxH = 2.0;
}

// Column of each atom-site data name in its loop (-1: absent).
struct SiteColumns {
    int label = -1;
    int type = -1;
    int multiplicity = -1;
    int x = -1;
    int y = -1;
    int z = -1;
    int occupancy = -1;
    int oxidation = -1;
};

constexpr std::array<std::string_view, 8> SiteNames{
    "_atom_site_label",     "_atom_site_type_symbol",     "_atom_site_symmetry_multiplicity",
    "_atom_site_fract_x",   "_atom_site_fract_y",         "_atom_site_fract_z",
    "_atom_site_occupancy", "_atom_site_oxidation_number"};

int& ColumnOf(SiteColumns& c, std::size_t name) {
    switch (name) {
    case 0:
        return c.label;
    case 1:
        return c.type;
    case 2:
        return c.multiplicity;
    case 3:
        return c.x;
    case 4:
        return c.y;
    case 5:
        return c.z;
    case 6:
        return c.occupancy;
    default:
        return c.oxidation;
    }
}

// One site row on its way into the staging table.
struct Site {
    StagingRow row{};
    bool anion = false;
    double occupancy = 0; // the file's occupancies of its rows, summed
};

class Reader {
  public:
    Reader(Model& m, MessageSink& msg, std::string_view contents, const ReadOptions& options)
        : m_(m), msg_(msg), options_(options) {
        raw_ = SplitLines(DecodeText(contents));
        raw_.emplace_back(" ");
        clean_.reserve(raw_.size());
        for (const std::string& line : raw_)
            clean_.push_back(CleanLine(line));
    }

    bool Run();

  private:
    bool Fail(std::string_view text) {
        msg_.Show(text);
        return false;
    }
    bool Fail(std::string_view text, std::string_view detail) {
        msg_.ShowWithDetail(text, detail);
        return false;
    }

    bool CellItem(const std::string& line, std::string_view name, std::string& target, bool angle);
    bool CellItems(const std::string& line);
    void SpaceGroup(const std::string& line);
    std::size_t Operators(std::size_t i);
    bool TypeCharges(std::size_t i, bool& usedUp);
    bool AtomSites(std::size_t i);
    bool Header(std::size_t i, std::size_t& firstRow);
    bool StageRow(const std::string& row, std::vector<Site>& sites);
    bool SiteCharge(const std::string& typeText, const std::string& symbol, const std::string& row,
                    double& value, std::string& given);
    std::string ChargeDetail(const std::string& label, const std::string& typeText,
                             const std::string& symbol, const std::string& given) const;
    bool Complete(std::vector<Site>& sites);
    void RenameDuplicateLabels(std::vector<Site>& sites);
    void WarnAboutOccupancies(const std::vector<Site>& sites);

    Model& m_;
    MessageSink& msg_;
    const ReadOptions& options_;
    std::vector<std::string> raw_;   // lines as stored
    std::vector<std::string> clean_; // the same lines cleaned
    bool numbered_ = false;          // operator ids come first
    bool typeCharges_ = false;       // the file has type charges
    bool typeLoop_ = false;          // ... and they were read from its type loop
    SiteColumns col_;
    std::string format_ = "0.0"; // coordinate format of the last coordinate
    // Type-charge list parsed once: symbol -> (sign, digits, value); the last
    // line of a symbol wins.
    struct TypeCharge {
        std::string sign;
        std::string digits;
        double value = 0;
    };
    std::unordered_map<std::string, TypeCharge> types_;
};

bool Reader::CellItem(const std::string& line, std::string_view name, std::string& target,
                      bool angle) {
    if (!Contains(line, name)) return true;
    std::string value = ElimFinPoint(RemoveUncertainties(Field(line, 1, true)));
    if (angle && (value == "?" || value.empty())) value = "90";
    if (!TryStrToFloat(value)) return Fail(cif_text::InvalidCell);
    target = value;
    return true;
}

bool Reader::CellItems(const std::string& line) {
    if (!Contains(line, "_cell_")) return true;
    return CellItem(line, "_cell_length_a", m_.a, false) &&
           CellItem(line, "_cell_length_b", m_.b, false) &&
           CellItem(line, "_cell_length_c", m_.c, false) &&
           CellItem(line, "_cell_angle_alpha", m_.alpha, true) &&
           CellItem(line, "_cell_angle_beta", m_.beta, true) &&
           CellItem(line, "_cell_angle_gamma", m_.gamma, true);
}

void Reader::SpaceGroup(const std::string& line) {
    if (!Contains(line, "H-M")) return;
    // A cleaned line may still end in one blank; it is dropped first, or the
    // closing quote would stay in the symbol ("P 1'" instead of "P 1").
    const std::string s = ElimEndBlanks(line);
    std::size_t quote = s.find('\'');
    if (quote == npos) quote = s.find(RightQuote);
    if (quote == npos) quote = s.find('"');
    if (quote != npos) {
        m_.spacegroup = ShaveChars(std::string_view(s).substr(quote));
    } else {
        const std::size_t blank = s.find(' ');
        m_.spacegroup = blank == npos ? s : s.substr(blank + 1);
    }
}

// Reads the operator list that follows line i and returns the index of the
// line that ended it (or the number of lines); the scan goes on with that
// line, so that a data name right after the list is not lost. The operator
// is taken from its own column of the loop, quoted values may hold blanks
// ("'-x + 1/2, y, z'") and double quotes are quotes too: taking column 1
// after the ids only, or cutting at the first blank, would end the list early
// and load the structure without some of its images.
std::size_t Reader::Operators(std::size_t i) {
    m_.SymList = true;
    m_.SymOpArray.assign(1, "x,y,z");
    const std::size_t n = clean_.size();

    // The column of the operator: its place among the data names of its loop,
    // or, outside a loop, 1 when ids were announced and 0 otherwise.
    std::size_t first = i;
    while (first > 0 && StartsWith(clean_[first - 1], "_"))
        --first;
    const bool inLoop = first > 0 && StartsWithWord(clean_[first - 1], "loop_");
    std::size_t j = i + 1;
    std::size_t column = numbered_ ? 1 : 0;
    bool severalColumns = numbered_;
    if (inLoop) {
        while (j < n && StartsWith(clean_[j], "_"))
            ++j;
        column = i - first;
        severalColumns = j - first > 1;
    }

    for (; j < n; ++j) {
        std::string s = clean_[j];
        if (s.empty()) continue;
        if (severalColumns) {
            const auto fields = QuotedFields(JoinAfterCommas(s));
            s = fields.empty() ? std::string() : fields[std::min(column, fields.size() - 1)];
        }
        const bool comma = Contains(s, ",");
        const std::size_t straight = s.find('\'');
        const std::size_t right = s.find(RightQuote);
        const std::size_t dbl = s.find('"');
        if (straight != npos || right != npos || dbl != npos) {
            s = s.substr(std::min({straight, right, dbl}));
            s = ShaveChars(s);
        }
        s = RemoveBlanksAndQuotes(s);
        if (!comma) return j;
        if (s != "x,y,z") m_.SymOpArray.push_back(s);
    }
    return n;
}

bool Reader::TypeCharges(std::size_t i, bool& usedUp) {
    const std::string& line = clean_[i];
    usedUp = false;
    if (!StartsWith(line, "_atom_type_symbol") && !StartsWith(line, "_atom_site_label"))
        return true;
    if (i + 2 >= raw_.size() || !StartsWith(raw_[i + 1], "_atom_type_oxidation_number") ||
        raw_[i + 2].find_first_of(" \t") == npos)
        return true;
    typeCharges_ = true;
    usedUp = true;
    if (!Contains(line, "_atom_type_symbol")) return true;

    typeLoop_ = true;
    std::vector<std::string> list;
    for (std::size_t j = i + 2; j < clean_.size(); ++j) {
        const std::string row = ElimEndBlanks(clean_[j]);
        if (row.empty() || !isNumber(row)) break;
        const std::string type = Field(row, 0);
        const std::string symbol = GetSymbol(type);
        if (!ValidSymbol(symbol)) return Fail(symbol + std::string(cif_text::InvalidSymbolSuffix));
        const std::string oxidation = Field(row, 1, true);
        double value = 0;
        const bool ok = ReadCharge(oxidation, m_, value);
        if (!ok || !IsWhole(value) || std::round(value) == 0)
            return Fail(std::string(cif_text::TypeChargePrefix) + symbol + " " + m_.Charge +
                        std::string(cif_text::TypeChargeSuffix));
        list.push_back(type + " " + oxidation);
    }
    std::sort(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
        const auto less = [](char x, char y) { return LowerAscii(x) < LowerAscii(y); };
        if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) return true;
        if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less))
            return false;
        return a < b;
    });
    list.erase(std::unique(list.begin(), list.end()), list.end());
    m_.ChMemo = std::move(list);
    return true;
}

// Reads the data names of the atom-site loop that starts at line i; firstRow
// is set to the first data row.
bool Reader::Header(std::size_t i, std::size_t& firstRow) {
    // Data names of the same loop written before the one that announced it
    // still count for the columns.
    std::size_t first = i;
    while (first > 0 && StartsWith(clean_[first - 1], "_atom_site_"))
        --first;
    if (first == 0 || !StartsWithWord(clean_[first - 1], "loop_")) first = i;

    col_ = SiteColumns{};
    std::size_t j = first;
    for (;; ++j) {
        if (j >= clean_.size() || clean_[j].empty()) return Fail(cif_text::BlankLine);
        const std::string& h = clean_[j];
        // A header line begins with "_": a data row whose label holds one
        // ("Fe_1") would otherwise be taken for a header and its site lost.
        if (h.front() != '_') break;
        const int column = static_cast<int>(j - first);
        for (std::size_t k = 0; k < SiteNames.size(); ++k)
            if (Contains(h, SiteNames[k])) ColumnOf(col_, k) = column;
    }
    firstRow = j;

    if (col_.label < 0) return Fail(cif_text::MissingLabel);
    if (col_.type < 0) {
        msg_.Show(cif_text::MissingSymbol);
        m_.NoBVS = true;
    }
    if (col_.x < 0 || col_.y < 0 || col_.z < 0) return Fail(cif_text::MissingCoordinate);
    if (col_.occupancy < 0) return Fail(cif_text::Occupancies, cif_text::OccupancyColumnMissing);
    return true;
}

bool Reader::AtomSites(std::size_t i) {
    m_.AClength = m_.AAlength = m_.GACLength = m_.GAALength = 0;
    std::size_t j = 0;
    if (!Header(i, j)) return false;

    // Data rows up to the end of the loop. The "#" and "+" tests look at a
    // row without its uncertainties; the fields are cut from the row as it
    // stands, and only the numbers lose their uncertainties (StageRow), so a
    // label such as "O(1)" keeps its parentheses.
    struct Row {
        std::string text;  // the cleaned line
        std::string plain; // the same without uncertainties
    };
    std::vector<Row> rows;
    for (; j < clean_.size() && !EndsLoop(clean_[j]); ++j) {
        std::string plain = RemoveUncertainties(clean_[j]);
        if (plain == "Error")
            return Fail(std::string(cif_text::StandardDeviationsPrefix) + IntToStr(j + 1));
        if (!Contains(plain, "#")) rows.push_back({clean_[j], std::move(plain)});
    }

    // Rows with a "+" first, then the others, each group in file order.
    std::stable_partition(rows.begin(), rows.end(),
                          [](const Row& r) { return Contains(r.plain, "+"); });

    // The species of one position (same x, y, z texts) next to each other,
    // in the order of their first row.
    std::unordered_map<std::string, std::size_t> groupOf;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string& t = rows[r].text;
        const std::string key =
            NumberField(t, col_.x) + NumberField(t, col_.y) + NumberField(t, col_.z);
        const auto [it, added] = groupOf.try_emplace(key, groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(r);
    }

    std::vector<Site> sites;
    for (const auto& group : groups)
        for (const std::size_t r : group)
            if (!StageRow(rows[r].text, sites)) return false;
    if (sites.empty()) return Fail(cif_text::NoAtomSites);
    return Complete(sites);
}

// The site's oxidation number: from the type loop, else from the
// oxidation-number column or the type symbol; given is the text the file
// gives for it (empty when the file gives none). Only a site to which the
// file gives no charge takes the one supplied for its element.
bool Reader::SiteCharge(const std::string& typeText, const std::string& symbol,
                        const std::string& row, double& value, std::string& given) {
    given.clear();
    if (typeLoop_) {
        const auto found = types_.find(typeText);
        if (found != types_.end()) {
            m_.Sgn = found->second.sign;
            m_.Charge = found->second.digits;
            value = found->second.value;
            return true;
        }
    } else if (!typeCharges_ || col_.oxidation >= 0) {
        // Type charges announced without a type loop: the site's own oxidation
        // numbers, when it has them, rather than a list of another file.
        const std::string text = col_.oxidation >= 0 ? NumberField(row, col_.oxidation) : typeText;
        if (text.find_first_of("0123456789+-") != npos) {
            given = text;
            return ReadCharge(text, m_, value);
        }
    }
    const auto supplied = options_.element_charges.find(symbol);
    return supplied != options_.element_charges.end() && ReadCharge(supplied->second, m_, value);
}

// What the line after "Error reading charges." says about one site.
std::string Reader::ChargeDetail(const std::string& label, const std::string& typeText,
                                 const std::string& symbol, const std::string& given) const {
    if (!given.empty())
        return "The oxidation number of site " + label + " (" + given +
               ") is zero or cannot be used.";
    std::string detail =
        "Site " + label + " (type symbol " + typeText + ") has no oxidation number";
    if (!options_.element_charges.empty()) detail += ", and none was supplied for " + symbol;
    detail += ". " + std::string(cif_text::ChargesHint);
    if (!options_.missing_charge_hint.empty()) detail += " " + options_.missing_charge_hint;
    return detail;
}

// Step 22: one file row into the staging rows, merged into the row above when
// it is another species of the same position.
bool Reader::StageRow(const std::string& row, std::vector<Site>& sites) {
    Site site;
    StagingRow& s = site.row;
    const std::string label = Field(row, col_.label); // as written, parentheses and all
    Cell(s, ColLabel) = label;

    const std::string typeText = NumberField(row, col_.type >= 0 ? col_.type : 0);
    const std::string symbol = GetSymbol(typeText);
    if (!ValidSymbol(symbol)) return Fail(symbol + std::string(cif_text::InvalidSymbolSuffix));

    std::array<double, 3> xyz{};
    const std::array<int, 3> columns{col_.x, col_.y, col_.z};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::string text = NumberField(row, columns[k]);
        const auto value = TryStrToFloat(text);
        if (text.empty() || !value) return Fail(std::string(cif_text::CoordinatesPrefix) + label);
        // 1 to 7 decimals build the format; more are written with 7 (keeping
        // the format of the coordinate before would round 0.33333333 to 0.3
        // after a one-decimal coordinate and move the atom).
        const int decimals = CoordDecimals(text);
        DecForm(std::min(decimals, 7), format_);
        double v = *value;
        if (v < 0 || v > 1) v -= std::floor(v);
        if (v >= 1) v = 0;
        std::string out = FF(format_, v);
        if (out == FF(format_, 1.0))
            out = FF(format_, 0.0); // rounds up to the next cell: the same position
        xyz[k] = TryStrToFloat(out).value_or(0.0);
        Cell(s, ColX + static_cast<int>(k)) = std::move(out);
    }

    const std::string occupancyText = NumberField(row, col_.occupancy);
    const auto occupancy = TryStrToFloat(occupancyText);
    // A negative occupancy is refused too: it would turn the sign of the
    // charge and so make a cation an anion.
    if (occupancyText.empty() || !occupancy || *occupancy < 0 || *occupancy > MaxAmount)
        return Fail(cif_text::Occupancies,
                    "The occupancy of site " + label + " (" + occupancyText +
                        ") cannot be used; 1.0 is the value for fully occupied sites.");
    site.occupancy = *occupancy;
    Cell(s, ColOccupancy) = FF("0.000", *occupancy);
    Cell(s, ColPopulation) = Cell(s, ColOccupancy) + "." + symbol;

    double oxidation = 0;
    std::string given;
    if (!SiteCharge(typeText, symbol, row, oxidation, given))
        return Fail(cif_text::Charges, ChargeDetail(label, typeText, symbol, given));
    const std::string sign = m_.Sgn;
    const double charge = oxidation * *occupancy;
    const std::string magnitude = FF("0.000", charge);
    // A zero charge, however written, or an absurd one; the line after the
    // message names the site when its oxidation number itself is zero.
    if (!std::isfinite(charge) || magnitude == "0.000" || std::fabs(charge) > MaxAmount) {
        if (given.empty() || FF("0.000", oxidation) != "0.000") return Fail(cif_text::Charges);
        return Fail(cif_text::Charges, ChargeDetail(label, typeText, symbol, given));
    }
    site.anion = sign == "-";
    std::string species = symbol;
    if (species.size() < 3) species.append(3 - species.size(), ' ');
    Cell(s, ColSpecies) =
        species + sign + OxidationText(m_.Charge, oxidation) + " " + Cell(s, ColOccupancy);
    Cell(s, ColCharge) = sign + magnitude;
    Cell(s, ColSymbols) = symbol;

    if (!sites.empty()) {
        Site& above = sites.back();
        bool same = above.anion == site.anion;
        for (std::size_t k = 0; k < 3 && same; ++k) {
            const double other =
                TryStrToFloat(Cell(above.row, ColX + static_cast<int>(k))).value_or(-1.0);
            same = std::fabs(other - xyz[k]) < 0.00001;
        }
        if (same) {
            // Occupancies and charges are summed as the two rows hold them,
            // rounded to three decimals.
            StagingRow& t = above.row;
            const auto occupancyAbove = TryStrToFloat(Cell(t, ColOccupancy));
            const auto occupancyHere = TryStrToFloat(Cell(s, ColOccupancy));
            if (!occupancyAbove || !occupancyHere) return Fail(cif_text::Occupancies);
            double chargeAbove = 0;
            double chargeHere = 0;
            if (!ReadCharge(Cell(t, ColCharge), m_, chargeAbove) ||
                !ReadCharge(Cell(s, ColCharge), m_, chargeHere) ||
                chargeAbove + chargeHere > MaxAmount)
                return Fail(cif_text::Charges);
            if (*occupancyAbove + *occupancyHere > MaxAmount) return Fail(cif_text::Occupancies);
            above.occupancy += site.occupancy;
            Cell(t, ColSymbols) += "-" + Cell(s, ColSymbols);
            Cell(t, ColPopulation) += ":" + Cell(s, ColPopulation);
            Cell(t, ColLabel) += "-" + Cell(s, ColLabel);
            Cell(t, ColOccupancy) = FF("0.000", *occupancyAbove + *occupancyHere);
            Cell(t, ColCharge) = sign + FF("0.000", chargeAbove + chargeHere);
            Cell(t, ColSpecies) += "," + Cell(s, ColSpecies);
            return true;
        }
    }
    sites.push_back(std::move(site));
    return true;
}

// Everything that works by label (multiplicities, bond links, the charges
// a ligand site receives) would mix two sites that share a label. The later
// site in staging order is renamed label + "_" + k, k the smallest number
// from 2 that no site uses, with a message. The rows merged into one mixed
// site may share a label: only the joined labels of the sites count.
void Reader::RenameDuplicateLabels(std::vector<Site>& sites) {
    std::unordered_set<std::string> used;
    for (const Site& s : sites)
        used.insert(Cell(s.row, ColLabel));
    std::unordered_set<std::string> seen;
    for (Site& s : sites) {
        std::string& label = Cell(s.row, ColLabel);
        if (seen.insert(label).second) continue;
        long long k = 2;
        while (used.count(label + "_" + IntToStr(k)) != 0)
            ++k;
        const std::string renamed = label + "_" + IntToStr(k);
        used.insert(renamed);
        seen.insert(renamed);
        msg_.Show(std::string(cif_text::DuplicateLabelPrefix) + label + ": the site at " +
                  Cell(s.row, ColX) + ", " + Cell(s.row, ColX + 1) + ", " + Cell(s.row, ColX + 2) +
                  " is read as " + renamed + ".");
        label = renamed;
    }
}

// A site whose occupancy (summed over the species of a mixed site) is above
// 1 is read as it stands, with a warning. Both the file's values and the
// three-decimal value the calculation uses must be above 1, so that
// rounding alone (0.2635 + 0.7365 read as 0.264 + 0.737) warns of nothing.
void Reader::WarnAboutOccupancies(const std::vector<Site>& sites) {
    for (const Site& s : sites) {
        const double used = TryStrToFloat(Cell(s.row, ColOccupancy)).value_or(0.0);
        if (s.occupancy > 1 && used > 1)
            msg_.Show(std::string(cif_text::OccupancyAboveOnePrefix) + Cell(s.row, ColLabel) +
                      " has an occupancy of " + Cell(s.row, ColOccupancy) +
                      ", more than 1. It is read as given.");
    }
}

// Steps 24-32: classification, cell, records, expansion, numbering, charge
// sums and symbols.
bool Reader::Complete(std::vector<Site>& sites) {
    std::stable_partition(sites.begin(), sites.end(), [](const Site& s) { return !s.anion; });
    const auto anions =
        std::count_if(sites.begin(), sites.end(), [](const Site& s) { return s.anion; });
    const auto cations = static_cast<std::ptrdiff_t>(sites.size()) - anions;
    if (cations > MaxAtoms || anions > MaxAtoms) return Fail(cif_text::TooManySites);

    RenameDuplicateLabels(sites);
    WarnAboutOccupancies(sites);

    const bool p1 = m_.spacegroup == "P 1";
    m_.SG1.assign(1, StagingRow{});
    for (Site& s : sites) {
        if (!m_.SymList && p1) Cell(s.row, ColMultiplicity) = "1"; // the sites are the whole cell
        m_.SG1.push_back(std::move(s.row));
    }

    for (const std::string* text : {&m_.a, &m_.b, &m_.c, &m_.alpha, &m_.beta, &m_.gamma})
        if (text->empty()) return Fail(cif_text::InvalidCell);
    PrepareUnitCell(m_);
    if (!TransformationMatrix(m_)) return Fail(cif_text::InvalidCell);

    m_.AClength = static_cast<int>(cations);
    m_.AAlength = static_cast<int>(anions);
    LoadRecords(m_);

    if (m_.SymList) {
        if (!GenerateAtoms(m_, msg_)) return false;
        CalcMultiplicities(m_);
        LoadRecords(m_);
        LoadGeneratedRecords(m_, true); // BeginRead blanked every record in use
    } else if (!p1) {
        return Fail(cif_text::NoOperators);
    }

    for (std::size_t r = 1; r < m_.SG1.size(); ++r)
        Cell(m_.SG1[r], ColNumber) = IntToStr(static_cast<long long>(r));

    m_.StrPosCharge = 0;
    m_.StrNegCharge = 0;
    for (std::size_t r = 1; r < m_.SG1.size(); ++r) {
        const std::string& q = Cell(m_.SG1[r], ColCharge);
        const double v = TryStrToFloat(q).value_or(0.0);
        if (Contains(q, "-"))
            m_.StrNegCharge += v;
        else
            m_.StrPosCharge += v;
    }

    ParaSymbols(m_);
    m_.ITModified = false;
    m_.RadModified = false;
    m_.Calculated = false;
    return true;
}

bool Reader::Run() {
    const std::size_t n = clean_.size();
    for (std::size_t i = 0; i < n;) {
        const std::string& line = clean_[i];
        if (!CellItems(line)) return false;
        SpaceGroup(line);
        if (Contains(line, "_space_group_symop_id") ||
            Contains(line, "_symmetry_equiv_pos_site_id"))
            numbered_ = true;
        std::size_t next = i + 1;
        if (Contains(line, "_space_group_symop_operation_xyz") ||
            Contains(line, "_symmetry_equiv_pos_as_xyz"))
            next = Operators(i);

        bool usedUp = false;
        if (!TypeCharges(i, usedUp)) return false;
        if (!usedUp) {
            for (const std::string_view name : SiteNames) {
                if (!StartsWith(line, name)) continue;
                if (typeLoop_) {
                    // The type-charge list, parsed once for all sites.
                    types_.clear();
                    for (const std::string& entry : m_.ChMemo) {
                        double value = 0;
                        if (!ReadCharge(Field(entry, 1, true), m_, value))
                            return Fail(cif_text::Charges);
                        types_[Field(entry, 0)] = {m_.Sgn, m_.Charge, value};
                    }
                }
                return AtomSites(i);
            }
        }
        i = next;
    }
    return Fail(cif_text::NoAtomSites);
}

} // namespace

namespace {

using Clock = std::chrono::steady_clock;

bool ReadText(std::string_view contents, const std::string& path, Model& m, MessageSink& msg,
              const ReadOptions& options, Clock::time_point start) {
    BeginRead(m, path);
    Reader reader(m, msg, contents, options);
    if (!reader.Run()) {
        ForgetStructure(m);
        return false;
    }
    EndRead(m);
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    m.timeelapsed2 = elapsed.count();
    return true;
}

} // namespace

bool ReadCifText(std::string_view contents, const std::string& path, Model& m, MessageSink& msg,
                 const ReadOptions& options) {
    return ReadText(contents, path, m, msg, options, Clock::now());
}

bool ReadCifFile(const std::string& path, Model& m, MessageSink& msg, const ReadOptions& options) {
    const auto start = Clock::now(); // reading the file counts into the time
    std::error_code failure;
    std::string bytes;
    if (std::filesystem::is_directory(path, failure)) {
        failure = std::make_error_code(std::errc::is_a_directory);
    } else {
        failure.clear();
        errno = 0;
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            failure = std::error_code(errno ? errno : ENOENT, std::generic_category());
        } else {
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (in.bad()) failure = std::error_code(errno ? errno : EIO, std::generic_category());
        }
    }
    if (failure) {
        BeginRead(m, path);
        msg.Show(std::string(cif_text::CannotOpenPrefix) + path + ": " + failure.message());
        return false;
    }
    return ReadText(bytes, path, m, msg, options, start);
}

void OpenCancelled(Model& m) {
    m.FirstBondSpecific = true;
    m.IsHydrogen = false;
    m.ExZeroW = false;
    EndRead(m);
}

std::string TitleOf(std::string_view path) {
    const std::size_t slash = LastSeparator(path);
    std::string title(slash == npos ? path : path.substr(slash + 1));
    if (const std::size_t p = title.find(".cif"); p != npos) title.erase(p, 4);
    return title;
}

bool StructureLoaded(const Model& m) {
    return m.AClength + m.AAlength > 0;
}

void LoadRecords(Model& m) {
    if (m.AClength != 0) AtomRecordClear(m);
    const int rows = static_cast<int>(m.SG1.size()) - 1;
    m.AC.Ensure(std::clamp(m.AClength, 0, MaxAtoms));
    m.AA.Ensure(std::clamp(m.AAlength, 0, MaxAtoms));
    auto load = [&m](StagingRow& row, TAtoms& r) {
        r.Atomlabel = Cell(row, ColLabel);
        r.symbol = Cell(row, ColPopulation);
        GetCharge(Cell(row, ColCharge), m.Sgn, m.Charge);
        const double q = TryStrToFloat(m.Charge).value_or(0.0);
        r.effcharge = m.Sgn == "-" ? -q : q;
        r.RoString = Cell(row, ColSpecies);
        r.SymOp = "x,y,z";
        r.SymTrans = "0,0,0";
        r.Generated = false;
        r.Multiplicity = TryStrToInt(Cell(row, ColMultiplicity)).value_or(0);
        r.X = TryStrToFloat(Cell(row, ColX)).value_or(0.0);
        r.Y = TryStrToFloat(Cell(row, ColX + 1)).value_or(0.0);
        r.Z = TryStrToFloat(Cell(row, ColX + 2)).value_or(0.0);
        r.occupancy = TryStrToFloat(Cell(row, ColOccupancy)).value_or(0.0);
        Cell(row, ColSymbols) = OrderSymbols(Cell(row, ColSymbols), "-");
        r.AtomSymbol = Cell(row, ColSymbols);
        ToCartesian(m, r.X, r.Y, r.Z, r.CX, r.CY, r.CZ);
    };
    const int cations = std::clamp(m.AClength, 0, std::min(MaxAtoms, rows));
    for (int i = 1; i <= cations; ++i)
        load(m.SG1[static_cast<std::size_t>(i)], m.AC[i]);
    const int anions = std::clamp(m.AAlength, 0, std::min(MaxAtoms, rows - cations));
    for (int i = 1; i <= anions; ++i)
        load(m.SG1[static_cast<std::size_t>(cations + i)], m.AA[i]);
}

std::vector<AtomGridRow> AtomGridRows(const Model& m) {
    std::string format = "0.0000";
    DecForm(std::clamp(Decimals(m), 1, 7), format);
    std::vector<AtomGridRow> grid;
    grid.reserve(m.SG1.empty() ? 0 : m.SG1.size() - 1);
    for (std::size_t r = 1; r < m.SG1.size(); ++r) {
        const StagingRow& row = m.SG1[r];
        AtomGridRow g;
        for (int k = 0; k <= 2; ++k)
            g[static_cast<std::size_t>(k)] = Cell(row, k);
        g[3] = RightAlign(Cell(row, ColCharge), ChargeWidth);
        g[4] = RightAlign(Cell(row, ColMultiplicity), MultiplicityWidth);
        for (int k = 0; k < 3; ++k) {
            const std::string& text = Cell(row, ColX + k);
            const auto v = TryStrToFloat(text);
            g[static_cast<std::size_t>(5 + k)] =
                RightAlign(v ? FF(format, *v) : text, CoordinateWidth);
        }
        g[8] = RightAlign(Cell(row, ColOccupancy), OccupancyWidth);
        grid.push_back(std::move(g));
    }
    return grid;
}

std::string ReadingTimeText(const Model& m) {
    return "Time elapsed: " + FF("0.000", m.timeelapsed2) + " s";
}

} // namespace kevo

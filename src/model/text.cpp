#include "model/text.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "model/numbers.h"

namespace kevo {

namespace {

constexpr char Blank = ' ';

// Removes every occurrence of `what` from s.
std::string EraseAll(std::string s, std::string_view what) {
    std::string::size_type p = 0;
    while ((p = s.find(what, p)) != std::string::npos)
        s.erase(p, what.size());
    return s;
}

// Removes every character of s for which drop(c) is true.
template <class Pred> std::string EraseIf(std::string s, Pred drop) {
    std::erase_if(s, drop);
    return s;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Order "without regard to letter case"; texts equal in that order are put
// in plain byte order so that identical texts end up next to each other.
bool LessIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower_less = [](char x, char y) { return LowerAscii(x) < LowerAscii(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lower_less))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lower_less))
        return false;
    return a < b;
}

} // namespace

// --- Line cleaning ---------------------------------------------------------

std::string RepTabs(std::string s) {
    std::replace(s.begin(), s.end(), '\t', Blank);
    return s;
}

std::string ElimDupBlanks(std::string s) {
    const auto last =
        std::unique(s.begin(), s.end(), [](char a, char b) { return a == Blank && b == Blank; });
    s.erase(last, s.end());
    return s;
}

std::string ElimLeadBlanks(std::string s) {
    s.erase(0, s.find_first_not_of(Blank));
    return s;
}

std::string ElimEndBlanks(std::string s) {
    const auto p = s.find_last_not_of(Blank);
    s.erase(p == std::string::npos ? 0 : p + 1);
    return s;
}

std::string ElimBlanks(std::string s) {
    return EraseIf(std::move(s), [](char c) { return c == Blank; });
}

std::string ElimBlanksInSymOp(std::string s) {
    // Repeated, so that ",  " also becomes ",".
    std::string::size_type p = 0;
    while ((p = s.find(", ", p)) != std::string::npos)
        s.erase(p + 1, 1);
    return s;
}

std::string ElimQuotes(std::string s) {
    s = EraseAll(std::move(s), "\xE2\x80\x99"); // U+2019 RIGHT SINGLE QUOTATION MARK
    return EraseIf(std::move(s), [](char c) { return c == '\''; });
}

std::string ElimPara(std::string s) {
    return EraseIf(std::move(s), [](char c) { return c == '(' || c == ')'; });
}

std::string ElimFinPoint(std::string s) {
    const auto p = s.find('.');
    if (p != std::string::npos && p + 1 == s.size()) s.pop_back();
    return s;
}

std::string Shave(std::string s) {
    if (!s.empty()) s.erase(0, 1);
    if (!s.empty()) s.pop_back();
    return s;
}

std::string Star(std::string s) {
    if (!s.empty() && s.front() == '*') s.erase(0, 1);
    return s;
}

int CountBlanks(std::string_view s) {
    return static_cast<int>(std::count(s.begin(), s.end(), Blank));
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string CleanLine(std::string s) {
    return ElimLeadBlanks(ElimDupBlanks(RepTabs(std::move(s))));
}

// --- Fields ----------------------------------------------------------------

std::string GetCol(std::string_view separator, std::string s, int n) {
    if (separator.empty()) return s;
    // 1. Runs of separators count as one.
    const std::string doubled = std::string(separator) + std::string(separator);
    std::string::size_type p = 0;
    while ((p = s.find(doubled, p)) != std::string::npos)
        s.erase(p, separator.size()); // look again at p: a third one may follow
    // 2. Drop the first n fields.
    for (int i = 0; i < n; ++i) {
        p = s.find(separator);
        if (p == std::string::npos) break; // nothing left to remove: the last field stays
        s.erase(0, p + separator.size());
    }
    // 3. Keep what is before the next separator.
    p = s.find(separator);
    if (p != std::string::npos) s.erase(p);
    return s;
}

std::string ElimESD(std::string s) {
    const auto opening = std::count(s.begin(), s.end(), '(');
    const auto closing = std::count(s.begin(), s.end(), ')');
    if (opening != closing) return "Error";
    for (;;) {
        const auto open = s.find('(');
        const auto close = s.find(')');
        if (open == std::string::npos || close == std::string::npos) return s;
        if (close < open) return "Error"; // ")" before its "(": as unbalanced
        s.erase(open, close - open + 1);
    }
}

// --- Element symbols --------------------------------------------------------

std::string GetSymbol(std::string s) {
    return EraseIf(std::move(s), [](char c) {
        return IsDigit(c) || c == Blank || c == '.' || c == ',' || c == '+' || c == '-';
    });
}

bool ValidSymbol(std::string_view s) {
    return std::find(Elements.begin(), Elements.end(), s) != Elements.end();
}

std::string OrderSymbols(std::string s, std::string_view separator) {
    if (separator.empty() || s.find(separator) == std::string::npos) return s;
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto p = s.find(separator, start);
        if (p == std::string::npos) {
            parts.push_back(s.substr(start));
            break;
        }
        parts.push_back(s.substr(start, p - start));
        start = p + separator.size();
    }
    std::sort(parts.begin(), parts.end(), LessIgnoringCase);
    parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
    std::string joined = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        joined += separator;
        joined += parts[i];
    }
    return joined;
}

// --- Oxidation numbers -------------------------------------------------------

std::string GetCharge(std::string_view C, std::string& Sgn, std::string& Charge) {
    constexpr std::string_view NoCharge = "9.999";
    Sgn = (C.find('-') != std::string_view::npos) ? "-" : "+";
    if (C == "0" || C == "0+") {
        Charge = NoCharge;
        return Sgn + Charge;
    }
    std::string collected;
    for (const char c : C)
        if (IsDigit(c) || c == '.' || c == ',' || c == Blank) collected += c;
    if (!collected.empty())
        Charge = collected;
    else if (C.find_first_of("+-") != std::string_view::npos)
        Charge = "1"; // a bare sign, as in Na+ or Cl-
    else
        Charge = NoCharge;
    if (Sgn == "+") Sgn.clear();
    if (const auto value = TryStrToFloat(Charge)) return Sgn + FF("0.000", *value);
    return Sgn + Charge;
}

// --- Numbers as text --------------------------------------------------------

int CoordDecimals(std::string_view s) {
    const auto p = s.find('.');
    return static_cast<int>(p == std::string_view::npos ? s.size() : s.size() - p - 1);
}

bool isNumber(std::string_view s) {
    return std::any_of(s.begin(), s.end(), IsDigit);
}

bool Equal(double a, double b) {
    return std::fabs(a - b) < 0.001;
}

double Maximum(double a, double b) {
    return a > b ? a : b;
}

double Minimum(double a, double b) {
    return a < b ? a : b;
}

namespace {

// Index of the largest of v[1..3] other than `skip`, starting from a best of
// 0 and index 0 and taking an element when it is >= the best so far.
int ScanMax(const Array1<double, 3>& v, int skip) {
    double best = 0;
    int index = 0;
    for (int i = 1; i <= 3; ++i) {
        if (i != skip && v[i] >= best) {
            best = v[i];
            index = i;
        }
    }
    return index;
}

} // namespace

int GetMax(const Array1<double, 3>& v) {
    return ScanMax(v, 0);
}

int GetSecMax(const Array1<double, 3>& v) {
    return ScanMax(v, GetMax(v));
}

int TextLength(std::string_view s) {
    int n = 0;
    for (const char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        // Every byte that does not continue a multi-byte sequence starts a
        // character; a lead byte from 0xF0 on starts a surrogate pair.
        if ((b & 0xC0U) != 0x80U) n += b >= 0xF0U ? 2 : 1;
    }
    return n;
}

std::string PadLeft(std::string_view text, int w) {
    const int n = TextLength(text);
    if (n >= w) return std::string(text);
    std::string out;
    out.reserve(static_cast<std::size_t>(w - n) + text.size());
    out.append(static_cast<std::size_t>(w - n), ' ');
    out += text;
    return out;
}

std::string PadRight(std::string_view text, int w) {
    const int n = TextLength(text);
    if (n >= w) return std::string(text);
    std::string out;
    out.reserve(text.size() + static_cast<std::size_t>(w - n));
    out += text;
    out.append(static_cast<std::size_t>(w - n), ' ');
    return out;
}

} // namespace kevo

#include "model/numbers.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

namespace kevo {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The shortest round-trip decimal digits of |x| (x finite, not zero) and the
// decimal exponent of the first digit: |x| = d0.d1d2... * 10^exp.
struct Decimal {
    std::string digits;
    int exp = 0;
};

Decimal ShortestDecimal(double x, int precision = -1) {
    char buf[64];
    std::to_chars_result r{};
    if (precision < 0)
        r = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific);
    else
        r = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific,
                          precision);
    std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
    Decimal d;
    std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (IsDigit(text[i])) d.digits.push_back(text[i]);
    std::string_view exp_text = text.substr(e + 1);
    bool neg = false;
    if (!exp_text.empty() && (exp_text.front() == '+' || exp_text.front() == '-')) {
        neg = exp_text.front() == '-';
        exp_text.remove_prefix(1);
    }
    int exp = 0;
    std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exp);
    d.exp = neg ? -exp : exp;
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

std::string NonFinite(double x) {
    if (std::isnan(x)) return "NAN";
    return x < 0 ? "-INF" : "INF";
}

// Number of decimals of a picture format "0", "0.0", "0.00", ...; -1 when the
// text is not such a picture.
int PictureDecimals(std::string_view format) {
    if (format == "0") return 0;
    if (format.size() < 3 || format.substr(0, 2) != "0.") return -1;
    for (char c : format.substr(2))
        if (c != '0') return -1;
    return static_cast<int>(format.size()) - 2;
}

} // namespace

ConversionError::ConversionError(std::string_view text)
    : std::runtime_error("'" + std::string(text) + "' is not a valid floating point value"),
      text_(text) {}

std::optional<double> TryStrToFloat(std::string_view s) {
    s = Trim(s);
    std::string_view body = s;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) body.remove_prefix(1);
    // Only digits or a point may start the number: this refuses "inf", "nan",
    // a doubled sign and hexadecimal text, which from_chars would take.
    if (body.empty() || !(IsDigit(body.front()) || body.front() == '.')) return std::nullopt;
    if (body.front() == '.' && (body.size() == 1 || !IsDigit(body[1]))) return std::nullopt;
    double value = 0;
    auto [ptr, ec] =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (ec != std::errc() || ptr != body.data() + body.size()) return std::nullopt;
    if (!s.empty() && s.front() == '-') value = -value;
    return value;
}

double xStrToFloat(std::string_view s) {
    if (auto v = TryStrToFloat(s)) return *v;
    throw ConversionError(s);
}

std::string xFloatToStr(double x) {
    if (!std::isfinite(x)) return NonFinite(x);
    if (x == 0) return "0";
    Decimal d = ShortestDecimal(x, 14); // 15 significant digits
    std::string out = x < 0 ? "-" : "";
    const std::string& D = d.digits;
    if (d.exp < -5 || d.exp >= 15) {
        out += D[0];
        if (D.size() > 1) out += "." + D.substr(1);
        out += "E" + std::to_string(d.exp);
        return out;
    }
    if (d.exp >= 0) {
        std::size_t int_digits = static_cast<std::size_t>(d.exp) + 1;
        if (D.size() <= int_digits) {
            out += D + std::string(int_digits - D.size(), '0');
        } else {
            out += D.substr(0, int_digits) + "." + D.substr(int_digits);
        }
    } else {
        out += "0." + std::string(static_cast<std::size_t>(-d.exp - 1), '0') + D;
    }
    return out;
}

std::string FF(std::string_view format, double x) {
    const int n = PictureDecimals(format);
    if (n < 0)
        throw std::invalid_argument("unsupported number format '" + std::string(format) + "'");
    if (!std::isfinite(x)) return NonFinite(x);

    // N = |x| * 10^n rounded half away from zero, as a digit string, from the
    // shortest decimal form of x.
    std::string N;
    if (x != 0) {
        Decimal d = ShortestDecimal(x);
        const int keep = d.exp + n + 1; // digits at places >= 10^-n
        if (keep == 0) {
            N = d.digits[0] >= '5' ? "1" : "0";
        } else if (keep > 0) {
            const auto k = static_cast<std::size_t>(keep);
            N = d.digits.substr(0, std::min(k, d.digits.size()));
            if (N.size() < k) N.append(k - N.size(), '0');
            if (d.digits.size() > k && d.digits[k] >= '5') {
                int i = static_cast<int>(N.size()) - 1;
                while (i >= 0 && N[static_cast<std::size_t>(i)] == '9')
                    N[static_cast<std::size_t>(i--)] = '0';
                if (i < 0)
                    N.insert(N.begin(), '1');
                else
                    ++N[static_cast<std::size_t>(i)];
            }
        }
    }
    if (N.empty()) N = "0";
    const bool zero = N.find_first_not_of('0') == std::string::npos;
    const auto un = static_cast<std::size_t>(n);
    if (N.size() < un + 1) N.insert(0, un + 1 - N.size(), '0');
    std::string out = (x < 0 && !zero) ? "-" : "";
    if (n == 0) return out + N;
    return out + N.substr(0, N.size() - un) + "." + N.substr(N.size() - un);
}

std::string FormatString(std::string_view s, std::string_view format) {
    return FF(format, xStrToFloat(s));
}

void DecForm(int n, std::string& format) {
    if (n >= 1 && n <= 7) format = "0." + std::string(static_cast<std::size_t>(n), '0');
}

std::optional<int> TryStrToInt(std::string_view s) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') return std::nullopt;
    }
    if (s.empty()) return std::nullopt;
    int value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || ptr != s.data() + s.size()) return std::nullopt;
    return value;
}

std::string IntToStr(long long n) {
    return std::to_string(n);
}

} // namespace kevo

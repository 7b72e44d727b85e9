#include "model/numbers.h"

#include <algorithm>
#include <array>
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
// decimal exponent of the first digit: |x| = d0.d1d2... * 10^exp. At most 17
// digits, kept in place so that formatting a number allocates nothing but
// its text.
struct Decimal {
    std::array<char, 24> digits{};
    std::size_t size = 0;
    int exp = 0;

    std::string_view Digits() const { return {digits.data(), size}; }
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
        if (IsDigit(text[i]) && d.size < d.digits.size()) d.digits[d.size++] = text[i];
    std::string_view exp_text = text.substr(e + 1);
    bool neg = false;
    if (!exp_text.empty() && (exp_text.front() == '+' || exp_text.front() == '-')) {
        neg = exp_text.front() == '-';
        exp_text.remove_prefix(1);
    }
    int exp = 0;
    std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exp);
    d.exp = neg ? -exp : exp;
    while (d.size > 1 && d.digits[d.size - 1] == '0')
        --d.size;
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

std::string_view xFloatToStr(double x, NumberText& buf) {
    auto text = [&buf](std::string_view s) {
        std::copy(s.begin(), s.end(), buf.begin());
        return std::string_view(buf.data(), s.size());
    };
    if (std::isnan(x)) return text("NAN");
    if (!std::isfinite(x)) return text(x < 0 ? "-INF" : "INF");
    if (x == 0) return text("0");
    const Decimal d = ShortestDecimal(x, 14); // 15 significant digits
    const std::string_view D = d.Digits();
    // At most 15 digits, a sign, "0.", five zeros or an exponent: the text
    // fits in buf.
    std::size_t n = 0;
    auto put = [&buf, &n](std::string_view s) {
        for (char c : s)
            buf[n++] = c;
    };
    auto zeros = [&buf, &n](std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            buf[n++] = '0';
    };
    if (x < 0) put("-");
    if (d.exp < -5 || d.exp >= 15) {
        put(D.substr(0, 1));
        if (D.size() > 1) {
            put(".");
            put(D.substr(1));
        }
        put("E");
        const auto r = std::to_chars(buf.data() + n, buf.data() + buf.size(), d.exp);
        n = static_cast<std::size_t>(r.ptr - buf.data());
        return {buf.data(), n};
    }
    if (d.exp >= 0) {
        const auto int_digits = static_cast<std::size_t>(d.exp) + 1;
        if (D.size() <= int_digits) {
            put(D);
            zeros(int_digits - D.size());
        } else {
            put(D.substr(0, int_digits));
            put(".");
            put(D.substr(int_digits));
        }
    } else {
        put("0.");
        zeros(static_cast<std::size_t>(-d.exp - 1));
        put(D);
    }
    return {buf.data(), n};
}

std::string xFloatToStr(double x) {
    NumberText buf;
    return std::string(xFloatToStr(x, buf));
}

std::string FF(std::string_view format, double x) {
    const int n = PictureDecimals(format);
    if (n < 0)
        throw std::invalid_argument("unsupported number format '" + std::string(format) + "'");
    if (!std::isfinite(x)) return NonFinite(x);

    // N = |x| * 10^n rounded half away from zero, from the shortest decimal
    // form of x: the digits P, then z zeros (the shortest form has at most 17
    // significant digits, a carry may add one).
    std::array<char, 24> P{};
    std::size_t p = 0;
    std::size_t z = 0;
    if (x != 0) {
        const Decimal d = ShortestDecimal(x);
        const int keep = d.exp + n + 1; // digits at places >= 10^-n
        if (keep == 0) {
            P[p++] = d.digits[0] >= '5' ? '1' : '0';
        } else if (keep > 0) {
            const auto k = static_cast<std::size_t>(keep);
            p = std::min(k, d.size);
            std::copy(d.digits.begin(), d.digits.begin() + static_cast<std::ptrdiff_t>(p),
                      P.begin());
            z = k - p;
            if (d.size > k && d.digits[k] >= '5') {
                std::size_t i = p;
                while (i > 0 && P[i - 1] == '9')
                    P[--i] = '0';
                if (i == 0) {
                    std::copy_backward(P.begin(), P.begin() + static_cast<std::ptrdiff_t>(p),
                                       P.begin() + static_cast<std::ptrdiff_t>(p) + 1);
                    P[0] = '1';
                    ++p;
                } else {
                    ++P[i - 1];
                }
            }
        }
    }
    if (p == 0 && z == 0) P[p++] = '0';
    const bool zero = std::all_of(P.begin(), P.begin() + static_cast<std::ptrdiff_t>(p),
                                  [](char c) { return c == '0'; });
    // N padded with zeros in front to at least n + 1 digits, the point
    // before its last n.
    const auto un = static_cast<std::size_t>(n);
    const std::size_t len = p + z;
    const std::size_t total = std::max(len, un + 1);
    const std::size_t pad = total - len;
    std::string out;
    out.reserve(total + 2);
    if (x < 0 && !zero) out += '-';
    for (std::size_t i = 0; i < total; ++i) {
        if (un > 0 && i == total - un) out += '.';
        out += i < pad || i - pad >= p ? '0' : P[i - pad];
    }
    return out;
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

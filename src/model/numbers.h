// Text <-> number conversion for the whole program.
//
// Every number the program reads from a file, stores as text or prints uses
// "." as the decimal point, whatever the C locale is (a Qt application
// switches the C locale to the desktop's, where printf("%.3f") would print
// "2,500"). All conversions therefore go through this module, which is built
// on std::from_chars / std::to_chars and never consults the locale.
//
// Rounding of half-way values: the value is first written in its shortest
// round-trip decimal form (the digits a person sees when the number is
// printed in full), and that decimal text is rounded half away from zero.
// So 0.125 with "0.00" gives "0.13" and 2.675 (stored as 2.67499999...)
// gives "2.68", as a chemist rounding the printed number by hand would.
//
// Negative zero: a value that rounds to zero in the requested picture is
// printed without a sign ("0.000", never "-0.000").
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kevo {

// Raised by xStrToFloat for text that is not a number.
class ConversionError : public std::runtime_error {
  public:
    explicit ConversionError(std::string_view text);
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// The number written in s with "." as decimal point: leading and trailing
// blanks are ignored, a leading "+" or "-" is allowed, an exponent "e"/"E"
// is allowed. Anything else (empty text, "1,5", "nan", "inf", "1.2.3",
// trailing garbage) is not a number. Returns nothing for such text.
std::optional<double> TryStrToFloat(std::string_view s);

// As TryStrToFloat, but text that is not a number raises ConversionError.
double xStrToFloat(std::string_view s);

// x in the shortest general form with at most 15 significant digits and "."
// as decimal point: 0.25 -> "0.25", 3 -> "3", -0.1 -> "-0.1". Values below
// 1e-5 in magnitude, or with more than 15 digits before the point, use the
// exponent form "1.5E-7", "1E20".
std::string xFloatToStr(double x);

// The same text written into buf (it always fits), for loops that would
// otherwise make a string per number; the view points into buf.
using NumberText = std::array<char, 32>;
std::string_view xFloatToStr(double x, NumberText& buf);

// x formatted with a picture format: "0" (integer, rounded) or "0.0" ...
// "0.0000000" (exactly that many decimals). Any other picture raises
// std::invalid_argument. Rounding and zero as described above.
std::string FF(std::string_view format, double x);

// FF(format, xStrToFloat(s)); raises ConversionError for text that is not a
// number.
std::string FormatString(std::string_view s, std::string_view format);

// For n = 1..7 sets format to "0." followed by n zeros; any other n leaves
// format unchanged.
void DecForm(int n, std::string& format);

// Integer text: "12" -> 12. Blanks around the digits are ignored; anything
// else is not an integer.
std::optional<int> TryStrToInt(std::string_view s);

// Integer to text ("0" picture without rounding concerns).
std::string IntToStr(long long n);

} // namespace kevo

// Small pure text helpers: line cleaning, field cutting, uncertainty
// removal, element symbols and oxidation numbers. They define how CIF text is
// cleaned and cut everywhere in the program. "Blank" is the space character.
// Strings are UTF-8.
#pragma once

#include <array>

#include "model/array1.h"
#include <string>
#include <string_view>
#include <vector>

namespace kevo {

// --- Line cleaning ---------------------------------------------------------
std::string RepTabs(std::string s);           // every tab -> one blank
std::string ElimDupBlanks(std::string s);     // runs of blanks -> one blank
std::string ElimLeadBlanks(std::string s);    // leading blanks removed
std::string ElimEndBlanks(std::string s);     // trailing blanks removed
std::string ElimBlanks(std::string s);        // all blanks removed
std::string ElimBlanksInSymOp(std::string s); // ", " -> ","
std::string ElimQuotes(std::string s);        // "'" and U+2019 removed
std::string ElimPara(std::string s);          // "(" and ")" removed
std::string ElimFinPoint(std::string s);      // a first "." that is also the last char removed
std::string Shave(std::string s);             // first and last character removed
std::string Star(std::string s);              // a leading "*" removed
int CountBlanks(std::string_view s);

// Length of a UTF-8 text in the units report and grid columns are counted
// in (UTF-16 code units): "Å" and "Δ" count one, a character beyond U+FFFF
// two.
int TextLength(std::string_view s);

// Text padded with blanks to w characters (counted as TextLength counts
// them); never cut.
std::string PadLeft(std::string_view text, int w);
std::string PadRight(std::string_view text, int w);
// The lines of text; CR LF, LF and CR all end a line; a line break at the
// very end opens no further line.
std::vector<std::string> SplitLines(std::string_view text);

// RepTabs, ElimDupBlanks, ElimLeadBlanks in this order: how every line read
// from a file is cleaned.
std::string CleanLine(std::string s);

// --- Fields ----------------------------------------------------------------
// Field n (from 0) of s cut at separator; runs of separators count as one;
// past the last field the last field is returned; negative n gives field 0.
// An empty separator cuts nothing: s is returned whole.
std::string GetCol(std::string_view separator, std::string s, int n);

// Removes standard uncertainties written in parentheses: "0.25(1)" ->
// "0.25". Unbalanced parentheses (or a ")" before its "(") give "Error".
std::string ElimESD(std::string s);

// --- Element symbols --------------------------------------------------------
extern const std::array<std::string_view, 120> Elements; // index 0 = entry 1

std::string GetSymbol(std::string s); // without digits, blanks, ".", ",", "+", "-"
bool ValidSymbol(std::string_view s); // exact, case-sensitive table lookup
// The parts of s between separators, sorted without regard to letter case
// (parts equal in that order go in byte order), exact duplicates dropped,
// joined again; s unchanged when it holds no separator ("Mg-Fe-Mg" ->
// "Fe-Mg"; "Co-CO" -> "CO-Co", both kept).
std::string OrderSymbols(std::string s, std::string_view separator);

// --- Oxidation numbers -------------------------------------------------------
// Reads "3", "+3", "-2", "2-", "Fe3+", "O2-", "Cl-". Writes the sign ("-" or
// empty) to Sgn and the digits to Charge ("9.999" marks a missing or zero
// charge) and returns Sgn + Charge formatted "0.000". When Charge holds
// collected characters that are not a number (e.g. "1,5") the result is
// Sgn + Charge unformatted; callers test Charge for convertibility.
std::string GetCharge(std::string_view C, std::string& Sgn, std::string& Charge);

// --- Numbers as text --------------------------------------------------------
int CoordDecimals(std::string_view s); // chars after the first "."; no "." -> whole length
bool isNumber(std::string_view s);     // contains a digit 0-9
bool Equal(double a, double b);        // |a - b| < 0.001
double Maximum(double a, double b);
double Minimum(double a, double b);
int GetMax(const Array1<double, 3>& v);    // 1..3, or 0; last of equal maxima wins
int GetSecMax(const Array1<double, 3>& v); // second largest, or 0

} // namespace kevo

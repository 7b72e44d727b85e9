// The summary report's numbers as a delimited text file for spreadsheets.
#pragma once

#include <string>
#include <string_view>

#include "model/model.h"
#include "reports/results.h"

namespace kevo {

// The field separator: "," when the user's decimal separator is ".",
// otherwise ";" (a spreadsheet in such a locale reads "," as the decimal
// point). Numbers are written with "." in either case.
char CsvSeparator(std::string_view decimal_separator);

// The lines of the summary CSV (ca: 1 cation-centred, anything else
// anion-centred) with separator s.
ReportLines SummaryCsvLines(const Model& m, int ca, char s);

// Writes the summary CSV to FN (UTF-8 with byte-order mark, CR LF line ends,
// written completely or not at all). decimal_separator is the user's locale
// decimal separator; the caller asks the locale. On failure returns false
// with the reason in error.
bool SaveCSV(const Model& m, int ca, const std::string& FN, std::string_view decimal_separator,
             std::string& error);

} // namespace kevo

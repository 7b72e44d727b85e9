// Delimited text files for spreadsheets: the summary report's numbers and
// the exports of the coordination-geometry run.
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

// "Input file: Title.cif" followed by nine separators: the first line of
// every CSV export.
std::string CsvTitleLine(const Model& m, char s);

// The coordination-threshold lines of the CSV exports (by ThresOption, then
// the nearest-atom and zero-weight notes); specific is the line written for
// polyhedron-specific thresholds.
void CsvThresholdLines(const Model& m, char s, std::string_view specific, ReportLines& out);

// The lines of the summary CSV (ca: 1 cation-centred, anything else
// anion-centred) with separator s.
ReportLines SummaryCsvLines(const Model& m, int ca, char s);

// Writes the summary CSV to FN (UTF-8 with byte-order mark, CR LF line ends,
// written completely or not at all). decimal_separator is the user's locale
// decimal separator; the caller asks the locale. On failure returns false
// with the reason in error.
bool SaveCSV(const Model& m, int ca, const std::string& FN, std::string_view decimal_separator,
             std::string& error);

// The exports of the coordination-geometry run, written like SaveCSV.
// PolGeomCsvLines: the geometry synopsis of one side (ca 1 cations,
// anything else anions), one line per atom.
ReportLines PolGeomCsvLines(const Model& m, int ca, char s);
bool SavePolGeomCSV(const Model& m, int ca, const std::string& FN,
                    std::string_view decimal_separator, std::string& error);
// The opposing bonds of the cation-centred polyhedra; the table is empty
// unless that analysis ran (CalcOppBonds).
ReportLines OppBondsCsvLines(const Model& m, char s);
bool SaveOppBondsCSV(const Model& m, const std::string& FN, std::string_view decimal_separator,
                     std::string& error);
// The 123-45 bond averages of the cations; the table is empty unless they
// were calculated (Calc32Averages).
ReportLines Averages123_45CsvLines(const Model& m, char s);
bool Save123_45AveragesCSV(const Model& m, const std::string& FN,
                           std::string_view decimal_separator, std::string& error);

} // namespace kevo

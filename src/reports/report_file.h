// Writing a report (or a CSV export) to disk: UTF-8 with a byte-order mark,
// one line per report line, every line ending in CR LF.
#pragma once

#include <string>

#include "reports/results.h"

namespace kevo {

// The bytes of the file written for these lines.
std::string ReportFileText(const ReportLines& lines);

// Writes bytes to path completely or not at all: the text goes to a
// temporary file beside the target and is renamed over it only when it was
// written completely. On failure returns false and sets error to
// "Cannot write <path>: <the system's reason>".
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error);

// Writes the lines to path, replacing an existing file. The text goes to a
// temporary file beside the target first and is renamed over it only when
// it was written completely, so a failed save leaves an earlier file as it
// was. On failure returns false and sets error to
// "Cannot write <path>: <the system's reason>".
bool WriteReportFile(const std::string& path, const ReportLines& lines, std::string& error);

} // namespace kevo

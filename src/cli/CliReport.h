#pragma once
// How velmaro-cli shows the conversion report of a completed job on standard output.

#include <iosfwd>
#include <string_view>

#include "jobs/JobReport.h"
#include "jobs/Session.h"

namespace velmaro::cli {

// "Informe: PATH" (or that it could not be written) and one line per kind of item with its
// count.
void PrintReportSummary(std::ostream& out, const JobReport& report);

// The whole report as the file holds it, lines ended by LF for the terminal.
void PrintWholeReport(std::ostream& out, const JobReport& report, const Session& session);

// `text` with its CR LF line ends as LF.
void PrintWithLineFeeds(std::ostream& out, std::string_view text);

}  // namespace velmaro::cli

#pragma once
// The conversion report as a file beside the work tables, velmaro-informe.txt: UTF-8 with a
// byte-order mark and lines ended by CR LF, so that Notepad shows it as it is. Each completed
// conversion, inbound or outbound, replaces the report of the one before.

#include <string>
#include <string_view>

#include "base/UserInteraction.h"
#include "jobs/JobReport.h"
#include "jobs/Session.h"

namespace velmaro {

inline constexpr std::string_view kReportFileName = "velmaro-informe.txt";

// The report's text as written, after the byte-order mark: a heading naming the conversion, the
// exchange document, the work-table folder, the result document (outbound) and when; then the
// summary and the items by kind.
std::string ReportFileText(const JobReport& report, const Session& session);

// Writes `report` beside the work tables of `session`, replacing the earlier report at once, and
// keeps it in session.lastReport. A report that cannot be written does not undo a completed
// conversion: the user is told so in a message naming the file and the reason, and the failure
// is kept with the report.
void KeepJobReport(Session& session, UserInteraction& ui, JobReport report);

}  // namespace velmaro

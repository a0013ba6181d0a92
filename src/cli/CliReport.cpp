#include "cli/CliReport.h"

#include <ostream>

#include "base/Utf8Path.h"
#include "jobs/ReportFile.h"

namespace velmaro::cli {

void PrintReportSummary(std::ostream& out, const JobReport& report) {
    out << (report.failure ? "Informe (no se ha podido escribir): " : "Informe: ")
        << Utf8FromPath(report.file) << '\n';
    for (ReportKind kind : report.Kinds()) {
        out << "  " << ConversionReport::Title(kind) << ": " << report.items.Count(kind) << '\n';
    }
}

void PrintWholeReport(std::ostream& out, const JobReport& report, const Session& session) {
    PrintWithLineFeeds(out, ReportFileText(report, session));
}

void PrintWithLineFeeds(std::ostream& out, std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            out << text.substr(start);
            break;
        }
        out << text.substr(start, end - start) << '\n';
        start = end + 2;
    }
}

}  // namespace velmaro::cli

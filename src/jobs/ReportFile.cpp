#include "jobs/ReportFile.h"

#include <ctime>
#include <vector>

#include "base/FileSystem.h"
#include "base/QuotedPath.h"
#include "base/RegionalTimestamp.h"
#include "base/Utf8Path.h"

namespace velmaro {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

std::string_view ConversionName(Conversion conversion) {
    return conversion == Conversion::Inbound ? "de Racima a Tavolin (exportar)"
                                             : "de Tavolin a Racima (importar)";
}

void AppendLine(std::string& text, std::string_view label, std::string_view value) {
    text.append(label).append(value).append(kLineEnd);
}

}  // namespace

std::string ReportFileText(const JobReport& report, const Session& session) {
    std::string text;
    AppendLine(text, "Informe de la conversión de Velmaro", "");
    AppendLine(text, "Conversión: ", ConversionName(report.conversion));
    AppendLine(text, "Documento de intercambio: ", Utf8FromPath(session.filenameXML));
    AppendLine(text, "Tablas de trabajo: ", Utf8FromPath(session.paths.workDir));
    if (report.resultDocument) {
        AppendLine(text, "Documento de resultado: ", Utf8FromPath(*report.resultDocument));
    }
    AppendLine(text, "Fecha: ", report.when);
    text.append(kLineEnd);
    return text + report.items.Text(report.Kinds());
}

void KeepJobReport(Session& session, UserInteraction& ui, JobReport report) {
    report.file = session.paths.workDir / kReportFileName;
    report.when = RegionalTimestamp(std::time(nullptr));
    const std::string text = ReportFileText(report, session);
    const files::Replacement written = files::ReplaceFile(report.file, {kByteOrderMark, text});
    if (written.error != 0) {
        report.failure = "No se ha podido escribir el informe de la conversión " +
                         Quoted(report.file) + ": " + files::SystemReason(written.error) +
                         ". La conversión se ha completado igualmente.";
        ui.ShowMessage(*report.failure);
    }
    session.lastReport = std::move(report);
}

}  // namespace velmaro

#include "jobs/OutboundJob.h"

#include <ctime>
#include <exception>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "base/FileNameCase.h"
#include "jobs/ReportFile.h"
#include "jobs/JobSteps.h"
#include "jobs/WorkFolderRun.h"
#include "exchange/ExchangeDocument.h"
#include "base/RegionalTimestamp.h"
#include "outbound/ResultDocument.h"
#include "outbound/TimetableRows.h"
#include "text/TextHelpers.h"
#include "worktables/WorkTableLayouts.h"
#include "base/Utf8Path.h"

namespace velmaro {
namespace {

constexpr std::string_view kImportAgain = "Importe de nuevo XML de RACIMA.";

// The first four characters of the text of the first child of /SERVICIO/BLOQUE_DATOS.
std::string AcademicYear(const ExchangeDocument& document) {
    const std::optional<std::string> firstChild =
        document.HasEnvelope() ? document.FirstDataBlockChildText() : std::nullopt;
    if (!firstChild) {
        throw Error("El documento '" + Utf8FromPath(document.Path()) +
                    "' no tiene /SERVICIO/BLOQUE_DATOS con contenido: no se puede leer el año "
                    "académico");
    }
    return LeftChars(*firstChild, 4);
}

// Opens the work tables, loads the exchange document and writes the result document, recording
// in `report` what the conversion changed or dropped.
// Nothing when PERIODOS.DBF is missing; the tables are closed again and the cursor restored
// before the caller says so.
std::optional<OutboundSummary> ConvertTimetable(const Session& session, UserInteraction& ui,
                                                ConversionReport& report) {
    const WaitCursor waitCursor(ui);
    const std::filesystem::path& workDir = session.paths.workDir;
    TimetableTables tables = TimetableTables::Open(workDir);
    ExchangeDocument document = ExchangeDocument::Load(session.filenameXML);
    const std::string academicYear = AcademicYear(document);

    if (!IsExistingFile(files::FindIgnoringCase(workDir, layouts::PERIODOS.fileName))) {
        return std::nullopt;
    }
    const FrameworkDates dates = ReadFrameworkDates(workDir);

    OutboundSummary summary;
    summary.teachers = tables.profesor.RecordCount();
    summary.resultFile = ResultFileName(session.filenameXML);
    ResultDocument result(document.Prolog(), summary.resultFile, academicYear, summary.teachers,
                          RegionalTimestamp(std::time(nullptr)));
    const TimetableFields fields(tables);
    SolucRowsTaken taken(tables.soluc.RecordCount(), false);
    for (std::size_t teacher = 0; teacher < summary.teachers; ++teacher) {
        const std::string xEmpleado = tables.profesor.Text(teacher, fields.profesor.xEmpleado);
        const std::string fTomapos = tables.profesor.Text(teacher, fields.profesor.fTomapos);
        const std::string abrev = tables.profesor.Text(teacher, fields.profesor.abrev);
        const std::vector<std::size_t> placed = PlacedRows(tables, fields, abrev, taken);
        const TeacherGroup group =
            result.AddTeacher(teacher + 1, xEmpleado, fTomapos, placed.size());
        for (std::size_t activity = 0; activity < placed.size(); ++activity) {
            result.AddActivity(
                group, activity + 1,
                ResolveActivity(tables, fields, placed[activity], dates, report));
        }
        summary.activities += placed.size();
    }
    ReportRowsOfUnknownTeachers(tables, fields, taken, report);
    tables.Close();

    result.Save();
    return summary;
}

}  // namespace

std::optional<OutboundSummary> RunOutboundJob(Session& session, UserInteraction& ui) {
    if (!ChooseExchangeDocument(session, ui)) return std::nullopt;
    try {
        const WorkFolderRun run = WorkFolderRun::Begin(session.paths.workDir);
        ConversionReport report;
        std::optional<OutboundSummary> summary = ConvertTimetable(session, ui, report);
        if (!summary) {
            ui.ShowMessage(MissingTableMessage(layouts::PERIODOS.fileName, kImportAgain));
            return std::nullopt;
        }
        KeepJobReport(session, ui,
                      JobReport{Conversion::Outbound, std::move(report), summary->resultFile});
        FinishJob(session, ui);
        return summary;
    } catch (const std::exception&) {
        ReportJobFailure(session, ui);
        return std::nullopt;
    }
}

}  // namespace velmaro

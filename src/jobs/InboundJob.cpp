#include "jobs/InboundJob.h"

#include <array>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "base/FileNameCase.h"
#include "base/FileSystem.h"
#include "base/QuotedPath.h"
#include "jobs/JobSteps.h"
#include "jobs/ReportFile.h"
#include "jobs/StagedTables.h"
#include "jobs/TableBackups.h"
#include "jobs/WorkFolderRun.h"
#include "exchange/ExchangeDocument.h"
#include "inbound/InboundContext.h"
#include "inbound/InboundSteps.h"
#include "jobs/ReplacedWorkFiles.h"
#include "worktables/HeldFiles.h"
#include "worktables/WorkTableLayouts.h"
#include "base/Utf8Path.h"

namespace velmaro {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kReinstall = "Reinstale VELMARO";
// How every failure of the job ends: no table is replaced until all of them are complete.
constexpr std::string_view kNothingChanged = "No se ha modificado ninguna tabla.";

// The sections that the inbound conversion reads; a document with none of them holds nothing
// to convert, and converting it would only empty the work tables.
constexpr std::array<std::string_view, 8> kInboundSections = {
    "MATERIAS",          "ACTIVIDADES", "EMPLEADOS",          "DEPENDENCIAS",
    "CURSOS_DEL_CENTRO", "UNIDADES",    "JORNADAS_ESCOLARES", "TRAMOS_HORARIOS"};

std::string SectionList() {
    std::string list;
    for (std::string_view section : kInboundSections) {
        if (!list.empty()) list += ", ";
        list += section;
    }
    return list;
}

// Stops the job when the document is not a Racima exchange document or holds nothing the
// conversion reads.
void CheckConvertible(const ExchangeDocument& document) {
    if (!document.HasEnvelope()) {
        throw Error(
            "El archivo " + Quoted(document.Path()) +
            " no es un documento de intercambio de Racima: le falta SERVICIO/BLOQUE_DATOS.");
    }
    for (std::string_view section : kInboundSections) {
        if (document.HasSection(section)) return;
    }
    throw Error("El archivo " + Quoted(document.Path()) +
                " no contiene ninguna de las secciones que se importan (" + SectionList() + ").");
}

// Stops the job when the work-table folder cannot take the tables.
void CheckWorkDir(const fs::path& workDir) {
    std::error_code error;
    if (workDir.empty() || !fs::is_directory(workDir, error)) {
        throw Error("No existe la carpeta de las tablas de trabajo " + Quoted(workDir) + ".");
    }
    if (!files::CanWriteInFolder(workDir)) {
        throw Error("No se puede escribir en la carpeta de las tablas de trabajo " +
                    Quoted(workDir) + ".");
    }
}

// Stops the job when another program holds open any of `names` in `workDir`, naming every one
// of them.
void CheckNoneHeld(const fs::path& workDir, const std::vector<std::string>& names) {
    const std::vector<std::string> held = HeldWorkFiles(workDir, names);
    if (!held.empty()) {
        throw Error(HeldWorkFilesMessage(workDir, held) + ". Ciérrelo y vuelva a convertir.");
    }
}

// Runs the converter steps in order with `tablesFolder` as their work-table folder; returns
// what they changed or dropped.
ConversionReport RunSteps(const Session& session, const ExchangeDocument& document,
                          const fs::path& tablesFolder, UserInteraction& ui) {
    InboundContext context{
        document, tablesFolder, session.paths.programDir, session.filenameXML, ui, {}};
    for (const InboundStep& step : InboundSteps()) step.run(context);
    return std::move(context.report);
}

// Puts the staged tables in place of the work folder's: checks again that no other program
// holds the files about to go (one may have opened them while the steps ran), backs them up,
// then commits.
void ReplaceTables(const fs::path& workDir, StagedTables& staged) {
    const std::vector<CommitEntry> plan = staged.Plan(ReplacedWorkFiles());
    const std::vector<std::string> retired = RetiredFiles(plan);
    CheckNoneHeld(workDir, retired);
    BackUpWorkFiles(workDir, retired);
    staged.Commit(plan);
}

void Convert(Session& session, UserInteraction& ui, const ExchangeDocument* loaded) {
    if (!ChooseExchangeDocument(session, ui)) return;
    if (!IsExistingFile(
            files::FindIgnoringCase(session.paths.programDir, layouts::NIVELLARI.fileName))) {
        ui.ShowMessage(MissingTableMessage(layouts::NIVELLARI.fileName, kReinstall));
        return;
    }
    const fs::path& workDir = session.paths.workDir;
    CheckWorkDir(workDir);
    const WorkFolderRun run = WorkFolderRun::Begin(workDir);
    // The chosen exchange document: the one already loaded when it came from that file.
    std::optional<ExchangeDocument> read;
    if (loaded == nullptr || loaded->Path() != session.filenameXML) {
        loaded = &read.emplace(ExchangeDocument::Load(session.filenameXML));
    }
    CheckConvertible(*loaded);
    StagedTables staged = StagedTables::Prepare(workDir);
    CheckNoneHeld(workDir, RetiredFiles(staged.Plan(ReplacedWorkFiles())));
    ConversionReport report;
    {
        WaitCursor waiting(ui);
        report = RunSteps(session, *loaded, staged.Folder(), ui);
        // The tables being replaced are copied first; a copy that fails stops the job here.
        ReplaceTables(workDir, staged);
    }
    KeepJobReport(session, ui, JobReport{Conversion::Inbound, std::move(report)});
    FinishJob(session, ui);
}

}  // namespace

void CheckWorkFolderReady(const std::filesystem::path& workDir) {
    CheckWorkDir(workDir);
    std::vector<std::string> present;
    for (const std::string& name : ReplacedWorkFiles()) {
        present.push_back(Utf8FromPath(files::FindIgnoringCase(workDir, name).filename()));
    }
    CheckNoneHeld(workDir, present);
}

void RunInboundJob(Session& session, UserInteraction& ui) { RunInboundJob(session, ui, nullptr); }

void RunInboundJob(Session& session, UserInteraction& ui, const ExchangeDocument* loaded) {
    try {
        Convert(session, ui, loaded);
    } catch (const UnfinishedCommit&) {
        ReportJobFailure(session, ui);  // its message says which tables may have changed
    } catch (const std::exception&) {
        ReportJobFailure(session, ui, kNothingChanged);
    }
}

}  // namespace velmaro

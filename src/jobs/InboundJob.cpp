#include "jobs/InboundJob.h"

#include <array>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "base/FileSystem.h"
#include "base/QuotedPath.h"
#include "jobs/JobSteps.h"
#include "jobs/ReportFile.h"
#include "jobs/TableBackups.h"
#include "exchange/ExchangeDocument.h"
#include "inbound/InboundContext.h"
#include "inbound/InboundSteps.h"
#include "jobs/ReplacedWorkFiles.h"
#include "worktables/HeldFiles.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kReinstall = "Reinstale VELMARO";

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

// Stops the job before any table is touched when the document is not a Racima exchange
// document or holds nothing the conversion reads.
void CheckConvertible(const ExchangeDocument& document) {
    if (!document.HasEnvelope()) {
        throw Error("El archivo " + Quoted(document.Path()) +
                    " no es un documento de intercambio de Racima: le falta SERVICIO/BLOQUE_DATOS."
                    " No se ha modificado ninguna tabla.");
    }
    for (std::string_view section : kInboundSections) {
        if (document.HasSection(section)) return;
    }
    throw Error("El archivo " + Quoted(document.Path()) +
                " no contiene ninguna de las secciones que se importan (" + SectionList() +
                "). No se ha modificado ninguna tabla.");
}

// Stops the job before any table is touched when the work-table folder cannot take the tables.
void CheckWorkDir(const fs::path& workDir) {
    std::error_code error;
    if (workDir.empty() || !fs::is_directory(workDir, error)) {
        throw Error("No existe la carpeta de las tablas de trabajo " + Quoted(workDir) +
                    ". No se ha modificado ninguna tabla.");
    }
    if (!files::CanWriteInFolder(workDir)) {
        throw Error("No se puede escribir en la carpeta de las tablas de trabajo " +
                    Quoted(workDir) + ". No se ha modificado ninguna tabla.");
    }
}

// Stops the job before any table is touched when another program holds open any of the files
// the conversion would replace, naming every one of them.
void CheckNoneHeld(const fs::path& workDir) {
    const std::vector<std::string> held = HeldWorkFiles(workDir, ReplacedWorkFiles());
    if (!held.empty()) {
        throw Error(HeldWorkFilesMessage(workDir, held) +
                    ". Ciérrelo y vuelva a convertir. No se ha modificado ninguna tabla.");
    }
}

// Runs the converter steps in order; returns what they changed or dropped.
ConversionReport RunSteps(const Session& session, const ExchangeDocument& document,
                          UserInteraction& ui) {
    InboundContext context{
        document, session.paths.workDir, session.paths.programDir, session.filenameXML, ui, {}};
    for (const InboundStep& step : InboundSteps()) step.run(context);
    return std::move(context.report);
}

void Convert(Session& session, UserInteraction& ui, const ExchangeDocument* loaded) {
    if (!ChooseExchangeDocument(session, ui)) return;
    if (!IsExistingFile(session.paths.programDir / layouts::NIVELLARI.fileName)) {
        ui.ShowMessage(MissingTableMessage(layouts::NIVELLARI.fileName, kReinstall));
        return;
    }
    // The chosen exchange document: the one already loaded when it came from that file.
    std::optional<ExchangeDocument> read;
    if (loaded == nullptr || loaded->Path() != session.filenameXML) {
        loaded = &read.emplace(ExchangeDocument::Load(session.filenameXML));
    }
    CheckConvertible(*loaded);
    CheckWorkFolderReady(session.paths.workDir);
    // The tables about to be replaced are copied first; a copy that fails stops the job here.
    BackUpWorkFiles(session.paths.workDir, ReplacedWorkFiles());
    ConversionReport report;
    {
        WaitCursor waiting(ui);
        report = RunSteps(session, *loaded, ui);
    }
    KeepJobReport(session, ui, JobReport{Conversion::Inbound, std::move(report)});
    FinishJob(session, ui);
}

}  // namespace

void CheckWorkFolderReady(const std::filesystem::path& workDir) {
    CheckWorkDir(workDir);
    CheckNoneHeld(workDir);
}

void RunInboundJob(Session& session, UserInteraction& ui) { RunInboundJob(session, ui, nullptr); }

void RunInboundJob(Session& session, UserInteraction& ui, const ExchangeDocument* loaded) {
    try {
        Convert(session, ui, loaded);
    } catch (const std::exception&) {
        ReportJobFailure(session, ui);
    }
}

}  // namespace velmaro

#include "jobs/JobSteps.h"

#include <exception>
#include <new>
#include <string>
#include <system_error>

#include "base/Error.h"
#include "base/FileKind.h"
#include "base/QuotedPath.h"

namespace velmaro {

namespace {

constexpr const char* kNoFile = "No existe archivo";
constexpr const char* kFinished = "Proceso finalizado";

// `message` followed by the sentence `closing`, after a full stop of its own when it has none;
// unchanged when `closing` is empty or ends it already.
std::string WithClosing(std::string message, std::string_view closing) {
    if (closing.empty() || message.ends_with(closing)) return message;
    if (!message.ends_with('.')) message += '.';
    message += ' ';
    message += closing;
    return message;
}

}  // namespace

std::string MissingTableMessage(std::string_view tableFileName, std::string_view remedy) {
    return "ATENCIÓN - " + std::string(tableFileName) + " No encontrado - " + std::string(remedy);
}

bool IsExistingFile(const std::filesystem::path& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

bool ChooseExchangeDocument(Session& session, UserInteraction& ui) {
    if (auto picked = ui.PickExchangeDocument()) session.filenameXML = std::move(*picked);
    if (IsExistingFile(session.filenameXML)) return true;
    // Something that is not a file counts as no file; the message says what it is.
    const auto notAFile = files::NotAFileReason(session.filenameXML);
    ui.ShowMessage(notAFile ? std::string(kNoFile) + ": " + Quoted(session.filenameXML) +
                                  " no es un archivo (" + *notAFile + ")"
                            : std::string(kNoFile));
    if (session.batchMode) {
        session.resultCode = -1;
        session.closeRequested = true;
    }
    return false;
}

void FinishJob(Session& session, UserInteraction& ui) {
    session.resultCode = 1;
    ui.ShowMessage(kFinished);
    session.jobButtonsEnabled = false;
    if (session.batchMode) session.closeRequested = true;
}

void ReportJobFailure(const Session& session, UserInteraction& ui, std::string_view closing) {
    try {
        throw;
    } catch (const Error& error) {
        ui.ShowError(WithClosing(error.what(), closing));
    } catch (const std::bad_alloc&) {
        ui.ShowError(WithClosing("No hay memoria suficiente para terminar el trabajo con " +
                                     Quoted(session.filenameXML) + ". El trabajo se ha detenido.",
                                 closing));
    } catch (const std::exception& error) {
        ui.ShowError(WithClosing("Error inesperado en el trabajo con " +
                                     Quoted(session.filenameXML) + ": " + error.what() +
                                     ". El trabajo se ha detenido.",
                                 closing));
    }
}

}  // namespace velmaro

#pragma once
// How both jobs begin and end: choosing the exchange document, finishing, reporting a failure.

#include <filesystem>
#include <string>
#include <string_view>

#include "jobs/Session.h"
#include "base/UserInteraction.h"

namespace velmaro {

// True when a regular file (or a link to one) exists at `path`; an empty path, a folder or an
// unreadable entry counts as no file, as the jobs' checks for their input files need.
bool IsExistingFile(const std::filesystem::path& path);

// The warning that a job's input table `tableFileName` is missing, with what the user can do:
// "ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de RACIMA."
std::string MissingTableMessage(std::string_view tableFileName, std::string_view remedy);

// Shows the file-open dialog (a confirmed path becomes session.filenameXML; cancelling keeps the
// earlier one) and checks that a file exists there. When none does, shows "No existe archivo"
// (for a folder, device or FIFO followed by ": '<path>' no es un archivo (es una carpeta)" and
// the like; such a path is never opened) and, in batch mode, sets the result code to -1 and asks
// the window to close; returns false.
bool ChooseExchangeDocument(Session& session, UserInteraction& ui);

// A job that ran to its end: result code 1, "Proceso finalizado", both job buttons off for the
// rest of the run and, in batch mode, a close request.
void FinishJob(Session& session, UserInteraction& ui);

// Shows the exception being handled, which ended a job, through the seam: an Error as it is,
// anything else with a Spanish message naming the exchange document; followed by `closing`
// (a sentence such as "No se ha modificado ninguna tabla.") unless the message ends with it
// already. The result code and the window stay as they were. Call it only from inside a catch
// block.
void ReportJobFailure(const Session& session, UserInteraction& ui, std::string_view closing = {});

}  // namespace velmaro

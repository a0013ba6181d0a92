#pragma once
// The inbound conversion as the main window runs it (the "exportar" job, button BExportar).

#include <filesystem>

#include "jobs/Session.h"
#include "base/UserInteraction.h"
#include "exchange/ExchangeDocument.h"

namespace velmaro {

// Asks for the exchange document, checks it and the reference table, takes the work-table
// folder's run lock (WorkFolderRun.h), loads the document and runs the converter steps in order
// under the wait cursor, into a staging folder whose tables replace the folder's only when
// every step has succeeded (StagedTables.h); then the conversion report beside the work tables
// (kept in session.lastReport), result code 1, "Proceso finalizado", job buttons off and, in
// batch mode, a close request. A missing file shows "No existe archivo" (result code -1 and a
// close request in batch mode). Any failure is shown through the seam, ending with "No se ha
// modificado ninguna tabla." (unless a commit was left unfinished, which its message says), and
// leaves the result code and the window as they were.
void RunInboundJob(Session& session, UserInteraction& ui);
// The same, with the exchange document that the caller has already loaded and keeps: when it
// was loaded from the chosen file, the job uses it instead of reading the file a second time.
void RunInboundJob(Session& session, UserInteraction& ui, const ExchangeDocument* loaded);

// Throws the Error with which the inbound conversion stops before touching any table when the
// work-table folder `workDir` is missing, cannot be written, or has a file that the conversion
// replaces held open by another program.
void CheckWorkFolderReady(const std::filesystem::path& workDir);

}  // namespace velmaro

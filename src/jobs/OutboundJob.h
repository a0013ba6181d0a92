#pragma once
// The outbound conversion as the main window runs it (the "importar" job, button BImportar).

#include <cstddef>
#include <filesystem>
#include <optional>

#include "jobs/Session.h"
#include "base/UserInteraction.h"

namespace velmaro {

// What a completed outbound conversion wrote.
struct OutboundSummary {
    std::filesystem::path resultFile;  // the saved result document
    std::size_t teachers = 0;          // teacher groups written (rows of PROFT.DBF)
    std::size_t activities = 0;        // activity groups written, over all teachers
};

// Asks for the exchange document and, holding the work-table folder's run lock
// (WorkFolderRun.h), joins SOLUC.DBF with the work tables and saves the result document beside
// the chosen file; then the conversion report beside the work tables (kept in
// session.lastReport), result code 1, "Proceso finalizado", job buttons off and, in batch mode,
// a close request. Errors are shown through the seam as for the inbound job.
// Returns what was written when the job completed, nothing otherwise.
std::optional<OutboundSummary> RunOutboundJob(Session& session, UserInteraction& ui);

}  // namespace velmaro

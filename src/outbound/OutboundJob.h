#pragma once
// The outbound conversion as the main window runs it (the "importar" job, button BImportar).

#include "app/Session.h"
#include "app/UserInteraction.h"

namespace velmaro {

// Asks for the exchange document, joins SOLUC.DBF with the work tables and saves the result
// document beside the chosen file; then result code 1, "Proceso finalizado", job buttons off
// and, in batch mode, a close request. Errors are shown through the seam as for the inbound job.
void RunOutboundJob(Session& session, UserInteraction& ui);

}  // namespace velmaro

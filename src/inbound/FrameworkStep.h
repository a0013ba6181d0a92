#pragma once
// The framework step: days and periods (DIASHORAST.DBF) and the chosen frameworks (PERIODOS.DBF).

#include "inbound/InboundContext.h"

namespace velmaro {

// Removes DIASHORAST, DIASHORAST2 and JORNADAS.DBF, creates DIASHORAST.DBF, DIASHORAST2.DBF
// (empty, with its ORDEN index) and PERIODOS.DBF, then chooses the frameworks (asking the user
// through the seam, again and again, while the document holds two or more and the choice is not
// valid), writes one DIASHORAST row per day 1 to 7 and slot of the chosen frameworks, flags the
// framework whose first slot starts earlier with MARCO 0 and writes the chosen frameworks to
// PERIODOS.DBF. Throws Error when the document holds no framework or a time is not a whole number.
void RunFrameworkStep(InboundContext& ctx);

}  // namespace velmaro

#pragma once
// The framework step: days and periods (DIASHORAST.DBF) and the chosen frameworks (PERIODOS.DBF).

#include "inbound/InboundContext.h"

namespace velmaro {

// Removes DIASHORAST, DIASHORAST2 and JORNADAS.DBF, creates DIASHORAST.DBF, DIASHORAST2.DBF
// (empty, with its ORDEN index) and PERIODOS.DBF, then chooses the frameworks (asking the user
// through the seam, again and again, while the document holds two or more and the choice is not
// valid), writes one DIASHORAST row per day 1 to 7 and slot of the chosen frameworks (a chosen
// framework's own slots only, also where another framework's code agrees with its code in the
// ten characters the tables keep), flags the framework whose first slot starts earlier with
// MARCO 0, writes the chosen frameworks to PERIODOS.DBF and reports the frameworks the tables
// cannot tell apart. Throws Error when the document holds no framework, a time is not a whole
// number, or the choice puts together two frameworks the tables cannot tell apart or does not
// match the document (it changed while the dialog read it).
void RunFrameworkStep(InboundContext& ctx);

}  // namespace velmaro

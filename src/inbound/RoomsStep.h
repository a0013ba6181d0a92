#pragma once
// The rooms step: AULAT.DBF, one row per DEPENDENCIAS record.

#include "inbound/InboundContext.h"

namespace velmaro {

// Rebuilds AULAT.DBF from DEPENDENCIAS: the room code (or the first six characters of the name
// when it has none) made unique without regard to letter case; ABREV its last four characters,
// DEPCENTRO the code as the document gives it.
void RunRoomsStep(InboundContext& context);

}  // namespace velmaro

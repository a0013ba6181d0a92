#pragma once
// The teachers step: PROFT.DBF, one row per EMPLEADOS record.

#include "inbound/InboundContext.h"

namespace velmaro {

// Rebuilds PROFT.DBF from EMPLEADOS: ABREV the initials of the three name parts (taken before
// trimming), unique without regard to letter case; NOMBRE "part3 part4, part5". Missing name
// parts read as empty.
void RunTeachersStep(InboundContext& context);

}  // namespace velmaro

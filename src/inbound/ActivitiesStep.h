#pragma once
// The activities step: one task row in ASIGNOMT.DBF per ACTIVIDADES record.

#include "inbound/InboundContext.h"

namespace velmaro {

// Appends the activities of ACTIVIDADES to the ASIGNOMT.DBF of the subject-name step (COD and
// CODTAREA the activity key, ESTAREA true), then releases the subject-name lists. A record with
// exactly two fields has no name: its row gets an empty name.
void RunActivitiesStep(InboundContext& context);

}  // namespace velmaro

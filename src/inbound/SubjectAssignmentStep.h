#pragma once
// The subject-assignment step: ASIGT.DBF, every subject of a course given to every group of it.

#include "inbound/InboundContext.h"

namespace velmaro {

// Rebuilds ASIGT.DBF from MATERIAS, joined with ASIGNOMT.DBF (subject code by name, the first
// row wins) and GRUPOST.DBF (the groups of the course, in stored order): one row per subject
// record and group, with a weekly load of four hours. Records without a name, or whose name
// finds no subject code, give no rows.
void RunSubjectAssignmentStep(InboundContext& ctx);

}  // namespace velmaro

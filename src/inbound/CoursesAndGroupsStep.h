#pragma once
// The courses-and-groups step: CURSOST.DBF from CURSOS_DEL_CENTRO, GRUPOST.DBF from UNIDADES.

#include "inbound/InboundContext.h"

namespace velmaro {

// Rebuilds CURSOST.DBF (level and study from the reference table NIVELLARI.DBF in the program
// folder, opened afresh for this run) and GRUPOST.DBF (one row per unit, with a group code unique
// within the table). A course key that is not a whole number stops the job with "El documento
// '<path>', línea <n> (sección CURSOS_DEL_CENTRO, clave del curso): '<key>' is not a valid
// integer value"; the rows written so far stay.
void RunCoursesAndGroupsStep(InboundContext& ctx);

}  // namespace velmaro

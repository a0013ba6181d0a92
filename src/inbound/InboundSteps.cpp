#include "inbound/InboundSteps.h"

#include "inbound/ActivitiesStep.h"
#include "inbound/CoursesAndGroupsStep.h"
#include "inbound/FrameworkStep.h"
#include "inbound/RoomsStep.h"
#include "inbound/SubjectAssignmentStep.h"
#include "inbound/SubjectNameStep.h"
#include "inbound/TeachersStep.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro {

const std::vector<InboundStep>& InboundSteps() {
    static const std::vector<InboundStep> steps = {
        {"nombres de materias", RunSubjectNameStep,
         {layouts::ASIGNOMT.fileName, layouts::ASIGNOMT2.fileName}},
        {"actividades", RunActivitiesStep, {layouts::ASIGNOMT.fileName}},
        {"profesores", RunTeachersStep, {layouts::PROFT.fileName}},
        {"aulas", RunRoomsStep, {layouts::AULAT.fileName}},
        {"cursos y grupos", RunCoursesAndGroupsStep,
         {layouts::CURSOST.fileName, layouts::GRUPOST.fileName}},
        {"asignaciones de materias", RunSubjectAssignmentStep, {layouts::ASIGT.fileName}},
        {"días, horas y marcos horarios", RunFrameworkStep,
         {layouts::DIASHORAST.fileName, layouts::DIASHORAST2.fileName,
          layouts::PERIODOS.fileName}},
    };
    return steps;
}

}  // namespace velmaro

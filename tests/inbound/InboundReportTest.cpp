// What the converter steps report, kind by kind: each item with its section and record number,
// and how many of each kind a run records. Every case runs real steps on a small document.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "inbound/ActivitiesStep.h"
#include "inbound/CoursesAndGroupsStep.h"
#include "inbound/FrameworkStep.h"
#include "inbound/RoomsStep.h"
#include "inbound/SubjectAssignmentStep.h"
#include "inbound/SubjectNameStep.h"
#include "inbound/TeachersStep.h"
#include "support/ReferenceTable.h"
#include "support/ReportItemLines.h"
#include "support/StepFixture.h"

namespace velmaro::testing {
namespace {

using Step = void (*)(InboundContext&);

const std::vector<Step> kAllSteps = {
    RunSubjectNameStep,      RunActivitiesStep,        RunTeachersStep, RunRoomsStep,
    RunCoursesAndGroupsStep, RunSubjectAssignmentStep, RunFrameworkStep};

const XmlRecord kMorning = {"4401", "Jornada de mañana", "09/09/2026", "22/06/2027"};
const XmlRecord kFirstSlot = {"170001", "1ª hora", "510", "565", "4401"};

struct ReportCase {
    const char* name;
    SchoolXml school;
    std::vector<Step> steps;
    ReportKind kind;
    std::vector<std::string> items;  // the kind's item lines, in the order recorded
    std::vector<FrameworkSelection> frameworkAnswers = {};
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

class InboundReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(InboundReportTest, RecordsEachItemWithItsPlace) {
    const ReportCase& c = GetParam();
    StepFixture step;
    WriteReferenceTable(step.ProgramDir(), {{60101, "ESO", "Educación Secundaria Obligatoria"},
                                            {60102, "", "Bachillerato"}});
    for (const FrameworkSelection& answer : c.frameworkAnswers) {
        step.user.frameworkAnswers.push_back(answer);
    }
    step.Run(c.school, c.steps);
    EXPECT_EQ(step.LastReport().Count(c.kind), c.items.size());
    EXPECT_EQ(ReportItemLines(step.LastReport(), c.kind), c.items);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, InboundReportTest,
    ::testing::Values(
        // Reported once, by the subject-name step, though the assignment step reads MATERIAS too.
        ReportCase{"SubjectsWithoutName",
                   SchoolXml()
                       .Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"}})
                       .Section("UNIDADES", {{"834501", "1º ESO A", "60101"}})
                       .Section("MATERIAS", {{"60101", "M1", ""},
                                             {"60101", "M2", "Lengua"},
                                             {"60101", "M3"},
                                             {"60101", "M4", "   "}}),
                   {RunSubjectNameStep, RunActivitiesStep, RunCoursesAndGroupsStep,
                    RunSubjectAssignmentStep},
                   ReportKind::SubjectWithoutName,
                   {"MATERIAS, registro 1: materia sin nombre (curso «60101», materia «M1»); no "
                    "se ha convertido",
                    "MATERIAS, registro 3: materia sin nombre (curso «60101», materia «M3»); no "
                    "se ha convertido",
                    "MATERIAS, registro 4: materia sin nombre (curso «60101», materia «M4»); no "
                    "se ha convertido"}},
        ReportCase{"ShortRecords",
                   SchoolXml()
                       .Section("ACTIVIDADES", {{"X"}, {"", "40", "Guardia"}})
                       .Section("EMPLEADOS", {{"1048000"}})
                       .Section("DEPENDENCIAS", {{"A2", "Aula 2"}, {"A1"}})
                       .Section("CURSOS_DEL_CENTRO", {{"60101"}})
                       .Section("UNIDADES", {{"834501", "1º ESO A", "60101"}, {}}),
                   {RunSubjectNameStep, RunActivitiesStep, RunTeachersStep, RunRoomsStep,
                    RunCoursesAndGroupsStep},
                   ReportKind::ShortRecordSkipped,
                   {"ACTIVIDADES, registro 1: se ha omitido (número de datos: 1)",
                    "EMPLEADOS, registro 1: se ha omitido (número de datos: 1)",
                    "DEPENDENCIAS, registro 2: se ha omitido (número de datos: 1)",
                    "CURSOS_DEL_CENTRO, registro 1: se ha omitido (número de datos: 1)",
                    "UNIDADES, registro 2: se ha omitido (número de datos: 0)"}},
        ReportCase{"TakenCodes",
                   SchoolXml()
                       .Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"}})
                       .Section("UNIDADES",
                                {{"834501", "1º ESO A", "60101"}, {"834502", "1º ESO A", "60101"}})
                       .Section("MATERIAS", {{"60101", "M1", "Lengua Castellana y Literatura"},
                                             {"60101", "M2", "Lengua Clásica Latina"}})
                       .Section("EMPLEADOS", {{"E1", "01/09/2026", "590", "García", "López", "Ana"},
                                              {"E2", "01/09/2026", "590", "Gómez", "Luna", "Alba"},
                                              {"E3", "01/09/2026", "590", "gil", "lara", "amo"}})
                       .Section("DEPENDENCIAS", {{"A1", "Aula 1"}, {"a1", "Aula 1 bis"}}),
                   {RunSubjectNameStep, RunActivitiesStep, RunTeachersStep, RunRoomsStep,
                    RunCoursesAndGroupsStep},
                   ReportKind::CodeSuffixed,
                   {"MATERIAS, registro 2: ASIGNOMT.DBF COD: el código «LCL» ya estaba ocupado; "
                    "se le ha dado «LCL1»",
                    "EMPLEADOS, registro 2: PROFT.DBF ABREV: el código «GLA» ya estaba ocupado; "
                    "se le ha dado «GLA1»",
                    "EMPLEADOS, registro 3: PROFT.DBF ABREV: el código «gla» ya estaba ocupado; "
                    "se le ha dado «gla2»",
                    "DEPENDENCIAS, registro 2: AULAT.DBF ABREV: el código «a1» ya estaba "
                    "ocupado; se le ha dado «a11»",
                    "UNIDADES, registro 2: GRUPOST.DBF ABREV: el código «1ºESOA» ya estaba "
                    "ocupado; se le ha dado «1ºESOA1»"}},
        // CODLARGO keeps ten characters of a long code by design: not reported. A slot's label
        // goes to seven rows and is reported once.
        ReportCase{"CutTexts",
                   SchoolXml()
                       .Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"}})
                       .Section("UNIDADES", {{"834501", "1º ESO A", "60101"}})
                       .Section("MATERIAS", {{"60101", "300101234567", "TECNOLOGÍA E INFORMÁTICA"}})
                       .Section("DEPENDENCIAS", {{"ABCDEFGHIJKL", "Aula"}})
                       .Section("JORNADAS_ESCOLARES",
                                {{"4401", "Jornada de mañana para todo el curso escolar completo",
                                  "09/09/2026", "22/06/2027"}})
                       .Section("TRAMOS_HORARIOS",
                                {{"170001", "Primera hora de la mañana", "510", "565", "4401"}}),
                   kAllSteps,
                   ReportKind::TextCut,
                   {"DEPENDENCIAS, registro 1: AULAT.DBF DEPCENTRO (10 caracteres): "
                    "«ABCDEFGHIJKL» se ha guardado como «ABCDEFGHIJ»",
                    "MATERIAS, registro 1: ASIGT.DBF CLAVE (10 caracteres): «300101234567» se ha "
                    "guardado como «3001012345»",
                    "TRAMOS_HORARIOS, registro 1: DIASHORAST.DBF TEXTOHOR (15 caracteres): "
                    "«Primera hora de la mañana» se ha guardado como «Primera hora de»",
                    "JORNADAS_ESCOLARES, registro 1: PERIODOS.DBF JORNADA (40 caracteres): "
                    "«Jornada de mañana para todo el curso escolar completo» se ha guardado como "
                    "«Jornada de mañana para todo el curso esc»"}},
        ReportCase{
            "CharactersOutsideWindows1252",
            SchoolXml()
                .Section("MATERIAS", {{"60101", "M1", "Ŝistemas"}})
                .Section("EMPLEADOS", {{"E1", "01/09/2026", "590", "García", "Ŝtefan", "Ana"}}),
            {RunSubjectNameStep, RunActivitiesStep, RunTeachersStep},
            ReportKind::CharacterReplaced,
            {"MATERIAS, registro 1: ASIGNOMT.DBF COD: «Ŝistem» se ha guardado como "
             "«?istem»",
             "MATERIAS, registro 1: ASIGNOMT.DBF NOMBRE: «Ŝistemas» se ha guardado como "
             "«?istemas»",
             "MATERIAS, registro 1: ASIGNOMT2.DBF COD: «Ŝistem» se ha guardado como "
             "«?istem»",
             "MATERIAS, registro 1: ASIGNOMT2.DBF NOMBRE: «Ŝistemas» se ha guardado como "
             "«?istemas»",
             "EMPLEADOS, registro 1: PROFT.DBF ABREV: «GŜA» se ha guardado como «G?A»",
             "EMPLEADOS, registro 1: PROFT.DBF NOMBRE: «García Ŝtefan, Ana» se ha "
             "guardado como «García ?tefan, Ana»"}},
        ReportCase{"CoursesWithoutLevel",
                   SchoolXml().Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"},
                                                             {"70000", "1º Otro"},
                                                             {"60102", "2º Bachillerato"}}),
                   {RunCoursesAndGroupsStep},
                   ReportKind::UnknownLevel,
                   {"CURSOS_DEL_CENTRO, registro 2: curso «70000» no está en NIVELLARI.DBF; se le "
                    "ha dado el nivel «Niv»",
                    "CURSOS_DEL_CENTRO, registro 3: curso «60102» tiene en NIVELLARI.DBF un "
                    "NIVEL_ABREV vacío; se le ha dado el nivel «Niv»"}},
        ReportCase{
            "ShortTimeSlots",
            SchoolXml()
                .Section("JORNADAS_ESCOLARES", {kMorning})
                .Section("TRAMOS_HORARIOS", {kFirstSlot, {"170002", "2ª hora", "565", "620"}, {}}),
            {RunFrameworkStep},
            ReportKind::ShortTimeSlotSkipped,
            {"TRAMOS_HORARIOS, registro 2: tramo «170002»: se ha omitido (número de "
             "datos: 4)",
             "TRAMOS_HORARIOS, registro 3: tramo «»: se ha omitido (número de datos: 0)"}},
        ReportCase{"FrameworksNotChosen",
                   SchoolXml()
                       .Section("JORNADAS_ESCOLARES",
                                {{"J1", "Jornada de mañana", "09/09/2026", "22/06/2027"},
                                 {"J2", "Jornada de tarde", "09/09/2026", "22/06/2027"},
                                 {"J3", "Jornada de noche", "09/09/2026", "22/06/2027"}})
                       .Section("TRAMOS_HORARIOS", {{"1", "1ª", "480", "535", "J1"}}),
                   {RunFrameworkStep},
                   ReportKind::FrameworkNotChosen,
                   {"JORNADAS_ESCOLARES, registro 2: «J2» (Jornada de tarde) no se ha aplicado "
                    "al horario"},
                   {FrameworkSelection{true, "J1        J3        ", {0, 2}}}},
        // Every framework that the tables cannot tell apart from an earlier one, whatever is
        // chosen; the ten characters compared without the blanks around the codes.
        ReportCase{"FrameworksTheTablesCannotTellApart",
                   SchoolXml()
                       .Section("JORNADAS_ESCOLARES",
                                {{"ABCDEFGHIJ1", "Mañana", "09/09/2026", "22/06/2027"},
                                 {"J", "Jornada J"},
                                 {" ABCDEFGHIJ2", "Tarde", "09/09/2026", "22/06/2027"},
                                 {"ABCDEFGHIJ", "Corta"},
                                 {"J ", "Jornada J revisada"},
                                 {"ABCDEFGHI", "Nueve"}})
                       .Section("TRAMOS_HORARIOS", {{"1", "1ª", "480", "535", "J"}}),
                   {RunFrameworkStep},
                   ReportKind::FrameworkLikeAnother,
                   {"JORNADAS_ESCOLARES, registro 3: «ABCDEFGHIJ2» (Tarde) coincide con el "
                    "registro 1, «ABCDEFGHIJ1» (Mañana) en los 10 primeros caracteres del código, "
                    "los que guardan las tablas: DIASHORAST.DBF y PERIODOS.DBF no los distinguen "
                    "y no se pueden aplicar juntos",
                    "JORNADAS_ESCOLARES, registro 4: «ABCDEFGHIJ» (Corta) coincide con el "
                    "registro 1, «ABCDEFGHIJ1» (Mañana) en los 10 primeros caracteres del código, "
                    "los que guardan las tablas: DIASHORAST.DBF y PERIODOS.DBF no los distinguen "
                    "y no se pueden aplicar juntos",
                    "JORNADAS_ESCOLARES, registro 5: «J» (Jornada J revisada) tiene el mismo "
                    "código que el registro 2, «J» (Jornada J): DIASHORAST.DBF y PERIODOS.DBF no "
                    "los distinguen y no se pueden aplicar juntos"},
                   {FrameworkSelection{true, "J         ", {1}}}},
        ReportCase{
            "OneFrameworkNothingLeftOut",
            SchoolXml()
                .Section("JORNADAS_ESCOLARES", {kMorning})
                .Section("TRAMOS_HORARIOS", {kFirstSlot}),
            {RunFrameworkStep},
            ReportKind::FrameworkNotChosen,
            {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro::testing

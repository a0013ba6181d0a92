#pragma once
// The rows of the timetable (SOLUC.DBF) joined with the work tables: which rows of a teacher are
// placed, and the values of the activity each of them becomes.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "outbound/ResultDocument.h"
#include "worktables/ConversionReport.h"
#include "worktables/DbfTable.h"

namespace velmaro {

// The tables the outbound conversion holds for exclusive use while it runs. Members are opened
// in the order of their declaration; whatever ends the job, the destructors release them all.
struct TimetableTables {
    DbfTable soluc;
    DbfTable grupos;
    DbfTable cursos;
    DbfTable profesor;
    DbfTable aulas;
    DbfTable nomAsg;
    DbfTable nomAsg2;
    DbfTable tramos;
    DbfTable asig;

    // Opens every table of `workDir` (its name in any letter case, as Tavolin under Wine may
    // write "soluc.dbf") for exclusive use, read strictly. Throws Error naming the first table
    // that is missing, cut short or otherwise damaged, or held by another program.
    static TimetableTables Open(const std::filesystem::path& workDir);
    // Closes every table, ASIGNOMT2 included, so that none stays held after the job.
    void Close();
};

// The fields of SOLUC.DBF the conversion reads.
struct SolucFields {
    explicit SolucFields(const DbfTable& soluc);
    DbfTable::FieldHandle prof, asig, codGrupo, tarea, dia, hora, marco, aula;
};

// The fields of PROFT.DBF that name a teacher's group in the result document.
struct TeacherFields {
    explicit TeacherFields(const DbfTable& profesor);
    DbfTable::FieldHandle xEmpleado, fTomapos, abrev;
};

// The fields of ASIGT.DBF that give an activity its subject and course.
struct AssignmentFields {
    explicit AssignmentFields(const DbfTable& asig);
    DbfTable::FieldHandle casig, cgrup, clave, claveCurso;
};

// The fields of ASIGNOMT.DBF that give a subject its task.
struct SubjectNameFields {
    explicit SubjectNameFields(const DbfTable& nomAsg);
    DbfTable::FieldHandle cod, codTarea;
};

// The fields of DIASHORAST.DBF that give an activity its day, slot and times.
struct SlotFields {
    explicit SlotFields(const DbfTable& tramos);
    DbfTable::FieldHandle diho, marco, dia, codDiho, horaDesde, horaHasta;
};

// The fields of GRUPOST.DBF that give an activity its unit and course.
struct GroupFields {
    explicit GroupFields(const DbfTable& grupos);
    DbfTable::FieldHandle abrev, clave, claveCurso;
};

// The fields of ASIGNOMT2.DBF that give an activity its subject by course.
struct CourseSubjectFields {
    explicit CourseSubjectFields(const DbfTable& nomAsg2);
    DbfTable::FieldHandle cod, ofertaMatri, materia;
};

// The handles of every field the conversion reads, table by table, found once so that the loop
// over the activities does not look names up again. Throws Error naming the table and the field
// that one of them lacks.
struct TimetableFields {
    explicit TimetableFields(const TimetableTables& tables);
    SolucFields soluc;
    TeacherFields profesor;
    AssignmentFields asig;
    SubjectNameFields nomAsg;
    SlotFields tramos;
    GroupFields grupos;
    CourseSubjectFields nomAsg2;
};

// Start and end date of the first chosen framework; both empty when PERIODOS has no rows.
struct FrameworkDates {
    std::string start;
    std::string end;
};

// FECINI and FECFIN of the first row of PERIODOS.DBF in `workDir` (its name in any letter case),
// opened for shared use, read strictly and closed again. Throws Error naming the table when it
// cannot be read whole.
FrameworkDates ReadFrameworkDates(const std::filesystem::path& workDir);

// The filter that restricts SOLUC to one teacher: PROF= 'ABREV', quotes inside doubled.
std::string TeacherFilter(std::string_view abrev);

// One entry per SOLUC row: true once a teacher's filter took the row.
using SolucRowsTaken = std::vector<bool>;

// The teacher's SOLUC rows that are placed in the timetable (DIA not 0), in stored order. Marks
// in `taken` (sized to the rows of SOLUC) every row of the teacher, placed or not.
std::vector<std::size_t> PlacedRows(TimetableTables& tables, const TimetableFields& fields,
                                    std::string_view abrev, SolucRowsTaken& taken);

// Reports every SOLUC row that no teacher took and that is placed (DIA neither blank nor 0): a
// row whose teacher is not in PROFT, which the result document leaves out.
void ReportRowsOfUnknownTeachers(const TimetableTables& tables, const TimetableFields& fields,
                                 const SolucRowsTaken& taken, ConversionReport& report);

// Joins the placed SOLUC row `row` with the other work tables into the values of its activity.
// Each lookup finds the first matching row in stored order. Reports to `report` a day and
// period that the row's framework lacks, and a unit, course or subject key that resolved to
// nothing (the course and subject of a lesson; the unit of a row that names a group).
ActivityValues ResolveActivity(TimetableTables& tables, const TimetableFields& fields,
                               std::size_t row, const FrameworkDates& dates,
                               ConversionReport& report);

}  // namespace velmaro

#include "outbound/TimetableRows.h"

#include "base/FileNameCase.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"
#include "worktables/FilterExpression.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro {

namespace {

namespace asignomt = layouts::asignomt;
namespace asignomt2 = layouts::asignomt2;
namespace asigt = layouts::asigt;
namespace diashorast = layouts::diashorast;
namespace grupost = layouts::grupost;
namespace proft = layouts::proft;
namespace soluc = layouts::soluc;

bool IsBlank(std::string_view text) { return TrimBlanksView(text).empty(); }

// True when a DIA text reads as 0 (blank included): the row is not placed in the timetable.
bool IsUnplacedDay(std::string_view text) {
    const std::string_view day = TrimBlanksView(text);
    return day.find_first_not_of('0') == std::string_view::npos;
}

// Reports the keys of an activity that resolved to nothing. A lesson (a row whose activity key
// came from no task) needs its course and subject; any row that names a group needs its unit.
void ReportEmptyKeys(const TimetableTables& t, const TimetableFields& f, std::size_t row,
                     std::string_view asig, std::string_view codGrupo,
                     const ActivityValues& values, bool isTask, ConversionReport& report) {
    const bool missingUnit = IsBlank(values.unitKey) && !IsBlank(codGrupo);
    const bool missingCourse = !isTask && IsBlank(values.courseKey);
    const bool missingSubject = !isTask && IsBlank(values.subjectKey);
    if (!missingUnit && !missingCourse && !missingSubject) return;
    const std::string prof = t.soluc.Text(row, f.soluc.prof);
    const ReportPlace place = TableRow(layouts::SOLUC.fileName, row);
    for (const auto& [missing, element] : {std::pair{missingUnit, "X_UNIDAD"},
                                          std::pair{missingCourse, "X_OFERTAMATRIG"},
                                          std::pair{missingSubject, "X_MATERIAOMG"}}) {
        if (!missing) continue;
        report.Add(ReportKind::KeyNotFound, place,
                   {prof, element, asig, codGrupo, values.courseKey});
    }
}

DbfTable OpenExclusive(const std::filesystem::path& workDir, const TableLayout& layout) {
    return DbfTable::Open(files::FindIgnoringCase(workDir, layout.fileName),
                          TableAccess::Exclusive);
}

}  // namespace

TimetableTables TimetableTables::Open(const std::filesystem::path& workDir) {
    return TimetableTables{
        OpenExclusive(workDir, layouts::SOLUC),     OpenExclusive(workDir, layouts::GRUPOST),
        OpenExclusive(workDir, layouts::CURSOST),   OpenExclusive(workDir, layouts::PROFT),
        OpenExclusive(workDir, layouts::AULAT),     OpenExclusive(workDir, layouts::ASIGNOMT),
        OpenExclusive(workDir, layouts::ASIGNOMT2), OpenExclusive(workDir, layouts::DIASHORAST),
        OpenExclusive(workDir, layouts::ASIGT),
    };
}

void TimetableTables::Close() {
    soluc.Close();
    grupos.Close();
    cursos.Close();
    profesor.Close();
    aulas.Close();
    nomAsg.Close();
    tramos.Close();
    asig.Close();
    nomAsg2.Close();
}

SolucFields::SolucFields(const DbfTable& t)
    : prof(t.Field(soluc::PROF)), asig(t.Field(soluc::ASIG)), codGrupo(t.Field(soluc::CODGRUPO)), tarea(t.Field(soluc::TAREA)),
      dia(t.Field(soluc::DIA)), hora(t.Field(soluc::HORA)), marco(t.Field(soluc::MARCO)),
      aula(t.Field(soluc::AULA)) {}

TeacherFields::TeacherFields(const DbfTable& t)
    : xEmpleado(t.Field(proft::X_EMPLEADO)), fTomapos(t.Field(proft::F_TOMAPOS)),
      abrev(t.Field(proft::ABREV)) {}

AssignmentFields::AssignmentFields(const DbfTable& t)
    : casig(t.Field(asigt::CASIG)), cgrup(t.Field(asigt::CGRUP)), clave(t.Field(asigt::CLAVE)),
      claveCurso(t.Field(asigt::CLAVECURSO)) {}

SubjectNameFields::SubjectNameFields(const DbfTable& t)
    : cod(t.Field(asignomt::COD)), codTarea(t.Field(asignomt::CODTAREA)) {}

SlotFields::SlotFields(const DbfTable& t)
    : diho(t.Field(diashorast::DIHO)), marco(t.Field(diashorast::MARCO)),
      dia(t.Field(diashorast::DIA)), codDiho(t.Field(diashorast::CODDIHO)),
      horaDesde(t.Field(diashorast::HORADESDE)), horaHasta(t.Field(diashorast::HORAHASTA)) {}

GroupFields::GroupFields(const DbfTable& t)
    : abrev(t.Field(grupost::ABREV)), clave(t.Field(grupost::CLAVE)),
      claveCurso(t.Field(grupost::CLAVECURSO)) {}

CourseSubjectFields::CourseSubjectFields(const DbfTable& t)
    : cod(t.Field(asignomt2::COD)), ofertaMatri(t.Field(asignomt2::OFERTAMATRI)),
      materia(t.Field(asignomt2::MATERIA)) {}

TimetableFields::TimetableFields(const TimetableTables& t)
    : soluc(t.soluc), profesor(t.profesor), asig(t.asig), nomAsg(t.nomAsg), tramos(t.tramos),
      grupos(t.grupos), nomAsg2(t.nomAsg2) {}

FrameworkDates ReadFrameworkDates(const std::filesystem::path& workDir) {
    DbfTable periods = DbfTable::Open(files::FindIgnoringCase(workDir, layouts::PERIODOS.fileName),
                                      TableAccess::Shared);
    FrameworkDates dates;
    if (periods.RecordCount() > 0) {
        dates.start = periods.Text(0, layouts::periodos::FECINI);
        dates.end = periods.Text(0, layouts::periodos::FECFIN);
    }
    periods.Close();
    return dates;
}

std::string TeacherFilter(std::string_view abrev) {
    return dbf::EqualsFilterText(soluc::PROF, abrev);
}

std::vector<std::size_t> PlacedRows(TimetableTables& tables, const TimetableFields& fields,
                                    std::string_view abrev, SolucRowsTaken& taken) {
    std::vector<std::size_t> placed;
    for (std::size_t row : tables.soluc.FilterRows(TeacherFilter(abrev))) {
        taken[row] = true;
        if (tables.soluc.Integer(row, fields.soluc.dia) != 0) placed.push_back(row);
    }
    return placed;
}

void ReportRowsOfUnknownTeachers(const TimetableTables& tables, const TimetableFields& fields,
                                 const SolucRowsTaken& taken, ConversionReport& report) {
    const DbfTable& soluc = tables.soluc;
    for (std::size_t row = 0; row < taken.size(); ++row) {
        if (taken[row]) continue;
        const std::string day = soluc.Text(row, fields.soluc.dia);
        if (IsUnplacedDay(day)) continue;
        report.Add(ReportKind::RowOfUnknownTeacher, TableRow(layouts::SOLUC.fileName, row),
                   {soluc.Text(row, fields.soluc.prof), day, soluc.Text(row, fields.soluc.hora)});
    }
}

// The lookups go step by step in this order, since later steps use what earlier ones found.
ActivityValues ResolveActivity(TimetableTables& t, const TimetableFields& f, std::size_t row,
                               const FrameworkDates& dates, ConversionReport& report) {
    ActivityValues values;
    const std::string asig = t.soluc.Text(row, f.soluc.asig);
    const std::string codGrupo = t.soluc.Text(row, f.soluc.codGrupo);
    std::string tarea = t.soluc.Text(row, f.soluc.tarea);

    if (auto assignment = t.asig.Locate({{f.asig.casig, asig}, {f.asig.cgrup, codGrupo}})) {
        values.subjectKey = t.asig.Text(*assignment, f.asig.clave);
        values.courseKey = t.asig.Text(*assignment, f.asig.claveCurso);
    }

    if (IsBlank(tarea)) {
        if (auto task = t.nomAsg.Locate({{f.nomAsg.cod, asig}})) {
            tarea = t.nomAsg.Text(*task, f.nomAsg.codTarea);
        }
    }

    const std::string dayPeriodKey =
        t.soluc.Text(row, f.soluc.dia) + IntegerToText(t.soluc.Integer(row, f.soluc.hora));
    const std::string frameworkFlag = LeftChars(t.soluc.Text(row, f.soluc.marco), 1);
    if (auto slot =
            t.tramos.Locate({{f.tramos.diho, dayPeriodKey}, {f.tramos.marco, frameworkFlag}})) {
        values.dayNumber = t.tramos.Text(*slot, f.tramos.dia);
        values.slotCode = t.tramos.Text(*slot, f.tramos.codDiho);
        values.startTime = t.tramos.Text(*slot, f.tramos.horaDesde);
        values.endTime = t.tramos.Text(*slot, f.tramos.horaHasta);
    } else {
        report.Add(ReportKind::SlotNotFound, TableRow(layouts::SOLUC.fileName, row),
                   {t.soluc.Text(row, f.soluc.prof), dayPeriodKey, frameworkFlag});
    }

    const std::string aula = t.soluc.Text(row, f.soluc.aula);
    if (!IsBlank(aula)) values.roomCode = aula;

    if (auto group = t.grupos.Locate({{f.grupos.abrev, codGrupo}})) {
        values.unitKey = t.grupos.Text(*group, f.grupos.clave);
        if (IsBlank(values.courseKey)) values.courseKey = t.grupos.Text(*group, f.grupos.claveCurso);
    }

    if (IsBlank(values.subjectKey)) {
        if (auto subject = t.nomAsg2.Locate(
                {{f.nomAsg2.cod, asig}, {f.nomAsg2.ofertaMatri, values.courseKey}})) {
            values.subjectKey = t.nomAsg2.Text(*subject, f.nomAsg2.materia);
        }
    }

    const bool isTask = !IsBlank(tarea);
    values.activityKey = isTask ? tarea : "1";
    values.startDate = dates.start;
    values.endDate = dates.end;
    ReportEmptyKeys(t, f, row, asig, codGrupo, values, isTask, report);
    return values;
}

}  // namespace velmaro

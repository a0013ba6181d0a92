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

bool IsBlank(std::string_view text) { return TrimBlanks(text).empty(); }

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
    : asig(t.Field(soluc::ASIG)), codGrupo(t.Field(soluc::CODGRUPO)), tarea(t.Field(soluc::TAREA)),
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
                                    std::string_view abrev) {
    std::vector<std::size_t> placed;
    for (std::size_t row : tables.soluc.FilterRows(TeacherFilter(abrev))) {
        if (tables.soluc.Integer(row, fields.soluc.dia) != 0) placed.push_back(row);
    }
    return placed;
}

// The lookups go step by step in this order, since later steps use what earlier ones found.
ActivityValues ResolveActivity(TimetableTables& t, const TimetableFields& f, std::size_t row,
                               const FrameworkDates& dates) {
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

    values.activityKey = IsBlank(tarea) ? "1" : tarea;
    values.startDate = dates.start;
    values.endDate = dates.end;
    return values;
}

}  // namespace velmaro

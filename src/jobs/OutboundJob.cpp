#include "jobs/OutboundJob.h"

#include <ctime>
#include <exception>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "jobs/JobSteps.h"
#include "exchange/ExchangeDocument.h"
#include "exchange/LegacyDom.h"
#include "base/RegionalTimestamp.h"
#include "outbound/ResultDocument.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"
#include "worktables/DbfTable.h"

namespace velmaro {
namespace {

constexpr const char* kNoPeriodsMessage =
    "ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de RACIMA.";
constexpr const char* kPeriodsFile = "PERIODOS.DBF";

bool IsBlank(std::string_view text) { return TrimBlanks(text).empty(); }

DbfTable OpenExclusive(const std::filesystem::path& workDir, const char* fileName) {
    return DbfTable::Open(workDir / fileName, TableAccess::Exclusive);
}

// The fields the job reads, found once per table so that the loop over the activities does
// not look names up again.
struct SolucFields {
    explicit SolucFields(const DbfTable& t)
        : asig(t.Field("ASIG")), codGrupo(t.Field("CODGRUPO")), tarea(t.Field("TAREA")),
          dia(t.Field("DIA")), hora(t.Field("HORA")), marco(t.Field("MARCO")),
          aula(t.Field("AULA")) {}
    DbfTable::FieldHandle asig, codGrupo, tarea, dia, hora, marco, aula;
};

struct TeacherFields {
    explicit TeacherFields(const DbfTable& t)
        : xEmpleado(t.Field("X_EMPLEADO")), fTomapos(t.Field("F_TOMAPOS")),
          abrev(t.Field("ABREV")) {}
    DbfTable::FieldHandle xEmpleado, fTomapos, abrev;
};

struct AssignmentFields {
    explicit AssignmentFields(const DbfTable& t)
        : casig(t.Field("CASIG")), cgrup(t.Field("CGRUP")), clave(t.Field("CLAVE")),
          claveCurso(t.Field("CLAVECURSO")) {}
    DbfTable::FieldHandle casig, cgrup, clave, claveCurso;
};

struct SubjectNameFields {
    explicit SubjectNameFields(const DbfTable& t)
        : cod(t.Field("COD")), codTarea(t.Field("CODTAREA")) {}
    DbfTable::FieldHandle cod, codTarea;
};

struct SlotFields {
    explicit SlotFields(const DbfTable& t)
        : diho(t.Field("DIHO")), marco(t.Field("MARCO")), dia(t.Field("DIA")),
          codDiho(t.Field("CODDIHO")), horaDesde(t.Field("HORADESDE")),
          horaHasta(t.Field("HORAHASTA")) {}
    DbfTable::FieldHandle diho, marco, dia, codDiho, horaDesde, horaHasta;
};

struct GroupFields {
    explicit GroupFields(const DbfTable& t)
        : abrev(t.Field("ABREV")), clave(t.Field("CLAVE")), claveCurso(t.Field("CLAVECURSO")) {}
    DbfTable::FieldHandle abrev, clave, claveCurso;
};

struct CourseSubjectFields {
    explicit CourseSubjectFields(const DbfTable& t)
        : cod(t.Field("COD")), ofertaMatri(t.Field("OFERTAMATRI")), materia(t.Field("MATERIA")) {}
    DbfTable::FieldHandle cod, ofertaMatri, materia;
};

// The work tables the job holds for exclusive use while it runs. Members are opened in the
// order of their declaration; whatever ends the job, the destructors release them all.
struct WorkTables {
    DbfTable soluc;
    DbfTable grupos;
    DbfTable cursos;
    DbfTable profesor;
    DbfTable aulas;
    DbfTable nomAsg;
    DbfTable nomAsg2;
    DbfTable tramos;
    DbfTable asig;

    static WorkTables Open(const std::filesystem::path& workDir) {
        return WorkTables{
            OpenExclusive(workDir, "SOLUC.DBF"),     OpenExclusive(workDir, "GRUPOST.DBF"),
            OpenExclusive(workDir, "CURSOST.DBF"),   OpenExclusive(workDir, "PROFT.DBF"),
            OpenExclusive(workDir, "AULAT.DBF"),     OpenExclusive(workDir, "ASIGNOMT.DBF"),
            OpenExclusive(workDir, "ASIGNOMT2.DBF"), OpenExclusive(workDir, "DIASHORAST.DBF"),
            OpenExclusive(workDir, "ASIGT.DBF"),
        };
    }

    // Closes every table, ASIGNOMT2 included, so that none stays held after the job.
    void Close() {
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
};

// The handles of every field the job reads, table by table.
struct WorkFields {
    explicit WorkFields(const WorkTables& t)
        : soluc(t.soluc), profesor(t.profesor), asig(t.asig), nomAsg(t.nomAsg),
          tramos(t.tramos), grupos(t.grupos), nomAsg2(t.nomAsg2) {}
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

FrameworkDates ReadFrameworkDates(const std::filesystem::path& workDir) {
    DbfTable periods = DbfTable::Open(workDir / kPeriodsFile, TableAccess::Shared);
    FrameworkDates dates;
    if (periods.RecordCount() > 0) {
        dates.start = periods.Text(0, "FECINI");
        dates.end = periods.Text(0, "FECFIN");
    }
    periods.Close();
    return dates;
}

// The first four characters of the text of the first child of /SERVICIO/BLOQUE_DATOS.
std::string AcademicYear(const ExchangeDocument& document) {
    const std::optional<std::string> firstChild =
        document.HasEnvelope() ? document.FirstDataBlockChildText() : std::nullopt;
    if (!firstChild) {
        throw Error("El documento '" + document.Path().string() +
                    "' no tiene /SERVICIO/BLOQUE_DATOS con contenido: no se puede leer el año "
                    "académico");
    }
    return LeftChars(*firstChild, 4);
}

// The filter that restricts SOLUC to one teacher: PROF= 'ABREV', quotes inside doubled.
std::string TeacherFilter(std::string_view abrev) {
    std::string expression = "PROF= '";
    for (char c : abrev) {
        expression += c;
        if (c == '\'') expression += '\'';
    }
    return expression + "'";
}

// The teacher's SOLUC rows that are placed in the timetable (DIA not 0), in stored order.
std::vector<std::size_t> PlacedRows(WorkTables& tables, const WorkFields& fields,
                                    std::string_view abrev) {
    std::vector<std::size_t> placed;
    for (std::size_t row : tables.soluc.FilterRows(TeacherFilter(abrev))) {
        if (tables.soluc.Integer(row, fields.soluc.dia) != 0) placed.push_back(row);
    }
    return placed;
}

// Joins one placed SOLUC row with the other work tables, step by step in this order, since
// later steps use what earlier ones found. Each lookup finds the first matching row in stored
// order through the table's index.
ActivityValues ResolveActivity(WorkTables& t, const WorkFields& f, std::size_t row,
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

// Opens the work tables, loads the exchange document and writes the result document.
// Nothing when PERIODOS.DBF is missing; the tables are closed again and the cursor restored
// before the caller says so.
std::optional<OutboundSummary> ConvertTimetable(const Session& session, UserInteraction& ui) {
    const WaitCursor waitCursor(ui);
    const std::filesystem::path& workDir = session.paths.workDir;
    WorkTables tables = WorkTables::Open(workDir);
    ExchangeDocument document = ExchangeDocument::Load(session.filenameXML);
    const std::string academicYear = AcademicYear(document);

    if (!IsExistingFile(workDir / kPeriodsFile)) return std::nullopt;
    const FrameworkDates dates = ReadFrameworkDates(workDir);

    OutboundSummary summary;
    summary.teachers = tables.profesor.RecordCount();
    // TEMPORARY, until the result document is written from document.Prolog(): the tree.
    const LegacyDom legacyDom = LegacyDom::Load(document.Path());
    ResultDocument result(legacyDom.Raw(), document.Path(), academicYear, summary.teachers,
                          RegionalTimestamp(std::time(nullptr)));
    const WorkFields fields(tables);
    for (std::size_t teacher = 0; teacher < summary.teachers; ++teacher) {
        const std::string xEmpleado = tables.profesor.Text(teacher, fields.profesor.xEmpleado);
        const std::string fTomapos = tables.profesor.Text(teacher, fields.profesor.fTomapos);
        const std::string abrev = tables.profesor.Text(teacher, fields.profesor.abrev);
        const std::vector<std::size_t> placed = PlacedRows(tables, fields, abrev);
        const TeacherGroup group =
            result.AddTeacher(teacher + 1, xEmpleado, fTomapos, placed.size());
        for (std::size_t activity = 0; activity < placed.size(); ++activity) {
            result.AddActivity(group, activity + 1,
                               ResolveActivity(tables, fields, placed[activity], dates));
        }
        summary.activities += placed.size();
    }
    tables.Close();

    summary.resultFile = ResultFileName(session.filenameXML);
    result.Save(summary.resultFile);
    return summary;
}

}  // namespace

std::optional<OutboundSummary> RunOutboundJob(Session& session, UserInteraction& ui) {
    if (!ChooseExchangeDocument(session, ui)) return std::nullopt;
    try {
        std::optional<OutboundSummary> summary = ConvertTimetable(session, ui);
        if (!summary) {
            ui.ShowMessage(kNoPeriodsMessage);
            return std::nullopt;
        }
        FinishJob(session, ui);
        return summary;
    } catch (const std::exception&) {
        ReportJobFailure(session, ui);
        return std::nullopt;
    }
}

}  // namespace velmaro

#pragma once
// The result document for Racima: every teacher's regular timetable, written after the prolog of
// the exchange document into a file beside it under the "ResultadoOrvik" name.
//
// Tree: SERVICIO(modulo, tipo, autor, fecha) > BLOQUE_DATOS > grupo_datos seq="ANNO_ACADEMICO"
// (dato C_ANNO) and grupo_datos seq="HORARIOS_REGULARES" registros=<teachers>, which holds one
// grupo_datos seq="HORARIO_REGULAR_PROFESOR_<n>" registros=<activities> per teacher (dato
// X_EMPLEADO, dato F_TOMAPOS, then one grupo_datos seq="ACTIVIDAD_<n>" of eleven dato per
// activity). No white space is placed between elements.
//
// The document is written as it is built: its text goes to a temporary file beside the result
// in pieces of about 1 MiB, and Save renames that file over the result, so that memory does not
// follow the size of the document and a failed run leaves an earlier result whole.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "exchange/ExchangeProlog.h"
#include "exchange/XmlWriter.h"

namespace velmaro::files {
class PendingReplacement;
}

namespace velmaro {
// The values of one activity, as the outbound conversion resolved them from the work tables.
struct ActivityValues {
    std::string dayNumber;    // N_DIASEMANA
    std::string slotCode;     // X_TRAMO
    std::string roomCode;     // X_DEPENDENCIA
    std::string unitKey;      // X_UNIDAD
    std::string courseKey;    // X_OFERTAMATRIG
    std::string subjectKey;   // X_MATERIAOMG
    std::string startDate;    // F_INICIO
    std::string endDate;      // F_FIN
    std::string startTime;    // clock text "hh:mm"; N_HORINI is its minutes after midnight
    std::string endTime;      // clock text "hh:mm"; N_HORFIN is its minutes after midnight
    std::string activityKey;  // X_ACTIVIDAD
};

// A teacher's group inside the result document, to which activities are added.
class TeacherGroup {
public:
    explicit TeacherGroup(std::size_t serial) : serial_(serial) {}
    // The group's place among the groups of its document, counted from 1.
    std::size_t Serial() const { return serial_; }

private:
    std::size_t serial_;
};

class ResultDocument {
public:
    // Begins the result document that Save puts at `target`: the declaration and the nodes of
    // `prolog` (those before the root, then those after it), the new SERVICIO root with `fecha`
    // as its date attribute, the academic-year group and the timetable group. It is written in
    // the encoding `prolog` declares (UTF-8, and no declaration, when it declares none). Throws
    // Error naming `target` when that encoding cannot be written.
    ResultDocument(const ExchangeProlog& prolog, const std::filesystem::path& target,
                   std::string_view academicYear, std::size_t teacherCount, std::string_view fecha);
    // Without Save, the temporary file is removed and an earlier result stays as it was.
    ~ResultDocument();
    ResultDocument(const ResultDocument&) = delete;
    ResultDocument& operator=(const ResultDocument&) = delete;

    // Appends the group of teacher number `teacherNumber` with its X_EMPLEADO and F_TOMAPOS;
    // the group of the teacher added before is finished.
    TeacherGroup AddTeacher(std::size_t teacherNumber, std::string_view xEmpleado,
                            std::string_view fTomapos, std::size_t activityCount);
    // Appends activity number `activityNumber` with its eleven dato to `teacher`, the teacher
    // added last. Throws Error when a clock text cannot be turned into minutes, or when
    // `teacher` is a finished group.
    void AddActivity(TeacherGroup teacher, std::size_t activityNumber,
                     const ActivityValues& values);

    // Ends the document and renames its temporary file over the target; called once.
    //
    // This and the two calls above may write a piece of the document to the temporary file;
    // when the file cannot be written, they throw Error naming the target, which keeps its
    // earlier content, and the document can no longer be saved.
    void Save();

private:
    // Gives a piece of the document's bytes to the temporary file, opening it with the first.
    void WritePiece(std::string_view bytes);
    // Closes the open teacher's group, if there is an open one.
    void FinishOpenTeacher();
    // Appends <dato nombre_dato="name">value</dato>, without content when `value` is empty
    // (a value that begins with NUL gives an empty content).
    void AppendDato(std::string_view name, std::string_view value);
    // Opens a grupo_datos with its seq attribute.
    void StartGroup(std::string_view seq);

    std::filesystem::path target_;
    std::unique_ptr<files::PendingReplacement> file_;
    int writeError_ = 0;  // the errno value of the write that failed, or 0
    std::unique_ptr<XmlWriter> writer_;
    std::size_t groups_ = 0;          // teachers' groups opened so far
    bool teacherOpen_ = false;        // whether group number groups_ takes activities
};

// Minutes after midnight of a clock text: a text shorter than 5 characters gets one "0" in
// front; then its first two and last two characters are read as decimal numbers (hours and
// minutes). "08:30" and "8:30" give 510, "" gives 0. Throws Error when either part is not a
// whole number.
int MinutesAfterMidnight(std::string_view clockText);

// The result file beside `exchangeDocument`: its folder, then "ResultadoOrvik", then its file
// name ("/d/horario.xml" gives "/d/ResultadoOrvikhorario.xml").
std::filesystem::path ResultFileName(const std::filesystem::path& exchangeDocument);

}  // namespace velmaro

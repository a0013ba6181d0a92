#pragma once
// The result document for Racima: every teacher's regular timetable, built inside the loaded
// exchange document and saved beside it under the "ResultadoOrvik" name.
//
// Tree: SERVICIO(modulo, tipo, autor, fecha) > BLOQUE_DATOS > grupo_datos seq="ANNO_ACADEMICO"
// (dato C_ANNO) and grupo_datos seq="HORARIOS_REGULARES" registros=<teachers>, which holds one
// grupo_datos seq="HORARIO_REGULAR_PROFESOR_<n>" registros=<activities> per teacher (dato
// X_EMPLEADO, dato F_TOMAPOS, then one grupo_datos seq="ACTIVIDAD_<n>" of eleven dato per
// activity). No white space is placed between elements.
//
// A teacher's group is finished when the next teacher is added (or the document saved): it is
// then serialised at once and kept as its text, so that the tree never holds every teacher's
// nodes (a large school's result would take gigabytes as a tree, a tenth of that as text).

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct _xmlDoc;
struct _xmlNode;

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
    explicit TeacherGroup(_xmlNode* node) : node_(node) {}
    _xmlNode* Node() const { return node_; }

private:
    _xmlNode* node_;
};

class ResultDocument {
public:
    // Begins the result document inside `doc`: removes its root element with everything below
    // it, keeps every node outside the root (XML declaration, comments, processing
    // instructions), appends the new SERVICIO root after them with `fecha` as its date
    // attribute, and adds the academic-year group and the timetable group. Throws Error naming
    // `source` when the document has no root element.
    ResultDocument(_xmlDoc* doc, const std::filesystem::path& source, std::string_view academicYear,
                   std::size_t teacherCount, std::string_view fecha);
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

    // Writes the document to `target` in the encoding its XML declaration names (UTF-8, and no
    // declaration, when the exchange document had none). Writes a temporary file in the same
    // folder and renames it over `target`, so a failed save leaves an earlier file whole.
    // Throws Error naming `target` when the file cannot be written.
    void Save(const std::filesystem::path& target);

private:
    struct GroupSerialiser;

    // Replaces the open teacher's group by its serialised text, if there is an open one.
    void FinishOpenTeacher();

    _xmlDoc* doc_;
    _xmlNode* timetableGroup_ = nullptr;
    _xmlNode* openTeacher_ = nullptr;  // the group activities are being added to
    std::unique_ptr<GroupSerialiser> serialiser_;
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

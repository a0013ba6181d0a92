#pragma once
// One row of the timetable solution SOLUC.DBF: one lesson or task of one teacher.

#include <string>

namespace velmaro::sim {

struct SolucRow {
    std::string prof;      // PROF: the teacher's ABREV in PROFT.DBF
    int dia = 0;           // DIA: day number, 0 when the row is not placed
    int hora = 0;          // HORA: period number within the day
    std::string marco;     // MARCO: framework flag, "0" or "1"
    std::string asig;      // ASIG: subject code, or the activity key of a task
    std::string codGrupo;  // CODGRUPO: group code, blank for a task
    std::string tarea;     // TAREA: activity key of a task, else blank
    std::string aula;      // AULA: room code, may be blank
};

}  // namespace velmaro::sim

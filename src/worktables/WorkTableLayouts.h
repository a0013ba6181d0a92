#pragma once
// The layouts of every table the program writes or reads, with the names of their fields, in
// one place: the tables are created from these layouts, and the code finds a field of an open
// table by its name here (DbfTable::Field gives the handle).

#include <string_view>
#include <vector>

#include "worktables/TableLayout.h"

namespace velmaro::layouts {

// The fields of ASIGNOMT.DBF, in table order.
namespace asignomt {
inline constexpr std::string_view COD = "COD";
inline constexpr std::string_view CODLARGO = "CODLARGO";
inline constexpr std::string_view NOMBRE = "NOMBRE";
inline constexpr std::string_view CODTAREA = "CODTAREA";
inline constexpr std::string_view ESTAREA = "ESTAREA";
}  // namespace asignomt

// The fields of ASIGNOMT2.DBF, in table order.
namespace asignomt2 {
inline constexpr std::string_view COD = "COD";
inline constexpr std::string_view CODLARGO = "CODLARGO";
inline constexpr std::string_view NOMBRE = "NOMBRE";
inline constexpr std::string_view MATERIA = "MATERIA";
inline constexpr std::string_view OFERTAMATRI = "OFERTAMATRI";
inline constexpr std::string_view CODTAREA = "CODTAREA";
inline constexpr std::string_view ESTAREA = "ESTAREA";
}  // namespace asignomt2

// The fields of PROFT.DBF, in table order.
namespace proft {
inline constexpr std::string_view ABREV = "ABREV";
inline constexpr std::string_view NOMBRE = "NOMBRE";
inline constexpr std::string_view DEPART = "DEPART";
inline constexpr std::string_view EMAIL = "EMAIL";
inline constexpr std::string_view DNI = "DNI";
inline constexpr std::string_view X_EMPLEADO = "X_EMPLEADO";
inline constexpr std::string_view F_TOMAPOS = "F_TOMAPOS";
}  // namespace proft

// The fields of AULAT.DBF, in table order.
namespace aulat {
inline constexpr std::string_view ABREV = "ABREV";
inline constexpr std::string_view NOMBRE = "NOMBRE";
inline constexpr std::string_view EDIFICIO = "EDIFICIO";
inline constexpr std::string_view MAXALUM = "MAXALUM";
inline constexpr std::string_view DEPCENTRO = "DEPCENTRO";
}  // namespace aulat

// The fields of CURSOST.DBF, in table order.
namespace cursost {
inline constexpr std::string_view ABREV = "ABREV";
inline constexpr std::string_view TURNO = "TURNO";
inline constexpr std::string_view NIVEL = "NIVEL";
inline constexpr std::string_view CURSO = "CURSO";
inline constexpr std::string_view CLAVE = "CLAVE";
inline constexpr std::string_view ESTUD = "ESTUD";
}  // namespace cursost

// The fields of GRUPOST.DBF, in table order.
namespace grupost {
inline constexpr std::string_view ABREV = "ABREV";
inline constexpr std::string_view TURNO = "TURNO";
inline constexpr std::string_view NIVEL = "NIVEL";
inline constexpr std::string_view CURSO = "CURSO";
inline constexpr std::string_view GRUPO = "GRUPO";
inline constexpr std::string_view MARCO = "MARCO";
inline constexpr std::string_view CLAVE = "CLAVE";
inline constexpr std::string_view CLAVECURSO = "CLAVECURSO";
inline constexpr std::string_view DESCRIP = "DESCRIP";
}  // namespace grupost

// The fields of ASIGT.DBF, in table order.
namespace asigt {
inline constexpr std::string_view CASIG = "CASIG";
inline constexpr std::string_view CPROF = "CPROF";
inline constexpr std::string_view CGRUP = "CGRUP";
inline constexpr std::string_view CAULA = "CAULA";
inline constexpr std::string_view TURNO = "TURNO";
inline constexpr std::string_view NIVEL = "NIVEL";
inline constexpr std::string_view CURSO = "CURSO";
inline constexpr std::string_view GRUPO = "GRUPO";
inline constexpr std::string_view HORAS = "HORAS";
inline constexpr std::string_view SESIONES = "SESIONES";
inline constexpr std::string_view NCONEX = "NCONEX";
inline constexpr std::string_view CLAVE = "CLAVE";
inline constexpr std::string_view CLAVECURSO = "CLAVECURSO";
inline constexpr std::string_view CTAREA = "CTAREA";
}  // namespace asigt

// The fields of DIASHORAST.DBF, in table order.
namespace diashorast {
inline constexpr std::string_view DIHO = "DIHO";
inline constexpr std::string_view CODDIHO = "CODDIHO";
inline constexpr std::string_view DIA = "DIA";
inline constexpr std::string_view TEXTODIA = "TEXTODIA";
inline constexpr std::string_view HORA = "HORA";
inline constexpr std::string_view TEXTOHOR = "TEXTOHOR";
inline constexpr std::string_view HORADESDE = "HORADESDE";
inline constexpr std::string_view HORAHASTA = "HORAHASTA";
inline constexpr std::string_view MINUTOS = "MINUTOS";
inline constexpr std::string_view MARCO = "MARCO";
inline constexpr std::string_view MARCOXML = "MARCOXML";
}  // namespace diashorast

// The field DIASHORAST2.DBF adds to those of DIASHORAST.DBF.
namespace diashorast2 {
inline constexpr std::string_view ORDEN = "ORDEN";
}  // namespace diashorast2

// The fields of PERIODOS.DBF, in table order.
namespace periodos {
inline constexpr std::string_view CJORNADA = "CJORNADA";
inline constexpr std::string_view JORNADA = "JORNADA";
inline constexpr std::string_view FECINI = "FECINI";
inline constexpr std::string_view FECFIN = "FECFIN";
}  // namespace periodos

// The fields of NIVELLARI.DBF, in table order.
namespace nivellari {
inline constexpr std::string_view X_OFERTAMATRIG = "X_OFERTAMATRIG";
inline constexpr std::string_view NIVEL_ABREV = "NIVEL_ABREV";
inline constexpr std::string_view ESTUDIO = "ESTUDIO";
inline constexpr std::string_view CURSO = "CURSO";
}  // namespace nivellari

// The fields of SOLUC.DBF, in table order.
namespace soluc {
inline constexpr std::string_view PROF = "PROF";
inline constexpr std::string_view DIA = "DIA";
inline constexpr std::string_view HORA = "HORA";
inline constexpr std::string_view MARCO = "MARCO";
inline constexpr std::string_view ASIG = "ASIG";
inline constexpr std::string_view CODGRUPO = "CODGRUPO";
inline constexpr std::string_view TAREA = "TAREA";
inline constexpr std::string_view AULA = "AULA";
}  // namespace soluc

// --- The work tables the inbound conversion creates ---------------------------------------------

extern const TableLayout ASIGNOMT;
extern const TableLayout ASIGNOMT2;
extern const TableLayout PROFT;
extern const TableLayout AULAT;
extern const TableLayout CURSOST;
extern const TableLayout GRUPOST;
extern const TableLayout ASIGT;
extern const TableLayout DIASHORAST;
extern const TableLayout DIASHORAST2;  // DIASHORAST's fields plus ORDEN, with the index tag ORDEN
extern const TableLayout PERIODOS;

// All of the above, in the order the inbound conversion first creates them.
const std::vector<const TableLayout*>& AllWorkTables();

// The table of school days that Tavolin may leave in the work-table folder. The framework step
// deletes it and nothing creates it again, so only its file name is known here.
inline constexpr std::string_view JORNADAS_FILE_NAME = "JORNADAS.DBF";

// --- Tables read ------------------------------------------------------------------------------

// The reference table of course levels that ships beside the executables. Not a work table:
// it is written as a dBase 7 table, whose field names may be longer than 11 characters. Any
// dBase tool may write it again, so it is read by field name.
extern const TableLayout NIVELLARI;

// The timetable that Tavolin writes into the work-table folder: a read layout, the fields the
// outbound conversion reads. Tavolin's own table may hold more fields, other widths and other
// numeric types; the widths here are those of the stand-in timetable program.
extern const TableLayout SOLUC;

}  // namespace velmaro::layouts

#include "worktables/WorkTableLayouts.h"

namespace velmaro::layouts {

namespace {

FieldLayout Character(std::string_view name, int width) {
    return {std::string(name), FieldKind::Character, width};
}
FieldLayout Integer(std::string_view name) { return {std::string(name), FieldKind::Integer, 0}; }
FieldLayout Float(std::string_view name) { return {std::string(name), FieldKind::Float, 0}; }
FieldLayout Logical(std::string_view name) { return {std::string(name), FieldKind::Logical, 0}; }

constexpr int kSolucCodeWidth = 10;  // PROF, ASIG, CODGRUPO, TAREA and AULA of SOLUC.DBF

// The fields of DIASHORAST.DBF, which DIASHORAST2.DBF repeats before its own.
std::vector<FieldLayout> DaysAndPeriodsFields() {
    return {
        Character(diashorast::DIHO, 10),     Character(diashorast::CODDIHO, 10),
        Character(diashorast::DIA, 20),      Character(diashorast::TEXTODIA, 20),
        Character(diashorast::HORA, 8),      Character(diashorast::TEXTOHOR, 15),
        Character(diashorast::HORADESDE, 8), Character(diashorast::HORAHASTA, 8),
        Character(diashorast::MINUTOS, 8),   Character(diashorast::MARCO, 1),
        Character(diashorast::MARCOXML, 10),
    };
}

std::vector<FieldLayout> WithOrder(std::vector<FieldLayout> fields) {
    fields.push_back(Integer(diashorast2::ORDEN));
    return fields;
}

}  // namespace

const TableLayout ASIGNOMT{"ASIGNOMT.DBF",
                           {Character(asignomt::COD, 10), Character(asignomt::CODLARGO, 10),
                            Character(asignomt::NOMBRE, 80), Character(asignomt::CODTAREA, 10),
                            Logical(asignomt::ESTAREA)},
                           std::nullopt};

const TableLayout ASIGNOMT2{"ASIGNOMT2.DBF",
                            {Character(asignomt2::COD, 10), Character(asignomt2::CODLARGO, 10),
                             Character(asignomt2::NOMBRE, 80), Character(asignomt2::MATERIA, 20),
                             Character(asignomt2::OFERTAMATRI, 20),
                             Character(asignomt2::CODTAREA, 12), Logical(asignomt2::ESTAREA)},
                            std::nullopt};

const TableLayout PROFT{
    "PROFT.DBF",
    {Character(proft::ABREV, 10), Character(proft::NOMBRE, 80), Character(proft::DEPART, 40),
     Character(proft::EMAIL, 100), Integer(proft::DNI), Character(proft::X_EMPLEADO, 10),
     Character(proft::F_TOMAPOS, 10)},
    std::nullopt};

const TableLayout AULAT{
    "AULAT.DBF",
    {Character(aulat::ABREV, 10), Character(aulat::NOMBRE, 80), Character(aulat::EDIFICIO, 1),
     Integer(aulat::MAXALUM), Character(aulat::DEPCENTRO, 10)},
    std::nullopt};

const TableLayout CURSOST{
    "CURSOST.DBF",
    {Character(cursost::ABREV, 3), Character(cursost::TURNO, 1), Character(cursost::NIVEL, 5),
     Character(cursost::CURSO, 3), Character(cursost::CLAVE, 10), Character(cursost::ESTUD, 80)},
    std::nullopt};

const TableLayout GRUPOST{
    "GRUPOST.DBF",
    {Character(grupost::ABREV, 10), Character(grupost::TURNO, 1), Character(grupost::NIVEL, 5),
     Character(grupost::CURSO, 3), Character(grupost::GRUPO, 2), Character(grupost::MARCO, 1),
     Character(grupost::CLAVE, 10), Character(grupost::CLAVECURSO, 10),
     Character(grupost::DESCRIP, 80)},
    std::nullopt};

const TableLayout ASIGT{
    "ASIGT.DBF",
    {Character(asigt::CASIG, 10), Character(asigt::CPROF, 10), Character(asigt::CGRUP, 10),
     Character(asigt::CAULA, 10), Character(asigt::TURNO, 1), Character(asigt::NIVEL, 5),
     Character(asigt::CURSO, 3), Character(asigt::GRUPO, 2), Float(asigt::HORAS),
     Character(asigt::SESIONES, 20), Character(asigt::NCONEX, 4), Character(asigt::CLAVE, 10),
     Character(asigt::CLAVECURSO, 10), Character(asigt::CTAREA, 10)},
    std::nullopt};

const TableLayout DIASHORAST{"DIASHORAST.DBF", DaysAndPeriodsFields(), std::nullopt};

const TableLayout DIASHORAST2{"DIASHORAST2.DBF", WithOrder(DaysAndPeriodsFields()),
                              std::string(diashorast2::ORDEN)};

const TableLayout PERIODOS{"PERIODOS.DBF",
                           {Character(periodos::CJORNADA, 10), Character(periodos::JORNADA, 40),
                            Character(periodos::FECINI, 10), Character(periodos::FECFIN, 10)},
                           std::nullopt};

const TableLayout NIVELLARI{
    "NIVELLARI.DBF",
    {Integer(nivellari::X_OFERTAMATRIG), Character(nivellari::NIVEL_ABREV, 5),
     Character(nivellari::ESTUDIO, 80), Character(nivellari::CURSO, 3)},
    std::nullopt};

const TableLayout SOLUC{
    "SOLUC.DBF",
    {Character(soluc::PROF, kSolucCodeWidth), Integer(soluc::DIA), Integer(soluc::HORA),
     Character(soluc::MARCO, 1), Character(soluc::ASIG, kSolucCodeWidth),
     Character(soluc::CODGRUPO, kSolucCodeWidth), Character(soluc::TAREA, kSolucCodeWidth),
     Character(soluc::AULA, kSolucCodeWidth)},
    std::nullopt};

const std::vector<const TableLayout*>& AllWorkTables() {
    static const std::vector<const TableLayout*> all = {
        &ASIGNOMT, &ASIGNOMT2, &PROFT,      &AULAT,       &CURSOST,
        &GRUPOST,  &ASIGT,     &DIASHORAST, &DIASHORAST2, &PERIODOS,
    };
    return all;
}

}  // namespace velmaro::layouts

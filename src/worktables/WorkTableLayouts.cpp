#include "worktables/WorkTableLayouts.h"

namespace velmaro::layouts {

namespace {

FieldLayout Character(const char* name, int width) { return {name, FieldKind::Character, width}; }
FieldLayout Integer(const char* name) { return {name, FieldKind::Integer, 0}; }
FieldLayout Float(const char* name) { return {name, FieldKind::Float, 0}; }
FieldLayout Logical(const char* name) { return {name, FieldKind::Logical, 0}; }

// The fields of DIASHORAST.DBF, which DIASHORAST2.DBF repeats before its own.
std::vector<FieldLayout> DaysAndPeriodsFields() {
    return {
        Character("DIHO", 10),     Character("CODDIHO", 10),  Character("DIA", 20),
        Character("TEXTODIA", 20), Character("HORA", 8),      Character("TEXTOHOR", 15),
        Character("HORADESDE", 8), Character("HORAHASTA", 8), Character("MINUTOS", 8),
        Character("MARCO", 1),     Character("MARCOXML", 10),
    };
}

std::vector<FieldLayout> WithOrder(std::vector<FieldLayout> fields) {
    fields.push_back(Integer("ORDEN"));
    return fields;
}

}  // namespace

const TableLayout ASIGNOMT{
    "ASIGNOMT.DBF",
    {Character("COD", 10), Character("CODLARGO", 10), Character("NOMBRE", 80),
     Character("CODTAREA", 10), Logical("ESTAREA")},
    std::nullopt};

const TableLayout ASIGNOMT2{
    "ASIGNOMT2.DBF",
    {Character("COD", 10), Character("CODLARGO", 10), Character("NOMBRE", 80),
     Character("MATERIA", 20), Character("OFERTAMATRI", 20), Character("CODTAREA", 12),
     Logical("ESTAREA")},
    std::nullopt};

const TableLayout PROFT{
    "PROFT.DBF",
    {Character("ABREV", 10), Character("NOMBRE", 80), Character("DEPART", 40),
     Character("EMAIL", 100), Integer("DNI"), Character("X_EMPLEADO", 10),
     Character("F_TOMAPOS", 10)},
    std::nullopt};

const TableLayout AULAT{
    "AULAT.DBF",
    {Character("ABREV", 10), Character("NOMBRE", 80), Character("EDIFICIO", 1),
     Integer("MAXALUM"), Character("DEPCENTRO", 10)},
    std::nullopt};

const TableLayout CURSOST{
    "CURSOST.DBF",
    {Character("ABREV", 3), Character("TURNO", 1), Character("NIVEL", 5), Character("CURSO", 3),
     Character("CLAVE", 10), Character("ESTUD", 80)},
    std::nullopt};

const TableLayout GRUPOST{
    "GRUPOST.DBF",
    {Character("ABREV", 10), Character("TURNO", 1), Character("NIVEL", 5), Character("CURSO", 3),
     Character("GRUPO", 2), Character("MARCO", 1), Character("CLAVE", 10),
     Character("CLAVECURSO", 10), Character("DESCRIP", 80)},
    std::nullopt};

const TableLayout ASIGT{
    "ASIGT.DBF",
    {Character("CASIG", 10), Character("CPROF", 10), Character("CGRUP", 10),
     Character("CAULA", 10), Character("TURNO", 1), Character("NIVEL", 5), Character("CURSO", 3),
     Character("GRUPO", 2), Float("HORAS"), Character("SESIONES", 20), Character("NCONEX", 4),
     Character("CLAVE", 10), Character("CLAVECURSO", 10), Character("CTAREA", 10)},
    std::nullopt};

const TableLayout DIASHORAST{"DIASHORAST.DBF", DaysAndPeriodsFields(), std::nullopt};

const TableLayout DIASHORAST2{"DIASHORAST2.DBF", WithOrder(DaysAndPeriodsFields()), "ORDEN"};

const TableLayout PERIODOS{
    "PERIODOS.DBF",
    {Character("CJORNADA", 10), Character("JORNADA", 40), Character("FECINI", 10),
     Character("FECFIN", 10)},
    std::nullopt};

const TableLayout NIVELLARI{
    "NIVELLARI.DBF",
    {Integer("X_OFERTAMATRIG"), Character("NIVEL_ABREV", 5), Character("ESTUDIO", 80),
     Character("CURSO", 3)},
    std::nullopt};

const std::vector<const TableLayout*>& AllWorkTables() {
    static const std::vector<const TableLayout*> all = {
        &ASIGNOMT, &ASIGNOMT2, &PROFT,      &AULAT,       &CURSOST,
        &GRUPOST,  &ASIGT,     &DIASHORAST, &DIASHORAST2, &PERIODOS,
    };
    return all;
}

}  // namespace velmaro::layouts

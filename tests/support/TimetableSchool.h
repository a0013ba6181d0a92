#pragma once
// Work tables written by hand for the tests of the outbound conversion, and a small school whose
// timetable rows exercise every lookup of an activity.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "worktables/DbfTable.h"
#include "worktables/TableLayout.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro::testing {

namespace fs = std::filesystem;

// One row: field name and value; numbers and logicals are given as text ("2", "T").
using Row = std::vector<std::pair<std::string, std::string>>;

// The fields of SOLUC.DBF that the outbound conversion reads, DIA and HORA as dBase numbers.
inline TableLayout SolucLayout(FieldKind dayKind = FieldKind::Integer) {
    return TableLayout{"SOLUC.DBF",
                       {{"PROF", FieldKind::Character, 10},
                        {"DIA", dayKind, dayKind == FieldKind::Character ? 4 : 0},
                        {"HORA", FieldKind::Integer, 0},
                        {"MARCO", FieldKind::Character, 2},
                        {"ASIG", FieldKind::Character, 10},
                        {"CODGRUPO", FieldKind::Character, 10},
                        {"TAREA", FieldKind::Character, 10},
                        {"AULA", FieldKind::Character, 10}},
                       std::nullopt};
}

// Creates `layout` in `folder` with `rows`.
inline void MakeTable(const fs::path& folder, const TableLayout& layout,
                      const std::vector<Row>& rows) {
    DbfTable table = DbfTable::Create(folder / layout.fileName, layout);
    for (const Row& row : rows) {
        const std::size_t position = table.Append();
        for (const auto& [name, value] : row) {
            FieldKind kind = FieldKind::Character;
            for (const FieldLayout& field : layout.fields) {
                if (field.name == name) kind = field.kind;
            }
            switch (kind) {
                case FieldKind::Character:
                    table.SetText(position, name, value);
                    break;
                case FieldKind::Integer:
                    table.SetInteger(position, name, std::stoll(value));
                    break;
                case FieldKind::Float:
                    table.SetFloat(position, name, std::stod(value));
                    break;
                case FieldKind::Logical:
                    table.SetLogical(position, name, value == "T");
                    break;
            }
        }
    }
    table.Close();
}

inline Row SolucRow(const char* prof, const char* dia, const char* hora, const char* marco,
             const char* asig, const char* grupo, const char* tarea, const char* aula) {
    return {{"PROF", prof}, {"DIA", dia},        {"HORA", hora},   {"MARCO", marco},
            {"ASIG", asig}, {"CODGRUPO", grupo}, {"TAREA", tarea}, {"AULA", aula}};
}

inline Row Slot(const char* diho, const char* marco, const char* dia, const char* code, const char* from,
         const char* to) {
    return {{"DIHO", diho},    {"MARCO", marco},    {"DIA", dia},
            {"CODDIHO", code}, {"HORADESDE", from}, {"HORAHASTA", to}};
}

// The work tables of a small school whose rows exercise every lookup of an activity.
inline void MakeSchoolTables(const fs::path& dir) {
    MakeTable(dir, layouts::PROFT,
              {{{"ABREV", "GAR"}, {"X_EMPLEADO", "E1"}, {"F_TOMAPOS", "01/09/2020"}},
               {{"ABREV", "O'NEIL"}, {"X_EMPLEADO", "E2"}, {"F_TOMAPOS", ""}},
               {{"ABREV", "VAC"}, {"X_EMPLEADO", "E3"}, {"F_TOMAPOS", "02/09/2021"}}});
    MakeTable(dir, layouts::PERIODOS,
              {{{"CJORNADA", "J1"}, {"FECINI", "01/09/2023"}, {"FECFIN", "30/06/2024"}},
               {{"CJORNADA", "J2"}, {"FECINI", "no"}, {"FECFIN", "no"}}});
    MakeTable(
        dir, layouts::DIASHORAST,
        {Slot("11", "0", "1", "T1", "08:00", "08:55"), Slot("11", "1", "1", "T9", "15:00", "15:55"),
         Slot("25", "0", "2", "T5", "12:00", "12:55"),
         Slot("25", "0", "2", "T5b", "13:00", "13:55"),
         Slot("110", "0", "1", "T10", "8:05", "9:00"),
         Slot("31", "", "3", "TE", "10:00", "10:55")});
    MakeTable(dir, layouts::ASIGT,
              {{{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M100"}, {"CLAVECURSO", "C10"}},
               {{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M999"}, {"CLAVECURSO", "C99"}},
               {{"CASIG", "MAT"}, {"CGRUP", "1B"}, {"CLAVE", " "}, {"CLAVECURSO", ""}}});
    MakeTable(dir, layouts::ASIGNOMT,
              {{{"COD", "MAT"}, {"CODTAREA", ""}, {"ESTAREA", "F"}},
               {{"COD", "GUARD"}, {"CODTAREA", "A77"}, {"ESTAREA", "T"}},
               {{"COD", "GUARD"}, {"CODTAREA", "A88"}, {"ESTAREA", "T"}},
               {{"COD", "LEN"}, {"CODTAREA", "ZZZ"}, {"ESTAREA", "F"}}});
    MakeTable(dir, layouts::ASIGNOMT2,
              {{{"COD", "MAT"}, {"OFERTAMATRI", "C20"}, {"MATERIA", "M200"}},
               {{"COD", "MAT"}, {"OFERTAMATRI", ""}, {"MATERIA", "M000"}},
               {{"COD", "LEN"}, {"OFERTAMATRI", "C20"}, {"MATERIA", "L200"}}});
    MakeTable(dir, layouts::GRUPOST,
              {{{"ABREV", "1A"}, {"CLAVE", "U1A"}, {"CLAVECURSO", "C11"}},
               {{"ABREV", "1B"}, {"CLAVE", "U1B"}, {"CLAVECURSO", "C20"}}});
    MakeTable(dir, layouts::CURSOST, {});
    MakeTable(dir, layouts::AULAT, {{{"ABREV", "A1"}}});
    MakeTable(dir, SolucLayout(),
              {
                  SolucRow("GAR", "2", "5", "0", "MAT", "1A", "", "A1"),
                  SolucRow("VAC", "0", "3", "0", "MAT", "1A", "", ""),
                  SolucRow("GAR", "0", "1", "0", "MAT", "1A", "", "A1"),
                  SolucRow("GAR", "1", "10", "0X", "MAT", "1B", "", "   "),
                  SolucRow("gar", "1", "1", "0", "MAT", "1A", "", ""),
                  SolucRow("GAR", "1", "1", "1", "GUARD", "", "", "A 2"),
                  SolucRow("GAR", "3", "1", "", "LEN", "2C", "T5X", ""),
                  SolucRow("GAR", "1", "1", "", "MAT", "9Z", "", ""),
                  SolucRow("O'NEIL", "2", "5", "0", "LEN", "1B", "  ", ""),
                  SolucRow("O", "2", "5", "0", "MAT", "1A", "", ""),
              });
}

}  // namespace velmaro::testing

#pragma once
// The reference table of levels, NIVELLARI.DBF, written with chosen rows for a test.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "worktables/DbfTable.h"
#include "worktables/TableLayout.h"

namespace velmaro::testing {

// One row of the reference table NIVELLARI.DBF.
struct LevelRow {
    int key;
    std::string level;
    std::string study;
};

// Writes NIVELLARI.DBF (dBase 7, as shipped) with `rows` into `programDir`.
inline void WriteReferenceTable(const std::filesystem::path& programDir,
                                const std::vector<LevelRow>& rows) {
    const TableLayout layout{"NIVELLARI.DBF",
                             {{"X_OFERTAMATRIG", FieldKind::Integer, 0},
                              {"NIVEL_ABREV", FieldKind::Character, 10},
                              {"ESTUDIO", FieldKind::Character, 80}},
                             std::nullopt};
    DbfTable table = DbfTable::Create(programDir / "NIVELLARI.DBF", layout, DbfLevel::DBase7);
    for (const LevelRow& level : rows) {
        const std::size_t row = table.Append();
        table.SetInteger(row, "X_OFERTAMATRIG", level.key);
        table.SetText(row, "NIVEL_ABREV", level.level);
        table.SetText(row, "ESTUDIO", level.study);
    }
    table.Close();
}

}  // namespace velmaro::testing

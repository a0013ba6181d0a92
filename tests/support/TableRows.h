#pragma once
// Work tables read back through the table engine, and written with chosen rows, for comparing
// with expected rows.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "worktables/DbfTable.h"
#include "worktables/TableLayout.h"

namespace velmaro::testing {

using TableRow = std::vector<std::string>;            // field texts in a chosen order
using NamedRow = std::map<std::string, std::string>;  // field name -> text
using Rows = std::vector<NamedRow>;

// Every row of the table at `path`, in stored order, with the text of each of its fields.
inline Rows ReadRows(const std::filesystem::path& path) {
    const DbfTable table = DbfTable::Open(path, TableAccess::Shared);
    Rows rows;
    for (std::size_t row = 0; row < table.RecordCount(); ++row) {
        NamedRow values;
        for (const std::string& field : table.FieldNames()) values[field] = table.Text(row, field);
        rows.push_back(std::move(values));
    }
    return rows;
}

// The text of `fields` in every row of the table at `path`, in stored order.
inline std::vector<TableRow> TableRows(const std::filesystem::path& path,
                                       const std::vector<std::string>& fields) {
    std::vector<TableRow> rows;
    for (const NamedRow& row : ReadRows(path)) {
        TableRow values;
        for (const std::string& field : fields) values.push_back(row.at(field));
        rows.push_back(std::move(values));
    }
    return rows;
}

// Creates the table at `path` with `layout` and `level`, one row per map of field -> text.
inline void WriteRows(const std::filesystem::path& path, const TableLayout& layout,
                      const Rows& rows, DbfLevel level = DbfLevel::DBase3) {
    DbfTable table = DbfTable::Create(path, layout, level);
    for (const NamedRow& values : rows) {
        const std::size_t row = table.Append();
        for (const auto& [field, text] : values) table.SetText(row, field, text);
    }
    table.Close();
}

}  // namespace velmaro::testing

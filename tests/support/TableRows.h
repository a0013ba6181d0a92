#pragma once
// Reading a work table back through the table engine, for comparing with expected rows.

#include <filesystem>
#include <string>
#include <vector>

#include "worktables/DbfTable.h"

namespace velmaro::testing {

using TableRow = std::vector<std::string>;

// The text of `fields` in every row of the table at `path`, in stored order.
inline std::vector<TableRow> TableRows(const std::filesystem::path& path,
                                       const std::vector<std::string>& fields) {
    const DbfTable table = DbfTable::Open(path, TableAccess::Shared);
    std::vector<TableRow> rows;
    for (std::size_t row = 0; row < table.RecordCount(); ++row) {
        TableRow values;
        for (const std::string& field : fields) values.push_back(table.Text(row, field));
        rows.push_back(std::move(values));
    }
    return rows;
}

}  // namespace velmaro::testing

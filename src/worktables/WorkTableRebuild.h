#pragma once
// The rebuild of a work table: remove its .DBF and .MDX, create it empty with its layout.

#include <filesystem>

#include "worktables/DbfTable.h"
#include "worktables/TableLayout.h"

namespace velmaro {

// Deletes `layout.fileName` and its .MDX from `workDir` when present (a failed delete is
// ignored), creates the table empty (with its production index file when the layout has an
// index tag) and returns it open for shared use. Throws Error naming the file when the folder
// is missing or the table cannot be created.
DbfTable RebuildWorkTable(const std::filesystem::path& workDir, const TableLayout& layout);

// Removes `fileName` from `workDir` when present; a failure is ignored.
void RemoveWorkFile(const std::filesystem::path& workDir, const std::string& fileName);

}  // namespace velmaro

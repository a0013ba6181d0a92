#pragma once
// The dBase IV production index (.MDX) of a work table with an index tag, written empty.

#include <filesystem>
#include <string>
#include <string_view>

#include "worktables/TableLayout.h"

namespace velmaro::dbf {

// The file name of the production index of the table `tableFileName`, in the same folder:
// "DIASHORAST2.DBF" -> "DIASHORAST2.MDX".
std::string IndexFileName(std::string_view tableFileName);

// The bytes of an empty dBase IV production index for `layout`: one tag named after
// `layout.indexTag` on the field of the same name, ascending, duplicates allowed.
std::string EmptyProductionIndex(const TableLayout& layout);

// Writes EmptyProductionIndex(layout) to `path`, replacing it. Throws Error naming the file.
void WriteEmptyProductionIndex(const std::filesystem::path& path, const TableLayout& layout);

}  // namespace velmaro::dbf

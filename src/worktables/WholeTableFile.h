#pragma once
// Whether the bytes of a dBase table file hold the whole table: a readable header whose record
// count and lengths agree with the file's size. Used to refuse a copy of a table that was cut
// short, padded or replaced before it is put back into the work-table folder.

#include <filesystem>
#include <string_view>

namespace velmaro::dbf {

// Throws Error naming `path` when `file` (the whole content of the table file at `path`) is not
// a readable dBase table, or when its size is not the header's length plus the declared records
// (optionally followed by the end-of-file byte).
void CheckWholeTableFile(std::string_view file, const std::filesystem::path& path);

}  // namespace velmaro::dbf

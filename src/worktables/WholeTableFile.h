#pragma once
// Whether the bytes of a dBase table file hold the whole table: a readable header whose record
// count and lengths agree with the file's size. The jobs read tables only when they do, and a
// backup's copy of a table is put back only when it does.

#include <filesystem>
#include <string_view>

namespace velmaro::dbf {

// Throws Error naming `path` when `file` (the whole content of the table file at `path`) is not
// a readable dBase table, or does not hold exactly the records its header declares (followed
// at most by the end-of-file mark or a short padding, as dbf::SizeMismatch allows).
void CheckWholeTableFile(std::string_view file, const std::filesystem::path& path);

}  // namespace velmaro::dbf

#pragma once
// How a message names a file or folder: its path between single quotes.

#include <filesystem>
#include <string>

#include "base/Utf8Path.h"

namespace velmaro {

// `path` between single quotes, as the messages name files and folders: 'C:\TTEMP\PROFT.DBF'.
// Built by appending: GCC 12 sees a false overlap (-Wrestrict) in "'" + std::string&&.
inline std::string Quoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    quoted += Utf8FromPath(path);
    quoted += '\'';
    return quoted;
}

}  // namespace velmaro

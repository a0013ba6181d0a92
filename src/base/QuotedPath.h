#pragma once
// How a message names a file or folder: its path between single quotes.

#include <filesystem>
#include <string>

namespace velmaro {

// `path` between single quotes, as the messages name files and folders: 'C:\TTEMP\PROFT.DBF'.
// Built by appending: GCC 12 sees a false overlap (-Wrestrict) in "'" + std::string&&.
inline std::string Quoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

}  // namespace velmaro

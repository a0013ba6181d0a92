#pragma once
// How a message names a file or folder: its path between single quotes.

#include <filesystem>
#include <string>

namespace velmaro {

// `path` between single quotes, as the messages name files and folders: 'C:\TTEMP\PROFT.DBF'.
inline std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace velmaro

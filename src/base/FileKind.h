#pragma once
// What stands at a path that a job means to read as a file, in the words of its messages: a
// folder, a device or a FIFO given in place of a file is named as such, and is never opened
// (reading a FIFO waits for a writer, reading a device may never end).

#include <filesystem>
#include <optional>
#include <string>

namespace velmaro::files {

// "es una carpeta", "es un dispositivo", "es una tubería (FIFO)", "es un socket" or "es de un
// tipo desconocido" for an entry at `path` (links followed) that is not a regular file; nothing
// for a regular file, for no entry at all and for an entry that cannot be examined.
std::optional<std::string> NotAFileReason(const std::filesystem::path& path);

}  // namespace velmaro::files

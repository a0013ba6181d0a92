#pragma once
// The temporary files beside a file being replaced: their fresh names, shared by the platforms,
// and their creation, which each platform implements in its file layer.

#include <filesystem>

#include "base/FileSystem.h"

namespace velmaro::files {

// Creations tried under fresh names before a folder is taken as one where no file can be made:
// with 62^8 names, a clash is a file planted there, and the next name is tried.
inline constexpr int kFreshNameAttempts = 100;

// ".NAME.XXXXXXXX.velmaro-nuevo" beside `target`, with a new random part at each call.
std::filesystem::path FreshTemporaryPath(const std::filesystem::path& target);

// Creates a new file beside `target` under a fresh name, never taking an entry that is already
// there (a link included), open for reading and writing and holding its exclusive lock, with
// the permissions of an existing `target`. Sets `path` to its name; a creation that fails gives
// the error number.
OpenedFile CreateTemporaryFile(const std::filesystem::path& target, std::filesystem::path& path);

}  // namespace velmaro::files

#pragma once
// The temporary files beside a file being replaced: their fresh names, shared by the platforms,
// and their creation, which each platform implements in its file layer.

#include <cstddef>
#include <filesystem>

#include "base/FileSystem.h"

namespace velmaro::files {

// Creations tried under fresh names before a folder is taken as one where no file can be made:
// with 62^8 names, a clash is a file planted there, and the next name is tried.
inline constexpr int kFreshNameAttempts = 100;

// The length of the random part of a temporary file's name (letters and digits).
inline constexpr std::size_t kFreshNamePartLength = 8;

// ".NAME.XXXXXXXX.velmaro-nuevo" beside `target`, with a new random part at each call. NAME is
// the target's name, cut at the end, never inside a character, when the whole name would not
// leave room for the rest within the 255 bytes (UTF-16 units on Windows) that a folder entry
// may have: every target that can be named has temporary files that can be created.
std::filesystem::path FreshTemporaryPath(const std::filesystem::path& target);

// Creates a new file beside `target` under a fresh name, never taking an entry that is already
// there (a link included), open for reading and writing and holding its exclusive lock, with
// the permissions of an existing `target`. Sets `path` to its name; a creation that fails gives
// the error number.
OpenedFile CreateTemporaryFile(const std::filesystem::path& target, std::filesystem::path& path);

}  // namespace velmaro::files

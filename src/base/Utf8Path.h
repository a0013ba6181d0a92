#pragma once
// Paths as UTF-8 text and back. All text inside the program is UTF-8, while a path holds the
// system's own form: bytes on POSIX systems, UTF-16 on Windows, where a path made from a
// std::string reads it in the ANSI code page and loses every character outside it. Every path
// made from text, and every path shown as text, goes through here.

#include <filesystem>
#include <string>
#include <string_view>

namespace velmaro {

// The path that the UTF-8 text `text` names, every character kept.
std::filesystem::path PathFromUtf8(std::string_view text);

// `path` as UTF-8 text, every character kept: for messages, output and files that name it.
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace velmaro

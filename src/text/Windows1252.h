#pragma once
// The Windows-1252 code page in which the work tables store their text.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmaro {

// `utf8` in Windows-1252; each character that the code page cannot hold becomes '?'.
std::string EncodeWindows1252(std::string_view utf8);
// Appends `utf8` in Windows-1252 to `bytes`, as EncodeWindows1252 gives it.
void AppendWindows1252(std::string_view utf8, std::string& bytes);
// Writes the Windows-1252 bytes of the first characters of `utf8` that fit into `out` (one byte
// a character, as EncodeWindows1252 gives them); returns how many bytes were written.
std::size_t WriteWindows1252(std::string_view utf8, std::span<char> out);

// What WriteWindows1252Counted did with a text.
struct Windows1252Writing {
    std::size_t written = 0;   // bytes written
    std::size_t consumed = 0;  // bytes of the UTF-8 text they stand for
    std::size_t replaced = 0;  // characters the code page cannot hold, written as '?'
};
// WriteWindows1252, telling also how much of `utf8` went in and how many characters became '?'.
Windows1252Writing WriteWindows1252Counted(std::string_view utf8, std::span<char> out);
// The Windows-1252 byte of `codePoint`, or nothing when the code page assigns it none: the five
// unassigned bytes hold no character here, as in the code page's published table.
std::optional<char> Windows1252Byte(char32_t codePoint);
// The UTF-8 text of `bytes` read as Windows-1252 (the five unassigned bytes map to U+0081 etc.).
std::string DecodeWindows1252(std::string_view bytes);

}  // namespace velmaro

#pragma once
// Stepping through UTF-8 text one Unicode code point at a time.

#include <cstddef>
#include <string_view>

namespace velmaro {

// Byte length of the code point that starts at `s[pos]` (1 for an invalid or truncated byte,
// so that every byte belongs to exactly one character).
std::size_t Utf8CharLength(std::string_view s, std::size_t pos);

// Byte offset of character number `index` (0-based) in `s`; s.size() when `s` is shorter.
std::size_t Utf8Offset(std::string_view s, std::size_t index);

// The code point that starts at `s[pos]`; an invalid byte gives its own value.
char32_t Utf8Decode(std::string_view s, std::size_t pos);

}  // namespace velmaro

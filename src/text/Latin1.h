#pragma once
// ISO-8859-1 (Latin-1): one byte a character, the first 256 code points of Unicode.

#include <optional>

namespace velmaro {

// The ISO-8859-1 byte of `codePoint`, or nothing when Latin-1 cannot hold it.
std::optional<char> Latin1Byte(char32_t codePoint);

}  // namespace velmaro

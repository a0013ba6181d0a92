#pragma once
// ISO-8859-15 (Latin-9): Latin-1 with eight of its signs replaced, among them the euro sign.

#include <optional>

namespace velmaro {

// The ISO-8859-15 byte of `codePoint`, or nothing when Latin-9 cannot hold it.
std::optional<char> Latin9Byte(char32_t codePoint);

}  // namespace velmaro

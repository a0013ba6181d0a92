#pragma once
// UTF-16 in little-endian byte order, the order of the byte-order mark FF FE.

#include <string>
#include <string_view>

namespace velmaro {

// The byte-order mark that opens a UTF-16 little-endian text.
inline constexpr std::string_view kUtf16LeByteOrderMark = "\xFF\xFE";

// Appends `codePoint` in UTF-16 little-endian to `bytes`: one unit below U+10000, else a
// surrogate pair.
void AppendUtf16Le(char32_t codePoint, std::string& bytes);

}  // namespace velmaro

#pragma once
// Writing Unicode code points as UTF-8, the encoding of all text inside the program.

#include <string>

namespace velmaro {

// Appends the UTF-8 bytes of `codePoint` (one to four bytes) to `out`.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace velmaro

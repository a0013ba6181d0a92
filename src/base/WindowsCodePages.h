#pragma once
// The Windows code page of a character encoding named as XML documents name them, for the
// platform's conversions (MultiByteToWideChar, WideCharToMultiByte). Windows builds only.

#include <string_view>

namespace velmaro {

// The code page of `encoding` (any letter case: "UTF-8", "ISO-8859-1", "windows-1252",
// "ISO-8859-15", "US-ASCII", ...), or 0 when Windows has none for it.
unsigned WindowsCodePage(std::string_view encoding);

}  // namespace velmaro

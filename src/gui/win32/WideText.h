#pragma once
// Text at the edge of the Win32 API: UTF-8 inside the program, UTF-16 for the wide-char calls.

#include <string>
#include <string_view>

namespace velmaro {

// `text` (UTF-8) as UTF-16 for a wide-char Win32 call.
std::wstring Widen(std::string_view text);
// `text` (UTF-16 from a Win32 call) as UTF-8.
std::string Narrow(std::wstring_view text);

}  // namespace velmaro

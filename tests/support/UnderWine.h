#pragma once
// Whether a Windows test program runs under Wine rather than Windows: for the few cases where
// Wine's own components (its XmlLite) fall short of what Windows does.

#ifdef _WIN32
#include <windows.h>
#endif

namespace velmaro::testing {

// True under Wine, whose ntdll tells its version; false on Windows and on every other system.
inline bool UnderWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

}  // namespace velmaro::testing

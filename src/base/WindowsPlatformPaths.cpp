#include "base/PlatformPaths.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace velmaro {

namespace {

namespace fs = std::filesystem;

// The value of environment variable `name`, or nothing when it is unset or empty. Read wide,
// so that a folder named in any script reaches the program whole.
const wchar_t* Environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value != nullptr && *value != L'\0' ? value : nullptr;
}

// The full path of the running executable; grows its buffer for paths longer than MAX_PATH.
fs::path ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return fs::path();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

fs::path DefaultWorkDir() {
    if (const wchar_t* workDir = Environment(L"VELMARO_TTEMP")) return workDir;
    return L"C:\\TTEMP";
}

fs::path DefaultProgramDir() {
    if (const wchar_t* home = Environment(L"VELMARO_HOME")) return home;
    const fs::path executable = ExecutablePath();
    // A program that cannot name itself (never seen) takes its working folder instead.
    if (executable.empty()) return fs::current_path();
    return executable.parent_path();
}

}  // namespace velmaro

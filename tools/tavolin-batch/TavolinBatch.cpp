// tavolin-batch.exe: Tavolin's side of the batch protocol, for tests under Wine and for trying
// an installation by hand. Starts "<folder>\velmaro.exe <orden> x" as Tavolin does, waits for
// it to end, then reads [Transformadores] Transformado from the Tavolin.ini that velmaro.exe
// writes (in its own folder, or in %VELMARO_HOME% when that is set) and prints it.
//
// Usage: tavolin-batch CARPETA exportar|importar
// Exit status: 0 with the result code printed; 1 when velmaro.exe could not be started or left
// no result code; 2 for wrong usage.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const wchar_t* const kSection = L"Transformadores";
const wchar_t* const kKey = L"Transformado";

std::wstring JoinPath(std::wstring folder, const wchar_t* name) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder + name;
}

// The folder whose Tavolin.ini velmaro.exe writes: %VELMARO_HOME% overrides its own folder.
std::wstring ResultFolder(const std::wstring& programFolder) {
    const wchar_t* home = _wgetenv(L"VELMARO_HOME");
    return home != nullptr && *home != L'\0' ? std::wstring(home) : programFolder;
}

// Starts velmaro.exe with the two arguments of a batch run and waits for it; false when it
// could not be started.
bool RunVelmaro(const std::wstring& program, const std::wstring& command) {
    std::wstring commandLine = L"\"" + program + L"\" " + command + L" x";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool HasResultCode(const std::wstring& ini) {
    wchar_t value[32] = L"";
    GetPrivateProfileStringW(kSection, kKey, L"", value, 32, ini.c_str());
    return value[0] != L'\0';
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || (std::wcscmp(argv[2], L"exportar") != 0 &&
                      std::wcscmp(argv[2], L"importar") != 0)) {
        std::fputs("Uso: tavolin-batch CARPETA exportar|importar\n", stderr);
        return 2;
    }
    const std::wstring program = JoinPath(argv[1], L"velmaro.exe");
    const std::wstring ini = JoinPath(ResultFolder(argv[1]), L"Tavolin.ini");
    // A result code left by an earlier run must not pass for this run's.
    WritePrivateProfileStringW(kSection, kKey, nullptr, ini.c_str());
    if (!RunVelmaro(program, argv[2])) {
        std::fprintf(stderr, "No se puede ejecutar '%ls' (error %lu).\n", program.c_str(),
                     GetLastError());
        return 1;
    }
    if (!HasResultCode(ini)) {
        std::fprintf(stderr, "'%ls' no tiene [%ls] %ls.\n", ini.c_str(), kSection, kKey);
        return 1;
    }
    std::printf("%d\n", static_cast<int>(GetPrivateProfileIntW(kSection, kKey, 0, ini.c_str())));
    return 0;
}

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

// `text` (UTF-16) as UTF-8, the bytes the messages are written in.
std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

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
    SetConsoleOutputCP(CP_UTF8);  // a console shows the UTF-8 messages as their characters
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
        const DWORD error = GetLastError();
        std::fprintf(stderr, "No se puede ejecutar '%s' (error %lu).\n", Utf8(program).c_str(),
                     error);
        return 1;
    }
    if (!HasResultCode(ini)) {
        std::fprintf(stderr, "'%s' no tiene [%ls] %ls.\n", Utf8(ini).c_str(), kSection, kKey);
        return 1;
    }
    std::printf("%d\n", static_cast<int>(GetPrivateProfileIntW(kSection, kKey, 0, ini.c_str())));
    return 0;
}

#pragma once
// Runs a program of the build on Windows through CreateProcessW and captures its exit status and
// output (included through RunProgram.h).

#include <windows.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "support/WindowsCommandLine.h"

namespace velmaro::testing {

struct ProgramRun {
    int status = -1;  // the exit status, or -1 when the program could not be started
    std::string out;
    std::string err;
};

// A file of `path` that a started program inherits as a standard handle; `write` for its output.
inline HANDLE InheritableFile(const std::filesystem::path& path, bool write) {
    SECURITY_ATTRIBUTES inherit = InheritableHandles();
    return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Runs `program` (".exe" may be left out) with `arguments` (UTF-8) and nothing on standard
// input, and waits for it; its output goes through files in `scratch`.
inline ProgramRun RunProgram(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments,
                             const ScratchFolder& scratch) {
    const std::filesystem::path outPath = scratch / "salida.txt";
    const std::filesystem::path errPath = scratch / "errores.txt";
    std::vector<std::wstring> wide;
    for (const std::string& argument : arguments) {
        wide.push_back(Wide(argument));
    }
    std::wstring line = CommandLine(program.wstring(), wide);
    const HANDLE input = InheritableFile(L"NUL", false);
    const HANDLE out = InheritableFile(outPath, true);
    const HANDLE err = InheritableFile(errPath, true);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ProgramRun run;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        run.status = static_cast<int>(status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (const HANDLE handle : {input, out, err}) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    run.out = ReadBytes(outPath);
    run.err = ReadBytes(errPath);
    return run;
}

}  // namespace velmaro::testing

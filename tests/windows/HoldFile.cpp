// velmaro-hold-file: holds a file the way another Windows program does, for the tests of the
// Windows build and for those that show what the Linux build sees of it under Wine.
// `velmaro-hold-file share FILE` opens FILE for itself alone (share mode 0);
// `velmaro-hold-file lock FILE` opens it shared and locks its whole range with LockFileEx, and
// `velmaro-hold-file shared-lock FILE` does the same with a shared lock, which other readers
// share; `velmaro-hold-file run FOLDER` holds the run lock of the work-table folder FOLDER as a
// job of the Windows build holds it.
// It writes "retenido" on standard output once it holds the file, and lets it go when its
// standard input ends.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "base/Error.h"
#include "jobs/WorkFolderRun.h"

namespace {

// Opens (and, for "lock" and "shared-lock", locks) `path`; INVALID_HANDLE_VALUE when that
// fails.
HANDLE Hold(const wchar_t* mode, const wchar_t* path) {
    const bool shareNothing = std::wcscmp(mode, L"share") == 0;
    const DWORD exclusive = std::wcscmp(mode, L"shared-lock") == 0 ? 0 : LOCKFILE_EXCLUSIVE_LOCK;
    const DWORD share = shareNothing ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE || shareNothing) return file;
    OVERLAPPED whole{};
    if (!LockFileEx(file, exclusive | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                    MAXDWORD, &whole)) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// The run lock of `folder`, taken as a job takes it; nothing when another holds it.
std::optional<velmaro::WorkFolderRun> HoldRun(const wchar_t* folder) {
    try {
        return velmaro::WorkFolderRun::Begin(std::filesystem::path(folder));
    } catch (const velmaro::Error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return std::nullopt;
    }
}

void WaitForEndOfInput() {
    char byte;
    DWORD got = 0;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(input, &byte, 1, &got, nullptr) && got > 0) {
    }
}

void SayHeld() {
    std::fputs("retenido\n", stdout);
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("Uso: velmaro-hold-file share|lock|shared-lock ARCHIVO | run CARPETA\n", stderr);
        return 2;
    }
    if (std::wcscmp(argv[1], L"run") == 0) {
        const std::optional<velmaro::WorkFolderRun> run = HoldRun(argv[2]);
        if (!run) return 1;
        SayHeld();
        WaitForEndOfInput();
        return 0;
    }
    const HANDLE file = Hold(argv[1], argv[2]);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "no se puede retener el archivo (error %lu)\n", GetLastError());
        return 1;
    }
    SayHeld();
    WaitForEndOfInput();
    CloseHandle(file);
    return 0;
}

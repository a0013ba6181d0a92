// velmaro-hold-file: holds a file the way another Windows program does, for the tests of the
// Windows build. `velmaro-hold-file share FILE` opens FILE for itself alone (share mode 0);
// `velmaro-hold-file lock FILE` opens it shared and locks its whole range with LockFileEx, and
// `velmaro-hold-file shared-lock FILE` does the same with a shared lock, which other readers
// share.
// It writes "retenido" on standard output once it holds the file, and lets it go when its
// standard input ends.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

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

void WaitForEndOfInput() {
    char byte;
    DWORD got = 0;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(input, &byte, 1, &got, nullptr) && got > 0) {
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("Uso: velmaro-hold-file share|lock|shared-lock ARCHIVO\n", stderr);
        return 2;
    }
    const HANDLE file = Hold(argv[1], argv[2]);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "no se puede retener el archivo (error %lu)\n", GetLastError());
        return 1;
    }
    std::fputs("retenido\n", stdout);
    std::fflush(stdout);
    WaitForEndOfInput();
    CloseHandle(file);
    return 0;
}

// velmaro-hold-file of the Linux build: holds a file as a Linux job of Velmaro holds it, for the
// test that shows what the Windows build under Wine sees of it (locks_between_builds.sh).
// `velmaro-hold-file lock FILE` opens FILE and takes its exclusive lock, as a job that changes
// the table in place does; `velmaro-hold-file shared-lock FILE` takes its shared lock, as a job
// that reads it does; `velmaro-hold-file run FOLDER` holds the run lock of the work-table folder
// FOLDER as a job holds it.
// It writes "retenido" on standard output once it holds the file, and lets it go when its
// standard input ends.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "base/Error.h"
#include "base/FileSystem.h"
#include "jobs/WorkFolderRun.h"

namespace {

// Opens `path` and takes its lock as `lock`; a closed file when either fails.
velmaro::files::OpenFile HoldTable(const char* path, velmaro::files::FileLock lock) {
    velmaro::files::OpenedFile opened = velmaro::files::OpenExistingFile(path);
    if (opened.error != 0 || !opened.file.TryLock(lock)) return {};
    return std::move(opened.file);
}

// The run lock of `folder`, taken as a job takes it; nothing when another holds it.
std::optional<velmaro::WorkFolderRun> HoldRun(const char* folder) {
    try {
        return velmaro::WorkFolderRun::Begin(folder);
    } catch (const velmaro::Error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return std::nullopt;
    }
}

void WaitForEndOfInput() {
    char byte;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
}

void SayHeld() {
    std::fputs("retenido\n", stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("Uso: velmaro-hold-file lock|shared-lock ARCHIVO | run CARPETA\n", stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "run") == 0) {
        const std::optional<velmaro::WorkFolderRun> run = HoldRun(argv[2]);
        if (!run) return 1;
        SayHeld();
        WaitForEndOfInput();
        return 0;
    }
    const velmaro::files::FileLock lock = std::strcmp(argv[1], "shared-lock") == 0
                                              ? velmaro::files::FileLock::Shared
                                              : velmaro::files::FileLock::Exclusive;
    const velmaro::files::OpenFile file = HoldTable(argv[2], lock);
    if (!file.IsOpen()) {
        std::fprintf(stderr, "no se puede retener el archivo %s\n", argv[2]);
        return 1;
    }
    SayHeld();
    WaitForEndOfInput();
    return 0;
}

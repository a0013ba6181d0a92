#pragma once
// One job at a time in a work-table folder: exportar, importar and restore each hold the
// folder's run lock for their whole run, so that no other job replaces a table between their
// steps. The lock is an OS lock on a lock file in the folder (FileSystem.h: both builds lock
// the same range, so a Linux job and a Windows job under Wine on one folder see each other):
// it goes with the process that holds it, however that process ends (the file itself stays).

#include <filesystem>
#include <utility>

#include "base/FileSystem.h"

namespace velmaro {

// The lock file inside the work-table folder.
inline constexpr const char* kRunLockFileName = "velmaro-bloqueo";

// A job's hold on its work-table folder, released when it is destroyed.
class WorkFolderRun {
public:
    // Takes the run lock of `workDir` without waiting, then settles what a stopped exportar or
    // restore left there: its commit (StagedTables.h) and a backup it cut short. Throws Error
    // naming the folder when it does not exist or another job holds it, and naming the lock file
    // when it cannot be opened.
    static WorkFolderRun Begin(const std::filesystem::path& workDir);

private:
    explicit WorkFolderRun(files::OpenFile lock) : lock_(std::move(lock)) {}
    files::OpenFile lock_;
};

}  // namespace velmaro

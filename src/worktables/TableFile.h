#pragma once
// The operating-system side of a table file: opening, the advisory lock, whole-file reads and
// whole-file replacement (through the file layer, FileSystem.h). Internal to the engine.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"
#include "worktables/DbfTable.h"

namespace velmaro::dbf {

class TableFile {
public:
    // Prepares `path` to be created (or replaced) by the first WriteAll, which then holds a
    // shared lock on it. Throws Error naming the table and the folder when the folder is
    // missing, and the lock error when another program holds an existing file.
    static TableFile Create(const std::filesystem::path& path);
    // Opens the existing `path` with a shared or exclusive lock (read-write when allowed,
    // read-only otherwise). Throws Error naming the file when it is missing or held: for
    // shared access when another open file holds a conflicting lock, for exclusive access also
    // when another process has it open at all (OpenElsewhere.h).
    static TableFile Open(const std::filesystem::path& path, TableAccess access);
    // Throws the "held by another program" Error when `path` is held (IsHeld); does nothing
    // when the file is missing or free.
    static void CheckNotHeld(const std::filesystem::path& path);
    // Whether `path` is held: some other open file holds a lock on it, another program keeps
    // others out of it (a Windows share mode), or another process has it open; false when it
    // is missing or free.
    static bool IsHeld(const std::filesystem::path& path);
    // IsHeld for each of `paths`, asking the system once for the processes' open files.
    static std::vector<bool> WhichHeld(const std::vector<std::filesystem::path>& paths);

    TableFile(TableFile&& other) noexcept = default;
    TableFile& operator=(TableFile&& other) noexcept = default;

    // The whole file's bytes.
    std::string ReadAll() const;
    // Replaces the file with the concatenation of `parts`: written beside it, flushed and
    // renamed over it, so the file on disk is always whole; the lock moves to the new file.
    // Throws Error naming the table (and its folder when it is being created).
    void WriteAll(const std::vector<std::string_view>& parts);
    // Releases the lock and closes the file; safe to call twice.
    void Close();

private:
    enum class State {
        New,       // not on disk yet: the first write creates it
        Writable,  // open read-write
        ReadOnly,  // open read-only (the file or the disk does not allow writing)
    };
    TableFile(std::filesystem::path path, files::OpenFile file, files::FileLock lock,
              State state);
    std::filesystem::path path_;
    files::OpenFile file_;
    files::FileLock lock_;  // held on the file while it is open
    State state_;
};

// The message for a table that another program holds open.
std::string HeldByAnotherProgramMessage(const std::filesystem::path& path);

}  // namespace velmaro::dbf

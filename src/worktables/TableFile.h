#pragma once
// The operating-system side of a table file: opening, the advisory lock, whole-file reads and
// writes. Internal to the engine.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "worktables/DbfTable.h"

namespace velmaro::dbf {

class TableFile {
public:
    // Creates or empties `path` for writing, holding a shared lock. Throws Error naming the
    // table and the folder when the folder is missing or not writable, and the lock error when
    // another program holds the file.
    static TableFile Create(const std::filesystem::path& path);
    // Opens the existing `path` with a shared or exclusive lock (read-write when allowed,
    // read-only otherwise). Throws Error naming the file when it is missing or held.
    static TableFile Open(const std::filesystem::path& path, TableAccess access);
    // Throws the "held by another program" Error when some other open file holds a lock on
    // `path`; does nothing when the file is missing or free.
    static void CheckNotHeld(const std::filesystem::path& path);

    TableFile(TableFile&& other) noexcept;
    TableFile& operator=(TableFile&& other) noexcept;
    ~TableFile();

    // The whole file's bytes.
    std::string ReadAll() const;
    // Replaces the file's contents with the concatenation of `parts`, in one write.
    void WriteAll(const std::vector<std::string_view>& parts);
    // Releases the lock and closes the file; safe to call twice.
    void Close();

private:
    TableFile(std::filesystem::path path, int descriptor);
    std::filesystem::path path_;
    int descriptor_ = -1;
};

// The message for a table that another program holds open.
std::string HeldByAnotherProgramMessage(const std::filesystem::path& path);

}  // namespace velmaro::dbf

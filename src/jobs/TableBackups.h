#pragma once
// Copies of the work tables that an inbound conversion is about to replace, kept in dated
// folders inside the work-table folder (velmaro-copias/AAAAMMDD-HHMMSS), and putting one back.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmaro {

// The folder inside the work-table folder that holds the backups.
inline constexpr const char* kBackupFolderName = "velmaro-copias";
// How many backups are kept; making one more removes the oldest.
inline constexpr std::size_t kKeptBackups = 10;

struct TableBackup {
    std::string id;                  // the folder name: AAAAMMDD-HHMMSS, -2, -3... within a second
    std::string date;                // when it was made, "DD/MM/AAAA HH:MM:SS" (local time)
    std::vector<std::string> files;  // the files it holds, sorted by name
};

// Copies those of `fileNames` that exist in `workDir` (regular files only) into a new backup
// folder, then removes the oldest backups beyond kKeptBackups. Returns the new backup's id, or
// nothing when none of the files exists. Throws Error naming the folder and the reason when the
// copy cannot be made; no part of it is left then and no older backup is removed.
std::optional<std::string> BackUpWorkFiles(const std::filesystem::path& workDir,
                                           const std::vector<std::string>& fileNames);

// The backups of `workDir`, newest first; empty when there are none.
std::vector<TableBackup> ListBackups(const std::filesystem::path& workDir);

// Copies every file of backup `id` back into `workDir`, each replaced whole, and returns their
// names. Throws Error when there is no such backup, when another program holds any of the
// tables it would replace (naming all of them; nothing is restored then), or when a copy fails
// (naming the table; the tables restored before it stay restored).
std::vector<std::string> RestoreBackup(const std::filesystem::path& workDir, const std::string& id);

}  // namespace velmaro

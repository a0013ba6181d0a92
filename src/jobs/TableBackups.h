#pragma once
// Copies of the work tables that an inbound conversion (or a restore) is about to replace, kept
// in dated folders inside the work-table folder (velmaro-copias/AAAAMMDD-HHMMSS), and putting
// one back.
//
// A backup is a real folder (never a symbolic link) named by its id, holding only regular files:
// either a manifest (BackupManifest.h), written last, and the files it names; or, for backups
// made before manifests were written, no manifest and only files named as work files. Anything
// else in velmaro-copias (a stray file, a link, a folder with another name or other contents) is
// not a backup: it is neither listed nor removed, and no link is ever followed.

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

// Copies those of `fileNames` that exist in `workDir` (found in any letter case; regular files
// only) into a new backup folder under those names, with its manifest written last, then removes
// the oldest backups beyond kKeptBackups, never the new one nor those in `keep`. Returns the new
// backup's id, or nothing when none of the files exists. Throws Error naming the folder and the
// reason when the copy cannot be made (also when velmaro-copias is not a real folder); no part of
// it is left then and no older backup is removed.
std::optional<std::string> BackUpWorkFiles(const std::filesystem::path& workDir,
                                           const std::vector<std::string>& fileNames,
                                           const std::vector<std::string>& keep = {});

// The backups of `workDir`, newest first (in the order they were made; those without a manifest
// were made before any with one); empty when there are none.
std::vector<TableBackup> ListBackups(const std::filesystem::path& workDir);

// What RestoreBackup did.
struct Restoration {
    std::vector<std::string> files;             // the files put back
    std::optional<std::string> previousTables;  // the backup of the tables they replaced
};

// Puts backup `id` back into `workDir`, all its files or none. First reads every file of it
// whole and checks it against the manifest (size and checksum), refuses an empty file and, for a
// .DBF, a header that disagrees with the file's size; writes them into a fresh staging folder
// (StagedTables.h); refuses while another program holds any of the files it would replace,
// found in any letter case; backs up the current work files (a new backup, so that the restore
// can be undone); only then moves them in under a commit journal (a file found in another letter
// case is replaced under its own name). Throws Error naming the file in each case, with every
// file as it was; a failing commit names the backup that holds the tables as they were, and
// throws UnfinishedCommit when it can be neither finished nor undone (the next job settles it).
Restoration RestoreBackup(const std::filesystem::path& workDir, const std::string& id);

// Removes what a backup cut short (or the removal of one) left in `workDir`'s velmaro-copias.
// Call it under the run lock.
void RemoveUnfinishedBackups(const std::filesystem::path& workDir);

}  // namespace velmaro

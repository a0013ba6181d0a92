#include "jobs/TableBackups.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <system_error>
#include <tuple>
#include <utility>

#include "base/Error.h"
#include "base/FileNameCase.h"
#include "base/FileSystem.h"
#include "base/QuotedPath.h"
#include "base/RegionalTimestamp.h"
#include "base/Utf8Path.h"
#include "jobs/BackupManifest.h"
#include "jobs/ReplacedWorkFiles.h"
#include "jobs/StagedTables.h"
#include "worktables/HeldFiles.h"
#include "worktables/WholeTableFile.h"

namespace velmaro {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kStampLength = 15;            // AAAAMMDD-HHMMSS
constexpr const char* kPartialSuffix = ".parcial";  // a backup being copied or removed

// --- Ids and dates ----------------------------------------------------------------------------

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The order of a backup id: its time stamp, then its number within the second (1 for none).
std::optional<std::pair<std::string, unsigned long>> IdOrder(std::string_view id) {
    if (id.size() < kStampLength || !IsDigits(id.substr(0, 8)) || id[8] != '-' ||
        !IsDigits(id.substr(9, 6))) {
        return std::nullopt;
    }
    if (id.size() == kStampLength) return std::pair(std::string(id), 1UL);
    const std::string_view number = id.substr(kStampLength + 1);
    if (id[kStampLength] != '-' || !IsDigits(number) || number.size() > 6) return std::nullopt;
    return std::pair(std::string(id.substr(0, kStampLength)), std::stoul(std::string(number)));
}

// "20260501-120000" -> "01/05/2026 12:00:00".
std::string DateOfId(std::string_view id) {
    return std::string(id.substr(6, 2)) + "/" + std::string(id.substr(4, 2)) + "/" +
           std::string(id.substr(0, 4)) + " " + std::string(id.substr(9, 2)) + ":" +
           std::string(id.substr(11, 2)) + ":" + std::string(id.substr(13, 2));
}

// The present moment as a backup's time stamp (AAAAMMDD-HHMMSS) and as its date.
struct Now {
    std::string stamp;
    std::string date;
};

Now CurrentTime() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const std::tm local = LocalTime(now);
    char stamp[kStampLength + 1];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return {stamp, DateOfId(stamp)};
}

// --- Files, never through a link --------------------------------------------------------------

fs::file_type EntryType(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type();
}

bool IsRealFolder(const fs::path& path) { return EntryType(path) == fs::file_type::directory; }

// The whole content of `file`; nothing when it cannot be read.
std::optional<std::string> ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// Removes the real folder `folder` with the files and links in it (a link is removed, never what
// it points to); a folder inside it, and so `folder` itself, stays.
void RemoveFolderWithFiles(const fs::path& folder) {
    if (!IsRealFolder(folder)) return;
    for (const std::string& name : files::EntryNames(folder)) {
        if (EntryType(folder / PathFromUtf8(name)) != fs::file_type::directory)
            files::RemoveFile(folder / PathFromUtf8(name));
    }
    files::RemoveFolder(folder);
}

// --- Telling backups from anything else -------------------------------------------------------

struct FoundBackup {
    std::string id;
    std::optional<BackupManifest> manifest;  // nothing for a backup made before manifests
    std::vector<std::string> files;          // sorted
};

bool IsWorkFileName(const std::string& name) {
    const std::vector<std::string>& work = ReplacedWorkFiles();
    return std::find(work.begin(), work.end(), name) != work.end();
}

std::vector<std::string> SortedNames(const BackupManifest& manifest) {
    std::vector<std::string> names;
    for (const BackedUpFile& file : manifest.files) names.push_back(file.name);
    std::sort(names.begin(), names.end());
    return names;
}

// The backup in `root / id`, or nothing when that is not a backup (see TableBackups.h). A file
// that its manifest names but that is missing still leaves it a backup: a damaged one.
std::optional<FoundBackup> ReadBackup(const fs::path& root, const std::string& id) {
    const fs::path folder = root / PathFromUtf8(id);
    if (!IdOrder(id) || !IsRealFolder(folder)) return std::nullopt;
    const std::vector<std::string> names = files::EntryNames(folder);
    const bool onlyFiles = std::all_of(names.begin(), names.end(), [&](const std::string& name) {
        return EntryType(folder / PathFromUtf8(name)) == fs::file_type::regular;
    });
    if (!onlyFiles) return std::nullopt;
    const bool hasManifest =
        std::find(names.begin(), names.end(), kBackupManifestName) != names.end();
    if (!hasManifest) {
        if (names.empty() || !std::all_of(names.begin(), names.end(), IsWorkFileName)) {
            return std::nullopt;
        }
        return FoundBackup{id, std::nullopt, names};
    }
    const std::optional<std::string> text = ReadFile(folder / kBackupManifestName);
    std::optional<BackupManifest> manifest = text ? ParseManifest(*text) : std::nullopt;
    if (!manifest) return std::nullopt;
    std::vector<std::string> files = SortedNames(*manifest);
    for (const std::string& name : names) {
        const bool known =
            name == kBackupManifestName || std::binary_search(files.begin(), files.end(), name);
        if (!known) return std::nullopt;
    }
    return FoundBackup{id, std::move(manifest), std::move(files)};
}

// The order the backups were made in: those without a manifest (made by earlier versions, so
// before every other) by their id; the others by their manifest's sequence number.
auto MadeOrder(const FoundBackup& backup) {
    const std::uint64_t sequence = backup.manifest ? backup.manifest->sequence : 0;
    return std::tuple(backup.manifest.has_value(), sequence, *IdOrder(backup.id));
}

// The backups in `root`, oldest first.
std::vector<FoundBackup> BackupsOldestFirst(const fs::path& root) {
    std::vector<FoundBackup> backups;
    if (!IsRealFolder(root)) return backups;
    for (const std::string& name : files::EntryNames(root)) {
        if (std::optional<FoundBackup> backup = ReadBackup(root, name)) {
            backups.push_back(std::move(*backup));
        }
    }
    std::sort(backups.begin(), backups.end(), [](const FoundBackup& a, const FoundBackup& b) {
        return MadeOrder(a) < MadeOrder(b);
    });
    return backups;
}

// --- Making a backup --------------------------------------------------------------------------

Error BackupError(const fs::path& root, const std::string& reason) {
    return Error("No se puede hacer la copia de seguridad de las tablas de trabajo en la carpeta " +
                 Quoted(root) + ": " + reason + ". No se ha modificado ninguna tabla.");
}

// Makes sure `root` is a real folder: creates it when missing, refuses a link or a file.
void PrepareBackupRoot(const fs::path& root) {
    switch (EntryType(root)) {
        case fs::file_type::directory:
            return;
        case fs::file_type::not_found:
            if (const int error = files::MakeFolder(root); error != 0) {
                throw BackupError(root, files::SystemReason(error));
            }
            return;
        case fs::file_type::symlink:
            throw BackupError(root, "es un enlace simbólico, no una carpeta");
        default:
            throw BackupError(root, "no es una carpeta");
    }
}

// A new id for a backup made at `stamp`, numbered after every backup of the same second (so
// that its id sorts as the newest of that second), and its folder created under its partial
// name. Neither the id nor its partial name is in use by anything.
std::string MakePartialFolder(const fs::path& root, const std::string& stamp,
                              const std::vector<FoundBackup>& existing) {
    unsigned long number = 1;
    for (const FoundBackup& backup : existing) {
        const auto order = IdOrder(backup.id);
        if (order->first == stamp) number = std::max(number, order->second + 1);
    }
    for (;; ++number) {
        const std::string id = number == 1 ? stamp : stamp + "-" + std::to_string(number);
        if (EntryType(root / PathFromUtf8(id)) != fs::file_type::not_found) continue;
        const int error = files::MakeFolder(root / PathFromUtf8(id + kPartialSuffix));
        if (error == 0) return id;
        if (error != EEXIST) throw BackupError(root, files::SystemReason(error));
    }
}

// Copies those of `names` that exist in `workDir` into `folder`, and returns what was copied.
// Throws Error naming the file that failed.
std::vector<BackedUpFile> CopyInto(const fs::path& workDir, const std::vector<std::string>& names,
                                   const fs::path& folder, const fs::path& root) {
    std::vector<BackedUpFile> copied;
    for (const std::string& name : names) {
        const fs::path source = files::FindIgnoringCase(workDir, name);
        std::error_code error;
        if (!fs::is_regular_file(source, error)) continue;
        const std::optional<std::string> bytes = ReadFile(source);
        if (!bytes) throw BackupError(root, "no se puede leer " + Quoted(source));
        const files::Replacement copy = files::ReplaceFile(folder / PathFromUtf8(name), {*bytes});
        if (copy.error != 0) {
            throw BackupError(root, "no se puede escribir " + Quoted(folder / PathFromUtf8(name)) +
                                        " (" + files::SystemReason(copy.error) + ")");
        }
        copied.push_back({name, bytes->size(), FileChecksum(*bytes)});
    }
    return copied;
}

void WriteManifest(const fs::path& folder, const BackupManifest& manifest, const fs::path& root) {
    const std::string text = ManifestText(manifest);
    const files::Replacement written = files::ReplaceFile(folder / kBackupManifestName, {text});
    if (written.error != 0) {
        throw BackupError(root, "no se puede escribir " + Quoted(folder / kBackupManifestName) +
                                    " (" + files::SystemReason(written.error) + ")");
    }
}

// Whether `name` is that of a backup being copied or removed: an id and the partial suffix.
bool IsPartialName(std::string_view name) {
    return name.ends_with(kPartialSuffix) &&
           IdOrder(name.substr(0, name.size() - std::string_view(kPartialSuffix).size()));
}

// Removes a backup: first renamed to its partial name, so that a removal cut short leaves
// something that is no longer a backup and that the next prune removes.
void RemoveBackup(const fs::path& root, const std::string& id) {
    const fs::path partial = root / PathFromUtf8(id + kPartialSuffix);
    if (EntryType(partial) != fs::file_type::not_found) return;
    if (files::RenameFile(root / PathFromUtf8(id), partial) != 0) return;
    RemoveFolderWithFiles(partial);
}

// Removes the remains of copies and removals cut short in `root`.
void RemovePartialBackups(const fs::path& root) {
    for (const std::string& name : files::EntryNames(root)) {
        if (IsPartialName(name)) RemoveFolderWithFiles(root / PathFromUtf8(name));
    }
}

// Removes the remains of copies and removals cut short, then the oldest backups beyond
// kKeptBackups but those in `keep`.
void PruneBackups(const fs::path& root, const std::vector<std::string>& keep) {
    RemovePartialBackups(root);
    const std::vector<FoundBackup> backups = BackupsOldestFirst(root);
    std::size_t left = backups.size();
    for (const FoundBackup& backup : backups) {
        if (left <= kKeptBackups) break;
        if (std::find(keep.begin(), keep.end(), backup.id) != keep.end()) continue;
        RemoveBackup(root, backup.id);
        --left;
    }
}

// --- Putting a backup back --------------------------------------------------------------------

Error DamagedBackup(const std::string& id, const std::string& what) {
    return Error("La copia de seguridad '" + id + "' está dañada: " + what +
                 ". No se ha modificado ninguna tabla.");
}

bool IsTableFileName(std::string_view name) {
    return name.size() > 4 && files::SameNameIgnoringCase(name.substr(name.size() - 4), ".DBF");
}

// The bytes of `name` in the backup, checked whole. Throws Error naming the file when it is
// missing, unreadable, empty, not what the manifest says, or a table cut short.
std::string CheckedFile(const FoundBackup& backup, const fs::path& folder,
                        const std::string& name) {
    const fs::path path = folder / PathFromUtf8(name);
    if (EntryType(path) == fs::file_type::not_found) {
        throw DamagedBackup(backup.id, "falta el archivo " + Quoted(path));
    }
    const std::optional<std::string> bytes = ReadFile(path);
    if (!bytes) throw DamagedBackup(backup.id, "no se puede leer " + Quoted(path));
    if (bytes->empty()) throw DamagedBackup(backup.id, Quoted(path) + " está vacío");
    if (backup.manifest) {
        const auto entry =
            std::find_if(backup.manifest->files.begin(), backup.manifest->files.end(),
                         [&](const BackedUpFile& file) { return file.name == name; });
        if (bytes->size() != entry->size) {
            throw DamagedBackup(backup.id,
                                Quoted(path) + " tiene " + std::to_string(bytes->size()) +
                                    " bytes y se copiaron " + std::to_string(entry->size));
        }
        if (FileChecksum(*bytes) != entry->checksum) {
            throw DamagedBackup(backup.id,
                                "el contenido de " + Quoted(path) + " no es el que se copió");
        }
    }
    if (IsTableFileName(name)) {
        try {
            dbf::CheckWholeTableFile(*bytes, path);
        } catch (const Error& error) {
            throw DamagedBackup(backup.id, error.what());
        }
    }
    return *bytes;
}

// The name under which backup file `name` goes into `workDir`: that of the entry found there in
// any letter case (a table keeps its name), else its own.
std::string NameInWorkFolder(const fs::path& workDir, const std::string& name) {
    return Utf8FromPath(files::FindIgnoringCase(workDir, name).filename());
}

// The work files to back up before a restore: every file an inbound conversion replaces, every
// file of the backup, and every file the restore retires that these names do not find (a second
// one differing only in letter case).
std::vector<std::string> FilesToKeepBeforeRestore(const fs::path& workDir,
                                                  const FoundBackup& backup,
                                                  const std::vector<std::string>& retired) {
    std::vector<std::string> names = ReplacedWorkFiles();
    const auto add = [&](const std::string& name) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    };
    for (const std::string& name : backup.files) add(name);
    for (const std::string& name : retired) {
        const bool found = std::any_of(names.begin(), names.end(), [&](const std::string& kept) {
            return NameInWorkFolder(workDir, kept) == name;
        });
        if (!found) add(name);
    }
    return names;
}

constexpr const char* kNothingRestored = " No se ha restaurado ninguna tabla.";

// What `step` returns; an Error it throws is thrown again saying that no table was restored.
template <typename Step>
auto NothingRestoredOnError(const Step& step) {
    try {
        return step();
    } catch (const Error& error) {
        throw Error(error.what() + std::string(kNothingRestored));
    }
}

// Refuses while another program holds any of `names` in `workDir`.
void CheckNoneHeld(const fs::path& workDir, const std::vector<std::string>& names) {
    if (const std::vector<std::string> held = HeldWorkFiles(workDir, names); !held.empty()) {
        throw Error(HeldWorkFilesMessage(workDir, held) + "." + kNothingRestored);
    }
}

// Writes `bytes` into the staging folder as `name`. Throws Error naming the file.
void Stage(const StagedTables& staged, const std::string& name, const std::string& bytes,
           const std::string& id) {
    const fs::path target = staged.Folder() / name;
    if (const files::Replacement copy = files::ReplaceFile(target, {bytes}); copy.error != 0) {
        throw Error("No se puede preparar la tabla " + Quoted(target) +
                    " de la copia de seguridad '" + id + "': " + files::SystemReason(copy.error) +
                    "." + kNothingRestored);
    }
}

// The message of a restore whose commit failed with `reason`, naming the backup that holds the
// tables as they were.
std::string RestoreFailure(const std::string& id, const std::string& reason,
                           const std::optional<std::string>& previousTables) {
    std::string message = "No se puede restaurar la copia de seguridad '" + id + "'. " + reason;
    if (previousTables) {
        message +=
            " Las tablas que había antes están en la copia de seguridad '" + *previousTables + "'.";
    }
    return message;
}

}  // namespace

std::optional<std::string> BackUpWorkFiles(const fs::path& workDir,
                                           const std::vector<std::string>& fileNames,
                                           const std::vector<std::string>& keep) {
    const bool anyPresent = std::any_of(fileNames.begin(), fileNames.end(), [&](const auto& name) {
        std::error_code error;
        return fs::is_regular_file(files::FindIgnoringCase(workDir, name), error);
    });
    if (!anyPresent) return std::nullopt;

    const fs::path root = workDir / kBackupFolderName;
    PrepareBackupRoot(root);
    const std::vector<FoundBackup> existing = BackupsOldestFirst(root);
    const Now now = CurrentTime();
    const std::string id = MakePartialFolder(root, now.stamp, existing);
    const fs::path partial = root / PathFromUtf8(id + kPartialSuffix);
    try {
        BackupManifest manifest;
        manifest.sequence = 1;
        for (const FoundBackup& backup : existing) {
            if (backup.manifest)
                manifest.sequence = std::max(manifest.sequence, backup.manifest->sequence + 1);
        }
        manifest.made = now.date;
        manifest.files = CopyInto(workDir, fileNames, partial, root);
        WriteManifest(partial, manifest, root);
        if (const int error = files::RenameFile(partial, root / PathFromUtf8(id)); error != 0) {
            throw BackupError(root, files::SystemReason(error));
        }
    } catch (const Error&) {
        RemoveFolderWithFiles(partial);
        throw;
    }
    std::vector<std::string> kept = keep;
    kept.push_back(id);
    PruneBackups(root, kept);
    return id;
}

std::vector<TableBackup> ListBackups(const fs::path& workDir) {
    const std::vector<FoundBackup> backups = BackupsOldestFirst(workDir / kBackupFolderName);
    std::vector<TableBackup> listed;
    for (auto backup = backups.rbegin(); backup != backups.rend(); ++backup) {
        const std::string date = backup->manifest ? backup->manifest->made : DateOfId(backup->id);
        listed.push_back({backup->id, date, backup->files});
    }
    return listed;
}

Restoration RestoreBackup(const fs::path& workDir, const std::string& id) {
    const fs::path root = workDir / kBackupFolderName;
    const std::optional<FoundBackup> backup =
        IsRealFolder(root) ? ReadBackup(root, id) : std::nullopt;
    if (!backup) {
        throw Error("No existe la copia de seguridad '" + id + "' en la carpeta " + Quoted(root));
    }
    std::vector<std::pair<std::string, std::string>> contents;
    for (const std::string& name : backup->files) {
        contents.emplace_back(NameInWorkFolder(workDir, name),
                              CheckedFile(*backup, root / PathFromUtf8(id), name));
    }
    std::vector<std::string> targets;
    for (const auto& [name, bytes] : contents) targets.push_back(name);

    StagedTables staged = NothingRestoredOnError([&] { return StagedTables::Prepare(workDir); });
    CheckNoneHeld(workDir,
                  RetiredFiles(NothingRestoredOnError([&] { return staged.Plan(targets); })));
    for (const auto& [name, bytes] : contents) Stage(staged, name, bytes, id);
    const std::vector<CommitEntry> plan =
        NothingRestoredOnError([&] { return staged.Plan(targets); });
    const std::vector<std::string> retired = RetiredFiles(plan);
    CheckNoneHeld(workDir, retired);

    Restoration restoration;
    restoration.previousTables =
        BackUpWorkFiles(workDir, FilesToKeepBeforeRestore(workDir, *backup, retired), {id});
    try {
        staged.Commit(plan);
    } catch (const UnfinishedCommit& error) {
        throw UnfinishedCommit(RestoreFailure(id, error.what(), restoration.previousTables));
    } catch (const Error& error) {
        throw Error(RestoreFailure(id, error.what(), restoration.previousTables) +
                    kNothingRestored);
    }
    restoration.files = backup->files;
    return restoration;
}

void RemoveUnfinishedBackups(const fs::path& workDir) {
    const fs::path root = workDir / kBackupFolderName;
    if (IsRealFolder(root)) RemovePartialBackups(root);
}

}  // namespace velmaro

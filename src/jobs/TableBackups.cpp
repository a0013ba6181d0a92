#include "jobs/TableBackups.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "base/Error.h"
#include "base/FileSystem.h"
#include "base/QuotedPath.h"
#include "worktables/HeldFiles.h"

namespace velmaro {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kStampLength = 15;            // AAAAMMDD-HHMMSS
constexpr const char* kPartialSuffix = ".parcial";  // a backup still being copied, or cut short

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

std::string CurrentStamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[kStampLength + 1];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error)) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The whole content of `file`; nothing when it cannot be read.
std::optional<std::string> ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// Removes a backup folder and the files in it; what cannot be removed stays.
void RemoveBackupFolder(const fs::path& folder) {
    for (const std::string& name : FilesIn(folder)) files::RemoveFile(folder / name);
    files::RemoveFolder(folder);
}

// The backups of `root`, oldest first.
std::vector<std::string> BackupIdsOldestFirst(const fs::path& root) {
    std::vector<std::pair<std::pair<std::string, unsigned long>, std::string>> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_directory(error)) continue;
        if (const auto order = IdOrder(name)) found.emplace_back(*order, name);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> ids;
    for (auto& [order, id] : found) ids.push_back(std::move(id));
    return ids;
}

// Removes the oldest backups beyond kKeptBackups and the remains of copies that were cut short.
void PruneBackups(const fs::path& root) {
    const std::vector<std::string> ids = BackupIdsOldestFirst(root);
    for (std::size_t i = 0; i + kKeptBackups < ids.size(); ++i) RemoveBackupFolder(root / ids[i]);
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(kPartialSuffix) && entry.is_directory(error)) {
            RemoveBackupFolder(entry.path());
        }
    }
}

// A new id for a backup made now, numbered after every backup of the same second (so that it
// sorts as the newest even when older ones of that second were removed), and its folder
// created under its partial name.
std::string MakePartialFolder(const fs::path& root) {
    const std::string stamp = CurrentStamp();
    unsigned long number = 1;
    for (const std::string& existing : BackupIdsOldestFirst(root)) {
        const auto order = IdOrder(existing);
        if (order->first == stamp) number = std::max(number, order->second + 1);
    }
    for (;; ++number) {
        const std::string id = number == 1 ? stamp : stamp + "-" + std::to_string(number);
        const int error = files::MakeFolder(root / (id + kPartialSuffix));
        if (error == 0) return id;
        if (error != EEXIST) throw std::system_error(error, std::generic_category());
    }
}

Error BackupError(const fs::path& root, const std::string& reason) {
    return Error("No se puede hacer la copia de seguridad de las tablas de trabajo en la carpeta " +
                 Quoted(root) + ": " + reason + ". No se ha modificado ninguna tabla.");
}

// Copies `names` from `workDir` into `folder`. Throws Error naming the file that failed.
void CopyInto(const fs::path& workDir, const std::vector<std::string>& names,
              const fs::path& folder, const fs::path& root) {
    for (const std::string& name : names) {
        const std::optional<std::string> bytes = ReadFile(workDir / name);
        if (!bytes) throw BackupError(root, "no se puede leer " + Quoted(workDir / name));
        const files::Replacement copy = files::ReplaceFile(folder / name, {*bytes});
        if (copy.error != 0) {
            throw BackupError(root, "no se puede escribir " + Quoted(folder / name) + " (" +
                                        files::SystemReason(copy.error) + ")");
        }
    }
}

}  // namespace

std::optional<std::string> BackUpWorkFiles(const fs::path& workDir,
                                           const std::vector<std::string>& fileNames) {
    std::vector<std::string> present;
    for (const std::string& name : fileNames) {
        std::error_code error;
        if (fs::is_regular_file(workDir / name, error)) present.push_back(name);
    }
    if (present.empty()) return std::nullopt;

    const fs::path root = workDir / kBackupFolderName;
    if (const int error = files::MakeFolder(root); error != 0 && error != EEXIST) {
        throw BackupError(root, files::SystemReason(error));
    }
    std::string id;
    try {
        id = MakePartialFolder(root);
    } catch (const std::system_error& error) {
        throw BackupError(root, files::SystemReason(error.code().value()));
    }
    const fs::path partial = root / (id + kPartialSuffix);
    try {
        CopyInto(workDir, present, partial, root);
        if (const int error = files::RenameFile(partial, root / id); error != 0) {
            throw BackupError(root, files::SystemReason(error));
        }
    } catch (const Error&) {
        RemoveBackupFolder(partial);
        throw;
    }
    PruneBackups(root);
    return id;
}

std::vector<TableBackup> ListBackups(const fs::path& workDir) {
    const fs::path root = workDir / kBackupFolderName;
    std::vector<std::string> ids = BackupIdsOldestFirst(root);
    std::vector<TableBackup> backups;
    for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
        backups.push_back({*id, DateOfId(*id), FilesIn(root / *id)});
    }
    return backups;
}

std::vector<std::string> RestoreBackup(const fs::path& workDir, const std::string& id) {
    const std::vector<TableBackup> backups = ListBackups(workDir);
    const auto backup = std::find_if(backups.begin(), backups.end(),
                                     [&](const TableBackup& each) { return each.id == id; });
    if (backup == backups.end()) {
        throw Error("No existe la copia de seguridad '" + id + "' en la carpeta " +
                    Quoted(workDir / kBackupFolderName));
    }
    if (const std::vector<std::string> held = HeldWorkFiles(workDir, backup->files);
        !held.empty()) {
        throw Error(HeldWorkFilesMessage(workDir, held) + ". No se ha restaurado ninguna tabla.");
    }
    const fs::path folder = workDir / kBackupFolderName / id;
    for (const std::string& name : backup->files) {
        const std::optional<std::string> bytes = ReadFile(folder / name);
        const files::Replacement copy =
            bytes ? files::ReplaceFile(workDir / name, {*bytes}) : files::Replacement{EIO, {}};
        if (copy.error != 0) {
            throw Error("No se puede restaurar la tabla " + Quoted(workDir / name) +
                        " de la copia de seguridad '" + id +
                        "': " + files::SystemReason(copy.error));
        }
    }
    return backup->files;
}

}  // namespace velmaro

#include "worktables/TableFile.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "base/Error.h"
#include "base/FileKind.h"
#include "base/OpenElsewhere.h"
#include "base/Utf8Path.h"

namespace velmaro::dbf {

namespace {

using files::SystemReason;

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// Whether another open file holds a lock on `path`, or keeps others out of it; false when it
// is missing or unreadable (the change that follows decides what that means).
bool IsLocked(const std::filesystem::path& path) {
    files::OpenedFile probe = files::OpenExistingFile(path);
    if (probe.error == EBUSY) return true;
    if (probe.error != 0) return false;
    return !probe.file.TryLock(files::FileLock::Exclusive);
}

}  // namespace

std::string HeldByAnotherProgramMessage(const std::filesystem::path& path) {
    return "La tabla '" + Utf8FromPath(path) + "' está abierta en otro programa";
}

TableFile::TableFile(std::filesystem::path path, files::OpenFile file, files::FileLock lock,
                     State state)
    : path_(std::move(path)), file_(std::move(file)), lock_(lock), state_(state) {}

TableFile TableFile::Create(const std::filesystem::path& path) {
    const std::filesystem::path folder = FolderOf(path);
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) {
        throw Error("No se puede crear la tabla '" + Utf8FromPath(path.filename()) +
                    "': no existe la carpeta '" + Utf8FromPath(folder) + "'");
    }
    // Replacing a table that another program has open would pull it from under that program.
    CheckNotHeld(path);
    // The file itself appears with the first write, whole (see WriteAll).
    return TableFile(path, files::OpenFile(), files::FileLock::Shared, State::New);
}

TableFile TableFile::Open(const std::filesystem::path& path, TableAccess access) {
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        throw Error("No existe la tabla '" + Utf8FromPath(path) + "'");
    }
    if (const auto reason = files::NotAFileReason(path)) {
        throw Error("La tabla '" + Utf8FromPath(path) + "' no es un archivo (" + *reason + ")");
    }
    files::OpenedFile opened = files::OpenExistingFile(path);
    if (opened.error == EBUSY) throw Error(HeldByAnotherProgramMessage(path));
    if (opened.error != 0) {
        throw Error("No se puede abrir la tabla '" + Utf8FromPath(path) +
                    "': " + SystemReason(opened.error));
    }
    const files::FileLock lock = access == TableAccess::Exclusive ? files::FileLock::Exclusive
                                                                  : files::FileLock::Shared;
    TableFile file(path, std::move(opened.file), lock,
                   opened.writable ? State::Writable : State::ReadOnly);
    if (!file.file_.TryLock(lock)) throw Error(HeldByAnotherProgramMessage(path));
    if (access == TableAccess::Exclusive && files::OpenInOtherProcesses({path}).front()) {
        throw Error(HeldByAnotherProgramMessage(path));
    }
    return file;
}

void TableFile::CheckNotHeld(const std::filesystem::path& path) {
    if (IsHeld(path)) throw Error(HeldByAnotherProgramMessage(path));
}

bool TableFile::IsHeld(const std::filesystem::path& path) { return WhichHeld({path}).front(); }

std::vector<bool> TableFile::WhichHeld(const std::vector<std::filesystem::path>& paths) {
    std::vector<bool> held = files::OpenInOtherProcesses(paths);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!held[i]) held[i] = IsLocked(paths[i]);
    }
    return held;
}

std::string TableFile::ReadAll() const {
    std::string bytes;
    if (const int error = file_.ReadAll(bytes); error != 0) {
        throw Error("No se puede leer la tabla '" + Utf8FromPath(path_) +
                    "': " + SystemReason(error));
    }
    return bytes;
}

void TableFile::WriteAll(const std::vector<std::string_view>& parts) {
    if (state_ == State::ReadOnly) {
        throw Error("No se puede escribir la tabla '" + Utf8FromPath(path_) +
                    "': " + SystemReason(EBADF));
    }
    // A new file beside the table, renamed over it: a reader, or a run killed at any moment,
    // finds the table either as it was or as it is now, never half written. The old file is
    // closed first: Windows renames nothing over a file that is open.
    file_.Close();
    files::Replacement replacement = files::ReplaceFile(path_, parts, true);
    if (replacement.error != 0) {
        if (state_ == State::New) {
            throw Error("No se puede crear la tabla '" + Utf8FromPath(path_.filename()) +
                        "' en la carpeta '" + Utf8FromPath(FolderOf(path_)) +
                        "': " + SystemReason(replacement.error));
        }
        throw Error("No se puede escribir la tabla '" + Utf8FromPath(path_) +
                    "': " + SystemReason(replacement.error));
    }
    file_ = std::move(replacement.file);
    state_ = State::Writable;
    // The new file comes locked for this program alone; it is held as the old one was.
    if (lock_ != files::FileLock::Exclusive) file_.TryLock(lock_);
}

void TableFile::Close() { file_.Close(); }

}  // namespace velmaro::dbf

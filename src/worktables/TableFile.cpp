#include "worktables/TableFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "base/Error.h"
#include "base/FileSystem.h"

namespace velmaro::dbf {

namespace {

using files::SystemReason;

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// Takes `operation` (LOCK_SH or LOCK_EX) without waiting; false when someone else holds it.
bool TryLock(int descriptor, int operation) {
    while (flock(descriptor, operation | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace

std::string HeldByAnotherProgramMessage(const std::filesystem::path& path) {
    return "La tabla '" + path.string() + "' está abierta en otro programa";
}

TableFile::TableFile(std::filesystem::path path, int descriptor, int lock, State state)
    : path_(std::move(path)), descriptor_(descriptor), lock_(lock), state_(state) {}

TableFile::TableFile(TableFile&& other) noexcept
    : path_(std::move(other.path_)),
      descriptor_(std::exchange(other.descriptor_, -1)),
      lock_(other.lock_),
      state_(other.state_) {}

TableFile& TableFile::operator=(TableFile&& other) noexcept {
    if (this != &other) {
        Close();
        path_ = std::move(other.path_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        lock_ = other.lock_;
        state_ = other.state_;
    }
    return *this;
}

TableFile::~TableFile() { Close(); }

TableFile TableFile::Create(const std::filesystem::path& path) {
    const std::filesystem::path folder = FolderOf(path);
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) {
        throw Error("No se puede crear la tabla '" + path.filename().string() +
                    "': no existe la carpeta '" + folder.string() + "'");
    }
    // Replacing a table that another program has open would pull it from under that program.
    CheckNotHeld(path);
    // The file itself appears with the first write, whole (see WriteAll).
    return TableFile(path, -1, LOCK_SH, State::New);
}

TableFile TableFile::Open(const std::filesystem::path& path, TableAccess access) {
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        throw Error("No existe la tabla '" + path.string() + "'");
    }
    int descriptor = files::OpenFile(path, O_RDWR | O_CLOEXEC);
    bool writable = true;
    if (descriptor < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        descriptor = files::OpenFile(path, O_RDONLY | O_CLOEXEC);  // readable, not writable
        writable = false;
    }
    if (descriptor < 0) {
        throw Error("No se puede abrir la tabla '" + path.string() + "': " + SystemReason(errno));
    }
    const int lock = access == TableAccess::Exclusive ? LOCK_EX : LOCK_SH;
    TableFile file(path, descriptor, lock, writable ? State::Writable : State::ReadOnly);
    if (!TryLock(descriptor, lock)) throw Error(HeldByAnotherProgramMessage(path));
    return file;
}

void TableFile::CheckNotHeld(const std::filesystem::path& path) {
    if (IsHeld(path)) throw Error(HeldByAnotherProgramMessage(path));
}

bool TableFile::IsHeld(const std::filesystem::path& path) {
    const int descriptor = files::OpenFile(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;  // missing or unreadable: the deletion decides what follows
    TableFile probe(path, descriptor, LOCK_EX, State::ReadOnly);
    return !TryLock(descriptor, LOCK_EX);
}

std::string TableFile::ReadAll() const {
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) {
        throw Error("No se puede leer la tabla '" + path_.string() + "': " + SystemReason(errno));
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(descriptor_, bytes.data() + done, bytes.size() - done,
                                    static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            throw Error("No se puede leer la tabla '" + path_.string() + "': " +
                        SystemReason(errno));
        }
        if (got == 0) break;  // the file shrank meanwhile: keep what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

void TableFile::WriteAll(const std::vector<std::string_view>& parts) {
    if (state_ == State::ReadOnly) {
        throw Error("No se puede escribir la tabla '" + path_.string() +
                    "': " + SystemReason(EBADF));
    }
    // A new file beside the table, renamed over it: a reader, or a run killed at any moment,
    // finds the table either as it was or as it is now, never half written.
    const files::Replacement replacement = files::ReplaceFile(path_, parts, true);
    if (replacement.error != 0) {
        if (state_ == State::New) {
            throw Error("No se puede crear la tabla '" + path_.filename().string() +
                        "' en la carpeta '" + FolderOf(path_).string() +
                        "': " + SystemReason(replacement.error));
        }
        throw Error("No se puede escribir la tabla '" + path_.string() +
                    "': " + SystemReason(replacement.error));
    }
    Close();
    descriptor_ = replacement.descriptor;
    state_ = State::Writable;
    if (lock_ != LOCK_EX) TryLock(descriptor_, lock_);  // the new file is held as the old one was
}

void TableFile::Close() {
    if (descriptor_ < 0) return;
    ::close(descriptor_);  // closing releases the flock lock
    descriptor_ = -1;
}

}  // namespace velmaro::dbf

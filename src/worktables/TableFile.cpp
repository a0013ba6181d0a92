#include "worktables/TableFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <system_error>
#include <utility>

#include "app/Error.h"

namespace velmaro::dbf {

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the user's umask, like any new document

// A short Spanish reason for a system error number.
std::string SystemReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "no hay permiso";
        case EROFS:
            return "el disco es de solo lectura";
        case ENOSPC:
            return "no queda espacio en el disco";
        case ENOENT:
            return "no existe";
        case EISDIR:
            return "es una carpeta";
        case EBADF:
            return "se abrió solo para lectura";
        default:
            return std::string("error del sistema (") + std::strerror(error) + ")";
    }
}

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

TableFile::TableFile(std::filesystem::path path, int descriptor)
    : path_(std::move(path)), descriptor_(descriptor) {}

TableFile::TableFile(TableFile&& other) noexcept
    : path_(std::move(other.path_)), descriptor_(std::exchange(other.descriptor_, -1)) {}

TableFile& TableFile::operator=(TableFile&& other) noexcept {
    if (this != &other) {
        Close();
        path_ = std::move(other.path_);
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

TableFile::~TableFile() { Close(); }

TableFile TableFile::Create(const std::filesystem::path& path) {
    const std::string table = path.filename().string();
    const std::filesystem::path folder = FolderOf(path);
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) {
        throw Error("No se puede crear la tabla '" + table + "': no existe la carpeta '" +
                    folder.string() + "'");
    }
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kNewFileMode);
    if (descriptor < 0) {
        throw Error("No se puede crear la tabla '" + table + "' en la carpeta '" +
                    folder.string() + "': " + SystemReason(errno));
    }
    TableFile file(path, descriptor);
    // Replacing a table that another program has open would pull it from under that program.
    if (!TryLock(descriptor, LOCK_EX)) throw Error(HeldByAnotherProgramMessage(path));
    if (::ftruncate(descriptor, 0) != 0) {
        throw Error("No se puede crear la tabla '" + table + "' en la carpeta '" +
                    folder.string() + "': " + SystemReason(errno));
    }
    if (!TryLock(descriptor, LOCK_SH)) throw Error(HeldByAnotherProgramMessage(path));
    return file;
}

TableFile TableFile::Open(const std::filesystem::path& path, TableAccess access) {
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        throw Error("No existe la tabla '" + path.string() + "'");
    }
    int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);  // readable, not writable
    }
    if (descriptor < 0) {
        throw Error("No se puede abrir la tabla '" + path.string() + "': " + SystemReason(errno));
    }
    TableFile file(path, descriptor);
    if (!TryLock(descriptor, access == TableAccess::Exclusive ? LOCK_EX : LOCK_SH)) {
        throw Error(HeldByAnotherProgramMessage(path));
    }
    return file;
}

void TableFile::CheckNotHeld(const std::filesystem::path& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return;  // missing or unreadable: the deletion decides what follows
    TableFile probe(path, descriptor);
    if (!TryLock(descriptor, LOCK_EX)) throw Error(HeldByAnotherProgramMessage(path));
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
    std::vector<iovec> pending;
    std::size_t total = 0;
    for (std::string_view part : parts) {
        if (part.empty()) continue;
        pending.push_back({const_cast<char*>(part.data()), part.size()});
        total += part.size();
    }
    std::size_t written = 0;
    std::size_t first = 0;
    while (first < pending.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(pending.size() - first, IOV_MAX));
        const ssize_t done = ::pwritev(descriptor_, pending.data() + first, count,
                                       static_cast<off_t>(written));
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) {
            throw Error("No se puede escribir la tabla '" + path_.string() + "': " +
                        SystemReason(errno));
        }
        written += static_cast<std::size_t>(done);
        for (std::size_t left = static_cast<std::size_t>(done); left > 0 && first < pending.size();) {
            const std::size_t step = std::min(left, pending[first].iov_len);
            pending[first].iov_base = static_cast<char*>(pending[first].iov_base) + step;
            pending[first].iov_len -= step;
            left -= step;
            if (pending[first].iov_len == 0) ++first;
        }
    }
    if (::ftruncate(descriptor_, static_cast<off_t>(total)) != 0) {
        throw Error("No se puede escribir la tabla '" + path_.string() + "': " +
                    SystemReason(errno));
    }
}

void TableFile::Close() {
    if (descriptor_ < 0) return;
    ::close(descriptor_);  // closing releases the flock lock
    descriptor_ = -1;
}

}  // namespace velmaro::dbf

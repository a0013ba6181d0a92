#include "base/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "base/FaultInjection.h"

namespace velmaro::files {

namespace {

constexpr mode_t kNewFileMode = 0666;    // narrowed by the user's umask, like any new document
constexpr mode_t kNewFolderMode = 0777;  // likewise
constexpr mode_t kPermissionBits = 07777;

// True when a fault injection in scope makes this change fail (errno is then set).
bool Injected() {
    ScopedFaultInjection* injection = ActiveFaultInjection();
    return injection != nullptr && injection->Fails();
}

// Takes an exclusive flock lock without waiting; false when someone else holds the file.
bool TryLockExclusive(int descriptor) {
    while (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// Writes all of `parts` at `offset`; the errno value of a failure, or 0.
int WriteParts(int descriptor, const std::vector<std::string_view>& parts, off_t offset) {
    std::vector<iovec> pending;
    for (std::string_view part : parts) {
        if (!part.empty()) pending.push_back({const_cast<char*>(part.data()), part.size()});
    }
    std::size_t written = 0;
    std::size_t first = 0;
    while (first < pending.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(pending.size() - first, IOV_MAX));
        const ssize_t done = WriteAt(descriptor, pending.data() + first, count,
                                     offset + static_cast<off_t>(written));
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) return errno;
        written += static_cast<std::size_t>(done);
        for (std::size_t left = static_cast<std::size_t>(done);
             left > 0 && first < pending.size();) {
            const std::size_t step = std::min(left, pending[first].iov_len);
            pending[first].iov_base = static_cast<char*>(pending[first].iov_base) + step;
            pending[first].iov_len -= step;
            left -= step;
            if (pending[first].iov_len == 0) ++first;
        }
    }
    return 0;
}

// Writes what produce(sink) gives to ReplacementPath(target), flushes it to disk and renames it
// over `target`; see ReplaceFile and ReplaceFileWith.
Replacement Replace(const std::filesystem::path& target,
                    const std::function<int(ContentSink&)>& produce, bool keepOpen) {
    PendingReplacement replacement(target);
    if (replacement.OpenError() != 0) return {replacement.OpenError(), -1};
    if (const int produced = produce(replacement); produced != 0) return {produced, -1};
    return replacement.Commit(keepOpen);
}

}  // namespace

int OpenFile(const std::filesystem::path& path, int flags, mode_t mode) {
    if ((flags & (O_CREAT | O_TRUNC)) != 0 && Injected()) return -1;
    return ::open(path.c_str(), flags, mode);
}

ssize_t WriteAt(int descriptor, const iovec* buffers, int count, off_t offset) {
    if (Injected()) return -1;
    return ::pwritev(descriptor, buffers, count, offset);
}

int TruncateFile(int descriptor, off_t length) {
    if (Injected()) return -1;
    return ::ftruncate(descriptor, length);
}

int SyncFile(int descriptor) {
    if (Injected()) return -1;
    return ::fsync(descriptor);
}

int RenameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (Injected()) return -1;
    return ::rename(from.c_str(), to.c_str());
}

int RemoveFile(const std::filesystem::path& path) {
    if (Injected()) return -1;
    return ::unlink(path.c_str());
}

int MakeFolder(const std::filesystem::path& path) {
    if (Injected()) return -1;
    return ::mkdir(path.c_str(), kNewFolderMode);
}

int RemoveFolder(const std::filesystem::path& path) {
    if (Injected()) return -1;
    return ::rmdir(path.c_str());
}

std::string SystemReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "no hay permiso";
        case EROFS:
            return "el disco es de solo lectura";
        case ENOSPC:
        case EDQUOT:
            return "no queda espacio en el disco";
        case ENOENT:
            return "no existe";
        case EISDIR:
            return "es una carpeta";
        case EBADF:
            return "se abrió solo para lectura";
        case EIO:
            return "error de lectura o escritura en el disco";
        case EBUSY:
            return "otro programa lo está escribiendo";
        case EEXIST:
        case ENOTEMPTY:
            return "ya existe una carpeta con ese nombre";
        case ELOOP:
            return "es un enlace simbólico";
        default:
            return std::string("error del sistema (") + std::strerror(error) + ")";
    }
}

PendingReplacement::PendingReplacement(const std::filesystem::path& target)
    : target_(target), temporary_(ReplacementPath(target)) {
    const int descriptor =
        OpenFile(temporary_, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kNewFileMode);
    if (descriptor < 0) {
        openError_ = errno;
        return;
    }
    if (!TryLockExclusive(descriptor)) {
        ::close(descriptor);  // another writer is replacing the same file: its file, not ours
        openError_ = EBUSY;
        return;
    }
    descriptor_ = descriptor;
    if (TruncateFile(descriptor_, 0) != 0) {
        openError_ = errno;
        Discard();
        return;
    }
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(descriptor_, existing.st_mode & kPermissionBits);
    }
}

PendingReplacement::~PendingReplacement() { Discard(); }

void PendingReplacement::Discard() {
    if (descriptor_ < 0) return;
    ::close(descriptor_);
    descriptor_ = -1;
    RemoveFile(temporary_);
}

int PendingReplacement::Write(const std::vector<std::string_view>& parts) {
    if (descriptor_ < 0) return EBADF;
    if (const int error = WriteParts(descriptor_, parts, end_); error != 0) {
        Discard();
        return error;
    }
    for (std::string_view part : parts) end_ += static_cast<off_t>(part.size());
    return 0;
}

Replacement PendingReplacement::Commit(bool keepOpen) {
    if (descriptor_ < 0) return {EBADF, -1};
    if (SyncFile(descriptor_) != 0 || RenameFile(temporary_, target_) != 0) {
        const int error = errno;
        Discard();
        return {error, -1};
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (keepOpen) return {0, descriptor};
    ::close(descriptor);
    return {0, -1};
}

std::filesystem::path ReplacementPath(const std::filesystem::path& target) {
    std::string name = ".";
    name += target.filename().string();
    name += ".velmaro-nuevo";
    return target.parent_path() / name;
}

Replacement ReplaceFile(const std::filesystem::path& target,
                        const std::vector<std::string_view>& parts, bool keepOpen) {
    return Replace(
        target, [&](ContentSink& sink) { return sink.Write(parts); }, keepOpen);
}

Replacement ReplaceFileWith(const std::filesystem::path& target,
                            const std::function<int(ContentSink&)>& produce) {
    return Replace(target, produce, false);
}

}  // namespace velmaro::files

#include "base/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "base/FaultInjection.h"
#include "base/TemporaryFile.h"

namespace velmaro::files {

// Turns a file descriptor into an OpenFile and back.
struct PlatformFile {
    static OpenFile Wrap(int descriptor) { return OpenFile(descriptor); }
    static int Descriptor(const OpenFile& file) { return static_cast<int>(file.handle_); }
};

namespace {

int Descriptor(const OpenFile& file) { return PlatformFile::Descriptor(file); }

constexpr mode_t kNewFileMode = 0666;    // narrowed by the user's umask, like any new document
constexpr mode_t kNewFolderMode = 0777;  // likewise
constexpr mode_t kPrivateFileMode = 0600;  // a temporary file until it takes its target's mode
constexpr mode_t kPermissionBits = 07777;

// True when a fault injection in scope makes this change of `kind` fail (errno is then set).
bool Injected(ChangeKind kind) {
    ScopedFaultInjection* injection = ActiveFaultInjection();
    return injection != nullptr && injection->Fails(kind);
}

// A record lock of `type` (F_RDLCK, F_WRLCK or F_UNLCK) over `length` bytes from `offset`;
// length 0 reaches past the end of the file, however long it grows.
struct flock RecordRange(short type, off_t offset, off_t length) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = offset;
    range.l_len = length;
    return range;
}

// The lock range of FileSystem.h, which the Windows build locks too.
struct flock LockRange(short type) {
    return RecordRange(type, static_cast<off_t>(kLockRangeOffset),
                       static_cast<off_t>(kLockRangeLength));
}

// fcntl(2) `command` on `range`, repeated when a signal interrupts it; 0 or -1 with errno set.
int RecordLockControl(int descriptor, int command, struct flock& range) {
    int result = 0;
    do {
        result = ::fcntl(descriptor, command, &range);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Whether another open file holds a record lock anywhere in the file that conflicts with one
// of `type`: the locks of other processes (Wine's server locks the ranges that Windows
// programs lock) and of other openings in this one.
bool LockedElsewhere(int descriptor, short type) {
    struct flock whole = RecordRange(type, 0, 0);
    if (RecordLockControl(descriptor, F_OFD_GETLK, whole) != 0) return false;
    return whole.l_type != F_UNLCK;
}

// Takes `lock` on the lock range without waiting. The locks are open-file-description locks:
// they belong to this opening, as a Windows lock belongs to its handle, so a second opening in
// this same process conflicts with them and closing another descriptor of the file keeps them;
// and they conflict with the process-owned record locks that Wine's server takes. A file
// system that keeps no record locks holds none and reports no conflict, as Wine treats it.
bool TryRecordLock(int descriptor, FileLock lock) {
    const bool exclusive = lock == FileLock::Exclusive;
    if (LockedElsewhere(descriptor, exclusive ? F_WRLCK : F_RDLCK)) return false;
    // A write lock needs a descriptor open for writing: one open only for reading holds a read
    // lock, which keeps out every exclusive holder, and counts as exclusive only while no other
    // opening has taken a lock of its own meanwhile.
    const bool readOnly = (::fcntl(descriptor, F_GETFL) & O_ACCMODE) == O_RDONLY;
    struct flock range = LockRange(exclusive && !readOnly ? F_WRLCK : F_RDLCK);
    if (RecordLockControl(descriptor, F_OFD_SETLK, range) != 0) {
        return errno != EAGAIN && errno != EACCES;
    }
    if (exclusive && readOnly && LockedElsewhere(descriptor, F_WRLCK)) {
        struct flock release = LockRange(F_UNLCK);
        RecordLockControl(descriptor, F_OFD_SETLK, release);
        return false;
    }
    return true;
}

// open(2) with O_CREAT: a change, which a fault injection can make fail.
int CreateFile(const std::filesystem::path& path, int flags, mode_t mode) {
    if (Injected(ChangeKind::NeedsSpace)) return -1;
    return ::open(path.c_str(), flags | O_CREAT, mode);
}

// pwritev(2): writes `count` buffers at `offset`.
ssize_t WriteAt(int descriptor, const iovec* buffers, int count, off_t offset) {
    if (Injected(ChangeKind::NeedsSpace)) return -1;
    return ::pwritev(descriptor, buffers, count, offset);
}

// ftruncate(2) to cut a file rewritten in place to its new length; it frees space, never needs it.
int TruncateFile(int descriptor, off_t length) {
    if (Injected(ChangeKind::MovesOrFrees)) return -1;
    return ::ftruncate(descriptor, length);
}

// fsync(2): the file's data on disk before it is renamed into place.
int SyncFile(int descriptor) {
    if (Injected(ChangeKind::NeedsSpace)) return -1;
    return ::fsync(descriptor);
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

}  // namespace

int RenameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (Injected(ChangeKind::MovesOrFrees)) return errno;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int RemoveFile(const std::filesystem::path& path) {
    if (Injected(ChangeKind::MovesOrFrees)) return errno;
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int MakeFolder(const std::filesystem::path& path) {
    if (Injected(ChangeKind::NeedsSpace)) return errno;
    return ::mkdir(path.c_str(), kNewFolderMode) == 0 ? 0 : errno;
}

int RemoveFolder(const std::filesystem::path& path) {
    if (Injected(ChangeKind::MovesOrFrees)) return errno;
    return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

bool CanWriteInFolder(const std::filesystem::path& path) {
    return ::access(path.c_str(), W_OK | X_OK) == 0;
}

bool OpenFile::TryLock(FileLock lock) { return TryRecordLock(Descriptor(*this), lock); }

int OpenFile::ReadAll(std::string& bytes) const {
    const int descriptor = Descriptor(*this);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) return errno;
    bytes.assign(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(descriptor, bytes.data() + done, bytes.size() - done,
                                    static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) break;  // the file shrank meanwhile: keep what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return 0;
}

int OpenFile::OverwriteInPlace(std::string_view bytes) {
    const int descriptor = Descriptor(*this);
    if (const int error = WriteParts(descriptor, {bytes}, 0); error != 0) return error;
    if (TruncateFile(descriptor, static_cast<off_t>(bytes.size())) != 0) return errno;
    return SyncFile(descriptor) != 0 ? errno : 0;
}

int OpenFile::WriteAt(const std::vector<std::string_view>& parts, std::uint64_t offset) {
    return WriteParts(Descriptor(*this), parts, static_cast<off_t>(offset));
}

int OpenFile::FlushToDisk() { return SyncFile(Descriptor(*this)) != 0 ? errno : 0; }

void OpenFile::Close() {
    if (handle_ < 0) return;
    ::close(Descriptor(*this));  // closing the only descriptor releases its record lock
    handle_ = -1;
}

OpenedFile OpenExistingFile(const std::filesystem::path& path) {
    int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    bool writable = true;
    if (descriptor < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);  // readable, not writable
        writable = false;
    }
    if (descriptor < 0) return {OpenFile(), false, errno};
    return {PlatformFile::Wrap(descriptor), writable, 0};
}

OpenedFile OpenLockFile(const std::filesystem::path& path) {
    constexpr int kFlags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
    int descriptor = ::open(path.c_str(), kFlags);
    bool writable = true;
    if (descriptor < 0 && (errno == EACCES || errno == EROFS)) {
        descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);  // locks too
        writable = false;
    } else if (descriptor < 0 && errno == ENOENT) {
        descriptor = CreateFile(path, kFlags, kNewFileMode);
    }
    if (descriptor < 0) return {OpenFile(), false, errno};
    return {PlatformFile::Wrap(descriptor), writable, 0};
}

// O_EXCL refuses any entry that is there, a link included. The file is made private and takes
// the mode of an existing `target`, else the usual one for a new document.
OpenedFile CreateTemporaryFile(const std::filesystem::path& target, std::filesystem::path& path) {
    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    for (int attempt = 0; attempt < kFreshNameAttempts; ++attempt) {
        path = FreshTemporaryPath(target);
        const int descriptor = CreateFile(path, O_RDWR | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                                          replacing ? kPrivateFileMode : kNewFileMode);
        if (descriptor < 0 && errno == EEXIST) continue;
        if (descriptor < 0) return {OpenFile(), false, errno};
        if (replacing) ::fchmod(descriptor, existing.st_mode & kPermissionBits);
        // New under a fresh name: no one else can hold it.
        TryRecordLock(descriptor, FileLock::Exclusive);
        return {PlatformFile::Wrap(descriptor), true, 0};
    }
    return {OpenFile(), false, EEXIST};
}

}  // namespace velmaro::files

#include "base/FileSystem.h"

#include <windows.h>
// <windows.h> names ReplaceFileW "ReplaceFile"; ours is the one of FileSystem.h.
#undef ReplaceFile

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>

#include "base/FaultInjection.h"
#include "base/TemporaryFile.h"

namespace velmaro::files {

// Turns a file handle into an OpenFile and back.
struct PlatformFile {
    static OpenFile Wrap(HANDLE handle) {
        return OpenFile(static_cast<long long>(reinterpret_cast<std::intptr_t>(handle)));
    }
    static HANDLE Handle(const OpenFile& file) {
        return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(file.handle_));
    }
};

namespace {

HANDLE Handle(const OpenFile& file) { return PlatformFile::Handle(file); }

// Every file is opened letting others read, write, rename and delete it: whether a program
// holds a table is told by its lock, and a file open here can still be replaced by renaming.
// A program that opens a table with a share mode that excludes ours (Tavolin's table engine
// does) makes our opening fail with a sharing violation: the table is held.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLargestWrite = 1u << 30;  // bytes handed to one WriteFile call

// The lock range of FileSystem.h, in the two halves that LockFileEx takes. A program that locks
// the whole file covers it too.
constexpr DWORD kLockOffsetHigh = static_cast<DWORD>(kLockRangeOffset >> 32);
constexpr DWORD kLockOffsetLow = static_cast<DWORD>(kLockRangeOffset & 0xFFFFFFFFu);
constexpr DWORD kLockLength = static_cast<DWORD>(kLockRangeLength);

// The <cerrno> value that means the same as the Windows code `error`, or 0 when none does.
int CerrnoEquivalent(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_NETWORK_ACCESS_DENIED:
        case ERROR_CANT_ACCESS_FILE:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILE_TOO_LARGE:
            return EFBIG;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_DRIVE_LOCKED:
            return EBUSY;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DIR_NOT_EMPTY:
            return ENOTEMPTY;
        case ERROR_DIRECTORY:
            return EISDIR;
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW:
            return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        case ERROR_NO_UNICODE_TRANSLATION:
            return EILSEQ;
        case ERROR_CANT_RESOLVE_FILENAME:
            return ELOOP;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
        case ERROR_NO_SYSTEM_RESOURCES:
            return ENOMEM;
        case ERROR_CRC:
        case ERROR_SEEK:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
        case ERROR_FILE_CORRUPT:
        case ERROR_DISK_CORRUPT:
            return EIO;
        case ERROR_NOT_READY:
        case ERROR_NO_MEDIA_IN_DRIVE:
            return ENODEV;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            return ENOTSUP;
        case ERROR_OPERATION_ABORTED:
            return ECANCELED;
        case ERROR_SEM_TIMEOUT:
            return ETIMEDOUT;
        case ERROR_NETNAME_DELETED:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_DEV_NOT_EXIST:
            return ECONNRESET;
        case ERROR_NETWORK_UNREACHABLE:
        case ERROR_REM_NOT_LIST:
            return ENETUNREACH;
        default:
            return 0;
    }
}

int LastError() { return ErrorNumberOfWindowsCode(GetLastError()); }

// Whether another program has the existing file `path` open: opening it for deletion with share
// mode 0 then conflicts with that opening, whatever its own share mode. Without the right to
// delete it, the opening fails for that reason first, and the answer is no.
bool IsOpenInAnotherProgram(const std::filesystem::path& path) {
    const HANDLE handle = CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

// True when a fault injection in scope makes this change of `kind` fail (errno is then set).
bool Injected(ChangeKind kind) {
    ScopedFaultInjection* injection = ActiveFaultInjection();
    return injection != nullptr && injection->Fails(kind);
}

// CreateFileW with our share mode; never follows a symbolic link or junction.
HANDLE OpenHandle(const std::filesystem::path& path, DWORD access, DWORD disposition) {
    return CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Creates the file at `path`, failing when anything is there: a change, which a fault injection
// can make fail. INVALID_HANDLE_VALUE with errno set on failure.
HANDLE CreateNewFile(const std::filesystem::path& path) {
    if (Injected(ChangeKind::NeedsSpace)) return INVALID_HANDLE_VALUE;
    const HANDLE handle = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
    if (handle == INVALID_HANDLE_VALUE) errno = LastError();
    return handle;
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

// Writes `bytes` at `offset`; the errno value of a failure, or 0.
int WriteBytesAt(HANDLE handle, std::string_view bytes, std::uint64_t offset) {
    while (!bytes.empty()) {
        if (Injected(ChangeKind::NeedsSpace)) return errno;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kLargestWrite));
        OVERLAPPED where = At(offset);
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, &where)) return LastError();
        bytes.remove_prefix(written);
        offset += written;
    }
    return 0;
}

// Writes all of `parts` at `offset`; the errno value of a failure, or 0.
int WriteParts(HANDLE handle, const std::vector<std::string_view>& parts, std::uint64_t offset) {
    for (std::string_view part : parts) {
        if (const int error = WriteBytesAt(handle, part, offset); error != 0) return error;
        offset += part.size();
    }
    return 0;
}

// Cuts a file rewritten in place to its new length; it frees space, never needs it.
int TruncateFile(HANDLE handle, std::uint64_t length) {
    if (Injected(ChangeKind::MovesOrFrees)) return errno;
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    return SetFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof end) ? 0
                                                                                  : LastError();
}

// The file's data on disk before it is renamed into place.
int SyncFile(HANDLE handle) {
    if (Injected(ChangeKind::NeedsSpace)) return errno;
    return FlushFileBuffers(handle) ? 0 : LastError();
}

// Takes the lock of `handle` as `lock` without waiting, in place of one it holds already.
// Under Wine the lock is a POSIX record lock on the same range as well, which a POSIX program
// holding a record lock there refuses. A probe of the whole file is left out: a Windows lock
// is mandatory, and for as long as it lasted no other program could read the file.
bool LockHandle(HANDLE handle, FileLock lock) {
    OVERLAPPED where{};
    where.Offset = kLockOffsetLow;
    where.OffsetHigh = kLockOffsetHigh;
    UnlockFileEx(handle, 0, kLockLength, 0, &where);  // nothing to undo when none is held
    const DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (lock == FileLock::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return LockFileEx(handle, flags, 0, kLockLength, 0, &where) != 0;
}

}  // namespace

// A failing call that left no code (never seen) counts as an input or output error.
int ErrorNumberOfWindowsCode(unsigned long code) {
    if (code == ERROR_SUCCESS || code > static_cast<unsigned long>(INT_MAX)) return EIO;
    const int equivalent = CerrnoEquivalent(code);
    return equivalent != 0 ? equivalent : -static_cast<int>(code);
}

// Windows refuses to rename over a file that is open, even by this program: callers close
// their own handle of `to` first. When another program has `to` open, Windows reports a refused
// permission: the refusal becomes EBUSY when `to` is indeed open elsewhere, and stays a
// permission problem otherwise.
int RenameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (Injected(ChangeKind::MovesOrFrees)) return errno;
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    const int error = LastError();
    return error == EACCES && IsOpenInAnotherProgram(to) ? EBUSY : error;
}

int RemoveFile(const std::filesystem::path& path) {
    if (Injected(ChangeKind::MovesOrFrees)) return errno;
    return DeleteFileW(path.c_str()) ? 0 : LastError();
}

int MakeFolder(const std::filesystem::path& path) {
    if (Injected(ChangeKind::NeedsSpace)) return errno;
    return CreateDirectoryW(path.c_str(), nullptr) ? 0 : LastError();
}

int RemoveFolder(const std::filesystem::path& path) {
    if (Injected(ChangeKind::MovesOrFrees)) return errno;
    return RemoveDirectoryW(path.c_str()) ? 0 : LastError();
}

// Windows tells whether a folder takes new files only by trying: a file created new under a
// fresh name, deleted as it is closed.
bool CanWriteInFolder(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    for (int attempt = 0; attempt < kFreshNameAttempts; ++attempt) {
        const std::filesystem::path probe =
            FreshTemporaryPath(path / std::filesystem::path(L"velmaro-prueba"));
        const HANDLE handle =
            CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

bool OpenFile::TryLock(FileLock lock) { return LockHandle(Handle(*this), lock); }

int OpenFile::ReadAll(std::string& bytes) const {
    const HANDLE handle = Handle(*this);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) return LastError();
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kLargestWrite));
        OVERLAPPED where = At(done);
        DWORD got = 0;
        if (!ReadFile(handle, bytes.data() + done, chunk, &got, &where)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;  // the file shrank meanwhile
            return LastError();
        }
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return 0;
}

int OpenFile::OverwriteInPlace(std::string_view bytes) {
    const HANDLE handle = Handle(*this);
    if (const int error = WriteBytesAt(handle, bytes, 0); error != 0) return error;
    if (const int error = TruncateFile(handle, bytes.size()); error != 0) return error;
    return SyncFile(handle);
}

int OpenFile::WriteAt(const std::vector<std::string_view>& parts, std::uint64_t offset) {
    return WriteParts(Handle(*this), parts, offset);
}

int OpenFile::FlushToDisk() { return SyncFile(Handle(*this)); }

void OpenFile::Close() {
    if (handle_ < 0) return;
    CloseHandle(Handle(*this));  // closing releases the lock
    handle_ = -1;
}

OpenedFile OpenExistingFile(const std::filesystem::path& path) {
    HANDLE handle = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    bool writable = true;
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        handle = OpenHandle(path, GENERIC_READ, OPEN_EXISTING);  // readable, not writable
        writable = false;
    }
    if (handle == INVALID_HANDLE_VALUE) return {OpenFile(), false, LastError()};
    return {PlatformFile::Wrap(handle), writable, 0};
}

OpenedFile OpenLockFile(const std::filesystem::path& path) {
    HANDLE handle = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    bool writable = true;
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        handle = OpenHandle(path, GENERIC_READ, OPEN_EXISTING);  // locks all the same
        writable = false;
    } else if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        handle = CreateNewFile(path);
        if (handle == INVALID_HANDLE_VALUE) return {OpenFile(), false, errno};
    }
    if (handle == INVALID_HANDLE_VALUE) return {OpenFile(), false, LastError()};
    return {PlatformFile::Wrap(handle), writable, 0};
}

// CREATE_NEW refuses any entry that is there, a link included.
OpenedFile CreateTemporaryFile(const std::filesystem::path& target, std::filesystem::path& path) {
    for (int attempt = 0; attempt < kFreshNameAttempts; ++attempt) {
        path = FreshTemporaryPath(target);
        const HANDLE handle = CreateNewFile(path);
        if (handle == INVALID_HANDLE_VALUE && errno == EEXIST) continue;
        if (handle == INVALID_HANDLE_VALUE) return {OpenFile(), false, errno};
        LockHandle(handle, FileLock::Exclusive);  // new under a fresh name: no one else can hold it
        return {PlatformFile::Wrap(handle), true, 0};
    }
    return {OpenFile(), false, EEXIST};
}

}  // namespace velmaro::files

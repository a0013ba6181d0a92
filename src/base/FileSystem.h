#pragma once
// The program's one door to the operating system for files: every create, write, flush, rename
// and delete of the work tables, their backups, the result document and Tavolin.ini goes
// through these calls, so that tests can make any change fail (FaultInjection.h), and so that
// each platform implements them in one file of its own. Failures are reported as a system
// error number (the <cerrno> values: ENOENT, EACCES, ENOSPC...), which SystemReason words. On
// Windows each Windows code becomes the <cerrno> value that means the same, and a code that has
// none is carried as its negative (-code), so that its message gives the number Windows gave.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmaro::files {

// Renames `from` over `to`, replacing it atomically; 0 or the error number.
int RenameFile(const std::filesystem::path& from, const std::filesystem::path& to);
// Deletes the file at `path`; 0 or the error number.
int RemoveFile(const std::filesystem::path& path);
// Creates the folder `path` with the user's usual permissions; 0 or the error number (EEXIST
// when something is there already).
int MakeFolder(const std::filesystem::path& path);
// Removes the empty folder `path`; 0 or the error number.
int RemoveFolder(const std::filesystem::path& path);
// Whether this process may create and replace files in the folder `path`.
bool CanWriteInFolder(const std::filesystem::path& path);

// A short Spanish reason for a system error number, for messages that name the file; "error del
// sistema número N" for one it does not know (N the Windows code for a negative number).
std::string SystemReason(int error);

#ifdef _WIN32
// The error number that the file calls report for the Windows code `code` (GetLastError): the
// <cerrno> value that means the same, or -code when there is none.
int ErrorNumberOfWindowsCode(unsigned long code);
#endif

// How an open file's advisory lock is held: shared by readers, or by one program alone.
enum class FileLock { Shared, Exclusive };

// The byte range that every program of both builds locks to say it holds a file: one byte far
// beyond the end of any real file, so that the lock keeps no one from reading or writing the
// content (Windows locks are mandatory for the bytes they cover). The Windows build locks it
// with LockFileEx, which Wine turns into a POSIX record lock on the same range; the POSIX build
// locks it with an open-file-description record lock, so each build sees the other's lock on
// one folder shared through Wine.
inline constexpr std::uint64_t kLockRangeOffset = 0x7FFFFFFF00000000;
inline constexpr std::uint64_t kLockRangeLength = 1;

// An open file, closed by its destructor; closing releases the lock held on it.
class OpenFile {
public:
    OpenFile() = default;
    OpenFile(OpenFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}
    OpenFile& operator=(OpenFile&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, -1);
        }
        return *this;
    }
    ~OpenFile() { Close(); }

    bool IsOpen() const { return handle_ >= 0; }
    // Takes the file's lock as `lock` on the lock range without waiting, in place of one this
    // file holds already; false when another open file holds a lock that conflicts with it. On
    // POSIX systems a conflicting lock anywhere in the file counts too (a Windows program under
    // Wine may lock the whole file or some of its records), and a file open only for reading,
    // which cannot hold an exclusive record lock, holds a shared one once no other holds any.
    bool TryLock(FileLock lock);
    // Sets `bytes` to the whole content; 0 or the error number. A file that shrinks meanwhile
    // gives what is there.
    int ReadAll(std::string& bytes) const;
    // Makes `bytes` the whole content of this file, opened for writing, in place: writes them
    // from the start, cuts the file to their length and flushes it to disk; 0 or the error
    // number. Unlike ReplaceFile this is not atomic: a failure part way may leave a mix.
    int OverwriteInPlace(std::string_view bytes);
    // Writes the concatenation of `parts` from byte `offset` of this file, opened for writing;
    // 0 or the error number.
    int WriteAt(const std::vector<std::string_view>& parts, std::uint64_t offset);
    // Flushes what was written to this file to disk; 0 or the error number.
    int FlushToDisk();
    // Closes the file; safe to call twice.
    void Close();

private:
    friend struct PlatformFile;
    explicit OpenFile(long long handle) : handle_(handle) {}
    long long handle_ = -1;  // the platform's file descriptor or handle
};

// What OpenExistingFile gives: the file, whether it could be opened for writing, or the error.
struct OpenedFile {
    OpenFile file;
    bool writable = false;
    int error = 0;
};

// Opens the existing file at `path` for reading and writing, or only for reading when writing
// is not allowed (a read-only file or disk). Opening is not a change. EBUSY when another
// program holds the file for itself alone (a Windows share mode), as it holds a lock.
OpenedFile OpenExistingFile(const std::filesystem::path& path);

// Opens the lock file at `path` for a lock that lasts as long as the file stays open, creating
// it (empty) when it is missing; a link is never followed. Creating it is a change; opening an
// existing one is not.
OpenedFile OpenLockFile(const std::filesystem::path& path);

// The temporary files of ReplaceFile and PendingReplacement lie beside their target, named
// ".NAME.XXXXXXXX.velmaro-nuevo" with a fresh random part: each is created new (never a file or
// a link that is already there, whatever its name), so nothing planted beside the target can
// receive the content. A run that is killed may leave one behind; no later run opens it.
inline constexpr const char* kReplacementSuffix = ".velmaro-nuevo";

// What ReplaceFile leaves: error 0 and, when asked to keep it, the new file (open read-write,
// holding the exclusive lock); or the error number of the failing call.
struct Replacement {
    int error = 0;
    OpenFile file;
};

// Writes the concatenation of `parts` to a new temporary file beside `target` (locked while
// written, with the permissions of an existing `target`), flushes it to disk and renames it over
// `target`.
// At every moment `target` is either its old content or the new one, never a mix. On failure
// the temporary file is removed (when that still works) and `target` is untouched.
Replacement ReplaceFile(const std::filesystem::path& target,
                        const std::vector<std::string_view>& parts, bool keepOpen = false);

// Where the content of a file being replaced goes, piece after piece.
class ContentSink {
public:
    // Appends `parts` to what was written before; the error number of a failure, or 0.
    virtual int Write(const std::vector<std::string_view>& parts) = 0;

protected:
    ~ContentSink() = default;
};

// A replacement of a file whose content is written piece after piece before it is committed:
// the pieces go to a new temporary file beside it, and Commit flushes that to disk and renames it
// over `target`. Until then `target` keeps its old content; destroyed without a commit, or after a
// failure, the temporary file is removed.
class PendingReplacement final : public ContentSink {
public:
    // Creates the temporary file, locked, with the permissions of an existing `target`;
    // OpenError tells whether that failed.
    explicit PendingReplacement(const std::filesystem::path& target);
    ~PendingReplacement();
    PendingReplacement(const PendingReplacement&) = delete;
    PendingReplacement& operator=(const PendingReplacement&) = delete;

    // The error number of a failed opening, or 0.
    int OpenError() const { return openError_; }
    // Appends `parts` to the temporary file; the error number of a failure, or 0.
    int Write(const std::vector<std::string_view>& parts) override;
    // Flushes the temporary file and renames it over `target`: what ReplaceFile leaves. On
    // failure the temporary file is removed and `target` is untouched.
    Replacement Commit(bool keepOpen = false);

private:
    // Closes and removes the temporary file, when this replacement still holds it.
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    OpenFile file_;
    int openError_ = 0;
    std::size_t end_ = 0;  // bytes written so far
};

// ReplaceFile for content made while it is written: produce(sink) writes it and returns 0, or
// the error number that stops the replacement. When produce fails or throws, the temporary
// file is removed and `target` is untouched (the exception goes on to the caller).
Replacement ReplaceFileWith(const std::filesystem::path& target,
                            const std::function<int(ContentSink&)>& produce);

}  // namespace velmaro::files

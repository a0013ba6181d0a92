#pragma once
// The program's one door to the operating system for changing files: every create, write,
// truncate, flush, rename and delete of the work tables, their backups, the result document and
// Tavolin.ini goes through these calls, so that tests can make any one of them fail
// (FaultInjection.h). The calls have the shape of their POSIX counterparts: -1 (or a negative
// count) with errno set on failure.

#include <sys/types.h>
#include <sys/uio.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmaro::files {

// open(2). Counted as a change when `flags` hold O_CREAT or O_TRUNC.
int OpenFile(const std::filesystem::path& path, int flags, mode_t mode = 0);
// pwritev(2): writes `count` buffers at `offset`.
ssize_t WriteAt(int descriptor, const iovec* buffers, int count, off_t offset);
// ftruncate(2).
int TruncateFile(int descriptor, off_t length);
// fsync(2): the file's data on disk before it is renamed into place.
int SyncFile(int descriptor);
// rename(2): replaces `to` atomically.
int RenameFile(const std::filesystem::path& from, const std::filesystem::path& to);
// unlink(2).
int RemoveFile(const std::filesystem::path& path);
// mkdir(2) with the usual permissions (narrowed by the umask).
int MakeFolder(const std::filesystem::path& path);
// rmdir(2): removes an empty folder.
int RemoveFolder(const std::filesystem::path& path);

// A short Spanish reason for a system error number, for messages that name the file.
std::string SystemReason(int error);

// The temporary file beside `target` that ReplaceFile writes before renaming it into place.
// Its name is fixed per target, so a run that was killed leaves at most one behind, which the
// next replacement of the same file reuses.
std::filesystem::path ReplacementPath(const std::filesystem::path& target);

// What ReplaceFile leaves: 0 and, when asked to keep it, the new file's descriptor (open
// read-write, holding an exclusive flock lock); or the errno value of the failing call.
struct Replacement {
    int error = 0;
    int descriptor = -1;
};

// Writes the concatenation of `parts` to ReplacementPath(target) (locked while written, with
// the permissions of an existing `target`), flushes it to disk and renames it over `target`.
// At every moment `target` is either its old content or the new one, never a mix. On failure
// the temporary file is removed (when that still works) and `target` is untouched.
Replacement ReplaceFile(const std::filesystem::path& target,
                        const std::vector<std::string_view>& parts, bool keepOpen = false);

// Where the content of a file being replaced goes, piece after piece.
class ContentSink {
public:
    // Appends `parts` to what was written before; the errno value of a failure, or 0.
    virtual int Write(const std::vector<std::string_view>& parts) = 0;

protected:
    ~ContentSink() = default;
};

// A replacement of a file whose content is written piece after piece before it is committed:
// the pieces go to ReplacementPath(target), and Commit flushes it to disk and renames it over
// `target`. Until then `target` keeps its old content; destroyed without a commit, or after a
// failure, the temporary file is removed.
class PendingReplacement final : public ContentSink {
public:
    // Opens ReplacementPath(target) empty and locked, with the permissions of an existing
    // `target`; OpenError tells whether that failed.
    explicit PendingReplacement(const std::filesystem::path& target);
    ~PendingReplacement();
    PendingReplacement(const PendingReplacement&) = delete;
    PendingReplacement& operator=(const PendingReplacement&) = delete;

    // The errno value of a failed opening, or 0.
    int OpenError() const { return openError_; }
    // Appends `parts` to the temporary file; the errno value of a failure, or 0.
    int Write(const std::vector<std::string_view>& parts) override;
    // Flushes the temporary file and renames it over `target`: what ReplaceFile leaves. On
    // failure the temporary file is removed and `target` is untouched.
    Replacement Commit(bool keepOpen = false);

private:
    // Closes and removes the temporary file, when this replacement still holds it.
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int descriptor_ = -1;
    int openError_ = 0;
    off_t end_ = 0;
};

// ReplaceFile for content made while it is written: produce(sink) writes it and returns 0, or
// the errno value that stops the replacement. When produce fails or throws, the temporary file
// is removed and `target` is untouched (the exception goes on to the caller).
Replacement ReplaceFileWith(const std::filesystem::path& target,
                            const std::function<int(ContentSink&)>& produce);

}  // namespace velmaro::files

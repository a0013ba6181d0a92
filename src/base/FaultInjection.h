#pragma once
// A test hook on the file layer (FileSystem.h): makes the N-th change to a file fail as a full
// or broken disk would, or ends the process there as a kill would, to show that every job stops
// cleanly wherever that happens. Without an injection in scope the layer only tests one pointer
// per call.

#include <cerrno>
#include <cstddef>

namespace velmaro::files {

enum class FaultPersistence {
    Once,        // only the N-th call fails; later calls work again (a passing fault)
    FromThenOn,  // the N-th call and every later one fail (a disk that stays broken or full)
};

// What a change to a file does to the disk's free space.
enum class ChangeKind {
    NeedsSpace,    // creating a file or a folder, writing, flushing to disk
    MovesOrFrees,  // renaming, deleting a file or an empty folder
};

// Which changes an injection counts and makes fail.
enum class FaultScope {
    EveryChange,   // a broken disk: any change may fail
    NeedingSpace,  // a full disk: only changes that need space fail; renames and deletions work
};

// What happens at the failing change.
enum class FaultEffect {
    FailTheCall,  // the call fails with the error, as a broken or full disk makes it fail
    EndProcess,   // the process ends on the spot, before the change, without running any more
                  // of its code (std::_Exit): as a kill or a power cut would stop it there
    KillProcess,  // the process is killed on the spot, before the change, by SIGKILL where the
                  // system has it (elsewhere it ends as with EndProcess)
};

// The exit status of a process ended by FaultEffect::EndProcess.
inline constexpr int kEndedByFaultStatus = 86;

// While alive, counts every change within `scope` that goes through the file layer on this
// thread and makes the `failAt`-th one (1-based) fail with `error` (or ends the process there,
// as `effect` says); a `failAt` of 0 only counts.
// Injections nest: the innermost one is active and the outer one is back when it ends.
class ScopedFaultInjection {
public:
    explicit ScopedFaultInjection(std::size_t failAt,
                                  FaultPersistence persistence = FaultPersistence::Once,
                                  int error = EIO, FaultScope scope = FaultScope::EveryChange,
                                  FaultEffect effect = FaultEffect::FailTheCall);
    ~ScopedFaultInjection();
    ScopedFaultInjection(const ScopedFaultInjection&) = delete;
    ScopedFaultInjection& operator=(const ScopedFaultInjection&) = delete;

    // The changes within the scope attempted so far, the failed ones included.
    std::size_t Calls() const { return calls_; }
    // Whether a call has been made to fail.
    bool Injected() const { return injected_; }

    // Counts one change of `kind` when it is within the scope; true (with errno set) when it is
    // to fail. Used by the file layer.
    bool Fails(ChangeKind kind);

private:
    std::size_t failAt_;
    FaultPersistence persistence_;
    int error_;
    FaultScope scope_;
    FaultEffect effect_;
    std::size_t calls_ = 0;
    bool injected_ = false;
    ScopedFaultInjection* outer_;
};

// The injection in scope on this thread, or nullptr.
ScopedFaultInjection* ActiveFaultInjection();

}  // namespace velmaro::files

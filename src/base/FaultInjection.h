#pragma once
// A test hook on the file layer (FileSystem.h): makes the N-th change to a file fail as a full
// or broken disk would, to show that every job stops cleanly wherever that happens. Without an
// injection in scope the layer only tests one pointer per call.

#include <cerrno>
#include <cstddef>

namespace velmaro::files {

enum class FaultPersistence {
    Once,        // only the N-th call fails; later calls work again (a passing fault)
    FromThenOn,  // the N-th call and every later one fail (a disk that stays full)
};

// While alive, counts every change that goes through the file layer on this thread and makes
// the `failAt`-th one (1-based) fail with `error`; a `failAt` of 0 only counts. Injections
// nest: the innermost one is active and the outer one is back when it ends.
class ScopedFaultInjection {
public:
    explicit ScopedFaultInjection(std::size_t failAt,
                                  FaultPersistence persistence = FaultPersistence::Once,
                                  int error = EIO);
    ~ScopedFaultInjection();
    ScopedFaultInjection(const ScopedFaultInjection&) = delete;
    ScopedFaultInjection& operator=(const ScopedFaultInjection&) = delete;

    // The changes attempted so far, the failed ones included.
    std::size_t Calls() const { return calls_; }
    // Whether a call has been made to fail.
    bool Injected() const { return injected_; }

    // Counts one change; true (with errno set) when it is to fail. Used by the file layer.
    bool Fails();

private:
    std::size_t failAt_;
    FaultPersistence persistence_;
    int error_;
    std::size_t calls_ = 0;
    bool injected_ = false;
    ScopedFaultInjection* outer_;
};

// The injection in scope on this thread, or nullptr.
ScopedFaultInjection* ActiveFaultInjection();

}  // namespace velmaro::files

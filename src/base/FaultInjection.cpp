#include "base/FaultInjection.h"

#include <csignal>
#include <cstdlib>

namespace velmaro::files {

namespace {

// The innermost injection of this thread; tests own it through ScopedFaultInjection.
thread_local ScopedFaultInjection* active = nullptr;

// Kills this process by SIGKILL, which it cannot catch; ends it at once where there is none.
[[noreturn]] void KillThisProcess() {
#ifdef SIGKILL
    std::raise(SIGKILL);
#endif
    std::_Exit(kEndedByFaultStatus);
}

}  // namespace

ScopedFaultInjection::ScopedFaultInjection(std::size_t failAt, FaultPersistence persistence,
                                           int error, FaultScope scope, FaultEffect effect)
    : failAt_(failAt),
      persistence_(persistence),
      error_(error),
      scope_(scope),
      effect_(effect),
      outer_(active) {
    active = this;
}

ScopedFaultInjection::~ScopedFaultInjection() { active = outer_; }

bool ScopedFaultInjection::Fails(ChangeKind kind) {
    if (scope_ == FaultScope::NeedingSpace && kind != ChangeKind::NeedsSpace) return false;
    ++calls_;
    const bool fails =
        failAt_ != 0 &&
        (calls_ == failAt_ || (calls_ > failAt_ && persistence_ == FaultPersistence::FromThenOn));
    if (fails && effect_ == FaultEffect::EndProcess) std::_Exit(kEndedByFaultStatus);
    if (fails && effect_ == FaultEffect::KillProcess) KillThisProcess();
    if (fails) {
        injected_ = true;
        errno = error_;
    }
    return fails;
}

ScopedFaultInjection* ActiveFaultInjection() { return active; }

}  // namespace velmaro::files

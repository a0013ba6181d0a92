#pragma once
// Another program holding a file on Windows: velmaro-hold-file locks the whole file with
// LockFileEx, shared or exclusive, as a second Windows process (included through HeldFile.h).

#include <filesystem>

#include "support/WindowsHoldingProcess.h"

namespace velmaro::testing {

class HeldFile {
public:
    enum Lock { Shared, Exclusive };

    // Starts the holder of `path` and returns once its lock is taken or has failed.
    HeldFile(const std::filesystem::path& path, Lock lock)
        : holder_(lock == Shared ? L"shared-lock" : L"lock", path), locked_(holder_.Holds()) {}

    bool Locked() const { return locked_; }

private:
    HoldingProcess holder_;
    bool locked_;
};

}  // namespace velmaro::testing

#pragma once
// Another program holding a file on Windows: velmaro-hold-file locks the whole file with
// LockFileEx, shared or exclusive, or opens it for itself alone (share mode 0), as a second
// Windows process (included through HeldFile.h).

#include <filesystem>

#include "support/WindowsHoldingProcess.h"

namespace velmaro::testing {

class HeldFile {
public:
    // Shared or exclusive lock, or open alone with share mode 0.
    enum Lock { Shared, Exclusive, OpenAlone };

    // Starts the holder of `path` and returns once its lock is taken or has failed.
    HeldFile(const std::filesystem::path& path, Lock lock)
        : holder_(Mode(lock), path), locked_(holder_.Holds()) {}

    // Whether the holder holds the file as asked.
    bool Locked() const { return locked_; }

private:
    static const wchar_t* Mode(Lock lock) {
        return lock == Shared ? L"shared-lock" : lock == Exclusive ? L"lock" : L"share";
    }

    HoldingProcess holder_;
    bool locked_;
};

}  // namespace velmaro::testing

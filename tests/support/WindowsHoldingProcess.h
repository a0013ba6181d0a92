#pragma once
// A second Windows process holding a file, as another Windows program (Tavolin, another
// Velmaro) holds it: velmaro-hold-file, started with CreateProcessW, until this object goes.

#include <windows.h>

#include <filesystem>
#include <string>

#include "support/WindowsCommandLine.h"

namespace velmaro::testing {

class HoldingProcess {
public:
    // Starts velmaro-hold-file with `mode` ("share", "lock" or "shared-lock") on `file`.
    HoldingProcess(const std::wstring& mode, const std::filesystem::path& file) {
        SECURITY_ATTRIBUTES inherit = InheritableHandles();
        HANDLE childInput = nullptr;
        HANDLE childOutput = nullptr;
        if (!CreatePipe(&childInput, &input_, &inherit, 0)) return;
        if (!CreatePipe(&output_, &childOutput, &inherit, 0)) {
            CloseHandle(childInput);
            return;
        }
        SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
        const std::wstring holder = std::filesystem::path(VELMARO_HOLD_FILE).wstring();
        std::wstring line = CommandLine(holder, {mode, file.wstring()});
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = childOutput;
        started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process_) != 0;
        CloseHandle(childInput);
        CloseHandle(childOutput);
    }
    ~HoldingProcess() {
        if (input_ != nullptr) CloseHandle(input_);  // the end of its input lets the file go
        if (started_) {
            WaitForSingleObject(process_.hProcess, INFINITE);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        if (output_ != nullptr) CloseHandle(output_);
    }
    HoldingProcess(const HoldingProcess&) = delete;
    HoldingProcess& operator=(const HoldingProcess&) = delete;

    // Waits until the process says it holds the file; false when it ends without holding it.
    bool Holds() {
        std::string said;
        char byte;
        DWORD got = 0;
        while (started_ && ReadFile(output_, &byte, 1, &got, nullptr) && got > 0) {
            if (byte == '\n') return said == "retenido";
            if (byte != '\r') said += byte;  // the holder writes text lines, CR LF
        }
        return false;
    }

    // Ends the process at once, as a program killed by the user ends: Windows then lets go of
    // whatever it held.
    void Kill() {
        if (!started_) return;
        TerminateProcess(process_.hProcess, 9);
        WaitForSingleObject(process_.hProcess, INFINITE);
    }

private:
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

}  // namespace velmaro::testing

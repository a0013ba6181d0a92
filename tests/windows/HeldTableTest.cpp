// A work table held by another Windows program, as Tavolin holds its tables: velmaro-cli.exe
// exportar refuses, naming the table, and changes no table. The holder is a second process
// (velmaro-hold-file), which holds PROFT.DBF either for itself alone (share mode 0) or with a
// lock over the whole file (LockFileEx).

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace velmaro::testing {
namespace {

namespace fs = std::filesystem;

// One argument quoted for a Windows command line (none of ours holds a quote).
std::wstring Quoted(const fs::path& argument) { return L"\"" + argument.wstring() + L"\""; }

// A handle that a child process inherits.
SECURITY_ATTRIBUTES Inheritable() {
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.bInheritHandle = TRUE;
    return attributes;
}

struct Finished {
    DWORD status = 0;
    std::string err;
};

// Runs `program` with `arguments`, standard error into a file of `scratch`, and waits for it.
Finished RunWindowsProgram(const fs::path& program, const std::vector<fs::path>& arguments,
                           const ScratchFolder& scratch) {
    std::wstring line = Quoted(program);
    for (const fs::path& argument : arguments) line += L" " + Quoted(argument);
    SECURITY_ATTRIBUTES inherit = Inheritable();
    const fs::path errPath = scratch / "errores.txt";
    const HANDLE err = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = err;
    startup.hStdOutput = err;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        CloseHandle(err);
        throw std::runtime_error("CreateProcessW falló");
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    Finished finished;
    GetExitCodeProcess(process.hProcess, &finished.status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(err);
    finished.err = ReadBytes(errPath);
    return finished;
}

// A second process holding a file, until this object goes.
class HoldingProcess {
public:
    HoldingProcess(const std::wstring& mode, const fs::path& file) {
        SECURITY_ATTRIBUTES inherit = Inheritable();
        HANDLE childInput = nullptr;
        HANDLE childOutput = nullptr;
        CreatePipe(&childInput, &input_, &inherit, 0);
        CreatePipe(&output_, &childOutput, &inherit, 0);
        SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
        std::wstring line = Quoted(VELMARO_HOLD_FILE) + L" " + mode + L" " + Quoted(file);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process_) != 0;
        CloseHandle(childInput);
        CloseHandle(childOutput);
    }
    ~HoldingProcess() {
        CloseHandle(input_);  // the end of its input lets the file go
        if (started_) {
            WaitForSingleObject(process_.hProcess, INFINITE);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        CloseHandle(output_);
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

private:
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

// Every file of `folder` with its bytes, but the run lock's file.
std::map<std::string, std::string> FilesOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() != "velmaro-bloqueo") {
            files[entry.path().filename().string()] = ReadBytes(entry.path());
        }
    }
    return files;
}

class HeldTable : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(HeldTable, ExportarRefusesNamingTheTableAndChangesNoTable) {
    ScratchFolder scratch;
    const fs::path work = scratch.Folder("TTEMP");
    const fs::path document = scratch / "RacimaEjemplo.xml";
    fs::copy_file(fs::path(VELMARO_SOURCE_DIR) / "data" / "sample" / "RacimaEjemplo.xml",
                  document);
    const std::vector<fs::path> exportar = {"exportar",      "--xml",         document,
                                            "--work-dir",    work,            "--program-dir",
                                            VELMARO_RUNTIME_DIR, "--marcos",  "4401,4402"};
    ASSERT_EQ(RunWindowsProgram(VELMARO_CLI, exportar, scratch).status, 0u);
    const fs::path proft = work / "PROFT.DBF";
    const std::string proftBefore = ReadBytes(proft);
    std::map<std::string, std::string> before = FilesOf(work);

    Finished refused;
    {
        HoldingProcess holder(GetParam(), proft);
        ASSERT_TRUE(holder.Holds());
        refused = RunWindowsProgram(VELMARO_CLI, exportar, scratch);
    }

    EXPECT_EQ(refused.status, 1u);
    EXPECT_NE(refused.err.find("PROFT.DBF"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("está abierta en otro programa"), std::string::npos)
        << refused.err;
    EXPECT_EQ(FilesOf(work), before);
    EXPECT_EQ(ReadBytes(proft), proftBefore);
}

INSTANTIATE_TEST_SUITE_P(ShareModeOrLock, HeldTable, ::testing::Values(L"share", L"lock"),
                         [](const auto& info) {
                             return std::wstring(info.param) == L"share" ? "ShareModeNone"
                                                                        : "LockFileEx";
                         });

}  // namespace
}  // namespace velmaro::testing

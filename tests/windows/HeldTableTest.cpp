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
#include "support/WindowsCommandLine.h"
#include "support/WindowsHoldingProcess.h"

namespace velmaro::testing {
namespace {

namespace fs = std::filesystem;

struct Finished {
    DWORD status = 0;
    std::string err;
};

// Runs `program` with `arguments`, standard error into a file of `scratch`, and waits for it.
Finished RunWindowsProgram(const fs::path& program, const std::vector<fs::path>& arguments,
                           const ScratchFolder& scratch) {
    std::vector<std::wstring> wide;
    for (const fs::path& argument : arguments) wide.push_back(argument.wstring());
    std::wstring line = CommandLine(program.wstring(), wide);
    SECURITY_ATTRIBUTES inherit = InheritableHandles();
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

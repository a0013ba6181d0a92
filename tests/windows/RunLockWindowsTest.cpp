// The run lock of a work-table folder held by another Windows process, with LockFileEx or by
// keeping the lock file for itself alone (share mode 0): a job is refused at once, naming the
// folder, and the lock goes with the process when it is killed.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/FileSystem.h"
#include "jobs/WorkFolderRun.h"
#include "support/ExpectError.h"
#include "support/ScratchFolder.h"
#include "support/WindowsHoldingProcess.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ErrorMessage;
using testing::HoldingProcess;
using testing::ScratchFolder;

TEST(RunLockWindows, HeldByAnotherProcessUntilItIsKilled) {
    ScratchFolder scratch;
    const fs::path workDir = scratch.Folder("TTEMP");
    files::OpenLockFile(workDir / kRunLockFileName).file.Close();  // the file a run leaves
    const std::string message =
        "Otro trabajo de Velmaro (exportar, importar o restaurar una copia) está usando la "
        "carpeta de las tablas de trabajo '" +
        workDir.string() + "'";

    for (const wchar_t* mode : {L"lock", L"share"}) {
        SCOPED_TRACE(fs::path(mode).string());
        HoldingProcess other(mode, workDir / kRunLockFileName);
        ASSERT_TRUE(other.Holds());
        EXPECT_NE(ErrorMessage([&] { WorkFolderRun::Begin(workDir); }).find(message),
                  std::string::npos);
        other.Kill();
        EXPECT_NO_THROW(WorkFolderRun::Begin(workDir));
    }
}

}  // namespace
}  // namespace velmaro

// velmaro-cli restore killed by SIGKILL at each file change of its run in turn, its commit
// included (a test hook in the environment, VELMARO_TEST_KILL_AT_CHANGE, lands the kill on that
// exact change, so no kill depends on timing), then the next job, another velmaro-cli, settles
// what it left: the files are byte for byte all as they were or all as the backup holds them,
// every table whole as our reader and an independent one (python3-dbfread) see it, and nothing
// of the killed run lies in the work-table folder.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "cli/QuietCliProcess.h"
#include "jobs/StagedTables.h"
#include "jobs/TableBackups.h"
#include "support/RunProgram.h"
#include "support/ScratchFolder.h"
#include "support/WholeTable.h"

extern char** environ;

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::FileStates;
using testing::ProgramRun;
using testing::ScratchFolder;
using testing::Snapshot;
using testing::StartQuietly;
using testing::WaitFor;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kSample = fs::path(VELMARO_SOURCE_DIR) / "data" / "sample" / "RacimaEjemplo.xml";
const fs::path kGenerator = fs::path(VELMARO_SOURCE_DIR) / "bench" / "generate_school.py";
const fs::path kChecker = fs::path(VELMARO_TEST_DATA_DIR) / "check_whole_tables.py";
constexpr const char* kKillHook = "VELMARO_TEST_KILL_AT_CHANGE";
constexpr std::size_t kMostChanges = 2000;  // far beyond one restore's: the hook never fired

// velmaro-cli restore `id` on `workDir`, killed by the hook at its `killAt`-th file change, its
// output thrown away; the raw wait status.
int RestoreKilledAt(const fs::path& workDir, const std::string& id, std::size_t killAt) {
    std::string hook = std::string(kKillHook) + "=" + std::to_string(killAt);
    std::vector<char*> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.push_back(*variable);
    }
    environment.push_back(hook.data());
    environment.push_back(nullptr);
    return WaitFor(
        StartQuietly(kCli, {"restore", id, "--work-dir", workDir.string()}, environment.data()));
}

// The names of the entries under `folder` that a run cut short leaves: temporary files and
// backups being copied.
std::vector<std::string> LeftOvers(const fs::path& folder) {
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(files::kReplacementSuffix) || name.ends_with(".parcial")) {
            found.push_back(entry.path().string());
        }
    }
    return found;
}

class KillDuringRestore : public ::testing::Test {
protected:
    KillDuringRestore() : scratch(testing::MemoryBackedTemporaryFolder()) {}

    void SetUp() override {
        // The tables of a generated school, then those of the sample school, whose conversion
        // backs up the first ones: restoring that backup changes the tables.
        seed = scratch.Folder("semilla");
        const fs::path generated = scratch.Path() / "generada.xml";
        const ProgramRun generator = testing::RunProgram(
            "/usr/bin/python3", {kGenerator.string(), "--scale", "1", "--out", generated.string()},
            scratch);
        ASSERT_EQ(generator.status, 0) << generator.err;
        ASSERT_EQ(Exportar(generated, "JM,JT").status, 0);
        ASSERT_EQ(Exportar(kSample, "4401").status, 0);
        const std::vector<TableBackup> backups = ListBackups(seed);
        ASSERT_EQ(backups.size(), 1u);
        backupId = backups[0].id;
        current = Snapshot(seed);
        restored = current;
        for (const std::string& name : backups[0].files) {
            restored[name] = testing::ReadBytes(seed / kBackupFolderName / backupId / name);
        }
        ASSERT_NE(restored.at("PROFT.DBF"), current.at("PROFT.DBF"));
        ASSERT_NE(restored.at("AULAT.DBF"), current.at("AULAT.DBF"));
    }

    ProgramRun Exportar(const fs::path& document, const std::string& frameworks) {
        return testing::RunProgram(
            kCli,
            {"exportar", "--xml", document.string(), "--work-dir", seed.string(), "--program-dir",
             VELMARO_RUNTIME_DIR, "--marcos", frameworks},
            scratch);
    }

    fs::path CopyOfSeed(const std::string& name) const {
        const fs::path dir = scratch.Path() / name;
        fs::copy(seed, dir, fs::copy_options::recursive);
        return dir;
    }

    // The next job in the folder: another restore, of a backup that does not exist, which
    // settles what the killed one left before it refuses.
    void RunNextJob(const fs::path& workDir) const {
        const ProgramRun next = testing::RunProgram(
            kCli, {"restore", "19990101-000000", "--work-dir", workDir.string()}, scratch);
        EXPECT_EQ(next.status, 1);
        EXPECT_NE(next.err.find("No existe la copia de seguridad '19990101-000000'"),
                  std::string::npos)
            << next.err;
    }

    ScratchFolder scratch;
    fs::path seed;
    std::string backupId;
    FileStates current;
    FileStates restored;
};

TEST_F(KillDuringRestore, AtEveryFileChangeTheNextJobLeavesAllAsBeforeOrAllRestored) {
    std::size_t killedInCommit = 0;
    std::size_t killedBeforeCommit = 0;
    for (std::size_t killAt = 1;; ++killAt) {
        ASSERT_LT(killAt, kMostChanges) << "the hook never ended the restore";
        SCOPED_TRACE("killed at file change " + std::to_string(killAt));
        const fs::path workDir = CopyOfSeed("muerte-" + std::to_string(killAt));
        const int status = RestoreKilledAt(workDir, backupId, killAt);
        if (WIFEXITED(status)) {
            // The restore's run has fewer changes: it completed.
            EXPECT_EQ(WEXITSTATUS(status), 0);
            EXPECT_EQ(Snapshot(workDir), restored);
            EXPECT_GT(killedInCommit, 0u) << "no kill landed in the commit";
            EXPECT_GT(killedBeforeCommit, 0u);
            break;
        }
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        const bool inCommit = fs::exists(workDir / kStagingFolderName / kJournalFileName);
        ++(inCommit ? killedInCommit : killedBeforeCommit);

        RunNextJob(workDir);
        const FileStates states = Snapshot(workDir);
        if (inCommit) {
            EXPECT_EQ(states, restored) << "a journal written is finished by the next job";
        } else {
            EXPECT_TRUE(states == current || states == restored) << "a mix of tables";
        }
        EXPECT_FALSE(fs::exists(workDir / kStagingFolderName));
        EXPECT_EQ(LeftOvers(workDir), std::vector<std::string>{});
        for (const auto& [name, bytes] : states) {
            if (bytes && name.ends_with(".DBF")) testing::ExpectWholeTable(workDir / name);
        }
        fs::remove_all(workDir);
    }

    // Every folder's files are byte for byte the current ones or the backup's: the independent
    // reader reads those.
    std::vector<std::string> arguments = {kChecker.string()};
    for (const auto& [name, bytes] : current) {
        if (!name.ends_with(".DBF")) continue;
        if (bytes) arguments.push_back((seed / name).string());
        if (restored.at(name) != bytes) {
            arguments.push_back((seed / kBackupFolderName / backupId / name).string());
        }
    }
    const ProgramRun read = testing::RunProgram("/usr/bin/python3", arguments, scratch);
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "") << "tables that python3-dbfread finds broken";
}

}  // namespace
}  // namespace velmaro

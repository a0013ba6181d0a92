// velmaro-cli exportar killed (SIGKILL) at many moments of a large conversion: every table file
// left behind, in the work-table folder and in its backups, is whole, as our reader and an
// independent one (python3-dbfread) see it: its header's record count matches its records.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "support/RunProgram.h"
#include "support/ScratchFolder.h"
#include "support/WholeTable.h"
#include "base/FileSystem.h"

extern char** environ;

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::ScratchFolder;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kGenerator = fs::path(VELMARO_SOURCE_DIR) / "bench" / "generate_school.py";
const fs::path kChecker = fs::path(VELMARO_TEST_DATA_DIR) / "check_whole_tables.py";
constexpr int kScale = 4;        // a school four times a large one: thousands of rows per table
constexpr int kKillPoints = 16;  // moments spread over one conversion's run time

// A running velmaro-cli exportar on `workDir`, its output thrown away.
pid_t StartExportar(const fs::path& document, const fs::path& workDir) {
    const std::vector<std::string> arguments = {
        kCli.string(), "exportar",       "--xml",         document.string(),
        "--work-dir",  workDir.string(), "--program-dir", VELMARO_RUNTIME_DIR,
        "--marcos",    "JM,JT"};
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2}) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY,
                                         0);
    }
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, kCli.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("posix_spawn");
    return pid;
}

// The raw wait status of `pid`.
int WaitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Every .DBF file under `folder`, backups included.
std::vector<fs::path> TableFiles(const fs::path& folder) {
    std::vector<fs::path> tables;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".DBF") {
            tables.push_back(entry.path());
        }
    }
    return tables;
}

class KillDuringExportar : public ::testing::Test {
protected:
    void SetUp() override {
        document = scratch.Path() / "escuela-grande.xml";
        const testing::ProgramRun generated = testing::RunProgram(
            "/usr/bin/python3",
            {kGenerator.string(), "--scale", std::to_string(kScale), "--out", document.string()},
            scratch);
        ASSERT_EQ(generated.status, 0) << generated.err;
        // The folder as a complete earlier conversion left it, so a run replaces every table.
        seed = scratch.Folder("semilla");
        ASSERT_EQ(WEXITSTATUS(WaitFor(StartExportar(document, seed))), 0);
        fs::remove_all(seed / "velmaro-copias");
    }

    fs::path CopyOfSeed(const std::string& name) const {
        const fs::path dir = scratch.Path() / name;
        fs::copy(seed, dir, fs::copy_options::recursive);
        return dir;
    }

    ScratchFolder scratch;
    fs::path document;
    fs::path seed;
};

TEST_F(KillDuringExportar, EveryTableLeftBehindIsWhole) {
    const fs::path timed = CopyOfSeed("medida");
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(WEXITSTATUS(WaitFor(StartExportar(document, timed))), 0);
    const auto runTime = Clock::now() - start;

    int killedMidRun = 0;
    std::vector<std::string> checkerArguments = {kChecker.string()};
    std::unordered_set<std::string> contentsSeen;  // the independent reader sees each one once
    for (int point = 0; point < kKillPoints; ++point) {
        const auto delay = runTime * (point + 0.5) / kKillPoints;
        SCOPED_TRACE(
            "killed after " +
            std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(delay).count()) +
            " µs");
        const fs::path workDir = CopyOfSeed("muerte-" + std::to_string(point));
        const pid_t pid = StartExportar(document, workDir);
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        if (WIFSIGNALED(WaitFor(pid))) ++killedMidRun;

        const std::vector<fs::path> tables = TableFiles(workDir);
        EXPECT_GE(tables.size(), 10u);
        for (const fs::path& table : tables) {
            testing::ExpectWholeTable(table);
            if (contentsSeen.insert(testing::ReadBytes(table)).second) {
                checkerArguments.push_back(table.string());
            }
        }
    }
    EXPECT_GE(killedMidRun, kKillPoints / 2) << "most kills must land while the run is going";

    // Kills at the moment a table's new file is being written: the n-th time its temporary
    // file appears beside it (the first write creates the table empty, the second fills it).
    // The file exists only for moments, and a busy machine can let the run finish before the
    // kill lands: each case is tried a few times until one kill lands during the run.
    constexpr int kAttemptsPerCase = 4;
    int killedWhileWriting = 0;
    for (const char* name : {"ASIGNOMT2.DBF", "PROFT.DBF", "ASIGT.DBF", "PERIODOS.DBF"}) {
        for (int appearance = 1; appearance <= 2; ++appearance) {
            bool killed = false;
            for (int attempt = 1; attempt <= kAttemptsPerCase && !killed; ++attempt) {
                const std::string label =
                    std::string(name) + std::to_string(appearance) + "-" + std::to_string(attempt);
                SCOPED_TRACE(label + ": " + name + " written, time " +
                             std::to_string(appearance));
                const fs::path workDir = CopyOfSeed("escribiendo-" + label);
                const fs::path temporary = files::ReplacementPath(workDir / name);
                const pid_t pid = StartExportar(document, workDir);
                const Clock::time_point deadline = Clock::now() + runTime * 5;
                for (int seen = 0, present = 0; seen < appearance && Clock::now() < deadline;) {
                    const int now = fs::exists(temporary) ? 1 : 0;
                    if (now && !present) ++seen;
                    present = now;
                }
                ::kill(pid, SIGKILL);
                killed = WIFSIGNALED(WaitFor(pid));
                for (const fs::path& table : TableFiles(workDir)) {
                    testing::ExpectWholeTable(table);
                    if (contentsSeen.insert(testing::ReadBytes(table)).second) {
                        checkerArguments.push_back(table.string());
                    }
                }
            }
            if (killed) ++killedWhileWriting;
        }
    }
    EXPECT_GE(killedWhileWriting, 4);

    const testing::ProgramRun checked =
        testing::RunProgram("/usr/bin/python3", checkerArguments, scratch);
    EXPECT_EQ(checked.status, 0) << checked.err;
    EXPECT_EQ(checked.out, "") << "tables that python3-dbfread finds broken";
}

}  // namespace
}  // namespace velmaro

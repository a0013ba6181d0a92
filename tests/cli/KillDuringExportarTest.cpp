// velmaro-cli exportar killed (SIGKILL) at random moments of a large conversion: once the next
// job's start has settled what the killed run left, the files the conversion replaces are
// either all as they were or all as a clean run writes them, never a mix; every table is whole,
// as our reader and an independent one (python3-dbfread) see it. (Every moment of the commit
// itself, which lasts too short a time to aim a signal at, is covered by the inbound fault
// tests, which end the process at each file change in turn.)

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "jobs/ReplacedWorkFiles.h"
#include "jobs/StagedTables.h"
#include "jobs/WorkFolderRun.h"
#include "support/RunProgram.h"
#include "support/ScratchFolder.h"
#include "support/WholeTable.h"

extern char** environ;

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::ScratchFolder;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kGenerator = fs::path(VELMARO_SOURCE_DIR) / "bench" / "generate_school.py";
const fs::path kChecker = fs::path(VELMARO_TEST_DATA_DIR) / "check_whole_tables.py";
constexpr int kScale = 3;           // thousands of rows per table: a run long enough to hit
constexpr int kRandomKills = 12;    // kills at random moments of one conversion's run time

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

// The content of every file the conversion replaces or removes; nothing for an absent one.
using FileStates = std::map<std::string, std::optional<std::string>>;

FileStates Snapshot(const fs::path& workDir) {
    FileStates states;
    for (const std::string& name : ReplacedWorkFiles()) {
        states[name] = fs::exists(workDir / name)
                           ? std::optional(testing::ReadBytes(workDir / name))
                           : std::nullopt;
    }
    return states;
}

class KillDuringExportar : public ::testing::Test {
protected:
    void SetUp() override {
        document = Generate("escuela-grande.xml", kScale);
        // The folder as a complete conversion of a smaller school left it: every table differs.
        seed = scratch.Folder("semilla");
        ASSERT_EQ(WEXITSTATUS(WaitFor(StartExportar(Generate("anterior.xml", 1), seed))), 0);
        fs::remove_all(seed / "velmaro-copias");
        before = Snapshot(seed);

        const fs::path clean = CopyOfSeed("limpia");
        const Clock::time_point start = Clock::now();
        ASSERT_EQ(WEXITSTATUS(WaitFor(StartExportar(document, clean))), 0);
        runTime = Clock::now() - start;
        after = Snapshot(clean);
        ASSERT_NE(before, after);
    }

    fs::path Generate(const std::string& name, int scale) {
        const fs::path path = scratch.Path() / name;
        const testing::ProgramRun generated = testing::RunProgram(
            "/usr/bin/python3",
            {kGenerator.string(), "--scale", std::to_string(scale), "--out", path.string()},
            scratch);
        EXPECT_EQ(generated.status, 0) << generated.err;
        return path;
    }

    fs::path CopyOfSeed(const std::string& name) const {
        const fs::path dir = scratch.Path() / name;
        fs::copy(seed, dir, fs::copy_options::recursive);
        return dir;
    }

    // Starts the next job's hold on the folder, which settles what the killed run left, then
    // expects the files all as before or all as after, every table whole, no staging folder.
    void ExpectSettledAllOrNothing(const fs::path& workDir) {
        try {
            WorkFolderRun::Begin(workDir);
        } catch (const std::exception& error) {
            ADD_FAILURE() << "the next job cannot start: " << error.what();
        }
        EXPECT_FALSE(fs::exists(workDir / kStagingFolderName));
        const FileStates states = Snapshot(workDir);
        EXPECT_TRUE(states == before || states == after) << "a mix of earlier and new tables";
        for (const auto& [name, bytes] : states) {
            if (bytes && name.ends_with(".DBF")) {
                testing::ExpectWholeTable(workDir / name);
                checked.push_back((workDir / name).string());
            }
        }
    }

    ScratchFolder scratch;
    fs::path document;
    fs::path seed;
    FileStates before;
    FileStates after;
    Clock::duration runTime{};
    std::vector<std::string> checked;  // the tables for the independent reader
};

TEST_F(KillDuringExportar, AtRandomMomentsTablesAreAllEarlierOrAllNew) {
    std::mt19937 random(std::random_device{}());
    std::uniform_real_distribution<double> moment(0.0, 1.1);
    int killedMidRun = 0;
    for (int kill = 0; kill < kRandomKills; ++kill) {
        const auto delay = std::chrono::duration_cast<Clock::duration>(runTime * moment(random));
        SCOPED_TRACE(
            "killed after " +
            std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(delay).count()) +
            " µs");
        const fs::path workDir = CopyOfSeed("muerte-" + std::to_string(kill));
        const pid_t pid = StartExportar(document, workDir);
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        if (WIFSIGNALED(WaitFor(pid))) ++killedMidRun;
        ExpectSettledAllOrNothing(workDir);
    }
    EXPECT_GE(killedMidRun, kRandomKills / 2) << "most kills must land while the run is going";

    const testing::ProgramRun read = testing::RunProgram(
        "/usr/bin/python3",
        [&] {
            std::vector<std::string> arguments = {kChecker.string()};
            arguments.insert(arguments.end(), checked.begin(), checked.end());
            return arguments;
        }(),
        scratch);
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "") << "tables that python3-dbfread finds broken";
}

}  // namespace
}  // namespace velmaro

// velmaro-cli exportar killed (SIGKILL) at random moments of a large conversion: once the next
// job's start has settled what the killed run left, the files the conversion replaces are
// either all as they were or all as a clean run writes them, never a mix; every table is whole,
// as our reader and an independent one (python3-dbfread) see it. (Every moment of the commit
// itself, which lasts too short a time to aim a signal at, is covered by the inbound fault
// tests, which end the process at each file change in turn.) The moments come from a seed that
// the test prints and VELMARO_TEST_SEED replays (support/SeededRandom.h).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "cli/QuietCliProcess.h"
#include "jobs/StagedTables.h"
#include "jobs/WorkFolderRun.h"
#include "support/RunProgram.h"
#include "support/ScratchFolder.h"
#include "support/SeededRandom.h"
#include "support/WholeTable.h"

extern char** environ;

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::FileStates;
using testing::ScratchFolder;
using testing::Snapshot;
using testing::StartQuietly;
using testing::WaitFor;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kGenerator = fs::path(VELMARO_SOURCE_DIR) / "bench" / "generate_school.py";
const fs::path kChecker = fs::path(VELMARO_TEST_DATA_DIR) / "check_whole_tables.py";
constexpr int kScale = 3;        // thousands of rows per table: a run long enough to hit
constexpr int kMidRunKills = 6;  // kills that must end a run before it completes
constexpr int kMostKills = 40;   // the kills tried at most to get them

// A running velmaro-cli exportar on `workDir`, its output thrown away.
pid_t StartExportar(const fs::path& document, const fs::path& workDir) {
    return StartQuietly(kCli,
                        {"exportar", "--xml", document.string(), "--work-dir", workDir.string(),
                         "--program-dir", VELMARO_RUNTIME_DIR, "--marcos", "JM,JT"},
                        environ);
}

// `duration` in whole microseconds.
long long Microseconds(Clock::duration duration) {
    return std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
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

    // Starts the next job's hold on the folder, which settles what the previous run left, then
    // expects the files as one of `allowed` says, every table whole, no staging folder.
    void ExpectSettled(const fs::path& workDir, const std::vector<const FileStates*>& allowed) {
        try {
            WorkFolderRun::Begin(workDir);
        } catch (const std::exception& error) {
            ADD_FAILURE() << "the next job cannot start: " << error.what();
        }
        EXPECT_FALSE(fs::exists(workDir / kStagingFolderName));
        const FileStates states = Snapshot(workDir);
        EXPECT_TRUE(std::any_of(allowed.begin(), allowed.end(),
                                [&](const FileStates* state) { return states == *state; }))
            << (allowed.size() > 1 ? "a mix of earlier and new tables"
                                   : "a completed run did not leave its new tables");
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

// Each kill is told by how the child ended: killed by the signal, it was stopped before or
// while it converted, and the tables are all earlier or all new; exited, the run had completed
// before the kill, and the tables are all new. The moments are drawn up to a little past the
// measured run time; a kill that comes after the run ended brings the aim down to its moment,
// so that a machine running faster than when the run was measured still gets its kills.
TEST_F(KillDuringExportar, AtRandomMomentsTablesAreAllEarlierOrAllNew) {
    testing::SeededRandom random;
    SCOPED_TRACE(random.Replay());
    Clock::duration aim = runTime + runTime / 10;
    int killedMidRun = 0;
    int kills = 0;
    for (; killedMidRun < kMidRunKills && kills < kMostKills; ++kills) {
        const double fraction = random.Uniform(0, 1);
        const auto delay = std::chrono::duration_cast<Clock::duration>(aim * fraction);
        const std::string moment = "kill " + std::to_string(kills) + ", after " +
                                   std::to_string(Microseconds(delay)) + " µs (" +
                                   std::to_string(fraction) + " of " +
                                   std::to_string(Microseconds(aim)) + " µs)";
        SCOPED_TRACE(moment);
        const fs::path workDir = CopyOfSeed("muerte-" + std::to_string(kills));
        const pid_t pid = StartExportar(document, workDir);
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        const int status = WaitFor(pid);
        const bool stoppedTheRun = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        std::cout << moment << (stoppedTheRun ? ": stopped the run" : ": the run had ended")
                  << std::endl;
        if (stoppedTheRun) {
            ++killedMidRun;
            ExpectSettled(workDir, {&before, &after});
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "the run ended by itself with wait status " << status;
            ExpectSettled(workDir, {&after});
            aim = delay;
        }
    }
    EXPECT_EQ(killedMidRun, kMidRunKills)
        << "of " << kills << " kills, only " << killedMidRun << " stopped the run";

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

// One job at a time in a work-table folder: a second job is refused at once, naming the folder,
// and the lock goes with a process that is killed. At its start every job settles what a
// stopped inbound conversion left: a commit journal is finished, a staging folder without one
// is removed, and a damaged journal stops the job. The journal's text reads back as written
// and refuses anything that is not one.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "jobs/CommitJournal.h"
#include "jobs/InboundJob.h"
#include "jobs/OutboundJob.h"
#include "jobs/StagedTables.h"
#include "jobs/WorkFolderRun.h"
#include "support/ExpectError.h"
#include "support/FakeInteraction.h"
#include "support/HeldFile.h"
#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ErrorMessage;
using testing::FakeInteraction;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

const std::string kEarlier = "tabla anterior";

class WorkFolderRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        workDir = scratch.Folder("TTEMP");
        session.paths.workDir = workDir;
        session.paths.programDir = scratch.Folder("programa");
        fs::copy_file(fs::path(VELMARO_RUNTIME_DIR) / "NIVELLARI.DBF",
                      session.paths.programDir / "NIVELLARI.DBF");
        school = scratch.File(
            "escuela.xml",
            testing::SchoolXml()
                .Section("EMPLEADOS", {{"1048000", "01/09/2026", "590", "García", "López", "Ana"}})
                .Section("JORNADAS_ESCOLARES", {{"4401", "Mañana", "09/09/2026", "22/06/2027"}})
                .Text());
        WriteBytes(workDir / "PROFT.DBF", kEarlier);
    }

    std::string LockMessage() const {
        return "Otro trabajo de Velmaro (exportar, importar o restaurar una copia) está usando la "
               "carpeta de las tablas de trabajo '" +
               workDir.string() + "'";
    }

    ScratchFolder scratch;
    fs::path workDir;
    fs::path school;
    Session session;
};

TEST_F(WorkFolderRunTest, AnotherJobInTheFolderIsRefusedAtOnce) {
    {
        const WorkFolderRun running = WorkFolderRun::Begin(workDir);
        EXPECT_NE(ErrorMessage([&] { WorkFolderRun::Begin(workDir); }).find(LockMessage()),
                  std::string::npos);

        FakeInteraction exportar;
        exportar.picks.push_back(school);
        RunInboundJob(session, exportar);
        ASSERT_EQ(exportar.errors.size(), 1u);
        EXPECT_NE(exportar.errors[0].find(LockMessage()), std::string::npos) << exportar.errors[0];
        EXPECT_TRUE(exportar.errors[0].ends_with("No se ha modificado ninguna tabla."));
        EXPECT_EQ(session.resultCode, 0);
        EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF"), kEarlier);

        FakeInteraction importar;
        importar.picks.push_back(school);
        EXPECT_FALSE(RunOutboundJob(session, importar));
        ASSERT_EQ(importar.errors.size(), 1u);
        EXPECT_NE(importar.errors[0].find(LockMessage()), std::string::npos) << importar.errors[0];
        EXPECT_EQ(session.resultCode, 0);
    }
    FakeInteraction after;
    after.picks.push_back(school);
    RunInboundJob(session, after);
    EXPECT_TRUE(after.errors.empty()) << after.errors.front();
    EXPECT_EQ(session.resultCode, 1);
    EXPECT_NE(ReadBytes(workDir / "PROFT.DBF"), kEarlier);
}

#ifndef _WIN32
// A forked process killed with SIGKILL (windows/RunLockWindowsTest.cpp kills a Windows one).
TEST_F(WorkFolderRunTest, TheLockGoesWithAKilledProcess) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const WorkFolderRun running = WorkFolderRun::Begin(workDir);
        (void)!::write(ready[1], "1", 1);
        for (;;) ::pause();
    }
    char taken = 0;
    ASSERT_EQ(::read(ready[0], &taken, 1), 1);
    EXPECT_NE(ErrorMessage([&] { WorkFolderRun::Begin(workDir); }).find(LockMessage()),
              std::string::npos);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_NO_THROW(WorkFolderRun::Begin(workDir));
    EXPECT_TRUE(fs::exists(workDir / kRunLockFileName)) << "the lock file itself may stay";
}

// The process-owned record locks that Wine's server takes for a Windows job (velmaro-cli.exe
// on the lock range) or for a Windows program that locks the whole lock file.
TEST_F(WorkFolderRunTest, RecordLocksOfAnotherProcessHoldTheFolder) {
    files::OpenLockFile(workDir / kRunLockFileName).file.Close();  // the file a run leaves
    const std::vector<std::pair<const char*, testing::HeldFile::Range>> cases = {
        {"the lock range", {static_cast<off_t>(files::kLockRangeOffset),
                            static_cast<off_t>(files::kLockRangeLength)}},
        {"the whole file", {0, 0}},
    };
    for (const auto& [name, range] : cases) {
        SCOPED_TRACE(name);
        {
            testing::HeldFile other(workDir / kRunLockFileName, testing::HeldFile::Exclusive,
                                    range);
            ASSERT_TRUE(other.Locked());
            EXPECT_NE(ErrorMessage([&] { WorkFolderRun::Begin(workDir); }).find(LockMessage()),
                      std::string::npos);
        }
        EXPECT_NO_THROW(WorkFolderRun::Begin(workDir));
    }
}
#endif

TEST_F(WorkFolderRunTest, MissingFolderIsNamed) {
    const fs::path missing = scratch / "no-existe";
    EXPECT_EQ(ErrorMessage([&] { WorkFolderRun::Begin(missing); }),
              "No existe la carpeta de las tablas de trabajo '" + missing.string() + "'.");
}

// What a stopped inbound conversion may leave, and what the next job's start makes of it.
struct LeftCase {
    const char* name;
    std::optional<std::string> journal;  // the journal's text, when there is one
    std::vector<std::string> staged;     // files in the staging folder
    std::vector<std::string> aside;      // files already moved aside
    std::vector<std::string> inWork;     // the tables of the work folder before the start:
                                         // "NAME" earlier, "NAME*" already the new one
    std::vector<std::string> expected;   // after: "NAME" earlier, "NAME*" new
};

TEST_F(WorkFolderRunTest, StartSettlesWhatAStoppedConversionLeft) {
    const std::string twoTables = JournalText({{"PROFT.DBF", true, {"PROFT.DBF"}},
                                               {"AULAT.DBF", true, {"AULAT.DBF"}},
                                               {"JORNADAS.DBF", false, {"JORNADAS.DBF"}}});
    const std::vector<LeftCase> cases = {
        {"staged tables without a journal",
         std::nullopt,
         {"PROFT.DBF", "AULAT.DBF"},
         {},
         {"PROFT.DBF", "AULAT.DBF", "JORNADAS.DBF"},
         {"PROFT.DBF", "AULAT.DBF", "JORNADAS.DBF"}},
        {"journal written, nothing moved",
         twoTables,
         {"PROFT.DBF", "AULAT.DBF"},
         {},
         {"PROFT.DBF", "AULAT.DBF", "JORNADAS.DBF"},
         {"PROFT.DBF*", "AULAT.DBF*"}},
        {"first table moved aside, not yet replaced",
         twoTables,
         {"PROFT.DBF", "AULAT.DBF"},
         {"PROFT.DBF"},
         {"AULAT.DBF", "JORNADAS.DBF"},
         {"PROFT.DBF*", "AULAT.DBF*"}},
        {"first table in place",
         twoTables,
         {"AULAT.DBF"},
         {"PROFT.DBF"},
         {"PROFT.DBF*", "AULAT.DBF", "JORNADAS.DBF"},
         {"PROFT.DBF*", "AULAT.DBF*"}},
        {"every file moved, journal not yet removed",
         twoTables,
         {},
         {"PROFT.DBF", "AULAT.DBF", "JORNADAS.DBF"},
         {"PROFT.DBF*", "AULAT.DBF*"},
         {"PROFT.DBF*", "AULAT.DBF*"}},
    };
    for (const LeftCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const fs::path work = folder.Folder("TTEMP");
        const fs::path staging = work / kStagingFolderName;
        fs::create_directories(staging / kRetiredFolderName);
        if (c.journal) WriteBytes(staging / kJournalFileName, *c.journal);
        for (const std::string& name : c.staged) WriteBytes(staging / name, "nueva " + name);
        for (const std::string& name : c.aside) {
            WriteBytes(staging / kRetiredFolderName / name, "anterior " + name);
        }
        for (std::string name : c.inWork) {
            const bool isNew = name.ends_with('*');
            if (isNew) name.pop_back();
            WriteBytes(work / name, (isNew ? "nueva " : "anterior ") + name);
        }

        WorkFolderRun::Begin(work);

        EXPECT_FALSE(fs::exists(staging));
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(work)) {
            const std::string name = entry.path().filename().string();
            if (name == kRunLockFileName) continue;
            found.push_back(ReadBytes(entry.path()).starts_with("nueva") ? name + "*" : name);
        }
        std::sort(found.begin(), found.end());
        std::vector<std::string> expected = c.expected;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected);
    }
}

#ifndef _WIN32
// The C++ library of MinGW-w64 makes no symbolic links.
TEST_F(WorkFolderRunTest, StartNeverFollowsALinkInPlaceOfTheStagingFolder) {
    const fs::path elsewhere = scratch.Folder("otra-carpeta");
    WriteBytes(elsewhere / "PROFT.DBF", "de otra carpeta");
    fs::create_directory_symlink(elsewhere, workDir / kStagingFolderName);
    WorkFolderRun::Begin(workDir);
    EXPECT_FALSE(fs::exists(fs::symlink_status(workDir / kStagingFolderName)));
    EXPECT_EQ(ReadBytes(elsewhere / "PROFT.DBF"), "de otra carpeta");
}
#endif

TEST_F(WorkFolderRunTest, DamagedJournalStopsTheJobAndMovesNothing) {
    const fs::path staging = workDir / kStagingFolderName;
    const std::string journal = JournalText({{"PROFT.DBF", true, {"PROFT.DBF"}}});
    WriteBytes(staging / kJournalFileName, journal.substr(0, journal.size() - 4));
    WriteBytes(staging / "PROFT.DBF", "nueva");
    const std::string message = ErrorMessage([&] { WorkFolderRun::Begin(workDir); });
    EXPECT_NE(message.find((staging / kJournalFileName).string()), std::string::npos) << message;
    EXPECT_NE(message.find("dañado"), std::string::npos) << message;
    EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF"), kEarlier);
    EXPECT_EQ(ReadBytes(staging / "PROFT.DBF"), "nueva");
}

TEST(CommitJournal, ReadsBackWhatItWroteAndRefusesAnythingElse) {
    const std::vector<CommitEntry> entries = {
        {"ASIGT.DBF", true, {"ASIGT.DBF", "asigt.dbf"}},
        {"DIASHORAST2.MDX", true, {}},
        {"JORNADAS.DBF", false, {"Jornadas.DBF"}},
    };
    const std::string text = JournalText(entries);
    EXPECT_EQ(ParseJournal(text), entries);
    EXPECT_EQ(ParseJournal(JournalText({})), std::vector<CommitEntry>{});

    const std::string first = "VELMARO-DIARIO 1\n";
    const std::vector<std::pair<const char*, std::string>> refused = {
        {"empty", ""},
        {"cut short", text.substr(0, text.size() - 1)},
        {"without its last line", first + "PONER\tA.DBF\tA.DBF\n"},
        {"another format", "VELMARO-DIARIO 2\nFIN\n"},
        {"unknown action", first + "COPIAR\tA.DBF\nFIN\n"},
        {"a name with a folder", first + "PONER\t../A.DBF\nFIN\n"},
        {"a retired file of another name", first + "QUITAR\tA.DBF\tB.DBF\nFIN\n"},
        {"a retired file in another folder", first + "QUITAR\tA.DBF\tsub/a.dbf\nFIN\n"},
    };
    for (const auto& [name, bad] : refused) {
        EXPECT_FALSE(ParseJournal(bad)) << name;
    }
}

}  // namespace
}  // namespace velmaro

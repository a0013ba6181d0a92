// What only POSIX file systems have: the replacement of a file keeps the mode of the file it
// replaces, and the lock file of a job is never opened through a symbolic link. A lock is a
// record lock, which meets the process-owned record locks of another process (those that
// Wine's server takes for a Windows program) on the lock range or anywhere in the file; and
// /proc tells which files another process has open, whatever lock it holds.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "base/FileReplacers.h"
#include "base/FileSystem.h"
#include "base/OpenElsewhere.h"
#include "support/HeldFile.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::HeldFile;
using testing::kReplacers;
using testing::ReadBytes;
using testing::ScratchFolder;

mode_t ModeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

TEST(FileReplacement, KeepsTheModeOfTheFileItReplaces) {
    const mode_t umask = ::umask(022);
    ::umask(umask);
    for (const auto& [replacer, replace] : kReplacers) {
        SCOPED_TRACE(replacer);
        ScratchFolder folder;
        for (mode_t mode : {0600, 0640, 0444, 0664}) {
            const fs::path target = folder.File("TABLA" + std::to_string(mode) + ".DBF", "antes");
            ASSERT_EQ(::chmod(target.c_str(), mode), 0);
            ASSERT_EQ(replace(target, "después"), 0);
            EXPECT_EQ(ModeOf(target), mode) << std::oct << mode;
            EXPECT_EQ(ReadBytes(target), "después");
        }
        const fs::path created = folder / "NUEVA.DBF";
        ASSERT_EQ(replace(created, "primera vez"), 0);
        EXPECT_EQ(ModeOf(created), 0666 & ~umask) << "a new file as any new document";
    }
}

TEST(LockFile, NeverOpenedThroughALink) {
    ScratchFolder folder;
    const fs::path victim = folder.File("ajeno.txt", "datos");
    const fs::path linked = folder / "enlace-bloqueo";
    fs::create_symlink(victim, linked);
    EXPECT_EQ(files::OpenLockFile(linked).error, ELOOP);
    EXPECT_EQ(ReadBytes(victim), "datos");
}

// Another process's record lock, and what our locks of the same file make of it.
struct RecordLockCase {
    const char* name;
    HeldFile::Lock lock;
    HeldFile::Range range;
    bool sharedTaken;     // whether our shared lock is taken meanwhile
    bool exclusiveTaken;  // whether our exclusive lock is taken meanwhile
};

const HeldFile::Range kWholeFile = {0, 0};
const HeldFile::Range kFirstRecords = {0, 64};
const HeldFile::Range kLockRange = {static_cast<off_t>(files::kLockRangeOffset),
                                    static_cast<off_t>(files::kLockRangeLength)};

TEST(RecordLock, AnotherProcessLockOnTheLockRangeOrAnywhereInTheFileIsSeen) {
    const std::vector<RecordLockCase> cases = {
        {"shared, whole file", HeldFile::Shared, kWholeFile, true, false},
        {"exclusive, whole file", HeldFile::Exclusive, kWholeFile, false, false},
        {"shared, lock range", HeldFile::Shared, kLockRange, true, false},
        {"exclusive, lock range", HeldFile::Exclusive, kLockRange, false, false},
        {"shared, first records only", HeldFile::Shared, kFirstRecords, true, false},
        {"exclusive, first records only", HeldFile::Exclusive, kFirstRecords, false, false},
    };
    for (const RecordLockCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const fs::path table = folder.File("PROFT.DBF", std::string(200, 'x'));
        HeldFile other(table, c.lock, c.range);
        ASSERT_TRUE(other.Locked());
        EXPECT_EQ(files::OpenExistingFile(table).file.TryLock(files::FileLock::Shared),
                  c.sharedTaken);
        EXPECT_EQ(files::OpenExistingFile(table).file.TryLock(files::FileLock::Exclusive),
                  c.exclusiveTaken);
    }
}

TEST(RecordLock, OursKeepsOutAnotherProcessOnTheLockRangeOnly) {
    ScratchFolder folder;
    const fs::path table = folder.File("PROFT.DBF", std::string(200, 'x'));
    files::OpenedFile ours = files::OpenExistingFile(table);
    ASSERT_TRUE(ours.file.TryLock(files::FileLock::Exclusive));
    EXPECT_FALSE(HeldFile(table, HeldFile::Shared, kWholeFile).Locked());
    EXPECT_FALSE(HeldFile(table, HeldFile::Shared, kLockRange).Locked());
    EXPECT_TRUE(HeldFile(table, HeldFile::Exclusive, kFirstRecords).Locked())
        << "the content stays free for others to lock, as on Windows";

    ASSERT_TRUE(ours.file.TryLock(files::FileLock::Shared)) << "the lock turns shared in place";
    EXPECT_TRUE(HeldFile(table, HeldFile::Shared, kLockRange).Locked());
    EXPECT_FALSE(HeldFile(table, HeldFile::Exclusive, kLockRange).Locked());
    ours.file.Close();
    EXPECT_TRUE(HeldFile(table, HeldFile::Exclusive, kWholeFile).Locked());
}

TEST(OpenElsewhere, AnotherProcessOpeningCountsUnderAnyNameOursDoesNot) {
    ScratchFolder folder;
    const fs::path theirs = folder.File("PROFT.DBF", "profesores");
    const fs::path alias = folder / "otro-nombre.dbf";
    fs::create_hard_link(theirs, alias);
    const fs::path ours = folder.File("AULAT.DBF", "aulas");
    const fs::path missing = folder / "JORNADAS.DBF";
    const files::OpenedFile ourOpening = files::OpenExistingFile(ours);
    ASSERT_EQ(ourOpening.error, 0);
    {
        HeldFile other(theirs, HeldFile::OpenAlone);
        ASSERT_TRUE(other.Locked());
        EXPECT_EQ(files::OpenInOtherProcesses({ours, theirs, missing, alias}),
                  (std::vector<bool>{false, true, false, true}));
    }
    EXPECT_EQ(files::OpenInOtherProcesses({ours, theirs, missing, alias}),
              (std::vector<bool>{false, false, false, false}))
        << "a process that has closed the file no longer has it open";
}

}  // namespace
}  // namespace velmaro

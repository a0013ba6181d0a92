// The replacement of a file through a temporary file beside it: created new under a fresh name
// (nothing planted beside the target, at any name, receives the content), with the mode of the
// file it replaces; and the lock file a job holds.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "support/ScratchFolder.h"
#include "support/TemporaryFiles.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

// The two ways the file layer replaces a file: whole, or piece after piece.
const std::vector<std::pair<const char*, std::function<int(const fs::path&, std::string_view)>>>
    kReplacers = {
        {"ReplaceFile",
         [](const fs::path& target, std::string_view bytes) {
             return files::ReplaceFile(target, {bytes}).error;
         }},
        {"PendingReplacement",
         [](const fs::path& target, std::string_view bytes) {
             files::PendingReplacement pending(target);
             if (pending.OpenError() != 0) return pending.OpenError();
             if (const int error = pending.Write({bytes.substr(0, 3), bytes.substr(3)})) {
                 return error;
             }
             return pending.Commit().error;
         }},
};

mode_t ModeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

TEST(FileReplacement, PlantedEntriesBesideTheTargetReceiveNothing) {
    // Entries an earlier version's fixed temporary name would have opened: a hard link to a
    // file elsewhere, and a symbolic link to another.
    struct Planted {
        const char* name;
        void (*plant)(const fs::path& victim, const fs::path& at);
        std::uintmax_t victimLinks;  // the names the victim's data has while the entry is there
    };
    const std::vector<Planted> planted = {
        {"hard link",
         [](const fs::path& victim, const fs::path& at) { fs::create_hard_link(victim, at); }, 2},
        {"symbolic link",
         [](const fs::path& victim, const fs::path& at) { fs::create_symlink(victim, at); }, 1},
    };
    for (const auto& [replacer, replace] : kReplacers) {
        for (const Planted& p : planted) {
            SCOPED_TRACE(std::string(replacer) + ", " + p.name);
            ScratchFolder folder;
            const fs::path victim = folder.File("ajeno.txt", "datos de otro usuario");
            const fs::path target = folder.File("ResultadoOrvikX.xml", "resultado anterior");
            const fs::path oldName = folder / ".ResultadoOrvikX.xml.velmaro-nuevo";
            p.plant(victim, oldName);

            ASSERT_EQ(replace(target, "resultado nuevo"), 0);
            EXPECT_EQ(ReadBytes(target), "resultado nuevo");
            EXPECT_EQ(ReadBytes(victim), "datos de otro usuario");
            EXPECT_EQ(fs::hard_link_count(victim), p.victimLinks);
            EXPECT_TRUE(fs::exists(fs::symlink_status(oldName))) << "left as it was";
            EXPECT_EQ(testing::TemporaryFilesBeside(target).size(), 1u) << "only the planted one";
        }
    }
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

TEST(FileReplacement, EachReplacementWritesItsOwnTemporaryFile) {
    ScratchFolder folder;
    const fs::path target = folder.File("Tavolin.ini", "anterior");
    files::PendingReplacement first(target);
    files::PendingReplacement second(target);
    ASSERT_EQ(first.OpenError(), 0);
    ASSERT_EQ(second.OpenError(), 0) << "the same target does not share a temporary file";
    EXPECT_EQ(testing::TemporaryFilesBeside(target).size(), 2u);
    ASSERT_EQ(first.Write({"primera"}), 0);
    ASSERT_EQ(second.Write({"segunda"}), 0);
    ASSERT_EQ(first.Commit().error, 0);
    EXPECT_EQ(ReadBytes(target), "primera");
    ASSERT_EQ(second.Commit().error, 0);
    EXPECT_EQ(ReadBytes(target), "segunda");
    EXPECT_TRUE(testing::TemporaryFilesBeside(target).empty());
}

TEST(LockFile, CreatedWhenMissingNeverThroughALink) {
    ScratchFolder folder;
    const fs::path lock = folder / "velmaro-bloqueo";
    files::OpenedFile opened = files::OpenLockFile(lock);
    ASSERT_EQ(opened.error, 0);
    EXPECT_TRUE(fs::is_regular_file(lock));
    EXPECT_TRUE(opened.file.TryLock(files::FileLock::Exclusive));
    files::OpenedFile again = files::OpenLockFile(lock);
    ASSERT_EQ(again.error, 0);
    EXPECT_FALSE(again.file.TryLock(files::FileLock::Exclusive)) << "held by the first opening";
    opened.file.Close();
    EXPECT_TRUE(again.file.TryLock(files::FileLock::Exclusive)) << "released by closing";

    const fs::path victim = folder.File("ajeno.txt", "datos");
    const fs::path linked = folder / "enlace-bloqueo";
    fs::create_symlink(victim, linked);
    EXPECT_EQ(files::OpenLockFile(linked).error, ELOOP);
    EXPECT_EQ(ReadBytes(victim), "datos");
}

}  // namespace
}  // namespace velmaro

// The replacement of a file through a temporary file beside it: created new under a fresh name
// (nothing planted beside the target, at any name, receives the content); and the lock file a job
// holds. The modes that POSIX files keep, and links, are in FileSystemPosixTest.cpp.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/FileReplacers.h"
#include "base/FileSystem.h"
#include "support/ScratchFolder.h"
#include "support/TemporaryFiles.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::kReplacers;
using testing::WriteBytes;

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
#ifndef _WIN32
        // The C++ library of MinGW-w64 makes no symbolic links.
        {"symbolic link",
         [](const fs::path& victim, const fs::path& at) { fs::create_symlink(victim, at); }, 1},
#endif
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
#ifndef _WIN32
            // MinGW-w64's C runtime counts one link for every file.
            EXPECT_EQ(fs::hard_link_count(victim), p.victimLinks);
#endif
            EXPECT_TRUE(fs::exists(fs::symlink_status(oldName))) << "left as it was";
            EXPECT_EQ(ReadBytes(oldName), "datos de otro usuario") << "still the victim's data";
            EXPECT_EQ(testing::TemporaryFilesBeside(target).size(), 1u) << "only the planted one";
        }
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

TEST(LockFile, CreatedWhenMissingAndHeldUntilClosed) {
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
}

}  // namespace
}  // namespace velmaro

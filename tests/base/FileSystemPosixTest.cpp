// What only POSIX file systems have: the replacement of a file keeps the mode of the file it
// replaces, and the lock file of a job is never opened through a symbolic link.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "base/FileReplacers.h"
#include "base/FileSystem.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
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

}  // namespace
}  // namespace velmaro

// Tables held by another process: a clear error naming the table, and nothing deleted.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "app/Error.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

// A child process that holds an flock lock on a file until it is destroyed.
class LockingProcess {
public:
    LockingProcess(const std::filesystem::path& path, int operation) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(path.c_str(), O_RDONLY);
            const char ok = (fd >= 0 && ::flock(fd, operation) == 0) ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            char ignored;
            (void)!::read(release[0], &ignored, 1);  // returns when the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        releaseFd_ = release[1];
        char ok = '0';
        (void)!::read(ready[0], &ok, 1);
        ::close(ready[0]);
        locked_ = ok == '1';
    }
    ~LockingProcess() {
        ::close(releaseFd_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    bool Locked() const { return locked_; }

private:
    pid_t pid_ = -1;
    int releaseFd_ = -1;
    bool locked_ = false;
};

void ExpectHeldError(const std::function<void()>& action, const std::string& file) {
    try {
        action();
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("abierta en otro programa"), std::string::npos) << message;
        EXPECT_NE(message.find(file), std::string::npos) << message;
    }
}

class HeldTable : public ::testing::Test {
protected:
    HeldTable() {
        DbfTable table = RebuildWorkTable(folder_.Path(), layouts::DIASHORAST2);
        table.SetText(table.Append(), "DIHO", "L1");
    }
    std::filesystem::path Table() const { return folder_ / "DIASHORAST2.DBF"; }
    ScratchFolder folder_;
};

TEST_F(HeldTable, ExclusiveHolderBlocksEveryOpenCreateAndRebuild) {
    const std::string before = ReadBytes(Table());
    const std::string indexBefore = ReadBytes(folder_ / "DIASHORAST2.MDX");
    LockingProcess holder(Table(), LOCK_EX);
    ASSERT_TRUE(holder.Locked());
    ExpectHeldError([&] { DbfTable::Open(Table(), TableAccess::Shared); }, Table().string());
    ExpectHeldError([&] { DbfTable::Open(Table(), TableAccess::Exclusive); }, Table().string());
    ExpectHeldError([&] { DbfTable::Create(Table(), layouts::DIASHORAST2); }, Table().string());
    ExpectHeldError([&] { RebuildWorkTable(folder_.Path(), layouts::DIASHORAST2); },
                    Table().string());
    EXPECT_EQ(ReadBytes(Table()), before) << "the held table is left whole";
    EXPECT_EQ(ReadBytes(folder_ / "DIASHORAST2.MDX"), indexBefore);
}

TEST_F(HeldTable, SharedHolderAllowsSharedReadersOnly) {
    LockingProcess holder(Table(), LOCK_SH);
    ASSERT_TRUE(holder.Locked());
    EXPECT_EQ(DbfTable::Open(Table(), TableAccess::Shared).Text(0, "DIHO"), "L1");
    ExpectHeldError([&] { DbfTable::Open(Table(), TableAccess::Exclusive); }, Table().string());
}

TEST_F(HeldTable, OurOwnExclusiveOpenHoldsTheTableUntilClosed) {
    DbfTable first = DbfTable::Open(Table(), TableAccess::Exclusive);
    ExpectHeldError([&] { DbfTable::Open(Table(), TableAccess::Shared); }, Table().string());
    {
        LockingProcess other(Table(), LOCK_SH | LOCK_NB);
        EXPECT_FALSE(other.Locked()) << "the lock is an OS lock that other processes see";
    }
    first.Close();
    EXPECT_NO_THROW(DbfTable::Open(Table(), TableAccess::Exclusive));
}

TEST(MissingTable, OpenIsAnErrorNamingTheFile) {
    ScratchFolder folder;
    try {
        DbfTable::Open(folder / "SOLUC.DBF", TableAccess::Shared);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find((folder / "SOLUC.DBF").string()),
                  std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace velmaro

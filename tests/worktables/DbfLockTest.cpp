// Tables held by another process: a clear error naming the table, and nothing deleted.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "base/Error.h"
#include "support/ExpectError.h"
#include "support/HeldFile.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {
namespace {

using testing::ErrorMessage;
using testing::HeldFile;
using testing::ReadBytes;
using testing::ScratchFolder;

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
    HeldFile holder(Table(), HeldFile::Exclusive);
    ASSERT_TRUE(holder.Locked());
    ExpectHeldError([&] { DbfTable::Open(Table(), TableAccess::Shared); }, Table().string());
    ExpectHeldError([&] { DbfTable::Open(Table(), TableAccess::Exclusive); }, Table().string());
    ExpectHeldError([&] { DbfTable::Create(Table(), layouts::DIASHORAST2); }, Table().string());
    ExpectHeldError([&] { RebuildWorkTable(folder_.Path(), layouts::DIASHORAST2); },
                    Table().string());
    EXPECT_EQ(ReadBytes(Table()), before) << "the held table is left whole";
    EXPECT_EQ(ReadBytes(folder_ / "DIASHORAST2.MDX"), indexBefore);
}

// A program that has the table open for itself alone, without any lock: a Windows share mode
// 0, which Windows refuses to our opening; on Linux what /proc shows of another process, Wine's
// server among them for such a Windows program.
TEST_F(HeldTable, OpenedAloneByAnotherProgramBlocksEveryChange) {
    const std::string before = ReadBytes(Table());
    {
        HeldFile holder(Table(), HeldFile::OpenAlone);
        ASSERT_TRUE(holder.Locked());
        ExpectHeldError([&] { DbfTable::Open(Table(), TableAccess::Exclusive); },
                        Table().string());
        ExpectHeldError([&] { DbfTable::Create(Table(), layouts::DIASHORAST2); },
                        Table().string());
        ExpectHeldError([&] { RebuildWorkTable(folder_.Path(), layouts::DIASHORAST2); },
                        Table().string());
    }
    EXPECT_EQ(ReadBytes(Table()), before) << "read once the holder, which keeps readers out, goes";
}

TEST_F(HeldTable, SharedHolderAllowsSharedReadersOnly) {
    HeldFile holder(Table(), HeldFile::Shared);
    ASSERT_TRUE(holder.Locked());
    EXPECT_EQ(DbfTable::Open(Table(), TableAccess::Shared).Text(0, "DIHO"), "L1");
    ExpectHeldError([&] { DbfTable::Open(Table(), TableAccess::Exclusive); }, Table().string());
}

TEST_F(HeldTable, OurOwnExclusiveOpenHoldsTheTableUntilClosed) {
    DbfTable first = DbfTable::Open(Table(), TableAccess::Exclusive);
    ExpectHeldError([&] { DbfTable::Open(Table(), TableAccess::Shared); }, Table().string());
    {
        HeldFile other(Table(), HeldFile::Shared);
        EXPECT_FALSE(other.Locked()) << "the lock is an OS lock that other processes see";
    }
    first.Close();
    EXPECT_NO_THROW(DbfTable::Open(Table(), TableAccess::Exclusive));
}

TEST(MissingTable, OpenIsAnErrorNamingTheFile) {
    ScratchFolder folder;
    const std::string message =
        ErrorMessage([&] { DbfTable::Open(folder / "SOLUC.DBF", TableAccess::Shared); });
    EXPECT_NE(message.find((folder / "SOLUC.DBF").string()), std::string::npos) << message;
}

}  // namespace
}  // namespace velmaro

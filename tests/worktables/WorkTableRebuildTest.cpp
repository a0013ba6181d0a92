// The rebuild of a work table: old files removed, the table created empty, and the clear
// errors for a missing folder.

#include <gtest/gtest.h>

#include <string>

#include "base/Error.h"
#include "support/ExpectError.h"
#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {
namespace {

using testing::ErrorMessage;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(WorkTableRebuild, ReplacesAnOlderTableAndRemovesItsIndexFile) {
    ScratchFolder folder;
    {
        DbfTable old = RebuildWorkTable(folder.Path(), layouts::PROFT);
        old.SetText(old.Append(), "ABREV", "VIEJO");
    }
    WriteBytes(folder / "PROFT.MDX", "stale index");
    DbfTable table = RebuildWorkTable(folder.Path(), layouts::PROFT);
    EXPECT_EQ(table.RecordCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder / "PROFT.MDX"));
    table.Close();
    EXPECT_EQ(DbfTable::Open(folder / "PROFT.DBF", TableAccess::Shared).RecordCount(), 0u);
}

TEST(WorkTableRebuild, EmptyTableWithIndexGetsItsIndexFile) {
    ScratchFolder folder;
    RebuildWorkTable(folder.Path(), layouts::DIASHORAST2).Close();
    EXPECT_TRUE(std::filesystem::exists(folder / "DIASHORAST2.DBF"));
    EXPECT_EQ(ReadBytes(folder / "DIASHORAST2.MDX").size(), 4096u);
    EXPECT_EQ(DbfTable::Open(folder / "DIASHORAST2.DBF", TableAccess::Shared).RecordCount(), 0u);
}

TEST(WorkTableRebuild, CreateReplacesATableWithoutDeletingFirst) {
    ScratchFolder folder;
    {
        DbfTable old = DbfTable::Create(folder / "PERIODOS.DBF", layouts::PERIODOS);
        old.SetText(old.Append(), "CJORNADA", "J1");
    }
    DbfTable::Create(folder / "PERIODOS.DBF", layouts::PERIODOS).Close();
    EXPECT_EQ(DbfTable::Open(folder / "PERIODOS.DBF", TableAccess::Shared).RecordCount(), 0u);
}

TEST(WorkTableRebuild, MissingFolderIsAnErrorNamingTableAndFolder) {
    ScratchFolder folder;
    const std::filesystem::path missing = folder / "TTEMP";
    const std::string message = ErrorMessage([&] { RebuildWorkTable(missing, layouts::AULAT); });
    EXPECT_NE(message.find("AULAT.DBF"), std::string::npos) << message;
    EXPECT_NE(message.find(missing.string()), std::string::npos) << message;
}

TEST(WorkTableRebuild, RemoveWorkFileIgnoresMissingFiles) {
    ScratchFolder folder;
    WriteBytes(folder / "JORNADAS.DBF", "x");
    RemoveWorkFile(folder.Path(), "JORNADAS.DBF");
    RemoveWorkFile(folder.Path(), "JORNADAS.DBF");
    EXPECT_FALSE(std::filesystem::exists(folder / "JORNADAS.DBF"));
}

}  // namespace
}  // namespace velmaro

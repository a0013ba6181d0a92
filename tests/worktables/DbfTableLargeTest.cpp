// Tables of many rows (more than the engine keeps in one block of memory), fields set and read
// through handles, and the row count read from a table's header alone.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/ExpectError.h"
#include "support/ScratchFolder.h"
#include "base/Error.h"
#include "worktables/DbfTable.h"

namespace velmaro {
namespace {

using testing::ErrorMessage;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

// 1 + 200 + 11 = 212 bytes a record: a few thousand records fill a megabyte.
const TableLayout kLayout{"GRANDE.DBF",
                          {{"TEXTO", FieldKind::Character, 200}, {"NUM", FieldKind::Integer, 0}},
                          std::nullopt};
constexpr std::size_t kRows = 12000;

std::string TextOf(std::size_t row) { return "fila " + std::to_string(row); }

// Appends rows first .. last-1 with their text and number, through handles.
void AppendRows(DbfTable& table, std::size_t first, std::size_t last) {
    const DbfTable::FieldHandle text = table.Field("texto");
    const DbfTable::FieldHandle number = table.Field("NUM");
    for (std::size_t row = first; row < last; ++row) {
        ASSERT_EQ(table.Append(), row);
        table.SetText(row, text, TextOf(row));
        table.SetInteger(row, number, static_cast<long long>(row));
    }
}

void ExpectRows(const DbfTable& table, std::size_t count) {
    ASSERT_EQ(table.RecordCount(), count);
    const DbfTable::FieldHandle text = table.Field("TEXTO");
    for (std::size_t row = 0; row < count; ++row) {
        ASSERT_EQ(table.Text(row, text), TextOf(row)) << row;
        ASSERT_EQ(table.Integer(row, "NUM"), static_cast<int>(row)) << row;
    }
}

TEST(LargeTable, RowsSurviveWritingReopeningAndAppendingAcrossBlocks) {
    ScratchFolder folder;
    const auto path = folder / "GRANDE.DBF";
    {
        DbfTable table = DbfTable::Create(path, kLayout);
        AppendRows(table, 0, kRows);
        table.Close();
    }
    const std::size_t recordLength = 212;
    const std::string bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), kRows * recordLength + 1);
    const std::size_t headerLength = bytes.size() - kRows * recordLength - 1;
    EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 0x1A);
    EXPECT_EQ(bytes.substr(headerLength + 5000 * recordLength, 11), " fila 5000 ");
    {
        DbfTable table = DbfTable::Open(path, TableAccess::Exclusive);
        ExpectRows(table, kRows);
        AppendRows(table, kRows, kRows + 5000);  // after the rows read from the file
        table.Close();
    }
    DbfTable table = DbfTable::Open(path, TableAccess::Exclusive);
    ExpectRows(table, kRows + 5000);
    EXPECT_EQ(DbfTable::RowsInFile(path), kRows + 5000);
}

TEST(LargeTable, RowsEditedInPlaceInAnyBlockAreFoundAndStored) {
    ScratchFolder folder;
    const auto path = folder / "GRANDE.DBF";
    DbfTable table = DbfTable::Create(path, kLayout);
    AppendRows(table, 0, kRows);
    ASSERT_EQ(table.Locate({{"TEXTO", TextOf(11000)}}), std::optional<std::size_t>(11000));
    for (const std::size_t row : {std::size_t{3}, std::size_t{6000}, kRows - 1}) {
        table.SetText(row, table.Field("TEXTO"), "cambiada");
    }
    EXPECT_EQ(table.FilterRows("TEXTO= 'cambiada'"),
              (std::vector<std::size_t>{3, 6000, kRows - 1}));
    table.SetText(6000, "TEXTO", TextOf(6000));  // a row in the middle of a key's rows leaves it
    EXPECT_EQ(table.FilterRows("TEXTO= 'cambiada'"), (std::vector<std::size_t>{3, kRows - 1}));
    table.SetText(3, "TEXTO", TextOf(3));  // and the first one
    EXPECT_EQ(table.Locate({{"TEXTO", "cambiada"}}), std::optional<std::size_t>(kRows - 1));
    table.Close();
    const DbfTable reopened = DbfTable::Open(path, TableAccess::Shared);
    EXPECT_EQ(reopened.Text(6000, "TEXTO"), TextOf(6000));
    EXPECT_EQ(reopened.Text(kRows - 1, "TEXTO"), "cambiada");
}

TEST(FieldHandle, UnknownFieldIsAnErrorNamingTableAndField) {
    ScratchFolder folder;
    const DbfTable table = DbfTable::Create(folder / "GRANDE.DBF", kLayout);
    const std::string message = ErrorMessage([&] { table.Field("NOMBRE"); });
    EXPECT_NE(message.find("GRANDE.DBF"), std::string::npos) << message;
    EXPECT_NE(message.find("'NOMBRE'"), std::string::npos) << message;
}

TEST(RowsInFile, ReadsTheHeaderAndTrustsTheFileSize) {
    ScratchFolder folder;
    const auto path = folder / "GRANDE.DBF";
    {
        DbfTable table = DbfTable::Create(path, kLayout);
        AppendRows(table, 0, 10);
        table.Close();
    }
    EXPECT_EQ(DbfTable::RowsInFile(path), 10u);
    // A file cut in the middle of its fourth record holds three whole ones, as Open reads it.
    const std::string bytes = ReadBytes(path);
    const std::size_t headerLength = bytes.size() - 10 * 212 - 1;
    WriteBytes(path, std::string_view(bytes).substr(0, headerLength + 3 * 212 + 100));
    EXPECT_EQ(DbfTable::RowsInFile(path), 3u);
    EXPECT_EQ(DbfTable::Open(path, TableAccess::Shared, TableReading::Lenient).RecordCount(), 3u);

    struct Case {
        const char* name;
        std::string file;  // written as the table, or nothing for a missing file
    };
    const Case cases[] = {
        {"missing", ""},
        {"not a table", "hola"},
        {"header cut short", bytes.substr(0, 40)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto broken = folder / "ROTA.DBF";
        std::filesystem::remove(broken);
        if (!c.file.empty()) WriteBytes(broken, c.file);
        try {
            DbfTable::RowsInFile(broken);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find("ROTA.DBF"), std::string::npos);
        }
    }
}

// A copied row starts as its source and then changes alone. Copying a row read from the file
// into the block those rows fill makes the block grow, moving the source while it is copied.
TEST(LargeTable, CopiedRowsMatchTheirSourceAndChangeAlone) {
    ScratchFolder folder;
    const auto path = folder / "GRANDE.DBF";
    {
        DbfTable table = DbfTable::Create(path, kLayout);
        AppendRows(table, 0, kRows);
        table.Close();
    }
    DbfTable table = DbfTable::Open(path, TableAccess::Exclusive);
    const DbfTable::FieldHandle number = table.Field("NUM");
    const std::size_t copyOfFirst = table.AppendCopyOf(0);
    const std::size_t copyOfLast = table.AppendCopyOf(kRows - 1);
    ASSERT_EQ(copyOfFirst, kRows);
    ASSERT_EQ(copyOfLast, kRows + 1);
    table.SetInteger(copyOfLast, number, -1);
    EXPECT_EQ(table.Locate({{"TEXTO", TextOf(0)}}), std::optional<std::size_t>(0));
    table.Close();

    const DbfTable reopened = DbfTable::Open(path, TableAccess::Exclusive);
    ASSERT_EQ(reopened.RecordCount(), kRows + 2);
    EXPECT_EQ(reopened.Text(copyOfFirst, "TEXTO"), TextOf(0));
    EXPECT_EQ(reopened.Integer(copyOfFirst, "NUM"), 0);
    EXPECT_EQ(reopened.Text(copyOfLast, "TEXTO"), TextOf(kRows - 1));
    EXPECT_EQ(reopened.Integer(copyOfLast, "NUM"), -1);
    EXPECT_EQ(reopened.Integer(kRows - 1, "NUM"), static_cast<int>(kRows - 1));
}

}  // namespace
}  // namespace velmaro

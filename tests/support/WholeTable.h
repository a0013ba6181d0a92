#pragma once
// Checks that a dBase table file on disk is whole: its header's record count matches the
// records the file holds, the end mark follows them, and our reader finds no damage.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/FileBytes.h"
#include "support/LittleEndian.h"
#include "worktables/DbfTable.h"

namespace velmaro::testing {

// Expects `path` to be a whole dBase III table (as the engine writes them): file size equal to
// header length + record count x record length + the 0x1A end mark, and readable by DbfTable
// without damage with that many rows.
inline void ExpectWholeTable(const std::filesystem::path& path) {
    SCOPED_TRACE(path.string());
    const std::string bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 33u) << "shorter than a header";
    const std::size_t records = Little32(bytes, 4);
    const std::size_t headerLength = Little16(bytes, 8);
    const std::size_t recordLength = Little16(bytes, 10);
    EXPECT_EQ(bytes.size(), headerLength + records * recordLength + 1)
        << "the header's record count does not match the file";
    EXPECT_EQ(Byte(bytes, bytes.size() - 1), 0x1Au) << "no end mark";
    try {
        const DbfTable table = DbfTable::Open(path, TableAccess::Shared);
        EXPECT_EQ(table.Damage(), "");
        EXPECT_EQ(table.RecordCount(), records);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "our reader fails: " << error.what();
    }
}

}  // namespace velmaro::testing

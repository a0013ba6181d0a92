#pragma once
// Checks that a dBase table file on disk is whole: its header's record count matches the
// records the file holds, the end mark follows them, and our reader finds no damage.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "support/ScratchFolder.h"
#include "worktables/DbfTable.h"

namespace velmaro::testing {

// Expects `path` to be a whole dBase III table (as the engine writes them): file size equal to
// header length + record count x record length + the 0x1A end mark, and readable by DbfTable
// without damage with that many rows.
inline void ExpectWholeTable(const std::filesystem::path& path) {
    SCOPED_TRACE(path.string());
    const std::string bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 33u) << "shorter than a header";
    const auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); };
    const std::uint32_t records =
        byte(4) | (byte(5) << 8) | (byte(6) << 16) | (static_cast<std::uint32_t>(byte(7)) << 24);
    const std::size_t headerLength = byte(8) | (byte(9) << 8);
    const std::size_t recordLength = byte(10) | (byte(11) << 8);
    EXPECT_EQ(bytes.size(), headerLength + records * recordLength + 1)
        << "the header's record count does not match the file";
    EXPECT_EQ(byte(bytes.size() - 1), 0x1A) << "no end mark";
    try {
        const DbfTable table = DbfTable::Open(path, TableAccess::Shared);
        EXPECT_EQ(table.Damage(), "");
        EXPECT_EQ(table.RecordCount(), records);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "our reader fails: " << error.what();
    }
}

}  // namespace velmaro::testing

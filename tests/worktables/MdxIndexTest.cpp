// DIASHORAST2.MDX checked byte by byte against the dBase IV production index layout: file
// header, tag table entry, tag header and the empty root block.

#include <gtest/gtest.h>

#include <string>

#include "support/LittleEndian.h"
#include "support/ScratchFolder.h"
#include "worktables/WorkTableLayouts.h"
#include "worktables/WorkTableRebuild.h"

namespace velmaro {
namespace {

using testing::Byte;
using testing::Little16;
using testing::Little32;
using testing::ReadBytes;
using testing::ScratchFolder;

bool AllZero(const std::string& bytes, std::size_t from, std::size_t to) {
    return bytes.substr(from, to - from).find_first_not_of('\0') == std::string::npos;
}

class DiasHorasIndex : public ::testing::Test {
protected:
    DiasHorasIndex() {
        RebuildWorkTable(folder_.Path(), layouts::DIASHORAST2).Close();
        mdx_ = ReadBytes(folder_ / "DIASHORAST2.MDX");
        dbf_ = ReadBytes(folder_ / "DIASHORAST2.DBF");
    }
    ScratchFolder folder_;
    std::string mdx_;
    std::string dbf_;
};

TEST_F(DiasHorasIndex, FileHeader) {
    ASSERT_EQ(mdx_.size(), 8u * 512) << "4 header pages, a tag header block, a root block";
    EXPECT_EQ(Byte(mdx_, 0), 2u) << "version: dBase IV";
    EXPECT_GE(Byte(mdx_, 1), 124u) << "creation year - 1900";
    EXPECT_TRUE(Byte(mdx_, 2) >= 1 && Byte(mdx_, 2) <= 12) << "creation month";
    EXPECT_EQ(mdx_.substr(4, 16), std::string("DIASHORAST2") + std::string(5, '\0'))
        << "data file name without extension";
    EXPECT_EQ(Little16(mdx_, 20), 2u) << "pages per block";
    EXPECT_EQ(Little16(mdx_, 22), 1024u) << "block size in bytes";
    EXPECT_EQ(Byte(mdx_, 24), 1u) << "production index";
    EXPECT_EQ(Byte(mdx_, 25), 48u) << "tag table slots";
    EXPECT_EQ(Byte(mdx_, 26), 32u) << "tag table entry length";
    EXPECT_EQ(Little16(mdx_, 28), 1u) << "tags in use";
    EXPECT_EQ(Little32(mdx_, 32), 8u) << "pages in the file";
    EXPECT_EQ(Little32(mdx_, 36), 0u) << "no free page list";
    EXPECT_EQ(Little32(mdx_, 40), 0u) << "no free block";
    EXPECT_EQ(mdx_.substr(44, 3), mdx_.substr(1, 3)) << "updated on the day of creation";
    EXPECT_TRUE(AllZero(mdx_, 47, 529));
    EXPECT_EQ(Byte(mdx_, 529), 1u) << "the tag tree's root is tag 1";
    EXPECT_TRUE(AllZero(mdx_, 530, 544));
}

TEST_F(DiasHorasIndex, TagTableEntry) {
    const std::size_t entry = 544;
    EXPECT_EQ(Little32(mdx_, entry), 4u) << "tag header page";
    EXPECT_EQ(mdx_.substr(entry + 4, 11), std::string("ORDEN") + std::string(6, '\0'));
    EXPECT_EQ(Byte(mdx_, entry + 15), 0x10u) << "key is a field";
    EXPECT_EQ(Byte(mdx_, entry + 16), 0u) << "no lesser tag";
    EXPECT_EQ(Byte(mdx_, entry + 17), 0u) << "no greater tag";
    EXPECT_EQ(Byte(mdx_, entry + 18), 0u) << "no parent tag";
    EXPECT_EQ(Byte(mdx_, entry + 19), 2u);
    EXPECT_EQ(mdx_[entry + 20], 'N') << "numeric key";
    EXPECT_TRUE(AllZero(mdx_, entry + 21, 2048)) << "the other 46 slots are free";
}

TEST_F(DiasHorasIndex, TagHeaderAndEmptyRoot) {
    const std::size_t tag = 4 * 512;
    EXPECT_EQ(Little32(mdx_, tag + 0), 6u) << "root page";
    EXPECT_EQ(Little32(mdx_, tag + 4), 8u) << "pages in the file";
    EXPECT_EQ(Byte(mdx_, tag + 8), 0u) << "key format: ascending, duplicates allowed";
    EXPECT_EQ(mdx_[tag + 9], 'N') << "key type";
    EXPECT_EQ(Little16(mdx_, tag + 12), 12u) << "numeric keys are 12-byte BCD";
    EXPECT_EQ(Little16(mdx_, tag + 14), 63u) << "keys per block: (1024 - 8) / 16";
    EXPECT_EQ(Little16(mdx_, tag + 16), 0u) << "secondary key type for N";
    EXPECT_EQ(Little16(mdx_, tag + 18), 16u) << "key item: 4-byte record number + key";
    EXPECT_EQ(Byte(mdx_, tag + 23), 0u) << "not unique";
    EXPECT_EQ(mdx_.substr(tag + 24, 6), std::string("ORDEN\0", 6)) << "key expression";
    EXPECT_EQ(Byte(mdx_, tag + 245), 0u) << "no FOR condition";
    EXPECT_EQ(Byte(mdx_, tag + 246), 1u) << "key expression present";
    EXPECT_TRUE(AllZero(mdx_, 6 * 512, 8 * 512)) << "root block: no keys, no previous block";
}

TEST_F(DiasHorasIndex, TableFlagsItsIndexAndTheIndexedField) {
    EXPECT_EQ(Byte(dbf_, 28), 1u) << "production index flag";
    const std::size_t orden = 32 + 32 * 11;  // twelfth descriptor
    EXPECT_EQ(dbf_.substr(orden, 6), std::string("ORDEN\0", 6));
    EXPECT_EQ(Byte(dbf_, orden + 31), 1u) << "field has a tag in the production index";
    EXPECT_EQ(Byte(dbf_, 32 + 31), 0u) << "DIHO has none";
}

}  // namespace
}  // namespace velmaro

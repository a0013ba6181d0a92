#include "worktables/MdxIndex.h"

#include <algorithm>

#include "base/Error.h"
#include "base/FileSystem.h"
#include "base/Utf8Path.h"
#include "worktables/DateStamp.h"
#include "worktables/DbfFormat.h"

namespace velmaro::dbf {

namespace {

// --- Geometry: the file is made of 512-byte pages grouped in 1024-byte blocks ---------------
constexpr std::size_t kPageSize = 512;
constexpr std::size_t kPagesPerBlock = 2;
constexpr std::size_t kBlockSize = kPageSize * kPagesPerBlock;
// Pages 0-3: the file header (0-543) and the tag table (544-2047).
constexpr std::size_t kHeaderPages = 4;
constexpr std::uint32_t kTagHeaderPage = 4;  // the first block after the file header
constexpr std::uint32_t kRootPage = 6;       // the block after the tag header
constexpr std::uint32_t kFilePages = 8;      // header, tag header block, root block

// --- File header ------------------------------------------------------------------------------
constexpr unsigned char kMdxVersion = 2;            // dBase IV
constexpr std::size_t kCreationDateOffset = 1;      // YY MM DD, year - 1900
constexpr std::size_t kDataFileNameOffset = 4;      // table name without extension, NUL-padded
constexpr std::size_t kDataFileNameLength = 16;
constexpr std::size_t kPagesPerBlockOffset = 20;    // uint16
constexpr std::size_t kBlockSizeOffset = 22;        // uint16, bytes
constexpr std::size_t kProductionFlagOffset = 24;   // 1: opened together with the table
constexpr std::size_t kTagSlotsOffset = 25;         // tag table entries available
constexpr std::size_t kTagEntryLengthOffset = 26;
constexpr std::size_t kTagsInUseOffset = 28;        // uint16
constexpr std::size_t kFilePagesOffset = 32;        // uint32: pages in the file
constexpr std::size_t kFirstFreePageOffset = 36;    // uint32: 0, no free list
constexpr std::size_t kFreeBlocksOffset = 40;       // uint32: 0, no block available
constexpr std::size_t kIndexUpdateDateOffset = 44;       // YY MM DD
constexpr unsigned char kTagSlots = 48;             // 47 tags plus the tree head entry
constexpr unsigned char kTagEntryLength = 32;
// The entry before the first tag (at 512) heads the tree of tag names; its "greater" thread
// (entry byte 17) names tag 1, the root of the tree.
constexpr std::size_t kTagTreeRootOffset = 512 + 17;
constexpr std::size_t kFirstTagEntryOffset = 544;

// --- Tag table entry (offsets inside the entry) ----------------------------------------------
constexpr std::size_t kEntryHeaderPageOffset = 0;  // uint32: page of the tag header
constexpr std::size_t kEntryNameOffset = 4;        // 11 bytes, NUL-padded
constexpr std::size_t kEntryNameLength = 11;
constexpr std::size_t kEntryKeyFormatOffset = 15;
constexpr std::size_t kEntryReservedOffset = 19;
constexpr std::size_t kEntryKeyTypeOffset = 20;
constexpr unsigned char kEntryKeyFromField = 0x10;  // the key is a field, not an expression
constexpr unsigned char kEntryReservedValue = 0x02; // what dBase IV writes in this byte

// --- Tag header (offsets inside the tag header page) -------------------------------------------
constexpr std::size_t kTagRootPageOffset = 0;      // uint32
constexpr std::size_t kTagFilePagesOffset = 4;     // uint32: pages in the file
constexpr std::size_t kTagKeyFormatOffset = 8;     // 0x00 ascending, not unique; 0x10 character
constexpr std::size_t kTagKeyTypeOffset = 9;       // 'C', 'N' or 'D'
constexpr std::size_t kTagKeyLengthOffset = 12;    // uint16
constexpr std::size_t kTagMaxKeysOffset = 14;      // uint16: keys that fit in one block
constexpr std::size_t kTagSecondaryTypeOffset = 16;  // uint16: 0 for C and N keys
constexpr std::size_t kTagKeyItemLengthOffset = 18;  // uint16: key plus its record number
constexpr std::size_t kTagVersionOffset = 20;      // uint16: 2, as dBase IV writes it
constexpr std::size_t kTagUniqueOffset = 23;       // 0: duplicates allowed
constexpr std::size_t kTagExpressionOffset = 24;   // key expression, NUL-terminated
constexpr std::size_t kTagExpressionLength = 220;
constexpr std::size_t kTagKeyExistsOffset = 246;   // 1: the tag has a key expression
constexpr unsigned char kKeyFormatCharacter = 0x10;
constexpr std::uint16_t kTagVersion = 2;
// Numeric keys are 12-byte BCD numbers; every key is preceded by a 4-byte record number and
// the item is padded to a multiple of four. A block starts with its key count and the number
// of the previous block (4 bytes each).
constexpr std::size_t kNumericKeyLength = 12;
constexpr std::size_t kKeyPointerLength = 4;
constexpr std::size_t kBlockHeaderLength = 8;

void PutText(std::string& bytes, std::size_t offset, std::string_view text, std::size_t limit) {
    bytes.replace(offset, std::min(text.size(), limit), text.substr(0, limit));
}

const FieldLayout& IndexedField(const TableLayout& layout) {
    for (const FieldLayout& field : layout.fields) {
        if (field.name == *layout.indexTag) return field;
    }
    throw Error("La tabla '" + layout.fileName + "' no tiene el campo '" + *layout.indexTag +
                "' de su índice");
}

}  // namespace

std::string IndexFileName(std::string_view tableFileName) {
    return std::string(tableFileName.substr(0, tableFileName.rfind('.'))) + ".MDX";
}

std::string EmptyProductionIndex(const TableLayout& layout) {
    const FieldLayout& field = IndexedField(layout);
    const bool character = field.kind == FieldKind::Character;
    const char keyType = character ? kTypeCharacter : kTypeNumeric;
    const std::size_t keyLength = character ? static_cast<std::size_t>(field.width)
                                            : kNumericKeyLength;
    const std::size_t itemLength = (keyLength + kKeyPointerLength + 3) / 4 * 4;
    const std::string tagName = *layout.indexTag;
    const std::string tableName = layout.fileName.substr(0, layout.fileName.rfind('.'));

    std::string bytes(kFilePages * kPageSize, '\0');
    bytes[0] = static_cast<char>(kMdxVersion);
    PutDate(bytes, kCreationDateOffset);
    PutText(bytes, kDataFileNameOffset, tableName, kDataFileNameLength - 1);
    PutLittle16(bytes, kPagesPerBlockOffset, kPagesPerBlock);
    PutLittle16(bytes, kBlockSizeOffset, kBlockSize);
    bytes[kProductionFlagOffset] = 1;
    bytes[kTagSlotsOffset] = static_cast<char>(kTagSlots);
    bytes[kTagEntryLengthOffset] = static_cast<char>(kTagEntryLength);
    PutLittle16(bytes, kTagsInUseOffset, 1);
    PutLittle32(bytes, kFilePagesOffset, kFilePages);
    PutLittle32(bytes, kFirstFreePageOffset, 0);
    PutLittle32(bytes, kFreeBlocksOffset, 0);
    PutDate(bytes, kIndexUpdateDateOffset);
    bytes[kTagTreeRootOffset] = 1;

    const std::size_t entry = kFirstTagEntryOffset;
    PutLittle32(bytes, entry + kEntryHeaderPageOffset, kTagHeaderPage);
    PutText(bytes, entry + kEntryNameOffset, tagName, kEntryNameLength);
    bytes[entry + kEntryKeyFormatOffset] = static_cast<char>(kEntryKeyFromField);
    bytes[entry + kEntryReservedOffset] = static_cast<char>(kEntryReservedValue);
    bytes[entry + kEntryKeyTypeOffset] = keyType;

    const std::size_t tag = kTagHeaderPage * kPageSize;
    PutLittle32(bytes, tag + kTagRootPageOffset, kRootPage);
    PutLittle32(bytes, tag + kTagFilePagesOffset, kFilePages);
    bytes[tag + kTagKeyFormatOffset] = static_cast<char>(character ? kKeyFormatCharacter : 0);
    bytes[tag + kTagKeyTypeOffset] = keyType;
    PutLittle16(bytes, tag + kTagKeyLengthOffset, static_cast<std::uint16_t>(keyLength));
    PutLittle16(bytes, tag + kTagMaxKeysOffset,
                static_cast<std::uint16_t>((kBlockSize - kBlockHeaderLength) / itemLength));
    PutLittle16(bytes, tag + kTagSecondaryTypeOffset, 0);
    PutLittle16(bytes, tag + kTagKeyItemLengthOffset, static_cast<std::uint16_t>(itemLength));
    PutLittle16(bytes, tag + kTagVersionOffset, kTagVersion);
    bytes[tag + kTagUniqueOffset] = 0;
    PutText(bytes, tag + kTagExpressionOffset, field.name, kTagExpressionLength - 1);
    bytes[tag + kTagKeyExistsOffset] = 1;
    // The root block stays all zero: no keys, no previous block.
    static_assert(kHeaderPages * kPageSize == kFirstTagEntryOffset + 47 * kTagEntryLength);
    return bytes;
}

void WriteEmptyProductionIndex(const std::filesystem::path& path, const TableLayout& layout) {
    const std::string bytes = EmptyProductionIndex(layout);
    const files::Replacement replacement = files::ReplaceFile(path, {bytes});
    if (replacement.error != 0) {
        throw Error("No se puede escribir el índice '" + Utf8FromPath(path) +
                    "': " + files::SystemReason(replacement.error));
    }
}

}  // namespace velmaro::dbf

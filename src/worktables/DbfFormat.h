#pragma once
// The dBase table file format: header offsets, version bytes, field types and byte order.
// Internal to the engine; values are named here once, with the reason for each beside it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmaro::dbf {

// --- Main header, common to every level (little-endian numbers) ------------------------------
constexpr std::size_t kVersionOffset = 0;        // version byte, see below
constexpr std::size_t kUpdateDateOffset = 1;     // 3 bytes: year - 1900, month, day
constexpr std::size_t kRecordCountOffset = 4;    // uint32: records in the file, deleted included
constexpr std::size_t kHeaderLengthOffset = 8;   // uint16: bytes before the first record
constexpr std::size_t kRecordLengthOffset = 10;  // uint16: deletion flag + every field width
constexpr std::size_t kProductionIndexOffset = 28;  // 0x01 when a production .MDX belongs to it
constexpr std::size_t kLanguageDriverOffset = 29;   // code page of the text (language driver id)
constexpr std::size_t kMainHeaderLength = 32;       // dBase III/IV, FoxPro: descriptors follow

// dBase 7 adds the language driver's name and four reserved bytes before the descriptors.
constexpr std::size_t kDBase7DriverNameOffset = 32;
constexpr std::size_t kDBase7DriverNameLength = 32;
constexpr std::size_t kDBase7MainHeaderLength = 68;

// Visual FoxPro keeps a 263-byte "backlink" (the database container's path) after the
// descriptor terminator; the header length counts it, so readers honour the header length.
constexpr std::size_t kVisualFoxProBacklinkLength = 263;

// --- Field descriptors --------------------------------------------------------------------
// dBase III/IV and FoxPro: 32 bytes, names of up to 11 characters (NUL-padded; a name of
// exactly 11 characters fills the area without a NUL).
constexpr std::size_t kDescriptorLength = 32;
constexpr std::size_t kNameLength = 11;
constexpr std::size_t kTypeOffset = 11;
constexpr std::size_t kWidthOffset = 16;
constexpr std::size_t kDecimalsOffset = 17;
constexpr std::size_t kFieldIndexedOffset = 31;  // dBase IV: 0x01 when the field has an MDX tag
// dBase 7: 48 bytes, names of up to 32 characters.
constexpr std::size_t kDBase7DescriptorLength = 48;
constexpr std::size_t kDBase7NameLength = 32;
constexpr std::size_t kDBase7TypeOffset = 32;
constexpr std::size_t kDBase7WidthOffset = 33;
constexpr std::size_t kDBase7DecimalsOffset = 34;
constexpr std::size_t kDBase7FieldIndexedOffset = 37;

constexpr unsigned char kHeaderTerminator = 0x0D;  // ends the descriptor array
constexpr unsigned char kEndOfFile = 0x1A;         // after the last record
constexpr char kLiveRecord = ' ';                  // first byte of every record: deletion flag
constexpr char kDeletedRecord = '*';

// --- Version bytes ------------------------------------------------------------------------
constexpr unsigned char kVersionDBase3 = 0x03;  // dBase III/IV/5 table without memo
constexpr unsigned char kVersionDBase7 = 0x04;  // dBase 7 table without memo
// Low three bits of the version byte: the dBase level (3 for III/IV/5, 4 for 7).
constexpr unsigned char kLevelMask = 0x07;
constexpr unsigned char kLevelDBase7 = 0x04;

// Windows ANSI (code page 1252), the code page of the timetable program's tables.
constexpr unsigned char kLanguageDriverAnsi = 0x57;
constexpr std::string_view kDBase7LanguageDriverName = "DBWINUS0";

// --- Field types and the widths we write ---------------------------------------------------
constexpr char kTypeCharacter = 'C';
constexpr char kTypeNumeric = 'N';
constexpr char kTypeFloat = 'F';        // dBase IV float: digits as text, like N
constexpr char kTypeLogical = 'L';
constexpr char kTypeDate = 'D';         // YYYYMMDD as text
constexpr char kTypeInteger = 'I';      // FoxPro: int32 LE; dBase 7: int32 BE, sign bit flipped
constexpr char kTypeAutoIncrement = '+';  // dBase 7: stored like I
constexpr char kTypeDouble = 'O';       // dBase 7: IEEE double BE, order-preserving bit flip
constexpr char kTypeBinary = 'B';       // Visual FoxPro: IEEE double LE; dBase: memo block number
constexpr char kTypeCurrency = 'Y';     // FoxPro: int64 LE in ten-thousandths
constexpr char kTypeVarchar = 'V';      // Visual FoxPro variable character, read as C

constexpr int kIntegerWidth = 11;  // N(11,0): every 32-bit value with its sign
constexpr int kFloatWidth = 20;    // N(20,4)
constexpr int kFloatDecimals = 4;
constexpr int kMaxCharacterWidth = 254;  // the largest width every dBase level accepts
constexpr std::size_t kMaxRecordLength = 65535;  // record length is a 16-bit number

// True for the FoxPro family, whose binary numbers are little-endian.
bool IsFoxProVersion(unsigned char version);
// True for a version byte of a table level that the engine reads.
bool IsKnownVersion(unsigned char version);

// --- Byte order -------------------------------------------------------------------------------
inline std::uint32_t ReadLittle32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint16_t ReadLittle16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint64_t ReadLittle64(const unsigned char* p) {
    return static_cast<std::uint64_t>(ReadLittle32(p)) |
           static_cast<std::uint64_t>(ReadLittle32(p + 4)) << 32;
}
inline std::uint32_t ReadBig32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}
inline std::uint64_t ReadBig64(const unsigned char* p) {
    return static_cast<std::uint64_t>(ReadBig32(p)) << 32 | ReadBig32(p + 4);
}
inline void PutLittle16(std::string& out, std::size_t offset, std::uint16_t value) {
    out[offset] = static_cast<char>(value & 0xFF);
    out[offset + 1] = static_cast<char>(value >> 8);
}
inline void PutLittle32(std::string& out, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace velmaro::dbf

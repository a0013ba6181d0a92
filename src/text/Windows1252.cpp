#include "text/Windows1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "base/Utf8Encoding.h"
#include "text/Utf8.h"

namespace velmaro {

namespace {

// Code points of the bytes 0x80..0x9F; the five bytes that Windows-1252 leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as Windows does.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t CodePointOfByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;  // ASCII and 0xA0..0xFF coincide with Latin-1
}

// True for the C1 controls that stand for the five unassigned bytes, stored as those bytes.
bool IsUnassignedByteValue(char32_t cp) {
    return cp >= 0x80 && cp <= 0x9F && kHighControls[cp - 0x80] == cp;
}

const std::unordered_map<char32_t, char>& ByteOfCodePoint() {
    static const auto* table = [] {
        auto* map = new std::unordered_map<char32_t, char>();
        for (unsigned byte = 0x80; byte <= 0x9F; ++byte) {
            (*map)[kHighControls[byte - 0x80]] = static_cast<char>(byte);
        }
        return map;
    }();
    return *table;
}

// The byte of the character that starts at `pos` of `utf8` (not ASCII), or nothing when the
// code page cannot hold it (an invalid UTF-8 byte counts as one such character); moves `pos`
// past it.
std::optional<char> NonAsciiByte(std::string_view utf8, std::size_t& pos) {
    const std::size_t length = Utf8CharLength(utf8, pos);
    pos += length;
    if (length == 1) return std::nullopt;
    const char32_t cp = Utf8Decode(utf8, pos - length);
    if (IsUnassignedByteValue(cp)) return static_cast<char>(cp);
    return Windows1252Byte(cp);
}

// Copies the ASCII bytes at the start of `from`, at most `room` of them, to `to`, eight at a
// time while a whole word is ASCII; returns how many it copied. Most stored texts are codes and
// names that are ASCII for long stretches.
std::size_t CopyAsciiRun(const char* from, char* to, std::size_t room) {
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    std::size_t copied = 0;
    for (; copied + kWord <= room; copied += kWord) {
        std::uint64_t word;
        std::memcpy(&word, from + copied, kWord);
        if ((word & kHighBits) != 0) break;
        std::memcpy(to + copied, &word, kWord);
    }
    for (; copied < room && static_cast<unsigned char>(from[copied]) < 0x80; ++copied) {
        to[copied] = from[copied];
    }
    return copied;
}

}  // namespace

std::string EncodeWindows1252(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    AppendWindows1252(utf8, bytes);
    return bytes;
}

void AppendWindows1252(std::string_view utf8, std::string& bytes) {
    // Every character takes at least one byte of UTF-8 and gives exactly one byte here, so
    // room for the UTF-8 bytes holds the whole encoding.
    const std::size_t at = bytes.size();
    bytes.resize(at + utf8.size());
    const std::size_t written =
        WriteWindows1252(utf8, std::span<char>(bytes.data() + at, utf8.size()));
    bytes.resize(at + written);
}

std::size_t WriteWindows1252(std::string_view utf8, std::span<char> out) {
    return WriteWindows1252Counted(utf8, out).written;
}

Windows1252Writing WriteWindows1252Counted(std::string_view utf8, std::span<char> out) {
    std::size_t written = 0;
    std::size_t pos = 0;
    std::size_t replaced = 0;
    while (pos < utf8.size() && written < out.size()) {
        const std::size_t room = std::min(utf8.size() - pos, out.size() - written);
        // a run of ASCII stays as it is
        const std::size_t ascii = CopyAsciiRun(utf8.data() + pos, out.data() + written, room);
        pos += ascii;
        written += ascii;
        if (ascii == room) continue;
        const std::optional<char> byte = NonAsciiByte(utf8, pos);
        if (!byte) ++replaced;
        out[written++] = byte.value_or('?');
    }
    return {written, pos, replaced};
}

std::optional<char> Windows1252Byte(char32_t codePoint) {
    constexpr char32_t kFirstC1Control = 0x80;  // U+0080..U+009F: no character of the table
    constexpr char32_t kLastC1Control = 0x9F;
    if (codePoint >= kFirstC1Control && codePoint <= kLastC1Control) return std::nullopt;
    if (codePoint <= 0xFF) return static_cast<char>(codePoint);
    if (auto found = ByteOfCodePoint().find(codePoint); found != ByteOfCodePoint().end()) {
        return found->second;
    }
    return std::nullopt;
}

std::string DecodeWindows1252(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 4);
    for (char byte : bytes) AppendUtf8(utf8, CodePointOfByte(static_cast<unsigned char>(byte)));
    return utf8;
}

}  // namespace velmaro

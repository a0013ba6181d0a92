#pragma once
// What must hold after one key of an INI file was written: the file reads back with the key at
// its new value, and every line but the key's (and a section header written with it) is as it
// was, except that a last line without an ending may have gained one. Read here independently
// of the writer: lines end at "\n" (a "\r" before it or ending the file is part of the ending), a
// line whose first non-blank character is '[' is a section header named up to ']', a key line holds
// '=' and does not start with ';', names compare without regard to ASCII case, blanks are spaces
// and tabs, the first matching section and key count, a UTF-8 byte order mark at the start is not
// part of the first line; a UTF-16 file (with its byte order mark) is read in 16-bit units.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmaro::fuzz {

// The lines of `bytes` after any byte order mark, each with its ending.
inline std::vector<std::string_view> IniLines(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        const auto length = end == std::string_view::npos ? bytes.size() : end + 1;
        lines.push_back(bytes.substr(0, length));
        bytes.remove_prefix(length);
    }
    return lines;
}

// A line without its ending: "\n", "\r\n", or a "\r" that ends the file.
inline std::string_view LineText(std::string_view line) {
    if (line.ends_with("\r\n")) return line.substr(0, line.size() - 2);
    return line.ends_with('\n') || line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
}

// `text` without blanks and tabs at either end.
inline std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The section name a header line opens, or nothing for any other line.
inline std::optional<std::string_view> HeaderName(std::string_view line) {
    const auto text = Trimmed(LineText(line));
    if (!text.starts_with('[')) return std::nullopt;
    return Trimmed(text.substr(
        1, text.find(']') == std::string_view::npos ? std::string_view::npos : text.find(']') - 1));
}

// Where the first `section` header and its first `key` line are (line numbers).
struct IniKeyPlace {
    std::optional<std::size_t> header;
    std::optional<std::size_t> key;
};

inline IniKeyPlace FindIniKey(const std::vector<std::string_view>& lines, std::string_view section,
                              std::string_view key) {
    IniKeyPlace place;
    for (std::size_t i = 0; i < lines.size() && !place.header; ++i) {
        const auto name = HeaderName(lines[i]);
        if (name && SameIgnoringCase(*name, section)) place.header = i;
    }
    for (std::size_t i = place.header.value_or(lines.size()) + 1; i < lines.size(); ++i) {
        if (HeaderName(lines[i])) break;
        const auto text = LineText(lines[i]);
        const auto equals = text.find('=');
        if (Trimmed(text).starts_with(';') || equals == std::string_view::npos) continue;
        if (SameIgnoringCase(Trimmed(text.substr(0, equals)), key)) {
            place.key = i;
            break;
        }
    }
    return place;
}

// The lines of `lines` but those at `left`, joined.
inline std::string JoinedWithout(const std::vector<std::string_view>& lines,
                                 std::initializer_list<std::optional<std::size_t>> left) {
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bool skipped = false;
        for (const auto& l : left) skipped = skipped || l == i;
        if (!skipped) joined += lines[i];
    }
    return joined;
}

// The 16-bit units of UTF-16 `bytes` (an odd last byte left out) as 8-bit text for the checks
// below: an ASCII unit as its byte, any other unit as three bytes of 0xF0.. 0x80.. 0x80.., so
// that lines, names and values compare as they do in the units.
inline std::string NarrowedUtf16(std::string_view bytes, bool bigEndian) {
    std::string narrowed;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned first = static_cast<unsigned char>(bytes[i]);
        const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
        const unsigned unit = bigEndian ? (first << 8) | second : (second << 8) | first;
        if (unit < 0x80) {
            narrowed += static_cast<char>(unit);
        } else {
            narrowed += static_cast<char>(0xF0 | (unit >> 12));
            narrowed += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            narrowed += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return narrowed;
}

// True when `after` is `before` with `key` of `section` set to `value` and nothing else changed.
// A file that opens with a UTF-16 byte order mark is compared unit by unit and keeps its mark
// and any odd last byte.
inline bool KeyWrittenAndRestKept(std::string_view before, std::string_view after,
                                  std::string_view section, std::string_view key,
                                  std::string_view value) {
    const bool littleEndian = before.starts_with("\xFF\xFE");
    if (littleEndian || before.starts_with("\xFE\xFF")) {
        const std::string_view oddBefore = before.substr(before.size() - before.size() % 2);
        const std::string_view oddAfter = after.substr(after.size() - after.size() % 2);
        if (!after.starts_with(before.substr(0, 2)) || oddBefore != oddAfter) return false;
        return KeyWrittenAndRestKept(NarrowedUtf16(before.substr(2), !littleEndian),
                                     NarrowedUtf16(after.substr(2), !littleEndian), section, key,
                                     value);
    }
    if (before.starts_with("\xEF\xBB\xBF") != after.starts_with("\xEF\xBB\xBF")) return false;
    const auto oldLines = IniLines(before), newLines = IniLines(after);
    const IniKeyPlace oldPlace = FindIniKey(oldLines, section, key);
    const IniKeyPlace newPlace = FindIniKey(newLines, section, key);
    if (!newPlace.key) return false;
    const std::string_view keyLine = LineText(newLines[*newPlace.key]);
    if (Trimmed(keyLine.substr(keyLine.find('=') + 1)) != value) return false;
    const std::string kept = JoinedWithout(oldLines, {oldPlace.key});
    const std::string written =
        JoinedWithout(newLines, {newPlace.key, oldPlace.header ? std::nullopt : newPlace.header});
    if (written == kept) return true;
    const bool lastLineUnended = !kept.empty() && !kept.ends_with('\n');
    return lastLineUnended && (written == kept + "\n" || written == kept + "\r\n");
}

}  // namespace velmaro::fuzz

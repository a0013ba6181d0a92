// Updating one key of an INI file the way the Windows profile API does, keeping every other byte.
//
// The file keeps its encoding: UTF-16 little- or big-endian when it opens with that byte order
// mark (FF FE or FE FF), otherwise 8-bit text (ANSI, or UTF-8 with or without its mark EF BB BF,
// which is kept). The lines are edited as code units of that encoding (bytes, or 16-bit units),
// so every unit that is not part of the key's line stays as it was; the new section header, key
// and value are written in the same encoding, as the profile API writes a UTF-16 file in UTF-16.
//
// Lines end at "\n"; a "\r" just before it, or ending the file, belongs to the line ending. A line
// whose first non-blank character is '[' opens a section named by the text up to ']'; a line of a
// section holding '=' is a key, named by the text before '=' without surrounding blanks and tabs;
// lines starting with ';' are comments. Lines added by this writer end as the file's lines do: CRLF
// when the file holds any "\r\n", LF when it only holds "\n", and CRLF for a new or one-line
// file, as Windows writes them. A new file is 8-bit text without a mark.

#include "jobs/TavolinIni.h"

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "base/FileNameCase.h"
#include "base/FileSystem.h"
#include "base/QuotedPath.h"
#include "base/Utf8Path.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// --- Lines of code units (char for 8-bit files, char16_t for UTF-16) --------------------------

template <typename Unit>
using Text = std::basic_string<Unit>;
template <typename Unit>
using TextView = std::basic_string_view<Unit>;

// `ascii` in the code units of the file.
template <typename Unit>
Text<Unit> Units(std::string_view ascii) {
    return Text<Unit>(ascii.begin(), ascii.end());
}

// One line of the file: its text and the ending that followed it ("", "\r", "\n" or "\r\n").
template <typename Unit>
struct IniLine {
    Text<Unit> text;
    Text<Unit> ending;
};

template <typename Unit>
Unit LowerAscii(Unit c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Unit>(c - 'A' + 'a') : c;
}

template <typename Unit>
bool EqualIgnoringAsciiCase(TextView<Unit> text, std::string_view ascii) {
    if (text.size() != ascii.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (LowerAscii(text[i]) != LowerAscii(static_cast<Unit>(ascii[i]))) return false;
    }
    return true;
}

template <typename Unit>
bool IsBlank(Unit c) {
    return c == ' ' || c == '\t';
}

template <typename Unit>
TextView<Unit> TrimSpacesAndTabs(TextView<Unit> s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

template <typename Unit>
std::vector<IniLine<Unit>> SplitLines(TextView<Unit> text) {
    std::vector<IniLine<Unit>> lines;
    while (!text.empty()) {
        const auto newline = text.find(Unit('\n'));
        if (newline == TextView<Unit>::npos) {
            // A carriage return that ends the file begins the last line's ending: completing the
            // line later adds only the "\n", and the "\r" never becomes part of a name or value.
            const bool cr = text.back() == Unit('\r');
            lines.push_back({Text<Unit>(text.substr(0, text.size() - (cr ? 1 : 0))),
                             cr ? Units<Unit>("\r") : Text<Unit>()});
            break;
        }
        const bool crlf = newline > 0 && text[newline - 1] == Unit('\r');
        const auto textLength = crlf ? newline - 1 : newline;
        lines.push_back(
            {Text<Unit>(text.substr(0, textLength)), Units<Unit>(crlf ? "\r\n" : "\n")});
        text.remove_prefix(newline + 1);
    }
    return lines;
}

template <typename Unit>
Text<Unit> LineEndingOf(TextView<Unit> text) {
    if (text.find(Units<Unit>("\r\n")) != TextView<Unit>::npos) return Units<Unit>("\r\n");
    if (text.find(Unit('\n')) != TextView<Unit>::npos) return Units<Unit>("\n");
    return Units<Unit>("\r\n");
}

// The section name a line opens, or nothing when it is not a section header.
template <typename Unit>
std::optional<TextView<Unit>> SectionName(TextView<Unit> line) {
    const auto text = TrimSpacesAndTabs(line);
    if (text.empty() || text.front() != Unit('[')) return std::nullopt;
    auto name = text.substr(1);
    const auto close = name.find(Unit(']'));
    if (close != TextView<Unit>::npos) name = name.substr(0, close);
    return TrimSpacesAndTabs(name);
}

// The key a line sets, or nothing when it is not a key line.
template <typename Unit>
std::optional<TextView<Unit>> KeyName(TextView<Unit> line) {
    const auto text = TrimSpacesAndTabs(line);
    if (text.empty() || text.front() == Unit(';')) return std::nullopt;
    const auto equals = line.find(Unit('='));
    if (equals == TextView<Unit>::npos) return std::nullopt;
    return TrimSpacesAndTabs(line.substr(0, equals));
}

// Where a section's lines are: its header and one past its last non-blank line.
struct SectionSpan {
    std::size_t header;
    std::size_t contentEnd;
};

template <typename Unit>
std::optional<SectionSpan> FindSection(const std::vector<IniLine<Unit>>& lines,
                                       std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName<Unit>(lines[i].text);
        if (!name || !EqualIgnoringAsciiCase(*name, section)) continue;
        SectionSpan span{i, i + 1};
        for (std::size_t j = i + 1; j < lines.size() && !SectionName<Unit>(lines[j].text); ++j) {
            if (!TrimSpacesAndTabs<Unit>(lines[j].text).empty()) span.contentEnd = j + 1;
        }
        return span;
    }
    return std::nullopt;
}

template <typename Unit>
std::optional<std::size_t> FindKey(const std::vector<IniLine<Unit>>& lines, SectionSpan span,
                                   std::string_view key) {
    for (std::size_t i = span.header + 1; i < span.contentEnd; ++i) {
        const auto name = KeyName<Unit>(lines[i].text);
        if (name && EqualIgnoringAsciiCase(*name, key)) return i;
    }
    return std::nullopt;
}

// Inserts `line` before position `at`, making sure the line before it is ended (a lone "\r"
// ending the file becomes "\r\n").
template <typename Unit>
void InsertLine(std::vector<IniLine<Unit>>& lines, std::size_t at, IniLine<Unit> line,
                const Text<Unit>& eol) {
    if (at > 0 && (lines[at - 1].ending.empty() || lines[at - 1].ending.back() != Unit('\n'))) {
        Text<Unit>& ending = lines[at - 1].ending;
        ending = ending.empty() ? eol : ending + Unit('\n');
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

// `text` with `key` of `section` set to `value` (all three ASCII).
template <typename Unit>
Text<Unit> WithKeySet(TextView<Unit> text, std::string_view section, std::string_view key,
                      std::string_view value) {
    std::vector<IniLine<Unit>> lines = SplitLines(text);
    const Text<Unit> eol = LineEndingOf(text);
    const Text<Unit> keyLine = Units<Unit>(std::string(key) + "=" + std::string(value));
    const auto span = FindSection(lines, section);
    if (!span) {
        const Text<Unit> header = Units<Unit>("[" + std::string(section) + "]");
        InsertLine(lines, lines.size(), {header, eol}, eol);
        InsertLine(lines, lines.size(), {keyLine, eol}, eol);
    } else if (const auto found = FindKey(lines, *span, key)) {
        Text<Unit>& line = lines[*found].text;
        line.erase(line.find(Unit('=')) + 1);
        line += Units<Unit>(value);
    } else {
        InsertLine(lines, span->contentEnd, {keyLine, eol}, eol);
    }
    Text<Unit> joined;
    for (const IniLine<Unit>& line : lines) joined += line.text + line.ending;
    return joined;
}

// --- Encodings --------------------------------------------------------------------------------

// UTF-16 bytes as 16-bit units in the given byte order; an odd last byte is left out.
std::u16string Utf16Units(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return units;
}

std::string Utf16Bytes(std::u16string_view units, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// `bytes` (the whole file) with the key set, in the file's own encoding.
std::string FileWithKeySet(std::string_view bytes, std::string_view section, std::string_view key,
                           std::string_view value) {
    const bool littleEndian = bytes.starts_with(kUtf16LeBom);
    if (littleEndian || bytes.starts_with(kUtf16BeBom)) {
        const std::string_view body = bytes.substr(2);
        const std::string_view oddByte = body.substr(body.size() - body.size() % 2);
        const std::u16string units = Utf16Units(body, !littleEndian);
        return std::string(bytes.substr(0, 2)) +
               Utf16Bytes(WithKeySet<char16_t>(units, section, key, value), !littleEndian) +
               std::string(oddByte);
    }
    const std::string_view bom = bytes.starts_with(kUtf8Bom) ? kUtf8Bom : std::string_view();
    return std::string(bom) + WithKeySet<char>(bytes.substr(bom.size()), section, key, value);
}

// --- The file ---------------------------------------------------------------------------------

[[noreturn]] void CannotWrite(const fs::path& file, int error) {
    throw Error("No se puede escribir el archivo " + Quoted(file) + ": " +
                files::SystemReason(error));
}

[[noreturn]] void CannotRead(const fs::path& file, int error) {
    throw Error("No se puede leer el archivo " + Quoted(file) + ": " + files::SystemReason(error));
}

// The whole content of the existing file at `path`.
std::string ReadExistingFile(const fs::path& path) {
    const files::OpenedFile opened = files::OpenExistingFile(path);
    if (opened.error != 0) CannotRead(path, opened.error);
    std::string bytes;
    if (const int error = opened.file.ReadAll(bytes); error != 0) CannotRead(path, error);
    return bytes;
}

// Whether a replacement failed because the folder refuses new files (the temporary file), as a
// program folder that an installation left read-only does for a user who may still write the
// file itself.
bool FolderRefusesNewFiles(int error) { return error == EACCES || error == EPERM; }

// Makes `bytes` the content of the existing file at `path` by rewriting it through the open
// file. Not atomic, unlike a replacement; acceptable here because it is what the profile API
// itself does, Tavolin.ini is a few hundred bytes written in one call, and it is the only way
// the result code reaches Tavolin when the program folder cannot be written.
void OverwriteInPlace(const fs::path& path, const std::string& bytes) {
    files::OpenedFile opened = files::OpenExistingFile(path);
    if (opened.error != 0) CannotWrite(path, opened.error);
    if (!opened.writable) CannotWrite(path, EACCES);
    if (const int error = opened.file.OverwriteInPlace(bytes); error != 0) {
        CannotWrite(path, error);
    }
}

}  // namespace

void WriteProfileInteger(const fs::path& file, std::string_view section, std::string_view key,
                         int value) {
    const fs::path path =
        files::FindIgnoringCase(file.parent_path(), Utf8FromPath(file.filename()));
    std::error_code statusError;
    const bool exists = fs::symlink_status(path, statusError).type() != fs::file_type::not_found;
    const std::string before = exists ? ReadExistingFile(path) : std::string();
    const std::string after = FileWithKeySet(before, section, key, std::to_string(value));

    const files::Replacement replacement = files::ReplaceFile(path, {after});
    if (replacement.error == 0) return;
    if (!exists || !FolderRefusesNewFiles(replacement.error)) CannotWrite(path, replacement.error);
    OverwriteInPlace(path, after);
}

}  // namespace velmaro

// Updating one key of an INI file the way the Windows profile API does, keeping every other byte.
//
// Lines end at "\n"; a "\r" just before it, or ending the file, belongs to the line ending. A line
// whose first non-blank character is '[' opens a section named by the text up to ']'; a line of a
// section holding '=' is a key, named by the text before '=' without surrounding blanks and tabs;
// lines starting with ';' are comments. Lines added by this writer end as the file's lines do: CRLF
// when the file holds any "\r\n", LF when it only holds "\n", and CRLF for a new or one-line
// file, as Windows writes them. A UTF-8 byte order mark at the start of the file is kept and
// does not belong to the first line's name.

#include "jobs/TavolinIni.h"

#include <cerrno>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "base/FileSystem.h"
#include "base/QuotedPath.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One line of the file: its text and the ending that followed it ("", "\n" or "\r\n").
struct IniLine {
    std::string text;
    std::string ending;
};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

std::string_view TrimSpacesAndTabs(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

std::string ReadWholeFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw Error("No se puede leer el archivo " + Quoted(file) + ": " + files::SystemReason(errno));
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) throw Error("No se puede leer el archivo " + Quoted(file) + ".");
    return bytes.str();
}

std::vector<IniLine> SplitLines(std::string_view bytes) {
    std::vector<IniLine> lines;
    while (!bytes.empty()) {
        const auto newline = bytes.find('\n');
        if (newline == std::string_view::npos) {
            // A carriage return that ends the file begins the last line's ending: completing the
            // line later adds only the "\n", and the "\r" never becomes part of a name or value.
            const bool cr = bytes.ends_with('\r');
            lines.push_back(
                {std::string(bytes.substr(0, bytes.size() - (cr ? 1 : 0))), cr ? "\r" : ""});
            break;
        }
        const bool crlf = newline > 0 && bytes[newline - 1] == '\r';
        const auto textLength = crlf ? newline - 1 : newline;
        lines.push_back({std::string(bytes.substr(0, textLength)), crlf ? "\r\n" : "\n"});
        bytes.remove_prefix(newline + 1);
    }
    return lines;
}

std::string LineEndingOf(std::string_view bytes) {
    if (bytes.find("\r\n") != std::string_view::npos) return "\r\n";
    if (bytes.find('\n') != std::string_view::npos) return "\n";
    return "\r\n";
}

// The section name a line opens, or nothing when it is not a section header.
std::optional<std::string_view> SectionName(std::string_view line) {
    const auto text = TrimSpacesAndTabs(line);
    if (text.empty() || text.front() != '[') return std::nullopt;
    auto name = text.substr(1);
    const auto close = name.find(']');
    if (close != std::string_view::npos) name = name.substr(0, close);
    return TrimSpacesAndTabs(name);
}

// The key a line sets, or nothing when it is not a key line.
std::optional<std::string_view> KeyName(std::string_view line) {
    const auto text = TrimSpacesAndTabs(line);
    if (text.empty() || text.front() == ';') return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return TrimSpacesAndTabs(line.substr(0, equals));
}

// Where a section's lines are: its header and one past its last non-blank line.
struct SectionSpan {
    std::size_t header;
    std::size_t contentEnd;
};

std::optional<SectionSpan> FindSection(const std::vector<IniLine>& lines,
                                       std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].text);
        if (!name || !EqualIgnoringAsciiCase(*name, section)) continue;
        SectionSpan span{i, i + 1};
        for (std::size_t j = i + 1; j < lines.size() && !SectionName(lines[j].text); ++j) {
            if (!TrimSpacesAndTabs(lines[j].text).empty()) span.contentEnd = j + 1;
        }
        return span;
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<IniLine>& lines, SectionSpan span,
                                   std::string_view key) {
    for (std::size_t i = span.header + 1; i < span.contentEnd; ++i) {
        const auto name = KeyName(lines[i].text);
        if (name && EqualIgnoringAsciiCase(*name, key)) return i;
    }
    return std::nullopt;
}

// Inserts `line` before position `at`, making sure the line before it is ended (a lone "\r"
// ending the file becomes "\r\n").
void InsertLine(std::vector<IniLine>& lines, std::size_t at, IniLine line, const std::string& eol) {
    if (at > 0 && !lines[at - 1].ending.ends_with('\n')) {
        std::string& ending = lines[at - 1].ending;
        ending = ending.empty() ? eol : ending + "\n";
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void SetKey(std::vector<IniLine>& lines, std::string_view section, std::string_view key,
            const std::string& value, const std::string& eol) {
    const auto span = FindSection(lines, section);
    if (!span) {
        std::string header = "[";
        header += section;
        header += ']';
        InsertLine(lines, lines.size(), {std::move(header), eol}, eol);
        InsertLine(lines, lines.size(), {std::string(key) + "=" + value, eol}, eol);
        return;
    }
    if (const auto keyLine = FindKey(lines, *span, key)) {
        std::string& text = lines[*keyLine].text;
        text.erase(text.find('=') + 1);
        text += value;
        return;
    }
    InsertLine(lines, span->contentEnd, {std::string(key) + "=" + value, eol}, eol);
}

std::string JoinLines(std::string_view bom, const std::vector<IniLine>& lines) {
    std::string bytes(bom);
    for (const IniLine& line : lines) bytes += line.text + line.ending;
    return bytes;
}

// Writes `bytes` to a temporary file beside `file`, then renames it over `file`, so that a
// failed write never leaves a half-written file behind.
void ReplaceFileAtomically(const fs::path& file, const std::string& bytes) {
    const files::Replacement replacement = files::ReplaceFile(file, {bytes});
    if (replacement.error != 0) {
        throw Error("No se puede escribir el archivo " + Quoted(file) + ": " +
                    files::SystemReason(replacement.error));
    }
}

}  // namespace

void WriteProfileInteger(const fs::path& file, std::string_view section, std::string_view key,
                         int value) {
    std::error_code error;
    const bool exists = fs::exists(file, error);
    if (exists && fs::is_directory(file, error)) {
        throw Error("No se puede escribir el archivo " + Quoted(file) + ": es una carpeta");
    }
    std::string bytes = exists ? ReadWholeFile(file) : std::string();
    std::string_view body = bytes;
    const std::string_view bom = body.starts_with(kUtf8Bom) ? kUtf8Bom : std::string_view();
    body.remove_prefix(bom.size());

    auto lines = SplitLines(body);
    SetKey(lines, section, key, std::to_string(value), LineEndingOf(body));
    ReplaceFileAtomically(file, JoinLines(bom, lines));
}

}  // namespace velmaro

#include "jobs/CommitJournal.h"

#include <string_view>
#include <utility>

#include "base/FileNameCase.h"

namespace velmaro {

namespace {

constexpr std::string_view kFirstLine = "VELMARO-DIARIO 1";
constexpr std::string_view kLastLine = "FIN";
constexpr std::string_view kPutInPlace = "PONER";  // a staged file replaces its name
constexpr std::string_view kRemove = "QUITAR";  // the retired files go, nothing takes their place
constexpr char kSeparator = '\t';

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    for (;;) {
        const std::size_t end = text.find(separator);
        pieces.push_back(text.substr(0, end));
        if (end == std::string_view::npos) return pieces;
        text.remove_prefix(end + 1);
    }
}

// A plain name of an entry of the work-table folder: no folder part, nothing that leaves it.
bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos;
}

std::optional<CommitEntry> ParseEntry(std::string_view line) {
    const std::vector<std::string_view> fields = Split(line, kSeparator);
    if (fields.size() < 2 || (fields[0] != kPutInPlace && fields[0] != kRemove)) return {};
    CommitEntry entry{std::string(fields[1]), fields[0] == kPutInPlace, {}};
    if (!IsPlainName(entry.name)) return {};
    for (std::size_t i = 2; i < fields.size(); ++i) {
        if (!IsPlainName(fields[i]) || !files::SameNameIgnoringCase(fields[i], entry.name))
            return {};
        entry.retired.emplace_back(fields[i]);
    }
    return entry;
}

}  // namespace

std::string JournalText(const std::vector<CommitEntry>& entries) {
    std::string text(kFirstLine);
    text += '\n';
    for (const CommitEntry& entry : entries) {
        text += entry.staged ? kPutInPlace : kRemove;
        text += kSeparator;
        text += entry.name;
        for (const std::string& retired : entry.retired) {
            text += kSeparator;
            text += retired;
        }
        text += '\n';
    }
    text += kLastLine;
    text += '\n';
    return text;
}

std::optional<std::vector<CommitEntry>> ParseJournal(const std::string& text) {
    std::vector<std::string_view> lines = Split(text, '\n');
    // A complete journal ends with its last line and a line feed, which leaves one empty piece.
    if (lines.size() < 3 || lines.front() != kFirstLine || !lines.back().empty() ||
        lines[lines.size() - 2] != kLastLine) {
        return std::nullopt;
    }
    std::vector<CommitEntry> entries;
    for (std::size_t i = 1; i + 2 < lines.size(); ++i) {
        std::optional<CommitEntry> entry = ParseEntry(lines[i]);
        if (!entry) return std::nullopt;
        entries.push_back(std::move(*entry));
    }
    return entries;
}

}  // namespace velmaro

// Replacing a file through a temporary one beside it, the same on every platform: the platform
// file layer creates, writes, flushes and renames.

#include <cerrno>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "base/FileSystem.h"
#include "base/TemporaryFile.h"

namespace velmaro::files {

namespace {

// The longest name of a folder entry: 255 bytes on POSIX systems, 255 UTF-16 units on Windows.
constexpr std::size_t kLongestEntryName = 255;

// Letters and digits for the random part of a temporary file's name.
std::string RandomNamePart() {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string part;
    for (std::size_t i = 0; i < kFreshNamePartLength; ++i) part += kAlphabet[pick(generator)];
    return part;
}

// Whether `unit` of a name continues a character begun before it: a UTF-8 continuation byte in
// a POSIX name, the low half of a surrogate pair in a Windows (UTF-16) name.
template <typename Unit>
bool ContinuesACharacter(Unit unit) {
    if constexpr (sizeof(Unit) == 1) {
        return (static_cast<unsigned char>(unit) & 0xC0) == 0x80;
    } else {
        return unit >= 0xDC00 && unit <= 0xDFFF;
    }
}

// `name` cut to at most `limit` units, never in the middle of a character.
template <typename Unit>
std::basic_string<Unit> LeadingUnits(const std::basic_string<Unit>& name, std::size_t limit) {
    if (name.size() <= limit) return name;
    std::size_t cut = limit;
    while (cut > 0 && ContinuesACharacter(name[cut])) --cut;
    return name.substr(0, cut);
}

// Writes what produce(sink) gives to a new temporary file beside `target`, flushes it to disk
// and renames it over `target`; see ReplaceFile and ReplaceFileWith.
Replacement Replace(const std::filesystem::path& target,
                    const std::function<int(ContentSink&)>& produce, bool keepOpen) {
    PendingReplacement replacement(target);
    if (replacement.OpenError() != 0) return {replacement.OpenError(), OpenFile()};
    if (const int produced = produce(replacement); produced != 0) return {produced, OpenFile()};
    return replacement.Commit(keepOpen);
}

}  // namespace

std::filesystem::path FreshTemporaryPath(const std::filesystem::path& target) {
    // The dot in front, the dot before the random part, the random part and the suffix.
    const std::size_t fixedUnits =
        2 + kFreshNamePartLength + std::string_view(kReplacementSuffix).size();
    std::filesystem::path name = ".";
    name += LeadingUnits(target.filename().native(), kLongestEntryName - fixedUnits);
    name += ".";
    name += RandomNamePart();
    name += kReplacementSuffix;
    return target.parent_path() / name;
}

PendingReplacement::PendingReplacement(const std::filesystem::path& target) : target_(target) {
    OpenedFile created = CreateTemporaryFile(target_, temporary_);
    openError_ = created.error;
    file_ = std::move(created.file);
}

PendingReplacement::~PendingReplacement() { Discard(); }

void PendingReplacement::Discard() {
    if (!file_.IsOpen()) return;
    file_.Close();
    RemoveFile(temporary_);
}

int PendingReplacement::Write(const std::vector<std::string_view>& parts) {
    if (!file_.IsOpen()) return EBADF;
    if (const int error = file_.WriteAt(parts, end_); error != 0) {
        Discard();
        return error;
    }
    for (std::string_view part : parts) end_ += part.size();
    return 0;
}

Replacement PendingReplacement::Commit(bool keepOpen) {
    if (!file_.IsOpen()) return {EBADF, OpenFile()};
    int error = file_.FlushToDisk();
    if (error == 0) error = RenameFile(temporary_, target_);
    if (error != 0) {
        Discard();
        return {error, OpenFile()};
    }
    OpenFile committed = std::move(file_);
    if (keepOpen) return {0, std::move(committed)};
    return {0, OpenFile()};
}

Replacement ReplaceFile(const std::filesystem::path& target,
                        const std::vector<std::string_view>& parts, bool keepOpen) {
    return Replace(
        target, [&](ContentSink& sink) { return sink.Write(parts); }, keepOpen);
}

Replacement ReplaceFileWith(const std::filesystem::path& target,
                            const std::function<int(ContentSink&)>& produce) {
    return Replace(target, produce, false);
}

}  // namespace velmaro::files

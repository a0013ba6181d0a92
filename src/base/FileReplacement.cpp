// Replacing a file through a temporary one beside it, the same on every platform: the platform
// file layer creates, writes, flushes and renames.

#include <cerrno>
#include <random>
#include <string>
#include <utility>

#include "base/FileSystem.h"
#include "base/TemporaryFile.h"

namespace velmaro::files {

namespace {

constexpr int kRandomNameLength = 8;

// Letters and digits for the random part of a temporary file's name.
std::string RandomNamePart() {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string part;
    for (int i = 0; i < kRandomNameLength; ++i) part += kAlphabet[pick(generator)];
    return part;
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
    std::filesystem::path name = ".";
    name += target.filename();
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

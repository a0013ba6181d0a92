#include "inbound/UniqueCode.h"

#include "text/TextHelpers.h"

namespace velmaro {

namespace {

constexpr std::size_t kStoredCodeLength = 10;
constexpr std::size_t kKeptStartLength = 8;  // a long code keeps its first eight characters
constexpr std::size_t kKeptEndLength = 2;    // and its last two

}  // namespace

UniqueCodes::UniqueCodes(CodeCase letterCase, CodeLength length)
    : case_(letterCase), length_(length) {}

ClaimedCode UniqueCodes::Claim(std::string_view code) {
    const std::string base(code);
    const std::string baseKey = Key(base);
    std::string stored = StoredForm(base);
    // Suffixes below nextSuffix_[baseKey] were all found taken, and taken codes stay taken.
    unsigned long& suffix = nextSuffix_[baseKey];
    if (suffix == 0 && !taken_.contains(Key(stored))) {
        taken_.insert(Key(stored));
        return {stored, false};
    }
    if (suffix == 0) suffix = 1;
    std::optional<std::string> free;
    while (!(free = FreeFormWithSuffix(base, suffix))) ++suffix;
    ++suffix;
    taken_.insert(Key(*free));
    return {*free, true};
}

std::optional<std::string> UniqueCodes::FreeFormWithSuffix(const std::string& base,
                                                           unsigned long suffix) const {
    const std::string digits = std::to_string(suffix);
    std::string stored = StoredForm(base + digits);
    if (!taken_.contains(Key(stored))) return stored;
    if (length_ == CodeLength::ShortenToTen && digits.size() > kKeptEndLength &&
        digits.size() <= kStoredCodeLength) {
        stored = LeftChars(base, static_cast<long>(kStoredCodeLength - digits.size())) + digits;
        if (!taken_.contains(Key(stored))) return stored;
    }
    return std::nullopt;
}

bool UniqueCodes::IsTaken(std::string_view code) const { return taken_.contains(Key(code)); }

std::string UniqueCodes::StoredForm(std::string candidate) const {
    if (length_ == CodeLength::Unlimited || CharCount(candidate) <= kStoredCodeLength) {
        return candidate;
    }
    return LeftChars(candidate, kKeptStartLength) + RightChars(candidate, kKeptEndLength);
}

std::string UniqueCodes::Key(std::string_view code) const {
    return case_ == CodeCase::Ignored ? UpperCaseAsciiLetters(code) : std::string(code);
}

}  // namespace velmaro

#include "inbound/UniqueCode.h"

#include "text/TextHelpers.h"

namespace velmaro {

namespace {

constexpr std::size_t kStoredCodeLength = 10;

}  // namespace

UniqueCodes::UniqueCodes(CodeCase letterCase, CodeLength length)
    : case_(letterCase), length_(length) {}

std::string UniqueCodes::Claim(std::string_view code) {
    const std::string base(code);
    const std::string baseKey = Key(base);
    std::string stored = StoredForm(base);
    // Suffixes below nextSuffix_[baseKey] were all found taken, and taken codes stay taken.
    unsigned long& suffix = nextSuffix_[baseKey];
    if (suffix == 0 && !taken_.contains(Key(stored))) {
        taken_.insert(Key(stored));
        return stored;
    }
    if (suffix == 0) suffix = 1;
    for (;; ++suffix) {
        stored = StoredForm(base + std::to_string(suffix));
        if (!taken_.contains(Key(stored))) break;
    }
    ++suffix;
    taken_.insert(Key(stored));
    return stored;
}

bool UniqueCodes::IsTaken(std::string_view code) const { return taken_.contains(Key(code)); }

std::string UniqueCodes::StoredForm(std::string candidate) const {
    if (length_ == CodeLength::Unlimited || CharCount(candidate) <= kStoredCodeLength) {
        return candidate;
    }
    return LeftChars(candidate, 8) + RightChars(candidate, 2);
}

std::string UniqueCodes::Key(std::string_view code) const {
    return case_ == CodeCase::Ignored ? UpperCaseAsciiLetters(code) : std::string(code);
}

}  // namespace velmaro

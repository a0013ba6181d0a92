#pragma once
// Hands out short codes that are unique within one run: a taken code gets 1, 2, 3 ... appended.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace velmaro {

enum class CodeCase { Sensitive, Ignored };           // how "already taken" compares letters a-z
enum class CodeLength { Unlimited, ShortenToTen };    // whether a long result becomes 8 + last 2

// A code handed out, and whether a number had to be appended because the code was taken.
struct ClaimedCode {
    std::string code;
    bool suffixed = false;
};

class UniqueCodes {
public:
    UniqueCodes(CodeCase letterCase, CodeLength length);

    // The first of `code`, `code`1, `code`2 ... whose stored form (shortened to its first eight
    // and last two characters when longer than ten, if so configured) is not taken yet; records
    // and returns that stored form, saying whether a number was appended. Testing the stored form keeps codes from being handed out
    // twice once shortening makes two candidates look alike.
    // Eight plus two characters cannot tell apart suffixes of three digits or more (100 and 200
    // both end in 00); when such a suffix's stored form is taken, the code's start followed by
    // all of the suffix's digits, ten characters in all, is tried too, so a free code is always
    // found.
    ClaimedCode Claim(std::string_view code);

    // True when `code` has been handed out (compared with this object's letter-case rule).
    bool IsTaken(std::string_view code) const;

private:
    // The first free stored form for `base` followed by `suffix`, if any.
    std::optional<std::string> FreeFormWithSuffix(const std::string& base,
                                                  unsigned long suffix) const;
    std::string StoredForm(std::string candidate) const;
    std::string Key(std::string_view code) const;

    CodeCase case_;
    CodeLength length_;
    std::unordered_set<std::string> taken_;                  // keys of stored forms
    std::unordered_map<std::string, unsigned long> nextSuffix_;  // per base key: suffixes below are taken
};

}  // namespace velmaro

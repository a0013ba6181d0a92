#include "text/TextHelpers.h"

#include "text/Utf8.h"

namespace velmaro {

namespace {

constexpr char kBlank = ' ';

bool IsCapitalAToZ(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

std::string TrimBlanks(std::string_view s) { return TrimLeadingBlanks(TrimTrailingBlanks(s)); }

void TrimBlanksInPlace(std::string& s) {
    const std::size_t last = s.find_last_not_of(kBlank);
    if (last == std::string::npos) {
        s.clear();
        return;
    }
    s.resize(last + 1);
    s.erase(0, s.find_first_not_of(kBlank));
}

std::string_view TrimBlanksView(std::string_view s) {
    const std::size_t last = s.find_last_not_of(kBlank);
    if (last == std::string_view::npos) return {};
    const std::size_t first = s.find_first_not_of(kBlank);
    return s.substr(first, last + 1 - first);
}

std::string TrimLeadingBlanks(std::string_view s) {
    const std::size_t first = s.find_first_not_of(kBlank);
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string TrimTrailingBlanks(std::string_view s) {
    const std::size_t last = s.find_last_not_of(kBlank);
    return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string LeftChars(std::string_view s, long n) { return std::string(LeftCharsView(s, n)); }

std::string_view LeftCharsView(std::string_view s, long n) {
    if (n <= 0) return {};
    return s.substr(0, Utf8Offset(s, static_cast<std::size_t>(n)));
}

std::string RightChars(std::string_view s, long n) {
    if (n <= 0) return {};
    const std::size_t count = CharCount(s);
    if (count <= static_cast<std::size_t>(n)) return std::string(s);
    return std::string(s.substr(Utf8Offset(s, count - static_cast<std::size_t>(n))));
}

std::string CapitalLetters(std::string_view s) {
    // Bytes of multi-byte UTF-8 characters are all >= 0x80, so a byte test cannot misfire.
    std::string capitals;
    for (char c : s) {
        if (IsCapitalAToZ(c)) capitals += c;
    }
    return capitals;
}

std::string WordInitials(std::string_view s) {
    std::string initials;
    for (std::size_t pos = 0; pos < s.size(); pos += Utf8CharLength(s, pos)) {
        const std::size_t next = pos + Utf8CharLength(s, pos);
        if (s[pos] == kBlank && next < s.size()) {
            initials.append(s.substr(next, Utf8CharLength(s, next)));
        }
    }
    return initials;
}

std::string UpperCaseAsciiLetters(std::string_view s) {
    std::string upper(s);
    UpperCaseAsciiLettersInPlace(upper);
    return upper;
}

void UpperCaseAsciiLettersInPlace(std::string& s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

std::size_t CharCount(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < s.size(); pos += Utf8CharLength(s, pos)) ++count;
    return count;
}

}  // namespace velmaro

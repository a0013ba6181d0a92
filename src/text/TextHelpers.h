#pragma once
// Text helpers shared by the converter steps and the outbound conversion.
// Text is UTF-8; every count and position is in Unicode code points, never bytes.
// A "blank" is the space character U+0020 alone: tabs and line breaks are ordinary characters.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace velmaro {

// `s` without its leading and trailing blanks; blanks inside stay.
std::string TrimBlanks(std::string_view s);
// Removes the leading and trailing blanks of `s` where it stands (TrimBlanks without a copy).
void TrimBlanksInPlace(std::string& s);
// TrimBlanks(s) as a view into `s`, without a copy.
std::string_view TrimBlanksView(std::string_view s);
// `s` without the blanks at its front.
std::string TrimLeadingBlanks(std::string_view s);
// `s` without the blanks at its end.
std::string TrimTrailingBlanks(std::string_view s);

// The first `n` characters of `s` (all of `s` when shorter; empty for n <= 0).
std::string LeftChars(std::string_view s, long n);
// LeftChars(s, n) as a view into `s`, without a copy.
std::string_view LeftCharsView(std::string_view s, long n);
// The last `n` characters of `s` (all of `s` when shorter; empty for n <= 0).
std::string RightChars(std::string_view s, long n);

// The characters A to Z (U+0041..U+005A) of `s`, in order; everything else is dropped.
std::string CapitalLetters(std::string_view s);
// For every blank of `s` that is not its last character, the character after it, in order.
std::string WordInitials(std::string_view s);

// `s` with the letters a to z made capitals; every other character (accented ones too) unchanged.
std::string UpperCaseAsciiLetters(std::string_view s);
// Upper-cases the letters a to z of `s` where it stands (UpperCaseAsciiLetters without a copy).
void UpperCaseAsciiLettersInPlace(std::string& s);

// Number of Unicode code points in `s` (an invalid UTF-8 byte counts as one character).
std::size_t CharCount(std::string_view s);

// The hash of a text, usable for lookups in a map of std::string keys with a std::string_view
// (with std::equal_to<>), without building a string for the lookup.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

}  // namespace velmaro

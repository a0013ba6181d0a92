// Stepping through UTF-8 one code point at a time.

#include <gtest/gtest.h>

#include <string>

#include "text/TextHelpers.h"
#include "text/Utf8.h"
#include "text/Windows1252.h"

namespace velmaro {
namespace {

TEST(Utf8, DecodesEachLength) {
    const struct {
        const char* name;
        std::string text;
        std::size_t length;
        char32_t codePoint;
    } cases[] = {
        {"ascii", "A", 1, U'A'},
        {"two bytes", "Á", 2, U'Á'},
        {"ordinal", "º", 2, U'º'},
        {"three bytes", "€", 3, U'€'},
        {"four bytes", "😀", 4, U'😀'},
        {"largest code point", "\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
        {"invalid lead byte gives its own value", "\xFF", 1, 0xFF},
        {"lone continuation byte", "\x80x", 1, 0x80},
        {"truncated sequence", "\xE2\x82", 1, 0xE2},
        {"lead followed by a non-continuation",
         "\xC3"
         "A",
         1, 0xC3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8CharLength(c.text, 0), c.length);
        EXPECT_EQ(Utf8Decode(c.text, 0), c.codePoint);
    }
}

// Overlong forms, UTF-16 surrogates and values above U+10FFFF are not UTF-8: each of their
// bytes is a character of its own, so they can neither hide an ASCII character nor reach the
// tables as one.
TEST(Utf8, RejectsOverlongSurrogateAndOutOfRangeSequences) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"overlong NUL in two bytes", "\xC0\x80"},
        {"overlong NUL in three bytes", "\xE0\x80\x80"},
        {"overlong 'A' in three bytes", "\xE0\x81\x81"},
        {"overlong in four bytes", "\xF0\x80\x81\x81"},
        {"surrogate", "\xED\xA0\x80"},
        {"above U+10FFFF", "\xF4\x90\x80\x80"},
        {"lead byte beyond F4", "\xF5\x80\x80\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8CharLength(c.text, 0), 1u);
        EXPECT_EQ(CharCount(c.text), c.text.size());
        EXPECT_EQ(EncodeWindows1252(c.text), std::string(c.text.size(), '?'));
    }
}

TEST(Utf8, OffsetOfCharacter) {
    const std::string text = "aÁ€😀b";
    const std::size_t offsets[] = {0, 1, 3, 6, 10, 11, 11};
    for (std::size_t index = 0; index < std::size(offsets); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(Utf8Offset(text, index), offsets[index]);
    }
}

}  // namespace
}  // namespace velmaro

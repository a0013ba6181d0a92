// The Windows-1252 code page of the work tables.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "text/Windows1252.h"

namespace velmaro {
namespace {

TEST(Windows1252, CharactersAndTheirBytes) {
    const struct {
        const char* name;
        std::string utf8;
        std::string bytes;
    } cases[] = {
        {"ascii", "Aula 1", "Aula 1"},
        {"Latin-1 letters", "Álvaro Muñoz 1º", "\xC1lvaro Mu\xF1oz 1\xBA"},
        {"euro sign", "€", "\x80"},
        {"high punctuation", "‘’“”–—…", "\x91\x92\x93\x94\x96\x97\x85"},
        {"letters only in 1252", "ŠšŽžŒœŸƒ", "\x8A\x9A\x8E\x9E\x8C\x9C\x9F\x83"},
        {"unassigned bytes keep their C1 controls", "\u0081\u008D\u008F\u0090\u009D",
         "\x81\x8D\x8F\x90\x9D"},
        {"line breaks and tabs", "a\tb\r\n", "a\tb\r\n"},
        {"nul", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"y with diaeresis", "ÿ", "\xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodeWindows1252(c.utf8), c.bytes);
        EXPECT_EQ(DecodeWindows1252(c.bytes), c.utf8);
    }
}

TEST(Windows1252, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(all)), all);
}

TEST(Windows1252, UnmappableCharactersBecomeQuestionMarks) {
    const struct {
        const char* name;
        std::string utf8;
        std::string bytes;
    } cases[] = {
        {"Polish l", "Łódź",
         "?\xF3"
         "d?"},
        {"arrow", "a→b", "a?b"},
        {"emoji is one character", "😀!", "?!"},
        {"C1 control that 1252 uses for the euro", "\u0080", "?"},
        {"invalid UTF-8 byte",
         "a\xFF"
         "b",
         "a?b"},
        {"truncated sequence", "a\xE2\x82", "a??"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodeWindows1252(c.utf8), c.bytes);
    }
}

// Writing into a field of any width gives the first bytes of the whole encoding: ASCII runs
// shorter and longer than a machine word, characters beyond ASCII at every position, cut at
// every width.
TEST(Windows1252, WritingIntoAFieldGivesTheFirstBytesOfTheEncoding) {
    const std::string texts[] = {
        "",
        "Aula",
        "Departamento de Lengua Castellana y Literatura",
        "Educación Física 2º Bachillerato",
        "ñ0123456789abcdefñ0123456789€",
        "01234567ÁBCDEFGHIJKLMNOÑ",
        "a\xFF" "bcdefghijklmnopq\xE2\x82",
    };
    for (const std::string& text : texts) {
        const std::string whole = EncodeWindows1252(text);
        for (std::size_t width = 0; width <= whole.size() + 2; ++width) {
            SCOPED_TRACE(text + " in " + std::to_string(width) + " bytes");
            std::string field(width, '#');
            const std::size_t written = WriteWindows1252(text, field);
            EXPECT_EQ(written, std::min(width, whole.size()));
            EXPECT_EQ(field.substr(0, written), whole.substr(0, written));
            EXPECT_EQ(field.substr(written), std::string(width - written, '#'));
        }
    }
}

}  // namespace
}  // namespace velmaro

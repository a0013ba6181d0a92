// The Windows-1252 code page of the work tables.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace velmaro

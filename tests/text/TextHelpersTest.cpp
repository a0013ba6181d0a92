// The shared text helpers: trimming, cutting, capitals, initials, upper-casing, counting.

#include <gtest/gtest.h>

#include <string>

#include "text/TextHelpers.h"

namespace velmaro {
namespace {

struct UnaryCase {
    const char* name;
    std::string input;
    std::string expected;
};

TEST(TrimBlanks, OnlyTheSpaceCharacterIsABlank) {
    const UnaryCase cases[] = {
        {"both ends", "  Aula 1  ", "Aula 1"},
        {"blanks inside stay", " Ana  María ", "Ana  María"},
        {"tabs and line breaks stay", "\tA\n", "\tA\n"},
        {"blanks outside tabs go", "  \tA\t  ", "\tA\t"},
        {"blanks only", "     ", ""},
        {"empty", "", ""},
        {"one blank", " ", ""},
        {"non-breaking space is not a blank", "\u00A0x\u00A0", "\u00A0x\u00A0"},
        {"multibyte at the ends", " Ángel Muñoz º ", "Ángel Muñoz º"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TrimBlanks(c.input), c.expected);
        std::string inPlace = c.input;
        TrimBlanksInPlace(inPlace);
        EXPECT_EQ(inPlace, c.expected);
        EXPECT_EQ(TrimBlanksView(c.input), c.expected);
    }
}

TEST(TrimBlanks, OneSidedTrims) {
    const struct {
        const char* name;
        std::string input;
        std::string leading;
        std::string trailing;
    } cases[] = {
        {"both sides", "  a b  ", "a b  ", "  a b"},
        {"blanks only", "   ", "", ""},
        {"tab protects the rest", " \t a \t ", "\t a \t ", " \t a \t"},
        {"nothing to trim", "ñ", "ñ", "ñ"},
        {"empty", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TrimLeadingBlanks(c.input), c.leading);
        EXPECT_EQ(TrimTrailingBlanks(c.input), c.trailing);
    }
}

struct CutCase {
    const char* name;
    std::string input;
    long n;
    std::string left;
    std::string right;
};

TEST(LeftRightChars, CountCharactersNotBytes) {
    const CutCase cases[] = {
        {"zero", "Aula", 0, "", ""},
        {"negative", "Aula", -3, "", ""},
        {"shorter than n", "8", 2, "8", "8"},
        {"exactly n", "0815", 4, "0815", "0815"},
        {"longer than n", "Laboratorio", 4, "Labo", "orio"},
        {"accented letters are one character", "ÁÉÍÓÚñº", 2, "ÁÉ", "ñº"},
        {"multibyte exactly n", "Ñuñoa", 5, "Ñuñoa", "Ñuñoa"},
        {"euro sign and emoji", "€x😀", 1, "€", "😀"},
        {"empty text", "", 3, "", ""},
        {"first eight of a code", "MATEMÁTICAS12", 8, "MATEMÁTI", "ÁTICAS12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LeftChars(c.input, c.n), c.left);
        EXPECT_EQ(LeftCharsView(c.input, c.n), c.left);
        EXPECT_EQ(RightChars(c.input, c.n), c.right);
    }
}

TEST(CapitalLetters, KeepsOnlyAToZ) {
    const UnaryCase cases[] = {
        {"subject name", "Lengua Castellana y Literatura", "LCL"},
        {"accented capitals dropped", "TECNOLOGÍA E INFORMÁTICA", "TECNOLOGAEINFORMTICA"},
        {"Ñ, Ú and Ç dropped", "ÑANDÚ ÇA", "ANDA"},
        {"lower case, digits, signs", "inglés 2º-B", "B"},
        {"one capital", "Educación física", "E"},
        {"none", "matemáticas", ""},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CapitalLetters(c.input), c.expected);
    }
}

TEST(WordInitials, CharacterAfterEveryBlankButTheLast) {
    const UnaryCase cases[] = {
        {"first character not included", "Lengua Castellana y Literatura", "CyL"},
        {"lower case initial", "Educación física", "f"},
        {"accented initial is one character", "inglés ávila ñu", "áñ"},
        {"two blanks: the first gives the second blank", "a  b", " b"},
        {"three blanks", "a   b", "  b"},
        {"trailing blank gives nothing", "ab ", ""},
        {"leading blank", " ab", "a"},
        {"no blank", "Matemáticas", ""},
        {"tab is not a blank", "a\tb c", "c"},
        {"blank only", " ", ""},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WordInitials(c.input), c.expected);
    }
}

TEST(UpperCaseAsciiLetters, ChangesOnlyAToZ) {
    const UnaryCase cases[] = {
        {"accented letter stays", "inglés", "INGLéS"},
        {"ñ and º stay", "año 1º", "AñO 1º"},
        {"already capital", "ÁREA", "ÁREA"},
        {"mixed", "Física y Química", "FíSICA Y QUíMICA"},
        {"signs and digits", "a-z 0_9", "A-Z 0_9"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UpperCaseAsciiLetters(c.input), c.expected);
        std::string inPlace = c.input;
        UpperCaseAsciiLettersInPlace(inPlace);
        EXPECT_EQ(inPlace, c.expected);
    }
}

TEST(CharCount, CodePoints) {
    const struct {
        const char* name;
        std::string input;
        std::size_t count;
    } cases[] = {
        {"ascii", "Aula", 4},
        {"two-byte characters", "Áºñ", 3},
        {"three-byte euro", "10 €", 4},
        {"four-byte emoji", "😀a", 2},
        {"empty", "", 0},
        {"invalid byte counts as one",
         "a\xFF"
         "b",
         3},
        {"truncated sequence: each byte counts", "a\xC3", 2},
        {"continuation byte alone", "\x80", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CharCount(c.input), c.count);
    }
}

}  // namespace
}  // namespace velmaro

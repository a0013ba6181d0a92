// Uniqueness of short codes: suffixes 1, 2, 3 ..., letter case, and the stored 8 + 2 form.

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "inbound/UniqueCode.h"

namespace velmaro {
namespace {

struct UniqueCase {
    const char* name;
    CodeCase letterCase;
    CodeLength length;
    std::vector<std::string> claims;
    std::vector<std::string> expected;
};

// Names the case in test output.
void PrintTo(const UniqueCase& c, std::ostream* os) { *os << c.name; }

class UniqueCodesTest : public ::testing::TestWithParam<UniqueCase> {};

TEST_P(UniqueCodesTest, HandsOutEachStoredCodeOnce) {
    const UniqueCase& c = GetParam();
    UniqueCodes codes(c.letterCase, c.length);
    std::vector<std::string> handedOut;
    for (const std::string& claim : c.claims) handedOut.push_back(codes.Claim(claim).code);
    EXPECT_EQ(handedOut, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, UniqueCodesTest,
    ::testing::Values(
        UniqueCase{"SubjectCodesCaseSensitive", CodeCase::Sensitive, CodeLength::ShortenToTen,
                   {"LCL", "LCL", "lcl", "LCL"},
                   {"LCL", "LCL1", "lcl", "LCL2"}},
        UniqueCase{"TenCharactersShortenedNeverRepeat", CodeCase::Sensitive,
                   CodeLength::ShortenToTen,
                   {"ABCDEFGHIJ", "ABCDEFGHIJ", "ABCDEFGHIJ", "ABCDEFGHIJ"},
                   {"ABCDEFGHIJ", "ABCDEFGHJ1", "ABCDEFGHJ2", "ABCDEFGHJ3"}},
        UniqueCase{"ShortenedFormTakenEarlier", CodeCase::Sensitive, CodeLength::ShortenToTen,
                   {"ABCDEFGHJ1", "ABCDEFGHIJ", "ABCDEFGHIJ"},
                   {"ABCDEFGHJ1", "ABCDEFGHIJ", "ABCDEFGHJ2"}},
        UniqueCase{"TeacherInitialsIgnoreCase", CodeCase::Ignored, CodeLength::ShortenToTen,
                   {"GLA", "GLA", "GLA", "gla"},
                   {"GLA", "GLA1", "GLA2", "gla3"}},
        UniqueCase{"RoomCodesIgnoreCaseUncut", CodeCase::Ignored, CodeLength::Unlimited,
                   {"A1", "A1", "a1", "ABCDEFGHIJKL", "abcdefghijkl"},
                   {"A1", "A11", "a12", "ABCDEFGHIJKL", "abcdefghijkl1"}},
        UniqueCase{"EmptyCodeThenOne", CodeCase::Ignored, CodeLength::ShortenToTen,
                   {"", "", ""},
                   {"", "1", "2"}},
        UniqueCase{"SuffixTakenAsPlainCode", CodeCase::Sensitive, CodeLength::ShortenToTen,
                   {"A", "A1", "A", "A"},
                   {"A", "A1", "A2", "A3"}},
        UniqueCase{"PlainCodeClaimedAfterItsSuffix", CodeCase::Sensitive,
                   CodeLength::ShortenToTen,
                   {"A1", "A", "A"},
                   {"A1", "A", "A2"}},
        UniqueCase{"ShorteningCountsCharacters", CodeCase::Ignored, CodeLength::ShortenToTen,
                   {"2ºBachillB", "2ºBachillB", "2ºBachillB"},
                   {"2ºBachillB", "2ºBachilB1", "2ºBachilB2"}},
        UniqueCase{"TwoDigitSuffixes", CodeCase::Sensitive, CodeLength::ShortenToTen,
                   std::vector<std::string>(12, "ABCDEFGHIJ"),
                   {"ABCDEFGHIJ", "ABCDEFGHJ1", "ABCDEFGHJ2", "ABCDEFGHJ3", "ABCDEFGHJ4",
                    "ABCDEFGHJ5", "ABCDEFGHJ6", "ABCDEFGHJ7", "ABCDEFGHJ8", "ABCDEFGHJ9",
                    "ABCDEFGH10", "ABCDEFGH11"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A claim says whether a number was appended; shortening a long code to eight plus two
// characters is not a suffix.
TEST(UniqueCodes, SaysWhenANumberWasAppended) {
    UniqueCodes codes(CodeCase::Ignored, CodeLength::ShortenToTen);
    struct Claimed {
        const char* wanted;
        const char* code;
        bool suffixed;
    };
    for (const Claimed& c : std::vector<Claimed>{{"GLA", "GLA", false},
                                                  {"gla", "gla1", true},
                                                  {"ABCDEFGHIJKL", "ABCDEFGHKL", false},
                                                  {"ABCDEFGHIJKL", "ABCDEFGHL1", true},
                                                  {"A1", "A1", false},
                                                  {"A", "A", false}}) {
        const ClaimedCode claimed = codes.Claim(c.wanted);
        EXPECT_EQ(claimed.code, c.code) << c.wanted;
        EXPECT_EQ(claimed.suffixed, c.suffixed) << c.wanted;
    }
}

// Beyond 99 suffixes, eight plus two characters repeat (100 and 200 both end in 00); the codes
// must still all differ and the claim must end.
TEST(UniqueCodes, KeepsCodesDistinctPastTwoDigitSuffixes) {
    UniqueCodes codes(CodeCase::Sensitive, CodeLength::ShortenToTen);
    std::vector<std::string> handedOut;
    for (int i = 0; i < 1200; ++i) handedOut.push_back(codes.Claim("ABCDEFGHIJ").code);
    EXPECT_EQ(handedOut[100], "ABCDEFGH00");  // still free: stored as eight plus two
    EXPECT_EQ(handedOut[109], "ABCDEFGH09");
    EXPECT_EQ(handedOut[110], "ABCDEFG110");  // ABCDEFGH10 went to suffix 10
    EXPECT_EQ(handedOut[1000], "ABCDEF1000");
    EXPECT_EQ(std::set<std::string>(handedOut.begin(), handedOut.end()).size(), handedOut.size());
    for (const std::string& code : handedOut) EXPECT_LE(code.size(), 10u) << code;
}

}  // namespace
}  // namespace velmaro

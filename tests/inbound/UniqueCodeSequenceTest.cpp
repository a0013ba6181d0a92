// Uniqueness of short codes: suffixes 1, 2, 3 ..., letter case, and the stored 8 + 2 form.

#include <gtest/gtest.h>

#include <ostream>
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
    for (const std::string& claim : c.claims) handedOut.push_back(codes.Claim(claim));
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
                   {"A1", "A", "A2"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro

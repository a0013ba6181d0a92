#include "inbound/UniqueCode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmaro {
namespace {

struct ClaimCase {
    const char* name;
    CodeCase letterCase;
    CodeLength length;
    std::vector<std::string> requested;
    std::vector<std::string> handedOut;
};

class UniqueCodesTest : public ::testing::TestWithParam<ClaimCase> {};

TEST_P(UniqueCodesTest, HandsOutTheFirstFreeCandidate) {
    const ClaimCase& c = GetParam();
    UniqueCodes codes(c.letterCase, c.length);
    std::vector<std::string> handedOut;
    for (const std::string& code : c.requested) handedOut.push_back(codes.Claim(code));
    EXPECT_EQ(handedOut, c.handedOut);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UniqueCodesTest,
    ::testing::Values(
        ClaimCase{"SuffixesInTurn", CodeCase::Sensitive, CodeLength::ShortenToTen,
                  {"LCL", "LCL", "LCL"}, {"LCL", "LCL1", "LCL2"}},
        ClaimCase{"CaseIgnoredSharesSuffixes", CodeCase::Ignored, CodeLength::ShortenToTen,
                  {"GLA", "GLA", "GLA", "gla"}, {"GLA", "GLA1", "GLA2", "gla3"}},
        ClaimCase{"CaseSensitiveKeepsBoth", CodeCase::Sensitive, CodeLength::ShortenToTen,
                  {"Ma", "MA", "ma"}, {"Ma", "MA", "ma"}},
        ClaimCase{"RoomCodesIgnoreCase", CodeCase::Ignored, CodeLength::Unlimited,
                  {"A1", "A1", "a1"}, {"A1", "A11", "a12"}},
        ClaimCase{"SuffixedFormAlreadyTaken", CodeCase::Ignored, CodeLength::Unlimited,
                  {"A11", "A1", "A1"}, {"A11", "A1", "A12"}},
        ClaimCase{"EmptyCodeThenNumbers", CodeCase::Ignored, CodeLength::Unlimited,
                  {"", "", ""}, {"", "1", "2"}},
        ClaimCase{"ShortenedFormsNeverRepeat", CodeCase::Sensitive, CodeLength::ShortenToTen,
                  {"ABCDEFGHIJ", "ABCDEFGHIJ", "ABCDEFGHIJ"},
                  {"ABCDEFGHIJ", "ABCDEFGHJ1", "ABCDEFGHJ2"}},
        ClaimCase{"ShortenedFormTakenByAPlainCode", CodeCase::Sensitive, CodeLength::ShortenToTen,
                  {"ABCDEFGHJ1", "ABCDEFGHIJ", "ABCDEFGHIJ"},
                  {"ABCDEFGHJ1", "ABCDEFGHIJ", "ABCDEFGHJ2"}},
        ClaimCase{"ShorteningCountsCharacters", CodeCase::Ignored, CodeLength::ShortenToTen,
                  {"2ºBachillB", "2ºBachillB", "2ºBachillB"},
                  {"2ºBachillB", "2ºBachilB1", "2ºBachilB2"}},
        ClaimCase{"TwoDigitSuffixes", CodeCase::Sensitive, CodeLength::ShortenToTen,
                  std::vector<std::string>(12, "ABCDEFGHIJ"),
                  {"ABCDEFGHIJ", "ABCDEFGHJ1", "ABCDEFGHJ2", "ABCDEFGHJ3", "ABCDEFGHJ4",
                   "ABCDEFGHJ5", "ABCDEFGHJ6", "ABCDEFGHJ7", "ABCDEFGHJ8", "ABCDEFGHJ9",
                   "ABCDEFGH10", "ABCDEFGH11"}}),
    [](const ::testing::TestParamInfo<ClaimCase>& info) { return std::string(info.param.name); });

TEST(UniqueCodes, ReportsTakenCodesWithItsOwnLetterCase) {
    UniqueCodes ignoring(CodeCase::Ignored, CodeLength::Unlimited);
    ignoring.Claim("Aula");
    EXPECT_TRUE(ignoring.IsTaken("AULA"));
    UniqueCodes sensitive(CodeCase::Sensitive, CodeLength::Unlimited);
    sensitive.Claim("Aula");
    EXPECT_FALSE(sensitive.IsTaken("AULA"));
}

}  // namespace
}  // namespace velmaro

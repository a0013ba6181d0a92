// Filter expressions: what FIELD= 'text' asks for, what is refused, and the text that asks.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "worktables/FilterExpression.h"

namespace velmaro::dbf {
namespace {

struct ParseCase {
    const char* name;
    std::string expression;
    std::string field;
    std::string value;
};

class EqualsFilterParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(EqualsFilterParse, GivesTheFieldAndTheValue) {
    const ParseCase& c = GetParam();
    const std::optional<EqualsFilter> filter = ParseEqualsFilter(c.expression);
    ASSERT_TRUE(filter.has_value());
    EXPECT_EQ(filter->field, c.field);
    EXPECT_EQ(filter->value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, EqualsFilterParse,
    ::testing::Values(ParseCase{"Plain", "PROF= 'ANA'", "PROF", "ANA"},
                      ParseCase{"NoBlanks", "PROF='ANA'", "PROF", "ANA"},
                      ParseCase{"BlanksAround", "  ASIG =  'LEN'  ", "ASIG", "LEN"},
                      ParseCase{"DoubledQuote", "PROF= 'O''NEIL'", "PROF", "O'NEIL"},
                      ParseCase{"OnlyAQuote", "PROF= ''''", "PROF", "'"},
                      ParseCase{"BlanksInsideTheValueStay", "PROF= ' LUIS  '", "PROF", " LUIS  "},
                      ParseCase{"LowerCaseFieldName", "prof= 'ana'", "prof", "ana"},
                      ParseCase{"EmptyValue", "PROF= ''", "PROF", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EqualsFilterParse, RefusesEveryOtherExpression) {
    for (const char* expression :
         {"", "PROF", "PROF= ANA", "PROF= 'ANA", "PROF= 'ANA' AND ASIG= 'MAT'", "= 'ANA'",
          "PROF<> 'ANA'", "PROF= 'O'NEIL'", "PROF 'ANA'", "PROF= 'ANA'x"}) {
        EXPECT_EQ(ParseEqualsFilter(expression), std::nullopt) << expression;
    }
}

TEST(EqualsFilterText, DoublesQuotesAndReadsBackAsTheSameFilter) {
    EXPECT_EQ(EqualsFilterText("PROF", "ANA"), "PROF= 'ANA'");
    EXPECT_EQ(EqualsFilterText("PROF", "O'NEIL"), "PROF= 'O''NEIL'");
    for (const std::string value : {"", "'", "''", " A ", "D'ARC'", "ÑÚ"}) {
        const std::optional<EqualsFilter> filter =
            ParseEqualsFilter(EqualsFilterText("PROF", value));
        ASSERT_TRUE(filter.has_value()) << value;
        EXPECT_EQ(filter->field, "PROF");
        EXPECT_EQ(filter->value, value);
    }
}

}  // namespace
}  // namespace velmaro::dbf

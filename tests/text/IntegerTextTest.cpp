// Reading and writing whole numbers as text.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/Error.h"
#include "text/IntegerText.h"

namespace velmaro {
namespace {

TEST(ParseInteger, DecimalWithOptionalSign) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"0", 0},   {"8", 8},  {"00012", 12},           {"+5", 5},
        {"-5", -5}, {"-0", 0}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseInteger(c.text), c.value);
    }
}

TEST(ParseInteger, AnythingElseFailsWithTheConvertersMessage) {
    const char* const cases[] = {
        "",
        " 8",
        "8 ",
        "8:00",
        "08:30",
        "1.5",
        "1,5",
        "+",
        "-",
        "+-5",
        "--5",
        "0x10",
        "1e3",
        "doce",
        "2147483648",
        "-2147483649",
        "99999999999999999999",
        "\xD9\xA3",
        "\t7",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        try {
            ParseInteger(text);
            ADD_FAILURE() << "accepted";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(IntegerToText, PlainDecimal) {
    EXPECT_EQ(IntegerToText(0), "0");
    EXPECT_EQ(IntegerToText(110), "110");
    EXPECT_EQ(IntegerToText(-1), "-1");
    EXPECT_EQ(IntegerToText(LLONG_MIN), "-9223372036854775808");
}

}  // namespace
}  // namespace velmaro

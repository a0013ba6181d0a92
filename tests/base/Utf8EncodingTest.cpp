// Code points written as UTF-8: each sequence length at its bounds.

#include <gtest/gtest.h>

#include <string>

#include "base/Utf8Encoding.h"

namespace velmaro {
namespace {

struct EncodingCase {
    const char* name;
    char32_t codePoint;
    std::string bytes;
};

class Utf8Encoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(Utf8Encoding, AppendsTheBytesOfTheCodePoint) {
    const EncodingCase& c = GetParam();
    std::string out = "x";
    AppendUtf8(out, c.codePoint);
    EXPECT_EQ(out, "x" + c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, Utf8Encoding,
    ::testing::Values(EncodingCase{"Nul", U'\0', std::string(1, '\0')},
                      EncodingCase{"LastAscii", U'\x7F', "\x7F"},
                      EncodingCase{"FirstTwoBytes", U'\x80', "\xC2\x80"},
                      EncodingCase{"EAcute", U'é', "\xC3\xA9"},
                      EncodingCase{"LastTwoBytes", U'\x7FF', "\xDF\xBF"},
                      EncodingCase{"FirstThreeBytes", U'\x800', "\xE0\xA0\x80"},
                      EncodingCase{"Euro", U'€', "\xE2\x82\xAC"},
                      EncodingCase{"LastThreeBytes", U'\xFFFF', "\xEF\xBF\xBF"},
                      EncodingCase{"FirstFourBytes", U'\x10000', "\xF0\x90\x80\x80"},
                      EncodingCase{"LastCodePoint", U'\x10FFFF', "\xF4\x8F\xBF\xBF"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro

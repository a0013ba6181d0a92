#include "text/Latin9.h"

#include <array>

namespace velmaro {

namespace {

// The bytes where Latin-9 differs from Latin-1, with the code point each one holds there.
struct ReplacedSign {
    unsigned char byte;
    char32_t codePoint;
};
constexpr std::array<ReplacedSign, 8> kReplacedSigns = {{
    {0xA4, 0x20AC},  // euro sign
    {0xA6, 0x0160},  // S with caron
    {0xA8, 0x0161},  // s with caron
    {0xB4, 0x017D},  // Z with caron
    {0xB8, 0x017E},  // z with caron
    {0xBC, 0x0152},  // OE ligature
    {0xBD, 0x0153},  // oe ligature
    {0xBE, 0x0178},  // Y with diaeresis
}};

}  // namespace

std::optional<char> Latin9Byte(char32_t codePoint) {
    for (const ReplacedSign& sign : kReplacedSigns) {
        if (sign.codePoint == codePoint) return static_cast<char>(sign.byte);
        if (sign.byte == codePoint) return std::nullopt;  // the Latin-1 sign it replaced
    }
    if (codePoint > 0xFF) return std::nullopt;
    return static_cast<char>(codePoint);
}

}  // namespace velmaro

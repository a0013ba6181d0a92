#include "text/Utf8.h"

namespace velmaro {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length announced by a lead byte, or 0 when the byte cannot start a character.
std::size_t LeadLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Lead bytes whose second byte is narrower than any continuation byte: E0 and F0 would
// otherwise allow overlong forms, ED the UTF-16 surrogates, F4 values above U+10FFFF.
bool IsValidSecondByte(unsigned char lead, unsigned char second) {
    switch (lead) {
        case 0xE0:
            return second >= 0xA0 && second <= 0xBF;
        case 0xED:
            return second >= 0x80 && second <= 0x9F;
        case 0xF0:
            return second >= 0x90 && second <= 0xBF;
        case 0xF4:
            return second >= 0x80 && second <= 0x8F;
        default:
            return IsContinuation(second);
    }
}

}  // namespace

std::size_t Utf8CharLength(std::string_view s, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    const std::size_t length = LeadLength(lead);
    if (length <= 1 || pos + length > s.size()) return 1;
    if (!IsValidSecondByte(lead, static_cast<unsigned char>(s[pos + 1]))) return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(s[pos + i]))) return 1;
    }
    return length;
}

std::size_t Utf8Offset(std::string_view s, std::size_t index) {
    if (s.size() <= index) return s.size();  // no more characters than bytes
    std::size_t pos = 0;
    for (std::size_t i = 0; i < index && pos < s.size(); ++i) pos += Utf8CharLength(s, pos);
    return pos;
}

char32_t Utf8Decode(std::string_view s, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    const std::size_t length = Utf8CharLength(s, pos);
    if (length == 1) return lead;
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        value = (value << 6) | (static_cast<unsigned char>(s[pos + i]) & 0x3F);
    }
    return value;
}

}  // namespace velmaro

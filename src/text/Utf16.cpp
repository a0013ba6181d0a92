#include "text/Utf16.h"

#include <cstdint>

namespace velmaro {

namespace {

constexpr char32_t kFirstSupplementary = 0x10000;  // code points above the 16-bit plane
constexpr std::uint16_t kHighSurrogate = 0xD800;
constexpr std::uint16_t kLowSurrogate = 0xDC00;

void AppendUnit(std::uint16_t unit, std::string& bytes) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
}

}  // namespace

void AppendUtf16Le(char32_t codePoint, std::string& bytes) {
    if (codePoint < kFirstSupplementary) {
        AppendUnit(static_cast<std::uint16_t>(codePoint), bytes);
        return;
    }
    const char32_t offset = codePoint - kFirstSupplementary;
    AppendUnit(static_cast<std::uint16_t>(kHighSurrogate + (offset >> 10)), bytes);
    AppendUnit(static_cast<std::uint16_t>(kLowSurrogate + (offset & 0x3FF)), bytes);
}

}  // namespace velmaro

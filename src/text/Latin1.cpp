#include "text/Latin1.h"

namespace velmaro {

std::optional<char> Latin1Byte(char32_t codePoint) {
    if (codePoint > 0xFF) return std::nullopt;
    return static_cast<char>(codePoint);
}

}  // namespace velmaro

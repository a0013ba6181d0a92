#include "base/Utf8Path.h"

namespace velmaro {

// std::u8string is UTF-8 by its type on every platform, so the standard library converts it to
// and from the system's form of a path exactly.
std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace velmaro

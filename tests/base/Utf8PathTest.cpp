// Paths made from UTF-8 text and shown as UTF-8 text keep every character: letters of Spanish,
// accents, and characters outside the Basic Multilingual Plane (two UTF-16 units on Windows).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/Utf8Path.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;

// "Año 2026" and a calendar emoji, spelled as UTF-8 bytes and as the system's own path.
constexpr const char* kUtf8 = "A\xC3\xB1o 2026 \xF0\x9F\x93\x85";

TEST(Utf8Path, MadeFromUtf8TextKeepsEveryCharacter) {
#ifdef _WIN32
    EXPECT_EQ(PathFromUtf8(kUtf8).native(), L"A\u00F1o 2026 \U0001F4C5");
#else
    EXPECT_EQ(PathFromUtf8(kUtf8).native(), kUtf8);
#endif
}

TEST(Utf8Path, ShownAsUtf8TextKeepsEveryCharacter) {
    EXPECT_EQ(Utf8FromPath(fs::path(u8"A\u00F1o 2026 \U0001F4C5")), kUtf8);
    const fs::path nested = fs::path(u8"C\u00E1ceres") / PathFromUtf8(kUtf8);
    EXPECT_EQ(Utf8FromPath(nested), std::string("C\xC3\xA1"
                                                "ceres") +
                                        static_cast<char>(fs::path::preferred_separator) + kUtf8);
}

}  // namespace
}  // namespace velmaro

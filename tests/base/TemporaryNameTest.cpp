// The names of the temporary files beside a file being replaced: a target of any length a
// folder allows, in any script, gets a temporary name that the folder allows too, and the name
// still shows the start of the target's name, a fresh random part and the suffix.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"
#include "base/TemporaryFile.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;

// The longest name a folder entry may have (bytes on POSIX systems, UTF-16 units on Windows).
constexpr std::size_t kLongestName = 255;

std::u8string Repeated(std::u8string_view piece, int times) {
    std::u8string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

struct NameCase {
    const char* name;
    std::u8string target;
    std::u8string kept;  // the part of the target's name the temporary name begins with
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }

class TemporaryName : public ::testing::TestWithParam<NameCase> {};

TEST_P(TemporaryName, FitsInAFolderEntryAndShowsTheStartOfTheTargetsName) {
    const fs::path folder = fs::path("carpeta") / "de trabajo";
    const fs::path target = folder / GetParam().target;
    const fs::path fresh = files::FreshTemporaryPath(target);

    EXPECT_EQ(fresh.parent_path(), folder);
    const fs::path::string_type name = fresh.filename().native();
    const fs::path::string_type start = fs::path(u8"." + GetParam().kept + u8".").native();
    const fs::path::string_type suffix = fs::path(files::kReplacementSuffix).native();
    EXPECT_LE(name.size(), kLongestName);
    ASSERT_EQ(name.size(), start.size() + files::kFreshNamePartLength + suffix.size());
    EXPECT_TRUE(name.starts_with(start)) << fresh;
    EXPECT_TRUE(name.ends_with(suffix)) << fresh;
    const fs::path::string_type random = name.substr(start.size(), files::kFreshNamePartLength);
    EXPECT_TRUE(std::all_of(random.begin(), random.end(), [](auto unit) {
        return (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z') ||
               (unit >= '0' && unit <= '9');
    })) << fresh;
    EXPECT_NE(files::FreshTemporaryPath(target), fresh) << "a fresh random part at each call";
}

// Names of every length up to the longest, with characters of one, two and four bytes.
std::vector<NameCase> NameCases() {
    return {
        {"ShortNameWhole", u8"Tavolin.ini", u8"Tavolin.ini"},
        {"LongestNameKeptWhole", Repeated(u8"a", 231), Repeated(u8"a", 231)},
        {"OneLongerIsCut", Repeated(u8"a", 232), Repeated(u8"a", 231)},
        {"ResultOfADocumentWithALongName", u8"ResultadoOrvik" + Repeated(u8"h", 232) + u8".xml",
         u8"ResultadoOrvik" + Repeated(u8"h", 217)},
        {"LongestNameAFolderAllows", Repeated(u8"b", 255), Repeated(u8"b", 231)},
#ifdef _WIN32
        // One UTF-16 unit for "ñ", two (a surrogate pair) for a character outside the Basic
        // Multilingual Plane.
        {"AccentedLettersCountOneEach", Repeated(u8"ñ", 250), Repeated(u8"ñ", 231)},
        {"SurrogatePairIsNotSplit", Repeated(u8"😀", 124), Repeated(u8"😀", 115)},
#else
        // Two bytes of UTF-8 for "ñ", four for a character outside the Basic Multilingual Plane.
        {"TwoByteLetterIsNotSplit", Repeated(u8"ñ", 125), Repeated(u8"ñ", 115)},
        {"FourByteCharacterIsNotSplit", Repeated(u8"😀", 62), Repeated(u8"😀", 57)},
#endif
    };
}

INSTANTIATE_TEST_SUITE_P(Names, TemporaryName, ::testing::ValuesIn(NameCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro

// The keys the lookup indexes compare: parts read back as AppendKeyPart wrote them, and a row's
// fields compared with a key without building the row's key. Lookups reach these comparisons
// only when two keys share a hash, so they are checked here directly.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "worktables/DbfFieldValue.h"
#include "worktables/DbfFormat.h"
#include "worktables/RowKeyIndex.h"

namespace velmaro::dbf {
namespace {

TEST(RowKey, PartsComeBackAsWritten) {
    // Lengths around the one-byte limit, and one that needs more than two bytes.
    const std::vector<std::string> parts = {"",
                                            "A",
                                            std::string(254, 'x'),
                                            std::string(255, 'y'),
                                            std::string(300, 'z'),
                                            std::string(70000, 'w')};
    std::string key;
    for (const std::string& part : parts) {
        AppendKeyPart(key, [&](std::string& out) { out += part; });
    }
    std::string_view rest = key;
    std::string_view part;
    for (const std::string& expected : parts) {
        ASSERT_TRUE(TakeKeyPart(rest, part)) << expected.size();
        EXPECT_EQ(part, expected);
    }
    EXPECT_FALSE(TakeKeyPart(rest, part));
    // Cut inside the last part's bytes, or inside its five-byte length.
    for (std::size_t cut : {std::size_t{1}, std::size_t{300}, std::size_t{70002}}) {
        std::string_view shortKey = std::string_view(key).substr(0, key.size() - cut);
        while (TakeKeyPart(shortKey, part)) {
        }
        EXPECT_FALSE(shortKey.empty()) << "a key without its last " << cut << " bytes";
    }
}

TEST(RowKey, StoredValueEqualsOnlyItsOwnKey) {
    struct Case {
        const char* name;
        DbfField field;
        std::string raw;
    };
    const std::vector<Case> cases = {
        {"paddedText", {"A", kTypeCharacter, 0, 6, 0}, "ANA   "},
        {"fullText", {"A", kTypeCharacter, 0, 3, 0}, "ANA"},
        {"blankText", {"A", kTypeCharacter, 0, 4, 0}, "    "},
        {"nulPaddedText", {"A", kTypeCharacter, 0, 4, 0}, std::string("AB\0\0", 4)},
        {"innerBlanksKept", {"A", kTypeCharacter, 0, 6, 0}, "A B   "},
        {"longPadding",
         {"A", kTypeCharacter, 0, 80, 0},
         "NOMBRE        LARGO" + std::string(61, ' ')},
        {"blanksAfterNul",
         {"A", kTypeCharacter, 0, 20, 0},
         std::string("AB\0", 3) + std::string(17, ' ')},
        {"blanksBeforeNuls",
         {"A", kTypeCharacter, 0, 20, 0},
         "AB" + std::string(16, ' ') + std::string(2, '\0')},
        {"allBlankWide", {"A", kTypeCharacter, 0, 40, 0}, std::string(40, ' ')},
        {"numeric", {"N", kTypeNumeric, 0, 6, 2}, "  4.50"},
        {"blankNumeric", {"N", kTypeNumeric, 0, 4, 0}, "    "},
        {"integer", {"I", kTypeInteger, 0, 4, 0}, std::string("\x07\0\0\0", 4)},
        {"logical", {"L", kTypeLogical, 0, 1, 0}, "T"},
        {"date", {"D", kTypeDate, 0, 8, 0}, "20261210"},
    };
    for (const Case& c : cases) {
        std::string key;
        AppendStoredKey(c.field, c.raw, BinaryOrder::LittleEndian, key);
        EXPECT_TRUE(StoredKeyEquals(c.field, c.raw, BinaryOrder::LittleEndian, key)) << c.name;
        for (const std::string& other :
             {key + "x", key + " ", " " + key, key.substr(0, key.size() / 2)}) {
            if (other == key) continue;  // half of an empty key
            EXPECT_FALSE(StoredKeyEquals(c.field, c.raw, BinaryOrder::LittleEndian, other))
                << c.name << " against '" << other << "'";
        }
    }
}

}  // namespace
}  // namespace velmaro::dbf

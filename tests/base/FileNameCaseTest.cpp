// Files found by name in any letter case, the exact name first.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/FileNameCase.h"
#include "base/Utf8Path.h"
#include "support/ScratchFolder.h"

namespace velmaro::files {
namespace {


namespace fs = std::filesystem;

struct LookupCase {
    const char* name;
    std::vector<std::string> entries;  // files in the folder
    std::string looked;                // the name asked for
    std::string found;                 // the entry's name given back
};

class FindIgnoringCaseTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(FindIgnoringCaseTest, GivesTheEntryOfThatNameInAnyCase) {
    const LookupCase& c = GetParam();
    testing::ScratchFolder dir;
    for (const std::string& entry : c.entries) {
        std::ofstream(dir.Path() / PathFromUtf8(entry)) << entry;
    }
    EXPECT_EQ(FindIgnoringCase(dir.Path(), c.looked), dir.Path() / PathFromUtf8(c.found));
}

const LookupCase kLookupCases[] = {
    {"Exact", {"SOLUC.DBF"}, "SOLUC.DBF", "SOLUC.DBF"},
    {"LowerCase", {"soluc.dbf"}, "SOLUC.DBF", "soluc.dbf"},
    {"MixedCase", {"TAVOLIN.INI"}, "Tavolin.ini", "TAVOLIN.INI"},
#ifndef _WIN32
    // Names that differ only in letter case name one file on Windows.
    {"ExactBeatsOtherCase", {"soluc.dbf", "SOLUC.DBF"}, "SOLUC.DBF", "SOLUC.DBF"},
    {"FirstInNameOrder", {"soluc.dbf", "Soluc.dbf"}, "SOLUC.DBF", "Soluc.dbf"},
#endif
    {"OnlyAsciiLettersFold", {"año.dbf"}, "AÑO.DBF", "AÑO.DBF"},
    {"Missing", {"PROFT.DBF"}, "SOLUC.DBF", "SOLUC.DBF"},
    {"LongerNameIsAnother", {"SOLUC.DBF.bak"}, "SOLUC.DBF", "SOLUC.DBF"},
};

INSTANTIATE_TEST_SUITE_P(Names, FindIgnoringCaseTest, ::testing::ValuesIn(kLookupCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindIgnoringCase, GivesTheNameAskedForInAMissingFolder) {
    testing::ScratchFolder dir;
    EXPECT_EQ(FindIgnoringCase(dir.Path() / "nada", "SOLUC.DBF"), dir.Path() / "nada" / "SOLUC.DBF");
}

}  // namespace
}  // namespace velmaro::files

// The compiled help files: both exist beside the programs, hold their pages, and map help
// context 3 to the page the viewer is told to open.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "gui/qt/HelpViewer.h"
#include "support/ScratchFolder.h"

namespace velmaro::testing {
namespace {

namespace fs = std::filesystem;

// Runs Free Pascal's chmls in `folder` (it writes its output files there); its exit status.
int Chmls(const fs::path& folder, const std::string& arguments) {
    const std::string command =
        "cd '" + folder.string() + "' && chmls " + arguments + " > listado.txt 2>&1";
    return std::system(command.c_str());
}

class HelpFilesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(HelpFilesTest, HoldsItsPagesAndMapsContext3) {
    const std::string name = GetParam();
    const fs::path chm = fs::path(VELMARO_RUNTIME_DIR) / (name + ".chm");
    ASSERT_TRUE(fs::is_regular_file(chm));
    EXPECT_EQ(ReadBytes(chm).substr(0, 4), "ITSF");

    ScratchFolder work;
    ASSERT_EQ(Chmls(work.Path(), "-p list '" + chm.string() + "'"), 0);
    const std::string listing = ReadBytes(work.Path() / "listado.txt");
    EXPECT_NE(listing.find("/index.html"), std::string::npos) << listing;
    EXPECT_NE(listing.find("/" + *HelpTopicPage(kMainWindowHelpContext)), std::string::npos)
        << listing;

    // extractalias writes NAME.h and NAME.ali beside the file it reads, so it reads a copy.
    fs::copy_file(chm, work.Path() / chm.filename());
    ASSERT_EQ(Chmls(work.Path(), "extractalias " + chm.filename().string()), 0);
    const std::string map = ReadBytes(work.Path() / (name + ".h"));
    const std::string aliases = ReadBytes(work.Path() / (name + ".ali"));
    EXPECT_NE(map.find("#define helpid3 3"), std::string::npos) << map;
    EXPECT_NE(aliases.find("helpid3="), std::string::npos) << aliases;
    EXPECT_NE(aliases.find("/" + *HelpTopicPage(kMainWindowHelpContext)), std::string::npos)
        << aliases;
}

INSTANTIATE_TEST_SUITE_P(Files, HelpFilesTest, ::testing::Values("RUVED", "RACIMA"));

}  // namespace
}  // namespace velmaro::testing

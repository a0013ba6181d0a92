// Choosing the CHM viewer and its command line from the folders of a search path.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "gui/qt/HelpViewer.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

void InstallProgram(const fs::path& folder, const std::string& name, bool executable = true) {
    testing::WriteBytes(folder / name, "#!/bin/sh\n");
    fs::permissions(folder / name, executable ? fs::perms::owner_all : fs::perms::owner_read);
}

struct ViewerCase {
    const char* name;
    std::vector<std::string> installedInFirst;   // programs in the first folder of the path
    std::vector<std::string> installedInSecond;  // programs in the second folder
    std::optional<int> context;
    // Expected command after the program, and the program's folder (1 or 2); nothing: no viewer.
    std::optional<std::vector<std::string>> arguments;
    int folder;
};

void PrintTo(const ViewerCase& c, std::ostream* os) { *os << c.name; }

class HelpViewerCommandTest : public ::testing::TestWithParam<ViewerCase> {};

TEST_P(HelpViewerCommandTest, PicksTheFirstViewerInPreferenceOrder) {
    const ViewerCase& c = GetParam();
    ScratchFolder root;
    const fs::path first = root.Path() / "uno", second = root.Path() / "dos";
    for (const auto& program : c.installedInFirst) InstallProgram(first, program);
    for (const auto& program : c.installedInSecond) InstallProgram(second, program);
    const fs::path chm = "/opt/velmaro/RUVED.chm";

    const auto command =
        HelpViewerCommand(chm, c.context, "::" + first.string() + ":" + second.string() + ":");

    ASSERT_EQ(command.has_value(), c.arguments.has_value());
    if (!command) return;
    std::vector<std::string> expected = *c.arguments;
    expected.push_back(chm.string());
    EXPECT_EQ(std::vector<std::string>(command->begin() + 1, command->end()), expected);
    EXPECT_EQ(fs::path(command->front()).parent_path(), c.folder == 1 ? first : second);
}

const ViewerCase kViewerCases[] = {
    {"NoViewer", {}, {}, 3, std::nullopt, 0},
    {"KchmviewerOpensTheTopicPage",
     {},
     {"kchmviewer"},
     3,
     std::vector<std::string>{"-showPage", "ventana_principal.html"},
     2},
    {"KchmviewerContentsPage", {"kchmviewer"}, {}, std::nullopt, std::vector<std::string>{}, 1},
    {"KchmviewerUnknownContextOpensTheFile", {"kchmviewer"}, {}, 99, std::vector<std::string>{}, 1},
    {"KchmviewerPreferredOverAnEarlierXchm",
     {"xchm"},
     {"kchmviewer"},
     3,
     std::vector<std::string>{"-showPage", "ventana_principal.html"},
     2},
    {"XchmOpensTheFile", {}, {"xchm", "xdg-open"}, 3, std::vector<std::string>{}, 2},
    {"XdgOpenLast", {"xdg-open"}, {}, 3, std::vector<std::string>{}, 1},
};

INSTANTIATE_TEST_SUITE_P(Viewers, HelpViewerCommandTest, ::testing::ValuesIn(kViewerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HelpViewerCommand, SkipsFilesThatAreNotExecutable) {
    ScratchFolder root;
    InstallProgram(root.Path(), "kchmviewer", false);
    InstallProgram(root.Path(), "xchm");
    const auto command = HelpViewerCommand("RUVED.chm", 3, root.Path().string());
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->front(), (root.Path() / "xchm").string());
}

TEST(HelpUnavailableMessage, NamesTheFileAndWhatIsMissing) {
    const std::string missing = HelpUnavailableMessage("/opt/velmaro/RUVED.chm", false);
    EXPECT_NE(missing.find("/opt/velmaro/RUVED.chm"), std::string::npos);
    EXPECT_NE(missing.find("No se encuentra"), std::string::npos);
    const std::string noViewer = HelpUnavailableMessage("/opt/velmaro/RACIMA.chm", true);
    EXPECT_NE(noViewer.find("/opt/velmaro/RACIMA.chm"), std::string::npos);
    EXPECT_NE(noViewer.find("visor"), std::string::npos);
}

}  // namespace
}  // namespace velmaro

// Where the work tables and the program's files are looked for: environment overrides, the
// Wine prefix, and the folder of the running program.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "base/PlatformPaths.h"
#include "base/Utf8Path.h"
#include "support/ScopedEnvironment.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr const char* kExecutableSuffix = ".exe";
#else
constexpr const char* kExecutableSuffix = "";
#endif

using testing::ScopedEnvironment;
using Variables = testing::EnvironmentVariables;

struct WorkDirCase {
    const char* name;
    std::optional<std::string> ttemp, winePrefix, home;
    fs::path expected;
};

// Names the case in test output.
void PrintTo(const WorkDirCase& c, std::ostream* os) { *os << c.name; }

class DefaultWorkDirTest : public ::testing::TestWithParam<WorkDirCase> {};

TEST_P(DefaultWorkDirTest, FollowsTheEnvironment) {
    const WorkDirCase& c = GetParam();
    ScopedEnvironment environment(
        Variables{{"VELMARO_TTEMP", c.ttemp}, {"WINEPREFIX", c.winePrefix}, {"HOME", c.home}});
    EXPECT_EQ(DefaultWorkDir(), c.expected);
}

// Windows has its own work-table folder, whatever Wine prefix or home folder the environment
// names; elsewhere the folder is the one that Tavolin under Wine uses.
const WorkDirCase kWorkDirCases[] = {
#ifdef _WIN32
    {"VelmaroTtempWins", "D:\\datos\\TTEMP", "Z:\\vino", "Z:\\ana", "D:\\datos\\TTEMP"},
    {"WindowsFolderWhateverTheWinePrefix", std::nullopt, "Z:\\vino", "Z:\\ana", "C:\\TTEMP"},
    {"EmptyValueCountsAsUnset", "", "", "Z:\\ana", "C:\\TTEMP"},
    {"EveryCharacterOfVelmaroTtemp", "D:\\Año 2026\\TTEMP 📅", std::nullopt, std::nullopt,
     u8"D:\\Año 2026\\TTEMP 📅"},
#else
    {"VelmaroTtempWins", "/datos/TTEMP", "/vino", "/home/ana", "/datos/TTEMP"},
    {"WinePrefix", std::nullopt, "/vino", "/home/ana", "/vino/drive_c/TTEMP"},
    {"DefaultWinePrefix", std::nullopt, std::nullopt, "/home/ana", "/home/ana/.wine/drive_c/TTEMP"},
    {"EmptyValuesCountAsUnset", "", "", "/home/ana", "/home/ana/.wine/drive_c/TTEMP"},
    {"EveryCharacterOfVelmaroTtemp", "/datos/Año 2026/TTEMP 📅", std::nullopt, std::nullopt,
     u8"/datos/Año 2026/TTEMP 📅"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Environments, DefaultWorkDirTest, ::testing::ValuesIn(kWorkDirCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultProgramDir, VelmaroHomeWins) {
    const fs::path home = fs::temp_directory_path() / "velmaro";
    ScopedEnvironment environment(Variables{{"VELMARO_HOME", home.string()}});
    EXPECT_EQ(DefaultProgramDir(), home);
}

TEST(DefaultProgramDir, VelmaroHomeKeepsEveryCharacter) {
    const fs::path home = fs::temp_directory_path() / u8"Programa ñ 📅";
    ScopedEnvironment environment(Variables{{"VELMARO_HOME", Utf8FromPath(home)}});
    EXPECT_EQ(DefaultProgramDir(), home);
}

TEST(DefaultProgramDir, ElseTheFolderOfTheRunningProgram) {
    ScopedEnvironment environment(Variables{{"VELMARO_HOME", std::nullopt}});
    const fs::path folder = DefaultProgramDir();
    const fs::path thisProgram = fs::path("base_tests").concat(kExecutableSuffix);
    EXPECT_TRUE(fs::exists(folder / thisProgram)) << folder;
}

}  // namespace
}  // namespace velmaro

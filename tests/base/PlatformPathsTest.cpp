// Where the work tables and the program's files are looked for: environment overrides, the
// Wine prefix, and the folder of the running program.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "base/PlatformPaths.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;

// Environment variables by name; nothing means unset.
using Variables = std::map<std::string, std::optional<std::string>>;

// Sets environment variables for one test and puts the old values back afterwards.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const Variables& values) {
        for (const auto& [name, value] : values) {
            const char* old = ::getenv(name.c_str());
            saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
            Set(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) Set(name, value);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    static void Set(const std::string& name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    Variables saved_;
};

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

INSTANTIATE_TEST_SUITE_P(
    Environments, DefaultWorkDirTest,
    ::testing::Values(
        WorkDirCase{"VelmaroTtempWins", "/datos/TTEMP", "/vino", "/home/ana", "/datos/TTEMP"},
        WorkDirCase{"WinePrefix", std::nullopt, "/vino", "/home/ana", "/vino/drive_c/TTEMP"},
        WorkDirCase{"DefaultWinePrefix", std::nullopt, std::nullopt, "/home/ana",
                    "/home/ana/.wine/drive_c/TTEMP"},
        WorkDirCase{"EmptyValuesCountAsUnset", "", "", "/home/ana",
                    "/home/ana/.wine/drive_c/TTEMP"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultProgramDir, VelmaroHomeWins) {
    ScopedEnvironment environment(Variables{{"VELMARO_HOME", "/opt/velmaro"}});
    EXPECT_EQ(DefaultProgramDir(), fs::path("/opt/velmaro"));
}

TEST(DefaultProgramDir, ElseTheFolderOfTheRunningProgram) {
    ScopedEnvironment environment(Variables{{"VELMARO_HOME", std::nullopt}});
    const fs::path folder = DefaultProgramDir();
    EXPECT_TRUE(fs::exists(folder / "base_tests")) << folder;
}

}  // namespace
}  // namespace velmaro

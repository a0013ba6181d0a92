// The real desktop program on an X display: two arguments are a batch run even when one of
// them is an option that Qt takes for itself, since Tavolin counts what it passes.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

struct ArgumentsCase {
    const char* name;
    std::vector<std::string> arguments;
};

void PrintTo(const ArgumentsCase& c, std::ostream* os) { *os << c.name; }

class BatchArgumentsTest : public ::testing::TestWithParam<ArgumentsCase> {};

// The batch run opens the file dialog at once; cancelled, it says "No existe archivo", closes
// by itself and leaves result code -1 in Tavolin.ini.
TEST_P(BatchArgumentsTest, AQtOptionStillCountsAsAnArgument) {
    ScratchFolder scratch;
    const fs::path home = scratch.Folder("programa");
    const fs::path work = scratch.Folder("TTEMP");
    std::string command = "VELMARO_HOME=" + testing::ShellQuoted(home.string()) +
                          " VELMARO_TTEMP=" + testing::ShellQuoted(work.string()) +
                          " xvfb-run -a " +
                          testing::ShellQuoted(VELMARO_SOURCE_DIR "/tests/gui/batch_run_under_x.sh") +
                          " " + testing::ShellQuoted(VELMARO_RUNTIME_DIR "/velmaro");
    for (const std::string& argument : GetParam().arguments) {
        command += " " + testing::ShellQuoted(argument);
    }

    const testing::ProgramRun run = testing::RunShell(command + " </dev/null", scratch.Path());

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(testing::ReadBytes(home / "Tavolin.ini"), "[Transformadores]\r\nTransformado=-1\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    QtOptions, BatchArgumentsTest,
    ::testing::Values(ArgumentsCase{"Reverse", {"exportar", "-reverse"}},
                      ArgumentsCase{"StyleInOneArgument", {"importar", "-style=Fusion"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro

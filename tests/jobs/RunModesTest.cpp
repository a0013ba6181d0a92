// Run modes: batch mode from the argument count, the command word after lower-casing, and the
// result code written to Tavolin.ini on close in batch mode only. The real jobs run behind the
// scripted user, in folders without tables, so each one shows how far it got.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "jobs/RunModes.h"
#include "support/FakeInteraction.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

using testing::FakeInteraction;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

const std::string kNoFile = "No existe archivo";
const std::string kNoReferenceTable = "ATENCIÓN - NIVELLARI.DBF No encontrado - Reinstale VELMARO";

enum class Job { None, Inbound, Outbound };

struct Folders {
    ScratchFolder work, program, documents;
    PlatformPaths Paths() const { return {work.Path(), program.Path()}; }
    std::filesystem::path Ini() const { return program.Path() / "Tavolin.ini"; }
    std::filesystem::path Document() const {
        const auto file = documents.Path() / "centro.xml";
        WriteBytes(file, "<SERVICIO><BLOQUE_DATOS>2024</BLOQUE_DATOS></SERVICIO>");
        return file;
    }
};

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Which job ran, told from what it showed: the inbound job stops at the missing reference table,
// the outbound job at the missing work tables; no job leaves the file dialog unasked.
Job JobThatRan(const FakeInteraction& ui) {
    if (!ui.picks.empty()) return Job::None;
    if (Contains(ui.messages, kNoReferenceTable)) return Job::Inbound;
    return ui.errors.empty() ? Job::None : Job::Outbound;
}

struct ArgumentCase {
    const char* name;
    std::vector<std::string> arguments;
    bool batchMode;
    Job job;
};

// Names the case in test output.
void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << c.name; }

class RunModesTest : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(RunModesTest, StartsTheNamedJobAndWritesTheResultOnlyInBatchMode) {
    const ArgumentCase& c = GetParam();
    Folders folders;
    FakeInteraction ui;
    ui.picks.push_back(folders.Document());

    Session session = CreateSession(c.arguments, folders.Paths());
    EXPECT_EQ(session.resultCode, 0);
    EXPECT_EQ(session.batchMode, c.batchMode);
    EXPECT_EQ(session.paths.programDir, folders.program.Path());

    ShowSession(session, c.arguments, ui);
    EXPECT_EQ(JobThatRan(ui), c.job);
    EXPECT_EQ(session.resultCode, 0);
    EXPECT_FALSE(session.closeRequested);

    CloseSession(session);
    if (c.batchMode) {
        EXPECT_EQ(ReadBytes(folders.Ini()), "[Transformadores]\r\nTransformado=0\r\n");
    } else {
        EXPECT_FALSE(std::filesystem::exists(folders.Ini()));
    }
}

const ArgumentCase kArgumentCases[] = {
    {"ExportarStartsTheInboundJob", {"exportar", "x"}, true, Job::Inbound},
    {"ExportarInCapitals", {"EXPORTAR", "cualquier cosa"}, true, Job::Inbound},
    {"ImportarInMixedCaseStartsTheOutboundJob", {"ImPoRtAr", ""}, true, Job::Outbound},
    {"SecondArgumentNeverRead", {"importar", "exportar"}, true, Job::Outbound},
    {"NoCommandWordStartsNothing", {"convertir", "exportar"}, true, Job::None},
    {"CommandWordWithBlanksIsNoCommandWord", {" exportar", "x"}, true, Job::None},
    {"NoArguments", {}, false, Job::None},
    {"OneArgument", {"exportar"}, false, Job::None},
    {"ThreeArguments", {"exportar", "a", "b"}, false, Job::None},
};

INSTANTIATE_TEST_SUITE_P(Arguments, RunModesTest, ::testing::ValuesIn(kArgumentCases),
                         [](const auto& info) { return std::string(info.param.name); });

class BatchDialogCancelledTest : public ::testing::TestWithParam<const char*> {};

TEST_P(BatchDialogCancelledTest, NoFileWritesMinusOneAndAsksToClose) {
    Folders folders;
    FakeInteraction ui;
    const std::vector<std::string> arguments = {GetParam(), "x"};

    Session session = CreateSession(arguments, folders.Paths());
    ShowSession(session, arguments, ui);

    EXPECT_EQ(ui.messages, std::vector<std::string>{kNoFile});
    EXPECT_EQ(session.resultCode, -1);
    EXPECT_TRUE(session.closeRequested);
    EXPECT_TRUE(session.jobButtonsEnabled);
    CloseSession(session);
    EXPECT_EQ(ReadBytes(folders.Ini()), "[Transformadores]\r\nTransformado=-1\r\n");
}

INSTANTIATE_TEST_SUITE_P(Commands, BatchDialogCancelledTest,
                         ::testing::Values("exportar", "IMPORTAR"));

TEST(CloseSession, KeepsTheOtherSectionsAndKeysOfAnExistingIni) {
    Folders folders;
    const std::string before =
        "[Tavolin]\r\nVersion=30\r\n[Transformadores]\r\nTransformado=-1\r\nOtro=si\r\n";
    WriteBytes(folders.Ini(), before);
    Session session = CreateSession({"exportar", "x"}, folders.Paths());
    session.resultCode = 1;

    CloseSession(session);

    EXPECT_EQ(ReadBytes(folders.Ini()),
              "[Tavolin]\r\nVersion=30\r\n[Transformadores]\r\nTransformado=1\r\nOtro=si\r\n");
}

}  // namespace
}  // namespace velmaro

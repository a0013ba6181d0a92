// WriteProfileInteger: one key changes, every other byte of the file stays.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "base/Error.h"
#include "jobs/TavolinIni.h"
#include "support/TemporaryFiles.h"
#include "support/ExpectError.h"
#include "support/ScratchFolder.h"
#include "base/FaultInjection.h"
#include "base/FileSystem.h"

namespace velmaro {
namespace {

using testing::ErrorMessage;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

struct IniCase {
    const char* name;
    std::optional<std::string> before;  // nothing: no file
    int value;
    std::string after;
};

// Names the case in test output.
void PrintTo(const IniCase& c, std::ostream* os) { *os << c.name; }

class WriteProfileIntegerTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(WriteProfileIntegerTest, ChangesOnlyTheKeyLine) {
    const IniCase& c = GetParam();
    ScratchFolder folder;
    const auto ini = folder.Path() / "Tavolin.ini";
    if (c.before) WriteBytes(ini, *c.before);

    WriteProfileInteger(ini, "Transformadores", "Transformado", c.value);

    EXPECT_EQ(ReadBytes(ini), c.after);
    EXPECT_TRUE(testing::TemporaryFilesBeside(ini).empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left beside Tavolin.ini";
}

const IniCase kIniCases[] = {
    {"NoFileCreatesSectionAndKeyWithCrlf", std::nullopt, -1,
     "[Transformadores]\r\nTransformado=-1\r\n"},
    {"EmptyFile", "", 1, "[Transformadores]\r\nTransformado=1\r\n"},
    {"ExistingKeyCrlfOtherSectionsKept",
     "[Tavolin]\r\nRuta=C:\\TTEMP\r\n\r\n[Transformadores]\r\nTransformado=0\r\nOtro=7\r\n"
     "\r\n[Final]\r\nX=1\r\n",
     1,
     "[Tavolin]\r\nRuta=C:\\TTEMP\r\n\r\n[Transformadores]\r\nTransformado=1\r\nOtro=7\r\n"
     "\r\n[Final]\r\nX=1\r\n"},
    {"ExistingKeyLfFileStaysLf", "[Transformadores]\nTransformado=1\n", -1,
     "[Transformadores]\nTransformado=-1\n"},
    {"SectionAndKeyMatchIgnoringCase", "[TRANSFORMADORES]\r\ntransformado=1\r\n", 0,
     "[TRANSFORMADORES]\r\ntransformado=0\r\n"},
    {"BlanksAroundNamesKeptAndMatched", "  [ Transformadores ]\r\n  Transformado = 5 ; viejo\r\n",
     1, "  [ Transformadores ]\r\n  Transformado =1\r\n"},
    {"MissingKeyGoesAtTheEndOfItsSectionBeforeBlankLines",
     "[Transformadores]\r\nOtro=7\r\n\r\n[Final]\r\nX=1\r\n", -1,
     "[Transformadores]\r\nOtro=7\r\nTransformado=-1\r\n\r\n[Final]\r\nX=1\r\n"},
    {"MissingSectionAppendedAtTheEnd", "[Tavolin]\r\nRuta=C:\\TTEMP\r\n", 1,
     "[Tavolin]\r\nRuta=C:\\TTEMP\r\n[Transformadores]\r\nTransformado=1\r\n"},
    {"LastLineWithoutEndingGetsOne", "[Tavolin]\r\nRuta=C:\\TTEMP", 1,
     "[Tavolin]\r\nRuta=C:\\TTEMP\r\n[Transformadores]\r\nTransformado=1\r\n"},
    {"KeyInLastUnendedLineReplaced", "[Transformadores]\nTransformado=0", 1,
     "[Transformadores]\nTransformado=1"},
    // A carriage return ending the file starts the last line's ending: it is completed with
    // "\n", and the line before it is read without it (found by fuzzing: the section header
    // "[TranSformadores\r" was not matched, a second section was appended, and the header then
    // read as the first matching section, without the key).
    {"CarriageReturnEndingTheFileEndsTheSectionHeader", "[\n[TranSformadores\r", 1,
     "[\n[TranSformadores\r\nTransformado=1\n"},
    {"CarriageReturnEndingTheFileAfterAClosedHeader",
     "[Tavolin]\r\nRuta=C:\\TTEMP\r\n[Transformadores]\r", 1,
     "[Tavolin]\r\nRuta=C:\\TTEMP\r\n[Transformadores]\r\nTransformado=1\r\n"},
    {"CarriageReturnEndingTheFileAfterTheKeyKept", "[Transformadores]\r\nTransformado=0\r", 1,
     "[Transformadores]\r\nTransformado=1\r"},
    {"CommentsKeptAndNeverTakenForTheKey",
     "; ajustes de Tavolin\r\n[Transformadores]\r\n;Transformado=9\r\nTransformado=0\r\n", 1,
     "; ajustes de Tavolin\r\n[Transformadores]\r\n;Transformado=9\r\nTransformado=1\r\n"},
    {"SameKeyInAnotherSectionLeftAlone",
     "[Otra]\r\nTransformado=3\r\n[Transformadores]\r\nTransformado=0\r\n", 1,
     "[Otra]\r\nTransformado=3\r\n[Transformadores]\r\nTransformado=1\r\n"},
    {"ByteOrderMarkKept", "\xEF\xBB\xBF[Transformadores]\r\nTransformado=0\r\n", 1,
     "\xEF\xBB\xBF[Transformadores]\r\nTransformado=1\r\n"},
    {"NonAsciiBytesElsewhereKept", "[Año]\r\nNombre=Ies Peña\xF1\r\n", 1,
     "[Año]\r\nNombre=Ies Peña\xF1\r\n[Transformadores]\r\nTransformado=1\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, WriteProfileIntegerTest, ::testing::ValuesIn(kIniCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WriteProfileIntegerErrors, UnwritableFolderNamesTheFile) {
    ScratchFolder folder;
    const auto ini = folder.Path() / "no-existe" / "Tavolin.ini";
    const std::string message = ErrorMessage(
        [&] { WriteProfileInteger(ini, "Transformadores", "Transformado", 1); });
    EXPECT_NE(message.find(ini.string()), std::string::npos) << message;
}

TEST(WriteProfileIntegerErrors, FolderInPlaceOfTheFileIsAnErrorAndStays) {
    ScratchFolder folder;
    const auto ini = folder.Path() / "Tavolin.ini";
    std::filesystem::create_directory(ini);
    EXPECT_THROW(WriteProfileInteger(ini, "Transformadores", "Transformado", 1), Error);
    EXPECT_TRUE(std::filesystem::is_directory(ini));
}

TEST(WriteProfileIntegerErrors, FailingDiskKeepsTheOldFileOrWritesTheNewOne) {
    const std::string before = "[Transformadores]\r\nTransformado=0\r\n";
    std::size_t changes = 0;
    {
        ScratchFolder folder;
        WriteBytes(folder.Path() / "Tavolin.ini", before);
        files::ScopedFaultInjection counter(0);
        WriteProfileInteger(folder.Path() / "Tavolin.ini", "Transformadores", "Transformado", 1);
        changes = counter.Calls();
    }
    ASSERT_GE(changes, 3u) << "Tavolin.ini is not written through the file layer";
    for (std::size_t failAt = 1; failAt <= changes; ++failAt) {
        SCOPED_TRACE(failAt);
        ScratchFolder folder;
        const auto ini = folder.Path() / "Tavolin.ini";
        WriteBytes(ini, before);
        files::ScopedFaultInjection fault(failAt);
        try {
            WriteProfileInteger(ini, "Transformadores", "Transformado", 1);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find(ini.string()), std::string::npos);
        }
        EXPECT_EQ(ReadBytes(ini), before);
        EXPECT_TRUE(testing::TemporaryFilesBeside(ini).empty());
    }
}

}  // namespace
}  // namespace velmaro

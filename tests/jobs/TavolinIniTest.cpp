// WriteProfileInteger: one key changes, every other byte of the file stays, in the file's own
// encoding and line ends; the file is found in any letter case and written in place when its
// folder cannot be written.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "base/Error.h"
#include "base/FaultInjection.h"
#include "base/FileSystem.h"
#include "jobs/TavolinIni.h"
#include "support/TemporaryFiles.h"
#include "support/ExpectError.h"
#include "support/ScratchFolder.h"
#include "text/Utf16.h"
#include "text/Utf8.h"
#include "text/Windows1252.h"

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
    const std::string message =
        ErrorMessage([&] { WriteProfileInteger(ini, "Transformadores", "Transformado", 1); });
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

// --- Encodings x line ends x what the file holds -------------------------------------------

enum class Encoding { Ansi, Utf8, Utf8WithMark, Utf16Le, Utf16Be };

const char* EncodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Ansi:
            return "Ansi";
        case Encoding::Utf8:
            return "Utf8";
        case Encoding::Utf8WithMark:
            return "Utf8ConMarca";
        case Encoding::Utf16Le:
            return "Utf16Le";
        case Encoding::Utf16Be:
            return "Utf16Be";
    }
    return "";
}

// `utf8` (with "\n" for every line end) as the bytes of a file in `encoding` with `eol`.
std::string Encoded(const std::string& utf8, Encoding encoding, std::string_view eol) {
    std::string text;
    for (const char c : utf8) text += c == '\n' ? std::string(eol) : std::string(1, c);
    switch (encoding) {
        case Encoding::Ansi:
            return EncodeWindows1252(text);
        case Encoding::Utf8:
            return text;
        case Encoding::Utf8WithMark:
            return "\xEF\xBB\xBF" + text;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be:
            break;
    }
    std::string le;
    for (std::size_t i = 0; i < text.size(); i += Utf8CharLength(text, i)) {
        AppendUtf16Le(Utf8Decode(text, i), le);
    }
    if (encoding == Encoding::Utf16Le) return std::string(kUtf16LeByteOrderMark) + le;
    for (std::size_t i = 0; i + 1 < le.size(); i += 2) std::swap(le[i], le[i + 1]);
    return "\xFE\xFF" + le;
}

// What the file holds before and after the code 1 is written, as UTF-8 text with "\n" ends.
struct Holding {
    const char* name;
    std::optional<std::string> before;  // nothing: no file
    std::string after;
};

const Holding kHoldings[] = {
    {"ClaveExistente",
     "; Configuración de Tavolin\n[Tavolin]\nRuta=C:\\TTEMP\\Año\n\n[Transformadores]\n"
     "Transformado=-1\nÚltimo=Peña\n",
     "; Configuración de Tavolin\n[Tavolin]\nRuta=C:\\TTEMP\\Año\n\n[Transformadores]\n"
     "Transformado=1\nÚltimo=Peña\n"},
    {"ClaveEnOtraLetra", "[transformadores]\nTRANSFORMADO = 0\n[Sección]\nClave=ñ\n",
     "[transformadores]\nTRANSFORMADO =1\n[Sección]\nClave=ñ\n"},
    {"FaltaLaClave", "[Transformadores]\nOtro=Peña\n\n[Final]\nX=ñ\n",
     "[Transformadores]\nOtro=Peña\nTransformado=1\n\n[Final]\nX=ñ\n"},
    {"FaltaLaSeccion", "[Tavolin]\nRuta=Peña\n",
     "[Tavolin]\nRuta=Peña\n[Transformadores]\nTransformado=1\n"},
    {"SinLineas", "", "[Transformadores]\nTransformado=1\n"},
};

using EncodingCase = std::tuple<Encoding, bool, Holding>;  // encoding, CRLF, holding

class TavolinIniEncodings : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(TavolinIniEncodings, OnlyTheKeyChangesInTheFilesOwnEncodingAndLineEnds) {
    const auto& [encoding, crlf, holding] = GetParam();
    const std::string_view eol = crlf ? "\r\n" : "\n";
    ScratchFolder folder;
    const auto ini = folder.Path() / "Tavolin.ini";
    WriteBytes(ini, Encoded(*holding.before, encoding, eol));

    WriteProfileInteger(ini, "Transformadores", "Transformado", 1);

    // A file holding only its mark has no line end of its own: new lines end in CRLF.
    const bool noLines = holding.before->empty();
    EXPECT_EQ(ReadBytes(ini), Encoded(holding.after, encoding, noLines ? "\r\n" : eol));
}

// "Utf16BeCrlfFaltaLaClave" and so on.
std::string EncodingCaseName(const ::testing::TestParamInfo<EncodingCase>& info) {
    const auto& [encoding, crlf, holding] = info.param;
    return std::string(EncodingName(encoding)) + (crlf ? "Crlf" : "Lf") + holding.name;
}

INSTANTIATE_TEST_SUITE_P(Table, TavolinIniEncodings,
                         ::testing::Combine(::testing::Values(Encoding::Ansi, Encoding::Utf8,
                                                              Encoding::Utf8WithMark,
                                                              Encoding::Utf16Le, Encoding::Utf16Be),
                                            ::testing::Bool(), ::testing::ValuesIn(kHoldings)),
                         EncodingCaseName);

TEST(TavolinIniUtf16, UnitsThatAreNoCharacterAndAnOddLastByteStayAsTheyWere) {
    // A lone surrogate (D800) and a dangling last byte: kept unit for unit, byte for byte.
    const std::string before = std::string("\xFF\xFE", 2) +
                               std::string("[\0X\0]\0\r\0\n\0a\0=\0\x00\xD8\r\0\n\0", 20) +
                               std::string(
                                   "[\0T\0r\0a\0n\0s\0f\0o\0r\0m\0a\0d\0o\0r\0e\0s\0]\0"
                                   "\r\0\n\0",
                                   38) +
                               "\x41";
    ScratchFolder folder;
    const auto ini = folder.Path() / "Tavolin.ini";
    WriteBytes(ini, before);
    WriteProfileInteger(ini, "Transformadores", "Transformado", -1);
    const std::string added = std::string(
        "T\0r\0a\0n\0s\0f\0o\0r\0m\0a\0d\0o\0=\0-\0"
        "1\0\r\0\n\0",
        34);
    EXPECT_EQ(ReadBytes(ini), before.substr(0, before.size() - 1) + added + "\x41");
}

// --- Where the file is --------------------------------------------------------------------

TEST(TavolinIniPlace, FoundInAnyLetterCaseAndNoSecondFileAppears) {
    for (const char* name : {"TAVOLIN.INI", "tavolin.ini", "TaVoLiN.iNi"}) {
        SCOPED_TRACE(name);
        ScratchFolder folder;
        WriteBytes(folder / name, "[TRANSFORMADORES]\r\nTRANSFORMADO=0\r\n");
        WriteProfileInteger(folder / "Tavolin.ini", "Transformadores", "Transformado", 1);
        EXPECT_EQ(ReadBytes(folder / name), "[TRANSFORMADORES]\r\nTRANSFORMADO=1\r\n");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

TEST(TavolinIniPlace, FolderRefusingTheTemporaryFileMeansAnUpdateInPlace) {
    // The folder's refusal is made by the file layer here, so that this runs as root too. A
    // second name of the file, in another folder, shows the new content only when the file was
    // rewritten in place rather than replaced by another.
    ScratchFolder folder;
    const auto ini = folder.Path() / "TAVOLIN.INI";
    WriteBytes(ini, "\xEF\xBB\xBF[Transformadores]\nTransformado=-1\nOtro=ñ\n");
    ScratchFolder elsewhere;
    std::filesystem::create_hard_link(ini, elsewhere / "otro-nombre.ini");
    {
        files::ScopedFaultInjection refused(1, files::FaultPersistence::Once, EACCES);
        WriteProfileInteger(folder / "Tavolin.ini", "Transformadores", "Transformado", 1);
        EXPECT_TRUE(refused.Injected());
    }
    EXPECT_EQ(ReadBytes(ini), "\xEF\xBB\xBF[Transformadores]\nTransformado=1\nOtro=ñ\n");
    EXPECT_EQ(ReadBytes(elsewhere / "otro-nombre.ini"), ReadBytes(ini))
        << "the same file, rewritten in place";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

#ifndef _WIN32
// POSIX permissions: Windows keeps no one from writing into a folder through its read-only
// attribute.
// A program folder that the user cannot write, as an installation leaves it.
class ReadOnlyProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    }
    void MakeFolderReadOnly() { ::chmod(folder.Path().c_str(), 0555); }

    ScratchFolder folder;
    std::filesystem::path ini = folder.Path() / "Tavolin.ini";
};

TEST_F(ReadOnlyProgramFolder, WritableFileIsUpdatedInPlace) {
    const std::string before = Encoded("[Tavolin]\nRuta=Año\n[Transformadores]\nTransformado=0\n",
                                       Encoding::Utf16Le, "\r\n");
    WriteBytes(ini, before);
    struct stat earlier {};
    ::stat(ini.c_str(), &earlier);
    MakeFolderReadOnly();

    WriteProfileInteger(ini, "Transformadores", "Transformado", -1);

    EXPECT_EQ(ReadBytes(ini), Encoded("[Tavolin]\nRuta=Año\n[Transformadores]\nTransformado=-1\n",
                                      Encoding::Utf16Le, "\r\n"));
    struct stat later {};
    ::stat(ini.c_str(), &later);
    EXPECT_EQ(later.st_ino, earlier.st_ino) << "the same file, rewritten in place";
    WriteProfileInteger(ini, "Transformadores", "Transformado", 1);  // and shorter again
    EXPECT_EQ(ReadBytes(ini), before.substr(0, before.size() - 6) + std::string("1\0\r\0\n\0", 6));
}

TEST_F(ReadOnlyProgramFolder, ReadOnlyOrMissingFileIsAnErrorNamingIt) {
    MakeFolderReadOnly();
    std::string message =
        ErrorMessage([&] { WriteProfileInteger(ini, "Transformadores", "Transformado", 1); });
    EXPECT_NE(message.find(ini.string()), std::string::npos) << message;
    EXPECT_NE(message.find("no hay permiso"), std::string::npos) << message;

    ::chmod(folder.Path().c_str(), 0755);
    WriteBytes(ini, "[Transformadores]\r\nTransformado=0\r\n");
    ::chmod(ini.c_str(), 0444);
    MakeFolderReadOnly();
    message = ErrorMessage([&] { WriteProfileInteger(ini, "Transformadores", "Transformado", 1); });
    EXPECT_NE(message.find(ini.string()), std::string::npos) << message;
    EXPECT_EQ(ReadBytes(ini), "[Transformadores]\r\nTransformado=0\r\n");
}

TEST_F(ReadOnlyProgramFolder, FailingDiskDuringTheInPlaceWriteIsAnErrorNamingTheFile) {
    WriteBytes(ini, "[Transformadores]\r\nTransformado=0\r\n");
    MakeFolderReadOnly();
    // The first change is the refused temporary file; the next ones are the write in place.
    for (std::size_t failAt = 2; failAt <= 4; ++failAt) {
        SCOPED_TRACE(failAt);
        files::ScopedFaultInjection fault(failAt);
        const std::string message =
            ErrorMessage([&] { WriteProfileInteger(ini, "Transformadores", "Transformado", 1); });
        EXPECT_NE(message.find(ini.string()), std::string::npos) << message;
        EXPECT_TRUE(fault.Injected());
    }
}
#endif

}  // namespace
}  // namespace velmaro

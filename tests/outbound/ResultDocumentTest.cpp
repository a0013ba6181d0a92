// The result document: its tree and exact text, encodings, the minutes rule, the file name and
// the atomic save. Results compared with what libxml2 writes for them, and a folder without
// POSIX write permission, are in ResultDocumentPosixTest.cpp.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/FaultInjection.h"
#include "exchange/ExchangeDocument.h"
#include "outbound/ResultDocument.h"
#include "outbound/ResultDocumentFixture.h"
#include "support/ExpectError.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ErrorMessage;
using testing::FullActivity;
using testing::kExchange;
using testing::Listing;
using testing::PrologOfDocument;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::Utf16WithByteOrderMark;
using testing::WriteBytes;
using testing::WriteLargeResult;

std::string ExpectedActivity(const std::string& seq, const std::string& day,
                             const std::string& slot, const std::string& room,
                             const std::string& unit, const std::string& course,
                             const std::string& subject, const std::string& start,
                             const std::string& end, const std::string& key) {
    auto dato = [](const std::string& name, const std::string& value) {
        return value.empty() ? "<dato nombre_dato=\"" + name + "\"/>"
                             : "<dato nombre_dato=\"" + name + "\">" + value + "</dato>";
    };
    return "<grupo_datos seq=\"" + seq + "\">" + dato("N_DIASEMANA", day) + dato("X_TRAMO", slot) +
           dato("X_DEPENDENCIA", room) + dato("X_UNIDAD", unit) + dato("X_OFERTAMATRIG", course) +
           dato("X_MATERIAOMG", subject) + dato("F_INICIO", "01/09/2023") +
           dato("F_FIN", "30/06/2024") + dato("N_HORINI", start) + dato("N_HORFIN", end) +
           dato("X_ACTIVIDAD", key) + "</grupo_datos>";
}

TEST(ResultDocument, TreeAndTextExactly) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / "ResultadoOrvikexchange.xml";
    ResultDocument result(PrologOfDocument(kExchange), target, "2023", 3, "15/03/2024 14:05:09");
    TeacherGroup first = result.AddTeacher(1, "E1", "01/09/2020", 2);
    result.AddActivity(first, 1, FullActivity());
    ActivityValues unplaced = FullActivity();
    unplaced.dayNumber.clear();
    unplaced.slotCode.clear();
    unplaced.startTime.clear();
    unplaced.endTime.clear();
    unplaced.roomCode.clear();
    result.AddActivity(first, 2, unplaced);
    result.AddTeacher(2, "", "", 0);
    result.AddTeacher(3, "E&3", "x", 0);
    result.Save();

    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!--antes-->\n<?racima origen?>\n<!--despues-->\n<?fin?>\n"
        "<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"HORARIOS\" fecha=\"15/03/2024 "
        "14:05:09\">"
        "<BLOQUE_DATOS>"
        "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato nombre_dato=\"C_ANNO\">2023</dato>"
        "</grupo_datos>"
        "<grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"3\">"
        "<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_1\" registros=\"2\">"
        "<dato nombre_dato=\"X_EMPLEADO\">E1</dato>"
        "<dato nombre_dato=\"F_TOMAPOS\">01/09/2020</dato>" +
        ExpectedActivity("ACTIVIDAD_1", "2", "T&amp;1", "A&lt;1&gt;", "U1", "C1", "M \"1\"", "510",
                         "565", "1") +
        ExpectedActivity("ACTIVIDAD_2", "", "", "", "U1", "C1", "M \"1\"", "0", "0", "1") +
        "</grupo_datos>"
        "<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_2\" registros=\"0\">"
        "<dato nombre_dato=\"X_EMPLEADO\"/><dato nombre_dato=\"F_TOMAPOS\"/></grupo_datos>"
        "<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_3\" registros=\"0\">"
        "<dato nombre_dato=\"X_EMPLEADO\">E&amp;3</dato>"
        "<dato nombre_dato=\"F_TOMAPOS\">x</dato></grupo_datos>"
        "</grupo_datos></BLOQUE_DATOS></SERVICIO>\n";
    EXPECT_EQ(ReadBytes(target), expected);
    EXPECT_EQ(Listing(dir.Path()), "ResultadoOrvikexchange.xml;");
}

// Values of every length give the same text, and a value ends at a NUL byte as a C string does.
TEST(ResultDocument, ValuesOfEveryLengthAndWithNulBytes) {
    struct Case {
        const char* name;
        std::string value;
        std::string expected;  // the dato element's content; "-" for an element without content
    };
    const std::vector<Case> cases = {
        {"OneByte", "1", "1"},
        {"FifteenBytes", std::string(15, 'q'), std::string(15, 'q')},
        {"SixteenBytes", std::string(16, 'r'), std::string(16, 'r')},
        {"Long", std::string(300, 's'), std::string(300, 's')},
        {"FifteenBytesOfAccents", "\xc3\xa1\xc3\xa9\xc3\xad\xc3\xb3\xc3\xba\xc3\xb1\xc3\x91x",
         "\xc3\xa1\xc3\xa9\xc3\xad\xc3\xb3\xc3\xba\xc3\xb1\xc3\x91x"},
        {"EscapedWhenSaved", "<&>", "&lt;&amp;&gt;"},
        {"NulInside", std::string("AB\0CD", 5), "AB"},
        {"NulFirstGivesAnEmptyText", std::string("\0CD", 3), ""},
        {"Empty", "", "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        const fs::path target = dir.Path() / "r.xml";
        ResultDocument result(PrologOfDocument("<SERVICIO/>"), target, "2023", 1, "f");
        result.AddTeacher(1, c.value, "x", 0);
        result.Save();
        const std::string element =
            c.expected == "-" ? "<dato nombre_dato=\"X_EMPLEADO\"/>"
                              : "<dato nombre_dato=\"X_EMPLEADO\">" + c.expected + "</dato>";
        EXPECT_NE(ReadBytes(target).find(element), std::string::npos) << ReadBytes(target);
    }
}


TEST(ResultDocument, ActivitiesGoOnlyToTheTeacherAddedLast) {
    ScratchFolder dir;
    ResultDocument result(PrologOfDocument("<SERVICIO/>"), dir / "r.xml", "2023", 2, "f");
    const TeacherGroup first = result.AddTeacher(1, "E1", "x", 1);
    result.AddTeacher(2, "E2", "x", 0);
    EXPECT_THROW(result.AddActivity(first, 1, FullActivity()), Error);
}

TEST(ResultDocument, NoTeachersStillWritesTheAcademicYear) {
    ScratchFolder dir;
    ResultDocument result(
        PrologOfDocument("<SERVICIO><BLOQUE_DATOS><x>2019</x></BLOQUE_DATOS></SERVICIO>"),
        dir / "r.xml", "2019", 0, "f");
    result.Save();
    EXPECT_EQ(ReadBytes(dir.Path() / "r.xml"),
              "<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"HORARIOS\" fecha=\"f\">"
              "<BLOQUE_DATOS><grupo_datos seq=\"ANNO_ACADEMICO\">"
              "<dato nombre_dato=\"C_ANNO\">2019</dato></grupo_datos>"
              "<grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"0\"/>"
              "</BLOQUE_DATOS></SERVICIO>\n");
}

// How the declaration of the exchange document decides the result's declaration and encoding.
struct EncodingCase {
    const char* name;
    std::string exchange;
    std::string expectedStart;  // the result's first bytes
    std::string expectedName;   // how the name "Ibáñez €" is written
};

class ResultEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(ResultEncoding, DeclarationKeptAndUsed) {
    const EncodingCase& c = GetParam();
    ScratchFolder dir;
    ResultDocument result(PrologOfDocument(c.exchange), dir / "r.xml", "2023", 1, "f");
    result.AddTeacher(1,
                      "Ib\xC3\xA1\xC3\xB1"
                      "ez \xE2\x82\xAC",
                      "", 0);
    result.Save();
    const std::string bytes = ReadBytes(dir.Path() / "r.xml");
    EXPECT_EQ(bytes.substr(0, c.expectedStart.size()), c.expectedStart) << bytes;
    EXPECT_NE(bytes.find("<dato nombre_dato=\"X_EMPLEADO\">" + c.expectedName + "</dato>"),
              std::string::npos)
        << bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, ResultEncoding,
    ::testing::Values(
        EncodingCase{"Iso88591",
                     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><SERVICIO><BLOQUE_DATOS>"
                     "<a>2023 \xE1</a></BLOQUE_DATOS></SERVICIO>",
                     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SERVICIO ",
                     "Ib\xE1\xF1"
                     "ez &#8364;"},
        EncodingCase{"NoDeclarationGivesUtf8WithoutOne",
                     "<SERVICIO><BLOQUE_DATOS><a>2023</a></BLOQUE_DATOS></SERVICIO>",
                     "<SERVICIO modulo=",
                     "Ib\xC3\xA1\xC3\xB1"
                     "ez \xE2\x82\xAC"},
        EncodingCase{"DeclarationWithoutEncodingStaysSo",
                     "<?xml version=\"1.0\" standalone=\"yes\"?><SERVICIO><BLOQUE_DATOS>"
                     "<a>2023</a></BLOQUE_DATOS></SERVICIO>",
                     "<?xml version=\"1.0\" standalone=\"yes\"?>\n<SERVICIO ",
                     "Ib\xC3\xA1\xC3\xB1"
                     "ez \xE2\x82\xAC"},
        EncodingCase{"Utf8BomWithoutDeclaration",
                     "\xEF\xBB\xBF<SERVICIO><BLOQUE_DATOS><a>2023</a></BLOQUE_DATOS></SERVICIO>",
                     "<SERVICIO modulo=",
                     "Ib\xC3\xA1\xC3\xB1"
                     "ez \xE2\x82\xAC"}),
    [](const auto& info) { return std::string(info.param.name); });

// An encoding that neither the program nor the platform can write stops the result before any
// file is touched, naming the result file and the encoding.
TEST(ResultDocument, UnknownEncodingIsAnErrorNamingFileAndEncoding) {
    ScratchFolder dir;
    ExchangeProlog prolog;
    prolog.declaration = XmlDeclaration{"1.0", "X-NO-EXISTE", std::nullopt};
    const fs::path target = dir / "r.xml";
    EXPECT_EQ(ErrorMessage([&] { ResultDocument(prolog, target, "2023", 0, "f"); }),
              "No se puede guardar el documento de resultado '" + target.string() +
                  "': no se puede escribir en la codificación 'X-NO-EXISTE'");
    EXPECT_EQ(Listing(dir.Path()), "");
}

// Atomic save: a failing save keeps the earlier result whole, leaves no temporary file and
// names the file.
TEST(ResultDocumentSave, ReplacesAnEarlierResult) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / "r.xml";
    WriteBytes(target, "viejo");
    ResultDocument(PrologOfDocument("<SERVICIO/>"), target, "2023", 0, "f").Save();
    EXPECT_EQ(ReadBytes(target).substr(0, 9), "<SERVICIO");
    EXPECT_EQ(Listing(dir.Path()), "r.xml;");
    EXPECT_NE(fs::status(target).permissions() & fs::perms::owner_read, fs::perms::none);
}

TEST(ResultDocumentSave, NotSavedLeavesTheEarlierResultAndNoTemporaryFile) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / "r.xml";
    WriteBytes(target, "viejo");
    {
        ResultDocument result(PrologOfDocument("<SERVICIO/>"), target, "2023", 2, "f");
        result.AddTeacher(1, std::string(std::size_t{3} << 20, 'x'), "", 0);
    }
    EXPECT_EQ(ReadBytes(target), "viejo");
    EXPECT_EQ(Listing(dir.Path()), "r.xml;");
}


TEST(ResultDocumentSave, TargetThatIsAFolderStaysAndNoTemporaryFileIsLeft) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / "r.xml";
    fs::create_directory(target);
    WriteBytes(target / "dentro", "x");
    ResultDocument result(PrologOfDocument("<SERVICIO/>"), target, "2023", 0, "f");
    EXPECT_THROW(result.Save(), Error);
    EXPECT_EQ(ReadBytes(target / "dentro"), "x");
    EXPECT_EQ(Listing(dir.Path()), "r.xml;");
}

TEST(ResultDocumentSave, MissingFolderNamesTheFile) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / "no-existe" / "r.xml";
    ResultDocument result(PrologOfDocument("<SERVICIO/>"), target, "2023", 0, "f");
    const std::string message = ErrorMessage([&] { result.Save(); });
    EXPECT_NE(message.find(target.string()), std::string::npos) << message;
    EXPECT_EQ(Listing(dir.Path()), "");
}

// A result of several megabytes goes to the file piece by piece while it is built. Whichever
// change to the disk fails, the error names the file, the earlier result stays whole and no
// temporary file is left.
TEST(ResultDocumentSave, LargeResultWrittenInPiecesOrNotAtAll) {
    ScratchFolder dir;
    const fs::path target = dir.Path() / "r.xml";
    constexpr int kTeachers = 400;
    const ExchangeProlog prolog = PrologOfDocument(kExchange);

    std::size_t failAt = 1;
    for (;; ++failAt) {
        SCOPED_TRACE("change " + std::to_string(failAt) + " fails");
        WriteBytes(target, "viejo");
        const files::ScopedFaultInjection injection(failAt);
        bool failed = false;
        try {
            WriteLargeResult(prolog, target, kTeachers);
        } catch (const Error& error) {
            failed = true;
            EXPECT_NE(std::string(error.what()).find(target.string()), std::string::npos);
        }
        if (!injection.Injected()) break;
        EXPECT_TRUE(failed) << "a failed change must stop the save";
        EXPECT_EQ(ReadBytes(target), "viejo");
        EXPECT_EQ(Listing(dir.Path()), "r.xml;");
    }
    const std::size_t changes = failAt - 1;  // the save that went through failed none
    EXPECT_GE(changes, 7u) << "open, truncate, at least three writes, sync and rename";
    const std::string saved = ReadBytes(target);
    ASSERT_GT(saved.size(), std::size_t{3} << 20) << "the document must need several pieces";
    EXPECT_EQ(Listing(dir.Path()), "r.xml;");
}

TEST(MinutesAfterMidnight, ClockTexts) {
    struct Case {
        const char* text;
        int minutes;
    };
    const Case cases[] = {
        {"08:30", 510},  {"8:30", 510}, {"14:05", 845}, {"", 0},           {"00:00", 0},
        {"23:59", 1439}, {"9", 549},    {"12345", 765}, {"08:30:00", 480},
    };
    for (const Case& c : cases) EXPECT_EQ(MinutesAfterMidnight(c.text), c.minutes) << c.text;
}

TEST(MinutesAfterMidnight, TextThatIsNoNumberIsAnError) {
    for (const char* text : {"ab:cd", "08:3x", "x", " 8:30"}) {
        EXPECT_THROW(MinutesAfterMidnight(text), Error) << text;
    }
}

TEST(ResultFileName, ResultadoOrvikBeforeTheFileName) {
    EXPECT_EQ(ResultFileName("/d/racima/horario.xml"),
              fs::path("/d/racima/ResultadoOrvikhorario.xml"));
    EXPECT_EQ(ResultFileName("horario.xml"), fs::path("ResultadoOrvikhorario.xml"));
    EXPECT_EQ(ResultFileName("/d/a.b/export"), fs::path("/d/a.b/ResultadoOrvikexport"));
}

}  // namespace
}  // namespace velmaro

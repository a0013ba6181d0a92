// Documents that are not well-formed XML 1.0, refused by the reader of every platform with the
// file, the line and the column, whatever its XML library lets through.

#include <gtest/gtest.h>

#include <iostream>
#include <ostream>
#include <string>

#include "base/QuotedPath.h"
#include "exchange/ExchangeDocument.h"
#include "support/ExpectError.h"
#include "support/ScratchFolder.h"
#include "support/UnderWine.h"

namespace velmaro {
namespace {

using testing::ErrorMessage;
using testing::ScratchFolder;

struct MalformedCase {
    const char* name;
    std::string xml;
    int line;  // where the reader stops
    // Why Wine's XmlLite stops at another line, when it does: the document is refused all the
    // same, with a line and a column.
    const char* elsewhereUnderWine = nullptr;
};

// Failing cases show their name.
void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

class ExchangeMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(ExchangeMalformed, StopsNamingFileLineAndColumn) {
    const MalformedCase& c = GetParam();
    ScratchFolder folder;
    const auto path = folder.File("roto.xml", c.xml);
    ::testing::internal::CaptureStderr();
    const std::string message = ErrorMessage([&] { ExchangeDocument::Load(path); });
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("No se puede leer el documento de intercambio " + Quoted(path) +
                           ": el XML no está bien formado (línea "),
              std::string::npos)
        << message;
    const bool elsewhere = c.elsewhereUnderWine != nullptr && testing::UnderWine();
    const std::string line = elsewhere ? "" : std::to_string(c.line);
    EXPECT_NE(message.find("bien formado (línea " + line), std::string::npos) << message;
    EXPECT_NE(message.find(", columna "), std::string::npos) << message;
    if (elsewhere) std::cout << "[ WINE GAP ] " << c.elsewhereUnderWine << ": " << message << "\n";
    EXPECT_EQ(printed, "") << "the parser wrote to standard error";
}

const char* const kWineDeclaresNoEntity =
    "Wine's XmlLite implements no entity declaration: it stops where the internal subset starts "
    "(E_NOTIMPL)";

// A document whose fifth line, inside the teachers' section, is `line`.
std::string WithFifthLine(const std::string& line) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO>\n<BLOQUE_DATOS>\n"
           "<grupo_datos seq=\"EMPLEADOS\"><grupo_datos seq=\"ID_ORDEN\" num_fila=\"1\">\n" +
           line + "\n</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>\n";
}

// ASCII `text` as UTF-16, little-endian, with its byte-order mark.
std::string Utf16FromAscii(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char c : text) bytes += std::string{c, '\0'};
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ExchangeMalformed,
    ::testing::Values(
        MalformedCase{"MismatchedTag",
                      "<?xml version=\"1.0\"?>\n<SERVICIO>\n<BLOQUE_DATOS>\n"
                      "<grupo_datos seq=\"MATERIAS\">\n</BLOQUE_DATOS>\n</SERVICIO>\n",
                      5},
        MalformedCase{"UnclosedRoot", "<SERVICIO>\n<BLOQUE_DATOS/>\n", 3},
        MalformedCase{"UnclosedRootAfterAComment", "<SERVICIO>\n<BLOQUE_DATOS/>\n<!-- fin -->", 3},
        MalformedCase{"NotXmlAtAll", "Curso 2024/2025\n", 1},
        MalformedCase{"TwoRoots", "<SERVICIO/>\n<SERVICIO/>\n", 2},
        MalformedCase{"UndeclaredEntity", "<SERVICIO>\n\n<dato>&desconocida;</dato></SERVICIO>", 3},
        MalformedCase{"Windows1252BytesDeclaredUtf8",
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO>\n"
                      "<dato>M\xfasica</dato></SERVICIO>",
                      3},
        MalformedCase{"UnknownEncoding",
                      "<?xml version=\"1.0\" encoding=\"X-NO-EXISTE\"?>\n<SERVICIO/>", 1},
        MalformedCase{"WhiteSpaceOnly", "  \n\n  ", 3},
        MalformedCase{"PrologWithoutRoot", "<?xml version=\"1.0\"?>\n<!--solo-->\n<?pi?>\n", 4},
        // Inside an entity libxml2 counts lines of the entity; the file's line is the one told.
        MalformedCase{"RecursiveEntity",
                      "<!DOCTYPE SERVICIO [\n<!ENTITY a \"x&b;\">\n<!ENTITY b \"&a;\">\n]>\n"
                      "<SERVICIO>\n<dato>&a;</dato></SERVICIO>",
                      6, kWineDeclaresNoEntity},
        MalformedCase{"UnbalancedEntity",
                      "<!DOCTYPE SERVICIO [\n<!ENTITY a \"<b>x\">\n]>\n<SERVICIO>\n\n"
                      "<dato>&a;</dato></SERVICIO>",
                      6, kWineDeclaresNoEntity},
        MalformedCase{"UndefinedEntityAmidAValue",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">Ana &foo; Mar</dato>"), 5},
        MalformedCase{"UndefinedEntityInAnAttribute",
                      WithFifthLine("<dato nombre_dato=\"NOM&foo;BRE\">Ana</dato>"), 5},
        MalformedCase{"UndefinedEntityInUtf16",
                      Utf16FromAscii(WithFifthLine("<dato nombre_dato=\"NOMBRE\">&foo;</dato>")),
                      5},
        MalformedCase{"BareAmpersand",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">Ana & Mar</dato>"), 5},
        MalformedCase{"AmpersandWithoutSemicolon",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">Ana &amp Mar</dato>"), 5},
        MalformedCase{"CharacterReferenceToNul",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">Ana &#0; Mar</dato>"), 5},
        MalformedCase{"CharacterReferenceToSurrogate",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">Ana &#xD800; Mar</dato>"), 5},
        MalformedCase{"CharacterReferenceToFfff",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">&#xFFFF;</dato>"), 5},
        MalformedCase{"CharacterReferenceToControlInAnAttribute",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE&#1;\">Ana</dato>"), 5},
        MalformedCase{"RawControlCharacter",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">Ana \x01 Mar</dato>"), 5},
        MalformedCase{"RawNul",
                      WithFifthLine(std::string("<dato nombre_dato=\"NOMBRE\">Ana ") + '\0' +
                                    " Mar</dato>"),
                      5},
        MalformedCase{"RawFffe",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">Ana \xEF\xBF\xBE</dato>"), 5},
        MalformedCase{"RawControlCharacterInLatin1",
                      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SERVICIO>\n\n"
                      "<dato>N\xFA\xF1\x65z \x1F</dato></SERVICIO>",
                      4},
        MalformedCase{"DuplicateAttribute",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\" nombre_dato=\"APELLIDO1\">Ana</dato>"),
                      5},
        MalformedCase{"ElementNameStartingWithDigitInADato",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\"><1x>Ana</1x></dato>"), 5},
        MalformedCase{"AttributesWithoutASpaceBetween",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\"x=\"1\">Ana</dato>"), 5},
        MalformedCase{"AttributeNameStartingWithDigit",
                      WithFifthLine("<dato 1nombre_dato=\"NOMBRE\">Ana</dato>"), 5},
        MalformedCase{"ProcessingInstructionTargetNotAName",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">Ana<?1p x?></dato>"), 5},
        // Of two faults, the first in the document is the one told.
        MalformedCase{"MismatchedTagBeforeAnUndefinedEntity",
                      "<SERVICIO>\n<a></b>\n<dato>&foo;</dato></SERVICIO>", 2},
        MalformedCase{"UndefinedEntityBeforeAMismatchedTag",
                      "<SERVICIO>\n<dato>&foo;</dato>\n<a></b></SERVICIO>", 2},
        MalformedCase{"LessThanSignInAValue",
                      WithFifthLine("<dato nombre_dato=\"NOMBRE\">1 < 2</dato>"), 5}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) {
        return std::string(info.param.name);
    });

}  // namespace
}  // namespace velmaro

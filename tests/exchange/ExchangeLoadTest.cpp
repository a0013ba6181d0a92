// Loading the exchange document: bad files, hostile documents and declared encodings, with the
// reader of each platform. Documents that are not well-formed are in ExchangeMalformedTest.cpp;
// devices, FIFOs, links, permissions and libxml2's own handlers in ExchangeLoadPosixTest.cpp.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <source_location>
#include <string>
#include <utility>
#include <vector>

#include "base/Error.h"
#include "base/QuotedPath.h"
#include "exchange/ExchangeDocument.h"
#include "exchange/ExchangeTestFiles.h"
#include "support/ExpectError.h"
#include "support/UnderWine.h"
#include "text/Utf8.h"

namespace velmaro {
namespace {

using testing::ErrorMessage;
using testing::ScratchFolder;
using testing::SectionValues;
using Rows = std::vector<std::vector<std::string>>;

// The message of the Error that loading `path` throws; fails the test when none is thrown.
std::string LoadFailure(const std::filesystem::path& path,
                        std::source_location where = std::source_location::current()) {
    return ErrorMessage([&] { ExchangeDocument::Load(path); }, where);
}

TEST(ExchangeLoad, MissingFile) {
    ScratchFolder folder;
    const auto path = folder.Path() / "no_existe.xml";
    EXPECT_EQ(LoadFailure(path), "No se puede leer el documento de intercambio " + Quoted(path) +
                                     ": el archivo no existe");
}

// A folder is named as what it is, and never read.
TEST(ExchangeLoad, FolderIsNoFile) {
    ScratchFolder folder;
    const auto directory = folder.Folder("carpeta.xml");
    EXPECT_EQ(LoadFailure(directory),
              "No se puede leer el documento de intercambio " + Quoted(directory) +
                  ": no es un archivo (es una carpeta)");
}

TEST(ExchangeLoad, EmptyFile) {
    ScratchFolder folder;
    const auto path = folder.File("vacio.xml", "");
    EXPECT_EQ(LoadFailure(path), "No se puede leer el documento de intercambio " + Quoted(path) +
                                     ": el archivo está vacío");
}

// Every text a reader could take from the document: all fields of all sections named in
// `sections`, and the first data-block child.
std::string EverythingReadable(const ExchangeDocument& document,
                               const std::vector<std::string>& sections) {
    std::string all = document.FirstDataBlockChildText().value_or("");
    for (const std::string& section : sections) {
        for (const auto& row : SectionValues(document, section)) {
            for (const std::string& value : row) all += value + "|";
        }
    }
    return all;
}

constexpr const char* kSecret = "SECRETO-DEL-SERVIDOR";

TEST(ExchangeHostile, ExternalEntitiesAreNeverRead) {
    ScratchFolder folder;
    const auto secret = folder.File("secreto.txt", kSecret);
    folder.File("secreto.ent", std::string("<!ENTITY fuga \"") + kSecret + "\">");
    const auto path =
        folder.File("xxe.xml",
                    "<?xml version=\"1.0\"?>\n<!DOCTYPE SERVICIO [\n"
                    "  <!ENTITY absoluta SYSTEM \"file://" +
                        secret.string() +
                        "\">\n"
                        "  <!ENTITY relativa SYSTEM \"secreto.txt\">\n"
                        "  <!ENTITY % parametro SYSTEM \"secreto.ent\">\n"
                        "  %parametro;\n"
                        "]>\n"
                        "<SERVICIO><BLOQUE_DATOS>&absoluta;<grupo_datos seq=\"EMPLEADOS\">"
                        "<grupo_datos><dato>&absoluta;</dato><dato>a&relativa;b</dato>"
                        "<dato>&fuga;</dato></grupo_datos>"
                        "</grupo_datos></BLOQUE_DATOS></SERVICIO>\n");
    try {
        const ExchangeDocument document = ExchangeDocument::Load(path);
        EXPECT_EQ(EverythingReadable(document, {"EMPLEADOS"}).find(kSecret), std::string::npos);
        EXPECT_EQ(SectionValues(document, "EMPLEADOS"), (Rows{{"", "ab", ""}}));
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()).find(kSecret), std::string::npos) << error.what();
    }
}

TEST(ExchangeHostile, ExternalDtdIsNeverRead) {
    ScratchFolder outside;
    // Were this DTD read, it would either fail the parse or put the secret into the fields.
    const auto dtd =
        outside.File("racima.dtd", std::string("<!ENTITY fuga \"") + kSecret +
                                       "\">\n<!ATTLIST grupo_datos seq CDATA \"EMPLEADOS\">\n");
    ScratchFolder folder;
    const auto path = folder.File(
        "dtd.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE SERVICIO SYSTEM \"" + dtd.string() +
                       "\">\n<SERVICIO><BLOQUE_DATOS><grupo_datos>"
                       "<grupo_datos><dato>x&fuga;</dato></grupo_datos>"
                       "</grupo_datos></BLOQUE_DATOS></SERVICIO>\n");
    const ExchangeDocument document = ExchangeDocument::Load(path);
    EXPECT_FALSE(document.HasSection("EMPLEADOS"));
    EXPECT_EQ(EverythingReadable(document, {"EMPLEADOS"}).find(kSecret), std::string::npos);
    // Wine 8's XmlLite processes no document type and keeps the reference as text.
    if (!testing::UnderWine()) {
        EXPECT_EQ(document.FirstDataBlockChildText(), "x");
    }
}

// Nested entities that would expand to 10^9 copies of "lol".
std::string BillionLaughs(const char* where) {
    std::string dtd = "<!DOCTYPE SERVICIO [\n<!ENTITY lol0 \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        dtd += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int copy = 0; copy < 10; ++copy) dtd += "&lol" + std::to_string(level - 1) + ";";
        dtd += "\">\n";
    }
    dtd += "]>\n";
    return "<?xml version=\"1.0\"?>\n" + dtd + "<SERVICIO><BLOQUE_DATOS>" + where +
           "</BLOQUE_DATOS></SERVICIO>\n";
}

// One entity of 50 000 characters referenced 50 000 times: each reference is cheap to parse,
// but reading the field would build a text of 2.5 GB.
std::string QuadraticBlowup() {
    std::string references;
    for (int copy = 0; copy < 50000; ++copy) references += "&a;";
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE SERVICIO [\n<!ENTITY a \"" +
           std::string(50000, 'x') +
           "\">\n]>\n<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"M\"><grupo_datos><dato>" +
           references + "</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>\n";
}

struct BombCase {
    const char* name;
    std::string xml;
};

// Failing cases show their name.
void PrintTo(const BombCase& c, std::ostream* os) { *os << c.name; }

class ExchangeEntityBomb : public ::testing::TestWithParam<BombCase> {};

TEST_P(ExchangeEntityBomb, StopsWithAnError) {
    ScratchFolder folder;
    const auto path = folder.File("bomba.xml", GetParam().xml);
    const std::string message = LoadFailure(path);
    EXPECT_NE(message.find("No se puede leer el documento de intercambio " + Quoted(path) + ": "),
              std::string::npos)
        << message;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ExchangeEntityBomb,
    ::testing::Values(
        BombCase{"BillionLaughsInText",
                 BillionLaughs("<grupo_datos seq=\"M\"><grupo_datos><dato>&lol9;</dato>"
                               "</grupo_datos></grupo_datos>")},
        BombCase{"BillionLaughsInSeq", BillionLaughs("<grupo_datos seq=\"&lol9;\"/>")},
        BombCase{"QuadraticBlowup", QuadraticBlowup()}),
    [](const ::testing::TestParamInfo<BombCase>& info) { return std::string(info.param.name); });

TEST(ExchangeHostile, ModestEntityUseIsAccepted) {
    if (testing::UnderWine()) {
        GTEST_SKIP() << "Wine 8's XmlLite declares no entity (E_NOTIMPL on <!ENTITY>)";
    }
    std::string references;
    for (int copy = 0; copy < 1000; ++copy) references += "&a;";
    const ExchangeDocument document = testing::LoadXml(
        "<!DOCTYPE SERVICIO [<!ENTITY a \"" + std::string(100, 'x') +
        "\">]>\n<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"M\"><grupo_datos><dato>" + references +
        "</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>");
    EXPECT_EQ(SectionValues(document, "M"), (Rows{{std::string(100000, 'x')}}));
}

// A record of section M whose first field holds `content` and whose second field is "b".
std::string OneRecord(const std::string& content) {
    return "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"M\"><grupo_datos><dato>" + content +
           "</dato><dato>b</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>\n";
}

// A well-formed document larger than libxml2's limits without its "huge" mode: a long text node
// is read whole; what the reader refuses is named in Spanish, with the limit and the place,
// before the parser's own words, and never as content after the end of the document.
TEST(ExchangeLimits, FiftyMegabyteTextNodeIsRead) {
    const std::string text(50u << 20, 'y');
    ScratchFolder folder;
    const ExchangeDocument document =
        ExchangeDocument::Load(folder.File("grande.xml", OneRecord(text)));
    const std::vector<ExchangeRecord> records = document.Records("M");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Field(0).size(), text.size());
    EXPECT_EQ(records[0].Field(1), "b");
}

#ifndef _WIN32
// libxml2's limits and their messages: the Windows reader (XmlLite) has limits of its own.
TEST(ExchangeLimits, WhatIsBeyondTheReaderIsRefusedNamingTheLimit) {
    const std::string big(11'000'000, 'c');
    const auto nested = [](int levels) {
        std::string open, close;
        for (int level = 0; level < levels; ++level) {
            open += "<a>";
            close += "</a>";
        }
        return OneRecord(open + "x" + close);
    };
    struct LimitCase {
        const char* name;
        std::string xml;
        std::string refusal;
    };
    const LimitCase cases[] = {
        {"10000 levels", nested(10000),
         "el documento tiene un anidamiento de elementos de más de 256 niveles (línea 1, columna "},
        {"257 levels", nested(252),
         "el documento tiene un anidamiento de elementos de más de 256 niveles"},
        {"CDATA", OneRecord("<![CDATA[" + big + "]]>"),
         "el documento tiene una sección CDATA de más de 10000000 bytes (línea 1, columna "},
        {"attribute",
         OneRecord("x").replace(OneRecord("x").find("<dato>"), 6, "<dato n=\"" + big + "\">"),
         "el documento tiene un valor de atributo de más de 10000000 bytes (línea 1, columna "},
        {"comment", OneRecord("<!--" + big + "-->"),
         "el documento tiene un comentario de más de 10000000 bytes (línea 1, columna "},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const auto path = folder.File("limite.xml", c.xml);
        const std::string message = LoadFailure(path);
        EXPECT_EQ(message.find("No se puede leer el documento de intercambio " + Quoted(path) +
                               ": " + c.refusal),
                  0u)
            << message;
        EXPECT_EQ(message.find("Extra content"), std::string::npos) << message;
    }
    // The deepest nesting read: the envelope's five levels and 251 more.
    const ExchangeDocument deepest = testing::LoadXml(nested(251));
    EXPECT_EQ(SectionValues(deepest, "M"), (Rows{{"x", "b"}}));
}
#endif

// One document, saved in several encodings: the values must come out the same.
std::string SchoolDocument(const std::string& declaration, const std::string& teacher,
                           const std::string& price) {
    return declaration +
           "\n<SERVICIO>\n  <BLOQUE_DATOS>\n    <ANNO>2024</ANNO>\n"
           "    <grupo_datos seq=\"EMPLEADOS\">\n      <grupo_datos><dato>" +
           teacher + "</dato><dato>" + price +
           "</dato></grupo_datos>\n    </grupo_datos>\n  </BLOQUE_DATOS>\n</SERVICIO>\n";
}

// UTF-16 of UTF-8 text whose characters all lie in the Basic Multilingual Plane.
std::string Utf16(const std::string& utf8, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (std::size_t pos = 0; pos < utf8.size(); pos += Utf8CharLength(utf8, pos)) {
        const char32_t unit = Utf8Decode(utf8, pos);
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

struct EncodingCase {
    const char* name;
    std::string bytes;
};

// Failing cases show their name.
void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

class ExchangeEncodings : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(ExchangeEncodings, DeclaredEncodingIsDecoded) {
    ScratchFolder folder;
    const ExchangeDocument document =
        ExchangeDocument::Load(folder.File("codificado.xml", GetParam().bytes));
    EXPECT_EQ(SectionValues(document, "EMPLEADOS"), (Rows{{"Álvaro Muñoz, 1º A", "10 € ‘ok’"}}));
    EXPECT_EQ(document.FirstDataBlockChildText(), "2024");
}

const std::string kUtf8Teacher = "\xC3\x81lvaro Mu\xC3\xB1oz, 1\xC2\xBA A";
const std::string kUtf8Price = "10 \xE2\x82\xAC \xE2\x80\x98ok\xE2\x80\x99";
const std::string kLatin1Teacher = "\xC1lvaro Mu\xF1oz, 1\xBA A";

INSTANTIATE_TEST_SUITE_P(
    Documents, ExchangeEncodings,
    ::testing::Values(
        EncodingCase{"Utf8Declared", SchoolDocument("<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                                    kUtf8Teacher, kUtf8Price)},
        EncodingCase{
            "Utf8WithBomUndeclared",
            "\xEF\xBB\xBF" + SchoolDocument("<?xml version=\"1.0\"?>", kUtf8Teacher, kUtf8Price)},
        EncodingCase{"Utf16LittleEndianWithBom",
                     Utf16(SchoolDocument("<?xml version=\"1.0\" encoding=\"UTF-16\"?>",
                                          kUtf8Teacher, kUtf8Price),
                           false)},
        EncodingCase{"Utf16BigEndianWithBom",
                     Utf16(SchoolDocument("<?xml version=\"1.0\" encoding=\"UTF-16\"?>",
                                          kUtf8Teacher, kUtf8Price),
                           true)},
        // ISO-8859-1 has no euro sign nor curly quotes: character references carry them.
        EncodingCase{"Iso88591Declared",
                     SchoolDocument("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
                                    kLatin1Teacher, "10 &#x20AC; &#8216;ok&#8217;")},
        EncodingCase{"Windows1252Declared",
                     SchoolDocument("<?xml version=\"1.0\" encoding=\"windows-1252\"?>",
                                    kLatin1Teacher, "10 \x80 \x91ok\x92")}),
    [](const ::testing::TestParamInfo<EncodingCase>& info) {
        return std::string(info.param.name);
    });

}  // namespace
}  // namespace velmaro

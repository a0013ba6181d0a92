// The exchange-document reader of the Windows build (XmlLite, with the platform's code-page
// conversion in front): every encoding the exchange documents use, long documents, where a
// broken document breaks, and the refusals of outside resources and entity bombs.


#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "exchange/ExchangeReader.h"
#include "support/ScratchFolder.h"
#include "support/UnderWine.h"

namespace velmaro {
namespace {

using testing::ScratchFolder;
using testing::UnderWine;

// The element names and texts told, one line each, the line of each element in the file, and
// the declared encoding.
class Told : public ExchangeReaderEvents {
public:
    std::vector<std::string> lines;
    std::vector<int> elementLines;
    std::string encoding = "-";

    void Declaration(const XmlDeclaration& d) override { encoding = d.encoding.value_or("-"); }
    void DocumentType(std::string_view, bool) override {}
    void StartElement(std::string_view name, std::span<const ReaderAttribute> attributes,
                      int fileLine) override {
        elementLines.push_back(fileLine);
        std::string line = "<" + std::string(name);
        for (const ReaderAttribute& a : attributes) {
            line += " " + std::string(a.name) + "=[" + std::string(a.value) + "]";
        }
        lines.push_back(line + ">");
    }
    void EndElement() override { lines.push_back("</>"); }
    void Text(std::string_view text) override { lines.push_back("text " + std::string(text)); }
    void CData(std::string_view) override {}
    void Comment(std::string_view) override {}
    void ProcessingInstruction(std::string_view, std::string_view) override {}
    void BeginEntity() override {}
    void EndEntity() override {}
};

// `utf8` (ASCII and two-byte characters only) as UTF-16 in the byte order asked, with its mark.
std::string Utf16(const std::string& utf8, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned unit = static_cast<unsigned char>(utf8[i]);
        if (unit >= 0xC0) unit = (unit & 0x1F) << 6 | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += littleEndian ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

struct EncodingCase {
    const char* name;
    std::string bytes;
    std::string encoding;  // as the declaration spells it, "-" without one
    std::string text;      // the text of element a, UTF-8
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

const std::string kUtf16Text =
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<a n=\"Año\">Señor Núñez</a>";

class XmlLiteEncodings : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(XmlLiteEncodings, ReadAsTheDeclarationSaysWithItsNameKept) {
    const EncodingCase& c = GetParam();
    ScratchFolder folder;
    Told told;
    ReadExchangeDocument(folder.File("doc.xml", c.bytes), told);
    EXPECT_EQ(told.encoding, c.encoding);
    ASSERT_EQ(told.lines.size(), 3u);
    EXPECT_EQ(told.lines[1], "text " + c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XmlLiteEncodings,
    ::testing::Values(
        EncodingCase{"Utf8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>Año ñ</a>", "UTF-8",
                     "Año ñ"},
        EncodingCase{"Utf8WithMark", "\xEF\xBB\xBF<?xml version=\"1.0\"?><a>Año ñ</a>", "-",
                     "Año ñ"},
        EncodingCase{"Utf8WithoutDeclaration", "<a>Año ñ</a>", "-", "Año ñ"},
        EncodingCase{"Latin1",
                     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>A\xF1o \xC1</a>",
                     "ISO-8859-1", "Año Á"},
        EncodingCase{"Windows1252InSmallLetters",
                     "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\x80 \x93x\x94</a>",
                     "windows-1252", "€ “x”"},
        EncodingCase{"Latin9", "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?><a>\xA4</a>",
                     "ISO-8859-15", "€"},
        EncodingCase{"Utf16LittleEndian", Utf16(kUtf16Text, true), "UTF-16", "Señor Núñez"},
        EncodingCase{"Utf16BigEndian", Utf16(kUtf16Text, false), "UTF-16", "Señor Núñez"}),
    [](const ::testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.name); });

// Documents far longer than the reader's buffers, whose non-ASCII characters fall at every
// possible place of a buffer's end (Wine's XmlLite once misread a character split there).
TEST(XmlLiteReader, LongUtf16DocumentIsReadWhole) {
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<a>";
    for (int i = 0; i < 5000; ++i) body += "<b n=\"" + std::to_string(i) + "\">ñ</b>\n";
    body += "</a>";
    ScratchFolder folder;
    Told told;
    ReadExchangeDocument(folder.File("largo.xml", Utf16(body, true)), told);
    EXPECT_EQ(told.lines[told.lines.size() - 5], "<b n=[4999]>");
}

TEST(XmlLiteReader, LongDocumentDenseWithAccentsIsReadWhole) {
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>";
    std::vector<std::string> texts;
    for (int i = 0; i < 4000; ++i) {
        texts.push_back(std::string(static_cast<std::size_t>(i % 7), 'x') + "ñº€áéíóú" +
                        std::to_string(i));
        body += "<b>" + texts.back() + "</b>\n";
    }
    body += "</a>";
    ScratchFolder folder;
    Told told;
    ReadExchangeDocument(folder.File("acentos.xml", body), told);
    std::vector<std::string> read;
    for (std::size_t i = 1; i + 1 < told.lines.size(); ++i) {
        if (told.lines[i - 1] == "<b>") read.push_back(told.lines[i].substr(5));
    }
    EXPECT_EQ(read, texts);
}

TEST(XmlLiteReader, ElementsAreToldWithTheLineTheyStartOn) {
    ScratchFolder folder;
    Told told;
    ReadExchangeDocument(
        folder.File("lineas.xml", "<?xml version=\"1.0\"?>\n<a>\n  <b/><c>\n\n</c>\n<d\n x=\"1\"/></a>"),
        told);
    EXPECT_EQ(told.elementLines, (std::vector<int>{2, 3, 3, 6}));
}

std::string FailureOf(const std::string& bytes) {
    ScratchFolder folder;
    Told told;
    try {
        ReadExchangeDocument(folder.File("roto.xml", bytes), told);
    } catch (const Error& e) {
        return e.what();
    }
    return "sin error";
}

TEST(XmlLiteReader, BrokenDocumentsNameTheFileAndWhere) {
    const std::string mismatched = FailureOf("<?xml version=\"1.0\"?>\n<a>\n  <b></a>\n");
    EXPECT_NE(mismatched.find("roto.xml"), std::string::npos) << mismatched;
    EXPECT_NE(mismatched.find("no está bien formado (línea 3"), std::string::npos) << mismatched;

    const std::string badUtf8 = FailureOf("<a>\n\n bien \xC3\x28</a>");
    EXPECT_NE(badUtf8.find("línea 3, columna 7"), std::string::npos) << badUtf8;

    const std::string unknown = FailureOf("<?xml version=\"1.0\" encoding=\"KLINGON\"?><a/>");
    EXPECT_NE(unknown.find("'KLINGON'"), std::string::npos) << unknown;

    EXPECT_NE(FailureOf("").find("está vacío"), std::string::npos);

    const std::string noRoot = FailureOf("<?xml version=\"1.0\"?>\n<!-- solo -->\n");
    EXPECT_NE(noRoot.find("no tiene elemento raíz"), std::string::npos) << noRoot;
    EXPECT_NE(FailureOf("Curso 2024/2025").find("no tiene elemento raíz"), std::string::npos);
    EXPECT_NE(FailureOf("<!DOCTYPE a>\n").find("no tiene elemento raíz"), std::string::npos);

    for (const char* cutShort : {"<a>\n<b>x</b>", "<a>texto", "<a><!-- sin cerrar",
                                 "<a><b c=\"1", "<a><b>"}) {
        const std::string failure = FailureOf(cutShort);
        EXPECT_NE(failure.find("no está bien formado"), std::string::npos) << failure;
    }
    const std::string leftOpen = FailureOf("<a>\n<b>x</b>");
    EXPECT_NE(leftOpen.find("línea 2, columna 9: el documento termina sin cerrar su elemento raíz"),
              std::string::npos)
        << leftOpen;
}

// A folder in place of the document is named as what it is, in the words of every platform.
TEST(XmlLiteReader, FolderIsNoFile) {
    ScratchFolder scratch;
    const std::filesystem::path folder = scratch.Folder("carpeta.xml");
    Told told;
    try {
        ReadExchangeDocument(folder, told);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "No se puede leer el documento de intercambio '" + folder.string() +
                      "': no es un archivo (es una carpeta)");
    }
}

TEST(XmlLiteReader, WholeDocumentsAreReadHoweverTheirRootEnds) {
    for (const char* whole :
         {"<a/>", "<a/>\n<!-- fin -->", "<a></a >\n<!-- c -->\n<?pi x?>\n\n", "<a><a></a></a>",
          "<p:a xmlns:p=\"urn:x\"><p:b/></p:a>", "<a>\n<!-- -->\n</a><?fin?>"}) {
        EXPECT_EQ(FailureOf(whole), "sin error") << whole;
    }
}

TEST(XmlLiteReader, ExternalEntitiesAreNeverRead) {
    ScratchFolder folder;
    folder.File("fuera.txt", "SECRETO");
    Told told;
    const auto path = folder.File(
        "externo.xml", "<!DOCTYPE a [<!ENTITY x SYSTEM \"fuera.txt\">]><a>[&x;]</a>");
    try {
        ReadExchangeDocument(path, told);
    } catch (const Error&) {
        // refusing the document is as good as reading it without the outside text
    }
    for (const std::string& line : told.lines) EXPECT_EQ(line.find("SECRETO"), std::string::npos);
}

TEST(XmlLiteReader, EntityBombIsRefused) {
    std::string bomb = "<!DOCTYPE a [<!ENTITY e0 \"ahahahahahahahahahah\">";
    for (int i = 1; i <= 9; ++i) {
        bomb += "<!ENTITY e" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) bomb += "&e" + std::to_string(i - 1) + ";";
        bomb += "\">";
    }
    bomb += "]><a>&e9;</a>";
    EXPECT_NE(FailureOf(bomb), "sin error");
}

}  // namespace
}  // namespace velmaro

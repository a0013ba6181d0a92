// The streaming XML writer's escaping, encodings and XHTML rules, each compared with what
// libxml2's serializer writes for the same document.

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <vector>

#include "exchange/XmlTextEncoder.h"
#include "exchange/XmlWriter.h"

namespace velmaro {
namespace {

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using Libxml2Doc = std::unique_ptr<xmlDoc, DocDeleter>;

const xmlChar* Xml(const std::string& text) { return reinterpret_cast<const xmlChar*>(text.c_str()); }

// Every character from U+0001 to U+00FF, the signs that Latin-9 and Windows-1252 place above
// U+00FF, characters that no 8-bit code page holds, and what XML escapes.
std::string HardText() {
    std::string text;
    for (unsigned c = 1; c < 0x80; ++c) text += static_cast<char>(c);
    for (unsigned c = 0x80; c < 0x100; ++c) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    text += "\xE2\x82\xAC \xC5\xA0\xC5\xA1\xC5\xBD\xC5\xBE\xC5\x92\xC5\x93\xC5\xB8";  // € Š š Ž ž Œ œ Ÿ
    text += "\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6\xE2\x84\xA2";  // ‚ ƒ „ … ™
    text += "\xE4\xB8\xAD \xF0\x9F\x98\x80";                              // a CJK sign, an emoji
    text += " ]]> <&>\"' \r\n\t";
    return text;
}

// What the writer gives, all pieces joined, for a document with `prolog` whose root <r> holds
// attribute a=`text`, then `text`, then an empty <vacio/> and an empty <br/>.
std::string WriterText(const ExchangeProlog& prolog, const std::string& text,
                       std::vector<std::size_t>* pieceSizes = nullptr) {
    std::string written;
    XmlWriter writer(prolog, XmlTextEncoderFor(WrittenEncoding(prolog)),
                     [&](std::string_view bytes) {
                         written += bytes;
                         if (pieceSizes != nullptr) pieceSizes->push_back(bytes.size());
                     });
    writer.StartElement("r");
    writer.Attribute("a", text);
    writer.Text(text);
    writer.StartElement("vacio");
    writer.Attribute("b", "1");
    writer.EndElement();
    writer.StartElement("br");
    writer.EndElement();
    writer.EndElement();
    writer.Finish();
    return written;
}

// What libxml2 writes in `encoding` for the same document, with a comment and a processing
// instruction before the root and, when given, a document type.
std::string Libxml2Text(const std::string& encoding, const std::string& text,
                        const char* publicId = nullptr, const char* systemId = nullptr) {
    Libxml2Doc doc(xmlNewDoc(Xml("1.0")));
    if (publicId != nullptr) {
        xmlCreateIntSubset(doc.get(), Xml("r"), Xml(publicId), Xml(systemId));
    }
    xmlAddChild(reinterpret_cast<xmlNode*>(doc.get()), xmlNewDocComment(doc.get(), Xml(text)));
    xmlAddChild(reinterpret_cast<xmlNode*>(doc.get()),
                xmlNewDocPI(doc.get(), Xml("pi"), Xml(text)));
    xmlNode* root = xmlNewDocNode(doc.get(), nullptr, Xml("r"), nullptr);
    xmlDocSetRootElement(doc.get(), root);
    xmlNewProp(root, Xml("a"), nullptr);
    xmlAddChild(reinterpret_cast<xmlNode*>(root->properties), xmlNewDocText(doc.get(), Xml(text)));
    xmlAddChild(root, xmlNewDocText(doc.get(), Xml(text)));
    xmlNewProp(xmlNewChild(root, nullptr, Xml("vacio"), nullptr), Xml("b"), Xml("1"));
    xmlNewChild(root, nullptr, Xml("br"), nullptr);
    xmlChar* dumped = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc.get(), &dumped, &size, encoding.c_str());
    const std::string bytes(reinterpret_cast<const char*>(dumped), static_cast<std::size_t>(size));
    xmlFree(dumped);
    return bytes;
}

// A prolog declaring `encoding`, with the comment and processing instruction Libxml2Text puts
// before the root.
ExchangeProlog PrologDeclaring(const std::string& encoding, const std::string& text) {
    ExchangeProlog prolog;
    prolog.declaration = XmlDeclaration{"1.0", encoding, std::nullopt};
    prolog.beforeRoot.push_back({PrologNode::Kind::Comment, "", text, false});
    prolog.beforeRoot.push_back({PrologNode::Kind::ProcessingInstruction, "pi", text, false});
    return prolog;
}

// Each encoding writes every character it holds as its bytes and every other one as "&#N;",
// escapes text and attributes alike, and writes UTF-16 after its byte-order mark, exactly as
// libxml2 does.
TEST(XmlWriter, EncodingsAndEscapingAsLibxml2WritesThem) {
    struct Case {
        const char* name;
        const char* encoding;
        const char* firstBytes;  // the document's first four bytes
    };
    const Case cases[] = {
        {"Utf8", "UTF-8", "<?xml"},
        {"Utf8InSmallLetters", "utf-8", "<?xml"},
        {"Utf16LittleEndianAfterByteOrderMark", "UTF-16", "\xFF\xFE<\0?\0"},
        {"Latin1", "ISO-8859-1", "<?xml"},
        {"Latin1UnderAnotherName", "latin1", "<?xml"},
        {"Latin9", "ISO-8859-15", "<?xml"},
        {"Windows1252", "windows-1252", "<?xml"},
        {"Windows1252UnderAnotherName", "CP1252", "<?xml"},
        {"AsciiByThePlatform", "US-ASCII", "<?xml"},
        {"Latin2ByThePlatform", "ISO-8859-2", "<?xml"},
        {"Utf32ByThePlatform", "UTF-32", "\xFF\xFE\0\0<\0\0\0"},
    };
    const std::string text = HardText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string written = WriterText(PrologDeclaring(c.encoding, text), text);
        EXPECT_EQ(written, Libxml2Text(c.encoding, text));
        EXPECT_EQ(written.substr(0, 4), std::string(c.firstBytes, 4));
    }
}

// Under an XHTML document type an element without content keeps its end tag, except those
// XHTML declares empty; any other document type leaves the XML rules.
TEST(XmlWriter, DocumentTypesAsLibxml2WritesThem) {
    struct Case {
        const char* name;
        const char* publicId;
        const char* systemId;
        bool xhtml;
        const char* expectedElements;
    };
    const Case cases[] = {
        {"XhtmlStrict", "-//W3C//DTD XHTML 1.0 Strict//EN",
         "http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd", true,
         "<vacio b=\"1\"></vacio><br /></r>"},
        {"XhtmlTransitional", "-//W3C//DTD XHTML 1.0 Transitional//EN",
         "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd", true,
         "<vacio b=\"1\"></vacio><br /></r>"},
        {"OtherPublicType", "-//Racima//DTD Intercambio//ES", "intercambio.dtd", false,
         "<vacio b=\"1\"/><br/></r>"},
    };
    const std::string text = "x <&>";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeProlog prolog = PrologDeclaring("UTF-8", text);
        const std::string documentType = std::string("<!DOCTYPE r PUBLIC \"") + c.publicId +
                                         "\" \"" + c.systemId + "\">";
        prolog.beforeRoot.insert(prolog.beforeRoot.begin(),
                                 {PrologNode::Kind::DocumentType, "", documentType, c.xhtml});
        const std::string written = WriterText(prolog, text);
        EXPECT_EQ(written, Libxml2Text("UTF-8", text, c.publicId, c.systemId));
        EXPECT_NE(written.find(c.expectedElements), std::string::npos) << written;
    }
}

}  // namespace
}  // namespace velmaro

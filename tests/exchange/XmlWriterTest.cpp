// The streaming XML writer: characters an encoding cannot hold, the prolog as it was read, and
// the pieces it hands on. What it writes is compared with libxml2's serializer in
// XmlWriterLibxml2Test.cpp.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "exchange/XmlTextEncoder.h"
#include "exchange/XmlWriter.h"

namespace velmaro {
namespace {

// Characters the encoding cannot hold, by name, so that a failure says which rule broke.
TEST(XmlWriter, CharactersTheEncodingCannotHoldBecomeDecimalReferences) {
    struct Case {
        const char* name;
        const char* encoding;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"EuroInLatin1", "ISO-8859-1", "\xE2\x82\xAC", "&#8364;"},
        {"EuroInLatin9", "ISO-8859-15", "\xE2\x82\xAC", "\xA4"},
        {"CurrencySignInLatin9", "ISO-8859-15", "\xC2\xA4", "&#164;"},
        {"EuroInWindows1252", "windows-1252", "\xE2\x82\xAC", "\x80"},
        {"UnassignedByteInWindows1252", "windows-1252", "\xC2\x81", "&#129;"},
        {"EmojiInLatin1", "ISO-8859-1", "\xF0\x9F\x98\x80", "&#128512;"},
        {"EmojiInUtf16", "UTF-16", "\xF0\x9F\x98\x80", std::string("\x3D\xD8\x00\xDE", 4)},
        {"CjkInAscii", "US-ASCII", "\xE4\xB8\xAD", "&#20013;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<XmlTextEncoder> encoder = XmlTextEncoderFor(c.encoding);
        ASSERT_NE(encoder, nullptr);
        std::string scratch;
        EXPECT_EQ(std::string(encoder->Encode("a" + c.text, scratch)),
                  std::string(c.encoding) == "UTF-16" ? std::string("a\0", 2) + c.expected
                                                      : "a" + c.expected);
    }
}

TEST(XmlWriter, UnknownEncodingHasNoEncoder) {
    EXPECT_EQ(XmlTextEncoderFor("X-NO-EXISTE"), nullptr);
    EXPECT_EQ(XmlTextEncoderFor(""), nullptr);
}

// The declaration as it was read, or none; then every node before the root and every node after
// it, each on its own line, then the root on the last line.
TEST(XmlWriter, PrologAsItWasRead) {
    struct Case {
        const char* name;
        ExchangeProlog prolog;
        std::string expected;
    };
    const PrologNode comment{PrologNode::Kind::Comment, "", " antes ", false};
    const PrologNode emptyInstruction{PrologNode::Kind::ProcessingInstruction, "fin", "", false};
    const std::vector<Case> cases = {
        {"NoDeclaration", ExchangeProlog{}, "<r/>\n"},
        {"VersionOnly", ExchangeProlog{XmlDeclaration{"1.0", std::nullopt, std::nullopt}, {}, {}},
         "<?xml version=\"1.0\"?>\n<r/>\n"},
        {"StandaloneYesWithoutEncoding",
         ExchangeProlog{XmlDeclaration{"1.0", std::nullopt, true}, {}, {}},
         "<?xml version=\"1.0\" standalone=\"yes\"?>\n<r/>\n"},
        {"EncodingAsSpelledAndStandaloneNo",
         ExchangeProlog{XmlDeclaration{"1.1", "utf-8", false}, {}, {}},
         "<?xml version=\"1.1\" encoding=\"utf-8\" standalone=\"no\"?>\n<r/>\n"},
        {"NodesBeforeThenAfterTheRoot",
         ExchangeProlog{std::nullopt, {comment}, {emptyInstruction, comment}},
         "<!-- antes -->\n<?fin?>\n<!-- antes -->\n<r/>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string written;
        XmlWriter writer(c.prolog, XmlTextEncoderFor(WrittenEncoding(c.prolog)),
                         [&](std::string_view bytes) { written += bytes; });
        writer.StartElement("r");
        writer.EndElement();
        writer.Finish();
        EXPECT_EQ(written, c.expected);
    }
}

// A large document reaches the output in pieces of about 1 MiB, never all at once.
TEST(XmlWriter, LargeDocumentInPiecesOfAboutOneMebibyte) {
    const std::string text(std::size_t{5} << 20, 'x');
    std::vector<std::size_t> pieces;
    ExchangeProlog prolog;
    std::string written;
    XmlWriter writer(prolog, XmlTextEncoderFor("UTF-8"), [&](std::string_view bytes) {
        written += bytes;
        pieces.push_back(bytes.size());
    });
    writer.StartElement("r");
    for (std::size_t at = 0; at < text.size(); at += 1000) writer.Text(text.substr(at, 1000));
    writer.EndElement();
    writer.Finish();
    EXPECT_EQ(written, "<r>" + text + "</r>\n");
    ASSERT_GE(pieces.size(), 5u);
    for (std::size_t size : pieces) EXPECT_LE(size, (std::size_t{1} << 20) + 1000);
}

}  // namespace
}  // namespace velmaro

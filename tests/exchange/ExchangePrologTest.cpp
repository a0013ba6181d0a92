// The prolog of a loaded exchange document: its declaration and the nodes beside the root.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "exchange/ExchangeDocument.h"
#include "exchange/ExchangeTestFiles.h"

namespace velmaro {
namespace {

using testing::LoadXml;
using Kind = PrologNode::Kind;

constexpr const char* kRoot =
    "<SERVICIO><BLOQUE_DATOS><!-- dentro --><?dentro x?>"
    "</BLOQUE_DATOS></SERVICIO>";

// A prolog node as the cases spell it.
PrologNode Node(Kind kind, std::string target, std::string text, bool xhtml = false) {
    PrologNode node;
    node.kind = kind;
    node.target = std::move(target);
    node.text = std::move(text);
    node.xhtml = xhtml;
    return node;
}

PrologNode Comment(std::string text) { return Node(Kind::Comment, "", std::move(text)); }
PrologNode Instruction(std::string target, std::string text) {
    return Node(Kind::ProcessingInstruction, std::move(target), std::move(text));
}
PrologNode DocumentType(std::string text, bool xhtml = false) {
    return Node(Kind::DocumentType, "", std::move(text), xhtml);
}

std::string Describe(const PrologNode& node) {
    const char* kinds[] = {"Comment", "ProcessingInstruction", "DocumentType"};
    return std::string(kinds[static_cast<int>(node.kind)]) + "(" + node.target + "|" + node.text +
           (node.xhtml ? "|xhtml" : "") + ")";
}

std::vector<std::string> Describe(const std::vector<PrologNode>& nodes) {
    std::vector<std::string> described;
    for (const PrologNode& node : nodes) described.push_back(Describe(node));
    return described;
}

struct DeclarationCase {
    const char* name;
    std::string bytes;  // the whole document
    std::optional<XmlDeclaration> declaration;
};

// Failing cases show their name.
void PrintTo(const DeclarationCase& c, std::ostream* os) { *os << c.name; }

XmlDeclaration Declared(std::optional<std::string> encoding, std::optional<bool> standalone,
                        std::string version = "1.0") {
    return XmlDeclaration{std::move(version), std::move(encoding), standalone};
}

class ExchangePrologDeclaration : public ::testing::TestWithParam<DeclarationCase> {};

TEST_P(ExchangePrologDeclaration, AsTheDocumentDeclaresIt) {
    const DeclarationCase& c = GetParam();
    const ExchangeDocument document = LoadXml(c.bytes);
    const std::optional<XmlDeclaration>& got = document.Prolog().declaration;
    ASSERT_EQ(got.has_value(), c.declaration.has_value());
    if (!got) return;
    EXPECT_EQ(got->version, c.declaration->version);
    EXPECT_EQ(got->encoding, c.declaration->encoding);
    EXPECT_EQ(got->standalone, c.declaration->standalone);
}

// UTF-16 (little-endian, with its byte order mark) of ASCII text.
std::string Utf16Ascii(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (const char c : text) out += std::string{c, '\0'};
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ExchangePrologDeclaration,
    ::testing::Values(
        DeclarationCase{"None", kRoot, std::nullopt},
        DeclarationCase{"VersionOnly", std::string("<?xml version=\"1.0\"?>") + kRoot,
                        Declared(std::nullopt, std::nullopt)},
        DeclarationCase{"EncodingSpelledAsDeclared",
                        std::string("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>") + kRoot,
                        Declared("iso-8859-1", std::nullopt)},
        DeclarationCase{"Utf8InLowerCase",
                        std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>") + kRoot,
                        Declared("utf-8", std::nullopt)},
        DeclarationCase{"Windows1252",
                        std::string("<?xml version='1.0' encoding='windows-1252'?>") + kRoot,
                        Declared("windows-1252", std::nullopt)},
        DeclarationCase{
            "Utf16", Utf16Ascii(std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + kRoot),
            Declared("UTF-16", std::nullopt)},
        DeclarationCase{"Utf16WithoutDeclaration", Utf16Ascii(kRoot), std::nullopt},
        DeclarationCase{"ByteOrderMarkWithoutEncoding",
                        std::string("\xEF\xBB\xBF<?xml version=\"1.0\"?>") + kRoot,
                        Declared(std::nullopt, std::nullopt)},
        DeclarationCase{
            "StandaloneYes",
            std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>") + kRoot,
            Declared("UTF-8", true)},
        DeclarationCase{"StandaloneNo",
                        std::string("<?xml version=\"1.0\" standalone='no'?>") + kRoot,
                        Declared(std::nullopt, false)},
        DeclarationCase{"Version11", std::string("<?xml version=\"1.1\"?>") + kRoot,
                        Declared(std::nullopt, std::nullopt, "1.1")}),
    [](const ::testing::TestParamInfo<DeclarationCase>& info) {
        return std::string(info.param.name);
    });

struct BesideRootCase {
    const char* name;
    std::string xml;
    std::vector<PrologNode> before;
    std::vector<PrologNode> after;
};

// Failing cases show their name.
void PrintTo(const BesideRootCase& c, std::ostream* os) { *os << c.name; }

class ExchangePrologNodes : public ::testing::TestWithParam<BesideRootCase> {};

TEST_P(ExchangePrologNodes, InDocumentOrderOnEachSideOfTheRoot) {
    const BesideRootCase& c = GetParam();
    const ExchangeDocument document = LoadXml(c.xml);
    EXPECT_EQ(Describe(document.Prolog().beforeRoot), Describe(c.before));
    EXPECT_EQ(Describe(document.Prolog().afterRoot), Describe(c.after));
}

const char* const kXhtmlDoctype =
    "<!DOCTYPE SERVICIO PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">";

INSTANTIATE_TEST_SUITE_P(
    Documents, ExchangePrologNodes,
    ::testing::Values(
        BesideRootCase{"Nothing", std::string("<?xml version=\"1.0\"?>\n") + kRoot + "\n", {}, {}},
        BesideRootCase{
            "CommentsAndInstructionsInOrder",
            std::string("<?xml version=\"1.0\"?>\n<!-- antes -->\n<?velmaro prueba?>\n"
                        "<!---->") +
                kRoot + "\n<!-- despues --><?velmaro fin?><?vacia?>\n",
            {Comment(" antes "), Instruction("velmaro", "prueba"), Comment("")},
            {Comment(" despues "), Instruction("velmaro", "fin"), Instruction("vacia", "")}},
        BesideRootCase{"WithoutDeclaration",
                       std::string("<!--a-->") + kRoot + "<?b c d?>",
                       {Comment("a")},
                       {Instruction("b", "c d")}},
        BesideRootCase{"TextKeptAsWritten",
                       std::string("<!-- año &amp; <x> -->") + kRoot,
                       {Comment(" año &amp; <x> ")},
                       {}},
        BesideRootCase{
            "DocumentTypeInItsPlace",
            std::string("<?xml version=\"1.0\"?>\n<!--a-->\n<!DOCTYPE SERVICIO [\n"
                        "<!ENTITY centro \"IES\">\n<!-- en la DTD --><?en la-dtd?>\n]>\n<!--b-->") +
                kRoot,
            {Comment("a"),
             // As libxml2's serializer writes it: no line break after the last instruction.
             DocumentType("<!DOCTYPE SERVICIO [\n<!ENTITY centro \"IES\">\n<!-- en la DTD -->"
                          "<?en la-dtd?>]>"),
             Comment("b")},
            {}},
        BesideRootCase{"SystemDocumentTypeIsNotRead",
                       std::string("<!DOCTYPE SERVICIO SYSTEM \"racima.dtd\">") + kRoot,
                       {DocumentType("<!DOCTYPE SERVICIO SYSTEM \"racima.dtd\">")},
                       {}},
        BesideRootCase{"XhtmlDocumentType",
                       std::string(kXhtmlDoctype) + kRoot,
                       {DocumentType(kXhtmlDoctype, true)},
                       {}}),
    [](const ::testing::TestParamInfo<BesideRootCase>& info) {
        return std::string(info.param.name);
    });

TEST(ExchangeProlog, SurvivesMovingTheDocument) {
    ExchangeDocument loaded = LoadXml(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                                  "<!--a-->") +
                                      kRoot);
    const ExchangeDocument moved = std::move(loaded);
    ASSERT_TRUE(moved.Prolog().declaration.has_value());
    EXPECT_EQ(moved.Prolog().declaration->encoding, "UTF-8");
    EXPECT_EQ(Describe(moved.Prolog().beforeRoot), Describe(std::vector<PrologNode>{Comment("a")}));
}

}  // namespace
}  // namespace velmaro

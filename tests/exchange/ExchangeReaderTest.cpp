// The reader's events: what every reader (one per XML library) tells of a document.

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Error.h"
#include "exchange/ExchangeReader.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

using testing::ScratchFolder;

// Writes one line per event; consecutive Text calls make one line, as they make one text node.
class RecordedEvents : public ExchangeReaderEvents {
public:
    std::vector<std::string> lines;

    void Declaration(const XmlDeclaration& d) override {
        Add("declaration " + d.version + " " + d.encoding.value_or("-") + " " +
            (d.standalone ? (*d.standalone ? "yes" : "no") : "-"));
    }
    void DocumentType(std::string_view text, bool xhtml) override {
        Add("doctype " + std::string(text) + (xhtml ? " xhtml" : ""));
    }
    void StartElement(std::string_view name, std::span<const ReaderAttribute> attributes,
                      int /*line*/) override {
        std::string line = "<" + std::string(name);
        for (const ReaderAttribute& a : attributes) {
            line += " " + std::string(a.name) + "=[" + std::string(a.value) + "]";
        }
        Add(line + ">");
    }
    void EndElement() override { Add("</>"); }
    void Text(std::string_view text) override {
        if (inText_) {
            lines.back() += text;
        } else {
            lines.push_back("text " + std::string(text));
            inText_ = true;
        }
    }
    void CData(std::string_view text) override { Add("cdata " + std::string(text)); }
    void Comment(std::string_view text) override { Add("comment " + std::string(text)); }
    void ProcessingInstruction(std::string_view target, std::string_view text) override {
        Add("pi " + std::string(target) + " " + std::string(text));
    }
    void BeginEntity() override { Add("{"); }
    void EndEntity() override { Add("}"); }

private:
    void Add(std::string line) {
        lines.push_back(std::move(line));
        inText_ = false;
    }
    bool inText_ = false;
};

struct EventCase {
    const char* name;
    std::string xml;
    std::vector<std::string> events;
};

// Failing cases show their name.
void PrintTo(const EventCase& c, std::ostream* os) { *os << c.name; }

class ExchangeReaderEventsTest : public ::testing::TestWithParam<EventCase> {};

TEST_P(ExchangeReaderEventsTest, TellsTheDocumentInOrder) {
    const EventCase& c = GetParam();
    ScratchFolder folder;
    RecordedEvents events;
    ReadExchangeDocument(folder.File("eventos.xml", c.xml), events);
    EXPECT_EQ(events.lines, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ExchangeReaderEventsTest,
    ::testing::Values(
        EventCase{
            "ElementsAttributesAndText",
            "<?xml version=\"1.0\"?><a x=\"1\" y='&lt;&amp;'>t<b/>u&#193;v</a>",
            {"<a x=[1] y=[<&]>", "text t", "<b>", "</>", "text uÁv", "</>", "declaration 1.0 - -"}},
        EventCase{"WhiteSpaceIsTold",
                  "<a>\n  <b> </b>\n</a>",
                  {"<a>", "text \n  ", "<b>", "text  ", "</>", "text \n", "</>"}},
        EventCase{"CdataCommentsAndInstructions",
                  "<!--c1--><?p1 d?><a><![CDATA[<x>]]><!--c2--><?p2?></a><!--c3-->",
                  {"comment c1", "pi p1 d", "<a>", "cdata <x>", "comment c2", "pi p2 ", "</>",
                   "comment c3"}},
        EventCase{"NamespacesGiveLocalNamesUnlessTheirPrefixIsUndeclared",
                  "<r:a xmlns:r=\"urn:r\" r:x=\"1\" p:y=\"2\"><p:b/></r:a>",
                  {"<a x=[1] p:y=[2]>", "<p:b>", "</>", "</>"}},
        EventCase{"AttributesThatOnlyTheDtdDefaultsAreLeftOut",
                  "<!DOCTYPE a [<!ATTLIST a seq CDATA \"M\" z CDATA #IMPLIED>]><a z=\"1\"/>",
                  {"doctype <!DOCTYPE a [\n<!ATTLIST a seq CDATA \"M\">\n"
                   "<!ATTLIST a z CDATA #IMPLIED>\n]>",
                   "<a z=[1]>", "</>"}},
        EventCase{"ReferencesInAttributeValuesAreReplaced",
                  "<!DOCTYPE a [<!ENTITY e \"E\"><!ENTITY f \"[&e;]\">]>"
                  "<a seq=\"x&f;y&#38;z&#95;&amp;\"/>",
                  {"doctype <!DOCTYPE a [\n<!ENTITY e \"E\">\n<!ENTITY f \"[&e;]\">\n]>",
                   "<a seq=[x[E]y&z_&]>", "</>"}},
        EventCase{"EntityContentBetweenBeginAndEnd",
                  "<!DOCTYPE a [<!ENTITY e \"x<b>y</b>&f;\"><!ENTITY f \" \">]><a>1&e;2&e;</a>",
                  {"doctype <!DOCTYPE a [\n<!ENTITY e \"x<b>y</b>&f;\">\n<!ENTITY f \" \">\n]>",
                   "<a>",
                   "text 1",
                   "{",
                   "text x",
                   "<b>",
                   "text y",
                   "</>",
                   "{",
                   "text  ",
                   "}",
                   "}",
                   "text 2",
                   "{",
                   "text x",
                   "<b>",
                   "text y",
                   "</>",
                   "{",
                   "text  ",
                   "}",
                   "}",
                   "</>"}},
        EventCase{"ExternalEntityHasNoContent",
                  "<!DOCTYPE a [<!ENTITY x SYSTEM \"fuera.txt\">]><a>&x;</a>",
                  {"doctype <!DOCTYPE a [\n<!ENTITY x SYSTEM \"fuera.txt\">\n]>", "<a>", "{", "}",
                   "</>"}},
        EventCase{"DeclarationWithEncodingAndStandalone",
                  "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?><a>\xE1</a>",
                  {"<a>", "text á", "</>", "declaration 1.0 ISO-8859-1 yes"}}),
    [](const ::testing::TestParamInfo<EventCase>& info) { return std::string(info.param.name); });

// Throws when the element "alto" starts.
class StoppingEvents : public RecordedEvents {
public:
    void StartElement(std::string_view name, std::span<const ReaderAttribute> attributes,
                      int line) override {
        if (name == "alto") throw std::runtime_error("parado");
        RecordedEvents::StartElement(name, attributes, line);
    }
};

TEST(ExchangeReader, WhatTheEventsThrowStopsTheReadAndReachesTheCaller) {
    ScratchFolder folder;
    StoppingEvents events;
    const auto path = folder.File("alto.xml", "<a><b/><alto/><c/></a>");
    EXPECT_THROW(ReadExchangeDocument(path, events), std::runtime_error);
    EXPECT_EQ(events.lines, (std::vector<std::string>{"<a>", "<b>", "</>"}));
}

TEST(ExchangeReader, MalformedDocumentThrowsError) {
    ScratchFolder folder;
    RecordedEvents events;
    EXPECT_THROW(ReadExchangeDocument(folder.File("roto.xml", "<a><b></a>"), events), Error);
}

}  // namespace
}  // namespace velmaro

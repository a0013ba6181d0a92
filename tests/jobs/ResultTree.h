#pragma once
// The result document read back as a tree of elements by a reader other than the program's
// writer: libxml2 on POSIX systems, the exchange-document reader of the Windows build (XmlLite)
// on Windows.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <span>
#include <string_view>

#include "base/Error.h"
#include "exchange/ExchangeReader.h"
#else
#include <libxml/parser.h>
#include <libxml/tree.h>
#endif

namespace velmaro::testing {

struct ResultElement {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string content;  // every text inside, as a DOM's text content
    bool textAmongChildren = false;  // some text stands directly inside, beside or without elements
    std::vector<ResultElement> children;

    // The attribute `name`, or "<none>".
    std::string Attribute(const std::string& attribute) const {
        const auto found = attributes.find(attribute);
        return found == attributes.end() ? "<none>" : found->second;
    }
};

#ifdef _WIN32

// Builds the tree from the reader's events.
class ResultTreeBuilder : public ExchangeReaderEvents {
public:
    std::optional<ResultElement> root;

    void Declaration(const XmlDeclaration&) override {}
    void DocumentType(std::string_view, bool) override {}
    void StartElement(std::string_view name, std::span<const ReaderAttribute> attributes,
                      int) override {
        ResultElement element;
        element.name = name;
        for (const ReaderAttribute& a : attributes) {
            element.attributes[std::string(a.name)] = std::string(a.value);
        }
        open_.push_back(std::move(element));
    }
    void EndElement() override {
        ResultElement done = std::move(open_.back());
        open_.pop_back();
        if (open_.empty()) {
            root = std::move(done);
        } else {
            open_.back().content += done.content;
            open_.back().children.push_back(std::move(done));
        }
    }
    void Text(std::string_view text) override {
        if (open_.empty()) return;
        open_.back().content += text;
        open_.back().textAmongChildren = true;
    }
    void CData(std::string_view text) override {
        if (!open_.empty()) open_.back().content += text;
    }
    void Comment(std::string_view) override {}
    void ProcessingInstruction(std::string_view, std::string_view) override {}
    void BeginEntity() override {}
    void EndEntity() override {}

private:
    std::vector<ResultElement> open_;
};

// The root element of the document at `path`, or nothing when it cannot be read.
inline std::optional<ResultElement> ReadResultTree(const std::filesystem::path& path) {
    ResultTreeBuilder builder;
    try {
        ReadExchangeDocument(path, builder);
    } catch (const Error&) {
        return std::nullopt;
    }
    return builder.root;
}

#else

// `node` and everything inside it as a tree.
inline ResultElement ResultElementOf(xmlNode* node) {
    ResultElement element;
    element.name = reinterpret_cast<const char*>(node->name);
    for (xmlAttr* a = node->properties; a != nullptr; a = a->next) {
        xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
        element.attributes[reinterpret_cast<const char*>(a->name)] =
            value != nullptr ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
    }
    xmlChar* content = xmlNodeGetContent(node);
    element.content = content != nullptr ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    for (xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) element.children.push_back(ResultElementOf(child));
        if (child->type == XML_TEXT_NODE) element.textAmongChildren = true;
    }
    return element;
}

// The root element of the document at `path`, or nothing when it cannot be read.
inline std::optional<ResultElement> ReadResultTree(const std::filesystem::path& path) {
    xmlDoc* doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
    if (doc == nullptr) return std::nullopt;
    ResultElement root = ResultElementOf(xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
    return root;
}

#endif

}  // namespace velmaro::testing

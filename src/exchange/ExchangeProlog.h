#pragma once
// What an exchange document holds outside its root element: the XML declaration and the
// comments, processing instructions and document type around the root. The result document
// repeats them as they were.

#include <optional>
#include <string>
#include <vector>

namespace velmaro {

// The XML declaration (<?xml version="1.0" encoding="..." standalone="..."?>) as it was read.
struct XmlDeclaration {
    std::string version = "1.0";
    std::optional<std::string> encoding;  // the declared name, spelled as the document spells it
    std::optional<bool> standalone;       // standalone="yes" (true) or "no" (false), when given
};

// One node that stands beside the root element, texts in UTF-8.
struct PrologNode {
    enum class Kind {
        Comment,                // text: what stands between "<!--" and "-->"
        ProcessingInstruction,  // target and text: <?target text?>
        DocumentType,           // text: the whole <!DOCTYPE ...> as an XML serializer writes it
    };
    Kind kind = Kind::Comment;
    std::string target;
    std::string text;
    // For a document type: it names one of the XHTML 1.0 document types, by whose rules an XML
    // serializer writes the document (elements without content keep their end tag).
    bool xhtml = false;
};

struct ExchangeProlog {
    std::optional<XmlDeclaration> declaration;  // nothing when the document has none
    std::vector<PrologNode> beforeRoot;         // in document order
    std::vector<PrologNode> afterRoot;          // in document order
};

}  // namespace velmaro

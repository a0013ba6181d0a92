#pragma once
// Writing an XML document as a stream: the prolog of an exchange document, then elements,
// attributes and text, with no white space between elements, escaped as XML serializers escape
// and encoded in the document's encoding as it goes.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/ExchangeProlog.h"
#include "exchange/XmlTextEncoder.h"

namespace velmaro {

// The encoding a document with `prolog` is written in: the one its declaration names, else
// UTF-8.
std::string WrittenEncoding(const ExchangeProlog& prolog);

// True when `prolog` holds a document type of XHTML 1.0, whose rules the document follows.
bool FollowsXhtml(const ExchangeProlog& prolog);

class XmlWriter {
public:
    // Receives the document's bytes in order, in pieces of about 1 MiB.
    using Output = std::function<void(std::string_view bytes)>;

    // Begins a document that repeats `prolog`: its declaration as it was, then the nodes before
    // the root and those after it, in that order, each followed by a line end. The text is
    // encoded by `encoder` (the encoder of WrittenEncoding(prolog)) and given to `output`.
    // With an XHTML document type, an element without content keeps its end tag ("<a></a>"),
    // except the elements XHTML declares empty ("<br />").
    XmlWriter(const ExchangeProlog& prolog, std::unique_ptr<XmlTextEncoder> encoder,
              Output output);

    // Opens element `name` inside the element open last (the root, when none is open).
    void StartElement(std::string_view name);
    // Adds an attribute to the element just opened, before any content of it. Escapes & < > "
    // and the line end, carriage return and tab as references.
    void Attribute(std::string_view name, std::string_view value);
    // Adds text to the element open last, which then has content even when the text is empty
    // ("<a></a>"). Escapes & < > and the carriage return as references.
    void Text(std::string_view text);
    // Closes the element open last; "<name/>" when it got no content.
    void EndElement();
    // Ends the document after its root: the last line end, then every byte still held goes to
    // the output.
    void Finish();

private:
    void WriteDeclaration(const XmlDeclaration& declaration);
    void WritePrologNode(const PrologNode& node);
    // Ends the start tag of the element open last, when it is still open.
    void CloseStartTag();
    // Gives the text held so far to the output once it makes a whole piece.
    void FlushWhenFull();
    // Encodes the text held so far and gives it to the output.
    void Flush();

    std::unique_ptr<XmlTextEncoder> encoder_;
    Output output_;
    bool xhtml_;
    std::string pending_;  // UTF-8 text not yet encoded
    std::string encoded_;  // room for the encoder
    std::vector<std::string> openElements_;
    bool startTagOpen_ = false;
    bool begun_ = false;  // whether the output got its first bytes
};

}  // namespace velmaro

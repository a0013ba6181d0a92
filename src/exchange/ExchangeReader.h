#pragma once
// Reading an exchange document once, as a stream of events, with whichever XML library the
// platform has (one implementation file per library: LibXml2Reader.cpp on Linux).
//
// Every reader decodes the encoding the document declares, reads nothing outside the file
// (no external entity, no DTD loading, no network, no XInclude) and bounds entity expansion.

#include <filesystem>
#include <span>
#include <string_view>

#include "exchange/ExchangeProlog.h"

namespace velmaro {

// One attribute as the document gives it: name with its prefix when the prefix is not
// declared ("p:seq"), else the local name; value with its references replaced.
struct ReaderAttribute {
    std::string_view name;
    std::string_view value;
};

// What a reader tells, in document order. Texts are UTF-8 (never holding U+0000, which XML
// cannot carry) and valid only during the call.
//
// A text node of the document may come as several Text calls in a row: it ends at any other
// call. Entity references are told by their replacement: BeginEntity, the events of the
// entity's content (elements, texts, CDATA, comments, nested entities), EndEntity; an external
// or undeclared entity has no content. Inside an entity, names and texts are what the entity
// holds, and elements are not children of the element that holds the reference.
class ExchangeReaderEvents {
public:
    virtual ~ExchangeReaderEvents() = default;

    // The XML declaration, when the document has one; once at most, at any time of the read.
    virtual void Declaration(const XmlDeclaration& declaration) = 0;
    // The document type: the whole <!DOCTYPE ...> as an XML serializer writes it, and whether
    // it names an XHTML 1.0 document type. At its place before the root element.
    virtual void DocumentType(std::string_view text, bool xhtml) = 0;

    // An element begins, on line `line` of the file (for an element of an entity's content, the
    // line of the reference).
    virtual void StartElement(std::string_view name, std::span<const ReaderAttribute> attributes,
                              int line) = 0;
    virtual void EndElement() = 0;
    // Character data outside CDATA sections, character and predefined references replaced.
    virtual void Text(std::string_view text) = 0;
    // The content of one CDATA section.
    virtual void CData(std::string_view text) = 0;
    virtual void Comment(std::string_view text) = 0;
    virtual void ProcessingInstruction(std::string_view target, std::string_view text) = 0;
    virtual void BeginEntity() = 0;
    virtual void EndEntity() = 0;
};

// Reads the document at `path` once, from its first byte to its last, telling `events`.
// Throws Error naming the file when it is missing, a folder, not a regular file, unreadable,
// empty, too large, not well-formed (with the line, the column and the parser's reason) or
// when its entities expand to a disproportionate text. Exceptions that `events` throws stop
// the read and reach the caller.
void ReadExchangeDocument(const std::filesystem::path& path, ExchangeReaderEvents& events);

}  // namespace velmaro

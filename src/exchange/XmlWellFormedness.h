#pragma once
// The rules of well-formed XML 1.0 that can be checked on a document's text alone, for a reader
// whose XML library lets documents that break them through: the characters XML allows, raw or
// by character reference; references to entities that exist; '&' only as the start of a
// reference; names that are XML names; no attribute twice in one start tag; each element
// closed, by its own end tag.

#include <optional>
#include <string>
#include <string_view>

namespace velmaro {

// Where a document first breaks one of these rules, and which rule, in Spanish.
struct XmlTextFault {
    unsigned line = 0;    // from 1
    unsigned column = 0;  // from 1, in characters
    std::string reason;
};

// The first fault of the UTF-8 document `text`, in document order: a character that XML does
// not allow (raw, or by a character reference; bytes that are not UTF-8 too); a reference to an
// entity that is neither predefined nor declared in the internal subset (one that the document
// type's external subset or parameter entities may declare is let be, as they are never read);
// an '&' that begins no reference, or "]]>" in text; a name of an element, attribute,
// processing-instruction target or document type that is not an XML name; an attribute
// repeated in a start tag, or one not parted from the next by a blank; '<' in an attribute
// value; an end tag that does not close the element opened last; the end of the text with an
// element still open (elements that entities hold are not seen). Nothing when there is none.
// Markup that the check cannot follow (a tag, comment or literal never closed, an attribute
// without its value) ends the check without a fault: the XML parser refuses those itself.
std::optional<XmlTextFault> FirstWellFormednessFault(std::string_view text);

}  // namespace velmaro

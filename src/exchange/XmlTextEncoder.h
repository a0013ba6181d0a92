#pragma once
// The bytes of an XML document's text in the encoding the document is written in.

#include <memory>
#include <string>
#include <string_view>

namespace velmaro {

// Encodes the UTF-8 text of one document, piece after piece. A character the encoding cannot
// hold is written as a decimal character reference "&#N;", as XML serializers write it.
class XmlTextEncoder {
public:
    virtual ~XmlTextEncoder() = default;

    // Appends to `bytes` what opens the document (the byte-order mark of UTF-16).
    virtual void Begin(std::string& bytes) = 0;
    // The encoded bytes of `utf8`: `utf8` itself when it needs no change, otherwise `scratch`
    // after replacing its content.
    virtual std::string_view Encode(std::string_view utf8, std::string& scratch) = 0;
    // Appends to `bytes` what ends the document (a return to the initial shift state).
    virtual void Finish(std::string& bytes) = 0;
};

// The encoder for the encoding named `encoding`, letter case aside: the program's own codecs
// for UTF-8, UTF-16 (little-endian after a byte-order mark), ISO-8859-1, ISO-8859-15 and
// Windows-1252 under their usual names, the platform's converter for any other; nothing when
// neither knows the name.
std::unique_ptr<XmlTextEncoder> XmlTextEncoderFor(const std::string& encoding);

}  // namespace velmaro

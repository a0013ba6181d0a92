// The well-formedness check of a document's text, which the Windows reader makes before XmlLite
// reads, on arbitrary bytes: it never crashes, places every fault inside the text, and never
// refuses a UTF-8 document that libxml2 (the reader of this platform) reads as well-formed.
#include <cstdlib>
#include <span>
#include <string_view>

#include "FuzzInput.h"
#include "exchange/ExchangeReader.h"
#include "exchange/XmlWellFormedness.h"

namespace {

// Takes every event and keeps nothing.
class Ignored final : public velmaro::ExchangeReaderEvents {
public:
    void Declaration(const velmaro::XmlDeclaration&) override {}
    void DocumentType(std::string_view, bool) override {}
    void StartElement(std::string_view, std::span<const velmaro::ReaderAttribute>, int) override {}
    void EndElement() override {}
    void Text(std::string_view) override {}
    void CData(std::string_view) override {}
    void Comment(std::string_view) override {}
    void ProcessingInstruction(std::string_view, std::string_view) override {}
    void BeginEntity() override {}
    void EndEntity() override {}
};

// Whether the XML parser reads `text` as the same UTF-8 characters that the check sees: no
// byte-order mark, nothing that it could take for UTF-16 or UCS-4, no declared encoding, and no
// NUL byte (libxml2 takes a NUL after the root element for the end of the document and reads
// no further, so it lets through whatever follows; the check refuses the NUL itself).
bool ParserReadsAsUtf8(std::string_view text) {
    const unsigned char first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    return first != 0xEF && first != 0xFE && first != 0xFF && first != 0x4C &&
           text.find('\0') == std::string_view::npos &&
           text.substr(0, 256).find("encoding") == std::string_view::npos;
}

// Whether `fault` lies within `text`: its line exists.
bool IsInside(const velmaro::XmlTextFault& fault, std::string_view text) {
    std::size_t lines = 1;
    for (const char c : text) lines += c == '\n' ? 1 : 0;
    return fault.line >= 1 && fault.line <= lines && fault.column >= 1 && !fault.reason.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto fault = velmaro::FirstWellFormednessFault(text);
    if (!fault) return 0;
    if (!IsInside(*fault, text)) std::abort();
    if (!ParserReadsAsUtf8(text)) return 0;
    Ignored ignored;
    try {
        velmaro::ReadExchangeDocument(velmaro::fuzz::WriteInput("documento.xml", data, size),
                                      ignored);
    } catch (const velmaro::Error&) {
        return 0;
    }
    std::abort();  // the check refused a document that the XML parser reads as well-formed
}

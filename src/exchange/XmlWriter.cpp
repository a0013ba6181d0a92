#include "exchange/XmlWriter.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velmaro {

namespace {

// The text is encoded and handed on in pieces of this size, so that the writer's memory does
// not follow the size of the document.
constexpr std::size_t kPieceSize = std::size_t{1} << 20;

// For each byte, its escaped form, or nothing when the byte stays as it is.
using EscapeTable = std::array<std::string_view, 256>;

constexpr EscapeTable TextEscapes() {
    EscapeTable table{};
    table['&'] = "&amp;";
    table['<'] = "&lt;";
    table['>'] = "&gt;";
    table['\r'] = "&#13;";
    return table;
}

constexpr EscapeTable AttributeEscapes() {
    EscapeTable table = TextEscapes();
    table['"'] = "&quot;";
    table['\n'] = "&#10;";
    table['\t'] = "&#9;";
    return table;
}

constexpr EscapeTable kTextEscapes = TextEscapes();
constexpr EscapeTable kAttributeEscapes = AttributeEscapes();

void AppendEscaped(std::string_view text, const EscapeTable& escapes, std::string& out) {
    std::size_t copied = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const std::string_view escaped = escapes[static_cast<unsigned char>(text[pos])];
        if (escaped.empty()) continue;
        out.append(text, copied, pos - copied);
        out += escaped;
        copied = pos + 1;
    }
    out.append(text, copied);
}

// The elements that XHTML declares empty: written "<br />" when they have no content.
bool IsXhtmlEmptyElement(std::string_view name) {
    constexpr std::array<std::string_view, 13> kEmptyElements = {
        "area", "base", "basefont", "br",  "col",  "frame", "hr",
        "img",  "input", "isindex", "link", "meta", "param"};
    return std::find(kEmptyElements.begin(), kEmptyElements.end(), name) != kEmptyElements.end();
}

}  // namespace

std::string WrittenEncoding(const ExchangeProlog& prolog) {
    if (prolog.declaration && prolog.declaration->encoding) return *prolog.declaration->encoding;
    return "UTF-8";
}

bool FollowsXhtml(const ExchangeProlog& prolog) {
    const auto isXhtmlType = [](const PrologNode& node) {
        return node.kind == PrologNode::Kind::DocumentType && node.xhtml;
    };
    return std::any_of(prolog.beforeRoot.begin(), prolog.beforeRoot.end(), isXhtmlType) ||
           std::any_of(prolog.afterRoot.begin(), prolog.afterRoot.end(), isXhtmlType);
}

XmlWriter::XmlWriter(const ExchangeProlog& prolog, std::unique_ptr<XmlTextEncoder> encoder,
                     Output output)
    : encoder_(std::move(encoder)), output_(std::move(output)), xhtml_(FollowsXhtml(prolog)) {
    pending_.reserve(kPieceSize + kPieceSize / 8);
    if (prolog.declaration) WriteDeclaration(*prolog.declaration);
    for (const PrologNode& node : prolog.beforeRoot) WritePrologNode(node);
    for (const PrologNode& node : prolog.afterRoot) WritePrologNode(node);
}

void XmlWriter::WriteDeclaration(const XmlDeclaration& declaration) {
    pending_ += "<?xml version=\"" + declaration.version + "\"";
    if (declaration.encoding) pending_ += " encoding=\"" + *declaration.encoding + "\"";
    if (declaration.standalone) {
        pending_ += *declaration.standalone ? " standalone=\"yes\"" : " standalone=\"no\"";
    }
    pending_ += "?>\n";
}

void XmlWriter::WritePrologNode(const PrologNode& node) {
    switch (node.kind) {
        case PrologNode::Kind::Comment:
            pending_ += "<!--" + node.text + "-->";
            break;
        case PrologNode::Kind::ProcessingInstruction:
            pending_ += "<?" + node.target;
            if (!node.text.empty()) pending_ += " " + node.text;
            pending_ += "?>";
            break;
        case PrologNode::Kind::DocumentType:
            pending_ += node.text;
            break;
    }
    pending_ += '\n';
}

void XmlWriter::CloseStartTag() {
    if (!startTagOpen_) return;
    pending_ += '>';
    startTagOpen_ = false;
}

void XmlWriter::StartElement(std::string_view name) {
    CloseStartTag();
    pending_ += '<';
    pending_ += name;
    openElements_.emplace_back(name);
    startTagOpen_ = true;
}

void XmlWriter::Attribute(std::string_view name, std::string_view value) {
    pending_ += ' ';
    pending_ += name;
    pending_ += "=\"";
    AppendEscaped(value, kAttributeEscapes, pending_);
    pending_ += '"';
}

void XmlWriter::Text(std::string_view text) {
    CloseStartTag();
    AppendEscaped(text, kTextEscapes, pending_);
    FlushWhenFull();
}

void XmlWriter::EndElement() {
    const std::string& name = openElements_.back();
    if (!startTagOpen_) {
        pending_ += "</" + name + ">";
    } else if (!xhtml_) {
        pending_ += "/>";
    } else if (IsXhtmlEmptyElement(name)) {
        pending_ += " />";
    } else {
        pending_ += "></" + name + ">";
    }
    startTagOpen_ = false;
    openElements_.pop_back();
    FlushWhenFull();
}

void XmlWriter::Finish() {
    pending_ += '\n';
    Flush();
    std::string end;
    encoder_->Finish(end);
    if (!end.empty()) output_(end);
}

void XmlWriter::FlushWhenFull() {
    if (pending_.size() >= kPieceSize) Flush();
}

void XmlWriter::Flush() {
    std::string_view bytes = encoder_->Encode(pending_, encoded_);
    if (!begun_) {
        std::string first;
        encoder_->Begin(first);
        if (!first.empty()) {
            first += bytes;
            encoded_ = std::move(first);
            bytes = encoded_;
        }
        begun_ = true;
    }
    output_(bytes);
    pending_.clear();
}

}  // namespace velmaro

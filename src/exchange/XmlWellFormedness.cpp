#include "exchange/XmlWellFormedness.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "text/Utf8.h"

namespace velmaro {

namespace {

// Names longer than this are shown cut in a fault's reason.
constexpr std::size_t kShownNameCharacters = 40;
constexpr std::string_view kBlanks = " \t\r\n";
constexpr char32_t kBeyondUnicode = 0x110000;

bool IsBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }

// The characters of XML 1.0: tab, line feed, carriage return and every code point from U+0020
// but the surrogates, U+FFFE and U+FFFF.
bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsNameStartChar(char32_t c) {
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
    return IsNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// Whether valid UTF-8 `name` is an XML name: a name-start character, then name characters.
bool IsXmlName(std::string_view name) {
    if (name.empty()) return false;
    for (std::size_t at = 0; at < name.size(); at += Utf8CharLength(name, at)) {
        const char32_t c = Utf8Decode(name, at);
        if (!(at == 0 ? IsNameStartChar(c) : IsNameChar(c))) return false;
    }
    return true;
}

// The value of digit `c` in base 16 or 10, or -1 when it is none.
int DigitValue(char c, bool hexadecimal) {
    if (c >= '0' && c <= '9') return c - '0';
    if (hexadecimal && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (hexadecimal && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsPredefinedEntity(std::string_view name) {
    return name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot";
}

// "U+0001", or what lies beyond Unicode.
std::string CodePointName(char32_t c) {
    if (c >= kBeyondUnicode) return "más allá de U+10FFFF";
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

// `text` as a fault shows it: cut after its first characters when long.
std::string Shown(std::string_view text) {
    const std::size_t end = Utf8Offset(text, kShownNameCharacters);
    return end < text.size() ? std::string(text.substr(0, end)) + "…" : std::string(text);
}

// One pass over the document, every character checked as it is passed, markup followed far
// enough to know what is text, a reference, a name or an attribute value. Stops at the first
// fault, or where it cannot follow the markup.
class WellFormednessScan {
public:
    explicit WellFormednessScan(std::string_view text) : text_(text) {}

    std::optional<XmlTextFault> Run() {
        while (!Done()) ContentItem();
        if (!stopped_ && !openElements_.empty()) {
            Fault(Here(), "el documento termina sin cerrar su elemento raíz");
        }
        return fault_;
    }

private:
    struct Place {
        std::size_t at;
        unsigned line;
        unsigned column;
    };

    bool Done() const { return stopped_ || at_ >= text_.size(); }
    char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    bool LooksAt(std::string_view what) const { return text_.substr(at_, what.size()) == what; }
    char32_t Current() const { return Utf8Decode(text_, at_); }
    Place Here() const { return {at_, line_, column_}; }

    void Fault(const Place& place, std::string reason) {
        if (stopped_) return;
        fault_ = XmlTextFault{place.line, place.column, std::move(reason)};
        stopped_ = true;
    }
    // Markup the scan cannot follow, which the XML parser refuses.
    void GiveUp() { stopped_ = true; }

    // Passes one character, refusing what is not UTF-8 or not an XML character.
    void Advance() {
        if (Done()) return;
        const std::size_t length = Utf8CharLength(text_, at_);
        if (length == 1 && static_cast<unsigned char>(text_[at_]) >= 0x80) {
            Fault(Here(), "hay bytes que no son UTF-8");
            return;
        }
        const char32_t c = Current();
        if (!IsXmlChar(c)) {
            Fault(Here(), "hay un carácter que XML no admite (" + CodePointName(c) + ")");
            return;
        }
        at_ += length;
        if (c == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
    }
    void Advance(std::size_t characters) {
        for (std::size_t i = 0; i < characters; ++i) Advance();
    }
    void SkipBlanks() {
        while (!Done() && IsBlank(Peek())) Advance();
    }
    // Passes `opening` characters, then everything up to and including `closing`.
    void SkipPast(std::size_t opening, std::string_view closing) {
        Advance(opening);
        while (!Done() && !LooksAt(closing)) Advance();
        if (Done()) return GiveUp();
        Advance(closing.size());
    }
    // Passes a quoted literal.
    void SkipLiteral() {
        const char quote = Peek();
        Advance();
        while (!Done() && Peek() != quote) Advance();
        Advance();
    }
    // Passes everything up to and including the '>' that ends a declaration, literals whole.
    void SkipDeclarationRest() {
        while (!Done() && Peek() != '>') {
            if (Peek() == '"' || Peek() == '\'') {
                SkipLiteral();
            } else {
                Advance();
            }
        }
        Advance();
    }
    // The characters from here up to a blank, one of `ends` or the end of the text.
    std::string_view RunUntil(std::string_view ends) {
        const std::size_t start = at_;
        while (!Done() && !IsBlank(Peek()) && ends.find(Peek()) == std::string_view::npos) {
            Advance();
        }
        return text_.substr(start, at_ - start);
    }

    // Whether `name`, found at `place`, is an XML name; a fault naming `what` when not.
    bool CheckName(const Place& place, std::string_view name, const std::string& what) {
        if (stopped_) return false;
        if (name.empty()) {
            Fault(place, "falta " + what);
        } else if (!IsXmlName(name)) {
            Fault(place, what + " '" + Shown(name) + "' no es un nombre XML");
        }
        return !stopped_;
    }

    void ContentItem() {
        if (Peek() == '<') {
            Markup();
        } else if (Peek() == '&') {
            Reference();
        } else if (LooksAt("]]>")) {
            Fault(Here(), "el texto tiene ']]>', que solo puede cerrar una sección CDATA");
        } else {
            Advance();
        }
    }

    void Markup() {
        if (LooksAt("<!--")) {
            SkipPast(4, "-->");
        } else if (LooksAt("<![CDATA[")) {
            SkipPast(9, "]]>");
        } else if (LooksAt("<!DOCTYPE")) {
            DocumentType();
        } else if (LooksAt("<?")) {
            ProcessingInstruction();
        } else if (LooksAt("</")) {
            EndTag();
        } else if (LooksAt("<!")) {
            GiveUp();
        } else {
            StartTag();
        }
    }

    void ProcessingInstruction() {
        Advance(2);
        const Place place = Here();
        const std::string_view target = RunUntil("?");
        if (!CheckName(place, target, "el destino de la instrucción de procesamiento")) return;
        SkipPast(0, "?>");
    }

    // An end tag, which must close the element opened last.
    void EndTag() {
        Advance(2);
        const Place place = Here();
        const std::string_view name = RunUntil(">");
        if (!CheckName(place, name, "el nombre del elemento")) return;
        if (openElements_.empty()) {
            return Fault(place, "la etiqueta de cierre '</" + Shown(name) +
                                    ">' no cierra ningún elemento abierto");
        }
        if (openElements_.back() != name) {
            return Fault(place, "la etiqueta de cierre '</" + Shown(name) +
                                    ">' no corresponde a la abierta '<" +
                                    Shown(openElements_.back()) + ">'");
        }
        openElements_.pop_back();
        SkipPast(0, ">");
    }

    void StartTag() {
        const Place tag = Here();
        Advance();
        const Place place = Here();
        const std::string_view name = RunUntil("/>");
        if (name.empty() && !stopped_) {
            return Fault(tag, "hay un '<' que no empieza ninguna etiqueta (se escribe &lt;)");
        }
        if (!CheckName(place, name, "el nombre del elemento")) return;
        attributeNames_.clear();
        while (!Done()) {
            SkipBlanks();
            if (Peek() == '>') {
                openElements_.push_back(name);
                return Advance();
            }
            if (LooksAt("/>")) return Advance(2);
            Attribute();
        }
    }

    void Attribute() {
        const Place place = Here();
        const std::string_view name = RunUntil("/>=");
        if (name.empty()) return GiveUp();
        if (!CheckName(place, name, "el nombre del atributo")) return;
        if (!attributeNames_.insert(name).second) {
            return Fault(place, "el atributo '" + Shown(name) + "' está repetido en la etiqueta");
        }
        SkipBlanks();
        if (Peek() != '=') return GiveUp();
        Advance();
        SkipBlanks();
        const char quote = Peek();
        if (quote != '"' && quote != '\'') return GiveUp();
        Advance();
        while (!Done() && Peek() != quote) {
            if (Peek() == '&') {
                Reference();
            } else if (Peek() == '<') {
                Fault(Here(), "un valor de atributo no puede tener '<' (se escribe &lt;)");
            } else {
                Advance();
            }
        }
        Advance();
        if (!Done() && !IsBlank(Peek()) && Peek() != '>' && !LooksAt("/>")) {
            Fault(Here(), "tras el valor del atributo '" + Shown(name) +
                              "' falta un espacio o el final de la etiqueta");
        }
    }

    // A reference, at its '&': to a character, or to an entity by its name.
    void Reference() {
        const Place place = Here();
        Advance();
        if (Peek() == '#') return CharacterReference(place);
        const std::size_t nameStart = at_;
        while (!Done() && IsNameChar(Current())) Advance();
        const std::string_view name = text_.substr(nameStart, at_ - nameStart);
        if (stopped_) return;
        if (name.empty() || !IsNameStartChar(Utf8Decode(name, 0)) || Peek() != ';') {
            return Fault(place, "hay un '&' que no empieza ninguna referencia (se escribe &amp;)");
        }
        Advance();
        if (!IsPredefinedEntity(name) && !entitiesMayBeElsewhere_ &&
            !declaredEntities_.contains(std::string(name))) {
            Fault(place, "la entidad '" + Shown(name) + "' no está definida");
        }
    }

    // A character reference, after its '&': "#" and decimal digits, or "#x" and hexadecimal
    // ones, then ';', naming a character of XML.
    void CharacterReference(const Place& place) {
        Advance();
        const bool hexadecimal = Peek() == 'x';
        if (hexadecimal) Advance();
        const std::size_t digitsStart = at_;
        char32_t value = 0;
        for (int digit; !Done() && (digit = DigitValue(Peek(), hexadecimal)) >= 0; Advance()) {
            value = std::min<char32_t>(value * (hexadecimal ? 16 : 10) + static_cast<char32_t>(digit),
                                       kBeyondUnicode);
        }
        if (stopped_) return;
        const std::string_view written = text_.substr(place.at, at_ - place.at);
        if (at_ == digitsStart || Peek() != ';') {
            return Fault(place, "la referencia de carácter '" + Shown(written) + "' está mal escrita");
        }
        Advance();
        if (!IsXmlChar(value)) {
            Fault(place, "la referencia '" + Shown(written) + ";' es a un carácter que XML no admite (" +
                             CodePointName(value) + ")");
        }
    }

    // The document type: its name, whether it has an external subset, and the general entities
    // its internal subset declares.
    void DocumentType() {
        Advance(9);
        SkipBlanks();
        const Place place = Here();
        const std::string_view name = RunUntil("[>");
        if (!CheckName(place, name, "el nombre del tipo de documento")) return;
        while (!Done() && Peek() != '[' && Peek() != '>') {
            if (Peek() == '"' || Peek() == '\'') {
                SkipLiteral();
            } else {
                if (LooksAt("SYSTEM") || LooksAt("PUBLIC")) entitiesMayBeElsewhere_ = true;
                Advance();
            }
        }
        if (Peek() == '[') InternalSubset();
        SkipPast(0, ">");
    }

    void InternalSubset() {
        Advance();
        while (!Done() && Peek() != ']') {
            if (IsBlank(Peek())) {
                Advance();
            } else if (Peek() == '%') {
                entitiesMayBeElsewhere_ = true;
                SkipPast(1, ";");
            } else if (LooksAt("<!--")) {
                SkipPast(4, "-->");
            } else if (LooksAt("<?")) {
                SkipPast(2, "?>");
            } else if (LooksAt("<!ENTITY")) {
                EntityDeclaration();
            } else if (LooksAt("<!")) {
                SkipDeclarationRest();
            } else {
                GiveUp();
            }
        }
        Advance();
    }

    void EntityDeclaration() {
        Advance(8);
        SkipBlanks();
        if (Peek() != '%') declaredEntities_.insert(std::string(RunUntil("\"'>")));
        SkipDeclarationRest();
    }

    std::string_view text_;
    std::size_t at_ = 0;
    unsigned line_ = 1;
    unsigned column_ = 1;
    bool stopped_ = false;
    std::optional<XmlTextFault> fault_;
    std::unordered_set<std::string_view> attributeNames_;
    // The names of the elements open here, the innermost last.
    std::vector<std::string_view> openElements_;
    std::unordered_set<std::string> declaredEntities_;
    // True when the document type has an external subset or parameter entities, which may
    // declare entities that are never read.
    bool entitiesMayBeElsewhere_ = false;
};

}  // namespace

std::optional<XmlTextFault> FirstWellFormednessFault(std::string_view text) {
    return WellFormednessScan(text).Run();
}

}  // namespace velmaro

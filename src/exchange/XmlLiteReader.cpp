// The exchange-document reader on Windows: XmlLite, the pull parser that Windows ships
// (xmllite.dll), behind the same events as the libxml2 reader of other platforms.
//
// The file is read whole and decoded to UTF-8 here, with the platform's code-page conversion,
// before XmlLite sees it: Wine's XmlLite refuses ISO-8859-1 and windows-1252, and misreads
// UTF-16 input longer than 16 KB, so every document reaches it as UTF-8, its declaration
// naming UTF-8; the encoding the document declares is what the result document is written in.
// XmlLite resolves no external resource (it has no resolver unless one is given), parses the
// internal DTD subset without loading any external one, and bounds entity expansion and depth.
// Wine's XmlLite lets through documents that are not well-formed (undefined entities, a bare
// '&', characters XML does not allow, repeated attributes, names that are not XML names) and
// never returns from one whose root is left open: the decoded text is checked for these first
// (XmlWellFormedness.h), so that every platform refuses them before any event is told.

#include <windows.h>
#include <objidl.h>
#include <xmllite.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "base/FileKind.h"
#include "base/Utf8Path.h"
#include "base/WindowsCodePages.h"
#include "exchange/ExchangeReader.h"
#include "exchange/XmlWellFormedness.h"
#include "text/Utf8.h"

namespace velmaro {

namespace {

using namespace std::string_view_literals;

// The largest document read, as on other platforms.
constexpr std::size_t kMaxDocumentBytes = INT_MAX;
// The text that entity references may expand to: ten times the file plus an allowance for
// small documents, as on other platforms; and the deepest nesting of elements.
constexpr std::size_t kMaxEntityAmplification = 10;
constexpr std::size_t kEntityExpansionAllowance = 10 << 20;
constexpr LONG_PTR kMaxElementDepth = 256;

constexpr unsigned kUtf16LittleEndian = 1200;
constexpr unsigned kUtf16BigEndian = 1201;
constexpr unsigned kUtf8 = 65001;

// The blanks of XML: space, tab, line feed, carriage return.
bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& reason) {
    throw Error("No se puede leer el documento de intercambio '" + Utf8FromPath(path) +
                "': " + reason);
}

[[noreturn]] void FailNotWellFormed(const std::filesystem::path& path, unsigned line,
                                    unsigned column, const std::string& reason) {
    std::string text = "el XML no está bien formado (línea " + std::to_string(line);
    if (column > 0) text += ", columna " + std::to_string(column);
    Fail(path, text + ": " + reason + ")");
}

// Releases a COM interface when it goes out of scope.
template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    Interface** Receive() { return &pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// A missing file, and what is not a file, in the same words as on every platform.
void CheckIsReadableFile(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found) {
        Fail(path, "el archivo no existe");
    }
    if (const auto reason = files::NotAFileReason(path)) {
        Fail(path, "no es un archivo (" + *reason + ")");
    }
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) Fail(path, "no hay permiso para leer el archivo");
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) Fail(path, "error al leer el archivo");
    if (bytes.size() > kMaxDocumentBytes) Fail(path, "el archivo es demasiado grande");
    if (bytes.empty()) Fail(path, "el archivo está vacío");
    return bytes;
}

// `length` UTF-16 units at `wide` as UTF-8 (lone surrogates, which XmlLite refuses, never come).
void AssignUtf8(std::string& text, const wchar_t* wide, std::size_t length) {
    text.clear();
    if (length == 0) return;
    const int units = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, nullptr, 0, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, wide, units, text.data(), bytes, nullptr, nullptr);
}

std::string Utf8Of(std::wstring_view wide) {
    std::string text;
    AssignUtf8(text, wide.data(), wide.size());
    return text;
}

// --- The document as UTF-8 --------------------------------------------------------------------

// The document's text as XmlLite reads it, and the encoding its declaration names.
struct DecodedDocument {
    std::string text;
    std::optional<std::string> declaredEncoding;
};

// Where the value of the declaration's encoding pseudo-attribute lies in `text`, which starts
// with the declaration when it has one: [first, last) between the quotes, or nothing. The
// declaration is ASCII in every encoding that such a document may use.
std::optional<std::pair<std::size_t, std::size_t>> DeclaredEncodingPlace(std::string_view text) {
    if (text.substr(0, 5) != "<?xml" || text.size() < 6 || !IsXmlBlank(text[5])) return {};
    const std::string_view declaration = text.substr(0, text.find("?>"));
    const std::size_t name = declaration.find("encoding");
    if (name == std::string_view::npos) return {};
    std::size_t at = name + 8;
    while (at < declaration.size() && (IsXmlBlank(declaration[at]) || declaration[at] == '=')) {
        ++at;
    }
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return {};
    const std::size_t close = declaration.find(declaration[at], at + 1);
    if (close == std::string_view::npos) return {};
    return std::make_pair(at + 1, close);
}

// Line and column (both from 1) of byte `offset` of `bytes`.
std::pair<unsigned, unsigned> PlaceOf(std::string_view bytes, std::size_t offset) {
    const std::string_view before = bytes.substr(0, offset);
    const auto lines = static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart = before.rfind('\n');
    const std::size_t column = lineStart == std::string_view::npos ? offset : offset - lineStart - 1;
    return {static_cast<unsigned>(lines + 1), static_cast<unsigned>(column + 1)};
}

// The offset of the first byte of UTF-8 `bytes` that does not begin a valid character, or
// bytes.size() when all are valid.
std::size_t FirstInvalidUtf8(std::string_view bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = Utf8CharLength(bytes, at);
        if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + at,
                                static_cast<int>(length), nullptr, 0) == 0) {
            return at;
        }
        at += length;
    }
    return at;
}

[[noreturn]] void FailNotText(const std::filesystem::path& path, std::string_view bytes,
                              std::size_t offset, const std::string& encoding) {
    const auto [line, column] = PlaceOf(bytes, offset);
    FailNotWellFormed(path, line, column, "hay bytes que no son texto en la codificación " + encoding);
}

// `wide` as UTF-8; false when it holds a lone surrogate.
bool Utf8FromWide(std::wstring_view wide, std::string& text) {
    text.clear();
    if (wide.empty()) return true;
    const int units = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), units,
                                          nullptr, 0, nullptr, nullptr);
    if (bytes == 0) return false;
    text.resize(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), units, text.data(), bytes,
                        nullptr, nullptr);
    return true;
}

// 8-bit `bytes` in `codePage` as UTF-8; refuses bytes that are not text in it.
std::string Utf8FromCodePage(const std::filesystem::path& path, std::string_view bytes,
                             unsigned codePage, const std::string& encoding) {
    if (codePage == kUtf8) {
        if (const std::size_t invalid = FirstInvalidUtf8(bytes); invalid < bytes.size()) {
            FailNotText(path, bytes, invalid, encoding);
        }
        return std::string(bytes);
    }
    const int size = static_cast<int>(bytes.size());
    const int units =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (units == 0) FailNotText(path, bytes, bytes.size(), encoding);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), units);
    std::string text;
    Utf8FromWide(wide, text);
    return text;
}

// UTF-16 `bytes` in the byte order of `codePage` as UTF-8; refuses an odd last byte and lone
// surrogates.
std::string Utf8FromUtf16(const std::filesystem::path& path, std::string_view bytes,
                          unsigned codePage) {
    std::wstring wide;
    wide.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        wide += static_cast<wchar_t>(codePage == kUtf16LittleEndian ? first | second << 8
                                                                    : first << 8 | second);
    }
    std::string text;
    if (bytes.size() % 2 != 0 || !Utf8FromWide(wide, text)) {
        Fail(path, "el XML no está bien formado: el texto UTF-16 está cortado o no es válido");
    }
    return text;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// The document as UTF-8: its encoding told by its byte-order mark, else by its declaration
// (UTF-8 when it names none, as XML says).
std::string Utf8Document(const std::filesystem::path& path, std::string_view bytes) {
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "<\0?\0"sv)) {
        return Utf8FromUtf16(path, bytes.substr(StartsWith(bytes, "\xFF\xFE") ? 2 : 0),
                             kUtf16LittleEndian);
    }
    if (StartsWith(bytes, "\xFE\xFF") || StartsWith(bytes, "\0<\0?"sv)) {
        return Utf8FromUtf16(path, bytes.substr(StartsWith(bytes, "\xFE\xFF") ? 2 : 0),
                             kUtf16BigEndian);
    }
    const bool utf8Mark = StartsWith(bytes, "\xEF\xBB\xBF");
    if (utf8Mark) bytes.remove_prefix(3);
    const auto place = DeclaredEncodingPlace(bytes);
    const std::string encoding =
        utf8Mark || !place ? "UTF-8"
                           : std::string(bytes.substr(place->first, place->second - place->first));
    const unsigned codePage = WindowsCodePage(encoding);
    if (codePage == 0 || codePage == kUtf16LittleEndian || codePage == kUtf16BigEndian) {
        const auto [line, column] = PlaceOf(bytes, place ? place->first : 0);
        FailNotWellFormed(path, line, column,
                          "no se puede leer la codificación '" + encoding + "' que declara");
    }
    return Utf8FromCodePage(path, bytes, codePage, encoding);
}

// The document as XmlLite reads it: UTF-8, its declaration naming UTF-8; blanks after the
// value keep the columns of the first line where they were when the old name was longer.
DecodedDocument Decode(const std::filesystem::path& path, std::string_view bytes) {
    DecodedDocument document{Utf8Document(path, bytes), std::nullopt};
    if (const auto place = DeclaredEncodingPlace(document.text)) {
        const std::size_t length = place->second - place->first;
        document.declaredEncoding = document.text.substr(place->first, length);
        const std::string_view utf8 = "UTF-8";
        const std::size_t padding = length > utf8.size() ? length - utf8.size() : 0;
        document.text.replace(place->first, length, utf8);
        document.text.insert(place->first + utf8.size() + 1, padding, ' ');
    }
    return document;
}

// --- XmlLite ----------------------------------------------------------------------------------

// Whether this program runs under Wine, whose ntdll tells its version.
bool RunsUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The document's UTF-8 text as the stream XmlLite reads. Wine's XmlLite mangles a character
// whose bytes one read splits from the next, and any read that ends on a byte of a multibyte
// character, so under Wine each read ends after the last ASCII byte it would hold; elsewhere
// reads are as long as asked. Owned by the read: the reader that holds it is released first.
class DocumentStream final : public ISequentialStream {
public:
    DocumentStream(std::string_view text, bool endReadsAfterAscii)
        : text_(text), endReadsAfterAscii_(endReadsAfterAscii) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id == __uuidof(IUnknown) || id == __uuidof(ISequentialStream)) {
            *object = static_cast<ISequentialStream*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
        std::size_t count = std::min<std::size_t>(size, text_.size() - at_);
        if (endReadsAfterAscii_ && at_ + count < text_.size()) count = EndAfterAscii(count);
        std::copy_n(text_.data() + at_, count, static_cast<char*>(buffer));
        at_ += count;
        if (read != nullptr) *read = static_cast<ULONG>(count);
        return count == 0 && size > 0 ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }

private:
    // The length of the next `count` bytes up to their last ASCII byte; all `count` when none
    // is ASCII.
    std::size_t EndAfterAscii(std::size_t count) const {
        for (std::size_t length = count; length > 0; --length) {
            if (static_cast<unsigned char>(text_[at_ + length - 1]) < 0x80) return length;
        }
        return count;
    }

    std::string_view text_;
    bool endReadsAfterAscii_;
    std::size_t at_ = 0;
};

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// A new XmlLite reader. xmllite.dll is loaded when first needed: MinGW-w64 has its header but
// no import library.
void CreateReader(const std::filesystem::path& path, ComPointer<IXmlReader>& reader) {
    static const HMODULE library = LoadLibraryW(L"xmllite.dll");
    const auto create = library == nullptr ? nullptr
                                           : reinterpret_cast<CreateXmlReaderFunction>(
                                                 reinterpret_cast<void*>(
                                                     GetProcAddress(library, "CreateXmlReader")));
    if (create == nullptr) Fail(path, "Windows no tiene el analizador XML (xmllite.dll)");
    if (FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.Receive()), nullptr))) {
        Fail(path, "no se puede crear el analizador XML");
    }
}

std::size_t EntityExpansionLimit(std::size_t documentBytes) {
    return std::min<std::size_t>(documentBytes * kMaxEntityAmplification + kEntityExpansionAllowance,
                                 UINT_MAX);
}

// libxml2's test for the XHTML 1.0 document types, whose serializer rules the result follows.
bool NamesXhtml(std::wstring_view publicId, std::wstring_view systemId) {
    static constexpr std::wstring_view kPublic[] = {
        L"-//W3C//DTD XHTML 1.0 Strict//EN", L"-//W3C//DTD XHTML 1.0 Transitional//EN",
        L"-//W3C//DTD XHTML 1.0 Frameset//EN"};
    static constexpr std::wstring_view kSystem[] = {
        L"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd",
        L"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd",
        L"http://www.w3.org/TR/xhtml1/DTD/xhtml1-frameset.dtd"};
    return std::find(std::begin(kPublic), std::end(kPublic), publicId) != std::end(kPublic) ||
           std::find(std::begin(kSystem), std::end(kSystem), systemId) != std::end(kSystem);
}

// Reads the events of one document from `reader` into `events`.
class EventPump {
public:
    EventPump(IXmlReader& reader, ExchangeReaderEvents& events,
              const std::optional<std::string>& declaredEncoding)
        : reader_(reader), events_(events), declaredEncoding_(declaredEncoding) {}

    // Tells every node; the failing HRESULT of a document that is not well-formed, or S_OK.
    HRESULT Run() {
        XmlNodeType type = XmlNodeType_None;
        HRESULT result = S_OK;
        while ((result = reader_.Read(&type)) == S_OK) Tell(type);
        return result == S_FALSE ? S_OK : result;
    }

    // Whether the document had an element, and how many of its elements were left open.
    bool SawElement() const { return !rootName_.empty(); }
    int OpenElements() const { return depth_; }
    // The root element's name as written, and whether it was an empty-element tag.
    const std::string& RootName() const { return rootName_; }
    bool RootWasEmpty() const { return rootWasEmpty_; }

private:
    void Tell(XmlNodeType type) {
        switch (type) {
            case XmlNodeType_XmlDeclaration:
                events_.Declaration(DeclarationRead());
                break;
            case XmlNodeType_DocumentType:
                TellDocumentType();
                break;
            case XmlNodeType_Element:
                TellStartElement();
                break;
            case XmlNodeType_EndElement:
                EndElement();
                break;
            case XmlNodeType_Text:
            case XmlNodeType_Whitespace:
                if (depth_ > 0) events_.Text(Value(value_));
                break;
            case XmlNodeType_CDATA:
                events_.CData(Value(value_));
                break;
            case XmlNodeType_Comment:
                events_.Comment(Value(value_));
                break;
            case XmlNodeType_ProcessingInstruction:
                events_.ProcessingInstruction(Text(&IXmlReader::GetLocalName, name_),
                                              Value(value_));
                break;
            default:
                break;
        }
    }

    std::string_view Text(HRESULT (STDMETHODCALLTYPE IXmlReader::*get)(LPCWSTR*, UINT*),
                          std::string& into) {
        LPCWSTR text = nullptr;
        UINT length = 0;
        if (FAILED((reader_.*get)(&text, &length)) || text == nullptr) length = 0;
        AssignUtf8(into, text, length);
        return into;
    }

    std::string_view Value(std::string& into) { return Text(&IXmlReader::GetValue, into); }

    std::wstring WideText(HRESULT (STDMETHODCALLTYPE IXmlReader::*get)(LPCWSTR*, UINT*)) {
        LPCWSTR text = nullptr;
        UINT length = 0;
        if (FAILED((reader_.*get)(&text, &length)) || text == nullptr) return std::wstring();
        return std::wstring(text, length);
    }

    XmlDeclaration DeclarationRead() {
        XmlDeclaration declaration;
        for (HRESULT more = reader_.MoveToFirstAttribute(); more == S_OK;
             more = reader_.MoveToNextAttribute()) {
            const std::wstring name = WideText(&IXmlReader::GetLocalName);
            const std::string value = Utf8Of(WideText(&IXmlReader::GetValue));
            if (name == L"version") declaration.version = value;
            if (name == L"standalone") declaration.standalone = value == "yes";
        }
        declaration.encoding = declaredEncoding_;
        reader_.MoveToElement();
        return declaration;
    }

    // The document type written back as a declaration: its name, identifiers and internal
    // subset.
    void TellDocumentType() {
        std::wstring publicId;
        std::wstring systemId;
        for (HRESULT more = reader_.MoveToFirstAttribute(); more == S_OK;
             more = reader_.MoveToNextAttribute()) {
            const std::wstring name = WideText(&IXmlReader::GetLocalName);
            if (name == L"PUBLIC") publicId = WideText(&IXmlReader::GetValue);
            if (name == L"SYSTEM") systemId = WideText(&IXmlReader::GetValue);
        }
        reader_.MoveToElement();
        std::wstring text = L"<!DOCTYPE " + WideText(&IXmlReader::GetLocalName);
        if (!publicId.empty()) {
            text += L" PUBLIC \"" + publicId + L"\" \"" + systemId + L"\"";
        } else if (!systemId.empty()) {
            text += L" SYSTEM \"" + systemId + L"\"";
        }
        const std::wstring subset = WideText(&IXmlReader::GetValue);
        if (!subset.empty()) text += L" [" + subset + L"]";
        text += L">";
        events_.DocumentType(Utf8Of(text), NamesXhtml(publicId, systemId));
    }

    // An element's name as the libxml2 reader gives it: the local name when its prefix is
    // bound to a namespace, else the name as written.
    std::string_view NodeName(std::string& into) {
        UINT uriLength = 0;
        LPCWSTR uri = nullptr;
        reader_.GetNamespaceUri(&uri, &uriLength);
        return uriLength > 0 ? Text(&IXmlReader::GetLocalName, into)
                             : Text(&IXmlReader::GetQualifiedName, into);
    }

    bool IsNamespaceDeclaration() {
        LPCWSTR uri = nullptr;
        UINT length = 0;
        reader_.GetNamespaceUri(&uri, &length);
        return uri != nullptr && std::wstring_view(uri, length) == L"http://www.w3.org/2000/xmlns/";
    }

    void TellStartElement() {
        const bool empty = reader_.IsEmptyElement() != FALSE;
        attributeTexts_.clear();
        for (HRESULT more = reader_.MoveToFirstAttribute(); more == S_OK;
             more = reader_.MoveToNextAttribute()) {
            if (IsNamespaceDeclaration()) continue;
            std::string name;
            std::string value;
            NodeName(name);
            Value(value);
            attributeTexts_.emplace_back(std::move(name), std::move(value));
        }
        reader_.MoveToElement();
        attributes_.clear();
        for (const auto& [name, value] : attributeTexts_) attributes_.push_back({name, value});
        UINT line = 0;
        reader_.GetLineNumber(&line);
        events_.StartElement(NodeName(name_), attributes_, static_cast<int>(line));
        if (rootName_.empty()) {
            Text(&IXmlReader::GetQualifiedName, rootName_);
            rootWasEmpty_ = empty;
        }
        ++depth_;
        if (empty) EndElement();
    }

    void EndElement() {
        --depth_;
        events_.EndElement();
    }

    IXmlReader& reader_;
    ExchangeReaderEvents& events_;
    const std::optional<std::string>& declaredEncoding_;
    int depth_ = 0;
    std::string rootName_;
    bool rootWasEmpty_ = false;
    std::string name_;
    std::string value_;
    std::vector<std::pair<std::string, std::string>> attributeTexts_;
    std::vector<ReaderAttribute> attributes_;
};

// Words for the failures XmlLite reports most, by their HRESULT; the code for any other.
std::string ParserReason(HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    switch (static_cast<std::uint32_t>(result)) {
        case 0xC00CEE2Du:
            return std::string("una etiqueta de cierre no corresponde a la abierta, ") + code;
        case 0x80004001u:
            return std::string("el analizador XmlLite de este sistema no admite las "
                               "declaraciones del tipo de documento, ") + code;
        case 0xC00CEE81u:
        case 0xC00CEE82u:
            return std::string("se pasa del límite de entidades o de profundidad, ") + code;
        default:
            return std::string("el analizador XmlLite lo rechaza con el código ") + code;
    }
}

// `text` without the blanks, comments and processing instructions at its end.
std::string_view WithoutTrailingMisc(std::string_view text) {
    for (;;) {
        while (!text.empty() && IsXmlBlank(text.back())) text.remove_suffix(1);
        std::size_t start = std::string_view::npos;
        if (text.ends_with("-->")) {
            start = text.rfind("<!--");
        } else if (text.ends_with("?>")) {
            start = text.rfind("<?");
        }
        if (start == std::string_view::npos) return text;
        text = text.substr(0, start);
    }
}

// Whether the document `text` ends with its root element's end: the end tag of `root`, or the
// end of the empty-element tag it was; only blanks, comments and processing instructions may
// follow it.
bool EndsWithRootEnd(std::string_view text, const std::string& root, bool rootWasEmpty) {
    text = WithoutTrailingMisc(text);
    if (rootWasEmpty) return text.ends_with("/>");
    if (!text.ends_with('>')) return false;
    text.remove_suffix(1);
    while (!text.empty() && IsXmlBlank(text.back())) text.remove_suffix(1);
    return text.ends_with("</" + root);
}

[[noreturn]] void FailAtTheEnd(const std::filesystem::path& path, std::string_view text,
                               const std::string& reason) {
    const auto [line, column] = PlaceOf(text, text.size());
    FailNotWellFormed(path, line, column, reason);
}

[[noreturn]] void FailWithoutRoot(const std::filesystem::path& path, std::string_view text) {
    FailAtTheEnd(path, text, "el documento no tiene elemento raíz");
}

[[noreturn]] void FailCutShort(const std::filesystem::path& path, std::string_view text) {
    FailAtTheEnd(path, text, "el documento termina sin cerrar su elemento raíz");
}

// Refuses, before XmlLite reads it, a document with no markup at all or whose end is not the
// end of a tag (a file cut short): Wine's XmlLite never returns from some of these, and takes
// others for an empty document. Text with no markup is refused where it starts.
void CheckEndsWithMarkup(const std::filesystem::path& path, std::string_view text) {
    const std::string_view content = WithoutTrailingMisc(text);
    if (content.find('<') == std::string_view::npos) {
        const std::size_t start = content.find_first_not_of(" \t\r\n");
        if (start == std::string_view::npos) FailWithoutRoot(path, text);
        const auto [line, column] = PlaceOf(text, start);
        FailNotWellFormed(path, line, column, "el documento no tiene elemento raíz, solo texto");
    }
    if (!content.ends_with('>')) FailCutShort(path, text);
}

void ReadDocument(const std::filesystem::path& path, ExchangeReaderEvents& events) {
    const std::string bytes = ReadWholeFile(path);
    const DecodedDocument document = Decode(path, bytes);

    CheckEndsWithMarkup(path, document.text);
    if (const auto fault = FirstWellFormednessFault(document.text)) {
        FailNotWellFormed(path, fault->line, fault->column, fault->reason);
    }
    DocumentStream stream(document.text, RunsUnderWine());
    ComPointer<IXmlReader> reader;
    CreateReader(path, reader);
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Parse);
    reader->SetProperty(XmlReaderProperty_XmlResolver, 0);
    reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxElementDepth);
    reader->SetProperty(XmlReaderProperty_MaxEntityExpansion,
                        static_cast<LONG_PTR>(EntityExpansionLimit(bytes.size())));
    if (FAILED(reader->SetInput(&stream))) Fail(path, "no se puede leer el archivo");

    EventPump pump(*reader.get(), events, document.declaredEncoding);
    const HRESULT result = pump.Run();
    if (FAILED(result)) {
        UINT line = 0;
        UINT column = 0;
        reader->GetLineNumber(&line);
        reader->GetLinePosition(&column);
        FailNotWellFormed(path, line, column, ParserReason(result));
    }
    // Wine's XmlLite ends a document whose elements are left open as if it were whole, telling
    // the missing end tags itself.
    if (!pump.SawElement()) FailWithoutRoot(path, document.text);
    if (pump.OpenElements() > 0 ||
        !EndsWithRootEnd(document.text, pump.RootName(), pump.RootWasEmpty())) {
        FailCutShort(path, document.text);
    }
}

}  // namespace

void ReadExchangeDocument(const std::filesystem::path& path, ExchangeReaderEvents& events) {
    CheckIsReadableFile(path);
    ReadDocument(path, events);
}

}  // namespace velmaro

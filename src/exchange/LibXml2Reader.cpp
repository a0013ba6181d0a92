// The exchange-document reader on libxml2: its SAX2 parser, told by callbacks, builds no
// element tree. libxml2's own SAX2 handlers still build what the parser needs beside the tree
// (the document type with its entity declarations, and each internal entity's content the
// first time it is referenced), so entities expand exactly as in libxml2's tree.

#include <libxml/SAX2.h>
#include <libxml/dict.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "base/Error.h"
#include "base/FileKind.h"
#include "base/FileSystem.h"
#include "base/Utf8Path.h"
#include "exchange/ExchangeReader.h"

namespace velmaro {

namespace {

// Never substitute entities (that would load external ones), never load the DTD, never use the
// network; XInclude is not processed because it is never called, and the "huge" mode stays off
// so that libxml2 keeps its limits on entity amplification, depth and sizes: before libxml2
// 2.11 that mode also switches off its guard against nested entity expansion. A text node of
// any size is read (libxml2 hands it over piece by piece); the limits refused are named in
// Spanish (see LimitReached).
constexpr int kSafeParseOptions = XML_PARSE_NONET | XML_PARSE_COMPACT;

// Elements nested deeper than this are refused with our own message, before libxml2's limit
// (it refuses a 258th level without the "huge" mode).
constexpr int kMaxElementDepth = 256;

// The largest document read: libxml2 counts a document's bytes in an int.
constexpr std::size_t kMaxDocumentBytes = INT_MAX;

// libxml2 checks nested entity expansion ("billion laughs"), but not one large entity
// referenced many times, which each reference would expand again. The text that all references
// expand to may be at most this many times the file's size, plus a fixed allowance for small
// documents.
constexpr std::size_t kMaxEntityAmplification = 10;
constexpr std::size_t kEntityExpansionAllowance = 10 << 20;

// Bytes the standard library's file reads ahead: libxml2 asks for about 4 KB at a time.
constexpr std::size_t kFileBufferBytes = 64 << 10;

#if LIBXML_VERSION >= 21200
using ReportedError = const xmlError*;
#else
using ReportedError = xmlErrorPtr;
#endif

// libxml2 gives names and texts as unsigned chars holding UTF-8.
std::string_view View(const xmlChar* text) {
    return text == nullptr ? std::string_view()
                           : std::string_view(reinterpret_cast<const char*>(text));
}

std::string_view View(const xmlChar* text, std::size_t length) {
    return std::string_view(reinterpret_cast<const char*>(text), length);
}

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& reason) {
    throw Error("No se puede leer el documento de intercambio '" + Utf8FromPath(path) +
                "': " + reason);
}

// The first error the parser reports, with where it stopped.
struct ParserProblem {
    int line = 0;
    int column = 0;
    std::string reason;
};

// Errors gathered while one document is parsed. A fatal error (the end of well-formedness) is
// the one worth telling; lesser errors are kept in case no fatal one comes.
struct ParserProblems {
    xmlParserCtxtPtr documentContext = nullptr;
    std::optional<ParserProblem> firstFatal;
    std::optional<ParserProblem> firstOther;
};

// libxml2 ends its messages with a line break and sometimes splits them over two lines.
std::string OneLine(const char* message) {
    std::string text = message == nullptr ? std::string() : std::string(message);
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

// True while the parser reads an entity's text rather than the file itself: libxml2 then
// counts lines within the entity, so the place to tell is where the file refers to it.
bool IsInsideEntity(xmlParserCtxtPtr ctxt, const ParserProblems& problems) {
    const xmlParserCtxtPtr document = problems.documentContext;
    return document != nullptr && document->inputNr > 0 &&
           (ctxt != document || document->inputNr > 1);
}

xmlParserInputPtr RefuseExternalResource(const char* /*url*/, const char* /*id*/,
                                         xmlParserCtxtPtr /*ctxt*/) {
    return nullptr;
}

void IgnoreGenericError(void* /*ctx*/, const char* /*message*/, ...) {}

// While alive: every external resource (entity, DTD) is refused, and libxml2's messages that
// bypass the parser context are kept off standard error. Restores the previous handlers.
class ParseSandbox {
public:
    ParseSandbox()
        : previousLoader_(xmlGetExternalEntityLoader()),
          previousGenericError_(xmlGenericError),
          previousGenericContext_(xmlGenericErrorContext) {
        xmlSetExternalEntityLoader(RefuseExternalResource);
        xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
    }
    ~ParseSandbox() {
        xmlSetGenericErrorFunc(previousGenericContext_, previousGenericError_);
        xmlSetExternalEntityLoader(previousLoader_);
    }
    ParseSandbox(const ParseSandbox&) = delete;
    ParseSandbox& operator=(const ParseSandbox&) = delete;

private:
    xmlExternalEntityLoader previousLoader_;
    xmlGenericErrorFunc previousGenericError_;
    void* previousGenericContext_;
};

struct DocFreer {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct ParserContextDeleter {
    void operator()(xmlParserCtxtPtr ctxt) const { xmlFreeParserCtxt(ctxt); }
};

struct NodeListFreer {
    void operator()(xmlNodePtr list) const { xmlFreeNodeList(list); }
};

struct XmlCharFreer {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

struct BufferFreer {
    void operator()(xmlBufferPtr buffer) const { xmlBufferFree(buffer); }
};

void CheckIsReadableFile(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found) {
        Fail(path, "el archivo no existe");
    }
    if (const auto reason = files::NotAFileReason(path)) {
        Fail(path, "no es un archivo (" + *reason + ")");
    }
}

std::string OpenFailureReason(int error) {
    if (error == EACCES || error == EPERM) return "no hay permiso para leer el archivo";
    return "no se puede abrir el archivo (" + files::SystemReason(error) + ")";
}

// The document file as the parser reads it, piece by piece.
class DocumentFile {
public:
    explicit DocumentFile(const std::filesystem::path& path) : path_(path) {
        errno = 0;
        file_.reset(std::fopen(path.c_str(), "rb"));
        if (!file_) Fail(path, OpenFailureReason(errno));
        std::setvbuf(file_.get(), buffer_.get(), _IOFBF, kFileBufferBytes);
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        if (!error) size_ = static_cast<std::size_t>(size);
    }

    // libxml2's read callback: fills `buffer` with up to `length` bytes; -1 stops the parse.
    static int Read(void* context, char* buffer, int length) {
        auto* self = static_cast<DocumentFile*>(context);
        const std::size_t got =
            std::fread(buffer, 1, static_cast<std::size_t>(length), self->file_.get());
        if (got == 0 && std::ferror(self->file_.get())) {
            self->readError_ = errno;
            return -1;
        }
        self->bytesRead_ += got;
        if (self->bytesRead_ > kMaxDocumentBytes) return -1;
        return static_cast<int>(got);
    }

    // The file's size when it was opened (0 when unknown).
    std::size_t Size() const { return size_; }
    // Bytes read so far.
    std::size_t BytesRead() const { return bytesRead_; }

    // Throws the reason the file could not be read whole (an error, too large, empty), if any.
    void CheckReadWhole() const {
        if (readError_ != 0) {
            Fail(path_,
                 "error al leer el archivo (" + files::SystemReason(readError_) + ")");
        }
        if (bytesRead_ > kMaxDocumentBytes) Fail(path_, "el archivo es demasiado grande");
        if (bytesRead_ == 0) Fail(path_, "el archivo está vacío");
    }

private:
    const std::filesystem::path& path_;
    std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kFileBufferBytes);
    std::unique_ptr<std::FILE, FileCloser> file_;  // closed before its buffer is freed
    std::size_t size_ = 0;
    std::size_t bytesRead_ = 0;
    int readError_ = 0;
};

std::size_t SaturatingAdd(std::size_t a, std::size_t b) {
    return a > SIZE_MAX - b ? SIZE_MAX : a + b;
}

// The most text that the entity references of a document of `documentBytes` may expand to.
std::size_t EntityExpansionLimit(std::size_t documentBytes) {
    const std::size_t bytes = std::min(documentBytes, kMaxDocumentBytes + 1);
    return SaturatingAdd(bytes * kMaxEntityAmplification, kEntityExpansionAllowance);
}

// The internal general entity that a reference node stands for, or null when it stands for an
// external entity (never loaded) or an undeclared one. libxml2 links a reference node to the
// entity's declaration through its children pointer.
const xmlEntity* InternalEntityOf(const xmlNode* reference) {
    const auto* entity = reinterpret_cast<const xmlEntity*>(reference->children);
    return entity != nullptr && entity->type == XML_ENTITY_DECL &&
                   entity->etype == XML_INTERNAL_GENERAL_ENTITY
               ? entity
               : nullptr;
}

// The internal general entity declared as `name` for the document, or null.
const xmlEntity* InternalEntityNamed(xmlDocPtr doc, const xmlChar* name) {
    const xmlEntity* entity = xmlGetDocEntity(doc, name);
    return entity != nullptr && entity->etype == XML_INTERNAL_GENERAL_ENTITY ? entity : nullptr;
}

// Measures how much text entity references expand to, each entity's size computed once.
class EntityExpansionMeter {
public:
    // Bytes of text that the references in `first` and its following siblings (subtrees and
    // attributes included) expand to.
    std::size_t ReferencedBytes(const xmlNode* first) {
        std::size_t total = 0;
        for (const xmlNode* node = first; node != nullptr; node = node->next) {
            if (node->type == XML_ENTITY_REF_NODE) {
                total = SaturatingAdd(total, EntityBytes(InternalEntityOf(node)));
            } else if (node->type == XML_ELEMENT_NODE) {
                for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
                    total = SaturatingAdd(total, ReferencedBytes(attr->children));
                }
                total = SaturatingAdd(total, ReferencedBytes(node->children));
            }
        }
        return total;
    }

    // Bytes of text that a reference to `entity` expands to (0 for null).
    std::size_t EntityBytes(const xmlEntity* entity) {
        if (entity == nullptr) return 0;
        if (const auto found = sizes_.find(entity); found != sizes_.end()) return found->second;
        const std::size_t bytes = TextBytes(entity->children);
        sizes_.emplace(entity, bytes);
        return bytes;
    }

private:
    std::size_t TextBytes(const xmlNode* first) {
        std::size_t total = 0;
        for (const xmlNode* node = first; node != nullptr; node = node->next) {
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
                total = SaturatingAdd(total, xmlStrlen(node->content));
            } else if (node->type == XML_ENTITY_REF_NODE) {
                total = SaturatingAdd(total, EntityBytes(InternalEntityOf(node)));
            } else if (node->type == XML_ELEMENT_NODE) {
                total = SaturatingAdd(total, TextBytes(node->children));
            }
        }
        return total;
    }

    std::unordered_map<const xmlEntity*, std::size_t> sizes_;
};

// Where a problem stands, in Spanish: "línea 3, columna 7".
std::string Place(const ParserProblem& problem) {
    std::string place = "línea " + std::to_string(problem.line);
    if (problem.column > 0) place += ", columna " + std::to_string(problem.column);
    return place;
}

// A size limit of libxml2, recognised by the words of its message, with what it refuses: a
// `what` longer than `size` `unit`.
struct ParserLimit {
    std::string_view messagePart;
    std::string_view what;
    long size;
    std::string_view unit;
};

const ParserLimit kParserLimits[] = {
    {"CData section too big", "una sección CDATA", XML_MAX_TEXT_LENGTH, "bytes"},
    {"AttValue length too long", "un valor de atributo", XML_MAX_TEXT_LENGTH, "bytes"},
    {"Comment too big", "un comentario", XML_MAX_TEXT_LENGTH, "bytes"},
    {"too big found", "una instrucción de procesamiento", XML_MAX_TEXT_LENGTH, "bytes"},
    {"huge text node", "un texto", XML_MAX_TEXT_LENGTH, "bytes"},
    {"Huge input lookup", "un tramo sin marcas", XML_MAX_LOOKUP_LIMIT, "bytes"},
    {"Name too long", "un nombre", XML_MAX_NAME_LENGTH, "caracteres"},
    {"Excessive depth", "un anidamiento de elementos", kMaxElementDepth, "niveles"},
};

// What a well-formed document asks beyond the limits of the reader, or null when the problem
// is a fault of the document.
const ParserLimit* LimitReached(const ParserProblem& problem) {
    for (const ParserLimit& limit : kParserLimits) {
        if (problem.reason.find(limit.messagePart) != std::string::npos) return &limit;
    }
    return nullptr;
}

// Spanish first, with the place; the parser's own words last.
std::string NotWellFormedReason(const ParserProblems& problems) {
    const auto& problem = problems.firstFatal ? problems.firstFatal : problems.firstOther;
    if (!problem) return "el XML no está bien formado";
    if (const ParserLimit* limit = LimitReached(*problem)) {
        return "el documento tiene " + std::string(limit->what) + " de más de " +
               std::to_string(limit->size) + " " + std::string(limit->unit) + " (" +
               Place(*problem) + "), más de lo que admite el lector XML (" + problem->reason + ")";
    }
    return "el XML no está bien formado (" + Place(*problem) + ": " + problem->reason + ")";
}

std::string TooDeepReason(const ParserProblem& where) {
    return "el documento tiene un anidamiento de elementos de más de " +
           std::to_string(kMaxElementDepth) + " niveles (" + Place(where) +
           "), más de lo que admite el lector XML";
}

// Everything one read needs inside libxml2's callbacks, reached through the _private pointer
// of the document's parser context (libxml2 copies it to the contexts it opens for entities).
struct ReadState {
    explicit ReadState(ExchangeReaderEvents& e) : events(e) {}

    ExchangeReaderEvents& events;
    ParserProblems problems;
    EntityExpansionMeter meter;
    std::size_t expansionLimit = SIZE_MAX;  // bytes all references may expand to
    std::size_t expandedBytes = 0;          // bytes all references so far expand to
    std::exception_ptr failure;             // what a callback threw; the parse stops
    int depth = 0;                          // elements of the document open at this point
    std::optional<ParserProblem> tooDeep;   // where nesting passed kMaxElementDepth
    std::vector<ReaderAttribute> attributes;
    std::vector<std::string> decodedValues;  // attribute values with references replaced
};

ReadState& StateOf(xmlParserCtxtPtr ctxt) { return *static_cast<ReadState*>(ctxt->_private); }

// Structured error handler of the parser context.
void CollectParserError(void* userData, ReportedError error) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(userData);
    if (ctxt == nullptr || ctxt->_private == nullptr || error == nullptr) return;
    if (error->level < XML_ERR_ERROR) return;
    ParserProblems& problems = StateOf(ctxt).problems;
    auto& slot = error->level == XML_ERR_FATAL ? problems.firstFatal : problems.firstOther;
    if (slot) return;
    ParserProblem problem{error->line, error->int2, OneLine(error->message)};
    if (IsInsideEntity(ctxt, problems)) {
        const xmlParserInput* file = problems.documentContext->inputTab[0];
        problem.line = file->line;
        problem.column = file->col;
    }
    slot = problem;
}

// The callbacks receive the parser context as their first argument. libxml2 parses an
// internal entity's content, the first time it is referenced, in a context of its own: those
// callbacks go to libxml2's own SAX2 handlers, which build the entity's content once.
xmlParserCtxtPtr ContextOf(void* ctx) { return static_cast<xmlParserCtxtPtr>(ctx); }

bool IsDocumentContext(xmlParserCtxtPtr ctxt) {
    return ctxt->_private != nullptr && ctxt == StateOf(ctxt).problems.documentContext;
}

// Calls `tell` unless an earlier call failed; a failure stops the parse and is kept for the
// caller, since no exception may pass through libxml2.
template <typename Tell>
void Guarded(xmlParserCtxtPtr ctxt, Tell tell) {
    ReadState& state = StateOf(ctxt);
    if (state.failure) return;
    try {
        tell(state);
    } catch (...) {
        state.failure = std::current_exception();
        xmlStopParser(ctxt);
    }
}

// An element's or attribute's name as libxml2's tree names it: a prefix that no namespace
// declaration binds stays part of the name.
std::string_view NodeName(xmlParserCtxtPtr ctxt, const xmlChar* localname, const xmlChar* prefix,
                          const xmlChar* uri) {
    if (prefix == nullptr || uri != nullptr) return View(localname);
    const xmlChar* qualified = xmlDictQLookup(ctxt->dict, prefix, localname);
    return qualified != nullptr ? View(qualified) : View(localname);
}

// An attribute value as libxml2's tree gives it: the parser leaves "&name;" for entity
// references (and "&#38;" for an ampersand) in the value, which the tree turns into nodes.
std::string DecodedAttributeValue(ReadState& state, xmlDocPtr doc, std::string_view value) {
    std::unique_ptr<xmlNode, NodeListFreer> nodes(xmlStringLenGetNodeList(
        doc, reinterpret_cast<const xmlChar*>(value.data()), static_cast<int>(value.size())));
    state.expandedBytes =
        SaturatingAdd(state.expandedBytes, state.meter.ReferencedBytes(nodes.get()));
    if (state.expandedBytes > state.expansionLimit) return std::string();
    std::unique_ptr<xmlChar, XmlCharFreer> text(xmlNodeListGetString(doc, nodes.get(), 1));
    return std::string(View(text.get()));
}

void OnStartElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
                    int namespaceCount, const xmlChar** namespaces, int attributeCount,
                    int defaultedCount, const xmlChar** attributes) {
    xmlParserCtxtPtr ctxt = ContextOf(ctx);
    if (!IsDocumentContext(ctxt)) {
        xmlSAX2StartElementNs(ctx, localname, prefix, uri, namespaceCount, namespaces,
                              attributeCount, defaultedCount, attributes);
        return;
    }
    Guarded(ctxt, [&](ReadState& state) {
        if (++state.depth > kMaxElementDepth) {
            state.tooDeep = ParserProblem{xmlSAX2GetLineNumber(ctxt), xmlSAX2GetColumnNumber(ctxt),
                                          std::string()};
            xmlStopParser(ctxt);
            return;
        }
        // Attributes that only the DTD gives a default are not part of the tree.
        const int given = (ctxt->loadsubset & XML_COMPLETE_ATTRS) != 0
                              ? attributeCount
                              : attributeCount - defaultedCount;
        state.attributes.clear();
        state.decodedValues.clear();
        for (int i = 0; i < given; ++i) {
            const xmlChar** attribute = attributes + 5 * i;  // local, prefix, URI, value, end
            const std::string_view value = View(attribute[3], attribute[4] - attribute[3]);
            if (value.find('&') != std::string_view::npos) {
                state.decodedValues.push_back(DecodedAttributeValue(state, ctxt->myDoc, value));
            }
        }
        std::size_t decoded = 0;
        for (int i = 0; i < given; ++i) {
            const xmlChar** attribute = attributes + 5 * i;
            std::string_view value = View(attribute[3], attribute[4] - attribute[3]);
            if (value.find('&') != std::string_view::npos) value = state.decodedValues[decoded++];
            state.attributes.push_back(
                {NodeName(ctxt, attribute[0], attribute[1], attribute[2]), value});
        }
        state.events.StartElement(NodeName(ctxt, localname, prefix, uri), state.attributes,
                                  xmlSAX2GetLineNumber(ctxt));
    });
}

void OnEndElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
    xmlParserCtxtPtr ctxt = ContextOf(ctx);
    if (!IsDocumentContext(ctxt)) {
        xmlSAX2EndElementNs(ctx, localname, prefix, uri);
        return;
    }
    Guarded(ctxt, [](ReadState& state) {
        --state.depth;
        state.events.EndElement();
    });
}

void OnCharacters(void* ctx, const xmlChar* text, int length) {
    xmlParserCtxtPtr ctxt = ContextOf(ctx);
    if (!IsDocumentContext(ctxt)) {
        xmlSAX2Characters(ctx, text, length);
        return;
    }
    Guarded(ctxt, [&](ReadState& state) {
        state.events.Text(View(text, static_cast<std::size_t>(length)));
    });
}

void OnCData(void* ctx, const xmlChar* text, int length) {
    xmlParserCtxtPtr ctxt = ContextOf(ctx);
    if (!IsDocumentContext(ctxt)) {
        xmlSAX2CDataBlock(ctx, text, length);
        return;
    }
    Guarded(ctxt, [&](ReadState& state) {
        state.events.CData(View(text, static_cast<std::size_t>(length)));
    });
}

// Comments and processing instructions inside the document type belong to it.
void OnComment(void* ctx, const xmlChar* text) {
    xmlParserCtxtPtr ctxt = ContextOf(ctx);
    if (!IsDocumentContext(ctxt) || ctxt->inSubset != 0) {
        xmlSAX2Comment(ctx, text);
        return;
    }
    Guarded(ctxt, [&](ReadState& state) { state.events.Comment(View(text)); });
}

void OnProcessingInstruction(void* ctx, const xmlChar* target, const xmlChar* data) {
    xmlParserCtxtPtr ctxt = ContextOf(ctx);
    if (!IsDocumentContext(ctxt) || ctxt->inSubset != 0) {
        xmlSAX2ProcessingInstruction(ctx, target, data);
        return;
    }
    Guarded(ctxt, [&](ReadState& state) {
        state.events.ProcessingInstruction(View(target), View(data));
    });
}

// Tells the nodes of an entity's content (built by libxml2 the first time it was referenced),
// referenced on line `line` of the file.
void TellEntityContent(ReadState& state, const xmlNode* first, int line) {
    for (const xmlNode* node = first; node != nullptr; node = node->next) {
        switch (node->type) {
            case XML_TEXT_NODE:
                state.events.Text(View(node->content));
                break;
            case XML_CDATA_SECTION_NODE:
                state.events.CData(View(node->content));
                break;
            case XML_ELEMENT_NODE:
                state.events.StartElement(View(node->name), {}, line);
                TellEntityContent(state, node->children, line);
                state.events.EndElement();
                break;
            case XML_ENTITY_REF_NODE: {
                state.events.BeginEntity();
                if (const xmlEntity* entity = InternalEntityOf(node)) {
                    TellEntityContent(state, entity->children, line);
                }
                state.events.EndEntity();
                break;
            }
            case XML_COMMENT_NODE:
                state.events.Comment(View(node->content));
                break;
            case XML_PI_NODE:
                state.events.ProcessingInstruction(View(node->name), View(node->content));
                break;
            default:
                break;
        }
    }
}

// A reference to a general entity that is not predefined. Once the references expand to more
// text than the limit, their content is no longer told: the read fails at its end.
void OnReference(void* ctx, const xmlChar* name) {
    xmlParserCtxtPtr ctxt = ContextOf(ctx);
    if (!IsDocumentContext(ctxt)) {
        xmlSAX2Reference(ctx, name);
        return;
    }
    Guarded(ctxt, [&](ReadState& state) {
        const xmlEntity* entity = InternalEntityNamed(ctxt->myDoc, name);
        state.expandedBytes = SaturatingAdd(state.expandedBytes, state.meter.EntityBytes(entity));
        state.events.BeginEntity();
        if (entity != nullptr && state.expandedBytes <= state.expansionLimit) {
            TellEntityContent(state, entity->children, xmlSAX2GetLineNumber(ctxt));
        }
        state.events.EndEntity();
    });
}

// The document type as libxml2's serializer writes it.
std::string SerializedDocumentType(xmlDocPtr doc, xmlDtdPtr dtd) {
    std::unique_ptr<xmlBuffer, BufferFreer> buffer(xmlBufferCreate());
    if (!buffer) throw std::bad_alloc();
    xmlNodeDump(buffer.get(), doc, reinterpret_cast<xmlNodePtr>(dtd), 0, 0);
    return std::string(View(xmlBufferContent(buffer.get()),
                            static_cast<std::size_t>(xmlBufferLength(buffer.get()))));
}

// Called right after the document type's internal subset (the external one is never loaded).
void OnExternalSubset(void* ctx, const xmlChar* name, const xmlChar* externalId,
                      const xmlChar* systemId) {
    xmlSAX2ExternalSubset(ctx, name, externalId, systemId);
    xmlParserCtxtPtr ctxt = ContextOf(ctx);
    if (!IsDocumentContext(ctxt) || ctxt->myDoc == nullptr) return;
    xmlDtdPtr dtd = xmlGetIntSubset(ctxt->myDoc);
    if (dtd == nullptr) return;
    Guarded(ctxt, [&](ReadState& state) {
        const std::string text = SerializedDocumentType(ctxt->myDoc, dtd);
        state.events.DocumentType(text, xmlIsXHTML(dtd->SystemID, dtd->ExternalID) == 1);
    });
}

// The declaration as libxml2's document records it once read: `standalone` is -1 without a
// declaration, -2 when the declaration does not say, else 0 or 1.
void OnEndDocument(void* ctx) {
    xmlSAX2EndDocument(ctx);
    xmlParserCtxtPtr ctxt = ContextOf(ctx);
    const xmlDoc* doc = ctxt->myDoc;
    if (!IsDocumentContext(ctxt) || doc == nullptr || doc->standalone == -1) return;
    Guarded(ctxt, [&](ReadState& state) {
        XmlDeclaration declaration;
        if (doc->version != nullptr) declaration.version = View(doc->version);
        if (doc->encoding != nullptr) declaration.encoding = std::string(View(doc->encoding));
        if (doc->standalone >= 0) declaration.standalone = doc->standalone == 1;
        state.events.Declaration(declaration);
    });
}

// libxml2's SAX2 handlers, with those of the document's content replaced by ours.
void UseReaderCallbacks(xmlSAXHandler& sax) {
    xmlSAXVersion(&sax, 2);
    sax.startElementNs = OnStartElement;
    sax.endElementNs = OnEndElement;
    sax.characters = OnCharacters;
    sax.ignorableWhitespace = OnCharacters;
    sax.cdataBlock = OnCData;
    sax.comment = OnComment;
    sax.processingInstruction = OnProcessingInstruction;
    sax.reference = OnReference;
    sax.externalSubset = OnExternalSubset;
    sax.endDocument = OnEndDocument;
    sax.serror = CollectParserError;
}

void ReadFile(const std::filesystem::path& path, ExchangeReaderEvents& events) {
    DocumentFile file(path);
    std::unique_ptr<xmlParserCtxt, ParserContextDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt) Fail(path, "no hay memoria para el analizador XML");
    ReadState state(events);
    state.problems.documentContext = ctxt.get();
    state.expansionLimit = EntityExpansionLimit(file.Size());
    ctxt->_private = &state;
    UseReaderCallbacks(*ctxt->sax);

    // The document that libxml2 hands back holds only the document type and its entities.
    std::unique_ptr<xmlDoc, DocFreer> doc;
    {
        ParseSandbox sandbox;
        doc.reset(xmlCtxtReadIO(ctxt.get(), &DocumentFile::Read, nullptr, &file, path.c_str(),
                                nullptr, kSafeParseOptions));
    }
    file.CheckReadWhole();
    if (state.failure) std::rethrow_exception(state.failure);
    if (state.tooDeep) Fail(path, TooDeepReason(*state.tooDeep));
    if (doc == nullptr || !ctxt->wellFormed) Fail(path, NotWellFormedReason(state.problems));
    if (state.expandedBytes >
        std::min(state.expansionLimit, EntityExpansionLimit(file.BytesRead()))) {
        Fail(path,
             "sus entidades se expanden a un texto desmesurado (posible ataque de expansión)");
    }
}

}  // namespace

void ReadExchangeDocument(const std::filesystem::path& path, ExchangeReaderEvents& events) {
    xmlInitParser();
    CheckIsReadableFile(path);
    ReadFile(path, events);
}

}  // namespace velmaro

#include "exchange/SafeXmlParser.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_map>

#include "base/Error.h"
#include "exchange/EntityReference.h"

namespace velmaro {

namespace {

// Never substitute entities (that would load external ones), never load the DTD, never use the
// network; XInclude is not processed because it is never called, and the "huge" mode stays off
// so that libxml2 keeps its limits on entity amplification, depth and sizes.
constexpr int kSafeParseOptions = XML_PARSE_NONET | XML_PARSE_COMPACT;

// The largest document read: libxml2 counts a document's bytes in an int.
constexpr std::size_t kMaxDocumentBytes = INT_MAX;

// libxml2 keeps references to internal entities in the tree and checks nested expansion
// ("billion laughs"), but not one large entity referenced many times; reading such a tree
// would expand it. The text that all references expand to may be at most this many times the
// file's size, plus a fixed allowance for small documents.
constexpr std::size_t kMaxEntityAmplification = 10;
constexpr std::size_t kEntityExpansionAllowance = 10 << 20;

#if LIBXML_VERSION >= 21200
using ReportedError = const xmlError*;
#else
using ReportedError = xmlErrorPtr;
#endif

[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& reason) {
    throw Error("No se puede leer el documento de intercambio '" + path.string() + "': " + reason);
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

// Structured error handler of the parser context; the context's _private points to the
// ParserProblems (libxml2 passes it on to the contexts it opens for entity content).
void CollectParserError(void* userData, ReportedError error) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(userData);
    if (ctxt == nullptr || ctxt->_private == nullptr || error == nullptr) return;
    if (error->level < XML_ERR_ERROR) return;
    auto* problems = static_cast<ParserProblems*>(ctxt->_private);
    auto& slot = error->level == XML_ERR_FATAL ? problems->firstFatal : problems->firstOther;
    if (slot) return;
    ParserProblem problem{error->line, error->int2, OneLine(error->message)};
    if (IsInsideEntity(ctxt, *problems)) {
        const xmlParserInput* file = problems->documentContext->inputTab[0];
        problem.line = file->line;
        problem.column = file->col;
    }
    slot = problem;
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

// Frees a parsed document that is not handed on.
struct DocFreer {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct ParserContextDeleter {
    void operator()(xmlParserCtxtPtr ctxt) const { xmlFreeParserCtxt(ctxt); }
};

void CheckIsReadableFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) Fail(path, "el archivo no existe");
    if (status.type() == std::filesystem::file_type::directory) {
        Fail(path, "es una carpeta, no un archivo");
    }
    if (!error && status.type() != std::filesystem::file_type::regular) {
        Fail(path, "no es un archivo normal");
    }
}

std::string OpenFailureReason(int error) {
    if (error == EACCES || error == EPERM) return "no hay permiso para leer el archivo";
    return "no se puede abrir el archivo (" + std::string(std::strerror(error)) + ")";
}

// The document file as the parser reads it, piece by piece, so that the file is never held in
// memory whole beside the tree built from it.
class DocumentFile {
public:
    explicit DocumentFile(const std::filesystem::path& path) : path_(path) {
        errno = 0;
        file_.reset(std::fopen(path.c_str(), "rb"));
        if (!file_) Fail(path, OpenFailureReason(errno));
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

    // Bytes read so far.
    std::size_t BytesRead() const { return bytesRead_; }

    // Throws the reason the file could not be read whole (an error, too large, empty), if any.
    void CheckReadWhole() const {
        if (readError_ != 0) {
            Fail(path_,
                 "error al leer el archivo (" + std::string(std::strerror(readError_)) + ")");
        }
        if (bytesRead_ > kMaxDocumentBytes) Fail(path_, "el archivo es demasiado grande");
        if (bytesRead_ == 0) Fail(path_, "el archivo está vacío");
    }

private:
    const std::filesystem::path& path_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::size_t bytesRead_ = 0;
    int readError_ = 0;
};

std::size_t SaturatingAdd(std::size_t a, std::size_t b) {
    return a > SIZE_MAX - b ? SIZE_MAX : a + b;
}

// Measures how much text the entity references of a document expand to, each entity's size
// computed once.
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

private:
    std::size_t EntityBytes(const xmlEntity* entity) {
        if (entity == nullptr) return 0;
        if (const auto found = sizes_.find(entity); found != sizes_.end()) return found->second;
        const std::size_t bytes = TextBytes(entity->children);
        sizes_.emplace(entity, bytes);
        return bytes;
    }

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

bool DeclaresEntities(const xmlDoc* doc) {
    return (doc->intSubset != nullptr && doc->intSubset->entities != nullptr) ||
           (doc->extSubset != nullptr && doc->extSubset->entities != nullptr);
}

void CheckEntityExpansion(const std::filesystem::path& path, const xmlDoc* doc,
                          std::size_t documentBytes) {
    if (!DeclaresEntities(doc)) return;
    const std::size_t limit =
        SaturatingAdd(documentBytes * kMaxEntityAmplification, kEntityExpansionAllowance);
    if (EntityExpansionMeter().ReferencedBytes(doc->children) > limit) {
        Fail(path,
             "sus entidades se expanden a un texto desmesurado (posible ataque de expansión)");
    }
}

std::string NotWellFormedReason(const ParserProblems& problems) {
    const auto& problem = problems.firstFatal ? problems.firstFatal : problems.firstOther;
    std::string reason = "el XML no está bien formado";
    if (!problem) return reason;
    reason += " (línea " + std::to_string(problem->line);
    if (problem->column > 0) reason += ", columna " + std::to_string(problem->column);
    return reason + ": " + problem->reason + ")";
}

_xmlDoc* ParseFile(const std::filesystem::path& path) {
    DocumentFile file(path);
    std::unique_ptr<xmlParserCtxt, ParserContextDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt) Fail(path, "no hay memoria para el analizador XML");
    ParserProblems problems;
    problems.documentContext = ctxt.get();
    ctxt->_private = &problems;
    ctxt->sax->serror = CollectParserError;

    std::unique_ptr<xmlDoc, DocFreer> doc;
    {
        ParseSandbox sandbox;
        doc.reset(xmlCtxtReadIO(ctxt.get(), &DocumentFile::Read, nullptr, &file, path.c_str(),
                                nullptr, kSafeParseOptions));
    }
    file.CheckReadWhole();
    if (doc == nullptr || !ctxt->wellFormed) Fail(path, NotWellFormedReason(problems));
    CheckEntityExpansion(path, doc.get(), file.BytesRead());
    return doc.release();
}

}  // namespace

_xmlDoc* ParseXmlFileSafely(const std::filesystem::path& path) {
    xmlInitParser();
    CheckIsReadableFile(path);
    return ParseFile(path);
}

}  // namespace velmaro

#include "outbound/ResultDocument.h"

#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"
#include "base/FileSystem.h"

namespace velmaro {
namespace {

// libxml2 takes and gives names and texts as unsigned chars holding UTF-8.
const xmlChar* Xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

std::string NumberText(std::size_t value) { return IntegerToText(static_cast<long long>(value)); }

// Appends a new element named `name` as the last child of `parent`.
xmlNodePtr AppendElement(xmlNodePtr parent, const char* name) {
    xmlNodePtr element = xmlNewDocNode(parent->doc, nullptr, Xml(name), nullptr);
    return xmlAddChild(parent, element);
}

// A new text node holding `value` up to its first NUL (where libxml2's C strings end). A text
// shorter than 16 bytes is kept inside the node, in the two pointer fields that text nodes do
// not use, as libxml2's own parser does for compact documents (and as its free functions
// expect): most values of a result document are short codes, and millions of them would each
// cost an allocation of their own.
xmlNodePtr NewText(xmlDocPtr doc, std::string_view value) {
    const std::string_view text = value.substr(0, value.find('\0'));
    constexpr std::size_t kInlineRoom = 2 * sizeof(void*);
    if (text.size() >= kInlineRoom) {
        xmlNodePtr node = xmlNewDocTextLen(doc, reinterpret_cast<const xmlChar*>(text.data()),
                                           static_cast<int>(text.size()));
        if (node == nullptr) throw std::bad_alloc();
        return node;
    }
    static_assert(offsetof(xmlNode, nsDef) == offsetof(xmlNode, properties) + sizeof(void*));
    xmlNodePtr node = xmlNewDocText(doc, nullptr);
    if (node == nullptr) throw std::bad_alloc();
    xmlChar* inlineText = reinterpret_cast<xmlChar*>(node) + offsetof(xmlNode, properties);
    std::memcpy(inlineText, text.data(), text.size());
    inlineText[text.size()] = '\0';
    node->content = inlineText;
    return node;
}

// Sets attribute `name` to `value`; the value is stored literally and escaped when saved.
void SetAttribute(xmlNodePtr element, const char* name, std::string_view value) {
    xmlAttrPtr attribute = xmlNewProp(element, Xml(name), nullptr);
    if (attribute == nullptr) throw std::bad_alloc();
    xmlAddChild(reinterpret_cast<xmlNodePtr>(attribute), NewText(element->doc, value));
}

// Appends a grupo_datos with its seq attribute (and registros, when given).
xmlNodePtr AppendGroup(xmlNodePtr parent, std::string_view seq) {
    xmlNodePtr group = AppendElement(parent, "grupo_datos");
    SetAttribute(group, "seq", seq);
    return group;
}

// Appends <dato nombre_dato="name">value</dato>; an empty value gives an element without content.
// The value becomes a text node, so '&', '<' and the like are escaped on saving.
void AppendDato(xmlNodePtr parent, const char* name, std::string_view value) {
    xmlNodePtr dato = AppendElement(parent, "dato");
    SetAttribute(dato, "nombre_dato", name);
    if (value.empty()) return;
    xmlAddChild(dato, NewText(parent->doc, value));
}

// True when the loaded document began with an XML declaration: libxml2 records -1 in
// `standalone` only when there was none.
bool HadXmlDeclaration(const xmlDoc* doc) { return doc->standalone != -1; }

// The encoding the result is written in: the one the exchange document's declaration names, or
// UTF-8 when it named none or had no declaration.
std::string SaveEncoding(const xmlDoc* doc) {
    if (HadXmlDeclaration(doc) && doc->encoding != nullptr) {
        return reinterpret_cast<const char*>(doc->encoding);
    }
    return "UTF-8";
}

// The exchange document's declaration when it named no encoding: its version and, when given,
// its standalone setting.
std::string DeclarationWithoutEncoding(const xmlDoc* doc) {
    std::string declaration = "<?xml version=\"";
    declaration += doc->version != nullptr ? reinterpret_cast<const char*>(doc->version) : "1.0";
    declaration += "\"";
    if (doc->standalone >= 0)
        declaration += doc->standalone == 1 ? " standalone=\"yes\"" : " standalone=\"no\"";
    return declaration + "?>\n";
}

Error SaveError(const std::filesystem::path& target, const std::string& reason) {
    return Error("No se puede guardar el documento de resultado '" + target.string() +
                 "': " + reason);
}

// Carries libxml2's serialised text to the file being written, in pieces of about 1 MiB: a
// result document can be hundreds of megabytes, which need not all be held at once.
class SerialisedStream {
public:
    explicit SerialisedStream(files::ContentSink& sink) : sink_(sink) {
        pending_.reserve(kPieceSize);
    }

    // libxml2's write callback: takes `length` bytes. Once a write has failed, the rest is
    // dropped and Finish reports the failure; telling libxml2 would only make it print an
    // English message of its own.
    static int Write(void* context, const char* bytes, int length) {
        auto* stream = static_cast<SerialisedStream*>(context);
        if (stream->error_ != 0) return length;
        try {  // nothing may be thrown through libxml2
            stream->pending_.append(bytes, static_cast<std::size_t>(length));
            if (stream->pending_.size() >= kPieceSize) stream->Flush();
        } catch (const std::bad_alloc&) {
            stream->error_ = ENOMEM;
        }
        return length;
    }

    // Writes what is still pending; the errno value of the first failed write, or 0.
    int Finish() {
        Flush();
        return error_;
    }

private:
    static constexpr std::size_t kPieceSize = std::size_t{1} << 20;

    void Flush() {
        if (error_ == 0 && !pending_.empty()) error_ = sink_.Write({pending_});
        pending_.clear();
    }

    files::ContentSink& sink_;
    std::string pending_;
    int error_ = 0;
};

// A save context of libxml2 writing through a SerialisedStream, closed when it goes.
class SaveContext {
public:
    // Throws Error naming `target` when libxml2 cannot write `encoding`.
    SaveContext(SerialisedStream& stream, const std::string& encoding, int options,
                const std::filesystem::path& target)
        : context_(xmlSaveToIO(&SerialisedStream::Write, nullptr, &stream, encoding.c_str(),
                               options)) {
        if (context_ == nullptr) {
            throw SaveError(target, "no se puede escribir en la codificación '" + encoding + "'");
        }
    }
    SaveContext(const SaveContext&) = delete;
    SaveContext& operator=(const SaveContext&) = delete;
    ~SaveContext() {
        if (context_ != nullptr) xmlSaveClose(context_);
    }

    // Serialises `doc` and closes the context; false when libxml2 reports a failure.
    bool SaveAndClose(xmlDoc* doc) {
        const long written = xmlSaveDoc(context_, doc);
        const int closed = xmlSaveClose(context_);
        context_ = nullptr;
        return written >= 0 && closed >= 0;
    }

private:
    xmlSaveCtxtPtr context_;
};

// True when libxml2's document serialiser writes `doc` by XHTML rules: its document type is
// one of the XHTML 1.0 ones.
bool SavedAsXhtml(xmlDoc* doc) {
    const xmlDtd* dtd = xmlGetIntSubset(doc);
    return dtd != nullptr && xmlIsXHTML(dtd->SystemID, dtd->ExternalID) == 1;
}

}  // namespace

// Turns a group of the result into the UTF-8 text that libxml2's document serialiser writes for
// it: the same escaping, and the XHTML rules when the document follows them. The text is kept
// in the tree as a text node that the serialiser copies unescaped, through the same encoder as
// everything else, so that the saved document is byte for byte the one the group would give.
// The group's attribute values are ASCII (names and numbers), which every way of serialising
// writes alike.
struct ResultDocument::GroupSerialiser {
    explicit GroupSerialiser(xmlDoc* doc)
        : buffer(xmlBufferCreate(), xmlBufferFree),
          context(buffer ? xmlSaveToBuffer(buffer.get(), "UTF-8",
                                           SavedAsXhtml(doc) ? XML_SAVE_XHTML : 0)
                         : nullptr) {
        if (context == nullptr) throw std::bad_alloc();
    }
    GroupSerialiser(const GroupSerialiser&) = delete;
    GroupSerialiser& operator=(const GroupSerialiser&) = delete;
    ~GroupSerialiser() { xmlSaveClose(context); }

    // A text node of `doc` holding the serialised `group`, to take the group's place.
    xmlNodePtr TextOf(xmlDoc* doc, xmlNodePtr group) {
        xmlBufferEmpty(buffer.get());
        if (xmlSaveTree(context, group) < 0 || xmlSaveFlush(context) < 0) throw std::bad_alloc();
        xmlNodePtr text =
            xmlNewDocTextLen(doc, xmlBufferContent(buffer.get()), xmlBufferLength(buffer.get()));
        if (text == nullptr) throw std::bad_alloc();
        text->name = xmlStringTextNoenc;
        return text;
    }

    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer;
    xmlSaveCtxtPtr context;
};

ResultDocument::ResultDocument(_xmlDoc* doc, const std::filesystem::path& source,
                               std::string_view academicYear, std::size_t teacherCount,
                               std::string_view fecha)
    : doc_(doc) {
    xmlNodePtr oldRoot = xmlDocGetRootElement(doc_);
    if (oldRoot == nullptr) {
        throw Error("El documento '" + source.string() +
                    "' no tiene elemento raíz; no se puede crear el documento de resultado");
    }
    xmlUnlinkNode(oldRoot);
    xmlFreeNode(oldRoot);

    xmlNodePtr root = xmlNewDocNode(doc_, nullptr, Xml("SERVICIO"), nullptr);
    xmlAddChild(reinterpret_cast<xmlNodePtr>(doc_), root);
    SetAttribute(root, "modulo", "HORARIOS");
    SetAttribute(root, "tipo", "I");
    SetAttribute(root, "autor", "HORARIOS");
    SetAttribute(root, "fecha", fecha);

    xmlNodePtr dataBlock = AppendElement(root, "BLOQUE_DATOS");
    xmlNodePtr yearGroup = AppendGroup(dataBlock, "ANNO_ACADEMICO");
    AppendDato(yearGroup, "C_ANNO", academicYear);
    timetableGroup_ = AppendGroup(dataBlock, "HORARIOS_REGULARES");
    SetAttribute(timetableGroup_, "registros", NumberText(teacherCount));
}

ResultDocument::~ResultDocument() = default;

void ResultDocument::FinishOpenTeacher() {
    if (openTeacher_ == nullptr) return;
    if (!serialiser_) serialiser_ = std::make_unique<GroupSerialiser>(doc_);
    xmlNodePtr text = serialiser_->TextOf(doc_, openTeacher_);
    xmlReplaceNode(openTeacher_, text);  // unlike the sibling functions, merges no text nodes
    xmlFreeNode(openTeacher_);
    openTeacher_ = nullptr;
}

TeacherGroup ResultDocument::AddTeacher(std::size_t teacherNumber, std::string_view xEmpleado,
                                        std::string_view fTomapos, std::size_t activityCount) {
    FinishOpenTeacher();
    xmlNodePtr group =
        AppendGroup(timetableGroup_, "HORARIO_REGULAR_PROFESOR_" + NumberText(teacherNumber));
    SetAttribute(group, "registros", NumberText(activityCount));
    AppendDato(group, "X_EMPLEADO", xEmpleado);
    AppendDato(group, "F_TOMAPOS", fTomapos);
    openTeacher_ = group;
    return TeacherGroup(group);
}

void ResultDocument::AddActivity(TeacherGroup teacher, std::size_t activityNumber,
                                 const ActivityValues& values) {
    if (teacher.Node() != openTeacher_) {
        throw Error("Solo se pueden añadir actividades al último profesor del documento de "
                    "resultado");
    }
    const std::string startMinutes = IntegerToText(MinutesAfterMidnight(values.startTime));
    const std::string endMinutes = IntegerToText(MinutesAfterMidnight(values.endTime));
    xmlNodePtr group = AppendGroup(teacher.Node(), "ACTIVIDAD_" + NumberText(activityNumber));
    AppendDato(group, "N_DIASEMANA", values.dayNumber);
    AppendDato(group, "X_TRAMO", values.slotCode);
    AppendDato(group, "X_DEPENDENCIA", values.roomCode);
    AppendDato(group, "X_UNIDAD", values.unitKey);
    AppendDato(group, "X_OFERTAMATRIG", values.courseKey);
    AppendDato(group, "X_MATERIAOMG", values.subjectKey);
    AppendDato(group, "F_INICIO", values.startDate);
    AppendDato(group, "F_FIN", values.endDate);
    AppendDato(group, "N_HORINI", startMinutes);
    AppendDato(group, "N_HORFIN", endMinutes);
    AppendDato(group, "X_ACTIVIDAD", values.activityKey);
}

void ResultDocument::Save(const std::filesystem::path& target) {
    FinishOpenTeacher();
    const std::string encoding = SaveEncoding(doc_);
    // libxml2 writes the declaration itself only when it names an encoding; otherwise it is
    // left out (and written here when the exchange document had one).
    const std::string declaration = HadXmlDeclaration(doc_) && doc_->encoding == nullptr
                                        ? DeclarationWithoutEncoding(doc_)
                                        : std::string();
    const int options = doc_->encoding != nullptr && HadXmlDeclaration(doc_) ? 0 : XML_SAVE_NO_DECL;
    // Written beside the target and renamed over it, so an earlier result stays whole until
    // the new one is complete on disk.
    const files::Replacement replacement =
        files::ReplaceFileWith(target, [&](files::ContentSink& sink) {
            if (const int error = sink.Write({declaration}); error != 0) return error;
            SerialisedStream stream(sink);
            SaveContext context(stream, encoding, options, target);
            const bool saved = context.SaveAndClose(doc_);
            if (const int error = stream.Finish(); error != 0) return error;
            if (!saved) throw SaveError(target, "la escritura ha fallado");
            return 0;
        });
    if (replacement.error != 0) throw SaveError(target, files::SystemReason(replacement.error));
}

int MinutesAfterMidnight(std::string_view clockText) {
    std::string text;
    if (CharCount(clockText) < 5) text += '0';
    text += clockText;
    const int hours = ParseInteger(LeftChars(text, 2));
    const int minutes = ParseInteger(RightChars(text, 2));
    return hours * 60 + minutes;
}

std::filesystem::path ResultFileName(const std::filesystem::path& exchangeDocument) {
    return exchangeDocument.parent_path() /
           ("ResultadoOrvik" + exchangeDocument.filename().string());
}

}  // namespace velmaro

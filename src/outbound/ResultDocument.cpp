#include "outbound/ResultDocument.h"

#include <fcntl.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "app/Error.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"

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

// Sets attribute `name` to `value`; the value is stored literally and escaped when saved.
void SetAttribute(xmlNodePtr element, const char* name, std::string_view value) {
    const std::string text(value);
    xmlNewProp(element, Xml(name), Xml(text.c_str()));
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
    const std::string text(value);
    xmlAddChild(dato, xmlNewDocText(parent->doc, Xml(text.c_str())));
}

// True when the loaded document began with an XML declaration: libxml2 records -1 in
// `standalone` only when there was none.
bool HadXmlDeclaration(const xmlDoc* doc) { return doc->standalone != -1; }

// The process's file-creation mask (reading it means setting it, so it is set back at once).
mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

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

std::string SystemReason(int error) { return std::generic_category().message(error); }

Error SaveError(const std::filesystem::path& target, const std::string& reason) {
    return Error("No se puede guardar el documento de resultado '" + target.string() +
                 "': " + reason);
}

void WriteAll(int fd, std::string_view bytes, const std::filesystem::path& target) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            throw SaveError(target, SystemReason(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// A temporary file beside the target, removed again unless it was committed.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) : target_(target) {
        std::string pattern =
            (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        fd_ = mkstemp(name.data());
        if (fd_ < 0) throw SaveError(target, SystemReason(errno));
        path_ = name.data();
        // mkstemp makes the file private; the result file gets the usual permissions instead.
        fchmod(fd_, 0666 & ~CurrentUmask());
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_) std::remove(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Descriptor() const { return fd_; }

    // Flushes the file to disk, closes it and renames it over the target.
    void Commit() {
        const bool synced = fsync(fd_) == 0;
        const int syncError = errno;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!synced) throw SaveError(target_, SystemReason(syncError));
        if (!closed) throw SaveError(target_, SystemReason(errno));
        if (std::rename(path_.c_str(), target_.c_str()) != 0) {
            throw SaveError(target_, SystemReason(errno));
        }
        committed_ = true;
    }

private:
    std::filesystem::path target_;
    std::string path_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace

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

TeacherGroup ResultDocument::AddTeacher(std::size_t teacherNumber, std::string_view xEmpleado,
                                        std::string_view fTomapos, std::size_t activityCount) {
    xmlNodePtr group =
        AppendGroup(timetableGroup_, "HORARIO_REGULAR_PROFESOR_" + NumberText(teacherNumber));
    SetAttribute(group, "registros", NumberText(activityCount));
    AppendDato(group, "X_EMPLEADO", xEmpleado);
    AppendDato(group, "F_TOMAPOS", fTomapos);
    return TeacherGroup(group);
}

void ResultDocument::AddActivity(TeacherGroup teacher, std::size_t activityNumber,
                                 const ActivityValues& values) {
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

void ResultDocument::Save(const std::filesystem::path& target) const {
    TemporaryFile file(target);
    const std::string encoding = SaveEncoding(doc_);
    if (HadXmlDeclaration(doc_) && doc_->encoding == nullptr) {
        WriteAll(file.Descriptor(), DeclarationWithoutEncoding(doc_), target);
    }
    // libxml2 writes the declaration itself only when it names an encoding; otherwise it is
    // left out (and written above when the exchange document had one).
    const int options = doc_->encoding != nullptr && HadXmlDeclaration(doc_) ? 0 : XML_SAVE_NO_DECL;
    xmlSaveCtxtPtr context = xmlSaveToFd(file.Descriptor(), encoding.c_str(), options);
    if (context == nullptr) {
        throw SaveError(target, "no se puede escribir en la codificación '" + encoding + "'");
    }
    const long written = xmlSaveDoc(context, doc_);
    const int closed = xmlSaveClose(context);
    if (written < 0 || closed < 0) throw SaveError(target, "la escritura ha fallado");
    file.Commit();
}

int MinutesAfterMidnight(std::string_view clockText) {
    std::string text(clockText);
    if (CharCount(text) < 5) text.insert(0, "0");
    const int hours = ParseInteger(LeftChars(text, 2));
    const int minutes = ParseInteger(RightChars(text, 2));
    return hours * 60 + minutes;
}

std::filesystem::path ResultFileName(const std::filesystem::path& exchangeDocument) {
    return exchangeDocument.parent_path() /
           ("ResultadoOrvik" + exchangeDocument.filename().string());
}

}  // namespace velmaro

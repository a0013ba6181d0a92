#include "outbound/ResultDocument.h"

#include <cerrno>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/Error.h"
#include "base/FileSystem.h"
#include "base/QuotedPath.h"
#include "base/Utf8Path.h"
#include "exchange/XmlTextEncoder.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"

namespace velmaro {
namespace {

std::string NumberText(std::size_t value) { return IntegerToText(static_cast<long long>(value)); }

// A value as the document holds it: up to its first NUL, where a C string ends.
std::string_view UpToNul(std::string_view value) { return value.substr(0, value.find('\0')); }

Error SaveError(const std::filesystem::path& target, const std::string& reason) {
    return Error("No se puede guardar el documento de resultado " + Quoted(target) + ": " + reason);
}

// Windows does not let a file that another program has open be replaced: the document written
// before, open in a viewer or an editor, has to be closed first.
Error HeldByAnotherProgramError(const std::filesystem::path& target) {
    return SaveError(target,
                     "la versión anterior está abierta en otro programa; ciérrela y vuelva a "
                     "intentarlo");
}

// The encoder of the encoding `prolog` declares; throws Error naming `target` when there is none.
std::unique_ptr<XmlTextEncoder> EncoderOf(const ExchangeProlog& prolog,
                                          const std::filesystem::path& target) {
    const std::string encoding = WrittenEncoding(prolog);
    std::unique_ptr<XmlTextEncoder> encoder = XmlTextEncoderFor(encoding);
    if (encoder == nullptr) {
        throw SaveError(target, "no se puede escribir en la codificación '" + encoding + "'");
    }
    return encoder;
}

}  // namespace

ResultDocument::ResultDocument(const ExchangeProlog& prolog, const std::filesystem::path& target,
                               std::string_view academicYear, std::size_t teacherCount,
                               std::string_view fecha)
    : target_(target),
      writer_(std::make_unique<XmlWriter>(prolog, EncoderOf(prolog, target),
                                          [this](std::string_view bytes) { WritePiece(bytes); })) {
    writer_->StartElement("SERVICIO");
    writer_->Attribute("modulo", "HORARIOS");
    writer_->Attribute("tipo", "I");
    writer_->Attribute("autor", "HORARIOS");
    writer_->Attribute("fecha", UpToNul(fecha));
    writer_->StartElement("BLOQUE_DATOS");
    StartGroup("ANNO_ACADEMICO");
    AppendDato("C_ANNO", academicYear);
    writer_->EndElement();
    StartGroup("HORARIOS_REGULARES");
    writer_->Attribute("registros", NumberText(teacherCount));
}

ResultDocument::~ResultDocument() = default;

void ResultDocument::WritePiece(std::string_view bytes) {
    if (writeError_ == 0 && file_ == nullptr) {
        file_ = std::make_unique<files::PendingReplacement>(target_);
        writeError_ = file_->OpenError();
    }
    if (writeError_ == 0) writeError_ = file_->Write({bytes});
    if (writeError_ != 0) {
        file_.reset();
        throw SaveError(target_, files::SystemReason(writeError_));
    }
}

void ResultDocument::StartGroup(std::string_view seq) {
    writer_->StartElement("grupo_datos");
    writer_->Attribute("seq", seq);
}

void ResultDocument::AppendDato(std::string_view name, std::string_view value) {
    writer_->StartElement("dato");
    writer_->Attribute("nombre_dato", name);
    if (!value.empty()) writer_->Text(UpToNul(value));
    writer_->EndElement();
}

void ResultDocument::FinishOpenTeacher() {
    if (!teacherOpen_) return;
    writer_->EndElement();
    teacherOpen_ = false;
}

TeacherGroup ResultDocument::AddTeacher(std::size_t teacherNumber, std::string_view xEmpleado,
                                        std::string_view fTomapos, std::size_t activityCount) {
    FinishOpenTeacher();
    StartGroup("HORARIO_REGULAR_PROFESOR_" + NumberText(teacherNumber));
    writer_->Attribute("registros", NumberText(activityCount));
    teacherOpen_ = true;
    ++groups_;
    AppendDato("X_EMPLEADO", xEmpleado);
    AppendDato("F_TOMAPOS", fTomapos);
    return TeacherGroup(groups_);
}

void ResultDocument::AddActivity(TeacherGroup teacher, std::size_t activityNumber,
                                 const ActivityValues& values) {
    if (!teacherOpen_ || teacher.Serial() != groups_) {
        throw Error("Solo se pueden añadir actividades al último profesor del documento de "
                    "resultado");
    }
    const std::string startMinutes = IntegerToText(MinutesAfterMidnight(values.startTime));
    const std::string endMinutes = IntegerToText(MinutesAfterMidnight(values.endTime));
    StartGroup("ACTIVIDAD_" + NumberText(activityNumber));
    AppendDato("N_DIASEMANA", values.dayNumber);
    AppendDato("X_TRAMO", values.slotCode);
    AppendDato("X_DEPENDENCIA", values.roomCode);
    AppendDato("X_UNIDAD", values.unitKey);
    AppendDato("X_OFERTAMATRIG", values.courseKey);
    AppendDato("X_MATERIAOMG", values.subjectKey);
    AppendDato("F_INICIO", values.startDate);
    AppendDato("F_FIN", values.endDate);
    AppendDato("N_HORINI", startMinutes);
    AppendDato("N_HORFIN", endMinutes);
    AppendDato("X_ACTIVIDAD", values.activityKey);
    writer_->EndElement();
}

void ResultDocument::Save() {
    FinishOpenTeacher();
    writer_->EndElement();  // HORARIOS_REGULARES
    writer_->EndElement();  // BLOQUE_DATOS
    writer_->EndElement();  // SERVICIO
    writer_->Finish();  // hands over the last piece, so the file is open from here on
    const files::Replacement replacement = file_->Commit();
    file_.reset();
    if (replacement.error == EBUSY) throw HeldByAnotherProgramError(target_);
    if (replacement.error != 0) throw SaveError(target_, files::SystemReason(replacement.error));
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
           PathFromUtf8("ResultadoOrvik" + Utf8FromPath(exchangeDocument.filename()));
}

}  // namespace velmaro

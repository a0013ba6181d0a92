#include "worktables/ConversionReport.h"

#include <algorithm>
#include <stdexcept>

#include "text/IntegerText.h"
#include "text/TextHelpers.h"
#include "text/Windows1252.h"

namespace velmaro {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kIndent = "  ";

std::size_t KindIndex(ReportKind kind) { return static_cast<std::size_t>(kind); }

std::string InGuillemets(std::string_view text) { return "«" + std::string(text) + "»"; }

// `text` as a character field of `width` characters keeps it: its first `width` characters.
std::string CutToWidth(std::string_view text, std::string_view width) {
    return LeftChars(text, ParseInteger(std::string(width)));
}

// `text` as the tables give it back after storing it in Windows-1252.
std::string AsStored(std::string_view text) { return DecodeWindows1252(EncodeWindows1252(text)); }

// The sentence of an empty key in the result document: which lookups found nothing.
// `d` holds the teacher, the element, ASIG, CODGRUPO and the course key the search used.
std::string EmptyKeySentence(std::span<const std::string_view> d) {
    const std::string element(d[1]);
    std::string sentence = "profesor " + InGuillemets(d[0]) + ": " + element + " va vacío; ";
    if (element == "X_UNIDAD") {
        return sentence + "GRUPOST.DBF no tiene el grupo " + InGuillemets(d[3]);
    }
    const std::string assignment =
        "ASIGT.DBF (materia " + InGuillemets(d[2]) + ", grupo " + InGuillemets(d[3]) + ")";
    if (element == "X_OFERTAMATRIG") {
        return sentence + "ni " + assignment + " ni GRUPOST.DBF (grupo " + InGuillemets(d[3]) +
               ") dan el curso";
    }
    return sentence + "ni " + assignment + " ni ASIGNOMT2.DBF (materia " + InGuillemets(d[2]) +
           ", curso " + InGuillemets(d[4]) + ") dan la materia";
}

// The sentence of a framework the tables cannot tell apart from an earlier one.
// `d` holds its code and name, and the earlier one's record number, code and name.
std::string FrameworkLikeAnotherSentence(std::span<const std::string_view> d) {
    const std::string earlier = "el registro " + std::string(d[2]) + ", " + InGuillemets(d[3]) +
                                " (" + std::string(d[4]) + ")";
    const std::string likeness =
        d[0] == d[3] ? " tiene el mismo código que " + earlier
                     : " coincide con " + earlier +
                           " en los 10 primeros caracteres del código, los que guardan las tablas";
    return InGuillemets(d[0]) + " (" + std::string(d[1]) + ")" + likeness +
           ": DIASHORAST.DBF y PERIODOS.DBF no los distinguen y no se pueden aplicar juntos";
}

// What happened to one item, in words, from its kind and details.
std::string Sentence(ReportKind kind, std::span<const std::string_view> d) {
    switch (kind) {
        case ReportKind::SubjectWithoutName:
            return "materia sin nombre (curso " + InGuillemets(d[0]) + ", materia " +
                   InGuillemets(d[1]) + "); no se ha convertido";
        case ReportKind::ShortRecordSkipped:
            return "se ha omitido (número de datos: " + std::string(d[0]) + ")";
        case ReportKind::CodeSuffixed:
            return std::string(d[0]) + " " + std::string(d[1]) + ": el código " +
                   InGuillemets(d[2]) + " ya estaba ocupado; se le ha dado " + InGuillemets(d[3]);
        case ReportKind::TextCut:
            return std::string(d[0]) + " " + std::string(d[1]) + " (" + std::string(d[2]) +
                   " caracteres): " + InGuillemets(d[3]) + " se ha guardado como " +
                   InGuillemets(CutToWidth(d[3], d[2]));
        case ReportKind::CharacterReplaced:
            return std::string(d[0]) + " " + std::string(d[1]) + ": " + InGuillemets(d[2]) +
                   " se ha guardado como " + InGuillemets(AsStored(d[2]));
        case ReportKind::UnknownLevel:
            return "curso " + InGuillemets(d[0]) + " " + std::string(d[1]) +
                   "; se le ha dado el nivel «Niv»";
        case ReportKind::ShortTimeSlotSkipped:
            return "tramo " + InGuillemets(d[1]) +
                   ": se ha omitido (número de datos: " + std::string(d[0]) + ")";
        case ReportKind::FrameworkNotChosen:
            return InGuillemets(d[0]) + " (" + std::string(d[1]) + ") no se ha aplicado al horario";
        case ReportKind::FrameworkLikeAnother:
            return FrameworkLikeAnotherSentence(d);
        case ReportKind::RowOfUnknownTeacher:
            return "profesor " + InGuillemets(d[0]) + " (día " + std::string(d[1]) + ", hora " +
                   std::string(d[2]) + ") no está en PROFT.DBF; la fila no se ha enviado";
        case ReportKind::SlotNotFound:
            return "profesor " + InGuillemets(d[0]) + ": DIASHORAST.DBF no tiene DIHO " +
                   InGuillemets(d[1]) + " con MARCO " + InGuillemets(d[2]) +
                   "; N_DIASEMANA y X_TRAMO van vacíos";
        case ReportKind::KeyNotFound:
            return EmptyKeySentence(d);
    }
    return {};
}

// The number of details each kind words.
std::size_t DetailCount(ReportKind kind) {
    switch (kind) {
        case ReportKind::ShortRecordSkipped:
            return 1;
        case ReportKind::SubjectWithoutName:
        case ReportKind::UnknownLevel:
        case ReportKind::ShortTimeSlotSkipped:
        case ReportKind::FrameworkNotChosen:
            return 2;
        case ReportKind::CharacterReplaced:
        case ReportKind::RowOfUnknownTeacher:
        case ReportKind::SlotNotFound:
            return 3;
        case ReportKind::CodeSuffixed:
        case ReportKind::TextCut:
            return 4;
        case ReportKind::KeyNotFound:
        case ReportKind::FrameworkLikeAnother:
            return 5;
    }
    return 0;
}

}  // namespace

ReportPlace SectionRecord(std::string_view section, std::size_t position) {
    return {ReportPlace::Of::SectionRecord, section, position + 1};
}

ReportPlace TableRow(std::string_view table, std::size_t position) {
    return {ReportPlace::Of::TableRow, table, position + 1};
}

void ConversionReport::Add(ReportKind kind, const ReportPlace& place,
                           std::initializer_list<std::string_view> details) {
    if (details.size() != DetailCount(kind)) {
        throw std::logic_error("ConversionReport::Add: wrong number of details for the kind");
    }
    items_.push_back(Item{
        kind, place.of, NameIndex(place.name), static_cast<std::uint32_t>(place.number),
        static_cast<std::uint32_t>(detailEnds_.size()), static_cast<std::uint8_t>(details.size())});
    for (std::string_view detail : details) {
        details_ += detail;
        detailEnds_.push_back(static_cast<std::uint32_t>(details_.size()));
    }
    ++counts_[KindIndex(kind)];
}

std::size_t ConversionReport::Count(ReportKind kind) const { return counts_[KindIndex(kind)]; }

std::string_view ConversionReport::Title(ReportKind kind) {
    switch (kind) {
        case ReportKind::SubjectWithoutName:
            return "Materias sin nombre, omitidas";
        case ReportKind::ShortRecordSkipped:
            return "Registros con menos de dos datos, omitidos";
        case ReportKind::CodeSuffixed:
            return "Códigos ya ocupados, con un número añadido";
        case ReportKind::TextCut:
            return "Textos más largos que su campo, cortados";
        case ReportKind::CharacterReplaced:
            return "Caracteres que Windows-1252 no admite, guardados como «?»";
        case ReportKind::UnknownLevel:
            return "Cursos sin nivel en NIVELLARI.DBF, con el nivel «Niv»";
        case ReportKind::ShortTimeSlotSkipped:
            return "Tramos horarios con menos de cinco datos, omitidos";
        case ReportKind::FrameworkNotChosen:
            return "Marcos Horarios no elegidos";
        case ReportKind::FrameworkLikeAnother:
            return "Marcos Horarios que las tablas no distinguen de otro";
        case ReportKind::RowOfUnknownTeacher:
            return "Filas de SOLUC.DBF cuyo profesor no está en PROFT.DBF, no enviadas";
        case ReportKind::SlotNotFound:
            return "Filas cuyo día y hora no están en su Marco Horario, sin día ni tramo";
        case ReportKind::KeyNotFound:
            return "Claves que no se encontraron, enviadas vacías";
    }
    return {};
}

std::string ConversionReport::Text(std::span<const ReportKind> kinds) const {
    std::string text = "Resumen";
    text += kLineEnd;
    for (ReportKind kind : kinds) {
        text.append(kIndent).append(Title(kind)).append(": ");
        text.append(IntegerToText(static_cast<long long>(Count(kind)))).append(kLineEnd);
    }
    for (ReportKind kind : kinds) {
        if (Count(kind) == 0) continue;
        text.append(kLineEnd).append(Title(kind)).append(" (");
        text.append(IntegerToText(static_cast<long long>(Count(kind)))).append(")");
        text.append(kLineEnd);
        for (const Item& item : items_) {
            if (item.kind == kind) AppendItemLine(item, text);
        }
    }
    return text;
}

std::uint16_t ConversionReport::NameIndex(std::string_view name) {
    const auto found = std::find(names_.begin(), names_.end(), name);
    if (found != names_.end()) return static_cast<std::uint16_t>(found - names_.begin());
    names_.emplace_back(name);
    return static_cast<std::uint16_t>(names_.size() - 1);
}

std::string_view ConversionReport::Detail(std::uint32_t index) const {
    const std::uint32_t begin = index == 0 ? 0 : detailEnds_[index - 1];
    return std::string_view(details_).substr(begin, detailEnds_[index] - begin);
}

void ConversionReport::AppendItemLine(const Item& item, std::string& text) const {
    std::array<std::string_view, 5> details;
    for (std::uint8_t i = 0; i < item.detailCount; ++i) details[i] = Detail(item.firstDetail + i);
    text.append(kIndent).append(names_[item.placeName]);
    text.append(item.placeOf == ReportPlace::Of::SectionRecord ? ", registro " : ", fila ");
    text.append(IntegerToText(item.placeNumber)).append(": ");
    text.append(Sentence(item.kind, std::span(details.data(), item.detailCount)));
    text.append(kLineEnd);
}

}  // namespace velmaro

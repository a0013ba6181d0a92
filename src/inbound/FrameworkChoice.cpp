#include "inbound/FrameworkChoice.h"

#include "base/Error.h"
#include "base/Utf8Path.h"
#include "inbound/TimeSlotRecord.h"
#include "text/TextHelpers.h"

namespace velmaro {

namespace {

constexpr long kCodeWidth = 10;
constexpr std::size_t kMostFrameworks = 2;
constexpr const char* kNoneSelected = "Debe al menos seleccionar 1 Marco Horario.";
constexpr const char* kTooManySelected =
    "Demasiados Marcos Horarios seleccionados.\r\n"
    "Como máximo puede seleccionar 2 Marcos Horarios";

// `code` padded with blanks or cut to exactly ten characters.
std::string FixedWidthCode(const std::string& code) {
    return LeftChars(code + std::string(kCodeWidth, ' '), kCodeWidth);
}

}  // namespace

FrameworkCatalog FrameworkCatalog::Load(const std::filesystem::path& exchangeDocument) {
    FrameworkCatalog catalog(ExchangeDocument::Load(exchangeDocument));
    if (catalog.Codes().empty()) {
        throw Error("No se puede leer la lista de Marcos Horarios del archivo '" +
                    Utf8FromPath(exchangeDocument) +
                    "': ya no contiene dos o más registros en JORNADAS_ESCOLARES.");
    }
    return catalog;
}

FrameworkCatalog::FrameworkCatalog(const ExchangeDocument& document) {
    const std::vector<ExchangeRecord> frameworks = document.Records("JORNADAS_ESCOLARES");
    if (frameworks.size() > 1) {
        for (const ExchangeRecord& record : frameworks) {
            codes_.push_back(record.Field(0));
            frameworkByCode_[record.Field(0)] =
                Framework{record.Field(1), record.Field(2), record.Field(3)};
        }
    }
    const std::vector<ExchangeRecord> slots = document.Records(time_slots::kSection);
    rebuildsSlotList_ = slots.size() > 1;
    for (const ExchangeRecord& slot : slots) {
        if (slot.FieldCount() < time_slots::kFieldCount) continue;
        slotLabelsByCode_[slot.Field(time_slots::kFramework)].push_back(
            slot.Field(time_slots::kLabel));
    }
}

FrameworkDetails FrameworkCatalog::Details(const std::string& code) const {
    FrameworkDetails details;
    if (const auto framework = frameworkByCode_.find(code); framework != frameworkByCode_.end()) {
        details.name = framework->second.name;
        details.startDate = framework->second.startDate;
        details.endDate = framework->second.endDate;
    }
    if (rebuildsSlotList_) {
        const auto labels = slotLabelsByCode_.find(code);
        details.slotLabels =
            labels != slotLabelsByCode_.end() ? labels->second : std::vector<std::string>();
    }
    return details;
}

SelectionOutcome CloseFrameworkSelection(const std::vector<std::string>& codes,
                                         const std::vector<bool>& selected) {
    SelectionOutcome outcome;
    std::size_t count = 0;
    for (std::size_t i = 0; i < codes.size() && i < selected.size(); ++i) {
        if (!selected[i]) continue;
        ++count;
        outcome.selection.resultado += FixedWidthCode(codes[i]);
    }
    outcome.selection.resultMH = count >= 1 && count <= kMostFrameworks;
    if (count > kMostFrameworks) outcome.message = kTooManySelected;
    if (count < 1) outcome.message = kNoneSelected;
    return outcome;
}

}  // namespace velmaro

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

constexpr const char* kSelectOnlyOne = "\r\nSeleccione solo uno de los dos.";

// `code` padded with blanks or cut to exactly ten characters.
std::string FixedWidthCode(const std::string& code) {
    return LeftChars(code + std::string(kCodeWidth, ' '), kCodeWidth);
}

// An entry as a message names it: «code» (name).
std::string NamedEntry(const FrameworkEntry& entry) {
    std::string named = "«" + entry.code + "»";
    if (!TrimBlanks(entry.name).empty()) named += " (" + entry.name + ")";
    return named;
}

// Why `first` and `second`, whose table codes are equal, cannot be applied together.
std::string TablesCannotTellApartMessage(const FrameworkEntry& first,
                                         const FrameworkEntry& second) {
    const std::string why =
        TrimBlanks(first.code) == TrimBlanks(second.code)
            ? "tienen el mismo código y las tablas de Tavolin no los distinguirían."
            : "sus códigos coinciden en los 10 primeros caracteres, los únicos que guardan las "
              "tablas de Tavolin, que no los distinguirían.";
    return "No se pueden aplicar juntos los Marcos Horarios " + NamedEntry(first) + " y " +
           NamedEntry(second) + ": " + why + kSelectOnlyOne;
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
            FrameworkEntry entry{record.Field(0), record.Field(1), record.Field(2),
                                 record.Field(3)};
            codes_.push_back(entry.code);
            frameworkByCode_[entry.code] = entry;
            entries_.push_back(std::move(entry));
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

std::string TableCode(const std::string& code) {
    return LeftChars(TrimBlanks(code), kCodeWidth);
}

std::vector<std::optional<std::size_t>> EarlierEntryAlike(const std::vector<std::string>& codes) {
    std::vector<std::optional<std::size_t>> alike(codes.size());
    std::unordered_map<std::string, std::size_t> firstByTableCode;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const auto [first, isNew] = firstByTableCode.try_emplace(TableCode(codes[i]), i);
        if (!isNew) alike[i] = first->second;
    }
    return alike;
}

SelectionOutcome CloseFrameworkSelection(const FrameworkCatalog& catalog,
                                         const std::vector<bool>& selected) {
    const std::vector<std::string>& codes = catalog.Codes();
    SelectionOutcome outcome;
    for (std::size_t i = 0; i < codes.size() && i < selected.size(); ++i) {
        if (!selected[i]) continue;
        outcome.selection.chosen.push_back(i);
        outcome.selection.resultado += FixedWidthCode(codes[i]);
    }
    const std::vector<std::size_t>& chosen = outcome.selection.chosen;
    if (chosen.size() > kMostFrameworks) {
        outcome.message = kTooManySelected;
    } else if (chosen.empty()) {
        outcome.message = kNoneSelected;
    } else if (chosen.size() == 2 && TableCode(codes[chosen[0]]) == TableCode(codes[chosen[1]])) {
        outcome.message = TablesCannotTellApartMessage(catalog.Entries()[chosen[0]],
                                                       catalog.Entries()[chosen[1]]);
    }
    outcome.selection.resultMH = !outcome.message.has_value();
    return outcome;
}

}  // namespace velmaro

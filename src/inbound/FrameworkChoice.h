#pragma once
// The rules of the framework selection dialog, without the window: the framework list, the
// details of the current framework, and the check of a selection when the dialog closes
// (including the refusal of two frameworks that the work tables cannot tell apart). Both
// dialogs, the terminal front-end and the framework step use it.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/UserInteraction.h"
#include "exchange/ExchangeDocument.h"

namespace velmaro {

// What the dialog shows for the current framework.
struct FrameworkDetails {
    std::string name = "-";
    std::string startDate = "-";
    std::string endDate = "-";
    // The slot labels of the framework; nothing when the slot list is to be left as it was
    // (TRAMOS_HORARIOS with one record or none).
    std::optional<std::vector<std::string>> slotLabels;
};

// One entry of the framework list: the texts of one JORNADAS_ESCOLARES record.
struct FrameworkEntry {
    std::string code, name, startDate, endDate;
};

// The frameworks and slots of one exchange document, texts exactly as the document gives them.
class FrameworkCatalog {
public:
    // An empty list: no framework to choose.
    FrameworkCatalog() = default;
    // Reads `exchangeDocument` afresh. Throws Error naming the file when it cannot be read, or
    // when it no longer holds the two or more frameworks a choice needs (no valid choice could
    // be made from it, and the dialog would be asked for again and again).
    static FrameworkCatalog Load(const std::filesystem::path& exchangeDocument);
    explicit FrameworkCatalog(const ExchangeDocument& document);

    // The framework list: field 0 of every JORNADAS_ESCOLARES record, in document order,
    // when there is more than one record; empty otherwise.
    const std::vector<std::string>& Codes() const { return codes_; }
    // The records behind Codes(), one entry each, in the same order.
    const std::vector<FrameworkEntry>& Entries() const { return entries_; }
    // Details of the framework whose code is `code` (the last matching record's texts).
    FrameworkDetails Details(const std::string& code) const;

private:
    std::vector<std::string> codes_;
    std::vector<FrameworkEntry> entries_;
    // The last JORNADAS_ESCOLARES record of each code (filled when there is more than one record).
    std::unordered_map<std::string, FrameworkEntry> frameworkByCode_;
    // TRAMOS_HORARIOS holds more than one record, so the slot list is rebuilt.
    bool rebuildsSlotList_ = false;
    // Slot labels of each framework code, in document order.
    std::unordered_map<std::string, std::vector<std::string>> slotLabelsByCode_;
};

// What closing the dialog yields: the selection for the caller and, when the selection is not
// valid, the message the dialog shows first.
struct SelectionOutcome {
    FrameworkSelection selection;
    std::optional<std::string> message;
};

// A framework code as the work tables keep it (MARCOXML of DIASHORAST.DBF, CJORNADA of
// PERIODOS.DBF): without the blanks around it, cut to its first ten characters.
std::string TableCode(const std::string& code);

// For each entry, the first earlier entry that the work tables cannot tell apart from it (the
// same TableCode: equal codes, or codes that agree in their first ten characters); nothing for
// an entry that no earlier one shares its table code with.
std::vector<std::optional<std::size_t>> EarlierEntryAlike(const std::vector<std::string>& codes);

// Checks a selection of the framework list (`selected[i]` for entry i of `catalog`): none
// selected gives "Debe al menos seleccionar 1 Marco Horario.", more than two the two-line
// message, two that the work tables cannot tell apart a message naming both (their rows would
// mix in DIASHORAST.DBF and PERIODOS.DBF). resultado holds every selected code, in list order,
// padded or cut to 10 characters, and `chosen` every selected entry, in every case.
SelectionOutcome CloseFrameworkSelection(const FrameworkCatalog& catalog,
                                         const std::vector<bool>& selected);

}  // namespace velmaro

#pragma once
// The rules of the framework selection dialog, without the window: the framework list, the
// details of the current framework, and the check of a selection when the dialog closes.
// The Qt dialog and the terminal front-end both use it.

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

// The frameworks and slots of one exchange document, texts exactly as the document gives them.
class FrameworkCatalog {
public:
    // Reads `exchangeDocument` afresh. Throws Error naming the file when it cannot be read, or
    // when it no longer holds the two or more frameworks a choice needs (no valid choice could
    // be made from it, and the dialog would be asked for again and again).
    static FrameworkCatalog Load(const std::filesystem::path& exchangeDocument);
    explicit FrameworkCatalog(const ExchangeDocument& document);

    // The framework list: field 0 of every JORNADAS_ESCOLARES record, in document order,
    // when there is more than one record; empty otherwise.
    const std::vector<std::string>& Codes() const { return codes_; }
    // Details of the framework whose code is `code` (the last matching record's texts).
    FrameworkDetails Details(const std::string& code) const;

private:
    struct Framework {
        std::string name, startDate, endDate;
    };
    std::vector<std::string> codes_;
    // The last JORNADAS_ESCOLARES record of each code (filled when there is more than one record).
    std::unordered_map<std::string, Framework> frameworkByCode_;
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

// Checks a selection of the framework list (`selected[i]` for `codes[i]`): none selected gives
// "Debe al menos seleccionar 1 Marco Horario.", more than two the two-line message; resultado
// holds every selected code, in list order, padded or cut to 10 characters, in every case.
SelectionOutcome CloseFrameworkSelection(const std::vector<std::string>& codes,
                                         const std::vector<bool>& selected);

}  // namespace velmaro

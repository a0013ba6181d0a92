#pragma once
// The seam between the jobs and whoever faces the user: the Qt window, the terminal, or a test.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmaro {

// What the framework selection dialog leaves for its caller when it closes.
struct FrameworkSelection {
    bool resultMH = false;  // true when one or two frameworks were selected
    std::string resultado;  // the selected codes in list order, each padded or cut to 10 chars
    // The selected entries of the framework list, counted from 0 in list order: the list holds
    // the JORNADAS_ESCOLARES records in document order, so this names each chosen record even
    // where resultado cannot (codes that agree in their first ten characters).
    std::vector<std::size_t> chosen{};
};

class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    // The file-open dialog ("Seleccione Archivo XML obtenido de RACIMA", filter *.xml): the
    // chosen path, or nothing when the user cancels.
    virtual std::optional<std::filesystem::path> PickExchangeDocument() = 0;
    // A plain message box (no icon, one OK button); returns when the user dismisses it.
    virtual void ShowMessage(const std::string& text) = 0;
    // The platform's error box, for an Error that ended a job.
    virtual void ShowError(const std::string& text) = 0;
    // The application-wide wait cursor on (true) or back to normal (false).
    virtual void SetWaitCursor(bool waiting) = 0;
    // Shows the framework selection dialog once for `exchangeDocument` (the dialog reads the
    // document itself and shows its own validation messages) and returns what it left.
    // Throws Error when the document cannot be read, so that the caller does not ask forever.
    virtual FrameworkSelection ChooseFrameworks(const std::filesystem::path& exchangeDocument) = 0;
};

// Shows the wait cursor for the lifetime of the object, on every path out.
class WaitCursor {
public:
    explicit WaitCursor(UserInteraction& ui) : ui_(ui) { ui_.SetWaitCursor(true); }
    ~WaitCursor() { ui_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    UserInteraction& ui_;
};

}  // namespace velmaro

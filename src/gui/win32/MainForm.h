#pragma once
// The main window TMForm as a native Win32 window: the two jobs side by side, help, and the run
// modes of the program. It holds no conversion logic: the jobs run in the core and talk to the
// user through this window, which implements the user-interaction seam with Windows' dialogs.

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/UserInteraction.h"
#include "gui/win32/ClassicFonts.h"
#include "jobs/Session.h"

namespace velmaro {

class HtmlHelp;

class TMForm : public UserInteraction {
public:
    // FormCreate: the session for `arguments` (the command line without the program name) and
    // the window, centred on the screen and not yet shown.
    TMForm(std::vector<std::string> arguments, PlatformPaths paths, HtmlHelp& help);
    ~TMForm() override;
    TMForm(const TMForm&) = delete;
    TMForm& operator=(const TMForm&) = delete;

    // Shows the window; a batch job starts once it is on screen (FormShow).
    void Show(int showCommand);
    HWND Window() const { return window_; }

    std::optional<std::filesystem::path> PickExchangeDocument() override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void SetWaitCursor(bool waiting) override;
    FrameworkSelection ChooseFrameworks(const std::filesystem::path& exchangeDocument) override;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void BuildLayout();
    void OnCommand(int control);
    void BExportarClick();
    void BImportarClick();
    // "F1 Ayuda": switches to RACIMA.chm and shows its contents page.
    void Button1Click();
    void FormShow();
    // FormClose: in batch mode the result code goes to Tavolin.ini; then the window goes.
    void FormClose();
    // Runs one job (or the batch start), then shows its effect on the buttons and the window.
    template <typename Job>
    void RunJob(Job job);

    std::vector<std::string> arguments_;
    Session session_;
    HtmlHelp& help_;
    bool waiting_ = false;
    HWND window_ = nullptr;

    ClassicFont windowFont_{FontFace::MsSansSerif, 11};
    ClassicFont jobLabelFont_{FontFace::Arial, 16, {.bold = true}};
    ClassicFont versionFont_{FontFace::MsSansSerif, 11, {.bold = true}};

    HWND Draw3D1 = nullptr;
    HWND Draw3D2 = nullptr;
    HWND Draw3D3 = nullptr;
    HWND BExportar = nullptr;
    HWND BImportar = nullptr;
    HWND BClose = nullptr;
    HWND Button1 = nullptr;
};

}  // namespace velmaro

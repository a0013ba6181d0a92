#pragma once
// The framework selection dialog TPlantillas as a native Win32 window: the frameworks of the
// exchange document, the details of the one clicked last, and one or two chosen with the mouse
// (Ctrl and click).

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "base/UserInteraction.h"
#include "gui/win32/ClassicFonts.h"
#include "inbound/FrameworkChoice.h"

namespace velmaro {

class HtmlHelp;

class TPlantillas {
public:
    // The dialog for the exchange document `filenameXML`, which it reads itself at every
    // activation, owned by `owner`.
    TPlantillas(std::filesystem::path filenameXML, HtmlHelp& help, HWND owner);
    ~TPlantillas();
    TPlantillas(const TPlantillas&) = delete;
    TPlantillas& operator=(const TPlantillas&) = delete;

    // Shows the dialog with its owner disabled and returns once it has closed.
    void ShowModal();

    // resultMH and resultado as the dialog left them when it closed.
    const FrameworkSelection& Selection() const { return selection_; }
    // Why the document could not be read at an activation; the dialog then closed without
    // checking the selection, and the caller must end the job instead of asking again.
    const std::optional<std::string>& LoadFailure() const { return loadFailure_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void BuildLayout();
    // Reloads the document and rebuilds the lists: nothing selected, first framework shown.
    void FormActivate();
    // Shows the details of the framework named by the hidden combo box.
    void ComboBoxPlantillaChange();
    // Shows the details of the framework list's current (focused) item.
    void ListBox2Click();
    // Every way of closing (Continuar, Enter, Escape, the close box) passes here: FormClose,
    // then the window goes.
    void Close();
    void FormClose();

    std::filesystem::path filenameXML_;
    HtmlHelp& help_;
    HWND owner_;
    HWND window_ = nullptr;
    std::optional<FrameworkCatalog> catalog_;
    FrameworkSelection selection_;
    std::optional<std::string> loadFailure_;
    bool closing_ = false;
    bool closed_ = false;

    ClassicFont dialogFont_{FontFace::MsSansSerif, 11};
    ClassicFont boldDialogFont_{FontFace::MsSansSerif, 11, {.bold = true}};
    ClassicFont headingFont_{FontFace::Arial, 13, {.bold = true}};
    ClassicFont hintFont_{FontFace::Arial, 13, {.bold = true, .italic = true}};
    ClassicFont detailFont_{FontFace::Arial, 16, {.bold = true}};
    ClassicFont nameFont_{FontFace::Arial, 16, {.bold = true, .underline = true}};

    HWND Draw3D4 = nullptr;
    int LabelNombre = 0;
    int LabelPlanFec1 = 0;
    int LabelPlanFec2 = 0;
    HWND ListBox2 = nullptr;
    HWND ListBox1 = nullptr;
    HWND ComboBoxPlantilla = nullptr;
    HWND BitBtnContinuar = nullptr;
};

}  // namespace velmaro

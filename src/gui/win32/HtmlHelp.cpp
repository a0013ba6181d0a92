#include "gui/win32/HtmlHelp.h"

#include "base/QuotedPath.h"
#include "gui/win32/MessageBoxes.h"

namespace velmaro {
namespace {

// The HTML Help commands used here (htmlhelp.h is not part of MinGW's import libraries).
constexpr UINT kDisplayToc = 0x0001;
constexpr UINT kHelpContext = 0x000F;
constexpr UINT kCloseAll = 0x0012;

}  // namespace

HtmlHelp::HtmlHelp(std::filesystem::path folder, std::wstring fileName)
    : folder_(std::move(folder)), fileName_(std::move(fileName)) {}

HtmlHelp::~HtmlHelp() {
    if (htmlHelp_ != nullptr) htmlHelp_(nullptr, nullptr, kCloseAll, 0);
    if (library_ != nullptr) FreeLibrary(library_);
}

void HtmlHelp::ShowTopic(HWND owner, DWORD context) { Show(owner, kHelpContext, context); }

void HtmlHelp::ShowContents(HWND owner) { Show(owner, kDisplayToc, 0); }

HtmlHelp::HtmlHelpFunction HtmlHelp::LoadViewer() {
    if (htmlHelp_ != nullptr) return htmlHelp_;
    if (library_ == nullptr) library_ = LoadLibraryW(L"hhctrl.ocx");
    if (library_ == nullptr) return nullptr;
    htmlHelp_ = reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(library_, "HtmlHelpW")));
    return htmlHelp_;
}

void HtmlHelp::Show(HWND owner, UINT command, DWORD_PTR data) {
    const std::filesystem::path file = folder_ / fileName_;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        ShowPlainMessage(owner, "No se encuentra el archivo de ayuda " + Quoted(file) +
                                    ". Reinstale VELMARO.");
        return;
    }
    const HtmlHelpFunction htmlHelp = LoadViewer();
    if (htmlHelp == nullptr || htmlHelp(owner, file.c_str(), command, data) == nullptr) {
        ShowPlainMessage(owner, "No se puede mostrar la ayuda " + Quoted(file) +
                                    ": el visor de ayuda HTML de Windows (hhctrl.ocx) no está "
                                    "disponible o no puede abrir el archivo.");
    }
}

}  // namespace velmaro

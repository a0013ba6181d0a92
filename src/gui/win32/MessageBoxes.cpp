#include "gui/win32/MessageBoxes.h"

#include "gui/win32/WideText.h"

namespace velmaro {
namespace {

void ShowMessageBox(HWND owner, const std::string& text, UINT icon) {
    MessageBoxW(owner, Widen(text).c_str(), L"Velmaro", MB_OK | icon);
}

}  // namespace

void ShowPlainMessage(HWND owner, const std::string& text) { ShowMessageBox(owner, text, 0); }

void ShowErrorMessage(HWND owner, const std::string& text) {
    ShowMessageBox(owner, text, MB_ICONERROR);
}

}  // namespace velmaro

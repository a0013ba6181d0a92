#pragma once
// The program's message boxes: caption "Velmaro", one OK button, owned by `owner`.

#include <windows.h>

#include <string>

namespace velmaro {

// A plain message box, without an icon.
void ShowPlainMessage(HWND owner, const std::string& text);
// The error box for a failure that ended a job: the same box with the error icon.
void ShowErrorMessage(HWND owner, const std::string& text);

}  // namespace velmaro

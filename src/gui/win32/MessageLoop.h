#pragma once
// The message loop of the program's windows: keyboard navigation as in dialogs (Tab, Enter,
// Escape) and F1 for help, which goes to the active top-level window as kShowHelpMessage.

#include <windows.h>

namespace velmaro {

// Sent to the top-level window under the keyboard focus when the user presses F1.
constexpr UINT kShowHelpMessage = WM_APP + 1;

// Dispatches messages until `finished` is true (checked after each message) or the
// application quits; a WM_QUIT met on the way is posted again for the outer loop.
void RunMessageLoop(const bool& finished);

}  // namespace velmaro

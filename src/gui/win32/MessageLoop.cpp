#include "gui/win32/MessageLoop.h"

namespace velmaro {
namespace {

bool IsF1(const MSG& message) {
    return message.message == WM_KEYDOWN && message.wParam == VK_F1;
}

}  // namespace

void RunMessageLoop(const bool& finished) {
    MSG message;
    while (!finished) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (got < 0) return;
        HWND topLevel = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (topLevel != nullptr && IsF1(message)) {
            SendMessageW(topLevel, kShowHelpMessage, 0, 0);
            continue;
        }
        if (topLevel != nullptr && IsDialogMessageW(topLevel, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace velmaro

#pragma once
// A panel painted with a vertical three-colour gradient (GradientFill), which draws its labels
// itself so that they are transparent over the gradient. Commands of the controls placed on it
// go on to the panel's parent window.

#include <windows.h>

#include <string>

namespace velmaro {

struct GradientColors {
    COLORREF start;   // top edge
    COLORREF middle;  // half-way down
    COLORREF end;     // bottom edge
};

struct PanelLabel {
    RECT bounds;          // left, top, right, bottom in the panel
    std::wstring text;
    HFONT font;           // owned by the caller, alive as long as the panel
    COLORREF color;
    bool wordWrap = false;
};

// Creates the panel at `left`, `top` with the given size inside `parent`; its help context is
// `helpContext`.
HWND CreateGradientPanel(HWND parent, int left, int top, int width, int height,
                         GradientColors colors, DWORD helpContext);

// Adds a label to `panel` and returns its number for SetPanelLabelText.
int AddPanelLabel(HWND panel, PanelLabel label);
// Changes the text of label `number` of `panel` and repaints it.
void SetPanelLabelText(HWND panel, int number, std::wstring text);

}  // namespace velmaro

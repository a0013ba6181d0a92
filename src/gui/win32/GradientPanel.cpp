#include "gui/win32/GradientPanel.h"

#include <vector>

namespace velmaro {
namespace {

const wchar_t* const kPanelClass = L"VelmaroGradientPanel";

struct PanelState {
    GradientColors colors;
    std::vector<PanelLabel> labels;
};

PanelState* StateOf(HWND panel) {
    return reinterpret_cast<PanelState*>(GetWindowLongPtrW(panel, GWLP_USERDATA));
}

TRIVERTEX Vertex(LONG x, LONG y, COLORREF color) {
    TRIVERTEX vertex{};
    vertex.x = x;
    vertex.y = y;
    vertex.Red = static_cast<COLOR16>(GetRValue(color) << 8);
    vertex.Green = static_cast<COLOR16>(GetGValue(color) << 8);
    vertex.Blue = static_cast<COLOR16>(GetBValue(color) << 8);
    return vertex;
}

// The top half goes from the start colour to the middle one, the bottom half on to the end.
void PaintGradient(HDC dc, const RECT& area, const GradientColors& colors) {
    const LONG middle = area.top + (area.bottom - area.top) / 2;
    TRIVERTEX vertices[] = {Vertex(area.left, area.top, colors.start),
                            Vertex(area.right, middle, colors.middle),
                            Vertex(area.left, middle, colors.middle),
                            Vertex(area.right, area.bottom, colors.end)};
    GRADIENT_RECT halves[] = {{0, 1}, {2, 3}};
    GradientFill(dc, vertices, 4, halves, 2, GRADIENT_FILL_RECT_V);
}

void PaintLabels(HDC dc, const std::vector<PanelLabel>& labels) {
    SetBkMode(dc, TRANSPARENT);
    for (const PanelLabel& label : labels) {
        HGDIOBJ previous = SelectObject(dc, label.font);
        SetTextColor(dc, label.color);
        RECT bounds = label.bounds;
        DrawTextW(dc, label.text.c_str(), static_cast<int>(label.text.size()), &bounds,
                  DT_LEFT | DT_TOP | DT_NOPREFIX | (label.wordWrap ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, previous);
    }
}

void Paint(HWND panel, const PanelState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(panel, &paint);
    RECT area;
    GetClientRect(panel, &area);
    PaintGradient(dc, area, state.colors);
    PaintLabels(dc, state.labels);
    EndPaint(panel, &paint);
}

LRESULT CALLBACK PanelProcedure(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(panel, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_NCDESTROY:
            delete StateOf(panel);
            SetWindowLongPtrW(panel, GWLP_USERDATA, 0);
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint(panel, *StateOf(panel));
            return 0;
        case WM_COMMAND:
            return SendMessageW(GetParent(panel), message, wParam, lParam);
        default:
            break;
    }
    return DefWindowProcW(panel, message, wParam, lParam);
}

void RegisterPanelClass() {
    static const bool registered = [] {
        WNDCLASSEXW panelClass{};
        panelClass.cbSize = sizeof panelClass;
        panelClass.lpfnWndProc = PanelProcedure;
        panelClass.hInstance = GetModuleHandleW(nullptr);
        panelClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        panelClass.lpszClassName = kPanelClass;
        return RegisterClassExW(&panelClass) != 0;
    }();
    (void)registered;
}

}  // namespace

HWND CreateGradientPanel(HWND parent, int left, int top, int width, int height,
                         GradientColors colors, DWORD helpContext) {
    RegisterPanelClass();
    // WS_EX_CONTROLPARENT lets Tab move through the panel's controls as if they were the window's.
    HWND panel = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, left, top, width, height,
                                 parent, nullptr, GetModuleHandleW(nullptr),
                                 new PanelState{colors, {}});
    SetWindowContextHelpId(panel, helpContext);
    return panel;
}

int AddPanelLabel(HWND panel, PanelLabel label) {
    PanelState& state = *StateOf(panel);
    InvalidateRect(panel, &label.bounds, FALSE);
    state.labels.push_back(std::move(label));
    return static_cast<int>(state.labels.size()) - 1;
}

void SetPanelLabelText(HWND panel, int number, std::wstring text) {
    PanelLabel& label = StateOf(panel)->labels.at(static_cast<size_t>(number));
    label.text = std::move(text);
    // The whole label area is repainted from the gradient up, so no old text stays behind.
    InvalidateRect(panel, &label.bounds, FALSE);
}

}  // namespace velmaro

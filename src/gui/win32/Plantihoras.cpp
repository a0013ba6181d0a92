// The framework selection dialog over the framework-choice rules of the core.

#include "gui/win32/Plantihoras.h"

#include <vector>

#include "base/Error.h"
#include "gui/win32/GradientPanel.h"
#include "gui/win32/HtmlHelp.h"
#include "gui/win32/MessageBoxes.h"
#include "gui/win32/MessageLoop.h"
#include "gui/win32/WideText.h"

namespace velmaro {
namespace {

const wchar_t* const kWindowClass = L"VelmaroTPlantillas";
constexpr int kClientWidth = 370;
constexpr int kClientHeight = 282;
constexpr int kItemHeight = 13;
constexpr DWORD kHelpContext = 3;
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
const COLORREF kMaroon = RGB(0x80, 0x00, 0x00);
const COLORREF kSkyBlue = RGB(0xA6, 0xCA, 0xF0);

// Continuar has the id that Enter sends, so that Enter presses it.
enum Control { kBitBtnContinuar = IDOK, kComboBoxPlantilla = 201, kListBox1, kListBox2 };

HWND CreateControl(HWND parent, const wchar_t* windowClass, DWORD exStyle, DWORD style, int id,
                   RECT place, HFONT font) {
    HWND control = CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | style, place.left, place.top,
                                   place.right, place.bottom, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

HWND CreateList(HWND parent, int id, DWORD selectionStyle, RECT place, HFONT font) {
    HWND list = CreateControl(parent, L"LISTBOX", WS_EX_CLIENTEDGE,
                              WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                                  LBS_NOINTEGRALHEIGHT | selectionStyle,
                              id, place, font);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, kItemHeight);
    return list;
}

void AddItem(HWND control, UINT message, const std::string& text) {
    const std::wstring wide = Widen(text);
    SendMessageW(control, message, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string WindowText(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(),
                                                   static_cast<int>(text.size()))));
    return Narrow(text);
}

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

RECT CentredFrame() {
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    RECT workArea;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    return {workArea.left + (workArea.right - workArea.left - width) / 2,
            workArea.top + (workArea.bottom - workArea.top - height) / 2, width, height};
}

}  // namespace

TPlantillas::TPlantillas(std::filesystem::path filenameXML, HtmlHelp& help, HWND owner)
    : filenameXML_(std::move(filenameXML)), help_(help), owner_(owner) {
    RegisterWindowClass();
    const RECT frame = CentredFrame();
    window_ = CreateWindowExW(kWindowExStyle, kWindowClass, L"Planillas, Marcos o Jornadas Horarias",
                              kWindowStyle, frame.left, frame.top, frame.right, frame.bottom,
                              owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) throw Error("No se puede crear la ventana de selección de marcos horarios.");
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TPlantillas::Procedure));
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont_.Handle()), FALSE);
    BuildLayout();
}

TPlantillas::~TPlantillas() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TPlantillas::BuildLayout() {
    Draw3D4 = CreateGradientPanel(window_, 0, 0, 369, 281,
                                  {kSkyBlue, RGB(0xFF, 0xFF, 0xFF), GetSysColor(COLOR_INACTIVECAPTION)},
                                  kHelpContext);
    AddPanelLabel(Draw3D4, {{16, 2, 16 + 321, 2 + 33},
                            L"Seleccione 1, o los 2 Marcos Horarios que quiere aplicar a su "
                            L"Horario en Tavolin.",
                            headingFont_.Handle(), GetSysColor(COLOR_WINDOWTEXT), true});
    AddPanelLabel(Draw3D4, {{16, 36, 16 + 321, 36 + 50},
                            L"Para seleccionar mas de un Marco Horario, mantenga (Ctrl) pulsado y "
                            L"seleccione cada marco con 1 click del bot\u00f3n izquierdo del "
                            L"rat\u00f3n.",
                            hintFont_.Handle(), RGB(0xFF, 0, 0), true});
    AddPanelLabel(Draw3D4, {{40, 86, 40 + 74, 86 + 16}, L"MARCOS", detailFont_.Handle(), kMaroon});
    AddPanelLabel(Draw3D4, {{215, 86, 215 + 67, 86 + 18}, L"HORAS", detailFont_.Handle(), kMaroon});
    LabelNombre = AddPanelLabel(
        Draw3D4, {{9, 151, 9 + 120, 151 + 41}, L"-", nameFont_.Handle(), kMaroon, true});
    LabelPlanFec1 =
        AddPanelLabel(Draw3D4, {{9, 196, 9 + 120, 196 + 23}, L"-", detailFont_.Handle(), kMaroon});
    LabelPlanFec2 =
        AddPanelLabel(Draw3D4, {{9, 226, 9 + 120, 226 + 23}, L"-", detailFont_.Handle(), kMaroon});

    // Created in tab order: Continuar, the hidden combo box, the slot list, the framework list.
    BitBtnContinuar = CreateControl(Draw3D4, L"BUTTON", 0, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                    kBitBtnContinuar, {255, 253, 89, 25}, boldDialogFont_.Handle());
    SetWindowTextW(BitBtnContinuar, L"Continuar");
    SetWindowContextHelpId(BitBtnContinuar, kHelpContext);
    ComboBoxPlantilla = CreateControl(Draw3D4, L"COMBOBOX", 0, WS_TABSTOP | CBS_DROPDOWNLIST,
                                      kComboBoxPlantilla, {150, 254, 81, 21},
                                      boldDialogFont_.Handle());
    ListBox1 = CreateList(Draw3D4, kListBox1, 0, {152, 103, 193, 146}, dialogFont_.Handle());
    ListBox2 = CreateList(Draw3D4, kListBox2, LBS_EXTENDEDSEL, {16, 103, 127, 45},
                          dialogFont_.Handle());
}

void TPlantillas::ShowModal() {
    EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetFocus(BitBtnContinuar);
    RunMessageLoop(closed_);
    EnableWindow(owner_, TRUE);
    SetActiveWindow(owner_);
}

LRESULT CALLBACK TPlantillas::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<TPlantillas*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (dialog == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return dialog->Handle(window, message, wParam, lParam);
}

LRESULT TPlantillas::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !closing_ && !loadFailure_) FormActivate();
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == kListBox2 && HIWORD(wParam) == LBN_SELCHANGE) ListBox2Click();
            if (LOWORD(wParam) == kComboBoxPlantilla && HIWORD(wParam) == CBN_SELCHANGE) {
                ComboBoxPlantillaChange();
            }
            if (LOWORD(wParam) == kBitBtnContinuar || LOWORD(wParam) == IDCANCEL) Close();
            return 0;
        case kShowHelpMessage:
            help_.ShowTopic(window_, kHelpContext);
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void TPlantillas::FormActivate() {
    try {
        catalog_ = FrameworkCatalog::Load(filenameXML_);
    } catch (const Error& failure) {
        // The lists could never offer a valid choice: close and let the caller end the job.
        catalog_.reset();
        loadFailure_ = failure.what();
        PostMessageW(window_, WM_CLOSE, 0, 0);
        return;
    }
    const auto& codes = catalog_->Codes();
    if (!codes.empty()) {
        SendMessageW(ComboBoxPlantilla, CB_RESETCONTENT, 0, 0);
        SendMessageW(ListBox2, LB_RESETCONTENT, 0, 0);
        for (const std::string& code : codes) {
            AddItem(ComboBoxPlantilla, CB_ADDSTRING, code);
            AddItem(ListBox2, LB_ADDSTRING, code);
        }
    }
    SendMessageW(ListBox2, LB_SETSEL, FALSE, -1);
    SendMessageW(ComboBoxPlantilla, CB_SETCURSEL, 0, 0);
    ComboBoxPlantillaChange();
}

void TPlantillas::ComboBoxPlantillaChange() {
    const FrameworkDetails details =
        catalog_ ? catalog_->Details(WindowText(ComboBoxPlantilla)) : FrameworkDetails{};
    SetPanelLabelText(Draw3D4, LabelNombre, Widen(details.name));
    SetPanelLabelText(Draw3D4, LabelPlanFec1, Widen(details.startDate));
    SetPanelLabelText(Draw3D4, LabelPlanFec2, Widen(details.endDate));
    if (details.slotLabels) {
        SendMessageW(ListBox1, LB_RESETCONTENT, 0, 0);
        for (const std::string& label : *details.slotLabels) AddItem(ListBox1, LB_ADDSTRING, label);
    }
}

void TPlantillas::ListBox2Click() {
    const LRESULT current = SendMessageW(ListBox2, LB_GETCARETINDEX, 0, 0);
    SendMessageW(ComboBoxPlantilla, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
    ComboBoxPlantillaChange();
}

void TPlantillas::Close() {
    if (closing_) return;
    closing_ = true;
    if (!loadFailure_) FormClose();
    EnableWindow(owner_, TRUE);
    ShowWindow(window_, SW_HIDE);
    closed_ = true;
}

void TPlantillas::FormClose() {
    const int count = static_cast<int>(SendMessageW(ListBox2, LB_GETCOUNT, 0, 0));
    std::vector<bool> selected;
    for (int row = 0; row < count; ++row) {
        selected.push_back(SendMessageW(ListBox2, LB_GETSEL, static_cast<WPARAM>(row), 0) > 0);
    }
    // The list holds the catalog's entries, row for row.
    SelectionOutcome outcome =
        CloseFrameworkSelection(catalog_ ? *catalog_ : FrameworkCatalog(), selected);
    selection_ = outcome.selection;
    if (outcome.message) ShowPlainMessage(window_, *outcome.message);
}

}  // namespace velmaro

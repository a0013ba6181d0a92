// The main window: layout, run modes and the user-interaction seam over Windows' dialogs.

#include "gui/win32/MainForm.h"

#include <exception>

#include "base/Error.h"
#include "gui/win32/GradientPanel.h"
#include "gui/win32/HtmlHelp.h"
#include "gui/win32/MessageBoxes.h"
#include "gui/win32/MessageLoop.h"
#include "gui/win32/OpenDialog.h"
#include "gui/win32/Plantihoras.h"
#include "gui/win32/WideText.h"
#include "jobs/InboundJob.h"
#include "jobs/OutboundJob.h"
#include "jobs/RunModes.h"

namespace velmaro {
namespace {

const wchar_t* const kWindowClass = L"VelmaroTMForm";
constexpr int kClientWidth = 632;
constexpr int kClientHeight = 266;
// The help context of the window, its panels and its buttons.
constexpr DWORD kHelpContext = 3;
// Posted by the first show, so that a batch job starts once the window is on screen.
constexpr UINT kFormShowMessage = WM_APP + 2;
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

enum Control { kBExportar = 101, kBImportar, kBClose, kButton1 };

const GradientColors kJobPanelColors{RGB(0xF9, 0xD3, 0x7D), RGB(0xFF, 0xFF, 0xFF),
                                     RGB(0xFF, 0xEE, 0xDD)};
const GradientColors kBottomStripColors{RGB(0xC2, 0xCD, 0xFE), RGB(0xCF, 0xF2, 0xFE),
                                        RGB(0xCC, 0xD8, 0xE6)};

HWND CreateButton(HWND parent, int id, const wchar_t* text, RECT place, HFONT font) {
    HWND button = CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                                  BS_PUSHBUTTON, place.left, place.top, place.right, place.bottom,
                                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowContextHelpId(button, kHelpContext);
    return button;
}

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

// The outer size of a window whose client area is `width` x `height`, centred on the work area.
RECT CentredFrame(int width, int height, DWORD style, DWORD exStyle) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    RECT workArea;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    const int left = workArea.left + (workArea.right - workArea.left - outerWidth) / 2;
    const int top = workArea.top + (workArea.bottom - workArea.top - outerHeight) / 2;
    return {left, top, outerWidth, outerHeight};
}

}  // namespace

TMForm::TMForm(std::vector<std::string> arguments, PlatformPaths paths, HtmlHelp& help)
    : arguments_(std::move(arguments)),
      session_(CreateSession(arguments_, std::move(paths))),
      help_(help) {
    RegisterWindowClass();
    const RECT frame = CentredFrame(kClientWidth, kClientHeight, kWindowStyle, kWindowExStyle);
    window_ = CreateWindowExW(kWindowExStyle, kWindowClass,
                              L"Exportar e importar datos entre Tavolin y Racima", kWindowStyle,
                              frame.left, frame.top, frame.right, frame.bottom, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) throw Error("No se puede crear la ventana principal de Velmaro.");
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TMForm::Procedure));
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Handle()), FALSE);
    SetWindowContextHelpId(window_, kHelpContext);
    BuildLayout();
}

TMForm::~TMForm() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TMForm::BuildLayout() {
    Draw3D2 = CreateGradientPanel(window_, 0, 0, 315, 169, kJobPanelColors, kHelpContext);
    AddPanelLabel(Draw3D2, {{24, 24, 24 + 265, 24 + 57},
                            L"Transformar datos desde Racima hacia Tavolin ",
                            jobLabelFont_.Handle(), RGB(0, 0, 0), true});
    BExportar = CreateButton(Draw3D2, kBExportar, L"OK", {96, 120, 89, 25}, windowFont_.Handle());

    Draw3D3 = CreateGradientPanel(window_, 316, 0, 317, 169, kJobPanelColors, kHelpContext);
    AddPanelLabel(Draw3D3, {{8, 24, 8 + 305, 24 + 57},
                            L"Transformar datos desde Tavolin hacia Racima",
                            jobLabelFont_.Handle(), RGB(0, 0, 0), true});
    BImportar = CreateButton(Draw3D3, kBImportar, L"OK", {96, 120, 89, 25}, windowFont_.Handle());

    Draw3D1 = CreateGradientPanel(window_, 0, 168, 633, 97, kBottomStripColors, kHelpContext);
    AddPanelLabel(Draw3D1, {{8, 72, 8 + 226, 72 + 13}, L"Velmaro para QV30 V-1.0",
                            versionFont_.Handle(), RGB(0xFF, 0, 0), false});
    BClose = CreateButton(Draw3D1, kBClose, L"&Salir", {256, 32, 89, 25}, windowFont_.Handle());
    Button1 = CreateButton(Draw3D1, kButton1, L"F1 Ayuda", {263, 64, 75, 25},
                           windowFont_.Handle());
}

void TMForm::Show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    SetFocus(BExportar);
    PostMessageW(window_, kFormShowMessage, 0, 0);
}

LRESULT CALLBACK TMForm::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<TMForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return form->Handle(window, message, wParam, lParam);
}

LRESULT TMForm::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case kFormShowMessage:
            FormShow();
            return 0;
        case kShowHelpMessage:
            help_.ShowTopic(window_, kHelpContext);
            return 0;
        case WM_SETCURSOR:
            if (waiting_) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_CLOSE:
            FormClose();
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void TMForm::OnCommand(int control) {
    switch (control) {
        case kBExportar:
            BExportarClick();
            break;
        case kBImportar:
            BImportarClick();
            break;
        case kBClose:
            SendMessageW(window_, WM_CLOSE, 0, 0);
            break;
        case kButton1:
            Button1Click();
            break;
        default:
            break;
    }
}

void TMForm::BExportarClick() {
    RunJob([this] { RunInboundJob(session_, *this); });
}

void TMForm::BImportarClick() {
    RunJob([this] { RunOutboundJob(session_, *this); });
}

void TMForm::Button1Click() {
    help_.SetFile(L"RACIMA.chm");
    help_.ShowContents(window_);
}

void TMForm::FormShow() {
    RunJob([this] { ShowSession(session_, arguments_, *this); });
}

template <typename Job>
void TMForm::RunJob(Job job) {
    try {
        job();
    } catch (const std::exception& failure) {
        // The jobs report their own errors; this catches what escaped them (a library failure),
        // so that the window stays usable as after any other failed job.
        SetWaitCursor(false);
        ShowError(failure.what());
    }
    EnableWindow(BExportar, session_.jobButtonsEnabled);
    EnableWindow(BImportar, session_.jobButtonsEnabled);
    if (session_.closeRequested) SendMessageW(window_, WM_CLOSE, 0, 0);
}

void TMForm::FormClose() {
    try {
        CloseSession(session_);
    } catch (const std::exception& failure) {
        // The window still closes: a batch run must end even when the result cannot be written.
        ShowError(failure.what());
    }
    DestroyWindow(window_);
}

std::optional<std::filesystem::path> TMForm::PickExchangeDocument() {
    return PickXmlFile(window_, session_.filenameXML);
}

void TMForm::ShowMessage(const std::string& text) { ShowPlainMessage(window_, text); }

void TMForm::ShowError(const std::string& text) { ShowErrorMessage(window_, text); }

void TMForm::SetWaitCursor(bool waiting) {
    if (waiting == waiting_) return;
    waiting_ = waiting;
    SetCursor(LoadCursorW(nullptr, waiting ? IDC_WAIT : IDC_ARROW));
}

FrameworkSelection TMForm::ChooseFrameworks(const std::filesystem::path& exchangeDocument) {
    TPlantillas dialog(exchangeDocument, help_, window_);
    dialog.ShowModal();
    if (const auto& failure = dialog.LoadFailure()) throw Error(*failure);
    return dialog.Selection();
}

}  // namespace velmaro

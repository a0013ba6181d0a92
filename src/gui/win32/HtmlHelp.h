#pragma once
// The program's help through HTML Help: the current help file (RUVED.chm at start) in the
// program folder, shown at a help context or at its contents page. hhctrl.ocx is loaded when
// help is first asked for, so the program starts without it.

#include <windows.h>

#include <filesystem>
#include <string>

namespace velmaro {

class HtmlHelp {
public:
    HtmlHelp(std::filesystem::path folder, std::wstring fileName);
    ~HtmlHelp();
    HtmlHelp(const HtmlHelp&) = delete;
    HtmlHelp& operator=(const HtmlHelp&) = delete;

    // Makes `fileName` (a bare file name in the help folder) the current help file.
    void SetFile(std::wstring fileName) { fileName_ = std::move(fileName); }

    // Shows the page of help context `context` of the current file, over `owner`.
    void ShowTopic(HWND owner, DWORD context);
    // Shows the contents page of the current file.
    void ShowContents(HWND owner);

private:
    using HtmlHelpFunction = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);

    void Show(HWND owner, UINT command, DWORD_PTR data);
    HtmlHelpFunction LoadViewer();

    std::filesystem::path folder_;
    std::wstring fileName_;
    HMODULE library_ = nullptr;
    HtmlHelpFunction htmlHelp_ = nullptr;
};

}  // namespace velmaro

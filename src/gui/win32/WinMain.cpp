// velmaro.exe: the desktop program on Windows. Two command-line arguments start a batch run
// for Tavolin.

#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "base/MemoryReuse.h"
#include "base/PlatformPaths.h"
#include "gui/win32/HtmlHelp.h"
#include "gui/win32/MainForm.h"
#include "gui/win32/MessageBoxes.h"
#include "gui/win32/MessageLoop.h"
#include "gui/win32/WideText.h"

namespace {

// The command line without the program name, as UTF-8.
std::vector<std::string> Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(velmaro::Narrow(argv[i]));
    return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    velmaro::KeepFreedMemoryForReuse();
    try {
        const velmaro::PlatformPaths paths{velmaro::DefaultWorkDir(), velmaro::DefaultProgramDir()};
        velmaro::HtmlHelp help(paths.programDir, L"RUVED.chm");
        velmaro::TMForm form(Arguments(__argc, __wargv), paths, help);
        form.Show(showCommand);
        const bool never = false;
        velmaro::RunMessageLoop(never);
    } catch (const std::exception& failure) {
        velmaro::ShowErrorMessage(nullptr, failure.what());
        return 1;
    }
    return 0;
}

#include "base/ProcessConsole.h"

#include <windows.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>

namespace velmaro {

namespace {

struct LocalFreer {
    void operator()(LPWSTR* block) const { LocalFree(block); }
};

// `wide` (UTF-16) as UTF-8.
std::string Utf8Of(const wchar_t* wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return std::string();
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
    text.pop_back();  // the terminating zero
    return text;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    std::unique_ptr<LPWSTR, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!wide) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8Of(wide.get()[i]));
    return arguments;
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

bool StandardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

}  // namespace velmaro

#include "base/ProcessConsole.h"

#include <windows.h>
#include <fcntl.h>
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

// Standard output and error are also put in binary mode: in the C runtime's text mode every
// "\n" written becomes "\r\n", which would change what goes to a file or a pipe (a line end
// inside a value that dump prints as CSV would no longer be the table's). A console shows a
// bare "\n" as the end of a line all the same.
void UseUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool StandardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

}  // namespace velmaro

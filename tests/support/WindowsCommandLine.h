#pragma once
// Command lines for CreateProcessW, quoted as the C runtime of the started program splits them.

#include <windows.h>

#include <string>
#include <vector>

namespace velmaro::testing {

// The UTF-8 text `utf8` in UTF-16.
inline std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int size = static_cast<int>(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), units);
    return wide;
}

// The UTF-16 text `wide` in UTF-8.
inline std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

// `argument` quoted for CommandLineToArgvW's rules: backslashes count only before a quote.
inline std::wstring QuotedArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

// The command line that starts `program` with `arguments`.
inline std::wstring CommandLine(const std::wstring& program,
                                const std::vector<std::wstring>& arguments) {
    std::wstring line = QuotedArgument(program);
    for (const std::wstring& argument : arguments) line += L" " + QuotedArgument(argument);
    return line;
}

// Security attributes whose handles a started program inherits.
inline SECURITY_ATTRIBUTES InheritableHandles() {
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.bInheritHandle = TRUE;
    return attributes;
}

}  // namespace velmaro::testing

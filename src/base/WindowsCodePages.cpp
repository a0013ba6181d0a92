#include "base/WindowsCodePages.h"

#include <string>

namespace velmaro {

namespace {

struct NamedCodePage {
    std::string_view name;  // in capitals
    unsigned codePage;
};

// The names that XML documents use for encodings that Windows converts, with their aliases.
constexpr NamedCodePage kCodePages[] = {
    {"UTF-8", 65001},        {"UTF8", 65001},          {"UTF-16", 1200},
    {"UTF-16LE", 1200},      {"UTF-16BE", 1201},       {"US-ASCII", 20127},
    {"ASCII", 20127},        {"ISO-8859-1", 28591},    {"ISO_8859-1", 28591},
    {"LATIN1", 28591},       {"ISO-8859-2", 28592},    {"ISO-8859-3", 28593},
    {"ISO-8859-4", 28594},   {"ISO-8859-5", 28595},    {"ISO-8859-6", 28596},
    {"ISO-8859-7", 28597},   {"ISO-8859-8", 28598},    {"ISO-8859-9", 28599},
    {"ISO-8859-13", 28603},  {"ISO-8859-15", 28605},   {"ISO_8859-15", 28605},
    {"LATIN-9", 28605},      {"WINDOWS-1250", 1250},   {"WINDOWS-1251", 1251},
    {"WINDOWS-1252", 1252},  {"CP1252", 1252},         {"WINDOWS-1253", 1253},
    {"WINDOWS-1254", 1254},  {"WINDOWS-1255", 1255},   {"WINDOWS-1256", 1256},
    {"WINDOWS-1257", 1257},  {"WINDOWS-1258", 1258},   {"IBM850", 850},
    {"CP850", 850},          {"IBM437", 437},          {"CP437", 437},
};

std::string Capitals(std::string_view text) {
    std::string capitals(text);
    for (char& c : capitals) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return capitals;
}

}  // namespace

unsigned WindowsCodePage(std::string_view encoding) {
    const std::string name = Capitals(encoding);
    for (const NamedCodePage& known : kCodePages) {
        if (known.name == name) return known.codePage;
    }
    return 0;
}

}  // namespace velmaro

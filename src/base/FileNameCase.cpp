#include "base/FileNameCase.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace velmaro::files {

namespace {

namespace fs = std::filesystem;

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

std::vector<std::string> EntryNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

fs::path FindIgnoringCase(const fs::path& folder, std::string_view name) {
    const fs::path exact = folder / fs::path(std::string(name));
    std::error_code error;
    if (fs::symlink_status(exact, error).type() != fs::file_type::not_found && !error) {
        return exact;
    }
    for (const std::string& entry : EntryNames(folder)) {
        if (SameNameIgnoringCase(entry, name)) return folder / fs::path(entry);
    }
    return exact;
}

}  // namespace velmaro::files

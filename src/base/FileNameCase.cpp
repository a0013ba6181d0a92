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

fs::path FindIgnoringCase(const fs::path& folder, std::string_view name) {
    const fs::path exact = folder / fs::path(std::string(name));
    std::error_code error;
    if (fs::symlink_status(exact, error).type() != fs::file_type::not_found && !error) {
        return exact;
    }
    std::string found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (SameNameIgnoringCase(entry, name) && (found.empty() || entry < found)) found = entry;
    }
    return found.empty() ? exact : folder / fs::path(found);
}

}  // namespace velmaro::files

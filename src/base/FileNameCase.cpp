#include "base/FileNameCase.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "base/Utf8Path.h"

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
        names.push_back(Utf8FromPath(it->path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The exact name is looked for among the entries, not by asking for the path: a file system
// that ignores letter case (Windows's) finds a path in any spelling, and the entry's own name
// is what the caller must be given (a backup keeps a table under the name it had).
fs::path FindIgnoringCase(const fs::path& folder, std::string_view name) {
    const std::vector<std::string> entries = EntryNames(folder);
    if (std::find(entries.begin(), entries.end(), name) != entries.end()) {
        return folder / PathFromUtf8(name);
    }
    for (const std::string& entry : entries) {
        if (SameNameIgnoringCase(entry, name)) return folder / PathFromUtf8(entry);
    }
    return folder / PathFromUtf8(name);
}

}  // namespace velmaro::files

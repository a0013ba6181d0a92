#include "cli/ScratchWorkFolder.h"

#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "base/FileSystem.h"
#include "base/QuotedPath.h"

namespace velmaro::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kAttempts = 100;  // fresh names tried before giving up

// Removes `folder` and everything below it, deepest entries first.
void RemoveTree(const fs::path& folder) {
    std::error_code error;
    std::vector<fs::path> entries;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        entries.push_back(it->path());
    }
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (fs::is_directory(fs::symlink_status(*entry, error))) {
            files::RemoveFolder(*entry);
        } else {
            files::RemoveFile(*entry);
        }
    }
    files::RemoveFolder(folder);
}

}  // namespace

ScratchWorkFolder::ScratchWorkFolder() {
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) {
        throw Error("No se encuentra la carpeta temporal del sistema (TMPDIR): " + error.message() +
                    ".");
    }
    std::random_device seed;
    std::uniform_int_distribution<unsigned long> digits(0, 99999999);
    int made = EEXIST;
    for (int attempt = 0; attempt < kAttempts && made == EEXIST; ++attempt) {
        path_ = temporary / ("velmaro-comprobar-" + std::to_string(digits(seed)));
        made = files::MakeFolder(path_);
    }
    if (made != 0) {
        throw Error("No se puede crear una carpeta de prueba en la carpeta temporal " +
                    Quoted(temporary) + ": " + files::SystemReason(made) + ".");
    }
}

ScratchWorkFolder::~ScratchWorkFolder() { RemoveTree(path_); }

}  // namespace velmaro::cli

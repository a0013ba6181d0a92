#pragma once
// The temporary files that a replacement of a file leaves beside it, when it leaves any.

#include <filesystem>
#include <string>
#include <vector>

#include "base/FileSystem.h"

namespace velmaro::testing {

// The entries beside `target` named as the temporary files of its replacement
// (".NAME.XXXXXXXX.velmaro-nuevo").
inline std::vector<std::filesystem::path> TemporaryFilesBeside(
    const std::filesystem::path& target) {
    const std::string prefix = "." + target.filename().string() + ".";
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && name.ends_with(files::kReplacementSuffix)) {
            found.push_back(entry.path());
        }
    }
    return found;
}

}  // namespace velmaro::testing

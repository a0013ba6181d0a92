#pragma once
// The temporary files that a replacement of a file leaves beside it, when it leaves any.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"
#include "base/TemporaryFile.h"

namespace velmaro::testing {

// The entries beside `target` named as the temporary files of its replacement
// (".NAME.XXXXXXXX.velmaro-nuevo", NAME cut short for a long target name).
inline std::vector<std::filesystem::path> TemporaryFilesBeside(
    const std::filesystem::path& target) {
    const std::string fresh = files::FreshTemporaryPath(target).filename().string();
    const std::string prefix =
        fresh.substr(0, fresh.size() - files::kFreshNamePartLength -
                            std::string_view(files::kReplacementSuffix).size());
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

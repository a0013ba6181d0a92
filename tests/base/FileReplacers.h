#pragma once
// The two ways the file layer replaces a file, for tests that hold both to the same rules.

#include <filesystem>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "base/FileSystem.h"

namespace velmaro::testing {

using Replacer = std::function<int(const std::filesystem::path&, std::string_view)>;

// Each way by name, giving the error of the replacement (0 when it succeeded).
inline const std::vector<std::pair<const char*, Replacer>> kReplacers = {
    {"ReplaceFile",
     [](const std::filesystem::path& target, std::string_view bytes) {
         return files::ReplaceFile(target, {bytes}).error;
     }},
    {"PendingReplacement",
     [](const std::filesystem::path& target, std::string_view bytes) {
         files::PendingReplacement pending(target);
         if (pending.OpenError() != 0) return pending.OpenError();
         if (const int error = pending.Write({bytes.substr(0, 3), bytes.substr(3)})) {
             return error;
         }
         return pending.Commit().error;
     }},
};

}  // namespace velmaro::testing

#pragma once
// Writing one integer into an INI file as the Windows profile API does.

#include <filesystem>
#include <string_view>

namespace velmaro {

// Sets `key` in `section` of `file` to `value`: only that line changes, everything else stays
// byte for byte; section and key match without regard to case; a missing file, section or key
// is created. Throws Error naming the file when it cannot be written.
void WriteProfileInteger(const std::filesystem::path& file, std::string_view section,
                         std::string_view key, int value);

}  // namespace velmaro

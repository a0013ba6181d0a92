#pragma once
// Whole files read and written byte for byte.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "support/FixtureCopies.h"

namespace velmaro::testing {

// The whole content of `file` (empty when it cannot be read).
inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the content of `file` with `bytes`, creating its folder when needed; throws when the
// file cannot be written, so a test never runs on a fixture that is not there.
inline void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
    KeepFixtureCopy(file, bytes);
}

}  // namespace velmaro::testing

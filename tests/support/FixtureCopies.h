#pragma once
// Copies of the tests' fixture files for the fuzz targets' seed corpora: when the environment
// variable VELMARO_FIXTURE_COPIES names a folder, every fixture a test writes is also kept there,
// named after a hash of its bytes and ending in the fixture's own extension (fuzz/refresh-corpus
// sorts them by that extension). Without the variable nothing happens.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

namespace velmaro::testing {

// Keeps a copy of the fixture `file` with content `bytes` when copies are asked for.
inline void KeepFixtureCopy(const std::filesystem::path& file, std::string_view bytes) {
    const char* folder = std::getenv("VELMARO_FIXTURE_COPIES");
    if (folder == nullptr || *folder == '\0') return;
    const std::string name =
        std::to_string(std::hash<std::string_view>{}(bytes)) + file.extension().string();
    std::filesystem::create_directories(folder);
    std::ofstream(std::filesystem::path(folder) / name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace velmaro::testing

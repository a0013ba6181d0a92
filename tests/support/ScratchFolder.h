#pragma once
// A fresh temporary folder for one test, removed with everything in it afterwards.

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

#include "support/FileBytes.h"

namespace velmaro::testing {

class ScratchFolder {
public:
    ScratchFolder() : ScratchFolder(std::filesystem::temp_directory_path()) {}
    // A fresh folder inside `parent`.
    // A fresh folder inside `parent`, created new under a random name (on every platform).
    explicit ScratchFolder(const std::filesystem::path& parent) {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = parent / ("velmaro-" + std::to_string(random()));
            if (std::filesystem::create_directory(path_)) return;
        }
        throw std::runtime_error("no se puede crear una carpeta temporal en " + parent.string());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // The path of `name` inside this folder (nothing is created).
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    // Creates (if needed) and returns the subfolder `name`.
    std::filesystem::path Folder(const std::string& name) const {
        std::filesystem::create_directories(path_ / name);
        return path_ / name;
    }

    // Writes `bytes` to the file `name` and returns its path.
    std::filesystem::path File(const std::string& name, std::string_view bytes) const {
        WriteBytes(path_ / name, bytes);
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

// A folder in memory (/dev/shm) when the system has a writable one, else the temporary folder:
// for tests that write many small files and flush each to disk.
inline std::filesystem::path MemoryBackedTemporaryFolder() {
    const std::filesystem::path memory = "/dev/shm";
    std::error_code error;
    const auto permissions = std::filesystem::status(memory, error).permissions();
    if (std::filesystem::is_directory(memory, error) &&
        (permissions & std::filesystem::perms::others_write) != std::filesystem::perms::none) {
        return memory;
    }
    return std::filesystem::temp_directory_path();
}

}  // namespace velmaro::testing

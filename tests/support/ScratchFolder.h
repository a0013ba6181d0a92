#pragma once
// A fresh temporary folder for one test, removed with everything in it afterwards.

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace velmaro::testing {

class ScratchFolder {
public:
    ScratchFolder() : ScratchFolder(std::filesystem::temp_directory_path()) {}
    // A fresh folder inside `parent`.
    explicit ScratchFolder(const std::filesystem::path& parent) {
        std::string pattern = (parent / "velmaro-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
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

    // Creates (if needed) and returns the subfolder `name`.
    std::filesystem::path Folder(const std::string& name) const {
        std::filesystem::create_directories(path_ / name);
        return path_ / name;
    }

    // Writes `bytes` to the file `name` and returns its path.
    std::filesystem::path File(const std::string& name, const std::string& bytes) const {
        Write(path_ / name, bytes);
        return path_ / name;
    }

    // Writes `bytes` to `file`, creating its folder when needed.
    static void Write(const std::filesystem::path& file, const std::string& bytes) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path path_;
};

// A folder in memory (/dev/shm) when the system has a writable one, else the temporary folder:
// for tests that write many small files and flush each to disk.
inline std::filesystem::path MemoryBackedTemporaryFolder() {
    const std::filesystem::path memory = "/dev/shm";
    std::error_code error;
    if (std::filesystem::is_directory(memory, error) && ::access(memory.c_str(), W_OK) == 0) {
        return memory;
    }
    return std::filesystem::temp_directory_path();
}

// The whole content of `file` (empty when it cannot be read).
inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace velmaro::testing

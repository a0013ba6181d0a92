#pragma once
// A work-table folder of its own for a dry run, in the system's temporary folder: the tables a
// conversion writes there touch no real work table, and go with the folder.

#include <filesystem>

namespace velmaro::cli {

class ScratchWorkFolder {
public:
    // Creates a fresh folder "velmaro-comprobar-NNNNNNNN" in the system's temporary folder.
    // Throws Error naming the temporary folder when none can be made.
    ScratchWorkFolder();
    // Removes the folder and everything in it.
    ~ScratchWorkFolder();
    ScratchWorkFolder(const ScratchWorkFolder&) = delete;
    ScratchWorkFolder& operator=(const ScratchWorkFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace velmaro::cli

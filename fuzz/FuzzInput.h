#pragma once
// What every fuzz target shares: the input as a file in the process's own temporary folder, and
// the rule that velmaro::Error is the only expected way for a reader to refuse its input.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "base/Error.h"

namespace velmaro::fuzz {

// This process's temporary folder, created on first use and removed when the process ends.
inline const std::filesystem::path& ProcessFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velmaro-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        return std::filesystem::path(pattern);
    }();
    static const struct Remover {
        ~Remover() {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    } remover;
    return folder;
}

// Writes `size` bytes at `data` to the file `name` of `folder` and returns its path.
inline std::filesystem::path WriteInput(const std::filesystem::path& folder, const char* name,
                                        const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = folder / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
    return file;
}

// Writes the input to the file `name` of the process's temporary folder.
inline std::filesystem::path WriteInput(const char* name, const std::uint8_t* data,
                                        std::size_t size) {
    return WriteInput(ProcessFolder(), name, data, size);
}

// Runs `read`; an Error is a reader refusing bad input, any other exception escapes and crashes
// the fuzzer.
template <typename Read>
void ExpectOnlyError(Read read) {
    try {
        read();
    } catch (const Error&) {
    }
}

}  // namespace velmaro::fuzz

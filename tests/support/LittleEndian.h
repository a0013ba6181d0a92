#pragma once
// Numbers read from the bytes of a binary file, least significant byte first.

#include <cstddef>
#include <string>

namespace velmaro::testing {

// The byte at `at`, as a number from 0 to 255.
inline unsigned Byte(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes.at(at));
}

// The 16-bit little-endian number at `at`.
inline unsigned Little16(const std::string& bytes, std::size_t at) {
    return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}

// The 32-bit little-endian number at `at`.
inline unsigned Little32(const std::string& bytes, std::size_t at) {
    return Little16(bytes, at) | Little16(bytes, at + 2) << 16;
}

}  // namespace velmaro::testing

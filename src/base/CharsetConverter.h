#pragma once
// The platform's converter from UTF-8 into other character encodings, for the encodings the
// program has no codec of its own for.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace velmaro {

// Converts UTF-8 text, piece after piece, into one character encoding.
class CharsetConverter {
public:
    virtual ~CharsetConverter() = default;

    // Appends to `bytes` the encoding of the longest start of `utf8` whose characters the
    // encoding can hold, and returns that start's length: less than utf8.size() when the
    // character there cannot be held or is not valid UTF-8.
    virtual std::size_t Convert(std::string_view utf8, std::string& bytes) = 0;
    // Appends what brings the output back to its initial state (nothing for most encodings).
    virtual void Finish(std::string& bytes) = 0;
};

// A converter into `encoding` (a name the platform knows, in any letter case), or nothing when
// the platform knows no such encoding.
std::unique_ptr<CharsetConverter> OpenCharsetConverter(const std::string& encoding);

}  // namespace velmaro

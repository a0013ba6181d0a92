#include "base/CharsetConverter.h"

#include <iconv.h>

#include <cerrno>

namespace velmaro {

namespace {

// iconv's answer to a failed iconv_open.
const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);
// Room added to the output for each call; iconv asks for more with E2BIG.
constexpr std::size_t kOutputStep = 4096;

class IconvConverter final : public CharsetConverter {
public:
    explicit IconvConverter(iconv_t conversion) : conversion_(conversion) {}
    ~IconvConverter() override { iconv_close(conversion_); }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    std::size_t Convert(std::string_view utf8, std::string& bytes) override {
        char* in = const_cast<char*>(utf8.data());
        std::size_t inLeft = utf8.size();
        while (inLeft > 0 && Step(&in, &inLeft, bytes)) {
        }
        return utf8.size() - inLeft;
    }

    void Finish(std::string& bytes) override { Step(nullptr, nullptr, bytes); }

private:
    // One call of iconv writing into new room at the end of `bytes` (with no input, the return
    // to the initial state); true when it stopped only for want of room.
    bool Step(char** in, std::size_t* inLeft, std::string& bytes) {
        const std::size_t at = bytes.size();
        const std::size_t room = kOutputStep + (inLeft != nullptr ? *inLeft * 4 : 0);
        bytes.resize(at + room);
        char* out = bytes.data() + at;
        std::size_t outLeft = room;
        const std::size_t result = iconv(conversion_, in, inLeft, &out, &outLeft);
        bytes.resize(at + (room - outLeft));
        return result == static_cast<std::size_t>(-1) && errno == E2BIG;
    }

    iconv_t conversion_;
};

}  // namespace

std::unique_ptr<CharsetConverter> OpenCharsetConverter(const std::string& encoding) {
    if (encoding.empty()) return nullptr;  // iconv would take the locale's encoding
    const iconv_t conversion = iconv_open(encoding.c_str(), "UTF-8");
    if (conversion == kNoConversion) return nullptr;
    return std::make_unique<IconvConverter>(conversion);
}

}  // namespace velmaro

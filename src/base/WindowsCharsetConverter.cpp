#include "base/CharsetConverter.h"

#include <windows.h>

#include "base/WindowsCodePages.h"

namespace velmaro {

namespace {

// Bytes of the UTF-8 sequence that `lead` starts, or 0 when it cannot start one.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Converts one character at a time through UTF-16 with WideCharToMultiByte, which says when a
// character has no encoding in the code page (it would otherwise put in a default character or
// a look-alike).
class CodePageConverter final : public CharsetConverter {
public:
    explicit CodePageConverter(unsigned codePage) : codePage_(codePage) {}

    std::size_t Convert(std::string_view utf8, std::string& bytes) override {
        std::size_t done = 0;
        while (done < utf8.size()) {
            const std::size_t length = SequenceLength(static_cast<unsigned char>(utf8[done]));
            if (length == 0 || done + length > utf8.size()) break;
            if (!AppendCharacter(utf8.substr(done, length), bytes)) break;
            done += length;
        }
        return done;
    }

    void Finish(std::string& /*bytes*/) override {}  // the code pages used here keep no state

private:
    // Appends the encoding of the one UTF-8 character `character`; false when it is not valid
    // UTF-8 or the code page cannot hold it.
    bool AppendCharacter(std::string_view character, std::string& bytes) const {
        wchar_t wide[2];
        const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, character.data(),
                                              static_cast<int>(character.size()), wide, 2);
        if (units <= 0) return false;
        char encoded[8];
        BOOL usedDefault = FALSE;
        // UTF-8 and UTF-7 take no default-character arguments, and never need them.
        const bool unicode = codePage_ == CP_UTF8 || codePage_ == CP_UTF7;
        const int length = WideCharToMultiByte(
            codePage_, unicode ? 0 : WC_NO_BEST_FIT_CHARS, wide, units, encoded, sizeof encoded,
            nullptr, unicode ? nullptr : &usedDefault);
        if (length <= 0 || usedDefault) return false;
        bytes.append(encoded, static_cast<std::size_t>(length));
        return true;
    }

    unsigned codePage_;
};

}  // namespace

std::unique_ptr<CharsetConverter> OpenCharsetConverter(const std::string& encoding) {
    const unsigned codePage = WindowsCodePage(encoding);
    // UTF-16 is not a code page that WideCharToMultiByte writes; the program encodes it itself.
    if (codePage == 0 || codePage == 1200 || codePage == 1201) return nullptr;
    return std::make_unique<CodePageConverter>(codePage);
}

}  // namespace velmaro

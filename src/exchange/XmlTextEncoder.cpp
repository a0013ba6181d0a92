#include "exchange/XmlTextEncoder.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/CharsetConverter.h"
#include "text/IntegerText.h"
#include "text/Latin1.h"
#include "text/Latin9.h"
#include "text/TextHelpers.h"
#include "text/Utf16.h"
#include "text/Utf8.h"
#include "text/Windows1252.h"

namespace velmaro {

namespace {

// The reference that stands for a character the encoding cannot hold.
std::string CharacterReference(char32_t codePoint) {
    return "&#" + IntegerToText(static_cast<long long>(codePoint)) + ";";
}

class Utf8Encoder final : public XmlTextEncoder {
public:
    void Begin(std::string&) override {}
    std::string_view Encode(std::string_view utf8, std::string&) override { return utf8; }
    void Finish(std::string&) override {}
};

class Utf16Encoder final : public XmlTextEncoder {
public:
    void Begin(std::string& bytes) override { bytes += kUtf16LeByteOrderMark; }
    std::string_view Encode(std::string_view utf8, std::string& scratch) override {
        scratch.clear();
        for (std::size_t pos = 0; pos < utf8.size(); pos += Utf8CharLength(utf8, pos)) {
            AppendUtf16Le(Utf8Decode(utf8, pos), scratch);
        }
        return scratch;
    }
    void Finish(std::string&) override {}
};

// A code page of one byte a character; ASCII stays as it is in all of them.
class SingleByteEncoder final : public XmlTextEncoder {
public:
    using ByteOf = std::optional<char> (*)(char32_t);
    explicit SingleByteEncoder(ByteOf byteOf) : byteOf_(byteOf) {}

    void Begin(std::string&) override {}
    std::string_view Encode(std::string_view utf8, std::string& scratch) override {
        scratch.clear();
        std::size_t pos = 0;
        while (pos < utf8.size()) {
            const auto nonAscii = std::find_if(utf8.begin() + static_cast<std::ptrdiff_t>(pos),
                                               utf8.end(), [](char c) { return (c & 0x80) != 0; });
            const std::size_t stop = static_cast<std::size_t>(nonAscii - utf8.begin());
            scratch.append(utf8, pos, stop - pos);
            pos = stop;
            if (pos == utf8.size()) break;
            const char32_t codePoint = Utf8Decode(utf8, pos);
            if (const std::optional<char> byte = byteOf_(codePoint)) {
                scratch += *byte;
            } else {
                scratch += CharacterReference(codePoint);
            }
            pos += Utf8CharLength(utf8, pos);
        }
        return scratch;
    }
    void Finish(std::string&) override {}

private:
    ByteOf byteOf_;
};

// Any encoding the platform's converter knows.
class ConverterEncoder final : public XmlTextEncoder {
public:
    explicit ConverterEncoder(std::unique_ptr<CharsetConverter> converter)
        : converter_(std::move(converter)) {}

    void Begin(std::string&) override {}
    std::string_view Encode(std::string_view utf8, std::string& scratch) override {
        scratch.clear();
        std::size_t pos = 0;
        while (pos < utf8.size()) {
            pos += converter_->Convert(utf8.substr(pos), scratch);
            if (pos == utf8.size()) break;
            converter_->Convert(CharacterReference(Utf8Decode(utf8, pos)), scratch);
            pos += Utf8CharLength(utf8, pos);
        }
        return scratch;
    }
    void Finish(std::string& bytes) override { converter_->Finish(bytes); }

private:
    std::unique_ptr<CharsetConverter> converter_;
};

// The program's own codecs, each under the names it is known by.
enum class Codec { Utf8, Utf16, Latin1, Latin9, Windows1252 };
struct CodecName {
    const char* name;  // in capitals
    Codec codec;
};
constexpr std::array<CodecName, 19> kCodecNames = {{
    {"UTF-8", Codec::Utf8},
    {"UTF8", Codec::Utf8},
    {"UTF-16", Codec::Utf16},
    {"UTF16", Codec::Utf16},
    {"ISO-8859-1", Codec::Latin1},
    {"ISO_8859-1", Codec::Latin1},
    {"ISO8859-1", Codec::Latin1},
    {"ISO88591", Codec::Latin1},
    {"LATIN1", Codec::Latin1},
    {"L1", Codec::Latin1},
    {"ISO-8859-15", Codec::Latin9},
    {"ISO_8859-15", Codec::Latin9},
    {"ISO8859-15", Codec::Latin9},
    {"ISO885915", Codec::Latin9},
    {"LATIN-9", Codec::Latin9},
    {"LATIN9", Codec::Latin9},
    {"WINDOWS-1252", Codec::Windows1252},
    {"CP1252", Codec::Windows1252},
    {"MS-ANSI", Codec::Windows1252},
}};

std::optional<Codec> OwnCodecNamed(const std::string& encoding) {
    const std::string name = UpperCaseAsciiLetters(encoding);
    for (const CodecName& known : kCodecNames) {
        if (name == known.name) return known.codec;
    }
    return std::nullopt;
}

std::unique_ptr<XmlTextEncoder> OwnEncoder(Codec codec) {
    switch (codec) {
        case Codec::Utf8:
            return std::make_unique<Utf8Encoder>();
        case Codec::Utf16:
            return std::make_unique<Utf16Encoder>();
        case Codec::Latin1:
            return std::make_unique<SingleByteEncoder>(&Latin1Byte);
        case Codec::Latin9:
            return std::make_unique<SingleByteEncoder>(&Latin9Byte);
        case Codec::Windows1252:
            return std::make_unique<SingleByteEncoder>(&Windows1252Byte);
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<XmlTextEncoder> XmlTextEncoderFor(const std::string& encoding) {
    if (const std::optional<Codec> codec = OwnCodecNamed(encoding)) return OwnEncoder(*codec);
    std::unique_ptr<CharsetConverter> converter = OpenCharsetConverter(encoding);
    if (converter == nullptr) return nullptr;
    return std::make_unique<ConverterEncoder>(std::move(converter));
}

}  // namespace velmaro

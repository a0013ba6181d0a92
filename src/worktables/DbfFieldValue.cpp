#include "worktables/DbfFieldValue.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/Windows1252.h"
#include "worktables/DbfFormat.h"

namespace velmaro::dbf {

namespace {

constexpr std::uint32_t kInt32SignBit = 0x80000000u;
constexpr std::uint64_t kInt64SignBit = 0x8000000000000000ull;
constexpr double kCurrencyScale = 10000.0;  // FoxPro currency: four implied decimals

const unsigned char* Bytes(std::string_view raw) {
    return reinterpret_cast<const unsigned char*>(raw.data());
}

// Blanks pad stored text; some other writers pad with NULs.
bool IsPaddingByte(char c) { return c == ' ' || c == '\0'; }

// Character fields are mostly blanks at the end (names in 80 bytes): eight of them are dropped
// at a time before the last few padding bytes one by one.
std::string_view WithoutTrailingPadding(std::string_view raw) {
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    constexpr std::uint64_t kBlankWord = 0x2020202020202020ull;
    std::uint64_t word = 0;
    while (raw.size() >= kWord) {
        std::memcpy(&word, raw.data() + raw.size() - kWord, kWord);
        if (word != kBlankWord) break;
        raw.remove_suffix(kWord);
    }
    while (!raw.empty() && IsPaddingByte(raw.back())) raw.remove_suffix(1);
    return raw;
}

std::string_view WithoutBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
    return text;
}

bool AllZero(std::string_view raw) {
    for (char c : raw) {
        if (c != '\0') return false;
    }
    return true;
}

// dBase 7 stores integers big-endian with the sign bit flipped, so that the bytes sort like
// the numbers; all zero bytes mean "no value".
std::optional<double> DBase7Integer(std::string_view raw) {
    if (AllZero(raw)) return std::nullopt;
    const std::uint32_t bits = ReadBig32(Bytes(raw)) ^ kInt32SignBit;
    return static_cast<double>(static_cast<std::int32_t>(bits));
}

// dBase 7 stores doubles big-endian, positive ones with the sign bit set and negative ones
// with every bit inverted (again so that the bytes sort like the numbers).
std::optional<double> DBase7Double(std::string_view raw) {
    if (AllZero(raw)) return std::nullopt;
    std::uint64_t bits = ReadBig64(Bytes(raw));
    bits = (bits & kInt64SignBit) ? (bits & ~kInt64SignBit) : ~bits;
    return std::bit_cast<double>(bits);
}

std::optional<double> BinaryInteger(std::string_view raw, BinaryOrder order) {
    if (raw.size() != 4) return std::nullopt;
    if (order == BinaryOrder::DBase7) return DBase7Integer(raw);
    return static_cast<double>(static_cast<std::int32_t>(ReadLittle32(Bytes(raw))));
}

std::optional<double> BinaryDouble(std::string_view raw, BinaryOrder order) {
    if (raw.size() != 8) return std::nullopt;
    if (order == BinaryOrder::DBase7) return DBase7Double(raw);
    return std::bit_cast<double>(ReadLittle64(Bytes(raw)));
}

std::string LogicalText(char stored) {
    switch (stored) {
        case 'T': case 't': case 'Y': case 'y':
            return "T";
        case 'F': case 'f': case 'N': case 'n':
            return "F";
        default:
            return "";  // blank or '?': not set
    }
}

std::string RightAligned(const std::string& digits, int width) {
    return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

// True for a whole number small enough to be written exactly from its integer value.
bool IsWholeNumber(double value) {
    constexpr double kExactIntegers = 1e15;  // every whole double below this is a long long
    return std::trunc(value) == value && std::fabs(value) < kExactIntegers;
}

// Appends `value` right-aligned in `width` bytes with `decimals` zero decimals, as fixed
// notation gives a whole number; false (and nothing appended) when it does not fit.
bool AppendFormattedWhole(long long value, int width, int decimals, std::string& bytes) {
    char buffer[32];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    const auto digits = static_cast<std::size_t>(end - buffer);
    const std::size_t length = digits + (decimals > 0 ? 1 + static_cast<std::size_t>(decimals) : 0);
    if (length > static_cast<std::size_t>(width)) return false;
    bytes.append(static_cast<std::size_t>(width) - length, ' ');
    bytes.append(buffer, digits);
    if (decimals > 0) {
        bytes += '.';
        bytes.append(static_cast<std::size_t>(decimals), '0');
    }
    return true;
}

}  // namespace

bool IsTextType(char type) {
    return type == kTypeCharacter || type == kTypeVarchar || type == kTypeDate;
}

bool IsNumericField(const DbfField& field, BinaryOrder order) {
    switch (field.type) {
        case kTypeNumeric:
        case kTypeFloat:
        case kTypeInteger:
        case kTypeAutoIncrement:
        case kTypeDouble:
        case kTypeCurrency:
            return true;
        case kTypeBinary:  // a double only where it is 8 bytes wide outside dBase 7
            return order == BinaryOrder::LittleEndian && field.width == 8;
        default:
            return false;
    }
}

std::optional<double> FieldNumber(const DbfField& field, std::string_view raw, BinaryOrder order) {
    if (!IsNumericField(field, order)) return std::nullopt;
    switch (field.type) {
        case kTypeNumeric:
        case kTypeFloat:
            return ParseDecimal(raw);
        case kTypeInteger:
        case kTypeAutoIncrement:
            return BinaryInteger(raw, order);
        case kTypeCurrency:
            if (raw.size() != 8) return std::nullopt;
            return static_cast<double>(static_cast<std::int64_t>(ReadLittle64(Bytes(raw)))) /
                   kCurrencyScale;
        default:  // O, B
            return BinaryDouble(raw, order);
    }
}

std::string FieldText(const DbfField& field, std::string_view raw, BinaryOrder order) {
    if (IsTextType(field.type)) return DecodeWindows1252(WithoutTrailingPadding(raw));
    if (field.type == kTypeLogical) return raw.empty() ? "" : LogicalText(raw.front());
    if (!IsNumericField(field, order)) return "";  // memo references and unknown types
    const std::optional<double> number = FieldNumber(field, raw, order);
    if (number && std::isfinite(*number)) return CanonicalNumber(*number);
    // A numeric field holding something else ("****" from an overflow): its text as stored.
    if (field.type == kTypeNumeric || field.type == kTypeFloat) {
        return DecodeWindows1252(WithoutBlanks(raw));
    }
    return "";
}

std::string CanonicalNumber(double value) {
    if (value == 0.0) return "0";
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::optional<double> ParseDecimal(std::string_view text) {
    text = WithoutBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

StoredTextChange WriteStoredCharacters(std::string_view utf8, std::span<char> field) {
    const Windows1252Writing writing = WriteWindows1252Counted(utf8, field);
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(writing.written), field.end(), ' ');
    // Blanks left out at the end change nothing: a field's trailing blanks are not significant.
    const bool cut = writing.consumed < utf8.size() &&
                     utf8.find_first_not_of(' ', writing.consumed) != std::string_view::npos;
    return {cut, writing.replaced > 0};
}

bool AppendFormattedNumber(double value, int width, int decimals, std::string& bytes) {
    if (!std::isfinite(value)) return false;
    if (value == 0.0) value = 0.0;  // no "-0"
    if (IsWholeNumber(value)) {
        return AppendFormattedWhole(static_cast<long long>(value), width, decimals, bytes);
    }
    char buffer[400];
    // Fixed notation with a precision gives exactly what printf's "%.*f" gives.
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return false;
    std::string_view digits(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (digits.size() > static_cast<std::size_t>(width)) return false;
    if (digits.find_first_not_of("-0.") == std::string_view::npos && digits.front() == '-') {
        digits.remove_prefix(1);  // a value that rounds to zero shows no sign
    }
    bytes.append(static_cast<std::size_t>(width) - digits.size(), ' ');
    bytes += digits;
    return true;
}

std::optional<std::string> FormattedInteger(long long value, int width, int decimals) {
    std::string digits = std::to_string(value);
    if (decimals > 0) {
        digits += '.';
        digits.append(static_cast<std::size_t>(decimals), '0');
    }
    if (digits.size() > static_cast<std::size_t>(width)) return std::nullopt;
    return RightAligned(digits, width);
}

void AppendStoredKey(const DbfField& field, std::string_view raw, BinaryOrder order,
                     std::string& key) {
    if (IsTextType(field.type)) {
        key += WithoutTrailingPadding(raw);
    } else {
        key += FieldText(field, raw, order);
    }
}

bool StoredKeyEquals(const DbfField& field, std::string_view raw, BinaryOrder order,
                     std::string_view key) {
    if (IsTextType(field.type)) {
        // The stored bytes begin with the key, and only padding follows, which the key does
        // not end with.
        return raw.starts_with(key) && WithoutTrailingPadding(raw.substr(key.size())).empty() &&
               (key.empty() || !IsPaddingByte(key.back()));
    }
    return FieldText(field, raw, order) == key;
}

void AppendSearchKey(const DbfField& field, std::string_view utf8, BinaryOrder order,
                     std::string& key) {
    if (IsTextType(field.type)) {
        const std::size_t start = key.size();
        AppendWindows1252(utf8, key);
        const std::size_t width = static_cast<std::size_t>(field.width);
        if (key.size() - start > width) key.resize(start + width);
        key.resize(start + WithoutTrailingPadding(std::string_view(key).substr(start)).size());
        return;
    }
    if (IsNumericField(field, order)) {
        if (const std::optional<double> number = ParseDecimal(utf8)) {
            key += CanonicalNumber(*number);
            return;
        }
    }
    key += utf8;
}

}  // namespace velmaro::dbf

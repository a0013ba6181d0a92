#pragma once
// Field values of a dBase record: decoding stored bytes to text and numbers, encoding values.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "worktables/DbfHeader.h"
#include "worktables/StoredTextWatcher.h"

namespace velmaro::dbf {

// How binary numbers of a table are stored: dBase 7 big-endian with the sign bit flipped,
// every other level (FoxPro, Visual FoxPro, Clipper) little-endian.
enum class BinaryOrder { LittleEndian, DBase7 };

// True for the types whose value is text compared byte for byte (C, V, D).
bool IsTextType(char type);

// The value of `raw` (the field's bytes) as text: character fields decoded from Windows-1252
// without trailing blanks, numbers canonical ("4", "2.5", "-45"), logicals "T"/"F", dates
// YYYYMMDD, blank or unreadable values and memo references "".
std::string FieldText(const DbfField& field, std::string_view raw, BinaryOrder order);

// The number stored in a numeric field (N, F, I, +, O, B as double, Y); nothing when the field
// is blank or not numeric.
std::optional<double> FieldNumber(const DbfField& field, std::string_view raw, BinaryOrder order);

// True when FieldNumber can give a value for the field's type.
bool IsNumericField(const DbfField& field, BinaryOrder order);

// The shortest decimal text of `value` without exponent or padding; zero is "0".
std::string CanonicalNumber(double value);

// The number written in `text` (blanks around it allowed); nothing when it is not a number.
std::optional<double> ParseDecimal(std::string_view text);

// Fills `field` (a character field's bytes in a record) with what it stores for `utf8`:
// Windows-1252, cut to the field's width, padded with blanks. Returns what that changed.
StoredTextChange WriteStoredCharacters(std::string_view utf8, std::span<char> field);

// Appends `value` right-aligned in `width` bytes with `decimals` decimals; false (and nothing
// appended) when it does not fit.
bool AppendFormattedNumber(double value, int width, int decimals, std::string& bytes);
// `value` right-aligned in `width` bytes with `decimals` zero decimals; nothing when it does
// not fit.
std::optional<std::string> FormattedInteger(long long value, int width, int decimals);

// Appends to `key` the comparison key of a stored value: text types by their bytes without
// trailing blanks, other types by their canonical text.
void AppendStoredKey(const DbfField& field, std::string_view raw, BinaryOrder order,
                     std::string& key);
// True when the comparison key of a stored value (as AppendStoredKey appends it) is `key`.
bool StoredKeyEquals(const DbfField& field, std::string_view raw, BinaryOrder order,
                     std::string_view key);
// Appends to `key` the comparison key of a searched value, encoded and cut as it would be
// stored.
void AppendSearchKey(const DbfField& field, std::string_view utf8, BinaryOrder order,
                     std::string& key);

}  // namespace velmaro::dbf

#pragma once
// Values given as text for numeric and logical fields, and whole numbers read from any field.

#include <optional>
#include <string_view>

#include "worktables/DbfFieldValue.h"
#include "worktables/DbfHeader.h"

namespace velmaro::dbf {

// The number `text` sets in a numeric field (blanks around it allowed). Throws Error
// "'<text>' is not a valid floating point value" when it is not a number.
double ParseFloatValue(std::string_view text);

// The logical `text` sets, by its first letter after the blanks: T, t, Y, y true; F, f, N, n
// false; nothing for a blank text. Throws Error "'<text>' is not a valid boolean value" for
// anything else.
std::optional<bool> ParseLogicalValue(std::string_view text);

// The stored value of `field` (its bytes `raw`) as a whole number: 0 when blank; numbers
// rounded, a half to the even neighbour; character fields converted from decimal text. Throws
// Error "'<text>' is not a valid integer value" for any other text and for a number an int
// cannot hold.
int IntegerValue(const DbfField& field, std::string_view raw, BinaryOrder order);

}  // namespace velmaro::dbf

#pragma once
// Reading whole numbers from text, as the converter steps and the outbound conversion do.

#include <string>
#include <string_view>

namespace velmaro {

// The 32-bit signed integer written in `text` in decimal (optional sign, digits only).
// Throws Error(NotAnIntegerMessage(text)) for anything else, out of range included.
int ParseInteger(std::string_view text);

// The message for a text that is not a whole number an int holds: "'<text>' is not a valid
// integer value".
std::string NotAnIntegerMessage(std::string_view text);

// The decimal text of `value`, without leading zeros or grouping.
std::string IntegerToText(long long value);

}  // namespace velmaro

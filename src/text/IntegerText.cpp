#include "text/IntegerText.h"

#include <charconv>
#include <limits>

#include "base/Error.h"

namespace velmaro {

int ParseInteger(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    long long magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    const bool wellFormed = !digits.empty() && digits.front() != '+' && digits.front() != '-' &&
                            error == std::errc() && end == digits.data() + digits.size();
    const long long value = negative ? -magnitude : magnitude;
    if (!wellFormed || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max()) {
        throw Error(NotAnIntegerMessage(text));
    }
    return static_cast<int>(value);
}

std::string NotAnIntegerMessage(std::string_view text) {
    std::string message = "'";  // appended: "'" + std::string&& gives GCC 12 a false -Wrestrict
    message += text;
    message += "' is not a valid integer value";
    return message;
}

std::string IntegerToText(long long value) { return std::to_string(value); }

}  // namespace velmaro

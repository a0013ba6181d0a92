#include "worktables/DbfValueParsing.h"

#include <cmath>
#include <limits>
#include <string>

#include "base/Error.h"
#include "text/IntegerText.h"
#include "text/TextHelpers.h"

namespace velmaro::dbf {

namespace {

constexpr std::string_view kTrueLetters = "TtYy";
constexpr std::string_view kFalseLetters = "FfNn";

}  // namespace

double ParseFloatValue(std::string_view text) {
    const std::optional<double> number = ParseDecimal(text);
    if (!number) throw Error("'" + std::string(text) + "' is not a valid floating point value");
    return *number;
}

std::optional<bool> ParseLogicalValue(std::string_view text) {
    const std::string trimmed = TrimBlanks(text);
    if (trimmed.empty()) return std::nullopt;
    if (kTrueLetters.find(trimmed.front()) != std::string_view::npos) return true;
    if (kFalseLetters.find(trimmed.front()) != std::string_view::npos) return false;
    throw Error("'" + std::string(text) + "' is not a valid boolean value");
}

int IntegerValue(const DbfField& field, std::string_view raw, BinaryOrder order) {
    const std::string text = TrimBlanks(FieldText(field, raw, order));
    if (text.empty()) return 0;
    const std::optional<double> number = FieldNumber(field, raw, order);
    if (!number) return ParseInteger(text);
    const double rounded = std::nearbyint(*number);  // a half goes to the even neighbour
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max()) {
        throw Error(NotAnIntegerMessage(text));
    }
    return static_cast<int>(rounded);
}

}  // namespace velmaro::dbf

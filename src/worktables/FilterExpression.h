#pragma once
// Filter expressions of the form FIELD= 'text', as tables are filtered by one field's value.

#include <optional>
#include <string>
#include <string_view>

namespace velmaro::dbf {

// What a filter expression asks for: the rows whose `field` equals `value`.
struct EqualsFilter {
    std::string field;
    std::string value;
};

// The filter written in `expression` as `FIELD= 'text'`: blanks allowed around the parts, a
// single quote inside the text doubled. Nothing for any other expression.
std::optional<EqualsFilter> ParseEqualsFilter(std::string_view expression);

// The expression that asks for the rows whose `field` equals `value`: `FIELD= 'value'`, with
// the single quotes inside the value doubled.
std::string EqualsFilterText(std::string_view field, std::string_view value);

}  // namespace velmaro::dbf

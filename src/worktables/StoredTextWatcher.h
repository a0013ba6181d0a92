#pragma once
// Told by a table when a text value could not be stored as it was given: cut to the field's
// width, or holding characters that Windows-1252 cannot hold (stored as '?').

#include <cstddef>
#include <string_view>

namespace velmaro {

// What storing a text in a character field changed.
struct StoredTextChange {
    bool cut = false;       // characters beyond the field's width were left out (blanks aside)
    bool replaced = false;  // characters the code page cannot hold became '?'

    bool Any() const { return cut || replaced; }
};

class StoredTextWatcher {
public:
    // `value` (UTF-8, as given) went into field `fieldIndex` (its position among the table's
    // fields) of row `row`, changed as `change` says.
    virtual void TextChanged(std::size_t row, std::size_t fieldIndex, std::string_view value,
                             StoredTextChange change) = 0;

protected:
    ~StoredTextWatcher() = default;
};

}  // namespace velmaro

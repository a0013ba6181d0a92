#pragma once
// Reports every text that a work table could not store as a step gave it (cut to its field, or
// with '?' for characters Windows-1252 cannot hold), with the exchange-document record it came
// from.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "worktables/ConversionReport.h"
#include "worktables/DbfTable.h"
#include "worktables/StoredTextWatcher.h"
#include "worktables/TableLayout.h"

namespace velmaro {

// Watches one table, created or opened with `layout`, for as long as it lives: declare it after
// the table, so that it stops watching before the table goes.
class StoredTextReport final : public StoredTextWatcher {
public:
    StoredTextReport(ConversionReport& report, DbfTable& table, const TableLayout& layout,
                     std::string_view section);
    ~StoredTextReport();
    StoredTextReport(const StoredTextReport&) = delete;
    StoredTextReport& operator=(const StoredTextReport&) = delete;

    // The values set from now on come from the record at 0-based `position` of the section.
    void From(std::size_t position) { position_ = position; }
    // The values set from now on repeat values reported before: nothing more is reported until
    // the next From.
    void Quiet() { position_.reset(); }
    // Leaves changes of `field` unreported: a field that by design keeps the start of a longer
    // value, or repeats a value reported in another field.
    void Ignore(std::string_view field);

    void TextChanged(std::size_t row, std::size_t fieldIndex, std::string_view value,
                     StoredTextChange change) override;

private:
    ConversionReport& report_;
    DbfTable& table_;
    const TableLayout& layout_;
    std::string_view section_;
    std::optional<std::size_t> position_;
    std::vector<std::size_t> ignored_;  // field positions
};

}  // namespace velmaro

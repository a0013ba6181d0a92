#include "worktables/RowKeyIndex.h"

#include <algorithm>

namespace velmaro::dbf {

bool RowKeyIndex::Covers(std::size_t field) const {
    return std::find(fields_.begin(), fields_.end(), field) != fields_.end();
}

const std::vector<std::size_t>* RowKeyIndex::Rows(const std::string& key) const {
    const auto found = rows_.find(key);
    return found == rows_.end() ? nullptr : &found->second;
}

void RowKeyIndex::Move(std::size_t row, const std::string& from, const std::string& to) {
    if (const auto old = rows_.find(from); old != rows_.end()) {
        std::vector<std::size_t>& rows = old->second;
        const auto at = std::lower_bound(rows.begin(), rows.end(), row);
        if (at != rows.end() && *at == row) rows.erase(at);
        if (rows.empty()) rows_.erase(old);
    }
    std::vector<std::size_t>& rows = rows_[to];
    rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
}

RowKeyIndex& RowKeyIndexes::For(const std::vector<std::size_t>& fields) {
    if (const auto found = indexes_.find(fields); found != indexes_.end()) return found->second;
    return indexes_.try_emplace(fields, fields).first->second;
}

}  // namespace velmaro::dbf

#include "worktables/RowKeyIndex.h"

#include <algorithm>
#include <utility>

namespace velmaro::dbf {

bool RowKeyIndex::Covers(std::size_t field) const {
    return std::find(fields_.begin(), fields_.end(), field) != fields_.end();
}

const RowKeyIndex::KeyRows* RowKeyIndex::Rows(const std::string& key) const {
    const auto found = rows_.find(key);
    return found == rows_.end() ? nullptr : &found->second;
}

void RowKeyIndex::Move(std::size_t row, const std::string& from, const std::string& to) {
    Remove(row, from);
    Add(row, to);
}

void RowKeyIndex::Remove(std::size_t row, const std::string& key) {
    const auto entry = rows_.find(key);
    if (entry == rows_.end()) return;
    KeyRows& rows = entry->second;
    if (rows.first == row) {
        if (rows.more.empty()) {
            rows_.erase(entry);
            return;
        }
        rows.first = rows.more.front();
        rows.more.erase(rows.more.begin());
        return;
    }
    const auto at = std::lower_bound(rows.more.begin(), rows.more.end(), row);
    if (at != rows.more.end() && *at == row) rows.more.erase(at);
}

void RowKeyIndex::Add(std::size_t row, const std::string& key) {
    const auto [entry, added] = rows_.try_emplace(key, KeyRows{row, {}});
    if (added) return;
    KeyRows& rows = entry->second;
    if (row < rows.first) std::swap(row, rows.first);  // the earlier row leads
    rows.more.insert(std::lower_bound(rows.more.begin(), rows.more.end(), row), row);
}

RowKeyIndex& RowKeyIndexes::For(const std::vector<std::size_t>& fields) {
    if (lastUsed_ != nullptr && lastUsed_->Fields() == fields) return *lastUsed_;
    lastUsed_ = &indexes_.try_emplace(fields, fields).first->second;
    return *lastUsed_;
}

}  // namespace velmaro::dbf

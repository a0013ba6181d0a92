#include "worktables/RowKeyIndex.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace velmaro::dbf {

namespace {

// Slots of a new index; a power of two, as every later size.
constexpr std::size_t kInitialSlots = 16;

}  // namespace

RowKeyIndex::RowKeyIndex(std::vector<std::size_t> fields)
    : fields_(std::move(fields)), slots_(kInitialSlots) {}

bool RowKeyIndex::Covers(std::size_t field) const {
    return std::find(fields_.begin(), fields_.end(), field) != fields_.end();
}

void RowKeyIndex::CatchUp(std::size_t rowCount, const RowKeySource& rows) {
    for (std::size_t row = IndexedRows(); row < rowCount; ++row) {
        addedKey_.clear();
        rows.AppendRowKey(fields_, row, addedKey_);
        nextRow_.push_back(kNoRow);
        Add(row, addedKey_, rows);
    }
}

std::optional<std::size_t> RowKeyIndex::FirstRow(std::string_view key,
                                                 const RowKeySource& rows) const {
    const Probe probe = Find(key, HashOf(key), rows);
    if (!probe.found) return std::nullopt;
    return slots_[probe.at].first;
}

std::optional<std::size_t> RowKeyIndex::NextRow(std::size_t row) const {
    const Row next = nextRow_[row];
    if (next == kNoRow) return std::nullopt;
    return next;
}

void RowKeyIndex::HoldRow(std::size_t row, const RowKeySource& rows) {
    heldKey_.clear();
    rows.AppendRowKey(fields_, row, heldKey_);
    heldSlot_ = Find(heldKey_, HashOf(heldKey_), rows).at;
}

void RowKeyIndex::RekeyHeldRow(std::size_t row, const RowKeySource& rows) {
    addedKey_.clear();
    rows.AppendRowKey(fields_, row, addedKey_);
    if (addedKey_ == heldKey_) return;
    Unlink(heldSlot_, static_cast<Row>(row));
    Add(row, addedKey_, rows);
}

std::uint64_t RowKeyIndex::HashOf(std::string_view key) {
    return std::hash<std::string_view>{}(key);
}

RowKeyIndex::Probe RowKeyIndex::Find(std::string_view key, std::uint64_t hash,
                                     const RowKeySource& rows) const {
    std::size_t at = hash & Mask();
    for (; slots_[at].first != kNoRow; at = (at + 1) & Mask()) {
        if (slots_[at].hash == hash && rows.RowHasKey(fields_, slots_[at].first, key)) {
            return {at, true};
        }
    }
    return {at, false};
}

void RowKeyIndex::Add(std::size_t row, std::string_view key, const RowKeySource& rows) {
    const std::uint64_t hash = HashOf(key);
    const Probe probe = Find(key, hash, rows);
    if (probe.found) {
        Link(probe.at, static_cast<Row>(row));
    } else {
        Occupy(probe.at, hash, static_cast<Row>(row));
    }
}

void RowKeyIndex::Occupy(std::size_t at, std::uint64_t hash, Row row) {
    if (2 * (usedSlots_ + 1) > slots_.size()) {
        Grow();
        at = EmptySlotFor(hash);
    }
    slots_[at] = Slot{hash, row, row};
    nextRow_[row] = kNoRow;
    ++usedSlots_;
}

void RowKeyIndex::Link(std::size_t at, Row row) {
    Slot& slot = slots_[at];
    if (row > slot.last) {  // the common case: rows are added in stored order
        nextRow_[slot.last] = row;
        nextRow_[row] = kNoRow;
        slot.last = row;
        return;
    }
    if (row < slot.first) {
        nextRow_[row] = slot.first;
        slot.first = row;
        return;
    }
    Row before = slot.first;
    while (nextRow_[before] < row) before = nextRow_[before];
    nextRow_[row] = nextRow_[before];
    nextRow_[before] = row;
}

void RowKeyIndex::Unlink(std::size_t at, Row row) {
    Slot& slot = slots_[at];
    if (slot.first == row) {
        if (slot.last == row) {
            Erase(at);
        } else {
            slot.first = nextRow_[row];
        }
        return;
    }
    Row before = slot.first;
    while (nextRow_[before] != row) before = nextRow_[before];
    nextRow_[before] = nextRow_[row];
    if (slot.last == row) slot.last = before;
}

void RowKeyIndex::Erase(std::size_t at) {
    std::size_t gap = at;
    for (std::size_t next = (at + 1) & Mask(); slots_[next].first != kNoRow;
         next = (next + 1) & Mask()) {
        const std::size_t home = slots_[next].hash & Mask();
        // The slot may fill the gap when the gap lies on its probe run, from home to where it is.
        if (((next - home) & Mask()) >= ((next - gap) & Mask())) {
            slots_[gap] = slots_[next];
            gap = next;
        }
    }
    slots_[gap] = Slot{};
    --usedSlots_;
}

void RowKeyIndex::Grow() {
    const std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(slots_.size() * 2));
    for (const Slot& slot : old) {
        if (slot.first != kNoRow) slots_[EmptySlotFor(slot.hash)] = slot;
    }
}

std::size_t RowKeyIndex::EmptySlotFor(std::uint64_t hash) const {
    std::size_t at = hash & Mask();
    while (slots_[at].first != kNoRow) at = (at + 1) & Mask();
    return at;
}

RowKeyIndex& RowKeyIndexes::For(const std::vector<std::size_t>& fields) {
    if (lastUsed_ != nullptr && lastUsed_->Fields() == fields) return *lastUsed_;
    lastUsed_ = &indexes_.try_emplace(fields, fields).first->second;
    return *lastUsed_;
}

}  // namespace velmaro::dbf

#pragma once
// Hash indexes over the rows of an open table, one per set of fields, for locate and filter.
// Internal to the engine. An index is built on first use, catches up with appended rows when
// asked, and moves a row between keys when one of its indexed fields changes in place.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmaro::dbf {

// Appends one part of a key made of several parts: appendPart(key) appends the part's bytes,
// and its length goes in front of them, so that no part can run into the next. The length takes
// one byte when it is below 255 (every stored field is), which keeps most keys short enough to
// live inside the string; otherwise the byte 255 and four bytes, least significant first.
template <typename AppendPart>
void AppendKeyPart(std::string& key, AppendPart appendPart) {
    constexpr std::size_t kLongPart = 255;
    constexpr std::size_t kLongLengthBytes = 4;
    const std::size_t at = key.size();
    key += '\0';
    appendPart(key);
    const std::size_t length = key.size() - at - 1;
    if (length < kLongPart) {
        key[at] = static_cast<char>(length);
        return;
    }
    key[at] = static_cast<char>(kLongPart);
    char bytes[kLongLengthBytes];
    for (std::size_t i = 0; i < kLongLengthBytes; ++i) {
        bytes[i] = static_cast<char>((static_cast<std::uint32_t>(length) >> (8 * i)) & 0xFF);
    }
    key.insert(at + 1, bytes, kLongLengthBytes);
}

// Takes the first part of a key made by AppendKeyPart off `key` into `part`; false when `key`
// is empty or cut short.
inline bool TakeKeyPart(std::string_view& key, std::string_view& part) {
    constexpr std::size_t kLongPart = 255;
    constexpr std::size_t kLongLengthBytes = 4;
    if (key.empty()) return false;
    std::size_t length = static_cast<unsigned char>(key.front());
    std::size_t header = 1;
    if (length == kLongPart) {
        if (key.size() < 1 + kLongLengthBytes) return false;
        length = 0;
        for (std::size_t i = 0; i < kLongLengthBytes; ++i) {
            length |= static_cast<std::size_t>(static_cast<unsigned char>(key[1 + i])) << (8 * i);
        }
        header += kLongLengthBytes;
    }
    if (key.size() - header < length) return false;
    part = key.substr(header, length);
    key.remove_prefix(header + length);
    return true;
}

// What an index reads its keys from: the rows of one table.
class RowKeySource {
public:
    // Appends to `key` the key of `row` over `fields` (parts joined by AppendKeyPart).
    virtual void AppendRowKey(const std::vector<std::size_t>& fields, std::size_t row,
                              std::string& key) const = 0;
    // True when the key of `row` over `fields` is `key`, without building the row's key.
    virtual bool RowHasKey(const std::vector<std::size_t>& fields, std::size_t row,
                           std::string_view key) const = 0;

protected:
    ~RowKeySource() = default;
};

// An open-addressing hash table from key to the key's rows. A slot holds only the key's hash and
// its first and last rows; a key is compared with the fields of its first row, so no key is
// stored. The rows of one key form a chain in stored order through a "next row" per row.
class RowKeyIndex {
public:
    // An empty index over `fields`, in this order.
    explicit RowKeyIndex(std::vector<std::size_t> fields);

    // The fields whose values make a row's key.
    const std::vector<std::size_t>& Fields() const { return fields_; }
    // True when `field` is one of the index's fields.
    bool Covers(std::size_t field) const;
    // Rows 0 .. IndexedRows()-1 are in the index.
    std::size_t IndexedRows() const { return nextRow_.size(); }

    // Adds rows IndexedRows() .. rowCount-1, each under its key read from `rows`.
    void CatchUp(std::size_t rowCount, const RowKeySource& rows);
    // The first row with `key` in stored order; nothing when there is none.
    std::optional<std::size_t> FirstRow(std::string_view key, const RowKeySource& rows) const;
    // The row after `row` with the same key in stored order; nothing after the last.
    std::optional<std::size_t> NextRow(std::size_t row) const;

    // Remembers where an indexed `row` is, before one of its indexed fields changes.
    void HoldRow(std::size_t row, const RowKeySource& rows);
    // Moves the row HoldRow remembered to its key now, when that key differs, keeping stored
    // order.
    void RekeyHeldRow(std::size_t row, const RowKeySource& rows);

private:
    // A row number: a dBase file counts its records in 32 bits.
    using Row = std::uint32_t;
    // No row: the end of a chain, or the first row of an empty slot.
    static constexpr Row kNoRow = std::numeric_limits<Row>::max();
    // One key: its hash and the first and last of its rows.
    struct Slot {
        std::uint64_t hash = 0;
        Row first = kNoRow;
        Row last = kNoRow;
    };
    // Where a key's slot is, or where it would go when `found` is false.
    struct Probe {
        std::size_t at;
        bool found;
    };

    // The hash of a key's bytes; computed once per key looked up or added.
    static std::uint64_t HashOf(std::string_view key);
    // The slot of `key` (whose hash is `hash`), or the empty slot where it would go.
    Probe Find(std::string_view key, std::uint64_t hash, const RowKeySource& rows) const;
    // Adds `row` (not in the index) under `key`, keeping its key's rows in stored order.
    void Add(std::size_t row, std::string_view key, const RowKeySource& rows);
    // Puts a new key in the empty slot at `at`, growing the table first when that would fill
    // more than half of it.
    void Occupy(std::size_t at, std::uint64_t hash, Row row);
    // Puts `row` into the chain of the key at `at`, in stored order.
    void Link(std::size_t at, Row row);
    // Takes `row` out of the chain of the key at `at`, and the key out when no row is left.
    void Unlink(std::size_t at, Row row);
    // Empties the slot at `at`, moving later slots of its probe run back into the gap.
    void Erase(std::size_t at);
    // Doubles the slots, placing every key again by its hash.
    void Grow();
    // The first empty slot on the probe run of `hash`.
    std::size_t EmptySlotFor(std::uint64_t hash) const;
    // Keeps the bits of a hash or position that choose a slot.
    std::size_t Mask() const { return slots_.size() - 1; }

    std::vector<std::size_t> fields_;
    std::vector<Slot> slots_;    // a power of two of them, at most half used
    std::size_t usedSlots_ = 0;  // the keys in the index
    std::vector<Row> nextRow_;   // per indexed row: the next row with its key, or kNoRow
    std::string addedKey_;       // scratch: the key of a row being added
    std::string heldKey_;        // the key of the row HoldRow remembered
    std::size_t heldSlot_ = 0;   // that key's slot
};

// The indexes of one table, by field set.
class RowKeyIndexes {
public:
    // The index over `fields` (in this order), created empty on first request.
    RowKeyIndex& For(const std::vector<std::size_t>& fields);

    // Runs write() to change `field` of `row`, and moves the row in every index that covers
    // the field and already holds the row.
    template <typename Write>
    void Update(std::size_t row, std::size_t field, Write write, const RowKeySource& rows) {
        if (indexes_.empty()) {  // the common case while a table is being written
            write();
            return;
        }
        for (auto& entry : indexes_) {
            if (Holds(entry.second, row, field)) entry.second.HoldRow(row, rows);
        }
        write();
        for (auto& entry : indexes_) {
            if (Holds(entry.second, row, field)) entry.second.RekeyHeldRow(row, rows);
        }
    }

private:
    // True when `index` holds `row` and covers `field`: a change of the field may move the row.
    static bool Holds(const RowKeyIndex& index, std::size_t row, std::size_t field) {
        return row < index.IndexedRows() && index.Covers(field);
    }

    std::map<std::vector<std::size_t>, RowKeyIndex> indexes_;
    RowKeyIndex* lastUsed_ = nullptr;  // the index For gave last: callers ask for one many times
};

}  // namespace velmaro::dbf

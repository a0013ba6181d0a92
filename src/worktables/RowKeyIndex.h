#pragma once
// Hash indexes over the rows of an open table, one per set of fields, for locate and filter.
// Internal to the engine. An index is built on first use, catches up with appended rows when
// asked, and moves a row between keys when one of its indexed fields changes in place.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
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

class RowKeyIndex {
public:
    // The rows of one key in stored order: the first inline (most keys have one row, and
    // locating asks only for it), the others after it.
    struct KeyRows {
        std::size_t first;
        std::vector<std::size_t> more;
    };

    explicit RowKeyIndex(std::vector<std::size_t> fields) : fields_(std::move(fields)) {
        rows_.max_load_factor(kMaxLoadFactor);
    }

    const std::vector<std::size_t>& Fields() const { return fields_; }
    // True when `field` is one of the index's fields.
    bool Covers(std::size_t field) const;
    // Rows 0 .. IndexedRows()-1 are in the index.
    std::size_t IndexedRows() const { return indexedRows_; }

    // Adds rows IndexedRows() .. rowCount-1, each under keyOf(row).
    template <typename KeyOf>
    void CatchUp(std::size_t rowCount, KeyOf keyOf) {
        for (; indexedRows_ < rowCount; ++indexedRows_) {
            const auto [entry, added] =
                rows_.try_emplace(keyOf(indexedRows_), KeyRows{indexedRows_, {}});
            if (!added) entry->second.more.push_back(indexedRows_);
        }
    }
    // The rows with `key`; nullptr when there is none.
    const KeyRows* Rows(const std::string& key) const;
    // Moves an indexed `row` from key `from` to key `to`, keeping stored order.
    void Move(std::size_t row, const std::string& from, const std::string& to);

private:
    std::vector<std::size_t> fields_;
    // Removes `row` from the rows of `key`, and the key when no row is left.
    void Remove(std::size_t row, const std::string& key);
    // Adds `row` to the rows of `key`, keeping stored order.
    void Add(std::size_t row, const std::string& key);

    // Most lookups are for keys not yet in the index; fewer keys per bucket mean fewer nodes
    // visited (each a likely cache miss in a large table) before a lookup knows.
    static constexpr float kMaxLoadFactor = 0.5f;
    std::unordered_map<std::string, KeyRows> rows_;
    std::size_t indexedRows_ = 0;
};

// The indexes of one table, by field set.
class RowKeyIndexes {
public:
    // The index over `fields` (in this order), created empty on first request.
    RowKeyIndex& For(const std::vector<std::size_t>& fields);

    // Runs write() to change `field` of `row`, and moves the row in every index that covers
    // the field and already holds the row; keyOf(fields) gives the row's key for an index.
    template <typename Write, typename KeyOf>
    void Update(std::size_t row, std::size_t field, Write write, KeyOf keyOf) {
        if (indexes_.empty()) {  // the common case while a table is being written
            write();
            return;
        }
        std::vector<std::pair<RowKeyIndex*, std::string>> affected;
        for (auto& [signature, index] : indexes_) {
            if (row < index.IndexedRows() && index.Covers(field)) {
                affected.emplace_back(&index, keyOf(index.Fields()));
            }
        }
        write();
        for (auto& [index, oldKey] : affected) {
            const std::string newKey = keyOf(index->Fields());
            if (newKey != oldKey) index->Move(row, oldKey, newKey);
        }
    }

private:
    std::map<std::vector<std::size_t>, RowKeyIndex> indexes_;
    RowKeyIndex* lastUsed_ = nullptr;  // the index For gave last: callers ask for one many times
};

}  // namespace velmaro::dbf

#pragma once
// The records of an open table in memory, kept in blocks of a fixed number of records, so that
// appending never moves the records already held (a single growing buffer would copy them all
// again at every doubling, and touch twice the memory). Internal to the engine.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmaro::dbf {

class RecordBlocks {
public:
    // Holds `records` (whole records of `recordLength` bytes, as read from a file) as the first
    // block, which appended records fill up; later records go to blocks of at least as many
    // records.
    RecordBlocks(std::size_t recordLength, std::string records);

    // Number of records held.
    std::size_t Count() const { return count_; }
    // The bytes of record `row` (row < Count()).
    std::string_view Record(std::size_t row) const;
    // The writable bytes of record `row` (row < Count()), recordLength bytes from the pointer.
    char* MutableRecord(std::size_t row);
    // Appends a copy of `record` (recordLength bytes).
    void Append(std::string_view record);
    // Every record in order, as the parts of one byte sequence.
    std::vector<std::string_view> Parts() const;

private:
    std::size_t recordLength_;
    // Records per block: a power of two, so that a row's block and place in it are found by a
    // shift and a mask (a division per field set cost more than the rest of the lookup).
    std::size_t recordsPerBlock_;
    int blockShift_;         // log2 of recordsPerBlock_
    std::size_t blockMask_;  // recordsPerBlock_ - 1
    std::size_t count_;
    std::vector<std::string> blocks_;  // each full except the last, recordsPerBlock_ records
};

}  // namespace velmaro::dbf

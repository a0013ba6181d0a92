#include "worktables/RecordBlocks.h"

#include <algorithm>
#include <bit>

namespace velmaro::dbf {

namespace {

// Bytes a new block is sized for: large enough that a big table needs few blocks. A small
// table's block is mostly address space that is never touched, so it costs no memory.
constexpr std::size_t kBlockBytes = 1 << 20;

}  // namespace

RecordBlocks::RecordBlocks(std::size_t recordLength, std::string records)
    : recordLength_(recordLength),
      recordsPerBlock_(std::bit_ceil(std::max(
          records.size() / recordLength, std::max<std::size_t>(1, kBlockBytes / recordLength)))),
      blockShift_(std::countr_zero(recordsPerBlock_)),
      blockMask_(recordsPerBlock_ - 1),
      count_(records.size() / recordLength) {
    if (count_ > 0) blocks_.push_back(std::move(records));
}

std::string_view RecordBlocks::Record(std::size_t row) const {
    const std::string& block = blocks_[row >> blockShift_];
    return std::string_view(block).substr((row & blockMask_) * recordLength_, recordLength_);
}

char* RecordBlocks::MutableRecord(std::size_t row) {
    return blocks_[row >> blockShift_].data() + (row & blockMask_) * recordLength_;
}

void RecordBlocks::Append(std::string_view record) {
    if ((count_ & blockMask_) == 0) {
        blocks_.emplace_back();
        blocks_.back().reserve(recordsPerBlock_ * recordLength_);
    }
    blocks_.back().append(record);
    ++count_;
}

std::vector<std::string_view> RecordBlocks::Parts() const {
    return std::vector<std::string_view>(blocks_.begin(), blocks_.end());
}

}  // namespace velmaro::dbf

#include "worktables/DateStamp.h"

#include <algorithm>
#include <ctime>

#include "base/RegionalTimestamp.h"

namespace velmaro::dbf {

void PutDate(std::string& bytes, std::size_t offset) {
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalTime(now);
    bytes[offset] = static_cast<char>(std::clamp(local.tm_year, 0, 255));
    bytes[offset + 1] = static_cast<char>(local.tm_mon + 1);
    bytes[offset + 2] = static_cast<char>(local.tm_mday);
}

}  // namespace velmaro::dbf

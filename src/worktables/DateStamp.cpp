#include "worktables/DateStamp.h"

#include <algorithm>
#include <ctime>

namespace velmaro::dbf {

void PutDate(std::string& bytes, std::size_t offset) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    bytes[offset] = static_cast<char>(std::clamp(local.tm_year, 0, 255));
    bytes[offset + 1] = static_cast<char>(local.tm_mon + 1);
    bytes[offset + 2] = static_cast<char>(local.tm_mday);
}

}  // namespace velmaro::dbf

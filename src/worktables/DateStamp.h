#pragma once
// The date stamp of dBase table headers and MDX index files.

#include <cstddef>
#include <string>

namespace velmaro::dbf {

// Writes today's local date into the three bytes of `bytes` from `offset`, as dBase stamps its
// files: years since 1900 (kept within 0-255), month, day.
void PutDate(std::string& bytes, std::size_t offset);

}  // namespace velmaro::dbf

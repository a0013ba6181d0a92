#pragma once
// Records of the exchange document that a step skips for holding too few fields, told in the
// conversion report.

#include <cstddef>
#include <string_view>

#include "worktables/ConversionReport.h"

namespace velmaro {

// Records in `report` that the record at `position` of `section` was skipped for holding only
// `fieldCount` fields.
void ReportShortRecord(ConversionReport& report, std::string_view section, std::size_t position,
                       std::size_t fieldCount);

}  // namespace velmaro

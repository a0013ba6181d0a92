#pragma once
// The item lines of one kind in a conversion report's text, for comparing with expected items.

#include <array>
#include <string>
#include <vector>

#include "worktables/ConversionReport.h"

namespace velmaro::testing {

// The lines that list the items of `kind`, in the order recorded, without their indent.
inline std::vector<std::string> ReportItemLines(const ConversionReport& report, ReportKind kind) {
    const std::array kinds = {kind};
    const std::string text = report.Text(kinds);
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t end, line = 0; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2, ++line) {
        // "Resumen", its one count line, a blank line and the kind's title come first.
        if (line >= 4) items.push_back(text.substr(start + 2, end - start - 2));
    }
    return items;
}

}  // namespace velmaro::testing

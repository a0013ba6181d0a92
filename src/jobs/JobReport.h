#pragma once
// The report of a completed conversion, as the session keeps it for whoever started the job.

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "worktables/ConversionReport.h"

namespace velmaro {

enum class Conversion { Inbound, Outbound };

struct JobReport {
    Conversion conversion = Conversion::Inbound;
    ConversionReport items;
    std::optional<std::filesystem::path> resultDocument{};  // the outbound conversion's result
    std::filesystem::path file{};          // where the report was written, or was to be
    std::string when{};                    // when it was written, in the user's formats
    std::optional<std::string> failure{};  // why it could not be written

    // The kinds of item its conversion records, in the order the report lists them.
    std::span<const ReportKind> Kinds() const {
        if (conversion == Conversion::Inbound) return kInboundReportKinds;
        return kOutboundReportKinds;
    }
};

}  // namespace velmaro

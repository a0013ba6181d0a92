#pragma once
// The state that the main window keeps for the whole run, without any toolkit.

#include <filesystem>
#include <optional>

#include "base/PlatformPaths.h"
#include "jobs/JobReport.h"

namespace velmaro {

struct Session {
    PlatformPaths paths;
    std::filesystem::path filenameXML;  // last exchange document confirmed in the file dialog
    bool batchMode = false;             // started with exactly two command-line arguments
    int resultCode = 0;                 // 1 job completed, -1 no file in batch mode, else 0
    bool jobButtonsEnabled = true;      // both job buttons; off after a completed job
    bool closeRequested = false;        // the job asked the window to close (batch mode)
    std::optional<JobReport> lastReport;  // the report of the last completed conversion
};

}  // namespace velmaro

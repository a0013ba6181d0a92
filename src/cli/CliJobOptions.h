#pragma once
// The options of velmaro-cli's two job commands, and how a finished job becomes an exit status.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/Session.h"

namespace velmaro::cli {

// --xml FILE [--work-dir DIR] [--program-dir DIR] [--marcos CODE[,CODE]] [--informe]
struct JobOptions {
    std::filesystem::path xml;
    std::optional<std::filesystem::path> workDir;
    std::optional<std::filesystem::path> programDir;
    std::optional<std::string> marcos;
    bool printReport = false;  // --informe: print the whole conversion report
};

// Which of the optional options a command takes.
struct AcceptedOptions {
    bool frameworks = false;  // --marcos
    bool reportFlag = false;  // --informe
};

// The options of `command`; nothing (after a message on standard error naming the command) when
// the arguments are not usable.
std::optional<JobOptions> ParseJobOptions(std::string_view command,
                                          const std::vector<std::string>& arguments,
                                          AcceptedOptions accepted);

// A batch-mode session on the options' folders, or the platform's folders where none is given:
// the command line is Tavolin's way of starting a job unattended.
Session BatchSession(const JobOptions& options);

// 0 when the job completed, 3 when the exchange document did not exist, 1 otherwise.
int JobExitStatus(const Session& session);

}  // namespace velmaro::cli

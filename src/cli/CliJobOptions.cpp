#include "cli/CliJobOptions.h"

#include <iostream>
#include <map>

#include "cli/CliCommands.h"
#include "base/PlatformPaths.h"
#include "base/Utf8Path.h"

namespace velmaro::cli {

std::optional<JobOptions> ParseJobOptions(std::string_view command,
                                          const std::vector<std::string>& arguments,
                                          AcceptedOptions accepted) {
    std::optional<std::string> xml, workDir, programDir, marcos;
    std::map<std::string, std::optional<std::string>*> slots = {
        {"--xml", &xml}, {"--work-dir", &workDir}, {"--program-dir", &programDir}};
    if (accepted.frameworks) slots["--marcos"] = &marcos;
    bool printReport = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (accepted.reportFlag && arguments[i] == "--informe") {
            printReport = true;
            continue;
        }
        const auto slot = slots.find(arguments[i]);
        if (slot == slots.end()) {
            std::cerr << "velmaro-cli " << command << ": opción desconocida '" << arguments[i]
                      << "'\n";
            return std::nullopt;
        }
        if (i + 1 == arguments.size()) {
            std::cerr << "velmaro-cli " << command << ": falta el valor de " << arguments[i]
                      << '\n';
            return std::nullopt;
        }
        *slot->second = arguments[++i];
    }
    if (!xml) {
        std::cerr << "velmaro-cli " << command << ": falta --xml\n";
        return std::nullopt;
    }
    JobOptions options{PathFromUtf8(*xml), std::nullopt, std::nullopt, marcos, printReport};
    if (workDir) options.workDir = PathFromUtf8(*workDir);
    if (programDir) options.programDir = PathFromUtf8(*programDir);
    return options;
}

Session BatchSession(const JobOptions& options) {
    Session session;
    session.paths.workDir = options.workDir.value_or(DefaultWorkDir());
    session.paths.programDir = options.programDir.value_or(DefaultProgramDir());
    session.batchMode = true;
    return session;
}

int JobExitStatus(const Session& session) {
    if (session.resultCode == 1) return kExitDone;
    if (session.resultCode == -1) return kExitNoFile;
    return kExitFailure;
}

}  // namespace velmaro::cli

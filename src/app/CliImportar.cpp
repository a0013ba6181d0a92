// velmaro-cli importar: the outbound conversion as Tavolin's batch mode runs it.

#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/CliCommands.h"
#include "app/PlatformPaths.h"
#include "app/Session.h"
#include "app/TerminalInteraction.h"
#include "outbound/OutboundJob.h"

namespace velmaro::cli {

namespace {

constexpr const char* kUsage =
    "Uso: velmaro-cli importar --xml ARCHIVO [--work-dir CARPETA] [--program-dir CARPETA]";

struct ImportarOptions {
    std::optional<std::string> xml;
    std::optional<std::string> workDir;
    std::optional<std::string> programDir;
};

// The options, or nothing (after a message on stderr) when the arguments are not usable.
std::optional<ImportarOptions> ParseOptions(const std::vector<std::string>& arguments) {
    ImportarOptions options;
    const std::map<std::string, std::optional<std::string>*> slots = {
        {"--xml", &options.xml},
        {"--work-dir", &options.workDir},
        {"--program-dir", &options.programDir}};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const auto slot = slots.find(arguments[i]);
        if (slot == slots.end()) {
            std::cerr << "velmaro-cli importar: opción desconocida '" << arguments[i] << "'\n";
            return std::nullopt;
        }
        if (i + 1 == arguments.size()) {
            std::cerr << "velmaro-cli importar: falta el valor de " << arguments[i] << '\n';
            return std::nullopt;
        }
        *slot->second = arguments[++i];
    }
    if (!options.xml) {
        std::cerr << "velmaro-cli importar: falta --xml\n";
        return std::nullopt;
    }
    return options;
}

Session BatchSession(const ImportarOptions& options) {
    Session session;
    session.paths.workDir =
        options.workDir ? std::filesystem::path(*options.workDir) : DefaultWorkDir();
    session.paths.programDir =
        options.programDir ? std::filesystem::path(*options.programDir) : DefaultProgramDir();
    session.batchMode = true;
    return session;
}

int ExitStatus(const Session& session) {
    if (session.resultCode == 1) return kExitDone;
    if (session.resultCode == -1) return kExitNoFile;
    return kExitFailure;
}

}  // namespace

int RunImportar(const std::vector<std::string>& arguments) {
    const auto options = ParseOptions(arguments);
    if (!options) {
        std::cerr << kUsage << '\n';
        return kExitUsage;
    }
    Session session = BatchSession(*options);
    TerminalInteraction terminal(std::filesystem::path(*options->xml), std::nullopt, std::cerr);
    const std::optional<OutboundSummary> summary = RunOutboundJob(session, terminal);
    if (summary) {
        std::cout << summary->resultFile.string() << '\n'
                  << summary->teachers << " profesores, " << summary->activities
                  << " actividades\n";
    }
    return ExitStatus(session);
}

}  // namespace velmaro::cli

// velmaro-cli exportar: the inbound conversion as Tavolin's batch mode runs it.

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/CliCommands.h"
#include "app/Error.h"
#include "app/InboundJob.h"
#include "app/PlatformPaths.h"
#include "app/Session.h"
#include "app/TerminalFrameworkChoice.h"
#include "app/TerminalInteraction.h"
#include "inbound/InboundSteps.h"
#include "worktables/DbfTable.h"

namespace velmaro::cli {

namespace {

constexpr const char* kUsage =
    "Uso: velmaro-cli exportar --xml ARCHIVO [--work-dir CARPETA] [--program-dir CARPETA] "
    "[--marcos CÓDIGO[,CÓDIGO]]";

struct ExportarOptions {
    std::optional<std::string> xml;
    std::optional<std::string> workDir;
    std::optional<std::string> programDir;
    std::optional<std::string> marcos;
};

// The options, or nothing (after a message on stderr) when the arguments are not usable.
std::optional<ExportarOptions> ParseOptions(const std::vector<std::string>& arguments) {
    ExportarOptions options;
    const std::map<std::string, std::optional<std::string>*> slots = {
        {"--xml", &options.xml},
        {"--work-dir", &options.workDir},
        {"--program-dir", &options.programDir},
        {"--marcos", &options.marcos}};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const auto slot = slots.find(arguments[i]);
        if (slot == slots.end()) {
            std::cerr << "velmaro-cli exportar: opción desconocida '" << arguments[i] << "'\n";
            return std::nullopt;
        }
        if (i + 1 == arguments.size()) {
            std::cerr << "velmaro-cli exportar: falta el valor de " << arguments[i] << '\n';
            return std::nullopt;
        }
        *slot->second = arguments[++i];
    }
    if (!options.xml) {
        std::cerr << "velmaro-cli exportar: falta --xml\n";
        return std::nullopt;
    }
    return options;
}

Session BatchSession(const ExportarOptions& options) {
    Session session;
    session.paths.workDir = options.workDir ? std::filesystem::path(*options.workDir)
                                            : DefaultWorkDir();
    session.paths.programDir = options.programDir ? std::filesystem::path(*options.programDir)
                                                  : DefaultProgramDir();
    session.batchMode = true;
    return session;
}

// The tables the steps wrote, each once, in the order the steps first wrote them.
std::vector<std::string> WrittenTables() {
    std::vector<std::string> tables;
    for (const InboundStep& step : InboundSteps()) {
        for (const std::string& table : step.tables) {
            if (std::find(tables.begin(), tables.end(), table) == tables.end()) {
                tables.push_back(table);
            }
        }
    }
    return tables;
}

// Prints "TABLE.DBF  N filas" for every table written, from the tables' headers. Throws Error
// when one cannot be read.
void PrintSummary(const std::filesystem::path& workDir) {
    for (const std::string& table : WrittenTables()) {
        std::cout << std::left << std::setw(16) << table << std::right << std::setw(6)
                  << DbfTable::RowsInFile(workDir / table) << " filas\n";
    }
}

int ExitStatus(const Session& session) {
    if (session.resultCode == 1) return kExitDone;
    if (session.resultCode == -1) return kExitNoFile;
    return kExitFailure;
}

}  // namespace

int RunExportar(const std::vector<std::string>& arguments) {
    const auto options = ParseOptions(arguments);
    if (!options) {
        std::cerr << kUsage << '\n';
        return kExitUsage;
    }
    // The document is read once: for the check of the framework choice, for the choice itself
    // and for the job. It is released last, when the process has nothing large left to allocate.
    const std::filesystem::path xml(*options->xml);
    const std::optional<ExchangeDocument> document = LoadIfReadable(xml);
    std::optional<FrameworkCatalog> catalog;
    if (document) catalog.emplace(*document);
    // A framework choice that the command line cannot give stops the run before any table is
    // touched; the job itself would only find out after rebuilding six steps' tables.
    if (catalog) {
        if (const auto problem = FrameworkChoiceProblem(xml, *catalog, options->marcos,
                                                        StandardInputIsTerminal())) {
            std::cerr << "velmaro-cli exportar: " << *problem;
            return kExitUsage;
        }
    }
    Session session = BatchSession(*options);
    TerminalInteraction terminal(xml, options->marcos, std::cerr, std::move(catalog));
    RunInboundJob(session, terminal, document ? &*document : nullptr);
    const int status = ExitStatus(session);
    if (status != kExitDone) return status;
    try {
        PrintSummary(session.paths.workDir);
    } catch (const Error& error) {
        terminal.ShowError(error.what());
        return kExitFailure;
    }
    return status;
}

}  // namespace velmaro::cli

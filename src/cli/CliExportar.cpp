// velmaro-cli exportar: the inbound conversion as Tavolin's batch mode runs it.

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "cli/CliJobOptions.h"
#include "base/Error.h"
#include "base/ProcessConsole.h"
#include "jobs/InboundJob.h"
#include "jobs/Session.h"
#include "cli/TerminalFrameworkChoice.h"
#include "cli/TerminalInteraction.h"
#include "inbound/InboundSteps.h"
#include "worktables/DbfTable.h"

namespace velmaro::cli {

namespace {

constexpr const char* kUsage =
    "Uso: velmaro-cli exportar --xml ARCHIVO [--work-dir CARPETA] [--program-dir CARPETA] "
    "[--marcos CÓDIGO[,CÓDIGO]]";

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

}  // namespace

int RunExportar(const std::vector<std::string>& arguments) {
    const auto options = ParseJobOptions("exportar", arguments, true);
    if (!options) {
        std::cerr << kUsage << '\n';
        return kExitUsage;
    }
    // The document is read once: for the check of the framework choice, for the choice itself
    // and for the job.
    const std::filesystem::path& xml = options->xml;
    std::optional<ExchangeDocument> document = LoadIfReadable(xml);
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
    const int status = JobExitStatus(session);
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

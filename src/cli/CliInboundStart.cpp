#include "cli/CliInboundStart.h"

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include "base/ProcessConsole.h"
#include "cli/TerminalFrameworkChoice.h"
#include "inbound/InboundSteps.h"
#include "worktables/DbfTable.h"

namespace velmaro::cli {

namespace {

// The tables the steps write, each once, in the order the steps first write them.
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

}  // namespace

std::optional<InboundStart> StartInboundRun(std::string_view command, const JobOptions& options) {
    InboundStart start;
    start.document = LoadIfReadable(options.xml);
    if (start.document) start.catalog.emplace(*start.document);
    if (start.catalog) {
        if (const auto problem = FrameworkChoiceProblem(options.xml, *start.catalog, options.marcos,
                                                        StandardInputIsTerminal())) {
            std::cerr << "velmaro-cli " << command << ": " << *problem;
            return std::nullopt;
        }
    }
    return start;
}

void PrintWrittenTables(const std::filesystem::path& workDir) {
    for (const std::string& table : WrittenTables()) {
        std::cout << std::left << std::setw(16) << table << std::right << std::setw(6)
                  << DbfTable::RowsInFile(workDir / table) << " filas\n";
    }
}

}  // namespace velmaro::cli

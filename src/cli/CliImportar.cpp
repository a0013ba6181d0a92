// velmaro-cli importar: the outbound conversion as Tavolin's batch mode runs it.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/Utf8Path.h"
#include "cli/CliCommands.h"
#include "cli/CliJobOptions.h"
#include "cli/CliReport.h"
#include "jobs/Session.h"
#include "cli/TerminalInteraction.h"
#include "jobs/OutboundJob.h"

namespace velmaro::cli {

namespace {

constexpr const char* kUsage =
    "Uso: velmaro-cli importar --xml ARCHIVO [--work-dir CARPETA] [--program-dir CARPETA] "
    "[--informe]";

}  // namespace

int RunImportar(const std::vector<std::string>& arguments) {
    const auto options = ParseJobOptions("importar", arguments, {.reportFlag = true});
    if (!options) {
        std::cerr << kUsage << '\n';
        return kExitUsage;
    }
    Session session = BatchSession(*options);
    TerminalInteraction terminal(options->xml, std::nullopt, std::cerr);
    const std::optional<OutboundSummary> summary = RunOutboundJob(session, terminal);
    if (summary) {
        std::cout << Utf8FromPath(summary->resultFile) << '\n'
                  << summary->teachers << " profesores, " << summary->activities
                  << " actividades\n";
        PrintReportSummary(std::cout, *session.lastReport);
        if (options->printReport) PrintWholeReport(std::cout, *session.lastReport, session);
    }
    return JobExitStatus(session);
}

}  // namespace velmaro::cli

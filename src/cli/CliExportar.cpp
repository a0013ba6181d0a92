// velmaro-cli exportar: the inbound conversion as Tavolin's batch mode runs it.

#include <iostream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "cli/CliCommands.h"
#include "cli/CliInboundStart.h"
#include "cli/CliJobOptions.h"
#include "cli/CliReport.h"
#include "cli/TerminalInteraction.h"
#include "jobs/InboundJob.h"
#include "jobs/Session.h"

namespace velmaro::cli {

namespace {

constexpr const char* kUsage =
    "Uso: velmaro-cli exportar --xml ARCHIVO [--work-dir CARPETA] [--program-dir CARPETA] "
    "[--marcos CÓDIGO[,CÓDIGO]] [--informe]";

}  // namespace

int RunExportar(const std::vector<std::string>& arguments) {
    const auto options = ParseJobOptions("exportar", arguments, {.frameworks = true,
                                                                 .reportFlag = true});
    if (!options) {
        std::cerr << kUsage << '\n';
        return kExitUsage;
    }
    // The document is read once: for the check of the framework choice, for the choice itself
    // and for the job.
    std::optional<InboundStart> start = StartInboundRun("exportar", *options);
    if (!start) return kExitUsage;
    Session session = BatchSession(*options);
    TerminalInteraction terminal(options->xml, options->marcos, std::cerr,
                                 std::move(start->catalog));
    RunInboundJob(session, terminal, start->document ? &*start->document : nullptr);
    const int status = JobExitStatus(session);
    if (status != kExitDone) return status;
    try {
        PrintWrittenTables(session.paths.workDir);
    } catch (const Error& error) {
        terminal.ShowError(error.what());
        return kExitFailure;
    }
    PrintReportSummary(std::cout, *session.lastReport);
    if (options->printReport) PrintWholeReport(std::cout, *session.lastReport, session);
    return status;
}

}  // namespace velmaro::cli

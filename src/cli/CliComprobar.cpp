// velmaro-cli comprobar: a dry run of the inbound conversion. The job runs as exportar runs it,
// with a scratch folder as its work-table folder, so the real work tables, their backups and the
// report beside them stay as they are; then the real folder is checked as the job would check it.

#include <iostream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/QuotedPath.h"
#include "cli/CliCommands.h"
#include "cli/CliInboundStart.h"
#include "cli/CliJobOptions.h"
#include "cli/CliReport.h"
#include "cli/ScratchWorkFolder.h"
#include "cli/TerminalInteraction.h"
#include "jobs/InboundJob.h"
#include "jobs/Session.h"

namespace velmaro::cli {

namespace {

constexpr const char* kUsage =
    "Uso: velmaro-cli comprobar --xml ARCHIVO [--work-dir CARPETA] [--program-dir CARPETA] "
    "[--marcos CÓDIGO[,CÓDIGO]]";

// The terminal, without the message that ends a completed job: a dry run finishes nothing.
class DryRunInteraction final : public UserInteraction {
public:
    DryRunInteraction(TerminalInteraction& terminal, const Session& session)
        : terminal_(terminal), session_(session) {}

    std::optional<std::filesystem::path> PickExchangeDocument() override {
        return terminal_.PickExchangeDocument();
    }
    void ShowMessage(const std::string& text) override {
        // The result code becomes 1 just before the job shows "Proceso finalizado".
        if (session_.resultCode != 1) terminal_.ShowMessage(text);
    }
    void ShowError(const std::string& text) override { terminal_.ShowError(text); }
    void SetWaitCursor(bool waiting) override { terminal_.SetWaitCursor(waiting); }
    FrameworkSelection ChooseFrameworks(const std::filesystem::path& exchangeDocument) override {
        return terminal_.ChooseFrameworks(exchangeDocument);
    }

private:
    TerminalInteraction& terminal_;
    const Session& session_;
};

// Runs the job into `scratch`; the exit status it gives.
int RunIntoScratch(const JobOptions& options, InboundStart& start,
                   const std::filesystem::path& workDir) {
    ScratchWorkFolder scratch;
    Session session = BatchSession(options);
    session.paths.workDir = scratch.Path();
    TerminalInteraction terminal(options.xml, options.marcos, std::cerr, std::move(start.catalog));
    DryRunInteraction dryRun(terminal, session);
    RunInboundJob(session, dryRun, start.document ? &*start.document : nullptr);
    const int status = JobExitStatus(session);
    if (status != kExitDone) return status;
    // The real folder last, as the job checks it once the document is known to convert.
    CheckWorkFolderReady(workDir);
    std::cout << "Comprobación de " << Quoted(options.xml)
              << ": la conversión se completaría. No se ha modificado ninguna tabla de "
              << Quoted(workDir) << ".\n";
    PrintWrittenTables(scratch.Path());
    std::cout << '\n';
    PrintWithLineFeeds(std::cout, session.lastReport->items.Text(session.lastReport->Kinds()));
    return kExitDone;
}

}  // namespace

int RunComprobar(const std::vector<std::string>& arguments) {
    const auto options = ParseJobOptions("comprobar", arguments, {.frameworks = true});
    if (!options) {
        std::cerr << kUsage << '\n';
        return kExitUsage;
    }
    std::optional<InboundStart> start = StartInboundRun("comprobar", *options);
    if (!start) return kExitUsage;
    const std::filesystem::path workDir = BatchSession(*options).paths.workDir;
    try {
        return RunIntoScratch(*options, *start, workDir);
    } catch (const Error& error) {
        std::cerr << "Error: " << error.what() << '\n';
        return kExitFailure;
    }
}

}  // namespace velmaro::cli

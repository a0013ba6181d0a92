#pragma once
// What velmaro-cli's inbound commands (exportar, comprobar) do before the job and after it: read
// the exchange document once and check the framework choice the command line gives; print the
// rows of every table the steps write.

#include <filesystem>
#include <optional>
#include <string_view>

#include "cli/CliJobOptions.h"
#include "exchange/ExchangeDocument.h"
#include "inbound/FrameworkChoice.h"

namespace velmaro::cli {

// The exchange document as read once for the whole run (nothing when it cannot be read: the job
// reports that itself), and its frameworks.
struct InboundStart {
    std::optional<ExchangeDocument> document;
    std::optional<FrameworkCatalog> catalog;
};

// Reads --xml and checks that the command line gives the framework step a valid choice. When it
// cannot, prints why on standard error after "velmaro-cli `command`: " and returns nothing, before
// any table is touched: the job would only find out after rebuilding six steps' tables.
std::optional<InboundStart> StartInboundRun(std::string_view command, const JobOptions& options);

// Prints "TABLE.DBF  N filas" for every table the steps write, from the tables' headers in
// `workDir`. Throws Error when one cannot be read.
void PrintWrittenTables(const std::filesystem::path& workDir);

}  // namespace velmaro::cli

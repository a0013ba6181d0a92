#pragma once
// The commands of velmaro-cli. Each takes the arguments after its name and returns the exit
// status: 0 done, 1 failure, 2 wrong usage, 3 the exchange document does not exist.

#include <string>
#include <vector>

namespace velmaro::cli {

constexpr int kExitDone = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoFile = 3;

// velmaro-cli exportar --xml FILE [--work-dir DIR] [--program-dir DIR] [--marcos CODE[,CODE]]:
// the inbound conversion in batch mode; prints the rows written per table on success.
int RunExportar(const std::vector<std::string>& arguments);

// velmaro-cli importar --xml FILE [--work-dir DIR] [--program-dir DIR]: the outbound conversion
// in batch mode; prints the result document's path and the teachers and activities written.
int RunImportar(const std::vector<std::string>& arguments);

// `dump TABLA.DBF`: prints the table as CSV on standard output (a header row of field names,
// then one line per live row, UTF-8, RFC 4180 quoting, lines ended by LF).
int RunDump(const std::vector<std::string>& arguments);

// `backups [--work-dir DIR]`: lists the backups of the work tables, newest first, one line each:
// the id, the date and the files it holds.
int RunBackups(const std::vector<std::string>& arguments);

// `restore ID [--work-dir DIR]`: puts the tables of backup ID back into the work-table folder;
// refuses, naming them, while another program holds any of them.
int RunRestore(const std::vector<std::string>& arguments);

}  // namespace velmaro::cli

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

// velmaro-cli exportar --xml FILE [--work-dir DIR] [--program-dir DIR] [--marcos CODE[,CODE]]
// [--informe]: the inbound conversion in batch mode; prints the rows written per table, the
// report's path and its count per kind of item on success (--informe: the whole report).
int RunExportar(const std::vector<std::string>& arguments);

// velmaro-cli importar --xml FILE [--work-dir DIR] [--program-dir DIR] [--informe]: the outbound
// conversion in batch mode; prints the result document's path, the teachers and activities
// written, the report's path and its count per kind of item (--informe: the whole report).
int RunImportar(const std::vector<std::string>& arguments);

// velmaro-cli comprobar --xml FILE [--work-dir DIR] [--program-dir DIR] [--marcos CODE[,CODE]]:
// a dry run of the inbound conversion into a scratch folder, which it removes afterwards;
// prints the rows each table would get and the whole report. Touches no work table and makes
// no backup. 0 when the conversion would complete, 1 (with the message) when it would stop.
int RunComprobar(const std::vector<std::string>& arguments);

// `dump TABLA.DBF`: prints the table as CSV on standard output (a header row of field names,
// then one line per live row, UTF-8, RFC 4180 quoting, lines ended by LF).
int RunDump(const std::vector<std::string>& arguments);

// `backups [--work-dir DIR]`: lists the backups of the work tables, newest first, one line each:
// the id, the date and the files it holds. 1, naming it, when the folder is missing or is not one.
int RunBackups(const std::vector<std::string>& arguments);

// `restore ID [--work-dir DIR]`: puts the tables of backup ID back into the work-table folder,
// all of them or none (TableBackups.h); refuses, naming them, while another program holds any
// of them.
int RunRestore(const std::vector<std::string>& arguments);

}  // namespace velmaro::cli

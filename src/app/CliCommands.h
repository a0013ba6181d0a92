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

}  // namespace velmaro::cli

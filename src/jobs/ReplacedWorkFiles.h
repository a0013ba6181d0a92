#pragma once
// The files of the work-table folder that an inbound conversion replaces or deletes.

#include <string>
#include <vector>

namespace velmaro {

// Every table the steps rebuild with its .MDX index file (removed by the rebuild, or written
// for DIASHORAST2), and JORNADAS.DBF, which the framework step deletes; each once, in the order
// the steps first touch them.
const std::vector<std::string>& ReplacedWorkFiles();

}  // namespace velmaro

#pragma once
// Which files of the work-table folder another program holds open, asked before a job changes
// any of them.

#include <filesystem>
#include <string>
#include <vector>

namespace velmaro {

// The files named by `fileNames` in `workDir`, found in any letter case (proft.dbf for
// PROFT.DBF), that another program holds (its lock, its share mode, or its opening, as
// TableFile::IsHeld tells), in the order given and as they are named in the folder. Missing
// files are not held.
std::vector<std::string> HeldWorkFiles(const std::filesystem::path& workDir,
                                       const std::vector<std::string>& fileNames);

// "La tabla 'A.DBF' de la carpeta '...' está abierta en otro programa" for one name, and the
// plural sentence naming every one of `held` for several.
std::string HeldWorkFilesMessage(const std::filesystem::path& workDir,
                                 const std::vector<std::string>& held);

}  // namespace velmaro

#include "worktables/HeldFiles.h"

#include "base/FileNameCase.h"
#include "base/Utf8Path.h"
#include "worktables/TableFile.h"

namespace velmaro {

std::vector<std::string> HeldWorkFiles(const std::filesystem::path& workDir,
                                       const std::vector<std::string>& fileNames) {
    std::vector<std::filesystem::path> paths;
    for (const std::string& name : fileNames) {
        paths.push_back(files::FindIgnoringCase(workDir, name));
    }
    const std::vector<bool> isHeld = dbf::TableFile::WhichHeld(paths);
    std::vector<std::string> held;
    for (std::size_t i = 0; i < fileNames.size(); ++i) {
        if (isHeld[i]) held.push_back(Utf8FromPath(paths[i].filename()));
    }
    return held;
}

std::string HeldWorkFilesMessage(const std::filesystem::path& workDir,
                                 const std::vector<std::string>& held) {
    const std::string folder = "de la carpeta '" + Utf8FromPath(workDir) + "'";
    if (held.size() == 1) {
        return "La tabla '" + held.front() + "' " + folder + " está abierta en otro programa";
    }
    std::string names;
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (i > 0) names += i + 1 == held.size() ? " y " : ", ";
        names += "'" + held[i] + "'";
    }
    return "Las tablas " + names + " " + folder + " están abiertas en otro programa";
}

}  // namespace velmaro

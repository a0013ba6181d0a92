#include "jobs/WorkFolderRun.h"

#include <cerrno>
#include <utility>

#include "base/Error.h"
#include "base/QuotedPath.h"
#include "jobs/StagedTables.h"
#include "jobs/TableBackups.h"

namespace velmaro {

WorkFolderRun WorkFolderRun::Begin(const std::filesystem::path& workDir) {
    const std::filesystem::path lockFile = workDir / kRunLockFileName;
    files::OpenedFile opened = files::OpenLockFile(lockFile);
    if (opened.error == ENOENT || opened.error == ENOTDIR) {
        throw Error("No existe la carpeta de las tablas de trabajo " + Quoted(workDir) + ".");
    }
    // A program that keeps the lock file for itself (a Windows share mode) holds it as a lock
    // does.
    if (opened.error == EBUSY ||
        (opened.error == 0 && !opened.file.TryLock(files::FileLock::Exclusive))) {
        throw Error(
            "Otro trabajo de Velmaro (exportar, importar o restaurar una copia) está "
            "usando la carpeta de las tablas de trabajo " +
            Quoted(workDir) + ". Espere a que termine y vuelva a intentarlo.");
    }
    if (opened.error != 0) {
        throw Error(
            "No se puede abrir el archivo de bloqueo " + Quoted(lockFile) +
            " de la carpeta de las tablas de trabajo: " + files::SystemReason(opened.error) + ".");
    }
    WorkFolderRun run(std::move(opened.file));
    SettleStoppedCommit(workDir);
    RemoveUnfinishedBackups(workDir);
    return run;
}

}  // namespace velmaro

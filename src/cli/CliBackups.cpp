// velmaro-cli backups / restore: the copies of the work tables that the inbound conversion
// makes before replacing them, listed and put back.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "base/FaultInjection.h"
#include "base/PlatformPaths.h"
#include "base/QuotedPath.h"
#include "base/Utf8Path.h"
#include "cli/CliCommands.h"
#include "jobs/TableBackups.h"
#include "jobs/WorkFolderRun.h"

namespace velmaro::cli {

namespace {

constexpr const char* kBackupsUsage = "Uso: velmaro-cli backups [--work-dir CARPETA]";
constexpr const char* kRestoreUsage = "Uso: velmaro-cli restore ID [--work-dir CARPETA]";

struct BackupOptions {
    std::optional<std::string> id;
    std::filesystem::path workDir;
};

// The options, or nothing (after a message on stderr) when the arguments are not usable.
std::optional<BackupOptions> ParseOptions(const std::string& command,
                                          const std::vector<std::string>& arguments, bool wantsId) {
    BackupOptions options;
    std::optional<std::string> workDir;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--work-dir") {
            if (i + 1 == arguments.size()) {
                std::cerr << "velmaro-cli " << command << ": falta el valor de --work-dir\n";
                return std::nullopt;
            }
            workDir = arguments[++i];
        } else if (wantsId && !options.id && !arguments[i].starts_with("--")) {
            options.id = arguments[i];
        } else {
            std::cerr << "velmaro-cli " << command << ": argumento desconocido '" << arguments[i]
                      << "'\n";
            return std::nullopt;
        }
    }
    if (wantsId && !options.id) {
        std::cerr << "velmaro-cli " << command << ": falta el identificador de la copia\n";
        return std::nullopt;
    }
    options.workDir = workDir ? PathFromUtf8(*workDir) : DefaultWorkDir();
    return options;
}

// What keeps `workDir` from being listed: missing, or something other than a folder; nothing
// when it is a folder.
std::optional<std::string> WorkFolderProblem(const std::filesystem::path& workDir) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(workDir, error);
    if (std::filesystem::is_directory(status)) return std::nullopt;
    const std::string folder = "la carpeta de las tablas de trabajo " + Quoted(workDir);
    if (status.type() == std::filesystem::file_type::not_found) return "No existe " + folder + ".";
    return "No se pueden listar las copias de seguridad: " + folder + " no es una carpeta" +
           (std::filesystem::is_regular_file(status) ? " (es un archivo)." : ".");
}

// The variable of a test hook: with a number N in it, restore is killed at its N-th change to a
// file (SIGKILL), so that a test lands a kill at an exact moment of the run.
constexpr const char* kKillHookVariable = "VELMARO_TEST_KILL_AT_CHANGE";

std::unique_ptr<files::ScopedFaultInjection> KillHookFromEnvironment() {
    const char* value = std::getenv(kKillHookVariable);
    if (value == nullptr) return nullptr;
    char* end = nullptr;
    const unsigned long change = std::strtoul(value, &end, 10);
    if (change == 0 || *end != '\0') return nullptr;
    return std::make_unique<files::ScopedFaultInjection>(change, files::FaultPersistence::Once, EIO,
                                                         files::FaultScope::EveryChange,
                                                         files::FaultEffect::KillProcess);
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
    return text;
}

}  // namespace

int RunBackups(const std::vector<std::string>& arguments) {
    const auto options = ParseOptions("backups", arguments, false);
    if (!options) {
        std::cerr << kBackupsUsage << '\n';
        return kExitUsage;
    }
    if (const std::optional<std::string> problem = WorkFolderProblem(options->workDir)) {
        std::cerr << *problem << '\n';
        return kExitFailure;
    }
    const std::vector<TableBackup> backups = ListBackups(options->workDir);
    if (backups.empty()) {
        std::cout << "No hay copias de seguridad en '"
                  << Utf8FromPath(options->workDir / kBackupFolderName) << "'\n";
        return kExitDone;
    }
    for (const TableBackup& backup : backups) {
        std::cout << backup.id << "  " << backup.date << "  " << Joined(backup.files) << '\n';
    }
    return kExitDone;
}

int RunRestore(const std::vector<std::string>& arguments) {
    const auto options = ParseOptions("restore", arguments, true);
    if (!options) {
        std::cerr << kRestoreUsage << '\n';
        return kExitUsage;
    }
    const std::unique_ptr<files::ScopedFaultInjection> killHook = KillHookFromEnvironment();
    try {
        const WorkFolderRun run = WorkFolderRun::Begin(options->workDir);
        const Restoration restoration = RestoreBackup(options->workDir, *options->id);
        if (restoration.previousTables) {
            std::cout << "Copia de las tablas que había antes: " << *restoration.previousTables
                      << '\n';
        }
        std::cout << "Restauradas desde la copia " << *options->id << ": "
                  << Joined(restoration.files) << '\n';
        return kExitDone;
    } catch (const Error& error) {
        std::cerr << error.what() << '\n';
        return kExitFailure;
    }
}

}  // namespace velmaro::cli

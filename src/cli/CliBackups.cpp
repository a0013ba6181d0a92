// velmaro-cli backups / restore: the copies of the work tables that the inbound conversion
// makes before replacing them, listed and put back.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "base/Error.h"
#include "base/PlatformPaths.h"
#include "base/Utf8Path.h"
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

// velmaro-cli: the jobs of Velmaro without a window, for scripts and tests.

#include <iostream>
#include <string>
#include <vector>

#include "base/MemoryReuse.h"
#include "base/ProcessConsole.h"
#include "cli/CliCommands.h"

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const std::vector<std::string>&);
};

const std::vector<Command> kCommands = {
    {"exportar",
     "exportar --xml ARCHIVO [--work-dir CARPETA] [--program-dir CARPETA] "
     "[--marcos CÓDIGO[,CÓDIGO]] [--informe]",
     velmaro::cli::RunExportar},
    {"importar",
     "importar --xml ARCHIVO [--work-dir CARPETA] [--program-dir CARPETA] [--informe]",
     velmaro::cli::RunImportar},
    {"comprobar",
     "comprobar --xml ARCHIVO [--work-dir CARPETA] [--program-dir CARPETA] "
     "[--marcos CÓDIGO[,CÓDIGO]]",
     velmaro::cli::RunComprobar},
    {"dump", "dump TABLA.DBF", velmaro::cli::RunDump},
    {"backups", "backups [--work-dir CARPETA]", velmaro::cli::RunBackups},
    {"restore", "restore ID [--work-dir CARPETA]", velmaro::cli::RunRestore},
};

void PrintUsage(std::ostream& out) {
    out << "Uso: velmaro-cli ORDEN [OPCIONES]\nÓrdenes:\n";
    for (const Command& command : kCommands) out << "  velmaro-cli " << command.usage << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    velmaro::KeepFreedMemoryForReuse();
    velmaro::UseUtf8Console();
    const std::vector<std::string> arguments = velmaro::CommandLineArguments(argc, argv);
    if (arguments.empty()) {
        PrintUsage(std::cerr);
        return velmaro::cli::kExitUsage;
    }
    if (arguments[0] == "--help" || arguments[0] == "-h") {
        PrintUsage(std::cout);
        return velmaro::cli::kExitDone;
    }
    for (const Command& command : kCommands) {
        if (arguments[0] == command.name) {
            return command.run({arguments.begin() + 1, arguments.end()});
        }
    }
    std::cerr << "velmaro-cli: orden desconocida '" << arguments[0] << "'\n";
    PrintUsage(std::cerr);
    return velmaro::cli::kExitUsage;
}

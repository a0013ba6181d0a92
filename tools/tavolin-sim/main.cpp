// tavolin-sim: a stand-in for the timetable program. Reads the work tables that the inbound
// conversion wrote and writes a plausible, deterministic timetable into SOLUC.DBF.

#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "SolucWriter.h"
#include "TimetablePlanner.h"
#include "base/PlatformPaths.h"
#include "base/ProcessConsole.h"
#include "base/Utf8Path.h"
#include "worktables/WorkTableLayouts.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "Uso: tavolin-sim [--work-dir CARPETA] [--format dbase|foxpro]\n"
    "  Escribe SOLUC.DBF en la carpeta de trabajo a partir de sus tablas.\n"
    "  --format dbase   campos numéricos N de dBase III/IV (por defecto)\n"
    "  --format foxpro  campos enteros binarios I de Visual FoxPro\n";

struct Options {
    std::filesystem::path workDir = velmaro::DefaultWorkDir();
    velmaro::sim::SolucFormat format = velmaro::sim::SolucFormat::DBase;
};

std::optional<velmaro::sim::SolucFormat> ParseFormat(const std::string& name) {
    if (name == "dbase") return velmaro::sim::SolucFormat::DBase;
    if (name == "foxpro") return velmaro::sim::SolucFormat::FoxPro;
    return std::nullopt;
}

// The options, or nothing (after a message) when they are wrong.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (i + 1 >= arguments.size() || (name != "--work-dir" && name != "--format")) {
            std::cerr << "tavolin-sim: opción no válida '" << name << "'\n" << kUsage;
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (name == "--work-dir") {
            options.workDir = velmaro::PathFromUtf8(value);
        } else if (auto format = ParseFormat(value)) {
            options.format = *format;
        } else {
            std::cerr << "tavolin-sim: formato desconocido '" << value << "'\n" << kUsage;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    velmaro::UseUtf8Console();
    const std::vector<std::string> arguments = velmaro::CommandLineArguments(argc, argv);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::cout << kUsage;
        return kExitDone;
    }
    const std::optional<Options> options = ParseOptions(arguments);
    if (!options) return kExitUsage;
    try {
        const auto rows = velmaro::sim::PlanTimetable(options->workDir);
        const std::filesystem::path soluc = options->workDir / velmaro::layouts::SOLUC.fileName;
        velmaro::sim::WriteSoluc(soluc, rows, options->format);
        std::size_t placed = 0;
        for (const auto& row : rows) placed += row.dia != 0 ? 1 : 0;
        std::cout << velmaro::Utf8FromPath(soluc) << ": " << rows.size() << " filas (" << placed
                  << " colocadas, " << rows.size() - placed << " sin colocar)\n";
        return kExitDone;
    } catch (const std::exception& error) {
        std::cerr << "tavolin-sim: " << error.what() << '\n';
        return kExitFailure;
    }
}

// Folders and files named with any character, as schools name them ("C:\Año 2026\"): the paths
// that velmaro-cli takes from its arguments and from the environment reach the files whole, and
// every path it prints or writes into the report is the one given, character for character. The
// names hold a letter outside ASCII and a character outside the Basic Multilingual Plane.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/RunProgram.h"
#include "support/ScopedEnvironment.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchFolder;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kSimulator = fs::path(VELMARO_RUNTIME_DIR) / "tavolin-sim";
const fs::path kSample = fs::path(VELMARO_SOURCE_DIR) / "data" / "sample" / "RacimaEjemplo.xml";
const fs::path kReferenceTable = fs::path(VELMARO_RUNTIME_DIR) / "NIVELLARI.DBF";

// The path named by the UTF-8 text `utf8`, made by the standard library alone.
fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

class CliUnicodePaths : public ::testing::Test {
protected:
    // The UTF-8 text of the path `names` below the scratch folder (ASCII itself), one name a part.
    std::string Below(const std::vector<std::string>& names) const {
        std::string text = scratch.Path().string();
        for (const std::string& name : names) {
            text += static_cast<char>(fs::path::preferred_separator);
            text += name;
        }
        return text;
    }

    ProgramRun Cli(const std::vector<std::string>& arguments) const {
        return RunProgram(kCli, arguments, scratch);
    }

    ScratchFolder scratch;
    const std::string school = Below({"Año 2026 📅"});
    const std::string xml = Below({"Año 2026 📅", "Racima ñ 📅.xml"});
    const std::string result = Below({"Año 2026 📅", "ResultadoOrvikRacima ñ 📅.xml"});
    const std::string workDir = Below({"TTEMP ñ 📅"});
    const std::string programDir = Below({"Programa ñ 📅"});
    const std::string report = Below({"TTEMP ñ 📅", "velmaro-informe.txt"});

    void SetUp() override {
        for (const std::string& folder : {school, workDir, programDir}) {
            fs::create_directory(PathOf(folder));
        }
        fs::copy_file(kSample, PathOf(xml));
        fs::copy_file(kReferenceTable, PathOf(programDir) / "NIVELLARI.DBF");
    }
};

TEST_F(CliUnicodePaths, ExportarImportarAndDumpOnTheFoldersGiven) {
    const ProgramRun exportar = Cli({"exportar", "--xml", xml, "--work-dir", workDir,
                                     "--program-dir", programDir, "--marcos", "4401,4402"});
    ASSERT_EQ(exportar.status, 0) << exportar.err;
    EXPECT_NE(exportar.out.find("\nInforme: " + report + "\n"), std::string::npos) << exportar.out;
    EXPECT_TRUE(fs::is_regular_file(PathOf(workDir) / "PROFT.DBF"));
    const std::string written = ReadBytes(PathOf(report));
    EXPECT_NE(written.find("Documento de intercambio: " + xml + "\r\n"), std::string::npos)
        << written;
    EXPECT_NE(written.find("Tablas de trabajo: " + workDir + "\r\n"), std::string::npos) << written;

    const ProgramRun simulator = RunProgram(kSimulator, {"--work-dir", workDir}, scratch);
    ASSERT_EQ(simulator.status, 0) << simulator.err;
    const std::string soluc = Below({"TTEMP ñ 📅", "SOLUC.DBF"});
    EXPECT_TRUE(simulator.out.starts_with(soluc + ": ")) << simulator.out;

    const ProgramRun importar = Cli({"importar", "--xml", xml, "--work-dir", workDir});
    ASSERT_EQ(importar.status, 0) << importar.err;
    EXPECT_TRUE(importar.out.starts_with(result + "\n")) << importar.out;
    EXPECT_TRUE(ReadBytes(PathOf(result)).starts_with("<?xml")) << "the result beside the document";

    const ProgramRun dump = Cli({"dump", soluc});
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_TRUE(dump.out.starts_with("PROF,DIA,HORA,MARCO,ASIG,CODGRUPO,TAREA,AULA\n")) << dump.out;
}

TEST_F(CliUnicodePaths, FoldersOfTheEnvironment) {
    const testing::ScopedEnvironment environment(
        {{"VELMARO_TTEMP", workDir}, {"VELMARO_HOME", programDir}});
    const ProgramRun exportar = Cli({"exportar", "--xml", xml, "--marcos", "4401"});
    ASSERT_EQ(exportar.status, 0) << exportar.err;
    EXPECT_NE(exportar.out.find("\nInforme: " + report + "\n"), std::string::npos) << exportar.out;
    EXPECT_TRUE(fs::is_regular_file(PathOf(workDir) / "PROFT.DBF"));
}

TEST_F(CliUnicodePaths, MessagesNameThePathWhole) {
    const ProgramRun folder =
        Cli({"exportar", "--xml", school, "--work-dir", workDir, "--program-dir", programDir});
    EXPECT_EQ(folder.status, 3);
    EXPECT_NE(folder.err.find("No existe archivo: '" + school + "' no es un archivo"),
              std::string::npos)
        << folder.err;

    const std::string missing = Below({"TTEMP ñ 📅", "NOESTÁ📅.DBF"});
    const ProgramRun dump = Cli({"dump", missing});
    EXPECT_EQ(dump.status, 1);
    EXPECT_NE(dump.err.find("'" + missing + "'"), std::string::npos) << dump.err;
}

}  // namespace
}  // namespace velmaro

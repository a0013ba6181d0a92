// The conversion report from the command line: the counts and the report's path that exportar and
// importar print, the whole report with --informe, and comprobar, the dry run that prints the
// report and the row counts and leaves the work-table folder exactly as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/HeldFile.h"
#include "support/RunProgram.h"
#include "support/SchoolXml.h"
#include "support/ScopedEnvironment.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::HeldFile;
using testing::ProgramRun;
using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchFolder;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kSimulator = fs::path(VELMARO_RUNTIME_DIR) / "tavolin-sim";
const fs::path kSample = fs::path(VELMARO_SOURCE_DIR) / "data" / "sample" / "RacimaEjemplo.xml";
const std::string kProgramDir = VELMARO_RUNTIME_DIR;

// Every entry below `folder`, by its path relative to it: a file's bytes, or "<carpeta>".
std::map<std::string, std::string> FolderState(const fs::path& folder) {
    std::map<std::string, std::string> state;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        state[name] = entry.is_directory() ? "<carpeta>" : ReadBytes(entry.path());
    }
    return state;
}

// `text` with every CR LF as LF, and without a leading byte-order mark.
std::string AsPrinted(std::string text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
}

class CliReportTest : public ::testing::Test {
protected:
    ProgramRun Cli(const std::vector<std::string>& arguments) const {
        return RunProgram(kCli, arguments, scratch);
    }
    ProgramRun Exportar(const std::vector<std::string>& more = {}) const {
        std::vector<std::string> arguments = {"exportar",   "--xml",          xml.string(),
                                              "--work-dir", workDir.string(), "--program-dir",
                                              kProgramDir};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return Cli(arguments);
    }
    // comprobar with the system's temporary folder in `temporary`: named by TMPDIR on POSIX
    // systems, by TMP on Windows (which the started program inherits from this one).
    ProgramRun Comprobar(const std::vector<std::string>& arguments) const {
#ifdef _WIN32
        const testing::ScopedEnvironment environment({{"TMP", temporary.string()}});
        std::vector<std::string> command = {"comprobar"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return RunProgram(kCli, command, scratch);
#else
        std::string command = "TMPDIR=" + testing::ShellQuoted(temporary.string()) + " " +
                              testing::ShellQuoted(kCli.string()) + " comprobar";
        for (const std::string& argument : arguments) {
            command += " " + testing::ShellQuoted(argument);
        }
        return testing::RunShell(command + " </dev/null", scratch.Path());
#endif
    }

    ScratchFolder scratch;
    fs::path workDir = scratch.Folder("TTEMP");
    fs::path temporary = scratch.Folder("tmp");
    fs::path xml = [this] {
        fs::copy_file(kSample, scratch / "RacimaEjemplo.xml");
        return scratch / "RacimaEjemplo.xml";
    }();
    fs::path report = workDir / "velmaro-informe.txt";
};

TEST_F(CliReportTest, ExportarPrintsTheCountsAndInformeTheWholeReport) {
    const ProgramRun run = Exportar({"--marcos", "4401"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const std::string& line :
         {"Informe: " + report.string() + "\n", std::string("  Materias sin nombre, omitidas: 0\n"),
          std::string("  Códigos ya ocupados, con un número añadido: 13\n"),
          std::string("  Textos más largos que su campo, cortados: 4\n"),
          std::string("  Marcos Horarios no elegidos: 1\n")}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    }
    EXPECT_EQ(run.out.find("Resumen"), std::string::npos) << "the items only with --informe";

    const ProgramRun whole = Exportar({"--marcos", "4401", "--informe"});
    ASSERT_EQ(whole.status, 0) << whole.err;
    const std::string printed = AsPrinted(ReadBytes(report));
    EXPECT_TRUE(whole.out.ends_with(printed)) << whole.out << "\n---\n" << printed;
    for (const char* line :
         {"Conversión: de Racima a Tavolin (exportar)\n",
          "  EMPLEADOS, registro 2: PROFT.DBF ABREV: el código «GLA» ya estaba ocupado; se le ha "
          "dado «GLA1»\n",
          "  JORNADAS_ESCOLARES, registro 2: «4402» (Jornada de tarde) no se ha aplicado al "
          "horario\n"}) {
        EXPECT_NE(whole.out.find(line), std::string::npos) << line << whole.out;
    }
    EXPECT_EQ(whole.out.find('\r'), std::string::npos);
}

TEST_F(CliReportTest, ImportarNamesTheReportBesideTheTables) {
    ASSERT_EQ(Exportar({"--marcos", "4401,4402"}).status, 0);
    ASSERT_EQ(RunProgram(kSimulator, {"--work-dir", workDir.string()}, scratch).status, 0);
    const ProgramRun run =
        Cli({"importar", "--xml", xml.string(), "--work-dir", workDir.string(), "--informe"});
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path result = scratch / "ResultadoOrvikRacimaEjemplo.xml";
    for (const std::string& line :
         {result.string() + "\n", "Informe: " + report.string() + "\n",
          std::string("  Filas de SOLUC.DBF cuyo profesor no está en PROFT.DBF, no enviadas: 0\n"),
          std::string("Conversión: de Tavolin a Racima (importar)\n"),
          "Documento de resultado: " + result.string() + "\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    }
    EXPECT_TRUE(run.out.ends_with(AsPrinted(ReadBytes(report)))) << run.out;
}

TEST_F(CliReportTest, ComprobarPrintsTheReportAndLeavesTheWorkFolderAsItWas) {
    ASSERT_EQ(Exportar({"--marcos", "4401,4402"}).status, 0);
    testing::WriteBytes(workDir / "notas.txt", "de la secretaría");
    const auto before = FolderState(workDir);

    const ProgramRun run = Comprobar({"--xml", xml.string(), "--work-dir", workDir.string(),
                                      "--program-dir", kProgramDir, "--marcos", "4401"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* line :
         {"la conversión se completaría. No se ha modificado ninguna tabla",
          "PROFT.DBF           60 filas\n", "DIASHORAST.DBF      49 filas\n",
          "PERIODOS.DBF         1 filas\n", "Resumen\n",
          "  Códigos ya ocupados, con un número añadido: 13\n",
          "  JORNADAS_ESCOLARES, registro 2: «4402» (Jornada de tarde) no se ha aplicado al "
          "horario\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    }
    EXPECT_EQ(run.err.find("Proceso finalizado"), std::string::npos) << run.err;
    EXPECT_EQ(FolderState(workDir), before);
    EXPECT_FALSE(fs::exists(workDir / "velmaro-copias"));
    EXPECT_TRUE(fs::is_empty(temporary)) << "the scratch folder stays behind";
}

TEST_F(CliReportTest, ComprobarStopsWhereTheConversionWouldStop) {
    ASSERT_EQ(Exportar({"--marcos", "4401"}).status, 0);
    const fs::path badCourse =
        scratch.File("curso.xml", testing::SchoolXml()
                                      .Section("CURSOS_DEL_CENTRO", {{"1º", "1º ESO"}})
                                      .Section("JORNADAS_ESCOLARES", {{"4401", "Mañana", "", ""}})
                                      .Text());
    const auto before = FolderState(workDir);
    auto arguments = [&](const fs::path& document, const fs::path& folder) {
        return std::vector<std::string>{
            "--xml",         document.string(), "--work-dir", folder.string(),
            "--program-dir", kProgramDir,       "--marcos",   "4401"};
    };
    struct StopCase {
        const char* name;
        std::vector<std::string> arguments;
        int status;
        std::string message;  // a part of standard error
    };
    const std::vector<StopCase> cases = {
        {"missing file", arguments(scratch / "no-existe.xml", workDir), 3, "No existe archivo"},
        {"failing step", arguments(badCourse, workDir), 1, "'1º' is not a valid integer value"},
        {"missing work folder", arguments(xml, scratch / "no-existe"), 1,
         "No existe la carpeta de las tablas de trabajo"},
        {"unknown framework",
         {"--xml", xml.string(), "--work-dir", workDir.string(), "--marcos", "9999"},
         2,
         "9999"},
        {"no --xml", {"--work-dir", workDir.string()}, 2, "falta --xml"},
        {"--informe is not an option of comprobar",
         {"--xml", xml.string(), "--work-dir", workDir.string(), "--informe"},
         2,
         "--informe"},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = Comprobar(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
    {
        const HeldFile held(workDir / "PROFT.DBF", HeldFile::Shared);
        const ProgramRun run = Comprobar(arguments(xml, workDir));
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("PROFT.DBF"), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
    EXPECT_EQ(FolderState(workDir), before);
    EXPECT_TRUE(fs::is_empty(temporary)) << "a scratch folder stays behind";
}

}  // namespace
}  // namespace velmaro

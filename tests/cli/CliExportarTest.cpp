// velmaro-cli exportar: exit statuses, messages, and the sample school's tables as an
// independent dBase reader (python3-dbfread) sees them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::RunProgram;
using testing::ScratchFolder;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kSample = fs::path(VELMARO_SOURCE_DIR) / "data" / "sample" / "RacimaEjemplo.xml";

class CliExportarTest : public ::testing::Test {
protected:
    std::vector<std::string> Arguments(const fs::path& xml, const fs::path& programDir) const {
        return {"exportar",          "--xml",          xml.string(),
                "--work-dir",        workDir.string(), "--program-dir",
                programDir.string(), "--marcos",       "4401"};
    }

    ProgramRun Cli(const std::vector<std::string>& arguments) const {
        return RunProgram(kCli, arguments, scratch);
    }

    ScratchFolder scratch;
    fs::path workDir = scratch.Folder("TTEMP");
    fs::path programDir = VELMARO_RUNTIME_DIR;
};

TEST_F(CliExportarTest, SampleSchoolTablesAndTheirRowCounts) {
    const ProgramRun run = Cli(Arguments(kSample, programDir));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Proceso finalizado"), std::string::npos) << run.err;
    for (const char* line : {"ASIGNOMT.DBF        94 filas", "ASIGNOMT2.DBF      250 filas",
                             "PROFT.DBF           60 filas", "AULAT.DBF           25 filas"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    }
}

#ifndef _WIN32
// Debian's python3-dbfread is a Linux program.
TEST_F(CliExportarTest, SampleSchoolTablesReadByAnotherDbaseReader) {
    ASSERT_EQ(Cli(Arguments(kSample, programDir)).status, 0);
    const std::string reader =
        "import sys, dbfread\n"
        "folder = sys.argv[1]\n"
        "for name in ('ASIGNOMT', 'ASIGNOMT2', 'PROFT', 'AULAT'):\n"
        "    print(name, len(list(dbfread.DBF(folder + '/' + name + '.DBF'))))\n"
        "teachers = list(dbfread.DBF(folder + '/PROFT.DBF'))\n"
        "print('|'.join(t['ABREV'] for t in teachers[:5]))\n"
        "print(teachers[3]['NOMBRE'])\n"
        "tasks = [r for r in dbfread.DBF(folder + '/ASIGNOMT.DBF') if r['ESTAREA']]\n"
        "print('|'.join(r['NOMBRE'] for r in tasks))\n";
    const fs::path script = scratch.File("leer.py", reader);
    const ProgramRun read =
        RunProgram("/usr/bin/python3", {script.string(), workDir.string()}, scratch);
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out,
              "ASIGNOMT 94\nASIGNOMT2 250\nPROFT 60\nAULAT 25\n"
              "GLA|GLA1|GLA2| YB|PN\n"
              "Martín Yagüe, Begoña\n"
              "Guardia|Tutoría lectiva|Reunión de departamento|Guardia de recreo|"
              "Atención a familias|Jefatura de departamento\n");
}
#endif

TEST_F(CliExportarTest, ExitStatuses) {
    struct StatusCase {
        const char* name;
        std::vector<std::string> arguments;
        int status;
        std::string message;  // a part of standard error
    };
    const fs::path emptyProgramDir = scratch.Folder("programa-vacio");
    const std::vector<StatusCase> cases = {
        {"missing file", Arguments(scratch.Path() / "no-existe.xml", programDir), 3,
         "No existe archivo"},
        {"no reference table", Arguments(kSample, emptyProgramDir), 1,
         "ATENCIÓN - NIVELLARI.DBF No encontrado - Reinstale VELMARO"},
        {"no --xml", {"exportar", "--work-dir", workDir.string()}, 2, "falta --xml"},
        {"--xml without value", {"exportar", "--xml"}, 2, "falta el valor de --xml"},
        {"unknown option", {"exportar", "--xml", kSample.string(), "--rapido"}, 2, "--rapido"},
        {"positional argument", {"exportar", kSample.string()}, 2, "opción desconocida"},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = Cli(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
    EXPECT_TRUE(fs::is_empty(workDir));
}

}  // namespace
}  // namespace velmaro

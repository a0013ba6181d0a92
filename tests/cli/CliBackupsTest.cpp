// velmaro-cli backups and restore: listing the backups an exportar run made, putting one back,
// refusing while another program holds a table, a work-table folder that is not there, and
// wrong usage.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/HeldFile.h"
#include "support/RunProgram.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchFolder;
using testing::WriteBytes;

const fs::path kCli = fs::path(VELMARO_RUNTIME_DIR) / "velmaro-cli";
const fs::path kSample = fs::path(VELMARO_SOURCE_DIR) / "data" / "sample" / "RacimaEjemplo.xml";

class CliBackupsTest : public ::testing::Test {
protected:
    ProgramRun Cli(const std::vector<std::string>& arguments) const {
        return RunProgram(kCli, arguments, scratch);
    }
    ProgramRun Exportar() const {
        return Cli({"exportar", "--xml", kSample.string(), "--work-dir", workDir.string(),
                    "--program-dir", VELMARO_RUNTIME_DIR, "--marcos", "4401"});
    }

    ScratchFolder scratch;
    fs::path workDir = scratch.Folder("TTEMP");
};

TEST_F(CliBackupsTest, ListsTheBackupAndRestoresIt) {
    const ProgramRun none = Cli({"backups", "--work-dir", workDir.string()});
    EXPECT_EQ(none.status, 0);
    EXPECT_NE(none.out.find("No hay copias de seguridad"), std::string::npos) << none.out;

    ASSERT_EQ(Exportar().status, 0);
    const std::string firstProft = ReadBytes(workDir / "PROFT.DBF");
    const std::string jornadas = ReadBytes(workDir / "PERIODOS.DBF");  // a table of another kind
    WriteBytes(workDir / "JORNADAS.DBF", jornadas);
    ASSERT_EQ(Exportar().status, 0);

    const ProgramRun listed = Cli({"backups", "--work-dir", workDir.string()});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const std::string id = listed.out.substr(0, listed.out.find(' '));
    EXPECT_EQ(id.size(), 15u) << listed.out;
    EXPECT_NE(listed.out.find("JORNADAS.DBF"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("PROFT.DBF"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("/"), std::string::npos) << "a date" << listed.out;

    WriteBytes(workDir / "PROFT.DBF", "estropeada");
    const ProgramRun restored = Cli({"restore", id, "--work-dir", workDir.string()});
    ASSERT_EQ(restored.status, 0) << restored.err;
    EXPECT_NE(restored.out.find("PROFT.DBF"), std::string::npos) << restored.out;
    EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF"), firstProft);
    EXPECT_EQ(ReadBytes(workDir / "JORNADAS.DBF"), jornadas);

    // The tables the restore replaced were backed up first: the newest backup, named.
    const ProgramRun after = Cli({"backups", "--work-dir", workDir.string()});
    const std::string newest = after.out.substr(0, after.out.find(' '));
    EXPECT_NE(newest, id);
    EXPECT_NE(restored.out.find("Copia de las tablas que había antes: " + newest),
              std::string::npos)
        << restored.out;
}

TEST_F(CliBackupsTest, RestoreRefusesHeldTablesAndUnknownIds) {
    ASSERT_EQ(Exportar().status, 0);
    ASSERT_EQ(Exportar().status, 0);
    const ProgramRun listed = Cli({"backups", "--work-dir", workDir.string()});
    const std::string id = listed.out.substr(0, listed.out.find(' '));
    const std::string proft = ReadBytes(workDir / "PROFT.DBF");
    {
        testing::HeldFile tavolin(workDir / "ASIGT.DBF", testing::HeldFile::Shared);
        testing::HeldFile other(workDir / "AULAT.DBF", testing::HeldFile::Exclusive);
        ASSERT_TRUE(tavolin.Locked() && other.Locked());
        const ProgramRun refused = Cli({"restore", id, "--work-dir", workDir.string()});
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find("'ASIGT.DBF'"), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("'AULAT.DBF'"), std::string::npos) << refused.err;
        EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF"), proft);
    }
    const ProgramRun unknown = Cli({"restore", "19990101-000000", "--work-dir", workDir.string()});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("No existe la copia"), std::string::npos) << unknown.err;
}

TEST_F(CliBackupsTest, BackupsOfAWorkFolderThatIsNotThereIsAFailureNamingIt) {
    struct Case {
        const char* name;
        fs::path folder;
        const char* said;
    };
    const Case cases[] = {
        {"Missing", scratch.Path() / "no-existe", "No existe la carpeta de las tablas de trabajo"},
        {"FileInItsPlace", scratch.File("TTEMP-archivo", "un archivo"), "no es una carpeta"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = Cli({"backups", "--work-dir", c.folder.string()});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("'" + c.folder.string() + "'"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << "no list, and no word of there being no backups";
    }
}

TEST_F(CliBackupsTest, WrongUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {"restore"},           {"restore", "--work-dir", workDir.string()},
        {"restore", "a", "b"}, {"backups", "--work-dir"},
        {"backups", "de-mas"},
    };
    for (const auto& arguments : cases) {
        const ProgramRun run = Cli(arguments);
        EXPECT_EQ(run.status, 2) << arguments.back();
        EXPECT_NE(run.err.find("Uso:"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace velmaro

// Backups of the work tables: what the inbound conversion copies and when, how many are kept,
// listing them, putting one back, and refusing while another program holds a table.

#include <gtest/gtest.h>
#include <sys/file.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/Error.h"
#include "jobs/InboundJob.h"
#include "jobs/TableBackups.h"
#include "jobs/ReplacedWorkFiles.h"
#include "support/FakeInteraction.h"
#include "support/HeldFile.h"
#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::FakeInteraction;
using testing::ReadBytes;
using testing::SchoolXml;
using testing::ScratchFolder;
using testing::WriteBytes;

SchoolXml SmallSchool() {
    return SchoolXml()
        .Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"}})
        .Section("UNIDADES", {{"834501", "1º ESO A", "60101"}})
        .Section("MATERIAS", {{"60101", "300101", "Lengua Castellana y Literatura"}})
        .Section("ACTIVIDADES", {{"N", "1", "Guardia"}})
        .Section("EMPLEADOS", {{"1048000", "01/09/2026", "590", "García", "López", "Ana"}})
        .Section("DEPENDENCIAS", {{"A101", "Aula 1.01"}})
        .Section("JORNADAS_ESCOLARES", {{"4401", "Jornada de mañana", "09/09/2026", "22/06/2027"}})
        .Section("TRAMOS_HORARIOS", {{"170001", "1ª hora", "510", "565", "4401"}});
}

class TableBackups : public ::testing::Test {
protected:
    TableBackups() : scratch(testing::MemoryBackedTemporaryFolder()) {}

    void SetUp() override {
        workDir = scratch.Folder("TTEMP");
        programDir = scratch.Folder("programa");
        fs::copy_file(fs::path(VELMARO_RUNTIME_DIR) / "NIVELLARI.DBF",
                      programDir / "NIVELLARI.DBF");
        school = scratch.File("escuela.xml", SmallSchool().Text());
    }

    // Runs the inbound conversion; returns the errors it showed.
    std::vector<std::string> Convert(const fs::path& document) {
        Session session;
        session.paths = {workDir, programDir};
        session.batchMode = true;
        FakeInteraction ui;
        ui.picks.push_back(document);
        RunInboundJob(session, ui);
        return ui.errors;
    }

    // Writes earlier contents into some of the files the conversion replaces, and a file it
    // does not touch.
    void WriteEarlierTables() {
        for (const char* name :
             {"PROFT.DBF", "AULAT.DBF", "DIASHORAST2.MDX", "JORNADAS.DBF", "PROFT.MDX"}) {
            WriteBytes(workDir / name, std::string("anterior ") + name);
        }
        WriteBytes(workDir / "SOLUC.DBF", "solución de Tavolin");
    }

    ScratchFolder scratch;
    fs::path workDir;
    fs::path programDir;
    fs::path school;
};

TEST_F(TableBackups, ConversionCopiesTheFilesItReplacesBeforeTouchingThem) {
    WriteEarlierTables();
    ASSERT_TRUE(Convert(school).empty());
    const std::vector<TableBackup> backups = ListBackups(workDir);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].files,
              (std::vector<std::string>{"AULAT.DBF", "DIASHORAST2.MDX", "JORNADAS.DBF", "PROFT.DBF",
                                        "PROFT.MDX"}));
    EXPECT_EQ(backups[0].id.size(), 15u);
    EXPECT_EQ(backups[0].date.size(), 19u);  // DD/MM/AAAA HH:MM:SS
    const fs::path folder = workDir / kBackupFolderName / backups[0].id;
    for (const std::string& name : backups[0].files) {
        EXPECT_EQ(ReadBytes(folder / name), "anterior " + name);
    }
    EXPECT_NE(ReadBytes(workDir / "PROFT.DBF"), "anterior PROFT.DBF") << "replaced by the run";
    EXPECT_EQ(ReadBytes(workDir / "SOLUC.DBF"), "solución de Tavolin");
}

TEST_F(TableBackups, EveryFileTheConversionReplacesIsCopied) {
    for (const std::string& name : ReplacedWorkFiles()) {
        WriteBytes(workDir / name, "anterior " + name);
    }
    ASSERT_TRUE(Convert(school).empty());
    const std::vector<TableBackup> backups = ListBackups(workDir);
    ASSERT_EQ(backups.size(), 1u);
    std::vector<std::string> expected = ReplacedWorkFiles();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(backups[0].files, expected);
    EXPECT_EQ(expected.size(), 21u) << "ten tables, their index files and JORNADAS.DBF";
}

TEST_F(TableBackups, NothingIsCopiedWhenNoTableExistsOrTheRunStopsEarly) {
    ASSERT_TRUE(Convert(school).empty());  // an empty folder: nothing to keep
    EXPECT_TRUE(ListBackups(workDir).empty());

    const fs::path folder = scratch.Folder("otra");
    workDir = folder;
    WriteEarlierTables();
    EXPECT_TRUE(Convert(scratch.Path() / "no-existe.xml").empty());  // "No existe archivo"
    EXPECT_FALSE(fs::exists(workDir / kBackupFolderName));
    EXPECT_EQ(Convert(scratch.File("vacio.xml", SchoolXml().Text())).size(), 1u);
    EXPECT_FALSE(fs::exists(workDir / kBackupFolderName)) << "nothing copied for a run that stops";
}

TEST_F(TableBackups, FailedRunCopiesNothing) {
    WriteEarlierTables();
    const fs::path broken = scratch.File(
        "rota.xml", SmallSchool()
                        .Section("TRAMOS_HORARIOS", {{"170002", "2ª hora", "nueve", "620", "4401"}})
                        .Text());
    const std::vector<std::string> errors = Convert(broken);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].ends_with("No se ha modificado ninguna tabla.")) << errors[0];
    EXPECT_FALSE(fs::exists(workDir / kBackupFolderName)) << "the tables were not replaced";
    EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF"), "anterior PROFT.DBF");
}

TEST_F(TableBackups, BackupThatCannotBeMadeStopsBeforeAnyTable) {
    WriteEarlierTables();
    WriteBytes(workDir / kBackupFolderName, "un archivo donde iría la carpeta");
    const std::vector<std::string> errors = Convert(school);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("copia de seguridad"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find((workDir / kBackupFolderName).string()), std::string::npos);
    EXPECT_NE(errors[0].find("No se ha modificado ninguna tabla"), std::string::npos);
    EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF"), "anterior PROFT.DBF");
    EXPECT_EQ(ReadBytes(workDir / "JORNADAS.DBF"), "anterior JORNADAS.DBF");
    EXPECT_FALSE(fs::exists(workDir / "ASIGNOMT.DBF"));
}

TEST_F(TableBackups, KeepsTheTenNewestAndListsNewestFirst) {
    WriteBytes(workDir / "PROFT.DBF", "versión 0");
    std::vector<std::string> ids;
    for (int run = 1; run <= 12; ++run) {
        WriteBytes(workDir / "PROFT.DBF", "versión " + std::to_string(run));
        const std::optional<std::string> id = BackUpWorkFiles(workDir, {"PROFT.DBF", "AULAT.DBF"});
        ASSERT_TRUE(id.has_value());
        ids.push_back(*id);
    }
    const std::vector<TableBackup> backups = ListBackups(workDir);
    ASSERT_EQ(backups.size(), kKeptBackups);
    for (std::size_t i = 0; i < backups.size(); ++i) {
        const std::size_t run = 12 - i;  // newest first
        EXPECT_EQ(backups[i].id, ids[run - 1]);
        EXPECT_EQ(backups[i].files, std::vector<std::string>{"PROFT.DBF"});
        EXPECT_EQ(ReadBytes(workDir / kBackupFolderName / backups[i].id / "PROFT.DBF"),
                  "versión " + std::to_string(run));
    }
    EXPECT_FALSE(fs::exists(workDir / kBackupFolderName / ids[0]));
    EXPECT_FALSE(fs::exists(workDir / kBackupFolderName / ids[1]));
}

TEST_F(TableBackups, RestorePutsTheTablesBackWhole) {
    WriteEarlierTables();
    ASSERT_TRUE(Convert(school).empty());
    const std::string id = ListBackups(workDir).at(0).id;
    const std::vector<std::string> restored = RestoreBackup(workDir, id);
    EXPECT_EQ(restored.size(), 5u);
    for (const std::string& name : restored) {
        EXPECT_EQ(ReadBytes(workDir / name), "anterior " + name) << name;
    }
    EXPECT_EQ(ListBackups(workDir).size(), 1u) << "the backup stays for another restore";
    EXPECT_TRUE(fs::exists(workDir / "ASIGNOMT.DBF")) << "tables it did not hold are left alone";
}

TEST_F(TableBackups, RestoreRefusesUnknownIdsAndHeldTables) {
    WriteEarlierTables();
    ASSERT_TRUE(Convert(school).empty());
    const std::string id = ListBackups(workDir).at(0).id;
    const std::string proft = ReadBytes(workDir / "PROFT.DBF");

    for (const std::string unknown : {"20000101-000000", "../TTEMP", ""}) {
        SCOPED_TRACE(unknown);
        try {
            RestoreBackup(workDir, unknown);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find("No existe la copia"), std::string::npos)
                << error.what();
        }
    }

    testing::HeldFile rooms(workDir / "AULAT.DBF", LOCK_SH);
    testing::HeldFile teachers(workDir / "PROFT.DBF", LOCK_EX);
    ASSERT_TRUE(rooms.Locked() && teachers.Locked());
    try {
        RestoreBackup(workDir, id);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("'AULAT.DBF'"), std::string::npos) << message;
        EXPECT_NE(message.find("'PROFT.DBF'"), std::string::npos) << message;
        EXPECT_NE(message.find("abiertas en otro programa"), std::string::npos) << message;
    }
    EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF"), proft) << "nothing restored while held";
    EXPECT_NE(ReadBytes(workDir / "JORNADAS.DBF"), "anterior JORNADAS.DBF");
}

}  // namespace
}  // namespace velmaro

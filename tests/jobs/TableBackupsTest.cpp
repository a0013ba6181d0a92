// Backups of the work tables: what the inbound conversion copies and when, how many are kept,
// which of them go (never the new one, never through a link, never what is not a backup),
// listing them, putting one back only when it is whole and after backing up the current tables,
// and refusing while another program holds a table.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/FileNameCase.h"
#include "jobs/InboundJob.h"
#include "jobs/ReplacedWorkFiles.h"
#include "jobs/ReportFile.h"
#include "jobs/StagedTables.h"
#include "jobs/TableBackups.h"
#include "jobs/WorkFolderRun.h"
#include "support/ExpectError.h"
#include "support/FakeInteraction.h"
#include "support/HeldFile.h"
#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::ErrorMessage;
using testing::FakeInteraction;
using testing::ReadBytes;
using testing::SchoolXml;
using testing::ScratchFolder;
using testing::WriteBytes;

SchoolXml SmallSchool(const std::string& teacher = "Ana") {
    return SchoolXml()
        .Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"}})
        .Section("UNIDADES", {{"834501", "1º ESO A", "60101"}})
        .Section("MATERIAS", {{"60101", "300101", "Lengua Castellana y Literatura"}})
        .Section("ACTIVIDADES", {{"N", "1", "Guardia"}})
        .Section("EMPLEADOS", {{"1048000", "01/09/2026", "590", "García", "López", teacher}})
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

    // Every file of the work-table folder outside velmaro-copias, with its bytes, but for the
    // conversion report and the run lock, which no backup holds.
    std::map<std::string, std::string> WorkFiles() const {
        std::map<std::string, std::string> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(workDir)) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && name != kReportFileName && name != kRunLockFileName) {
                found[name] = ReadBytes(entry.path());
            }
        }
        return found;
    }

    // The tables of `teacher`'s school in the work-table folder, then one more conversion (of
    // Ana's school) that backs them up: returns that backup's id and the tables it holds.
    std::pair<std::string, std::map<std::string, std::string>> BackupOfSchoolWith(
        const std::string& teacher) {
        const fs::path first = scratch.File("primera.xml", SmallSchool(teacher).Text());
        EXPECT_TRUE(Convert(first).empty());
        const std::map<std::string, std::string> tables = WorkFiles();
        EXPECT_TRUE(Convert(school).empty());
        return {ListBackups(workDir).at(0).id, tables};
    }

    fs::path Root() const { return workDir / kBackupFolderName; }

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

TEST_F(TableBackups, RestoreBacksUpTheCurrentTablesFirstSoItCanBeUndone) {
    const auto [id, earlier] = BackupOfSchoolWith("Berta");
    const std::map<std::string, std::string> current = WorkFiles();
    ASSERT_NE(current.at("PROFT.DBF"), earlier.at("PROFT.DBF"));

    const Restoration restored = RestoreBackup(workDir, id);
    EXPECT_EQ(WorkFiles(), earlier) << "every table as it was, and nothing else changed";
    EXPECT_EQ(restored.files.size(), ListBackups(workDir).back().files.size());
    ASSERT_TRUE(restored.previousTables.has_value());
    EXPECT_EQ(ListBackups(workDir).at(0).id, *restored.previousTables) << "the newest";
    EXPECT_TRUE(fs::exists(Root() / id)) << "the backup stays for another restore";

    RestoreBackup(workDir, *restored.previousTables);
    EXPECT_EQ(WorkFiles(), current) << "the restore undone";
}

TEST_F(TableBackups, RestoringTheOldestOfTenKeepsItAndTheNewBackup) {
    const auto [oldest, earlier] = BackupOfSchoolWith("Berta");
    for (int i = 0; i < 9; ++i) BackUpWorkFiles(workDir, ReplacedWorkFiles());
    ASSERT_EQ(ListBackups(workDir).size(), kKeptBackups);
    ASSERT_EQ(ListBackups(workDir).back().id, oldest);

    const Restoration restored = RestoreBackup(workDir, oldest);
    EXPECT_EQ(WorkFiles(), earlier);
    const std::vector<TableBackup> backups = ListBackups(workDir);
    EXPECT_EQ(backups.size(), kKeptBackups);
    EXPECT_EQ(backups.front().id, *restored.previousTables);
    EXPECT_EQ(backups.back().id, oldest) << "not pruned by the backup that the restore made";
}

// How a backup is damaged after it was made.
struct Damage {
    const char* name;
    const char* file;                            // the damaged file in the backup
    bool withoutManifest;                        // a backup made before manifests were written
    std::function<void(const fs::path&)> apply;  // to the damaged file
    const char* said;                            // what the message says is wrong
};

void PrintTo(const Damage& damage, std::ostream* os) { *os << damage.name; }

void CutInHalf(const fs::path& file) { fs::resize_file(file, fs::file_size(file) / 2); }
void Empty(const fs::path& file) { fs::resize_file(file, 0); }
void Garbage(const fs::path& file) { WriteBytes(file, std::string(fs::file_size(file), '\x5A')); }
void Garbled(const fs::path& file) {  // same size, the header intact, a record changed
    std::string bytes = ReadBytes(file);
    bytes[bytes.size() - 2] ^= 0x20;
    WriteBytes(file, bytes);
}
void RecordCut(const fs::path& file) {  // one byte less than the header says
    fs::resize_file(file, fs::file_size(file) - 2);
}
void Removed(const fs::path& file) { fs::remove(file); }

const Damage kDamages[] = {
    {"TableCutInHalf", "PROFT.DBF", false, CutInHalf, "bytes y se copiaron"},
    {"TableEmptied", "ASIGNOMT.DBF", false, Empty, "está vacío"},
    {"TableReplacedByGarbage", "AULAT.DBF", false, Garbage, "no es el que se copió"},
    {"RecordChanged", "GRUPOST.DBF", false, Garbled, "no es el que se copió"},
    {"IndexCutShort", "DIASHORAST2.MDX", false, CutInHalf, "bytes y se copiaron"},
    {"FileMissing", "CURSOST.DBF", false, Removed, "falta el archivo"},
    {"WithoutManifestTableCutShort", "PROFT.DBF", true, RecordCut, "está incompleta o dañada"},
    {"WithoutManifestGarbage", "AULAT.DBF", true, Garbage, "no es una tabla dBase válida"},
    {"WithoutManifestEmpty", "DIASHORAST2.MDX", true, Empty, "está vacío"},
};

class DamagedBackup : public TableBackups, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedBackup, IsRefusedNamingTheFileAndNothingChanges) {
    const Damage& damage = GetParam();
    const auto [id, earlier] = BackupOfSchoolWith("Berta");
    const fs::path folder = Root() / id;
    if (damage.withoutManifest) fs::remove(folder / "velmaro-copia.txt");
    damage.apply(folder / damage.file);
    const std::map<std::string, std::string> current = WorkFiles();

    const std::string message = ErrorMessage([&] { RestoreBackup(workDir, id); });
    EXPECT_NE(message.find("La copia de seguridad '" + id + "' está dañada"), std::string::npos)
        << message;
    EXPECT_NE(message.find("'" + (folder / damage.file).string() + "'"), std::string::npos)
        << message;
    EXPECT_NE(message.find(damage.said), std::string::npos) << message;
    EXPECT_NE(message.find("No se ha modificado ninguna tabla"), std::string::npos) << message;
    EXPECT_EQ(WorkFiles(), current);
    EXPECT_EQ(ListBackups(workDir).size(), 1u) << "no backup made for a refused restore";
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedBackup, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TableBackups, BackupWithoutManifestIsListedByItsNameAndRestored) {
    const auto [id, earlier] = BackupOfSchoolWith("Berta");
    fs::remove(Root() / id / "velmaro-copia.txt");
    fs::rename(Root() / id, Root() / "20991231-235959");  // made by an earlier version
    const std::string made = *BackUpWorkFiles(workDir, ReplacedWorkFiles());

    const std::vector<TableBackup> backups = ListBackups(workDir);
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].id, made);
    EXPECT_EQ(backups[1].id, "20991231-235959") << "made before every backup with a manifest";
    EXPECT_EQ(backups[1].date, "31/12/2099 23:59:59");
    EXPECT_EQ(backups[1].files, backups[0].files);
    RestoreBackup(workDir, "20991231-235959");
    EXPECT_EQ(WorkFiles(), earlier);
}

TEST_F(TableBackups, RestoreRefusesUnknownIdsAndHeldTables) {
    const auto [id, earlier] = BackupOfSchoolWith("Berta");
    const std::string proft = ReadBytes(workDir / "PROFT.DBF");
    fs::create_directory(Root() / "20000101-000000");  // a folder that is not a backup

    for (const std::string unknown : {"20000101-000000", "20000101-000001", "../TTEMP", ""}) {
        SCOPED_TRACE(unknown);
        const std::string message = ErrorMessage([&] { RestoreBackup(workDir, unknown); });
        EXPECT_NE(message.find("No existe la copia"), std::string::npos) << message;
    }

    testing::HeldFile rooms(workDir / "AULAT.DBF", testing::HeldFile::Shared);
    testing::HeldFile teachers(workDir / "PROFT.DBF", testing::HeldFile::Exclusive);
    ASSERT_TRUE(rooms.Locked() && teachers.Locked());
    const std::string message = ErrorMessage([&] { RestoreBackup(workDir, id); });
    EXPECT_NE(message.find("'AULAT.DBF'"), std::string::npos) << message;
    EXPECT_NE(message.find("'PROFT.DBF'"), std::string::npos) << message;
    EXPECT_NE(message.find("abiertas en otro programa"), std::string::npos) << message;
    EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF"), proft) << "nothing restored while held";
    EXPECT_EQ(ListBackups(workDir).size(), 1u) << "no backup made for a refused restore";
}

#ifndef _WIN32
// Windows finds a file in any letter case by itself, and under Wine a rename that changes only
// the letter case keeps the old name.
// The tables as programs under Wine write their names: in another letter case than the backup's.
TEST_F(TableBackups, RestoreReplacesATableFoundInAnotherLetterCaseUnderItsOwnName) {
    const auto [id, earlier] = BackupOfSchoolWith("Berta");
    fs::rename(workDir / "PROFT.DBF", workDir / "proft.dbf");
    fs::rename(workDir / "DIASHORAST2.MDX", workDir / "diashoraSt2.mdx");

    RestoreBackup(workDir, id);
    std::map<std::string, std::string> expected = earlier;
    expected["proft.dbf"] = expected.extract("PROFT.DBF").mapped();
    expected["diashoraSt2.mdx"] = expected.extract("DIASHORAST2.MDX").mapped();
    EXPECT_EQ(WorkFiles(), expected) << "restored under the names found, none left beside";
    const TableBackup previous = ListBackups(workDir).at(0);
    EXPECT_NE(std::find(previous.files.begin(), previous.files.end(), "PROFT.DBF"),
              previous.files.end())
        << "the table it replaced is in the backup made first";
}

TEST_F(TableBackups, RestoreRefusesATableHeldInAnyLetterCaseAndChangesNothing) {
    const auto [id, earlier] = BackupOfSchoolWith("Berta");
    for (const std::string name : {"PROFT.DBF", "proft.dbf", "Proft.Dbf"}) {
        SCOPED_TRACE(name);
        fs::rename(files::FindIgnoringCase(workDir, "PROFT.DBF"), workDir / name);
        const std::map<std::string, std::string> current = WorkFiles();
        testing::HeldFile tavolin(workDir / name, testing::HeldFile::Shared);
        ASSERT_TRUE(tavolin.Locked());
        const std::string message = ErrorMessage([&] { RestoreBackup(workDir, id); });
        EXPECT_NE(message.find("La tabla '" + name + "'"), std::string::npos) << message;
        EXPECT_NE(message.find("está abierta en otro programa"), std::string::npos) << message;
        EXPECT_TRUE(message.ends_with("No se ha restaurado ninguna tabla.")) << message;
        EXPECT_EQ(WorkFiles(), current) << "nothing restored while held";
        EXPECT_EQ(ListBackups(workDir).size(), 1u) << "no backup made for a refused restore";
        EXPECT_FALSE(fs::exists(workDir / kStagingFolderName));
    }
}
#endif

// --- What is in velmaro-copias besides the backups -----------------------------------------

// Every entry under `folder`, links not followed: its kind and, for a file, its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = fs::relative(it->path(), folder).string();
        const fs::file_status status = it->symlink_status();
        if (fs::is_symlink(status)) {
            entries[name] = "enlace a " + fs::read_symlink(it->path()).string();
        } else if (fs::is_directory(status)) {
            entries[name] = "carpeta";
        } else {
            entries[name] = ReadBytes(it->path());
        }
    }
    return entries;
}

// Something put into velmaro-copias (`root`) that is not a backup, maybe pointing at `outside`.
struct Stranger {
    const char* name;
    std::function<void(const fs::path& root, const fs::path& outside)> put;
};

void PrintTo(const Stranger& stranger, std::ostream* os) { *os << stranger.name; }

const Stranger kStrangers[] = {
#ifndef _WIN32
    // The C++ library of MinGW-w64 makes no symbolic links.
    {"LinkNamedAsABackupToAFolderOutside",
     [](const fs::path& root, const fs::path& outside) {
         fs::create_directory_symlink(outside / "copia", root / "20000101-000000");
     }},
    {"LinkNamedAsAPartialCopyToAFolderOutside",
     [](const fs::path& root, const fs::path& outside) {
         fs::create_directory_symlink(outside / "copia", root / "20000101-000000.parcial");
     }},
    {"BackupFolderHoldingALinkToAFileOutside",
     [](const fs::path& root, const fs::path& outside) {
         fs::create_directory(root / "20000101-000000");
         fs::create_symlink(outside / "PROFT.DBF", root / "20000101-000000" / "PROFT.DBF");
     }},
#endif
    {"StrayFiles",
     [](const fs::path& root, const fs::path&) {
         WriteBytes(root / "20000101-000000", "un archivo con nombre de copia");
         WriteBytes(root / "notas.txt", "notas");
     }},
    {"FolderWithAnotherName",
     [](const fs::path& root, const fs::path&) {
         WriteBytes(root / "copia-a-mano" / "PROFT.DBF", "tabla copiada a mano");
     }},
    {"FolderWithAnotherNameEndingAsACopyCutShort",
     [](const fs::path& root, const fs::path&) {
         WriteBytes(root / "mis-fotos.parcial" / "foto.jpg", "foto");
     }},
    {"FolderWithoutManifestHoldingOtherFiles",
     [](const fs::path& root, const fs::path&) {
         WriteBytes(root / "20000101-000000" / "fotos.zip", "fotos");
         WriteBytes(root / "20000101-000001" / "PROFT.DBF", "tabla");
         WriteBytes(root / "20000101-000001" / "leeme.txt", "otra cosa");
     }},
    {"EmptyFolderNamedAsABackup",
     [](const fs::path& root, const fs::path&) { fs::create_directory(root / "20000101-000000"); }},
    {"ManifestThatIsNotOne",
     [](const fs::path& root, const fs::path&) {
         WriteBytes(root / "20000101-000000" / "PROFT.DBF", "tabla");
         WriteBytes(root / "20000101-000000" / "velmaro-copia.txt", "archivo PROFT.DBF\n");
     }},
    {"ManifestNamingAFileOutside",
     [](const fs::path& root, const fs::path& outside) {
         WriteBytes(root / "20000101-000000" / "velmaro-copia.txt",
                    "Velmaro: copia de seguridad de las tablas de trabajo\norden 1\n"
                    "hecha 01/01/2000 00:00:00\narchivo 4 00000000 ../" +
                        outside.filename().string() + "/PROFT.DBF\n");
     }},
    {"BackupWithAFileItsManifestDoesNotName",
     [](const fs::path& root, const fs::path&) {
         const std::string manifest =
             "Velmaro: copia de seguridad de las tablas de trabajo\norden 1\n"
             "hecha 01/01/2000 00:00:00\narchivo 5 ec1ff1d8 PROFT.DBF\n";
         WriteBytes(root / "20000101-000000" / "velmaro-copia.txt", manifest);
         WriteBytes(root / "20000101-000000" / "PROFT.DBF", "tabla");
         WriteBytes(root / "20000101-000000" / "mio.txt", "algo del usuario");
     }},
};

class NotABackup : public TableBackups, public ::testing::WithParamInterface<Stranger> {};

TEST_P(NotABackup, IsNeitherListedNorRemovedNorFollowed) {
    const fs::path outside = scratch.Folder("fuera");
    WriteBytes(outside / "PROFT.DBF", "tabla de fuera");
    WriteBytes(outside / "copia" / "PROFT.DBF", "una tabla que parece una copia");
    fs::create_directory(Root());
    GetParam().put(Root(), outside);
    const std::map<std::string, std::string> strangers = Snapshot(Root());
    const std::map<std::string, std::string> outsideBefore = Snapshot(outside);

    WriteBytes(workDir / "PROFT.DBF", "tabla");
    std::vector<std::string> made;
    for (std::size_t run = 0; run <= kKeptBackups; ++run) {
        made.push_back(*BackUpWorkFiles(workDir, {"PROFT.DBF"}));
    }

    std::vector<std::string> listed;
    for (const TableBackup& backup : ListBackups(workDir)) listed.push_back(backup.id);
    const std::vector<std::string> newestTen(made.rbegin(), made.rbegin() + kKeptBackups);
    EXPECT_EQ(listed, newestTen) << "the eleventh made removed the first";
    std::map<std::string, std::string> after = Snapshot(Root());
    for (const auto& [name, what] : strangers) {
        EXPECT_EQ(after[name], what) << name << " is not a backup and stays as it was";
    }
    EXPECT_EQ(Snapshot(outside), outsideBefore) << "nothing outside velmaro-copias changes";
}

INSTANTIATE_TEST_SUITE_P(Cases, NotABackup, ::testing::ValuesIn(kStrangers),
                         [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32
// The C++ library of MinGW-w64 makes no symbolic links.
TEST_F(TableBackups, LinkInPlaceOfTheBackupFolderStopsTheConversionBeforeAnyTable) {
    const fs::path outside = scratch.Folder("fuera");
    WriteBytes(outside / "20000101-000000" / "PROFT.DBF", "de fuera");
    fs::create_directory_symlink(outside, Root());
    WriteEarlierTables();
    const std::vector<std::string> errors = Convert(school);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(Root().string()), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("enlace simbólico"), std::string::npos) << errors[0];
    EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF"), "anterior PROFT.DBF");
    EXPECT_EQ(Snapshot(outside).size(), 2u);
    EXPECT_TRUE(ListBackups(workDir).empty()) << "nothing listed through the link";
}
#endif

// Backups that seem to come from the future: made while the clock was wrong (with a manifest),
// or folders named so by hand or by an earlier version (without one).
struct FutureBackups {
    const char* name;
    bool withManifest;
};

void PrintTo(const FutureBackups& c, std::ostream* os) { *os << c.name; }

class FutureDatedBackups : public TableBackups,
                           public ::testing::WithParamInterface<FutureBackups> {};

TEST_P(FutureDatedBackups, NeverPushOutTheNewOneAndGoFirst) {
    WriteBytes(workDir / "PROFT.DBF", "tabla antigua");
    std::vector<std::string> future;
    for (int i = 0; i < 10; ++i) {
        const std::string id = "20990101-00000" + std::to_string(i);
        if (GetParam().withManifest) {
            fs::rename(Root() / *BackUpWorkFiles(workDir, {"PROFT.DBF"}), Root() / id);
            const fs::path manifest = Root() / id / "velmaro-copia.txt";
            std::string text = ReadBytes(manifest);
            const std::size_t made = text.find("hecha ") + 6;
            text.replace(made, text.find('\n', made) - made,
                         "01/01/2099 00:00:0" + std::to_string(i));
            WriteBytes(manifest, text);
        } else {
            WriteBytes(Root() / id / "PROFT.DBF", "tabla antigua");
        }
        future.push_back(id);
    }
    ASSERT_EQ(ListBackups(workDir).size(), 10u);

    WriteBytes(workDir / "PROFT.DBF", "tabla nueva");
    const std::string made = *BackUpWorkFiles(workDir, {"PROFT.DBF"});
    std::vector<TableBackup> backups = ListBackups(workDir);
    ASSERT_EQ(backups.size(), kKeptBackups);
    EXPECT_EQ(backups.front().id, made) << "the one just made is the newest";
    EXPECT_EQ(ReadBytes(Root() / made / "PROFT.DBF"), "tabla nueva");
    EXPECT_FALSE(fs::exists(Root() / future.front())) << "the oldest of the others went";

    for (std::size_t run = 1; run < kKeptBackups; ++run) BackUpWorkFiles(workDir, {"PROFT.DBF"});
    for (const TableBackup& backup : ListBackups(workDir)) {
        EXPECT_FALSE(backup.id.starts_with("2099")) << backup.id << " outlived ten new backups";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FutureDatedBackups,
                         ::testing::Values(FutureBackups{"WithManifest", true},
                                           FutureBackups{"WithoutManifest", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro

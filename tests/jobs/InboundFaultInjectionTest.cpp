// The inbound conversion and the restore of a backup on a failing disk and in a process that is
// stopped dead: for every file change along a whole run, that change fails once, fails from then
// on, fails for lack of space, or ends the process on the spot. The files the run replaces must
// be all as they were or, once the next job's start has settled the commit, all as a clean run
// writes them; a run that reports a failure and says that nothing was changed must have changed
// nothing.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/FaultInjection.h"
#include "base/FileSystem.h"
#include "jobs/InboundJob.h"
#include "jobs/ReplacedWorkFiles.h"
#include "jobs/ReportFile.h"
#include "jobs/StagedTables.h"
#include "jobs/TableBackups.h"
#include "jobs/WorkFolderRun.h"
#include "support/FakeInteraction.h"
#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"
#include "support/WholeTable.h"
#include "worktables/DbfTable.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using files::FaultEffect;
using files::FaultPersistence;
using files::FaultScope;
using files::ScopedFaultInjection;
using testing::FakeInteraction;
using testing::ReadBytes;
using testing::SchoolXml;
using testing::ScratchFolder;

const std::string kNothingChanged = "No se ha modificado ninguna tabla.";
const std::string kNothingRestored = "No se ha restaurado ninguna tabla.";

// The content of every file the conversion replaces or removes; nothing for an absent one.
using FileStates = std::map<std::string, std::optional<std::string>>;

FileStates Snapshot(const fs::path& dir) {
    FileStates states;
    for (const std::string& name : ReplacedWorkFiles()) {
        states[name] = fs::exists(dir / name) ? std::optional(ReadBytes(dir / name)) : std::nullopt;
    }
    return states;
}

// A school with every section the conversion reads and one framework (no dialog).
SchoolXml School(const std::string& teacher, const std::string& room) {
    return SchoolXml()
        .Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"}, {"60102", "2º ESO"}})
        .Section("UNIDADES", {{"834501", "1º ESO A", "60101"}, {"834502", "2º ESO A", "60102"}})
        .Section("MATERIAS", {{"60101", "300101", "Lengua Castellana y Literatura"},
                              {"60101", "300102", "Matemáticas"},
                              {"60102", "300201", "Geografía e Historia"}})
        .Section("ACTIVIDADES", {{"N", "1", "Guardia"}, {"N", "2", "Reunión de departamento"}})
        .Section("EMPLEADOS", {{"1048000", "01/09/2026", "590", "García", "López", teacher},
                               {"1048001", "01/09/2026", "590", "Pérez", "Ruiz", "Luis"}})
        .Section("DEPENDENCIAS", {{"A101", room}, {"", "Aula de Música"}})
        .Section("JORNADAS_ESCOLARES", {{"4401", "Jornada de mañana", "09/09/2026", "22/06/2027"}})
        .Section("TRAMOS_HORARIOS", {{"170001", "1ª hora", "510", "565", "4401"},
                                     {"170002", "2ª hora", "565", "620", "4401"}});
}

class InboundFaults : public ::testing::Test {
protected:
    InboundFaults() : scratch(testing::MemoryBackedTemporaryFolder()) {}

    void SetUp() override {
        programDir = scratch.Folder("programa");
        fs::copy_file(fs::path(VELMARO_RUNTIME_DIR) / "NIVELLARI.DBF",
                      programDir / "NIVELLARI.DBF");
        school = scratch.File("escuela.xml", School("Ana", "Aula 1.01").Text());
        // The folder as an earlier conversion of another document left it, with a JORNADAS.DBF
        // and index files that the conversion removes.
        before = scratch.Folder("antes");
        RunCompleted(before, scratch.File("anterior.xml", School("Eva", "Aula 2.02").Text()));
        fs::remove_all(before / kBackupFolderName);
        DbfTable::Create(before / "JORNADAS.DBF", layouts::PERIODOS).Close();
        testing::WriteBytes(before / "PROFT.MDX", "índice anterior");
        beforeStates = Snapshot(before);
        clean = CopyOfBefore("limpia");
        RunCompleted(clean, school);
        cleanStates = Snapshot(clean);
        ASSERT_FALSE(cleanStates.at("PROFT.DBF") == beforeStates.at("PROFT.DBF"));
    }

    fs::path CopyOfBefore(const std::string& name) {
        const fs::path dir = scratch.Path() / name;
        fs::copy(before, dir, fs::copy_options::recursive);
        return dir;
    }

    Session SessionFor(const fs::path& workDir) const {
        Session session;
        session.paths.workDir = workDir;
        session.paths.programDir = programDir;
        session.batchMode = true;
        return session;
    }

    void RunCompleted(const fs::path& workDir, const fs::path& document) {
        Session session = SessionFor(workDir);
        FakeInteraction ui;
        ui.picks.push_back(document);
        RunInboundJob(session, ui);
        ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
        ASSERT_EQ(session.resultCode, 1);
    }

    // The changes of one whole conversion within `scope`.
    std::size_t CountChanges(FaultScope scope) {
        const fs::path workDir = CopyOfBefore("cuenta");
        ScopedFaultInjection counter(0, FaultPersistence::Once, EIO, scope);
        RunCompleted(workDir, school);
        fs::remove_all(workDir);
        return counter.Calls();
    }

    // Settles the folder as the next job's start does, without faults.
    void StartNextJob(const fs::path& workDir) {
        try {
            WorkFolderRun::Begin(workDir);
        } catch (const std::exception& error) {
            ADD_FAILURE() << "the next job cannot start: " << error.what();
        }
        EXPECT_FALSE(fs::exists(workDir / kStagingFolderName));
    }

    // The files all as before or all as after a clean run, every table whole; a backup, when
    // there is one, holds the earlier files. Returns whether they are the new ones.
    bool ExpectAllOrNothing(const fs::path& workDir) {
        const FileStates states = Snapshot(workDir);
        const bool isNew = states == cleanStates;
        EXPECT_TRUE(isNew || states == beforeStates) << "a mix of earlier and new files";
        for (const auto& [name, bytes] : states) {
            if (bytes && name.ends_with(".DBF")) testing::ExpectWholeTable(workDir / name);
        }
        for (const TableBackup& backup : ListBackups(workDir)) {
            for (const std::string& name : backup.files) {
                EXPECT_EQ(ReadBytes(workDir / kBackupFolderName / backup.id / name),
                          *beforeStates.at(name))
                    << name;
            }
        }
        return isNew;
    }

    // No temporary file is left in the folder.
    void ExpectNoTemporaryFiles(const fs::path& workDir) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(workDir)) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.ends_with(files::kReplacementSuffix)) << entry.path();
            EXPECT_FALSE(name.ends_with(".parcial")) << entry.path();
        }
    }

    ScratchFolder scratch;
    fs::path programDir;
    fs::path school;
    fs::path before;
    fs::path clean;  // as a clean run leaves it, with the backup of the files it replaced
    FileStates beforeStates;
    FileStates cleanStates;
};

class BrokenDisk : public InboundFaults, public ::testing::WithParamInterface<FaultPersistence> {};

TEST_P(BrokenDisk, EveryFailingFileChangeLeavesAllOrNothing) {
    const std::size_t changes = CountChanges(FaultScope::EveryChange);
    ASSERT_GT(changes, 20u) << "the conversion's writes do not go through the file layer";

    std::size_t nothingChanged = 0;
    for (std::size_t failAt = 1; failAt <= changes; ++failAt) {
        SCOPED_TRACE("file change " + std::to_string(failAt) + " of " + std::to_string(changes));
        const fs::path workDir = CopyOfBefore("fallo-" + std::to_string(failAt));
        Session session = SessionFor(workDir);
        FakeInteraction ui;
        ui.picks.push_back(school);
        {
            ScopedFaultInjection fault(failAt, GetParam());
            RunInboundJob(session, ui);
            EXPECT_TRUE(fault.Injected());
        }
        if (ui.errors.empty()) {
            // Only a change that may fail without harm lets the job complete: removing a file
            // that is not there, or the staging folder after the commit.
            EXPECT_EQ(session.resultCode, 1);
            EXPECT_EQ(Snapshot(workDir), cleanStates);
        } else {
            ASSERT_EQ(ui.errors.size(), 1u);
            const std::string& message = ui.errors[0];
            EXPECT_NE(message.find(workDir.string()), std::string::npos) << message;
            EXPECT_NE(message.find(files::SystemReason(EIO)), std::string::npos) << message;
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(session.resultCode, 0);
            EXPECT_FALSE(ui.waiting);
            if (message.ends_with(kNothingChanged)) {
                ++nothingChanged;
                EXPECT_EQ(Snapshot(workDir), beforeStates) << message;
            } else {
                EXPECT_NE(message.find("próximo trabajo"), std::string::npos) << message;
            }
        }
        StartNextJob(workDir);
        ExpectAllOrNothing(workDir);
        if (GetParam() == FaultPersistence::Once) ExpectNoTemporaryFiles(workDir);
        fs::remove_all(workDir);
    }
    EXPECT_GT(nothingChanged, changes / 2);
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenDisk,
                         ::testing::Values(FaultPersistence::Once, FaultPersistence::FromThenOn),
                         [](const auto& info) {
                             return info.param == FaultPersistence::Once ? "PassingFault"
                                                                         : "DiskStaysBroken";
                         });

TEST_F(InboundFaults, FullDiskAtAnyWriteChangesNothing) {
    const std::size_t writes = CountChanges(FaultScope::NeedingSpace);
    ASSERT_GT(writes, 20u);
    for (std::size_t failAt = 1; failAt <= writes; ++failAt) {
        SCOPED_TRACE("write " + std::to_string(failAt) + " of " + std::to_string(writes));
        const fs::path workDir = CopyOfBefore("lleno-" + std::to_string(failAt));
        Session session = SessionFor(workDir);
        FakeInteraction ui;
        ui.picks.push_back(school);
        {
            ScopedFaultInjection full(failAt, FaultPersistence::FromThenOn, ENOSPC,
                                      FaultScope::NeedingSpace);
            RunInboundJob(session, ui);
        }
        if (ui.errors.empty()) {
            // The write that failed was the report's, made once the new tables are in place:
            // the conversion stays completed and the message says the report is missing.
            EXPECT_EQ(session.resultCode, 1);
            EXPECT_EQ(Snapshot(workDir), cleanStates);
            ASSERT_FALSE(ui.messages.empty());
            EXPECT_NE(ui.messages[0].find(kReportFileName), std::string::npos) << ui.messages[0];
            fs::remove_all(workDir);
            continue;
        }
        ASSERT_EQ(ui.errors.size(), 1u);
        const std::string& message = ui.errors[0];
        EXPECT_TRUE(message.ends_with(kNothingChanged)) << message;
        EXPECT_NE(message.find(files::SystemReason(ENOSPC)), std::string::npos) << message;
        EXPECT_EQ(Snapshot(workDir), beforeStates);
        EXPECT_FALSE(fs::exists(workDir / kStagingFolderName)) << "left for the next job";
        ExpectNoTemporaryFiles(workDir);
        fs::remove_all(workDir);
    }
}

// --- Restoring a backup -------------------------------------------------------------------

// A folder as a clean conversion leaves it, and the backup of the earlier files that it made,
// put back by a restore on a failing disk or in a process stopped dead.
class RestoreFaults : public InboundFaults {
protected:
    void SetUp() override {
        InboundFaults::SetUp();
        const std::vector<TableBackup> backups = ListBackups(clean);
        ASSERT_EQ(backups.size(), 1u);
        backupId = backups[0].id;
        // Restored, the files are the backup's bytes; those it does not hold stay as they are.
        restoredStates = cleanStates;
        for (const std::string& name : backups[0].files) {
            restoredStates[name] = ReadBytes(clean / kBackupFolderName / backupId / name);
        }
        ASSERT_EQ(restoredStates, beforeStates) << "the backup holds every earlier file";
    }

    fs::path CopyOfClean(const std::string& name) const {
        const fs::path dir = scratch.Path() / name;
        fs::copy(clean, dir, fs::copy_options::recursive);
        return dir;
    }

    void Restore(const fs::path& workDir) const { RestoreBackup(workDir, backupId); }

    // The changes of one whole restore.
    std::size_t CountRestoreChanges() const {
        const fs::path workDir = CopyOfClean("cuenta-restauracion");
        ScopedFaultInjection counter(0);
        Restore(workDir);
        fs::remove_all(workDir);
        return counter.Calls();
    }

    // The files all as the clean run left them or all restored, every table whole; the backup
    // being restored is whole, and the backup that the restore made, when there is one, holds
    // the files it replaced. Returns whether they are restored.
    bool ExpectRestoredOrUntouched(const fs::path& workDir) {
        const FileStates states = Snapshot(workDir);
        const bool restored = states == restoredStates;
        EXPECT_TRUE(restored || states == cleanStates) << "a mix of restored and current files";
        for (const auto& [name, bytes] : states) {
            if (bytes && name.ends_with(".DBF")) testing::ExpectWholeTable(workDir / name);
        }
        for (const TableBackup& backup : ListBackups(workDir)) {
            const FileStates& held = backup.id == backupId ? restoredStates : cleanStates;
            for (const std::string& name : backup.files) {
                EXPECT_EQ(ReadBytes(workDir / kBackupFolderName / backup.id / name), *held.at(name))
                    << backup.id << " " << name;
            }
        }
        return restored;
    }

    std::string backupId;
    FileStates restoredStates;
};

TEST_F(RestoreFaults, CleanRestorePutsEveryFileBack) {
    const fs::path workDir = CopyOfClean("limpia-restaurada");
    Restore(workDir);
    EXPECT_TRUE(ExpectRestoredOrUntouched(workDir));
    EXPECT_EQ(ListBackups(workDir).size(), 2u) << "the current files backed up first";
    ExpectNoTemporaryFiles(workDir);
}

class BrokenDiskDuringRestore : public RestoreFaults,
                                public ::testing::WithParamInterface<FaultPersistence> {};

TEST_P(BrokenDiskDuringRestore, EveryFailingFileChangeLeavesAllOrNothing) {
    const std::size_t changes = CountRestoreChanges();
    ASSERT_GT(changes, 20u) << "the restore's writes do not go through the file layer";
    std::size_t nothingChanged = 0;
    for (std::size_t failAt = 1; failAt <= changes; ++failAt) {
        SCOPED_TRACE("file change " + std::to_string(failAt) + " of " + std::to_string(changes));
        const fs::path workDir = CopyOfClean("fallo-" + std::to_string(failAt));
        std::optional<std::string> message;
        {
            ScopedFaultInjection fault(failAt, GetParam());
            try {
                Restore(workDir);
            } catch (const Error& error) {
                message = error.what();
            }
            EXPECT_TRUE(fault.Injected());
        }
        if (!message) {
            // Only a change that may fail without harm lets the restore complete: removing the
            // staging folder after the commit.
            EXPECT_EQ(Snapshot(workDir), restoredStates);
        } else if (message->ends_with(kNothingRestored) || message->ends_with(kNothingChanged)) {
            ++nothingChanged;
            EXPECT_NE(message->find(files::SystemReason(EIO)), std::string::npos) << *message;
            EXPECT_EQ(Snapshot(workDir), cleanStates) << *message;
            if (message->find("no se puede mover") != std::string::npos) {
                // A commit undone names the backup of the tables as they were.
                EXPECT_NE(message->find("'" + backupId + "'"), std::string::npos) << *message;
                EXPECT_NE(message->find("Las tablas que había antes están en la copia de "
                                        "seguridad '" +
                                        ListBackups(workDir).at(0).id + "'"),
                          std::string::npos)
                    << *message;
            }
        } else {
            EXPECT_NE(message->find("próximo trabajo"), std::string::npos) << *message;
        }
        StartNextJob(workDir);
        ExpectRestoredOrUntouched(workDir);
        ExpectNoTemporaryFiles(workDir);
        fs::remove_all(workDir);
    }
    EXPECT_GT(nothingChanged, changes / 2);
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenDiskDuringRestore,
                         ::testing::Values(FaultPersistence::Once, FaultPersistence::FromThenOn),
                         [](const auto& info) {
                             return info.param == FaultPersistence::Once ? "PassingFault"
                                                                         : "DiskStaysBroken";
                         });

#ifndef _WIN32
// Each stopped run is a forked child, which Windows has not.
// For each file change of a run in turn, 1 to `changes`: `run` on a fresh folder made by
// `prepare`, in a forked child that ends dead at that change as a kill would stop it (no code
// of the run goes on after that point), then `check` on the folder.
void StopDeadAtEachChange(std::size_t changes,
                          const std::function<fs::path(std::size_t stopAt)>& prepare,
                          const std::function<void(const fs::path& workDir)>& run,
                          const std::function<void(const fs::path& workDir)>& check) {
    for (std::size_t stopAt = 1; stopAt <= changes; ++stopAt) {
        SCOPED_TRACE("stopped at file change " + std::to_string(stopAt) + " of " +
                     std::to_string(changes));
        const fs::path workDir = prepare(stopAt);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ScopedFaultInjection stop(stopAt, FaultPersistence::Once, EIO, FaultScope::EveryChange,
                                      FaultEffect::EndProcess);
            run(workDir);
            std::_Exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), files::kEndedByFaultStatus);
        check(workDir);
        fs::remove_all(workDir);
    }
}

// The conversion stopped dead at each file change in turn; then only the next job's start runs.
TEST_F(InboundFaults, StoppedDeadAtAnyFileChangeLeavesAllOrNothing) {
    const std::size_t changes = CountChanges(FaultScope::EveryChange);
    std::size_t leftNew = 0;
    StopDeadAtEachChange(
        changes,
        [&](std::size_t stopAt) { return CopyOfBefore("parada-" + std::to_string(stopAt)); },
        [&](const fs::path& workDir) {
            Session session = SessionFor(workDir);
            FakeInteraction ui;
            ui.picks.push_back(school);
            RunInboundJob(session, ui);
        },
        [&](const fs::path& workDir) {
            StartNextJob(workDir);
            if (ExpectAllOrNothing(workDir)) ++leftNew;
            ExpectNoTemporaryFiles(workDir);
        });
    // Stopped after its journal was written, a run's tables are put in place by the next job.
    EXPECT_GT(leftNew, 0u);
    EXPECT_LT(leftNew, changes);
}

// The restore, lock and all, stopped dead at each file change in turn; then the next job.
TEST_F(RestoreFaults, StoppedDeadAtAnyFileChangeLeavesAllOrNothing) {
    const std::size_t changes = CountRestoreChanges();
    std::size_t leftRestored = 0;
    StopDeadAtEachChange(
        changes,
        [&](std::size_t stopAt) { return CopyOfClean("parada-" + std::to_string(stopAt)); },
        [&](const fs::path& workDir) {
            const WorkFolderRun run = WorkFolderRun::Begin(workDir);
            Restore(workDir);
        },
        [&](const fs::path& workDir) {
            StartNextJob(workDir);
            if (ExpectRestoredOrUntouched(workDir)) ++leftRestored;
            ExpectNoTemporaryFiles(workDir);
        });
    // Stopped after its journal was written, a restore is finished by the next job.
    EXPECT_GT(leftRestored, 0u);
    EXPECT_LT(leftRestored, changes);
}
#endif

}  // namespace
}  // namespace velmaro

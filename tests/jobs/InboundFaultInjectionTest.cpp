// The inbound conversion with a failing disk: for every file change along a whole conversion,
// that change fails once (or from then on), and the job must stop with a clear message, leave
// every table whole, the tables of the steps before the failing one as a clean run writes them,
// the tables of the later steps as they were, and a backup of the replaced tables.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "jobs/InboundJob.h"
#include "jobs/TableBackups.h"
#include "support/FakeInteraction.h"
#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"
#include "support/WholeTable.h"
#include "worktables/DbfTable.h"
#include "base/FaultInjection.h"
#include "base/FileSystem.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using files::FaultPersistence;
using files::ScopedFaultInjection;
using testing::FakeInteraction;
using testing::ReadBytes;
using testing::SchoolXml;
using testing::ScratchFolder;

// The files each group of steps replaces, in the order the groups run (the subject-name and
// activities steps share ASIGNOMT.DBF, so they form one group). A file that is absent is
// part of the state as much as one with bytes.
const std::vector<std::vector<std::string>> kStepGroups = {
    {"ASIGNOMT.DBF", "ASIGNOMT.MDX", "ASIGNOMT2.DBF", "ASIGNOMT2.MDX"},
    {"PROFT.DBF", "PROFT.MDX"},
    {"AULAT.DBF", "AULAT.MDX"},
    {"CURSOST.DBF", "CURSOST.MDX", "GRUPOST.DBF", "GRUPOST.MDX"},
    {"ASIGT.DBF", "ASIGT.MDX"},
    {"DIASHORAST.DBF", "DIASHORAST.MDX", "DIASHORAST2.DBF", "DIASHORAST2.MDX", "PERIODOS.DBF",
     "PERIODOS.MDX", "JORNADAS.DBF"},
};

using FileStates = std::map<std::string, std::optional<std::string>>;

FileStates Snapshot(const fs::path& dir, const std::vector<std::string>& names) {
    FileStates states;
    for (const std::string& name : names) {
        states[name] = fs::exists(dir / name) ? std::optional(ReadBytes(dir / name)) : std::nullopt;
    }
    return states;
}

FileStates Snapshot(const fs::path& dir) {
    FileStates states;
    for (const auto& group : kStepGroups) states.merge(Snapshot(dir, group));
    return states;
}

// The names whose state differs between `actual` and `expected`.
std::vector<std::string> Differing(const FileStates& actual, const FileStates& expected) {
    std::vector<std::string> names;
    for (const auto& [name, state] : expected) {
        if (actual.at(name) != state) names.push_back(name);
    }
    return names;
}

bool GroupIs(const std::vector<std::string>& group, const FileStates& actual,
             const FileStates& expected) {
    for (const std::string& name : group) {
        if (actual.at(name) != expected.at(name)) return false;
    }
    return true;
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

class InboundFaultSweep : public ::testing::TestWithParam<FaultPersistence> {
protected:
    InboundFaultSweep() : scratch(testing::MemoryBackedTemporaryFolder()) {}

    void SetUp() override {
        programDir = scratch.Folder("programa");
        fs::copy_file(fs::path(VELMARO_RUNTIME_DIR) / "NIVELLARI.DBF",
                      programDir / "NIVELLARI.DBF");
        school = scratch.File("escuela.xml", School("Ana", "Aula 1.01").Text());
        // The folder as an earlier conversion of another document left it, with a JORNADAS.DBF.
        before = scratch.Folder("antes");
        RunCompleted(before, scratch.File("anterior.xml", School("Eva", "Aula 2.02").Text()));
        DbfTable::Create(before / "JORNADAS.DBF", layouts::PERIODOS).Close();
        beforeStates = Snapshot(before);
        const fs::path clean = CopyOfBefore("limpia");
        RunCompleted(clean, school);
        cleanStates = Snapshot(clean);
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

    // Every table is whole; the groups before the first one that differs from the clean run
    // are as the clean run left them, the groups after it as they were before.
    void ExpectStepsCutAtOneGroup(const fs::path& workDir) {
        for (const auto& group : kStepGroups) {
            for (const std::string& name : group) {
                if (name.ends_with(".DBF") && fs::exists(workDir / name)) {
                    testing::ExpectWholeTable(workDir / name);
                }
            }
        }
        const FileStates states = Snapshot(workDir);
        std::size_t failing = 0;
        while (failing < kStepGroups.size() && GroupIs(kStepGroups[failing], states, cleanStates)) {
            ++failing;
        }
        for (std::size_t later = failing + 1; later < kStepGroups.size(); ++later) {
            EXPECT_TRUE(GroupIs(kStepGroups[later], states, beforeStates))
                << kStepGroups[later].front() << " was touched after the failing step";
        }
    }

    // The newest backup holds exactly the replaced files as they were before the run.
    void ExpectBackupOfTheEarlierTables(const fs::path& workDir) {
        const std::vector<TableBackup> backups = ListBackups(workDir);
        if (backups.empty()) return;  // the failure came before the copy was complete
        ASSERT_EQ(backups.size(), 1u);
        std::vector<std::string> expected;
        for (const auto& [name, bytes] : beforeStates) {
            if (bytes) expected.push_back(name);
        }
        EXPECT_EQ(backups[0].files, expected);
        const fs::path folder = workDir / kBackupFolderName / backups[0].id;
        for (const std::string& name : backups[0].files) {
            EXPECT_EQ(ReadBytes(folder / name), *beforeStates.at(name)) << name;
        }
    }

    // No temporary file or half-made backup is left in the folders.
    void ExpectNoLeftovers(const fs::path& workDir) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(workDir)) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.ends_with(".velmaro-nuevo")) << entry.path();
            EXPECT_FALSE(name.ends_with(".parcial")) << entry.path();
        }
    }

    ScratchFolder scratch;
    fs::path programDir;
    fs::path school;
    fs::path before;
    FileStates beforeStates;
    FileStates cleanStates;
};

TEST_P(InboundFaultSweep, EveryFailingFileChangeStopsCleanly) {
    std::size_t changes = 0;
    {
        const fs::path workDir = CopyOfBefore("cuenta");
        ScopedFaultInjection counter(0);
        RunCompleted(workDir, school);
        changes = counter.Calls();
        EXPECT_FALSE(counter.Injected());
    }
    ASSERT_GT(changes, 20u) << "the conversion's writes do not go through the file layer";

    std::size_t failures = 0;
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
            // Only a deletion that is allowed to fail lets the job complete: the rebuild replaces
            // the table anyway, and only JORNADAS.DBF, deleted and not created again, may stay.
            EXPECT_EQ(session.resultCode, 1);
            const std::vector<std::string> differing = Differing(Snapshot(workDir), cleanStates);
            EXPECT_TRUE(differing.empty() || differing == std::vector<std::string>{"JORNADAS.DBF"})
                << ::testing::PrintToString(differing);
        } else {
            ++failures;
            ASSERT_EQ(ui.errors.size(), 1u);
            const std::string& message = ui.errors[0];
            EXPECT_NE(message.find("No se puede"), std::string::npos) << message;
            EXPECT_NE(message.find(workDir.string()), std::string::npos) << message;
            EXPECT_NE(message.find(files::SystemReason(EIO)), std::string::npos) << message;
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(session.resultCode, 0);
            EXPECT_FALSE(ui.waiting);
            ExpectStepsCutAtOneGroup(workDir);
        }
        ExpectBackupOfTheEarlierTables(workDir);
        if (GetParam() == FaultPersistence::Once) ExpectNoLeftovers(workDir);
        fs::remove_all(workDir);
    }
    EXPECT_GT(failures, changes / 2);
}

INSTANTIATE_TEST_SUITE_P(Disk, InboundFaultSweep,
                         ::testing::Values(FaultPersistence::Once, FaultPersistence::FromThenOn),
                         [](const auto& info) {
                             return info.param == FaultPersistence::Once ? "PassingFault"
                                                                         : "DiskStaysBroken";
                         });

}  // namespace
}  // namespace velmaro

// The tables a job reads are read whole or refused: a table cut short or whose header disagrees
// with the file's size stops importar (SOLUC.DBF and the work tables) and exportar (the
// reference table NIVELLARI.DBF), naming the table and what is wrong, before any result is
// written; a whole table as other dBase tools leave it is read. Names in any letter case.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jobs/InboundJob.h"
#include "jobs/OutboundFixture.h"
#include "jobs/OutboundJob.h"
#include "support/FakeInteraction.h"
#include "support/ReferenceTable.h"
#include "support/SchoolXml.h"
#include "support/TableRows.h"

namespace velmaro {
namespace {

using testing::FakeInteraction;
using testing::OutboundFolder;
using testing::ReadBytes;
using testing::ReadResultOutline;
using testing::WriteBytes;
namespace fs = std::filesystem;

const char* kExchange =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SERVICIO modulo=\"EXPORTACION\"><BLOQUE_DATOS>\n"
    "  <grupo_datos seq=\"C_ANNO\"><dato>2023/2024</dato></grupo_datos>\n"
    "</BLOQUE_DATOS></SERVICIO>\n";

std::size_t HeaderLength(const std::string& table) {
    return static_cast<unsigned char>(table[8]) | static_cast<unsigned char>(table[9]) << 8;
}

void SetLittle(std::string& table, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) table[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// A change to a table file as our engine wrote it, and a part of the message that refuses the
// result (nullptr: the table is whole and must be read).
struct TableChange {
    const char* name;
    std::function<void(std::string&)> change;
    const char* refusal;
};

const std::vector<TableChange>& TableChanges() {
    static const std::vector<TableChange> changes = {
        {"records cut in half",
         [](std::string& t) { t.resize(HeaderLength(t) + (t.size() - HeaderLength(t)) / 2); },
         "(el archivo está cortado)"},
        {"last record cut short", [](std::string& t) { t.resize(t.size() - 3); },
         "y parte de otro (el archivo está cortado)"},
        {"header claims 100000 records", [](std::string& t) { SetLittle(t, 4, 100000, 4); },
         "la cabecera indica 100000 registros"},
        {"header length beyond the file", [](std::string& t) { SetLittle(t, 8, 60000, 2); },
         "es más larga que el archivo"},
        {"empty file", [](std::string& t) { t.clear(); }, "el archivo es demasiado corto"},
        {"without the end mark", [](std::string& t) { t.pop_back(); }, nullptr},
        {"end mark and NUL padding", [](std::string& t) { t += std::string(2, '\0'); }, nullptr},
    };
    return changes;
}

// The outbound conversion on the school of OutboundFixture.h: the result's outline, or the
// error shown (the job then leaves no result and the result code as it was).
struct OutboundRun {
    std::vector<std::string> outline;
    std::string error;
};

OutboundRun RunOutbound(const OutboundFolder& folder) {
    Session session = folder.MakeSession(true);
    FakeInteraction ui;
    ui.picks.push_back(folder.Exchange());
    const bool completed = RunOutboundJob(session, ui).has_value();
    OutboundRun run;
    if (completed) {
        EXPECT_TRUE(ui.errors.empty());
        run.outline = ReadResultOutline(folder.Result());
        return run;
    }
    EXPECT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(session.resultCode, 0);
    EXPECT_FALSE(fs::exists(folder.Result()));
    run.error = ui.errors.empty() ? std::string() : ui.errors.front();
    return run;
}

void MakeSchool(const OutboundFolder& folder) {
    WriteBytes(folder.Exchange(), kExchange);
    testing::MakeSchoolTables(folder.WorkDir());
}

std::vector<std::string> SoundOutline() {
    const OutboundFolder folder;
    MakeSchool(folder);
    return RunOutbound(folder).outline;
}

TEST(DamagedTables, ImportarRefusesATableThatIsNotWholeAndReadsOnesThatAre) {
    const std::vector<std::string> sound = SoundOutline();
    ASSERT_FALSE(sound.empty());
    for (const char* table : {"SOLUC.DBF", "PROFT.DBF", "PERIODOS.DBF", "ASIGT.DBF"}) {
        for (const TableChange& c : TableChanges()) {
            SCOPED_TRACE(std::string(table) + ", " + c.name);
            const OutboundFolder folder;
            MakeSchool(folder);
            const fs::path path = folder.WorkDir() / table;
            std::string bytes = ReadBytes(path);
            c.change(bytes);
            WriteBytes(path, bytes);

            const OutboundRun run = RunOutbound(folder);

            if (c.refusal == nullptr) {
                EXPECT_EQ(run.outline, sound) << run.error;
                continue;
            }
            EXPECT_NE(run.error.find("'" + path.string() + "'"), std::string::npos) << run.error;
            EXPECT_NE(run.error.find(c.refusal), std::string::npos) << run.error;
        }
    }
}

std::string LowerCase(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

// As a program under Wine writes them: "soluc.dbf", or every work table in lower case.
TEST(DamagedTables, ImportarFindsTablesInAnyLetterCase) {
    const std::vector<std::string> sound = SoundOutline();
    for (const bool everyTable : {false, true}) {
        SCOPED_TRACE(everyTable ? "every table" : "SOLUC.DBF");
        const OutboundFolder folder;
        MakeSchool(folder);
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.WorkDir())) {
            const std::string name = entry.path().filename().string();
            if (everyTable || name == "SOLUC.DBF") {
                fs::rename(entry.path(), folder.WorkDir() / LowerCase(name));
            }
        }
        EXPECT_EQ(RunOutbound(folder).outline, sound);
    }
}

// A missing table is still named as the job names it.
TEST(DamagedTables, MissingSolucIsNamedInCapitals) {
    const OutboundFolder folder;
    MakeSchool(folder);
    fs::remove(folder.WorkDir() / "SOLUC.DBF");
    EXPECT_EQ(RunOutbound(folder).error,
              "No existe la tabla '" + (folder.WorkDir() / "SOLUC.DBF").string() + "'");
}

// The inbound conversion of one course whose level the reference table gives.
class ReferenceTableRead : public ::testing::Test {
protected:
    void SetUp() override {
        session.paths.workDir = scratch.Folder("TTEMP");
        session.paths.programDir = scratch.Folder("programa");
        session.batchMode = true;
        testing::WriteReferenceTable(session.paths.programDir,
                                     {{60101, "ESO", "Educación Secundaria Obligatoria"}});
        const std::string school =
            testing::SchoolXml()
                .Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"}})
                .Section("JORNADAS_ESCOLARES", {{"4401", "Mañana", "09/09/2026", "22/06/2027"}})
                .Section("TRAMOS_HORARIOS", {{"170001", "1ª hora", "510", "565", "4401"}})
                .Text();
        ui.picks.push_back(scratch.File("escuela.xml", school));
    }

    fs::path Reference() const { return session.paths.programDir / "NIVELLARI.DBF"; }

    testing::ScratchFolder scratch;
    Session session;
    FakeInteraction ui;
};

TEST_F(ReferenceTableRead, ExportarRefusesAReferenceTableThatIsNotWhole) {
    const std::string sound = ReadBytes(Reference());
    for (const TableChange& c : TableChanges()) {
        SCOPED_TRACE(c.name);
        std::string bytes = sound;
        c.change(bytes);
        WriteBytes(Reference(), bytes);
        Session run = session;
        FakeInteraction user;
        user.picks = ui.picks;

        RunInboundJob(run, user);

        if (c.refusal == nullptr) {
            EXPECT_EQ(run.resultCode, 1) << (user.errors.empty() ? "" : user.errors.front());
            EXPECT_EQ(testing::TableRows(session.paths.workDir / "CURSOST.DBF", {"NIVEL"}),
                      (std::vector<testing::TableRow>{{"ESO"}}));
            continue;
        }
        ASSERT_EQ(user.errors.size(), 1u);
        EXPECT_NE(user.errors[0].find("'" + Reference().string() + "'"), std::string::npos)
            << user.errors[0];
        EXPECT_NE(user.errors[0].find(c.refusal), std::string::npos) << user.errors[0];
        EXPECT_EQ(run.resultCode, 0);
    }
}

TEST_F(ReferenceTableRead, ExportarFindsTheReferenceTableInLowerCase) {
    fs::rename(Reference(), session.paths.programDir / "nivellari.dbf");
    RunInboundJob(session, ui);
    EXPECT_EQ(session.resultCode, 1) << (ui.errors.empty() ? "" : ui.errors.front());
    EXPECT_EQ(testing::TableRows(session.paths.workDir / "CURSOST.DBF", {"NIVEL"}),
              (std::vector<testing::TableRow>{{"ESO"}}));
}

}  // namespace
}  // namespace velmaro

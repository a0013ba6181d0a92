// The inbound job as the main window runs it, driven through a scripted user: every ending of
// the job with its messages, result code, job buttons, close request and wait cursor, in batch
// and interactive mode, and what it leaves in the work-table folder.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "jobs/InboundJob.h"
#include "support/FakeInteraction.h"
#include "support/HeldFile.h"
#include "support/ReferenceTable.h"
#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"
#include "support/TableRows.h"

namespace velmaro {
namespace {

namespace fs = std::filesystem;
using testing::FakeInteraction;
using testing::ReadBytes;
using testing::SchoolXml;
using testing::ScratchFolder;
using testing::TableRow;
using testing::WriteBytes;
using testing::WriteReferenceTable;

const std::string kNoFile = "No existe archivo";
const std::string kNoReferenceTable = "ATENCIÓN - NIVELLARI.DBF No encontrado - Reinstale VELMARO";
const std::string kFinished = "Proceso finalizado";
const std::string kEarlierTable = "tabla de una conversión anterior";

// A small school with every section of the inbound conversion and a single framework, so that
// no framework choice is asked for.
SchoolXml SmallSchool(const std::string& secondSubject = "Lengua Castellana y Literatura") {
    return SchoolXml()
        .Section("CURSOS_DEL_CENTRO", {{"60101", "1º ESO"}})
        .Section("UNIDADES", {{"834501", "1º ESO A", "60101"}})
        .Section("MATERIAS", {{"60101", "300101", "Lengua Castellana y Literatura"},
                              {"60101", "300102", secondSubject}})
        .Section("ACTIVIDADES", {{"N", "1", "Guardia"}})
        .Section("EMPLEADOS", {{"1048000", "01/09/2026", "590", "García", "López", "Ana"}})
        .Section("DEPENDENCIAS", {{"A101", "Aula 1.01"}, {"", "Aula de Música"}})
        .Section("JORNADAS_ESCOLARES", {{"4401", "Jornada de mañana", "09/09/2026", "22/06/2027"}})
        .Section("TRAMOS_HORARIOS", {{"170001", "1ª hora", "510", "565", "4401"},
                                     {"170002", "2ª hora", "565", "620", "4401"}});
}

class InboundJobTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        workDir = scratch.Folder("TTEMP");
        session.paths.workDir = workDir;
        session.paths.programDir = scratch.Folder("programa");
        // A reference table of levels that knows the one course of SmallSchool.
        WriteReferenceTable(session.paths.programDir,
                            {{60101, "ESO", "Educación Secundaria Obligatoria"}});
        session.batchMode = GetParam();
        school = scratch.File("escuela.xml", SmallSchool().Text());
        for (const char* table : {"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF"}) {
            WriteBytes(workDir / table, kEarlierTable);
        }
    }

    bool Batch() const { return GetParam(); }

    // The job ended early and left the session as it was (nothing to close, buttons on).
    void ExpectSessionUnchanged() const {
        EXPECT_EQ(session.resultCode, 0);
        EXPECT_FALSE(session.closeRequested);
        EXPECT_TRUE(session.jobButtonsEnabled);
    }

    // Every table of the folder still holds what an earlier conversion left.
    void ExpectTablesUntouched() const {
        for (const char* table : {"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF"}) {
            EXPECT_EQ(ReadBytes(workDir / table), kEarlierTable) << table;
        }
        EXPECT_FALSE(fs::exists(workDir / "ASIGNOMT2.DBF"));
    }

    void ExpectCompleted() const {
        EXPECT_EQ(ui.messages, std::vector<std::string>{kFinished});
        EXPECT_TRUE(ui.errors.empty()) << ui.errors.front();
        EXPECT_EQ(session.resultCode, 1);
        EXPECT_FALSE(session.jobButtonsEnabled);
        EXPECT_EQ(session.closeRequested, Batch());
        EXPECT_EQ(ui.waitCursorChanges, 2);
        EXPECT_FALSE(ui.waiting);
    }

    std::vector<TableRow> Rows(const std::string& table, const std::vector<std::string>& fields) {
        return testing::TableRows(workDir / table, fields);
    }

    ScratchFolder scratch;
    fs::path workDir;
    fs::path school;
    Session session;
    FakeInteraction ui;
};

std::string ModeName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "Batch" : "Interactive";
}

INSTANTIATE_TEST_SUITE_P(Modes, InboundJobTest, ::testing::Bool(), ModeName);

TEST_P(InboundJobTest, CompletedJobReportsAndDisablesButtons) {
    ui.picks.push_back(school);
    RunInboundJob(session, ui);
    ExpectCompleted();
    EXPECT_EQ(session.filenameXML, school);
    EXPECT_EQ(Rows("ASIGNOMT.DBF", {"COD", "ESTAREA"}),
              (std::vector<TableRow>{{"LCL", "F"}, {"1", "T"}}));
    EXPECT_EQ(Rows("ASIGNOMT2.DBF", {"COD", "MATERIA"}),
              (std::vector<TableRow>{{"LCL", "300101"}, {"LCL", "300102"}}));
    EXPECT_EQ(Rows("PROFT.DBF", {"ABREV", "NOMBRE"}),
              (std::vector<TableRow>{{"GLA", "García López, Ana"}}));
    EXPECT_EQ(Rows("AULAT.DBF", {"ABREV", "DEPCENTRO"}),
              (std::vector<TableRow>{{"A101", "A101"}, {"la d", ""}}));
}

// The report goes beside the tables as velmaro-informe.txt: a byte-order mark, CR LF line ends,
// a heading naming the run, the counts and the items; the session keeps it for the caller.
TEST_P(InboundJobTest, CompletedJobWritesItsReportBesideTheTables) {
    WriteBytes(school, SchoolXml()
                           .Section("EMPLEADOS",
                                    {{"E1", "01/09/2026", "590", "García", "López", "Ana"},
                                     {"E2", "01/09/2026", "590", "Gil", "Lara", "Amo"}})
                           .Section("JORNADAS_ESCOLARES",
                                    {{"4401", "Jornada de mañana", "09/09/2026", "22/06/2027"}})
                           .Text());
    WriteBytes(workDir / "velmaro-informe.txt", "informe de una conversión anterior");
    ui.picks.push_back(school);
    RunInboundJob(session, ui);
    ExpectCompleted();

    const std::string report = ReadBytes(workDir / "velmaro-informe.txt");
    ASSERT_EQ(report.substr(0, 3), "\xEF\xBB\xBF");
    for (std::size_t lf = report.find('\n'); lf != std::string::npos;
         lf = report.find('\n', lf + 1)) {
        ASSERT_EQ(report[lf - 1], '\r') << "a line ended by LF alone at byte " << lf;
    }
    for (const std::string& line :
         {std::string("Informe de la conversión de Velmaro\r\n"),
          std::string("Conversión: de Racima a Tavolin (exportar)\r\n"),
          "Documento de intercambio: " + school.string() + "\r\n",
          "Tablas de trabajo: " + workDir.string() + "\r\n",
          std::string("  Códigos ya ocupados, con un número añadido: 1\r\n"),
          std::string("  EMPLEADOS, registro 2: PROFT.DBF ABREV: el código «GLA» ya estaba "
                      "ocupado; se le ha dado «GLA1»\r\n")}) {
        EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
    }
    EXPECT_EQ(report.find("Documento de resultado"), std::string::npos);
    ASSERT_TRUE(session.lastReport.has_value());
    EXPECT_EQ(session.lastReport->file, workDir / "velmaro-informe.txt");
    EXPECT_FALSE(session.lastReport->failure.has_value());
    EXPECT_EQ(session.lastReport->items.Count(ReportKind::CodeSuffixed), 1u);
}

// A report that cannot be written leaves a completed conversion completed, and says so before
// "Proceso finalizado"; a job that stops leaves the earlier report as it was.
TEST_P(InboundJobTest, ReportFailureIsToldAndDoesNotUndoTheConversion) {
    WriteBytes(workDir / "velmaro-informe.txt" / "ocupado", "x");  // a folder in its place
    ui.picks.push_back(school);
    RunInboundJob(session, ui);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_NE(ui.messages[0].find("No se ha podido escribir el informe de la conversión '" +
                                  (workDir / "velmaro-informe.txt").string() + "'"),
              std::string::npos)
        << ui.messages[0];
    EXPECT_NE(ui.messages[0].find("La conversión se ha completado igualmente."),
              std::string::npos)
        << ui.messages[0];
    EXPECT_EQ(ui.messages[1], kFinished);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(session.resultCode, 1);
    EXPECT_EQ(Rows("PROFT.DBF", {"ABREV"}), (std::vector<TableRow>{{"GLA"}}));
    ASSERT_TRUE(session.lastReport.has_value());
    EXPECT_EQ(session.lastReport->failure, ui.messages[0]);
}

TEST_P(InboundJobTest, StoppedJobLeavesTheEarlierReport) {
    WriteBytes(workDir / "velmaro-informe.txt", "informe de una conversión anterior");
    fs::remove(workDir / "PROFT.DBF");
    WriteBytes(workDir / "PROFT.DBF" / "ocupado", "x");  // a folder in the table's place
    ui.picks.push_back(school);
    RunInboundJob(session, ui);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ReadBytes(workDir / "velmaro-informe.txt"), "informe de una conversión anterior");
    EXPECT_FALSE(session.lastReport.has_value());
}

// Something that is not a file counts as no file, and the message says what it is; a FIFO or a
// device is never opened, so the job neither waits for a writer nor reads without end.
TEST_P(InboundJobTest, NoFileShowsMessageAndClosesInBatch) {
    struct NoFileCase {
        const char* name;
        std::optional<fs::path> pick;
        std::string message;
    };
    const fs::path folder = scratch.Folder("carpeta.xml");
    std::vector<NoFileCase> cases = {
        {"cancelled without earlier choice", std::nullopt, kNoFile},
        {"missing file", scratch.Path() / "no-existe.xml", kNoFile},
        {"folder", folder,
         kNoFile + ": '" + folder.string() + "' no es un archivo (es una carpeta)"},
        {"empty path", fs::path(), kNoFile},
    };
#ifndef _WIN32
    // Devices and FIFOs in the file system are POSIX's.
    const fs::path fifo = scratch / "tuberia.xml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cases.push_back(
        {"device", "/dev/zero", kNoFile + ": '/dev/zero' no es un archivo (es un dispositivo)"});
    cases.push_back(
        {"FIFO", fifo, kNoFile + ": '" + fifo.string() + "' no es un archivo (es una tubería (FIFO))"});
#endif
    for (const NoFileCase& c : cases) {
        SCOPED_TRACE(c.name);
        Session fresh = session;
        FakeInteraction user;
        user.picks.push_back(c.pick);
        RunInboundJob(fresh, user);
        EXPECT_EQ(user.messages, std::vector<std::string>{c.message});
        EXPECT_TRUE(user.errors.empty());
        EXPECT_EQ(fresh.resultCode, Batch() ? -1 : 0);
        EXPECT_EQ(fresh.closeRequested, Batch());
        EXPECT_TRUE(fresh.jobButtonsEnabled);
        EXPECT_EQ(user.waitCursorChanges, 0);
    }
    ExpectTablesUntouched();
}

TEST_P(InboundJobTest, CancelAfterEarlierChoiceKeepsTheEarlierFile) {
    session.filenameXML = school;
    ui.picks.push_back(std::nullopt);
    RunInboundJob(session, ui);
    ExpectCompleted();
    EXPECT_EQ(session.filenameXML, school);
}

TEST_P(InboundJobTest, ConfirmedChoiceReplacesTheEarlierFile) {
    session.filenameXML = scratch.Path() / "anterior-que-ya-no-existe.xml";
    ui.picks.push_back(school);
    RunInboundJob(session, ui);
    ExpectCompleted();
    EXPECT_EQ(session.filenameXML, school);
}

TEST_P(InboundJobTest, MissingReferenceTableStopsWithoutClosing) {
    fs::remove(session.paths.programDir / "NIVELLARI.DBF");
    ui.picks.push_back(school);
    RunInboundJob(session, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kNoReferenceTable});
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(ui.waitCursorChanges, 0);
    ExpectSessionUnchanged();
    ExpectTablesUntouched();
}

TEST_P(InboundJobTest, UnusableDocumentStopsBeforeAnyTable) {
    struct DocumentCase {
        const char* name;
        std::string xml;
        std::string reason;  // a part of the message besides the file name
    };
    const std::vector<DocumentCase> cases = {
        {"not well-formed", "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"MATERIAS\">", ""},
        {"no envelope",
         "<?xml version=\"1.0\"?><RESPUESTA><grupo_datos seq=\"MATERIAS\"/></RESPUESTA>",
         "SERVICIO/BLOQUE_DATOS"},
        {"nothing to convert", SchoolXml().Section("OTRA_COSA", {{"1", "2"}}).Text(),
         "ninguna de las secciones"},
        {"section names differ in case", SchoolXml().Section("materias", {{"1", "2", "3"}}).Text(),
         "ninguna de las secciones"},
    };
    for (const DocumentCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = scratch.File("malo.xml", c.xml);
        FakeInteraction user;
        user.picks.push_back(file);
        RunInboundJob(session, user);
        ASSERT_EQ(user.errors.size(), 1u);
        EXPECT_NE(user.errors[0].find(file.string()), std::string::npos) << user.errors[0];
        EXPECT_NE(user.errors[0].find(c.reason), std::string::npos) << user.errors[0];
        EXPECT_TRUE(user.messages.empty());
        EXPECT_EQ(user.waitCursorChanges, 0);
        ExpectSessionUnchanged();
        ExpectTablesUntouched();
    }
}

TEST_P(InboundJobTest, UnusableWorkFolderStopsBeforeAnyTable) {
    const std::vector<std::pair<const char*, fs::path>> cases = {
        {"missing", scratch.Path() / "no-existe"},
        {"a file", scratch.File("no-es-carpeta", "x")},
    };
    for (const auto& [name, folder] : cases) {
        SCOPED_TRACE(name);
        Session other = session;
        other.paths.workDir = folder;
        FakeInteraction user;
        user.picks.push_back(school);
        RunInboundJob(other, user);
        ASSERT_EQ(user.errors.size(), 1u);
        EXPECT_NE(user.errors[0].find(folder.string()), std::string::npos) << user.errors[0];
        EXPECT_EQ(other.resultCode, 0);
        EXPECT_FALSE(other.closeRequested);
    }
}

#ifndef _WIN32
// Windows keeps no one from writing into a folder through its read-only attribute.
TEST_P(InboundJobTest, ReadOnlyWorkFolderStopsBeforeAnyTable) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    fs::permissions(workDir, fs::perms::owner_read | fs::perms::owner_exec);
    ui.picks.push_back(school);
    RunInboundJob(session, ui);
    fs::permissions(workDir, fs::perms::owner_all);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find(workDir.string()), std::string::npos) << ui.errors[0];
    ExpectSessionUnchanged();
    ExpectTablesUntouched();
}
#endif

TEST_P(InboundJobTest, FailingStepChangesNoTable) {
    // A subject that the framework step cannot convert fails the last step, after every other
    // step has written its tables.
    const fs::path broken = scratch.File(
        "rota.xml", SmallSchool()
                        .Section("TRAMOS_HORARIOS", {{"170001", "1ª hora", "ocho", "565", "4401"}})
                        .Text());
    ui.picks.push_back(broken);
    RunInboundJob(session, ui);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("'ocho' is not a valid integer value"), std::string::npos)
        << ui.errors[0];
    EXPECT_TRUE(ui.errors[0].ends_with(". No se ha modificado ninguna tabla.")) << ui.errors[0];
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(ui.waiting);
    EXPECT_EQ(ui.waitCursorChanges, 2);
    ExpectSessionUnchanged();
    ExpectTablesUntouched();
    EXPECT_FALSE(fs::exists(workDir / "velmaro-copias")) << "nothing to keep: nothing changed";
    EXPECT_FALSE(fs::exists(workDir / "velmaro-preparacion"));
}

TEST_P(InboundJobTest, FolderInATablesPlaceStopsBeforeTheSteps) {
    fs::remove(workDir / "PROFT.DBF");
    WriteBytes(workDir / "PROFT.DBF" / "ocupado", "x");
    ui.picks.push_back(school);
    RunInboundJob(session, ui);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("'PROFT.DBF'"), std::string::npos) << ui.errors[0];
    EXPECT_TRUE(ui.errors[0].ends_with("No se ha modificado ninguna tabla.")) << ui.errors[0];
    EXPECT_EQ(ui.waitCursorChanges, 0);
    ExpectSessionUnchanged();
    EXPECT_EQ(ReadBytes(workDir / "PROFT.DBF" / "ocupado"), "x");
    EXPECT_EQ(ReadBytes(workDir / "AULAT.DBF"), kEarlierTable);
}

TEST_P(InboundJobTest, TablesInOtherLetterCasesAreReplacedNotLeftBeside) {
    fs::remove(workDir / "PROFT.DBF");
    WriteBytes(workDir / "proft.dbf", kEarlierTable);
    WriteBytes(workDir / "Jornadas.dbf", kEarlierTable);
    WriteBytes(workDir / "asignomt2.mdx", kEarlierTable);
    ui.picks.push_back(school);
    RunInboundJob(session, ui);
    ExpectCompleted();
#ifndef _WIN32
    // Names that differ only in letter case name one file on Windows: nothing can be beside.
    for (const char* gone : {"proft.dbf", "Jornadas.dbf", "asignomt2.mdx"}) {
        EXPECT_FALSE(fs::exists(workDir / gone)) << gone;
    }
#endif
    EXPECT_EQ(Rows("PROFT.DBF", {"ABREV"}), (std::vector<TableRow>{{"GLA"}}));
    // What was replaced is kept in the backup under the names it had.
    const fs::path backups = workDir / "velmaro-copias";
    ASSERT_TRUE(fs::is_directory(backups));
    const fs::path backup = fs::directory_iterator(backups)->path();
    for (const char* kept : {"proft.dbf", "Jornadas.dbf", "asignomt2.mdx", "ASIGNOMT.DBF"}) {
        EXPECT_EQ(ReadBytes(backup / kept), kEarlierTable) << kept;
    }
}

TEST_P(InboundJobTest, TablesHeldByAnotherProgramStopBeforeAnyTableIsTouched) {
    struct HeldCase {
        const char* name;
        std::vector<std::string> held;
        testing::HeldFile::Lock lock;
    };
    using enum testing::HeldFile::Lock;
    WriteBytes(workDir / "JORNADAS.DBF", kEarlierTable);
    const std::vector<HeldCase> cases = {
        {"a later step's table, shared lock", {"AULAT.DBF"}, Shared},
        {"a later step's table, exclusive lock", {"AULAT.DBF"}, Exclusive},
        {"three tables, all named", {"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF"}, Shared},
        {"the table the framework step deletes", {"JORNADAS.DBF"}, Exclusive},
        {"opened alone, with no lock", {"PROFT.DBF", "AULAT.DBF"}, OpenAlone},
    };
    for (const HeldCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::unique_ptr<testing::HeldFile>> tavolin;
        for (const std::string& table : c.held) {
            tavolin.push_back(std::make_unique<testing::HeldFile>(workDir / table, c.lock));
            ASSERT_TRUE(tavolin.back()->Locked());
        }
        FakeInteraction user;
        user.picks.push_back(school);
        RunInboundJob(session, user);
        ASSERT_EQ(user.errors.size(), 1u);
        for (const std::string& table : c.held) {
            EXPECT_NE(user.errors[0].find("'" + table + "'"), std::string::npos) << user.errors[0];
        }
        EXPECT_NE(user.errors[0].find("abierta"), std::string::npos) << user.errors[0];
        EXPECT_NE(user.errors[0].find(workDir.string()), std::string::npos) << user.errors[0];
        EXPECT_TRUE(user.messages.empty());
        EXPECT_EQ(user.waitCursorChanges, 0);
        tavolin.clear();  // the tables are read once the holders, some keeping readers out, go
        ExpectSessionUnchanged();
        ExpectTablesUntouched();
        EXPECT_EQ(ReadBytes(workDir / "JORNADAS.DBF"), kEarlierTable);
        EXPECT_FALSE(fs::exists(workDir / "velmaro-copias"))
            << "nothing copied for a run that stops";
    }
}

TEST_P(InboundJobTest, SecondRunAfterFailureStartsWithFreshLists) {
    // The first run fails in its last step, after the subject-name step filled its lists.
    ui.picks.push_back(scratch.File(
        "rota.xml", SmallSchool()
                        .Section("TRAMOS_HORARIOS", {{"170001", "1ª hora", "ocho", "565", "4401"}})
                        .Text()));
    RunInboundJob(session, ui);
    ASSERT_EQ(ui.errors.size(), 1u);

    const fs::path other = scratch.File("otra.xml", SmallSchool("Lengua Clásica Latina").Text());
    FakeInteraction again;
    again.picks.push_back(other);
    RunInboundJob(session, again);
    EXPECT_EQ(again.messages, std::vector<std::string>{kFinished});
    EXPECT_EQ(session.resultCode, 1);
    // LCL is free again: the first run's subject codes are gone.
    EXPECT_EQ(Rows("ASIGNOMT.DBF", {"COD", "NOMBRE"}),
              (std::vector<TableRow>{{"LCL", "Lengua Castellana y Literatura"},
                                     {"LCL1", "Lengua Clásica Latina"},
                                     {"1", "Guardia"}}));
}

// A user whose dialog fails in a way no step foresees.
class ThrowingInteraction : public FakeInteraction {
public:
    explicit ThrowingInteraction(bool outOfMemory) : outOfMemory_(outOfMemory) {}
    std::optional<fs::path> PickExchangeDocument() override {
        if (outOfMemory_) throw std::bad_alloc();
        throw std::runtime_error("fallo interno");
    }

private:
    bool outOfMemory_;
};

TEST_P(InboundJobTest, UnexpectedFailuresAreShownNotFatal) {
    for (bool outOfMemory : {true, false}) {
        SCOPED_TRACE(outOfMemory ? "bad_alloc" : "runtime_error");
        ThrowingInteraction user(outOfMemory);
        RunInboundJob(session, user);
        ASSERT_EQ(user.errors.size(), 1u);
        EXPECT_NE(user.errors[0].find(outOfMemory ? "memoria" : "fallo interno"), std::string::npos)
            << user.errors[0];
        ExpectSessionUnchanged();
    }
    ExpectTablesUntouched();
}

}  // namespace
}  // namespace velmaro

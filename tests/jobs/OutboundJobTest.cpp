// The outbound conversion: how each timetable row is resolved through the work tables, the job's
// messages, result code, buttons and batch closing, and that no work table stays held.

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "jobs/OutboundFixture.h"
#include "jobs/OutboundJob.h"
#include "jobs/WorkFolderRun.h"
#include "support/TemporaryFiles.h"
#include "support/FakeInteraction.h"
#include "base/FaultInjection.h"
#include "base/FileSystem.h"

namespace velmaro {
namespace {

using testing::FakeInteraction;
using testing::MakeTable;
using testing::OutboundFolder;
using testing::ReadBytes;
using testing::ReadResultOutline;
using testing::Row;
using testing::Slot;
using testing::SolucLayout;
using testing::SolucRow;
using testing::WriteBytes;
namespace layouts = velmaro::layouts;
namespace fs = std::filesystem;

const char* kExchange =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SERVICIO modulo=\"EXPORTACION\"><BLOQUE_DATOS>\n"
    "  <grupo_datos seq=\"C_ANNO\"><dato>2023/2024</dato></grupo_datos>\n"
    "  <grupo_datos seq=\"EMPLEADOS\"><grupo_datos><dato>E1</dato></grupo_datos></grupo_datos>\n"
    "</BLOQUE_DATOS></SERVICIO>\n";

// A small school whose rows exercise every lookup of an activity.
void MakeSchool(const OutboundFolder& folder) {
    WriteBytes(folder.Exchange(), kExchange);
    testing::MakeSchoolTables(folder.WorkDir());
}

// True when every work table of the job can be opened for exclusive use again.
void ExpectNoTableHeld(const OutboundFolder& folder) {
    for (const std::string& name : testing::OutboundTableNames()) {
        if (!fs::exists(folder.WorkDir() / name)) continue;
        EXPECT_NO_THROW(DbfTable::Open(folder.WorkDir() / name, TableAccess::Exclusive).Close())
            << name;
    }
}

TEST(OutboundJob, ResolvesEveryActivityThroughTheWorkTables) {
    OutboundFolder folder;
    MakeSchool(folder);
    Session session = folder.MakeSession(false);
    FakeInteraction ui;
    ui.picks.push_back(folder.Exchange());

    const auto summary = RunOutboundJob(session, ui);

    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(summary->resultFile, folder.Result());
    EXPECT_EQ(summary->teachers, 3u);
    EXPECT_EQ(summary->activities, 6u);
    const std::vector<std::string> expected = {
        "ROOT HORARIOS|I|HORARIOS",
        "ANNO 2023",
        "HORARIOS 3 3",
        "HORARIO_REGULAR_PROFESOR_1 5 E1|01/09/2020",
        // ASIGT gives subject and course; no task anywhere gives "1"; DIHO 25 with MARCO 0
        // finds the first of its two rows.
        "ACTIVIDAD_1 2|T5|A1|U1A|C10|M100|01/09/2023|30/06/2024|720|775|1",
        // MARCO "0X" counts with its first character; a blank ASIGT key and course fall back to
        // GRUPOST and ASIGNOMT2; AULA of blanks is empty; "8:05" reads as 485.
        "ACTIVIDAD_2 1|T10||U1B|C20|M200|01/09/2023|30/06/2024|485|540|1",
        // No ASIGT or GRUPOST row: the task comes from the first ASIGNOMT row of the code.
        "ACTIVIDAD_3 1|T9|A 2||||01/09/2023|30/06/2024|900|955|A77",
        // An empty MARCO matches only the empty-MARCO row; TAREA kept as read.
        "ACTIVIDAD_4 3|TE|||||01/09/2023|30/06/2024|600|655|T5X",
        // Empty MARCO and no such row: no day and period, 0 minutes; the subject comes from
        // ASIGNOMT2 with an empty course key.
        "ACTIVIDAD_5 |||||M000|01/09/2023|30/06/2024|0|0|1",
        "HORARIO_REGULAR_PROFESOR_2 1 E2|",
        // TAREA of blanks searches ASIGNOMT, whose CODTAREA for LEN is ZZZ.
        "ACTIVIDAD_1 2|T5||U1B|C20|L200|01/09/2023|30/06/2024|720|775|ZZZ",
        "HORARIO_REGULAR_PROFESOR_3 0 E3|02/09/2021",
    };
    EXPECT_EQ(ReadResultOutline(folder.Result()), expected);

    // The report beside the work tables names the result document and counts what the result
    // leaves out or sends empty (the items themselves: TimetableRowsTest).
    const std::string report = ReadBytes(folder.WorkDir() / "velmaro-informe.txt");
    for (const std::string& line :
         {std::string("Conversión: de Tavolin a Racima (importar)\r\n"),
          "Documento de resultado: " + folder.Result().string() + "\r\n",
          std::string("  Filas de SOLUC.DBF cuyo profesor no está en PROFT.DBF, no enviadas: "
                      "2\r\n"),
          std::string("  Filas cuyo día y hora no están en su Marco Horario, sin día ni tramo: "
                      "1\r\n"),
          std::string("  Claves que no se encontraron, enviadas vacías: 3\r\n")}) {
        EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
    }
    ASSERT_TRUE(session.lastReport.has_value());
    EXPECT_EQ(session.lastReport->resultDocument, folder.Result());
}

TEST(OutboundJob, CompletedJobFinishesTheWindowAndReleasesEveryTable) {
    for (const bool batch : {false, true}) {
        OutboundFolder folder;
        MakeSchool(folder);
        Session session = folder.MakeSession(batch);
        FakeInteraction ui;
        ui.picks.push_back(folder.Exchange());

        RunOutboundJob(session, ui);

        EXPECT_EQ(ui.messages, std::vector<std::string>{"Proceso finalizado"}) << batch;
        EXPECT_TRUE(ui.errors.empty());
        EXPECT_EQ(session.resultCode, 1);
        EXPECT_FALSE(session.jobButtonsEnabled);
        EXPECT_EQ(session.closeRequested, batch);
        EXPECT_EQ(session.filenameXML, folder.Exchange());
        EXPECT_FALSE(ui.waiting);
        EXPECT_EQ(ui.waitCursorChanges, 2);
        ExpectNoTableHeld(folder);
    }
}

TEST(OutboundJob, CancelledDialogWithEarlierChoiceUsesTheEarlierFile) {
    OutboundFolder folder;
    MakeSchool(folder);
    Session session = folder.MakeSession(false);
    session.filenameXML = folder.Exchange();
    FakeInteraction ui;

    EXPECT_TRUE(RunOutboundJob(session, ui).has_value());
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Proceso finalizado"});
}

// No file to work on: "No existe archivo"; in batch mode -1 and a close request.
TEST(OutboundJob, NoFile) {
    struct Case {
        const char* name;
        bool batch;
        bool pickFolder;  // the dialog returns a folder instead of being cancelled
    };
    const Case cases[] = {
        {"cancelled", false, false},
        {"cancelled in batch mode", true, false},
        {"folder in batch mode", true, true},
    };
    for (const Case& c : cases) {
        OutboundFolder folder;
        MakeSchool(folder);
        Session session = folder.MakeSession(c.batch);
        FakeInteraction ui;
        if (c.pickFolder) ui.picks.push_back(folder.WorkDir());

        EXPECT_FALSE(RunOutboundJob(session, ui).has_value()) << c.name;

        const std::string expected = c.pickFolder
                                         ? "No existe archivo: '" + folder.WorkDir().string() +
                                               "' no es un archivo (es una carpeta)"
                                         : "No existe archivo";
        EXPECT_EQ(ui.messages, std::vector<std::string>{expected}) << c.name;
        EXPECT_EQ(session.resultCode, c.batch ? -1 : 0) << c.name;
        EXPECT_EQ(session.closeRequested, c.batch) << c.name;
        EXPECT_TRUE(session.jobButtonsEnabled) << c.name;
        EXPECT_EQ(ui.waitCursorChanges, 0) << c.name;
        EXPECT_FALSE(fs::exists(folder.Result())) << c.name;
    }
}

TEST(OutboundJob, MissingPeriodosStopsWithItsMessageAndHoldsNoTable) {
    OutboundFolder folder;
    MakeSchool(folder);
    fs::remove(folder.WorkDir() / "PERIODOS.DBF");
    Session session = folder.MakeSession(true);
    FakeInteraction ui;
    ui.picks.push_back(folder.Exchange());

    EXPECT_FALSE(RunOutboundJob(session, ui).has_value());

    EXPECT_EQ(ui.messages, std::vector<std::string>{
                               "ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de "
                               "RACIMA."});
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(session.resultCode, 0);
    EXPECT_FALSE(session.closeRequested);
    EXPECT_TRUE(session.jobButtonsEnabled);
    EXPECT_FALSE(ui.waiting);
    EXPECT_FALSE(fs::exists(folder.Result()));
    ExpectNoTableHeld(folder);
}

TEST(OutboundJob, PeriodosWithoutRowsGivesEmptyDates) {
    OutboundFolder folder;
    MakeSchool(folder);
    MakeTable(folder.WorkDir(), layouts::PERIODOS, {});
    Session session = folder.MakeSession(false);
    FakeInteraction ui;
    ui.picks.push_back(folder.Exchange());

    RunOutboundJob(session, ui);

    const auto outline = ReadResultOutline(folder.Result());
    ASSERT_GE(outline.size(), 5u);
    EXPECT_EQ(outline[4], "ACTIVIDAD_1 2|T5|A1|U1A|C10|M100|||720|775|1");
}

// A failure of a component is shown as an error; the result code, the window, the buttons and
// an earlier result file stay as they were, and no table stays held.
TEST(OutboundJob, ComponentFailures) {
    struct Case {
        const char* name;
        std::function<void(const OutboundFolder&)> spoil;
        const char* messageFragment;
    };
    const Case cases[] = {
        {"missing SOLUC", [](const OutboundFolder& f) { fs::remove(f.WorkDir() / "SOLUC.DBF"); },
         "SOLUC.DBF"},
        {"missing ASIGT (opened last)",
         [](const OutboundFolder& f) { fs::remove(f.WorkDir() / "ASIGT.DBF"); }, "ASIGT.DBF"},
        {"DIA not a number",
         [](const OutboundFolder& f) {
             MakeTable(f.WorkDir(), SolucLayout(FieldKind::Character),
                       {SolucRow("GAR", "x", "1", "0", "MAT", "1A", "", "")});
         },
         "SOLUC.DBF', campo 'DIA', fila 1: 'x' is not a valid integer value"},
        {"start time not a clock text",
         [](const OutboundFolder& f) {
             MakeTable(f.WorkDir(), layouts::DIASHORAST,
                       {Slot("25", "0", "2", "T5", "ab:cd", "12:55")});
         },
         "'ab' is not a valid integer value"},
        {"document without BLOQUE_DATOS",
         [](const OutboundFolder& f) { WriteBytes(f.Exchange(), "<SERVICIO><OTRO/></SERVICIO>"); },
         "horario.xml"},
        {"document not well-formed",
         [](const OutboundFolder& f) { WriteBytes(f.Exchange(), "<SERVICIO><BLOQUE_DATOS>"); },
         "horario.xml"},
    };
    for (const Case& c : cases) {
        OutboundFolder folder;
        MakeSchool(folder);
        c.spoil(folder);
        WriteBytes(folder.Result(), "resultado anterior");
        Session session = folder.MakeSession(true);
        FakeInteraction ui;
        ui.picks.push_back(folder.Exchange());

        EXPECT_FALSE(RunOutboundJob(session, ui).has_value()) << c.name;

        ASSERT_EQ(ui.errors.size(), 1u) << c.name;
        EXPECT_NE(ui.errors[0].find(c.messageFragment), std::string::npos)
            << c.name << ": " << ui.errors[0];
        EXPECT_TRUE(ui.messages.empty()) << c.name;
        EXPECT_EQ(session.resultCode, 0) << c.name;
        EXPECT_FALSE(session.closeRequested) << c.name;
        EXPECT_TRUE(session.jobButtonsEnabled) << c.name;
        EXPECT_FALSE(ui.waiting) << c.name;
        EXPECT_EQ(ReadBytes(folder.Result()), "resultado anterior") << c.name;
        ExpectNoTableHeld(folder);
    }
}

TEST(OutboundJob, TableHeldByAnotherIsAnErrorNamingIt) {
    OutboundFolder folder;
    MakeSchool(folder);
    DbfTable held = DbfTable::Open(folder.WorkDir() / "GRUPOST.DBF", TableAccess::Exclusive);
    Session session = folder.MakeSession(false);
    FakeInteraction ui;
    ui.picks.push_back(folder.Exchange());

    RunOutboundJob(session, ui);

    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("GRUPOST"), std::string::npos) << ui.errors[0];
    EXPECT_EQ(session.resultCode, 0);
    held.Close();
    ExpectNoTableHeld(folder);
}

TEST(OutboundJob, IsoLatinExchangeDocumentGivesAnIsoLatinResult) {
    OutboundFolder folder;
    MakeSchool(folder);
    WriteBytes(folder.Exchange(),
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- Racima -->\n"
               "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"C_ANNO\"><dato>2023 a\xF1o</dato>"
               "</grupo_datos></BLOQUE_DATOS></SERVICIO>\n");
    MakeTable(folder.WorkDir(), layouts::PROFT,
              {{{"ABREV", "GAR"},
                {"X_EMPLEADO",
                 "Nu\xC3\xB1"
                 "ez"},
                {"F_TOMAPOS", ""}}});
    Session session = folder.MakeSession(false);
    FakeInteraction ui;
    ui.picks.push_back(folder.Exchange());

    RunOutboundJob(session, ui);

    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    const std::string bytes = ReadBytes(folder.Result());
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- Racima -->\n"
                          "<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"HORARIOS\" fecha=\"",
                          0),
              0u)
        << bytes;
    EXPECT_NE(bytes.find("<dato nombre_dato=\"X_EMPLEADO\">Nu\xF1"
                         "ez</dato>"),
              std::string::npos)
        << bytes;
}

// A failing disk at every file change of a whole outbound conversion: the job reports the
// failure naming the result document, and the result document is the earlier one, whole, or
// the new one, whole; the work tables stay as they were.
TEST(OutboundJob, EveryFailingFileChangeKeepsTheEarlierResultOrWritesTheNewOne) {
    const std::string earlier = "<SERVICIO>resultado anterior</SERVICIO>\n";
    std::vector<std::string> cleanOutline;
    std::size_t changes = 0;
    {
        OutboundFolder folder;
        MakeSchool(folder);
        WorkFolderRun::Begin(folder.WorkDir());  // its lock file is there, as after any job
        Session session = folder.MakeSession(true);
        FakeInteraction ui;
        ui.picks.push_back(folder.Exchange());
        files::ScopedFaultInjection counter(0);
        ASSERT_TRUE(RunOutboundJob(session, ui).has_value());
        changes = counter.Calls();
        cleanOutline = ReadResultOutline(folder.Result());
    }
    ASSERT_GE(changes, 3u) << "the result document's save does not go through the file layer";
    std::size_t reportFailures = 0;
    for (const auto persistence :
         {files::FaultPersistence::Once, files::FaultPersistence::FromThenOn}) {
        for (std::size_t failAt = 1; failAt <= changes; ++failAt) {
            SCOPED_TRACE("file change " + std::to_string(failAt) + " of " +
                         std::to_string(changes));
            OutboundFolder folder;
            MakeSchool(folder);
            WorkFolderRun::Begin(folder.WorkDir());
            WriteBytes(folder.Result(), earlier);
            std::map<std::string, std::string> tablesBefore;
            for (const std::string& name : testing::OutboundTableNames()) {
                tablesBefore[name] = ReadBytes(folder.WorkDir() / name);
            }
            Session session = folder.MakeSession(true);
            FakeInteraction ui;
            ui.picks.push_back(folder.Exchange());
            {
                files::ScopedFaultInjection fault(failAt, persistence);
                RunOutboundJob(session, ui);
                EXPECT_TRUE(fault.Injected());
            }
            const std::string result = ReadBytes(folder.Result());
            if (ui.errors.empty()) {
                EXPECT_EQ(ReadResultOutline(folder.Result()), cleanOutline);
                EXPECT_EQ(session.resultCode, 1);
                // A failure that hit the report, the last file written, is told, and the
                // completed conversion stays completed.
                if (ui.messages.size() > 1) {
                    ++reportFailures;
                    EXPECT_NE(ui.messages[0].find("velmaro-informe.txt"), std::string::npos)
                        << ui.messages[0];
                    EXPECT_NE(ui.messages[0].find(files::SystemReason(EIO)), std::string::npos)
                        << ui.messages[0];
                }
            } else {
                ASSERT_EQ(ui.errors.size(), 1u);
                EXPECT_NE(ui.errors[0].find(folder.Result().string()), std::string::npos)
                    << ui.errors[0];
                EXPECT_NE(ui.errors[0].find(files::SystemReason(EIO)), std::string::npos)
                    << ui.errors[0];
                EXPECT_EQ(session.resultCode, 0);
                EXPECT_EQ(result, earlier) << "a failed save replaced the earlier result";
            }
            for (const auto& [name, bytes] : tablesBefore) {
                EXPECT_EQ(ReadBytes(folder.WorkDir() / name), bytes) << name;
            }
            ExpectNoTableHeld(folder);
            if (persistence == files::FaultPersistence::Once) {
                EXPECT_TRUE(testing::TemporaryFilesBeside(folder.Result()).empty());
            }
        }
    }
    EXPECT_GE(reportFailures, 2u) << "the report's write, failed once and from then on";
}

}  // namespace
}  // namespace velmaro

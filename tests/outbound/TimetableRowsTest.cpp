// The timetable rows of the outbound conversion: which SOLUC rows a teacher has placed, and how
// each one is joined with the work tables into the values of its activity.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outbound/TimetableRows.h"
#include "support/ReportItemLines.h"
#include "support/ScratchFolder.h"
#include "support/TimetableSchool.h"

namespace velmaro {
namespace {

using testing::MakeSchoolTables;
using testing::ScratchFolder;

// An activity's values in the order of the result document, joined by '|'.
std::string Joined(const ActivityValues& v) {
    return v.dayNumber + "|" + v.slotCode + "|" + v.roomCode + "|" + v.unitKey + "|" +
           v.courseKey + "|" + v.subjectKey + "|" + v.startDate + "|" + v.endDate + "|" +
           v.startTime + "|" + v.endTime + "|" + v.activityKey;
}

// The activities of the teacher `abrev`, resolved in the order of their rows.
std::vector<std::string> TeacherActivities(TimetableTables& tables,
                                           const TimetableFields& fields,
                                           const std::string& abrev, const FrameworkDates& dates) {
    std::vector<std::string> activities;
    SolucRowsTaken taken(tables.soluc.RecordCount(), false);
    ConversionReport report;
    for (std::size_t row : PlacedRows(tables, fields, abrev, taken)) {
        activities.push_back(Joined(ResolveActivity(tables, fields, row, dates, report)));
    }
    return activities;
}

TEST(TimetableRows, ResolveEveryActivityThroughTheWorkTables) {
    ScratchFolder folder;
    MakeSchoolTables(folder.Path());
    TimetableTables tables = TimetableTables::Open(folder.Path());
    const TimetableFields fields(tables);
    const FrameworkDates dates = ReadFrameworkDates(folder.Path());
    EXPECT_EQ(dates.start, "01/09/2023");
    EXPECT_EQ(dates.end, "30/06/2024");

    const std::vector<std::string> gar = {
        // ASIGT gives subject and course; no task anywhere gives "1"; DIHO 25 with MARCO 0
        // finds the first of its two rows.
        "2|T5|A1|U1A|C10|M100|01/09/2023|30/06/2024|12:00|12:55|1",
        // MARCO "0X" counts with its first character; a blank ASIGT key and course fall back to
        // GRUPOST and ASIGNOMT2; AULA of blanks is empty.
        "1|T10||U1B|C20|M200|01/09/2023|30/06/2024|8:05|9:00|1",
        // No ASIGT or GRUPOST row: the task comes from the first ASIGNOMT row of the code.
        "1|T9|A 2||||01/09/2023|30/06/2024|15:00|15:55|A77",
        // An empty MARCO matches only the empty-MARCO row; TAREA kept as read.
        "3|TE|||||01/09/2023|30/06/2024|10:00|10:55|T5X",
        // Empty MARCO and no such row: no day, period or times; the subject comes from
        // ASIGNOMT2 with an empty course key.
        "|||||M000|01/09/2023|30/06/2024|||1",
    };
    EXPECT_EQ(TeacherActivities(tables, fields, "GAR", dates), gar);
    // TAREA of blanks searches ASIGNOMT, whose CODTAREA for LEN is ZZZ.
    EXPECT_EQ(TeacherActivities(tables, fields, "O'NEIL", dates),
              std::vector<std::string>{"2|T5||U1B|C20|L200|01/09/2023|30/06/2024|12:00|12:55|ZZZ"});
    EXPECT_TRUE(TeacherActivities(tables, fields, "VAC", dates).empty()) << "DIA 0 is not placed";
    tables.Close();
}

TEST(TimetableRows, PlacedRowsMatchTheWholeCodeExactly) {
    ScratchFolder folder;
    MakeSchoolTables(folder.Path());
    TimetableTables tables = TimetableTables::Open(folder.Path());
    const TimetableFields fields(tables);
    const struct {
        const char* abrev;
        std::vector<std::size_t> rows;
    } cases[] = {
        {"GAR", {0, 3, 5, 6, 7}},  // rows 2 (DIA 0) and 4 ("gar") are not GAR's placed rows
        {"gar", {4}},
        {"O'NEIL", {8}},  // the quote is doubled in the filter, not cut there
        {"O", {9}},
        {"NADIE", {}},
    };
    for (const auto& c : cases) {
        SolucRowsTaken taken(tables.soluc.RecordCount(), false);
        EXPECT_EQ(PlacedRows(tables, fields, c.abrev, taken), c.rows) << c.abrev;
        // Every row of the teacher is taken, placed or not.
        for (std::size_t row : c.rows) EXPECT_TRUE(taken[row]) << c.abrev << " " << row;
    }
    SolucRowsTaken taken(tables.soluc.RecordCount(), false);
    PlacedRows(tables, fields, "GAR", taken);
    EXPECT_EQ(taken, (SolucRowsTaken{true, false, true, true, false, true, true, true, false,
                                     false}));
    tables.Close();
}

// Walks the teachers as the outbound job does and checks what the report records, kind by kind:
// rows of teachers that PROFT lacks, days and periods their framework lacks, keys resolved to
// nothing (the unit of a row naming a group; the course and subject of a lesson, not a task).
TEST(TimetableRows, ReportWhatTheResultLeavesOutOrSendsEmpty) {
    ScratchFolder folder;
    MakeSchoolTables(folder.Path());
    TimetableTables tables = TimetableTables::Open(folder.Path());
    const TimetableFields fields(tables);
    const FrameworkDates dates = ReadFrameworkDates(folder.Path());
    ConversionReport report;
    SolucRowsTaken taken(tables.soluc.RecordCount(), false);
    for (std::size_t teacher = 0; teacher < tables.profesor.RecordCount(); ++teacher) {
        const std::string abrev = tables.profesor.Text(teacher, fields.profesor.abrev);
        for (std::size_t row : PlacedRows(tables, fields, abrev, taken)) {
            ResolveActivity(tables, fields, row, dates, report);
        }
    }
    ReportRowsOfUnknownTeachers(tables, fields, taken, report);
    tables.Close();

    const struct {
        ReportKind kind;
        std::vector<std::string> items;
    } expected[] = {
        {ReportKind::RowOfUnknownTeacher,
         {"SOLUC.DBF, fila 5: profesor «gar» (día 1, hora 1) no está en PROFT.DBF; la fila no "
          "se ha enviado",
          "SOLUC.DBF, fila 10: profesor «O» (día 2, hora 5) no está en PROFT.DBF; la fila no se "
          "ha enviado"}},
        {ReportKind::SlotNotFound,
         {"SOLUC.DBF, fila 8: profesor «GAR»: DIASHORAST.DBF no tiene DIHO «11» con MARCO «»; "
          "N_DIASEMANA y X_TRAMO van vacíos"}},
        {ReportKind::KeyNotFound,
         {"SOLUC.DBF, fila 7: profesor «GAR»: X_UNIDAD va vacío; GRUPOST.DBF no tiene el grupo "
          "«2C»",
          "SOLUC.DBF, fila 8: profesor «GAR»: X_UNIDAD va vacío; GRUPOST.DBF no tiene el grupo "
          "«9Z»",
          "SOLUC.DBF, fila 8: profesor «GAR»: X_OFERTAMATRIG va vacío; ni ASIGT.DBF (materia "
          "«MAT», grupo «9Z») ni GRUPOST.DBF (grupo «9Z») dan el curso"}},
    };
    for (const auto& [kind, items] : expected) {
        EXPECT_EQ(report.Count(kind), items.size()) << ConversionReport::Title(kind);
        EXPECT_EQ(testing::ReportItemLines(report, kind), items);
    }
}

TEST(TimetableRows, TeacherFilterDoublesQuotes) {
    EXPECT_EQ(TeacherFilter("GAR"), "PROF= 'GAR'");
    EXPECT_EQ(TeacherFilter("O'NEIL"), "PROF= 'O''NEIL'");
}

}  // namespace
}  // namespace velmaro

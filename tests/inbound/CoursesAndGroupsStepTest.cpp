#include <gtest/gtest.h>

#include "base/Error.h"
#include "inbound/CoursesAndGroupsStep.h"
#include "support/ExpectError.h"
#include "support/ReferenceTable.h"
#include "support/StepFixture.h"

namespace velmaro::testing {
namespace {

const std::vector<LevelRow> kReference = {
    {101, "ESO", ""},
    {202, "", "Bachillerato de Ciencias"},
    {303, "BACH", "Bachillerato"},
    {101, "OTRO", "Fila posterior con la misma clave"},
};

const XmlSection kCourses{"CURSOS_DEL_CENTRO",
                          {
                              {"101", "1º ESO"},
                              {"202", "2º Bachillerato"},
                              {"999", "3º Otros"},
                              {" 303 ", " bachillerato"},
                              {"solo un campo"},
                              {"101", ""},
                          }};

TEST(CoursesAndGroupsStep, CourseRowsTakeLevelAndStudyFromTheReferenceTable) {
    StepFixture run({kCourses});
    WriteReferenceTable(run.ProgramDir(), kReference);
    InboundContext ctx = run.Context();
    RunCoursesAndGroupsStep(ctx);

    struct Expected {
        const char* clave;
        const char* nivel;
        const char* curso;
        const char* estud;
    };
    const Expected expected[] = {
        {"101", "ESO", "1", ""},                          // first reference row of the key wins
        {"202", "Niv", "2", "Bachillerato de Ciencias"},  // empty NIVEL_ABREV
        {"999", "Niv", "3", ""},                          // key not in the reference table
        {"303", "BACH", "b", "Bachillerato"},             // key and name trimmed
        {"101", "ESO", "", ""},                           // empty name, empty CURSO
    };
    const Rows rows = ReadRows(run.WorkTable("CURSOST.DBF"));
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(expected[i].clave);
        EXPECT_EQ(rows[i].at("CLAVE"), expected[i].clave);
        EXPECT_EQ(rows[i].at("NIVEL"), expected[i].nivel);
        EXPECT_EQ(rows[i].at("CURSO"), expected[i].curso);
        EXPECT_EQ(rows[i].at("ESTUD"), expected[i].estud);
        EXPECT_EQ(rows[i].at("ABREV"), "");
        EXPECT_EQ(rows[i].at("TURNO"), "");
    }
}

TEST(CoursesAndGroupsStep, GroupRowsGetUniqueCodesCourseDataAndDescriptions) {
    const XmlSection units{"UNIDADES",
                           {
                               {"u1", "1º ESO A", "101"},
                               {"u2", "1º ESO A", "101"},
                               {"u3", "1º eso a", "101"},
                               {"u4", "2º Bachillerato Ciencias B", "202"},
                               {"u5", "2º Bachillerato Ciencias B", "202"},
                               {"u6", "2º Bachillerato Ciencias B", "202"},
                               {"u7", "3º Otros 2", "999"},
                               {"u8", "Sin Curso C", "404"},
                               {"u9", "Dos Campos"},
                               {"u10"},
                               {"u11", "ABCDE FGHIJK", "303"},
                               {"u12", " ABCDEFGHIJ ", "303"},
                           }};
    StepFixture run({kCourses, units});
    WriteReferenceTable(run.ProgramDir(), kReference);
    InboundContext ctx = run.Context();
    RunCoursesAndGroupsStep(ctx);

    struct Expected {
        const char* clave;
        const char* abrev;
        const char* grupo;
        const char* nivel;
        const char* curso;
        const char* claveCurso;
        const char* descrip;
    };
    const Expected expected[] = {
        {"u1", "1ºESOA", "A", "ESO", "1", "101", " ESO 1 A"},
        {"u2", "1ºESOA1", "A", "ESO", "1", "101", " ESO 1 A"},
        {"u3", "1ºesoa2", "a", "ESO", "1", "101", " ESO 1 a"},
        {"u4", "2ºBachillB", "B", "Niv", "2", "202",
         "(2º Bachillerato Ciencias B) Bachillerato de Ciencias"},
        {"u5", "2ºBachilB1", "B", "Niv", "2", "202",
         "(2º Bachillerato Ciencias B) Bachillerato de Ciencias"},
        // Testing the stored (shortened) form: never a second 2ºBachilB1.
        {"u6", "2ºBachilB2", "B", "Niv", "2", "202",
         "(2º Bachillerato Ciencias B) Bachillerato de Ciencias"},
        {"u7", "3ºOtros2", "2", "Niv", "3", "999", " Niv 3 2"},
        {"u8", "SinCursoC", "C", "", "", "404", "   C"},
        {"u9", "DosCampos", "s", "", "", "", "   s"},
        {"u11", "ABCDEFGHIK", "K", "BACH", "b", "303", "(ABCDE FGHIJK) Bachillerato"},
        {"u12", "ABCDEFGHIJ", "J", "BACH", "b", "303", "(ABCDEFGHIJ) Bachillerato"},
    };
    const Rows rows = ReadRows(run.WorkTable("GRUPOST.DBF"));
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(expected[i].clave);
        EXPECT_EQ(rows[i].at("CLAVE"), expected[i].clave);
        EXPECT_EQ(rows[i].at("ABREV"), expected[i].abrev);
        EXPECT_EQ(rows[i].at("GRUPO"), expected[i].grupo);
        EXPECT_EQ(rows[i].at("NIVEL"), expected[i].nivel);
        EXPECT_EQ(rows[i].at("CURSO"), expected[i].curso);
        EXPECT_EQ(rows[i].at("CLAVECURSO"), expected[i].claveCurso);
        EXPECT_EQ(rows[i].at("DESCRIP"), expected[i].descrip);
        EXPECT_EQ(rows[i].at("MARCO"), "0");
        EXPECT_EQ(rows[i].at("TURNO"), "");
    }
}

TEST(CoursesAndGroupsStep, NonIntegerCourseKeyStopsTheJobKeepingRowsWritten) {
    StepFixture run({XmlSection{"CURSOS_DEL_CENTRO", {{"101", "1º"}, {"abc", "2º"}, {"202", "3º"}}},
                     XmlSection{"UNIDADES", {{"u1", "1º A", "101"}}}});
    WriteReferenceTable(run.ProgramDir(), kReference);
    InboundContext ctx = run.Context();
    const std::string message = ErrorMessage([&] { RunCoursesAndGroupsStep(ctx); });
    EXPECT_EQ(message.find("El documento '" + run.DocumentPath().string() + "', línea "), 0u)
        << message;
    EXPECT_TRUE(message.ends_with(
        " (sección CURSOS_DEL_CENTRO, clave del curso): 'abc' is not a valid integer value"))
        << message;
    const Rows courses = ReadRows(run.WorkTable("CURSOST.DBF"));
    ASSERT_EQ(courses.size(), 1u);
    EXPECT_EQ(courses[0].at("CLAVE"), "101");
    EXPECT_TRUE(ReadRows(run.WorkTable("GRUPOST.DBF")).empty());
}

TEST(CoursesAndGroupsStep, EveryRunReadsTheReferenceTableAfreshAndReplacesOldTables) {
    StepFixture run({XmlSection{"CURSOS_DEL_CENTRO", {{"101", "1º"}}}});
    WriteBytes(run.WorkTable("GRUPOST.MDX"), "old index");
    WriteReferenceTable(run.ProgramDir(), {{101, "ESO", ""}});
    InboundContext first = run.Context();
    RunCoursesAndGroupsStep(first);
    EXPECT_FALSE(std::filesystem::exists(run.WorkTable("GRUPOST.MDX")));

    WriteReferenceTable(run.ProgramDir(), {{101, "ESPA", "Educación de adultos"}});
    InboundContext second = run.Context();
    RunCoursesAndGroupsStep(second);
    const Rows courses = ReadRows(run.WorkTable("CURSOST.DBF"));
    ASSERT_EQ(courses.size(), 1u);
    EXPECT_EQ(courses[0].at("NIVEL"), "ESPA");
    EXPECT_EQ(courses[0].at("ESTUD"), "Educación de adultos");
}

TEST(CoursesAndGroupsStep, MissingSectionsLeaveBothTablesEmpty) {
    StepFixture run{SchoolXml()};
    WriteReferenceTable(run.ProgramDir(), kReference);
    InboundContext ctx = run.Context();
    RunCoursesAndGroupsStep(ctx);
    EXPECT_TRUE(ReadRows(run.WorkTable("CURSOST.DBF")).empty());
    EXPECT_TRUE(ReadRows(run.WorkTable("GRUPOST.DBF")).empty());
}

}  // namespace
}  // namespace velmaro::testing

#include <gtest/gtest.h>

#include "inbound/SubjectAssignmentStep.h"
#include "support/StepFixture.h"
#include "worktables/WorkTableLayouts.h"

namespace velmaro::testing {
namespace {

const std::string kLongName(85, 'x');

// ASIGNOMT.DBF as the subject-name and activities steps leave it: subjects, then activities.
const Rows kSubjectNames = {
    {{"COD", "LENG"}, {"NOMBRE", "Lengua Extranjera"}},
    {{"COD", "LENG1"}, {"NOMBRE", "LENGUA EXTRANJERA"}},
    {{"COD", "MAT"}, {"NOMBRE", "Matemáticas"}},
    {{"COD", "MAT1"}, {"NOMBRE", "MATEMÁTICAS"}},
    {{"COD", "GUARD"}, {"NOMBRE", "Guardia"}},
    {{"COD", ""}, {"NOMBRE", "Sin Código"}},
    {{"COD", "LARGA"}, {"NOMBRE", kLongName}},
    {{"COD", "VACIO"}, {"NOMBRE", ""}},
    {{"COD", "TGUARD"}, {"NOMBRE", "GUARDIA"}, {"CODTAREA", "G1"}},
};

const Rows kGroups = {
    {{"ABREV", "1ºESOA"}, {"NIVEL", "ESO"}, {"CURSO", "1"}, {"GRUPO", "A"}, {"CLAVECURSO", "101"}},
    {{"ABREV", "1ºESOB"}, {"NIVEL", "ESO"}, {"CURSO", "1"}, {"GRUPO", "B"}, {"CLAVECURSO", "101"}},
    {{"ABREV", "2ºESOA"}, {"NIVEL", "ESO"}, {"CURSO", "2"}, {"GRUPO", "A"}, {"CLAVECURSO", "202"}},
    {{"ABREV", "1ºESOC"}, {"NIVEL", "ESO"}, {"CURSO", "1"}, {"GRUPO", "C"}, {"CLAVECURSO", "101"}},
    {{"ABREV", "LARGO"},
     {"NIVEL", "Niv"},
     {"CURSO", "9"},
     {"GRUPO", "Z"},
     {"CLAVECURSO", "1234567890"}},
};

TEST(SubjectAssignmentStep, EverySubjectGoesToEveryGroupOfItsCourse) {
    StepFixture run({XmlSection{"MATERIAS",
                                {
                                    {"101", "m1", "Lengua Extranjera"},
                                    {"101", "m2", " LENGUA EXTRANJERA "},
                                    {"202", "m3", "MATEMÁTICAS"},
                                    {"202", "m4", "Matemáticas"},
                                    {"202", "m5", "guardia"},
                                    {"101", "m6", "Sin Código"},
                                    {"101", "m7", "Desconocida"},
                                    {"303", "m8", "Lengua Extranjera"},
                                    {"12345678901", "m9", "Lengua Extranjera"},
                                    {"1234567890", "m10", kLongName + "yyyyy"},
                                    {"101", "m11"},
                                    {"101"},
                                    {"101", "m12", "   "},
                                }}});
    WriteRows(run.WorkTable("ASIGNOMT.DBF"), layouts::ASIGNOMT, kSubjectNames);
    WriteRows(run.WorkTable("GRUPOST.DBF"), layouts::GRUPOST, kGroups);
    InboundContext ctx = run.Context();
    RunSubjectAssignmentStep(ctx);

    struct Expected {
        const char* clave;
        const char* casig;
        const char* cgrup;
        const char* curso;
        const char* grupo;
        const char* claveCurso;
    };
    const Expected expected[] = {
        // A subject of a course with three groups: one row per group, in stored order.
        {"m1", "LENG", "1ºESOA", "1", "A", "101"},
        {"m1", "LENG", "1ºESOB", "1", "B", "101"},
        {"m1", "LENG", "1ºESOC", "1", "C", "101"},
        // Names differing only in a-z letter case find the same first row.
        {"m2", "LENG", "1ºESOA", "1", "A", "101"},
        {"m2", "LENG", "1ºESOB", "1", "B", "101"},
        {"m2", "LENG", "1ºESOC", "1", "C", "101"},
        // Accented capitals are not folded: different rows.
        {"m3", "MAT1", "2ºESOA", "2", "A", "202"},
        {"m4", "MAT", "2ºESOA", "2", "A", "202"},
        // The subject row wins over the activity row of the same name.
        {"m5", "GUARD", "2ºESOA", "2", "A", "202"},
        // Both names compared on their first eighty characters.
        {"m10", "LARGA", "LARGO", "9", "Z", "1234567890"},
    };
    const Rows rows = ReadRows(run.WorkTable("ASIGT.DBF"));
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(std::string(expected[i].clave) + " " + expected[i].cgrup);
        EXPECT_EQ(rows[i].at("CLAVE"), expected[i].clave);
        EXPECT_EQ(rows[i].at("CASIG"), expected[i].casig);
        EXPECT_EQ(rows[i].at("CGRUP"), expected[i].cgrup);
        EXPECT_EQ(rows[i].at("CURSO"), expected[i].curso);
        EXPECT_EQ(rows[i].at("GRUPO"), expected[i].grupo);
        EXPECT_EQ(rows[i].at("CLAVECURSO"), expected[i].claveCurso);
        EXPECT_EQ(rows[i].at("NIVEL"), i == rows.size() - 1 ? "Niv" : "ESO");
        EXPECT_EQ(rows[i].at("HORAS"), "4");
        EXPECT_EQ(rows[i].at("SESIONES"), "1111");
        EXPECT_EQ(rows[i].at("CTAREA"), "1");
        EXPECT_EQ(rows[i].at("CPROF"), "");
        EXPECT_EQ(rows[i].at("CAULA"), "");
        EXPECT_EQ(rows[i].at("TURNO"), "");
        EXPECT_EQ(rows[i].at("NCONEX"), "");
    }
}

TEST(SubjectAssignmentStep, ReplacesAnOlderTableAndLeavesItsInputsUnchanged) {
    StepFixture run{SchoolXml()};
    WriteRows(run.WorkTable("ASIGNOMT.DBF"), layouts::ASIGNOMT, kSubjectNames);
    WriteRows(run.WorkTable("GRUPOST.DBF"), layouts::GRUPOST, kGroups);
    WriteRows(run.WorkTable("ASIGT.DBF"), layouts::ASIGT, {{{"CASIG", "VIEJA"}}});
    WriteBytes(run.WorkTable("ASIGT.MDX"), "old index");
    InboundContext ctx = run.Context();
    RunSubjectAssignmentStep(ctx);

    EXPECT_TRUE(ReadRows(run.WorkTable("ASIGT.DBF")).empty());
    EXPECT_FALSE(std::filesystem::exists(run.WorkTable("ASIGT.MDX")));
    EXPECT_EQ(ReadRows(run.WorkTable("GRUPOST.DBF")).size(), kGroups.size());
    EXPECT_EQ(ReadRows(run.WorkTable("ASIGNOMT.DBF")).size(), kSubjectNames.size());
}

}  // namespace
}  // namespace velmaro::testing

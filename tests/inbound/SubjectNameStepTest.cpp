// The subject-name step: codes derived from names, uniqueness, known-subject joins and cuts,
// read back from ASIGNOMT.DBF and ASIGNOMT2.DBF.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "inbound/SubjectNameStep.h"
#include "support/StepFixture.h"

namespace velmaro::testing {
namespace {

struct DeriveCase {
    const char* name;
    std::string subjectName;
    std::string code;
    std::string longCode;
};

// Names the case in test output.
void PrintTo(const DeriveCase& c, std::ostream* os) { *os << c.name; }

class DeriveSubjectNameCodesTest : public ::testing::TestWithParam<DeriveCase> {};

TEST_P(DeriveSubjectNameCodesTest, GivesCodeAndLongCode) {
    const DeriveCase& c = GetParam();
    const SubjectNameCodes codes = DeriveSubjectNameCodes(c.subjectName);
    EXPECT_EQ(codes.code, c.code);
    EXPECT_EQ(codes.longCode, c.longCode);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DeriveSubjectNameCodesTest,
    ::testing::Values(DeriveCase{"Capitals", "Lengua Castellana y Literatura", "LCL", "Lengua Cas"},
                      DeriveCase{"OneCapitalWithBlank", "Educación física", "Ef", "Educación "},
                      DeriveCase{"OneCapitalOneWord", "Matemáticas", "Matemá", "Matemá"},
                      DeriveCase{"LowerCaseStart", "inglés avanzado", "ia", "inglés ava"},
                      DeriveCase{"LowerCaseOneWord", "inglés", "inglés", "inglés"},
                      DeriveCase{"DigitStart", "1º Bachillerato", "1B", "1º Bachill"},
                      DeriveCase{"AccentedCapitalAsInitial", "Valores Éticos", "VÉ", "Valores Ét"},
                      DeriveCase{"AccentedCapitalsDropped", "TECNOLOGÍA E INFORMÁTICA",
                                 "TECNOLOGAE", "TECNOLOGAEINFORMTICA"},
                      DeriveCase{"MoreThanTenCapitals", "ABCDEFGHIJKL", "ABCDEFGHIJ",
                                 "ABCDEFGHIJKL"},
                      DeriveCase{"FiveCapitals", "Matemáticas Aplicadas a las Ciencias Sociales I",
                                 "MACSI", "MACSI"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SubjectCase {
    const char* name;
    std::vector<XmlRecord> materias;
    std::vector<TableRow> asignomt;   // COD, CODLARGO, NOMBRE, CODTAREA, ESTAREA
    std::vector<TableRow> asignomt2;  // COD, CODLARGO, NOMBRE, MATERIA, OFERTAMATRI, ESTAREA
};

// Names the case in test output.
void PrintTo(const SubjectCase& c, std::ostream* os) { *os << c.name; }

const std::string kLong85 = "Taller de " + std::string(75, 'x');
const std::string kLong80 = kLong85.substr(0, 80);
const std::string kLongKey = "MAT-2026-ABCDEFGHIJKLM";  // 22 characters, MATERIA holds 20
const std::string kLongKeyStored = kLongKey.substr(0, 20);

class SubjectNameStepTest : public ::testing::TestWithParam<SubjectCase> {};

TEST_P(SubjectNameStepTest, WritesBothTables) {
    const SubjectCase& c = GetParam();
    StepFixture step;
    step.Run(SchoolXml().Section("MATERIAS", c.materias), {RunSubjectNameStep});
    EXPECT_EQ(step.Rows("ASIGNOMT.DBF", {"COD", "CODLARGO", "NOMBRE", "CODTAREA", "ESTAREA"}),
              c.asignomt);
    EXPECT_EQ(step.Rows("ASIGNOMT2.DBF",
                        {"COD", "CODLARGO", "NOMBRE", "MATERIA", "OFERTAMATRI", "ESTAREA"}),
              c.asignomt2);
}

INSTANTIATE_TEST_SUITE_P(
    Records, SubjectNameStepTest,
    ::testing::Values(
        SubjectCase{"SameCodeGetsSuffixes",
                    {{"60101", "1", "Lengua Castellana y Literatura"},
                     {"60101", "2", "Lengua Clásica Latina"},
                     {"60101", "3", "Lectura Comprensiva Lúdica"}},
                    {{"LCL", "Lengua Cas", "Lengua Castellana y Literatura", "", "F"},
                     {"LCL1", "Lengua Clá", "Lengua Clásica Latina", "", "F"},
                     {"LCL2", "Lectura Co", "Lectura Comprensiva Lúdica", "", "F"}},
                    {{"LCL", "Lengua Cas", "Lengua Castellana y Literatura", "1", "60101", "F"},
                     {"LCL1", "Lengua Clá", "Lengua Clásica Latina", "2", "60101", "F"},
                     {"LCL2", "Lectura Co", "Lectura Comprensiva Lúdica", "3", "60101", "F"}}},
        SubjectCase{"TenCharacterCodeNeverHandedOutTwice",
                    {{"60101", "1", "ABCDEFGHIJ"},
                     {"60101", "2", "ABCDEFGHIJ bis"},
                     {"60101", "3", "ABCDEFGHIJ ter"}},
                    {{"ABCDEFGHIJ", "ABCDEFGHIJ", "ABCDEFGHIJ", "", "F"},
                     {"ABCDEFGHJ1", "ABCDEFGHIJ", "ABCDEFGHIJ bis", "", "F"},
                     {"ABCDEFGHJ2", "ABCDEFGHIJ", "ABCDEFGHIJ ter", "", "F"}},
                    {{"ABCDEFGHIJ", "ABCDEFGHIJ", "ABCDEFGHIJ", "1", "60101", "F"},
                     {"ABCDEFGHJ1", "ABCDEFGHIJ", "ABCDEFGHIJ bis", "2", "60101", "F"},
                     {"ABCDEFGHJ2", "ABCDEFGHIJ", "ABCDEFGHIJ ter", "3", "60101", "F"}}},
        SubjectCase{"SameNameInAnotherCourseJoinsFirstCode",
                    {{"60101", "1", "Lengua Castellana y Literatura"},
                     {"60101", "2", "Lengua Clásica Latina"},
                     {"60102", "3", "Lengua Castellana y Literatura"}},
                    {{"LCL", "Lengua Cas", "Lengua Castellana y Literatura", "", "F"},
                     {"LCL1", "Lengua Clá", "Lengua Clásica Latina", "", "F"}},
                    {{"LCL", "Lengua Cas", "Lengua Castellana y Literatura", "1", "60101", "F"},
                     {"LCL1", "Lengua Clá", "Lengua Clásica Latina", "2", "60101", "F"},
                     {"LCL", "Lengua Cas", "Lengua Castellana y Literatura", "3", "60102", "F"}}},
        SubjectCase{"SamePairTwiceWritesOnce",
                    {{"60101", "11", "Matemáticas"}, {"60101", "11", "Matemáticas"}},
                    {{"Matemá", "Matemá", "Matemáticas", "", "F"}},
                    {{"Matemá", "Matemá", "Matemáticas", "11", "60101", "F"}}},
        SubjectCase{"LetterCaseMakesTwoSubjects",
                    {{"60101", "11", "Matemáticas"}, {"60102", "21", "MATEMÁTICAS"}},
                    {{"Matemá", "Matemá", "Matemáticas", "", "F"},
                     {"MATEMTICAS", "MATEMTICAS", "MATEMÁTICAS", "", "F"}},
                    {{"Matemá", "Matemá", "Matemáticas", "11", "60101", "F"},
                     {"MATEMTICAS", "MATEMTICAS", "MATEMÁTICAS", "21", "60102", "F"}}},
        SubjectCase{"UpperCasedNameAloneDoesNotJoin",
                    {{"60101", "11", "Matemáticas"}, {"60102", "21", "MATEMáTICAS"}},
                    {{"Matemá", "Matemá", "Matemáticas", "", "F"},
                     {"MATEMTICAS", "MATEMTICAS", "MATEMáTICAS", "", "F"}},
                    {{"Matemá", "Matemá", "Matemáticas", "11", "60101", "F"},
                     {"MATEMTICAS", "MATEMTICAS", "MATEMáTICAS", "21", "60102", "F"}}},
        SubjectCase{"LongCodeJoinUsesItsStoredTen",
                    {{"60101", "1", "TECNOLOGÍA E INFORMÁTICA"},
                     {"60102", "2", "TECNOLOGÍA E INFORMÁTICA"}},
                    {{"TECNOLOGAE", "TECNOLOGAE", "TECNOLOGÍA E INFORMÁTICA", "", "F"}},
                    {{"TECNOLOGAE", "TECNOLOGAE", "TECNOLOGÍA E INFORMÁTICA", "1", "60101", "F"},
                     {"TECNOLOGAE", "TECNOLOGAE", "TECNOLOGÍA E INFORMÁTICA", "2", "60102", "F"}}},
        SubjectCase{"NameCutToEightyStillJoins",
                    {{"60101", "1", kLong85}, {"60102", "2", kLong85}},
                    {{"Tdx", "Taller de", kLong80, "", "F"}},
                    {{"Tdx", "Taller de", kLong80, "1", "60101", "F"},
                     {"Tdx", "Taller de", kLong80, "2", "60102", "F"}}},
        SubjectCase{"KeysCutToTwentyRepeatThePair",
                    {{"60101", kLongKey, "Música"}, {"60101", kLongKey, "Música"}},
                    {{"Música", "Música", "Música", "", "F"}},
                    {{"Música", "Música", "Música", kLongKeyStored, "60101", "F"},
                     {"Música", "Música", "Música", kLongKeyStored, "60101", "F"}}},
        SubjectCase{"RecordsWithoutNameSkipped",
                    {{"60101"}, {"60101", "5"}, {"60101", "6", "   "}, {"60101", "7", "Música"}},
                    {{"Música", "Música", "Música", "", "F"}},
                    {{"Música", "Música", "Música", "7", "60101", "F"}}},
        SubjectCase{"ValuesTrimmed",
                    {{"  60101 ", " 8 ", "  Educación física  "}},
                    {{"Ef", "Educación", "Educación física", "", "F"}},
                    {{"Ef", "Educación", "Educación física", "8", "60101", "F"}}},
        SubjectCase{"EmptySection", {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SubjectNameStep, FillsTheListsOfTheRun) {
    StepFixture step;
    step.Run(SchoolXml().Section("MATERIAS", {{"60101", "1", "Lengua Castellana y Literatura"},
                                              {"60102", "2", "Lengua Castellana y Literatura"},
                                              {"60101", "3", "inglés"}}),
             {RunSubjectNameStep});
    const SubjectNameLists& lists = step.LastLists();
    EXPECT_TRUE(lists.subjectCodes.IsTaken("LCL"));
    EXPECT_TRUE(lists.subjectCodes.IsTaken("inglés"));
    EXPECT_FALSE(lists.subjectCodes.IsTaken("LCL1"));
    EXPECT_EQ(lists.upperNames,
              (std::unordered_set<std::string>{"LENGUA CASTELLANA Y LITERATURA", "INGLéS"}));
    EXPECT_EQ(lists.longCodes, (std::unordered_set<std::string>{"Lengua Cas", "inglés"}));
    EXPECT_EQ(lists.longCodeNames,
              (std::unordered_set<std::string>{"Lengua CasLengua Castellana y Literatura",
                                               "inglésinglés"}));
}

}  // namespace
}  // namespace velmaro::testing

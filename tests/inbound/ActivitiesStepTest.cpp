// The activities step: task rows after the subject rows of ASIGNOMT.DBF, and the release of
// the subject-name lists.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "inbound/ActivitiesStep.h"
#include "inbound/SubjectNameStep.h"
#include "support/StepFixture.h"

namespace velmaro::testing {
namespace {

const std::vector<std::string> kFields = {"COD", "CODLARGO", "NOMBRE", "CODTAREA", "ESTAREA"};
const TableRow kSubjectRow = {"LCL", "Lengua Cas", "Lengua Castellana y Literatura", "", "F"};
const XmlRecord kSubjectRecord = {"60101", "1", "Lengua Castellana y Literatura"};

struct ActivityCase {
    const char* name;
    std::vector<XmlRecord> actividades;
    std::vector<TableRow> taskRows;  // expected after the subject row
};

// Names the case in test output.
void PrintTo(const ActivityCase& c, std::ostream* os) { *os << c.name; }

class ActivitiesStepTest : public ::testing::TestWithParam<ActivityCase> {};

TEST_P(ActivitiesStepTest, AppendsTaskRowsAfterSubjects) {
    const ActivityCase& c = GetParam();
    StepFixture step;
    step.Run(
        SchoolXml().Section("MATERIAS", {kSubjectRecord}).Section("ACTIVIDADES", c.actividades),
        {RunSubjectNameStep, RunActivitiesStep});
    std::vector<TableRow> expected = {kSubjectRow};
    expected.insert(expected.end(), c.taskRows.begin(), c.taskRows.end());
    EXPECT_EQ(step.Rows("ASIGNOMT.DBF", kFields), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ActivitiesStepTest,
    ::testing::Values(
        ActivityCase{"KeyAndNameInDocumentOrder",
                     {{"N", "5", "Tutoría lectiva"}, {"N", "12", "Reunión de departamento"}},
                     {{"5", "Tutoría le", "Tutoría lectiva", "5", "T"},
                      {"12", "Reunión de", "Reunión de departamento", "12", "T"}}},
        ActivityCase{
            "ShortNameWhole", {{"N", "1", "Guardia"}}, {{"1", "Guardia", "Guardia", "1", "T"}}},
        ActivityCase{
            "KeyEqualToSubjectCodeAndRepeatedKey",
            {{"N", "LCL", "Guardia"}, {"N", "LCL", "Guardia"}},
            {{"LCL", "Guardia", "Guardia", "LCL", "T"}, {"LCL", "Guardia", "Guardia", "LCL", "T"}}},
        ActivityCase{"LongKeyCutToTen",
                     {{"N", "ACTIVIDAD-0042", "Guardia de recreo"}},
                     {{"ACTIVIDAD-", "Guardia de", "Guardia de recreo", "ACTIVIDAD-", "T"}}},
        ActivityCase{"ValuesTrimmed",
                     {{"N", "  9 ", "  Guardia  "}},
                     {{"9", "Guardia", "Guardia", "9", "T"}}},
        ActivityCase{
            "ShortRecordsSkippedOrNameless", {{"N"}, {"N", "7"}}, {{"7", "", "", "7", "T"}}},
        ActivityCase{"NoActivities", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ActivitiesStep, ReleasesTheSubjectNameLists) {
    StepFixture step;
    step.Run(SchoolXml().Section("MATERIAS", {kSubjectRecord}),
             {RunSubjectNameStep, RunActivitiesStep});
    const SubjectNameLists& lists = step.LastLists();
    EXPECT_FALSE(lists.subjectCodes.IsTaken("LCL"));
    EXPECT_TRUE(lists.longCodes.empty());
    EXPECT_TRUE(lists.upperNames.empty());
    EXPECT_TRUE(lists.longCodeNames.empty());
}

}  // namespace
}  // namespace velmaro::testing

// The teachers step: initials taken before trimming, uniqueness without regard to letter case,
// names, short records and cuts, read back from PROFT.DBF.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "inbound/TeachersStep.h"
#include "support/StepFixture.h"
#include "text/TextHelpers.h"

namespace velmaro::testing {
namespace {

struct TeacherCase {
    const char* name;
    std::vector<XmlRecord> empleados;
    std::vector<TableRow> rows;  // ABREV, NOMBRE, DEPART, EMAIL, DNI, X_EMPLEADO, F_TOMAPOS
};

// Names the case in test output.
void PrintTo(const TeacherCase& c, std::ostream* os) { *os << c.name; }

class TeachersStepTest : public ::testing::TestWithParam<TeacherCase> {};

TEST_P(TeachersStepTest, WritesProft) {
    const TeacherCase& c = GetParam();
    StepFixture step;
    step.Run(SchoolXml().Section("EMPLEADOS", c.empleados), {RunTeachersStep});
    EXPECT_EQ(step.Rows("PROFT.DBF",
                        {"ABREV", "NOMBRE", "DEPART", "EMAIL", "DNI", "X_EMPLEADO", "F_TOMAPOS"}),
              c.rows);
}

const std::string kLongSurname = "Fernández-Villaverde de la Concepción y Montenegro";

INSTANTIATE_TEST_SUITE_P(
    Records, TeachersStepTest,
    ::testing::Values(
        TeacherCase{"RepeatedInitialsIgnoreCase",
                    {{"1001", "01/09/2026", "590", "GARCIA", "LOPEZ", "ANA"},
                     {"1002", "01/09/2025", "590", "GOMEZ", "LARA", "ALBERTO"},
                     {"1003", "02/09/2024", "591", "GIL", "LUNA", "ANDRES"},
                     {"1004", "03/09/2023", "592", "gil", "lópez", "adela"}},
                    {{"GLA", "GARCIA LOPEZ, ANA", "", "", "", "1001", "01/09/2026"},
                     {"GLA1", "GOMEZ LARA, ALBERTO", "", "", "", "1002", "01/09/2025"},
                     {"GLA2", "GIL LUNA, ANDRES", "", "", "", "1003", "02/09/2024"},
                     {"gla3", "gil lópez, adela", "", "", "", "1004", "03/09/2023"}}},
        TeacherCase{"InitialsBeforeTrimming",
                    {{" 1005 ", " 04/09/2022 ", "x", " Martín", "Yagüe ", "Begoña  "}},
                    {{" YB", "Martín Yagüe, Begoña", "", "", "", "1005", "04/09/2022"}}},
        TeacherCase{"EmptySecondPart",
                    {{"1006", "01/09/2026", "x", "Peñalver", "", "Nuria"}},
                    {{"PN", "Peñalver , Nuria", "", "", "", "1006", "01/09/2026"}}},
        TeacherCase{"AllPartsEmpty",
                    {{"1007", "d", "x", "", "", ""}, {"1008", "d", "x", "", "", ""}},
                    {{"", " ,", "", "", "", "1007", "d"}, {"1", " ,", "", "", "", "1008", "d"}}},
        TeacherCase{"MissingPositionsReadAsEmpty",
                    {{"1009"}, {"1010", "01/09/2026"}, {"1011", "01/09/2026", "x", "Ruiz"}},
                    {{"", " ,", "", "", "", "1010", "01/09/2026"},
                     {"R", "Ruiz ,", "", "", "", "1011", "01/09/2026"}}},
        TeacherCase{
            "ValuesCutToFieldWidths",
            {{"104800012345", "01/09/2026 08:00", "x", kLongSurname, kLongSurname, "María"}},
            {{"FFM", LeftChars(kLongSurname + " " + kLongSurname + ", María", 80), "", "", "",
              "1048000123", "01/09/2026"}}},
        TeacherCase{"EmptySection", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro::testing

// The rooms step: codes from Racima's code or the name, uniqueness without regard to letter
// case on the full code, the last four characters as ABREV, read back from AULAT.DBF.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "inbound/RoomsStep.h"
#include "support/StepFixture.h"

namespace velmaro::testing {
namespace {

struct RoomCase {
    const char* name;
    std::vector<XmlRecord> dependencias;
    std::vector<TableRow> rows;  // ABREV, NOMBRE, EDIFICIO, MAXALUM, DEPCENTRO
};

// Names the case in test output.
void PrintTo(const RoomCase& c, std::ostream* os) { *os << c.name; }

class RoomsStepTest : public ::testing::TestWithParam<RoomCase> {};

TEST_P(RoomsStepTest, WritesAulat) {
    const RoomCase& c = GetParam();
    StepFixture step;
    step.Run(SchoolXml().Section("DEPENDENCIAS", c.dependencias), {RunRoomsStep});
    EXPECT_EQ(step.Rows("AULAT.DBF", {"ABREV", "NOMBRE", "EDIFICIO", "MAXALUM", "DEPCENTRO"}),
              c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RoomsStepTest,
    ::testing::Values(
        RoomCase{"LastFourCharacters",
                 {{"12345", "Aula 12345"}},
                 {{"2345", "Aula 12345", "", "", "12345"}}},
        RoomCase{"UniquenessIgnoresCase",
                 {{"A1", "Aula A1"}, {"A1", "Aula A1 bis"}, {"a1", "Aula a1"}},
                 {{"A1", "Aula A1", "", "", "A1"},
                  {"A11", "Aula A1 bis", "", "", "A1"},
                  {"a12", "Aula a1", "", "", "a1"}}},
        RoomCase{"DifferentCodesSameLastFour",
                 {{"X0001", "Aula X"}, {"Y0001", "Aula Y"}},
                 {{"0001", "Aula X", "", "", "X0001"}, {"0001", "Aula Y", "", "", "Y0001"}}},
        RoomCase{"NameStandsInForMissingCode",
                 {{"", "Aula de Música"}, {"  ", "Aula de Dibujo"}},
                 {{"la d", "Aula de Música", "", "", ""}, {"a d1", "Aula de Dibujo", "", "", ""}}},
        RoomCase{"EmptyCodeAndName",
                 {{"", ""}, {"", ""}},
                 {{"", "", "", "", ""}, {"1", "", "", "", ""}}},
        RoomCase{"TwelveCharacterCode",
                 {{"ABCDEFGHIJKL", "Almacén"}},
                 {{"IJKL", "Almacén", "", "", "ABCDEFGHIJ"}}},
        RoomCase{"ShortRecordSkippedValuesTrimmed",
                 {{"A1"}, {" B2 ", " Aula B2 ", "ignorado"}},
                 {{"B2", "Aula B2", "", "", "B2"}}},
        RoomCase{"EmptySection", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmaro::testing

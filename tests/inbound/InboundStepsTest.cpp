// The step list: fixed order, and the tables every step leaves even without its section.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inbound/InboundSteps.h"
#include "support/StepFixture.h"

namespace velmaro::testing {
namespace {

// The steps of subject names, activities, teachers and rooms, which need neither the reference
// table nor a framework.
std::vector<void (*)(InboundContext&)> FirstFourSteps() {
    std::vector<void (*)(InboundContext&)> steps;
    for (std::size_t i = 0; i < 4; ++i) steps.push_back(InboundSteps()[i].run);
    return steps;
}

TEST(InboundSteps, RunInTheFixedOrder) {
    std::vector<std::string> names;
    for (const InboundStep& step : InboundSteps()) names.push_back(step.name);
    const std::vector<std::string> expected = {"nombres de materias",
                                               "actividades",
                                               "profesores",
                                               "aulas",
                                               "cursos y grupos",
                                               "asignaciones de materias",
                                               "días, horas y marcos horarios"};
    EXPECT_EQ(names, expected);
}

TEST(InboundSteps, MissingSectionsLeaveEmptyTablesAndRemoveOldIndexes) {
    StepFixture step;
    for (const char* table : {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT"}) {
        WriteBytes(step.WorkDir() / (std::string(table) + ".DBF"), "antiguo");
        WriteBytes(step.WorkDir() / (std::string(table) + ".MDX"), "antiguo");
    }
    step.Run(SchoolXml().Section("CURSOS_DEL_CENTRO", {}), FirstFourSteps());
    for (const char* table : {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT"}) {
        SCOPED_TRACE(table);
        EXPECT_TRUE(step.Rows(std::string(table) + ".DBF", {"NOMBRE"}).empty());
        EXPECT_FALSE(std::filesystem::exists(step.WorkDir() / (std::string(table) + ".MDX")));
    }
}

}  // namespace
}  // namespace velmaro::testing

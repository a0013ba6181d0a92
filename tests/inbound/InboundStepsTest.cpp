// The step list: fixed order, and the tables every step leaves even without its section.

#include "inbound/InboundSteps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inbound/StepFixture.h"

namespace velmaro {
namespace {

using testing::SchoolXml;
using testing::StepFixture;

std::vector<void (*)(InboundContext&)> AllSteps() {
    std::vector<void (*)(InboundContext&)> steps;
    for (const InboundStep& step : InboundSteps()) steps.push_back(step.run);
    return steps;
}

TEST(InboundSteps, RunInTheFixedOrder) {
    std::vector<std::string> names;
    for (const InboundStep& step : InboundSteps()) names.push_back(step.name);
    const std::vector<std::string> expectedStart = {"nombres de materias", "actividades",
                                                    "profesores", "aulas"};
    ASSERT_GE(names.size(), expectedStart.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4), expectedStart);
}

TEST(InboundSteps, MissingSectionsLeaveEmptyTablesAndRemoveOldIndexes) {
    StepFixture step;
    for (const char* table : {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT"}) {
        testing::ScratchFolder::Write(step.WorkDir() / (std::string(table) + ".DBF"), "antiguo");
        testing::ScratchFolder::Write(step.WorkDir() / (std::string(table) + ".MDX"), "antiguo");
    }
    step.Run(SchoolXml().Section("CURSOS_DEL_CENTRO", {}), AllSteps());
    for (const char* table : {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT"}) {
        SCOPED_TRACE(table);
        EXPECT_TRUE(step.Rows(std::string(table) + ".DBF", {"NOMBRE"}).empty());
        EXPECT_FALSE(std::filesystem::exists(step.WorkDir() / (std::string(table) + ".MDX")));
    }
}

}  // namespace
}  // namespace velmaro

#pragma once
// A plausible, deterministic timetable made from the work tables, as Tavolin would compute one.

#include <filesystem>
#include <vector>

#include "SolucRow.h"

namespace velmaro::sim {

// Reads PROFT, ASIGT, GRUPOST, ASIGNOMT, DIASHORAST and AULAT in `workDir` and plans:
// - every ASIGT row (a subject of a group) as its weekly load of lessons (HORAS, at least one,
//   at most the group's share of its week), its teacher chosen round robin over PROFT, on the
//   school days (1 to 5) and periods that DIASHORAST holds for the group's framework; groups
//   take the frameworks in turn when there are two;
// - one task per teacher (ASIG and TAREA the activity key of an ASIGNOMT task row), in turn;
// - rooms from AULAT in turn, every fifth lesson without one;
// - no teacher or group twice in one period; what finds no free period, and every thirteenth
//   lesson and sixth task, stays unplaced (DIA 0).
// Throws Error naming the table when one is missing or unreadable.
std::vector<SolucRow> PlanTimetable(const std::filesystem::path& workDir);

}  // namespace velmaro::sim

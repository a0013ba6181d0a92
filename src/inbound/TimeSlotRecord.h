#pragma once
// The records of the exchange document's time slots (section TRAMOS_HORARIOS), field by field.

#include <cstddef>
#include <string_view>

namespace velmaro::time_slots {

inline constexpr std::string_view kSection = "TRAMOS_HORARIOS";

// Positions of a slot's fields.
inline constexpr std::size_t kCode = 0;       // the slot's code
inline constexpr std::size_t kLabel = 1;      // its label, as the timetable shows it
inline constexpr std::size_t kStart = 2;      // start, in minutes after midnight
inline constexpr std::size_t kEnd = 3;        // end, in minutes after midnight
inline constexpr std::size_t kFramework = 4;  // the code of the framework the slot belongs to

// Fields a record needs to name its framework; shorter records belong to none.
inline constexpr std::size_t kFieldCount = kFramework + 1;

}  // namespace velmaro::time_slots

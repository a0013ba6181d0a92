#pragma once
// Writing SOLUC.DBF in the layouts that timetable programs use.

#include <filesystem>
#include <vector>

#include "SolucRow.h"

namespace velmaro::sim {

enum class SolucFormat {
    DBase,   // dBase III/IV through Velmaro's engine: DIA and HORA as numeric N fields
    FoxPro,  // Visual FoxPro written byte by byte here: DIA and HORA as 4-byte integers ('I')
};

// Writes `rows` to `path`, replacing it. The FoxPro variant also stores one deleted row, which
// every reader must pass over. Throws Error naming the file when it cannot be written.
void WriteSoluc(const std::filesystem::path& path, const std::vector<SolucRow>& rows,
                SolucFormat format);

}  // namespace velmaro::sim

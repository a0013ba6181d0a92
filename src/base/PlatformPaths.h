#pragma once
// Where the work tables and the program's own files live on this platform.

#include <filesystem>

namespace velmaro {

struct PlatformPaths {
    std::filesystem::path workDir;     // the work-table folder (C:\TTEMP under Windows)
    std::filesystem::path programDir;  // the folder of the executable: Tavolin.ini, NIVELLARI.DBF
};

// $VELMARO_TTEMP when set, else C:\TTEMP on Windows and drive_c/TTEMP inside $WINEPREFIX
// (default ~/.wine) elsewhere.
std::filesystem::path DefaultWorkDir();
// $VELMARO_HOME when set, else the folder of the running executable.
std::filesystem::path DefaultProgramDir();

}  // namespace velmaro

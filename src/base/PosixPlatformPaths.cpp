#include "base/PlatformPaths.h"

#include <cstdlib>
#include <system_error>

namespace velmaro {

namespace {

namespace fs = std::filesystem;

// The value of environment variable `name`, or nothing when it is unset or empty.
const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

fs::path WinePrefix() {
    if (const char* prefix = Environment("WINEPREFIX")) return prefix;
    const char* home = Environment("HOME");
    return fs::path(home != nullptr ? home : "") / ".wine";
}

}  // namespace

fs::path DefaultWorkDir() {
    if (const char* workDir = Environment("VELMARO_TTEMP")) return workDir;
    return WinePrefix() / "drive_c" / "TTEMP";
}

fs::path DefaultProgramDir() {
    if (const char* home = Environment("VELMARO_HOME")) return home;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    // Without /proc the running program cannot name itself; its working folder stands in.
    if (error) return fs::current_path();
    return executable.parent_path();
}

}  // namespace velmaro

#include "base/ProcessConsole.h"

#include <unistd.h>

namespace velmaro {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void UseUtf8Console() {}  // terminals take the bytes as they come, in the locale's encoding

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

}  // namespace velmaro

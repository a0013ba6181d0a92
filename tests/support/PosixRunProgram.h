#pragma once
// Runs a program of the build, or a shell command, through the shell of a POSIX system and
// captures its exit status and output (included through RunProgram.h).

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace velmaro::testing {

struct ProgramRun {
    int status = -1;  // the exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// `text` quoted for the shell.
inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs `command` through the shell; standard output and error go through files in `folder`.
inline ProgramRun RunShell(const std::string& command, const std::filesystem::path& folder) {
    const std::filesystem::path out = folder / "salida.txt";
    const std::filesystem::path err = folder / "errores.txt";
    const int raw = std::system(
        ("( " + command + " ) >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string()))
            .c_str());
    ProgramRun run;
    if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    run.out = ReadBytes(out);
    run.err = ReadBytes(err);
    return run;
}

// Runs `program` with `arguments` and nothing on standard input; its output goes through files
// in `scratch`.
inline ProgramRun RunProgram(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments,
                             const ScratchFolder& scratch) {
    std::string command = ShellQuoted(program.string());
    for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
    return RunShell(command + " </dev/null", scratch.Path());
}

}  // namespace velmaro::testing

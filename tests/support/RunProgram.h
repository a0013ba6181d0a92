#pragma once
// Runs a program of the build with arguments and captures its exit status and output.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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

// Runs `program` with `arguments`; standard output and error go through files in `scratch`.
inline ProgramRun RunProgram(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments,
                             const ScratchFolder& scratch) {
    const std::filesystem::path out = scratch.Path() / "salida.txt";
    const std::filesystem::path err = scratch.Path() / "errores.txt";
    std::string command = ShellQuoted(program.string());
    for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
    command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string()) + " </dev/null";
    const int raw = std::system(command.c_str());
    ProgramRun run;
    if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    run.out = ReadBytes(out);
    run.err = ReadBytes(err);
    return run;
}

}  // namespace velmaro::testing

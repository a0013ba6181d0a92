#pragma once
// The command line and the console of a command-line program, the same on every platform: the
// arguments as UTF-8, standard input told apart from a terminal, and UTF-8 output that a
// terminal shows as the characters it encodes.

#include <string>
#include <vector>

namespace velmaro {

// The program's arguments after its own name, in UTF-8. `argc` and `argv` are main's; where
// the system hands programs their arguments in another encoding (the ANSI code page of
// Windows), they are read again from the system's own, wide, command line.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes a console that shows this program's output decode it as UTF-8, and has standard output
// and error carry exactly the bytes written, line ends included, as on every platform. Call
// once, at start-up.
void UseUtf8Console();

// Whether standard input is a terminal (someone can answer a question), not a file or a pipe.
bool StandardInputIsTerminal();

}  // namespace velmaro

#pragma once
// Runs a program of the build and captures its exit status and output: through the shell on
// POSIX systems (which also run shell commands, RunShell), through CreateProcessW on Windows.

#ifdef _WIN32
#include "support/WindowsRunProgram.h"
#else
#include "support/PosixRunProgram.h"
#endif

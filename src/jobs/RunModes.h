#pragma once
// Program start, show and close: batch mode, the command words and the result code for Tavolin.

#include <string>
#include <vector>

#include "jobs/Session.h"
#include "base/UserInteraction.h"

namespace velmaro {

// The session at window creation: result code 0, batch mode when exactly two arguments
// (the program name not counted) were given.
Session CreateSession(const std::vector<std::string>& arguments, PlatformPaths paths);

// When the window is shown: in batch mode, runs the job named by the first argument,
// lower-cased ("importar" or "exportar"); anything else starts nothing.
void ShowSession(Session& session, const std::vector<std::string>& arguments, UserInteraction& ui);

// When the window closes: in batch mode, writes the result code to Tavolin.ini in the program
// folder (section "Transformadores", key "Transformado"), keeping the rest of the file.
void CloseSession(const Session& session);

}  // namespace velmaro

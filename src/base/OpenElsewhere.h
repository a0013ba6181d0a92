#pragma once
// Whether another process has a file open, whatever lock it holds or does not. On Linux /proc
// shows the open files of every process that this user may inspect, among them Wine's server,
// which keeps every file that a Windows program under Wine opens open for it, whatever its
// share mode. Windows shows a program that keeps others out of a file when the file is opened
// (OpenExistingFile gives EBUSY); one that lets others in is not told apart.

#include <filesystem>
#include <vector>

namespace velmaro::files {

// For each of `paths`, whether a process other than this one has that file open; a missing
// file is open nowhere. One pass over the processes answers for all of them.
std::vector<bool> OpenInOtherProcesses(const std::vector<std::filesystem::path>& paths);

}  // namespace velmaro::files

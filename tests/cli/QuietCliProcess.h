#pragma once
// What the tests that kill a running velmaro-cli share: starting it with its output thrown
// away, waiting for its raw wait status, and the content of the files a job replaces, to tell
// "all as before" from "all new" once the next job has settled what the killed one left.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "jobs/ReplacedWorkFiles.h"
#include "support/FileBytes.h"

namespace velmaro::testing {

// Starts `program` with `arguments` (without the program's own name) and the variables of
// `environment` (NAME=VALUE, a null-terminated list), standard input, output and error on
// /dev/null; its process id.
inline pid_t StartQuietly(const std::filesystem::path& program,
                          const std::vector<std::string>& arguments, char* const* environment) {
    std::vector<std::string> words = {program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2}) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY,
                                         0);
    }
    pid_t pid = -1;
    const int failed =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environment);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("posix_spawn");
    return pid;
}

// The raw wait status of `pid`, once it has ended.
inline int WaitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// The content of every file a conversion or a restore replaces or removes; nothing for an
// absent one.
using FileStates = std::map<std::string, std::optional<std::string>>;

// The FileStates of `workDir`.
inline FileStates Snapshot(const std::filesystem::path& workDir) {
    FileStates states;
    for (const std::string& name : ReplacedWorkFiles()) {
        states[name] = std::filesystem::exists(workDir / name)
                           ? std::optional(ReadBytes(workDir / name))
                           : std::nullopt;
    }
    return states;
}

}  // namespace velmaro::testing

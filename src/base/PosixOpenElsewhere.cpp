#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "base/OpenElsewhere.h"

namespace velmaro::files {

namespace {

// A file told apart from every other by its device and inode, whatever name it is opened by.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool exists = false;
};

FileIdentity IdentityOf(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return {};
    return {status.st_dev, status.st_ino, true};
}

bool IsProcessId(const char* name) {
    return *name != '\0' && std::all_of(name, name + std::strlen(name), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// Marks in `open` each of `wanted` that the process /proc/`pid` has open; a process this user
// may not inspect, or one that ended meanwhile, marks nothing.
void MarkOpenFilesOf(int procFolder, const char* pid, const std::vector<FileIdentity>& wanted,
                     std::vector<bool>& open) {
    const int fdFolder = ::openat(procFolder, (std::string(pid) + "/fd").c_str(),
                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdFolder < 0) return;
    DIR* descriptors = ::fdopendir(fdFolder);
    if (descriptors == nullptr) {
        ::close(fdFolder);
        return;
    }
    while (const dirent* entry = ::readdir(descriptors)) {
        struct stat status {};
        // Each entry is a link to the open file itself, even one renamed or deleted since.
        if (!IsProcessId(entry->d_name) || ::fstatat(fdFolder, entry->d_name, &status, 0) != 0) {
            continue;
        }
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (wanted[i].exists && wanted[i].device == status.st_dev &&
                wanted[i].inode == status.st_ino) {
                open[i] = true;
            }
        }
    }
    ::closedir(descriptors);
}

}  // namespace

// This process is left out: its own openings are its own business, told by its locks.
std::vector<bool> OpenInOtherProcesses(const std::vector<std::filesystem::path>& paths) {
    std::vector<FileIdentity> wanted;
    for (const std::filesystem::path& path : paths) wanted.push_back(IdentityOf(path));
    std::vector<bool> open(paths.size(), false);
    if (std::none_of(wanted.begin(), wanted.end(),
                     [](const FileIdentity& f) { return f.exists; })) {
        return open;
    }
    const int procFolder = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFolder < 0) return open;
    DIR* processes = ::fdopendir(procFolder);
    if (processes == nullptr) {
        ::close(procFolder);
        return open;
    }
    const std::string self = std::to_string(::getpid());
    while (const dirent* entry = ::readdir(processes)) {
        if (IsProcessId(entry->d_name) && self != entry->d_name) {
            MarkOpenFilesOf(procFolder, entry->d_name, wanted, open);
        }
    }
    ::closedir(processes);
    return open;
}

}  // namespace velmaro::files

#pragma once
// Another program holding a file on a POSIX system: a forked child that keeps the file open,
// with a process-owned record lock on it as Wine's server takes one for a Windows program that
// locks a file, or with no lock at all, as Wine's server keeps a file open for a Windows
// program that opened it for itself alone (included through HeldFile.h).

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace velmaro::testing {

class HeldFile {
public:
    // Shared or exclusive record lock, or open alone with no lock.
    enum Lock { Shared, Exclusive, OpenAlone };

    // The bytes the child's record lock covers: a length of 0 reaches past the end of the file.
    struct Range {
        off_t offset;
        off_t length;
    };

    // Forks a child that opens `path` and locks `range` of it as `lock` without waiting;
    // returns once the lock is taken or has failed.
    HeldFile(const std::filesystem::path& path, Lock lock, Range range = {0, 0}) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            // Keeps only its own pipe ends: a copy of another holder's release pipe would keep
            // that holder alive after the parent lets it go.
            for (int fd = 3, last = static_cast<int>(::sysconf(_SC_OPEN_MAX)); fd < last; ++fd) {
                if (fd != ready[1] && fd != release[0]) ::close(fd);
            }
            const char ok = Hold(path, lock, range) ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            char ignored;
            (void)!::read(release[0], &ignored, 1);  // returns when the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        releaseFd_ = release[1];
        char ok = '0';
        (void)!::read(ready[0], &ok, 1);
        ::close(ready[0]);
        locked_ = ok == '1';
    }
    ~HeldFile() {
        ::close(releaseFd_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Whether the child holds the file as asked.
    bool Locked() const { return locked_; }

private:
    // In the child: opens `path` and takes the lock; whether both worked.
    static bool Hold(const std::filesystem::path& path, Lock lock, Range range) {
        const int fd = ::open(path.c_str(), lock == Exclusive ? O_RDWR : O_RDONLY);
        if (fd < 0) return false;
        if (lock == OpenAlone) return true;
        struct flock held {};
        held.l_type = lock == Shared ? F_RDLCK : F_WRLCK;
        held.l_whence = SEEK_SET;
        held.l_start = range.offset;
        held.l_len = range.length;
        return ::fcntl(fd, F_SETLK, &held) == 0;
    }

    pid_t pid_ = -1;
    int releaseFd_ = -1;
    bool locked_ = false;
};

}  // namespace velmaro::testing

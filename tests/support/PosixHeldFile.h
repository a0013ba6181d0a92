#pragma once
// Another program holding a file on a POSIX system: a forked child that keeps an flock lock on
// it (included through HeldFile.h).

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace velmaro::testing {

class HeldFile {
public:
    enum Lock { Shared, Exclusive };

    // Forks a child that opens `path` and locks it as `lock` without waiting; returns once the
    // lock is taken or has failed.
    HeldFile(const std::filesystem::path& path, Lock lock) {
        const int operation = (lock == Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
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
            const int fd = ::open(path.c_str(), O_RDONLY);
            const char ok = (fd >= 0 && ::flock(fd, operation) == 0) ? '1' : '0';
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

    bool Locked() const { return locked_; }

private:
    pid_t pid_ = -1;
    int releaseFd_ = -1;
    bool locked_ = false;
};

}  // namespace velmaro::testing

#pragma once
// File-size limits (RLIMIT_FSIZE) for tests of stores that fail as on a full disk.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "platform/core/BlockFile.h"

namespace kiv::test {

// Writes past the file's present end fail (as on a full disk) while this is held, in this
// process; the signal the limit raises is ignored meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = rlim_t(st.st_size);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    sighandler_t oldHandler_ = SIG_DFL;
};

// Runs part of a test in a child process under a file-size limit, so that the limit, and the
// signal it raises, never reach the test program itself. What the child's function returned
// (an exception's message after "exception: "), or how the child ended when it did not return.
inline std::string UnderFileSizeLimit(uint64_t limit, const std::function<std::string()>& fn,
                                      bool ignoreSignal = true) {
    int fds[2];
    if (::pipe(fds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid < 0) return "no fork";
    if (pid == 0) {
        ::close(fds[0]);
        struct rlimit rl {};
        rl.rlim_cur = rl.rlim_max = rlim_t(limit);
        std::string out;
        if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) {
            out = "setrlimit failed";
        } else {
            if (ignoreSignal) IgnoreFileSizeSignal();
            try {
                out = fn();
            } catch (const std::exception& e) {
                out = std::string("exception: ") + e.what();
            }
        }
        for (size_t done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0) break;
            done += size_t(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string got;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0) got.append(buf, size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return got;
}

}  // namespace kiv::test

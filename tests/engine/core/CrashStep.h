#pragma once
// Crash tests of the file commands: a child process dies (_exit, no clean-up) just before
// the n-th file step of an operation, leaving what a power cut would leave.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string_view>

#include <gtest/gtest.h>

#include "engine/core/DatastructureFiles.h"

namespace kiv {

// True when op finished without reaching step n.
inline bool RunCrashingBeforeStep(int n, const std::function<void()>& op) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int count = 0;
        SetFileStepHook([&](std::string_view) {
            if (++count == n) ::_exit(42);
        });
        try {
            op();
        } catch (...) {
            ::_exit(43);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 43) << "the operation failed in the child at step " << n;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace kiv

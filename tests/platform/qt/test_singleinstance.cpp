#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/SingleInstance.h"

using namespace kiv;

namespace {
struct RuntimeDirFixture : ::testing::Test {
    std::string dir;
    void SetUp() override {
        dir = TempDir() + "rt" + std::to_string(::getpid()) + "/";
        MakeDirs(dir);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    void TearDown() override {
        ReleaseSingleInstance();
        unsetenv("XDG_RUNTIME_DIR");
    }
};

// Runs CheckSingleInstance in a child process with no argument and returns its answer.
bool ChildIsFirst() {
    pid_t pid = ::fork();
    if (pid == 0) {
        ReleaseSingleInstance();  // forget the parent's copy; its lock stays with the parent
        char arg0[] = "kiv";
        char* argv[] = {arg0, nullptr};
        ::_exit(CheckSingleInstance(1, argv) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}
}  // namespace

TEST_F(RuntimeDirFixture, OnlyTheFirstInstanceGoesOn) {
    EXPECT_TRUE(ChildIsFirst());  // nobody holds the lock yet; the child's ends with it
    char arg0[] = "kiv";
    char* argv[] = {arg0, nullptr};
    ASSERT_TRUE(CheckSingleInstance(1, argv));
    EXPECT_FALSE(ChildIsFirst());
    ReleaseSingleInstance();
    EXPECT_TRUE(ChildIsFirst());
}

TEST_F(RuntimeDirFixture, HandOverDeliversExactBytesAndWaits) {
    HandOverServer server;
    ASSERT_TRUE(server.Listening());
    std::string got;
    int calls = 0;
    server.OnCopyData = [&](const std::string& p) { got = p; ++calls; };

    const std::string path = std::string("/tmp/with blank/caf\xe9.kiv", 25);
    std::atomic<int> result{-1};
    std::thread sender([&] { result = SendHandOver(path) ? 1 : 0; });
    QElapsedTimer t;
    t.start();
    while (result < 0 && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    sender.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(got, path);
}

TEST_F(RuntimeDirFixture, NoListenerMeansNoHandOver) {
    EXPECT_FALSE(SendHandOver("/tmp/x.kiv", 500));
}

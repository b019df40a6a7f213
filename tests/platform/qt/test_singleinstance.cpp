#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <memory>
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
        RemoveTree(dir);
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

// Serves events until done() holds or the time is up.
template <class Done>
void ServeUntil(Done done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A later start on its own thread: its answer, -1 while it runs.
struct LaterStart {
    std::atomic<int> first{-1};
    std::thread thread;
    explicit LaterStart(std::string path) {
        thread = std::thread([this, path] {
            std::string a0 = "kiv", a1 = path;
            char* argv[] = {a0.data(), a1.data(), nullptr};
            first = CheckSingleInstance(2, argv) ? 1 : 0;
        });
    }
    ~LaterStart() { thread.join(); }
};
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
    server.OnCopyData = [&](const std::string& p) {
        got = p;
        ++calls;
    };

    const std::string path = std::string("/tmp/with blank/caf\xe9.kiv", 25);
    std::atomic<int> result{-1};
    std::thread sender([&] { result = int(SendHandOver(path)); });
    ServeUntil([&] { return result >= 0 && calls > 0; });
    sender.join();
    EXPECT_EQ(result, int(HandOverResult::Received));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(got, path);
}

TEST_F(RuntimeDirFixture, NoListenerMeansNoHandOver) {
    EXPECT_EQ(SendHandOver("/tmp/x.kiv", 500), HandOverResult::NoListener);
    HandOverServer server;
    ASSERT_TRUE(server.Listening());
    server.Close();  // the program is closing
    EXPECT_EQ(SendHandOver("/tmp/x.kiv", 500), HandOverResult::NoListener);
}

TEST(CommandLinePath, TheNamedPathAsItsBytes) {
    char cwd[4096];
    ASSERT_TRUE(::getcwd(cwd, sizeof cwd));
    const std::string here = std::string(cwd) == "/" ? "" : cwd;
    const struct {
        std::string arg, path;
    } cases[] = {
        {"", ""},
        {" \t", ""},
        {"/a/b.kiv", "/a/b.kiv"},
        {" \"/a/b.kiv\"", here + "/\"/a/b.kiv\""},  // only blanks and controls are trimmed
        {"  /a/b.kiv\r\n", "/a/b.kiv"},
        {"b.kiv", here + "/b.kiv"},
        {"./x/../b.kiv", here + "/b.kiv"},
        {"//a/./c//d/../b.kiv", "/a/c/b.kiv"},
        {"/../b.kiv", "/b.kiv"},
        {"/a/caf\xe9 \xff.kiv", "/a/caf\xe9 \xff.kiv"},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandLinePath(c.arg), c.path) << c.arg;
}

// The open of a handed path may show a box that stays up longer than the sender waits:
// the sender has its answer before, and paths that come meanwhile wait for the box.
TEST_F(RuntimeDirFixture, AnsweredBeforeTheOpenWhichNeverNests) {
    HandOverServer server;
    ASSERT_TRUE(server.Listening());
    std::vector<std::string> opened;
    int depth = 0, deepest = 0;
    std::atomic<int> second{-1};
    std::unique_ptr<std::thread> secondSender;
    server.OnCopyData = [&](const std::string& p) {
        deepest = std::max(deepest, ++depth);
        opened.push_back(p);
        if (p == "/a.kiv") {
            // The box: a nested event loop, open four times the sender's time-out.
            secondSender =
                std::make_unique<std::thread>([&] { second = int(SendHandOver("/b.kiv", 500)); });
            QEventLoop box;
            QTimer::singleShot(2000, &box, &QEventLoop::quit);
            box.exec();
        }
        --depth;
    };
    std::atomic<int> first{-1};
    std::atomic<qint64> firstMs{-1};
    std::thread firstSender([&] {
        QElapsedTimer t;
        t.start();
        first = int(SendHandOver("/a.kiv", 500));
        firstMs = t.elapsed();
    });
    ServeUntil([&] { return first >= 0; });
    firstSender.join();
    EXPECT_EQ(first, int(HandOverResult::Received));
    EXPECT_LT(firstMs, 500) << "answered before the path is handled";
    ServeUntil([&] { return opened.size() == 2; });
    ASSERT_TRUE(secondSender);
    secondSender->join();
    EXPECT_EQ(second, int(HandOverResult::Received));
    EXPECT_EQ(opened, (std::vector<std::string>{"/a.kiv", "/b.kiv"}));
    EXPECT_EQ(deepest, 1) << "the second path waited until the first was done";
    // The senders' sockets are gone by now; the server goes on serving.
    std::atomic<int> third{-1};
    std::thread thirdSender([&] { third = int(SendHandOver("/c.kiv")); });
    ServeUntil([&] { return third >= 0 && opened.size() == 3; });
    thirdSender.join();
    EXPECT_EQ(third, int(HandOverResult::Received));
    EXPECT_EQ(opened.back(), "/c.kiv");
}

// The first start holds the lock but listens only a moment later (its application object
// is still being made): a later start with a file waits for it.
TEST_F(RuntimeDirFixture, ALaterStartWaitsForTheFirstToListen) {
    const int held =
        ::open((dir + "MYPROGRAM_CHECKEXIST").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const std::string file = dir + "handed.kiv";
    WriteFileAtomic(file, "x");
    std::vector<std::string> opened;
    std::unique_ptr<HandOverServer> server;
    {
        LaterStart later(file);
        QElapsedTimer t;
        t.start();
        ServeUntil([&] { return t.elapsed() >= 400; });
        EXPECT_EQ(later.first, -1) << "still waiting";
        server = std::make_unique<HandOverServer>();
        server->OnCopyData = [&](const std::string& p) { opened.push_back(p); };
        ServeUntil([&] { return later.first >= 0 && !opened.empty(); });
        EXPECT_EQ(later.first, 0) << "handed over and ends";
    }
    EXPECT_EQ(opened, std::vector<std::string>{file});
    ::close(held);
}

// The lock holder ends before it listens: the later start becomes the first one.
TEST_F(RuntimeDirFixture, ALaterStartTakesOverFromAFirstThatEnded) {
    int held = ::open((dir + "MYPROGRAM_CHECKEXIST").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const std::string file = dir + "handed.kiv";
    WriteFileAtomic(file, "x");
    LaterStart later(file);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(later.first, -1);
    ::close(held);
    ServeUntil([&] { return later.first >= 0; });
    EXPECT_EQ(later.first, 1);
    EXPECT_FALSE(ChildIsFirst()) << "and holds the lock";
}

// Nobody ever listens: the later start gives up after its wait.
TEST_F(RuntimeDirFixture, ALaterStartGivesUpAfterItsWait) {
    const int held =
        ::open((dir + "MYPROGRAM_CHECKEXIST").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const std::string file = dir + "handed.kiv";
    WriteFileAtomic(file, "x");
    QElapsedTimer t;
    t.start();
    {
        LaterStart later(file);
        ServeUntil([&] { return later.first >= 0; }, 10000);
        EXPECT_EQ(later.first, 0);
    }
    EXPECT_GE(t.elapsed(), 1900) << "it waited for a listener";
    ::close(held);
}

// The fallback folder in a place everybody can write is used only when it is ours alone.
struct PrivateDirFixture : ::testing::Test {
    std::string base;
    void SetUp() override {
        base = TempDir() + "private" + std::to_string(::getpid()) + "/";
        MakeDirs(base);
    }
    void TearDown() override { RemoveTree(base); }
    mode_t Mode(const std::string& p) {
        struct stat st {};
        ::lstat(p.c_str(), &st);
        return st.st_mode & 07777;
    }
};

TEST_F(PrivateDirFixture, OnlyAFolderOfOursAloneIsUsed) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> plant;  // nothing: the folder is missing
        bool usable;
    };
    const std::string target = base + "target";
    ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
    const std::vector<Case> cases = {
        {"missing", nullptr, true},
        {"ours with mode 0700", [](const std::string& d) { ::mkdir(d.c_str(), 0700); }, true},
        {"ours, open to others",
         [](const std::string& d) { ::mkdir(d.c_str(), 0700), ::chmod(d.c_str(), 0777); }, false},
        {"ours, readable by others",
         [](const std::string& d) { ::mkdir(d.c_str(), 0700), ::chmod(d.c_str(), 0755); }, false},
        {"a link to a folder of ours",
         [&](const std::string& d) { (void)::symlink(target.c_str(), d.c_str()); }, false},
        {"a file", [](const std::string& d) { WriteFileAtomic(d, "x"); }, false},
    };
    for (const Case& c : cases) {
        const std::string d = base + "kiv-runtime-" + std::to_string(&c - cases.data());
        if (c.plant) c.plant(d);
        const mode_t before = Mode(d);
        EXPECT_EQ(MakePrivateDir(d), c.usable) << c.name;
        if (c.usable) {
            EXPECT_EQ(Mode(d), 0700u) << c.name;
        } else {
            EXPECT_EQ(Mode(d), before) << c.name << ": left as it was";
        }
    }
    if (::geteuid() == 0) {  // planted by another user
        const std::string d = base + "theirs";
        ASSERT_EQ(::mkdir(d.c_str(), 0700), 0);
        ASSERT_EQ(::chown(d.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(MakePrivateDir(d));
    }
}

TEST_F(PrivateDirFixture, AFolderPlantedByOthersSendsUsToTheCache) {
    const std::string shared = base + "kiv-runtime-1000", cache = base + "cache/kiv-runtime";
    const std::string xdg = base + "xdg/";
    MakeDirs(xdg);
    EXPECT_EQ(ChooseRuntimeDir(xdg.c_str(), shared, cache), xdg)
        << "the session's own folder first";
    EXPECT_FALSE(DirExists(shared));
    EXPECT_EQ(ChooseRuntimeDir(nullptr, shared, cache), shared + "/");
    EXPECT_EQ(Mode(shared), 0700u);
    ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
    EXPECT_EQ(ChooseRuntimeDir("", shared, cache), cache + "/");
    EXPECT_EQ(Mode(cache), 0700u);
    ASSERT_EQ(::chmod(cache.c_str(), 0755), 0);
    EXPECT_EQ(ChooseRuntimeDir(nullptr, shared, cache), "")
        << "no folder of ours alone: nothing is shared";
}

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
        ::chmod(dir.c_str(), 0700);
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

// A later start on its own thread: its answer, -1 while it runs, and the file it could not
// hand over.
struct LaterStart {
    std::atomic<int> first{-1};
    std::string notHanded;  // read once first >= 0
    std::thread thread;
    explicit LaterStart(std::string path, int patienceMs = kHandOverPatienceMs) {
        thread = std::thread([this, path, patienceMs] {
            std::string a0 = "kiv", a1 = path;
            char* argv[] = {a0.data(), a1.data(), nullptr};
            first = CheckSingleInstance(2, argv, &notHanded, patienceMs) ? 1 : 0;
        });
    }
    ~LaterStart() {
        if (thread.joinable()) thread.join();
    }
};

// Holds the lock as a first instance that lives does.
struct HeldLock {
    int fd;
    explicit HeldLock(const std::string& dir)
        : fd(::open((dir + "MYPROGRAM_CHECKEXIST").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    }
    ~HeldLock() { Release(); }
    void Release() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
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

// The open of a handed path may show a box that stays up as long as the user leaves it:
// the senders have their answers while it is up, and paths that come meanwhile wait for it.
TEST_F(RuntimeDirFixture, AnsweredBeforeTheOpenWhichNeverNests) {
    HandOverServer server;
    ASSERT_TRUE(server.Listening());
    std::vector<std::string> opened;
    int depth = 0, deepest = 0;
    std::atomic<int> first{-1}, second{-1};
    bool answeredWhileTheBoxWasUp = false;
    std::unique_ptr<std::thread> secondSender;
    server.OnCopyData = [&](const std::string& p) {
        deepest = std::max(deepest, ++depth);
        opened.push_back(p);
        if (p == "/a.kiv") {
            // The box: a nested event loop, up until both senders have their answers.
            secondSender =
                std::make_unique<std::thread>([&] { second = int(SendHandOver("/b.kiv")); });
            ServeUntil([&] { return first >= 0 && second >= 0; }, 30000);
            answeredWhileTheBoxWasUp = first >= 0 && second >= 0;
        }
        --depth;
    };
    std::thread firstSender([&] { first = int(SendHandOver("/a.kiv")); });
    ServeUntil([&] { return opened.size() == 2; }, 30000);
    firstSender.join();
    ASSERT_TRUE(secondSender);
    secondSender->join();
    EXPECT_EQ(first, int(HandOverResult::Received));
    EXPECT_EQ(second, int(HandOverResult::Received));
    EXPECT_TRUE(answeredWhileTheBoxWasUp) << "answered before the path is handled";
    EXPECT_EQ(opened, (std::vector<std::string>{"/a.kiv", "/b.kiv"}));
    EXPECT_EQ(deepest, 1) << "the second path waited until the first was done";
    // The senders' sockets are gone by now; the server goes on serving.
    std::atomic<int> third{-1};
    std::thread thirdSender([&] { third = int(SendHandOver("/c.kiv")); });
    ServeUntil([&] { return third >= 0 && opened.size() == 3; }, 30000);
    thirdSender.join();
    EXPECT_EQ(third, int(HandOverResult::Received));
    EXPECT_EQ(opened.back(), "/c.kiv");
}

// The first start holds the lock but listens only a moment later (its application object
// is still being made): a later start with a file waits for it.
TEST_F(RuntimeDirFixture, ALaterStartWaitsForTheFirstToListen) {
    HeldLock held(dir);
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
        ServeUntil([&] { return later.first >= 0 && !opened.empty(); }, 30000);
        EXPECT_EQ(later.first, 0) << "handed over and ends";
    }
    EXPECT_EQ(opened, std::vector<std::string>{file});
}

// The lock holder ends before it listens: the later start becomes the first one.
TEST_F(RuntimeDirFixture, ALaterStartTakesOverFromAFirstThatEnded) {
    HeldLock held(dir);
    const std::string file = dir + "handed.kiv";
    WriteFileAtomic(file, "x");
    LaterStart later(file);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(later.first, -1);
    held.Release();
    ServeUntil([&] { return later.first >= 0; }, 30000);
    EXPECT_EQ(later.first, 1);
    EXPECT_TRUE(later.notHanded.empty());
    EXPECT_FALSE(ChildIsFirst()) << "and holds the lock";
}

// The first instance lives but never listens, or listens and never answers (stopped, hung):
// the later start gives up after its patience and names the file it could not hand over.
// One that answers after the sender gave up drops the path: the user was told it was not
// opened.
TEST_F(RuntimeDirFixture, ALaterStartThatCannotHandOverNamesTheFile) {
    HeldLock held(dir);
    const std::string file = dir + "handed.kiv", next = dir + "next.kiv";
    WriteFileAtomic(file, "x");
    WriteFileAtomic(next, "y");
    {
        LaterStart later(file, 500);
        ServeUntil([&] { return later.first >= 0; }, 30000);
        EXPECT_EQ(later.first, 0);
        EXPECT_EQ(later.notHanded, file) << "nobody listened";
    }
    HandOverServer server;
    ASSERT_TRUE(server.Listening());
    std::vector<std::string> opened;
    server.OnCopyData = [&](const std::string& p) { opened.push_back(p); };
    {
        LaterStart later(file, 500);  // this thread serves no events meanwhile: no answer
        later.thread.join();
        EXPECT_EQ(later.first, 0);
        EXPECT_EQ(later.notHanded, file) << "nobody answered";
    }
    // Connections are served in order: once the next one is in, the late one was dropped.
    LaterStart after(next);
    ServeUntil([&] { return after.first >= 0 && !opened.empty(); }, 30000);
    EXPECT_EQ(after.first, 0);
    EXPECT_TRUE(after.notHanded.empty());
    EXPECT_EQ(opened, std::vector<std::string>{next});
}

// The fallback folder in a place everybody can write is used only when it is ours alone.
struct PrivateDirFixture : ::testing::Test {
    std::string base;
    void SetUp() override {
        base = TempDir() + "private" + std::to_string(::getpid()) + "/";
        MakeDirs(base);
    }
    void TearDown() override { RemoveTree(base); }
    static std::string WithoutTrailingSlash(std::string d) {
        if (d.size() > 1 && d.back() == '/') d.pop_back();
        return d;
    }
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
    ::chmod(xdg.c_str(), 0700);
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

// The session's runtime folder is checked as the fallback is: one that others can reach, or
// that is not a real folder of ours, is passed over (and left as it is).
TEST_F(PrivateDirFixture, ASessionFolderOthersCanReachIsPassedOver) {
    const std::string shared = base + "kiv-runtime-1000", cache = base + "cache/kiv-runtime";
    const std::string target = base + "target";
    ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
    const struct {
        const char* name;
        std::function<void(const std::string&)> plant;
    } cases[] = {
        {"missing", [](const std::string&) {}},
        {"open to everybody",
         [](const std::string& d) { ::mkdir(d.c_str(), 0700), ::chmod(d.c_str(), 01777); }},
        {"readable by others",
         [](const std::string& d) { ::mkdir(d.c_str(), 0700), ::chmod(d.c_str(), 0750); }},
        {"a link to a folder of ours",
         [&](const std::string& d) { (void)::symlink(target.c_str(), d.c_str()); }},
        {"a file", [](const std::string& d) { WriteFileAtomic(d, "x"); }},
    };
    for (const auto& c : cases) {
        const std::string d = base + "xdg-" + std::to_string(&c - cases) + "/";
        c.plant(WithoutTrailingSlash(d));
        const mode_t before = Mode(WithoutTrailingSlash(d));
        EXPECT_EQ(ChooseRuntimeDir(d.c_str(), shared, cache), shared + "/") << c.name;
        EXPECT_EQ(Mode(WithoutTrailingSlash(d)), before) << c.name << ": left as it was";
    }
    if (::geteuid() == 0) {  // made for another user
        const std::string d = base + "theirs";
        ASSERT_EQ(::mkdir(d.c_str(), 0700), 0);
        ASSERT_EQ(::chown(d.c_str(), 65534, 65534), 0);
        EXPECT_EQ(ChooseRuntimeDir(d.c_str(), shared, cache), shared + "/");
    }

    // The program's own choice: a shared folder in $XDG_RUNTIME_DIR is never where the
    // lock and the socket go.
    const std::string open = base + "open";
    ASSERT_EQ(::mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    ::setenv("XDG_RUNTIME_DIR", open.c_str(), 1);
    const std::string chosen = RuntimeDir();
    if (old) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_NE(chosen, open + "/");
    EXPECT_TRUE(chosen.empty() || IsPrivateDir(chosen)) << chosen;
}

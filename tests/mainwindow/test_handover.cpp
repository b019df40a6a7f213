// The start and the single-instance hand-over, in this process and with the real program:
// a later start hands its file to the running instance and ends at once; the running one
// opens it. File names are the system's bytes all the way.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>

#include "mainwindow/startup/Startup.h"
#include "platform/qt/SingleInstance.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

QString KivBinary() {
    QString dir = qEnvironmentVariable("KIV_BIN_DIR");
    if (dir.isEmpty()) dir = QCoreApplication::applicationDirPath();
    return dir + QStringLiteral("/kiv");
}

// Runs the process to its end while this one keeps handling events; the time it took. The
// time-out only guards against a hang.
qint64 RunWhileServing(QProcess& p, int timeoutMs = 30000) {
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return t.elapsed();
}

// Each test has a runtime folder of its own, so the lock and the socket it makes (and those
// of the programs it starts) meet nothing of another test run.
class HandOver : public WindowFixture {
protected:
    std::optional<std::string> oldRuntime_;
    void SetUp() override {
        WindowFixture::SetUp();
        if (const char* r = std::getenv("XDG_RUNTIME_DIR")) oldRuntime_ = r;
        const std::string run = Home() + "run/";
        MakeDirs(run);
        ::chmod(run.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    }
    void TearDown() override {
        WindowFixture::TearDown();
        if (oldRuntime_) ::setenv("XDG_RUNTIME_DIR", oldRuntime_->c_str(), 1);
        else ::unsetenv("XDG_RUNTIME_DIR");
    }
};

// A hand-over sent from another thread, as a later start sends it.
struct Sender {
    std::atomic<int> result{-1};
    std::thread thread;
    Sender(std::string path, int timeoutMs) {
        thread =
            std::thread([this, path, timeoutMs] { result = int(SendHandOver(path, timeoutMs)); });
    }
    ~Sender() { thread.join(); }
};

// The names of the files in a folder, sorted, as their bytes (Qt's listing decodes them).
std::vector<std::string> FileNames(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_type == DT_REG) names.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

template <class Done>
bool ServeUntil(Done done, int ms = 30000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Message boxes that stay up (their own event loop runs) until the user is done with them.
class SlowBoxes : public FakeDialogs {
public:
    explicit SlowBoxes(std::function<bool()> userDone) : userDone_(std::move(userDone)) {}
    int Open = 0, Shown = 0;
    bool UserDoneWhileUp = true;  // every box saw userDone before it closed
    int MessageBox(const MessageBoxRequest& request) override {
        ++Open;
        UserDoneWhileUp = ServeUntil(userDone_) && UserDoneWhileUp;
        --Open;
        ++Shown;
        return FakeDialogs::MessageBox(request);
    }

private:
    std::function<bool()> userDone_;
};

TEST_F(HandOver, ALaterStartHandsItsFileToThisWindowAndEnds) {
    ASSERT_TRUE(CheckSingleInstance(0, nullptr)) << "this test process is the first instance";
    struct Release {
        ~Release() { ReleaseSingleInstance(); }
    } release;
    HandOverReceiver receiver;
    ASSERT_TRUE(receiver.Listening());
    const std::string dir = Home() + "elsewhere/";
    MakeDirs(dir);
    MakeJoined(dir + "handed.kiv", "handed(over)");
    MakeJoined(dir + "early.kiv", "early");
    // Handed over while the window is still being made: it waits for the window.
    {
        QProcess early;
        early.start(KivBinary(), {QString::fromStdString(dir + "early.kiv")});
        ASSERT_TRUE(early.waitForStarted(30000));
        RunWhileServing(early);
        EXPECT_EQ(early.exitCode(), 0);
    }
    TForm1* f = Start();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
    receiver.SetWindow(&f->Startup());
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - early.kiv"));
    f->Datastructure().OpenLastDatastructure(2);
    ASSERT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));

    // No argument, and a file that is not there: the later start ends and nothing changes.
    for (const QStringList& args :
         {QStringList{}, QStringList{QString::fromStdString(dir + "missing.kiv")}}) {
        QProcess second;
        second.start(KivBinary(), args);
        ASSERT_TRUE(second.waitForStarted(30000));
        RunWhileServing(second);
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
    }

    // A path as the desktop passes it, with a blank in front; relative to the later start's folder.
    QProcess second;
    second.setWorkingDirectory(QString::fromStdString(dir));
    second.start(KivBinary(), {QStringLiteral(" handed.kiv")});
    ASSERT_TRUE(second.waitForStarted(30000));
    const qint64 ms = RunWhileServing(second);
    RecordProperty("SecondStartMilliseconds", int(ms));
    EXPECT_EQ(second.state(), QProcess::NotRunning) << "the later start ends";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - handed.kiv"));
    EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "handed");
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree, "\n")
        << "the one before was closed and joined";
}

TEST_F(HandOver, TwoRealInstances) {
    // A runtime folder of their own, apart from this test process.
    const std::string run = Home() + "run";
    MakeDirs(run);
    ::chmod(run.c_str(), 0700);
    const std::string home = Home() + "home/", dir = Home() + "files/";
    MakeDirs(home);
    MakeDirs(dir);
    MakeJoined(dir + "Second.kiv", "from(\"the second start\")");
    QProcessEnvironment envp = QProcessEnvironment::systemEnvironment();
    envp.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(run));
    envp.insert(QStringLiteral("KIV_HOME"), QString::fromStdString(home));
    envp.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess first;
    first.setProcessEnvironment(envp);
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(KivBinary(), {});
    ASSERT_TRUE(first.waitForStarted(30000));
    QElapsedTimer t;
    t.start();
    const QString socket = QString::fromStdString(run + "/KIV is run");
    while (!QFileInfo::exists(socket) && t.elapsed() < 30000) QThread::msleep(20);
    ASSERT_TRUE(QFileInfo::exists(socket)) << "the first instance listens";

    QProcess second;
    second.setProcessEnvironment(envp);
    second.start(KivBinary(), {QString::fromStdString(dir + "Second.kiv")});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // The first has opened it: it closes and joins it as its last datastructure.
    t.restart();
    while (!FileExists(dir + "Second.dsc") && t.elapsed() < 30000) QThread::msleep(20);
    EXPECT_TRUE(FileExists(dir + "Second.dsc")) << "split while open";
    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_FALSE(FileExists(dir + "Second.dsc"));
    EXPECT_FALSE(FileExists(home + "FirstKivDB.dsc"));
    EXPECT_EQ(ReadJoined(dir + "Second.kiv").Tree, "from\n  the second start\n");
    IniFile ini(home + "kiv.ini");
    EXPECT_EQ(ini.ReadString("LastOpened", "1", ""), dir + "Second.kiv");
    EXPECT_EQ(ini.ReadString("LastOpened", "2", ""), "||FirstKivDB.kiv");
}

}  // namespace
}  // namespace kiv::wintest

namespace kiv::wintest {
namespace {

// The box of a refused handed-over file stays up until the sender has its answer: the
// sender is answered before the open, and the window goes on when the box is closed.
TEST_F(HandOver, TheBoxOfARefusedHandedFileOutlastsTheSender) {
    TForm1* f = Start();
    HandOverReceiver receiver;
    ASSERT_TRUE(receiver.Listening());
    receiver.SetWindow(&f->Startup());
    const std::string refused = Home() + "refused.kiv", good = Home() + "good.kiv";
    WriteFileAtomic(refused, "Just some notes, not a datastructure at all.\r\n");
    MakeJoined(good, "good(one)");
    std::unique_ptr<Sender> sender;
    auto boxes = std::make_unique<SlowBoxes>([&] { return sender && sender->result >= 0; });
    SlowBoxes& box = *boxes;
    ScopedDialogs slow(std::move(boxes));
    {
        sender = std::make_unique<Sender>(refused, 30000);
        EXPECT_TRUE(ServeUntil([&] { return box.Shown == 1 && sender->result >= 0; }));
        EXPECT_EQ(sender->result, int(HandOverResult::Received));
        EXPECT_TRUE(box.UserDoneWhileUp) << "answered before the open";
        sender.reset();
    }
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_TRUE(box.Messages[0].Text.contains(QStringLiteral("was not opened")));
    EXPECT_EQ(ReadWholeFile(refused), "Just some notes, not a datastructure at all.\r\n");

    // The window goes on: the next hand-over opens.
    Sender next(good, 30000);
    EXPECT_TRUE(ServeUntil(
        [&] { return next.result >= 0 && f->windowTitle() == QStringLiteral("KIV - good.kiv"); }));
    EXPECT_EQ(next.result, int(HandOverResult::Received));
    EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "good");
    EXPECT_EQ(box.Messages.size(), 1u);
}

// A file name that is not UTF-8, on the command line and handed over: the user's own file
// opens; nothing is made under another name.
TEST_F(HandOver, ANameThatIsNotUtf8OpensTheUsersFile) {
    const std::string dir = Home() + "files/";
    MakeDirs(dir);
    const std::string latin1 = dir + "caf\xe9.kiv", other = dir + "\xc4pfel \xff.kiv";
    MakeJoined(latin1, "user(file)");
    MakeJoined(other, "handed");
    TForm1* f = Start({latin1});
    EXPECT_TRUE(Dialogs().Messages.empty());
    EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "user");
    EXPECT_TRUE(FileExists(CardFileName(latin1))) << "split while open";

    HandOverReceiver receiver;
    receiver.SetWindow(&f->Startup());
    {
        Sender sender(other, 30000);
        EXPECT_TRUE(ServeUntil([&] {
            return sender.result >= 0 && f->Panels().sgdFirst->Nester->Caption(0) == "handed";
        }));
    }
    EXPECT_FALSE(FileExists(CardFileName(latin1))) << "closed and joined";
    EXPECT_EQ(ReadJoined(latin1).Tree, "user\n  file\n");
    Stop();
    EXPECT_EQ(ReadJoined(other).Tree, "handed\n");
    EXPECT_EQ(FileNames(dir), (std::vector<std::string>{"caf\xe9.kiv", "\xc4pfel \xff.kiv"}))
        << "no file made under a decoded name";
}

// A ".kiv" file named on the command line that is not there: said so, and not made.
TEST_F(HandOver, AMissingFileOnTheCommandLineIsReportedNotMade) {
    const std::string missing = Home() + "missing.kiv";
    TForm1* f = Start({missing});
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text, QStringLiteral("The datastructure \"%1\" does not exist.")
                                              .arg(QString::fromStdString(missing)));
    EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Error);
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(FileExists(CardFileName(missing)));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"))
        << "the recent one opens instead";
    EXPECT_EQ(InterBase().IndexOfPath(missing), -1);
}

// The environment of a real start in a runtime and program folder of its own.
QProcessEnvironment StartEnvironment(const std::string& run, const std::string& home) {
    MakeDirs(run);
    ::chmod(run.c_str(), 0700);
    MakeDirs(home);
    QProcessEnvironment envp = QProcessEnvironment::systemEnvironment();
    envp.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(run));
    envp.insert(QStringLiteral("KIV_HOME"), QString::fromStdString(home));
    envp.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return envp;
}

// A folder of its own for real starts: a datastructure in it, and two starts that run in
// its runtime and program folders.
struct StartFolder {
    std::string base, file;
    QProcess one, two;
    StartFolder(const std::string& dir, const char* name, const char* tree)
        : base(dir), file(dir + name) {
        MakeDirs(base);
        MakeJoined(file, tree);
        const QProcessEnvironment envp = StartEnvironment(base + "run", base + "home/");
        one.setProcessEnvironment(envp);
        two.setProcessEnvironment(envp);
    }
};

// True once the process handles SIGTERM itself (its window is made and closes on it).
bool HandlesTerm(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// Two starts at nearly the same time, one without a file: whichever takes the lock, the
// file of the other ends up open. When the start without a file wins, the one with the file
// finds no socket yet and has to wait for it.
TEST_F(HandOver, RacingStartsOpenTheHandedFile) {
    constexpr int kTries = 20;
    int opened = 0, waitedForTheBareStart = 0;
    for (int i = 0; i < kTries; ++i) {
        SCOPED_TRACE("try " + std::to_string(i));
        StartFolder folder(Home() + "race" + std::to_string(i) + "/", "race.kiv", "raced");
        const std::string &base = folder.base, &file = folder.file;
        QProcess &bare = folder.one, &withFile = folder.two;
        bare.start(KivBinary(), {});
        QThread::msleep(unsigned(i % 4) * 3);
        withFile.start(KivBinary(), {QString::fromStdString(file)});
        ASSERT_TRUE(bare.waitForStarted(30000));
        ASSERT_TRUE(withFile.waitForStarted(30000));

        // One of them ends at once; the other stays with the file open (split while open).
        QElapsedTimer t;
        t.start();
        auto oneEnded = [&] {
            return bare.state() == QProcess::NotRunning || withFile.state() == QProcess::NotRunning;
        };
        auto ready = [&](QProcess& p) {
            return p.state() == QProcess::Running && HandlesTerm(p.processId());
        };
        while (
            (!oneEnded() || !FileExists(CardFileName(file)) || !(ready(bare) || ready(withFile))) &&
            t.elapsed() < 30000) {
            bare.waitForFinished(10);
            withFile.waitForFinished(10);
        }
        ASSERT_TRUE(oneEnded());
        QProcess& ended = bare.state() == QProcess::NotRunning ? bare : withFile;
        QProcess& running = &ended == &bare ? withFile : bare;
        EXPECT_EQ(ended.exitCode(), 0);
        ASSERT_EQ(running.state(), QProcess::Running) << "one instance stays";
        if (&running == &bare) ++waitedForTheBareStart;
        if (FileExists(CardFileName(file))) ++opened;

        ::kill(pid_t(running.processId()), SIGTERM);
        ASSERT_TRUE(running.waitForFinished(30000));
        EXPECT_EQ(running.exitCode(), 0);
        IniFile ini(base + "home/kiv.ini");
        EXPECT_EQ(ini.ReadString("LastOpened", "1", ""), file);
    }
    RecordProperty("BareStartWon", waitedForTheBareStart);
    EXPECT_EQ(opened, kTries);
}

// The real program started with a name that is not UTF-8 (QProcess could not pass its bytes).
TEST_F(HandOver, TheProgramOpensANameThatIsNotUtf8) {
    const std::string base = Home() + "bytes/", file = base + "caf\xe9.kiv";
    MakeDirs(base);
    MakeJoined(file, "user(file)");
    std::vector<std::string> envs;
    for (const QString& e : StartEnvironment(base + "run", base + "home/").toStringList())
        envs.push_back(e.toStdString());
    std::vector<char*> envp;
    for (std::string& e : envs) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string bin = KivBinary().toStdString(), arg = file;
    char* argv[] = {bin.data(), arg.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, bin.c_str(), nullptr, nullptr, argv, envp.data()), 0);
    QElapsedTimer t;
    t.start();
    while (!(FileExists(CardFileName(file)) && HandlesTerm(pid)) && t.elapsed() < 30000)
        QThread::msleep(10);
    EXPECT_TRUE(FileExists(CardFileName(file))) << "the user's file is open";
    ::kill(pid, SIGTERM);
    int status = -1;
    t.restart();
    while (::waitpid(pid, &status, WNOHANG) == 0 && t.elapsed() < 30000) QThread::msleep(10);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadJoined(file).Tree, "user\n  file\n");
    EXPECT_EQ(FileNames(base), std::vector<std::string>{"caf\xe9.kiv"})
        << "no datastructure made under a decoded name";
}

}  // namespace
}  // namespace kiv::wintest

namespace kiv::wintest {
namespace {

// A termination signal while a start-up error box is up ends the program as a close does.
TEST_F(HandOver, ATerminationDuringAStartUpBoxEndsTheProgramCleanly) {
    const std::string run = Home() + "run";
    MakeDirs(run);
    ::chmod(run.c_str(), 0700);
    const std::string home = Home() + "home/";
    MakeDirs(home);
    QProcessEnvironment envp = QProcessEnvironment::systemEnvironment();
    envp.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(run));
    envp.insert(QStringLiteral("KIV_HOME"), QString::fromStdString(home));
    envp.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess kiv;
    kiv.setProcessEnvironment(envp);
    kiv.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A named file that is not there: the start-up tells so in a box.
    kiv.start(KivBinary(), {QString::fromStdString(home + "missing.kiv")});
    ASSERT_TRUE(kiv.waitForStarted(30000));
    QElapsedTimer t;
    t.start();
    const QString socket = QString::fromStdString(run + "/KIV is run");
    while (!QFileInfo::exists(socket) && t.elapsed() < 30000) QThread::msleep(20);
    ASSERT_TRUE(QFileInfo::exists(socket));
    QThread::msleep(700);
    ::kill(pid_t(kiv.processId()), SIGTERM);
    ASSERT_TRUE(kiv.waitForFinished(30000));
    EXPECT_EQ(kiv.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(kiv.exitCode(), 0);
    EXPECT_FALSE(FileExists(home + "missing.kiv")) << "reported, not made";
    EXPECT_FALSE(FileExists(home + "FirstKivDB.dsc")) << "whatever opened is joined again";
}

}  // namespace
}  // namespace kiv::wintest

namespace kiv::wintest {
namespace {

// A first instance stopped during its start (as a loaded machine or a debugger may hold
// it): the later start waits while it lives, and the file opens once it goes on.
TEST_F(HandOver, AStoppedFirstInstanceTakesTheFileWhenItGoesOn) {
    StartFolder folder(Home() + "stopped/", "handed.kiv", "handed");
    const std::string &base = folder.base, &file = folder.file;
    QProcess &first = folder.one, &later = folder.two;
    first.start(KivBinary(), {});
    ASSERT_TRUE(first.waitForStarted(30000));
    // It holds the lock before it stops, so the later start cannot be the first.
    const std::string lock = base + "run/MYPROGRAM_CHECKEXIST";
    QElapsedTimer t;
    t.start();
    auto locked = [&] {
        const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return held;
    };
    while (!locked() && t.elapsed() < 30000) QThread::msleep(1);
    ASSERT_TRUE(locked());
    ::kill(pid_t(first.processId()), SIGSTOP);
    RecordProperty("StoppedBeforeListening",
                   int(!QFileInfo::exists(QString::fromStdString(base + "run/KIV is run"))));

    later.start(KivBinary(), {QString::fromStdString(file)});
    ASSERT_TRUE(later.waitForStarted(30000));
    EXPECT_FALSE(later.waitForFinished(5000)) << "it waits while the first is stopped";
    EXPECT_FALSE(FileExists(CardFileName(file)));
    ::kill(pid_t(first.processId()), SIGCONT);

    ASSERT_TRUE(later.waitForFinished(60000));
    EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(later.exitCode(), 0);
    t.restart();
    while (!(FileExists(CardFileName(file)) && HandlesTerm(first.processId())) &&
           t.elapsed() < 30000)
        QThread::msleep(10);
    EXPECT_TRUE(FileExists(CardFileName(file))) << "the first instance opened it";
    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(IniFile(base + "home/kiv.ini").ReadString("LastOpened", "1", ""), file);
}

// A modal window of the running instance holds the handed file: the later start has its
// answer at once, and the file opens when the window is closed.
TEST_F(HandOver, AModalWindowHoldsTheHandedFileUntilItCloses) {
    TForm1* f = Start();
    HandOverReceiver receiver;
    ASSERT_TRUE(receiver.Listening());
    receiver.SetWindow(&f->Startup());
    const std::string good = Home() + "good.kiv";
    MakeJoined(good, "good(one)");
    QDialog modal(f);
    modal.setModal(true);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);
    {
        Sender sender(good, 30000);
        EXPECT_TRUE(ServeUntil([&] { return sender.result >= 0; }));
        EXPECT_EQ(sender.result, int(HandOverResult::Received));
    }
    // Whatever the window does while the modal one is up, the file waits.
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
    modal.hide();
    EXPECT_TRUE(ServeUntil([&] { return f->windowTitle() == QStringLiteral("KIV - good.kiv"); }));
    EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "good");
}

// A running instance that never takes the file (it lives but neither listens nor answers):
// the later start gives up after its patience and names the file in a box.
TEST_F(HandOver, AFileThatCannotBeHandedOverIsNamedInABox) {
    const std::string run = std::getenv("XDG_RUNTIME_DIR");
    const int held =
        ::open((run + "MYPROGRAM_CHECKEXIST").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const std::string file = Home() + "caf\xe9 notes.kiv";
    MakeJoined(file, "notes");
    std::string a0 = "kiv", a1 = file, notHanded;
    char* argv[] = {a0.data(), a1.data(), nullptr};
    EXPECT_FALSE(CheckSingleInstance(2, argv, &notHanded, 500));
    ::close(held);
    ASSERT_EQ(notHanded, file);
    TellNotHandedOver(notHanded);
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Warning);
    EXPECT_TRUE(Dialogs().Messages[0].Text.contains(QString::fromLocal8Bit(file.c_str())))
        << Dialogs().Messages[0].Text.toStdString();
    EXPECT_TRUE(Dialogs().Messages[0].Text.contains(QStringLiteral("was not opened")));
}

}  // namespace
}  // namespace kiv::wintest

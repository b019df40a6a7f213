// The single-instance hand-over with the real program: a later start hands its file to the
// running instance and ends at once; the running one opens it.
#include <signal.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

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

// Runs the process to its end while this one keeps handling events; the time it took.
qint64 RunWhileServing(QProcess& p, int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return t.elapsed();
}

using HandOver = WindowFixture;

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
        ASSERT_TRUE(early.waitForStarted(5000));
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
    for (const QStringList& args : {QStringList{}, QStringList{QString::fromStdString(dir + "missing.kiv")}}) {
        QProcess second;
        second.start(KivBinary(), args);
        ASSERT_TRUE(second.waitForStarted(5000));
        RunWhileServing(second);
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
    }

    // A path as the desktop passes it, with a blank in front; relative to the later start's folder.
    QProcess second;
    second.setWorkingDirectory(QString::fromStdString(dir));
    second.start(KivBinary(), {QStringLiteral(" handed.kiv")});
    ASSERT_TRUE(second.waitForStarted(5000));
    const qint64 ms = RunWhileServing(second);
    RecordProperty("SecondStartMilliseconds", int(ms));
    EXPECT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_LT(ms, 1000) << "the later start ends within a second";
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - handed.kiv"));
    EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "handed");
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree, "\n") << "the one before was closed and joined";
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
    ASSERT_TRUE(first.waitForStarted(5000));
    QElapsedTimer t;
    t.start();
    const QString socket = QString::fromStdString(run + "/KIV is run");
    while (!QFileInfo::exists(socket) && t.elapsed() < 10000) QThread::msleep(20);
    ASSERT_TRUE(QFileInfo::exists(socket)) << "the first instance listens";

    QProcess second;
    second.setProcessEnvironment(envp);
    second.start(KivBinary(), {QString::fromStdString(dir + "Second.kiv")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // The first has opened it: it closes and joins it as its last datastructure.
    t.restart();
    while (!FileExists(dir + "Second.dsc") && t.elapsed() < 10000) QThread::msleep(20);
    EXPECT_TRUE(FileExists(dir + "Second.dsc")) << "split while open";
    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
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

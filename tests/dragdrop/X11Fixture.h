#pragma once
// A real X server for the tests that need one: Xvfb on a free display of its own, started
// once per test program and stopped at its end. Tests skip with a message when Xvfb is not
// installed. Child programs run under xcb there.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "tests/X11Geometry.h"
#include "tests/XvfbServer.h"

namespace kiv::test {

class X11Fixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) return;
        runtime_ = std::make_unique<QTemporaryDir>();
        server_ = std::make_unique<XvfbServer>();
        up_ = server_->Start();
    }
    static void TearDownTestSuite() {
        server_.reset();
        runtime_.reset();
    }
    static QString Display() { return server_ ? server_->Display() : QString(); }
    void SetUp() override {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty())
            GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps installs it)";
        ASSERT_TRUE(up_) << "Xvfb did not start";
        ASSERT_FALSE(QStandardPaths::findExecutable("xclip").isEmpty())
            << "xclip is missing; run scripts/install-deps";
        kivclip_ = qEnvironmentVariable("KIV_BIN_DIR", QCoreApplication::applicationDirPath()) +
                   "/kivclip";
        ASSERT_TRUE(QFileInfo::exists(kivclip_)) << kivclip_.toStdString();
    }
    void TearDown() override {
        for (auto& p : children_)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
    }

    QProcess& Start(const QString& program, const QStringList& args) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", Display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_RUNTIME_DIR", runtime_->path());
        p->setProcessEnvironment(env);
        p->start(program, args);
        EXPECT_TRUE(p->waitForStarted(30000)) << program.toStdString();
        children_.push_back(std::move(p));
        return *children_.back();
    }
    // Runs a program to its end and gives its output as UTF-8.
    QString Run(const QString& program, const QStringList& args) {
        QProcess& p = Start(program, args);
        EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    void WaitForReady(QProcess& p) {
        QByteArray out;
        while (!out.contains("ready\n") && p.waitForReadyRead(30000))
            out += p.readAllStandardOutput();
        ASSERT_TRUE(out.contains("ready\n")) << p.readAllStandardError().toStdString();
    }
    // Starts openbox and waits until it manages the screen (it names itself on the root
    // window), so the windows of the test are placed and decorated by it.
    void StartWindowManager() {
        Start("openbox", {"--sm-disable"});
        EXPECT_TRUE(PollUntil([&] {
            return Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
        })) << "openbox did not come up";
    }
    // The id of the first shown window with exactly that title, waiting for it; empty when
    // none came.
    QString WindowId(const QString& title) {
        QString id;
        PollUntil([&] {
            id = Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})
                     .trimmed()
                     .section('\n', 0, 0);
            return !id.isEmpty();
        });
        return id;
    }
    // Where the window is on the screen now, as the X server has it.
    QRect Geometry(const QString& id) {
        return ParseXdoGeometry(Run("xdotool", {"getwindowgeometry", id}));
    }
    // Presses in the middle of one window, moves in steps over the middle of another and
    // lets go there.
    void DragBetween(const QRect& from, const QRect& to) {
        const QPoint a = from.center(), b = to.center();
        Run("xdotool", {"mousemove", QString::number(a.x()), QString::number(a.y())});
        Run("xdotool", {"mousedown", "1"});
        QThread::msleep(200);
        for (int step = 1; step <= 10; ++step) {
            const QPoint p = a + (b - a) * step / 10;
            Run("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y())});
            QThread::msleep(50);
        }
        QThread::msleep(200);
        Run("xdotool", {"mouseup", "1"});
    }

    QString kivclip_;
    std::vector<std::unique_ptr<QProcess>> children_;
    static inline std::unique_ptr<XvfbServer> server_;
    static inline std::unique_ptr<QTemporaryDir> runtime_;
    static inline bool up_ = false;
};

}  // namespace kiv::test

#pragma once
// The program itself on a real X server with a window manager: started as a user starts
// it, driven with xdotool, and its files read back with kivtree.
#include <signal.h>

#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <string>

#include "tests/dragdrop/X11Fixture.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::test {

class X11Program : public X11Fixture {
protected:
    void SetUp() override {
        X11Fixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const char* tool : {"openbox", "xdotool"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty())
                << tool << " is missing; run scripts/install-deps";
        bin_ = QFileInfo(kivclip_).absolutePath();
        ASSERT_TRUE(QFileInfo::exists(Kiv())) << Kiv().toStdString();
        Start("openbox", {"--sm-disable"});
        QThread::msleep(500);
    }

    QString Kiv() const { return bin_ + "/kiv"; }
    // The id of the first shown window with the title, waiting up to ten seconds for it.
    QString WindowId(const QString& title, int tries = 100) {
        for (int i = 0; i < tries; ++i) {
            const QString ids =
                Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"}).trimmed();
            if (!ids.isEmpty()) return ids.split('\n').first();
            QThread::msleep(100);
        }
        return {};
    }
    bool Shown(const QString& title) { return !WindowId(title, 3).isEmpty(); }
    void Keys(const QStringList& keys) {
        Run("xdotool", QStringList{"key", "--delay", "150"} + keys);
        QThread::msleep(500);
    }
    void Type(const QString& text) {
        Run("xdotool", {"type", "--delay", "60", text});
        QThread::msleep(300);
    }
    void Activate(const QString& id) {
        Run("xdotool", {"windowactivate", "--sync", id});
        QThread::msleep(300);
    }
    void Stop(QProcess& kiv) {
        ::kill(pid_t(kiv.processId()), SIGTERM);
        ASSERT_TRUE(kiv.waitForFinished(15000));
    }
    // kivtree dump of a closed datastructure, with "--cards" or "--marks" when asked.
    std::string Dump(const std::string& path, const QString& form = {}) {
        QStringList args{"dump"};
        if (!form.isEmpty()) args << form;
        args << QString::fromStdString(path);
        return Run(bin_ + "/kivtree", args).toStdString();
    }

    QString bin_;
    TestEnvironment env;
};

}  // namespace kiv::test

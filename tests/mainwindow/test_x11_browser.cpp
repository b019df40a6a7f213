// The program itself on a real X server with a window manager (openbox), with automatic
// viewing switched on from the Launch menu: moving onto a topic whose one link is a page
// on loopback shows it in the window's browser (the engine loaded then, not at start), the
// page's title in the window caption;
// moving onto a topic whose link is an executable script starts nothing.
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/TestHarness.h"
#include "tests/dragdrop/X11Fixture.h"
#include "tests/mainwindow/LoopbackHttp.h"

namespace {

class X11Browser : public kiv::test::X11Fixture {
protected:
    void SetUp() override {
#ifndef KIV_WEBENGINE
        GTEST_SKIP() << "built without Qt WebEngine (the sanitizer build leaves it out: its "
                        "Chromium trips AddressSanitizer at start)";
#endif
        X11Fixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const char* tool : {"openbox", "xdotool", "python3"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty())
                << tool << " is missing; run scripts/install-deps";
        bin_ = QFileInfo(kivclip_).absolutePath();
        ASSERT_TRUE(QFileInfo::exists(bin_ + "/kiv"));
        Start("openbox", {"--sm-disable"});
        QThread::msleep(500);
    }

    // Runs kivtree with the input on its standard input.
    void KivTree(const QStringList& args, const QByteArray& input = {}) {
        QProcess p;
        p.start(bin_ + "/kivtree", args);
        ASSERT_TRUE(p.waitForStarted(5000));
        p.write(input);
        p.closeWriteChannel();
        ASSERT_TRUE(p.waitForFinished(20000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }

    // Whether a visible window has exactly that title, within the time.
    bool WindowTitled(const QString& title, int ms) {
        QElapsedTimer t;
        t.start();
        do {
            if (!Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})
                     .trimmed()
                     .isEmpty())
                return true;
            QThread::msleep(100);
        } while (t.elapsed() < ms);
        return false;
    }

    void Click(const QPoint& at) {
        Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y())});
        Run("xdotool", {"click", "1"});
    }
    // A row of the first panel where the program reports it, in a report written after the
    // moment given (the layout may have changed before it), waiting for the report.
    QPoint FirstPanelRow(int row, const QDateTime& writtenAfter = {}) {
        QRect r;
        kiv::test::PollUntil(
            [&] {
                if (writtenAfter.isValid() && QFileInfo(geometry_).lastModified() <= writtenAfter)
                    return false;
                r = kiv::test::ReportedGeometry(geometry_, "sgdFirst/row" + QString::number(row));
                return !r.isEmpty();
            },
            30000);
        EXPECT_FALSE(r.isEmpty()) << "row " << row << " is not in the geometry report";
        return r.center();
    }

    // The program, reporting where its widgets are on the screen (geometry_).
    QProcess& StartProgram() {
        qputenv("KIV_REPORT_GEOMETRY", geometry_.toLocal8Bit());
        QProcess& p = Start(bin_ + "/kiv", {});
        qunsetenv("KIV_REPORT_GEOMETRY");
        return p;
    }
    // The program's main window once it is shown, made active; empty when it did not come.
    QString ActiveMainWindow() {
        if (!WindowTitled("KIV - FirstKivDB.kiv", 15000)) return {};
        const QString window =
            Run("xdotool", {"search", "--onlyvisible", "--name", "^KIV - FirstKivDB.kiv$"})
                .trimmed();
        Run("xdotool", {"windowactivate", "--sync", window});
        return window;
    }

    QString bin_;
    kiv::TestEnvironment env;
    QString geometry_ = QString::fromStdString(env.Dir() + "geometry");
};

TEST_F(X11Browser, AutoviewShowsTheLoopbackPageAndStartsNoScript) {
    const std::string home = env.Dir();
    kiv::MakeDirs(home + "web/");
    kiv::WriteFileAtomic(home + "web/page.html",
                         "<html><head><title>Loopback Page</title></head>"
                         "<body><h1>Hello from loopback</h1></body></html>");
    kiv::test::LoopbackHttp http;
    ASSERT_TRUE(http.Start(QString::fromStdString(home + "web")));
    const QString marker = QString::fromStdString(home + "marker");
    const std::string script = home + "run.sh";
    kiv::WriteFileAtomic(script, "#!/bin/sh\ntouch '" + marker.toStdString() + "'\n");
    QFile::setPermissions(QString::fromStdString(script),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const QString db = QString::fromStdString(home + "FirstKivDB.kiv");
    KivTree({"make", db, "start web script"});
    KivTree({"setcard", db, "1", "4"}, (http.Url("page.html") + "\x01Loopback\r\n").toUtf8());
    KivTree({"setcard", db, "2", "4"}, QByteArray::fromStdString(script + "\x01run\r\n"));
    KivTree({"pack", db});

    QProcess& kiv = StartProgram();
    const QString window = ActiveMainWindow();
    ASSERT_FALSE(window.isEmpty()) << kiv.readAllStandardError().toStdString();
    // Launch > Autoview in Internal Browser, the menu's first item.
    Run("xdotool", {"key", "--window", window, "alt+l"});
    QThread::msleep(400);
    Run("xdotool", {"key", "--window", window, "Return"});
    QThread::msleep(300);

    // The engine is loaded by the first page, not at start.
    auto engineMapped = [&kiv] {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(kiv.processId()));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
    };
    EXPECT_FALSE(engineMapped()) << "the program started without the browser engine";

    // The first panel's rows "start", "web", "script", where the program has them.
    Click(FirstPanelRow(1));
    EXPECT_TRUE(WindowTitled("KIV:> Loopback Page", 20000))
        << "the page's title in the caption within the delay and the load";
    EXPECT_TRUE(engineMapped());

    Click(FirstPanelRow(2, QDateTime::currentDateTime()));
    EXPECT_TRUE(WindowTitled("KIV - FirstKivDB.kiv", 30000)) << "the browser pane closed";
    QThread::msleep(1500);
    EXPECT_FALSE(QFile::exists(marker)) << "the script was not started";
    EXPECT_EQ(kiv.state(), QProcess::Running);
}

TEST_F(X11Browser, AnAddressTypedIntoTheBoxAndReturnLoadsThePageOnce) {
    const std::string home = env.Dir();
    kiv::MakeDirs(home + "web/");
    kiv::WriteFileAtomic(home + "web/page.html",
                         "<html><head><title>Typed Page</title></head><body>one</body></html>");
    kiv::WriteFileAtomic(home + "web/next.html",
                         "<html><head><title>Next Page</title></head><body>two</body></html>");
    kiv::test::LoopbackHttp http;
    ASSERT_TRUE(http.Start(QString::fromStdString(home + "web")));
    const QString db = QString::fromStdString(home + "FirstKivDB.kiv");
    KivTree({"make", db, "a b"});
    KivTree({"pack", db});

    QProcess& kiv = StartProgram();
    const QString window = ActiveMainWindow();
    ASSERT_FALSE(window.isEmpty()) << kiv.readAllStandardError().toStdString();
    const QDateTime beforeBar = QDateTime::currentDateTime();
    Run("xdotool", {"key", "ctrl+shift+b"});
    // The box where the program reports it once the bar is shown: a click gives it the focus.
    QRect shown;
    kiv::test::PollUntil(
        [&] {
            if (QFileInfo(geometry_).lastModified() <= beforeBar) return false;
            shown = kiv::test::ReportedGeometry(geometry_, "cbxBrowser");
            return !shown.isEmpty();
        },
        30000);
    ASSERT_FALSE(shown.isEmpty()) << "the address box is not in the geometry report";
    const QPoint box = shown.center();
    // Two addresses one after the other: the second is typed only once the first page is
    // on show, so a second load of the first would have been asked for before it.
    const struct {
        QString page, title;
    } loads[] = {{"page.html", "Typed Page"}, {"next.html", "Next Page"}};
    for (const auto& load : loads) {
        Click(box);
        Run("xdotool", {"key", "ctrl+a"});
        Run("xdotool", {"type", "--delay", "20", http.Url(load.page)});
        Run("xdotool", {"key", "Return"});
        EXPECT_TRUE(WindowTitled("KIV:> " + load.title, 30000))
            << "the caption names the page: " << load.title.toStdString();
    }
    EXPECT_EQ(http.Requests("GET", "page.html"), 1) << "one Return, one load";
    EXPECT_EQ(http.Requests("GET", "next.html"), 1);
    EXPECT_EQ(kiv.state(), QProcess::Running);
}

}  // namespace

// The program itself on a real X server with a window manager (openbox): the collector
// comes up on top with the stay-on-top state, and a text dragged from another program onto
// it lands in the text bin, which the close stores with the datastructure.
#include <signal.h>

#include <QRegularExpression>

#include "engine/core/Cards.h"
#include "tests/dragdrop/X11Fixture.h"
#include "tests/mainwindow/WindowFixture.h"

namespace {

class X11Collector : public kiv::test::X11Fixture {
protected:
    void SetUp() override {
        X11Fixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const char* tool : {"openbox", "xdotool", "xprop"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty())
                << tool << " is missing; run scripts/install-deps";
        kiv_ = QFileInfo(kivclip_).absolutePath() + "/kiv";
        ASSERT_TRUE(QFileInfo::exists(kiv_)) << kiv_.toStdString();
        Start("openbox", {"--sm-disable"});
        QThread::msleep(500);
    }

    // The id of the first window with the title, waiting for it to be mapped.
    QString WindowId(const QString& title) {
        for (int i = 0; i < 100; ++i) {
            const QString ids =
                Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"}).trimmed();
            if (!ids.isEmpty()) return ids.split('\n').first();
            QThread::msleep(100);
        }
        return {};
    }

    QString kiv_;
    // The program folder of the program under test (KIV_HOME, which it inherits).
    kiv::TestEnvironment env;
};

}  // namespace

TEST_F(X11Collector, ShowsOnTopAndTakesATextDraggedFromAnotherProgram) {
    QProcess& kiv = Start(kiv_, {});
    const QString collector = WindowId("KIV is run");
    ASSERT_FALSE(collector.isEmpty()) << kiv.readAllStandardError().toStdString();
    ASSERT_FALSE(WindowId("KIV - FirstKivDB.kiv").isEmpty())
        << "the collector's show shows the main window";

    const QString state = Run("xprop", {"-id", collector, "_NET_WM_STATE"});
    EXPECT_TRUE(state.contains("_NET_WM_STATE_ABOVE")) << state.toStdString();
    const QString geometry = Run("xdotool", {"getwindowgeometry", collector});
    EXPECT_TRUE(geometry.contains("Geometry: 42x42")) << geometry.toStdString();

    Run("xdotool", {"windowmove", collector, "300", "400"});
    // A double click on the picture hides the main window (no task bar entry, no window);
    // the program goes on, and the next double click brings it back.
    const QString mainId = WindowId("KIV - FirstKivDB.kiv");
    auto doubleClick = [&] {
        Run("xdotool", {"mousemove", "320", "420"});
        Run("xdotool", {"click", "--repeat", "2", "--delay", "80", "1"});
        QThread::msleep(500);
    };
    doubleClick();
    EXPECT_TRUE(Run("xdotool", {"search", "--onlyvisible", "--name", "^KIV - FirstKivDB.kiv$"})
                    .trimmed()
                    .isEmpty())
        << "the main window is hidden";
    EXPECT_EQ(kiv.state(), QProcess::Running);
    doubleClick();
    EXPECT_EQ(WindowId("KIV - FirstKivDB.kiv"), mainId) << "and shown again";

    // Another program's window, over the main window; the collector stays above it.
    const QString text = QString::fromUtf8("dropped on the sw\xC3\xA4llow");
    QProcess& offer = Start(kivclip_, {"offer", text});
    WaitForReady(offer);
    Run("xdotool", {"mousemove", "500", "100"});
    Run("xdotool", {"mousedown", "1"});
    QThread::msleep(200);
    for (int step = 1; step <= 10; ++step) {
        Run("xdotool",
            {"mousemove", QString::number(500 - step * 18), QString::number(100 + step * 32)});
        QThread::msleep(60);
    }
    Run("xdotool", {"mousemove", "320", "421"});
    QThread::msleep(300);
    Run("xdotool", {"mouseup", "1"});
    ASSERT_TRUE(offer.waitForFinished(10000));
    EXPECT_TRUE(QString::fromUtf8(offer.readAllStandardOutput()).contains("dropped 1"))
        << "the collector took a copy";

    // The close stores the text bin with the datastructure.
    ::kill(pid_t(kiv.processId()), SIGTERM);
    ASSERT_TRUE(kiv.waitForFinished(15000));
    const std::string stored = kiv::wintest::ReadJoined(env.Dir() + "FirstKivDB.kiv").TextBinCard;
    const std::string expected =
        "\r\n\r\n============================\r\n" + std::string("dropped on the sw\xE4llow");
    EXPECT_NE(stored.find(expected), std::string::npos) << stored;
}

// A first start puts the collector 50 pixels below the top and 50 pixels left of the main
// window's right edge, off the menu bar; where the user drags it is where the next start
// puts it.
TEST_F(X11Collector, StandsBesideTheMenuBarAndComesBackWhereItWasDragged) {
    auto position = [&](const QString& id) {
        const QRegularExpressionMatch m = QRegularExpression("Position: (\\d+),(\\d+)")
                                              .match(Run("xdotool", {"getwindowgeometry", id}));
        return m.hasMatch() ? QPoint(m.captured(1).toInt(), m.captured(2).toInt()) : QPoint(-1, -1);
    };
    QProcess* kiv = &Start(kiv_, {});
    QString collector = WindowId("KIV is run");
    ASSERT_FALSE(collector.isEmpty()) << kiv->readAllStandardError().toStdString();
    const QString mainId = WindowId("KIV - FirstKivDB.kiv");
    ASSERT_FALSE(mainId.isEmpty());
    QThread::msleep(300);
    // The main window fills the screen (1024 wide, no panels under openbox).
    EXPECT_EQ(position(collector), QPoint(1024 - 42 - 50, 50));

    // Dragged by its picture.
    Run("xdotool", {"mousemove", "953", "71"});
    Run("xdotool", {"mousedown", "1"});
    for (int step = 1; step <= 10; ++step) {
        Run("xdotool",
            {"mousemove", QString::number(953 - step * 35), QString::number(71 + step * 25)});
        QThread::msleep(40);
    }
    Run("xdotool", {"mouseup", "1"});
    QThread::msleep(200);
    const QPoint dragged = position(collector);
    EXPECT_EQ(dragged, QPoint(932 - 350, 50 + 250));

    ::kill(pid_t(kiv->processId()), SIGTERM);
    ASSERT_TRUE(kiv->waitForFinished(15000));
    const QString ini =
        QString::fromUtf8(QByteArray::fromStdString(kiv::ReadWholeFile(env.Dir() + "kiv.ini")));
    EXPECT_TRUE(ini.contains(QStringLiteral("CollectorW_Left=%1\r\n").arg(dragged.x())))
        << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("CollectorW_Top=%1\r\n").arg(dragged.y())))
        << ini.toStdString();

    kiv = &Start(kiv_, {});
    QThread::msleep(300);
    collector = WindowId("KIV is run");
    ASSERT_FALSE(collector.isEmpty()) << kiv->readAllStandardError().toStdString();
    ASSERT_FALSE(WindowId("KIV - FirstKivDB.kiv").isEmpty());
    QThread::msleep(300);
    EXPECT_EQ(position(collector), dragged) << "back where it was dragged";
    ::kill(pid_t(kiv->processId()), SIGTERM);
    ASSERT_TRUE(kiv->waitForFinished(15000));
}

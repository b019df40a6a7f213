// The program itself on a real X server with a window manager (openbox): the collector
// comes up on top with the stay-on-top state, and a text dragged from another program onto
// it lands in the text bin, which the close stores with the datastructure.
#include <signal.h>

#include "engine/core/Cards.h"
#include "tests/dragdrop/X11Fixture.h"
#include "tests/mainwindow/WindowFixture.h"

namespace {

using kiv::test::PollUntil;

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
        StartWindowManager();
    }

    bool Shown(const QString& title) {
        return !Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})
                    .trimmed()
                    .isEmpty();
    }
    void ClickTwice(const QPoint& at) {
        Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y())});
        Run("xdotool", {"click", "--repeat", "2", "--delay", "80", "1"});
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
    PollUntil([&] { return Geometry(collector).topLeft() == QPoint(300, 400); });
    // A double click on the picture hides the main window (no task bar entry, no window);
    // the program goes on, and the next double click brings it back.
    const QString mainId = WindowId("KIV - FirstKivDB.kiv");
    ClickTwice(Geometry(collector).center());
    EXPECT_TRUE(PollUntil([&] { return !Shown("KIV - FirstKivDB.kiv"); }))
        << "the main window is hidden";
    EXPECT_EQ(kiv.state(), QProcess::Running);
    ClickTwice(Geometry(collector).center());
    EXPECT_EQ(WindowId("KIV - FirstKivDB.kiv"), mainId) << "and shown again";

    // Another program's window, over the main window; the collector stays above it.
    const QString text = QString::fromUtf8("dropped on the sw\xC3\xA4llow");
    QProcess& offer = Start(kivclip_, {"offer", text});
    WaitForReady(offer);
    const QString offerId = WindowId("kivclip offer");
    ASSERT_FALSE(offerId.isEmpty());
    DragBetween(Geometry(offerId), Geometry(collector));
    ASSERT_TRUE(offer.waitForFinished(30000));
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
    auto position = [&](const QString& id) { return Geometry(id).topLeft(); };
    QProcess* kiv = &Start(kiv_, {});
    QString collector = WindowId("KIV is run");
    ASSERT_FALSE(collector.isEmpty()) << kiv->readAllStandardError().toStdString();
    const QString mainId = WindowId("KIV - FirstKivDB.kiv");
    ASSERT_FALSE(mainId.isEmpty());
    // The main window fills the screen (1024 wide, no panels under openbox).
    const QPoint first(1024 - 42 - 50, 50);
    PollUntil([&] { return position(collector) == first; });
    EXPECT_EQ(position(collector), first);

    // Dragged by its picture, wherever it stands.
    const QPoint grip = Geometry(collector).center(), by(-350, 250);
    Run("xdotool", {"mousemove", QString::number(grip.x()), QString::number(grip.y())});
    Run("xdotool", {"mousedown", "1"});
    for (int step = 1; step <= 10; ++step) {
        const QPoint p = grip + by * step / 10;
        Run("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y())});
        QThread::msleep(40);
    }
    Run("xdotool", {"mouseup", "1"});
    const QPoint expected = first + by;
    PollUntil([&] { return position(collector) == expected; });
    const QPoint dragged = position(collector);
    EXPECT_EQ(dragged, expected);

    ::kill(pid_t(kiv->processId()), SIGTERM);
    ASSERT_TRUE(kiv->waitForFinished(15000));
    const QString ini =
        QString::fromUtf8(QByteArray::fromStdString(kiv::ReadWholeFile(env.Dir() + "kiv.ini")));
    EXPECT_TRUE(ini.contains(QStringLiteral("CollectorW_Left=%1\r\n").arg(dragged.x())))
        << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("CollectorW_Top=%1\r\n").arg(dragged.y())))
        << ini.toStdString();

    kiv = &Start(kiv_, {});
    collector = WindowId("KIV is run");
    ASSERT_FALSE(collector.isEmpty()) << kiv->readAllStandardError().toStdString();
    ASSERT_FALSE(WindowId("KIV - FirstKivDB.kiv").isEmpty());
    PollUntil([&] { return position(collector) == dragged; });
    EXPECT_EQ(position(collector), dragged) << "back where it was dragged";
    ::kill(pid_t(kiv->processId()), SIGTERM);
    ASSERT_TRUE(kiv->waitForFinished(15000));
}

// A drag from another program onto a widget of ours, on a real X server: kivclip's "offer"
// window drags a file and a text with plain Qt, xdotool moves the pointer, and kivclip's
// "target" window, registered with our combo target, reports what the drop brought.
#include "tests/dragdrop/X11Fixture.h"

namespace {

class X11Drag : public kiv::test::X11Fixture {
protected:
    // Presses in the dragging window (400..600), moves over the target's (0..300) and lets go.
    void DragAcross() {
        Run("xdotool", {"mousemove", "500", "100"});
        Run("xdotool", {"mousedown", "1"});
        QThread::msleep(200);
        for (int x = 480; x >= 150; x -= 30) {
            Run("xdotool", {"mousemove", QString::number(x), "120"});
            QThread::msleep(50);
        }
        QThread::msleep(200);
        Run("xdotool", {"mouseup", "1"});
    }
    void SetUp() override {
        X11Fixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_FALSE(QStandardPaths::findExecutable("xdotool").isEmpty()) << "xdotool is missing; run scripts/install-deps";
    }
};

}  // namespace

TEST_F(X11Drag, FilesAndTextFromAnotherProgram) {
    const QString text = QString::fromUtf8("h\xC3\xA9llo w\xC3\xB6rld");
    QProcess& target = Start(kivclip_, {"target"});
    QProcess& offer = Start(kivclip_, {"offer", "/tmp/a b.txt", text});
    WaitForReady(target);
    WaitForReady(offer);
    DragAcross();
    ASSERT_TRUE(target.waitForFinished(10000)) << "no drop arrived";
    const QString report = QString::fromUtf8(target.readAllStandardOutput());
    EXPECT_TRUE(report.contains("files=/tmp/a b.txt\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("text=" + text + "\n")) << report.toStdString();
    EXPECT_TRUE(offer.waitForFinished(10000));
    EXPECT_TRUE(QString::fromUtf8(offer.readAllStandardOutput()).contains("dropped 1")) << "the other program saw a copy";
}

TEST_F(X11Drag, OurLinkWithItsTitleReachesAnotherProcess) {
    const QString title = QString::fromUtf8("K\xC3\xB6ln: Dom");
    QProcess& target = Start(kivclip_, {"target"});
    QProcess& link = Start(kivclip_, {"link", "http://kiv.example/dom", title});
    WaitForReady(target);
    WaitForReady(link);
    DragAcross();
    ASSERT_TRUE(target.waitForFinished(10000)) << "no drop arrived";
    const QString report = QString::fromUtf8(target.readAllStandardOutput());
    EXPECT_TRUE(report.contains("url=http://kiv.example/dom\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("title=" + title + "\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("text=http://kiv.example/dom\n")) << report.toStdString();
    ASSERT_TRUE(link.waitForFinished(10000));
    // A copy (the target takes copy and link, and copy comes first without keys).
    EXPECT_TRUE(QString::fromUtf8(link.readAllStandardOutput()).contains("result=0")) << "the source saw a copy";
}

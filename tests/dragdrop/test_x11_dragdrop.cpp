// A drag from another program onto a widget of ours, on a real X server: kivclip's "offer"
// window drags a file and a text with plain Qt, xdotool moves the pointer, and kivclip's
// "target" window, registered with our combo target, reports what the drop brought.
#include "tests/dragdrop/X11Fixture.h"

namespace {

using X11Drag = kiv::test::X11Fixture;

}  // namespace

TEST_F(X11Drag, FilesAndTextFromAnotherProgram) {
    ASSERT_FALSE(QStandardPaths::findExecutable("xdotool").isEmpty()) << "xdotool is missing; run scripts/install-deps";
    const QString text = QString::fromUtf8("h\xC3\xA9llo w\xC3\xB6rld");
    QProcess& target = Start(kivclip_, {"target"});
    QProcess& offer = Start(kivclip_, {"offer", "/tmp/a b.txt", text});
    WaitForReady(target);
    WaitForReady(offer);
    // Press in the offering window (400..600), then move over ours (0..300) and let go.
    Run("xdotool", {"mousemove", "500", "100"});
    Run("xdotool", {"mousedown", "1"});
    QThread::msleep(200);
    for (int x = 480; x >= 150; x -= 30) {
        Run("xdotool", {"mousemove", QString::number(x), "120"});
        QThread::msleep(50);
    }
    QThread::msleep(200);
    Run("xdotool", {"mouseup", "1"});
    ASSERT_TRUE(target.waitForFinished(10000)) << "no drop arrived";
    const QString report = QString::fromUtf8(target.readAllStandardOutput());
    EXPECT_TRUE(report.contains("files=/tmp/a b.txt\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("text=" + text + "\n")) << report.toStdString();
    EXPECT_TRUE(offer.waitForFinished(10000));
    EXPECT_TRUE(QString::fromUtf8(offer.readAllStandardOutput()).contains("dropped 1")) << "the other program saw a copy";
}

// The program itself on a real X server with a window manager: the arrow keys move through
// a datastructure (the text card and the navigation path follow, and the Threads keep where
// the user stood), the navigation path's arrow buttons move as the keys do, Ctrl+Ins works
// from the caption editor, and a held key runs a once-per-press command once a hold.
#include <QImage>

#include "engine/core/TreeText.h"
#include "tests/mainwindow/X11Program.h"

namespace {

class X11Keyboard : public kiv::test::X11Program {
protected:
    // The program on "FirstKivDB.kiv" made from the tree, its window active.
    QProcess& StartOn(std::string_view tree, const std::string& textOfSecond) {
        const std::string path = Path();
        kiv::MakeTreePair(path, tree);
        kiv::StoreTrailCardPair(path, "1", 2, textOfSecond);
        kiv::PackDatastructure(path);
        QProcess& kiv = Start(Kiv(), {});
        const QString id = WindowId("KIV - FirstKivDB.kiv");
        EXPECT_FALSE(id.isEmpty()) << kiv.readAllStandardError().toStdString();
        Activate(id);
        return kiv;
    }
    std::string Path() const { return env.Dir() + "FirstKivDB.kiv"; }
    QImage Screen() {
        const QString file = QString::fromStdString(env.Dir() + "screen.png");
        Run("import", {"-window", "root", file});
        return QImage(file);
    }
    // The centres of the navigation path's four arrow buttons (back, forth, up, down), found
    // on the screen: the glyphs are the first dark marks under the path's grey strip.
    std::vector<QPoint> ArrowButtons(const QImage& screen) {
        const auto grey = [&](int x, int y) { return qGray(screen.pixel(x, y)) < 200; };
        const auto dark = [&](int x, int y) { return qGray(screen.pixel(x, y)) < 128; };
        // The lowest grey band across the window, at least ten rows high (frames are lines).
        int strip = -1, run = 0;
        for (int y = 0; y < screen.height(); ++y) {
            run = grey(5, y) && grey(screen.width() / 2, y) ? run + 1 : 0;
            if (run >= 10) strip = y;
        }
        std::vector<QPoint> found;
        for (int y = strip + 1; y < screen.height() && found.empty(); ++y) {
            int from = -1;
            for (int x = 0; x < 170; ++x) {
                if (dark(x, y) && from < 0) from = x;
                if (!dark(x, y) && from >= 0) {
                    found.emplace_back((from + x) / 2, y + 2);
                    from = -1;
                }
            }
            if (found.size() != 4) found.clear();
        }
        return found;
    }
};

TEST_F(X11Keyboard, ArrowKeysAndTheArrowButtonsMoveThroughTheDatastructure) {
    {
        QProcess& kiv = StartOn("a(a1) b(b1 b2) c", "text of b");
        // Down to "b", Right into the second panel ("b1"), Down to "b2".
        Keys({"Down", "Right", "Down"});
        Stop(kiv);
    }
    EXPECT_EQ(Dump(Path(), "--marks"), "Threads\n  0. b / b2\nQuickJumps\n");
    {
        QProcess& kiv = Start(Kiv(), {});
        ASSERT_FALSE(WindowId("KIV - FirstKivDB.kiv").isEmpty());
        Activate(WindowId("KIV - FirstKivDB.kiv"));
        const QImage before = Screen();
        const std::vector<QPoint> arrows = ArrowButtons(before);
        ASSERT_EQ(arrows.size(), 4u) << "the arrow buttons are not on the screen";
        // Up, as the key: from "b2" to "b1".
        Run("xdotool", {"mousemove", QString::number(arrows[2].x()), QString::number(arrows[2].y()),
                        "click", "1"});
        QThread::msleep(500);
        Stop(kiv);
    }
    EXPECT_EQ(Dump(Path(), "--marks"), "Threads\n  0. b / b1\nQuickJumps\n");
}

TEST_F(X11Keyboard, CtrlInsInTheCaptionEditorInsertsBeforeTheTopicEdited) {
    QProcess& kiv = StartOn("a b", "text");
    // Down to "b", Return for the caption editor, "2" after its caption, then Insert
    // Before, a caption for the new topic, and Esc.
    Keys({"Down", "Return", "End", "2", "ctrl+Insert", "n", "Escape"});
    Run("xdotool", {"key", "--delay", "150", "alt+f", "Up", "Return"});
    ASSERT_TRUE(kiv.waitForFinished(30000)) << "the program did not end";
    EXPECT_EQ(Dump(Path()), "a\nn\nb2\n");
}

// A key held as a user holds it: down, several repeats of the server's own, up. The
// server repeats soon and often on this display, so the hold spans many repeats however
// busy the machine is. Each hold runs its command once.
class X11HeldKeys : public X11Keyboard {
protected:
    void SetUp() override {
        X11Keyboard::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_FALSE(QStandardPaths::findExecutable("xset").isEmpty())
            << "xset is missing; run scripts/install-deps";
        // 150 ms before the first repeat, then 40 a second.
        Run("xset", {"r", "rate", "150", "40"});
    }
    void Hold(const QString& keys, int times) {
        for (int i = 0; i < times; ++i) {
            Run("xdotool", {"keydown", keys});
            QThread::msleep(1200);
            // The key itself comes up first, then its modifiers.
            const QStringList parts = keys.split('+');
            Run("xdotool", {"keyup", parts.last()});
            if (parts.size() > 1)
                Run("xdotool", {"keyup", parts.mid(0, parts.size() - 1).join('+')});
            QThread::msleep(300);
        }
    }
    // File > Exit from the keyboard: the program ends after every key before it was
    // handled, and it stores its files on the way.
    void ExitAfterTheKeys(QProcess& kiv) {
        Run("xdotool", {"key", "--delay", "150", "alt+f", "Up", "Return"});
        ASSERT_TRUE(kiv.waitForFinished(30000)) << "the program did not end";
    }
};

TEST_F(X11HeldKeys, AHeldDelDeletesOneTopicAHold) {
    // In the first panel, and in the second (Right moves there) with branches.
    const struct {
        const char* tree;
        QStringList keys;
        const char* left;
    } cases[] = {{"a(a1) b(b1) c d e f g", {}, "f\ng\n"},
                 {"p(a(a1) b(b1) c d e f g) q", {"Right"}, "p\n  f\n  g\nq\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tree);
        QProcess& kiv = StartOn(c.tree, "text");
        if (!c.keys.isEmpty()) Keys(c.keys);
        Hold("Delete", 5);
        ExitAfterTheKeys(kiv);
        EXPECT_EQ(Dump(Path()), c.left) << "five holds, five topics";
    }
}

TEST_F(X11HeldKeys, AHeldDownOnTheLastRowInsertsOneTopicAHold) {
    QProcess& kiv = StartOn("a b", "");
    Keys({"Down"});
    Hold("Down", 5);
    ExitAfterTheKeys(kiv);
    EXPECT_EQ(Dump(Path()), "a\nb\n\n\n\n\n\n") << "five holds, five new topics";
}

TEST_F(X11HeldKeys, AHeldCloneKeyMakesOneCloneAHold) {
    // A topic with children can be cloned.
    QProcess& kiv = StartOn("a(x) b", "");
    Hold("ctrl+shift+l", 3);
    ExitAfterTheKeys(kiv);
    const QStringList lines = QString::fromStdString(Dump(Path())).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.count("a [clone]"), 4)
        << "three holds, three clones: " << lines.join('|').toStdString();
    EXPECT_EQ(lines.count("b"), 1);
}

}  // namespace

// The main window's key map: the arrows between rows, panels and levels, marking with
// Shift, Down on the last row, automatic viewing while Ctrl is held, the single-link
// launch keys, the later panels following at the release, and the navigation path's
// arrow buttons.
#include <QFile>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include "engine/core/LinkLines.h"
#include "engine/panels/KivPanelsManager.h"
#include "mainwindow/keyboard/Keyboard.h"
#include "mainwindow/textcard/TextCard.h"
#include "tests/mainwindow/RecordingShell.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

class Keyboard : public PanelsWindow {
protected:
    void Focus(TKivStringGrid* g) {
        g->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        ASSERT_EQ(f->CurrentGrid(), g);
    }
    // The key goes where the keyboard sends it: to the panel's caption editor when that
    // has the focus.
    static QWidget* Target(QWidget* w) {
        QWidget* focus = QApplication::focusWidget();
        return focus && w->isAncestorOf(focus) ? focus : w;
    }
    void Press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = {}, bool repeat = false) {
        QTest::simulateEvent(Target(w), true, key, mods, QString(), repeat);
        QCoreApplication::processEvents();
    }
    void Release(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = {}, bool repeat = false) {
        QTest::simulateEvent(Target(w), false, key, mods, QString(), repeat);
        QCoreApplication::processEvents();
    }
    void Click(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        Press(w, key, mods);
        Release(w, key, mods);
    }
    std::string Caption(TKivStringGrid* g, int row) { return g->Nester->Caption(row); }
    std::string Current(TKivStringGrid* g) { return Caption(g, g->CurrentRow()); }
    KivAction& Command(const char* name) { return f->Actions().Get(QString::fromLatin1(name)); }
};

TEST_F(Keyboard, ArrowsMoveOneRowAPressAndShiftMarksTheRowLeft) {
    Open("a b c d");
    Focus(p1);
    ASSERT_EQ(p1->CurrentRow(), 0);
    Click(p1, Qt::Key_Up);
    EXPECT_EQ(p1->CurrentRow(), 0) << "Up on row 0 does nothing";
    Click(p1, Qt::Key_Down);
    EXPECT_EQ(Current(p1), "b");
    Click(p1, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Current(p1), "c");
    EXPECT_TRUE(p1->Nester->IsMarked(1)) << "the row left is marked";
    EXPECT_FALSE(p1->Nester->IsMarked(0));
    // Modifiers are compared exactly: Shift with Ctrl moves without marking.
    Click(p1, Qt::Key_Up, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(Current(p1), "b");
    EXPECT_FALSE(p1->Nester->IsMarked(2));
}

TEST_F(Keyboard, TheTextCardFollowsTheArrows) {
    const std::string path = Home() + "FirstKivDB.kiv";
    MakeTreePair(path, "a b c");
    StoreTrailCardPair(path, "1", 2, "text of b");
    PackDatastructure(path);
    Restart();
    Focus(p1);
    QTextEdit* card = f->TextCard().txtSimpleText;
    EXPECT_TRUE(card->toPlainText().isEmpty());
    Click(p1, Qt::Key_Down);
    EXPECT_EQ(card->toPlainText(), QStringLiteral("text of b"));
    Click(p1, Qt::Key_Down);
    EXPECT_TRUE(card->toPlainText().isEmpty());
}

TEST_F(Keyboard, AHeldDownOnTheLastRowInsertsOneTopic) {
    Open("a b");
    Focus(p1);
    Click(p1, Qt::Key_Down);
    ASSERT_EQ(p1->CurrentRow(), 1);
    Press(p1, Qt::Key_Down);
    for (int i = 0; i < 4; ++i) {
        Release(p1, Qt::Key_Down, {}, true);
        Press(p1, Qt::Key_Down, {}, true);
    }
    Release(p1, Qt::Key_Down);
    EXPECT_EQ(p1->Nester->RowCount(), 3) << "one new topic, not one per repeat";
    EXPECT_EQ(p1->CurrentRow(), 2);
    // A new press on the new last row makes the next one; Shift on the last row makes none.
    Click(p1, Qt::Key_Down);
    EXPECT_EQ(p1->Nester->RowCount(), 4);
    Click(p1, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(p1->Nester->RowCount(), 4);
}

// As an X server delivers a held key: with detectable auto-repeat the presses alone, else
// a release and a press sharing one timestamp; Qt flags neither as a repeat.
TEST_F(Keyboard, AHeldDownAsXDeliversItInsertsOneTopic) {
    const quint32 kDownScanCode = 116;
    struct Case {
        const char* name;
        bool releases;
    } cases[] = {{"presses alone", false}, {"release and press pairs", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open("a b");
        Focus(p1);
        Click(p1, Qt::Key_Down);
        ASSERT_EQ(p1->CurrentRow(), 1);
        quint64 time = 1000;
        auto send = [&](QEvent::Type type) {
            QKeyEvent e(type, Qt::Key_Down, Qt::NoModifier, kDownScanCode, 0, 0);
            e.setTimestamp(time);
            QApplication::sendEvent(Target(p1), &e);
            QCoreApplication::processEvents();
        };
        send(QEvent::KeyPress);
        for (int i = 0; i < 4; ++i) {
            time += 33;
            if (c.releases) send(QEvent::KeyRelease);
            send(QEvent::KeyPress);
        }
        time += 40;
        send(QEvent::KeyRelease);
        EXPECT_EQ(p1->Nester->RowCount(), 3) << "one new topic, not one per repeat";
        // A new press, later than the release, makes the next one.
        time += 200;
        send(QEvent::KeyPress);
        time += 50;
        send(QEvent::KeyRelease);
        EXPECT_EQ(p1->Nester->RowCount(), 4);
        PanelsManager().SetEditMode(false);
        Stop();
    }
}

TEST_F(Keyboard, CtrlArrowsViewAutomaticallyUntilCtrlComesUp) {
    Open("a b c");
    Focus(p1);
    KivAction& autoview = Command("acAutoview");
    ASSERT_FALSE(autoview.Checked());
    Press(p1, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(autoview.Checked());
    EXPECT_EQ(p1->CurrentRow(), 1) << "Ctrl+Down moves too";
    Release(p1, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(autoview.Checked()) << "Ctrl is still held";
    Release(p1, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_FALSE(autoview.Checked());
    // Automatic viewing that was on stays on.
    autoview.SetChecked(true);
    Press(p1, Qt::Key_Up, Qt::ControlModifier);
    Release(p1, Qt::Key_Up, Qt::ControlModifier);
    Release(p1, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(autoview.Checked());
    EXPECT_EQ(p1->CurrentRow(), 0);
}

TEST_F(Keyboard, TheLaunchKeysOpenATopicsOnlyLink) {
    // Files no browser shows: the desktop opens them whichever way they are launched.
    const std::string one = Home() + "one.dat", two = Home() + "two.dat";
    for (const std::string& p : {one, two}) {
        QFile file(QString::fromStdString(p));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    Open("single double");
    ASSERT_TRUE(p1->Nester->LaunchList().SetLinks(0, MakeLinkLine(one, "one")));
    ASSERT_TRUE(p1->Nester->LaunchList().SetLinks(1, MakeLinkLine(one, "one") + "\r\n" +
                                                         MakeLinkLine(two, "two")));
    Focus(p1);
    TRecordedShell shell;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier,
                                alt = Qt::AltModifier;
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int row;
        size_t launched;
    } cases[] = {
        {Qt::Key_Clear, ctrl, 0, 1},            // in the window
        {Qt::Key_Clear, ctrl | shift, 0, 1},    // outside it
        {Qt::Key_W, ctrl | shift, 0, 1},        // as Ctrl+Clear
        {Qt::Key_W, ctrl | shift | alt, 0, 1},  // as Shift+Ctrl+Clear
        {Qt::Key_Clear, ctrl | alt, 0, 0},      // inexact modifiers
        {Qt::Key_Clear, {}, 0, 1},              // the browser switch
        {Qt::Key_W, ctrl | alt, 0, 0},          //
        {Qt::Key_Clear, ctrl, 1, 0},            // two links: nothing
        {Qt::Key_W, ctrl | shift, 1, 0},        //
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.key << " " << c.mods.toInt() << " row " << c.row);
        p1->SelectRow(c.row);
        shell->Calls.clear();
        Click(p1, c.key, c.mods);
        EXPECT_EQ(shell->Calls.size(), c.launched);
        if (c.launched) {
            EXPECT_EQ(shell->Calls[0].Target, QString::fromStdString(one));
        }
    }
}

TEST_F(Keyboard, TheLaterPanelsFollowWhenTheKeyComesUp) {
    Open("a(a1 a2) b(b1) c(c1)");
    Focus(p1);
    ASSERT_EQ(Caption(p2, 0), "a1");
    Press(p1, Qt::Key_Down);
    for (int i = 0; i < 2; ++i) {
        Release(p1, Qt::Key_Down, {}, true);
        Press(p1, Qt::Key_Down, {}, true);
        // The second step would pass the last row: the held key stops there.
    }
    EXPECT_EQ(Current(p1), "c");
    EXPECT_EQ(Caption(p2, 0), "a1") << "while the key is held the second panel waits";
    Release(p1, Qt::Key_Down);
    EXPECT_EQ(Caption(p2, 0), "c1");
    EXPECT_EQ(p1->Nester->RowCount(), 3) << "the held key made no new topic";
}

TEST_F(Keyboard, RightAndLeftMoveBetweenPanelsAndLevels) {
    Open("a(b(c(d(e))))");
    Focus(p1);
    Click(p1, Qt::Key_Right);
    EXPECT_EQ(f->CurrentGrid(), p2);
    Click(p2, Qt::Key_Right);
    EXPECT_EQ(f->CurrentGrid(), p3);
    ASSERT_EQ(Caption(p1, 0), "a");
    // On the last panel in use the panels shift one level down.
    Click(p3, Qt::Key_Right);
    EXPECT_EQ(Caption(p1, 0), "b");
    EXPECT_EQ(Caption(p3, 0), "d");
    TKivStringGrid* g = f->CurrentGrid();
    Click(g, Qt::Key_Left);
    Click(f->CurrentGrid(), Qt::Key_Left);
    EXPECT_EQ(f->CurrentGrid(), p1);
    EXPECT_EQ(Caption(p1, 0), "b");
    // On panel 1 one level up.
    Click(p1, Qt::Key_Left);
    EXPECT_EQ(Caption(p1, 0), "a");
}

TEST_F(Keyboard, RightAndLeftExpandCollapseAndMakeChildrenInTreeMode) {
    Open("A(B C) D");
    ASSERT_TRUE(Command("acPanelClassic").Execute());
    ASSERT_TRUE(p1->TreeMode);
    Focus(p1);
    p1->SelectRow(0);
    auto rows = [&] {
        std::string all;
        for (int r = 0; r < p1->Nester->RowCount(); ++r)
            all += (r ? " " : "") + std::string(size_t(p1->Nester->Level(r)), '.') + Caption(p1, r);
        return all;
    };
    Click(p1, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(rows(), "A D");
    Click(p1, Qt::Key_Right);
    EXPECT_EQ(rows(), "A .B .C D") << "Right expands";
    EXPECT_EQ(Current(p1), "B") << "and goes to the first child";
    Click(p1, Qt::Key_Left);
    EXPECT_EQ(Current(p1), "A") << "Left goes to the parent";
    Click(p1, Qt::Key_Down);
    ASSERT_EQ(Current(p1), "B");
    // Right on a topic without children makes its first child, ready for its caption.
    Press(p1, Qt::Key_Right);
    Press(p1, Qt::Key_Right, {}, true);
    Release(p1, Qt::Key_Right);
    EXPECT_EQ(rows(), "A .B .. .C D") << "one child, not one per repeat";
    EXPECT_TRUE(p1->Editing());
}

TEST_F(Keyboard, TheNavigationPathsArrowButtonsChangeTheTopic) {
    Open("a(a1) b(b1) c");
    Focus(p1);
    auto* down = f->findChild<QToolButton*>(QStringLiteral("btnDown"));
    auto* up = f->findChild<QToolButton*>(QStringLiteral("btnUp"));
    ASSERT_TRUE(down && up);
    down->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(Current(p1), "b");
    EXPECT_EQ(Caption(p2, 0), "b1") << "the later panels follow";
    up->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(Current(p1), "a");
    EXPECT_EQ(Caption(p2, 0), "a1");
}

}  // namespace
}  // namespace kiv::wintest

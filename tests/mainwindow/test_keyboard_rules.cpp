// Rules of the key map that only show in particular places: the caption editor's caret
// lines against Up and Down, Left to a parent that is not the first row, Right that makes a
// child only on a new press, and the window's deactivation ending the press a key command
// ran in.
#include <QtTest>

#include "engine/panels/KivPanelsManager.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

class KeyRules : public PanelsWindow {
protected:
    void Focus(TKivStringGrid* g) {
        g->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        ASSERT_EQ(f->CurrentGrid(), g);
    }
    // A key down (or up) where the keyboard sends it: the focused control inside w, else w.
    // A held key repeats as pairs of both marked auto-repeat, as X11 sends them.
    void Key(QWidget* w, Qt::Key key, bool down, bool repeat = false,
             Qt::KeyboardModifiers mods = {}) {
        QWidget* focus = QApplication::focusWidget();
        QWidget* to = focus && (focus == w || w->isAncestorOf(focus)) ? focus : w;
        QTest::simulateEvent(to, down, key, mods, QString(), repeat);
        QCoreApplication::processEvents();
    }
    void Held(QWidget* w, Qt::Key key, int repeats) {
        Key(w, key, true);
        for (int i = 0; i < repeats; ++i) {
            Key(w, key, false, true);
            Key(w, key, true, true);
        }
    }
    void Deactivate() {
        QEvent e(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(f, &e);
        QCoreApplication::processEvents();
    }
    std::string Rows(TKivStringGrid* g) {
        std::string all;
        for (int r = 0; r < g->Nester->RowCount(); ++r)
            all += (r ? " " : "") + std::string(size_t(g->Nester->Level(r)), '.') +
                   g->Nester->Caption(r);
        return all;
    }
    std::string Current(TKivStringGrid* g) { return g->Nester->Caption(g->CurrentRow()); }
    void TreeMode() {
        ASSERT_TRUE(f->Actions().Get(QStringLiteral("acPanelClassic")).Execute());
        ASSERT_TRUE(p1->TreeMode);
        Focus(p1);
    }
};

// Editing a caption of three lines, Up and Down move the caret until it stands on the first
// or the last line; only from there do they move to the next row.
TEST_F(KeyRules, TheCaptionEditorKeepsUpAndDownWhileItsCaretHasLinesToGo) {
    Open("a b c");
    Focus(p1);
    p1->SelectRow(1);
    PanelsManager().SetEditMode(true);
    ASSERT_TRUE(p1->Editing());
    TKivMemo* e = p1->CaptionEditor;
    e->setFocus(Qt::OtherFocusReason);
    e->setPlainText(QStringLiteral("one\ntwo\nthree"));
    e->moveCursor(QTextCursor::End);
    ASSERT_EQ(e->LineCount(), 3);
    struct Step {
        Qt::Key key;
        int caretBefore;  // set before the key when not -1
        int row;
        int caretAfter;  // -1: not looked at (another row's caption is edited)
    } steps[] = {{Qt::Key_Up, -1, 1, 1},
                 {Qt::Key_Up, -1, 1, 0},
                 {Qt::Key_Down, 0, 1, 1},
                 {Qt::Key_Down, 2, 2, -1},
                 {Qt::Key_Up, 0, 1, -1}};
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        QTextEdit* ed = p1->CaptionEditor;
        if (s.caretBefore >= 0) {
            ed->moveCursor(QTextCursor::Start);
            for (int l = 0; l < s.caretBefore; ++l) ed->moveCursor(QTextCursor::NextBlock);
            ASSERT_EQ(p1->CaptionEditor->CaretLine(), s.caretBefore);
        }
        Key(p1, s.key, true);
        Key(p1, s.key, false);
        EXPECT_EQ(p1->CurrentRow(), s.row);
        if (s.caretAfter >= 0) {
            EXPECT_EQ(p1->CaptionEditor->CaretLine(), s.caretAfter);
        }
    }
}

// Left goes to the row's own parent, wherever that stands.
TEST_F(KeyRules, TreeLeftSelectsTheParentRowNotTheFirst) {
    Open("A B(C D) E");
    TreeMode();
    p1->SelectRow(1);
    Key(p1, Qt::Key_Right, true);
    Key(p1, Qt::Key_Right, false);
    ASSERT_EQ(Rows(p1), "A B .C .D E");
    Key(p1, Qt::Key_Down, true);
    Key(p1, Qt::Key_Down, false);
    ASSERT_EQ(Current(p1), "D");
    Key(p1, Qt::Key_Left, true);
    Key(p1, Qt::Key_Left, false);
    EXPECT_EQ(p1->CurrentRow(), 1);
    EXPECT_EQ(Current(p1), "B");
}

// Right held from a topic with children goes on to its first child; the repeats make that
// child no child of its own; a new press does.
TEST_F(KeyRules, TreeRightMakesAChildOnlyOnANewPress) {
    Open("A(B) C");
    TreeMode();
    p1->SelectRow(0);
    Held(p1, Qt::Key_Right, 3);
    Key(p1, Qt::Key_Right, false);
    EXPECT_EQ(Rows(p1), "A .B C") << "the repeats stop on B";
    EXPECT_EQ(Current(p1), "B");
    Key(p1, Qt::Key_Right, true);
    Key(p1, Qt::Key_Right, false);
    EXPECT_EQ(Rows(p1), "A .B .. C") << "a new press makes B's first child";
}

// A key held while the window loses the focus never comes up here: the deactivation ends
// that press, so the next press is a new one for the key commands and Down on the last row.
TEST_F(KeyRules, TheDeactivationEndsThePressAKeyCommandRanIn) {
    Open("a b c d");
    Focus(p1);
    p1->SelectRow(0);
    Key(p1, Qt::Key_Delete, true);
    ASSERT_EQ(Rows(p1), "b c d");
    Key(p1, Qt::Key_Delete, true);
    EXPECT_EQ(Rows(p1), "b c d") << "still the same press";
    Deactivate();
    Key(p1, Qt::Key_Delete, true);
    EXPECT_EQ(Rows(p1), "c d") << "a press after the deactivation";
    Key(p1, Qt::Key_Delete, false);

    p1->SelectRow(1);
    Key(p1, Qt::Key_Down, true);
    ASSERT_EQ(p1->Nester->RowCount(), 3);
    Key(p1, Qt::Key_Down, true);
    EXPECT_EQ(p1->Nester->RowCount(), 3) << "still the same press";
    Deactivate();
    Key(p1, Qt::Key_Down, true);
    EXPECT_EQ(p1->Nester->RowCount(), 4) << "a press after the deactivation";
    Key(p1, Qt::Key_Down, false);
}

}  // namespace
}  // namespace kiv::wintest

// Panel input: the active panel and its events in order, the caption editor and its keys,
// held keys, mouse hits, the cursor and the start of a topic drag.
#include <QMimeData>
#include <QMouseEvent>
#include <QInputMethodEvent>
#include <vector>

#include "engine/core/Cards.h"
#include "tests/engine/panels/PanelsFixture.h"

namespace kiv::paneltest {
namespace {

class Input : public PanelsFixture {
protected:
    void Record() {
        for (auto* g : p) {
            const int n = g->Tag;
            g->OnSelRowChanged = [this, n](TKivStringGrid*, int o, int w) {
                log.push_back(std::to_string(n) + " sel " + std::to_string(o) + " " +
                              std::to_string(w));
            };
            g->OnPanelChanged = [this, n](TKivStringGrid*, int o, int w) {
                log.push_back(std::to_string(n) + " panel " + std::to_string(o) + " " +
                              std::to_string(w));
            };
            g->OnEnter = [this, n](TCustomGrid*) { log.push_back(std::to_string(n) + " enter"); };
            g->OnTitleModified = [this, n](TKivStringGrid*, int r) {
                log.push_back(std::to_string(n) + " title " + std::to_string(r));
            };
        }
    }

    QPoint RowPoint(TKivStringGrid* g, int r) {
        const QRect c = g->RowContentRect(r);
        return QPoint(c.x() + c.width() - 20, c.y() + 6);
    }

    void SendMouse(TKivStringGrid* g, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                   Qt::MouseButtons held, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent e(type, QPointF(pos), QPointF(g->viewport()->mapToGlobal(pos)), button, held,
                      mods);
        QApplication::sendEvent(g->viewport(), &e);
    }

    void SendKey(QWidget* w, QEvent::Type type, int key, bool autoRepeat,
                 const QString& text = QString(), Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(type, key, mods, text, autoRepeat);
        QApplication::sendEvent(w, &e);
    }

    std::vector<std::string> log;
};

TEST_F(Input, SwitchingPanelsCommitsTheOldTopicBeforeTheNewOneIsLoaded) {
    Open("a(b(c d) e) f");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    p[1]->SelectRow(1);
    PanelsManager().RefreshPanelsFrom(2);
    Record();
    QTest::mouseClick(p[1]->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(p[1], 1));
    EXPECT_EQ(log,
              (std::vector<std::string>{"1 sel 0 -1", "2 sel -1 1", "2 enter", "2 panel 1 2"}));
    EXPECT_EQ(CurrentPanel, 2);
    EXPECT_EQ(p[0]->focusPolicy(), Qt::ClickFocus);  // the other panels leave the tab order
    EXPECT_EQ(p[1]->focusPolicy(), Qt::StrongFocus);

    // Focus going elsewhere and coming back is not a panel change.
    log.clear();
    other->setFocus(Qt::MouseFocusReason);
    p[1]->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"2 enter"}));

    // The caption editor is part of the panel: moving between the two enters nothing.
    log.clear();
    int exits = 0;
    p[1]->OnExit = [&](TCustomGrid*) { ++exits; };
    PanelsManager().SetEditMode(true);
    ASSERT_TRUE(p[1]->CaptionEditor->hasFocus());
    p[1]->setFocus(Qt::MouseFocusReason);
    p[1]->CaptionEditor->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(exits, 0);
    other->setFocus(Qt::MouseFocusReason);  // straight from the editor
    EXPECT_EQ(exits, 1);
    p[1]->CaptionEditor->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(log, (std::vector<std::string>{"2 enter"}));
    PanelsManager().SetEditMode(false);

    // Window activation and popups move Qt's focus but enter nothing.
    log.clear();
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(p[1], &out);
    QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(p[1], &in);
    EXPECT_TRUE(log.empty());
}

TEST_F(Input, MakingARowCurrent) {
    Open("a(x) b c");
    Record();
    p[0]->SelectRow(2);
    EXPECT_EQ(log, (std::vector<std::string>{"1 sel 0 2"}));
    EXPECT_EQ(p[0]->CurrentRow(), 2);
    EXPECT_EQ(p[0]->Row(), 2);
    EXPECT_EQ(p[0]->CaptionEditor->Text(), "c");
    EXPECT_FALSE(p[0]->CaptionEditor->Modified());
    // The row already current, a row past the model and an invalid one: no event.
    p[0]->SelectRow(2);
    p[0]->SelectRow(3);
    p[0]->SelectRow(-1);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(p[0]->CurrentRow(), 2);
    // A marked row that becomes current loses its mark.
    p[0]->Nester->SetMarked(0, true);
    p[0]->SelectRow(0);
    EXPECT_FALSE(p[0]->Nester->IsMarked(0));
}

TEST_F(Input, ACaptionEditIsStoredBeforeTheRowChangesAndSurvivesReopening) {
    Open("alpha beta gamma");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    Record();
    PanelsManager().SetEditMode(true);
    TKivMemo* ed = p[0]->CaptionEditor;
    ASSERT_TRUE(ed->hasFocus());
    EXPECT_EQ(ed->Text(), "alpha");
    EXPECT_GT(ed->height(), 0);
    // The editor sits over the caption of the current row.
    EXPECT_EQ(ed->geometry(), p[0]->CaptionRect(0));
    EXPECT_EQ(p[0]->EditorRect, p[0]->CaptionRect(0));
    ed->SetSelStart(10000);
    QTest::keyClicks(ed, " ");
    SendKey(ed, QEvent::KeyPress, Qt::Key_Eacute, false, QString::fromUtf8("é"));
    SendKey(ed, QEvent::KeyRelease, Qt::Key_Eacute, false, QString::fromUtf8("é"));
    EXPECT_EQ(ed->Text(), QString::fromUtf8("alpha é"));
    EXPECT_TRUE(ed->Modified());
    log.clear();
    p[0]->SelectRow(1);
    EXPECT_EQ(log, (std::vector<std::string>{"1 title 0", "1 sel 0 1"}));
    EXPECT_EQ(p[0]->Nester->Caption(0), "alpha \xE9");  // stored as Windows-1252
    EXPECT_EQ(ed->Text(), "beta");
    EXPECT_EQ(ed->geometry(), p[0]->CaptionRect(1));

    PanelsManager().SetEditMode(false);
    pair->Reopen();
    EXPECT_EQ(pair->Dump(), "alpha \xC3\xA9\nbeta\ngamma\n");
    Attach();
    EXPECT_EQ(p[0]->Nester->Caption(0), "alpha \xE9");
}

TEST_F(Input, ANewEditorHoldsNoEditThatCouldOverwriteACaption) {
    for (auto* g : p) EXPECT_FALSE(g->CaptionEditor->Modified());
    PanelsManager().SetEditMode(true);  // before anything is open
    Open("a(b) c");
    EXPECT_EQ(p[0]->CaptionEditor->Text(), "a");
    p[0]->SelectRow(1);
    PanelsManager().RefreshPanelsFrom(1);
    EXPECT_EQ(pair->Dump(), "a\n  b\nc\n");
}

TEST_F(Input, SelectingTheCurrentRowKeepsAnUnsavedEdit) {
    Open("a b");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    Record();
    PanelsManager().SetEditMode(true);
    TKivMemo* ed = p[0]->CaptionEditor;
    ed->SetSelStart(10000);
    QTest::keyClicks(ed, "zz");
    log.clear();
    p[0]->SelectRow(0);
    EXPECT_EQ(ed->Text(), "azz");
    EXPECT_TRUE(log.empty());
    // Edit mode switched on again keeps it too, stored to its topic.
    p[0]->SetEditing(true);
    EXPECT_EQ(ed->Text(), "azz");
    EXPECT_EQ(p[0]->Nester->Caption(0), "azz");
    EXPECT_EQ(log, (std::vector<std::string>{"1 title 0"}));
    QTest::keyClicks(ed, "y");
    log.clear();
    // Leaving edit mode stores it.
    PanelsManager().SetEditMode(false);
    EXPECT_EQ(log, (std::vector<std::string>{"1 title 0"}));
    EXPECT_EQ(p[0]->Nester->Caption(0), "azzy");
    EXPECT_TRUE(p[0]->hasFocus());
    EXPECT_EQ(ed->height(), 0);
}

TEST_F(Input, EditorKeys) {
    Open("a(x) b");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    PanelsManager().SetEditMode(true);
    TKivMemo* ed = p[0]->CaptionEditor;
    ed->SetSelStart(10000);
    // Ctrl+A, Ctrl+J and Ctrl+S type nothing and do not select or break the line.
    QTest::keyClick(ed, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(ed, Qt::Key_J, Qt::ControlModifier);
    QTest::keyClick(ed, Qt::Key_S, Qt::ControlModifier);
    std::vector<QString> changes;
    p[0]->OnEditChanged = [&](TKivStringGrid*, const QString& t) { changes.push_back(t); };
    QTest::keyClick(ed, Qt::Key_Q);
    EXPECT_EQ(ed->Text(), "aq");
    EXPECT_FALSE(ed->textCursor().hasSelection());
    EXPECT_EQ(changes, std::vector<QString>{"aq"});

    // Page Down goes to the grid as a key down and up and does nothing in the editor.
    std::vector<std::string> gridKeys;
    p[0]->OnKeyDown = [&](TCustomGrid*, Word& k, TShiftState) {
        gridKeys.push_back("down " + std::to_string(k));
    };
    p[0]->OnKeyUp = [&](TCustomGrid*, Word& k, TShiftState) {
        gridKeys.push_back("up " + std::to_string(k));
    };
    ed->SetSelStart(1);
    QTest::keyClick(ed, Qt::Key_PageDown);
    EXPECT_EQ(gridKeys, (std::vector<std::string>{"down 34", "up 34"}));
    EXPECT_EQ(ed->SelStart(), 1);
    p[0]->OnKeyDown = nullptr;
    p[0]->OnKeyUp = nullptr;
    ed->SetSelStart(10000);

    // A character without a key that went down here is dropped.
    p[0]->KeyDownSeen = false;
    QInputMethodEvent im;
    im.setCommitString("r");
    QApplication::sendEvent(ed, &im);
    EXPECT_EQ(ed->Text(), "aq");

    // Alt+Left in panel 1 does nothing; Alt+Right moves to panel 2's editor.
    QTest::keyClick(ed, Qt::Key_Left, Qt::AltModifier);
    EXPECT_TRUE(ed->hasFocus());
    QTest::keyClick(ed, Qt::Key_Right, Qt::AltModifier);
    EXPECT_TRUE(p[1]->CaptionEditor->hasFocus());
    EXPECT_EQ(CurrentPanel, 2);
    // Panel 1's edit was stored when panel 2 became active.
    EXPECT_EQ(p[0]->Nester->Caption(0), "aq");
    // In the last panel of the layout Alt+Right does nothing.
    PanelCount = 2;
    QTest::keyClick(p[1]->CaptionEditor, Qt::Key_Right, Qt::AltModifier);
    EXPECT_TRUE(p[1]->CaptionEditor->hasFocus());

    // Esc switches edit mode off in every panel.
    QTest::keyClick(p[1]->CaptionEditor, Qt::Key_Escape);
    for (auto* g : p) EXPECT_FALSE(g->Editing());
    EXPECT_FALSE(PanelsManager().EditMode);
}

TEST_F(Input, ALockedTopicCannotBeTyped) {
    Open("a b");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    p[0]->Nester->SetLocked(0, true);
    PanelsManager().SetEditMode(true);
    TKivMemo* ed = p[0]->CaptionEditor;
    QTest::keyClick(ed, Qt::Key_X);
    EXPECT_EQ(ed->Text(), "a");
    EXPECT_EQ(env.Dialogs().MessageTexts(), QStringList{"Can't edit topic, it is locked."});
    EXPECT_EQ(env.Dialogs().Messages.at(0).Type, MsgType::Warning);
    QTest::keyClick(ed, Qt::Key_Escape);  // Esc still works
    EXPECT_FALSE(PanelsManager().EditMode);
    EXPECT_EQ(env.Dialogs().Messages.size(), 1u);
}

TEST_F(Input, AHeldKeyIsOnePress) {
    Open("a b");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    // Down on the last row inserts a topic after it, on a new press only, as the main
    // window's key handling does.
    p[0]->SelectRow(1);
    int acted = 0, downs = 0, ups = 0;
    p[0]->OnKeyDown = [&](TCustomGrid*, Word& Key, TShiftState) {
        ++downs;
        TKivStringGrid* g = p[0];
        if (Key == VK_DOWN && g->CurrentRow() == g->Nester->LastRow() && !g->KeyDownSeen)
            acted +=
                g->InsertTopics(TItemArray{TNestItem{0, 0}}, g->Nester->RowCount(), true, true, 0);
        g->KeyDownSeen = true;
        Key = 0;
    };
    p[0]->OnKeyUp = [&](TCustomGrid*, Word&, TShiftState) {
        ++ups;
        p[0]->KeyDownSeen = false;
    };
    SendKey(p[0], QEvent::KeyPress, Qt::Key_Down, false);
    for (int i = 0; i < 5; ++i) {
        SendKey(p[0], QEvent::KeyRelease, Qt::Key_Down, true);
        SendKey(p[0], QEvent::KeyPress, Qt::Key_Down, true);
    }
    SendKey(p[0], QEvent::KeyRelease, Qt::Key_Down, false);
    EXPECT_EQ(downs, 6);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(acted, 1);
    EXPECT_FALSE(p[0]->KeyDownSeen);
    EXPECT_EQ(pair->Dump(), "a\nb\n\n");
    EXPECT_EQ(p[0]->CurrentRow(), 2);

    // The caption editor's key-up work (fitting the row) runs once per press too, and the
    // key-down mark stays while the key repeats.
    p[0]->SelectRow(0);
    PanelsManager().SetEditMode(true);
    TKivMemo* ed = p[0]->CaptionEditor;
    ed->SetSelStart(10000);
    SendKey(ed, QEvent::KeyPress, Qt::Key_X, false, "x");
    for (int i = 0; i < 3; ++i) {
        SendKey(ed, QEvent::KeyRelease, Qt::Key_X, true, "x");
        EXPECT_TRUE(p[0]->KeyDownSeen);
        SendKey(ed, QEvent::KeyPress, Qt::Key_X, true, "x");
    }
    SendKey(ed, QEvent::KeyRelease, Qt::Key_X, false, "x");
    EXPECT_FALSE(p[0]->KeyDownSeen);
    EXPECT_EQ(ed->Text(), "axxxx");
}

TEST_F(Input, TypingGrowsTheEditedRow) {
    Open("a b");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    PanelsManager().SetEditMode(true);
    TKivMemo* ed = p[0]->CaptionEditor;
    const int before = p[0]->RowHeights(0);
    ed->SetSelStart(10000);
    QTest::keyClicks(ed, " and many more words until the caption needs a second and a third line");
    EXPECT_GT(p[0]->RowHeights(0), before);
    EXPECT_EQ(ed->geometry(), p[0]->CaptionRect(0));
    // The row below moved down with it.
    EXPECT_EQ(p[0]->RowContentRect(1).y(), p[0]->RowContentRect(0).y() + p[0]->RowHeights(0));
}

TEST_F(Input, DragStartsOverAnotherRowAfterEightPixels) {
    Open("a b c");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    std::vector<QString> started;
    TKivStringGrid::SetDragStarter([&](TKivStringGrid* src, QMimeData* data) {
        EXPECT_EQ(TKivStringGrid::InternalDragSource(), src);
        started.push_back(QString::fromLatin1(data->data(TKivStringGrid::InternalDragFormat)));
        delete data;
    });
    int starts = 0, ends = 0;
    p[0]->OnStartDrag = [&](TKivStringGrid*) { ++starts; };
    p[0]->OnEndDrag = [&](TKivStringGrid*) { ++ends; };

    const QPoint r0 = RowPoint(p[0], 0), r1 = RowPoint(p[0], 1);
    SendMouse(p[0], QEvent::MouseButtonPress, r0, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(p[0]->DragArmed);
    // Within the same row: nothing.
    SendMouse(p[0], QEvent::MouseMove, r0 + QPoint(-30, 2), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(started.empty());
    // Over another row the drag waits for 8 pixels of movement.
    SendMouse(p[0], QEvent::MouseMove, r1, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(started.empty());
    EXPECT_TRUE(p[0]->DragStarted);
    SendMouse(p[0], QEvent::MouseMove, r1 + QPoint(4, 3), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(started.empty());
    SendMouse(p[0], QEvent::MouseMove, r1 + QPoint(5, 3), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(started, (std::vector<QString>{"1"}));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(p[0]->DragArmed);
    EXPECT_EQ(TKivStringGrid::InternalDragSource(), nullptr);
    SendMouse(p[0], QEvent::MouseButtonRelease, r1, Qt::LeftButton, Qt::NoButton);

    // Leaving the panel with the button held starts one even from the same row.
    SendMouse(p[0], QEvent::MouseButtonPress, r0, Qt::LeftButton, Qt::LeftButton);
    SendMouse(p[0], QEvent::MouseMove, QPoint(-5, r0.y()), Qt::NoButton, Qt::LeftButton);
    SendMouse(p[0], QEvent::MouseMove, QPoint(-15, r0.y()), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(started.size(), 2u);
    SendMouse(p[0], QEvent::MouseButtonRelease, QPoint(-15, r0.y()), Qt::LeftButton, Qt::NoButton);

    // Released before the threshold: no drag.
    SendMouse(p[0], QEvent::MouseButtonPress, r0, Qt::LeftButton, Qt::LeftButton);
    SendMouse(p[0], QEvent::MouseMove, RowPoint(p[0], 2), Qt::NoButton, Qt::LeftButton);
    SendMouse(p[0], QEvent::MouseButtonRelease, RowPoint(p[0], 2), Qt::LeftButton, Qt::NoButton);
    SendMouse(p[0], QEvent::MouseMove, RowPoint(p[0], 2) + QPoint(20, 0), Qt::NoButton,
              Qt::NoButton);
    EXPECT_EQ(started.size(), 2u);
    EXPECT_FALSE(p[0]->DragStarted);

    // Nothing drags while edit mode is on.
    PanelsManager().SetEditMode(true);
    SendMouse(p[0], QEvent::MouseButtonPress, r0, Qt::LeftButton, Qt::LeftButton);
    SendMouse(p[0], QEvent::MouseMove, r1, Qt::NoButton, Qt::LeftButton);
    SendMouse(p[0], QEvent::MouseMove, r1 + QPoint(20, 0), Qt::NoButton, Qt::LeftButton);
    SendMouse(p[0], QEvent::MouseButtonRelease, r1, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(started.size(), 2u);
}

TEST_F(Input, DropsOfTheInternalFormatReachTheHandlers) {
    Open("a b");
    QObject* seenSource = nullptr;
    QPoint seenAt;
    int drops = 0;
    p[1]->OnDragOver = [&](TKivStringGrid*, QObject* src, int x, int y, bool& accept) {
        seenSource = src;
        seenAt = QPoint(x, y);
        accept = true;
    };
    p[1]->OnDragDrop = [&](TKivStringGrid*, QObject*, int, int) { ++drops; };
    TKivStringGrid::SetInternalDragSource(p[0]);
    QMimeData data;
    data.setData(TKivStringGrid::InternalDragFormat, "1");
    const QPoint at(30, 12);
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p[1]->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p[1]->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(seenSource, p[0]);
    EXPECT_EQ(seenAt, at);
    QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p[1]->viewport(), &drop);
    EXPECT_EQ(drops, 1);
    TKivStringGrid::SetInternalDragSource(nullptr);

    // Other data is not ours.
    QMimeData text;
    text.setText("x");
    QDragEnterEvent foreign(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p[1]->viewport(), &foreign);
    EXPECT_FALSE(foreign.isAccepted());
}

TEST_F(Input, HandCursorAndLinkHover) {
    Open("a(x) b");
    EXPECT_TRUE(p[0]->Nester->LaunchList().SetLinks(1,
                                                    "/nowhere/a.txt\x01"
                                                    "a\r\n/nowhere/b.txt\x01"
                                                    "b\r\n"));
    p[0]->DrawRow(1);
    std::vector<int> over;
    p[0]->OnMouseOverLaunch = [&](TKivStringGrid*, int r) { over.push_back(r); };
    const QRect c1 = p[0]->RowContentRect(1);
    SendMouse(p[0], QEvent::MouseMove, QPoint(c1.x() + 33, c1.y() + 4), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(over, std::vector<int>{1});
    EXPECT_EQ(p[0]->HoverRow, 1);
    EXPECT_EQ(p[0]->viewport()->cursor().shape(), Qt::PointingHandCursor);
    SendMouse(p[0], QEvent::MouseMove, RowPoint(p[0], 1), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(p[0]->viewport()->cursor().shape(), Qt::ArrowCursor);
    // In tree mode the badge of a topic with children is a button.
    const QRect c0 = p[0]->RowContentRect(0);
    SendMouse(p[0], QEvent::MouseMove, QPoint(c0.x() + 5, c0.y() + 5), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(p[0]->viewport()->cursor().shape(), Qt::ArrowCursor);
    p[0]->TreeMode = true;
    SendMouse(p[0], QEvent::MouseMove, QPoint(c0.x() + 5, c0.y() + 6), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(p[0]->viewport()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(over.size(), 1u);
}

TEST_F(Input, RightDoubleClicksAreSwallowed) {
    Open("a b");
    std::vector<int> downs;  // 1 single, 2 double
    p[0]->OnMouseDown = [&](TCustomGrid*, TCustomGrid::TMouseButton, TShiftState s, int, int) {
        downs.push_back(s.Contains(ssDouble) ? 2 : 1);
    };
    const QPoint at = RowPoint(p[0], 1);
    SendMouse(p[0], QEvent::MouseButtonDblClick, at, Qt::RightButton, Qt::RightButton);
    EXPECT_TRUE(downs.empty());
    SendMouse(p[0], QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    SendMouse(p[0], QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(downs, (std::vector<int>{1, 2}));
}

TEST_F(Input, DoubleClickingAnEmptyPanelMakesItsFirstTopic) {
    Open("a(b) c");
    p[0]->SelectRow(1);
    PanelsManager().RefreshPanelsFrom(1);
    ASSERT_EQ(p[1]->Nester->RowCount(), 0);
    QTest::mouseDClick(p[1]->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
    EXPECT_EQ(p[1]->Nester->RowCount(), 1);
    EXPECT_EQ(p[1]->CurrentRow(), 0);
    EXPECT_GT(p[0]->Nester->ChildNest(1), 0);
    EXPECT_EQ(pair->Dump(), "a\n  b\nc\n  \n");
}

TEST_F(Input, MakeActiveFocusesThisPanel) {
    Open("a(b) c");
    ASSERT_NO_FATAL_FAILURE(Activate(p[0]));
    p[1]->MakeActive();
    QCoreApplication::processEvents();
    EXPECT_TRUE(p[1]->hasFocus());
    EXPECT_EQ(CurrentPanel, 2);
    // A hidden panel cannot take the focus: it becomes the active panel directly.
    p[2]->hide();
    p[2]->MakeActive();
    EXPECT_EQ(CurrentPanel, 3);
}

}  // namespace
}  // namespace kiv::paneltest

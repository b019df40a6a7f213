// The main window's handlers of the outline panels: clicks that mark, the badge, keys, and
// topics dragged from one panel onto another.
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

#include "mainwindow/drops/Drops.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

class Handlers : public PanelsWindow {
protected:
    void ClickWith(TKivStringGrid* g, int row, Qt::KeyboardModifiers mods) {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, mods, g->CaptionRect(row).center());
        QCoreApplication::processEvents();
    }

    // The program's own topic drag from a panel, over a row of a panel, then dropped there.
    bool DragOver(TKivStringGrid* from, TKivStringGrid* onto, QPoint at) {
        mime_.setData(QString::fromLatin1(TKivStringGrid::InternalDragFormat), QByteArray());
        TKivStringGrid::SetInternalDragSource(from);
        QDragEnterEvent enter(at, Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(onto->viewport(), &enter);
        QDragMoveEvent move(at, Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(onto->viewport(), &move);
        return move.isAccepted();
    }
    void Drop(TKivStringGrid* onto, QPoint at) {
        QDropEvent drop(at, Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(onto->viewport(), &drop);
        TKivStringGrid::SetInternalDragSource(nullptr);
        QCoreApplication::processEvents();
    }
    std::string Tree() {
        f->FlushCurrentRow();
        return DumpTree(PanelsManager().NestFile, PanelsManager().CardFile);
    }

private:
    QMimeData mime_;
};

TEST_F(Handlers, CtrlAndShiftClicksMarkAndKeepTheCurrentRow) {
    Open("a b c d e");
    ClickWith(p1, 1, {});
    ASSERT_EQ(p1->CurrentRow(), 1);
    ClickWith(p1, 3, Qt::ControlModifier);
    EXPECT_TRUE(p1->Nester->IsMarked(3));
    EXPECT_EQ(p1->CurrentRow(), 1);
    ClickWith(p1, 3, Qt::ControlModifier);
    EXPECT_FALSE(p1->Nester->IsMarked(3));
    ClickWith(p1, 1, Qt::ControlModifier);
    EXPECT_FALSE(p1->Nester->IsMarked(1)) << "Ctrl on the current row changes nothing";
    ClickWith(p1, 4, Qt::ShiftModifier);
    EXPECT_EQ(p1->Nester->GetMarkedRows(false), (TIArray{2, 3, 4}));
    EXPECT_EQ(p1->CurrentRow(), 1);
    // A plain click on a marked row keeps the current row; on another row it moves and
    // clears the marks.
    ClickWith(p1, 3, {});
    EXPECT_EQ(p1->CurrentRow(), 1);
    ClickWith(p1, 0, {});
    EXPECT_EQ(p1->CurrentRow(), 0);
    EXPECT_TRUE(p1->Nester->GetMarkedRows(false).empty());
}

TEST_F(Handlers, ABadgeClickOutsideTreeModeChoosesTheRowAndOnlyHintsWhatItDoes) {
    Open("a b");
    const QRect badge = TKivStringGrid::BadgeRect(p1->RowContentRect(1));
    QTest::mouseClick(p1->viewport(), Qt::LeftButton, {}, badge.center());
    QCoreApplication::processEvents();
    EXPECT_EQ(p1->CurrentRow(), 1);
    EXPECT_TRUE(Dialogs().Messages.empty()) << "no error box for a click that chooses a row: "
                                            << Dialogs().MessageTexts().join("|").toStdString();
    EXPECT_EQ(f->Skeleton().StatusBar->currentMessage(),
              QStringLiteral(
                  "Clicking numbered area only shows/hides next level when in classic dataviews."));
}

TEST_F(Handlers, RightOnAnEmptyPanelMakesItsFirstTopic) {
    Open("a b");
    p2->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(p2, Qt::Key_Right);
    ASSERT_EQ(p2->Nester->RowCount(), 1);
    EXPECT_EQ(Tree(), "a\n  \nb\n");
}

TEST_F(Handlers, EnterStartsEditMode) {
    Open("a");
    p1->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(p1, Qt::Key_Return);
    EXPECT_TRUE(PanelsManager().EditMode);
    EXPECT_TRUE(f->Panels().EditMode->Checked());
    QTest::keyClick(p1->CaptionEditor, Qt::Key_Escape);
    EXPECT_FALSE(PanelsManager().EditMode);
    EXPECT_FALSE(f->Panels().EditMode->Checked());
    EXPECT_TRUE(f->Panels().CompactNavigate->Checked());
}

TEST_F(Handlers, AClickPastTheEndOfACaptionPutsTheCaretAtItsEnd) {
    Open("a caption");
    PanelsManager().SetEditMode(true);
    QCoreApplication::processEvents();
    // Past the text, on the row's right: where X sends it, to the widget under the point.
    for (int row : {1, 1}) {
        const QRect r = p1->CaptionRect(row);
        const QPoint global = p1->viewport()->mapToGlobal(QPoint(r.right() - 3, r.center().y()));
        QWidget* under = QApplication::widgetAt(global);
        ASSERT_NE(under, nullptr);
        QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFromGlobal(global));
        QCoreApplication::processEvents();
        EXPECT_EQ(p1->CurrentRow(), 1);
        EXPECT_EQ(QApplication::focusWidget(), p1->CaptionEditor);
        EXPECT_EQ(p1->CaptionEditor->textCursor().position(), 7) << "after \"caption\"";
    }
}

TEST_F(Handlers, DraggingTheCurrentTopicForwardNeedsMarks) {
    Open("a(a1) b");
    p1->setFocus(Qt::OtherFocusReason);
    const QPoint onA1 = p2->CaptionRect(0).center();
    EXPECT_FALSE(DragOver(p1, p2, onA1)) << "only marked topics go to a later panel";
    ClickWith(p1, 1, Qt::ControlModifier);  // mark b
    ASSERT_TRUE(DragOver(p1, p2, onA1));
    Drop(p2, onA1);
    EXPECT_EQ(Tree(), "a\n  a1\n  b\n");
    EXPECT_EQ(p1->Nester->RowCount(), 1);
    EXPECT_EQ(p2->Nester->RowCount(), 2);
    EXPECT_TRUE(Dialogs().Messages.empty());
}

TEST_F(Handlers, DraggingBackTakesTheCurrentTopicAlong) {
    Open("a b c(c1 c2)");
    ClickWith(p1, 2, {});
    ASSERT_EQ(p2->Nester->RowCount(), 2);
    ClickWith(p2, 1, {});  // c2 is current in panel 2
    ASSERT_EQ(CurrentPanel, 2);
    const QPoint onA = p1->CaptionRect(0).center();
    EXPECT_FALSE(DragOver(p2, p2, p2->CaptionRect(1).center())) << "not onto itself";
    ASSERT_TRUE(DragOver(p2, p1, onA));
    Drop(p1, onA);
    EXPECT_EQ(Tree(), "a\nc2\nb\nc\n  c1\n");
    EXPECT_TRUE(Dialogs().Messages.empty());
}

TEST_F(Handlers, DraggingWithinAPanelMovesTheTopic) {
    Open("a b c");
    ClickWith(p1, 0, {});
    ASSERT_TRUE(DragOver(p1, p1, p1->CaptionRect(2).center()));
    Drop(p1, p1->CaptionRect(2).center());
    EXPECT_EQ(Tree(), "b\nc\na\n");
    EXPECT_EQ(p1->Nester->Caption(p1->CurrentRow()), "a") << "the moved topic stays current";
    EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("a"));
}

TEST_F(Handlers, ATopicIsNotMovedIntoItsOwnBranch) {
    Open("a(a1(a2)) b");
    PanelsManager().SetTreeMode(true);
    p1->Nester->Clear();
    p1->Nester->LoadBranch(-1, false);
    p1->RowsChanged(0);
    p1->ExpandRow(0);
    p1->ExpandRow(1);
    ASSERT_EQ(p1->Nester->RowCount(), 4);  // a, a1, a2, b
    ASSERT_EQ(p1->Nester->Caption(2), "a2");
    p1->SelectRow(0);
    const QPoint onA2 = p1->CaptionRect(2).center();
    ASSERT_TRUE(DragOver(p1, p1, onA2));
    Drop(p1, onA2);
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text,
              QStringLiteral("It is not possible to move a topic to its own branch."));
    EXPECT_EQ(Tree(), "a\n  a1\n    a2\nb\n");
}

TEST_F(Handlers, ExpandedTopicsStayExpandedWhenTheyBringTheScrollBarAndOnResizes) {
    const std::string caption =
        "\"A long caption that wraps over several lines of a panel, as it keeps going with "
        "words and more words, and more still until it needs a few lines\"";
    std::string tree;
    for (int i = 0; i < 10; ++i) tree += caption + " ";
    Open(tree);
    p1->setFocus(Qt::OtherFocusReason);
    QScrollBar* bar = p1->verticalScrollBar();
    ASSERT_FALSE(bar->isVisible());
    // Keypad "+" on one topic after another, until well after the scroll bar came.
    std::vector<int> expanded;
    for (int r = 0; r < p1->Nester->RowCount(); ++r) {
        p1->SelectRow(r);
        QTest::keyClick(p1, Qt::Key_Plus, Qt::KeypadModifier);
        QCoreApplication::processEvents();
        expanded.push_back(r);
        if (bar->isVisible() && r >= 6) break;
    }
    ASSERT_TRUE(bar->isVisible());
    auto expectExpanded = [&](const char* when) {
        for (int r : expanded) {
            EXPECT_GT(p1->RowHeights(r), p1->DefaultRowHeight()) << when << ", row " << r;
            EXPECT_EQ(p1->RowHeights(r), p1->RowHeight(r))
                << when << ", row " << r << " fitted at the width";
        }
        EXPECT_EQ(p1->ColWidths(0), p1->ClientWidth()) << when;
    };
    expectExpanded("with the scroll bar");
    f->resize(f->width() - 200, f->height() - 100);
    QCoreApplication::processEvents();
    expectExpanded("after a resize");
    // The key collapses a topic again.
    p1->SelectRow(expanded[0]);
    QTest::keyClick(p1, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(p1->RowHeights(expanded[0]), p1->DefaultRowHeight());
}

TEST_F(Handlers, TheDropMarkerShowsWhereDraggedTopicsLand) {
    Open("a(a1 a2) b c");
    TWindowSkeleton& k = f->Skeleton();
    ASSERT_TRUE(f->Drops().pnlDropBox->isHidden());
    auto expectMarkerOn = [&](TKivStringGrid* g, int row) {
        ASSERT_FALSE(f->Drops().pnlDropBox->isHidden());
        EXPECT_EQ(f->Drops().pnlDropBox->parentWidget(), g->viewport());
        EXPECT_EQ(f->Drops().pnlDropBox->pos(), g->RowContentRect(row).topLeft() + QPoint(1, 1));
        EXPECT_EQ(f->Drops().imDropBoxTag, 1);
        EXPECT_EQ(f->Drops().imDropBox->pixmap().toImage(), f->Drops().imlAppend[1].toImage())
            << "the highlighted picture";
        EXPECT_EQ(k.StatusBar->currentMessage(), QStringLiteral("Move items(s) to this position"));
    };

    // The current topic of panel 1 dragged, with the mouse, over another row of its panel.
    ClickWith(p1, 0, {});
    bool shownDuringDrag = false;
    struct StarterBack {
        ~StarterBack() { TKivStringGrid::SetDragStarter(nullptr); }
    } starterBack;
    TKivStringGrid::SetDragStarter([&](TKivStringGrid* src, QMimeData* data) {
        delete data;
        ASSERT_TRUE(DragOver(src, p1, p1->CaptionRect(2).center()));
        expectMarkerOn(p1, 2);
        shownDuringDrag = !f->Drops().pnlDropBox->isHidden();
        // Over the current row, and over a row of a later panel without marks: refused, no marker.
        EXPECT_FALSE(DragOver(src, p1, p1->CaptionRect(0).center()));
        EXPECT_TRUE(f->Drops().pnlDropBox->isHidden());
        EXPECT_FALSE(DragOver(src, p2, p2->CaptionRect(1).center()));
        EXPECT_TRUE(f->Drops().pnlDropBox->isHidden());
        EXPECT_TRUE(k.StatusBar->currentMessage().isEmpty());
        // Accepted again: it comes back where the mouse is.
        ASSERT_TRUE(DragOver(src, p1, p1->CaptionRect(1).center()));
        expectMarkerOn(p1, 1);
    });
    const QPoint from = p1->CaptionRect(0).center(), to = p1->CaptionRect(1).center();
    QTest::mousePress(p1->viewport(), Qt::LeftButton, {}, from);
    for (QPoint at : {to, to + QPoint(6, 4)}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(p1->viewport()->mapToGlobal(at)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(p1->viewport(), &move);
    }
    EXPECT_TRUE(shownDuringDrag) << "the drag ran";
    EXPECT_TRUE(f->Drops().pnlDropBox->isHidden()) << "the end of the drag takes the marker away";
    QTest::mouseRelease(p1->viewport(), Qt::LeftButton, {}, to);

    // A marked topic dragged to panel 2: the marker moves onto that panel; not over a
    // marked row.
    ClickWith(p1, 2, Qt::ControlModifier);
    ASSERT_TRUE(DragOver(p1, p2, p2->CaptionRect(1).center()));
    expectMarkerOn(p2, 1);
    EXPECT_FALSE(DragOver(p1, p1, p1->CaptionRect(2).center()));
    EXPECT_TRUE(f->Drops().pnlDropBox->isHidden());
    TKivStringGrid::SetInternalDragSource(nullptr);
}

TEST_F(Handlers, ADragOverTheEmptyPartOfAPanelIsNoError) {
    Open("a(a1 a2) b c");
    ClickWith(p1, 0, {});
    ClickWith(p1, 2, Qt::ControlModifier);
    const int before = int(Dialogs().Messages.size());
    const QPoint belowRows(p1->CaptionRect(0).center().x(), p1->viewport()->height() - 4);
    ASSERT_EQ(p1->RowAt(belowRows.x(), belowRows.y()), -1);
    // Within its own panel and onto the next one, below the last row: refused, quietly.
    EXPECT_FALSE(DragOver(p1, p1, belowRows));
    EXPECT_FALSE(DragOver(p1, p2, QPoint(belowRows.x(), p2->viewport()->height() - 4)));
    EXPECT_TRUE(f->Drops().pnlDropBox->isHidden());
    EXPECT_EQ(int(Dialogs().Messages.size()), before) << "no error box";
    TKivStringGrid::SetInternalDragSource(nullptr);
}

TEST_F(Handlers, OtherRoomsFindEachPanelByItsNumber) {
    Open("a b");
    TNeed<IPanels> panels(f->Published());
    for (int n = 0; n <= 4; ++n) {
        TKivStringGrid* expected = n == 1 ? p1 : n == 2 ? p2 : n == 3 ? p3 : nullptr;
        EXPECT_EQ(panels->Panel(n), expected) << "panel " << n;
        if (expected) {
            EXPECT_EQ(expected->Tag, n) << "the number the panels manager uses";
        }
    }
}

}  // namespace
}  // namespace kiv::wintest

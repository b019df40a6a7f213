// The floating panels and the bins: header drag kept inside the client area, the close
// buttons, the bin lists' Del keys, drops and drawing, the Template Bin's delete in the
// template file, and the launch card list's keys and write-back.
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "mainwindow/MainHelpers.h"
#include "mainwindow/bins/Bins.h"
#include "mainwindow/drops/Drops.h"
#include "mainwindow/launch/LaunchCard.h"
#include "platform/qt/WidgetState.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

const std::string S = "\x01";

// ---- header drag ----

struct DragCase {
    const char* Name;
    QRect Start;
    std::vector<QPoint> Moves;  // mouse positions after the press at (0, 0)
};

TEST(PanelDrag, NoSingleMoveCarriesAPanelOutOfTheArea) {
    const TPanelArea area{60, 580, 800};
    const DragCase cases[] = {
        {"fast up past the tool bar",
         {100, 100, 240, 200},
         {{0, -10}, {0, -300}, {5, -39}, {0, -45}}},
        {"fast down over the status bar",
         {100, 100, 240, 200},
         {{0, 200}, {0, 279}, {0, 280}, {0, 900}}},
        {"left and right edges",
         {100, 100, 240, 200},
         {{-100, 0}, {-101, 0}, {-5000, 0}, {459, 0}, {460, 0}, {10000, 10000}}},
        {"diagonal jumps",
         {300, 300, 240, 200},
         {{-400, -400}, {600, 600}, {-299, -239}, {259, 79}}},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QRect bounds = c.Start;
        for (const QPoint& p : c.Moves) {
            QRect to;
            if (TBins::DragBounds(c.Start, QPoint(0, 0), p, area, to)) bounds = to;
            EXPECT_GE(bounds.top(), 61) << p.x() << "," << p.y();
            EXPECT_LE(bounds.bottom(), 579);
            EXPECT_GE(bounds.left(), 0);
            EXPECT_LE(bounds.right(), 799);
        }
    }
    // The edges themselves are reachable.
    QRect to;
    EXPECT_TRUE(TBins::DragBounds({100, 100, 240, 200}, {}, {-100, -39}, area, to));
    EXPECT_EQ(to, QRect(0, 61, 240, 200));
    EXPECT_TRUE(TBins::DragBounds({100, 100, 240, 200}, {}, {460, 280}, area, to));
    EXPECT_EQ(to.bottomRight(), QPoint(799, 579));
    EXPECT_FALSE(TBins::DragBounds({100, 100, 240, 200}, {}, {0, -40}, area, to));
}

// ---- the Resource Bin's lines ----

TEST(ResourceBinLines, TitleUnderlinedThenSeparatorAndTargetInRed) {
    QFont font(QStringLiteral("DejaVu Sans"), 9);
    QFont under = font;
    under.setUnderline(true);
    const int siteWidth = QFontMetrics(under).horizontalAdvance(QStringLiteral("Site"));
    const auto link =
        LaunchBinRuns(QStringLiteral("http://a.b/") + QChar(1) + QStringLiteral("Site"), font, 10);
    ASSERT_EQ(link.size(), 2u);
    EXPECT_EQ(link[0].Text, QStringLiteral("Site"));
    EXPECT_EQ(link[0].X, 14);
    EXPECT_TRUE(link[0].Underline);
    EXPECT_FALSE(link[0].Red);
    EXPECT_EQ(link[1].Text, QStringLiteral(" - http://a.b/"));
    EXPECT_EQ(link[1].X, 14 + siteWidth);
    EXPECT_FALSE(link[1].Underline);
    EXPECT_TRUE(link[1].Red);

    const auto plain = LaunchBinRuns(QStringLiteral("plain"), font, 0);
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].Text, QStringLiteral("plain"));
    EXPECT_EQ(plain[0].X, 4);
    EXPECT_TRUE(plain[0].Underline);
    EXPECT_EQ(plain[1].Text, QStringLiteral(" - "))
        << "no character 1: the whole line, then the separator only";
    EXPECT_TRUE(plain[1].Red);
}

// ---- in the window ----

class Bins : public WindowFixture {
protected:
    TForm1* f = nullptr;
    TKivStringGrid* g = nullptr;
    TWindowSkeleton* k = nullptr;
    TBins* b = nullptr;
    std::vector<std::pair<QWidget*, KivAction*>> shown;

    void Open(std::string_view tree) {
        MakeJoined(Home() + "FirstKivDB.kiv", tree);
        f = Start();
        g = f->Panels().sgdFirst;
        k = &f->Skeleton();
        b = &f->Bins();
        ASSERT_EQ(g->CurrentRow(), 0);
    }
    static void Select(QListWidget* list, std::initializer_list<int> rows) {
        list->clearSelection();
        for (int r : rows) list->item(r)->setSelected(true);
    }
    static QStringList Lines(const QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }
    // A drag of the program's topics, from source, entering the list and dropped there.
    bool DropOn(QListWidget* list, QObject* source) {
        QMimeData data;
        data.setData(QString::fromLatin1(TKivStringGrid::InternalDragFormat), "1");
        TKivStringGrid::SetInternalDragSource(source);
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &enter);
        const bool accepted = enter.isAccepted();
        QDropEvent drop(QPointF(at), Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &drop);
        TKivStringGrid::SetInternalDragSource(nullptr);
        return accepted;
    }
    // Entries of a bin list dragged over the panel's row (-1: its blank top) and dropped
    // there; whether the move was accepted.
    bool DragBinOnto(QListWidget* list, TKivStringGrid* onto, int row, bool drop = true) {
        QMimeData data;
        data.setData(QString::fromLatin1(TKivStringGrid::InternalDragFormat),
                     list->objectName().toUtf8());
        TKivStringGrid::SetInternalDragSource(list);
        const QPoint at = row >= 0 ? onto->CaptionRect(row).center() : QPoint(10, 5);
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(onto->viewport(), &enter);
        QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(onto->viewport(), &move);
        if (drop && move.isAccepted()) {
            QDropEvent d(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(onto->viewport(), &d);
        }
        TKivStringGrid::SetInternalDragSource(nullptr);
        QCoreApplication::processEvents();
        return move.isAccepted();
    }
    std::string Tree() {
        f->FlushCurrentRow();
        return DumpTree(PanelsManager().NestFile, PanelsManager().CardFile);
    }
};

TEST_F(Bins, AHeaderDragStopsBelowTheToolBarAndAboveTheStatusBarAfterEveryMove) {
    Open("a");
    QWidget* panel = b->pnlClipBin;
    panel->setGeometry(100, 150, 240, 200);
    panel->show();
    auto* header = panel->findChild<QLabel*>(QStringLiteral("pnlClipBinHeader"));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->height(), 18);
    const TPanelArea area = f->Bins().PanelArea();
    EXPECT_EQ(area.ToolsBottom, k->cbTools->geometry().bottom() + k->cbTools->parentWidget()->y());
    EXPECT_EQ(area.StatusTop, k->StatusBar->y());
    const QPoint start = header->mapToGlobal(QPoint(20, 9));
    QTest::mousePress(header, Qt::LeftButton, {}, QPoint(20, 9));
    // Up in steps of 7 pixels: it halts just below the tool bar.
    for (int dy = 7; dy <= 400; dy += 7) {
        f->Bins().pnlHelpHeaderMouseMove(header, start - QPoint(0, dy));
        ASSERT_GT(panel->geometry().top(), area.ToolsBottom);
    }
    EXPECT_LE(panel->geometry().top(), area.ToolsBottom + 7);
    // One fast move far down and right: refused whole.
    const QRect before = panel->geometry();
    f->Bins().pnlHelpHeaderMouseMove(header, start + QPoint(3000, 3000));
    EXPECT_EQ(panel->geometry(), before);
    for (int d = 5; d <= 1500; d += 5) {
        f->Bins().pnlHelpHeaderMouseMove(header, start + QPoint(d, d));
        ASSERT_LT(panel->geometry().bottom(), area.StatusTop);
        ASSERT_LT(panel->geometry().right(), area.ClientWidth);
    }
    EXPECT_GE(panel->geometry().bottom(), area.StatusTop - 6) << "it reached the status bar";
    f->Bins().pnlHelpHeaderMouseUp();
    const QRect after = panel->geometry();
    f->Bins().pnlHelpHeaderMouseMove(header, start);
    EXPECT_EQ(panel->geometry(), after) << "no drag after the button is up";
}

TEST_F(Bins, CloseButtonsHideTheirPanelAndUncheckItsAction) {
    Open("a");
    for (QWidget* panel : {b->pnlClipBin, b->pnlLaunchBin, b->pnlTemplateBin, b->pnlTextBin,
                           f->LaunchCard().pnlLaunchCard}) {
        SCOPED_TRACE(panel->objectName().toStdString());
        KivAction* action = f->Bins().PanelAction(panel);
        ASSERT_TRUE(action);
        panel->show();
        action->SetChecked(true);
        auto* close =
            panel->findChild<QToolButton*>(QStringLiteral("btnClose") + panel->objectName().mid(3));
        ASSERT_TRUE(close);
        close->click();
        EXPECT_TRUE(panel->isHidden());
        EXPECT_FALSE(action->isChecked());
    }
    // The show commands toggle their bins, the check mark following.
    for (KivAction* a : {b->acShowClipBin, b->acShowLaunchBin, b->acShowTemplate}) {
        QWidget* panel = a == b->acShowClipBin     ? b->pnlClipBin
                         : a == b->acShowLaunchBin ? b->pnlLaunchBin
                                                   : b->pnlTemplateBin;
        a->Execute();
        EXPECT_TRUE(isShown(panel));
        EXPECT_TRUE(a->isChecked());
        a->Execute();
        EXPECT_TRUE(panel->isHidden());
        EXPECT_FALSE(a->isChecked());
    }
}

TEST_F(Bins, DelRemovesTheSelectedLinesWithTheirEntries) {
    Open("a b c d");
    // Clip Bin: lines and records stay paired.
    for (uint32_t i = 0; i < 4; ++i) {
        b->ClipCardBin.Add({1, 10 + i, 0});
        b->lbxClipCard->addItem(QString::number(i));
    }
    Select(b->lbxClipCard, {0, 2});
    QTest::keyClick(b->lbxClipCard, Qt::Key_Delete);
    EXPECT_EQ(Lines(b->lbxClipCard), QStringList({"1", "3"}));
    ASSERT_EQ(b->ClipCardBin.Count(), 2);
    EXPECT_EQ(b->ClipCardBin.GetItem(0).CardDir, 11u);
    EXPECT_EQ(b->ClipCardBin.GetItem(1).CardDir, 13u);
    Select(b->lbxClipCard, {1});
    QTest::keyClick(b->lbxClipCard, Qt::Key_Delete);
    EXPECT_EQ(Lines(b->lbxClipCard), QStringList({"1"}));
    EXPECT_EQ(b->ClipCardBin.Count(), 1);

    // Resource Bin: the line at the first removed place is selected; 17 when empty.
    for (const char* l : {"/x/1", "/x/2", "/x/3", "/x/4"})
        b->lbxLaunchBin->addItem(QString::fromLatin1(l));
    SetImageIndex(b->acShowLaunchBin, 19);
    Select(b->lbxLaunchBin, {1, 2});
    QTest::keyClick(b->lbxLaunchBin, Qt::Key_Delete);
    EXPECT_EQ(Lines(b->lbxLaunchBin), QStringList({"/x/1", "/x/4"}));
    EXPECT_EQ(b->lbxLaunchBin->currentRow(), 1);
    EXPECT_EQ(ImageIndex(b->acShowLaunchBin), 19);
    Select(b->lbxLaunchBin, {1});
    QTest::keyClick(b->lbxLaunchBin, Qt::Key_Delete);
    EXPECT_EQ(b->lbxLaunchBin->currentRow(), 0) << "past the end: the last line";
    Select(b->lbxLaunchBin, {0});
    QTest::keyClick(b->lbxLaunchBin, Qt::Key_Delete);
    EXPECT_EQ(b->lbxLaunchBin->count(), 0);
    EXPECT_EQ(ImageIndex(b->acShowLaunchBin), 17);
}

TEST_F(Bins, TheTextBinIconFollowsItsText) {
    Open("a");
    const std::pair<const char*, int> cases[] = {
        {"", 18},  {"   ", 18},      {"\n\t \n", 18},
        {"x", 21}, {"  note  ", 21}, {"          ", 21} /* 10 characters */,
    };
    for (const auto& [text, image] : cases) {
        b->txtTextBin->setPlainText(QString::fromLatin1(text));
        EXPECT_EQ(ImageIndex(b->acShowTextBin), image) << '"' << text << '"';
    }
}

TEST_F(Bins, TemplateBinDelRemovesOnlyTheChosenTopicsFromTheTemplate) {
    const std::string tpl = Home() + "template.kiv";
    MakeJoined(tpl, "a(x) b c");
    Open("t");
    ASSERT_EQ(Lines(b->lbxTemplate), QStringList({"a", "b", "c"})) << "listed at start";
    ASSERT_EQ(b->TemplateBin.Count(), 3);
    Select(b->lbxTemplate, {0, 2});
    QTest::keyClick(b->lbxTemplate, Qt::Key_Delete);
    EXPECT_EQ(Lines(b->lbxTemplate), QStringList({"b"}));
    ASSERT_EQ(b->TemplateBin.Count(), 1);
    EXPECT_EQ(DumpTreePair(tpl), "b\n");
    Stop();
    EXPECT_EQ(ReadJoined(tpl).Tree, "b\n") << "joined again at exit";
}

TEST_F(Bins, TemplateBinDelKeepsTopicsTheListDoesNotShow) {
    const std::string tpl = Home() + "template.kiv";
    MakeJoined(tpl, "a b c d");
    Open("t");
    ASSERT_EQ(b->TemplateBin.Count(), 4);
    // The list knows a, b and c only, as when d came into the template after it was listed.
    delete b->lbxTemplate->takeItem(3);
    b->TemplateBin.Delete(3);
    Select(b->lbxTemplate, {1});
    QTest::keyClick(b->lbxTemplate, Qt::Key_Delete);
    EXPECT_EQ(Lines(b->lbxTemplate), QStringList({"a", "c"}));
    EXPECT_EQ(DumpTreePair(tpl), "a\nc\nd\n");
}

TEST_F(Bins, ClipBinTakesTopicDragsFromAPanelOnlyAndTheTemplateBinTemplatesThem) {
    Open("a b");
    EXPECT_TRUE(DropOn(b->lbxClipCard, g));
    EXPECT_EQ(Lines(b->lbxClipCard), QStringList({"a"}));
    b->lbxLaunchBin->addItem(QStringLiteral("/x/1"));
    EXPECT_FALSE(DropOn(b->lbxClipCard, b->lbxLaunchBin))
        << "the Resource Bin's lines are no topics";
    EXPECT_FALSE(DropOn(b->lbxClipCard, nullptr));
    EXPECT_EQ(b->lbxClipCard->count(), 1);
    EXPECT_EQ(b->ClipCardBin.Count(), 1);
    int templated = 0;
    f->FileCommands().acDoAsTemplate->OnExecute = [&](KivAction*) { ++templated; };
    EXPECT_FALSE(DropOn(b->lbxTemplate, b->lbxLaunchBin));
    EXPECT_EQ(templated, 0);
    EXPECT_TRUE(DropOn(b->lbxTemplate, g));
    EXPECT_EQ(templated, 1);
}

TEST_F(Bins, TheLaunchCardShowsUnderTheRowAndIsStoredAtCloseOnlyAfterAnEdit) {
    Open("t u");
    TLaunchCard& L = f->LaunchCard();
    const std::string links = "/d/a.txt" + S + "A\r\n/d/b.txt" + S + "B\r\n";
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, links));
    f->LaunchCard().acShowLaunchCard->Execute();
    ASSERT_TRUE(isShown(L.pnlLaunchCard));
    const QRect r = g->RowContentRect(0);
    EXPECT_EQ(L.pnlLaunchCard->pos(),
              g->viewport()->mapTo(f, QPoint(r.left() + 5, r.bottom() + 4)));
    auto* close = L.pnlLaunchCard->findChild<QToolButton*>(QStringLiteral("btnCloseLaunchCard"));
    ASSERT_TRUE(close);

    // Without an edit the list is not written: a change made behind it stays.
    const std::string behind = "/d/c.txt" + S + "C\r\n";
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, behind));
    close->click();
    EXPECT_TRUE(L.pnlLaunchCard->isHidden());
    EXPECT_EQ(g->Nester->LaunchList().GetLinks(0), behind);

    // An edited title is.
    f->LaunchCard().acShowLaunchCard->Execute();
    QTreeWidget* lv = L.lvLaunchCard;
    ASSERT_EQ(lv->topLevelItemCount(), 1);
    lv->topLevelItem(0)->setText(0, QStringLiteral("Renamed"));
    close->click();
    EXPECT_EQ(g->Nester->LaunchList().GetLinks(0), "/d/c.txt" + S + "Renamed\r\n");
}

TEST_F(Bins, LaunchCardListEnterEditsAndDelRemovesTheSelectedLinks) {
    Open("t");
    TLaunchCard& L = f->LaunchCard();
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, "/d/1" + S + "1\r\n/d/2" + S + "2\r\n/d/3" + S +
                                                        "3\r\n/d/4" + S + "4\r\n"));
    f->LaunchCard().acShowLaunchCard->Execute();
    QTreeWidget* lv = L.lvLaunchCard;
    ASSERT_EQ(lv->topLevelItemCount(), 4);
    lv->setFocus();
    lv->setCurrentItem(lv->topLevelItem(0));
    QTest::keyClick(lv, Qt::Key_Return);
    EXPECT_TRUE(f->LaunchCard().LaunchCardEditing());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(f->LaunchCard().LaunchCardEditing());

    lv->clearSelection();
    lv->topLevelItem(1)->setSelected(true);
    lv->topLevelItem(2)->setSelected(true);
    lv->setFocus();
    QTest::keyClick(lv, Qt::Key_Delete);
    ASSERT_EQ(lv->topLevelItemCount(), 2);
    EXPECT_EQ(lv->topLevelItem(0)->text(0), QStringLiteral("1"));
    EXPECT_EQ(lv->topLevelItem(1)->text(0), QStringLiteral("4"));
    EXPECT_EQ(lv->currentItem(), lv->topLevelItem(1)) << "the line at the first removed place";
    EXPECT_EQ(g->Nester->LaunchList().GetLinks(0), "/d/1" + S + "1\r\n/d/4" + S + "4\r\n");

    // Over a line the hint shows its target.
    const QRect line = lv->visualItemRect(lv->topLevelItem(1));
    f->LaunchCard().lvLaunchCardMouseMove(line.center());
    EXPECT_EQ(k->StatusBar->currentMessage(), QStringLiteral("/d/4"));
    EXPECT_EQ(lv->viewport()->cursor().shape(), Qt::PointingHandCursor);
    f->LaunchCard().lvLaunchCardMouseMove(QPoint(line.center().x(), lv->viewport()->height() - 2));
    EXPECT_EQ(k->StatusBar->currentMessage(), QString());
}

TEST_F(Bins, TheTextAndResourceBinsSurviveARestartAndTheClipBinHoldsItsTopicsForTheRun) {
    Open("a b c");
    // Two topics marked and current, dragged into the Clip Bin.
    g->Nester->SetMarked(1, true);
    g->SelectRow(2);
    EXPECT_TRUE(DropOn(b->lbxClipCard, g));
    EXPECT_EQ(Lines(b->lbxClipCard), QStringList({"b", "c"}));
    EXPECT_EQ(b->ClipCardBin.Count(), 2);
    b->txtTextBin->setFocus();
    QTest::keyClicks(b->txtTextBin, QStringLiteral("loose notes"));
    EXPECT_EQ(ImageIndex(b->acShowTextBin), 21);
    b->lbxLaunchBin->addItem(QStringLiteral("http://a.b/") + QChar(1) + QStringLiteral("Site"));
    Stop();

    f = Start();
    k = &f->Skeleton();
    b = &f->Bins();
    EXPECT_EQ(b->txtTextBin->toPlainText(), QStringLiteral("loose notes"));
    EXPECT_EQ(ImageIndex(b->acShowTextBin), 21);
    EXPECT_EQ(Lines(b->lbxLaunchBin),
              QStringList({QStringLiteral("http://a.b/") + QChar(1) + QStringLiteral("Site")}));
    EXPECT_EQ(ImageIndex(b->acShowLaunchBin), 19);
    // The Clip Bin points at topics of the run's datastructure; they are where they were.
    EXPECT_EQ(b->lbxClipCard->count(), 0);
    g = f->Panels().sgdFirst;
    ASSERT_EQ(g->Nester->RowCount(), 3);
    EXPECT_EQ(g->Nester->Caption(1), "b");
    EXPECT_EQ(g->Nester->Caption(2), "c");
}


// Two bins shown at once do not lie on one spot: each starts at its own place, Top 80 for
// the first row, inside the window.
TEST_F(Bins, TheFloatingPanelsStartEachInItsOwnPlace) {
    Open("a");
    const std::vector<QWidget*> panels{b->pnlTextBin,   b->pnlClipBin,
                                       b->pnlLaunchBin, b->pnlTemplateBin,
                                       k->pnlMetaCard,  f->LaunchCard().pnlLaunchCard};
    for (size_t i = 0; i < panels.size(); ++i) {
        const QRect r = panels[i]->geometry();
        EXPECT_GE(r.top(), 80) << i;
        EXPECT_LE(r.right(), f->width()) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(r.topLeft(), panels[j]->geometry().topLeft()) << i << " " << j;
    }
    EXPECT_EQ(panels[0]->y(), 80);
}

// ---- dragging out of the bins ----

// A press on an entry and a move of 8 pixels start the program's own drag, with the list as
// its source; a shorter move or a press beside the entries starts none.
TEST_F(Bins, EntriesDragOutOfTheirListsPastEightPixels) {
    Open("a");
    for (QListWidget* list : {b->lbxClipCard, b->lbxTemplate, b->lbxLaunchBin}) {
        SCOPED_TRACE(list->objectName().toStdString());
        list->addItem(QStringLiteral("entry"));
        list->parentWidget()->show();
        list->resize(200, 100);
        std::vector<QObject*> started;
        f->Bins().ListDragStarter = [&](QListWidget* source, QMimeData* data) {
            started.push_back(TKivStringGrid::InternalDragSource());
            EXPECT_EQ(source, list);
            EXPECT_TRUE(data->hasFormat(QString::fromLatin1(TKivStringGrid::InternalDragFormat)));
            delete data;
        };
        const QPoint at = list->visualItemRect(list->item(0)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        list->item(0)->setSelected(true);
        QMouseEvent near(QEvent::MouseMove, QPointF(at + QPoint(3, 2)),
                         list->viewport()->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::LeftButton,
                         {});
        QCoreApplication::sendEvent(list->viewport(), &near);
        EXPECT_TRUE(started.empty());
        QMouseEvent far(QEvent::MouseMove, QPointF(at + QPoint(6, 3)),
                        list->viewport()->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::LeftButton,
                        {});
        QCoreApplication::sendEvent(list->viewport(), &far);
        EXPECT_EQ(started, std::vector<QObject*>{list});
        EXPECT_EQ(TKivStringGrid::InternalDragSource(), nullptr) << "the drag has ended";
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }
}

// Resource Bin links are attached to the topic they are dropped on and leave the bin; an
// empty panel takes none.
TEST_F(Bins, ResourceBinLinksDroppedOnATopicAreAttachedToIt) {
    Open("a b");
    for (const char* line : {"/d/one.txt\x01One", "/d/two.txt\x01Two", "/d/three.txt\x01Three"})
        b->lbxLaunchBin->addItem(QString::fromUtf8(line));
    Select(b->lbxLaunchBin, {0, 2});
    EXPECT_FALSE(DragBinOnto(b->lbxLaunchBin, f->Panels().sgdSecond, -1, false))
        << "an empty panel";
    EXPECT_TRUE(DragBinOnto(b->lbxLaunchBin, g, 1));
    EXPECT_EQ(g->Nester->LaunchList().GetLinks(1),
              "/d/one.txt" + S + "One\r\n/d/three.txt" + S + "Three\r\n");
    EXPECT_EQ(Lines(b->lbxLaunchBin),
              QStringList{QStringLiteral("/d/two.txt") + QChar(1) + QStringLiteral("Two")});
    Select(b->lbxLaunchBin, {0});
    EXPECT_TRUE(DragBinOnto(b->lbxLaunchBin, g, 0));
    EXPECT_EQ(b->lbxLaunchBin->count(), 0);
    EXPECT_EQ(b->acShowLaunchBin->property("ImageIndex").toInt(), 17) << "the empty bin's picture";
    Stop();
    EXPECT_NE(ReadJoined(Home() + "FirstKivDB.kiv").Tree.find("b"), std::string::npos);
}

// Templates dropped on a topic are copied in after it, with their sub-trees; the template
// keeps them.
TEST_F(Bins, TemplatesDroppedOnAPanelAreCopiedInAfterTheTopic) {
    const std::string tpl = Home() + "template.kiv";
    MakeJoined(tpl, "letter(head foot) memo");
    Open("a b");
    ASSERT_EQ(Lines(b->lbxTemplate), QStringList({"letter", "memo"}));
    Select(b->lbxTemplate, {0, 1});
    EXPECT_TRUE(DragBinOnto(b->lbxTemplate, g, 0));
    EXPECT_EQ(Tree(), "a\nletter\n  head\n  foot\nmemo\nb\n");
    EXPECT_TRUE(b->lbxTemplate->selectedItems().isEmpty());
    EXPECT_FALSE(f->IsBusy());
    Stop();
    EXPECT_EQ(ReadJoined(tpl).Tree, "letter\n  head\n  foot\nmemo\n");
}

// A topic set aside in the Clip Bin goes back where it is dropped: it leaves its old place
// and the bin; into its own branch it is refused and stays in the bin.
TEST_F(Bins, ClipBinTopicsArePutBackWhereTheyAreDropped) {
    Open("a(a1 a2) b c");
    ClickRow(g, 2);  // c
    f->Bins().AddToClipCard(g);
    ClickRow(g, 0);  // a
    f->Bins().AddToClipCard(g);
    ASSERT_EQ(Lines(b->lbxClipCard), QStringList({"c", "a"}));
    TKivStringGrid* p2 = f->Panels().sgdSecond;
    ASSERT_EQ(p2->Nester->RowCount(), 2);

    Select(b->lbxClipCard, {1});
    EXPECT_TRUE(DragBinOnto(b->lbxClipCard, p2, 0));  // a under itself
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{
                  QStringLiteral("It is not possible to transfer a topic to its own branch.")});
    EXPECT_EQ(Lines(b->lbxClipCard), QStringList({"c", "a"}));
    EXPECT_EQ(Tree(), "a\n  a1\n  a2\nb\nc\n");

    Select(b->lbxClipCard, {0});
    EXPECT_TRUE(DragBinOnto(b->lbxClipCard, p2, 0));  // c after a1
    EXPECT_EQ(Tree(), "a\n  a1\n  c\n  a2\nb\n");
    EXPECT_EQ(Lines(b->lbxClipCard), QStringList({"a"}));
    EXPECT_EQ(b->ClipCardBin.Count(), 1);
    EXPECT_EQ(g->Nester->RowCount(), 2) << "c left panel 1";
    ASSERT_EQ(p2->Nester->RowCount(), 3);
    EXPECT_EQ(p2->Nester->Caption(1), "c");
    Stop();
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree, "a\n  a1\n  c\n  a2\nb\n");
}

}  // namespace
}  // namespace kiv::wintest

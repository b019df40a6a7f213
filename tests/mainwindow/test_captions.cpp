// Whatever shows a topic's caption follows a change of it at once: the other row of a clone
// (caption and text-card mark), the navigation path and its parent label, the outline tabs
// and the text card's caption line, after typing, insert, split, paste, a move, templates
// dropped on an empty panel and a page's link put into a new topic.
#include <QDragEnterEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QTextEdit>
#include <QtTest>

#include "components/FourthTabSet.h"
#include "mainwindow/bins/Bins.h"
#include "mainwindow/topics/TopicCommands.h"
#include "tests/mainwindow/NavFixture.h"

namespace kiv::wintest {
namespace {

class Captions : public NavFixture {
protected:
    TTopicCommands* t = nullptr;
    TTextCard* card = nullptr;

    void Restart() override {
        NavFixture::Restart();
        t = f->findChild<TTopicCommands*>();
        ASSERT_NE(t, nullptr);
        card = &f->TextCard();
    }
    // The command as the user runs it with the focus in the panel (or its caption editor).
    void Run(TKivStringGrid* g, KivAction* a) {
        (g->Editing() ? static_cast<QWidget*>(g->CaptionEditor) : g)
            ->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        a->Update();
        ASSERT_TRUE(a->isEnabled()) << a->objectName().toStdString();
        a->Execute();
        QCoreApplication::processEvents();
    }
    // The caption typed into the current row's editor and stored as leaving edit mode does.
    void Retype(TKivStringGrid* g, const QString& text) {
        if (!g->Editing()) PanelsManager().SetEditMode(true);
        g->CaptionEditor->setFocus(Qt::OtherFocusReason);
        g->CaptionEditor->selectAll();
        QTest::keyClicks(g->CaptionEditor, text);
        PanelsManager().SetEditMode(false);
        QCoreApplication::processEvents();
    }
    QString Header() const { return card->lblCurDescr->text(); }
    QStringList OutlineTabs() const { return nav->tsOutLine->Tabs().Strings(); }
    QString Row(TKivStringGrid* g, int r) const {
        return QString::fromStdString(g->Nester->Caption(r));
    }
};

TEST_F(Captions, TheOtherRowOfACloneShowsTheNewCaptionAndTextMark) {
    Open("abc(x) z");
    ClickRow(p1, 0);
    Run(p1, t->acToClone);
    ASSERT_EQ(Rows(p1), (QStringList{"abc", "abc", "z"}));
    ASSERT_EQ(p1->Nester->CardDir(0), p1->Nester->CardDir(1));
    Retype(p1, QStringLiteral("renamed"));
    EXPECT_EQ(Rows(p1), (QStringList{"renamed", "renamed", "z"}));
    EXPECT_TRUE(p1->Nester->IsClone(1));
    EXPECT_EQ(OutlineTabs(), (QStringList{"<..>", "1. renamed", "2. renamed", "3. z"}));
    EXPECT_EQ(Header(), "renamed");
    ASSERT_FALSE(p1->Nester->HasText(1));
    // Text typed into the card of one row: the other row shows the text mark when it is stored.
    card->txtSimpleText->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(card->txtSimpleText, QStringLiteral("some text"));
    ClickRow(p1, 2);
    EXPECT_TRUE(p1->Nester->HasText(0));
    EXPECT_TRUE(p1->Nester->HasText(1)) << "the clone's other row";
}

TEST_F(Captions, AnInsertedTopicsTypedCaptionReachesTheCaptionLineAndTheOutlineTabs) {
    Open("a b");
    ClickRow(p1, 0);
    Run(p1, t->acInsertAfter);
    ASSERT_EQ(p1->CurrentRow(), 1);
    EXPECT_EQ(Header(), "[untitled]");
    Retype(p1, QStringLiteral("new one"));
    EXPECT_EQ(Header(), "new one");
    EXPECT_EQ(OutlineTabs(), (QStringList{"<..>", "1. a", "2. new one", "3. b"}));
}

TEST_F(Captions, ASplitTopicIsNamedByItsHeadAndTheTailGetsItsTab) {
    Open("headtail b");
    ClickRow(p1, 0);
    PanelsManager().SetEditMode(true);
    p1->CaptionEditor->setFocus(Qt::OtherFocusReason);
    p1->CaptionEditor->SetSelStart(4);
    Run(p1, t->acToSplit);
    PanelsManager().SetEditMode(false);
    QCoreApplication::processEvents();
    ASSERT_EQ(Rows(p1), (QStringList{"head", "tail", "b"}));
    EXPECT_EQ(Header(), Row(p1, p1->CurrentRow()));
    EXPECT_EQ(OutlineTabs(), (QStringList{"<..>", "1. head", "2. tail", "3. b"}));
}

TEST_F(Captions, APastedTopicGetsItsOutlineTab) {
    Open("a(x) b");
    ClickRow(p1, 0);
    Run(p1, card->acCopy);
    ClickRow(p1, 1);
    Run(p1, card->acPaste);
    ASSERT_EQ(Rows(p1), (QStringList{"a", "b", "a"}));
    EXPECT_EQ(Header(), Row(p1, p1->CurrentRow()));
    EXPECT_EQ(OutlineTabs(), (QStringList{"<..>", "1. a", "2. b", "3. a"}));
}

TEST_F(Captions, AMovedTopicsTabMovesWithIt) {
    Open("a b c");
    ClickRow(p1, 1);
    p1->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(p1, Qt::Key_Down, Qt::AltModifier);
    QCoreApplication::processEvents();
    ASSERT_EQ(Rows(p1), (QStringList{"a", "c", "b"}));
    EXPECT_EQ(Header(), Row(p1, p1->CurrentRow()));
    EXPECT_EQ(OutlineTabs(), (QStringList{"<..>", "1. a", "2. c", "3. b"}));
}

TEST_F(Captions, TemplatesDroppedOnAnEmptyPanelNameTheirTopicEverywhere) {
    MakeJoined(Home() + "template.kiv", "letter(head) memo");
    Open("a");
    ClickRow(p1, 0);
    ASSERT_EQ(p2->Nester->RowCount(), 0);
    QListWidget* templates = f->Bins().lbxTemplate;
    ASSERT_EQ(templates->count(), 2);
    templates->item(0)->setSelected(true);
    // The template's entry dragged onto the empty second panel and dropped.
    QMimeData data;
    data.setData(QString::fromLatin1(TKivStringGrid::InternalDragFormat),
                 templates->objectName().toUtf8());
    TKivStringGrid::SetInternalDragSource(templates);
    const QPoint at(10, 5);
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(p2->viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(p2->viewport(), &move);
    ASSERT_TRUE(move.isAccepted());
    QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(p2->viewport(), &drop);
    TKivStringGrid::SetInternalDragSource(nullptr);
    QCoreApplication::processEvents();
    ASSERT_EQ(Rows(p2), QStringList{"letter"});
    ClickRow(p2, 0);
    EXPECT_EQ(Header(), "letter");
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. a\\"}));
    // Renamed where it stands.
    Retype(p2, QStringLiteral("letters"));
    EXPECT_EQ(Header(), "letters");
}

TEST_F(Captions, ThePathAndTheParentLabelFollowTheParentRowRenamedInTheSinglePanel) {
    Open("A(B C) X");
    f->Actions().Get(QStringLiteral("ac1Panel")).Execute();
    QCoreApplication::processEvents();
    ASSERT_EQ(PanelCount, 1);
    ClickRow(p1, 0);
    nav->ShiftPanelsRight();
    QCoreApplication::processEvents();
    ASSERT_EQ(Rows(p1), (QStringList{"A", "B", "C"})) << "the parent above its children";
    ASSERT_EQ(Path(), (QStringList{"<..>", "1. A\\"}));
    // The parent row renamed: the path's tab and the parent label name it at once.
    ClickRow(p1, 0);
    Retype(p1, QStringLiteral("Above"));
    ASSERT_EQ(Row(p1, 0), "Above");
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. Above\\"}));
    EXPECT_EQ(nav->lblSuperOrd->text(), "Above");
    EXPECT_EQ(Header(), "Above");
}


// On a long top level a renamed or inserted topic reaches its outline tab without the
// strip making the captions of the tabs that do not show.
TEST_F(Captions, ALongTopLevelsTabsFollowChangesAndStayMadeAsTheyShow) {
    std::string tree;
    for (int i = 0; i < 300; ++i) tree += "t" + std::to_string(i) + " ";
    Open(tree);
    TFourthTabSet* tabs = nav->tsOutLine;
    ClickRow(p1, 3);
    Retype(p1, QStringLiteral("renamed"));
    EXPECT_EQ(tabs->Tabs()[4], QStringLiteral("4. renamed"));
    EXPECT_LT(tabs->Tabs().MadeCount(), 60) << "a rename makes only its own tab";
    Run(p1, t->acInsertAfter);
    Retype(p1, QStringLiteral("inserted"));
    ASSERT_EQ(tabs->Tabs().Count(), 302);
    EXPECT_EQ(tabs->Tabs()[5], QStringLiteral("5. inserted"));
    EXPECT_EQ(tabs->Tabs()[301], QStringLiteral("301. t299"));
    EXPECT_LT(tabs->Tabs().MadeCount(), 60) << "an insert makes the tabs that show";
}

}  // namespace
}  // namespace kiv::wintest

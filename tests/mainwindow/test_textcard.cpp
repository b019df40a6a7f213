// The text card when its store fails: the text stays in the editor with its own topic and
// modified, the user is told once, and no other card is loaded over it; a close asks first.
#include <QLabel>
#include <QTextEdit>

#include <QMenu>
#include <functional>

#include "components/FourthTabSet.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "mainwindow/startup/Startup.h"
#include "platform/core/BlockFile.h"
#include "platform/core/SamePath.h"
#include "platform/qt/Dialogs.h"
#include "tests/FileSizeLimit.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

using test::FileSizeLimit;

using TextCard = WindowFixture;

TEST_F(TextCard, AStoreThatIsRefusedKeepsTheTextWithItsTopicAndTellsTheUserOnce) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a b c");
    TForm1* f = Start();
    TKivStringGrid* g = f->Panels().sgdFirst;
    QTextEdit* e = f->TextCard().txtSimpleText;
    ASSERT_EQ(g->CurrentRow(), 0);
    const QString text = QStringLiteral("written about a ") + QString(40000, QLatin1Char('x')) +
                         QStringLiteral(" end");
    e->setPlainText(text);
    e->document()->setModified(true);
    QCoreApplication::processEvents();
    {
        FileSizeLimit full(Home() + "FirstKivDB.dsc");
        ClickRow(g, 1);
        EXPECT_EQ(g->CurrentRow(), 1);
        ASSERT_EQ(Dialogs().Messages.size(), 1u)
            << Dialogs().MessageTexts().join("|").toStdString();
        EXPECT_TRUE(
            Dialogs().Messages[0].Text.contains(QStringLiteral("\"a\" could not be stored")))
            << Dialogs().Messages[0].Text.toStdString();
        EXPECT_EQ(e->toPlainText(), text) << "the text is not replaced by b's card";
        EXPECT_TRUE(e->document()->isModified());
        EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("a"))
            << "the caption names the text's topic";
        // Still failing: no second box, and c's card is not loaded over the text either.
        ClickRow(g, 2);
        EXPECT_EQ(Dialogs().Messages.size(), 1u);
        EXPECT_EQ(e->toPlainText(), text);
        EXPECT_TRUE(e->document()->isModified());
        EXPECT_FALSE(g->Nester->HasText(2));
    }
    // With room again the next topic change stores the text to a, and c's card is shown.
    ClickRow(g, 1);
    EXPECT_FALSE(e->document()->isModified());
    EXPECT_TRUE(g->Nester->HasText(0));
    EXPECT_FALSE(g->Nester->HasText(1));
    EXPECT_EQ(e->toPlainText(), QString()) << "b's empty card";
    ClickRow(g, 0);
    EXPECT_EQ(e->toPlainText(), text);
    EXPECT_EQ(Dialogs().Messages.size(), 1u);
    Stop();
    const TJoinedContent c = ReadJoined(Home() + "FirstKivDB.kiv");
    ASSERT_EQ(c.TextCards.size(), 3u);
    EXPECT_NE(c.TextCards[0].find(" end"), std::string::npos);
    EXPECT_EQ(c.TextCards[1], "");
    EXPECT_EQ(c.TextCards[2], "");
}

// The window with a: a long text typed into a's card, not yet stored.
class CloseWithUnstoredText : public TextCard {
protected:
    const QString text =
        QStringLiteral("kept ") + QString(40000, QLatin1Char('y')) + QStringLiteral(" tail");
    TForm1* f = nullptr;
    QTextEdit* e = nullptr;

    void StartWithPendingText() {
        MakeJoined(Home() + "FirstKivDB.kiv", "a b c");
        f = Start();
        e = f->TextCard().txtSimpleText;
        ASSERT_EQ(f->Panels().sgdFirst->CurrentRow(), 0);
        e->setPlainText(text);
        e->document()->setModified(true);
        QCoreApplication::processEvents();
    }
    bool StillOpenWithText() const {
        return f->isVisible() && e->toPlainText() == text && e->document()->isModified() &&
               f->TextCard().lblCurDescr->text() == QStringLiteral("a");
    }
};

TEST_F(CloseWithUnstoredText, NoKeepsTheWindowAndTheTextUntilItCanBeStored) {
    StartWithPendingText();
    {
        FileSizeLimit full(Home() + "FirstKivDB.dsc");
        Dialogs().AnswerMessage(IDNO);
        EXPECT_FALSE(f->close());
        ASSERT_EQ(Dialogs().Messages.size(), 1u)
            << Dialogs().MessageTexts().join("|").toStdString();
        const MessageBoxRequest& asked = Dialogs().Messages[0];
        EXPECT_EQ(asked.Buttons, MsgButtons::YesNo);
        EXPECT_TRUE(asked.Text.contains(QStringLiteral("\"a\""))) << asked.Text.toStdString();
        EXPECT_TRUE(asked.Text.contains(QStringLiteral("File too large")))
            << asked.Text.toStdString();
        EXPECT_TRUE(asked.Text.contains(QStringLiteral("Close anyway?")))
            << asked.Text.toStdString();
        EXPECT_TRUE(StillOpenWithText());
        // Told once: a topic change that still fails adds no box and keeps the text.
        ClickRow(f->Panels().sgdFirst, 1);
        EXPECT_EQ(Dialogs().Messages.size(), 1u);
        EXPECT_TRUE(StillOpenWithText());
    }
    Stop();
    EXPECT_EQ(Dialogs().Messages.size(), 1u);
    const TJoinedContent c = ReadJoined(Home() + "FirstKivDB.kiv");
    ASSERT_EQ(c.TextCards.size(), 3u);
    EXPECT_NE(c.TextCards[0].find(" tail"), std::string::npos);
    EXPECT_EQ(c.TextCards[1], "");
    EXPECT_FALSE(FileExists(Home() + "FirstKivDB.kiv.unsaved.rtf"));
}

TEST_F(CloseWithUnstoredText, YesClosesWithoutAnotherBox) {
    StartWithPendingText();
    {
        FileSizeLimit full(Home() + "FirstKivDB.dsc");
        Dialogs().AnswerMessage(IDYES);
        EXPECT_TRUE(f->close());
        EXPECT_FALSE(f->isVisible());
    }
    Stop();
    ASSERT_EQ(Dialogs().Messages.size(), 1u) << Dialogs().MessageTexts().join("|").toStdString();
    EXPECT_EQ(Dialogs().Messages[0].Buttons, MsgButtons::YesNo);
}

// After the window is gone nobody sees a box: what the shut-down cannot write on a full
// disk goes to the error stream.
TEST_F(CloseWithUnstoredText, NoBoxOnceTheWindowIsGone) {
    StartWithPendingText();
    f->Bins().txtTextBin->setPlainText(QString(5000, QLatin1Char('t')));
    {
        FileSizeLimit full(Home() + "FirstKivDB.dsc");
        Dialogs().AnswerMessage(IDYES);
        EXPECT_TRUE(f->close());
        windows.Destroy();
    }
    ASSERT_EQ(Dialogs().Messages.size(), 1u) << Dialogs().MessageTexts().join("|").toStdString();
    EXPECT_EQ(Dialogs().Messages[0].Buttons, MsgButtons::YesNo);
    EXPECT_FALSE(Unattended()) << "asking again for the next window";
}

TEST_F(CloseWithUnstoredText, ATerminationKeepsTheTextBesideTheDatastructure) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a b c");
    f = Start();
    e = f->TextCard().txtSimpleText;
    TKivStringGrid* g = f->Panels().sgdFirst;
    // b's long card makes the card file larger than the recovery file will be.
    ClickRow(g, 1);
    e->setPlainText(QString(120000, QLatin1Char('b')));
    e->document()->setModified(true);
    ClickRow(g, 0);
    ASSERT_TRUE(g->Nester->HasText(1));
    e->setPlainText(text);
    e->document()->setModified(true);
    QCoreApplication::processEvents();
    {
        FileSizeLimit full(Home() + "FirstKivDB.dsc");
        f->CloseUnattended();
        EXPECT_FALSE(f->isVisible()) << "nobody to ask: the window closes";
    }
    EXPECT_TRUE(Dialogs().Messages.empty()) << Dialogs().MessageTexts().join("|").toStdString();
    const std::string kept = ReadWholeFile(Home() + "FirstKivDB.kiv.unsaved.rtf");
    EXPECT_EQ(kept.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(kept.find(" tail"), std::string::npos);
    Stop();
}


// Every way to another datastructure (or to the open one again) closes the open one: with
// a's text unstorable it asks first, and No keeps the text, its topic and the datastructure.
class SwitchWithUnstoredText : public CloseWithUnstoredText {
protected:
    std::string first, other;

    void StartWithTwoRecent() {
        first = Home() + "FirstKivDB.kiv";
        other = Home() + "other.kiv";
        MakeJoined(other, "x y");
        MakeJoined(first, "a b c");
        f = Start({other});
        f->Datastructure().OpenDatastructureFile(first);
        ASSERT_TRUE(SamePath(Form1->Open().BookMark->Path, first));
        e = f->TextCard().txtSimpleText;
        e->setPlainText(text);
        e->document()->setModified(true);
        QCoreApplication::processEvents();
    }
    int IndexOf(const std::string& p) const { return InterBase().IndexOfPath(p); }
};

struct SwitchRoad {
    const char* name;
    std::function<void(TForm1*, const std::string& other, FakeDialogs& d)> go;
};

const SwitchRoad kSwitchRoads[] = {
    {"recent file",
     [](TForm1* f, const std::string&, FakeDialogs&) { f->Datastructure().miLast4Click(2); }},
    {"own recent entry",
     [](TForm1* f, const std::string&, FakeDialogs&) { f->Datastructure().miLast4Click(1); }},
    {"File > Open",
     [](TForm1* f, const std::string& other, FakeDialogs& d) {
         d.AnswerOpen({QString::fromStdString(other)});
         f->Datastructure().acOpenDataBase->Execute();
     }},
    {"hand-over",
     [](TForm1* f, const std::string& other, FakeDialogs&) {
         f->Startup().WMCopyData(other);
         ProcessEventsFor(200);
     }},
    {"datastructure tab",
     [](TForm1* f, const std::string& other, FakeDialogs&) {
         f->NavPath().FillInterBaseTabs();
         f->NavPath().tsInterBase->SetTabIndex(InterBase().IndexOfPath(other));
     }},
    {"Open button's list",
     [](TForm1* f, const std::string& other, FakeDialogs&) {
         f->Datastructure().pmLastOpenedPopup();
         f->Datastructure().pmLastOpened->actions().at(InterBase().IndexOfPath(other))->trigger();
     }},
};

TEST_F(SwitchWithUnstoredText, EveryRoadAsksFirstAndNoKeepsTheTextAndTheDatastructure) {
    StartWithTwoRecent();
    for (const SwitchRoad& road : kSwitchRoads) {
        SCOPED_TRACE(road.name);
        Dialogs().Clear();
        {
            FileSizeLimit full(Home() + "FirstKivDB.dsc");
            Dialogs().AnswerMessage(IDNO);
            road.go(f, other, Dialogs());
        }
        ASSERT_EQ(Dialogs().Messages.size(), 1u)
            << Dialogs().MessageTexts().join("|").toStdString();
        const MessageBoxRequest& asked = Dialogs().Messages[0];
        EXPECT_EQ(asked.Buttons, MsgButtons::YesNo);
        EXPECT_TRUE(asked.Text.contains(QStringLiteral("\"a\""))) << asked.Text.toStdString();
        EXPECT_TRUE(asked.Text.contains(QStringLiteral("Close the datastructure anyway?")))
            << asked.Text.toStdString();
        EXPECT_TRUE(StillOpenWithText());
        ASSERT_TRUE(f->DatastructureOpen());
        EXPECT_TRUE(SamePath(Form1->Open().BookMark->Path, first));
        EXPECT_EQ(InterBase().CurrentIndex(), IndexOf(first));
        EXPECT_GE(IndexOf(other), 0) << "the other datastructure stays listed";
    }
    // With room again the close stores the text.
    Stop();
    const TJoinedContent c = ReadJoined(first);
    ASSERT_EQ(c.TextCards.size(), 3u);
    EXPECT_NE(c.TextCards[0].find(" tail"), std::string::npos);
}

// Yes closes: the text card is not told of again (the bins' own failure to be written is).
TEST_F(SwitchWithUnstoredText, YesOpensTheOtherWithoutAskingAgain) {
    StartWithTwoRecent();
    {
        FileSizeLimit full(Home() + "FirstKivDB.dsc");
        Dialogs().AnswerMessage(IDYES);
        f->Datastructure().miLast4Click(2);
    }
    ASSERT_GE(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Buttons, MsgButtons::YesNo);
    for (size_t i = 1; i < Dialogs().Messages.size(); ++i)
        EXPECT_FALSE(Dialogs().Messages[i].Text.contains(QStringLiteral("text card")))
            << Dialogs().Messages[i].Text.toStdString();
    ASSERT_TRUE(f->DatastructureOpen());
    EXPECT_TRUE(SamePath(Form1->Open().BookMark->Path, other));
    const size_t told = Dialogs().Messages.size();
    Stop();
    EXPECT_EQ(Dialogs().Messages.size(), told) << Dialogs().MessageTexts().join("|").toStdString();
}

}  // namespace
}  // namespace kiv::wintest

// The program from start to shut-down: the first start, typing topics and a text card,
// the joined file, and a second start that shows it all again.
#include <QLabel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <csignal>

#include "mainwindow/autolaunch/AutoLaunch.h"
#include "mainwindow/marks/Marks.h"
#include "platform/qt/Program.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

using Window = WindowFixture;

TEST_F(Window, FirstStartMakesFirstKivDBWithOneTopicReadyForTyping) {
    TForm1* f = Start();
    EXPECT_TRUE(f->DatastructureOpen());
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
    EXPECT_TRUE(FileExists(Home() + "FirstKivDB.kiv"));
    EXPECT_TRUE(FileExists(Home() + "FirstKivDB.dsc")) << "open: the pair";
    EXPECT_EQ(f->Panels().sgdFirst->Nester->RowCount(), 1);
    EXPECT_TRUE(f->Panels().sgdFirst->Editing());
    EXPECT_TRUE(PanelsManager().EditMode);
    EXPECT_TRUE(f->Panels().EditMode->Checked());
    EXPECT_EQ(QApplication::focusWidget(), f->Panels().sgdFirst->CaptionEditor)
        << "the caret is in the caption";
    EXPECT_FALSE(Form1->Open().Loading);
    // The window's components carry their names.
    for (const char* name :
         {"sgdFirst", "sgdSecond", "sgdThird", "txtSimpleText", "lblCurDescr", "pnlKiv", "pnlCards",
          "pnlMain", "Splitter1", "cbTools", "StatusBar", "txtTextBin", "lbxLaunchBin",
          "pnlLaunchCard", "pnlTextBin", "pnlHider", "miLast1", "acSaveDatabaseAs", "pmLastOpened"})
        EXPECT_NE(f->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_TRUE(Dialogs().Messages.empty()) << Dialogs().MessageTexts().join("|").toStdString();
}

TEST_F(Window, TopicsAndBoldTextSurviveCloseAndStartAgain) {
    TForm1* f = Start();
    TKivStringGrid* g = f->Panels().sgdFirst;
    TypeCaption(g, QStringLiteral("Groceries"));
    AddTopicAfter(g);
    ASSERT_EQ(g->Nester->RowCount(), 2);
    ASSERT_EQ(g->CurrentRow(), 1);
    TypeCaption(g, QStringLiteral("Recipes"));
    EXPECT_EQ(g->Nester->Caption(0), "Groceries")
        << "the first caption was stored when the row changed";

    // The text card of the second topic: plain text, then bold text.
    f->TextCard().txtSimpleText->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(f->TextCard().txtSimpleText, QStringLiteral("Flour and "));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    f->TextCard().txtSimpleText->mergeCurrentCharFormat(bold);
    QTest::keyClicks(f->TextCard().txtSimpleText, QStringLiteral("sugar"));
    f->move(40, 30);
    f->resize(700, 560);
    QCoreApplication::processEvents();
    const QRect geometry = f->geometry();
    Stop();

    // One joined file: both topics, the text card as rich text.
    EXPECT_FALSE(FileExists(Home() + "FirstKivDB.dsc"));
    const TJoinedContent c = ReadJoined(Home() + "FirstKivDB.kiv");
    EXPECT_EQ(c.Tree, "Groceries\nRecipes\n");
    ASSERT_EQ(c.TextCards.size(), 2u);
    EXPECT_EQ(c.TextCards[0], "");
    EXPECT_EQ(c.TextCards[1].rfind("{\\rtf1", 0), 0u) << c.TextCards[1];
    EXPECT_NE(c.TextCards[1].find("\\b"), std::string::npos) << c.TextCards[1];
    EXPECT_NE(c.TextCards[1].find("sugar"), std::string::npos) << c.TextCards[1];
    {
        IniFile ini(Home() + "kiv.ini");
        EXPECT_EQ(ini.ReadString("LastOpened", "1", ""), "||FirstKivDB.kiv");
    }

    ResetGlobals();
    f = Start();
    g = f->Panels().sgdFirst;
    ASSERT_EQ(g->Nester->RowCount(), 2);
    EXPECT_EQ(g->Nester->Caption(0), "Groceries");
    EXPECT_EQ(g->Nester->Caption(1), "Recipes");
    EXPECT_FALSE(g->Editing()) << "a datastructure with topics opens for browsing";
    EXPECT_EQ(f->geometry(), geometry);
    EXPECT_TRUE(g->Nester->HasText(1));
    ClickRow(g, 1);
    ASSERT_EQ(g->CurrentRow(), 1);
    EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("Recipes"));
    QTextDocument* doc = f->TextCard().txtSimpleText->document();
    EXPECT_EQ(doc->toPlainText(), QStringLiteral("Flour and sugar"));
    const int at = int(doc->toPlainText().indexOf(QStringLiteral("sugar")));
    QTextCursor cur(doc);
    cur.setPosition(at + 1);
    EXPECT_EQ(cur.charFormat().fontWeight(), QFont::Bold);
    cur.setPosition(2);
    EXPECT_NE(cur.charFormat().fontWeight(), QFont::Bold);
    EXPECT_FALSE(doc->isModified());
    EXPECT_TRUE(Dialogs().Messages.empty()) << Dialogs().MessageTexts().join("|").toStdString();
}

TEST_F(Window, ATextCardGoesToItsOwnTopicOnly) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a(a1 a2) b");
    TForm1* f = Start();
    TKivStringGrid* g = f->Panels().sgdFirst;
    ASSERT_EQ(g->Nester->RowCount(), 2);
    ASSERT_EQ(f->Panels().sgdSecond->Nester->RowCount(), 2) << "panel 2 shows the children of a";
    f->TextCard().txtSimpleText->setPlainText(QStringLiteral("about a"));
    f->TextCard().txtSimpleText->document()->setModified(true);
    // A row change in panel 2 while panel 1 is active: the editor shows a's text, not a1's.
    f->Panels().sgdSecond->SelectRow(1);
    EXPECT_FALSE(f->Panels().sgdSecond->Nester->HasText(0));
    EXPECT_TRUE(f->TextCard().txtSimpleText->document()->isModified());
    ClickRow(g, 1);
    EXPECT_TRUE(g->Nester->HasText(0));
    EXPECT_FALSE(g->Nester->HasText(1));
    EXPECT_EQ(f->TextCard().txtSimpleText->toPlainText(), QString());
    // Blank text is stored as an empty card and clears the flag.
    ClickRow(g, 0);
    EXPECT_EQ(f->TextCard().txtSimpleText->toPlainText(), QStringLiteral("about a"));
    f->TextCard().txtSimpleText->setPlainText(QStringLiteral("   \n  "));
    f->TextCard().txtSimpleText->document()->setModified(true);
    ClickRow(g, 1);
    EXPECT_FALSE(g->Nester->HasText(0));
    Stop();
    const TJoinedContent c = ReadJoined(Home() + "FirstKivDB.kiv");
    EXPECT_EQ(c.Tree, "a\n  a1\n  a2\nb\n");
    EXPECT_EQ(c.TextCards, (std::vector<std::string>{"", ""}));
}

TEST_F(Window, TheTextCardFollowsATopicMadeInAnEmptyPanelAndRowsThatMove) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a b");
    TForm1* f = Start();
    ClickRow(f->Panels().sgdFirst, 0);
    f->TextCard().txtSimpleText->setPlainText(QStringLiteral("about a"));
    f->TextCard().txtSimpleText->document()->setModified(true);
    // A first sub-topic by a double click: it becomes current without a row change.
    QTest::mouseDClick(f->Panels().sgdSecond->viewport(), Qt::LeftButton, {}, QPoint(60, 60));
    ASSERT_EQ(f->Panels().sgdSecond->Nester->RowCount(), 1);
    ASSERT_EQ(CurrentPanel, 2);
    EXPECT_EQ(f->TextCard().txtSimpleText->toPlainText(), QString())
        << "the editor shows the new topic";
    EXPECT_TRUE(f->Panels().sgdFirst->Nester->HasText(0)) << "a's text went to a";
    f->TextCard().txtSimpleText->setPlainText(QStringLiteral("about the child"));
    f->TextCard().txtSimpleText->document()->setModified(true);
    // Rows inserted above the current one: the text stays with its topic.
    f->Panels().sgdSecond->InsertTopics(TItemArray{TNestItem{}, TNestItem{}}, 0, false, true, 0);
    ASSERT_EQ(f->Panels().sgdSecond->Nester->RowCount(), 3);
    Stop();
    const TJoinedContent c = ReadJoined(Home() + "FirstKivDB.kiv");
    EXPECT_EQ(c.Tree, "a\n  \n  \n  \nb\n");
    ASSERT_EQ(c.TextCards.size(), 2u);
    EXPECT_NE(c.TextCards[0].find("about a"), std::string::npos);
    ResetGlobals();
    f = Start();
    // It opens where the user stood: panel 1 on a's children, the child current.
    ASSERT_EQ(f->Panels().sgdFirst->CurrentRow(), 2);
    EXPECT_EQ(f->TextCard().txtSimpleText->toPlainText(), QStringLiteral("about the child"));
    ClickRow(f->Panels().sgdFirst, 0);
    EXPECT_EQ(f->TextCard().txtSimpleText->toPlainText(), QString());
}

TEST_F(Window, TheTextBinAndPasswordAreKeptWithTheDatastructure) {
    TForm1* f = Start();
    TypeCaption(f->Panels().sgdFirst, QStringLiteral("x"));
    f->Bins().txtTextBin->setPlainText(QStringLiteral("first line\nsecond line"));
    Stop();
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").TextBinCard,
              "\x01"
              "first line\r\nsecond line");
    ResetGlobals();
    f = Start();
    EXPECT_EQ(f->Bins().txtTextBin->toPlainText(), QStringLiteral("first line\nsecond line"));
    EXPECT_TRUE(Form1->Open().BookMark->Password.empty());
}

TEST_F(Window, TerminationSignalsCloseTheWindowAndNothingTypedIsLost) {
    for (int sig : {SIGTERM, SIGINT}) {
        ResetGlobals();
        TForm1* f = Start();
        CloseOnTerminationSignals([f] { f->close(); });
        TypeCaption(f->Panels().sgdFirst,
                    sig == SIGTERM ? QStringLiteral("term") : QStringLiteral("interrupt"));
        std::raise(sig);
        ProcessEventsFor(200);
        EXPECT_FALSE(f->isVisible()) << sig;
        RestoreTerminationSignals();
        form->FormDestroy();
        form.reset();
        EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree,
                  sig == SIGTERM ? "term\n" : "interrupt\n");
        IniFile ini(Home() + "kiv.ini");
        EXPECT_TRUE(ini.ValueExists("Settings", "MainW_Width")) << sig;
        RemoveFile(Home() + "FirstKivDB.kiv");
        RemoveFile(Home() + "kiv.ini");
    }
}

TEST_F(Window, SettingsActOnTheWindowAndItsGeometryIsSaved) {
    WriteFileAtomic(
        Home() + "kiv.ini",
        "[Settings]\r\nScreenHxW=786432\r\nMainW_Top=20\r\nMainW_Left=10\r\nMainW_Height=520\r\n"
        "MainW_Width=640\r\nBookMark2View=0\r\nInterBaseView=0\r\nNavArrows=0\r\nAutoviewDelay=1000\r\n"
        "dfName=Courier New\r\ndfSize=14\r\ndfStyle=2\r\nBookMarkView=1\r\nBoxedTopicView=1\r\n");
    TForm1* f = Start();
    EXPECT_EQ(f->pos(), QPoint(10, 20)) << "the frame's place";
    EXPECT_EQ(f->size(), QSize(640, 520));
    EXPECT_TRUE(f->Skeleton().pnlQuickJumps->isHidden());
    EXPECT_FALSE(f->Marks().acShowQuickJumpsTabs->Checked());
    EXPECT_TRUE(f->Skeleton().tsInterBase->isHidden());
    EXPECT_TRUE(f->Skeleton().pnlThreads->isHidden()) << "the Threads strip starts hidden";
    EXPECT_TRUE(f->Skeleton().pnlArrows->isHidden());
    EXPECT_EQ(f->findChild<TAutoLaunch*>()->tmrAutoLaunch->interval(), 1000);
    EXPECT_EQ(DefaultFontName, QStringLiteral("Courier New"));
    EXPECT_EQ(DefaultFontStyle, fsItalic);
    EXPECT_TRUE(f->Panels().sgdFirst->BoxedView() && f->Panels().sgdThird->BoxedView());
    int checked = 0;
    for (QAction* a : f->findChild<TAutoLaunch*>()->AutoviewDelay1->actions())
        if (a->isChecked()) {
            ++checked;
            EXPECT_EQ(a->data().toInt(), 1000);
        }
    EXPECT_EQ(checked, 1);
    f->move(30, 40);
    QCoreApplication::processEvents();
    Stop();
    IniFile ini(Home() + "kiv.ini");
    EXPECT_EQ(ini.ReadInteger("Settings", "MainW_Left", 0), 30);
    EXPECT_EQ(ini.ReadInteger("Settings", "MainW_Top", 0), 40);
    EXPECT_EQ(ini.ReadInteger("Settings", "ScreenHxW", 0), 768 * 1024);
    EXPECT_EQ(ini.ReadString("Settings", "BookMarkView", ""), "0");
    EXPECT_EQ(ini.ReadString("Settings", "dfName", ""), "Courier New");
    EXPECT_EQ(ini.ReadString("Settings", "AutoviewDelay", ""), "1000") << "kept as it was";
    EXPECT_EQ(ini.ReadString("BookMarked DBs", "0", ""), "FirstKivDB_~^_||FirstKivDB.kiv");
}

TEST_F(Window, LettersTypedOnAPanelGoToTheCaption) {
    MakeJoined(Home() + "FirstKivDB.kiv", "first");
    TForm1* f = Start();
    TKivStringGrid* g = f->Panels().sgdFirst;
    ASSERT_FALSE(g->Editing());
    g->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(g, QStringLiteral("+"));
    EXPECT_FALSE(g->Editing()) << "'+' does not start editing";
    QTest::keyClicks(g, QStringLiteral("X"));
    ASSERT_TRUE(g->Editing());
    EXPECT_EQ(g->CaptionEditor->Text(), QStringLiteral("firstX")) << "appended at the end";

    // A first sub-topic made by a double click in edit mode: the panel holds the focus, and
    // what is typed still lands in the new caption.
    QTest::mouseDClick(f->Panels().sgdSecond->viewport(), Qt::LeftButton, {}, QPoint(60, 60));
    ASSERT_EQ(f->Panels().sgdSecond->Nester->RowCount(), 1);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Garden"));
    f->FlushCurrentRow();
    EXPECT_EQ(f->Panels().sgdSecond->Nester->Caption(0), "Garden");
    Stop();
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree, "firstX\n  Garden\n");
}

TEST_F(Window, ARecentFileThatIsGoneIsNamedThenFallsBackToFirstKivDB) {
    WriteFileAtomic(Home() + "kiv.ini", "[LastOpened]\r\n1=||deleted.kiv\r\n");
    TForm1* f = Start();
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text, QStringLiteral("The datastructure \"%1\" does not exist.")
                                              .arg(QString::fromStdString(Home() + "deleted.kiv")));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
    EXPECT_FALSE(FileExists(Home() + "deleted.kiv"));
    IniFile ini(Home() + "kiv.ini");
    EXPECT_EQ(ini.ReadString("LastOpened", "1", ""), "||FirstKivDB.kiv");
    EXPECT_EQ(ini.ReadString("LastOpened", "2", ""), "||deleted.kiv") << "kept for its return";
    EXPECT_EQ(ini.ReadString("LastOpened", "3", "x"), "");
}

}  // namespace
}  // namespace kiv::wintest

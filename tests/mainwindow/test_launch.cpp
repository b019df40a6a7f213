// A topic's links in the main window: adding and removing them, the launch card list and
// its write-back, the link popups, and what opening a link asks of the desktop.
#include <sys/stat.h>
#include <sys/wait.h>

#include <utility>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QMenu>
#include <QTreeWidget>

#include "platform/core/MiskPro.h"
#include "components/HotLabel.h"
#include "dialogs/AddUrlLinkWindow.h"
#include "dialogs/RenameFileWindow.h"
#include "mainwindow/datastructure/DatastructureLife.h"
#include "platform/qt/DesktopShell.h"
#include "mainwindow/launch/FileProperties.h"
#include "mainwindow/launch/LaunchCard.h"
#include "mainwindow/search/SearchPane.h"
#include "platform/qt/WidgetState.h"
#include "tests/XdgSandbox.h"
#include "tests/mainwindow/RecordingShell.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

class Launch : public WindowFixture {
protected:
    RecordingShell* shell = nullptr;
    std::unique_ptr<TDesktopShell> previous;
    TKivStringGrid* g = nullptr;
    TLaunchCard* L = nullptr;

    void SetUp() override {
        WindowFixture::SetUp();
        auto s = std::make_unique<RecordingShell>();
        shell = s.get();
        previous = InstallDesktopShell(std::move(s));
    }
    void TearDown() override {
        WindowFixture::TearDown();
        InstallDesktopShell(std::move(previous));
    }

    // The window on a datastructure of that tree, panel 1 active on its first topic.
    void Open(std::string_view tree) {
        MakeJoined(Home() + "FirstKivDB.kiv", tree);
        TForm1* f = Start();
        g = f->Panels().sgdFirst;
        L = &f->LaunchCard();
        ASSERT_EQ(g->CurrentRow(), 0);
    }
    std::string Links(int row) const { return g->Nester->LaunchList().GetLinks(row); }
    // The launch card as stored in the card file.
    std::string StoredLinks(int row) const {
        std::string card;
        g->Nester->Cards().ReadRowCard(kCardLaunch, row, card);
        return card;
    }
    std::string File(const std::string& name, const std::string& bytes = "hello",
                     mode_t mode = 0644) {
        const std::string path = Home() + name;
        MakeDirs(path.substr(0, path.rfind('/') + 1));
        WriteFileAtomic(path, bytes);
        ::chmod(path.c_str(), mode);
        return path;
    }
    // The window with the desktop's own shell; run in a fresh process.
    int DesktopChecks();
};

const std::string S = "\x01";

TEST_F(Launch, AddLinksToTopicDropsDuplicatesAndLinesWithoutTargetAndTitlesTheTopic) {
    struct Case {
        const char* name;
        const char* tree;  // topic 0 is the one links go to
        std::string before;
        std::string text;
        std::string after;
        QString message;  // "" none
        std::string caption;
    };
    const QString dup = QStringLiteral("file/link(s) has already been added to this topic.");
    const Case cases[] = {
        {"same target in other letter case", "t", "/d/A.TXT" + S + "A.TXT\r\n",
         "/d/a.txt" + S + "a\r\n", "/d/A.TXT" + S + "A.TXT\r\n",
         QStringLiteral("/D/A.TXT\r\n\r\n") + dup, "t"},
        {"only the duplicate is dropped", "t", "/d/A.TXT" + S + "A\r\n",
         "/d/b.txt" + S + "B\r\n/d/a.TXT" + S + "x", "/d/A.TXT" + S + "A\r\n/d/b.txt" + S + "B\r\n",
         QStringLiteral("/D/A.TXT\r\n\r\n") + dup, "t"},
        {"a line without target", "t", "",
         "no separator here\r\n" + S + "no target\r\n/d/b.txt" + S + "B", "/d/b.txt" + S + "B\r\n",
         "", "t"},
        {"nothing left", "t", "", "just text\r\n", "", "", "t"},
        {"untitled topic takes the title", "\"\" u", "",
         "/d/x.pdf" + S + "  My Paper \r\n/d/y.pdf" + S + "Other",
         "/d/x.pdf" + S + "My Paper\r\n/d/y.pdf" + S + "Other\r\n", "", "My Paper"},
        {"a titled topic keeps its caption", "kept", "", "/d/x.pdf" + S + "Paper",
         "/d/x.pdf" + S + "Paper\r\n", "", "kept"},
        {"an empty title is the file name", "\"\"", "", "/d/y.txt" + S + "\r\n",
         "/d/y.txt" + S + "y.txt\r\n", "", "y.txt"},
        {"a file address becomes its path, + kept", "t", "",
         "file:///home/u/C++/a%20b+c.txt" + S + "t", "/home/u/C++/a b+c.txt" + S + "t\r\n", "",
         "t"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.tree);
        if (!c.before.empty()) {
            ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, c.before));
        }
        L->AddLinksToTopic(g, 0, c.text);
        EXPECT_EQ(Links(0), c.after);
        EXPECT_EQ(StoredLinks(0), c.after) << "the card holds what the row shows";
        EXPECT_EQ(Dialogs().MessageTexts(),
                  c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(g->Nester->Caption(0), c.caption);
        Stop();
        Dialogs().Clear();
    }
}

TEST_F(Launch, ALockedTopicTakesNoLinks) {
    Open("t");
    g->Nester->SetLocked(0, true);
    L->AddLinksToTopic(g, 0, "/d/a.txt" + S + "a\r\n");
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{QStringLiteral("Can't add file or url, topic is locked.")});
    EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Warning);
    EXPECT_EQ(Links(0), "");
}

TEST_F(Launch, RemoveLinksSaysWhyAndEachMessageStopsIt) {
    const QString none = QStringLiteral("There is not attached links!");
    const QString locked = QStringLiteral("Can't remove link, topic is locked.");
    const QString sure =
        QStringLiteral("Are you sure you want to delete the link(s) attached to the topic?");
    struct Case {
        const char* name;
        int row;
        bool withLinks, lock, withoutAsking;
        int answer;  // 0: none scripted
        QString message;
        MsgType type;
        bool removed;
    };
    const Case cases[] = {
        {"no links", 0, false, false, false, 0, none, MsgType::Error, false},
        {"no such row", 7, true, false, false, 0, none, MsgType::Error, false},
        {"locked", 0, true, true, false, 0, locked, MsgType::Warning, false},
        {"answered No", 0, true, false, false, IDNO, sure, MsgType::Confirmation, false},
        {"answered Yes", 0, true, false, false, IDYES, sure, MsgType::Confirmation, true},
        {"without asking", 0, true, false, true, 0, "", MsgType::None, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open("t u");
        const std::string links = "/d/a.txt" + S + "a\r\n/d/b.txt" + S + "b\r\n";
        if (c.withLinks) {
            ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, links));
        }
        if (c.lock) g->Nester->SetLocked(0, true);
        if (c.answer) Dialogs().AnswerMessage(c.answer);
        L->RemoveLinks(1, c.row, c.withoutAsking);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(Dialogs().Messages.empty());
        } else {
            ASSERT_EQ(Dialogs().MessageTexts(), QStringList{c.message});
            EXPECT_EQ(Dialogs().Messages[0].Type, c.type);
        }
        EXPECT_EQ(Links(0), c.removed || !c.withLinks ? "" : links);
        EXPECT_EQ(StoredLinks(0), c.removed || !c.withLinks ? "" : links);
        Stop();
        Dialogs().Clear();
    }
}

TEST_F(Launch, TheLaunchCardIsWrittenBackOnlyAfterAChangeAndSurvivesARestart) {
    Open("t u");
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, "/d/a.txt" + S + "A\r\n/d/b.txt" + S + "\r\n"));
    L->ShowLaunchCard();
    ASSERT_TRUE(isShown(L->pnlLaunchCard));
    QTreeWidget* lv = L->lvLaunchCard;
    ASSERT_EQ(lv->topLevelItemCount(), 2);
    EXPECT_EQ(lv->topLevelItem(0)->text(0), QStringLiteral("A"));
    EXPECT_EQ(lv->topLevelItem(0)->text(1), QStringLiteral("/d/a.txt"));
    EXPECT_EQ(lv->topLevelItem(1)->text(0), QStringLiteral("/d/b.txt"))
        << "an empty title shows the target";
    EXPECT_EQ(L->lvLaunchCardTag, 0);

    const std::string dsc = Home() + "FirstKivDB.dsc";
    const std::string before = ReadFileToString(dsc);
    ASSERT_FALSE(before.empty());
    L->SaveLaunchCard(g, 0);
    EXPECT_EQ(ReadFileToString(dsc), before) << "an unchanged list writes nothing";

    L->AddLaunchCardItem("", "");  // no target: no row, no change
    EXPECT_EQ(L->lvLaunchCardTag, 0);
    L->AddLaunchCardItem("New", "/d/new.txt");
    EXPECT_EQ(L->lvLaunchCardTag, 1);
    L->SaveLaunchCard(g, 1);
    EXPECT_EQ(ReadFileToString(dsc), before) << "the list goes to its own topic only";
    L->SaveLaunchCard(g, 0);
    EXPECT_NE(ReadFileToString(dsc), before);
    EXPECT_EQ(L->lvLaunchCardTag, 0);
    // The untouched lines keep their bytes: the empty title stays empty.
    const std::string written =
        "/d/a.txt" + S + "A\r\n/d/b.txt" + S + "\r\n/d/new.txt" + S + "New\r\n";
    EXPECT_EQ(Links(0), written);
    EXPECT_EQ(StoredLinks(0), written);

    // A title edited in the list is stored by the topic change.
    lv->topLevelItem(2)->setText(0, QStringLiteral("Renamed"));
    EXPECT_EQ(L->lvLaunchCardTag, 1);
    ClickRow(g, 1);
    EXPECT_TRUE(L->pnlLaunchCard->isHidden()) << "the launch card belongs to the topic left";
    EXPECT_EQ(Links(0),
              "/d/a.txt" + S + "A\r\n/d/b.txt" + S + "\r\n/d/new.txt" + S + "Renamed\r\n");
    Stop();
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree, "t\nu\n");
    const std::string copy = Home() + "copy.kiv";
    WriteFileAtomic(copy, ReadWholeFile(Home() + "FirstKivDB.kiv"));
    UnpackDatastructure(copy);
    EXPECT_EQ(DumpTreePair(copy, true),
              "t\n  @ /d/a.txt | A\n  @ /d/b.txt | \n  @ /d/new.txt | Renamed\nu\n");
}

TEST_F(Launch, TargetsUnderTheProgramFolderAreStoredRelativeAndOpenWhereTheyAre) {
    Open("t");
    const std::string doc = File("docs/a.txt");
    L->AddLinksToTopic(g, 0, doc + S + "a");
    TCardArray dir;
    ReadCardDirectory(g->Nester->CardFile(), g->Nester->CardDir(0), dir);
    std::string raw;
    ReadCardOfKind(g->Nester->CardFile(), dir, kCardLaunch, raw);
    EXPECT_EQ(raw, "||docs/a.txt" + S + "a\r\n");
    EXPECT_EQ(StoredLinks(0), doc + S + "a\r\n") << "read back expanded";
    shell->Calls.clear();
    L->LaunchRowLinks(g, 0, false, false);
    EXPECT_EQ(shell->Calls, (std::vector<ShellCall>{{"open", QString::fromStdString(doc), {}}}));
}

TEST_F(Launch, LaunchLinkOpensExistingTargetsAndAddressesAndReportsMissingOnes) {
    Open("t");
    const std::string file = File("notes.txt");
    const std::string plus = File("C++/a+b.txt");
    File("docs/rel.txt");
    File(
        "docs/\xc3\x9c"
        "ber.txt");
    const std::string folder = Home() + "docs";
    const QString missing = QStringLiteral("There is not the file or folder - ");
    struct Case {
        std::string link;
        std::vector<ShellCall> calls;
        QString message;
    };
    const Case cases[] = {
        {file, {{"open", QString::fromStdString(file), {}}}, ""},
        {folder, {{"folder", QString::fromStdString(folder), {}}}, ""},
        {plus, {{"open", QString::fromStdString(plus), {}}}, ""},
        {"||docs/rel.txt", {{"open", QString::fromStdString(Home() + "docs/rel.txt"), {}}}, ""},
        {"||docs\\rel.txt", {{"open", QString::fromStdString(Home() + "docs/rel.txt"), {}}}, ""},
        // Written on Windows in another letter case, in Windows-1252.
        {"||DOCS\\REL.TXT", {{"open", QString::fromStdString(Home() + "docs/rel.txt"), {}}}, ""},
        {Home() + "Docs/Rel.txt",
         {{"open", QString::fromStdString(Home() + "docs/rel.txt"), {}}},
         ""},
        {"||docs\\\xdc"
         "ber.txt",
         {{"open",
           QString::fromStdString(Home() + "docs/\xc3\x9c"
                                           "ber.txt"),
           {}}},
         ""},
        {"file://" + file, {{"open", QString::fromStdString(file), {}}}, ""},
        {"https://example.org/a?b=c+d",
         {{"open", QStringLiteral("https://example.org/a?b=c+d"), {}}},
         ""},
        {"www.example.org", {{"open", QStringLiteral("http://www.example.org"), {}}}, ""},
        {"MaIlTo:someone@example.org",
         {{"open", QStringLiteral("MaIlTo:someone@example.org"), {}}},
         ""},
        {Home() + "gone.txt", {}, missing + QString::fromStdString(Home() + "gone.txt")},
        {Home() + "gone.htm", {}, missing + QString::fromStdString(Home() + "gone.htm")},
        {"C:\\Docs\\a.txt", {}, missing + QStringLiteral("C:\\Docs\\a.txt")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        shell->Calls.clear();
        Dialogs().Clear();
        const int result = L->LaunchLink(c.link, false, true);
        EXPECT_EQ(shell->Calls, c.calls);
        EXPECT_EQ(result, c.calls.empty() ? kOpenNothing : kOpenStarted);
        EXPECT_EQ(Dialogs().MessageTexts(),
                  c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
    // A type nothing opens: the user picks the program.
    shell->Calls.clear();
    shell->OpenAnswer = kOpenNoAssociation;
    EXPECT_EQ(L->LaunchLink(file, false, false), kOpenNoAssociation);
    const QString f = QString::fromStdString(file);
    EXPECT_EQ(shell->Calls, (std::vector<ShellCall>{{"open", f, {}}, {"choose", f, {}}}));
}

TEST_F(Launch, ADoubleClickOnTheLinkIconOpensTheLinkWithoutWaitingForIt) {
    Open("t u");
    const std::string file = File("notes.txt");
    L->AddLinksToTopic(g, 0, file + S + "notes");
    QCoreApplication::processEvents();
    const QRect r = g->RowContentRect(0);
    QPoint icon(-1, -1);
    for (int y = r.top(); y <= r.bottom() && icon.x() < 0; ++y)
        for (int x = r.left(); x <= r.right() && icon.x() < 0; ++x)
            if (g->IsOverLaunchIcon(x, y)) icon = QPoint(x, y);
    ASSERT_GE(icon.x(), 0) << "the row shows its link icon";
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, icon);
    QCoreApplication::processEvents();
    EXPECT_EQ(shell->Calls, (std::vector<ShellCall>{{"open", QString::fromStdString(file), {}}}));
    EXPECT_TRUE(Dialogs().Messages.empty());

    // The right button over the icon offers the commands on that one link.
    QTest::mouseClick(g->viewport(), Qt::RightButton, {}, icon);
    QCoreApplication::processEvents();
    EXPECT_TRUE(L->pmLaunchFile->isVisible());
    EXPECT_EQ(L->LaunchPopupFile, file);
    L->pmLaunchFile->hide();
}

TEST_F(Launch, BuildLaunchPopupActsOnTheOneLinkOfARowOrTheChosenLaunchCardRow) {
    Open("two one exe");
    const std::string a = File("a.txt"), b = File("b.txt"),
                      exe = File("run.sh", "#!/bin/sh\n", 0755);
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, a + S + "a\r\n" + b + S + "b\r\n"));
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(1, a + S + "a\r\n"));
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(2, exe + S + "run\r\n"));
    shell->Apps = {{QStringLiteral("kiv-editor.desktop"), QStringLiteral("KIV Editor"),
                    QStringLiteral("/bin/sh")},
                   {QStringLiteral("gone.desktop"), QStringLiteral("Gone"),
                    QStringLiteral("/nonexistent/prog")}};
    auto openWithCaptions = [&](QMenu* m) {
        QStringList out;
        for (QAction* item : m->actions())
            out << (item->isSeparator() ? QStringLiteral("-") : item->text());
        return out;
    };

    L->BuildLaunchPopup(0);
    EXPECT_EQ(L->LaunchPopupFile, "") << "two links: no one file";
    EXPECT_FALSE(L->acDeleteFile->isEnabled());
    EXPECT_FALSE(L->acRenameFile->isEnabled());
    EXPECT_FALSE(L->acProperties->isEnabled());
    EXPECT_FALSE(L->acOpenPartScreen->isEnabled()) << "no browser in the window";
    EXPECT_FALSE(L->OpenWith1->menuAction()->isVisible());
    EXPECT_EQ(L->acRemoveLink->Tag, 0);

    const auto renameWindow = std::exchange(L->ShowRenameWindow, nullptr);
    L->BuildLaunchPopup(1);
    EXPECT_EQ(L->LaunchPopupFile, a);
    EXPECT_TRUE(L->acDeleteFile->isEnabled());
    EXPECT_TRUE(L->acProperties->isEnabled());
    EXPECT_FALSE(L->acRenameFile->isEnabled()) << "no rename window to show";
    L->ShowRenameWindow = renameWindow;
    L->BuildLaunchPopup(1);
    EXPECT_TRUE(L->acRenameFile->isEnabled());
    EXPECT_TRUE(L->OpenWith1->menuAction()->isVisible());
    const QStringList list{QStringLiteral("KIV Editor"), QStringLiteral("-"),
                           QStringLiteral("Choose Program...")};
    EXPECT_EQ(openWithCaptions(L->OpenWith1), list) << "a program that is not there is left out";
    EXPECT_EQ(openWithCaptions(L->OpenWith2), list);
    EXPECT_EQ(openWithCaptions(L->OpenWith3), list);
    L->BuildLaunchPopup(1);
    EXPECT_EQ(openWithCaptions(L->OpenWith1), list) << "rebuilt, not grown";
    L->OpenWith3->actions().first()->trigger();
    L->OpenWith1->actions().last()->trigger();
    const QString qa = QString::fromStdString(a);
    EXPECT_EQ(shell->Calls,
              (std::vector<ShellCall>{{"with", qa, QStringLiteral("kiv-editor.desktop")},
                                      {"choose", qa, {}}}));

    L->BuildLaunchPopup(2);
    EXPECT_EQ(L->LaunchPopupFile, exe);
    EXPECT_FALSE(L->OpenWith1->menuAction()->isVisible())
        << "a program is run, not opened with one";

    // The second row of the launch card of the current topic.
    L->BuildLaunchPopup(TLaunchCard::kLaunchCardTag + 1);
    EXPECT_EQ(L->LaunchPopupFile, b);
    EXPECT_EQ(L->acDeleteFile->Tag, TLaunchCard::kLaunchCardTag + 1);
}

TEST_F(Launch, ARenamedFileTakesItsLinkAlong) {
    Open("a.txt other");
    const std::string a = File("a.txt"), b = File("b.txt");
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, a + S + "a.txt\r\n"));
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(1, a + S + "a.txt\r\n" + b + S + "b\r\n"));
    L->FileRenamed(0, a, Home() + "c.txt");
    EXPECT_EQ(StoredLinks(0), Home() + "c.txt" + S + "c.txt\r\n");
    EXPECT_EQ(g->Nester->Caption(0), "c.txt") << "the caption was the old file name";

    ClickRow(g, 1);
    L->ShowLaunchCard();
    L->FileRenamed(TLaunchCard::kLaunchCardTag + 1, b, Home() + "d.txt");
    EXPECT_EQ(L->lvLaunchCard->topLevelItem(1)->text(0), QStringLiteral("d.txt"));
    EXPECT_EQ(L->lvLaunchCardTag, 1);
    L->SaveLaunchCard(g, 1);
    EXPECT_EQ(StoredLinks(1), a + S + "a.txt\r\n" + Home() + "d.txt" + S + "d.txt\r\n");
    EXPECT_EQ(g->Nester->Caption(1), "other");
}

TEST_F(Launch, RenameOnDiskThroughTheWindowMovesTheLinkAndTheCaptionRule) {
    Open("a.txt keep");
    const std::string a = File("a.txt"), c = File("c.txt");
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, a + S + "a.txt\r\n"));
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(1, c + S + "c.txt\r\n"));
    auto renameTo = [&](int row, const QString& name) {
        ClickRow(g, row);
        L->BuildLaunchPopup(row);
        ASSERT_TRUE(L->acRenameFile->isEnabled());
        QTimer::singleShot(0, L->frmRenameFile, [&] {
            EXPECT_TRUE(L->frmRenameFile->isModal() && L->frmRenameFile->isVisible());
            L->frmRenameFile->edtNewFileName->setText(name);
            L->frmRenameFile->btnOK->click();
        });
        L->acRenameFile->Execute();
    };
    renameTo(0, QStringLiteral("b.txt"));
    EXPECT_FALSE(FileExists(a));
    EXPECT_TRUE(FileExists(Home() + "b.txt"));
    EXPECT_EQ(StoredLinks(0), Home() + "b.txt" + S + "b.txt\r\n");
    EXPECT_EQ(g->Nester->Caption(0), "b.txt") << "the caption was the file name";

    renameTo(1, QStringLiteral("b.txt"));
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{QStringLiteral("Can't rename. File %1 already exists.")
                              .arg(QString::fromStdString(Home() + "b.txt"))});
    EXPECT_TRUE(FileExists(c)) << "never over another file";
    EXPECT_EQ(StoredLinks(1), c + S + "c.txt\r\n");
    EXPECT_EQ(g->Nester->Caption(1), "keep");
}

TEST_F(Launch, AddWebLinkPutsTheTrimmedLinkOnTheCurrentTopic) {
    Open("t");
    QTimer::singleShot(0, L->frmAddUrlLink, [&] {
        L->frmAddUrlLink->Edit1->setText(QStringLiteral("  http://x.org/ "));
        L->frmAddUrlLink->btnOK->click();
    });
    L->acAddUrlLink->Execute();
    EXPECT_EQ(Links(0), "http://x.org/" + S + "http://x.org/\r\n");
}

TEST_F(Launch, DeletingTheFileTrashesItAndThenRemovesTheLink) {
    Open("t");
    const std::string a = File("a.txt");
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, a + S + "a\r\n"));
    L->BuildLaunchPopup(0);
    Dialogs().AnswerMessage(IDYES);
    L->acDeleteFile->Execute();
    EXPECT_FALSE(FileExists(a));
    EXPECT_EQ(shell->Calls, (std::vector<ShellCall>{{"trash", QString::fromStdString(a), {}}}));
    EXPECT_EQ(Links(0), "");
}

TEST_F(Launch, PropertiesWithoutAFileManagerShowOurOwnWindow) {
    Open("t");
    const std::string a = File("a.txt", "12345", 0640);
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, a + S + "a\r\n"));
    L->BuildLaunchPopup(0);
    L->acProperties->Execute();
    ASSERT_EQ(shell->Calls.size(), 1u);
    EXPECT_EQ(shell->Calls[0].What, "properties");
    auto* w = form->findChild<TFilePropertiesWindow*>(QStringLiteral("frmFileProperties"));
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->lblName->text(), QStringLiteral("a.txt"));
    EXPECT_TRUE(w->lblType->text().contains(QStringLiteral("text/plain")))
        << w->lblType->text().toStdString();
    EXPECT_EQ(w->lblSize->text(), QStringLiteral("5 bytes"));
    EXPECT_TRUE(w->lblPermissions->text().startsWith(QStringLiteral("rw-r----- (640)")));
    EXPECT_FALSE(w->lblModified->text().isEmpty());
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(form->findChildren<TFilePropertiesWindow*>().size(), 0) << "closing frees it";

    shell->PropertiesOffered = true;
    L->acProperties->Execute();
    EXPECT_EQ(form->findChildren<TFilePropertiesWindow*>().size(), 0)
        << "the file manager showed them";
}

// The titles are readable: the Title column takes what its longest title needs, up to
// half the list, whether the card was filled while hidden or shown.
TEST_F(Launch, TheTitleColumnIsWideEnoughToReadTheTitles) {
    Open("t");
    const QString title = QStringLiteral("Quarterly report");
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(0, "/d/q.txt" + S + title.toStdString() +
                                                        "\r\n/d/b.txt" + S + "b\r\n"));
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        if (pass > 0) L->ShowLaunchCard();  // hidden again
        // A list not laid out yet has a widget's first size.
        L->lvLaunchCard->resize(100, 30);
        L->ShowLaunchCard();
        ASSERT_FALSE(L->pnlLaunchCard->isHidden());
        QCoreApplication::processEvents();
        QTreeWidget* lv = L->lvLaunchCard;
        const int need = QFontMetrics(lv->font()).horizontalAdvance(title);
        EXPECT_GE(lv->columnWidth(0), need) << "list " << lv->width();
        EXPECT_LE(lv->columnWidth(0), lv->viewport()->width() / 2 + 1);
        EXPECT_GE(lv->columnWidth(0), lv->viewport()->width() / 3)
            << "a column no narrower than a third";
    }
}

// File > Open of a file that is no datastructure, and Search Web, go to the desktop as the
// launch card's links do; with nothing to open them, the user is told.
TEST_F(Launch, FileOpenOfAnotherFileAndSearchWebOpenWithTheDesktop) {
    Open("t");
    const std::string doc = File("notes.txt");
    const std::string open = Form1->Open().BookMark->Path;
    Dialogs().AnswerOpen({QString::fromStdString(doc)});
    form->Datastructure().acOpenDataBase->Execute();
    EXPECT_EQ(shell->Calls, (std::vector<ShellCall>{{"open", QString::fromStdString(doc), {}}}));
    EXPECT_EQ(Form1->Open().BookMark->Path, open) << "the datastructure stays open";

    form->Search().Search2Click(1);
    ASSERT_EQ(shell->Calls.size(), 2u);
    EXPECT_EQ(shell->Calls[1], (ShellCall{"open", QStringLiteral("https://duckduckgo.com/"), {}}));
    EXPECT_TRUE(Dialogs().Messages.empty()) << Dialogs().MessageTexts().join("|").toStdString();

    // Nothing associated: a file offers the choice of a program, an address is reported.
    shell->OpenAnswer = kOpenNoAssociation;
    Dialogs().AnswerOpen({QString::fromStdString(doc)});
    form->Datastructure().acOpenDataBase->Execute();
    EXPECT_EQ(shell->Calls.back(), (ShellCall{"choose", QString::fromStdString(doc), {}}));
    form->Search().Search2Click(1);
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{
                  QStringLiteral("There is no program that opens https://duckduckgo.com/")});
}

// A desktop without a single program: choosing one is not offered, the user is told.
TEST_F(Launch, WithNoProgramAtAllTheUserIsToldNothingOpensTheFile) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string root = env.Dir() + "xdg/";
            MakeDirs(root);
            if (!xdgtest::EnterXdgSandbox(root)) ::_exit(2);
            InstallDesktopShell(MakeGioDesktopShell());
            Open("t");
            const std::string doc = File("notes.txt");
            Dialogs().AnswerOpen({QString::fromStdString(doc)});
            form->Datastructure().acOpenDataBase->Execute();
            const QStringList texts = Dialogs().MessageTexts();
            for (const QString& m : texts)
                std::fprintf(stderr, "message: %s\n", m.toUtf8().constData());
            const bool told =
                texts == QStringList{QStringLiteral("There is no program that opens ") +
                                     QString::fromStdString(doc)};
            Stop();
            std::fflush(stderr);
            ::_exit(told ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// Runs in a fresh process: GLib reads the XDG folders once, at its first use. The window
// uses the desktop's own shell there.
int Launch::DesktopChecks() {
    Launch& t = *this;
    const std::string root = t.env.Dir() + "xdg/";
    MakeDirs(root);
    if (!xdgtest::EnterXdgSandbox(root)) return 2;
    const std::string log = root + "opened.log", go = root + "go";
    const std::string script = root + "bin/kiv-test-open";
    // The program runs on only once the test says so (or after a minute).
    WriteFileAtomic(script, "#!/bin/sh\nn=0\nwhile [ ! -e \"" + go +
                                "\" ] && [ $n -lt 1200 ]; do sleep 0.05; n=$((n+1)); done\n"
                                "printf '%s' \"$1\" > \"" +
                                log + ".part\" && mv \"" + log + ".part\" \"" + log + "\"\n");
    ::chmod(script.c_str(), 0755);
    WriteFileAtomic(root + "data/applications/kiv-test-editor.desktop",
                    xdgtest::TextDesktopEntry("KIV Test Editor", script));
    WriteFileAtomic(root + "config/mimeapps.list", xdgtest::TextDefault("kiv-test-editor.desktop"));
    InstallDesktopShell(MakeGioDesktopShell());

    int failures = 0;
    auto check = [&](bool ok, const char* what) {
        if (!ok) std::fprintf(stderr, "failed: %s\n", what), ++failures;
    };
    t.Open("t");
    if (!t.g) return 3;
    const std::string doc = root + "my notes.txt";
    WriteFileAtomic(doc, "hello\n");
    t.L->AddLinksToTopic(t.g, 0, doc + "\x01notes");
    t.L->BuildLaunchPopup(0);
    const QList<QAction*> items = t.L->OpenWith1->actions();
    check(items.size() == 3 && items[0]->text() == QStringLiteral("KIV Test Editor"),
          "Open With lists the desktop entry");
    check(items.size() == 3 && items[0]->statusTip() == QString::fromStdString(script),
          "its hint is the program");
    check(t.L->LaunchLink(doc, false, true) >= kOpenStarted, "the launch is handed on");
    check(!FileExists(log), "the window does not wait for the program");
    WriteFileAtomic(go, "");
    QElapsedTimer clock;
    clock.start();
    while (!FileExists(log) && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    check(ReadFileToString(log) == doc, "the default program ran with the file");
    check(t.Dialogs().Messages.empty(), "no message");

    // A name that is not UTF-8 (a Latin-1 byte): the program gets the file by its bytes.
    const std::string latin1 = root + "caf\xe9.txt";
    WriteFileAtomic(latin1, "caf\xe9\n");
    RemoveFile(log);
    t.L->AddLinksToTopic(t.g, 0,
                         latin1 +
                             "\x01"
                             "cafe");
    const TLaunchList& links = t.g->Nester->LaunchList();
    check(links.Count(0) == 2, "the second link is stored");
    if (links.Count(0) == 2) {
        check(t.L->LaunchLink(links.GetPath(0, 1), false, true) >= kOpenStarted,
              "the launch of the Latin-1 name is handed on");
        clock.restart();
        while (!FileExists(log) && clock.elapsed() < 15000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        check(ReadFileToString(log) == latin1, "the default program ran with its bytes");
    }
    check(t.Dialogs().Messages.empty(), "no message");
    for (const QString& m : t.Dialogs().MessageTexts())
        std::fprintf(stderr, "message: %s\n", m.toUtf8().constData());
    t.Stop();
    return failures;
}

TEST_F(Launch, TheDesktopsDefaultProgramOpensATextLinkAndOpenWithListsIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const int failures = DesktopChecks();
            std::fflush(stderr);
            ::_exit(failures);
        },
        ::testing::ExitedWithCode(0), "");
}

// Removing a link from the launch card list stores the shorter card at once; a removal that
// could not be stored leaves the link in the topic and in the list, and tells the user.
TEST_F(Launch, ALinkLeavesTheListOnlyWhenItsRemovalIsStored) {
    Open("t u");
    const std::string all = "/d/a.txt" + S + "A\r\n/d/b.txt" + S + "B\r\n/d/c.txt" + S + "C\r\n";
    ASSERT_TRUE(g->Nester->LaunchList().SetLinks(1, all));
    ClickRow(g, 1);
    L->ShowLaunchCard();
    QTreeWidget* lv = L->lvLaunchCard;
    ASSERT_EQ(lv->topLevelItemCount(), 3);
    L->DeleteLaunchCardItem(1);
    ASSERT_EQ(lv->topLevelItemCount(), 2);
    EXPECT_EQ(lv->topLevelItem(1)->text(0), QStringLiteral("C"));
    EXPECT_EQ(StoredLinks(1), "/d/a.txt" + S + "A\r\n/d/c.txt" + S + "C\r\n");
    EXPECT_TRUE(Dialogs().Messages.empty()) << Dialogs().MessageTexts().join("|").toStdString();

    // t's card directory has no entry left for a launch card: no removal can be stored.
    ClickRow(g, 0);
    for (uint8_t kind : {kCardText, kCardGraphic, kCardExternal, uint8_t(6)})
        ASSERT_TRUE(g->Nester->Cards().WriteRowCard(kind, 0, "x"));
    TNestPack pack = g->Nester->GetRow(0);
    pack.Links = all;
    g->Nester->SetRow(0, pack);
    L->ShowLaunchCard();
    ASSERT_EQ(lv->topLevelItemCount(), 3);
    L->DeleteLaunchCardItem(1);
    ASSERT_EQ(lv->topLevelItemCount(), 3) << "the list shows what the topic holds";
    EXPECT_EQ(lv->topLevelItem(1)->text(0), QStringLiteral("B"));
    EXPECT_EQ(Links(0), all);
    ASSERT_EQ(Dialogs().Messages.size(), 1u) << Dialogs().MessageTexts().join("|").toStdString();
    EXPECT_EQ(Dialogs().Messages[0].Text,
              QStringLiteral("The link could not be removed from \"t\"."));
    EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Error);
}

TEST_F(Launch, LinksThatCannotBeStoredAreAskedAboutBeforeTheWindowCloses) {
    Open("t u");
    // Every entry of t's card directory is taken by another kind: kind 4 finds no room.
    for (uint8_t kind : {kCardText, kCardGraphic, kCardExternal, uint8_t(6)})
        ASSERT_TRUE(g->Nester->Cards().WriteRowCard(kind, 0, "x"));
    L->ShowLaunchCard();
    L->AddLaunchCardItem("New", "/d/new.txt");
    ASSERT_EQ(L->lvLaunchCardTag, 1);
    Dialogs().AnswerMessage(IDNO);
    EXPECT_FALSE(form->close());
    ASSERT_EQ(Dialogs().Messages.size(), 1u) << Dialogs().MessageTexts().join("|").toStdString();
    EXPECT_EQ(Dialogs().Messages[0].Buttons, MsgButtons::YesNo);
    EXPECT_TRUE(Dialogs().Messages[0].Text.startsWith(
        QStringLiteral("The links of \"t\" could not be stored")))
        << Dialogs().Messages[0].Text.toStdString();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(L->lvLaunchCardTag, 1) << "the changed list stays, to be stored";
    EXPECT_EQ(L->lvLaunchCard->topLevelItemCount(), 1);
    Dialogs().AnswerMessage(IDYES);
    EXPECT_TRUE(form->close());
    Stop();
    EXPECT_EQ(Dialogs().Messages.size(), 2u);
}

}  // namespace
}  // namespace kiv::wintest

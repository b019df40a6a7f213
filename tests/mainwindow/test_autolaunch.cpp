// Auto-launch: moving onto a topic with automatic viewing on shows its one link in the
// browser after the delay, several links the launch card, and never starts a program, a
// script, a desktop entry or any file through the desktop.
#include <sys/stat.h>

#include <QMenu>
#include <QTreeWidget>

#include "mainwindow/autolaunch/AutoLaunch.h"
#include "mainwindow/browser/Browser.h"
#include "mainwindow/launch/LaunchCard.h"
#include "platform/qt/WidgetState.h"
#include "tests/mainwindow/FakeBrowser.h"
#include "tests/mainwindow/RecordingShell.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

const std::string S = "\x01";

class AutoLaunch : public PanelsWindow {
protected:
    FakeBrowserEngine engine;
    RecordingShell* shell = nullptr;
    std::unique_ptr<TDesktopShell> previousShell;
    TAutoLaunch* A = nullptr;
    TBrowser* B = nullptr;

    void SetUp() override {
        PanelsWindow::SetUp();
        auto s = std::make_unique<RecordingShell>();
        shell = s.get();
        previousShell = InstallDesktopShell(std::move(s));
    }
    void TearDown() override {
        PanelsWindow::TearDown();
        InstallDesktopShell(std::move(previousShell));
    }
    void Restart() override {
        PanelsWindow::Restart();
        A = f->findChild<TAutoLaunch*>();
        B = f->findChild<TBrowser*>();
        ASSERT_TRUE(A && B);
        A->SetAutoLaunchDelay(125);
    }
    void Link(int row, const std::string& lines) {
        f->LaunchCard().AddLinksToTopic(p1, row, lines);
        ASSERT_GT(p1->Nester->LaunchList().Count(row), 0);
    }
    std::string File(const std::string& name, mode_t mode = 0644, const std::string& bytes = "x") {
        const std::string path = Home() + name;
        WriteFileAtomic(path, bytes);
        ::chmod(path.c_str(), mode);
        return path;
    }
    // What the browser was asked to show; none while it was never made.
    QStringList Shown() const { return engine.Pane ? engine.Pane->Navigations : QStringList(); }
    void WaitPastTheDelay() { ProcessEventsFor(A->tmrAutoLaunch->interval() + 150); }
};

TEST_F(AutoLaunch, OneViewableLinkIsShownAfterTheDelayAndOnlyTheLastOfQuickMoves) {
    Open("a b c d e");
    for (int r = 1; r <= 4; ++r) Link(r, "http://h/" + std::to_string(r) + S + "t\r\n");
    A->acAutoview->Execute();
    ASSERT_TRUE(A->acAutoview->Checked());
    ClickRow(p1, 1);
    EXPECT_EQ(A->AutoLaunchTarget, "http://h/1");
    EXPECT_TRUE(Shown().isEmpty()) << "not before the delay";
    WaitPastTheDelay();
    EXPECT_EQ(Shown(), QStringList{"http://h/1"});
    EXPECT_TRUE(isShown(f->Skeleton().pnlBrowser));

    // Four moves within the delay: each stops the timer, the last one's link is shown.
    A->SetAutoLaunchDelay(500);
    for (int r : {2, 3, 4, 2}) ClickRow(p1, r);
    WaitPastTheDelay();
    EXPECT_EQ(Shown(), (QStringList{"http://h/1", "http://h/2"}));
    EXPECT_TRUE(shell->Calls.empty());
}

TEST_F(AutoLaunch, SeveralLinksShowTheLaunchCardAndKeepTheBrowser) {
    Open("a b");
    Link(0, "http://h/0" + S + "t\r\n");
    Link(1, "http://h/1" + S + "1\r\nhttp://h/2" + S + "2\r\nhttp://h/3" + S + "3\r\n");
    A->acAutoview->Execute();
    ClickRow(p1, 1);
    ClickRow(p1, 0);
    WaitPastTheDelay();
    ASSERT_TRUE(isShown(f->Skeleton().pnlBrowser));
    ClickRow(p1, 1);
    EXPECT_TRUE(A->AutoLaunchTarget.empty());
    WaitPastTheDelay();
    EXPECT_TRUE(isShown(f->LaunchCard().pnlLaunchCard)) << "the three links listed";
    EXPECT_EQ(f->LaunchCard().lvLaunchCard->topLevelItemCount(), 3);
    EXPECT_TRUE(isShown(f->Skeleton().pnlBrowser)) << "the browser stays";
    EXPECT_EQ(Shown(), QStringList{"http://h/0"});
}

TEST_F(AutoLaunch, ProgramsScriptsAndDesktopEntriesAreNeverStarted) {
    Open("page script entry exe missing none");
    const std::string doc = File("notes.htm");
    Link(0, doc + S + "notes\r\n");
    Link(1, File("run.sh", 0755, "#!/bin/sh\ntouch marker\n") + S + "run\r\n");
    Link(2, File("app.desktop", 0755, "[Desktop Entry]\nExec=touch marker\n") + S + "app\r\n");
    Link(3, File("prog.EXE") + S + "prog\r\n");
    Link(4, Home() + "gone.htm" + S + "gone\r\n");
    for (bool external : {false, true}) {
        SCOPED_TRACE(external ? "external" : "internal");
        (external ? A->acExtLaunch : A->acAutoview)->Execute();
        ClickRow(p1, 5);
        ClickRow(p1, 0);
        WaitPastTheDelay();
        for (int r = 1; r <= 5; ++r) {
            ClickRow(p1, r);
            WaitPastTheDelay();
            EXPECT_TRUE(f->Skeleton().pnlBrowser->isHidden())
                << "row " << r << ": a link not shown closes the browser";
        }
    }
    EXPECT_EQ(Shown(), QStringList{QString::fromStdString(doc)}) << "the document inside";
    EXPECT_EQ(shell->Calls, (std::vector<ShellCall>{{"open", QString::fromStdString(doc), {}}}))
        << "outside, the document goes to the desktop, and nothing else does";
    EXPECT_TRUE(Dialogs().Messages.empty()) << Dialogs().MessageTexts().join("|").toStdString();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Home() + "marker")));
}

TEST_F(AutoLaunch, ExternalViewingHandsWebAddressesToTheDesktopOnly) {
    Open("a b c");
    Link(1, "https://h/x" + S + "x\r\n");
    Link(2, "mailto:someone@example.org" + S + "mail\r\n");
    A->acExtLaunch->Execute();
    ClickRow(p1, 1);
    WaitPastTheDelay();
    ClickRow(p1, 2);
    WaitPastTheDelay();
    EXPECT_EQ(shell->Calls, (std::vector<ShellCall>{{"open", "https://h/x", {}}}));
    EXPECT_EQ(engine.Made, 0) << "the window's browser is not made";
}

TEST_F(AutoLaunch, WithoutABrowserWebAddressesGoToTheDesktopAndFilesNowhere) {
    const TBrowserEngine fake = InstallBrowserEngine(NoBrowser(QStringLiteral("none")));
    Open("a b c");
    Link(1, "http://h/x" + S + "x\r\n");
    Link(2, File("notes.txt") + S + "notes\r\n");
    A->acAutoview->Execute();
    for (int r : {1, 2}) {
        ClickRow(p1, r);
        WaitPastTheDelay();
    }
    EXPECT_EQ(shell->Calls, (std::vector<ShellCall>{{"open", "http://h/x", {}}}));
    EXPECT_TRUE(Dialogs().Messages.empty()) << "no warning for what nobody asked";
    Stop();
    InstallBrowserEngine(fake);
}

TEST_F(AutoLaunch, TheTwoModesExcludeEachOtherAndCtrlSwitchesViewingForAWhile) {
    Open("a b");
    Link(1, "http://h/1" + S + "1\r\n");
    struct Step {
        const char* command;
        bool autoview, ext;
    };
    for (const Step s : {Step{"acAutoview", true, false}, Step{"acExtLaunch", false, true},
                         Step{"acAutoview", true, false}, Step{"acAutoview", false, false},
                         Step{"acExtLaunch", false, true}, Step{"acExtLaunch", false, false}}) {
        f->Actions().Get(QString::fromLatin1(s.command)).Execute();
        EXPECT_EQ(A->acAutoview->Checked(), s.autoview) << s.command;
        EXPECT_EQ(A->acExtLaunch->Checked(), s.ext) << s.command;
    }

    A->SetCtrlDown(true);
    ClickRow(p1, 1);
    EXPECT_TRUE(A->tmrAutoLaunch->isActive()) << "a held Ctrl arms the timer";
    A->CtrlNavigationKey();
    EXPECT_TRUE(A->acAutoview->Checked());
    A->SetCtrlDown(false);
    EXPECT_FALSE(A->acAutoview->Checked()) << "off again when Ctrl comes up";
    A->acAutoview->Execute();
    A->CtrlNavigationKey();
    A->SetCtrlDown(false);
    EXPECT_TRUE(A->acAutoview->Checked()) << "switched on by the user, it stays";

    A->HoldAutoLaunch(true);  // a topic being inserted
    ClickRow(p1, 0);
    ClickRow(p1, 1);
    EXPECT_FALSE(A->tmrAutoLaunch->isActive());
}

TEST_F(AutoLaunch, DelayMenuSetsTheTimerAndWritesTheSettingAtOnce) {
    Open("a");
    QAction* five = nullptr;
    QStringList captions;
    for (QAction* a : A->AutoviewDelay1->actions()) {
        captions << a->text() + "=" + QString::number(a->data().toInt());
        if (a->data().toInt() == 5000) five = a;
    }
    EXPECT_EQ(captions, (QStringList{"1/8 sec.=125", "1/6 sec.=167", "1/4 sec.=250", "1/2 sec.=500",
                                     "1 sec.=1000", "2 sec.=2000", "3 sec.=3000", "5 sec.=5000"}));
    ASSERT_NE(five, nullptr);
    // The settings give the delay through the published interface.
    TNeed<IAutoLaunch> published(f->Published());
    published->SetAutoLaunchDelay(700);
    EXPECT_EQ(A->tmrAutoLaunch->interval(), 700);
    if (QFile::exists(QString::fromStdString(Home() + "kiv.ini"))) {
        EXPECT_EQ(ReadWholeFile(Home() + "kiv.ini").find("AutoviewDelay"), std::string::npos);
    }
    five->trigger();
    EXPECT_EQ(A->tmrAutoLaunch->interval(), 5000);
    EXPECT_TRUE(five->isChecked());
    const std::string after = ReadWholeFile(Home() + "kiv.ini");
    EXPECT_NE(after.find("[Settings]\r\nAutoviewDelay=5000\r\n"), std::string::npos) << after;
    EXPECT_EQ(after.find("MainW_Top"), std::string::npos) << "nothing else was saved yet";
    // In the Launch menu, after the launch commands.
    const QList<QAction*> launch = f->LaunchCard().Launch1->actions();
    ASSERT_GE(launch.size(), 4);
    EXPECT_EQ(launch[0], A->acAutoview);
    EXPECT_EQ(A->acAutoview->text(),
              QStringLiteral("Autoview in Internal Browser         Ctrl+(arrowup or arrowdown)"));
    EXPECT_EQ(launch[1], A->acExtLaunch);
    EXPECT_EQ(launch.back(), A->AutoviewDelay1->menuAction());
}

TEST_F(AutoLaunch, FirstViewableLinkIsAWebAddressOrAnExistingDocument) {
    Open("a b c d e f");
    const std::string doc = File("d.pdf");
    Link(0, "www.x.org" + S + "w\r\n/bin/sh" + S + "sh\r\n");
    Link(1, doc + S + "d\r\n");
    Link(2, Home() + "missing.pdf" + S + "m\r\n");
    Link(3, File("s.sh", 0755) + S + "s\r\nhttp://later/" + S + "l\r\n");
    Link(4, "||d.pdf" + S + "relative\r\n");
    struct Case {
        int row;
        std::string expect;
    };
    // A path under the program folder is read back as the launch list gives it.
    const std::string relative = p1->Nester->LaunchList().GetPath(4, 0);
    for (const Case& c : {Case{0, "www.x.org"}, Case{1, p1->Nester->LaunchList().GetPath(1, 0)},
                          Case{2, ""}, Case{3, ""}, Case{4, relative}, Case{5, ""}, Case{9, ""}})
        EXPECT_EQ(A->FirstViewableLink(p1, c.row), c.expect) << c.row;
}

}  // namespace
}  // namespace kiv::wintest

// The embedded browser in the card pane, over a browser engine of the tests' own: the
// visited addresses and their lines in kiv.ini, the window caption, the text card beside
// the browser, the page taken into the Resource Bin and into topics, and the warning when
// no browser can be made. The real engine's page is in test_webengine.cpp.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QSplitter>
#include <QToolButton>
#include <unistd.h>

#include "mainwindow/MainHelpers.h"
#include "mainwindow/bins/Bins.h"
#include "mainwindow/browser/Browser.h"
#include "mainwindow/launch/LaunchCard.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "components/FourthTabSet.h"
#include <QLabel>
#include "platform/qt/WidgetState.h"
#include "tests/mainwindow/FakeBrowser.h"
#include "tests/mainwindow/RecordingShell.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

class Browser : public PanelsWindow {
protected:
    FakeBrowserEngine engine;
    TBrowser* B = nullptr;

    void Restart() override {
        PanelsWindow::Restart();
        B = f->findChild<TBrowser*>();
        ASSERT_NE(B, nullptr);
    }
    // An address typed into the box and Enter pressed; the page arrives with the title.
    // The key goes where X sends it: to the box, which holds the focus.
    void Type(const QString& address, const QString& title = QString()) {
        B->cbxBrowser->setFocus();
        B->cbxBrowser->setEditText(address);
        ASSERT_EQ(QApplication::focusWidget(), B->cbxBrowser);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (!title.isEmpty()) engine.Pane->Complete(title);
    }
    QStringList Items() const {
        QStringList r;
        for (int i = 0; i < B->cbxBrowser->count(); ++i) r << B->cbxBrowser->itemText(i);
        return r;
    }
    std::string Ini() const { return ReadWholeFile(Home() + "kiv.ini"); }
};

TEST_F(Browser, TypedAddressesKeepTheNewestTwentyWithoutDuplicatesAndLinksAddNone) {
    Open("a");
    B->acOpenBrowser->Execute();
    ASSERT_NE(engine.Pane, nullptr);
    for (int i = 1; i <= 21; ++i) Type(QStringLiteral("http://h/%1").arg(i), "p");
    QStringList expected;
    for (int i = 21; i >= 2; --i) expected << QStringLiteral("http://h/%1").arg(i);
    EXPECT_EQ(Items(), expected) << "the oldest goes; the newest first";

    Type(QStringLiteral("http://h/5"), "again");
    EXPECT_EQ(Items(), expected) << "an address already listed is not listed twice";
    engine.Pane->FollowLink(QStringLiteral("http://h/followed"));
    engine.Pane->Complete(QStringLiteral("followed"));
    EXPECT_EQ(Items(), expected) << "a link followed in the page adds nothing";
    EXPECT_EQ(B->cbxBrowser->currentText(), QStringLiteral("http://h/followed"))
        << "the box shows where the page is";
    EXPECT_EQ(engine.Pane->Navigations.size(), 22);
}

TEST_F(Browser, OneEnterOrGoIsOneLoadAndTheCaptionKeepsThePage) {
    Open("a");
    B->acOpenBrowser->Execute();
    ASSERT_NE(engine.Pane, nullptr);
    Type(QStringLiteral("http://new/"), QStringLiteral("New"));
    // The focus leaves the box, which then finds its text among its items.
    f->CurrentGrid()->setFocus();
    B->cbxBrowser->setFocus();
    B->cbxBrowser->setEditText(QStringLiteral("http://go/"));
    B->btnGo->click();
    engine.Pane->Complete(QStringLiteral("Go"));
    f->CurrentGrid()->setFocus();
    EXPECT_EQ(engine.Pane->Navigations, (QStringList{"http://new/", "http://go/"}));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV:> Go"));
    // A choice from the list is a load of its own.
    B->cbxBrowser->setFocus();
    const int chosen = B->cbxBrowser->findText(QStringLiteral("http://new/"));
    B->cbxBrowser->setCurrentIndex(chosen);
    emit B->cbxBrowser->activated(chosen);
    EXPECT_EQ(engine.Pane->Navigations.size(), 3);
}

TEST_F(Browser, VisitedLinksAreWrittenInListOrderAndReadInFileOrder) {
    WriteFileAtomic(
        Home() + "kiv.ini",
        "[VisitedLinks]\r\n1=http://second/\r\n0=http://first/\r\n7=file:///tmp/x.htm\r\n");
    Open("a");
    EXPECT_EQ(Items(), (QStringList{"http://second/", "http://first/", "file:///tmp/x.htm"}))
        << "the lines as they stand, whatever their keys";
    B->acOpenBrowser->Execute();
    Type(QStringLiteral("http://third/"), "t");
    Stop();
    const std::string ini = Ini();
    EXPECT_NE(ini.find("[VisitedLinks]\r\n0=http://third/\r\n1=http://second/\r\n"
                       "2=http://first/\r\n3=file:///tmp/x.htm\r\n"),
              std::string::npos)
        << ini;
    EXPECT_EQ(ini.find("7=file"), std::string::npos) << "the section is written anew";

    Restart();
    EXPECT_EQ(Items(), (QStringList{"http://third/", "http://second/", "http://first/",
                                    "file:///tmp/x.htm"}))
        << "they survive a restart";
}

TEST_F(Browser, CaptionShowsThePageAndTheDatastructureWhenThePaneCloses) {
    MakeJoined(Home() + "mydata.kiv", "a");
    f = Start({Home() + "mydata.kiv"});
    B = f->findChild<TBrowser*>();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - mydata.kiv"));
    B->acOpenBrowser->Execute();
    EXPECT_TRUE(B->acOpenBrowser->Checked());
    EXPECT_EQ(B->acOpenBrowser->text(), QStringLiteral("Hide KIV Browser"));
    Type(QStringLiteral("http://x/"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV")) << "while the page comes";
    EXPECT_TRUE(isShown(B->imgLink));
    engine.Pane->Complete(QStringLiteral("Home"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV:> Home"));
    EXPECT_TRUE(B->btnPrint->isEnabled() && B->btnBrtoExt->isEnabled() &&
                B->btnRefresh->isEnabled());

    // Closing while a page loads stops it first.
    engine.Pane->FollowLink(QStringLiteral("http://x/slow"));
    B->acOpenBrowser->Execute();
    EXPECT_EQ(engine.Pane->Commands, QStringList{"stop"});
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - mydata.kiv"));
    EXPECT_EQ(B->acOpenBrowser->text(), QStringLiteral("Show KIV Browser"));
    EXPECT_FALSE(B->acOpenBrowser->Checked());
    EXPECT_TRUE(f->Skeleton().pnlBrowser->isHidden());
    EXPECT_TRUE(isShown(f->Skeleton().pnlSimpleText)) << "the text card fills the pane again";
    engine.Pane->Complete(QStringLiteral("late"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - mydata.kiv"))
        << "a hidden page names nothing";
    EXPECT_EQ(engine.Made, 1) << "one browser for the whole run";
}

TEST_F(Browser, TextCardBesideTheBrowserTakesItsHeightFromThePane) {
    struct Case {
        int cards;  // the card pane's height before
        int expectCards, expectText;
    };
    for (const Case c : {Case{100, 150, 70}, Case{300, 300, 100}}) {
        SCOPED_TRACE(c.cards);
        Open("a");
        TWindowSkeleton& k = f->Skeleton();
        // Without the browser the text card fills the pane: Ctrl+O is the pane's command,
        // and the check mark stays with what is shown.
        B->acShowTextCard->Execute();
        EXPECT_TRUE(!B->acShowTextCard->Checked() && k.pnlCards->isHidden());
        B->acShowTextCard->Execute();
        EXPECT_TRUE(B->acShowTextCard->Checked() && isShown(k.pnlCards) &&
                    isShown(k.pnlSimpleText));
        B->acOpenBrowser->Execute();
        EXPECT_FALSE(B->acShowTextCard->Checked()) << "the text card left the pane";
        EXPECT_TRUE(k.pnlSimpleText->isHidden());
        const int total = k.Splitter1->sizes()[0] + k.Splitter1->sizes()[1];
        k.Splitter1->setSizes({c.cards, total - c.cards});
        QCoreApplication::processEvents();
        ASSERT_EQ(k.pnlCards->height(), c.cards);
        B->acShowTextCard->Execute();
        QCoreApplication::processEvents();
        EXPECT_TRUE(B->acShowTextCard->Checked());
        EXPECT_EQ(k.pnlCards->height(), c.expectCards);
        EXPECT_EQ(k.pnlSimpleText->height(), c.expectText);
        EXPECT_TRUE(isShown(k.Splitter3));
        EXPECT_LT(k.pnlBrowser->geometry().bottom(), k.pnlSimpleText->geometry().top())
            << "the text card under the browser";
        // The splitter, dragged 10 pixels up, gives the text card 10 more.
        const QPoint at = k.Splitter3->rect().center();
        QTest::mousePress(k.Splitter3, Qt::LeftButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at - QPoint(0, 10)),
                         QPointF(k.Splitter3->mapToGlobal(at - QPoint(0, 10))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(k.Splitter3, &move);
        QTest::mouseRelease(k.Splitter3, Qt::LeftButton, {}, at - QPoint(0, 10));
        QCoreApplication::processEvents();
        EXPECT_EQ(k.pnlSimpleText->height(), c.expectText + 10);
        B->acShowTextCard->Execute();
        EXPECT_TRUE(k.pnlSimpleText->isHidden() && k.Splitter3->isHidden());
        Stop();
    }
}

TEST_F(Browser, ResourceBinTakesThePageAsTheBrowserHasIt) {
    Open("a");
    QListWidget* bin = f->Bins().lbxLaunchBin;
    B->AddLinkToResourceCard();
    EXPECT_EQ(bin->count(), 0) << "no browser, nothing added";
    B->acOpenBrowser->Execute();
    B->AddLinkToResourceCard();
    EXPECT_EQ(bin->count(), 0) << "no page, nothing added";
    Type(QStringLiteral("http://x/"), QStringLiteral("Home"));
    B->cbxBrowser->setEditText(QStringLiteral("typed but not gone to"));
    f->setWindowTitle(QStringLiteral("KIV:> some other caption"));
    B->AddLinkToResourceCard();
    ASSERT_EQ(bin->count(), 1);
    EXPECT_EQ(bin->item(0)->text(), StoredToText("http://x/\x01Home"));
    EXPECT_EQ(ImageIndex(f->Bins().acShowLaunchBin), 19);
    // A page without a title is listed by its address.
    Type(QStringLiteral("http://y/"));
    B->AddLinkToResourceCard();
    EXPECT_EQ(bin->item(1)->text(), StoredToText("http://y/\x01http://y/"));
}

TEST_F(Browser, BrowserLinkGoesToTheCurrentOrANewTopicWhileAPageIsShown) {
    Open("a(x y) b");
    KivAction* toCurrent = B->acAddWebLinkToCurrentTopic;
    KivAction* toNew = B->acAddWebLinkToNewTopic;
    toNew->Update();
    EXPECT_FALSE(toNew->isEnabled() || toCurrent->isEnabled()) << "no browser";
    B->acOpenBrowser->Execute();
    toNew->Update();
    EXPECT_FALSE(toNew->isEnabled()) << "no page";
    Type(QStringLiteral("http://x/"), QStringLiteral("Home"));
    toNew->Update();
    EXPECT_TRUE(toNew->isEnabled() && toCurrent->isEnabled());

    ASSERT_TRUE(toCurrent->Execute());
    EXPECT_EQ(p1->Nester->LaunchList().GetLinks(0), "http://x/\x01Home\r\n");
    ASSERT_TRUE(toNew->Execute());
    ASSERT_EQ(p1->Nester->RowCount(), 3);
    EXPECT_EQ(p1->CurrentRow(), 1) << "a sibling after the branch";
    EXPECT_EQ(p1->Nester->Caption(1), "Home") << "titled by the page";
    EXPECT_EQ(p1->Nester->LaunchList().GetLinks(1), "http://x/\x01Home\r\n");
    EXPECT_EQ(p1->Nester->Caption(2), "b");
    // Named at once wherever a caption shows.
    EXPECT_EQ(f->TextCard().lblCurDescr->text(), "Home");
    EXPECT_EQ(f->NavPath().tsOutLine->Tabs().Strings(),
              (QStringList{"<..>", "1. a", "2. Home", "3. b"}));

    B->acOpenBrowser->Execute();
    toNew->Update();
    EXPECT_FALSE(toNew->isEnabled()) << "the browser closed";
}

TEST_F(Browser, LaunchCardLinksOpenInTheBrowserWithRoomWhenAsked) {
    Open("a");
    TLaunchCard& L = f->LaunchCard();
    EXPECT_EQ(L.LaunchLink("http://x/page", false, true), kOpenNothing);
    ASSERT_NE(engine.Pane, nullptr) << "made at the first link";
    EXPECT_EQ(engine.Pane->Navigations, QStringList{"http://x/page"});
    EXPECT_TRUE(isShown(f->Skeleton().pnlBrowser));
    B->acShowTextCard->Execute();
    EXPECT_TRUE(B->acShowTextCard->Checked());
    L.LaunchLink("http://x/full", true, true);
    EXPECT_FALSE(B->acShowTextCard->Checked()) << "making room takes the text card away";
    EXPECT_TRUE(L.ShowInBrowser("www.x.org", false));
    EXPECT_FALSE(L.ShowInBrowser("/bin/sh", false)) << "not a document";
}

TEST_F(Browser, WithoutABrowserTheWarningSaysWhyAndLinksGoToTheDesktop) {
    auto shell = std::make_unique<RecordingShell>();
    RecordingShell* calls = shell.get();
    auto previous = InstallDesktopShell(std::move(shell));
    const TBrowserEngine fake = InstallBrowserEngine(NoBrowser(QStringLiteral("no engine here")));
    Open("a");
    B->acOpenBrowser->Execute();
    B->acOpenBrowser->Execute();
    const QString warning = QStringLiteral(
        "The KIV browser cannot be shown: no engine here.\r\nWeb addresses and documents open "
        "in the desktop's web browser instead.");
    EXPECT_EQ(Dialogs().MessageTexts(), (QStringList{warning, warning})) << "told each time";
    EXPECT_TRUE(f->Skeleton().pnlBrowser->isHidden());
    EXPECT_FALSE(B->acOpenBrowser->Checked());
    f->LaunchCard().LaunchLink("http://x/", false, true);
    EXPECT_EQ(calls->Calls, (std::vector<ShellCall>{{"open", "http://x/", {}}}));
    f->LaunchCard().BuildLaunchPopup(0);
    EXPECT_FALSE(f->LaunchCard().acOpenPartScreen->isEnabled());
    Stop();
    InstallBrowserEngine(fake);
    InstallDesktopShell(std::move(previous));
}

TEST_F(Browser, ABrowserThatFailedToStartIsNeverTriedAgain) {
    int made = 0;
    const TBrowserEngine previous =
        InstallBrowserEngine({[](QString&) { return true; },
                              [&made](QWidget* parent) -> std::unique_ptr<TBrowserPane> {
                                  // Fails once; a second try would succeed, and must not happen.
                                  if (++made == 1) throw std::runtime_error("the engine broke");
                                  return std::make_unique<FakeBrowserPane>(parent);
                              }});
    Open("a");
    B->acOpenBrowser->Execute();
    B->acOpenBrowser->Execute();
    B->cbxBrowser->setEditText(QStringLiteral("http://x/"));
    B->btnGo->click();
    EXPECT_FALSE(B->OpenLink("http://y/", false));
    EXPECT_EQ(made, 1) << "made once, when first shown";
    EXPECT_EQ(B->Pane(), nullptr);
    EXPECT_TRUE(f->Skeleton().pnlBrowser->isHidden());
    const QString warning = QStringLiteral(
        "The KIV browser cannot be shown: the engine broke.\r\nWeb addresses and documents "
        "open in the desktop's web browser instead.");
    EXPECT_EQ(Dialogs().MessageTexts().first(), warning);
    EXPECT_EQ(Dialogs().MessageTexts().size(), 3) << "each show and the Go button tell why";
    Stop();
    InstallBrowserEngine(previous);
}

#ifdef KIV_WEBENGINE
// As root, Chromium's sandbox would end the whole program at the first page: without the
// switch that turns it off, the engine says why instead.
TEST(BrowserEngine, AsRootWithoutTheSandboxSwitchItSaysWhyInsteadOfStarting) {
    if (::geteuid() != 0) GTEST_SKIP() << "not root";
    const QByteArray was = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    QString why;
    const bool available = WebEngineBrowser().Available(why);
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", was);
    EXPECT_FALSE(available);
    EXPECT_EQ(why, QStringLiteral("Qt WebEngine does not run as root unless "
                                  "QTWEBENGINE_DISABLE_SANDBOX=1 is set"));
}
#endif

TEST(BrowserEngine, OnlyThePanesOwnSchemesAreLoaded) {
    for (const char* s : {"http", "HTTPS", "file", "about", "data"})
        EXPECT_TRUE(IsBrowsableScheme(QString::fromLatin1(s))) << s;
    for (const char* s : {"mailto", "steam", "vscode", "javascript-evil", "", "sh"})
        EXPECT_FALSE(IsBrowsableScheme(QString::fromLatin1(s))) << s;
}

}  // namespace
}  // namespace kiv::wintest

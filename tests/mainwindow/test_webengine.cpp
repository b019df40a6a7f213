// The browser pane with the real engine (Qt WebEngine), offscreen, on a page that a small
// HTTP server of the test's own serves on loopback. The engine is slow to start: these are
// the only tests of this program that start it.
#include <dlfcn.h>

#include <QComboBox>
#include <QOpenGLContext>
#include <QLineEdit>
#include <QStatusBar>
#include <QTcpServer>
#include <QToolButton>

#include "mainwindow/browser/Browser.h"
#include "mainwindow/launch/LaunchCard.h"
#include "platform/qt/BrowserPane.h"
#include "platform/qt/WidgetState.h"
#include "tests/mainwindow/LoopbackHttp.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

// A port nothing listens on.
int ClosedPort() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const int port = s.serverPort();
    s.close();
    return port;
}

template <class F>
bool WaitFor(F done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class WebEngine : public PanelsWindow {
protected:
    TBrowserEngine previous_ = InstallBrowserEngine(WebEngineBrowser());
    void SetUp() override {
#ifndef KIV_WEBENGINE
        GTEST_SKIP() << "built without Qt WebEngine (the sanitizer build leaves it out: its "
                        "Chromium trips AddressSanitizer at start)";
#endif
        QString why;
        if (!GetBrowserEngine().Available(why)) GTEST_SKIP() << why.toStdString();
        PanelsWindow::SetUp();
    }
    void TearDown() override {
        PanelsWindow::TearDown();
        InstallBrowserEngine(std::move(previous_));
    }
};

// The first of this file, so that nothing of the engine was loaded before it in this process
// (ctest runs every case in a process of its own anyway).
TEST_F(WebEngine, TheFirstBrowserCommandLoadsTheEngineAndShowsALoopbackPage) {
    auto engineLoaded = [] {
        void* h = ::dlopen("libQt6WebEngineCore.so.6", RTLD_LAZY | RTLD_NOLOAD);
        if (h) ::dlclose(h);
        return h != nullptr;
    };
    MakeDirs(Home() + "web/");
    WriteFileAtomic(Home() + "web/page.html",
                    "<html><head><title>Loopback Page</title></head><body>here</body></html>");
    test::LoopbackHttp http;
    ASSERT_TRUE(http.Start(QString::fromStdString(Home() + "web")));
    Open("a");
    f->show();
    QCoreApplication::processEvents();
    ASSERT_FALSE(engineLoaded()) << "the window started without the engine";
    ASSERT_EQ(QOpenGLContext::globalShareContext(), nullptr) << "nor an OpenGL context";

    auto* B = f->findChild<TBrowser*>();
    B->acOpenBrowser->Execute();
    ASSERT_NE(B->Pane(), nullptr) << Dialogs().MessageTexts().join("|").toStdString();
    EXPECT_TRUE(engineLoaded());
    EXPECT_NE(QOpenGLContext::globalShareContext(), nullptr) << "the engine's share context";
    B->cbxBrowser->setEditText(http.Url(QStringLiteral("page.html")));
    B->btnGo->click();
    EXPECT_TRUE(
        WaitFor([&] { return f->windowTitle() == QStringLiteral("KIV:> Loopback Page"); }, 30000))
        << f->windowTitle().toStdString();
    EXPECT_EQ(B->Pane()->LocationURL(), http.Url(QStringLiteral("page.html")));
    Stop();
}

TEST_F(WebEngine, ALoopbackPageShowsItsTitleInTheCaptionAndJoinsTheVisitedLinks) {
    MakeDirs(Home() + "web/");
    WriteFileAtomic(Home() + "web/page.html",
                    "<html><head><title>Loopback Page</title></head><body><a id=l "
                    "href=\"other.html\">other</a></body></html>");
    test::LoopbackHttp http;
    ASSERT_TRUE(http.Start(QString::fromStdString(Home() + "web")));
    Open("a");
    auto* B = f->findChild<TBrowser*>();
    B->acOpenBrowser->Execute();
    ASSERT_NE(B->Pane(), nullptr) << Dialogs().MessageTexts().join("|").toStdString();

    const QString url = http.Url(QStringLiteral("page.html"));
    B->cbxBrowser->setEditText(url);
    QTest::keyClick(B->cbxBrowser->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(
        WaitFor([&] { return f->windowTitle() == QStringLiteral("KIV:> Loopback Page"); }, 30000))
        << f->windowTitle().toStdString();
    EXPECT_TRUE(WaitFor([&] { return !B->Pane()->Busy(); }, 10000));
    EXPECT_EQ(B->cbxBrowser->itemText(0), url);
    EXPECT_EQ(B->Pane()->LocationURL(), url);
    EXPECT_EQ(B->Pane()->LocationName(), QStringLiteral("Loopback Page"));

    // A page that cannot be loaded says so; the window goes on.
    const QString dead = QStringLiteral("http://127.0.0.1:%1/").arg(ClosedPort());
    B->cbxBrowser->setEditText(dead);
    QTest::keyClick(B->cbxBrowser->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(WaitFor(
        [&] {
            return f->Skeleton().StatusBar->currentMessage().startsWith(
                QStringLiteral("The page could not be loaded: "));
        },
        30000))
        << f->Skeleton().StatusBar->currentMessage().toStdString();

    // Ctrl+W shows the topic's document, and again goes back to the text card: the page's
    // file address is the link's path.
    const std::string doc = Home() + "web/page.html";
    f->LaunchCard().AddLinksToTopic(p1, 0, doc + "\x01page\r\n");
    KivAction& browserSwitch = f->Actions().Get(QStringLiteral("acBrowserSwitch"));
    browserSwitch.Execute();
    EXPECT_TRUE(WaitFor(
        [&] {
            return B->Pane()->LocationURL().startsWith(QStringLiteral("file://")) &&
                   !B->Pane()->Busy();
        },
        30000))
        << B->Pane()->LocationURL().toStdString();
    EXPECT_TRUE(isShown(f->Skeleton().pnlBrowser));
    browserSwitch.Execute();
    EXPECT_TRUE(f->Skeleton().pnlBrowser->isHidden());
    EXPECT_TRUE(isShown(f->Skeleton().pnlSimpleText));

    Stop();
    EXPECT_NE(ReadWholeFile(Home() + "kiv.ini").find("1=" + url.toStdString() + "\r\n"),
              std::string::npos)
        << "the page is kept among the visited links";
}

}  // namespace
}  // namespace kiv::wintest

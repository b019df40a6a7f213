// Start-up and shut-down pieces: the platform choice and the termination signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDialog>
#include <QTest>

#include "platform/core/AppPaths.h"
#include "platform/qt/Program.h"
#include "platform/qt/TestHarness.h"

using namespace kiv;

TEST(Program, XcbIsChosenWhenADisplayExistsAndNothingWasChosen) {
    struct Case {
        const char* display;
        const char* chosen;
        bool xcb;
        const char* result;
    };
    const Case cases[] = {
        {":0", nullptr, true, "xcb"},  {":0", "", true, "xcb"},      {":0", "wayland", true, ""},
        {":0", "offscreen", true, ""}, {nullptr, nullptr, true, ""}, {"", nullptr, true, ""},
        {":0", nullptr, false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtPlatformToChoose(c.display, c.chosen, c.xcb), c.result)
            << (c.display ? c.display : "(none)") << " / " << (c.chosen ? c.chosen : "(none)");
}

TEST(Program, TemporaryFolderIsPrivate) {
    TestEnvironment env;
    InitProgramFolders();
    struct stat st {};
    ASSERT_EQ(::stat(TempDir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(AppDir(), env.Dir());
}

TEST(Program, StartUpIgnoresTheFileSizeSignal) {
    TestEnvironment env;
    struct sigaction old {};
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGXFSZ, &dfl, &old);
    InitProgramFolders();
    struct sigaction now {};
    ::sigaction(SIGXFSZ, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);  // a size limit is then a write error ("File too large")
    ::sigaction(SIGXFSZ, &old, nullptr);
}

TEST(Program, TerminationSignalsCloseTheMainWindowAsTheUserWould) {
    TestEnvironment env;
    int closes = 0;
    CloseOnTerminationSignals([&] { ++closes; });
    ::raise(SIGTERM);
    QTRY_COMPARE_WITH_TIMEOUT(closes, 1, 30000);
    ::raise(SIGINT);
    QTRY_COMPARE_WITH_TIMEOUT(closes, 2, 30000);

    // Under a modal window: the window is answered first, then the main window closes.
    QDialog question;
    question.setWindowModality(Qt::ApplicationModal);
    question.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &question);
    ::raise(SIGTERM);
    QTRY_COMPARE_WITH_TIMEOUT(closes, 3, 30000);
    EXPECT_EQ(question.result(), QDialog::Rejected);
    EXPECT_TRUE(question.isHidden());
    RestoreTerminationSignals();
}

// The program itself on a real X server: a datastructure with a password opens locked
// behind the enter window until the exact password is typed, and a datastructure added in
// the bookmarked datastructures dialog is still a tab after a restart.
#include <signal.h>

#include "engine/core/Cards.h"
#include "tests/dragdrop/X11Fixture.h"
#include "tests/mainwindow/WindowFixture.h"

namespace {

class X11Password : public kiv::test::X11Fixture {
protected:
    void SetUp() override {
        X11Fixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const char* tool : {"openbox", "xdotool"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty())
                << tool << " is missing; run scripts/install-deps";
        kiv_ = QFileInfo(kivclip_).absolutePath() + "/kiv";
        ASSERT_TRUE(QFileInfo::exists(kiv_)) << kiv_.toStdString();
        Start("openbox", {"--sm-disable"});
        QThread::msleep(500);
    }

    // The id of the first shown window with the title, waiting up to ten seconds for it.
    QString WindowId(const QString& title, int tries = 100) {
        for (int i = 0; i < tries; ++i) {
            const QString ids =
                Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"}).trimmed();
            if (!ids.isEmpty()) return ids.split('\n').first();
            QThread::msleep(100);
        }
        return {};
    }
    bool Shown(const QString& title) { return !WindowId(title, 3).isEmpty(); }
    void Keys(const QStringList& keys) {
        Run("xdotool", QStringList{"key", "--delay", "120"} + keys);
        QThread::msleep(400);
    }
    void Type(const QString& text) {
        Run("xdotool", {"type", "--delay", "60", text});
        QThread::msleep(300);
    }
    void Stop(QProcess& kiv) {
        ::kill(pid_t(kiv.processId()), SIGTERM);
        ASSERT_TRUE(kiv.waitForFinished(15000));
    }

    QString kiv_;
    kiv::TestEnvironment env;
};

}  // namespace

TEST_F(X11Password, TheWindowStaysLockedUntilThePasswordIsTypedAndTheBookmarksOutliveARestart) {
    using namespace kiv;
    const std::string first = env.Dir() + "FirstKivDB.kiv";
    MakeTreePair(first, "secret");
    {
        auto dsc = PosixBlockFile::Open(CardFileName(first), OpenMode::ReadWrite);
        TDBCards db;
        db.SetCardFile(dsc.get());
        ASSERT_TRUE(db.WriteCard(kDBCardTextBin, "Key1\x01"));
    }
    PackDatastructure(first);
    const std::string work = env.Dir() + "My Work.kiv";
    wintest::MakeJoined(work, "w");

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        QProcess& kiv = Start(kiv_, {});
        const QString mainId = WindowId("KIV - FirstKivDB.kiv");
        ASSERT_FALSE(mainId.isEmpty()) << kiv.readAllStandardError().toStdString();
        ASSERT_FALSE(WindowId("Enter Password").isEmpty()) << "a new run asks again";
        // The wrong case: Enter does nothing and the window stays.
        Type("key1");
        Keys({"Return"});
        EXPECT_TRUE(Shown("Enter Password"));
        Keys({"ctrl+a", "BackSpace"});
        Type("Key1");
        Keys({"Return"});
        EXPECT_FALSE(Shown("Enter Password")) << "the exact password opens it";

        if (run == 0) {
            // View / Bookmarked Datastructures / Manage..., then "- Add -" and "- OK -".
            Run("xdotool", {"windowactivate", "--sync", mainId});
            Keys({"alt+v", "Down", "Right", "Down", "Return"});
            ASSERT_FALSE(WindowId("Set Bookmarked Datastructures").isEmpty());
            Keys({"Tab", "space"});
            ASSERT_FALSE(WindowId("Open").isEmpty()) << "the open dialog";
            Type(QString::fromStdString(work));
            Keys({"Return"});
            Keys({"Tab", "Tab", "space"});
            EXPECT_FALSE(Shown("Set Bookmarked Datastructures"));
        }
        Stop(kiv);
        const std::string ini = ReadWholeFile(env.Dir() + "kiv.ini");
        EXPECT_NE(ini.find("My Work_~^_"), std::string::npos) << ini;
        EXPECT_EQ(SplitTextBinCard(wintest::ReadJoined(first).TextBinCard).Password, "Key1");
    }
}

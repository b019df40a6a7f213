// The program itself on a real X server with a window manager: a branch cut in one
// datastructure and pasted into another keeps its text cards when both are closed, and a
// deleted topic restored from the Recycled Bin's window is back in its place after a
// restart.
#include <signal.h>

#include <QImage>

#include "engine/core/TreeText.h"
#include "tests/dragdrop/X11Fixture.h"
#include "tests/mainwindow/WindowFixture.h"

namespace {

class X11Topics : public kiv::test::X11Fixture {
protected:
    void SetUp() override {
        X11Fixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const char* tool : {"openbox", "xdotool"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty())
                << tool << " is missing; run scripts/install-deps";
        bin_ = QFileInfo(kivclip_).absolutePath();
        ASSERT_TRUE(QFileInfo::exists(bin_ + "/kiv"));
        Start("openbox", {"--sm-disable"});
        QThread::msleep(500);
    }
    QString WindowId(const QString& title, int tries = 100) {
        for (int i = 0; i < tries; ++i) {
            const QString ids =
                Run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"}).trimmed();
            if (!ids.isEmpty()) return ids.split('\n').first();
            QThread::msleep(100);
        }
        return {};
    }
    void Keys(const QStringList& keys) {
        Run("xdotool", QStringList{"key", "--delay", "150"} + keys);
        QThread::msleep(500);
    }
    void Activate(const QString& id) {
        Run("xdotool", {"windowactivate", "--sync", id});
        QThread::msleep(300);
    }
    void Stop(QProcess& kiv) {
        ::kill(pid_t(kiv.processId()), SIGTERM);
        ASSERT_TRUE(kiv.waitForFinished(15000));
    }
    std::string Dump(const std::string& path, bool cards) {
        QStringList args{"dump"};
        if (cards) args << "--cards";
        args << QString::fromStdString(path);
        return Run(bin_ + "/kivtree", args).toStdString();
    }
    // A closed datastructure with a text card on some topics (trail -> text).
    void Make(const std::string& path, std::string_view tree,
              std::vector<std::pair<std::string, std::string>> cards = {}) {
        kiv::MakeTreePair(path, tree);
        for (const auto& [trail, text] : cards) kiv::StoreTrailCardPair(path, trail, 2, text);
        kiv::PackDatastructure(path);
    }

    QString bin_;
    kiv::TestEnvironment env;
};

TEST_F(X11Topics, ABranchCutInOneDatastructureIsPastedIntoAnotherWithItsCards) {
    const std::string src = env.Dir() + "src.kiv", dst = env.Dir() + "dst.kiv";
    // The first topic is current, in the focused first panel, when the window comes up.
    Make(src, "branch(leaf) keep", {{"0", "branch text"}, {"0/0", "leaf text"}});
    Make(dst, "target");
    QProcess& kiv = Start(bin_ + "/kiv", {QString::fromStdString(src)});
    const QString srcId = WindowId("KIV - src.kiv");
    ASSERT_FALSE(srcId.isEmpty()) << kiv.readAllStandardError().toStdString();
    Activate(srcId);
    Keys({"ctrl+x"});
    // A second start hands the other datastructure to the running window.
    QProcess& second = Start(bin_ + "/kiv", {QString::fromStdString(dst)});
    EXPECT_TRUE(second.waitForFinished(10000));
    const QString dstId = WindowId("KIV - dst.kiv");
    ASSERT_FALSE(dstId.isEmpty());
    Activate(dstId);
    Keys({"ctrl+v"});
    Stop(kiv);
    EXPECT_EQ(Dump(src, false), "keep\n") << "the cut took it out of the first one";
    EXPECT_EQ(Dump(dst, true), "target\nbranch\n  | branch text\n  leaf\n    | leaf text\n");
}

TEST_F(X11Topics, ADeletedTopicRestoredFromTheRecycledBinIsThereAfterARestart) {
    const std::string path = env.Dir() + "FirstKivDB.kiv";
    Make(path, "b a c");
    {
        QProcess& kiv = Start(bin_ + "/kiv", {});
        const QString id = WindowId("KIV - FirstKivDB.kiv");
        ASSERT_FALSE(id.isEmpty()) << kiv.readAllStandardError().toStdString();
        Activate(id);
        Keys({"Delete"});
        EXPECT_EQ(Dump(path, false), "a\nc\n") << "the open pair, as it stands";
        // View, the Recycled Bin: the twelfth enabled item after the first (the menu opens
        // on Full Navigation Path; the shift and de-hoist commands are disabled here).
        QStringList view{"alt+v"};
        for (int i = 0; i < 12; ++i) view << "Down";
        Keys(view << "Return");
        const QString binId = WindowId("KIV Recycle Bin");
        ASSERT_FALSE(binId.isEmpty());
        Activate(binId);
        Keys({"Tab", "space", "Escape"});
        EXPECT_EQ(Dump(path, false), "b\na\nc\n");
        Stop(kiv);
    }
    EXPECT_EQ(Dump(path, false), "b\na\nc\n");
    {
        QProcess& kiv = Start(bin_ + "/kiv", {});
        ASSERT_FALSE(WindowId("KIV - FirstKivDB.kiv").isEmpty());
        Stop(kiv);
    }
    EXPECT_EQ(Dump(path, false), "b\na\nc\n");
}

}  // namespace

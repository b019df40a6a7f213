// The program itself on a real X server with a window manager: a branch cut in one
// datastructure and pasted into another keeps its text cards when both are closed, and a
// deleted topic restored from the Recycled Bin's window is back in its place after a
// restart.
#include <QImage>

#include "engine/core/TreeText.h"
#include "tests/mainwindow/X11Program.h"

namespace {

class X11Topics : public kiv::test::X11Program {
protected:
    // A closed datastructure with a text card on some topics (trail -> text).
    void Make(const std::string& path, std::string_view tree,
              std::vector<std::pair<std::string, std::string>> cards = {}) {
        kiv::MakeTreePair(path, tree);
        for (const auto& [trail, text] : cards) kiv::StoreTrailCardPair(path, trail, 2, text);
        kiv::PackDatastructure(path);
    }
};

TEST_F(X11Topics, ABranchCutInOneDatastructureIsPastedIntoAnotherWithItsCards) {
    const std::string src = env.Dir() + "src.kiv", dst = env.Dir() + "dst.kiv";
    // The first topic is current, in the focused first panel, when the window comes up.
    Make(src, "branch(leaf) keep", {{"0", "branch text"}, {"0/0", "leaf text"}});
    Make(dst, "target");
    QProcess& kiv = Start(Kiv(), {QString::fromStdString(src)});
    const QString srcId = WindowId("KIV - src.kiv");
    ASSERT_FALSE(srcId.isEmpty()) << kiv.readAllStandardError().toStdString();
    Activate(srcId);
    Keys({"ctrl+x"});
    // A second start hands the other datastructure to the running window.
    QProcess& second = Start(Kiv(), {QString::fromStdString(dst)});
    EXPECT_TRUE(second.waitForFinished(10000));
    const QString dstId = WindowId("KIV - dst.kiv");
    ASSERT_FALSE(dstId.isEmpty());
    Activate(dstId);
    Keys({"ctrl+v"});
    Stop(kiv);
    EXPECT_EQ(Dump(src), "keep\n") << "the cut took it out of the first one";
    EXPECT_EQ(Dump(dst, "--cards"), "target\nbranch\n  | branch text\n  leaf\n    | leaf text\n");
}

TEST_F(X11Topics, ADeletedTopicRestoredFromTheRecycledBinIsThereAfterARestart) {
    const std::string path = env.Dir() + "FirstKivDB.kiv";
    Make(path, "b a c");
    {
        QProcess& kiv = Start(Kiv(), {});
        const QString id = WindowId("KIV - FirstKivDB.kiv");
        ASSERT_FALSE(id.isEmpty()) << kiv.readAllStandardError().toStdString();
        Activate(id);
        Keys({"Delete"});
        EXPECT_EQ(Dump(path), "a\nc\n") << "the open pair, as it stands";
        // View, the Recycled Bin: the twelfth enabled item after the first (the menu opens
        // on Full Navigation Path; the shift and de-hoist commands are disabled here).
        QStringList view{"alt+v"};
        for (int i = 0; i < 12; ++i) view << "Down";
        Keys(view << "Return");
        const QString binId = WindowId("KIV Recycle Bin");
        ASSERT_FALSE(binId.isEmpty());
        Activate(binId);
        Keys({"Tab", "space", "Escape"});
        EXPECT_EQ(Dump(path), "b\na\nc\n");
        Stop(kiv);
    }
    EXPECT_EQ(Dump(path), "b\na\nc\n");
    {
        QProcess& kiv = Start(Kiv(), {});
        ASSERT_FALSE(WindowId("KIV - FirstKivDB.kiv").isEmpty());
        Stop(kiv);
    }
    EXPECT_EQ(Dump(path), "b\na\nc\n");
}

}  // namespace

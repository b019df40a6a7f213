// The program itself on a real X server: a datastructure with a password opens locked
// behind the enter window until the exact password is typed, and a datastructure added in
// the bookmarked datastructures dialog is still a tab after a restart.
#include "engine/core/Cards.h"
#include "tests/mainwindow/X11Program.h"

namespace {

class X11Password : public kiv::test::X11Program {};

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
        QProcess& kiv = Start(Kiv(), {});
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

// The program itself on a real X server: later starts hand over a file that is not there and
// a text file named ".kiv"; each is named in an error box and the datastructure stays open.
// Then a space as the first key after End goes into the last row's caption.
#include "tests/mainwindow/X11Program.h"

namespace {

class X11Opens : public kiv::test::X11Program {};

}  // namespace

TEST_F(X11Opens, RefusedHandOversKeepTheDatastructureAndASpaceTypesIntoTheRow) {
    using namespace kiv;
    const std::string first = env.Dir() + "FirstKivDB.kiv";
    wintest::MakeJoined(first, "One\nTwo\nThree\nFour\nFive\n");
    const std::string notes = env.Dir() + "notes.kiv", gone = env.Dir() + "gone.kiv";
    WriteFileAtomic(notes, "Shopping: milk\n");

    QProcess& kiv = Start(Kiv(), {});
    const QString mainId = WindowId("KIV - FirstKivDB.kiv");
    ASSERT_FALSE(mainId.isEmpty()) << kiv.readAllStandardError().toStdString();
    for (const std::string& handed : {gone, notes}) {
        SCOPED_TRACE(handed);
        QProcess& later = Start(Kiv(), {QString::fromStdString(handed)});
        EXPECT_TRUE(later.waitForFinished(30000));
        EXPECT_EQ(later.exitCode(), 0);
        const QString box = WindowId("Error");
        ASSERT_FALSE(box.isEmpty()) << "the running window says so";
        Activate(box);
        Keys({"Return"});
        EXPECT_FALSE(Shown("Error"));
        EXPECT_TRUE(Shown("KIV - FirstKivDB.kiv")) << "the datastructure stays open";
    }
    EXPECT_FALSE(FileExists(gone));
    EXPECT_FALSE(FileExists(CardFileName(gone)));
    EXPECT_EQ(ReadWholeFile(notes), "Shopping: milk\n");

    Activate(mainId);
    Keys({"End"});
    Type(" renamed");
    Keys({"Escape"});
    Stop(kiv);
    EXPECT_EQ(Dump(first), "One\nTwo\nThree\nFour\nFive renamed\n");
}

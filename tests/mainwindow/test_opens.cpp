// Opens that fail on every road (a recent entry, the start, a hand-over, a link): the user
// is told which file, nothing is made, and the open datastructure stays open and current.
// Recent entries and bookmarks written on Windows keep their spelling; typing on a row
// that is not being edited lands in that row.
#include <QApplication>
#include <QProcess>

#include "mainwindow/launch/LaunchCard.h"
#include "platform/core/IniFile.h"
#include "platform/qt/SingleInstance.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

QString KivBinary() { return QCoreApplication::applicationDirPath() + QStringLiteral("/kiv"); }

// Runs the event loop until done holds; the deadline only guards against a hang.
template <class Done>
bool WaitUntil(Done done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class Opens : public WindowFixture {
protected:
    TForm1* f = nullptr;
    std::string main;

    void SetUp() override {
        WindowFixture::SetUp();
        main = Home() + "main.kiv";
        MakeJoined(main, "Main(topic)");
    }
    TForm1* StartOnMain() {
        f = Start({main});
        EXPECT_EQ(OpenPath(), main);
        return f;
    }
    std::string OpenPath() const {
        return f && f->DatastructureOpen() && f->Open().BookMark ? f->Open().BookMark->Path
                                                                 : std::string();
    }
    // The open datastructure is the one it was, usable, and the current entry of the list.
    void ExpectMainStillOpen(const char* what) {
        EXPECT_EQ(OpenPath(), main) << what;
        EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - main.kiv")) << what;
        EXPECT_TRUE(f->Skeleton().Cards1->isEnabled()) << what;
        EXPECT_TRUE(f->Skeleton().View1->isEnabled()) << what;
        EXPECT_TRUE(f->Skeleton().pnlKiv->isEnabled()) << what;
        ASSERT_GE(InterBase().CurrentIndex(), 0) << what;
        EXPECT_EQ(InterBase().BookMark(InterBase().CurrentIndex()), f->Open().BookMark) << what;
        EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "Main") << what;
    }
    std::vector<std::string> Files() const { return FolderEntries(Home()); }
};

QString Missing(const std::string& path) {
    return QStringLiteral("The datastructure \"%1\" does not exist.")
        .arg(QString::fromStdString(path));
}

// Every road to a datastructure that is not there or is none: the message names the file,
// the folder gains nothing, and the datastructure that was open stays open and current.
TEST_F(Opens, ARefusedOpenOnEveryRoadLeavesTheOpenDatastructure) {
    const std::string gone = Home() + "w.kiv", notes = Home() + "notes.kiv",
                      lone = Home() + "lone.kiv";
    MakeJoined(gone, "w");
    WriteFileAtomic(notes, "Shopping: milk, bread, eggs\n");
    WriteFileAtomic(CardFileName(lone), "no outline in here");
    StartOnMain();
    f->Datastructure().OpenDatastructureFile(gone);
    f->Datastructure().OpenDatastructureFile(main);
    ASSERT_EQ(KivIni().ReadString(kLastOpenedSection, "2", ""), "||w.kiv");
    RemoveFile(gone);
    const int tabs = InterBase().Count();
    const std::vector<std::string> before = Files();

    struct Road {
        const char* what;
        std::function<void()> take;
        std::string named;  // the file the message names
    };
    const Road roads[] = {
        {"a recent entry whose file is gone", [&] { f->Datastructure().miLast4Click(2); }, gone},
        {"the recent popup's entry of a file that is gone",
         [&] {
             InterBase().Add(gone);
             f->Datastructure().pmLastOpenedPopup();
             f->Datastructure().pmLastOpened->actions().last()->trigger();
             InterBase().Delete(InterBase().IndexOfPath(gone));
         },
         gone},
        {"a missing file handed over", [&] { f->Startup().WMCopyData(gone); }, gone},
        {"a text file named .kiv handed over", [&] { f->Startup().WMCopyData(notes); }, notes},
        {"a link to a .kiv missing beside its .dsc",
         [&] { f->Datastructure().OpenDatastructureFile(lone); }, lone},
        {"a text file named .kiv opened through the list",
         [&] { f->Datastructure().OpenDatastructure(notes, false); }, notes},
    };
    for (const Road& r : roads) {
        Dialogs().Clear();
        r.take();
        ASSERT_TRUE(WaitUntil([&] { return !Dialogs().Messages.empty(); })) << r.what;
        QCoreApplication::processEvents();
        ASSERT_EQ(Dialogs().Messages.size(), 1u) << r.what;
        EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Error) << r.what;
        EXPECT_TRUE(Dialogs().Messages[0].Text.contains(QString::fromStdString(r.named)))
            << r.what << ": " << Dialogs().Messages[0].Text.toStdString();
        ExpectMainStillOpen(r.what);
        EXPECT_EQ(InterBase().Count(), tabs) << r.what << ": no tab of a file that did not open";
        EXPECT_EQ(Files(), before) << r.what << ": nothing made, nothing renamed";
    }
    EXPECT_EQ(ReadWholeFile(notes), "Shopping: milk, bread, eggs\n");
    EXPECT_EQ(ReadWholeFile(CardFileName(lone)), "no outline in here");
    // The entry of the file that is gone stays: its drive may come back.
    EXPECT_EQ(KivIni().ReadString(kLastOpenedSection, "2", ""), "||w.kiv");
    Stop();
    EXPECT_EQ(ReadJoined(main).Tree, "Main\n  topic\n");
}

// A datastructure that passes the checks made before the close but cannot be split (a folder
// stands where its card file goes): the one open before comes back, with its topics.
TEST_F(Opens, AnOpenThatFailsAfterTheCloseOpensThePreviousOneAgain) {
    const std::string blocked = Home() + "blocked.kiv";
    MakeJoined(blocked, "blocked");
    const std::string bytes = ReadWholeFile(blocked);
    MakeDirs(CardFileName(blocked) + "/");
    StartOnMain();
    Dialogs().Clear();
    f->Datastructure().OpenDatastructureFile(blocked);
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_TRUE(Dialogs().Messages[0].Text.contains(
        QStringLiteral("The datastructure \"%1\" was not opened.")
            .arg(QString::fromStdString(blocked))))
        << Dialogs().Messages[0].Text.toStdString();
    ExpectMainStillOpen("opened again");
    EXPECT_EQ(InterBase().IndexOfPath(blocked), -1);
    EXPECT_EQ(ReadWholeFile(blocked), bytes) << "left as it was";
    Stop();
    EXPECT_EQ(ReadJoined(main).Tree, "Main\n  topic\n");
}

// At the start, a recent datastructure that is gone is named; the window falls back to the
// first datastructure and the user's entry stays in the list behind it.
TEST_F(Opens, AMissingLastDatastructureAtTheStartIsNamedAndKept) {
    MakeDirs(Home() + "usb/");
    const std::string mine = Home() + "usb/mine.kiv";
    WriteFileAtomic(Home() + "kiv.ini",
                    "[LastOpened]\r\n1=||usb/mine.kiv\r\n2=||FirstKivDB.kiv\r\n");
    f = Start();
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text, Missing(mine));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
    EXPECT_FALSE(FileExists(mine));
    EXPECT_FALSE(FileExists(CardFileName(mine)));
    EXPECT_EQ(KivIni().ReadString(kLastOpenedSection, "1", ""), "||FirstKivDB.kiv");
    EXPECT_EQ(KivIni().ReadString(kLastOpenedSection, "2", ""), "||usb/mine.kiv");
    EXPECT_TRUE(f->Datastructure().miLast2->isVisible());
    Stop();
    // Mounted again: the next start still knows nothing of it, the user picks it from the list.
    MakeJoined(mine, "back");
    ResetGlobals();
    f = Start();
    f->Datastructure().miLast4Click(2);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - mine.kiv"));
}

// A later start with a file that is not there hands it over all the same: the running
// window comes forward and names it; nothing is made.
TEST_F(Opens, ALaterStartWithAMissingFileIsToldInTheRunningWindow) {
    ASSERT_TRUE(CheckSingleInstance(0, nullptr)) << "this test process is the first instance";
    struct Release {
        ~Release() { ReleaseSingleInstance(); }
    } release;
    HandOverReceiver receiver;
    ASSERT_TRUE(receiver.Listening());
    StartOnMain();
    receiver.SetWindow(&f->Startup());
    const std::vector<std::string> before = Files();
    Dialogs().Clear();
    for (const std::string& gone : {Home() + "gone.kiv", Home() + "gone.txt"}) {
        Dialogs().Clear();
        QProcess later;
        later.start(KivBinary(), {QString::fromStdString(gone)});
        ASSERT_TRUE(later.waitForStarted(30000));
        ASSERT_TRUE(WaitUntil([&] { return later.state() == QProcess::NotRunning; }));
        EXPECT_EQ(later.exitCode(), 0);
        ASSERT_TRUE(WaitUntil([&] { return !Dialogs().Messages.empty(); })) << gone;
        EXPECT_TRUE(Dialogs().Messages[0].Text.contains(QString::fromStdString(gone)))
            << Dialogs().Messages[0].Text.toStdString();
        ExpectMainStillOpen(gone.c_str());
    }
    EXPECT_EQ(Files(), before);
}

// kiv.ini as the Windows program wrote it: other letter case and "\" separators. The
// bookmark and the recent entry find their file, and both are written back byte for byte.
TEST_F(Opens, WindowsSpelledBookmarksAndRecentEntriesAreKeptAsWritten) {
    MakeDirs(Home() + "daten/");
    const std::string other = Home() + "daten/andere.kiv";
    MakeJoined(other, "Andere");
    MakeJoined(Home() + "FirstKivDB.kiv", "first");
    const std::string ini =
        "[BookMarked DBs]\r\n"
        "0=Andere Daten_~^_||DATEN\\ANDERE.KIV\r\n"
        "1=Erste_~^_||FIRSTKIVDB.KIV\r\n"
        "[LastOpened]\r\n"
        "1=||DATEN\\ANDERE.KIV\r\n"
        "2=||FirstKivDB.kiv\r\n";
    WriteFileAtomic(Home() + "kiv.ini", ini);
    f = Start();
    EXPECT_TRUE(Dialogs().Messages.empty());
    EXPECT_EQ(OpenPath(), other) << "the file opens";
    EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "Andere");
    Stop();
    IniFile after(Home() + "kiv.ini");
    EXPECT_EQ(after.ReadString(kBookMarkedSection, "0", ""), "Andere Daten_~^_||DATEN\\ANDERE.KIV");
    EXPECT_EQ(after.ReadString(kBookMarkedSection, "1", ""), "Erste_~^_||FIRSTKIVDB.KIV");
    EXPECT_EQ(after.ReadString(kLastOpenedSection, "1", ""), "||DATEN\\ANDERE.KIV");
    EXPECT_EQ(after.ReadString(kLastOpenedSection, "2", ""), "||FirstKivDB.kiv");
    // A second start and close changes nothing either.
    ResetGlobals();
    f = Start();
    EXPECT_EQ(OpenPath(), other);
    Stop();
    IniFile again(Home() + "kiv.ini");
    EXPECT_EQ(again.ReadString(kBookMarkedSection, "0", ""), "Andere Daten_~^_||DATEN\\ANDERE.KIV");
    EXPECT_EQ(again.ReadString(kLastOpenedSection, "1", ""), "||DATEN\\ANDERE.KIV");
}

// A space as the first key on a row that is not being edited is typed like a letter: at the
// end of that row's caption, and in no other row.
TEST_F(Opens, TypingAfterEndLandsInTheLastRowOnly) {
    MakeJoined(Home() + "FirstKivDB.kiv", "One\nTwo\nThree\nFour\nFive\n");
    f = Start();
    TKivStringGrid* p1 = f->Panels().sgdFirst;
    ASSERT_FALSE(p1->Editing());
    p1->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(WaitUntil([&] { return p1->hasFocus(); }));
    QTest::keyClick(p1, Qt::Key_End);
    ASSERT_EQ(p1->CurrentRow(), 4);
    for (QChar c : QStringLiteral(" renamed"))
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    f->FlushCurrentRow();
    Stop();
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree, "One\nTwo\nThree\nFour\nFive renamed\n");
}

}  // namespace
}  // namespace kiv::wintest

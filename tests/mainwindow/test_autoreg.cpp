// The main window's files autoregistration: the command in the File menu, the window it
// shows over a disabled main window, and a build into the open datastructure with the busy
// gate held and "- Stop -" live.
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "dialogs/FilesRegistration.h"
#include "mainwindow/WindowSkeleton.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

using AutoRegistration = WindowFixture;

// The disk, with a look at the window whenever a folder is listed.
class WatchedDisk : public TDiskFolders {
public:
    std::function<void()> OnList;
    bool List(const std::string& folder, std::vector<TFolderEntry>& entries) override {
        if (OnList) OnList();
        return TDiskFolders::List(folder, entries);
    }
};

TEST_F(AutoRegistration, RegistersAFolderIntoTheOpenDatastructure) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a b");
    TForm1* f = Start();
    auto* ac = f->findChild<KivAction*>(QStringLiteral("acRegisterFiles"));
    ASSERT_NE(ac, nullptr);
    EXPECT_EQ(ac->text(), "Autoregister files...");
    EXPECT_TRUE(f->Skeleton().File1->actions().contains(ac));
    KivAction::UpdateAll();
    ASSERT_TRUE(ac->isEnabled());
    ASSERT_TRUE(ac->Execute());

    auto windows = QApplication::topLevelWidgets();
    TfrmFilesRegistration* w = nullptr;
    for (QWidget* t : windows)
        if (auto* r = qobject_cast<TfrmFilesRegistration*>(t)) w = r;
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isHidden());
    EXPECT_FALSE(f->isEnabled());
    EXPECT_TRUE(w->isEnabled());

    const std::string dir = TempDir() + "autoreg-src/";
    MakeDirs(dir + "sub/");
    WriteFileAtomic(dir + "one.txt", "1");
    WriteFileAtomic(dir + "sub/two.txt", "2");
    auto disk = std::make_unique<WatchedDisk>();
    // Counting and building alike hold the busy gate and keep "- Stop -" clickable.
    int lists = 0;
    bool busyWhileBuilding = true, stopLive = true;
    disk->OnList = [&] {
        ++lists;
        busyWhileBuilding = busyWhileBuilding && Busy && f->IsBusy();
        stopLive = stopLive && w->btnStop->isEnabled() && w->isEnabled();
    };
    w->SetFolderSource(std::move(disk));
    w->edtPath->setText(QString::fromStdString(dir));
    w->edtPathChange();
    Dialogs().AnswerMessage(IDOK);
    w->btnRegisterFiles->click();
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{"Auto-registration complete.  3 new topics were created."});
    EXPECT_EQ(lists, 4);  // two folders counted, then built
    EXPECT_TRUE(busyWhileBuilding);
    EXPECT_TRUE(stopLive);
    EXPECT_FALSE(Busy);
    EXPECT_EQ(DumpTree(f->Pair().Outline.get(), f->Pair().Cards.get()),
              "a\nautoreg-src\n  sub\n    two.txt\n  one.txt\nb\n");
    EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(f->CurrentRow()), "autoreg-src");

    w->btnClose->click();
    EXPECT_TRUE(w->isHidden());
    EXPECT_TRUE(f->isEnabled());
    RemoveTree(dir);
}

}  // namespace
}  // namespace kiv::wintest

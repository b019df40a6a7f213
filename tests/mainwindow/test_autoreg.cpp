// The main window's files autoregistration: the command in the File menu, the window it
// shows over a disabled main window, and a build into the open datastructure with the busy
// gate held and "- Stop -" live.
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <cstdlib>
#include <optional>

#include "dialogs/FilesRegistration.h"
#include "mainwindow/WindowSkeleton.h"
#include "tests/ToolRun.h"
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

// Sets an environment variable, and the working folder, for a scope.
class ScopedHomeAndCwd {
public:
    ScopedHomeAndCwd(const std::string& home, const std::string& cwd)
        : oldCwd_(QDir::currentPath()) {
        if (const char* h = std::getenv("HOME")) oldHome_ = h;
        ::setenv("HOME", home.c_str(), 1);
        QDir::setCurrent(QString::fromStdString(cwd));
    }
    ~ScopedHomeAndCwd() {
        if (oldHome_) ::setenv("HOME", oldHome_->c_str(), 1);
        else ::unsetenv("HOME");
        QDir::setCurrent(oldCwd_);
    }
    ScopedHomeAndCwd(const ScopedHomeAndCwd&) = delete;
    ScopedHomeAndCwd& operator=(const ScopedHomeAndCwd&) = delete;

private:
    std::optional<std::string> oldHome_;
    QString oldCwd_;
};

// A folder typed rather than chosen: "~" and a relative folder are the home folder's, not
// the working folder's, and the links are stored absolute, so they open wherever the
// program runs from (a desktop launcher starts it in another folder).
TEST_F(AutoRegistration, ATypedFolderIsTakenFromTheHomeFolderAndLinkedAbsolutely) {
    const std::string home = TempDir() + "autoreg-home";
    const std::string elsewhere = TempDir() + "autoreg-cwd/";
    MakeDirs(home + "/tree/my.folder/Alpha/");
    MakeDirs(elsewhere + "tree/my.folder/");
    WriteFileAtomic(home + "/tree/my.folder/Alpha/z.txt", "z");
    const std::string kiv = Home() + "FirstKivDB.kiv";
    MakeJoined(kiv, "a");
    {
        const ScopedHomeAndCwd scope(home, elsewhere);
        TForm1* f = Start();
        ASSERT_TRUE(f->findChild<KivAction*>(QStringLiteral("acRegisterFiles"))->Execute());
        TfrmFilesRegistration* w = nullptr;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (auto* r = qobject_cast<TfrmFilesRegistration*>(t)) w = r;
        ASSERT_NE(w, nullptr);
        for (const char* typed : {"tree/my.folder", "~/tree"}) {
            w->edtPath->setText(QString::fromLatin1(typed));
            w->edtPathChange();
            Dialogs().AnswerMessage(IDOK);
            w->btnRegisterFiles->click();
        }
        EXPECT_EQ(Dialogs().MessageTexts(),
                  (QStringList{"Auto-registration complete.  2 new topics were created.",
                               "Auto-registration complete.  3 new topics were created."}));
        w->btnClose->click();
        Stop();
    }
    QDir::setCurrent(QStringLiteral("/"));
    const test::ToolRun dump =
        test::RunTool(QStringLiteral("kivtree"), {QStringLiteral("dump"), QStringLiteral("--cards"),
                                                  QString::fromStdString(kiv)});
    ASSERT_EQ(dump.status, 0) << dump.err.toStdString();
    const QString out = QString::fromUtf8(dump.out);
    const QString at = QString::fromStdString(home);
    for (const QString& link :
         {at + "/tree/my.folder/ | my.folder", at + "/tree/my.folder/Alpha | Alpha",
          at + "/tree/my.folder/Alpha/z.txt | z.txt", at + "/tree/ | tree"})
        EXPECT_TRUE(out.contains("@ " + link + "\n")) << link.toStdString() << "\n"
                                                      << out.toStdString();
    int links = 0;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (!t.startsWith(QLatin1String("@ "))) continue;
        ++links;
        const QString target = t.mid(2).section(QStringLiteral(" | "), 0, 0);
        EXPECT_TRUE(QDir::isAbsolutePath(target)) << t.toStdString();
        EXPECT_TRUE(QFileInfo::exists(target)) << t.toStdString();
    }
    EXPECT_EQ(links, 7);
    RemoveTree(home + "/");
    RemoveTree(elsewhere);
}

}  // namespace
}  // namespace kiv::wintest

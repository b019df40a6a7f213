// The window as a newcomer meets it: the first start's geometry, what stays usable after a
// refused open, clicks on a row's badge, and the Loading guard.
#include <sys/inotify.h>
#include <unistd.h>

#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

using Frame = WindowFixture;

// Counts the replaces of a file in a folder while it watches: each one renames a temporary
// "<name>.tmp..." away (the events of renames onto one name are merged by the kernel, those
// of different temporaries are not).
class ReplaceWatch {
public:
    explicit ReplaceWatch(const std::string& dir) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0) ::inotify_add_watch(fd_, dir.c_str(), IN_MOVED_FROM);
    }
    ~ReplaceWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Watching() const { return fd_ >= 0; }
    int ReplacesOf(const std::string& name) {
        const std::string prefix = name + ".tmp";
        alignas(inotify_event) char buf[16384];
        ssize_t n;
        while ((n = ::read(fd_, buf, sizeof buf)) > 0) {
            for (char* p = buf; p < buf + n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(p);
                if (ev->len > 0 && std::string(ev->name).rfind(prefix, 0) == 0) ++count_;
                p += sizeof(inotify_event) + ev->len;
            }
        }
        return count_;
    }

private:
    int fd_;
    int count_ = 0;
};

TEST_F(Frame, TheFirstStartPutsTheWholeFrameOnTheScreen) {
    TForm1* f = Start();
    const QRect screen(QPoint(0, 0), QSize(1024, 768));
    ProcessEventsFor(50);
    EXPECT_EQ(f->frameGeometry(), screen) << "the frame, not the inside, takes the screen";
    const QRect bar(f->Skeleton().StatusBar->mapToGlobal(QPoint(0, 0)),
                    f->Skeleton().StatusBar->size());
    EXPECT_TRUE(screen.contains(bar)) << "the status bar is on the screen";
}

TEST_F(Frame, AfterARefusedOpenWhatNeedsNoDatastructureStaysUsable) {
    MakeJoined(Home() + "good.kiv", "one two");
    const std::string bad = Home() + "bad.kiv";
    WriteFileAtomic(bad, "Just some notes, not a datastructure at all.\r\n");
    TForm1* f = Start({bad});
    ASSERT_FALSE(f->DatastructureOpen());
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    auto* open = f->findChild<QToolButton*>(QStringLiteral("btnOpen"));
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(open->isEnabled()) << "the tool bar's Open";
    TDatastructureLife& d = f->Datastructure();
    for (QAction* a :
         std::initializer_list<QAction*>{d.acOpenDataBase, d.acCreateDatabase, d.Template1,
                                         d.miLast1, d.acAutoBackup, f->Skeleton().Exit1})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(d.acSaveDatabaseAs->isEnabled()) << "Save As needs an open datastructure";

    // The Open button asks for a file and opens it.
    Dialogs().AnswerOpen({QString::fromStdString(Home() + "good.kiv")});
    QTest::mouseClick(open, Qt::LeftButton, {}, QPoint(4, open->height() / 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(Dialogs().OpenRequests.size(), 1u);
    EXPECT_TRUE(f->DatastructureOpen());
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - good.kiv"));
}

TEST_F(Frame, LoadingIsHeldOnlyWhileTheDatastructureChanges) {
    MakeJoined(Home() + "FirstKivDB.kiv", "one two");
    TForm1* f = Start();
    ASSERT_TRUE(f->DatastructureOpen());
    EXPECT_FALSE(Form1->Open().Loading);
    f->Datastructure().CloseDatastructure();
    EXPECT_FALSE(f->DatastructureOpen());
    EXPECT_FALSE(Form1->Open().Loading) << "a close gives the topic change back";
    // The panels' row changes are topic changes again: a topic opened now shows its card.
    f->Datastructure().OpenDatastructureFile(Home() + "FirstKivDB.kiv");
    ASSERT_TRUE(f->DatastructureOpen());
    EXPECT_FALSE(Form1->Open().Loading);
    f->Panels().sgdFirst->SelectRow(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("two"));
}

TEST_F(Frame, TheSettingsAreWrittenByOneReplaceAtCloseAndStaleTemporariesGoAtStart) {
    WriteFileAtomic(Home() + "kiv.ini.tmp123456", "[Settings]\r\nMainW_Top=1\r\n");
    WriteFileAtomic(Home() + "userset.ini.tmp42", "");
    MakeJoined(Home() + "FirstKivDB.kiv", "one");
    TForm1* f = Start();
    EXPECT_FALSE(FileExists(Home() + "kiv.ini.tmp123456"));
    EXPECT_FALSE(FileExists(Home() + "userset.ini.tmp42"));
    ASSERT_TRUE(f->DatastructureOpen());
    ReplaceWatch watch(Home());
    ASSERT_TRUE(watch.Watching());
    Stop();
    EXPECT_EQ(watch.ReplacesOf("kiv.ini"), 1) << "one replace of kiv.ini at close";
    IniFile ini(Home() + "kiv.ini");
    EXPECT_TRUE(ini.ValueExists("Settings", "MainW_Width"));
    EXPECT_TRUE(ini.ValueExists("Settings", "PanelsLayout"));
    EXPECT_EQ(ini.ReadString("LastOpened", "1", ""), "||FirstKivDB.kiv");
}

}  // namespace
}  // namespace kiv::wintest

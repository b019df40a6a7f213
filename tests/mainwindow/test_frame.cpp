// The window as a newcomer meets it: the first start's geometry, what stays usable after a
// refused open, clicks on a row's badge, and the Loading guard.
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

using Frame = WindowFixture;

TEST_F(Frame, TheFirstStartPutsTheWholeFrameOnTheScreen) {
    TForm1* f = Start();
    const QRect screen(QPoint(0, 0), QSize(1024, 768));
    ProcessEventsFor(50);
    EXPECT_EQ(f->frameGeometry(), screen) << "the frame, not the inside, takes the screen";
    const QRect bar(f->Skeleton().StatusBar->mapToGlobal(QPoint(0, 0)), f->Skeleton().StatusBar->size());
    EXPECT_TRUE(screen.contains(bar)) << "the status bar is on the screen";
}

TEST_F(Frame, AfterARefusedOpenWhatNeedsNoDatastructureStaysUsable) {
    MakeJoined(Home() + "good.kiv", "one two");
    const std::string bad = Home() + "bad.kiv";
    WriteFileAtomic(bad, "Just some notes, not a datastructure at all.\r\n");
    TForm1* f = Start({QString::fromStdString(bad)});
    ASSERT_FALSE(f->DatastructureOpen());
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    auto* open = f->findChild<QToolButton*>(QStringLiteral("btnOpen"));
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(open->isEnabled()) << "the tool bar's Open";
    TDatastructureLife& d = f->Datastructure();
    for (QAction* a : std::initializer_list<QAction*>{d.acOpenDataBase, d.acCreateDatabase, d.Template1, d.miLast1,
                                                     d.acAutoBackup, f->Skeleton().Exit1})
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
    EXPECT_FALSE(Loading);
    f->Datastructure().CloseDatastructure();
    EXPECT_FALSE(f->DatastructureOpen());
    EXPECT_FALSE(Loading) << "a close gives the topic change back";
    // The panels' row changes are topic changes again: a topic opened now shows its card.
    f->Datastructure().OpenDatastructureFile(Home() + "FirstKivDB.kiv");
    ASSERT_TRUE(f->DatastructureOpen());
    EXPECT_FALSE(Loading);
    f->Panels().sgdFirst->SelectRow(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("two"));
}

}  // namespace
}  // namespace kiv::wintest

// The collector window as the start-up makes it: its look, its menu, showing and hiding the
// main window with what goes and comes back with it, the text and resource bins reached
// from it, the drag by its picture and the minimise it refuses.
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QTextEdit>

#include "dialogs/PrintWindow.h"
#include "dialogs/AboutWindow.h"
#include "dialogs/TextBinWindow.h"
#include "mainwindow/help/Help.h"
#include "mainwindow/launch/LaunchCard.h"
#include "mainwindow/collector/Collector.h"
#include "mainwindow/drops/DropLines.h"
#include "mainwindow/drops/Drops.h"
#include "mainwindow/filecommands/FileCommands.h"
#include "mainwindow/print/PrintCommands.h"
#include "mainwindow/search/FindDialog.h"
#include "mainwindow/search/SearchPane.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

class Collector : public WindowFixture {
protected:
    TfrmSwallow* s = nullptr;
    TForm1* f = nullptr;

    void Open() {
        f = Start();
        s = frmSwallow;
        ASSERT_NE(s, nullptr);
    }
    void Toggle() {
        s->acHideMainWindow->Execute();
        QCoreApplication::processEvents();
    }
    void Mouse(QEvent::Type type, Qt::MouseButton button, QPoint at) {
        QMouseEvent e(type, QPointF(at), QPointF(s->Image1->mapToGlobal(at)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
        QCoreApplication::sendEvent(s->Image1, &e);
    }
    void ClosePopup() {
        s->PopupMenu1->hide();
        QCoreApplication::processEvents();
    }
};

TEST_F(Collector, IsMadeFirstAndItsShowShowsTheMainWindow) {
    Open();
    EXPECT_EQ(s, windows.Swallow.get()) << "the one collector is the start-up's";
    EXPECT_EQ(s->MainWindow(), static_cast<IWindowContext*>(f));
    EXPECT_EQ(&f->Collector(), s);
    EXPECT_EQ(s->size(), QSize(42, 42));
    EXPECT_EQ(s->windowTitle(), QStringLiteral("KIV is run"));
    EXPECT_TRUE(s->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(s->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(s->isHidden());
    EXPECT_FALSE(f->isHidden()) << "the collector's show showed the main window";
    EXPECT_EQ(s->Image1->geometry(), QRect(2, 2, 38, 38));
    EXPECT_EQ(s->Image1->toolTip(), QStringLiteral("KIV Collector"));
    EXPECT_TRUE(s->TrayIcon1->Active());
    EXPECT_EQ(s->TrayIcon1->ToolTip(), QStringLiteral("KIV"));
    EXPECT_EQ(s->TrayIcon1->PopupMenu(), s->PopupMenu1);
    // Inside the bevel, where the picture is transparent, the drop panel's own colour.
    const QImage shot = s->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(3, 3)), QColor(67, 242, 252));
    EXPECT_EQ(QColor(shot.pixel(38, 38)), QColor(67, 242, 252));
    EXPECT_NE(QColor(shot.pixel(21, 20)), QColor(67, 242, 252))
        << "the swallow is drawn in the middle";
}

TEST_F(Collector, PopupMenuItemsInTheirOrder) {
    Open();
    struct Row {
        const char* text;
        bool visible;
    };
    const Row expected[] = {{"What's This?", true},       {"", true},
                            {"Open Text Bin", true},      {"Open Resource Bin", true},
                            {"Open Email Window", false}, {"", true},
                            {"Hide Main Window", true},   {"Exit KIV", true}};
    const QList<QAction*> items = s->PopupMenu1->actions();
    ASSERT_EQ(items.size(), int(std::size(expected)));
    for (int i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->text(), QString::fromLatin1(expected[i].text)) << i;
        EXPECT_EQ(items[i]->isSeparator(), *expected[i].text == 0) << i;
        EXPECT_EQ(items[i]->isVisible(), expected[i].visible) << i;
    }
    EXPECT_EQ(items[0]->data().toInt(), 43) << "help context";
    EXPECT_EQ(items[4]->statusTip(), QStringLiteral("Send Email"));
    // The two last items' names are crossed over against what they run.
    EXPECT_EQ(items[6]->objectName(), QStringLiteral("ExitKIV1"));
    EXPECT_EQ(items[7]->objectName(), QStringLiteral("HideMainWindow1"));
    items[6]->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(f->isHidden()) << "ExitKIV1 hides the main window";
    EXPECT_EQ(items[6]->text(), QStringLiteral("Show Main Window"))
        << "the item follows its action's caption";
}

TEST_F(Collector, HidingTheMainWindowPutsAwayItsWindowsAndShowingBringsThemBack) {
    Open();
    TFindDialog* find = f->Search().fdText;
    TfrmPrint* print = f->Print().frmPrint.get();
    // Each on its own: the print window's show closes the find dialog.
    struct Case {
        const char* name;
        QWidget* window;
        int* tag;
    };
    for (const Case& c :
         {Case{"find dialog", find, &find->Tag}, Case{"print window", print, &print->Tag}}) {
        if (c.window == find) find->Tag = 1;  // as its command marks it open
        c.window->show();
        QCoreApplication::processEvents();

        Toggle();
        EXPECT_TRUE(f->isHidden()) << c.name;
        EXPECT_FALSE(s->isHidden()) << "the collector stays";
        EXPECT_EQ(s->acHideMainWindow->text(), QStringLiteral("Show Main Window"));
        EXPECT_TRUE(c.window->isHidden()) << c.name;
        EXPECT_EQ(*c.tag, 1) << c.name << " marked to open again";

        Toggle();
        EXPECT_FALSE(f->isHidden());
        EXPECT_EQ(s->acHideMainWindow->text(), QStringLiteral("Hide Main Window"));
        EXPECT_FALSE(c.window->isHidden()) << c.name << " open again";

        // Closed, it stays closed.
        c.window->hide();
        if (c.window == find) find->reject();
        Toggle();
        Toggle();
        EXPECT_TRUE(c.window->isHidden()) << c.name;
        EXPECT_EQ(*c.tag, 0) << c.name;
    }
}

TEST_F(Collector, HidingTheMainWindowClosesTheAboutWindowForGood) {
    Open();
    TfrmAbout* about = f->findChild<THelp*>()->frmAbout;
    about->show();
    QCoreApplication::processEvents();
    Toggle();
    EXPECT_TRUE(about->isHidden());
    Toggle();
    EXPECT_TRUE(about->isHidden()) << "it does not come back with the main window";
}

TEST_F(Collector, DoubleClickOnThePictureTogglesTheMainWindow) {
    Open();
    Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, {10, 10});
    EXPECT_TRUE(f->isHidden());
    Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, {10, 10});
    EXPECT_FALSE(f->isHidden());
}

TEST_F(Collector, TrayIconClicks) {
    Open();
    TTrayIconBackend& tray = s->TrayIcon1->Backend();
    tray.OnActivated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(f->isHidden()) << "a click brings the shown main window forward, no more";
    tray.OnActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(f->isHidden());
    tray.OnActivated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(f->isHidden()) << "a click does not show the hidden main window";
    tray.OnActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(f->isHidden());
}

TEST_F(Collector, ResourceBinIsOutOfReachWhileTheMainWindowIsHidden) {
    Open();
    emit s->PopupMenu1->aboutToShow();
    EXPECT_TRUE(s->acOpenResourceBin->isEnabled());
    Toggle();
    emit s->PopupMenu1->aboutToShow();
    EXPECT_FALSE(s->acOpenResourceBin->isEnabled()) << "greyed while the main window is hidden";
    s->acOpenResourceBinExecute();
    EXPECT_TRUE(f->Bins().pnlLaunchBin->isHidden());
    Toggle();
    emit s->PopupMenu1->aboutToShow();
    EXPECT_TRUE(s->acOpenResourceBin->isEnabled());
    // A resource bin already shown stays shown (it comes to the front, not away).
    f->Bins().pnlLaunchBin->show();
    s->acOpenResourceBin->Execute();
    EXPECT_FALSE(f->Bins().pnlLaunchBin->isHidden());
}

TEST_F(Collector, OpenTextBinWhileHiddenMovesTheEditorIntoItsWindowAndBack) {
    Open();
    QTextEdit* editor = TextBinEditor;
    ASSERT_EQ(editor, f->Bins().txtTextBin);
    editor->setPlainText(QStringLiteral("kept"));
    ASSERT_NE(frmTextBin, nullptr) << "made at start";
    EXPECT_EQ(frmTextBin->windowTitle(), QStringLiteral("KIV Text Bin"));
    Toggle();
    s->acExTextBin->Execute();
    EXPECT_EQ(editor->parentWidget(), frmTextBin) << "the same editor, in the text bin window";
    EXPECT_FALSE(frmTextBin->isHidden());
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("kept"));
    EXPECT_EQ(frmTextBin->Editor(), editor);
    // The main window's show sends it home.
    Toggle();
    EXPECT_TRUE(frmTextBin->isHidden());
    EXPECT_EQ(editor->parentWidget(), f->Bins().pnlTextBin);
    EXPECT_EQ(TextBinEditor, editor);
    EXPECT_FALSE(f->Bins().pnlTextBin->isHidden()) << "the text bin shows in its panel";
    EXPECT_TRUE(f->Bins().acShowTextBin->Checked());
}

TEST_F(Collector, BinsStayShutWhileTheDatastructureIsLocked) {
    Open();
    f->FileCommands().SetPasswordLock(true);
    Toggle();
    s->acExTextBin->Execute();
    EXPECT_TRUE(frmTextBin->isHidden());
    EXPECT_EQ(TextBinEditor->parentWidget(), f->Bins().pnlTextBin);
    Toggle();
    s->acOpenResourceBin->Execute();
    EXPECT_TRUE(f->Bins().pnlLaunchBin->isHidden());
    EXPECT_TRUE(f->Bins().pnlTextBin->isHidden());
}

TEST_F(Collector, DraggingByThePictureMovesTheWindow) {
    Open();
    s->move(100, 100);
    QCoreApplication::processEvents();
    ASSERT_EQ(s->pos(), QPoint(100, 100));
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {10, 10});
    EXPECT_TRUE(s->CollectorDragging);
    Mouse(QEvent::MouseMove, Qt::LeftButton, {15, 13});
    EXPECT_EQ(s->pos(), QPoint(105, 103));
    EXPECT_EQ(s->CollectorRect, QRect(105, 103, 42, 42));
    // The picture's point under the pointer stays the same: a move to the start point
    // leaves the window where it is.
    Mouse(QEvent::MouseMove, Qt::LeftButton, {10, 10});
    EXPECT_EQ(s->pos(), QPoint(105, 103));
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10});
    EXPECT_FALSE(s->CollectorDragging);
    Mouse(QEvent::MouseMove, Qt::NoButton, {30, 30});
    EXPECT_EQ(s->pos(), QPoint(105, 103)) << "no drag after the button went up";

    // The right button opens the menu and drags nothing.
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, {10, 10});
    EXPECT_FALSE(s->CollectorDragging);
    EXPECT_TRUE(s->PopupMenu1->isVisible());
    Mouse(QEvent::MouseMove, Qt::RightButton, {20, 20});
    EXPECT_EQ(s->pos(), QPoint(105, 103));
    ClosePopup();
}

TEST_F(Collector, MinimisingTheCollectorLeavesItShownAndTheMainWindowHides) {
    Open();
    s->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_FALSE(s->isMinimized());
    EXPECT_FALSE(s->isHidden());
    // The main window's minimise is the collector's hide.
    f->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(f->isHidden());
    EXPECT_FALSE(f->isMinimized());
    EXPECT_EQ(s->acHideMainWindow->text(), QStringLiteral("Show Main Window"));
    EXPECT_FALSE(s->isHidden());
    Toggle();
    EXPECT_FALSE(f->isHidden());
}

TEST_F(Collector, ExitWhileTheMainWindowIsHiddenStoresWhatWasTyped) {
    f = Start();
    s = frmSwallow;
    TypeCaption(f->Panels().sgdFirst, QStringLiteral("typed"));
    Toggle();
    ASSERT_TRUE(f->isHidden());
    s->HideMainWindow1->trigger();  // the item of acExitKIV
    QCoreApplication::processEvents();
    windows.Destroy();
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree, "typed\n");
}

TEST_F(Collector, TopicsFromAnOutlinePanelLandInTheClipBin) {
    MakeJoined(Home() + "FirstKivDB.kiv", "alpha beta");
    Open();
    QMimeData mime;
    mime.setData(QString::fromLatin1(TKivStringGrid::InternalDragFormat), QByteArray());
    auto drag = [&](QObject* source, bool drop) {
        TKivStringGrid::SetInternalDragSource(source);
        QDragEnterEvent enter(QPoint(10, 10), Qt::MoveAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(s->DropPanel, &enter);
        QDragMoveEvent move(QPoint(10, 10), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(s->DropPanel, &move);
        if (drop) {
            QDropEvent d(QPointF(10, 10), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(s->DropPanel, &d);
        }
        TKivStringGrid::SetInternalDragSource(nullptr);
        return move.isAccepted();
    };
    QListWidget* clip = f->Bins().lbxClipCard;
    EXPECT_FALSE(drag(f->Bins().lbxLaunchBin, true)) << "a bin list is no outline panel";
    EXPECT_FALSE(drag(nullptr, true));
    EXPECT_EQ(clip->count(), 0);
    TKivStringGrid* g = f->Panels().sgdFirst;
    ClickRow(g, 1);
    EXPECT_TRUE(drag(g, true));
    ASSERT_EQ(clip->count(), 1);
    EXPECT_EQ(clip->item(0)->text(), QStringLiteral("beta"));
    EXPECT_EQ(f->Bins().ClipCardBin.Count(), 1);
    EXPECT_FALSE(s->OpenSwallowShown()) << "topic drags leave the picture alone";
}

// The drop panel as the main window's drops know it (a real drag from
// another program is the X11 test's).
TEST_F(Collector, ADropFromAnotherProgramOpensThePictureAndItsTextLandsInTheTextBin) {
    Open();
    TDrops& drops = f->Drops();
    TextBinEditor->setPlainText(QStringLiteral("first"));
    const TDropContent drop{{}, "second", "", ""};
    EXPECT_NE(drops.EnterOn(s->DropPanel, drop, 1), TDrops::kNoDropEffect);
    EXPECT_TRUE(s->OpenSwallowShown()) << "openswallow while the drag is over it";
    const QImage open = s->grab().toImage();
    drops.DropOn(s->DropPanel, drop, QPoint(20, 20));
    EXPECT_FALSE(s->OpenSwallowShown());
    EXPECT_NE(open, s->grab().toImage()) << "the two pictures differ";
    EXPECT_EQ(TextBinEditor->toPlainText(),
              QStringLiteral("first\n\n============================\nsecond"));
    EXPECT_EQ(f->Bins().lbxLaunchBin->count(), 0) << "text is no link";
    // Files go to the Resource Bin, and the plain-text copy of their addresses nowhere.
    drops.DropOn(s->DropPanel, {{"/d/x.txt"}, "file:///d/x.txt", "", ""}, QPoint(20, 20));
    EXPECT_EQ(f->Bins().lbxLaunchBin->count(), 1);
    EXPECT_FALSE(TextBinEditor->toPlainText().contains(QStringLiteral("file://")));
}

}  // namespace
}  // namespace kiv::wintest

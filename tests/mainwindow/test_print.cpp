// The wait panel (its marks, its place, its guard) and the print commands of the main
// window: the print window shown after the current topic was stored, the printer set-up
// and the second shortcut of the outliner's hide command.
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <stdexcept>

#include "dialogs/PrintWindow.h"
#include "mainwindow/print/PrintCommands.h"
#include "mainwindow/print/WaitPanel.h"
#include "platform/core/Rounding.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

using WaitPanel = WindowFixture;

TEST_F(WaitPanel, MarksGrowToFiveAndStartOverEverySevenHundredMilliseconds) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a b");
    TForm1* f = Start();
    TWaitPanel& w = f->WaitPanel();
    EXPECT_TRUE(w.pnlMessage->isHidden());
    EXPECT_EQ(w.pnlMessage->size(), QSize(400, 41));
    {
        TWaitMessage message(w, QStringLiteral("Packing ..., Please Wait"));
        EXPECT_FALSE(w.pnlMessage->isHidden());
        EXPECT_EQ(w.lblMessage->text(), "Packing ..., Please Wait");
        EXPECT_TRUE(w.tmMessage->isActive());
        EXPECT_EQ(w.tmMessage->interval(), 700);
        EXPECT_TRUE(Busy);
        EXPECT_TRUE(f->IsBusy());
        EXPECT_FALSE(f->isEnabled());
        EXPECT_EQ(Screen::Cursor(), crHourGlass);

        QStringList marks{w.lblWait->text()};
        for (int i = 0; i < 6; ++i) {
            w.tmMessageTimer();
            marks << w.lblWait->text();
        }
        EXPECT_EQ(marks, QStringList({">", ">>", ">>>", ">>>>", ">>>>>", ">", ">>"}));
        // The timer itself moves them on while the operation lets events run.
        const QString before = w.lblWait->text();
        ProcessEventsFor(800);
        EXPECT_EQ(w.lblWait->text(), before + ">");
    }
    EXPECT_TRUE(w.pnlMessage->isHidden());
    EXPECT_FALSE(w.tmMessage->isActive());
    EXPECT_FALSE(Busy);
    EXPECT_TRUE(f->isEnabled());
    EXPECT_EQ(Screen::Cursor(), crDefault);
    EXPECT_TRUE(f->Panels().sgdFirst->hasFocus()) << "the active panel gets the focus back";
}

TEST_F(WaitPanel, IsCentredInTheWindowWhateverItsSize) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a");
    TForm1* f = Start();
    TWaitPanel& w = f->WaitPanel();
    const QSize sizes[] = {{810, 536}, {801, 500}, {1000, 701}, {1021, 743}};
    for (QSize s : sizes) {
        f->resize(s);
        QCoreApplication::processEvents();
        ASSERT_EQ(f->size(), s);
        TWaitMessage message(w, QStringLiteral("Copying ..., Please Wait"));
        const QPoint expected(int(RoundHalfEven((s.width() - 400) / 2.0)),
                              int(RoundHalfEven((s.height() - 41) / 2.0)));
        EXPECT_EQ(w.pnlMessage->pos(), expected) << s.width() << "x" << s.height();
    }
    // Halves go to the even neighbour: 200.5 -> 200, 229.5 -> 230.
    f->resize(801, 500);
    QCoreApplication::processEvents();
    TWaitMessage message(w, QStringLiteral("Copying ..., Please Wait"));
    EXPECT_EQ(w.pnlMessage->pos(), QPoint(200, 230));
}

TEST_F(WaitPanel, AnExceptionInsideTheGuardStillTakesThePanelAwayAndGivesEverythingBack) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a");
    TForm1* f = Start();
    TWaitPanel& w = f->WaitPanel();
    try {
        TWaitMessage message(w, QStringLiteral("Templating ..., Please Wait"));
        throw std::runtime_error("disk full");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(w.pnlMessage->isHidden());
    EXPECT_FALSE(w.tmMessage->isActive());
    EXPECT_FALSE(Busy);
    EXPECT_EQ(f->BusyCounter().Depth(), 0);
    EXPECT_TRUE(f->isEnabled());
    EXPECT_EQ(Screen::Cursor(), crDefault);
}

TEST_F(WaitPanel, AnOuterBusyScopeOrMessageOutlivesAnInnerOne) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a");
    TForm1* f = Start();
    TWaitPanel& w = f->WaitPanel();
    {
        TBusyGuard outer(f->BusyCounter());
        {
            TWaitMessage message(w, QStringLiteral("Pasting ..., Please Wait"));
            {
                TWaitMessage inner(w, QStringLiteral("Copying ..., Please Wait"));
                EXPECT_EQ(w.lblMessage->text(), "Copying ..., Please Wait");
            }
            EXPECT_FALSE(w.pnlMessage->isHidden());
            EXPECT_EQ(w.lblMessage->text(), "Pasting ..., Please Wait");
            EXPECT_FALSE(f->isEnabled());
        }
        EXPECT_TRUE(w.pnlMessage->isHidden());
        EXPECT_TRUE(f->isEnabled());
        EXPECT_TRUE(Busy) << "the outer busy scope is still open";
    }
    EXPECT_FALSE(Busy);
}

using PrintCommands = WindowFixture;

TEST_F(PrintCommands, PrintStoresTheCurrentTopicAndShowsThePrintWindowWithoutWaiting) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a b");
    TForm1* f = Start();
    TPrintCommands& p = f->Print();
    QTextEdit* e = f->TextCard().txtSimpleText;
    e->setPlainText(QStringLiteral("typed just now"));
    e->document()->setModified(true);

    KivAction::UpdateAll();
    ASSERT_TRUE(p.acPrint->isEnabled());
    EXPECT_EQ(p.acPrint->text(), "Print && Export...");
    ASSERT_TRUE(p.acPrint->Execute());
    TfrmPrint& w = *p.frmPrint;
    EXPECT_FALSE(w.isHidden());
    EXPECT_FALSE(w.isModal());

    w.cbxWithTextCard->setChecked(true);
    w.btnGenerate->click();
    EXPECT_EQ(w.reForPrint->toPlainText(), "a\ntyped just now\n\nb\n\n\n");
    EXPECT_TRUE(f->isEnabled());
    EXPECT_FALSE(Busy);

    // A busy scope of the window that is open stays open across Generate.
    {
        TBusyGuard outer(f->BusyCounter());
        w.btnGenerate->click();
        EXPECT_TRUE(Busy);
    }
    EXPECT_FALSE(Busy);
    w.hide();
}

TEST_F(PrintCommands, FileMenuOffersPrintAndPrinterSetup) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a");
    TForm1* f = Start();
    TPrintCommands& p = f->Print();
    const QList<QAction*> items = f->Skeleton().File1->actions();
    const qsizetype print = items.indexOf(p.acPrint), setup = items.indexOf(p.PrinterSetup1),
                    exit = items.indexOf(f->Skeleton().Exit1);
    ASSERT_GE(print, 0);
    EXPECT_EQ(setup, print + 1);
    EXPECT_LT(setup, exit);

    Dialogs().AnswerPrinterSetup(true);
    p.PrinterSetup1->trigger();
    EXPECT_EQ(Dialogs().PrinterSetupRequests, 1);
}

TEST_F(PrintCommands, CtrlShiftMRunsTheOutlinersHideCommand) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a");
    TForm1* f = Start();
    // The outliner's hide command counts its runs by the outliner's coming and going.
    int hidden = 0;
    KivAction& hide = f->Actions().Get(QStringLiteral("acHideKivPanel"));
    QObject::connect(&hide, &QAction::changed, f, [&, shown = hide.isChecked()]() mutable {
        if (hide.isChecked() != shown) ++hidden;
        shown = hide.isChecked();
    });
    EXPECT_EQ(f->Actions().Get(QStringLiteral("acHideKivPanel2")).shortcut(),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    ASSERT_TRUE(f->Actions().Get(QStringLiteral("acHideKivPanel2")).Execute());
    EXPECT_EQ(hidden, 1);
    QTest::keyClick(f, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(hidden, 2);
}

}  // namespace
}  // namespace kiv::wintest

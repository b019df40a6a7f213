// The main window's application events and small commands: commands, shortcuts and tool-bar
// buttons held while busy, the topic flush and reload, the window order of "Always On Top",
// "Icon Titles" and its sizes, the view switches, the bins column's buttons, the help and web
// pages and the file manager, and the status hint over the bins.
#include <algorithm>
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QDir>
#include <QLayout>
#include <QListWidget>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <functional>

#include "dialogs/AboutWindow.h"
#include "email/EmailWindows.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/collector/Collector.h"
#include "mainwindow/appevents/AppEvents.h"
#include "mainwindow/email/EmailCommands.h"
#include "mainwindow/launch/LaunchCard.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "mainwindow/schemes/ColorSchemes.h"
#include "platform/qt/WidgetState.h"
#include "tests/mainwindow/FakeBrowser.h"
#include "tests/mainwindow/RecordingShell.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

// ---- the rules ----

TEST(IconTitles, SizesOfBothStates) {
    struct Case {
        bool Checked;
        TIconTitlesMetrics Want;
    };
    const Case cases[] = {
        {true, {true, 67, 41, 37, 40, 36, -1}},
        {false, {false, 0, 28, 23, 24, 23, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Checked);
        const TIconTitlesMetrics m = IconTitlesMetrics(c.Checked);
        EXPECT_EQ(m.Captions, c.Want.Captions);
        EXPECT_EQ(m.BarHeight, c.Want.BarHeight);
        EXPECT_EQ(m.RowSize, c.Want.RowSize);
        EXPECT_EQ(m.ButtonHeight, c.Want.ButtonHeight);
        EXPECT_EQ(m.ButtonWidth, c.Want.ButtonWidth);
        EXPECT_EQ(m.ToolBarHeight, c.Want.ToolBarHeight);
        EXPECT_EQ(m.BinsLeft, c.Want.BinsLeft);
    }
}

TEST(BinsPane, OpensBelowFortyAndClosesFromForty) {
    const std::pair<int, int> cases[] = {{0, 180}, {1, 180}, {39, 180},
                                         {40, 0},  {180, 0}, {260, 0}};
    for (const auto& [before, after] : cases)
        EXPECT_EQ(BinsPaneToggledWidth(before), after) << "from " << before;
}

TEST(HelpPages, ShippedBesideTheProgram) {
    for (int context : {0, 43}) {
        const std::string page = HelpPagePath(context);
        EXPECT_EQ(page.rfind(HelpFolder(), 0), 0u) << page;
        EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(page))) << page;
    }
    EXPECT_NE(HelpPagePath(0), HelpPagePath(43)) << "the collector has a page of its own";
}

// ---- in the window ----

class AppEventsWindow : public PanelsWindow {
protected:
    TAppEvents* app = nullptr;
    TWindowSkeleton* k = nullptr;

    void Restart() override {
        PanelsWindow::Restart();
        app = f->findChild<TAppEvents*>();
        ASSERT_NE(app, nullptr);
        k = &f->Skeleton();
    }
    KivAction& Command(const char* name) { return f->Actions().Get(QString::fromLatin1(name)); }
    // A component by its name, wherever the room that owns it keeps it.
    template <class W = QWidget>
    W* Named(const char* name) {
        W* w = f->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QWidget* ToolButtonOf(QToolBar* bar, QAction* a) { return bar->widgetForAction(a); }
};

TEST_F(AppEventsWindow, CommandsShortcutsAndToolButtonsDoNothingWhileBusy) {
    Open("A\nB\n");
    KivAction& clipBin = Command("acShowClipBin");
    QWidget* clipButton = ToolButtonOf(k->tbBins, &clipBin);
    ASSERT_NE(clipButton, nullptr);
    auto* hoistButton = f->findChild<QToolButton*>(QStringLiteral("btnHoist"));
    ASSERT_NE(hoistButton, nullptr);
    int hoistClicks = 0;
    QObject::connect(hoistButton, &QToolButton::clicked, [&] { ++hoistClicks; });
    p1->setFocus(Qt::OtherFocusReason);
    {
        TBusyGuard busy(f->BusyCounter());
        ASSERT_TRUE(f->IsBusy());
        QTest::keyClick(p1, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);  // acSearch
        QTest::mouseClick(clipButton, Qt::LeftButton);
        QTest::mouseClick(hoistButton, Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_TRUE(k->pnlBins->isHidden()) << "the search shortcut ran";
        EXPECT_FALSE(Command("acSearch").Checked());
        EXPECT_TRUE(Named("pnlClipBin")->isHidden()) << "the tool-bar command ran";
        EXPECT_FALSE(clipBin.Checked()) << "a swallowed click leaves the check as it was";
        EXPECT_EQ(hoistClicks, 0);
    }
    QTest::keyClick(p1, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::mouseClick(clipButton, Qt::LeftButton);
    QTest::mouseClick(hoistButton, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(isShown(k->pnlBins));
    EXPECT_TRUE(isShown(Named("pnlClipBin")));
    EXPECT_EQ(hoistClicks, 1);
}

TEST_F(AppEventsWindow, FlushStoresTheCurrentTopicAndReloadShowsIt) {
    Open("A\nB\nC\n");
    p1->SelectRow(1);
    QCoreApplication::processEvents();
    struct Seen {
        std::string Event;
        TKivStringGrid* Grid;
        int Row;
        bool operator==(const Seen&) const = default;
    };
    // The window outlives the test's body (its close flushes too): the record is shared.
    auto seen = std::make_shared<std::vector<Seen>>();
    f->Events().TopicLeaving.Subscribe([seen](TKivStringGrid* g, int row, bool&) {
        seen->push_back({"leaving", g, row});
    });
    f->Events().TopicShown.Subscribe([seen](TKivStringGrid* g, int row) {
        seen->push_back({"shown", g, row});
    });
    const std::pair<std::function<void()>, Seen> cases[] = {
        {[&] { f->FlushCurrentRow(); }, {"leaving", p1, 1}},
        {[&] { f->ReloadCurrentRow(); }, {"shown", p1, 1}},
    };
    for (const auto& [call, want] : cases) {
        SCOPED_TRACE(want.Event);
        seen->clear();
        call();
        ASSERT_EQ(seen->size(), 1u);
        EXPECT_TRUE(seen->front() == want) << seen->front().Event << " row " << seen->front().Row;
    }
}

TEST_F(AppEventsWindow, IconTitlesSizesTheToolBars) {
    Open("A\n");
    KivAction& titles = Command("acIconTitles");
    for (int round = 0; round < 2; ++round) {
        const bool before = titles.Checked();
        titles.Execute();
        ASSERT_NE(titles.Checked(), before);
        QCoreApplication::processEvents();
        f->centralWidget()->layout()->activate();
        const TIconTitlesMetrics m = IconTitlesMetrics(titles.Checked());
        SCOPED_TRACE(titles.Checked());
        for (QToolBar* bar : {k->tbModes, k->tbBins}) {
            EXPECT_EQ(bar->toolButtonStyle(),
                      m.Captions ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
            EXPECT_GE(bar->height(), m.ToolBarHeight);
            int buttons = 0;
            for (QToolButton* b : bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
                if (b->isHidden() || b->objectName() == QLatin1String("qt_toolbar_ext_button"))
                    continue;
                ++buttons;
                EXPECT_EQ(b->height(), m.ButtonHeight) << b->objectName().toStdString();
                EXPECT_GE(b->width(), m.ButtonWidth) << b->objectName().toStdString();
                EXPECT_EQ(b->toolButtonStyle(), bar->toolButtonStyle());
            }
            EXPECT_GT(buttons, 0);
        }
        EXPECT_GE(k->cbTools->height(), m.RowSize);
        EXPECT_EQ(k->tbBins->x(), k->tbModes->x() + k->tbModes->width())
            << "tbBins follows tbModes";
    }
}

TEST_F(AppEventsWindow, ANarrowWindowNeverCutsAToolButtonsCaption) {
    Open("A\n");
    KivAction& titles = Command("acIconTitles");
    if (!titles.Checked()) titles.Execute();
    f->resize(760, 600);
    f->show();
    QCoreApplication::processEvents();
    f->centralWidget()->layout()->activate();
    int shown = 0;
    for (QToolBar* bar : {k->tbModes, k->tbBins})
        for (QToolButton* b : bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
            if (!b->isVisible() || b->text().isEmpty()) continue;
            ++shown;
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
        }
    EXPECT_GT(shown, 0);
}

TEST_F(AppEventsWindow, AlwaysOnTopKeepsTheOtherWindowsAboveTheMainWindow) {
    Open("A\n");
    QWidget tool(nullptr, Qt::Tool);
    tool.setObjectName(QStringLiteral("probeTool"));
    tool.show();
    QWidget* textBin = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmTextBin")) textBin = w;
    ASSERT_NE(textBin, nullptr);
    ASSERT_TRUE(textBin->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    KivAction& top = Command("acStayOnTop");
    ASSERT_FALSE(top.Checked());
    const bool hiddenBefore = f->isHidden();

    top.Execute();
    EXPECT_TRUE(top.Checked());
    EXPECT_TRUE(f->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(tool.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    if (f->windowHandle()) {
        EXPECT_TRUE(f->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint))
            << "the window system is told";
    }
    EXPECT_EQ(f->isHidden(), hiddenBefore) << "the hint is set in place, not by a new window";

    top.Execute();
    EXPECT_FALSE(top.Checked());
    EXPECT_FALSE(f->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(tool.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(textBin->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        << "a window's own stay-on-top hint stays";

    // The floating text bin shown: the activation brings it forward and stops there.
    textBin->show();
    top.Execute();
    EXPECT_TRUE(top.Checked());
    EXPECT_FALSE(f->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    textBin->hide();
    app->ApplicationActivate();
    EXPECT_TRUE(f->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // A hidden main window is left as it is.
    top.SetChecked(false);
    f->hide();
    app->ApplicationActivate();
    EXPECT_TRUE(f->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    f->show();
}

// The order the activation raises the windows in, bottom first: without "Always On Top"
// the other windows go directly behind the main window, with it they stay above it; the
// collector is always last, on top.
TEST_F(AppEventsWindow, TheActivationPutsTheOtherWindowsBehindOrAboveTheMainWindow) {
    Open("A\n");
    QWidget tool(nullptr, Qt::Tool);
    tool.setObjectName(QStringLiteral("probeTool"));
    tool.show();
    std::vector<QWidget*> raised;
    struct Watch {
        TAppEvents* app;
        std::function<void(QWidget*)> was;
        ~Watch() { app->RaiseWindow = was; }
    } watch{app, app->RaiseWindow};
    app->RaiseWindow = [&](QWidget* w) {
        if (w && !w->isHidden()) raised.push_back(w);
    };
    auto at = [&](const QWidget* w) {
        return std::find(raised.begin(), raised.end(), w) - raised.begin();
    };
    QWidget* collector = &f->Collector();
    KivAction& top = Command("acStayOnTop");
    ASSERT_FALSE(top.Checked());

    app->ApplicationActivate();
    ASSERT_LT(at(&tool), long(raised.size()));
    ASSERT_LT(at(f), long(raised.size()));
    EXPECT_LT(at(&tool), at(f)) << "the tool window directly behind the main window";
    EXPECT_EQ(at(f), long(raised.size()) - 2) << "only the collector over the main window";
    EXPECT_EQ(raised.back(), collector);

    raised.clear();
    top.Execute();  // on, and the activation again
    ASSERT_TRUE(top.Checked());
    EXPECT_EQ(at(f), long(raised.size())) << "the main window is not put over them";
    EXPECT_LT(at(&tool), long(raised.size()));
    ASSERT_FALSE(raised.empty());
    EXPECT_EQ(raised.back(), collector);
    top.Execute();
}

TEST_F(AppEventsWindow, EverySecondaryWindowIsOwnedByTheMainWindow) {
    Open("A\n");
    // The windows made on first use, made now.
    ASSERT_TRUE(Command("acRegisterFiles").Execute());
    ASSERT_TRUE(Command("acShowRecycledBin").Execute());
    auto* schemes = f->findChild<TColorSchemes*>();
    ASSERT_NE(schemes, nullptr);
    schemes->ShowEditor();
    ASSERT_NE(schemes->Editor(), nullptr);
    auto* email = f->findChild<TEmailCommands*>(QStringLiteral("EmailCommands"));
    ASSERT_NE(email, nullptr);
    email->Windows();
    f->NavPath().acInterbaseManageExecute();
    ASSERT_TRUE(f->NavPath().frmAddDB);
    f->NavPath().frmAddDB->hide();
    // Every window of the program but the main window and the collector, shown once: the
    // window system keeps each above the main window (its transient parent), never behind
    // the hidden leader window of a window without one.
    const QStringList mustBeThere = {"frmFilesRegistration",
                                     "frmColorScheme",
                                     "frmSaveScheme",
                                     "frmTextBin",
                                     "frmSendEmail",
                                     "frmAddresses",
                                     "frmEmailSettings",
                                     "frmGenerateMessage",
                                     "frmPrint",
                                     "frmSymbol",
                                     "frmAddUrlLink",
                                     "frmRenameFile",
                                     "frmAbout",
                                     "fdText",
                                     "frmAddDB",
                                     "frmDefaultDateTime",
                                     "frmRecycledBin"};
    QStringList seen;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w == f || w == &f->Collector() || w->objectName() == QLatin1String("probeTool") ||
            (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool))
            continue;
        const bool hidden = w->isHidden();
        w->show();
        QCoreApplication::processEvents();
        ASSERT_NE(w->windowHandle(), nullptr) << w->objectName().toStdString();
        EXPECT_EQ(w->windowHandle()->transientParent(), f->windowHandle())
            << w->objectName().toStdString() << " (" << w->metaObject()->className() << ")";
        if (hidden) w->hide();
        seen << w->objectName();
    }
    for (const QString& name : mustBeThere)
        EXPECT_TRUE(seen.contains(name))
            << name.toStdString() << " among " << seen.join(' ').toStdString();
}

TEST_F(AppEventsWindow, ViewSwitchesReachEveryPanel) {
    Open("A\n");
    KivAction& textOnly = Command("acTopicsTextOnly");
    auto* boxed = f->findChild<QAction*>(QStringLiteral("BoxedTopicView1"));
    ASSERT_NE(boxed, nullptr);
    for (bool on : {true, false}) {
        SCOPED_TRACE(on);
        textOnly.Execute();
        boxed->trigger();
        EXPECT_EQ(textOnly.Checked(), on);
        EXPECT_EQ(PanelsManager().TextOnly, on);
        EXPECT_EQ(boxed->isChecked(), on);
        for (TKivStringGrid* g : {p1, p2, p3}) {
            EXPECT_EQ(g->TextOnly(), on);
            EXPECT_EQ(g->BoxedView(), on);
        }
    }
    KivAction& bars = Command("acAlwaysShowBars");
    const bool before = bars.Checked();
    bars.Execute();
    EXPECT_NE(bars.Checked(), before);
}

TEST_F(AppEventsWindow, BinsPaneOpensAtItsWidthAndCloses) {
    Open("A\n");
    auto* binsPane = f->findChild<QAction*>(QStringLiteral("BinsPane1"));
    ASSERT_NE(binsPane, nullptr);
    const auto width = [&] {
        QCoreApplication::processEvents();
        f->centralWidget()->layout()->activate();
        return k->pnlBins->isHidden() ? 0 : k->pnlBins->width();
    };
    ASSERT_EQ(width(), 0);
    // Its width, or what the column's content (the search pane's labels) needs.
    const int opened = std::max(kBinsPaneWidth, k->pnlBins->minimumSizeHint().width());
    binsPane->trigger();
    EXPECT_EQ(width(), opened);
    EXPECT_TRUE(isShown(k->Splitter2));
    binsPane->trigger();
    EXPECT_EQ(width(), 0);
    EXPECT_TRUE(k->Splitter2->isHidden());
    // Open but narrower than 40: opened to its width.
    k->pnlBins->setFixedWidth(30);
    k->pnlBins->show();
    ASSERT_EQ(width(), 30);
    binsPane->trigger();
    EXPECT_EQ(width(), opened);
    for (QAbstractButton* b : k->pnlBins->findChildren<QAbstractButton*>()) {
        if (b->isVisible() && b->minimumWidth() != b->maximumWidth()) {
            EXPECT_GE(b->width(), b->minimumSizeHint().width()) << b->text().toStdString();
        }
    }
}

TEST_F(AppEventsWindow, DraggingTheStripBesideTheBinsWidensTheColumnAndArrangesThePanels) {
    Open("A(a1(a2)) B\n");
    auto* binsPane = f->findChild<QAction*>(QStringLiteral("BinsPane1"));
    ASSERT_NE(binsPane, nullptr);
    binsPane->trigger();
    const auto settle = [&] {
        QCoreApplication::processEvents();
        f->centralWidget()->layout()->activate();
    };
    settle();
    const int opened = k->pnlBins->width();
    ASSERT_GE(opened, kBinsPaneWidth);
    // As a user drags: pressed on the strip, moved with the button down (the strip keeps the
    // mouse while it is down), let go.
    QWidget* strip = k->Splitter2;
    EXPECT_EQ(strip->cursor().shape(), Qt::SplitHCursor);
    const QPoint at(strip->width() / 2, strip->height() / 2);
    // The pointer moves on the screen; the strip moves under it as the column widens.
    QPoint origin;
    const auto send = [&](QEvent::Type type, int dx, Qt::MouseButton button,
                          Qt::MouseButtons held) {
        const QPoint global = origin + QPoint(dx, 0);
        QMouseEvent e(type, QPointF(strip->mapFromGlobal(global)), QPointF(global), button, held,
                      {});
        QCoreApplication::sendEvent(strip, &e);
    };
    const auto drag = [&](int dx) {
        origin = strip->mapToGlobal(at);
        send(QEvent::MouseButtonPress, 0, Qt::LeftButton, Qt::LeftButton);
        for (int step = 1; step <= 4; ++step)
            send(QEvent::MouseMove, dx * step / 4, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, dx, Qt::LeftButton, Qt::NoButton);
        settle();
    };
    const int mainBefore = k->pnlMain->width();
    drag(-120);
    EXPECT_EQ(k->pnlBins->width(), opened + 120);
    EXPECT_EQ(k->pnlMain->width(), mainBefore - 120);
    // The three panels share the narrower outliner evenly, each column as wide as its panel.
    int sum = 0;
    for (TKivStringGrid* g : {p1, p2, p3}) {
        EXPECT_NEAR(g->width(), p1->width(), 2);
        sum += g->width();
    }
    EXPECT_GE(sum, k->pnlPanels->width() - 12);
    // Dragged far right: the column keeps what its labels need.
    drag(2000);
    EXPECT_GE(k->pnlBins->width(), 40);
    for (QAbstractButton* b : k->pnlBins->findChildren<QAbstractButton*>()) {
        // The labelled ones; small buttons of a fixed size are drawn as they are.
        if (b->isVisible() && b->minimumWidth() != b->maximumWidth()) {
            EXPECT_GE(b->width(), b->minimumSizeHint().width()) << b->text().toStdString();
        }
    }
    // Far left: the working area keeps a grip.
    drag(-5000);
    EXPECT_GE(k->pnlMain->width(), 100);
    // The mouse moving without the button pressed on the strip changes nothing.
    const int width = k->pnlBins->width();
    origin = strip->mapToGlobal(at);
    send(QEvent::MouseMove, 300, Qt::NoButton, Qt::NoButton);
    settle();
    EXPECT_EQ(k->pnlBins->width(), width);
}

TEST_F(AppEventsWindow, TheSearchOpensTheColumnWideEnoughForItsLabels) {
    Open("A\n");
    auto* binsPane = f->findChild<QAction*>(QStringLiteral("BinsPane1"));
    ASSERT_NE(binsPane, nullptr);
    // Opened at its width, closed by the search command, opened by it again.
    binsPane->trigger();
    ASSERT_TRUE(Command("acSearch").Execute());
    ASSERT_TRUE(k->pnlBins->isHidden());
    ASSERT_TRUE(Command("acSearch").Execute());
    QCoreApplication::processEvents();
    f->centralWidget()->layout()->activate();
    EXPECT_GE(k->pnlBins->width(), 260);
    for (QAbstractButton* b : k->pnlBins->findChildren<QAbstractButton*>()) {
        // The labelled ones; small buttons of a fixed size are drawn as they are.
        if (b->isVisible() && b->minimumWidth() != b->maximumWidth()) {
            EXPECT_GE(b->width(), b->minimumSizeHint().width()) << b->text().toStdString();
        }
    }
}

TEST_F(AppEventsWindow, CloseBinsClosesTheColumnAndTheSearch) {
    Open("A\nB\n");
    KivAction& search = Command("acSearch");
    search.Execute();
    QCoreApplication::processEvents();
    ASSERT_TRUE(isShown(k->pnlBins));
    ASSERT_TRUE(search.Checked());
    ASSERT_NE(QApplication::focusWidget(), p1);
    QTest::mouseClick(app->btnCloseBins, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(k->pnlBins->isHidden());
    EXPECT_EQ(k->pnlBins->minimumWidth(), 0);
    EXPECT_TRUE(k->Splitter2->isHidden());
    EXPECT_FALSE(search.Checked());
    EXPECT_EQ(QApplication::focusWidget(), f->CurrentGrid()) << "the active panel has the focus";
    // The search opens the column again as before.
    search.Execute();
    QCoreApplication::processEvents();
    EXPECT_TRUE(isShown(k->pnlBins));
    EXPECT_GE(k->pnlBins->width(), 260);
}

TEST_F(AppEventsWindow, CloseTextCardHidesThePaneOrTheTextCard) {
    FakeBrowserEngine engine;
    Open("A\n");
    ASSERT_NE(app->btnCloseTextCard, nullptr);
    // The browser closed: the button closes the card pane.
    ASSERT_TRUE(isShown(k->pnlCards) && k->pnlBrowser->isHidden());
    QTest::mouseClick(app->btnCloseTextCard, Qt::LeftButton);
    EXPECT_TRUE(k->pnlCards->isHidden());
    Command("acHidePane").Execute();
    ASSERT_TRUE(isShown(k->pnlCards));
    // The browser open with the text card under it: only the text card goes.
    Command("acOpenBrowser").Execute();
    Command("acShowTextCard").Execute();
    ASSERT_TRUE(isShown(k->pnlBrowser) && isShown(k->pnlSimpleText));
    app->btnCloseTextCardClick();
    EXPECT_TRUE(k->pnlSimpleText->isHidden());
    EXPECT_FALSE(Command("acShowTextCard").Checked());
    EXPECT_TRUE(isShown(k->pnlBrowser) && isShown(k->pnlCards));
}

TEST_F(AppEventsWindow, HelpWebPagesAndTheFileManagerGoToTheDesktop) {
    Open("A\n");
    TRecordedShell shell;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(env.Dir().substr(0, env.Dir().size() - 1)));
    const QString help = QString::fromStdString(HelpPagePath());
    const QString collectorHelp = QString::fromStdString(HelpPagePath(43));
    const QString site = QString::fromLatin1(TfrmAbout::kWebSite);
    QAction* whatsThis = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmSwallow"))
            whatsThis = w->findChild<QAction*>(QStringLiteral("WhatsThis1"));
    ASSERT_NE(whatsThis, nullptr);
    const std::pair<std::function<void()>, ShellCall> cases[] = {
        {[&] { Command("acHelp").Execute(); }, {"open", help, {}}},
        {[&] { whatsThis->trigger(); }, {"open", collectorHelp, {}}},
        {[&] { Command("acGetLastVersion").Execute(); }, {"open", site, {}}},
        {[&] { f->findChild<QAction*>(QStringLiteral("KIVHomepage1"))->trigger(); },
         {"open", site, {}}},
        {[&] { Command("acBrowserExplorer").Execute(); },
         {"folder", QDir(QString::fromStdString(env.Dir())).absolutePath(), {}}},
    };
    for (const auto& [run, want] : cases) {
        SCOPED_TRACE(want.Target.toStdString());
        shell->Calls.clear();
        run();
        EXPECT_EQ(shell->Calls, std::vector<ShellCall>{want});
    }
    EXPECT_TRUE(Dialogs().Messages.empty());
    qputenv("HOME", oldHome);
}

TEST_F(AppEventsWindow, HelpAndTheProductsPagesOpenInTheWindowsBrowser) {
    FakeBrowserEngine engine;
    Open("A\n");
    TRecordedShell shell;
    const QString site = QString::fromLatin1(TfrmAbout::kWebSite);
    Command("acHelp").Execute();
    ASSERT_NE(engine.Pane, nullptr);
    EXPECT_EQ(engine.Pane->Navigations, QStringList{QString::fromStdString(HelpPagePath())});
    EXPECT_TRUE(isShown(k->pnlBrowser));
    EXPECT_TRUE(isShown(k->pnlKiv)) << "the help leaves the outliner";
    Command("acSearch").Execute();
    ASSERT_TRUE(isShown(k->pnlBins));
    Command("acGetLastVersion").Execute();
    EXPECT_EQ(engine.Pane->Navigations.last(), site);
    EXPECT_TRUE(k->pnlKiv->isHidden() && k->pnlBins->isHidden())
        << "the product's page takes the window";
    Command("acHideKivPanel").Execute();
    f->findChild<QAction*>(QStringLiteral("KIVHomepage1"))->trigger();
    EXPECT_EQ(engine.Pane->Navigations.size(), 3);
    EXPECT_EQ(engine.Pane->Navigations.last(), site);
    EXPECT_TRUE(shell->Calls.empty()) << "nothing went to the desktop";
    // A folder is no page: the file manager still shows it.
    Command("acBrowserExplorer").Execute();
    ASSERT_EQ(shell->Calls.size(), 1u);
    EXPECT_EQ(shell->Calls[0].What, "folder");
}

// ---- the browser switch ----

class BrowserSwitch : public AppEventsWindow {
protected:
    std::unique_ptr<FakeBrowserEngine> engine;
    std::unique_ptr<TRecordedShell> shell;

    // The tree "A B" with row 0's links, and a browser engine when asked.
    void OpenWith(const std::vector<std::string>& links, bool browser) {
        if (browser) engine = std::make_unique<FakeBrowserEngine>();
        shell = std::make_unique<TRecordedShell>();
        Open("A B\n");
        std::string lines;
        for (const std::string& l : links) lines += l + "\x01" + "t\r\n";
        if (!lines.empty()) f->LaunchCard().AddLinksToTopic(p1, 0, lines);
        ClickRow(p1, 0);
    }
    QStringList Shown() const {
        return engine && engine->Pane ? engine->Pane->Navigations : QStringList();
    }
    bool BrowserShown() const { return isShown(k->pnlCards) && isShown(k->pnlBrowser); }
    bool TextShown() const { return isShown(k->pnlCards) && isShown(k->pnlSimpleText); }
    // The launch card shown, its list focused on its first row.
    void PickInLaunchCard() {
        TLaunchCard& card = f->LaunchCard();
        card.ShowLaunchCardInFront();
        ASSERT_TRUE(isShown(card.pnlLaunchCard));
        ASSERT_GT(card.lvLaunchCard->topLevelItemCount(), 0);
        card.lvLaunchCard->setCurrentItem(card.lvLaunchCard->topLevelItem(0));
        card.lvLaunchCard->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(card.lvLaunchCard->hasFocus());
    }
};

TEST_F(BrowserSwitch, IsCtrlWAndTheClearKey) {
    Open("A\n");
    EXPECT_EQ(Command("acBrowserSwitch").shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    EXPECT_EQ(Command("acBrowserSwitch2").shortcut(), QKeySequence(Qt::Key_Clear));
}

TEST_F(BrowserSwitch, FollowsTheTopicsLinksAndThePanesShown) {
    const std::string folder = Home() + "folder";
    MakeDirs(folder + "/");
    const QString folderPath = QDir(QString::fromStdString(folder)).absolutePath();
    const QString web = QStringLiteral("http://h/a");
    struct Case {
        const char* Name;
        bool Browser;  // a browser can be made
        std::vector<std::string> Links;
        std::function<void()> Before;
        int Presses;
        QStringList Shown;
        std::vector<ShellCall> Calls;
        bool BrowserAfter, TextAfter, LaunchCardAfter;
    };
    auto nothing = [] {};
    const Case cases[] = {
        {"one web link", true, {"http://h/a"}, nothing, 1, {web}, {}, true, false, false},
        {"one web link, again", true, {"http://h/a"}, nothing, 2, {web}, {}, false, true, false},
        {"no browser: the desktop's",
         false,
         {"http://h/a"},
         nothing,
         1,
         {},
         {{"open", web, {}}},
         false,
         true,
         false},
        {"a link no browser shows",
         true,
         {folder},
         nothing,
         1,
         {},
         {{"folder", folderPath, {}}},
         false,
         true,
         false},
        {"two links", false, {"http://h/a", "http://h/b"}, nothing, 1, {}, {}, false, true, true},
        {"outliner hidden",
         true,
         {"http://h/a"},
         [this] {
             Command("acOpenBrowser").Execute();
             Command("acHideKivPanel").Execute();
         },
         1,
         {},
         {},
         false,
         true,
         false},
        {"no link, the browser shown",
         true,
         {},
         [this] { Command("acOpenBrowser").Execute(); },
         1,
         {},
         {},
         false,
         true,
         false},
        // A row picked in the launch card opens once, and the browser showing it stays.
        {"launch card row, web",
         true,
         {"http://h/a"},
         [this] { PickInLaunchCard(); },
         1,
         {web},
         {},
         true,
         false,
         true},
        {"launch card row, outside",
         false,
         {folder},
         [this] { PickInLaunchCard(); },
         1,
         {},
         {{"folder", folderPath, {}}},
         false,
         true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        OpenWith(c.Links, c.Browser);
        Dialogs().Messages.clear();
        c.Before();
        if (HasFatalFailure()) return;
        for (int i = 0; i < c.Presses; ++i)
            Command(i % 2 ? "acBrowserSwitch2" : "acBrowserSwitch").Execute();
        EXPECT_EQ(Shown(), c.Shown);
        EXPECT_EQ((*shell)->Calls, c.Calls);
        EXPECT_EQ(BrowserShown(), c.BrowserAfter);
        EXPECT_EQ(TextShown(), c.TextAfter);
        EXPECT_EQ(isShown(f->LaunchCard().pnlLaunchCard), c.LaunchCardAfter);
        EXPECT_TRUE(Dialogs().Messages.empty()) << Dialogs().MessageTexts().join("|").toStdString();
        Stop();
        shell.reset();
        engine.reset();
    }
}

TEST_F(AppEventsWindow, MovingOverTheBinsClearsTheStatusHint) {
    Open("A\n");
    for (const char* name : {"lbxClipCard", "lbxTemplate", "lbxLaunchBin", "txtTextBin"}) {
        SCOPED_TRACE(name);
        auto* area = Named<QAbstractScrollArea>(name);
        ASSERT_NE(area, nullptr);
        QWidget* list = area->viewport();
        f->ShowStatusHint(QStringLiteral("a topic's hint"));
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list, &move);
        EXPECT_EQ(k->StatusBar->currentMessage(), QString());
    }
}

}  // namespace
}  // namespace kiv::wintest

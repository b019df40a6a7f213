// The program-wide events of the main window: the busy gate for tool-bar buttons, the order
// of the program's windows at activation, the commands' building and the status hints.
#include "mainwindow/appevents/AppEvents.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include "dialogs/TextBinWindow.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/help/HelpInterface.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

// The stay-on-top hint we gave a window, so that "Always On Top" off takes only ours back.
constexpr const char* kTopmostGiven = "kivTopmostGiven";
// The bins' lists, over which the status hint is cleared.
constexpr const char* kClearsStatusHint = "kivClearsStatusHint";

// Only a desktop with windows to stack can put one in front (the offscreen one cannot).
bool CanRaise() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// Raises a shown window without giving it the focus; the window manager has the last word.
void RaiseShown(QWidget* w) {
    if (w && !w->isHidden() && CanRaise()) w->raise();
}

// Sets or clears the stay-on-top hint of a window in place: QWidget::setWindowFlags would
// hide the window and make it again; the window system is told through its QWindow.
void SetStaysOnTop(QWidget& w, bool on) {
    Qt::WindowFlags flags = w.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (flags == w.windowFlags()) return;
    w.overrideWindowFlags(flags);
    if (QWindow* handle = w.windowHandle()) handle->setFlags(flags);
}

// The program's other windows whose order the activation keeps: windows, dialogs and tool
// windows (not menus, tool tips or the desktop).
bool OrderedWindow(const QWidget* w) {
    switch (w->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Tool: return true;
    default: return false;
    }
}

// A small close button in a pane's corner, out of the tab order.
QToolButton* CloseButton(QWidget* parent, const char* name) {
    auto* b = Named(new QToolButton(parent), name);
    b->setText(QStringLiteral("x"));
    b->setToolTip(QStringLiteral("Close"));
    b->setAutoRaise(true);
    b->setFixedSize(16, 16);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

bool InMenu(const QAction* a) {
    for (const QObject* o : a->associatedObjects())
        if (qobject_cast<const QMenu*>(o)) return true;
    return false;
}

}  // namespace

TAppEvents::TAppEvents(IWindowContext& ctx)
    : QObject(&ctx.Window()),
      ctx_(ctx),
      launch_(ctx.Published()),
      collector_(ctx.Published()),
      browser_(ctx.Published()),
      autoLaunch_(ctx.Published()),
      layouts_(ctx.Published()) {
    setObjectName(QStringLiteral("AppEvents"));
    RaiseWindow = RaiseShown;
}

void TAppEvents::BuildComponents() {
    WireViewSwitches();
    BuildCommands();
    BuildBrowserSwitch();
    BuildButtons();
    WireStatusHints();
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app) {
        connect(app, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationActive)
                        GuardCall([this] { ApplicationActivate(); });
                    else if (state == Qt::ApplicationInactive)
                        GuardCall([this] { ApplicationDeactivate(); });
                });
        app->installEventFilter(this);
    }
}

KivAction* TAppEvents::Command(const char* name) const {
    return ctx_.Actions().Find(QString::fromLatin1(name));
}

QWidget* TAppEvents::Collector() const { return &collector_->TopWindow(); }

// ---- the busy gate ----

bool TAppEvents::SwallowedWhileBusy(QObject* watched) const {
    // Tool-bar buttons of commands are held by the commands themselves; a button with a
    // handler of its own (hoist, the text formats) is held here.
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button) return false;
    for (QWidget* w = button->parentWidget(); w; w = w->parentWidget())
        if (w == ctx_.Skeleton().cbTools) return true;
    return false;
}

bool TAppEvents::eventFilter(QObject* watched, QEvent* e) {
    // Installed on the application: it sees every event, so it looks at few.
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        if (Busy && SwallowedWhileBusy(watched)) return true;
        // A window manager raises a window clicked into: with both on top, the main window
        // would cover the collector.
        if (acStayOnTop && acStayOnTop->Checked() && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == &ctx_.Window())
            RaiseWindow(Collector());
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (Busy && SwallowedWhileBusy(watched)) return true;
        break;
    case QEvent::MouseMove:
    case QEvent::Enter:
        if (watched->property(kClearsStatusHint).toBool()) ctx_.ShowStatusHint(QString());
        break;
    case QEvent::Show:
        if (watched == &ctx_.Window()) GuardCall([this] { ApplyIconTitles(); });
        break;
    default: break;
    }
    return QObject::eventFilter(watched, e);
}

// ---- window order ----

void TAppEvents::ApplicationActivate() {
    QMainWindow& main = ctx_.Window();
    if (main.isHidden()) return;
    QWidget* collector = Collector();
    // The floating text bin is the window the user came back for.
    if (QWidget* textBin = frmTextBin; isShown(textBin)) {
        RaiseWindow(textBin);
        RaiseWindow(collector);
        return;
    }
    const bool top = acStayOnTop->Checked();
    SetStaysOnTop(main, top);
    // With "Always On Top" the other windows share the main window's hint and stay above it;
    // without it they go directly behind it: raised first, the main window then over them.
    // A hint a window has of its own stays.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == &main || w == collector || !OrderedWindow(w)) continue;
        const bool own = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
                         !w->property(kTopmostGiven).toBool();
        if (!own) {
            SetStaysOnTop(*w, top);
            w->setProperty(kTopmostGiven, top);
        }
        RaiseWindow(w);
    }
    if (!top) RaiseWindow(&main);
    RaiseWindow(collector);
}

void TAppEvents::ApplicationDeactivate() { RaiseWindow(Collector()); }

// ---- building ----

void TAppEvents::BuildCommands() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    acStayOnTop = Action(w, "acStayOnTop", QStringLiteral("Always On Top"), true);
    acStayOnTop->OnExecute = [this](KivAction*) { acStayOnTopExecute(); };
    acTopicsTextOnly = Action(w, "acTopicsTextOnly", QStringLiteral("Topics Text Only"), true);
    acTopicsTextOnly->OnExecute = [this](KivAction*) { acTopicsTextOnlyExecute(); };
    BinsPane1 = Item(w, "BinsPane1", QStringLiteral("Bins Pane"));
    connect(BinsPane1, &QAction::triggered, this,
            [this] { GuardCall([this] { BinsPane1Click(); }); });
    acBrowserExplorer = Action(w, "acBrowserExplorer", QStringLiteral("Browser Explorer"));
    SetImageIndex(acBrowserExplorer, 16);
    acBrowserExplorer->OnExecute = [this](KivAction*) { acBrowserExplorerExecute(); };
    // The view switches together; the settings room's only when no menu holds them yet.
    k.View1->addSeparator();
    for (QAction* a : std::initializer_list<QAction*>{acStayOnTop, acIconTitles_, acAlwaysShowBars_,
                                                      acTopicsTextOnly, BoxedTopicView1_, BinsPane1,
                                                      acBrowserExplorer}) {
        if (!a || InMenu(a)) continue;
        w->addAction(a);
        k.View1->addAction(a);
    }

    acHelp = Action(w, "acHelp", QStringLiteral("KIV Help"));
    SetImageIndex(acHelp, 59);
    acHelp->OnExecute = [this](KivAction*) { acHelpExecute(); };
    acGetLastVersion = Action(w, "acGetLastVersion", QStringLiteral("Get The Latest Version"));
    acGetLastVersion->OnExecute = [this](KivAction*) { acGetLastVersionExecute(); };
    KIVHomepage1 = Item(w, "KIVHomepage1", QStringLiteral("KIV Homepage"));
    connect(KIVHomepage1, &QAction::triggered, this,
            [this] { GuardCall([this] { KIVHomepage1Click(); }); });
    w->addAction(acHelp);
    TNeed<IHelp>(ctx_.Published())->AddHelpItems({acHelp, acGetLastVersion, KIVHomepage1});
    // The collector's "What's This?".
    if (auto* item = Collector()->findChild<QAction*>(QStringLiteral("WhatsThis1")))
        connect(item, &QAction::triggered, this,
                [this, item] { GuardCall([this, item] { ShowWhatsThis(item->data().toInt()); }); });
}

void TAppEvents::BuildButtons() {
    TWindowSkeleton& k = ctx_.Skeleton();
    // The bins column's header: its close button at the right.
    auto* header = Panel(k.pnlBins, "pnlBinsHeader");
    auto* row = HBox(header);
    row->addStretch(1);
    btnCloseBins = CloseButton(header, "btnCloseBins");
    row->addWidget(btnCloseBins);
    if (!k.pnlBins->layout()) VBox(k.pnlBins);
    if (auto* box = qobject_cast<QBoxLayout*>(k.pnlBins->layout())) box->insertWidget(0, header);
    connect(btnCloseBins, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnCloseBinsClick(); }); });
    // The other rooms close the column by this command (the outliner or the browser alone).
    acCloseBins = Action(&ctx_.Window(), "acCloseBins", QStringLiteral("Close Bins"));
    acCloseBins->OnExecute = [this](KivAction*) { btnCloseBinsClick(); };

    // The card pane's close button, at the end of the text card's caption line.
    btnCloseTextCard = CloseButton(k.pnlSimpleText, "btnCloseTextCard");
    TNeed<ITextCard>(ctx_.Published())->AddToCaptionLine(btnCloseTextCard);
    connect(btnCloseTextCard, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnCloseTextCardClick(); }); });
}

void TAppEvents::WireViewSwitches() {
    // The settings room makes these and keeps their check states in "kiv.ini".
    if ((acIconTitles_ = Command("acIconTitles"))) {
        acIconTitles_->OnExecute = [this](KivAction*) { acIconTitlesExecute(); };
        connect(acIconTitles_, &QAction::toggled, this,
                [this] { GuardCall([this] { ApplyIconTitles(); }); });
    }
    if ((acAlwaysShowBars_ = Command("acAlwaysShowBars")))
        acAlwaysShowBars_->OnExecute = [this](KivAction*) { acAlwaysShowBarsExecute(); };
    // A plain menu item, not a command: found among the window's.
    BoxedTopicView1_ = ctx_.Window().findChild<QAction*>(QStringLiteral("BoxedTopicView1"));
    if (BoxedTopicView1_)
        connect(BoxedTopicView1_, &QAction::triggered, this,
                [this] { GuardCall([this] { BoxedTopicView1Click(); }); });
}

void TAppEvents::WireStatusHints() {
    // Moving over the bins' lists clears the hint a panel or a command left.
    for (const char* name : {"lbxClipCard", "lbxTemplate", "lbxLaunchBin", "txtTextBin"}) {
        auto* w = ctx_.Window().findChild<QWidget*>(QString::fromLatin1(name));
        if (!w) continue;
        QList<QWidget*> watched{w};
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) watched << area->viewport();
        for (QWidget* x : watched) x->setProperty(kClearsStatusHint, true);
    }
}

}  // namespace kiv

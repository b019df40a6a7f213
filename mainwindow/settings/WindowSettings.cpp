// The main window's side of "kiv.ini": the settings applied at creation and collected at
// shut-down.
#include "mainwindow/settings/WindowSettings.h"

#include "mainwindow/collector/CollectorInterface.h"

#include <QAction>
#include <QMainWindow>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

#include "engine/core/Navigation.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/KivSettings.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Screen.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

// With a pinned screen (tests) the screen is that size at the origin; otherwise every
// screen of the desktop.
QList<QRect> ScreenRects() {
    QList<QRect> r;
    const QSize pinned = Screen::Size();
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary || primary->geometry().size() != pinned) {
        r << QRect(QPoint(0, 0), pinned);
        return r;
    }
    for (const QScreen* s : QGuiApplication::screens()) r << s->geometry();
    return r;
}

QRect WorkArea() {
    const QSize size = Screen::Size();
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary && primary->geometry().size() == size) return primary->availableGeometry();
    return QRect(QPoint(0, 0), size);
}

}  // namespace

TWindowSettings::TWindowSettings(IWindowContext& ctx)
    : ctx_(ctx),
      panels_(ctx.Published()),
      collector_(ctx.Published()),
      autoLaunch_(ctx.Published()),
      browser_(ctx.Published()),
      layouts_(ctx.Published()),
      outline_(ctx.Published()),
      textCard_(ctx.Published()),
      marks_(ctx.Published()),
      nav_(ctx.Published()),
      datastructure_(ctx.Published()) {
    ctx.Published().Publish<IWindowSettings>(*this);
}

void TWindowSettings::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    acIconTitles = Action(w, "acIconTitles", QStringLiteral("Icon Titles"), true);
    acAlwaysShowBars = Action(w, "acAlwaysShowBars", QStringLiteral("Always Show Bars"), true);
    // The format Insert Time uses is kept here and written at shut-down.
    textCard_->SetDefaultDateTimeStore([this] { return defaultDateTime_; },
                                       [this](int code) { defaultDateTime_ = code; });
    BoxedTopicView1 = Item(w, "BoxedTopicView1", QStringLiteral("Boxed Topic View"), true);
}

void TWindowSettings::ApplyGeometry(const TStartGeometry& g) {
    ctx_.Window().move(g.Main.topLeft());
    ctx_.Window().resize(g.Main.size());
    // The saved size is the inside, as it was saved; the work area is for the whole frame.
    frameTarget_.reset();
    if (!g.Saved) frameTarget_ = g.Main;
    FitFrame();
    collector_->MoveTo(g.Collector);
}

void TWindowSettings::FitFrame() {
    if (!frameTarget_) return;
    QMainWindow& w = ctx_.Window();
    const QRect frame = w.frameGeometry(), inside = w.geometry();
    const QMargins m(inside.left() - frame.left(), inside.top() - frame.top(),
                     frame.right() - inside.right(), frame.bottom() - inside.bottom());
    const QRect target = *frameTarget_;
    // Fitted once the frame is known; until then the inside stands in for it.
    if (!m.isNull()) frameTarget_.reset();
    const QSize size = target.marginsRemoved(m).size();
    if (w.size() != size) w.resize(size);
    if (w.pos() != target.topLeft()) w.move(target.topLeft());
}

void TWindowSettings::LoadSettings() {
    ctx_.Settings() = ReadSettings(KivIni(), Screen::Width());
    const TKivSettings& s = ctx_.Settings();
    ApplyGeometry(ResolveStartGeometry(s, Screen::Size(), WorkArea(), ScreenRects()));

    defaultDateTime_ = s.DefaultDateTime;
    browser_->LoadVisitedLinks();

    nav_->ApplyViewSwitches({s.InterBaseView, s.OutlineView, s.FullNavigationPath, s.NavArrows});
    // The Threads strip starts hidden whatever the file says.
    marks_->ShowStripsAtStart(s.BookMark2View);
    ColorScheme.RowLines = s.RowStrings;
    CurrentSchemeIndex = s.SelectedColorScheme;
    acIconTitles->SetChecked(s.IconTitles);
    for (QToolBar* t : {ctx_.Skeleton().tbModes, ctx_.Skeleton().tbBins})
        t->setToolButtonStyle(s.IconTitles ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);

    LoadBookMarkedDatastructures(KivIni(), InterBase());

    DefaultFontName = QString::fromStdString(s.dfName);
    DefaultFontSize = s.dfSize;
    DefaultFontColor = s.dfColor;
    DefaultFontStyle = BitsToFontStyles(s.dfStyle);
    datastructure_->SetAutoBackup(s.AutoBackup);
    acAlwaysShowBars->SetChecked(s.AlwaysShowBars);
    layouts_->SetStoredLayout(s.PanelsLayout, s.CompactLayoutSelection);
    BoxedTopicView1->setChecked(s.BoxedTopicView);
    for (TKivStringGrid* g : {panels_->Panel(1), panels_->Panel(2), panels_->Panel(3)})
        g->SetBoxedView(s.BoxedTopicView);
    TOutlineViewSettings view;
    view.Circles = s.DocViewNumber;
    view.Numbers = s.DocViewNumber2;
    view.TextPointer = s.DocViewText;
    view.LaunchImage = s.DocViewLaunch;
    view.Sizer = s.DocViewSizer;
    view.Whitener = s.Whitener;
    outline_->ApplyViewSettings(view);
    autoLaunch_->SetAutoLaunchDelay(s.AutoviewDelay);
}

void TWindowSettings::SaveSettings() {
    TKivSettings s = ctx_.Settings();
    s.ScreenHxW = Screen::Height() * Screen::Width();
    s.MainTop = ctx_.Window().y();
    s.MainLeft = ctx_.Window().x();
    s.MainHeight = ctx_.Window().height();
    s.MainWidth = ctx_.Window().width();
    // Where the user left the collector (its own drag or the desktop's moved it).
    const QPoint collector = collector_->Position();
    s.CollectorTop = collector.y();
    s.CollectorLeft = collector.x();
    s.RowStrings = ColorScheme.RowLines;
    s.SelectedColorScheme = CurrentSchemeIndex;
    s.PanelsLayout = layouts_->CurrentLayout();
    s.BookMarkView = marks_->ThreadsTabsShown();
    s.BookMark2View = marks_->QuickJumpsTabsShown();
    const TNavigationViewSwitches nav = nav_->ViewSwitches();
    s.InterBaseView = nav.InterBaseTabs;
    s.OutlineView = nav.OutlineTabs;
    s.FullNavigationPath = nav.FullPath;
    s.IconTitles = acIconTitles->Checked();
    s.dfName = DefaultFontName.toStdString();
    s.dfSize = DefaultFontSize;
    s.dfColor = DefaultFontColor;
    s.dfStyle = FontStylesToBits(DefaultFontStyle);
    s.AutoBackup = datastructure_->AutoBackup();
    s.NavArrows = nav.Arrows;
    s.AlwaysShowBars = acAlwaysShowBars->Checked();
    s.DefaultDateTime = defaultDateTime_;
    const TOutlineViewSettings view = outline_->ViewSettings();
    s.Whitener = view.Whitener;
    s.CompactLayoutSelection = layouts_->CompactLayoutSelection();
    s.BoxedTopicView = BoxedTopicView1->isChecked();
    s.DocViewNumber = view.Circles;
    s.DocViewNumber2 = view.Numbers;
    s.DocViewText = view.TextPointer;
    s.DocViewLaunch = view.LaunchImage;
    s.DocViewSizer = view.Sizer;
    // One replace of the file for all of them: a kill in the middle leaves the old file.
    IniFile::Batch batch(KivIni());
    WriteSettings(KivIni(), s, &InterBase());
    browser_->SaveVisitedLinks();
    batch.Commit();
    ctx_.Settings() = s;
}

}  // namespace kiv

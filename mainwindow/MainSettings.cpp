// The main window's side of "kiv.ini": the settings applied at creation and collected at
// shut-down.
#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

#include "engine/core/Navigation.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/MainWindow.h"
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

void TForm1::ApplyGeometry(const TStartGeometry& g) {
    move(g.Main.topLeft());
    resize(g.Main.size());
    CollectorLeft = g.Collector.x();
    CollectorTop = g.Collector.y();
}

void TForm1::LoadSettings() {
    settings_ = ReadSettings(KivIni(), Screen::Width());
    const TKivSettings& s = settings_;
    ApplyGeometry(ResolveStartGeometry(s, Screen::Size(), WorkArea(), ScreenRects()));

    SetDefault1->Tag = s.DefaultDateTime;

    acShowInterBaseTabs->SetChecked(s.InterBaseView);
    tsInterBase->setVisible(s.InterBaseView);
    // The Threads strip starts hidden whatever the file says.
    acShowThreadsTabs->SetChecked(false);
    pnlThreads->hide();
    acShowQuickJumpsTabs->SetChecked(s.BookMark2View);
    pnlQuickJumps->setVisible(s.BookMark2View);
    acOutlineView->SetChecked(s.OutlineView);
    tsOutLine->setVisible(s.OutlineView);
    acFullNavPath->SetChecked(s.FullNavigationPath);
    CurrentLayout = s.PanelsLayout;
    if (CurrentLayout != 4 && CurrentLayout != 6 && CurrentLayout != 7) PreviousLayout = 0;
    ColorScheme.RowLines = s.RowStrings;
    CurrentSchemeIndex = s.SelectedColorScheme;
    acIconTitles->SetChecked(s.IconTitles);
    for (QToolBar* t : {tbModes, tbBins})
        t->setToolButtonStyle(s.IconTitles ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);

    LoadBookMarkedDatastructures(KivIni(), InterBase());

    DefaultFontName = QString::fromStdString(s.dfName);
    DefaultFontSize = s.dfSize;
    DefaultFontColor = s.dfColor;
    DefaultFontStyle = BitsToFontStyles(s.dfStyle);
    acAutoBackup->SetChecked(s.AutoBackup);
    acArrows->SetChecked(s.NavArrows);
    pnlArrows->setVisible(s.NavArrows);
    acAlwaysShowBars->SetChecked(s.AlwaysShowBars);
    acWhitener->SetChecked(s.Whitener);
    CompactLayoutSelection1->setChecked(s.CompactLayoutSelection);
    BoxedTopicView1->setChecked(s.BoxedTopicView);
    for (TKivStringGrid* g : {sgdFirst, sgdSecond, sgdThird}) g->SetBoxedView(s.BoxedTopicView);
    if (s.DocViewNumber) {
        sgdFirst->SetDocViewCircles(true);
        Circle1->setChecked(true);
        acDocViewNumber->SetChecked(true);
    } else if (s.DocViewNumber2) {
        sgdFirst->SetDocViewNumbers(true);
        Number1->setChecked(true);
        acDocViewNumber->SetChecked(true);
        acDocViewNumber->Tag = 1;
    }
    acDocViewText->SetChecked(s.DocViewText);
    sgdFirst->SetDocViewTextPointer(s.DocViewText);
    acDocViewLaunch->SetChecked(s.DocViewLaunch);
    sgdFirst->SetDocViewLaunchImage(s.DocViewLaunch);
    acDocViewSizer->SetChecked(s.DocViewSizer);
    sgdFirst->SetDocViewSizer(s.DocViewSizer);
    tmrAutoLaunch->setInterval(s.AutoviewDelay);
    for (QAction* a : AutoviewDelay1->actions())
        if (a->data().toInt() == s.AutoviewDelay) a->setChecked(true);
}

void TForm1::SaveSettings() {
    TKivSettings s = settings_;
    s.ScreenHxW = Screen::Height() * Screen::Width();
    s.MainTop = y();
    s.MainLeft = x();
    s.MainHeight = height();
    s.MainWidth = width();
    s.CollectorTop = CollectorTop;
    s.CollectorLeft = CollectorLeft;
    s.RowStrings = ColorScheme.RowLines;
    s.SelectedColorScheme = CurrentSchemeIndex;
    s.PanelsLayout = CurrentLayout;
    s.BookMarkView = acShowThreadsTabs->Checked();
    s.BookMark2View = acShowQuickJumpsTabs->Checked();
    s.InterBaseView = acShowInterBaseTabs->Checked();
    s.OutlineView = acOutlineView->Checked();
    s.FullNavigationPath = acFullNavPath->Checked();
    s.IconTitles = acIconTitles->Checked();
    s.dfName = DefaultFontName.toStdString();
    s.dfSize = DefaultFontSize;
    s.dfColor = DefaultFontColor;
    s.dfStyle = FontStylesToBits(DefaultFontStyle);
    s.AutoBackup = acAutoBackup->Checked();
    s.NavArrows = acArrows->Checked();
    s.AlwaysShowBars = acAlwaysShowBars->Checked();
    s.DefaultDateTime = SetDefault1->Tag;
    s.Whitener = acWhitener->Checked();
    s.CompactLayoutSelection = CompactLayoutSelection1->isChecked();
    s.BoxedTopicView = BoxedTopicView1->isChecked();
    s.DocViewNumber = Circle1->isChecked();
    s.DocViewNumber2 = Number1->isChecked();
    s.DocViewText = acDocViewText->Checked();
    s.DocViewLaunch = acDocViewLaunch->Checked();
    s.DocViewSizer = acDocViewSizer->Checked();
    WriteSettings(KivIni(), s, &InterBase());
    settings_ = s;
}

}  // namespace kiv

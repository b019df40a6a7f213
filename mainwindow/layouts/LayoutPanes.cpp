// The panes of the working area as a layout wants them: Splitter1's orientation and
// order, the navigation path's place, the panes' shares and the panels' widths.
#include <QBoxLayout>
#include <algorithm>
#include <QMainWindow>
#include <QMouseEvent>
#include <QSplitter>

#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/layouts/Layouts.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

// Geometry now rather than at the next pass of the event loop, so that what follows
// measures the panes as they are.
void Relayout(std::initializer_list<QWidget*> widgets) {
    for (QWidget* w : widgets)
        if (w && w->layout()) w->layout()->activate();
}

}  // namespace

void TLayouts::PlaceStacked() {
    TWindowSkeleton& k = ctx_.Skeleton();
    QSplitter* s = k.Splitter1;
    if (s->orientation() != Qt::Vertical || s->indexOf(k.pnlCards) != 0) {
        s->setOrientation(Qt::Vertical);
        s->insertWidget(0, k.pnlCards);
    }
    // The card pane keeps its height as the window grows; the outliner takes the rest.
    s->setStretchFactor(0, 0);
    s->setStretchFactor(1, 1);
    if (k.pnlNavPath->parentWidget() != k.pnlKiv) {
        auto* kiv = static_cast<QBoxLayout*>(k.pnlKiv->layout());
        kiv->insertWidget(kiv->indexOf(k.tsOutLine) + 1, k.pnlNavPath);
        k.pnlNavPath->show();
    }
    Relayout({k.pnlMain, k.pnlKiv});
}

void TLayouts::PlaceBeside() {
    TWindowSkeleton& k = ctx_.Skeleton();
    QSplitter* s = k.Splitter1;
    if (s->orientation() != Qt::Horizontal || s->indexOf(k.pnlKiv) != 0) {
        s->setOrientation(Qt::Horizontal);
        s->insertWidget(0, k.pnlKiv);
    }
    // The outliner keeps its width; the card pane takes the rest.
    s->setStretchFactor(0, 0);
    s->setStretchFactor(1, 1);
    if (k.pnlNavPath->parentWidget() != k.pnlMain) {
        auto* main = static_cast<QBoxLayout*>(k.pnlMain->layout());
        main->insertWidget(0, k.pnlNavPath);
        // The path keeps its own height; the panes take the rest.
        main->setStretchFactor(k.Splitter1, 1);
        k.pnlNavPath->setVisible(OutlinerShown());
    }
    Relayout({k.pnlMain, k.pnlKiv});
}

void TLayouts::SetOutlinerExtent(int outliner) {
    TWindowSkeleton& k = ctx_.Skeleton();
    QSplitter* s = k.Splitter1;
    const bool stacked = s->orientation() == Qt::Vertical;
    const int total = (stacked ? s->height() : s->width()) - s->handleWidth();
    if (total <= 0) return;
    // Neither pane goes below a sliver that can still be grabbed.
    constexpr int kLeast = 30;
    if (total > 2 * kLeast) outliner = std::clamp(outliner, kLeast, total - kLeast);
    // Stacked, the card pane gets what is asked of it and the outliner the rest; beside, the
    // outliner gets its width and the card pane the rest.
    int cards = std::max(0, total - outliner);
    if (stacked) {
        cards = std::clamp(k.pnlMain->height() - outliner, 0, total);
        outliner = total - cards;
    }
    if (stacked) s->setSizes({cards, outliner});
    else s->setSizes({outliner, cards});
    Relayout({k.pnlKiv, k.pnlPanels, k.pnlCards});
}

void TLayouts::ApplyTextCardRatio(float ratio) {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (!browser_->BrowserShown() || !browser_->TextCardShown()) return;
    Relayout({k.pnlCards});
    browser_->SetTextCardHeight(
        TextCardHeight(ratio, k.pnlCards->height(), k.pnlSimpleText->height()));
    Relayout({k.pnlCards});
}

void TLayouts::ShowPanelsInUse() {
    for (int n = 1; n <= 3; ++n)
        if (TKivStringGrid* g = Panel(n)) g->setVisible(n <= PanelCount);
}

void TLayouts::PanelsFollowLayout() {
    TWindowSkeleton& k = ctx_.Skeleton();
    auto* row = static_cast<QBoxLayout*>(k.pnlPanels->layout());
    const std::vector<int> widths =
        PanelWidths(currentLayout_, std::max(7, k.pnlKiv->width()), PanelCount);
    for (int n = 1; n <= 3; ++n) {
        TKivStringGrid* g = Panel(n);
        const int i = g ? row->indexOf(g) : -1;
        if (i < 0) continue;
        row->setStretch(i, n <= int(widths.size()) ? std::max(1, widths[size_t(n - 1)]) : 0);
    }
    Relayout({k.pnlPanels});
}

void TLayouts::ArrangePanels() {
    TWindowSkeleton& k = ctx_.Skeleton();
    {
        const FlagGuard arranging(arranging_);
        PanelsFollowLayout();
        if (Beside() && OutlinerShown() && CardPaneShown() && ctx_.Window().isVisible()) {
            const int outliner = OutlinerWidthKeepingCards(k.pnlMain->width(), k.pnlKiv->width(),
                                                           k.pnlCards->width());
            if (outliner != k.pnlKiv->width()) SetOutlinerExtent(outliner);
        }
    }
    RecordPaneProportions();
}

void TLayouts::RecordPaneProportions() {
    // Sizes of a window not on the screen are not the user's.
    if (recording_ || !ctx_.Window().isVisible()) return;
    const FlagGuard recording(recording_);
    TWindowSkeleton& k = ctx_.Skeleton();
    TPaneGeometry g;
    g.Layout = currentLayout_;
    g.MainWidth = k.pnlMain->width();
    g.MainHeight = k.pnlMain->height();
    g.OutlinerShown = OutlinerShown();
    g.CardsShown = CardPaneShown();
    g.OutlinerWidth = k.pnlKiv->width();
    g.OutlinerHeight = k.pnlKiv->height();
    g.CardPaneHeight = k.pnlCards->height();
    g.TextOverBrowser = browser_->BrowserShown() && browser_->TextCardShown();
    g.TextCardHeight = k.pnlSimpleText->height();
    RecordRatios(ratios_, g);
}

void TLayouts::CardsResized() {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (!browser_->BrowserShown() || !browser_->TextCardShown()) return;
    const int most = k.pnlCards->height() - kBrowserStrip;
    if (k.pnlSimpleText->height() < most) return;
    browser_->SetTextCardHeight(most);
}

bool TLayouts::BinsHandleEvent(QEvent* e) {
    TWindowSkeleton& k = ctx_.Skeleton();
    const auto type = e->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    const auto* me = static_cast<QMouseEvent*>(e);
    const int x = int(me->globalPosition().x());
    if (type == QEvent::MouseButtonPress) {
        if (me->button() != Qt::LeftButton || k.pnlBins->isHidden()) return false;
        binsDrag_ = {true, x, k.pnlBins->width()};
        return true;
    }
    if (!binsDrag_.Dragging) return false;
    if (type == QEvent::MouseButtonRelease) {
        if (me->button() == Qt::LeftButton) binsDrag_.Dragging = false;
        return true;
    }
    // The column lies right of the strip: dragging left widens it. It keeps room for what
    // it shows (the search pane's labels) and leaves the working area a grip's width.
    QWidget* work = k.pnlBins->parentWidget();
    constexpr int kLeastColumn = 40, kLeastMain = 100;
    const int least = std::max(kLeastColumn, k.pnlBins->minimumSizeHint().width());
    const int most = std::max(least, work->width() - k.Splitter2->width() - kLeastMain);
    const int width = std::clamp(binsDrag_.StartWidth - (x - binsDrag_.StartX), least, most);
    if (width == k.pnlBins->width()) return true;
    k.pnlBins->setMinimumWidth(0);
    k.pnlBins->setFixedWidth(width);
    Relayout({work});
    Splitter2Moved();
    return true;
}

void TLayouts::Splitter2Moved() { ArrangePanels(); }

void TLayouts::MainResized() {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (Beside() || !OutlinerShown() || !CardPaneShown()) return;
    const int main = k.pnlMain->height();
    if (k.pnlCards->height() < main - 30) return;
    const FlagGuard arranging(arranging_);
    SetOutlinerExtent(30);
}

}  // namespace kiv

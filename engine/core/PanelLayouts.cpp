#include "engine/core/PanelLayouts.h"

#include <algorithm>

#include "platform/core/Rounding.h"

namespace kiv {

namespace {

int Rounded(double v) { return int(RoundHalfEven(v)); }

}  // namespace

const std::array<TPanelLayout, kLayoutCount>& PanelLayouts() {
    static const std::array<TPanelLayout, kLayoutCount> layouts = {{
        {0, "ac3Panel", "OverView (3-Panel)", "OverView (3-Panels)", "F3", 0, "btnThree", "Three",
         false, 3, false, false, false},
        {1, "ac2Panel", "Two Panels(2-Panels)", "Two Panels(2-Panels)", "F2", 1, "btnTwo", "Two",
         false, 2, false, false, false},
        {2, "ac2PanelS_W", "Two Panels Short+Wide", "Two Panels Short+Wide", "F6", 2, "btnTwoDif",
         "Two+", true, 2, false, false, false},
        {3, "ac1Panel", "FocusView (1-Panel)", "FocusView (1-Panel)", "F4", 3, "btnOne", "One",
         false, 1, false, false, false},
        {4, "ac1PanelRightCard", "Doc-View (Cards At Right Side)", "Doc-View (Cards At Right Side)",
         "F5", 10, "btnRightCard", "Right", false, 1, true, false, false},
        {5, "acPanelClassic", "ClassicView", "Classic", "F7", 52, "btnClassic", "Classic", false, 1,
         false, true, false},
        {6, "acPanelClassicDoc", "ClassicDoc View", "Classic Doc", "F8", 53, "btnClassicDoc",
         "Classic2", false, 1, true, true, false},
        {7, "acDocumentView", "Document View", "Document View", "F9", 61, "btnDocView", "DocView",
         false, 1, true, true, true},
    }};
    return layouts;
}

const TPanelLayout& PanelLayout(int no) {
    return PanelLayouts()[no >= 0 && no < kLayoutCount ? size_t(no) : 0];
}

bool IsCardsBesideLayout(int no) { return no == 4 || no == 6 || no == 7; }

const std::vector<int>& LayoutMenuOrder() {
    static const std::vector<int> order = {5, 6, 7, kNoLayout, 3, 1, 0, kNoLayout, 2, 4};
    return order;
}

int NextLayoutInMenu(int checked) {
    const std::vector<int>& order = LayoutMenuOrder();
    const auto at = std::find(order.begin(), order.end(), checked);
    if (checked != kNoLayout && at != order.end())
        for (auto i = at + 1; i != order.end(); ++i)
            if (*i != kNoLayout) return *i;
    return order.front();
}

int StackedCardPaneHeight(const TPaneRatios& r, int mainHeight) {
    if (r.OutlinerHeight <= 0) return mainHeight / 4;
    return Rounded((1.0 - double(r.OutlinerHeight)) * mainHeight);
}

int SideOutlinerWidth(const TPaneRatios& r, int layout, int mainWidth) {
    if (layout == 7)
        return r.DocOutliner > 0 ? Rounded(double(r.DocOutliner) * mainWidth) : mainWidth * 3 / 4;
    return r.SideOutliner > 0 ? Rounded(double(r.SideOutliner) * mainWidth) : mainWidth / 3;
}

int TextCardHeight(float ratio, int cardPaneHeight, int currentHeight) {
    int h = ratio > 0 ? Rounded(double(ratio) * cardPaneHeight) : currentHeight;
    if (cardPaneHeight < h) h = cardPaneHeight / 2;
    return std::max(h, 25);
}

std::vector<int> PanelWidths(int layout, int outlinerWidth, int panels) {
    panels = std::clamp(panels, 1, 3);
    if (layout == 2) {
        const int unit = Rounded(outlinerWidth / 7.0);
        return {2 * unit, 5 * unit};
    }
    return std::vector<int>(size_t(panels), Rounded(double(outlinerWidth) / panels));
}

int OutlinerWidthKeepingCards(int mainWidth, int outlinerWidth, int cardPaneWidth) {
    if (cardPaneWidth < 200 && mainWidth > 400) return mainWidth - 200;
    return outlinerWidth;
}

void RecordRatios(TPaneRatios& r, const TPaneGeometry& g) {
    const bool both = g.OutlinerShown && g.CardsShown;
    const bool text = g.CardsShown && g.TextOverBrowser && g.CardPaneHeight > 0;
    if (IsCardsBesideLayout(g.Layout)) {
        if (both && g.MainWidth > 0) {
            const float f = float(g.OutlinerWidth) / float(g.MainWidth);
            (g.Layout == 7 ? r.DocOutliner : r.SideOutliner) = f;
        }
        if (text) r.SideText = float(g.TextCardHeight) / float(g.CardPaneHeight);
    } else {
        if (both && g.MainHeight > 0)
            r.OutlinerHeight = float(g.OutlinerHeight) / float(g.MainHeight);
        if (text) r.StackedText = float(g.TextCardHeight) / float(g.CardPaneHeight);
    }
}

int LinesPerRow(int n) { return n >= 0 && n < 4 ? n : 1; }

}  // namespace kiv

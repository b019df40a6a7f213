#pragma once
// The eight panel layouts of the main window and the arithmetic of their panes, without a
// window: which layout a command stands for, the order of the layout menu (and so of F12),
// the pane sizes a layout change gives from the recorded proportions, and the panel widths.
#include <array>
#include <vector>

namespace kiv {

struct TPanelLayout {
    int No;
    const char* Action;   // the command's objectName
    const char* Caption;  // menu caption
    const char* Hint;
    const char* Key;     // shortcut, as QKeySequence reads it
    int Image;           // index in the main image list
    const char* Button;  // tool button objectName
    const char* ButtonCaption;
    bool ButtonHidden;  // btnTwoDif is never shown
    int Panels;         // outline panels in use
    bool CardsBeside;   // outliner at the left, card pane beside it
    bool TreeMode;      // children shown inline in the single panel
    bool DocumentView;  // panel 1 decorated as a document
};

constexpr int kLayoutCount = 8;
constexpr int kNoLayout = -1;

// Indexed by the layout number 0..7.
const std::array<TPanelLayout, kLayoutCount>& PanelLayouts();
// The layout of that number; any other number is layout 0.
const TPanelLayout& PanelLayout(int no);
// Layouts 4, 6 and 7.
bool IsCardsBesideLayout(int no);
// The items of "Outliner Layout" in menu order, kNoLayout for a separator.
const std::vector<int>& LayoutMenuOrder();
// F12: the first layout after the checked one in menu order, separators skipped; the first
// item's layout when the checked one is the last or none is checked (kNoLayout).
int NextLayoutInMenu(int checked);

// What the user left the panes at, as fractions (0: not measured yet this run).
struct TPaneRatios {
    float OutlinerHeight = 0;  // stacked: outliner height / working-area height
    float StackedText = 0;     // stacked: text card height / card pane height
    float SideOutliner = 0;    // layouts 4 and 6: outliner width / working-area width
    float SideText = 0;        // cards beside: text card height / card pane height
    float DocOutliner = 0;     // layout 7: outliner width / working-area width
};

// Stacked: the card pane's height, (1 - OutlinerHeight) of the area, else a quarter of it.
int StackedCardPaneHeight(const TPaneRatios& r, int mainHeight);
// Cards beside: the outliner's width; layout 7 from DocOutliner (else three quarters),
// layouts 4 and 6 from SideOutliner (else a third).
int SideOutlinerWidth(const TPaneRatios& r, int layout, int mainWidth);
// The text card's height over the browser: cardPane x ratio when the ratio is positive
// (else current), halved card pane when that is taller than the card pane, at least 25.
int TextCardHeight(float ratio, int cardPaneHeight, int currentHeight);
// The widths of panels 1..panels over the outliner's width: layout 2 splits it 2 : 5 in
// units of a seventh, every other layout evenly.
std::vector<int> PanelWidths(int layout, int outlinerWidth, int panels);
// Cards beside with both panes shown: a card pane narrower than 200 pixels in an area wider
// than 400 gets 200; the outliner's width that follows.
int OutlinerWidthKeepingCards(int mainWidth, int outlinerWidth, int cardPaneWidth);

// The panes as they stand now, for recording their proportions.
struct TPaneGeometry {
    int Layout = 0;
    int MainWidth = 0, MainHeight = 0;
    bool OutlinerShown = false, CardsShown = false;
    int OutlinerWidth = 0, OutlinerHeight = 0;
    int CardPaneHeight = 0;
    // The text card above a shown browser.
    bool TextOverBrowser = false;
    int TextCardHeight = 0;
};
// Takes the fractions of what is shown into r; what is hidden leaves its fraction alone.
void RecordRatios(TPaneRatios& r, const TPaneGeometry& g);

// Lines per row from a command's number: 1..3 as they are, 0 whole captions, anything else 1.
int LinesPerRow(int n);

}  // namespace kiv

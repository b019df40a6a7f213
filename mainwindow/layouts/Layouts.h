#pragma once
// The panel layouts of the main window: the eight layout commands (ac3Panel ..
// acDocumentView) with their tool buttons and the "Outliner Layout" menu OutlinerLayout1,
// F12 (acLayoutToggle) and the compact layout selection (CompactLayoutSelection1,
// btnOutlinerLayout); hiding and showing the outliner (acHideKivPanel, acHideKivPanel2,
// btnOutliner, btnCloseOutliner, btnMaximizePane) and the card pane (acHidePane,
// btnMaximizeOutliner); acHideAllCards; the browser's and the text card's tool buttons (btnBrowser,
// btnTextCard2), whose right button leaves that pane alone in the window. It arranges the frame's panes: Splitter1 holds the card pane over the
// outliner (stacked) or the outliner beside the card pane (layouts 4, 6, 7), and the
// panels share the outliner's width. The proportions the user leaves the panes at are
// kept for the run and given back when a layout returns.
#include <QObject>
#include <array>

#include "engine/core/PanelLayouts.h"
#include "mainwindow/Published.h"
#include "mainwindow/bins/BinsInterface.h"
#include "mainwindow/browser/BrowserInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/layouts/LayoutsInterface.h"
#include "mainwindow/marks/MarksInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/outline/OutlineInterface.h"
#include "mainwindow/topics/TopicCommandsInterface.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "platform/qt/KivAction.h"

class QAction;
class QMenu;
class QToolButton;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TKivStringGrid;
struct TNode;

class TLayouts : public QObject, public ILayouts {
    Q_OBJECT
public:
    explicit TLayouts(IWindowContext& ctx);
    void BuildComponents();
    void Subscribe(TWindowEvents& events);

    // ---- ILayouts ----
    int CurrentLayout() const override { return currentLayout_; }
    void ApplyPanelLayout(int layout) override;
    void ToggleLayout() override { acLayoutToggleExecute(); }
    void HideOrShowOutliner() override { acHideKivPanelExecute(); }
    void HideOrShowCardPane() override { acHidePaneExecute(); }
    bool OutlinerShown() const override;
    bool CardPaneShown() const override;
    void ArrangePanels() override;
    void SetStoredLayout(int layout, bool compactSelection) override;
    bool CompactLayoutSelection() const override;

    // The stored layout applied once the window is built (as from a stacked layout for the
    // cards-beside ones, so that the panes are rebuilt).
    void RestorePanelLayout();
    void RecordPaneProportions();
    void ApplyCompactLayoutSelection(bool compact);
    int PreviousLayout() const { return previousLayout_; }
    const TPaneRatios& Ratios() const { return ratios_; }

    void acHideKivPanelExecute();
    void acHidePaneExecute();
    void acHideAllCardsExecute();
    void acLayoutToggleExecute();
    // The right button on a layout button: the outliner alone in that layout.
    void LayoutButtonRightClick(int layout);
    // The right button on btnOutliner: the outliner alone.
    void btnOutlinerRightClick();
    // The right button on btnBrowser: the browser alone; on btnTextCard2: the text card.
    void btnBrowserRightClick();
    void btnTextCard2RightClick();

    std::array<KivAction*, kLayoutCount> LayoutActions{};
    std::array<QToolButton*, kLayoutCount> LayoutButtons{};
    KivAction* acHideKivPanel = nullptr;
    KivAction* acHideKivPanel2 = nullptr;
    KivAction* acHidePane = nullptr;
    KivAction* acHideAllCards = nullptr;
    KivAction* acLayoutToggle = nullptr;
    QMenu* OutlinerLayout1 = nullptr;
    QAction* CompactLayoutSelection1 = nullptr;
    QToolButton* btnOutlinerLayout = nullptr;
    QToolButton* btnOutliner = nullptr;
    QToolButton* btnCloseOutliner = nullptr;
    QToolButton* btnMaximizeOutliner = nullptr;
    QToolButton* btnMaximizePane = nullptr;
    QToolButton* btnBrowser = nullptr;
    QToolButton* btnTextCard2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildLayoutCommands();
    void BuildPaneCommands();
    void ApplyLayoutNow(int layout);
    // ---- the panes (LayoutPanes.cpp) ----
    bool Beside() const { return IsCardsBesideLayout(currentLayout_); }
    // Splitter1 and the navigation path as the arrangement wants them.
    void PlaceStacked();
    void PlaceBeside();
    // The outliner's share of Splitter1 (height stacked, width beside).
    void SetOutlinerExtent(int outliner);
    void ApplyTextCardRatio(float ratio);
    void ShowPanelsInUse();
    void PanelsFollowLayout();
    void NavigateToCurrentTopic(bool enteringTree);
    // The active panel's current row is that topic.
    bool ShowsTopic(const TNode& topic) const;
    // The panel becomes the active one, with the focus when it can take it.
    void ActivateShown(TKivStringGrid* g);
    void FocusActivePanel();
    void MainResized();
    // The text card over the browser leaves the browser a strip of the card pane.
    void CardsResized();
    static constexpr int kLeastTextCard = 25;
    static constexpr int kBrowserStrip = 30;
    // The strip beside the bins column dragged as a splitter: the column takes the width
    // the strip leaves it; true when the event was the drag's.
    bool BinsHandleEvent(QEvent* e);
    // The bins column's width was dragged: the panels share the new room.
    void Splitter2Moved();
    void CloseBins();
    TKivStringGrid* Panel(int n) const;

    IWindowContext& ctx_;
    TNeed<INavigationPath> nav_;
    TNeed<IMarks> marks_;
    TNeed<IOutline> outline_;
    TNeed<IBinsColumn> binsColumn_;
    TNeed<ITopicCommands> topics_;
    TNeed<IBrowser> browser_;
    TNeed<ITextCard> textCard_;
    TNeed<ILaunchCard> launch_;
    int currentLayout_ = 0;
    int previousLayout_ = 0;
    TPaneRatios ratios_;
    // Set while the panes are rearranged or their proportions taken: what that moves
    // does not feed back into another arrangement.
    bool arranging_ = false;
    bool recording_ = false;
    bool restored_ = false;
    int storedLayout_ = 0;
    // A drag of the bins column's strip: where it began and the column's width then.
    struct {
        bool Dragging = false;
        int StartX = 0;
        int StartWidth = 0;
    } binsDrag_;
};

}  // namespace kiv

#pragma once
// The search pane pnlSearch in the bins column: keywords found in the captions and text
// cards of the open datastructure (or of the current branch), listed in lvSearch; choosing
// a row opens its topic, Next > steps through the keywords in the text card. Also the find
// dialog of the rich-text editors (fdText) and the web-search menu items.
//
// The walk runs on the GUI thread and lets pending events run between topics, so the
// window repaints and Stop works; it reads the datastructure through handles of its own,
// so nothing the window does meanwhile pulls the files from under it, and it ends as soon
// as the datastructure it searches is closed or switched.
#include <QObject>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/Navigation.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/search/SearchInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/hoist/HoistingInterface.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTextEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TFindDialog;

class TSearchPane : public QObject, public ISearch {
    Q_OBJECT
public:
    // The images of a result row, kept on its item (-1 none).
    static constexpr int kStateImageRole = Qt::UserRole + 1;  // 0: the title matched
    static constexpr int kImageRole = Qt::UserRole + 2;       // 1: the text card matched

    explicit TSearchPane(IWindowContext& ctx);
    ~TSearchPane() override;
    void BuildComponents();
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);

    void btnSearchClick();
    void btnStopClick();
    void btnFindNextClick();
    void cbxAsPhraseClick();
    void cbxAutoHoistClick();
    void lvSearchSelectItem(QTreeWidgetItem* item);
    // The outline hoisted to every result that still stands, in list order; the rows of
    // results that no longer do are dropped.
    void HoistSearchResults();
    // The next keyword in the text card from the selection on, selected; false when none.
    bool FindNextInTextCard();
    bool IsResultsList(const QObject* control) const override;
    void ClickFindNext() override;
    void FindNextInTextCardOrTell() override { btnFindNextClick(); }
    void acSearchExecute();
    void acFindTextExecute();
    void acFindTextUpdate();
    void fdTextFind();
    void fdTextClose();
    // Opens the start page of web search site `tag` (1..5).
    void Search2Click(int tag);

    // A running walk ends at its next topic.
    void StopSearch() override;
    void PutAwayFindDialog() override;
    void BringBackFindDialog() override;
    bool Searching() const { return searching_; }
    // The focused rich-text editor (text card, pin card or text bin), or null.
    QTextEdit* ActiveTextEditor() const;

    // The keywords of the last search, upper-cased.
    std::vector<std::string> Keywords;
    // Pending events run at least every PumpMs during a walk; a walk longer than ProgressMs
    // shows how far it got.
    int PumpMs = 25;
    int ProgressMs = 400;
    // How web pages are opened; the system's opener unless replaced.
    std::function<bool(const QUrl&)> OpenUrl;

    QWidget* pnlSearch = nullptr;
    QLineEdit* edKeywords = nullptr;
    QGroupBox* gbSearchIn = nullptr;
    QRadioButton* cbxWhole = nullptr;
    QRadioButton* cbxSelected = nullptr;
    QCheckBox* cbTitle = nullptr;
    QCheckBox* cbText = nullptr;
    QRadioButton* rbAnd = nullptr;
    QRadioButton* rbOr = nullptr;
    QCheckBox* cbxAsPhrase = nullptr;
    QCheckBox* cbxAutoHoist = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnStop = nullptr;
    QToolButton* btnFindNext = nullptr;
    QLabel* lblSearchProgress = nullptr;
    QTreeWidget* lvSearch = nullptr;
    KivAction* acSearch = nullptr;
    KivAction* acFindText = nullptr;
    QMenu* Search1 = nullptr;
    std::vector<QAction*> WebSearchItems;  // tags 1..5
    TFindDialog* fdText = nullptr;

protected:
    // Esc in edKeywords closes the bins column.
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void CloseBinsColumn();
    void RunWalk();
    // A result keeps its topic's node alone, so the results of a deep tree cost no trail
    // each; the trail above is found again when the result is chosen.
    void AddResult(TBookMark& bookmark, const struct TSearchHit& hit);
    // Result i's whole trail: the trail down to its topic's nest, then the topic; null when
    // no topic leads to that nest any more.
    TNavigatorPtr ResultTrail(int i) const;
    // Whether the trail still leads to its topic.
    bool ResultStands(const TNavigatorPtr& trail) const;
    // Not hoisted, on the whole-datastructure outline tab.
    void ToWholeOutline();
    // The place of node among the hoisted topics while the results' hoist stands, else -1.
    int HoistedResultIndex(const TNode& node) const;
    // Level-0 row k of the hoisted view becomes the current topic.
    void SelectHoistedResult(int k);
    void Progress(size_t tested);

    IWindowContext& ctx_;
    TNeed<ITextCard> textCard_;
    TNeed<ILaunchCard> launch_;
    TNeed<INavigationPath> nav_;
    TNeed<IHoisting> hoist_;
    bool searching_ = false;
    bool stopRequested_ = false;       // btnSearch's tag: 1 when Stop was pressed
    QTextEdit* findEditor_ = nullptr;  // the editor the find dialog works on
};

}  // namespace kiv

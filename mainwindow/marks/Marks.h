#pragma once
// Threads and QuickJumps of the open datastructure. A Thread is a live working position:
// the current thread IS the current trail (Open().Navigator), so moving around moves it.
// A QuickJump is a fixed mark: going to it copies its trail. This feature makes marks and
// goes to them, and keeps their strips tsThreads and tsQuickJumps (a chosen QuickJump tab
// lights up for 300 ms), the docked list lbxBMList (pnlBMList), the popup list
// lbxBMListPopup (pnlBookmarks), the popups and the main menus (with the marks of the other
// open datastructures). The lists are read from datastructure-level card 6 at the first
// open of a run and written there at every close (the blob: engine/core/Marks.h).
//
// Open().Navigator is always the Threads entry at the current index while a datastructure
// is open; whatever deletes or moves a thread re-points it first.
#include <QObject>
#include <QPoint>
#include <QString>
#include <string_view>

#include "engine/core/Marks.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/marks/MarksInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/hoist/HoistingInterface.h"

class QLabel;
class QListWidget;
class QMenu;
class QTimer;
class QToolButton;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TFourthTabSet;

class TMarks : public QObject, public IMarks {
    Q_OBJECT
public:
    static const QString kThreads;     // "Threads"
    static const QString kQuickJumps;  // "QuickJumps"
    static constexpr int kFlashMs = 300;
    static constexpr int kHideMs = 400;

    explicit TMarks(IWindowContext& ctx);
    void BuildComponents();

    // ---- marks ----
    // A new mark of the kind at position (brought inside the list; INT_MAX appends): the
    // current trail with the active panel's current topic. Another kind does nothing.
    void AddNavigationMark(const QString& kind, int position);
    void GoToThread(int index, bool storeCurrent);
    void GoToQuickJump(int index);
    // Unless busy: the active panel's current topic appended to the trail.
    void AddCurrentTopicToMarks(TNavigator& trail) override;

    // ---- the datastructure's open ----
    // Card 6, read at the first open of a run (the marks whose topics are gone are dropped
    // and reported by DatastructureOpened).
    void ReadMarksCard(std::string_view blob) override;
    // Marks a pack could not carry over (their topics had gone): told with the others once
    // the datastructure is open again.
    void NoteDroppedMarks(int threads, int quickJumps) override;
    void ShowStripsAtStart(bool quickJumps) override;
    bool ThreadsTabsShown() const override;
    bool QuickJumpsTabsShown() const override;
    // At the open: the current thread stays when it still names a topic, else the Threads
    // become one trail, a copy of the current one. True when it stayed.
    bool SettleThreadsAtOpen() override;
    // After the open: card 6 read when it is still to be read, the Threads settled, to the
    // current thread, the strips and lists filled, dropped marks told.
    void DatastructureOpened() override;
    // The topic change renamed the current thread.
    void ThreadTitleChanged();
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);

    // ---- strips, lists, menus ----
    void FillThreadsTabs();
    void FillQuickJumpsTabs();
    void FillMarkList(QListWidget* listBox, const QString& kind);
    QString ListKind(const QListWidget* listBox) const;
    // The tab text of thread i / QuickJump i, the list line of mark i of a kind.
    QString ThreadTabText(int i) const;
    QString QuickJumpTabText(int i) const;
    static QString MarkListText(const TQuickJump& list, int i, bool threads);
    // The current thread's title, else the short caption of the mark's last node.
    static QString MarkCaption(const TQuickJump& list, int i, bool threads);

    // ---- handlers ----
    void acToThreadsExecute();
    void acToMarksExecute();
    void acShowThreadsTabsExecute();
    void acShowQuickJumpsTabsExecute();
    void acThreadListShowExecute();
    void acQuickJumpListShowExecute();
    void acQuickJumpListShowUpdate();
    void btnShowBMListClick();
    void lblThreads1Click();
    void tsThreadsChange(int NewTab, bool& AllowChange);
    void tsQuickJumpsChange(int NewTab, bool& AllowChange);
    void tmQuickJumpsFlasherTimer();
    // Strips, labels and the picture take topics dragged from an outline panel.
    bool TopicDragOver(QObject* Source) const;
    void tsThreadsDragDrop(QObject* Sender, QObject* Source);
    void pmThreadsPopup(QObject* from);
    void pmQuickJumpsPopup(QObject* from);
    void Threads2Click(QMenu* menu);
    void QuickJumps1Click(QMenu* menu);
    void tmrHideTimer();
    void lbxBMListPopupDragDrop(QListWidget* Sender, QObject* Source, QPoint p);
    bool lbxBMListPopupDragOver(QListWidget* Sender, QObject* Source, QPoint p);
    void lbxBMListPopupKeyDown(QListWidget* Sender, int key);
    void lbxBMListPopupMouseMove(QListWidget* Sender, QPoint p);
    void lbxBMListPopupMouseUp(QListWidget* Sender, QPoint p);
    // Remembers the item being dragged (the list's current one).
    void lbxBMListPopupStartDrag(QListWidget* Sender);
    // Shows the popup list of the popup kind under the QuickJumps picture.
    void ShowBookmarksPopup();

    KivAction* acToThreads = nullptr;
    KivAction* acShowThreadsTabs = nullptr;
    KivAction* acShowQuickJumpsTabs = nullptr;
    KivAction* acToMarks = nullptr;
    KivAction* acThreadListShow = nullptr;
    KivAction* acQuickJumpListShow = nullptr;
    TFourthTabSet* tsThreads = nullptr;
    TFourthTabSet* tsQuickJumps = nullptr;
    QLabel* lblThreads1 = nullptr;
    QLabel* lblQuickJumps1 = nullptr;
    QLabel* imgQuickJumps1 = nullptr;
    // The docked list and the popup list.
    QWidget* pnlBMList = nullptr;
    QListWidget* lbxBMList = nullptr;
    QWidget* pnlBookmarks = nullptr;
    QListWidget* lbxBMListPopup = nullptr;
    QLabel* pnlBMListHeader = nullptr;
    QToolButton* btnShowBMList = nullptr;
    QMenu* pmThreads = nullptr;
    QMenu* pmQuickJumps = nullptr;
    QMenu* Threads1 = nullptr;
    QMenu* QuickJumps1 = nullptr;
    QTimer* tmQuickJumpsFlasher = nullptr;
    QTimer* tmrHide = nullptr;
    QString PopupListKind;   // of lbxBMListPopup
    QString DockedListKind;  // of lbxBMList

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildStrips();
    void BuildLists();
    void BuildMenus();
    TQuickJump* ListOf(const QString& kind) const;
    // Open().Navigator := thread i of the open datastructure, its node events to the path.
    void MakeCurrentThread(int i);
    // Deletes thread i, re-pointing Open().Navigator first; the last thread is not deleted
    // but becomes position. Returns the thread to go to when the current one went, else -1.
    int DeleteThread(int i, const TNavigator& position);
    void LayoutStrips();
    void RefillAfterDelete(const QString& kind);
    void RefillKind(const QString& kind);
    void EndListDrags();
    // The drag of the current item, through the system's drag loop.
    void DragListItem(QListWidget* Sender);
    void FocusAfterGoing();
    // A menu item: thread or QuickJump mark of the datastructure at path (empty: the open one).
    void ChooseMark(const QString& kind, const QString& path, int mark);
    // The menu's marks of the open datastructure, then a submenu per other open one.
    void AddMarkItems(QMenu* menu, const QString& kind);

    IWindowContext& ctx_;
    TNeed<IPanels> panels_;
    TNeed<IDatastructure> datastructure_;
    TNeed<INavigationPath> nav_;
    TNeed<IHoisting> hoist_;
    bool threadsGuard_ = false;
    bool quickJumpsGuard_ = false;
    QWidget* popupPanel_ = nullptr;  // the panel tmrHide watches
    QPoint pressPoint_{-1000, -1000};
    int dragIndex_[2] = {-1, -1};  // the dragged item of lbxBMList, lbxBMListPopup
    TMarksRead read_;              // of the latest card 6, told after the open
};

}  // namespace kiv

#pragma once
// The commands that work on whole datastructure files beyond opening and closing: packing,
// saving the selected branches as a new datastructure, putting topics into the template and
// the template bin's list, linking a topic to an external datastructure, returning to the
// backup, the password lock and the occasional size warning.
// Commands: acCompactDatabase, acSaveInNewDatabase, acDoAsTemplate, acLinkToExt,
// acUnlinkFromExt, acReturnToBackup, SetPassword1, EnterPassword1.
#include <QObject>
#include <QPointer>
#include <functional>
#include <utility>
#include <vector>
#include <set>
#include <optional>
#include <string>

#include "dialogs/PasswordWindows.h"
#include "mainwindow/Published.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/filecommands/FileCommandsInterface.h"
#include "mainwindow/print/PrintInterface.h"
#include "engine/core/NestFunctions.h"
#include "mainwindow/topics/TopicCommandsInterface.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/hoist/HoistingInterface.h"
#include "mainwindow/marks/MarksInterface.h"
#include "mainwindow/bins/BinsInterface.h"

class QAction;
class QWidget;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TKivStringGrid;
class TNavigator;

class TFileCommands : public QObject, public IFileCommands {
    Q_OBJECT
public:
    explicit TFileCommands(IWindowContext& ctx);
    // Once the panels and the life cycle's commands exist: its commands into the File menu,
    // before the recent files; the template bin's list.
    void BuildComponents();

    void acCompactDatabaseExecute();
    void acSaveInNewDatabaseExecute();
    void acDoAsTemplateExecute();
    void acLinkToExtExecute();
    void acUnlinkFromExtExecute();
    void acReturnToBackupExecute();
    void SetPassword1Click();
    void EnterPassword1Click();

    // Pasting or dropping topics taken from a datastructure file (which may be the open one):
    // each source topic is copied with its sub-tree and cards into a new topic inserted into
    // the panel at pos, beside the row there. A source that cannot be read copies nothing.
    // Returns how many topics were copied.
    int CopyBranchesIntoOutline(TKivStringGrid* grid, int pos, const std::string& sourcePath,
                                const TItemArray& items);

    // The template bin's list from "template.kiv", read in place; nothing when it cannot be read.
    void LoadTemplateBin();
    // The cover, the menus and the panes follow the lock.
    void SetPasswordLock(bool locked) override;
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);
    bool PasswordLocked() const override { return locked_; }
    // At the end of an open: now and then, a large card file is worth packing.
    void WarnLargeDatastructure();
    void UpdateTopicActions();

    // Events of a trail (the Threads attach them to theirs): the navigation path is refreshed
    // when the trail is the current one.
    void NavigatorNodeAdded(TNavigator* Sender);
    void NavigatorNodesDeleted(TNavigator* Sender);
    // The navigation path's refresh (tests put their own).
    std::function<void()> OnRefreshNavigationPath;

    // Made on first use; shown modal to the main window.
    QPointer<TfrmSetPassword> frmSetPassword;
    QPointer<TfrmEnterPassword> frmEnterPassword;

    // A number drawn from 0 to n - 1; tests put their own.
    std::function<int(int n)> RandomDraw;
    // How often a long copy lets pending events run (tests put 0: at every topic).
    int ProgressEveryMs = 50;
    // While a pack, a template, a save of branches or a paste copies from the open pair: the pair
    // must not close under it.
    bool Copying() const override { return copying_ > 0; }

    bool eventFilter(QObject* watched, QEvent* e) override;

    KivAction* acCompactDatabase = nullptr;
    KivAction* acReturnToBackup = nullptr;
    KivAction* acDoAsTemplate = nullptr;
    KivAction* acSaveInNewDatabase = nullptr;
    KivAction* acLinkToExt = nullptr;
    KivAction* acUnlinkFromExt = nullptr;
    QAction* SetPassword1 = nullptr;
    QAction* EnterPassword1 = nullptr;
    // The cover the password lock lays over the whole client area.
    QWidget* pnlHider = nullptr;
    TSaveDialog sdSaveBranches;
    TOpenDialog odExternal;

private:
    // The actions whose state the lock overrides, wrapped so their update handlers keep it.
    void HoldDisabledWhileLocked(KivAction* a);
    // The topics the commands copy: the marked ones of the active panel and the current one.
    bool TakeSelectedTopics(TItemArray& items);
    std::function<void()> CopyProgress();
    void OfferPasswordEntry();
    // The stored form of a typed password, or nullopt after saying why it cannot be stored.
    static std::optional<std::string> StoredPassword(const QString& typed);

    IWindowContext& ctx_;
    TNeed<ILaunchCard> launch_;
    TNeed<IDatastructure> datastructure_;
    TNeed<IWaitPanel> waitPanel_;
    TNeed<IPrint> print_;
    // The datastructure being closed, for the template bin's list once it is joined.
    std::string closingPath_;
    TNeed<INavigationPath> nav_;
    TNeed<IHoisting> hoist_;
    TNeed<IMarks> marks_;
    TNeed<ITemplateBin> templateBin_;
    TNeed<IBinsColumn> binsColumn_;
    TNeed<ITopicCommands> topics_;
    TNeed<IPanels> panels_;
    bool locked_ = false;
    // What the lock disabled, with the state it found; given back when it goes.
    std::vector<std::pair<QPointer<QAction>, bool>> lockedStates_;
    std::set<KivAction*> heldActions_;
    bool askPending_ = false;
    int copying_ = 0;
};

}  // namespace kiv

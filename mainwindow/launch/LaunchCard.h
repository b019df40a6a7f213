#pragma once
// A topic's links (its launch card): adding them, the launch card list lvLaunchCard on the
// floating panel pnlLaunchCard with its keys and pointer hints, opening a link with the
// desktop's program (LaunchLink), the link popups with their Open With lists, and removing
// links or trashing, renaming and inspecting the linked file. Commands: acAddFile, acRemoveLinks, acOpenPartScreen,
// acOpenFullScreen, acOpenExt, acRemoveLink, acDeleteFile, acRenameFile, acProperties,
// acExplorer; menus pmLaunchFile, pmLaunchFiles, pmLaunchCard, Launch1.
#include <QObject>
#include <QPoint>
#include <functional>
#include <string>
#include <string_view>

#include "mainwindow/launch/LaunchCardInterface.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/KivAction.h"

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TKivStringGrid;
class TfrmAddUrlLink;
class TfrmRenameFile;
struct TOpenWithApp;

class TLaunchCard : public QObject, public ILaunchCard {
    Q_OBJECT
public:
    // Popup tags at or above this stand for a launch card row (tag - kLaunchCardTag).
    static constexpr int kLaunchCardTag = 1000000;

    explicit TLaunchCard(IWindowContext& ctx);
    // The launch card panel, the commands and the link menus.
    void BuildComponents();

    // Opens a link: a web address or document in the window's browser when internal is
    // asked and there is one, else with the desktop: folders in the file manager, the rest
    // with their default program (the user chooses one when none is set). A target that is
    // neither an address nor an existing file or folder is reported and opens nothing.
    // Returns the shell's answer (kOpenStarted and above: started; 0: nothing started).
    int LaunchLink(const std::string& link, bool makeRoom, bool internal) override;
    bool ShowInBrowser(const std::string& link, bool makeRoom) override;
    // Adds CR LF separated link lines to a topic: lines without target and targets the
    // topic already has are dropped; an untitled topic takes the first link's title.
    void AddLinksToTopic(TKivStringGrid* grid, int row, std::string_view text) override;
    void ShowLaunchCardInFront() override;
    void CloseLaunchCard() override;
    void UncheckLaunchCard() override { acShowLaunchCard->SetChecked(false); }
    KivAction& ShowLaunchCardCommand() override { return *acShowLaunchCard; }
    std::string FocusedListLink() const override;
    void SetBrowser(std::function<bool(const std::string& address, bool makeRoom)> open) override {
        OpenInBrowser = std::move(open);
    }
    void AddLaunchMenuItem(QAction* item, bool atTop) override;
    void RemoveLinks(int panel, int row, bool withoutAsking);

    // ---- the launch card list ----
    void AddLaunchCardItem(const std::string& title, const std::string& target);
    void FillLaunchCard(std::string_view text);
    // The list filled with that topic's links (none for a row that is not there).
    void FillLaunchCard(TKivStringGrid* grid, int row);
    // Writes the list back as the row's links, only when it was changed.
    // False when the links could not be stored: they stay in the list, changed, with their
    // topic; the user is told unless QuietStoreFailures.
    bool SaveLaunchCard(TKivStringGrid* grid, int row);
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);
    bool QuietStoreFailures = false;
    void SetQuietStoreFailures(bool on) override { QuietStoreFailures = on; }
    // What could not be stored, for a question to the user; empty when nothing is pending.
    QString UnstoredCard() const override;
    // The current topic's links in the panel, placed at its row and shown; hidden (and
    // stored) when it was showing.
    void ShowLaunchCard();
    // One link of the row: launched; several: the launch card is shown.
    void LaunchRowLinks(TKivStringGrid* grid, int row, bool makeRoom, bool internal) override;
    // Removes launch card row i and the link at the same place of the current topic.
    void DeleteLaunchCardItem(int i);
    QWidget* CardPanel() const override { return pnlLaunchCard; }
    void PanelClosed() override;
    QWidget* DropTarget() const override;

    // ---- the list's keys and pointer ----
    void lvLaunchCardKeyDown(int key);
    void lvLaunchCardKeyUp();
    void lvLaunchCardMouseMove(const QPoint& pos);
    void Edit1Click();
    void Delete1Click();
    bool LaunchCardEditing() const;

    // ---- popups ----
    void BuildLaunchPopup(int tag);
    void BuildOpenWithMenu();
    void AddOpenWithItem(const TOpenWithApp& app);
    // The panel's link popup for a row's link icon, at a global position.
    void PopupRowLinks(TKivStringGrid* grid, int row, const QPoint& globalPos) override;

    // The rename window, when the window has one: shown with the full old path and the
    // file name. Without it the rename command stays disabled.
    std::function<void(const QString& oldPath, const QString& newName, int tag)> ShowRenameWindow;
    // What the rename window does after a rename that succeeded: the link follows the file.
    // grid: the panel the rename was asked in (null: the current one).
    void FileRenamed(int tag, const std::string& oldPath, const std::string& newPath,
                     TKivStringGrid* grid = nullptr);
    // The window's browser, when it has one: shows the address (make room: the browser
    // takes the window's space) and answers true.
    std::function<bool(const std::string& address, bool makeRoom)> OpenInBrowser;

    QWidget* pnlLaunchCard = nullptr;
    QTreeWidget* lvLaunchCard = nullptr;
    // 1 after a row was added or edited, 0 after filling or writing back.
    int lvLaunchCardTag = 0;
    TOpenDialog odLaunchCard;
    // The target the launch commands act on, set when a link popup opens.
    std::string LaunchPopupFile;

    // The add-web-link and rename windows (children of the main window).
    TfrmAddUrlLink* frmAddUrlLink = nullptr;
    TfrmRenameFile* frmRenameFile = nullptr;

    KivAction* acShowLaunchCard = nullptr;
    KivAction* acAddFile = nullptr;
    KivAction* acAddUrlLink = nullptr;
    KivAction* acRemoveLinks = nullptr;
    KivAction* acOpenPartScreen = nullptr;
    KivAction* acOpenFullScreen = nullptr;
    KivAction* acOpenExt = nullptr;
    KivAction* acRemoveLink = nullptr;
    KivAction* acDeleteFile = nullptr;
    KivAction* acRenameFile = nullptr;
    KivAction* acProperties = nullptr;
    KivAction* acExplorer = nullptr;
    QAction* Editattachedlinks1 = nullptr;
    QAction* OpenLaunchCard1 = nullptr;
    QMenu* pmLaunchFile = nullptr;
    QMenu* pmLaunchFiles = nullptr;
    QMenu* pmLaunchCard = nullptr;
    QMenu* Launch1 = nullptr;
    QMenu* LaunchCurrent1 = nullptr;
    QMenu* OpenWith1 = nullptr;
    QMenu* OpenWith2 = nullptr;
    QMenu* OpenWith3 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A link as the file system finds it: "||" and "file:///" resolved, the letter case of
    // a path under the program folder found.
    std::string ResolveLink(const std::string& link) const;
    // The Title column: what the longest title needs, up to half the list.
    void FitTitleColumn();
    void BuildActions();
    void BuildMenus();
    void WireList();
    void AddLaunchCommands(QMenu* menu, QMenu* openWith);
    // The launch commands on LaunchPopupFile.
    void OpenPopupFile(KivAction* command);
    void RemovePopupLink();
    void DeletePopupFile();
    void RenamePopupFile();
    void ShowPopupFileProperties();
    void OpenWithProgram(QAction* item);
    void ChooseProgram();
    void AddFiles();
    void AddUrlLink();
    void LaunchCardContextMenu(const QPoint& pos);
    void LaunchCardItemActivated(QTreeWidgetItem* item);
    // The row of the current panel the launch card list shows, -1 none.
    int LaunchCardRow() const;

    IWindowContext& ctx_;
    // The topic the list was filled for.
    TKivStringGrid* listGrid_ = nullptr;
    int listRow_ = -1;
    QString storeFailure_;
};

}  // namespace kiv

#pragma once
// The datastructure's life cycle: opening (split, bins read, top level shown), closing
// (bins written, joined again), creating, copying, and the recent-files list. Commands:
// acOpenDataBase, acCreateDatabase, acSaveDatabaseAs, acAutoBackup,
// Template1, miLast1..miLast4 and the pmLastOpened menu of the Open button.
#include <QObject>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Navigation.h"
#include "mainwindow/Published.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/filecommands/FileCommandsInterface.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "mainwindow/graphiccard/GraphicCardInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/bins/BinsInterface.h"

class QAction;
class QMenu;

#include "mainwindow/Published.h"
#include "mainwindow/topics/TopicCommandsInterface.h"

namespace kiv {

class IWindowContext;
struct TWindowEvents;

// Datastructure-level card 2: the password (at most 15 bytes as stored), 0x01, the text
// bin's text. A 0x01 within the first 16 bytes ends a password. Earlier builds stored
// passwords outside Windows-1252 as UTF-8, past 15 bytes: a first line of at most 15
// characters before a 0x01 further on is such a password too, so it never shows in the
// text bin. Otherwise the password is empty and the whole card is the text bin.
constexpr size_t kPasswordSpan = 16;
struct TTextBinCard {
    std::string Password;
    std::string TextBin;
};
TTextBinCard SplitTextBinCard(std::string_view card);

class TDatastructureLife : public QObject, public IDatastructure {
    Q_OBJECT
public:
    explicit TDatastructureLife(IWindowContext& ctx);
    // Its commands, into the File menu, the Settings menu and the tool bar.
    void BuildComponents();
    // At the window's creation: the dialogs start in the program folder, the commands that
    // need a datastructure are disabled.
    void Prepare();
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);

    // Opens path as the datastructure (through the list of open datastructures). A
    // datastructure that is not there is reported by name and nothing is created: a link,
    // a recent file or a path handed over never makes a file.
    void OpenDatastructureFile(const std::string& path) override;
    // Opens path, making a new, empty datastructure when it is not there.
    void CreateDatastructureFile(const std::string& path);
    // While CreateDatastructureFile runs: the open may create what is missing.
    bool CreatingDatastructure() const { return creating_; }
    // True when the datastructure is open afterwards. A failure tells the user why and
    // leaves the files as they were; the datastructure open before stays open (or, when the
    // failure came after its close, is opened again).
    bool OpenDatastructure(const std::string& path, bool createWhenMissing);
    void CloseDatastructure() override;
    // From the question before a close until the next datastructure stands (or the switch
    // was refused): hand-overs wait meanwhile.
    bool Switching() const override { return switching_; }

    // While on, the cards' failed stores are only recorded, for UnstoredCards (and the one
    // question that names them) to tell.
    void SetQuietStoreFailures(bool on) override;
    // The cards in the panes that could not be stored, each named with its topic and reason.
    QStringList UnstoredCards() const;
    // The current topic is stored (failures quiet from here on); when a card cannot be
    // stored the user is asked, with anyway as the question, and No (false) keeps the text
    // and the datastructure, with failures told again.
    bool StoreCurrentTopicOrAsk(const QString& anyway) override;
    void OpenLastDatastructure(int n) override;
    // The panes and the commands that need an open datastructure follow on; the tool
    // bars' commands marked by UsableWithoutDatastructure stay enabled.
    void EnableDatastructureMenus(bool on);
    static void UsableWithoutDatastructure(QAction* toolBarAction);

    void acOpenDataBaseExecute();
    void acCreateDatabaseExecute(KivAction* Sender);
    void miLast4Click(int n);
    void pmLastOpenedPopup();
    void Template1Click();

    // The active panel's current topic appended to the current trail.
    void AddCurrentTopicToMarks() override;
    void SetTopicToMarks(std::function<void(TNavigator& trail)> add) override {
        topicToMarks_ = std::move(add);
    }
    // The handles of the open pair leave the panels and the bookmark, then close.
    void ReleaseOpenPair();
    // The datastructure-level cards from the bins, the text bin and the marks, as closing writes them.
    void WriteDatastructureCards() override;
    // "template.kiv" in the program folder, however the path spells it.
    static bool IsTemplate(const std::string& path);
    bool IsTemplatePath(const std::string& path) const override { return IsTemplate(path); }
    void TellUnreadCards(const std::string& unread) override;
    void AddFileItemsBeforeRecent(const std::vector<QAction*>& items) override;
    KivAction& SaveAsCommand() override { return *acSaveDatabaseAs; }
    QAction* TemplateItem() override { return Template1; }
    bool AutoBackup() const override { return acAutoBackup->Checked(); }
    void SetAutoBackup(bool on) override { acAutoBackup->SetChecked(on); }
    // A name for a new datastructure from the dialog, made absolute with ".kiv"; empty when
    // cancelled, or refused with a message: the open datastructure, the template, a pair
    // left open, or an existing file the user does not want replaced.
    std::string ChooseNewDatastructure(TSaveDialog& dialog) override;

    KivAction* acOpenDataBase = nullptr;
    KivAction* acCreateDatabase = nullptr;
    KivAction* acSaveDatabaseAs = nullptr;
    KivAction* acAutoBackup = nullptr;
    QAction* Template1 = nullptr;
    QAction* miLast1 = nullptr;
    QAction* miLast2 = nullptr;
    QAction* miLast3 = nullptr;
    QAction* miLast4 = nullptr;
    QMenu* pmLastOpened = nullptr;
    TOpenDialog odOpen;
    TSaveDialog sdSaveAs;

private:
    void acHideAllCardsExecute();
    // The open sequence; closed tells whether the datastructure open before was closed.
    bool SwitchTo(const std::string& path, bool createWhenMissing, bool& closed);
    // Its steps, in order. Checks made while the open datastructure still stands: false
    // (told) keeps it open and current.
    bool AcceptBeforeClose(const std::string& path, bool createWhenMissing);
    // The cards hidden and the open datastructure closed, what it could not write told.
    void CloseForSwitch();
    // The entry of path in the list of open datastructures, made current (added if new).
    TBookMarkPtr CurrentEntryFor(const std::string& path);
    void BackUpOnce(const std::string& path, TBookMark& entry);
    // The pair opened (split tells it was) and the datastructure-level cards read (what could
    // not be, in unreadCards); answers the outline's root nest.
    uint32_t OpenPair(const std::string& path, bool createWhenMissing, const TBookMarkPtr& entry,
                      bool& split, std::string& unreadCards);
    // The bookmark takes the pair and the path; the password lock follows it.
    void LoadBookMarkState(const std::string& path);
    // The top level in panel 1, with the focus.
    void LoadPanelOne(uint32_t rootNest);
    // A failed open released and told; the window shows no datastructure.
    void UndoFailedOpen(const std::string& path, bool split, std::optional<FlagGuard>& loading,
                        const std::string& why);
    // Stale copies swept, the recent files kept, what could not be read told, the event fired.
    void FinishOpen(const std::string& path, const std::string& unreadCards);
    // The bins, the text bin and the marks from the datastructure-level cards; what could not
    // be read (named, with why), empty when all was.
    std::string ReadDatastructureCards();
    // The recent-files list in the settings file, with path first.
    void RememberOpened(const std::string& path);
    void SetLastOpenedCaptions(const std::vector<std::string>& entries);
    // The list's current entry is the open datastructure's (none while none is open).
    void KeepOpenOneCurrent();
    void CreateDatastructureAs(const std::string& target);
    void SaveDatastructureAs(const std::string& target);

    IWindowContext& ctx_;
    TNeed<IPanels> panels_;
    TNeed<ITextCard> textCard_;
    TNeed<IGraphicCard> graphicCard_;
    TNeed<ILaunchCard> launch_;
    TNeed<IFileCommands> fileCommands_;
    TNeed<INavigationPath> nav_;
    TNeed<ITextBin> textBin_;
    TNeed<IResourceBin> resourceBin_;
    TNeed<ITemplateBin> templateBin_;
    TNeed<IBinsColumn> binsColumn_;
    TNeed<ITopicCommands> topics_;
    std::function<void(TNavigator& trail)> topicToMarks_;
    bool creating_ = false;
    bool switching_ = false;
    bool settingsReported_ = false;
    // An open tells what it could not read once.
    bool unreadTold_ = false;
};

}  // namespace kiv

#pragma once
// The commands on the topics of the current outline panel: inserting (before, after, as a
// child, beside the parent), cloning, joining and splitting, copying, cutting and pasting
// through the topic clipboard (also between datastructures), deleting into the Recycled
// Bin with the questions for locked topics, locking topics or whole branches, the pin card
// and the meta-data card; and the Recycled Bin's window. What is decided without a window
// lives in engine/core/TopicEdits.
//
// Commands: acInsertBefore, acInsertAfter, acAddTopic, acInsertChild, acInsertLeft,
// acToClone, acToJoin, acToSplit, acMarkToClipCard, acSetReadOnly, acSetReadOnlyBranch,
// acToPin, acShowPin, acShowMetaCard; the topic branch of acCopy, acCut, acPaste, acDelete, acSelectAll (the
// text card's commands); acShowRecycledBin.
//
// TopicCommands.cpp: the commands and their updates. TopicClipboard.cpp: copy, cut, paste,
// delete. RecycledTopics.cpp: the Recycled Bin's window and what its restores do to the
// panels. MetaCard.cpp: the meta-data card.
#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "dialogs/RecycledBinWindow.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TopicEdits.h"
#include "mainwindow/Published.h"
#include "mainwindow/autolaunch/AutoLaunchInterface.h"
#include "mainwindow/topics/TopicCommandsInterface.h"
#include "platform/qt/KivAction.h"

class QWidget;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TKivStringGrid;
class TSortGrid;
class IClipBin;
class IBinsColumn;
class IGraphicCard;
class IWaitPanel;
class ITextCard;
class INavigationPath;

class TTopicCommands : public QObject, public ITopicCommands {
    Q_OBJECT
public:
    // Phase 1: needs declared, nothing built.
    explicit TTopicCommands(IWindowContext& ctx);
    ~TTopicCommands() override;
    // The commands into the Edit menu and the window, the meta-data card's pane.
    void BuildComponents();
    void Subscribe(TWindowEvents& events);

    // ---- inserting ----
    // A new topic at position + offset of the current panel (beside it, or as the first
    // child of row position - 1), optionally ready for typing its caption.
    void InsertTopic(int position, bool asSibling, bool editMode, int offset) override;
    void RunInsertAfter() override { acInsertAfter->Execute(); }
    void acInsertBeforeExecute();
    void acInsertAfterExecute();
    void acInsertChildExecute();
    void acInsertLeftExecute();
    void acToCloneExecute();

    // ---- clipboard and delete (TopicClipboard.cpp) ----
    void CopyTopicsToClipboard();
    void acCopyTopics();
    void acCutTopics();
    void acPasteTopics();
    // The marked and current topics of the panel into the Recycled Bin, after the questions
    // for locked ones. Returns the items it took out.
    TItemArray DeleteTopic(TKivStringGrid* grid);
    // Whether a topic with that child nest would go into its own branch beside the current
    // topic of that panel.
    bool IsInOwnBranch(int32_t childNest, int panel, int row) const;
    const TTopicClipboard& Clipboard() const { return clipboard_; }

    // ---- locks ----
    void SetReadOnly(bool wholeBranch);

    // ---- the Recycled Bin (RecycledTopics.cpp) ----
    void acShowRecycledBinExecute();
    // The command's picture: 20 while a store holds topics, else 6.
    void UpdateRecycledBinImage();
    TfrmRecycledBin* RecycledBinWindow() const { return frmRecycledBin_; }

    // ---- the pin card (PinCard.cpp) ----
    // The row's text card kept in view in the pin card, beside the current topic's.
    void PinTopic(TKivStringGrid* grid, int row);
    // The pin card's text, when changed, to the pinned topic; false when that failed (told).
    bool SavePinCard();
    void acShowPinExecute();
    void btnClosePinCardClick();
    // Card directory and child nest of the pinned topic; directory 0: nothing pinned.
    TNestItem PinnedItem() const { return pinned_.Item(); }
    KivAction* acToPin = nullptr;
    KivAction* acShowPin = nullptr;

    // ---- the meta-data card (MetaCard.cpp) ----
    void acShowMetaCardExecute();
    void HideMetaCard() override;
    void SetMetaCardEnabled(bool on) override;
    void SetKeyGuard(std::function<bool()> mayRun) override { keyGuard_ = std::move(mayRun); }
    void SetBranchCopy(TBranchCopy copy) override { branchCopy_ = std::move(copy); }

    KivAction* acInsertBefore = nullptr;
    KivAction* acInsertAfter = nullptr;
    KivAction* acAddTopic = nullptr;
    KivAction* acInsertChild = nullptr;
    KivAction* acInsertLeft = nullptr;
    KivAction* acToClone = nullptr;
    KivAction* acToJoin = nullptr;
    KivAction* acToSplit = nullptr;
    KivAction* acMarkToClipCard = nullptr;
    KivAction* acSetReadOnly = nullptr;
    KivAction* acSetReadOnlyBranch = nullptr;
    KivAction* acShowMetaCard = nullptr;
    QWidget* pnlMetaCard = nullptr;
    TSortGrid* sgdMeta = nullptr;

    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildInsertCommands();
    void BuildMetaCard();
    void BuildPinCard();
    // The pin card edits a topic only while the text card does not show it too.
    void PinFollowsTopicLeaving(TKivStringGrid* grid, int row);
    void PinFollowsTopicShown(TKivStringGrid* grid, int row);
    void ReloadPinCard(bool readOnly);
    // The update event of the insert, clone and join commands: on with its shortcut while
    // a panel has the focus; the inserts also while a caption editor has it.
    void DescriptorUpdate(KivAction* a, const QKeySequence& key, bool inEditor);
    void TopicEditCommand(KivAction* a);
    // A command started by a key runs once per key press; from a menu it always runs.
    bool KeyGuardPasses();
    bool PanelFocused() const;
    bool CaptionEditorFocused() const;
    void ShowRestored(const TRestoreResult& r, TNavigator& trail);
    // Every shown panel reads its rows again from the file.
    void ReloadShownPanels();
    bool PutIntoActivePanel(const TItemArray& items);

    IWindowContext& ctx_;
    TNeed<IWaitPanel> wait_;
    TNeed<ITextCard> textCard_;
    TNeed<INavigationPath> navPath_;
    TNeed<IClipBin> clipBin_;
    TNeed<IBinsColumn> binsColumn_;
    TNeed<IGraphicCard> graphicCard_;
    std::function<bool()> keyGuard_;
    TBranchCopy branchCopy_;
    TNeed<IAutoLaunch> autoLaunch_;
    TNode pinned_;  // card directory and child nest set
    bool pinnedLocked_ = false;
    bool pinShown_ = false;
    TTopicClipboard clipboard_;
    QPointer<TfrmRecycledBin> frmRecycledBin_;
};

}  // namespace kiv

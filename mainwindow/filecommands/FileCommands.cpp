// Packing, saving branches, the template, external datastructures, the backup, the lock.
// Commands: acCompactDatabase, acSaveInNewDatabase, acDoAsTemplate, acLinkToExt,
// acUnlinkFromExt, acReturnToBackup, SetPassword1, EnterPassword1.
#include "mainwindow/filecommands/FileCommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <exception>
#include <random>
#include <vector>

#include "engine/core/BranchCopy.h"
#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/Navigation.h"
#include "engine/core/OutlineEdits.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/hoist/HoistingInterface.h"
#include "mainwindow/marks/MarksInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivStrings.h"
#include "dialogs/PasswordWindows.h"
#include "platform/core/LegacyText.h"
#include "platform/core/SamePath.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string TemplatePath() { return AppDir() + "template.kiv"; }

constexpr uint64_t kLargeCardFile = 15000000;
constexpr int kLargeHelpContext = 112;
// The fields take no more characters than the card holds bytes.
static_assert(kPasswordFieldLength == int(kMaxPasswordBytes));

// Every command of the menus under a menu, their sub-menus' included.
void CollectMenuActions(QMenu* menu, std::vector<QAction*>& out) {
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        out.push_back(a);
        if (a->menu()) CollectMenuActions(a->menu(), out);
    }
}
// The commands of the topics that UpdateTopicActions asks, by name.
const char* const kTopicActions[] = {"acDoAsTemplate", "acMarkToClipCard", "acToPin",
                                     "acToJoin",       "acToClone",        "acInsertBefore",
                                     "acInsertAfter",  "acToThreads",      "acToMarks",
                                     "acAddFile",      "acToSplit"};

}  // namespace

TFileCommands::TFileCommands(IWindowContext& ctx)
    : ctx_(ctx),
      launch_(ctx.Published()),
      datastructure_(ctx.Published()),
      waitPanel_(ctx.Published()),
      print_(ctx.Published()),
      nav_(ctx.Published()),
      hoist_(ctx.Published()),
      marks_(ctx.Published()),
      templateBin_(ctx.Published()),
      binsColumn_(ctx.Published()),
      topics_(ctx.Published()),
      panels_(ctx.Published()) {
    ctx.Published().Publish<IFileCommands>(*this);
    RandomDraw = [](int n) {
        static std::mt19937 gen{std::random_device{}()};
        return std::uniform_int_distribution<int>(0, n - 1)(gen);
    };
    OnRefreshNavigationPath = [this] { nav_->UpdateNavigationPath(); };
}

void TFileCommands::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    acCompactDatabase = Action(w, "acCompactDatabase", QStringLiteral("Pack Datastructure"));
    acCompactDatabase->OnExecute = [this](KivAction*) { acCompactDatabaseExecute(); };
    acSaveInNewDatabase =
        Action(w, "acSaveInNewDatabase", QStringLiteral("Save Selected Branch(s) As..."));
    acSaveInNewDatabase->OnExecute = [this](KivAction*) { acSaveInNewDatabaseExecute(); };
    acDoAsTemplate = Action(w, "acDoAsTemplate", QStringLiteral("Make New Template"));
    acDoAsTemplate->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    acDoAsTemplate->setAutoRepeat(false);  // once per key press
    acDoAsTemplate->OnExecute = [this](KivAction*) { acDoAsTemplateExecute(); };
    w->addAction(acDoAsTemplate);
    acLinkToExt = Action(w, "acLinkToExt", QStringLiteral("Link To External Datastructure..."));
    acLinkToExt->OnExecute = [this](KivAction*) { acLinkToExtExecute(); };
    acUnlinkFromExt =
        Action(w, "acUnlinkFromExt", QStringLiteral("Unlink From External Datastructure"));
    acUnlinkFromExt->OnExecute = [this](KivAction*) { acUnlinkFromExtExecute(); };
    acReturnToBackup = Action(w, "acReturnToBackup", QStringLiteral("Return To Backup"));
    acReturnToBackup->OnExecute = [this](KivAction*) { acReturnToBackupExecute(); };
    SetPassword1 = Item(w, "SetPassword1", QStringLiteral("Set Password"));
    connect(SetPassword1, &QAction::triggered, this,
            [this] { GuardCall([this] { SetPassword1Click(); }); });
    EnterPassword1 = Item(w, "EnterPassword1", QStringLiteral("Enter Password"));
    EnterPassword1->setEnabled(false);
    connect(EnterPassword1, &QAction::triggered, this,
            [this] { GuardCall([this] { EnterPassword1Click(); }); });

    // Before the recent files, as a group of their own.
    datastructure_->AddFileItemsBeforeRecent({acSaveInNewDatabase, acCompactDatabase,
                                              acDoAsTemplate, acLinkToExt, acUnlinkFromExt,
                                              acReturnToBackup, SetPassword1, EnterPassword1});

    for (KivAction* a :
         {&datastructure_->SaveAsCommand(), acSaveInNewDatabase, &print_->PrintCommand(),
          acCompactDatabase, acLinkToExt, acUnlinkFromExt, acDoAsTemplate})
        HoldDisabledWhileLocked(a);
    // The cover lies over the client area only: the menu bar, with Enter Password, stays usable.
    pnlHider = Panel(w->centralWidget(), "pnlHider");
    pnlHider->setAutoFillBackground(true);
    pnlHider->hide();

    // The active panel changes: the topic commands look again.
    for (TKivStringGrid* g : PanelsManager().Panels) {
        auto previous = g->OnPanelChanged;
        g->OnPanelChanged = [this, previous](TKivStringGrid* s, int o, int n) {
            if (previous) previous(s, o, n);
            UpdateTopicActions();
        };
    }

    sdSaveBranches.Title = QStringLiteral("Save Selected Branch(s) As");
    sdSaveBranches.Filter = QStringLiteral("KIV Datastructures (*.kiv)|*.kiv");
    sdSaveBranches.DefaultExt = QStringLiteral("kiv");
    odExternal.Title = QStringLiteral("Link To External Datastructure");
    odExternal.Filter = QStringLiteral("KIV Datastructures (*.kiv)|*.kiv");
    odExternal.FileMustExist = true;
    w->installEventFilter(this);
    GuardCall([this] { LoadTemplateBin(); });
}

void TFileCommands::HoldDisabledWhileLocked(KivAction* a) {
    heldActions_.insert(a);
    auto previous = a->OnUpdate;
    a->OnUpdate = [this, previous](KivAction* s) {
        if (previous) previous(s);
        if (locked_) s->SetEnabled(false);
    };
}

namespace {

// Counts a copy from the open pair for its scope.
class TCopyingGuard {
public:
    explicit TCopyingGuard(int& depth) : depth_(depth) { ++depth_; }
    ~TCopyingGuard() { --depth_; }
    TCopyingGuard(const TCopyingGuard&) = delete;
    TCopyingGuard& operator=(const TCopyingGuard&) = delete;

private:
    int& depth_;
};

// The pane's failed stores are told again when the command is done.
struct TLoudAgain {
    IDatastructure& life;
    ~TLoudAgain() { life.SetQuietStoreFailures(false); }
};

}  // namespace

std::function<void()> TFileCommands::CopyProgress() {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return [clock, every = ProgressEveryMs] {
        if (clock->elapsed() < every) return;
        QCoreApplication::processEvents();
        clock->restart();
    };
}

bool TFileCommands::TakeSelectedTopics(TItemArray& items) {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!ctx_.DatastructureOpen() || !g || !g->IsRowValid(g->CurrentRow())) return false;
    // The caption being typed and the cards in the panes go into the file first.
    ctx_.FlushCurrentRow();
    items = g->Nester->GetMarkedItems(true);
    return !items.empty();
}

// ---- pack ----

namespace {

void CopyMarks(const TQuickJump& from, TQuickJump& to) {
    for (int i = 0; i < from.Count(); ++i) to.AddNavigator()->Assign(*from.Navigator(i));
    to.SetCurrentIndex(from.CurrentIndex());
}

}  // namespace

void TFileCommands::acCompactDatabaseExecute() {
    if (!ctx_.DatastructureOpen() || !ctx_.Open().BookMark) return;
    const std::string path = PanelsManager().DatastructurePath;
    if (ctx_.Skeleton().pnlKiv->isHidden()) ctx_.Skeleton().pnlKiv->show();
    RemoveDatastructureFiles(PackTempName(path));
    if (ctx_.Open().BookMark->IsHoisted()) hoist_->DehoistTo(0);
    // The pack closes the datastructure: a card that cannot be stored is asked about first.
    const TLoudAgain loud{*datastructure_};
    if (!datastructure_->StoreCurrentTopicOrAsk(
            QStringLiteral("Pack the datastructure anyway? What could not be stored is lost.")))
        return;
    // The marks as a close would store them (the current thread ends on the current topic),
    // re-pointed into the copy; the window's own lists are read again from it.
    TQuickJump threads, quickJumps;
    CopyMarks(ctx_.Open().BookMark->Threads, threads);
    CopyMarks(ctx_.Open().BookMark->QuickJumps, quickJumps);
    if (TNavigatorPtr current = threads.Navigator(threads.CurrentIndex());
        current && ctx_.Open().Navigator)
        marks_->AddCurrentTopicToMarks(*current);
    TPackMarks marks{&threads, &quickJumps};
    TWaitMessage wait(*waitPanel_, QStringLiteral("Packing ..., Please Wait"));
    // The text bin, the password and the launch bin as they stand now go with the copy.
    datastructure_->WriteDatastructureCards();
    {
        const TCopyingGuard copying(copying_);
        BuildPackedCopy({ctx_.Pair().Outline.get(), ctx_.Pair().Cards.get()}, path, CopyProgress(),
                        &marks);
    }

    const TBookMarkPtr bookMark = ctx_.Open().BookMark;
    std::exception_ptr failure;
    try {
        datastructure_->CloseDatastructure();
    } catch (...) {
        failure = std::current_exception();
    }
    ctx_.Open().Navigator = nullptr;
    // Read again from the file that is opened: the copy's, re-pointed, or (when the copy
    // did not replace it) the old file's, which the close stored.
    bookMark->Threads.Clear();
    bookMark->QuickJumps.Clear();
    bookMark->MarksPending = true;
    // A datastructure that could not be closed whole keeps its file; the copy stays beside it.
    if (!failure) {
        try {
            ReplaceWithPackedCopy(path);
            marks_->NoteDroppedMarks(marks.ThreadsDropped, marks.QuickJumpsDropped);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    datastructure_->OpenDatastructureFile(path);
    LoadTemplateBin();
    if (failure) std::rethrow_exception(failure);
}

// ---- save branches ----

void TFileCommands::acSaveInNewDatabaseExecute() {
    if (!ctx_.DatastructureOpen() || !ctx_.Open().BookMark) return;
    const std::string target = datastructure_->ChooseNewDatastructure(sdSaveBranches);
    if (target.empty()) return;
    TItemArray items;
    if (!TakeSelectedTopics(items)) return;
    TWaitMessage wait(*waitPanel_, QStringLiteral("Copying ..., Please Wait"));
    const TCopyingGuard copying(copying_);
    SaveBranchesAs({ctx_.Pair().Outline.get(), ctx_.Pair().Cards.get()}, items, target,
                   CopyProgress());
}

// ---- the template ----

void TFileCommands::acDoAsTemplateExecute() {
    if (!ctx_.DatastructureOpen() || !ctx_.Open().BookMark ||
        datastructure_->IsTemplatePath(ctx_.Open().BookMark->Path))
        return;
    TItemArray items;
    if (!TakeSelectedTopics(items)) return;
    {
        TWaitMessage wait(*waitPanel_, QStringLiteral("Templating ..., Please Wait"));
        const TCopyingGuard copying(copying_);
        AppendBranchesTo({ctx_.Pair().Outline.get(), ctx_.Pair().Cards.get()}, items,
                         TemplatePath(), CopyProgress());
    }
    LoadTemplateBin();
}

int TFileCommands::CopyBranchesIntoOutline(TKivStringGrid* grid, int pos,
                                           const std::string& sourcePath, const TItemArray& items) {
    if (!ctx_.DatastructureOpen() || !grid || items.empty()) return 0;
    const TPairFiles open{ctx_.Pair().Outline.get(), ctx_.Pair().Cards.get()};
    // Another datastructure is read where it stands; it is not split, not written.
    std::unique_ptr<TSourceDatastructure> other;
    TPairFiles src = open;
    if (!SamePath(sourcePath, PanelsManager().DatastructurePath)) {
        try {
            other = std::make_unique<TSourceDatastructure>(sourcePath);
        } catch (const std::exception&) {
            return 0;
        }
        src = other->Files();
    }
    ctx_.FlushCurrentRow();
    // The copy lets events run: the pair (and the source) must stay open under it.
    const TBusyGuard busy(ctx_.BusyCounter());
    const TCopyingGuard copying(copying_);
    TCloneTable clones;
    const auto progress = CopyProgress();
    int copied = 0;
    for (const TNestItem& item : items) {
        const int at = pos + copied;
        if (grid->InsertTopics(TItemArray{TNestItem{}}, at, true, true, 0) == 0) break;
        const int row = grid->CurrentRow();
        const uint32_t parent = grid->Nester->ParentNest(row);
        const int index = grid->Nester->NestIndex(row) >= 0 ? grid->Nester->NestIndex(row)
                                                            : grid->Nester->SiblingIndex(row);
        const TNestItem copy =
            CopyBranch(src, item, open, clones, parent, uint32_t(index), progress);
        if (!SetNestItem(open.Outline, parent, index, copy))
            throw ENesterError("Datastructure is corrupted, can't save nest item");
        ReloadRow(*grid->Nester, row);
        ++copied;
    }
    FixCloneMarks(clones, open.Cards);
    if (TKivStringGrid* g = ctx_.CurrentGrid(); g && g->IsRowValid(g->CurrentRow())) {
        g->Nester->ReloadRowItem(g->CurrentRow());
        g->DrawRow(g->CurrentRow());
    }
    grid->RowsChanged(0);
    PanelsManager().RefreshPanelsFrom(grid->Tag);
    ctx_.ReloadCurrentRow();
    return copied;
}

void TFileCommands::LoadTemplateBin() {
    templateBin_->ClearTemplates();
    if (!FileExists(TemplatePath())) return;
    std::vector<TTopTopic> tops;
    try {
        TSourceDatastructure src(TemplatePath());
        tops = ReadTopTopics(src.Files());
    } catch (const std::exception&) {
        return;  // a template that cannot be read lists nothing
    }
    for (const TTopTopic& t : tops) {
        templateBin_->AddTemplate({t.RootNest, t.Item.CardDir, t.Item.ChildNest},
                                  StoredToText(ShortCaption(t.Caption, kShortCaptionLength)));
    }
}

// ---- external datastructures ----

void TFileCommands::acLinkToExtExecute() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!ctx_.DatastructureOpen() || !g || !g->IsRowValid(g->CurrentRow())) return;
    ctx_.FlushCurrentRow();
    const int row = g->CurrentRow();
    if (g->Nester->ChildNest(row) >= 1) {
        MessageDlg(
            QStringLiteral(
                "Desrciptor must not to have a branch in order to link to external KIV datastructure."),
            MsgType::Warning, MsgButtons::OK);
        return;
    }
    if (odExternal.InitialDir.isEmpty()) odExternal.InitialDir = Q(AppDir());
    if (!odExternal.Execute()) return;
    const std::string target = QFileInfo(odExternal.FileName).absoluteFilePath().toStdString();
    // Stored as the Windows program reads it: in Windows-1252 where that holds the name.
    if (!g->Nester->Cards().WriteRowCard(kCardExternal, row,
                                         MakeRelativePath(RelativePathBase(),
                                                          LegacyText::Encode(target))))
        throw ENesterError(
            "Datastructure is corrupted, the topic's card directory has no room for the link");
    g->Nester->SetChildNest(row, -1);
    if (!g->Nester->SaveRowItem(row))
        throw ENesterError("Datastructure is corrupted, can't save nest item");
    g->DrawRow(row);
    PanelsManager().RefreshPanelsFrom(g->Tag);
}

void TFileCommands::acUnlinkFromExtExecute() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!ctx_.DatastructureOpen() || !g || !g->IsRowValid(g->CurrentRow())) return;
    const int row = g->CurrentRow();
    if (g->Nester->ChildNest(row) != -1) return;
    ctx_.FlushCurrentRow();
    if (!g->Nester->Cards().WriteRowCard(kCardExternal, row, ""))
        throw ENesterError("Datastructure is corrupted, the topic's link could not be removed");
    g->Nester->SetChildNest(row, 0);
    if (!g->Nester->SaveRowItem(row))
        throw ENesterError("Datastructure is corrupted, can't save nest item");
    g->DrawRow(row);
    PanelsManager().RefreshPanelsFrom(g->Tag);
}

// ---- the backup ----

void TFileCommands::acReturnToBackupExecute() {
    if (!ctx_.DatastructureOpen() || !ctx_.Open().BookMark) return;
    const TBookMarkPtr bookMark = ctx_.Open().BookMark;
    const std::string path = bookMark->Path;
    const std::string backup = BackupFileName(path);
    if (!FileExists(backup)) return;
    // The backup is as old as this run's first open: what was done since goes with it.
    if (MessageDlg(
            QStringLiteral(
                "Replace \"%1\" with its backup? Every change made since the backup was taken is lost.")
                .arg(QFileInfo(Q(path)).fileName()),
            MsgType::Confirmation, MsgButtons::YesNo) != IDYES)
        return;
    const TLoudAgain loud{*datastructure_};
    if (!datastructure_->StoreCurrentTopicOrAsk(
            QStringLiteral("Return to the backup anyway? What could not be stored is lost.")))
        return;
    datastructure_->CloseDatastructure();
    // One rename puts the copy in place: the datastructure is the old file or the backup.
    WriteFileAtomic(path, ReadWholeFile(backup));
    bookMark->MarksPending = true;
    datastructure_->OpenDatastructureFile(path);
    LoadTemplateBin();
}

// ---- the password ----

void TFileCommands::Subscribe(TWindowEvents& events) {
    // A paste from another datastructure and a template's drop copy through the file commands.
    const auto copy = [this](TKivStringGrid* grid, int pos, const std::string& sourcePath,
                             const TItemArray& items) {
        return CopyBranchesIntoOutline(grid, pos, sourcePath, items);
    };
    topics_->SetBranchCopy(copy);
    panels_->SetBranchCopy(copy);
    events.DatastructureClosing.Subscribe(
        [this] { closingPath_ = PanelsManager().DatastructurePath; });
    events.DatastructureClosed.Subscribe([this] {
        // The template bin's addresses follow what was done to the template as the datastructure.
        const std::string closed = std::exchange(closingPath_, std::string());
        if (!closed.empty() && datastructure_->IsTemplatePath(closed)) LoadTemplateBin();
        // Nothing is left to protect.
        SetPasswordLock(false);
    });
    // Now and then, a large card file is worth packing.
    events.DatastructureOpened.Subscribe([this] { WarnLargeDatastructure(); });
}

void TFileCommands::SetPasswordLock(bool locked) {
    locked_ = locked;
    TWindowSkeleton& k = ctx_.Skeleton();
    QMainWindow& w = ctx_.Window();
    pnlHider->setGeometry(0, 0, w.width(), w.height());  // clipped to the client area
    pnlHider->setVisible(locked);
    if (locked) pnlHider->raise();
    // Every menu but File goes (the named ones and those other rooms added: search, links),
    // with its commands, whose shortcuts would otherwise still reach the protected topics.
    if (locked && lockedStates_.empty()) {
        std::vector<QAction*> held;
        for (QAction* top : k.MainMenu1->actions()) {
            if (!top->menu() || top->menu() == k.File1) continue;
            held.push_back(top);
            CollectMenuActions(top->menu(), held);
        }
        for (QAction* a : {k.View1->menuAction(), k.Cards1->menuAction()}) held.push_back(a);
        std::set<QAction*> seen;
        for (QAction* a : held) {
            if (!seen.insert(a).second) continue;
            lockedStates_.emplace_back(a, a->isEnabled());
            if (auto* ka = qobject_cast<KivAction*>(a); ka && !heldActions_.count(ka))
                HoldDisabledWhileLocked(ka);
            a->setEnabled(false);
        }
    } else if (!locked) {
        // Menus rebuilt meanwhile took their old items with them.
        for (const auto& [a, enabled] : lockedStates_)
            if (a) a->setEnabled(enabled);
        lockedStates_.clear();
        KivAction::ScheduleUpdate();
    }
    // Besides the named commands, those that read or change the protected topics.
    for (QAction* a :
         {static_cast<QAction*>(&datastructure_->SaveAsCommand()),
          static_cast<QAction*>(acSaveInNewDatabase), SetPassword1, datastructure_->TemplateItem(),
          static_cast<QAction*>(&print_->PrintCommand()), static_cast<QAction*>(acCompactDatabase),
          static_cast<QAction*>(acLinkToExt), static_cast<QAction*>(acUnlinkFromExt)})
        a->setEnabled(!locked);
    acDoAsTemplate->SetEnabled(
        !locked &&
        !(ctx_.Open().BookMark && datastructure_->IsTemplatePath(ctx_.Open().BookMark->Path)));
    // Covered is not enough: what lies under the cover takes no key and no click.
    for (QWidget* p : {k.pnlKiv, k.pnlCards, k.pnlBins, launch_->CardPanel()})
        if (p) p->setEnabled(!locked);
    binsColumn_->SetPasswordLocked(locked);
    topics_->SetMetaCardEnabled(!locked);
    if (locked) {
        acReturnToBackup->SetEnabled(false);
    } else {
        acReturnToBackup->SetEnabled(ctx_.Open().BookMark &&
                                     FileExists(BackupFileName(ctx_.Open().BookMark->Path)));
    }
    EnterPassword1->setEnabled(locked);
    if (locked) OfferPasswordEntry();
    else if (frmEnterPassword && frmEnterPassword->isVisible()) frmEnterPassword->reject();
}

void TFileCommands::OfferPasswordEntry() {
    // Once the open that locked has finished, and only over a window the user sees (a
    // window shown later offers it when it shows).
    if (askPending_) return;
    askPending_ = true;
    QTimer::singleShot(0, this, [this] {
        askPending_ = false;
        GuardCall([this] {
            if (locked_ && ctx_.Window().isVisible()) EnterPassword1Click();
        });
    });
}

bool TFileCommands::eventFilter(QObject* watched, QEvent* e) {
    if (watched == &ctx_.Window() && e->type() == QEvent::Show && locked_) OfferPasswordEntry();
    // The cover follows the window's size.
    if (watched == &ctx_.Window() && e->type() == QEvent::Resize && pnlHider)
        pnlHider->setGeometry(0, 0, ctx_.Window().width(), ctx_.Window().height());
    return QObject::eventFilter(watched, e);
}

// The card holds 15 bytes of password in Windows-1252, as the Windows program reads it; a
// password that cannot be stored so is refused, never stored mangled.
std::optional<std::string> TFileCommands::StoredPassword(const QString& typed) {
    std::string cp1252;
    if (!LegacyText::Utf8ToCp1252(typed.toStdString(), cp1252) ||
        cp1252.size() > kMaxPasswordBytes || cp1252.find('\x01') != std::string::npos) {
        MessageDlg(
            QStringLiteral(
                "The password can hold only Western European (Windows-1252) letters, digits and "
                "signs, at most %1 of them. The password stays as it was.")
                .arg(int(kMaxPasswordBytes)),
            MsgType::Warning, MsgButtons::OK);
        return std::nullopt;
    }
    return cp1252;
}

void TFileCommands::SetPassword1Click() {
    if (!ctx_.DatastructureOpen() || !ctx_.Open().BookMark || locked_) return;
    if (!frmSetPassword) {
        frmSetPassword = new TfrmSetPassword(&ctx_.Window());
        frmSetPassword->StoredForm = [this](const QString& typed) { return StoredPassword(typed); };
    }
    frmSetPassword->SetBookMark(ctx_.Open().BookMark);
    // Modal to the main window, without a loop of its own.
    frmSetPassword->open();
}

void TFileCommands::EnterPassword1Click() {
    if (!locked_ || !ctx_.Open().BookMark) return;
    if (!frmEnterPassword) {
        frmEnterPassword = new TfrmEnterPassword(&ctx_.Window());
        frmEnterPassword->PasswordAccepted = [this] { SetPasswordLock(false); };
    }
    frmEnterPassword->SetBookMark(ctx_.Open().BookMark);
    if (frmEnterPassword->isVisible()) {
        frmEnterPassword->raise();
        return;
    }
    frmEnterPassword->open();
}

void TFileCommands::WarnLargeDatastructure() {
    // Not over the password entry, which a locked datastructure waits for.
    if (!ctx_.Window().isVisible() || locked_ || !ctx_.Open().BookMark ||
        !ctx_.Open().BookMark->MarksPending)
        return;
    if (!ctx_.DatastructureOpen() || ctx_.Pair().Cards->Size() <= kLargeCardFile) return;
    if (RandomDraw(10) != 1) return;
    MessageDlg(
        QStringLiteral(
            "This file is now quite large; it may require packing (File/Pack Datastrucuture) to work more efficiently."),
        MsgType::Information, MsgButtons::OK, kLargeHelpContext, true);
}

void TFileCommands::NavigatorNodeAdded(TNavigator* Sender) {
    if (Sender && Sender == ctx_.Open().Navigator.get() && OnRefreshNavigationPath)
        OnRefreshNavigationPath();
}

void TFileCommands::NavigatorNodesDeleted(TNavigator* Sender) { NavigatorNodeAdded(Sender); }

void TFileCommands::UpdateTopicActions() {
    for (const char* name : kTopicActions)
        if (auto* a = ctx_.Actions().Find(QString::fromLatin1(name))) a->Update();
}

}  // namespace kiv

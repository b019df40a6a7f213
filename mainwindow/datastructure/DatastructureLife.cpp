// Opening, closing, creating and copying the datastructure, and the recent-files list.
// Commands: acOpenDataBase, acCreateDatabase, acSaveDatabaseAs, acAutoBackup,
// Template1, miLast1..miLast4, pmLastOpened.
#include "mainwindow/datastructure/DatastructureLife.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QListWidget>
#include <QMenu>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <exception>
#include <optional>

#include "engine/core/BranchCopy.h"
#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/RecycledBin.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/KivSettings.h"
#include "engine/core/Marks.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "mainwindow/graphiccard/GraphicCardInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/SamePath.h"
#include "platform/core/StoredPath.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

std::string FileNameOf(const std::string& path) {
    size_t p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtensionOf(const std::string& path) {
    const std::string name = FileNameOf(path);
    size_t p = name.rfind('.');
    return p == std::string::npos ? std::string() : name.substr(p);
}

std::string TemplatePath() { return AppDir() + "template.kiv"; }

}  // namespace

bool TDatastructureLife::IsTemplate(const std::string& path) {
    if (SamePath(path, TemplatePath())) return true;
    // The same file name in the program folder, spelt otherwise.
    const std::string folder = path.substr(0, path.size() - FileNameOf(path).size());
    return SamePath(folder, AppDir()) && LowerCase(FileNameOf(path)) == "template.kiv";
}

namespace {

// Passes the checks the split makes: an open pair, or a joined file with a sound trailer.
bool PassesDatastructureChecks(const std::string& path) {
    return FileExists(path) && WhyNotADatastructure(path).empty();
}

// The joined form of a new, empty datastructure: 4 bytes of cards, 8 of outline, trailer.
std::string EmptyJoinedDatastructure() {
    std::string s(12, '\0');
    AppendU32(s, 8);
    AppendU32(s, kMinJoinedSize);
    return s;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr const char* kUsableWithoutDatastructure = "UsableWithoutDatastructure";

}  // namespace

TTextBinCard SplitTextBinCard(std::string_view card) {
    const size_t p = card.find('\x01');
    if (p == std::string_view::npos) return {std::string(), std::string(card)};
    const std::string_view head = card.substr(0, p);
    // A password stands in the card's first 16 bytes; a longer head is one of earlier builds
    // when it is one line of at most 15 characters, else it is text.
    const bool password =
        p < kPasswordSpan ||
        (head.find_first_of("\r\n") == std::string_view::npos &&
         QString::fromStdString(LegacyText::Decode(head)).size() <= qsizetype(kMaxPasswordBytes));
    if (!password) return {std::string(), std::string(card)};
    return {std::string(head), std::string(card.substr(p + 1))};
}

// ---- components ----

TDatastructureLife::TDatastructureLife(IWindowContext& ctx)
    : ctx_(ctx),
      panels_(ctx.Published()),
      textCard_(ctx.Published()),
      graphicCard_(ctx.Published()),
      launch_(ctx.Published()),
      fileCommands_(ctx.Published()),
      nav_(ctx.Published()),
      textBin_(ctx.Published()),
      resourceBin_(ctx.Published()),
      templateBin_(ctx.Published()),
      binsColumn_(ctx.Published()),
      topics_(ctx.Published()) {
    ctx.Published().Publish<IDatastructure>(*this);
}

void TDatastructureLife::Subscribe(TWindowEvents& events) {
    // The open datastructure's first topic goes into the panes.
    events.DatastructureOpened.Subscribe(
        [this] { GuardCall([this] { ctx_.ReloadCurrentRow(); }); });
}

void TDatastructureLife::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    acOpenDataBase = Action(w, "acOpenDataBase", QStringLiteral("Open Datastructure or File..."));
    acOpenDataBase->OnExecute = [this](KivAction*) { acOpenDataBaseExecute(); };
    acCreateDatabase = Action(w, "acCreateDatabase", QStringLiteral("Create New Datastructure..."));
    acCreateDatabase->OnExecute = [this](KivAction* a) { acCreateDatabaseExecute(a); };
    acSaveDatabaseAs = Action(w, "acSaveDatabaseAs", QStringLiteral("Save Datastructure As..."));
    acSaveDatabaseAs->OnExecute = [this](KivAction* a) { acCreateDatabaseExecute(a); };
    acAutoBackup = Action(w, "acAutoBackup", QStringLiteral("Datastructures Auto Backup"), true);
    acAutoBackup->AutoCheck = true;
    acAutoBackup->OnExecute = [](KivAction*) {};

    k.File1->addAction(acOpenDataBase);
    k.File1->addAction(acCreateDatabase);
    k.File1->addAction(acSaveDatabaseAs);
    Template1 = Item(w, "Template1", QStringLiteral("Template"));
    connect(Template1, &QAction::triggered, this,
            [this] { GuardCall([this] { Template1Click(); }); });
    k.File1->addAction(Template1);
    k.File1->addSeparator();
    QAction** last[4] = {&miLast1, &miLast2, &miLast3, &miLast4};
    const char* lastNames[4] = {"miLast1", "miLast2", "miLast3", "miLast4"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = Item(w, lastNames[i], QString::number(i + 1) + QLatin1Char(' '));
        a->setData(i + 1);  // the item's Tag
        connect(a, &QAction::triggered, this,
                [this, a] { GuardCall([this, a] { miLast4Click(a->data().toInt()); }); });
        k.File1->addAction(a);
        *last[i] = a;
    }
    k.Settings1->addAction(acAutoBackup);

    pmLastOpened = Named(new QMenu(w), "pmLastOpened");
    connect(pmLastOpened, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { pmLastOpenedPopup(); }); });
    auto* open = Named(new QToolButton(k.tbModes), "btnOpen");
    open->setDefaultAction(acOpenDataBase);
    open->setText(QStringLiteral("Open"));
    open->setMenu(pmLastOpened);
    open->setPopupMode(QToolButton::MenuButtonPopup);
    UsableWithoutDatastructure(k.tbModes->addWidget(open));

    odOpen.Title = QStringLiteral("Open Datastructure or File");
    odOpen.Filter = QStringLiteral("KIV Datastructures (*.kiv)|*.kiv|All files (*.*)|*");
    odOpen.FileMustExist = true;
    sdSaveAs.Filter = QStringLiteral("KIV Datastructures (*.kiv)|*.kiv");
    sdSaveAs.DefaultExt = QStringLiteral("kiv");
}

void TDatastructureLife::Prepare() {
    odOpen.InitialDir = QString::fromStdString(AppDir());
    // Deleted topics are stored before they leave their nests, not only at the close.
    SetRecycledStoreWriter([] {
        if (PanelsManagerExists()) WriteRecycledCards(PanelsManager().DBCards);
    });
}

// ---- the open pair ----

void TDatastructureLife::ReleaseOpenPair() {
    if (PanelsManagerExists()) {
        TKivPanelsManager& pm = PanelsManager();
        // No row may stay over handles that are about to close.
        for (TKivStringGrid* g : {panels_->Panel(1), panels_->Panel(2), panels_->Panel(3)}) {
            if (!g || !g->Nester) continue;
            if (g->Nester->RowCount() > 0 || g->Nester->RootNest != 0) {
                g->Nester->Clear();
                g->Nester->RootNest = 0;
                g->ExternalPath.clear();
                g->RowsChanged(0);
            }
        }
        pm.SetNestFile(nullptr);
        pm.SetCardFile(nullptr);
        pm.DBCards.DirAddress = 0;
        pm.SetDatastructurePath("");
    }
    if (ctx_.Open().BookMark) {
        ctx_.Open().BookMark->OutlineFile = nullptr;
        ctx_.Open().BookMark->SetCardFile(nullptr);
    }
    ctx_.Pair().Outline.reset();
    ctx_.Pair().Cards.reset();
}

void TDatastructureLife::UsableWithoutDatastructure(QAction* a) {
    a->setProperty(kUsableWithoutDatastructure, true);
}

void TDatastructureLife::EnableDatastructureMenus(bool on) {
    ctx_.Skeleton().pnlCards->setEnabled(on);
    ctx_.Skeleton().pnlKiv->setEnabled(on);
    // A refused open must not take away the way to open another: the tool bars stay, only
    // their commands that need a datastructure follow.
    for (QToolBar* bar : {ctx_.Skeleton().tbModes, ctx_.Skeleton().tbBins})
        for (QAction* a : bar->actions())
            if (!a->property(kUsableWithoutDatastructure).toBool()) a->setEnabled(on);
    ctx_.Skeleton().View1->setEnabled(on);
    ctx_.Skeleton().Cards1->setEnabled(on);
    acSaveDatabaseAs->SetEnabled(on);
}

namespace {

// A local datastructure that is there: its file, or the pair an interrupted close left.
bool DatastructureExists(const std::string& path) {
    return StoredPathExists(path) || StoredPathExists(CardFileName(path));
}

void ReportMissingDatastructure(const std::string& path) {
    MessageDlg(QStringLiteral("The datastructure \"%1\" does not exist.").arg(Q(path)),
               MsgType::Error, MsgButtons::OK);
}

void ReportNotOpened(const std::string& why, const std::string& path) {
    MessageDlg(QString::fromUtf8(why) +
                   QStringLiteral("\n\nThe datastructure \"%1\" was not opened.").arg(Q(path)),
               MsgType::Error, MsgButtons::OK);
}

}  // namespace

void TDatastructureLife::CreateDatastructureFile(const std::string& path) {
    const FlagGuard creating(creating_);
    OpenDatastructureFile(path);
}

void TDatastructureLife::OpenDatastructureFile(const std::string& path) {
    if (!creating_ && UpperCase(ExtensionOf(path)) == ".KIV" && !DatastructureExists(path)) {
        ReportMissingDatastructure(path);
        return;
    }
    const bool listed = InterBase().IndexOfPath(path) >= 0;
    const TBookMarkPtr before = ctx_.DatastructureOpen() ? ctx_.Open().BookMark : nullptr;
    InterBase().Open(path);
    if (ctx_.DatastructureOpen() && ctx_.Open().BookMark &&
        SamePath(ctx_.Open().BookMark->Path, path))
        return;
    // Refused: an entry made only for this attempt does not stay in the list.
    if (!listed) {
        const int i = InterBase().IndexOfPath(path);
        if (i >= 0 && InterBase().BookMark(i) != before) InterBase().Delete(i);
    }
    KeepOpenOneCurrent();
    // The strip of open datastructures was filled while the entry still stood.
    GuardCall([this] { nav_->DatastructureChanged(); });
}

void TDatastructureLife::KeepOpenOneCurrent() {
    int open = -1;
    if (ctx_.DatastructureOpen() && ctx_.Open().BookMark)
        for (int i = 0; i < InterBase().Count(); ++i)
            if (InterBase().BookMark(i) == ctx_.Open().BookMark) open = i;
    InterBase().SetCurrentIndex(open);
}

void TDatastructureLife::SetQuietStoreFailures(bool on) {
    textCard_->SetQuietStoreFailures(on);
    graphicCard_->SetQuietStoreFailures(on);
    launch_->SetQuietStoreFailures(on);
}

QStringList TDatastructureLife::UnstoredCards() const {
    QStringList unstored;
    for (const QString& card :
         {textCard_->UnstoredCard(), graphicCard_->UnstoredCard(), launch_->UnstoredCard()})
        if (!card.isEmpty()) unstored << card;
    return unstored;
}

bool TDatastructureLife::StoreCurrentTopicOrAsk(const QString& anyway) {
    SetQuietStoreFailures(true);
    ctx_.FlushCurrentRow();
    const QStringList unstored = UnstoredCards();
    if (unstored.isEmpty()) return true;
    const QString question = unstored.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + anyway;
    if (MessageDlg(question, MsgType::Warning, MsgButtons::YesNo) == IDYES) return true;
    SetQuietStoreFailures(false);
    return false;
}

bool TDatastructureLife::OpenDatastructure(const std::string& path, bool createWhenMissing) {
    const std::string previous =
        ctx_.DatastructureOpen() && ctx_.Open().BookMark ? ctx_.Open().BookMark->Path : "";
    bool closed = false;
    const bool opened = SwitchTo(path, createWhenMissing, closed);
    // What failed only after the open one was closed: that one comes back.
    if (!opened && closed && !previous.empty() && !SamePath(previous, path))
        GuardCall([&] { OpenDatastructureFile(previous); });
    return opened;
}

bool TDatastructureLife::SwitchTo(const std::string& path, bool createWhenMissing, bool& closed) {
    if (!AcceptBeforeClose(path, createWhenMissing)) return false;
    // Asked again from inside a switch (from its question's event loop): the switch goes on alone.
    if (switching_) return false;
    const FlagGuard switching(switching_);
    struct LoudAgain {
        TDatastructureLife* life;
        ~LoudAgain() { life->SetQuietStoreFailures(false); }
    };
    std::optional<LoudAgain> loud;
    if (ctx_.DatastructureOpen()) {
        loud.emplace(LoudAgain{this});
        if (!StoreCurrentTopicOrAsk(QStringLiteral(
                "Close the datastructure anyway? What could not be stored is lost."))) {
            KeepOpenOneCurrent();
            return false;
        }
    }
    closed = true;
    CloseForSwitch();
    // Until the new outline stands, row changes of the panels are not topic changes.
    std::optional<FlagGuard> loading(std::in_place, ctx_.Open().Loading);
    nav_->SetNavigateMode(QStringLiteral("whole"));
    const TBookMarkPtr entry = CurrentEntryFor(path);
    BackUpOnce(path, *entry);

    bool split = false;
    std::string unreadCards;
    unreadTold_ = false;
    try {
        const uint32_t rootNest = OpenPair(path, createWhenMissing, entry, split, unreadCards);
        LoadBookMarkState(path);
        LoadPanelOne(rootNest);
    } catch (const std::exception& e) {
        UndoFailedOpen(path, split, loading, e.what());
        return false;
    }
    loading.reset();
    FinishOpen(path, unreadCards);
    return true;
}

bool TDatastructureLife::AcceptBeforeClose(const std::string& path, bool createWhenMissing) {
    if (UpperCase(ExtensionOf(path)) != ".KIV") return false;
    if (fileCommands_->Copying()) {
        // Only a road that does not wait gets here; the pair stays with the command.
        KeepOpenOneCurrent();
        MessageDlg(
            QStringLiteral(
                "A command is still working on the open datastructure; \"%1\" was not opened.")
                .arg(Q(path)),
            MsgType::Warning, MsgButtons::OK);
        return false;
    }
    if (!createWhenMissing && !DatastructureExists(path)) {
        // Reached through the list of open datastructures: the open one stays open and current.
        KeepOpenOneCurrent();
        ReportMissingDatastructure(path);
        return false;
    }
    // Refused before anything is closed: the open datastructure stays open and current.
    if (const std::string why = WhyNotADatastructure(path); !why.empty()) {
        KeepOpenOneCurrent();
        ReportNotOpened(why, path);
        return false;
    }
    return true;
}

void TDatastructureLife::CloseForSwitch() {
    acHideAllCardsExecute();
    if (ctx_.Skeleton().pnlKiv->isHidden()) ctx_.Skeleton().pnlKiv->show();
    // What closing could not write is reported; the old datastructure is released either way.
    try {
        CloseDatastructure();
    } catch (const std::exception& e) {
        ShowException(e);
    }
}

TBookMarkPtr TDatastructureLife::CurrentEntryFor(const std::string& path) {
    int index = InterBase().CurrentIndex();
    if (index < 0 || !SamePath(InterBase().GetPath(index), path)) {
        index = InterBase().IndexOfPath(path);
        if (index < 0) index = InterBase().Add(path);
        InterBase().SetCurrentIndex(index);
    }
    return InterBase().BookMark(index);
}

void TDatastructureLife::BackUpOnce(const std::string& path, TBookMark& entry) {
    // One backup per datastructure and run, and only of a file that is a datastructure.
    if (!acAutoBackup->Checked() || entry.BackupMade || !PassesDatastructureChecks(path)) return;
    entry.BackupMade = true;
    try {
        BackupDatastructure(path);
    } catch (const std::exception& e) {
        MessageDlg(QStringLiteral("No backup of \"%1\" was made: %2")
                       .arg(Q(path), QString::fromUtf8(e.what())),
                   MsgType::Warning, MsgButtons::OK);
    }
}

uint32_t TDatastructureLife::OpenPair(const std::string& path, bool createWhenMissing,
                                      const TBookMarkPtr& entry, bool& split,
                                      std::string& unreadCards) {
    ctx_.Pair() = OpenDatastructurePair(path, createWhenMissing);
    split = true;
    ctx_.Open().BookMark = entry;
    ctx_.Open().Navigator = Navigator();
    ctx_.Open().Navigator->Clear();

    const bool isTemplate = IsTemplate(path);
    templateBin_->SetTemplateOpen(isTemplate);
    ctx_.Actions().Get(QStringLiteral("acDoAsTemplate")).SetEnabled(!isTemplate);
    EnableDatastructureMenus(false);

    TKivPanelsManager& pm = PanelsManager();
    pm.SetNestFile(ctx_.Pair().Outline.get());
    pm.SetCardFile(ctx_.Pair().Cards.get());
    unreadCards = ReadDatastructureCards();
    ctx_.Window().setWindowTitle(QStringLiteral("KIV - ") + Q(FileNameOf(path)));
    EnableDatastructureMenus(true);
    return ReadRootNest(ctx_.Pair().Outline.get());
}

void TDatastructureLife::LoadBookMarkState(const std::string& path) {
    TBookMark& mark = *ctx_.Open().BookMark;
    mark.OutlineFile = ctx_.Pair().Outline.get();
    mark.SetCardFile(ctx_.Pair().Cards.get());
    PanelsManager().SetDatastructurePath(path);
    mark.Path = path;
    CurrentPanel = 1;
    panels_->Panel(1)->Nester->Clear();
    fileCommands_->SetPasswordLock(!mark.PasswordAccepted && !mark.Password.empty());
}

void TDatastructureLife::LoadPanelOne(uint32_t rootNest) {
    TKivPanelsManager& pm = PanelsManager();
    TKivStringGrid* one = panels_->Panel(1);
    TBookMark& mark = *ctx_.Open().BookMark;
    // The top level in panel 1; an empty outline gets its first topic, ready for typing.
    one->Nester->RootNest = rootNest;
    one->Nester->LoadBranch(-1, false);
    one->RowsChanged(0);
    if (one->Nester->RowCount() == 0) {
        one->InsertTopics(TItemArray{TNestItem{}}, 0, true, true, 0);
        pm.SetEditMode(true);
    }
    pm.RefreshPanelsFrom(1);
    if (one->Nester->RowCount() > 0) mark.RootNest = one->Nester->ParentNest(0);
    mark.HoistStack.Clear();
    mark.Outlines.SetCurrentIndex(0);

    one->SelectRow(one->CurrentRow());
    if (ctx_.Window().isVisible()) {
        if (one->Editing() && one->CaptionEditor && one->CaptionEditor->height() > 0)
            one->CaptionEditor->setFocus(Qt::OtherFocusReason);
        else one->setFocus(Qt::OtherFocusReason);
    }
}

void TDatastructureLife::UndoFailedOpen(const std::string& path, bool split,
                                        std::optional<FlagGuard>& loading, const std::string& why) {
    // Nothing of the failed datastructure stays open; its files go back as they were.
    ReleaseOpenPair();
    if (split) GuardCall([&] { PackDatastructure(path); });
    ctx_.Open().BookMark = nullptr;
    ctx_.Open().Navigator = Navigator();
    ctx_.Open().Navigator->Clear();
    InterBase().SetCurrentIndex(-1);
    loading.reset();
    ctx_.Window().setWindowTitle(QStringLiteral("KIV"));
    EnableDatastructureMenus(false);
    textCard_->ShowNoTopic();
    GuardCall([this] { nav_->DatastructureChanged(); });
    ReportNotOpened(why, path);
}

void TDatastructureLife::FinishOpen(const std::string& path, const std::string& unreadCards) {
    // What an interrupted pack or save left beside it.
    SweepStaleCopies(path.substr(0, path.size() - FileNameOf(path).size()));
    // The recent-files list names only datastructures that opened; a settings file that
    // cannot take it is told of once a run, and the datastructure stays open.
    try {
        RememberOpened(path);
    } catch (const std::exception& e) {
        if (!settingsReported_)
            MessageDlg(QStringLiteral("The recent files could not be kept: %1")
                           .arg(QString::fromUtf8(e.what())),
                       MsgType::Warning, MsgButtons::OK);
        settingsReported_ = true;
    }
    if (!IniFile::FitsOneLine(path))
        MessageDlg(QStringLiteral(
                       "\"%1\" is not kept in the recent files: its name holds a line break, which "
                       "kiv.ini cannot store.")
                       .arg(Q(path)),
                   MsgType::Information, MsgButtons::OK);
    if (!unreadCards.empty()) TellUnreadCards(unreadCards);
    // The outline is open; a topic whose cards cannot be read is reported and the rest stays usable.
    ctx_.Events().DatastructureOpened.Fire();
    ctx_.Open().BookMark->MarksPending = false;
}

void TDatastructureLife::TellUnreadCards(const std::string& unread) {
    if (unreadTold_ || !ctx_.Open().BookMark) return;
    unreadTold_ = true;
    MessageDlg(QStringLiteral("Of \"%1\", %2 could not be read; the outline is open, and what is "
                              "stored from now on takes their place.")
                   .arg(Q(ctx_.Open().BookMark->Path), QString::fromUtf8(unread)),
               MsgType::Warning, MsgButtons::OK);
}

void TDatastructureLife::RememberOpened(const std::string& path) {
    TIniSection section;
    for (const std::string& key : KivIni().ReadSection(kLastOpenedSection))
        section.emplace_back(key, KivIni().ReadString(kLastOpenedSection, key, ""));
    const TLastOpened last = UpdateLastOpened(section, path);
    SetLastOpenedCaptions(last.Entries);
    IniFile::Batch batch(KivIni());
    KivIni().EraseSection(kLastOpenedSection);
    for (const auto& [key, value] : last.Section)
        KivIni().WriteString(kLastOpenedSection, key, value);
    for (int n = int(last.Section.size()) + 1; n <= kLastOpenedCount; ++n)
        KivIni().WriteString(kLastOpenedSection, IntToStr(n), "");
    batch.Commit();
}

void TDatastructureLife::CloseDatastructure() {
    ctx_.FlushCurrentRow();
    const FlagGuard loading(ctx_.Open().Loading);
    binsColumn_->ShowBinsEmpty();
    AddCurrentTopicToMarks();
    std::exception_ptr failure;
    if (panels_->Panel(1)->Nester->NestFile() && panels_->Panel(1)->Nester->CardFile()) {
        try {
            WriteDatastructureCards();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (ctx_.Open().BookMark && ctx_.Open().BookMark->OutlineFile) {
        ctx_.Events().DatastructureClosing.Fire();
        const std::string path = PanelsManager().DatastructurePath;
        ReleaseOpenPair();
        // The topics are joined back even when the bins could not be written.
        try {
            PackDatastructure(path);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    } else {
        ReleaseOpenPair();
    }
    ctx_.Events().DatastructureClosed.Fire();
    if (failure) std::rethrow_exception(failure);
}

std::string TDatastructureLife::ReadDatastructureCards() {
    TDBCards& db = PanelsManager().DBCards;
    db.LoadDirAddress();
    // A card that cannot be read starts empty and is named; the outline opens all the same.
    std::string unread, reason;
    try {
        TCardArray entries;
        ReadCardDirectory(ctx_.Pair().Cards.get(), db.DirAddress, entries);
    } catch (const std::exception& e) {
        // The next close writes a new directory (and its address, in one write).
        db.DirAddress = 0;
        unread = "the text bin, the launch bin, the Recycled Bin, the Threads and QuickJumps";
        reason = e.what();
    }
    auto read = [&](uint8_t kind, const char* name) {
        std::string card;
        try {
            db.ReadCard(kind, card);
        } catch (const std::exception& e) {
            card.clear();
            unread += unread.empty() ? "" : ", ";
            unread += name;
            if (reason.empty()) reason = e.what();
        }
        return card;
    };
    const TTextBinCard split = SplitTextBinCard(read(kDBCardTextBin, "the text bin"));
    ctx_.Open().BookMark->Password = split.Password;
    textBin_->SetTextBinText(StoredToText(split.TextBin));

    QStringList launchBin;
    for (const std::string& line : SplitLines(read(kDBCardLaunchBin, "the launch bin")))
        launchBin << StoredToText(line);
    resourceBin_->SetLaunchBinLines(launchBin);

    RecycledBin().LoadFromString(read(kDBCardRecycled, "the Recycled Bin"));
    if (RecycledBin().Trails.Count() == 0) RecycledBin().Clear();
    LostBin().LoadFromString(read(kDBCardLostBin, "the lost branches"));
    if (RecycledBin().Count() > 0 || LostBin().Count() > 0) binsColumn_->ShowRecycledBinFull();
    if (unread.empty()) return {};
    return unread + ": " + reason;
}

void TDatastructureLife::WriteDatastructureCards() {
    TDBCards& db = PanelsManager().DBCards;
    // Every card is tried; those that found no entry in the directory are named once.
    std::string lost;
    auto store = [&](uint8_t kind, const std::string& text, const char* name) {
        if (db.WriteCard(kind, text)) return;
        lost += lost.empty() ? "" : ", ";
        lost += name;
    };
    std::string card = ctx_.Open().BookMark ? ctx_.Open().BookMark->Password : std::string();
    card += '\x01';
    card += TextToStored(textBin_->TextBinText());
    store(kDBCardTextBin, card, "the text bin");
    std::vector<std::string> lines;
    for (const QString& line : resourceBin_->LaunchBinLines()) lines.push_back(TextToStored(line));
    store(kDBCardLaunchBin, JoinLines(lines), "the launch bin");
    store(kDBCardRecycled, RecycledBin().SaveToString(), "the Recycled Bin");
    store(kDBCardLostBin, LostBin().SaveToString(), "the lost branches");
    if (ctx_.Open().BookMark)
        store(kDBCardMarks,
              SerializeMarks(ctx_.Open().BookMark->Threads, ctx_.Open().BookMark->QuickJumps),
              "the Threads and QuickJumps");
    if (!lost.empty())
        throw ENesterError("Datastructure is corrupted, its card directory has no room for " +
                           lost);
}

void TDatastructureLife::AddCurrentTopicToMarks() {
    if (ctx_.Open().Navigator && topicToMarks_) topicToMarks_(*ctx_.Open().Navigator);
}

void TDatastructureLife::SetLastOpenedCaptions(const std::vector<std::string>& entries) {
    QAction* items[4] = {miLast1, miLast2, miLast3, miLast4};
    for (int i = 0; i < 4; ++i) {
        const std::string e = i < int(entries.size()) ? entries[i] : std::string();
        items[i]->setText(Q(LastOpenedCaption(i + 1, e)));
        // An empty entry would open something else than its caption says.
        items[i]->setVisible(!e.empty());
    }
}

void TDatastructureLife::OpenLastDatastructure(int n) {
    const std::string e =
        ResolveRelativePath(RelativePathBase(),
                            KivIni().ReadString(kLastOpenedSection, IntToStr(n), ""));
    if (!e.empty()) {
        // A missing one is named and keeps its entry (its drive may not be mounted yet).
        if (DatastructureExists(e)) OpenDatastructureFile(e);
        else ReportMissingDatastructure(e);
        // Only a window with nothing open falls back, as at the start.
        if (ctx_.DatastructureOpen()) return;
    }
    if (InterBase().Count() > 0) OpenDatastructureFile(InterBase().GetPath(0));
    if (!ctx_.DatastructureOpen()) CreateDatastructureFile(AppDir() + "FirstKivDB.kiv");
}

// ---- commands ----

void TDatastructureLife::acOpenDataBaseExecute() {
    if (ctx_.Skeleton().pnlKiv->isHidden()) ctx_.Skeleton().pnlKiv->show();
    if (!odOpen.Execute()) return;
    const std::string path = odOpen.FileName.toStdString();
    if (LowerCase(ExtensionOf(path)) == ".kiv") OpenDatastructureFile(path);
    // Any other file opens with the desktop's program for it, as a link of the launch card.
    else launch_->LaunchLink(TextToStored(odOpen.FileName), false, false);
}

void TDatastructureLife::miLast4Click(int n) { OpenLastDatastructure(n); }

void TDatastructureLife::pmLastOpenedPopup() {
    pmLastOpened->clear();
    for (int i = 0; i < InterBase().Count(); ++i) {
        QAction* a = pmLastOpened->addAction(QString::number(i + 1) + QStringLiteral(": ") +
                                             Q(InterBase().GetPath(i)));
        a->setData(i);
        connect(a, &QAction::triggered, this, [this, i] {
            GuardCall([this, i] {
                if (i < InterBase().Count()) OpenDatastructureFile(InterBase().GetPath(i));
            });
        });
    }
}

void TDatastructureLife::Template1Click() { CreateDatastructureFile(TemplatePath()); }

void TDatastructureLife::acCreateDatabaseExecute(KivAction* Sender) {
    const bool saveAs = Sender == acSaveDatabaseAs;
    if (saveAs && !ctx_.DatastructureOpen()) return;
    sdSaveAs.Title = saveAs ? QStringLiteral("Save Datastructure As")
                            : QStringLiteral("Create New Datastructure");
    const std::string target = ChooseNewDatastructure(sdSaveAs);
    if (target.empty()) return;
    if (saveAs) SaveDatastructureAs(target);
    else CreateDatastructureAs(target);
}

std::string TDatastructureLife::ChooseNewDatastructure(TSaveDialog& dialog) {
    dialog.FileName.clear();
    if (dialog.InitialDir.isEmpty()) dialog.InitialDir = Q(AppDir());
    if (!dialog.Execute()) return {};
    if (ctx_.Skeleton().pnlKiv->isHidden()) ctx_.Skeleton().pnlKiv->show();
    std::string target = QFileInfo(dialog.FileName).absoluteFilePath().toStdString();
    if (LowerCase(ExtensionOf(target)) != ".kiv") target += ".kiv";

    if (ctx_.DatastructureOpen() && SamePath(target, ctx_.Open().BookMark->Path)) {
        MessageDlg(
            QStringLiteral("\"%1\" is the open datastructure. Choose another name.").arg(Q(target)),
            MsgType::Warning, MsgButtons::OK);
        return {};
    }
    if (IsTemplate(target)) {
        MessageDlg(
            QStringLiteral("\"%1\" holds the templates. Choose another name.").arg(Q(target)),
            MsgType::Warning, MsgButtons::OK);
        return {};
    }
    if (FileExists(CardFileName(target))) {
        MessageDlg(
            QStringLiteral(
                "\"%1\" is open in another window or was not closed properly; it is not replaced.")
                .arg(Q(target)),
            MsgType::Warning, MsgButtons::OK);
        return {};
    }
    if (FileExists(target) &&
        MessageDlg(
            QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(Q(target)),
            MsgType::Confirmation, MsgButtons::YesNo) != IDYES)
        return {};
    return target;
}

void TDatastructureLife::CreateDatastructureAs(const std::string& target) {
    // Replaced in one step, so the old file stays whole until the new one is there.
    if (FileExists(target)) WriteFileAtomic(target, EmptyJoinedDatastructure());
    CreateDatastructureFile(target);
}

void TDatastructureLife::SaveDatastructureAs(const std::string& target) {
    ctx_.FlushCurrentRow();
    // The copy carries what closing would write: the bins, the text bin and the marks.
    WriteDatastructureCards();
    const std::string cards = ctx_.Pair().Cards->ReadAll();
    const std::string outline = ctx_.Pair().Outline->ReadAll();
    const uint64_t total = uint64_t(cards.size()) + outline.size() + kJoinedTrailerSize;
    if (total > 0xFFFFFFFFull)
        throw EKivError("The datastructure is too large to be saved as one file");
    std::string joined;
    joined.reserve(size_t(total));
    joined += cards;
    joined += outline;
    AppendU32(joined, uint32_t(outline.size()));
    AppendU32(joined, uint32_t(total));
    WriteFileAtomic(target, joined);
}

void TDatastructureLife::AddFileItemsBeforeRecent(const std::vector<QAction*>& items) {
    QMenu* file = ctx_.Skeleton().File1;
    for (QAction* a : items) file->insertAction(miLast1, a);
    file->insertSeparator(miLast1);
}

void TDatastructureLife::acHideAllCardsExecute() {
    launch_->CardPanel()->hide();
    binsColumn_->HideBinPanels();
    topics_->HideMetaCard();
    launch_->UncheckLaunchCard();
}

}  // namespace kiv

// A topic's links: adding and removing them, the launch card list, opening a link with the
// desktop's program and the link popups with their Open With lists.
#include "mainwindow/launch/LaunchCard.h"

#include <exception>

#include <QApplication>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QLineEdit>
#include <QTreeWidget>

#include "components/FileInfo.h"
#include "dialogs/AddUrlLinkWindow.h"
#include "dialogs/RenameFileWindow.h"
#include "engine/core/Cards.h"
#include "platform/core/MiskPro.h"
#include "engine/core/Nester.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/TopicRef.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/qt/DesktopShell.h"
#include "mainwindow/launch/FileProperties.h"
#include "engine/core/LinkLines.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/StoredPath.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

constexpr int kTargetRole = Qt::UserRole;  // a launch card row's target, its stored bytes
constexpr int kTitleRole =
    Qt::UserRole + 1;  // its title's stored bytes, kept while the title is not edited

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); }

// A local path as the file system names it.
QString PathOf(const std::string& target) {
    return QFileInfo(StoredToText(target)).absoluteFilePath();
}

// "file://" and the name's bytes, escaped: the desktop opens the file whatever its bytes.
QString LocalFileUri(const std::string& path) {
    return QStringLiteral("file://") + QString::fromLatin1(Bytes(path).toPercentEncoding("/"));
}

bool IsExistingFile(const std::string& target) {
    if (target.empty()) return false;
    const QFileInfo fi(StoredToText(target));
    return fi.exists() && !fi.isDir();
}

// A menu item that runs a command and follows its enabled state.
QAction* CommandItem(QMenu* menu, const QString& caption, KivAction* command) {
    QAction* item = menu->addAction(caption);
    item->setEnabled(command->isEnabled());
    QObject::connect(command, &QAction::changed, item,
                     [item, command] { item->setEnabled(command->isEnabled()); });
    QObject::connect(item, &QAction::triggered, command,
                     [command] { GuardCall([command] { command->Execute(); }); });
    return item;
}

}  // namespace

TLaunchCard::TLaunchCard(IWindowContext& ctx) : ctx_(ctx) {
    ctx.Published().Publish<ILaunchCard>(*this);
}

void TLaunchCard::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    lvLaunchCard = Named(new QTreeWidget(), "lvLaunchCard");
    lvLaunchCard->setColumnCount(2);
    lvLaunchCard->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Target")});
    lvLaunchCard->setRootIsDecorated(false);
    lvLaunchCard->setUniformRowHeights(true);
    lvLaunchCard->setMouseTracking(true);
    lvLaunchCard->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvLaunchCard->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvLaunchCard->setContextMenuPolicy(Qt::CustomContextMenu);
    lvLaunchCard->header()->setStretchLastSection(true);
    pnlLaunchCard = FloatingPanel(w, "pnlLaunchCard", QStringLiteral("Launch Card"), lvLaunchCard);
    ctx_.AddFloatingPanel(pnlLaunchCard, 160);
    odLaunchCard.Filter = QStringLiteral("All files (*.*)|*.*");
    odLaunchCard.MultiSelect = true;
    odLaunchCard.FileMustExist = true;
    odLaunchCard.PathMustExist = true;
    odLaunchCard.InitialDir = QString::fromStdString(AppDir());
    BuildActions();
    BuildMenus();
    WireList();
}

void TLaunchCard::BuildActions() {
    QMainWindow* w = &ctx_.Window();
    acAddFile = Action(w, "acAddFile", QStringLiteral("Add File..."));
    acAddFile->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q));
    acAddFile->setStatusTip(QStringLiteral("Add File To Topic..."));
    acAddFile->OnExecute = [this](KivAction*) { AddFiles(); };
    acAddUrlLink = Action(w, "acAddUrlLink", QStringLiteral("Add web link..."));
    acAddUrlLink->OnExecute = [this](KivAction*) { AddUrlLink(); };
    acAddUrlLink->OnUpdate = [this](KivAction* s) {
        TKivStringGrid* g = ctx_.CurrentGrid();
        s->SetEnabled(g && g->IsRowValid(ctx_.CurrentRow()));
    };
    frmAddUrlLink = new TfrmAddUrlLink(w);
    frmAddUrlLink->OnAdd = [this](const QString& line) {
        AddLinksToTopic(ctx_.CurrentGrid(), ctx_.CurrentRow(), TextToStored(line));
    };
    frmRenameFile = new TfrmRenameFile(w);
    ShowRenameWindow = [this](const QString& oldPath, const QString&, int tag) {
        // Modal: the topic and the launch card stay what they were when it opened.
        TKivStringGrid* g = ctx_.CurrentGrid();
        frmRenameFile->OnRenamed = [this, g](int t, const QString& from, const QString& to) {
            FileRenamed(t, TextToStored(from), TextToStored(to), g);
        };
        frmRenameFile->Execute(oldPath, tag);
    };
    acRemoveLinks = Action(w, "acRemoveLinks", QStringLiteral("Remove Attached Link(s)"));
    acRemoveLinks->OnExecute = [this](KivAction*) {
        RemoveLinks(CurrentPanel, ctx_.CurrentRow(), false);
    };
    acOpenPartScreen = Action(w, "acOpenPartScreen", QStringLiteral("Open in KIV (part screen)"));
    acOpenPartScreen->Tag = 1;
    acOpenFullScreen = Action(w, "acOpenFullScreen", QStringLiteral("Open in KIV (full screen)"));
    acOpenFullScreen->Tag = 2;
    acOpenExt = Action(w, "acOpenExt", QStringLiteral("Open"));
    acOpenExt->Tag = 3;
    for (KivAction* a : {acOpenPartScreen, acOpenFullScreen, acOpenExt})
        a->OnExecute = [this](KivAction* s) { OpenPopupFile(s); };
    acRemoveLink = Action(w, "acRemoveLink", QStringLiteral("Remove link to file"));
    acRemoveLink->OnExecute = [this](KivAction*) { RemovePopupLink(); };
    acDeleteFile = Action(w, "acDeleteFile", QStringLiteral("Delete file from disk"));
    acDeleteFile->OnExecute = [this](KivAction*) { DeletePopupFile(); };
    acRenameFile = Action(w, "acRenameFile", QStringLiteral("Rename file on disk"));
    acRenameFile->OnExecute = [this](KivAction*) { RenamePopupFile(); };
    acProperties = Action(w, "acProperties", QStringLiteral("Properties"));
    acProperties->OnExecute = [this](KivAction*) { ShowPopupFileProperties(); };
    // The file manager at the user's home folder (there is no drive to start from here).
    acExplorer = Action(w, "acExplorer", QStringLiteral("Windows Explorer"));
    acExplorer->OnExecute = [this](KivAction*) {
        LaunchLink(TextToStored(QDir::homePath()), false, true);
    };
    Editattachedlinks1 = Item(w, "Editattachedlinks1", QStringLiteral("Edit attached links..."));
    connect(Editattachedlinks1, &QAction::triggered, this, [this] {
        GuardCall([this] {
            if (isShown(pnlLaunchCard)) pnlLaunchCard->raise();
            else ShowLaunchCard();
        });
    });
    OpenLaunchCard1 = Item(w, "OpenLaunchCard1", QStringLiteral("Open Launch Card"));
    OpenLaunchCard1->setStatusTip(QStringLiteral("Launch Card"));
    connect(OpenLaunchCard1, &QAction::triggered, this, [this] {
        GuardCall([this] {
            if (isShown(pnlLaunchCard)) pnlLaunchCard->raise();
            else ShowLaunchCard();
        });
    });
    acShowLaunchCard = Action(w, "acShowLaunchCard", QStringLiteral("Launch Card"), true);
    acShowLaunchCard->OnExecute = [this](KivAction*) { ShowLaunchCard(); };
    acShowLaunchCard->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    SetImageIndex(acShowLaunchCard, 11);
    // Their shortcuts work wherever the focus is in the window.
    w->addAction(acAddFile);
    w->addAction(acAddUrlLink);
    w->addAction(acShowLaunchCard);
}

void TLaunchCard::AddLaunchCommands(QMenu* menu, QMenu* openWith) {
    menu->addAction(acOpenPartScreen);
    menu->addAction(acOpenFullScreen);
    menu->addAction(acOpenExt);
    menu->addMenu(openWith);
}

void TLaunchCard::BuildMenus() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    auto openWith = [w](const char* name) {
        return Named(new QMenu(QStringLiteral("Open With"), w), name);
    };
    OpenWith1 = openWith("OpenWith1");
    OpenWith2 = openWith("OpenWith2");
    OpenWith3 = openWith("OpenWith3");
    OpenWith1->addSeparator();
    QAction* choose = OpenWith1->addAction(QStringLiteral("Choose Program..."));
    choose->setObjectName(QStringLiteral("ChooseProgram1"));
    connect(choose, &QAction::triggered, this, [this] { GuardCall([this] { ChooseProgram(); }); });

    pmLaunchFile = Named(new QMenu(w), "pmLaunchFile");
    CommandItem(pmLaunchFile, QStringLiteral("Open in KIV (part screen)     Ctrl+W or #pad5 "),
                acOpenPartScreen);
    CommandItem(pmLaunchFile,
                QStringLiteral("Open in KIV (full screen)       Shift+Ctrl+W or Ctrl+#pad5"),
                acOpenFullScreen);
    CommandItem(
        pmLaunchFile,
        QStringLiteral(
            "Open                                       Shift+Ctrl+Alt+W or Shift+Ctrl+#pad5"),
        acOpenExt);
    pmLaunchFile->addMenu(OpenWith1);
    pmLaunchFile->addSeparator();
    for (KivAction* a : {acRemoveLink, acDeleteFile, acRenameFile}) pmLaunchFile->addAction(a);
    pmLaunchFile->addSeparator();
    pmLaunchFile->addAction(acProperties);

    pmLaunchFiles = Named(new QMenu(w), "pmLaunchFiles");
    pmLaunchFiles->addAction(OpenLaunchCard1);

    pmLaunchCard = Named(new QMenu(w), "pmLaunchCard");
    pmLaunchCard->addSeparator();
    QAction* rename = pmLaunchCard->addAction(QStringLiteral("Rename"));
    rename->setObjectName(QStringLiteral("Edit1"));
    connect(rename, &QAction::triggered, this, [this] {
        if (QTreeWidgetItem* item = lvLaunchCard->currentItem()) lvLaunchCard->editItem(item, 0);
    });
    pmLaunchCard->addSeparator();
    AddLaunchCommands(pmLaunchCard, OpenWith3);
    pmLaunchCard->addSeparator();
    for (KivAction* a : {acRemoveLink, acDeleteFile, acRenameFile}) pmLaunchCard->addAction(a);
    pmLaunchCard->addSeparator();
    pmLaunchCard->addAction(acProperties);

    Launch1 = Named(new QMenu(QStringLiteral("&Launch"), w), "Launch1");
    LaunchCurrent1 = Named(Launch1->addMenu(QStringLiteral("Launch Current")), "LaunchCurrent1");
    AddLaunchCommands(LaunchCurrent1, OpenWith2);
    connect(Launch1, &QMenu::aboutToShow, this, [this] {
        GuardCall([this] {
            TKivStringGrid* g = ctx_.CurrentGrid();
            const int row = ctx_.CurrentRow();
            const bool one = g && g->IsRowValid(row) && g->Nester->LaunchList().Count(row) == 1;
            LaunchCurrent1->setEnabled(one);
            if (one) BuildLaunchPopup(row);
        });
    });
    k.MainMenu1->insertMenu(k.Settings1->menuAction(), Launch1);
    k.Cards1->addAction(acAddFile);
    k.Cards1->addAction(acAddUrlLink);
    k.Cards1->addAction(Editattachedlinks1);
    k.Cards1->addAction(acRemoveLinks);
}

void TLaunchCard::WireList() {
    connect(lvLaunchCard, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) {
                GuardCall([this, item] { LaunchCardItemActivated(item); });
            });
    connect(lvLaunchCard, &QTreeWidget::itemEntered, this,
            [this](QTreeWidgetItem* item, int) { ctx_.ShowStatusHint(item->text(1)); });
    connect(lvLaunchCard, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (column == 0) lvLaunchCardTag = 1;  // a title edited in place
    });
    connect(lvLaunchCard, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { GuardCall([this, pos] { LaunchCardContextMenu(pos); }); });
    lvLaunchCard->installEventFilter(this);
    lvLaunchCard->viewport()->installEventFilter(this);
    lvLaunchCard->viewport()->setMouseTracking(true);
}

bool TLaunchCard::eventFilter(QObject* watched, QEvent* event) {
    bool handled = false;
    GuardCall([&] {
        const QEvent::Type type = event->type();
        if (watched == lvLaunchCard && type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            lvLaunchCardKeyDown(key);
            handled = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Delete;
        } else if (watched == lvLaunchCard && type == QEvent::KeyRelease) {
            lvLaunchCardKeyUp();
        } else if (watched == lvLaunchCard->viewport() && type == QEvent::MouseMove) {
            lvLaunchCardMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        }
    });
    return handled || QObject::eventFilter(watched, event);
}

bool TLaunchCard::LaunchCardEditing() const {
    // The caption editor is a child of the list's viewport while it is open.
    for (auto* editor :
         lvLaunchCard->viewport()->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
        if (isShown(editor)) return true;
    return false;
}

void TLaunchCard::lvLaunchCardKeyDown(int key) {
    QTreeWidget* lv = lvLaunchCard;
    // No popup while a key is held: the menu key must not open it over an edit.
    lv->setContextMenuPolicy(Qt::NoContextMenu);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) Edit1Click();
    else if (key == Qt::Key_Delete && lv->topLevelItemCount() > 0 && !LaunchCardEditing())
        Delete1Click();
}

void TLaunchCard::lvLaunchCardKeyUp() {
    if (!LaunchCardEditing()) lvLaunchCard->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TLaunchCard::lvLaunchCardMouseMove(const QPoint& pos) {
    QTreeWidget* lv = lvLaunchCard;
    if (QTreeWidgetItem* item = lv->itemAt(pos)) {
        lv->viewport()->setCursor(Qt::PointingHandCursor);
        ctx_.ShowStatusHint(item->text(1));
    } else {
        lv->viewport()->unsetCursor();
        ctx_.ShowStatusHint(QString());
    }
}

void TLaunchCard::Edit1Click() {
    QTreeWidget* lv = lvLaunchCard;
    QTreeWidgetItem* item = lv->currentItem();
    if (!item || !item->isSelected() || LaunchCardEditing()) return;
    lv->editItem(item, 0);
}

void TLaunchCard::Delete1Click() {
    QTreeWidget* lv = lvLaunchCard;
    std::vector<int> rows;
    for (int i = 0; i < lv->topLevelItemCount(); ++i)
        if (lv->topLevelItem(i)->isSelected()) rows.push_back(i);
    if (rows.empty()) return;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) DeleteLaunchCardItem(*it);
    const int n = lv->topLevelItemCount();
    if (n > 0) lv->setCurrentItem(lv->topLevelItem(std::min(rows.front(), n - 1)));
}

void TLaunchCard::PanelClosed() { SaveLaunchCard(ctx_.CurrentGrid(), ctx_.CurrentRow()); }

QWidget* TLaunchCard::DropTarget() const { return lvLaunchCard; }

void TLaunchCard::LaunchCardItemActivated(QTreeWidgetItem* item) {
    const Qt::KeyboardModifiers keys = QApplication::keyboardModifiers() &
                                       (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const QByteArray target = item->data(1, kTargetRole).toByteArray();
    LaunchLink(target.toStdString(), keys == Qt::ControlModifier,
               keys != (Qt::ShiftModifier | Qt::ControlModifier));
}

void TLaunchCard::LaunchCardContextMenu(const QPoint& pos) {
    QTreeWidgetItem* item = lvLaunchCard->itemAt(pos);
    if (!item) return;
    lvLaunchCard->setCurrentItem(item);
    BuildLaunchPopup(kLaunchCardTag + lvLaunchCard->indexOfTopLevelItem(item));
    pmLaunchCard->popup(lvLaunchCard->viewport()->mapToGlobal(pos));
}

// ---- opening ----

std::string TLaunchCard::ResolveLink(const std::string& link) const {
    // A "||" target (from the launch bin) is found as the other stored paths are.
    std::string target =
        StartsText("||", link) ? ResolveStoredPath(link, RelativePathBase()) : link;
    if (target.rfind("file:///", 0) == 0) target = URLToPath(target);
    // A target under the program folder, written on Windows in another letter case; a name
    // that is there as its bytes stand (which need not be UTF-8) is taken as it is.
    if (!target.empty() && target[0] == '/' && !StoredPathExists(target))
        target =
            FindIgnoringCase(LegacyText::Decode(target), LegacyText::Decode(RelativePathBase()));
    return target;
}

bool TLaunchCard::ShowInBrowser(const std::string& link, bool makeRoom) {
    const std::string target = ResolveLink(link);
    if (!OpenInBrowser || !(IsWebAddress(target) || IsDocumentFile(target))) return false;
    if (ctx_.Skeleton().pnlCards->isHidden()) ctx_.Skeleton().pnlCards->show();
    return OpenInBrowser(target, makeRoom);
}

int TLaunchCard::LaunchLink(const std::string& link, bool makeRoom, bool internal) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const std::string target = ResolveLink(link);
    const bool web = IsWebAddress(target);
    if (internal && (web || IsDocumentFile(target))) {
        if (ctx_.Skeleton().pnlCards->isHidden()) ctx_.Skeleton().pnlCards->show();
        if (ShowInBrowser(target, makeRoom)) return kOpenNothing;
        // Without a browser the desktop opens it, as any other link.
    }
    const QFileInfo fi(StoredToText(target));
    const bool mail = IsMailAddress(target);
    // A local name that is not UTF-8 has no QString form: the desktop gets its bytes in a URI.
    const bool bytes =
        !web && !mail && !LegacyText::IsValidUtf8(target) && StoredPathExists(target);
    if (!web && !mail && !bytes && (target.empty() || !fi.exists())) {
        MessageDlg(QStringLiteral("There is not the file or folder - ") + StoredToText(target),
                   MsgType::Warning, MsgButtons::OK);
        return kOpenNothing;
    }
    const bool folder = !web && !mail && (bytes ? DirExists(target) : fi.isDir());
    const QString what = web     ? StoredToText(PathToURL(Trim(target)))
                         : mail  ? StoredToText(Trim(target))
                         : bytes ? LocalFileUri(target)
                                 : fi.absoluteFilePath();
    TDesktopShell& shell = GetDesktopShell();
    const int result = shell.OpenDefault(what, folder);
    if (result == kOpenNoAssociation) {
        if (!web && !mail && !folder) shell.ChooseProgram(what);
        else
            MessageDlg(QStringLiteral("There is no program that opens ") + what, MsgType::Warning,
                       MsgButtons::OK);
    }
    return result;
}

void TLaunchCard::LaunchRowLinks(TKivStringGrid* grid, int row, bool makeRoom, bool internal) {
    if (!grid || !grid->IsRowValid(row)) return;
    TLaunchList& links = grid->Nester->LaunchList();
    const int n = links.Count(row);
    if (n == 1) LaunchLink(links.GetPath(row, 0), makeRoom, internal);
    else if (n > 1 && !isShown(pnlLaunchCard)) acShowLaunchCard->Execute();
}

// ---- adding and removing links ----

void TLaunchCard::AddLinksToTopic(TKivStringGrid* grid, int row, std::string_view text) {
    if (Trim(text).empty() || !grid || !grid->IsRowValid(row)) return;
    TNester& m = *grid->Nester;
    if (m.IsLocked(row)) {
        MessageDlg(QStringLiteral("Can't add file or url, topic is locked."), MsgType::Warning,
                   MsgButtons::OK);
        return;
    }
    const std::vector<std::string> existing = SplitLines(m.LaunchList().GetLinks(row));
    std::vector<std::string> added, duplicates;
    for (const std::string& line : SplitLines(text)) {
        const std::string target = URLToPath(LinkTarget(line));
        if (target.empty()) continue;
        // Compared as text: a target may be held in Windows-1252 or in UTF-8.
        const std::string upper = UpperCase(LegacyText::Decode(target));
        const bool known = std::any_of(existing.begin(), existing.end(), [&](const std::string& e) {
            return UpperCase(LegacyText::Decode(LinkTarget(e))) == upper;
        });
        if (known) {
            duplicates.push_back(upper);
            continue;
        }
        const std::string title =
            line.substr(line.find(kLinkSeparator) + 1);  // a target means a separator
        added.push_back(MakeLinkLine(target, LinkTitle(MakeLinkLine(target, title))));
    }
    const std::string joined = JoinLines(added);
    if (!added.empty() && Trim(joined).size() > 2) {
        if (m.Caption(row).empty()) {
            const std::string caption =
                Trim(added.front().substr(added.front().find(kLinkSeparator) + 1));
            if (m.SetCaption(row, caption) && grid->Editing() && grid->CurrentRow() == row)
                grid->CaptionEditor->setPlainText(TKivStringGrid::CaptionToText(caption));
        }
        if (grid == ctx_.CurrentGrid() && row == grid->CurrentRow() && isShown(pnlLaunchCard))
            for (const std::string& line : added)
                AddLaunchCardItem(line.substr(line.find(kLinkSeparator) + 1), LinkTarget(line));
        if (!m.LaunchList().AddLinks(row, joined))
            MessageDlg(QStringLiteral("The links could not be added to \"%1\".")
                           .arg(StoredToText(m.Caption(row))),
                       MsgType::Error, MsgButtons::OK);
        grid->DrawRow(row);
    }
    if (!duplicates.empty()) {
        QString list;
        for (const std::string& d : duplicates) list += StoredToText(d) + QStringLiteral("\r\n");
        MessageDlg(list + QStringLiteral("\r\nfile/link(s) has already been added to this topic."),
                   MsgType::Information, MsgButtons::OK);
    }
}

void TLaunchCard::RemoveLinks(int panel, int row, bool withoutAsking) {
    TKivStringGrid* g = PanelsManagerExists() ? PanelsManager().PanelByNumber(panel) : nullptr;
    if (!g || !g->IsRowValid(row) || g->Nester->LaunchList().Count(row) == 0) {
        MessageDlg(QStringLiteral("There is not attached links!"), MsgType::Error, MsgButtons::OK);
        return;
    }
    if (g->Nester->IsLocked(row)) {
        MessageDlg(QStringLiteral("Can't remove link, topic is locked."), MsgType::Warning,
                   MsgButtons::OK);
        return;
    }
    if (!withoutAsking &&
        MessageDlg(QStringLiteral(
                       "Are you sure you want to delete the link(s) attached to the topic?"),
                   MsgType::Confirmation, MsgButtons::YesNo) != IDYES)
        return;
    if (!g->Nester->LaunchList().SetLinks(row, {}))
        MessageDlg(QStringLiteral("The links of \"%1\" could not be removed.")
                       .arg(StoredToText(g->Nester->Caption(row))),
                   MsgType::Error, MsgButtons::OK);
    else if (g == ctx_.CurrentGrid() && row == LaunchCardRow()) FillLaunchCard({});
    g->DrawRow(row);
}

// ---- the launch card list ----

void TLaunchCard::AddLaunchCardItem(const std::string& title, const std::string& target) {
    if (target.empty()) return;
    lvLaunchCardTag = 1;
    auto* item =
        new QTreeWidgetItem({StoredToText(title.empty() ? target : title), StoredToText(target)});
    item->setData(1, kTargetRole, Bytes(target));
    item->setData(0, kTitleRole, Bytes(title));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    const int icon = PanelsManagerExists() ? PanelsManager().LinkIconIndex(target) : -1;
    if (icon >= 0) item->setIcon(0, QIcon(PanelsManager().SystemSmallIcon(icon)));
    const QSignalBlocker quiet(lvLaunchCard);
    lvLaunchCard->addTopLevelItem(item);
}

void TLaunchCard::FillLaunchCard(std::string_view text) {
    lvLaunchCard->setUpdatesEnabled(false);
    lvLaunchCard->clear();
    for (const std::string& line : SplitLines(text)) {
        const size_t p = line.find(kLinkSeparator);
        if (p != std::string::npos) AddLaunchCardItem(line.substr(p + 1), line.substr(0, p));
    }
    FitTitleColumn();
    lvLaunchCard->setUpdatesEnabled(true);
    lvLaunchCardTag = 0;
    listGrid_ = ctx_.CurrentGrid();
    listRow_ = ctx_.CurrentRow();
}

void TLaunchCard::FillLaunchCard(TKivStringGrid* grid, int row) {
    const bool valid = grid && grid->IsRowValid(row);
    FillLaunchCard(valid ? grid->Nester->LaunchList().GetLinks(row) : std::string());
    listGrid_ = valid ? grid : nullptr;
    listRow_ = valid ? row : -1;
}

int TLaunchCard::LaunchCardRow() const { return listGrid_ == ctx_.CurrentGrid() ? listRow_ : -1; }

void TLaunchCard::Subscribe(TWindowEvents& events) {
    events.TopicLeaving.Subscribe(
        [this](TKivStringGrid* grid, int row, bool&) { SaveLaunchCard(grid, row); });
    // The floating card closes on a topic change; the list is filled first while it shows.
    events.TopicShown.Subscribe([this](TKivStringGrid* grid, int row) {
        if (isShown(pnlLaunchCard)) FillLaunchCard(grid, row);
        pnlLaunchCard->hide();
    });
}

bool TLaunchCard::SaveLaunchCard(TKivStringGrid* grid, int row) {
    if (lvLaunchCardTag != 1) return true;
    // The list holds the links of the topic it was filled for; they go to that topic only.
    if (!grid || grid != listGrid_ || row != listRow_ || !grid->IsRowValid(row)) return true;
    std::vector<std::string> lines;
    for (int i = 0; i < lvLaunchCard->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvLaunchCard->topLevelItem(i);
        // A title not edited keeps its bytes, so its line is written back as it was stored.
        const std::string title = item->data(0, kTitleRole).toByteArray().toStdString();
        const bool edited =
            StoredToText(title.empty() ? item->data(1, kTargetRole).toByteArray().toStdString()
                                       : title) != item->text(0);
        lines.push_back(MakeLinkLine(item->data(1, kTargetRole).toByteArray().toStdString(),
                                     edited ? TextToStored(item->text(0)) : title));
    }
    bool stored = false;
    storeFailure_.clear();
    try {
        stored = grid->Nester->LaunchList().SetLinks(row, JoinLines(lines));
    } catch (const std::exception& ex) {
        storeFailure_ = QString::fromUtf8(ex.what());
    }
    grid->DrawRow(row);
    if (!stored) {
        if (!QuietStoreFailures)
            MessageDlg(UnstoredCardForMessage(QStringLiteral("The links"), grid, row,
                                              storeFailure_),
                       MsgType::Error, MsgButtons::OK);
        return false;
    }
    lvLaunchCardTag = 0;
    return true;
}

QString TLaunchCard::UnstoredCard() const {
    if (lvLaunchCardTag != 1 || !listGrid_ || !listGrid_->IsRowValid(listRow_)) return QString();
    return UnstoredCardForMessage(QStringLiteral("The links"), listGrid_, listRow_, storeFailure_);
}

void TLaunchCard::CloseLaunchCard() {
    if (acShowLaunchCard->Checked()) acShowLaunchCard->Execute();
    acShowLaunchCard->SetChecked(false);
}

void TLaunchCard::ShowLaunchCardInFront() {
    if (isShown(pnlLaunchCard)) pnlLaunchCard->raise();
    else ShowLaunchCard();
}

std::string TLaunchCard::FocusedListLink() const {
    if (!isShown(pnlLaunchCard) || !lvLaunchCard->hasFocus()) return {};
    const QTreeWidgetItem* item = lvLaunchCard->currentItem();
    if (!item || !item->isSelected()) return {};
    return item->data(1, kTargetRole).toByteArray().toStdString();
}

void TLaunchCard::AddLaunchMenuItem(QAction* item, bool atTop) {
    if (atTop) Launch1->insertAction(LaunchCurrent1->menuAction(), item);
    else Launch1->addAction(item);
}

void TLaunchCard::ShowLaunchCard() {
    KivAction* action = acShowLaunchCard;
    if (isShown(pnlLaunchCard)) {
        SaveLaunchCard(listGrid_, listRow_);
        pnlLaunchCard->hide();
        action->SetChecked(false);
        return;
    }
    TKivStringGrid* g = ctx_.CurrentGrid();
    const int row = ctx_.CurrentRow();
    FillLaunchCard(g, row);
    if (g && g->IsRowValid(row)) {
        const QRect r = g->RowContentRect(row);
        const QPoint at =
            g->viewport()->mapTo(&ctx_.Window(), QPoint(r.left() + 5, r.bottom() + 4));
        pnlLaunchCard->move(at);
    }
    pnlLaunchCard->show();
    pnlLaunchCard->raise();
    // Filled while hidden, the list had not its width yet.
    FitTitleColumn();
    action->SetChecked(true);
}

void TLaunchCard::FitTitleColumn() {
    // Titles are short and targets long: the titles get what they need, up to half the list.
    if (QLayout* l = pnlLaunchCard->layout()) {
        l->invalidate();
        l->activate();
    }
    lvLaunchCard->resizeColumnToContents(0);
    lvLaunchCard->setColumnWidth(0, std::min(lvLaunchCard->columnWidth(0),
                                             lvLaunchCard->viewport()->width() / 2));
}

void TLaunchCard::DeleteLaunchCardItem(int i) {
    if (i < 0 || i >= lvLaunchCard->topLevelItemCount()) return;
    if (listGrid_ && listGrid_ == ctx_.CurrentGrid() && listGrid_->IsRowValid(listRow_)) {
        // The list shows what is stored: a link whose removal was refused stays in it.
        if (!listGrid_->Nester->LaunchList().DeleteLink(listRow_, i)) {
            MessageDlg(QStringLiteral("The link could not be removed from \"%1\".")
                           .arg(StoredToText(listGrid_->Nester->Caption(listRow_))),
                       MsgType::Error, MsgButtons::OK);
            return;
        }
        listGrid_->DrawRow(listRow_);
    }
    delete lvLaunchCard->takeTopLevelItem(i);
    lvLaunchCardTag = 1;
    const int n = lvLaunchCard->topLevelItemCount();
    if (n > 0) lvLaunchCard->setCurrentItem(lvLaunchCard->topLevelItem(std::min(i, n - 1)));
}

// ---- popups ----

void TLaunchCard::BuildLaunchPopup(int tag) {
    LaunchPopupFile.clear();
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (g) {
        TLaunchList& links = g->Nester->LaunchList();
        if (tag < kLaunchCardTag) {
            if (g->IsRowValid(tag) && links.Count(tag) == 1)
                LaunchPopupFile = links.GetPath(tag, 0);
        } else if (g->IsRowValid(g->CurrentRow())) {
            LaunchPopupFile = links.GetPath(g->CurrentRow(), tag - kLaunchCardTag);
        }
    }
    const bool browser = bool(OpenInBrowser);
    const bool inBrowser =
        browser && (IsWebAddress(LaunchPopupFile) || IsDocumentFile(LaunchPopupFile));
    acOpenPartScreen->SetEnabled(inBrowser);
    acOpenFullScreen->SetEnabled(inBrowser);
    const bool exists = IsExistingFile(LaunchPopupFile);
    acDeleteFile->SetEnabled(exists);
    acRenameFile->SetEnabled(exists && bool(ShowRenameWindow));
    acProperties->SetEnabled(exists);
    for (KivAction* a : {acDeleteFile, acRenameFile, acRemoveLink}) a->Tag = tag;
    BuildOpenWithMenu();
    for (QMenu* copy : {OpenWith2, OpenWith3}) {
        copy->menuAction()->setVisible(OpenWith1->menuAction()->isVisible());
        for (QAction* a : OpenWith1->actions()) copy->addAction(a);
    }
}

void TLaunchCard::BuildOpenWithMenu() {
    OpenWith2->clear();
    OpenWith3->clear();
    while (OpenWith1->actions().size() > 2) delete OpenWith1->actions().first();
    const std::string& file = LaunchPopupFile;
    if (!IsExistingFile(file) || IsExecutableType(PathOf(file))) {
        OpenWith1->menuAction()->setVisible(false);
        return;
    }
    OpenWith1->menuAction()->setVisible(true);
    const QString path = PathOf(file);
    for (const TOpenWithApp& app : GetDesktopShell().AppsFor(path)) AddOpenWithItem(app);
    if (OpenWith1->actions().size() > 2) return;
    TAssociatedApp def;
    if (TFileInfo(path).GetAssociatedApp(def)) AddOpenWithItem({def.DesktopId, def.Name, def.Exe});
}

void TLaunchCard::AddOpenWithItem(const TOpenWithApp& app) {
    if (app.Exe.isEmpty() || !QFileInfo(app.Exe).isFile()) return;
    TFileVersionInfo version;
    TFileInfo(app.Exe).GetVersionInfo(version);
    QString caption = version.FileDescription.trimmed();
    if (caption.isEmpty()) caption = app.Name.trimmed();
    if (caption.isEmpty()) caption = QFileInfo(app.Exe).fileName();
    const QList<QAction*> items = OpenWith1->actions();
    auto* item = new QAction(caption, OpenWith1);
    item->setStatusTip(app.Exe);
    item->setToolTip(app.Exe);
    item->setData(app.Id);
    connect(item, &QAction::triggered, this,
            [this, item] { GuardCall([this, item] { OpenWithProgram(item); }); });
    OpenWith1->insertAction(items[items.size() - 2], item);
}

void TLaunchCard::PopupRowLinks(TKivStringGrid* grid, int row, const QPoint& globalPos) {
    if (!grid || !grid->IsRowValid(row)) return;
    const int n = grid->Nester->LaunchList().Count(row);
    if (n == 1) {
        BuildLaunchPopup(row);
        pmLaunchFile->popup(globalPos);
    } else if (n > 1) {
        grid->SelectRow(row);
        PanelsManager().RefreshPanelsFrom(grid->Tag);
        pmLaunchFiles->popup(globalPos);
    }
}

// ---- the launch commands on LaunchPopupFile ----

void TLaunchCard::OpenPopupFile(KivAction* command) {
    if (LaunchPopupFile.empty()) return;
    LaunchLink(LaunchPopupFile, command->Tag == 2, command->Tag != 3);
}

void TLaunchCard::RemovePopupLink() {
    const int tag = acRemoveLink->Tag;
    if (tag < kLaunchCardTag) RemoveLinks(CurrentPanel, tag, false);
    else DeleteLaunchCardItem(tag - kLaunchCardTag);
}

void TLaunchCard::DeletePopupFile() {
    if (!IsExistingFile(LaunchPopupFile)) return;
    const QString path = PathOf(LaunchPopupFile);
    QString error;
    if (!GetDesktopShell().Trash(path, error)) {
        MessageDlg(QStringLiteral("Can't move %1 to the trash: %2").arg(path, error),
                   MsgType::Error, MsgButtons::OK);
        return;
    }
    if (QFileInfo::exists(path)) return;
    acRemoveLink->Tag = acDeleteFile->Tag;
    RemovePopupLink();
}

void TLaunchCard::RenamePopupFile() {
    if (!ShowRenameWindow || !IsExistingFile(LaunchPopupFile)) return;
    const QString path = PathOf(LaunchPopupFile);
    ShowRenameWindow(path, QFileInfo(path).fileName(), acRenameFile->Tag);
}

void TLaunchCard::FileRenamed(int tag, const std::string& oldPath, const std::string& newPath,
                              TKivStringGrid* grid) {
    const std::string newName = LinkFileName(newPath);
    TKivStringGrid* g = grid ? grid : ctx_.CurrentGrid();
    if (tag < kLaunchCardTag) {
        if (!g || !g->IsRowValid(tag)) return;
        TNester& m = *g->Nester;
        if (!m.LaunchList().SetLinks(tag, MakeLinkLine(newPath, newName) + "\r\n"))
            MessageDlg(QStringLiteral("The link of \"%1\" could not be stored.")
                           .arg(StoredToText(m.Caption(tag))),
                       MsgType::Error, MsgButtons::OK);
        if (SameText(m.Caption(tag), LinkFileName(oldPath)) && !m.SetCaption(tag, newName))
            MessageDlg(QStringLiteral("The caption of \"%1\" could not be stored.")
                           .arg(StoredToText(m.Caption(tag))),
                       MsgType::Error, MsgButtons::OK);
        g->DrawRow(tag);
        return;
    }
    QTreeWidgetItem* item = lvLaunchCard->topLevelItem(tag - kLaunchCardTag);
    if (!item) return;
    const QSignalBlocker quiet(lvLaunchCard);
    item->setText(0, StoredToText(newName));
    item->setText(1, StoredToText(newPath));
    item->setData(1, kTargetRole, Bytes(newPath));
    lvLaunchCardTag = 1;
}

void TLaunchCard::ShowPopupFileProperties() {
    if (!IsExistingFile(LaunchPopupFile)) return;
    const QString path = PathOf(LaunchPopupFile);
    bool shown = false;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct Restore {
            ~Restore() { QApplication::restoreOverrideCursor(); }
        } restore;
        shown = GetDesktopShell().ShowItemProperties(path);
    }
    if (shown) return;
    auto* window = new TFilePropertiesWindow(path, &ctx_.Window());
    window->show();
}

void TLaunchCard::OpenWithProgram(QAction* item) {
    if (!IsExistingFile(LaunchPopupFile)) return;
    const QString path = PathOf(LaunchPopupFile);
    if (!GetDesktopShell().OpenWith(item->data().toString(), path))
        MessageDlg(QStringLiteral("Can't open %1 with %2.").arg(path, item->text()), MsgType::Error,
                   MsgButtons::OK);
}

void TLaunchCard::ChooseProgram() {
    if (!IsExistingFile(LaunchPopupFile)) return;
    GetDesktopShell().ChooseProgram(PathOf(LaunchPopupFile));
}

void TLaunchCard::AddUrlLink() {
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (g && g->IsRowValid(ctx_.CurrentRow())) frmAddUrlLink->exec();
}

void TLaunchCard::AddFiles() {
    if (!odLaunchCard.Execute()) return;
    std::string lines;
    for (const QString& f : odLaunchCard.Files)
        lines += MakeLinkLine(TextToStored(f), TextToStored(QFileInfo(f).fileName())) + "\r\n";
    AddLinksToTopic(ctx_.CurrentGrid(), ctx_.CurrentRow(), lines);
}

}  // namespace kiv

#include "mainwindow/search/SearchPane.h"

#include <algorithm>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <unordered_set>

#include "components/FourthTabSet.h"
#include "engine/core/Search.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "platform/qt/DesktopShell.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/hoist/HoistingInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/search/FindDialog.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {

// The start pages of the web-search commands, by tag.
struct WebSearch {
    const char* name;
    const char* caption;
    const char* url;
};
constexpr WebSearch kWebSearches[] = {
    {"SearchWeb1", "Search Web", "https://duckduckgo.com/"},
    {"SearchDeepweb1", "Search Deepweb", "https://www.base-search.net/"},
    {"SearchUsenet1", "Search Usenet", "https://groups.google.com/"},
    {"SearchAllBooks1", "Search All Books", "https://books.google.com/"},
    {"SearchAllDictionaries1", "Search All Dictionaries", "https://www.onelook.com/"},
};

// imlSearch: 0 the caption matched, 1 the text card matched.
QPixmap SearchImage(int index) {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setPen(QColor(0, 0, 128));
    if (index == 0) {
        g.setBrush(QColor(255, 255, 200));
        g.drawRect(1, 4, 13, 8);
        g.drawLine(4, 8, 11, 8);
    } else {
        g.setBrush(Qt::white);
        g.drawRect(3, 1, 10, 13);
        for (int y = 4; y <= 11; y += 2) g.drawLine(5, y, 11, y);
    }
    return p;
}

// The row's two images side by side: the state image first, then the image.
QIcon RowIcon(bool title, bool text) {
    QPixmap p(34, 16);
    p.fill(Qt::transparent);
    QPainter g(&p);
    if (title) g.drawPixmap(0, 0, SearchImage(0));
    if (text) g.drawPixmap(18, 0, SearchImage(1));
    return QIcon(p);
}

class OverrideCursor {
public:
    OverrideCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~OverrideCursor() { QApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor&) = delete;
    OverrideCursor& operator=(const OverrideCursor&) = delete;
};

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The index of a row's item in its parent nest: its stored index when that slot still
// holds it, else the first slot that does.
int IndexInNest(BlockFile* nestFile, const TNester& model, int row) {
    const TNode node = model.GetNode(row);
    const TNestItem item = node.Item();
    const int stored = model.NestIndex(row) >= 0 ? model.NestIndex(row) : model.SiblingIndex(row);
    if (CheckNestItem(nestFile, node.ParentNest, stored, item)) return stored;
    TItemArray items;
    ReadNestItems(nestFile, node.ParentNest, items);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == item) return int(i);
    return -1;
}

}  // namespace

TSearchPane::TSearchPane(IWindowContext& ctx)
    : ctx_(ctx),
      textCard_(ctx.Published()),
      launch_(ctx.Published()),
      nav_(ctx.Published()),
      hoist_(ctx.Published()) {
    ctx.Published().Publish<ISearch>(*this);
    // As a link of the launch card: in the embedded browser, else with the desktop's program.
    OpenUrl = [this](const QUrl& url) {
        return launch_->LaunchLink(TextToStored(url.toString()), false, true) != kOpenNothing;
    };
}

TSearchPane::~TSearchPane() = default;

void TSearchPane::Subscribe(TWindowEvents& events) {
    // The results belong to the datastructure that goes; at exit the pane is left as it is.
    events.DatastructureClosing.Subscribe([this] {
        if (ctx_.Open().BookMark) ctx_.Open().BookMark->SearchResults.Clear();
        if (ctx_.Skeleton().acExitKIV->Checked()) return;
        lvSearch->clear();
        btnFindNext->hide();
        edKeywords->clear();
    });
    events.PrintWindowChanged.Subscribe([this] {
        if (fdText && !fdText->isHidden()) fdText->hide();
    });
}

void TSearchPane::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    // The pane with its controls, in the bins column.
    QWidget* pane = pnlSearch = Panel(w, "pnlSearch");
    edKeywords = Named(new QLineEdit(pane), "edKeywords");
    btnFindNext = Named(new QToolButton(pane), "btnFindNext");
    btnFindNext->setText(QStringLiteral("Find Next"));
    btnFindNext->hide();
    lvSearch = Named(new QTreeWidget(pane), "lvSearch");
    auto* grid = new QGridLayout(pane);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(3);
    edKeywords->setPlaceholderText(QStringLiteral("Keywords"));
    edKeywords->setClearButtonEnabled(true);
    grid->addWidget(edKeywords, 0, 0, 1, 3);

    gbSearchIn = Named(new QGroupBox(QStringLiteral("Search In:"), pane), "gbSearchIn");
    auto* in = new QGridLayout(gbSearchIn);
    in->setContentsMargins(4, 2, 4, 2);
    cbxWhole =
        Named(new QRadioButton(QStringLiteral("Whole datastructure"), gbSearchIn), "cbxWhole");
    cbxSelected = Named(new QRadioButton(QStringLiteral("Branch"), gbSearchIn), "cbxSelected");
    cbxWhole->setChecked(true);
    cbTitle = Named(new QCheckBox(QStringLiteral("Topic"), gbSearchIn), "cbTitle");
    cbText = Named(new QCheckBox(QStringLiteral("Text Card"), gbSearchIn), "cbText");
    cbTitle->setChecked(true);
    cbText->setChecked(true);
    in->addWidget(cbxWhole, 0, 0);
    in->addWidget(cbxSelected, 1, 0);
    in->addWidget(cbTitle, 0, 1);
    in->addWidget(cbText, 1, 1);
    grid->addWidget(gbSearchIn, 1, 0, 1, 3);

    auto* mode = Panel(pane, "pnlSearchMode");
    auto* modeRow = HBox(mode);
    rbAnd = Named(new QRadioButton(QStringLiteral("And"), mode), "rbAnd");
    rbOr = Named(new QRadioButton(QStringLiteral("Or"), mode), "rbOr");
    rbAnd->setChecked(true);
    cbxAsPhrase = Named(new QCheckBox(QStringLiteral("As Phrase"), mode), "cbxAsPhrase");
    modeRow->addWidget(rbAnd);
    modeRow->addWidget(rbOr);
    modeRow->addWidget(cbxAsPhrase);
    modeRow->addStretch(1);
    grid->addWidget(mode, 2, 0, 1, 3);
    cbxAutoHoist = Named(new QCheckBox(QStringLiteral("Hoist results"), pane), "cbxAutoHoist");
    grid->addWidget(cbxAutoHoist, 3, 0, 1, 3);

    btnSearch = Named(new QPushButton(QStringLiteral("Search"), pane), "btnSearch");
    btnStop = Named(new QPushButton(QStringLiteral("Stop"), pane), "btnStop");
    btnStop->setEnabled(false);
    btnFindNext->setText(QStringLiteral("Next >"));
    btnFindNext->setToolTip(QStringLiteral("Find Next in Text Card (Ctrl-F3)"));
    btnFindNext->setEnabled(false);
    btnFindNext->show();
    grid->addWidget(btnSearch, 4, 0);
    grid->addWidget(btnStop, 4, 1);
    grid->addWidget(btnFindNext, 4, 2);
    lblSearchProgress = Named(new QLabel(pane), "lblSearchProgress");
    lblSearchProgress->hide();
    grid->addWidget(lblSearchProgress, 5, 0, 1, 3);

    lvSearch->setColumnCount(1);
    lvSearch->setHeaderHidden(true);
    lvSearch->setRootIsDecorated(false);
    lvSearch->setSelectionMode(QAbstractItemView::SingleSelection);
    lvSearch->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvSearch->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvSearch->setIconSize(QSize(34, 16));
    grid->addWidget(lvSearch, 6, 0, 1, 3);
    grid->setRowStretch(6, 1);

    QWidget* bins = k.pnlBins;
    if (!bins->layout()) VBox(bins);
    bins->layout()->addWidget(pane);
    pane->show();

    edKeywords->installEventFilter(this);
    connect(btnSearch, &QPushButton::clicked, this,
            [this] { GuardCall([this] { btnSearchClick(); }); });
    connect(edKeywords, &QLineEdit::returnPressed, this,
            [this] { GuardCall([this] { btnSearchClick(); }); });
    connect(btnStop, &QPushButton::clicked, this, [this] { btnStopClick(); });
    connect(btnFindNext, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnFindNextClick(); }); });
    connect(cbxAsPhrase, &QCheckBox::clicked, this, [this] { cbxAsPhraseClick(); });
    connect(cbxAutoHoist, &QCheckBox::clicked, this,
            [this] { GuardCall([this] { cbxAutoHoistClick(); }); });
    connect(lvSearch, &QTreeWidget::itemSelectionChanged, this, [this] {
        const auto sel = lvSearch->selectedItems();
        if (!sel.isEmpty()) GuardCall([this, item = sel.first()] { lvSearchSelectItem(item); });
    });

    acSearch = Action(w, "acSearch", QStringLiteral("Search Datastructure..."), true);
    acSearch->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F")));
    acSearch->OnExecute = [this](KivAction*) { acSearchExecute(); };
    acFindText = Action(w, "acFindText", QStringLiteral("Search Text Card ..."));
    acFindText->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    acFindText->OnExecute = [this](KivAction*) { acFindTextExecute(); };
    acFindText->OnUpdate = [this](KivAction*) { acFindTextUpdate(); };
    auto* findNext = Action(w, "acFindNextInTextCard", QStringLiteral("Find Next in Text Card"));
    findNext->setShortcut(QKeySequence(QStringLiteral("Ctrl+F3")));
    findNext->OnExecute = [this](KivAction*) { btnFindNextClick(); };

    Search1 = Named(new QMenu(QStringLiteral("S&earch"), w), "Search1");
    Search1->addAction(acSearch);
    Search1->addAction(acFindText);
    Search1->addAction(findNext);
    Search1->addSeparator();
    int tag = 0;
    for (const WebSearch& s : kWebSearches) {
        QAction* item = Item(w, s.name, QString::fromLatin1(s.caption));
        item->setData(++tag);
        connect(item, &QAction::triggered, this,
                [this, tag] { GuardCall([this, tag] { Search2Click(tag); }); });
        Search1->addAction(item);
        WebSearchItems.push_back(item);
    }
    k.MainMenu1->insertMenu(k.Settings1->menuAction(), Search1);

    fdText = new TFindDialog(w);
    fdText->OnFind = [this](TFindDialog*) { fdTextFind(); };
    fdText->OnClose = [this](TFindDialog*) { fdTextClose(); };
}

void TSearchPane::btnSearchClick() {
    if (!btnSearch->isEnabled() || searching_) return;
    ctx_.FlushCurrentRow();
    Keywords = SearchKeywords(edKeywords->text().toStdString(), cbxAsPhrase->isChecked());
    if (!Keywords.empty() && ctx_.DatastructureOpen() && ctx_.Open().BookMark) RunWalk();
    ctx_.ShowStatusHint(QString::number(lvSearch->topLevelItemCount()) +
                        QStringLiteral(" results found"));
    if (cbxAutoHoist->isChecked()) HoistSearchResults();
}

void TSearchPane::RunWalk() {
    const TBookMarkPtr bookmark = ctx_.Open().BookMark;
    const std::string path = PanelsManager().DatastructurePath;
    // Handles of our own: whatever runs between the topics cannot close them under the walk.
    auto outline = PosixBlockFile::Open(path, OpenMode::ReadOnly);
    auto cards = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadOnly);

    TSearchRequest request;
    request.Keywords = Keywords;
    request.AndMode = rbAnd->isChecked();
    request.InText = cbText->isChecked();
    request.InTitle = cbTitle->isChecked();
    request.StartNest = ReadRootNest(outline.get());
    const uint32_t root = request.StartNest;
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (cbxSelected->isChecked() && g && g->IsRowValid(g->CurrentRow())) {
        const int row = g->CurrentRow();
        request.StartNest = g->Nester->ParentNest(row);
        request.Index = IndexInNest(outline.get(), *g->Nester, row);
        if (request.Index < 0 ||
            !TrailToNest(outline.get(), root, request.StartNest, request.Above))
            return;
    }

    bookmark->SearchResults.Clear();
    lvSearch->clear();

    TBusyGuard busy(ctx_.BusyCounter());
    const OverrideCursor cursor;
    const FlagGuard running(searching_);
    stopRequested_ = false;
    btnSearch->setEnabled(false);
    btnStop->setEnabled(true);
    btnFindNext->setEnabled(false);
    struct Restore {
        TSearchPane* p;
        ~Restore() {
            p->btnSearch->setEnabled(true);
            p->btnStop->setEnabled(false);
            p->lblSearchProgress->hide();
        }
    } restore{this};

    QElapsedTimer total, sincePump;
    total.start();
    sincePump.start();
    auto goOn = [&] {
        return !stopRequested_ && ctx_.Open().BookMark == bookmark && ctx_.DatastructureOpen();
    };
    TSearchEvents events;
    events.OnStep = [&](size_t tested) {
        if (sincePump.elapsed() >= PumpMs) {
            if (total.elapsed() >= ProgressMs) Progress(tested);
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            sincePump.restart();
        }
        return goOn();
    };
    events.OnHit = [&](const TSearchHit& hit) {
        if (goOn()) AddResult(*bookmark, hit);
    };
    RunSearch(outline.get(), cards.get(), request, events);
    fdText->SetFindText(FromUtf8(Keywords.front()));
}

void TSearchPane::Progress(size_t tested) {
    lblSearchProgress->setText(QStringLiteral("Searching... %1 topics, %2 found")
                                   .arg(qulonglong(tested))
                                   .arg(lvSearch->topLevelItemCount()));
    lblSearchProgress->show();
}

void TSearchPane::AddResult(TBookMark& bookmark, const TSearchHit& hit) {
    const TNavigatorPtr kept = bookmark.SearchResults.AddNavigator();
    kept->Add(hit.Node.ParentNest, hit.Node.Index, false, "", hit.Node.Item());
    auto* item = new QTreeWidgetItem(lvSearch);
    item->setText(0, StoredToText(SearchRowText(hit.Caption)));
    item->setData(0, kStateImageRole, hit.Match.TitleMatched ? 0 : -1);
    item->setData(0, kImageRole, hit.Match.TextMatched ? 1 : -1);
    item->setIcon(0, RowIcon(hit.Match.TitleMatched, hit.Match.TextMatched));
}

void TSearchPane::btnStopClick() { stopRequested_ = true; }

void TSearchPane::StopSearch() { stopRequested_ = true; }

void TSearchPane::PutAwayFindDialog() {
    // Tag 1 marks what the main window's next show opens again.
    if (fdText && fdText->Tag > 0) {
        fdText->reject();
        QCoreApplication::processEvents();
        fdText->Tag = 1;
    }
}

void TSearchPane::BringBackFindDialog() {
    if (fdText && fdText->Tag == 1 && fdText->isHidden()) fdText->show();
}

void TSearchPane::cbxAsPhraseClick() {
    rbAnd->setEnabled(!cbxAsPhrase->isChecked());
    rbOr->setEnabled(!cbxAsPhrase->isChecked());
}

void TSearchPane::cbxAutoHoistClick() {
    if (lvSearch->topLevelItemCount() == 0 || searching_) return;
    if (cbxAutoHoist->isChecked()) HoistSearchResults();
    else hoist_->DehoistTo(0);
}

TNavigatorPtr TSearchPane::ResultTrail(int i) const {
    const TNavigatorPtr kept =
        ctx_.Open().BookMark ? ctx_.Open().BookMark->SearchResults.Navigator(i) : nullptr;
    BlockFile* nests = PanelsManagerExists() ? PanelsManager().NestFile : nullptr;
    if (!kept || kept->Count() == 0 || !nests) return nullptr;
    const TNode node = kept->GetNode(kept->LastIndex());
    std::vector<TNode> above;
    if (!TrailToNest(nests, ReadRootNest(nests), node.ParentNest, above)) return nullptr;
    auto trail = std::make_shared<TNavigator>();
    for (const TNode& n : above) trail->Add(n.ParentNest, n.Index, false, "", n.Item());
    trail->Add(node.ParentNest, node.Index, false, "", node.Item());
    return trail;
}

bool TSearchPane::ResultStands(const TNavigatorPtr& trail) const {
    TKivStringGrid* first = PanelsManagerExists() ? PanelsManager().PanelByNumber(1) : nullptr;
    return trail && trail->Count() > 0 && first && first->ValidateNavigator(*trail);
}

void TSearchPane::ToWholeOutline() {
    hoist_->DehoistTo(0);
    if (nav_->OutlineIndex() != 0) nav_->SelectOutlineTab(0);
}

namespace {

// The nests the walk from the top level enters: those a topic still leads to.
std::unordered_set<uint32_t> NestsReached() {
    std::unordered_set<uint32_t> reached;
    BlockFile* nests = PanelsManagerExists() ? PanelsManager().NestFile : nullptr;
    if (!nests) return reached;
    const uint32_t root = ReadRootNest(nests);
    reached.insert(root);
    TNester walker;
    walker.SetNestFile(nests);
    bool stopped = false;
    walker.WalkNestItems(root, -1, stopped, [&](uint32_t parent, int, const TNestItem&, int) {
        reached.insert(parent);
        return true;
    });
    return reached;
}

}  // namespace

void TSearchPane::HoistSearchResults() {
    if (!ctx_.Open().BookMark || !ctx_.Open().Navigator || !ctx_.DatastructureOpen() || searching_)
        return;
    TQuickJump& results = ctx_.Open().BookMark->SearchResults;
    TNodeArray nodes;
    // One walk tells which nests a topic still leads to; each result is then looked for in
    // its own nest only.
    const std::unordered_set<uint32_t> reached = NestsReached();
    {
        // Dropping a row must not choose another one.
        const QSignalBlocker quiet(lvSearch);
        for (int i = 0; i < lvSearch->topLevelItemCount();) {
            const TNavigatorPtr kept = results.Navigator(i);
            TNavigatorPtr trail;
            if (kept && kept->Count() > 0 &&
                reached.count(kept->GetNode(kept->LastIndex()).ParentNest)) {
                trail = std::make_shared<TNavigator>();
                const TNode last = kept->GetNode(kept->LastIndex());
                trail->Add(last.ParentNest, last.Index, false, "", last.Item());
            }
            if (ResultStands(trail)) {
                TNode node = trail->GetNode(trail->LastIndex());
                node.Caption.clear();
                nodes.push_back(node);
                ++i;
                continue;
            }
            delete lvSearch->takeTopLevelItem(i);
            if (i < results.Count()) results.Delete(i);
        }
    }
    if (nodes.empty()) return;
    ToWholeOutline();
    hoist_->HoistNodes(nodes);
}

int TSearchPane::HoistedResultIndex(const TNode& node) const {
    if (!ctx_.Open().BookMark || !ctx_.Open().Navigator ||
        ctx_.Open().BookMark->HoistStack.Count() != 1 || nav_->OutlineIndex() != 0)
        return -1;
    const TNodeArray hoisted = ctx_.Open().Navigator->GetHoistedNodes();
    for (size_t k = 0; k < hoisted.size(); ++k) {
        const TNode& h = hoisted[k];
        if (h.ParentNest == node.ParentNest && h.Index == node.Index && h.Item() == node.Item())
            return int(k);
    }
    return -1;
}

void TSearchPane::SelectHoistedResult(int k) {
    // Panel 1 shows the hoisted topics again unless it does already.
    if (ctx_.Open().Navigator->Count() > 0) nav_->NavigateToLevel(0, false);
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (!g) return;
    const TNester& m = *g->Nester;
    for (int r = 0, top = 0; r < m.RowCount(); ++r) {
        if (m.Level(r) != 0) continue;
        if (top++ == k) {
            g->SelectRow(r);
            return;
        }
    }
}

void TSearchPane::lvSearchSelectItem(QTreeWidgetItem* item) {
    if (!ctx_.Window().isEnabled() || searching_ || !ctx_.Open().BookMark || !ctx_.Open().Navigator)
        return;
    if (!item) {
        lvSearch->setFocus(Qt::OtherFocusReason);
        return;
    }
    ctx_.Skeleton().pnlKiv->show();
    const TNavigatorPtr trail = ResultTrail(lvSearch->indexOfTopLevelItem(item));
    if (!ResultStands(trail)) {
        MessageDlg(QStringLiteral("Can't find this branch, may it was deleted!"), MsgType::Warning,
                   MsgButtons::OK);
        lvSearch->setFocus(Qt::OtherFocusReason);
        return;
    }
    const int hoisted = HoistedResultIndex(trail->GetNode(trail->LastIndex()));
    if (hoisted >= 0) {
        SelectHoistedResult(hoisted);
    } else {
        ToWholeOutline();
        ctx_.Open().Navigator->Assign(*trail);
        nav_->NavigateToLevel(trail->LastIndex(), false);
    }
    // The list keeps the focus, so the arrow keys go on through the results.
    lvSearch->setFocus(Qt::OtherFocusReason);
    const bool inText = item->data(0, kImageRole).toInt() == 1;
    btnFindNext->setEnabled(inText);
    if (inText) {
        QTextEdit* editor = textCard_->TopicEditor();
        QTextCursor c = editor->textCursor();
        c.setPosition(0);
        editor->setTextCursor(c);
        FindNextInTextCard();
    }
}

bool TSearchPane::FindNextInTextCard() {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (Keywords.empty()) return false;
    if (k.pnlCards->isHidden()) k.pnlCards->show();
    if (k.pnlSimpleText->isHidden()) return false;
    std::vector<QString> needles;
    for (const std::string& kw : Keywords) needles.push_back(FromUtf8(kw));
    return FindInEditor(textCard_->TopicEditor(), needles, TFindOptions{false, true}, false);
}

void TSearchPane::btnFindNextClick() {
    if (!FindNextInTextCard())
        MessageDlg(QStringLiteral("KIV has finished searching the document"), MsgType::Information,
                   MsgButtons::OK);
}

bool TSearchPane::IsResultsList(const QObject* control) const {
    return control && control == lvSearch;
}

void TSearchPane::ClickFindNext() {
    if (btnFindNext->isEnabled()) btnFindNextClick();
}

void TSearchPane::acSearchExecute() {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (k.pnlBins->isHidden() || k.pnlBins->width() == 0) {
        k.Splitter2->show();
        // Wide enough for the pane's labels, whatever width the column had before.
        k.pnlBins->setMinimumWidth(0);
        k.pnlBins->setFixedWidth(std::max(260, k.pnlBins->minimumSizeHint().width()));
        k.pnlBins->show();
        pnlSearch->show();
        acSearch->SetChecked(true);
        edKeywords->setFocus(Qt::OtherFocusReason);
    } else {
        CloseBinsColumn();
    }
}

void TSearchPane::CloseBinsColumn() {
    ctx_.Skeleton().pnlBins->hide();
    ctx_.Skeleton().Splitter2->hide();
    acSearch->SetChecked(false);
}

bool TSearchPane::eventFilter(QObject* watched, QEvent* e) {
    if (watched == edKeywords && e->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape && !searching_) {
        GuardCall([this] { CloseBinsColumn(); });
        return true;
    }
    return QObject::eventFilter(watched, e);
}

QTextEdit* TSearchPane::ActiveTextEditor() const {
    QWidget* f = QApplication::focusWidget();
    for (QTextEdit* e : {textCard_->TopicEditor(), textCard_->PinEditor(), TextBinEditor})
        if (e && f == e) return e;
    return nullptr;
}

void TSearchPane::acFindTextUpdate() { acFindText->SetEnabled(ActiveTextEditor() != nullptr); }

void TSearchPane::acFindTextExecute() {
    findEditor_ = ActiveTextEditor();
    if (findEditor_) fdText->SetFindText(findEditor_->textCursor().selectedText());
    fdText->Tag = 1;
    fdText->show();
    fdText->raise();
    fdText->activateWindow();
}

void TSearchPane::fdTextFind() {
    QTextEdit* editor = findEditor_ ? findEditor_ : textCard_->TopicEditor();
    if (!FindInEditor(editor, {fdText->FindText()}, fdText->Options(), fdText->Up()))
        MessageDlg(QStringLiteral("KIV has finished searching the document"), MsgType::Information,
                   MsgButtons::OK);
}

void TSearchPane::fdTextClose() {
    fdText->Tag = 0;
    QMainWindow& w = ctx_.Window();
    if (w.isVisible() && w.isEnabled()) w.activateWindow();
}

void TSearchPane::Search2Click(int tag) {
    if (tag < 1 || tag > int(std::size(kWebSearches))) return;
    OpenUrl(QUrl(QString::fromLatin1(kWebSearches[tag - 1].url)));
}

}  // namespace kiv

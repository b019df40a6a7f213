// The floating panels: header drag, close buttons, the show commands, and the handlers of
// the bin lists and of the launch card list.
#include "mainwindow/bins/Bins.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "engine/core/DatastructureFiles.h"
#include "engine/core/NestFunctions.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivStrings.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {

constexpr QChar kLinkSeparator(0x01);
constexpr int kLaunchBinItemHeight = 16;
constexpr int kListDragThreshold = 8;  // as the outline panels' topic drags

// The Resource Bin's lines: title underlined, then " - " and the target in red.
class TLaunchBinDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->save();
        p->fillRect(option.rect, selected ? pal.highlight() : pal.base());
        const QFontMetrics fm(option.font);
        const int baseline =
            option.rect.top() + (option.rect.height() + fm.ascent() - fm.descent()) / 2;
        for (const TBinTextRun& run :
             LaunchBinRuns(index.data().toString(), option.font, option.rect.left())) {
            QFont f = option.font;
            f.setUnderline(run.Underline);
            p->setFont(f);
            p->setPen(run.Red ? QColor(Qt::red)
                              : (selected ? pal.highlightedText().color() : pal.text().color()));
            p->drawText(run.X, baseline, run.Text);
        }
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kLaunchBinItemHeight};
    }
};

QString HeaderName(const QWidget* panel) { return panel->objectName() + QStringLiteral("Header"); }

std::vector<int> SelectedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
}

}  // namespace

std::vector<TBinTextRun> LaunchBinRuns(const QString& line, const QFont& font, int left) {
    const qsizetype cut = line.indexOf(kLinkSeparator);
    const QString title = cut < 0 ? line : line.mid(cut + 1);
    const QString target = cut < 0 ? QString() : line.left(cut);
    QFont underlined = font;
    underlined.setUnderline(true);
    const int x = left + 4;
    const int after = x + QFontMetrics(underlined).horizontalAdvance(title);
    return {{title, x, true, false}, {QStringLiteral(" - ") + target, after, false, true}};
}

TBins::TBins(IWindowContext& ctx) : ctx_(ctx), launch_(ctx.Published()) {
    ctx.Published().Publish<ITextBin>(*this);
    ctx.Published().Publish<IResourceBin>(*this);
    ctx.Published().Publish<IClipBin>(*this);
    ctx.Published().Publish<ITemplateBin>(*this);
    ctx.Published().Publish<IBinsColumn>(*this);
    ListDragStarter = [](QListWidget* source, QMimeData* data) {
        auto* drag = new QDrag(source);
        drag->setMimeData(data);
        drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    };
}

void TBins::BuildPanes() {
    if (panesBuilt_) return;
    panesBuilt_ = true;
    QMainWindow* w = &ctx_.Window();
    acShowTemplate = Action(w, "acShowTemplate", QStringLiteral("Template Bin"), true);
    acShowLaunchBin = Action(w, "acShowLaunchBin", QStringLiteral("Resource Bin"), true);
    SetImageIndex(acShowLaunchBin, 17);
    acShowTextBin = Action(w, "acShowTextBin", QStringLiteral("Text Bin"), true);
    SetImageIndex(acShowTextBin, 18);
    acShowRecycledBin = Action(w, "acShowRecycledBin", QStringLiteral("Recycled Bin"));
    SetImageIndex(acShowRecycledBin, 6);
    acShowClipBin = Action(w, "acShowClipBin", QStringLiteral("Clip Bin"), true);

    txtTextBin = Named(new QTextEdit(), "txtTextBin");
    txtTextBin->setAcceptRichText(false);
    pnlTextBin = FloatingPanel(w, "pnlTextBin", QStringLiteral("Text Bin"), txtTextBin);
    lbxClipCard = Named(new QListWidget(), "lbxClipCard");
    lbxClipCard->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pnlClipBin = FloatingPanel(w, "pnlClipBin", QStringLiteral("Clip Bin"), lbxClipCard);
    lbxLaunchBin = Named(new QListWidget(), "lbxLaunchBin");
    lbxLaunchBin->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pnlLaunchBin = FloatingPanel(w, "pnlLaunchBin", QStringLiteral("Resource Bin"), lbxLaunchBin);
    lbxTemplate = Named(new QListWidget(), "lbxTemplate");
    lbxTemplate->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pnlTemplateBin =
        FloatingPanel(w, "pnlTemplateBin", QStringLiteral("Template Bin"), lbxTemplate);
    // The text bin window borrows the editor from here.
    TextBinEditor = txtTextBin;
    connect(txtTextBin, &QTextEdit::textChanged, this, [this] { UpdateTextBinIcon(); });
    // Ctrl+Shift+T is Make New Template's, which the File menu shows with it: a key that two
    // commands share runs neither. The Text Bin stands in the View menu without a key.
    acShowTextBin->OnExecute = [this](KivAction*) { ShowBinPanel(pnlTextBin, acShowTextBin); };
}

void TBins::BuildComponents() {
    BuildPanes();
    for (const auto& [panel, height] : {std::pair<QWidget*, int>{pnlTextBin, 278},
                                        {pnlClipBin, 242},
                                        {pnlLaunchBin, 262},
                                        {pnlTemplateBin, 250}})
        ctx_.AddFloatingPanel(panel, height);
    TWindowSkeleton& k = ctx_.Skeleton();
    QMainWindow* w = &ctx_.Window();
    panels_ = {launch_->CardPanel(), pnlClipBin, pnlTemplateBin, pnlLaunchBin, pnlTextBin};
    for (QWidget* p : panels_) WireHeader(p);

    acShowClipBin->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    SetImageIndex(acShowClipBin, 13);
    acShowClipBin->OnExecute = [this](KivAction*) { acShowClipBinExecute(); };
    acShowLaunchBin->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    acShowLaunchBin->OnExecute = [this](KivAction*) { acShowLaunchBinExecute(); };
    acShowTemplate->OnExecute = [this](KivAction*) { acShowTemplateExecute(); };
    for (KivAction* a : {acShowClipBin, acShowLaunchBin, acShowTemplate}) {
        w->addAction(a);
        k.tbBins->addAction(a);
        k.View1->addAction(a);
    }
    WireLists();
}

void TBins::AdoptFloatingPanel(QWidget* panel, KivAction* showCommand) {
    panels_.push_back(panel);
    adopted_.emplace_back(panel, showCommand);
    WireHeader(panel);
}

void TBins::WireHeader(QWidget* panel) {
    auto* header = panel->findChild<QLabel*>(HeaderName(panel), Qt::FindDirectChildrenOnly);
    if (!header) return;
    header->installEventFilter(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 1, 0);
    row->addStretch(1);
    auto* close = new QToolButton(header);
    close->setObjectName(QStringLiteral("btnClose") + panel->objectName().mid(3));
    close->setText(QStringLiteral("x"));
    close->setToolTip(QStringLiteral("Close"));
    close->setAutoRaise(true);
    close->setFixedSize(16, 16);
    close->setFocusPolicy(Qt::NoFocus);
    row->addWidget(close);
    connect(close, &QToolButton::clicked, this,
            [this, panel] { GuardCall([this, panel] { btnCloseLaunchCardClick(panel); }); });
}

void TBins::WireLists() {
    for (QListWidget* list : {lbxClipCard, lbxTemplate}) {
        list->setAcceptDrops(true);
        list->viewport()->setAcceptDrops(true);
    }
    for (QListWidget* list : {lbxClipCard, lbxTemplate, lbxLaunchBin}) {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);  // presses that become drags
    }
    txtTextBin->installEventFilter(this);
    lbxLaunchBin->setItemDelegate(new TLaunchBinDelegate(lbxLaunchBin));
    lbxLaunchBin->setUniformItemSizes(true);
    connect(lbxLaunchBin, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        GuardCall([this, item] { lbxLaunchBinDblClick(item); });
    });
}

QWidget* TBins::PanelOf(QObject* o) const {
    for (auto* w = qobject_cast<QWidget*>(o); w; w = w->parentWidget())
        if (std::find(panels_.begin(), panels_.end(), w) != panels_.end()) return w;
    return nullptr;
}

bool TBins::eventFilter(QObject* watched, QEvent* event) {
    bool handled = false;
    GuardCall([&] {
        const QEvent::Type type = event->type();
        if (type == QEvent::FocusIn && (watched == lbxClipCard || watched == lbxTemplate ||
                                        watched == lbxLaunchBin || watched == txtTextBin)) {
            if (QWidget* p = PanelOf(watched)) p->raise();
            return;
        }
        // Panel headers.
        if (auto* header = qobject_cast<QLabel*>(watched);
            header && PanelOf(header) && header->objectName() == HeaderName(PanelOf(header))) {
            // Only mouse events are read as such; a header also gets paints, hovers and the like.
            auto mouse = [event] { return static_cast<QMouseEvent*>(event); };
            if (type == QEvent::MouseButtonPress && mouse()->button() == Qt::LeftButton) {
                pnlHelpHeaderMouseDown(header, mouse()->globalPosition().toPoint());
                handled = true;
            } else if (type == QEvent::MouseMove) {
                pnlHelpHeaderMouseMove(header, mouse()->globalPosition().toPoint());
                handled = dragging_;
            } else if (type == QEvent::MouseButtonRelease) {
                pnlHelpHeaderMouseUp();
                handled = true;
            }
            return;
        }
        // Entries dragged out of a bin list.
        // Only presses and moves are asked about: this filter sees every paint of the lists.
        const bool pressOrMove = type == QEvent::MouseButtonPress || type == QEvent::MouseMove;
        if (QListWidget* list = pressOrMove ? ListOfViewport(watched) : nullptr) {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint at = me->position().toPoint();
            if (type == QEvent::MouseButtonPress) {
                pressList_ = me->button() == Qt::LeftButton && list->itemAt(at) ? list : nullptr;
                pressAt_ = at;
            } else if (pressList_ == list && (me->buttons() & Qt::LeftButton) &&
                       (at - pressAt_).manhattanLength() >= kListDragThreshold) {
                pressList_ = nullptr;
                StartListDrag(list);
                handled = true;
            }
            return;
        }
        // Topic drags into the Clip and Template Bins.
        if (watched == lbxClipCard->viewport() || watched == lbxTemplate->viewport()) {
            if (type == QEvent::DragEnter || type == QEvent::DragMove) {
                auto* de = static_cast<QDragMoveEvent*>(event);
                const bool ok = de->mimeData()->hasFormat(
                                    QString::fromLatin1(TKivStringGrid::InternalDragFormat)) &&
                                AcceptsTopicDrag(TKivStringGrid::InternalDragSource());
                if (ok) de->acceptProposedAction();
                else de->ignore();
                handled = true;
            } else if (type == QEvent::Drop) {
                auto* de = static_cast<QDropEvent*>(event);
                QObject* source = TKivStringGrid::InternalDragSource();
                if (AcceptsTopicDrag(source)) {
                    de->acceptProposedAction();
                    if (watched == lbxClipCard->viewport()) lbxClipCardDragDrop(source);
                    else lbxTemplateDragDrop(source);
                } else {
                    de->ignore();
                }
                handled = true;
            }
            return;
        }
        // Del in the bin lists.
        if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            if (watched == lbxClipCard) DeleteClipBinLines();
            else if (watched == lbxLaunchBin) DeleteLaunchBinLines();
            else if (watched == lbxTemplate) DeleteTemplateLines();
            else return;
            handled = true;
        }
    });
    return handled || QObject::eventFilter(watched, event);
}

// ---- header drag ----

TPanelArea TBins::PanelArea() const {
    TWindowSkeleton& k = ctx_.Skeleton();
    QMainWindow& w = ctx_.Window();
    TPanelArea a;
    a.ToolsBottom = k.cbTools->mapTo(&w, QPoint(0, k.cbTools->height() - 1)).y();
    a.StatusTop = k.StatusBar && isShown(k.StatusBar) ? k.StatusBar->geometry().top() : w.height();
    a.ClientWidth = w.width();
    return a;
}

bool TBins::DragBounds(const QRect& startBounds, const QPoint& start, const QPoint& pos,
                       const TPanelArea& area, QRect& bounds) {
    // The bounds the panel would take now, not where it was one move ago: a fast move
    // cannot carry it over the edge.
    const QRect to = startBounds.translated(pos - start);
    if (!area.Holds(to)) return false;
    bounds = to;
    return true;
}

void TBins::pnlHelpHeaderMouseDown(QWidget* header, const QPoint& pos) {
    QWidget* panel = header->parentWidget();
    panel->raise();
    dragPanel_ = panel;
    dragStart_ = dragLast_ = pos;
    dragBounds_ = panel->geometry();
    dragging_ = true;
}

void TBins::pnlHelpHeaderMouseMove(QWidget* header, const QPoint& pos) {
    if (!dragging_ || !dragPanel_ || header->parentWidget() != dragPanel_) return;
    QRect to;
    if (DragBounds(dragBounds_, dragStart_, pos, PanelArea(), to)) dragPanel_->setGeometry(to);
    dragLast_ = pos;
}

void TBins::pnlHelpHeaderMouseUp() {
    dragging_ = false;
    dragPanel_ = nullptr;
}

// ---- closing and showing ----

KivAction* TBins::PanelAction(QWidget* panel) const {
    if (panel == launch_->CardPanel()) return &launch_->ShowLaunchCardCommand();
    if (panel == pnlLaunchBin) return acShowLaunchBin;
    if (panel == pnlClipBin) return acShowClipBin;
    if (panel == pnlTextBin) return acShowTextBin;
    if (panel == pnlTemplateBin) return acShowTemplate;
    for (const auto& [p, a] : adopted_)
        if (p == panel) return a;
    return nullptr;
}

void TBins::btnCloseLaunchCardClick(QWidget* panel) {
    panel->hide();
    if (panel == launch_->CardPanel()) launch_->PanelClosed();
    if (KivAction* a = PanelAction(panel)) a->SetChecked(false);
}

void TBins::acShowClipBinExecute() { ShowBinPanel(pnlClipBin, acShowClipBin); }

void TBins::acShowLaunchBinExecute() { ShowBinPanel(pnlLaunchBin, acShowLaunchBin); }

void TBins::acShowTemplateExecute() { ShowBinPanel(pnlTemplateBin, acShowTemplate); }

// ---- the bin lists ----

bool TBins::AcceptsTopicDrag(QObject* source) {
    return qobject_cast<TKivStringGrid*>(source) != nullptr;
}

QListWidget* TBins::ListOfViewport(QObject* o) const {
    for (QListWidget* list : {lbxClipCard, lbxTemplate, lbxLaunchBin})
        if (o == list->viewport()) return list;
    return nullptr;
}

void TBins::StartListDrag(QListWidget* list) {
    if (!list || list->selectedItems().isEmpty() || ctx_.IsBusy()) return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(TKivStringGrid::InternalDragFormat),
                  list->objectName().toUtf8());
    TKivStringGrid::SetInternalDragSource(list);
    struct End {
        ~End() { TKivStringGrid::SetInternalDragSource(nullptr); }
    } end;
    ListDragStarter(list, data);
}

void TBins::lbxClipCardDragDrop(QObject* source) {
    auto* grid = qobject_cast<TKivStringGrid*>(source);
    if (grid) AddToClipCard(grid);
}

void TBins::lbxTemplateDragDrop(QObject* source) {
    if (qobject_cast<TKivStringGrid*>(source))
        ctx_.Actions().Get(QStringLiteral("acDoAsTemplate")).Execute();
}

int TBins::DeleteSelectedLines(QListWidget* list, const std::function<void(int)>& removeEntry) {
    const std::vector<int> rows = SelectedRows(list);
    // From the highest down, so that the lines still ahead keep their indices and stay
    // paired with their entries.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        delete list->takeItem(*it);
        if (removeEntry) removeEntry(*it);
    }
    if (rows.empty()) return -1;
    if (list->count() > 0) list->setCurrentRow(std::min(rows.front(), list->count() - 1));
    return rows.front();
}

void TBins::DeleteClipBinLines() {
    DeleteSelectedLines(lbxClipCard, [this](int i) { ClipCardBin.Delete(i); });
}

void TBins::DeleteLaunchBinLines() {
    if (DeleteSelectedLines(lbxLaunchBin, nullptr) >= 0 && lbxLaunchBin->count() == 0)
        SetImageIndex(acShowLaunchBin, 17);
}

void TBins::DeleteTemplateLines() {
    const std::vector<int> rows = SelectedRows(lbxTemplate);
    if (rows.empty()) return;
    const std::string path = AppDir() + "template.kiv";
    UnpackDatastructure(path);
    if (!FileExists(path) || !FileExists(CardFileName(path))) return;
    std::unique_ptr<PosixBlockFile> f = OpenDataFile(path);
    if (!f) return;
    const uint32_t root = ReadRootNest(f.get());
    if (root == 0) return;
    // Only the chosen topics leave the root nest; whatever else it holds now (topics
    // templated in this run among them) stays in its order.
    TItemArray items;
    ReadNestItems(f.get(), root, items);
    for (int i : rows) {
        const TNestItem gone = TemplateBin.GetItem(i).Item();
        auto at = std::find_if(items.begin(), items.end(), [&gone](const TNestItem& it) {
            return it.CardDir == gone.CardDir && it.ChildNest == gone.ChildNest;
        });
        if (at != items.end()) items.erase(at);
    }
    WriteNestItems(f.get(), root, items);
    f.reset();
    // The lines go once the file holds the change.
    DeleteSelectedLines(lbxTemplate, [this](int i) { TemplateBin.Delete(i); });
}

void TBins::lbxLaunchBinDblClick(QListWidgetItem* item) {
    if (!item) return;
    const QString line = item->text();
    const qsizetype cut = line.indexOf(kLinkSeparator);
    const QString target = cut < 0 ? line : line.left(cut);
    if (!target.isEmpty()) launch_->LaunchLink(TextToStored(target), false, true);
}

// ---- what the other rooms ask of the bins ----

void TBins::UpdateTextBinIcon() {
    const QString t = txtTextBin->toPlainText();
    SetImageIndex(acShowTextBin, t.size() >= 10 || !Trim(t.toStdString()).empty() ? 21 : 18);
}

QString TBins::TextBinText() const { return txtTextBin->toPlainText(); }

void TBins::SetTextBinText(const QString& text) {
    BuildPanes();
    txtTextBin->setPlainText(text);
    txtTextBin->document()->setModified(false);
    UpdateTextBinIcon();
}

void TBins::WatchTextBinEditor(QObject* filter) {
    BuildPanes();
    txtTextBin->installEventFilter(filter);
}

KivAction& TBins::ShowRecycledBinCommand() {
    BuildPanes();
    return *acShowRecycledBin;
}

KivAction& TBins::ShowTextBinCommand() {
    BuildPanes();
    return *acShowTextBin;
}

void TBins::TakeBackTextBinEditor(QTextEdit* editor) {
    BuildPanes();
    if (editor->parentWidget() != pnlTextBin) {
        editor->setParent(pnlTextBin);
        if (auto* box = qobject_cast<QBoxLayout*>(pnlTextBin->layout())) box->addWidget(editor, 1);
        editor->show();
    }
    if (!acShowTextBin->Checked()) acShowTextBin->Execute();
}

void TBins::BringTextBinUp() {
    BuildPanes();
    if (isShown(pnlTextBin)) pnlTextBin->raise();  // a child: stacked by us
    else acShowTextBin->Execute();
}

QStringList TBins::LaunchBinLines() const {
    QStringList lines;
    for (int i = 0; i < lbxLaunchBin->count(); ++i) lines << lbxLaunchBin->item(i)->text();
    return lines;
}

void TBins::SetLaunchBinLines(const QStringList& lines) {
    BuildPanes();
    lbxLaunchBin->clear();
    AddLaunchBinLines(lines);
}

void TBins::AddLaunchBinLines(const QStringList& lines) {
    BuildPanes();
    lbxLaunchBin->addItems(lines);
    if (lbxLaunchBin->count() > 0) SetImageIndex(acShowLaunchBin, 19);
}

QStringList TBins::TakeSelectedLaunchBinLines() {
    BuildPanes();
    const std::vector<int> rows = SelectedRows(lbxLaunchBin);
    QStringList lines;
    for (int i : rows) lines << lbxLaunchBin->item(i)->text();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) delete lbxLaunchBin->takeItem(*it);
    if (lbxLaunchBin->count() == 0) SetImageIndex(acShowLaunchBin, 17);
    return lines;
}

QWidget* TBins::LaunchBinDropTarget() {
    BuildPanes();
    return pnlLaunchBin;
}

void TBins::BringLaunchBinUp() {
    BuildPanes();
    if (isShown(pnlLaunchBin)) pnlLaunchBin->raise();
    else acShowLaunchBin->Execute();
}

void TBins::AddToClipCard(TKivStringGrid* grid) {
    BuildPanes();
    if (!grid || !grid->IsRowValid(grid->CurrentRow()) || locked_) return;
    TNester& m = *grid->Nester;
    for (int row : m.GetMarkedRows(true)) {
        const TRecycledRecord r{m.ParentNest(row), m.CardDir(row), uint32_t(m.ChildNest(row))};
        if (r.CardDir == 0 && r.ChildNest == 0) continue;
        bool listed = false;
        for (int i = 0; i < ClipCardBin.Count() && !listed; ++i)
            listed = ClipCardBin.GetItem(i) == r;
        if (listed) continue;
        ClipCardBin.Add(r);
        lbxClipCard->addItem(StoredToText(ShortCaption(m.Caption(row), kShortCaptionLength)));
    }
}

void TBins::ShowBinPanel(QWidget* panel, KivAction* action) {
    if (!panel->isHidden()) {
        panel->hide();
    } else {
        panel->show();
        panel->raise();
    }
    if (action) action->SetChecked(!panel->isHidden());
}

std::vector<int> TBins::SelectedClipLines() const { return SelectedRows(lbxClipCard); }

TRecycledRecord TBins::ClipAt(int line) const { return ClipCardBin.GetItem(line); }

void TBins::RemoveClipLine(int line) {
    delete lbxClipCard->takeItem(line);
    ClipCardBin.Delete(line);
}

void TBins::ClearTemplates() {
    BuildPanes();
    lbxTemplate->clear();
    TemplateBin.Clear();
}

void TBins::AddTemplate(const TRecycledRecord& record, const QString& caption) {
    BuildPanes();
    lbxTemplate->addItem(caption);
    TemplateBin.Add(record);
}

std::vector<int> TBins::SelectedTemplateLines() const { return SelectedRows(lbxTemplate); }

TRecycledRecord TBins::TemplateAt(int line) const { return TemplateBin.GetItem(line); }

void TBins::DeselectTemplates() {
    for (int i : SelectedRows(lbxTemplate)) lbxTemplate->item(i)->setSelected(false);
}

void TBins::SetTemplateOpen(bool isTemplate) {
    BuildPanes();
    if (isTemplate) pnlTemplateBin->hide();
    acShowTemplate->SetEnabled(!isTemplate);
}

IBinsColumn::TBinList TBins::BinListOf(const QObject* source) const {
    if (!source) return TBinList::None;
    if (source == lbxClipCard) return TBinList::Clip;
    if (source == lbxTemplate) return TBinList::Template;
    if (source == lbxLaunchBin) return TBinList::Launch;
    return TBinList::None;
}

void TBins::ShowBinsEmpty() {
    BuildPanes();
    SetImageIndex(acShowLaunchBin, 17);
    SetImageIndex(acShowTextBin, 18);
    SetImageIndex(acShowRecycledBin, 6);
}

void TBins::ShowRecycledBinFull() {
    BuildPanes();
    SetImageIndex(acShowRecycledBin, 20);
}

void TBins::HideBinPanels() {
    BuildPanes();
    for (QWidget* p : {pnlTextBin, pnlLaunchBin, pnlClipBin, pnlTemplateBin}) p->hide();
    for (KivAction* a : {acShowTextBin, acShowLaunchBin, acShowClipBin, acShowTemplate})
        a->SetChecked(false);
}

void TBins::SetPasswordLocked(bool locked) {
    BuildPanes();
    locked_ = locked;
    for (QWidget* p : {pnlTextBin, pnlLaunchBin, pnlClipBin, pnlTemplateBin})
        p->setEnabled(!locked);
}

}  // namespace kiv

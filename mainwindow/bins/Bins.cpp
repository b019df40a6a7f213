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

#include "engine/core/DatastructureFiles.h"
#include "engine/core/NestFunctions.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/drops/DropsInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "platform/core/AppPaths.h"
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

TBins::TBins(IWindowContext& ctx) : ctx_(ctx), launch_(ctx.Published()), drops_(ctx.Published()) {
    ctx.Published().Publish<IBins>(*this);
    ListDragStarter = [](QListWidget* source, QMimeData* data) {
        auto* drag = new QDrag(source);
        drag->setMimeData(data);
        drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    };
}

void TBins::BuildComponents() {
    TWindowSkeleton& k = ctx_.Skeleton();
    QMainWindow* w = &ctx_.Window();
    panels_ = {launch_->CardPanel(), k.pnlClipBin, k.pnlTemplateBin,
               k.pnlLaunchBin,       k.pnlTextBin, k.pnlMetaCard};
    for (QWidget* p : panels_) WireHeader(p);

    k.acShowClipBin->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    SetImageIndex(k.acShowClipBin, 13);
    k.acShowClipBin->OnExecute = [this](KivAction*) { acShowClipBinExecute(); };
    k.acShowLaunchBin->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    k.acShowLaunchBin->OnExecute = [this](KivAction*) { acShowLaunchBinExecute(); };
    k.acShowTemplate->OnExecute = [this](KivAction*) { acShowTemplateExecute(); };
    SetImageIndex(k.acShowLaunchCard, 11);
    for (KivAction* a : {k.acShowClipBin, k.acShowLaunchBin, k.acShowTemplate}) {
        w->addAction(a);
        k.tbBins->addAction(a);
        k.View1->addAction(a);
    }
    WireLists();
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
    TWindowSkeleton& k = ctx_.Skeleton();
    for (QListWidget* list : {k.lbxClipCard, k.lbxTemplate}) {
        list->setAcceptDrops(true);
        list->viewport()->setAcceptDrops(true);
    }
    for (QListWidget* list : {k.lbxClipCard, k.lbxTemplate, k.lbxLaunchBin}) {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);  // presses that become drags
    }
    k.txtTextBin->installEventFilter(this);
    k.lbxLaunchBin->setItemDelegate(new TLaunchBinDelegate(k.lbxLaunchBin));
    k.lbxLaunchBin->setUniformItemSizes(true);
    connect(k.lbxLaunchBin, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        GuardCall([this, item] { lbxLaunchBinDblClick(item); });
    });
}

QWidget* TBins::PanelOf(QObject* o) const {
    for (auto* w = qobject_cast<QWidget*>(o); w; w = w->parentWidget())
        if (std::find(panels_.begin(), panels_.end(), w) != panels_.end()) return w;
    return nullptr;
}

bool TBins::eventFilter(QObject* watched, QEvent* event) {
    TWindowSkeleton& k = ctx_.Skeleton();
    bool handled = false;
    GuardCall([&] {
        const QEvent::Type type = event->type();
        if (type == QEvent::FocusIn && (watched == k.lbxClipCard || watched == k.lbxTemplate ||
                                        watched == k.lbxLaunchBin || watched == k.txtTextBin)) {
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
        if (watched == k.lbxClipCard->viewport() || watched == k.lbxTemplate->viewport()) {
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
                    if (watched == k.lbxClipCard->viewport()) lbxClipCardDragDrop(source);
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
            if (watched == k.lbxClipCard) DeleteClipBinLines();
            else if (watched == k.lbxLaunchBin) DeleteLaunchBinLines();
            else if (watched == k.lbxTemplate) DeleteTemplateLines();
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
    TWindowSkeleton& k = ctx_.Skeleton();
    if (panel == launch_->CardPanel()) return k.acShowLaunchCard;
    if (panel == k.pnlLaunchBin) return k.acShowLaunchBin;
    if (panel == k.pnlClipBin) return k.acShowClipBin;
    if (panel == k.pnlTextBin) return k.acShowTextBin;
    if (panel == k.pnlTemplateBin) return k.acShowTemplate;
    if (panel == k.pnlMetaCard) return k.acShowMetaCard;
    return nullptr;
}

void TBins::btnCloseLaunchCardClick(QWidget* panel) {
    panel->hide();
    if (panel == launch_->CardPanel()) launch_->PanelClosed();
    if (KivAction* a = PanelAction(panel)) a->SetChecked(false);
}

void TBins::acShowClipBinExecute() {
    drops_->ShowBinPanel(ctx_.Skeleton().pnlClipBin, ctx_.Skeleton().acShowClipBin);
}

void TBins::acShowLaunchBinExecute() {
    drops_->ShowBinPanel(ctx_.Skeleton().pnlLaunchBin, ctx_.Skeleton().acShowLaunchBin);
}

void TBins::acShowTemplateExecute() {
    drops_->ShowBinPanel(ctx_.Skeleton().pnlTemplateBin, ctx_.Skeleton().acShowTemplate);
}

// ---- the bin lists ----

bool TBins::AcceptsTopicDrag(QObject* source) {
    return qobject_cast<TKivStringGrid*>(source) != nullptr;
}

QListWidget* TBins::ListOfViewport(QObject* o) const {
    TWindowSkeleton& k = ctx_.Skeleton();
    for (QListWidget* list : {k.lbxClipCard, k.lbxTemplate, k.lbxLaunchBin})
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
    if (grid) drops_->AddToClipCard(grid);
}

void TBins::lbxTemplateDragDrop(QObject* source) {
    if (qobject_cast<TKivStringGrid*>(source)) ctx_.Skeleton().acDoAsTemplate->Execute();
}

int TBins::DeleteSelectedLines(QListWidget* list, const std::function<void(int)>& removeEntry) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
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
    TWindowSkeleton& k = ctx_.Skeleton();
    DeleteSelectedLines(k.lbxClipCard, [&k](int i) { k.ClipCardBin.Delete(i); });
}

void TBins::DeleteLaunchBinLines() {
    TWindowSkeleton& k = ctx_.Skeleton();
    if (DeleteSelectedLines(k.lbxLaunchBin, nullptr) >= 0 && k.lbxLaunchBin->count() == 0)
        SetImageIndex(k.acShowLaunchBin, 17);
}

void TBins::DeleteTemplateLines() {
    TWindowSkeleton& k = ctx_.Skeleton();
    std::vector<int> rows;
    for (int i = 0; i < k.lbxTemplate->count(); ++i)
        if (k.lbxTemplate->item(i)->isSelected()) rows.push_back(i);
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
        const TNestItem gone = k.TemplateBin.GetItem(i).Item();
        auto at = std::find_if(items.begin(), items.end(), [&gone](const TNestItem& it) {
            return it.CardDir == gone.CardDir && it.ChildNest == gone.ChildNest;
        });
        if (at != items.end()) items.erase(at);
    }
    WriteNestItems(f.get(), root, items);
    f.reset();
    // The lines go once the file holds the change.
    DeleteSelectedLines(k.lbxTemplate, [&k](int i) { k.TemplateBin.Delete(i); });
}

void TBins::lbxLaunchBinDblClick(QListWidgetItem* item) {
    if (!item) return;
    const QString line = item->text();
    const qsizetype cut = line.indexOf(kLinkSeparator);
    const QString target = cut < 0 ? line : line.left(cut);
    if (!target.isEmpty()) launch_->LaunchLink(TextToStored(target), false, true);
}

void TBins::AddResourceLink(const std::string& line) {
    TWindowSkeleton& k = ctx_.Skeleton();
    k.lbxLaunchBin->addItem(StoredToText(line));
    SetImageIndex(k.acShowLaunchBin, 19);
}

}  // namespace kiv

// The graphic card pane: the current topic's images, loaded at the topic change and stored
// before it, with the commands that add and remove them.
#include "mainwindow/graphiccard/GraphicCard.h"

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QWhatsThis>

#include "engine/core/Cards.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/graphiccard/GrManager.h"
#include "mainwindow/graphiccard/ImageFiles.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/qt/Colors.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Grids.h"

namespace kiv {

namespace {

const char* const kOpenGraphicFilter =
    "All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.wmf;*.emf)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.wmf;*.emf|GIF Image "
    "(*.gif)|*.gif|JPEG Image (*.jpg;*.jpeg)|*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Metafiles "
    "(*.wmf)|*.wmf|Enhanced metafiles (*.emf)|*.emf";

// The local files a drop or the clipboard carries: file URLs, or lines of absolute paths.
QStringList LocalFiles(const QMimeData* mime) {
    QStringList files;
    if (!mime) return files;
    if (mime->hasUrls()) {
        for (const QUrl& u : mime->urls())
            if (u.isLocalFile()) files << u.toLocalFile();
    } else if (mime->hasText()) {
        for (const QString& line : mime->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString t = line.trimmed();
            if (t.startsWith(QLatin1String("file://"))) files << QUrl(t).toLocalFile();
            else if (t.startsWith(QLatin1Char('/'))) files << t;
        }
    }
    return files;
}

QPixmap WithGraphicPicture() {
    QImage img = PlaceholderImage(QSize(16, 12), QString());
    QPainter p(&img);
    p.setPen(QColor(0, 128, 0));
    p.drawLine(2, 9, 6, 4);
    p.drawLine(6, 4, 9, 8);
    p.drawLine(9, 8, 11, 6);
    p.drawLine(11, 6, 13, 9);
    return QPixmap::fromImage(img);
}

}  // namespace

TGraphicCard::TGraphicCard(IWindowContext& ctx)
    : ctx_(ctx), textCard_(ctx.Published()), launch_(ctx.Published()) {
    ctx.Published().Publish<IGraphicCard>(*this);
    // In the window's browser when it shows pictures, else with the desktop's program.
    OpenImage = [this](const QString& file) {
        launch_->LaunchLink(TextToStored(file), false, true);
    };
}

TGraphicCard::~TGraphicCard() = default;

void TGraphicCard::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();

    acShowGraphicCard = Action(w, "acShowGraphicCard", QStringLiteral("Graphic Card"), true);
    acShowGraphicCard->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
    acShowGraphicCard->setToolTip(QStringLiteral("Graphics Card"));
    acShowGraphicCard->setStatusTip(QStringLiteral("Graphics Card"));
    SetShowImage(false);
    acShowGraphicCard->OnExecute = [this](KivAction*) { acShowGraphicCardExecute(); };
    w->addAction(acShowGraphicCard);
    k.Cards1->addAction(acShowGraphicCard);
    if (!k.MainMenu1->actions().contains(k.Cards1->menuAction()))
        k.MainMenu1->insertMenu(k.Settings1->menuAction(), k.Cards1);

    // The pane shares the text row with the text card, half and half while shown.
    QWidget* right = textCard_->SidePane();
    auto* rightBox = right->layout() ? static_cast<QBoxLayout*>(right->layout()) : VBox(right);
    if (auto* row = qobject_cast<QBoxLayout*>(right->parentWidget()->layout()))
        row->setStretchFactor(right, 1);
    pnlGraphicCard = Panel(right, "pnlGraphicCard");
    rightBox->addWidget(pnlGraphicCard);
    auto* box = VBox(pnlGraphicCard);
    auto* bar = Panel(pnlGraphicCard, "pnlGraphicCardBar");
    auto* barBox = HBox(bar);
    barBox->setContentsMargins(4, 1, 1, 1);
    barBox->addWidget(new QLabel(QStringLiteral("Graphic Card"), bar), 1);
    btnOpenGraphic = Named(new QToolButton(bar), "btnOpenGraphic");
    btnOpenGraphic->setText(QStringLiteral("+"));
    btnOpenGraphic->setToolTip(QStringLiteral("Add Image"));
    btnOpenGraphic->setAutoRaise(true);
    connect(btnOpenGraphic, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnOpenGraphicClick(); }); });
    btnCloseGraphicCard = Named(new QToolButton(bar), "btnCloseGraphicCard");
    btnCloseGraphicCard->setText(QStringLiteral("x"));
    btnCloseGraphicCard->setAutoRaise(true);
    connect(btnCloseGraphicCard, &QToolButton::clicked, this,
            [this] { GuardCall([this] { btnCloseGraphicCardClick(); }); });
    barBox->addWidget(btnOpenGraphic);
    barBox->addWidget(btnCloseGraphicCard);
    box->addWidget(bar);

    TStringGrid* g = sgdGraphicCard = Named(new TStringGrid(pnlGraphicCard), "sgdGraphicCard");
    g->SetFixedCols(0);
    g->SetFixedRows(0);
    g->SetColCount(1);
    g->SetRowCount(1);
    g->SetOptions(TGridOptions());
    g->SetDefaultDrawing(false);
    g->OnDrawCell = [this](TCustomGrid*, int, int r, const QRect& rect, TGridDrawState) {
        DrawCell(r, rect);
    };
    g->OnMouseMove = [this](TCustomGrid*, TShiftState, int x, int y) { GridMouseMove(x, y); };
    g->OnMouseDown = [this](TCustomGrid*, TCustomGrid::TMouseButton b, TShiftState s, int x,
                            int y) { GridMouseDown(b, s, x, y); };
    g->OnKeyDown = [this](TCustomGrid*, Word& key, TShiftState s) { GridKeyDown(key, s); };
    box->addWidget(g, 1);
    grManager_ = std::make_unique<TGrManager>(g);
    grManager_->OnFirstImage = [this] { SetShowImage(true); };

    pmGraphicCard = Named(new QMenu(g), "pmGraphicCard");
    AddImage1 = Item(pmGraphicCard, "AddImage1", QStringLiteral("Add Image"));
    AddImage1->setShortcut(QKeySequence(Qt::Key_Insert));
    DeleteImage1 = Item(pmGraphicCard, "DeleteImage1", QStringLiteral("Delete Image"));
    DeleteImage1->setShortcut(QKeySequence(Qt::Key_Delete));
    // The grid's own key handling runs these keys; the shortcuts are only shown.
    for (QAction* a : {AddImage1, DeleteImage1}) a->setShortcutContext(Qt::WidgetShortcut);
    pmGraphicCard->addAction(AddImage1);
    pmGraphicCard->addAction(DeleteImage1);
    pmGraphicCard->addSeparator();
    pmGraphicCard->addAction(QWhatsThis::createAction(pmGraphicCard));
    connect(AddImage1, &QAction::triggered, this,
            [this] { GuardCall([this] { btnOpenGraphicClick(); }); });
    connect(DeleteImage1, &QAction::triggered, this,
            [this] { GuardCall([this] { DeleteImage1Click(); }); });
    connect(pmGraphicCard, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { UpdatePopup(); }); });
    g->SetPopupMenu(pmGraphicCard);

    odOpenGraphic.Title = QStringLiteral("Select Image File");
    odOpenGraphic.Filter = QString::fromLatin1(kOpenGraphicFilter);
    odOpenGraphic.FileMustExist = true;

    imgWithGraphic = Named(new QLabel, "imgWithGraphic");
    imgWithGraphic->setPixmap(WithGraphicPicture());
    imgWithGraphic->setToolTip(QStringLiteral("Graphic Card"));
    textCard_->AddToCaptionLine(imgWithGraphic);

    // Drops reach the card through the window's drop handling (the drops feature), which
    // calls AddImageFiles with its lock check.
    g->installEventFilter(this);
    imgWithGraphic->installEventFilter(this);
    pnlGraphicCard->hide();
}

std::vector<QWidget*> TGraphicCard::DropTargets() const { return {pnlGraphicCard, sgdGraphicCard}; }

bool TGraphicCard::IsDropTarget(const QWidget* target) const {
    return target && (target == pnlGraphicCard || target == sgdGraphicCard);
}

bool TGraphicCard::eventFilter(QObject* watched, QEvent* e) {
    bool handled = false;
    GuardCall([&] {
        switch (e->type()) {
        case QEvent::MouseButtonRelease:
            if (watched == imgWithGraphic) {
                acShowGraphicCard->Execute();
                handled = true;
            }
            break;
        case QEvent::Resize:
            if (watched == sgdGraphicCard)
                grManager_->RefreshImageRowHeights(grManager_->ImageCount());
            break;
        default: break;
        }
    });
    return handled || QObject::eventFilter(watched, e);
}

void TGraphicCard::SetShowImage(bool hasCard) {
    SetImageIndex(acShowGraphicCard, hasCard ? kImageWithGraphic : kImageWithoutGraphic);
}

bool TGraphicCard::CardTopicWritable() const {
    if (pnlGraphicCard->isHidden()) return false;
    const int row = owner_.FindRow();
    return row >= 0 && !owner_.Grid->Nester->IsLocked(row);
}

void TGraphicCard::LoadGraphicCardList(TKivStringGrid* grid, int row) {
    // A changed list goes back to its own topic first; one that could not be stored stays.
    if (grManager_->Modified() && !StoreGraphicCardList(grid, row)) return;
    const bool valid = grid && grid->IsRowValid(row);
    std::string card;
    if (valid) grid->Nester->Cards().ReadRowCard(kCardGraphic, row, card);
    SetShowImage(!card.empty());
    if (pnlGraphicCard->isHidden()) return;
    grManager_->ClearImages();
    keptLines_.clear();
    storeFailureShown_ = false;
    owner_ = TTopicRef::Of(grid, row);
    const QString base = QString::fromStdString(AppDir());
    for (const std::string& line : SplitLines(card)) {
        if (Trim(line).empty()) continue;
        // A line naming no image file of ours is not shown, and written back as it was.
        if (!grManager_->AddImage(ResolveStoredImagePath(line, base), line))
            keptLines_.push_back(line);
    }
    sgdGraphicCard->Invalidate();
    grManager_->SetModified(false);
}

std::string TGraphicCard::CardText() const {
    std::string card;
    for (int i = 0; i < grManager_->ImageCount(); ++i) {
        const TGrImage* img = grManager_->GetImage(i);
        card += img->StoredLine.empty()
                    ? MakeRelativePath(AppDir(), LegacyText::Encode(img->FileName.toStdString()))
                    : img->StoredLine;
        card += "\r\n";
    }
    for (const std::string& line : keptLines_) card += line + "\r\n";
    return card;
}

void TGraphicCard::Subscribe(TWindowEvents& events) {
    events.TopicLeaving.Subscribe(
        [this](TKivStringGrid* grid, int row, bool&) { StoreGraphicCardList(grid, row); });
    events.TopicShown.Subscribe(
        [this](TKivStringGrid* grid, int row) { LoadGraphicCardList(grid, row); });
}

bool TGraphicCard::StoreGraphicCardList(TKivStringGrid* grid, int row) {
    if (!grManager_->Modified() || pnlGraphicCard->isHidden()) return true;
    // The list goes back to the topic it was loaded from, wherever its row stands now.
    const int target = owner_.Is(grid, row) ? row : owner_.FindRow();
    if (target < 0 || owner_.Grid->Nester->IsLocked(target)) {
        grManager_->SetModified(false);
        return true;
    }
    TKivStringGrid* g = owner_.Grid;
    const std::string card = CardText();
    if (!WriteTopicCard(g, target, kCardGraphic, card, storeFailure_)) {
        // The list stays, changed, with its topic for the next try.
        if (!storeFailureShown_) {
            storeFailureShown_ = true;
            if (!QuietStoreFailures)
                MessageDlg(UnstoredCardForMessage(QStringLiteral("The graphic card"), g, target,
                                                  storeFailure_),
                           MsgType::Error, MsgButtons::OK);
        }
        return false;
    }
    storeFailureShown_ = false;
    owner_.StoredAt(target);
    grManager_->SetModified(false);
    if (g == grid && target == row) SetShowImage(!card.empty());
    return true;
}

QString TGraphicCard::UnstoredCard() const {
    const int row = owner_.FindRow();
    if (!grManager_->Modified() || pnlGraphicCard->isHidden() || row < 0) return QString();
    return UnstoredCardForMessage(QStringLiteral("The graphic card"), owner_.Grid, row,
                                  storeFailure_);
}

void TGraphicCard::CloseGraphicCard() {
    if (acShowGraphicCard->Checked()) acShowGraphicCard->Execute();
}

void TGraphicCard::acShowGraphicCardExecute() {
    if (!pnlGraphicCard->isHidden()) {
        btnCloseGraphicCardClick();
        return;
    }
    textCard_->SidePane()->show();
    pnlGraphicCard->show();
    LoadGraphicCardList(ctx_.CurrentGrid(), ctx_.CurrentRow());
    pnlGraphicCard->raise();
    sgdGraphicCard->SetDefaultDrawing(true);
    acShowGraphicCard->SetChecked(true);
}

void TGraphicCard::btnCloseGraphicCardClick() {
    // A list that could not be stored is not thrown away: the pane stays.
    if (!StoreGraphicCardList(ctx_.CurrentGrid(), ctx_.CurrentRow())) return;
    pnlGraphicCard->hide();
    grManager_->ClearImages();
    grManager_->SetModified(false);
    keptLines_.clear();
    owner_ = {};
    sgdGraphicCard->SetDefaultDrawing(false);
    acShowGraphicCard->SetChecked(false);
    // The column closes when nothing else in it is shown.
    QWidget* right = textCard_->SidePane();
    bool shown = false;
    for (QWidget* c : right->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        shown = shown || !c->isHidden();
    if (!shown) right->hide();
}

int TGraphicCard::AddImageFiles(const QStringList& files) {
    if (!CardTopicWritable()) return 0;
    int added = 0;
    for (const QString& f : files)
        if (grManager_->AddImage(f)) ++added;
    if (added > 0) grManager_->SetSelectedImage(grManager_->ImageCount() - 1);
    sgdGraphicCard->Invalidate();
    return added;
}

void TGraphicCard::btnOpenGraphicClick() {
    if (!CardTopicWritable()) return;
    if (odOpenGraphic.Execute()) AddImageFiles({odOpenGraphic.FileName});
}

void TGraphicCard::DeleteImage1Click() {
    if (!CardTopicWritable()) return;
    const int sel = grManager_->Selected();
    if (sel < 0) return;
    grManager_->DeleteImage(sel);
    if (grManager_->ImageCount() == 0) SetShowImage(false);
    else grManager_->SetSelectedImage(std::min(sel, grManager_->ImageCount() - 1));
}

void TGraphicCard::UpdatePopup() {
    const bool writable = CardTopicWritable();
    AddImage1->setEnabled(writable);
    DeleteImage1->setEnabled(writable && grManager_->Selected() >= 0);
}

void TGraphicCard::DrawCell(int ARow, const QRect& rect) {
    const TGrImage* img = grManager_->GetImage(ARow);
    QPainter* p = sgdGraphicCard->Canvas();
    if (!p || !sgdGraphicCard->DefaultDrawing()) return;
    // The grid's own highlight is not wanted: the selected image has its focus rectangle.
    p->fillRect(rect, toQColor(sgdGraphicCard->Color()));
    if (!img) return;
    p->drawImage(QPoint(rect.left() + TGrManager::kImageLeft, rect.top() + TGrManager::kImageTop),
                 img->Picture);
    if (ARow == grManager_->Selected()) {
        p->save();
        p->setPen(QPen(toQColor(clWindowText), 1, Qt::DotLine));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRect(rect.left(), rect.top(), img->Picture.width() + TGrManager::kRowExtra,
                          rect.height())
                        .adjusted(0, 0, -1, -1));
        p->restore();
    }
}

void TGraphicCard::GridMouseMove(int X, int Y) {
    if (ctx_.IsBusy()) return;
    int col = -1, row = -1;
    sgdGraphicCard->MouseToCell(X, Y, col, row);
    QString hint;
    if (const TGrImage* img = grManager_->GetImage(row);
        img && X < img->Picture.width() + TGrManager::kRowExtra)
        hint = img->FileName + QStringLiteral(", ") + QString::number(img->Size.width()) +
               QLatin1Char('x') + QString::number(img->Size.height());
    if (hint != sgdGraphicCard->toolTip()) {
        QToolTip::hideText();
        sgdGraphicCard->setToolTip(hint);
    }
}

void TGraphicCard::GridMouseDown(int Button, TShiftState Shift, int X, int Y) {
    if (ctx_.IsBusy() || Button != TCustomGrid::mbLeft) return;
    int col = -1, row = -1;
    sgdGraphicCard->MouseToCell(X, Y, col, row);
    if (Shift.Contains(ssDouble)) {
        if (const TGrImage* img = grManager_->GetImage(row); img && OpenImage)
            OpenImage(img->FileName);
        return;
    }
    if (row != grManager_->Selected() && grManager_->GetImage(row))
        grManager_->SetSelectedImage(row);
}

void TGraphicCard::GridKeyDown(Word& Key, TShiftState Shift) {
    if (ctx_.IsBusy()) return;
    const int count = grManager_->ImageCount();
    const int sel = grManager_->Selected();
    const TShiftState keys = Shift.Keys();
    switch (Key) {
    case VK_END:
        if (count > 0) grManager_->SetSelectedImage(count - 1);
        break;
    case VK_HOME:
        if (count > 0 && sel != 0) grManager_->SetSelectedImage(0);
        break;
    case VK_UP:
        if (sel > 0) grManager_->SetSelectedImage(sel - 1);
        break;
    case VK_DOWN:
        if (sel + 1 < count) grManager_->SetSelectedImage(sel + 1);
        break;
    case VK_INSERT:
        if (keys.Contains(ssShift))
            AddImageFiles(LocalFiles(QApplication::clipboard()->mimeData()));
        else btnOpenGraphicClick();
        break;
    case VK_DELETE: DeleteImage1Click(); break;
    case 'V':
        if (!keys.Contains(ssCtrl)) return;
        AddImageFiles(LocalFiles(QApplication::clipboard()->mimeData()));
        break;
    default: return;
    }
    Key = 0;
}

}  // namespace kiv

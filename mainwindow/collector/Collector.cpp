// The collector window (TfrmSwallow) and the main window's side of it (TCollector).
#include "mainwindow/collector/Collector.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextEdit>
#include <QWindow>

#include "components/TrayIcon.h"
#include "dialogs/PrintWindow.h"
#include "dialogs/TextBinWindow.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/drops/DropsInterface.h"
#include "mainwindow/help/HelpInterface.h"
#include "mainwindow/filecommands/FileCommandsInterface.h"
#include "mainwindow/bins/BinsInterface.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

TfrmSwallow* frmSwallow = nullptr;

namespace {

constexpr QRgb kDropPanelColor = qRgb(67, 242, 252);  // 0x00FCF243 in Windows order

// Under native Wayland a client can neither move nor raise its own window.
bool NativeWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Only a desktop with windows to stack can put one in front (the offscreen one cannot).
bool CanRaise() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

void RaiseWindow(QWidget& w) {
    if (CanRaise()) w.raise();
}

// A menu item that stands for an action of another name: caption, enabling and visibility
// follow the action, a click runs it.
QAction* LinkedItem(QObject* owner, const char* name, KivAction* action) {
    QAction* item = Item(owner, name, action->text());
    auto follow = [item, action] {
        item->setText(action->text());
        item->setEnabled(action->isEnabled());
        item->setVisible(action->isVisible());
    };
    QObject::connect(action, &QAction::changed, item, follow);
    QObject::connect(item, &QAction::triggered, action,
                     [action] { GuardCall([action] { action->Execute(); }); });
    return item;
}

}  // namespace

QPixmap SwallowPicture(bool open) {
    QPixmap pm(38, 38);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor back(0x14, 0x24, 0x5A), throat(0xC8, 0x32, 0x28);
    // Wings: swept back, raised when something is about to be dropped.
    QPainterPath wings;
    const qreal tip = open ? 5 : 13;
    wings.moveTo(17, 19);
    wings.quadTo(9, tip + 4, 2, tip);
    wings.quadTo(10, 22, 18, 23);
    wings.moveTo(21, 19);
    wings.quadTo(29, tip + 4, 36, tip);
    wings.quadTo(28, 22, 20, 23);
    p.fillPath(wings, back);
    // Body with the forked tail.
    QPainterPath body;
    body.moveTo(19, 9);
    body.cubicTo(23, 10, 23, 20, 21, 26);
    body.lineTo(24, 35);
    body.lineTo(19, 29);
    body.lineTo(14, 35);
    body.lineTo(17, 26);
    body.cubicTo(15, 20, 15, 10, 19, 9);
    p.fillPath(body, back);
    p.setPen(Qt::NoPen);
    p.setBrush(throat);
    p.drawEllipse(QPointF(19, 14), 2.2, 2.2);
    // The beak, opened wide for what comes.
    p.setBrush(QColor(0x30, 0x30, 0x30));
    QPolygonF beak;
    if (open) beak << QPointF(16.5, 9.5) << QPointF(19, 3) << QPointF(21.5, 9.5) << QPointF(19, 7);
    else beak << QPointF(17.5, 9.5) << QPointF(19, 6) << QPointF(20.5, 9.5);
    p.drawPolygon(beak);
    return pm;
}

TfrmSwallow::TfrmSwallow(std::unique_ptr<TTrayIconBackend> tray)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSwallow"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    DropPanel = Named(new QFrame(this), "DropPanel");
    DropPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    DropPanel->setLineWidth(2);
    DropPanel->setGeometry(0, 0, 42, 42);
    DropPanel->setAutoFillBackground(true);
    QPalette pal = DropPanel->palette();
    pal.setColor(QPalette::Window, QColor(kDropPanelColor));
    DropPanel->setPalette(pal);
    auto* fill = new QVBoxLayout(DropPanel);
    fill->setContentsMargins(0, 0, 0, 0);  // the bevel leaves the picture 38 x 38

    Image1 = Named(new QLabel(DropPanel), "Image1");
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setAttribute(Qt::WA_TranslucentBackground);
    Image1->setToolTip(QStringLiteral("KIV Collector"));
    // Drags stop at the drop panel: the program's own topic drags are the picture's (below),
    // the others go to the main window's combo target registered there.
    Image1->setAcceptDrops(false);
    DropPanel->setAcceptDrops(true);
    DropPanel->installEventFilter(this);
    Image1->setContextMenuPolicy(
        Qt::PreventContextMenu);  // the right button opens PopupMenu1 itself
    Image1->installEventFilter(this);
    fill->addWidget(Image1);

    BuildMenu();

    TrayIcon1 = new TTrayIcon(this, std::move(tray));
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->SetToolTip(QStringLiteral("KIV"));
    TrayIcon1->SetPopupMenu(PopupMenu1);
    TrayIcon1->OnClick = [this](TTrayIcon*) { TrayIcon1Click(); };
    // A double click on the tray icon does what one on the picture does.
    TrayIcon1->OnDblClick = [this](TTrayIcon*) { Image1DblClick(); };

    // Creation: the picture, the size of the drop panel whatever was designed, on top, the
    // tray icon with the program's icon, and the caption a later start looks for.
    ShowOpenSwallow(false);
    setFixedSize(DropPanel->size());
    MakeTopmost();
    const QIcon appIcon = QApplication::windowIcon();
    TrayIcon1->SetIcon(appIcon.isNull() ? QIcon(SwallowPicture(false)) : appIcon);
    TrayIcon1->SetActive(true);
    setWindowTitle(QStringLiteral("KIV is run"));
    if (!frmSwallow) frmSwallow = this;
}

TfrmSwallow::~TfrmSwallow() {
    if (frmSwallow == this) frmSwallow = nullptr;
}

void TfrmSwallow::BuildMenu() {
    acExitKIV = Action(this, "acExitKIV", QStringLiteral("Exit KIV"));
    acExitKIV->OnExecute = [this](KivAction*) { acExitKIVExecute(); };
    acHideMainWindow = Action(this, "acHideMainWindow", QStringLiteral("Hide Main Window"));
    acHideMainWindow->OnExecute = [this](KivAction*) { acHideMainWindowExecute(); };
    acExTextBin = Action(this, "acExTextBin", QStringLiteral("Open Text Bin"));
    SetImageIndex(acExTextBin, 18);
    acExTextBin->OnExecute = [this](KivAction*) { acExTextBinExecute(); };
    acOpenResourceBin = Action(this, "acOpenResourceBin", QStringLiteral("Open Resource Bin"));
    acOpenResourceBin->OnExecute = [this](KivAction*) { acOpenResourceBinExecute(); };

    PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
    WhatsThis1 = Item(this, "WhatsThis1", QStringLiteral("What's This?"));
    WhatsThis1->setData(kHelpContext);
    SendEmail1 = Item(this, "SendEmail1", QStringLiteral("Open Email Window"));
    SendEmail1->setStatusTip(QStringLiteral("Send Email"));
    SendEmail1->setVisible(false);
    SendEmail1->setEnabled(false);
    ExitKIV1 = LinkedItem(this, "ExitKIV1", acHideMainWindow);
    HideMainWindow1 = LinkedItem(this, "HideMainWindow1", acExitKIV);
    PopupMenu1->addAction(WhatsThis1);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(acExTextBin);
    PopupMenu1->addAction(acOpenResourceBin);
    PopupMenu1->addAction(SendEmail1);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ExitKIV1);
    PopupMenu1->addAction(HideMainWindow1);
    connect(PopupMenu1, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { PopupMenu1Popup(); }); });
}

void TfrmSwallow::SetMainWindow(IWindowContext* ctx) {
    ctx_ = ctx;
    search_.reset();
    print_.reset();
    if (ctx_) {
        search_.emplace(ctx_->Published());
        print_.emplace(ctx_->Published());
    }
    if (ctx_)
        acHideMainWindow->setText(ReplaceCaptionVerb(acHideMainWindow->text(),
                                                     MainWindowShown() ? QStringLiteral("Hide")
                                                                       : QStringLiteral("Show")));
}

void TfrmSwallow::ShowOpenSwallow(bool open) {
    openShown_ = open;
    Image1->setPixmap(SwallowPicture(open));
}

bool TfrmSwallow::MainWindowShown() const { return ctx_ && isShown(&ctx_->Window()); }

bool TfrmSwallow::DatastructureLocked() const {
    return ctx_ && TNeed<IFileCommands>(ctx_->Published())->PasswordLocked();
}

void TfrmSwallow::MakeTopmost() {
    if (isHidden()) return;
    // The stay-on-top hint keeps the place; raising puts it back above a window that was
    // raised after it, without taking the focus.
    RaiseWindow(*this);
}

// ---- showing ----

void TfrmSwallow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous()) GuardCall([this] { FormShow(); });
}

void TfrmSwallow::FormShow() {
    if (!ctx_) return;
    QMainWindow& w = ctx_->Window();
    w.show();
    RaiseWindow(w);
    w.activateWindow();
    acHideMainWindow->setText(ReplaceCaptionVerb(acHideMainWindow->text(), QStringLiteral("Hide")));
}

void TfrmSwallow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    // The collector cannot be minimised: it stays up when the rest of the program goes down.
    if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        setWindowState(windowState() & ~Qt::WindowMinimized);
}

// ---- the drag by the picture ----

bool TfrmSwallow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == DropPanel) return TopicDragEvent(e);
    if (watched != Image1) return QWidget::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(e);
        GuardCall([&] { Image1MouseDown(m->button(), m->position().toPoint()); });
        if (m->button() == Qt::RightButton)
            GuardCall([&] { PopupMenu1->popup(m->globalPosition().toPoint()); });
        return true;
    }
    case QEvent::MouseMove:
        GuardCall([&] { Image1MouseMove(static_cast<QMouseEvent*>(e)->position().toPoint()); });
        return true;
    case QEvent::MouseButtonRelease: GuardCall([this] { Image1MouseUp(); }); return true;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
            GuardCall([this] { Image1DblClick(); });
        return true;
    default: return QWidget::eventFilter(watched, e);
    }
}

bool TfrmSwallow::TopicDragEvent(QEvent* e) {
    if (e->type() != QEvent::DragEnter && e->type() != QEvent::DragMove &&
        e->type() != QEvent::Drop)
        return false;
    // Only the program's own topic drags stop here; drags from other programs belong to
    // the combo target.
    auto* d = static_cast<QDropEvent*>(e);
    if (!d->mimeData() ||
        !d->mimeData()->hasFormat(QString::fromLatin1(TKivStringGrid::InternalDragFormat)))
        return false;
    QObject* source = TKivStringGrid::InternalDragSource();
    if (!Image1DragOver(source)) {
        d->ignore();
        return true;
    }
    d->acceptProposedAction();
    if (e->type() == QEvent::Drop) GuardCall([&] { Image1DragDrop(source); });
    return true;
}

void TfrmSwallow::mouseReleaseEvent(QMouseEvent* e) {
    QWidget::mouseReleaseEvent(e);
    GuardCall([this] { Image1MouseUp(); });
}

void TfrmSwallow::Image1MouseDown(Qt::MouseButton button, QPoint at) {
    if (button != Qt::LeftButton) return;
    if (NativeWayland()) {
        // The compositor moves the window for us.
        if (QWindow* w = windowHandle()) w->startSystemMove();
        return;
    }
    CollectorDragStart = at;
    CollectorRect = geometry();
    CollectorDragging = true;
}

void TfrmSwallow::Image1MouseMove(QPoint at) {
    if (!CollectorDragging) return;
    // The window moves under the pointer, so the picture's point under it stays the same.
    const QPoint d = at - CollectorDragStart;
    CollectorRect = QRect(geometry().topLeft() + d, geometry().size());
    move(CollectorRect.topLeft());
    repaint();
}

void TfrmSwallow::Image1MouseUp() {
    CollectorDragging = false;
    if (MainWindowShown() && ctx_->Window().isEnabled()) {
        ctx_->Window().activateWindow();
        MakeTopmost();
    }
}

void TfrmSwallow::Image1DblClick() { acHideMainWindow->Execute(); }

// ---- drops of topics ----

bool TfrmSwallow::Image1DragOver(QObject* source) const {
    return qobject_cast<TKivStringGrid*>(source) != nullptr;
}

void TfrmSwallow::Image1DragDrop(QObject* source) {
    auto* grid = qobject_cast<TKivStringGrid*>(source);
    if (grid && ctx_) TNeed<IClipBin>(ctx_->Published())->AddToClipCard(grid);
}

// ---- the tray and the menu ----

void TfrmSwallow::TrayIcon1Click() {
    if (!MainWindowShown()) return;
    RaiseWindow(ctx_->Window());
    ctx_->Window().activateWindow();
}

void TfrmSwallow::PopupMenu1Popup() { acOpenResourceBin->SetEnabled(MainWindowShown()); }

// ---- commands ----

void TfrmSwallow::acExitKIVExecute() {
    // Closing the main window ends the program (hidden or not).
    if (ctx_) ctx_->Window().close();
}

void TfrmSwallow::acHideMainWindowExecute() {
    if (!ctx_) return;
    QMainWindow& w = ctx_->Window();
    const bool show = w.isHidden() || w.isMinimized();
    if (show) {
        w.showNormal();
        RaiseWindow(w);
        w.activateWindow();
        MakeTopmost();
    } else {
        // A hidden window has no task bar button: the program goes on in the collector
        // and the tray alone.
        w.hide();
        HideSecondaryWindows();
    }
    acHideMainWindow->setText(
        ReplaceCaptionVerb(acHideMainWindow->text(),
                           show ? QStringLiteral("Hide") : QStringLiteral("Show")));
}

void TfrmSwallow::HideSecondaryWindows() {
    TNeed<IHelp>(ctx_->Published())->CloseAboutWindow();
    (*search_)->PutAwayFindDialog();
    (*print_)->PutAwayPrintWindow();
}

void TfrmSwallow::acExTextBinExecute() {
    if (!ctx_ || DatastructureLocked()) return;
    if (MainWindowShown()) {
        TNeed<ITextBin>(ctx_->Published())->BringTextBinUp();
        return;
    }
    if (!frmTextBin || !TextBinEditor) return;
    frmTextBin->OnHide = [this](TfrmTextBin*, QTextEdit* editor) { TextBinHidden(editor); };
    frmTextBin->HostEditor(TextBinEditor);
    frmTextBin->show();
    RaiseWindow(*frmTextBin);
    frmTextBin->activateWindow();
    MakeTopmost();
}

void TfrmSwallow::TextBinHidden(QTextEdit* editor) {
    if (!ctx_ || !editor) return;
    TNeed<ITextBin>(ctx_->Published())->TakeBackTextBinEditor(editor);
}

void TfrmSwallow::acOpenResourceBinExecute() {
    if (!MainWindowShown() || DatastructureLocked()) return;
    TNeed<IResourceBin>(ctx_->Published())->BringLaunchBinUp();
}

// ---- the main window's side ----

TCollector::TCollector(IWindowContext& ctx)
    : ctx_(ctx), drops_(ctx.Published()), search_(ctx.Published()), print_(ctx.Published()) {
    ctx.Published().Publish<ICollector>(*this);
}

void TCollector::BuildComponents() {
    if (!frmSwallow) own_ = std::make_unique<TfrmSwallow>();
    swallow_ = frmSwallow;
    swallow_->SetMainWindow(&ctx_);
    // Drops from other programs reach the drop panel through the main window's combo
    // target; the picture opens while one is over it.
    TfrmSwallow* s = swallow_;
    drops_->RegisterCollector(s->DropPanel, [s](const QString& picture) {
        s->ShowOpenSwallow(picture == QLatin1String("openswallow"));
    });
    ctx_.Window().installEventFilter(this);
}

TCollector::~TCollector() {
    if (swallow_ && swallow_->MainWindow() == &ctx_) swallow_->SetMainWindow(nullptr);
}

bool TCollector::eventFilter(QObject* watched, QEvent* e) {
    if (watched == &ctx_.Window()) {
        if (e->type() == QEvent::Show && !e->spontaneous()) {
            GuardCall([this] { MainWindowShown(); });
        } else if (e->type() == QEvent::WindowStateChange && ctx_.Window().isMinimized()) {
            // Minimising the main window hides it instead, as the collector's command does.
            GuardCall([this] {
                ctx_.Window().setWindowState(ctx_.Window().windowState() & ~Qt::WindowMinimized);
                if (!ctx_.Window().isHidden()) swallow_->acHideMainWindowExecute();
            });
        }
    }
    return QObject::eventFilter(watched, e);
}

void TCollector::MainWindowShown() {
    if (frmTextBin && !frmTextBin->isHidden()) frmTextBin->hide();
    search_->BringBackFindDialog();
    print_->BringBackPrintWindow();
}

QPoint TCollector::Position() const { return swallow_->pos(); }

void TCollector::MoveTo(QPoint at) { swallow_->move(at); }

void TCollector::ConnectSendEmail(QObject* receiver, std::function<void()> handler) {
    if (QAction* item = swallow_->SendEmail1)
        connect(item, &QAction::triggered, receiver, std::move(handler));
}

}  // namespace kiv

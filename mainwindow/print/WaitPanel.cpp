#include "mainwindow/print/WaitPanel.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPalette>
#include <QThread>
#include <QTimer>
#include <exception>

#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/core/Rounding.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {
constexpr int kPanelWidth = 400;
constexpr int kPanelHeight = 41;
constexpr int kTickMs = 700;
constexpr int kMaxMarks = 5;
constexpr int kHidePauses = 7;  // of 50 ms, for the last message to be read
constexpr int kHidePauseMs = 50;
}  // namespace

// The guards the shown panel holds: the busy gate, the hour-glass, the window disabled.
struct TWaitPanel::Held {
    explicit Held(IWindowContext& ctx) : busy(ctx.BusyCounter()), disabled(&ctx.Window()) {}
    TBusyGuard busy;
    CursorGuard hourGlass;
    DisabledWindowGuard disabled;
};

TWaitPanel::TWaitPanel(IWindowContext& ctx) : ctx_(ctx) {
    ctx.Published().Publish<IWaitPanel>(*this);
}

TWaitPanel::~TWaitPanel() = default;

void TWaitPanel::BuildComponents() {
    pnlMessage = Panel(&ctx_.Window(), "pnlMessage");
    pnlMessage->resize(kPanelWidth, kPanelHeight);
    pnlMessage->setAttribute(Qt::WA_StyledBackground);
    pnlMessage->setStyleSheet(
        QStringLiteral("#pnlMessage { border: 1px solid black; background: palette(window); }"));
    auto* frame = VBox(pnlMessage);
    frame->setContentsMargins(1, 1, 1, 1);
    pnlMesCap = Panel(pnlMessage, "pnlMesCap");
    frame->addWidget(pnlMesCap);
    auto* row = HBox(pnlMesCap);
    row->setContentsMargins(8, 0, 8, 0);
    row->setSpacing(8);
    lblMessage = Named(new QLabel(pnlMesCap), "lblMessage");
    lblWait = Named(new QLabel(pnlMesCap), "lblWait");
    row->addWidget(lblMessage, 1);
    row->addWidget(lblWait);
    // The message stays readable while the window under it is disabled.
    QPalette pal = pnlMessage->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Window})
        pal.setColor(QPalette::Disabled, role, pal.color(QPalette::Active, role));
    pnlMessage->setPalette(pal);
    pnlMessage->hide();
    pnlMessage->move(pnlMessage->x(), 250);

    tmMessage = Named(new QTimer(this), "tmMessage");
    tmMessage->setInterval(kTickMs);
    connect(tmMessage, &QTimer::timeout, this, [this] { GuardCall([this] { tmMessageTimer(); }); });
}

bool TWaitPanel::Shown() const { return held_ != nullptr; }

void TWaitPanel::ShowWaitMessage(const QString& text) {
    if (held_) outer_.push_back(lblMessage->text());
    lblMessage->setText(text);
    const QMainWindow& w = ctx_.Window();
    pnlMessage->move(int(RoundHalfEven((w.width() - pnlMessage->width()) / 2.0)),
                     int(RoundHalfEven((w.height() - pnlMessage->height()) / 2.0)));
    lblWait->setText(QStringLiteral(">"));
    pnlMessage->show();
    pnlMessage->raise();
    tmMessage->start();
    if (!held_) held_ = std::make_unique<Held>(ctx_);
}

void TWaitPanel::tmMessageTimer() {
    const QString marks = lblWait->text();
    lblWait->setText(marks.size() >= kMaxMarks ? QStringLiteral(">") : marks + QLatin1Char('>'));
}

void TWaitPanel::HideWaitMessage() {
    if (!held_) return;
    if (!outer_.isEmpty()) {
        lblMessage->setText(outer_.takeLast());
        return;
    }
    // The last message is left up a moment, pending events let through; not while an
    // exception is on its way out, when nothing else should run first.
    if (!std::uncaught_exceptions()) {
        for (int i = 0; i < kHidePauses; ++i) {
            QThread::msleep(kHidePauseMs);
            QCoreApplication::processEvents();
        }
    }
    tmMessage->stop();
    pnlMessage->hide();
    held_.reset();  // busy gate, cursor and the window's enabled state given back
    QMainWindow& w = ctx_.Window();
    w.activateWindow();
    w.setFocus(Qt::OtherFocusReason);
    QWidget* outline = ctx_.Skeleton().pnlKiv;
    TKivStringGrid* g = ctx_.CurrentGrid();
    if (outline && isShown(outline) && g && g->isEnabled() && g->isVisible())
        g->setFocus(Qt::OtherFocusReason);
}

TWaitMessage::TWaitMessage(IWaitPanel& panel, const QString& text) : panel_(panel) {
    panel_.ShowWaitMessage(text);
    shown_ = true;
}

TWaitMessage::~TWaitMessage() {
    if (shown_) GuardCall([this] { panel_.HideWaitMessage(); });
}

}  // namespace kiv

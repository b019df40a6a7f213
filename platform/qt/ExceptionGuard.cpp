#include "platform/qt/ExceptionGuard.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <QtGlobal>

#include "platform/qt/Dialogs.h"

namespace kiv {

namespace {
bool g_showing = false;
bool g_pending = false;
int g_paintDepth = 0;
}  // namespace

PaintEventScope::PaintEventScope() { ++g_paintDepth; }
PaintEventScope::~PaintEventScope() { --g_paintDepth; }

QString ExceptionBoxText(const QString& message) {
    QString m = message;
    if (!m.isEmpty() && m.back() > QLatin1Char('.')) m += QLatin1Char('.');
    return m;
}

void ShowExceptionMessage(const QString& message) {
    // A failing paint or timer would otherwise pile box upon box while the first is open.
    if (g_showing || g_pending) {
        qWarning("kiv: error while an error box is open: %s", qPrintable(message));
        return;
    }
    if (g_paintDepth > 0 && QCoreApplication::instance()) {
        g_pending = true;
        QTimer::singleShot(0, QCoreApplication::instance(), [message] {
            g_pending = false;
            ShowExceptionMessage(message);
        });
        return;
    }
    FlagGuard showing(g_showing);
    try {
        MessageBoxRequest r;
        r.Text = ExceptionBoxText(message);
        r.Caption = DefaultCaption(MsgType::None);
        r.Type = MsgType::Error;
        r.Buttons = MsgButtons::OK;
        GetDialogs().MessageBox(r);
    } catch (const std::exception& e) {
        qWarning("kiv: cannot show the error box: %s", e.what());
    }
}

void ShowException(const std::exception& e) { ShowExceptionMessage(QString::fromUtf8(e.what())); }

DisabledWindowGuard::DisabledWindowGuard(QWidget* w) : w_(w) {
    if (!w_) return;
    wasEnabled_ = !w_->testAttribute(Qt::WA_ForceDisabled);
    w_->setEnabled(false);
}

DisabledWindowGuard::~DisabledWindowGuard() {
    if (w_) w_->setEnabled(wasEnabled_);
}

}  // namespace kiv

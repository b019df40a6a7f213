#include "platform/qt/KeyPreview.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {
QPointer<KeyPreview> g_instance;

// The character of a key press, as the Windows character message would carry it.
bool TypedChar(const QKeyEvent* e, QChar& c) {
    const QString t = e->text();
    if (t.size() != 1) return false;
    if (e->key() == Qt::Key_Delete || t[0] == QChar(0x7F)) return false;
    const Qt::KeyboardModifiers m = e->modifiers();
    if ((m & Qt::AltModifier) && !(m & Qt::ControlModifier)) return false;
    c = t[0];
    return true;
}
}  // namespace

KeyPreview::KeyPreview(QObject* parent) : QObject(parent) {}

KeyPreview& KeyPreview::Instance() {
    if (!g_instance) {
        g_instance = new KeyPreview(QCoreApplication::instance());
        if (QCoreApplication::instance())
            QCoreApplication::instance()->installEventFilter(g_instance);
    }
    return *g_instance;
}

void KeyPreview::Install(QWidget* window, KeyPreviewHandlers handlers) {
    KeyPreview& kp = Instance();
    const bool fresh = kp.windows_.find(window) == kp.windows_.end();
    kp.windows_[window] = std::move(handlers);
    if (fresh) {
        QObject::connect(window, &QObject::destroyed, &kp, [window] {
            if (g_instance) g_instance->windows_.erase(window);
        });
    }
}

void KeyPreview::Remove(QWidget* window) {
    if (g_instance) g_instance->windows_.erase(window);
}

void KeyPreview::BeginDelivery(const QEvent*) {
    if (g_instance) {
        g_instance->seen_ = nullptr;
        g_instance->seenWidget_ = nullptr;
    }
}

bool KeyPreview::Deliver(QWidget* target, QKeyEvent* e, Word oldKey, Word newKey,
                         const QString& text) {
    int qtKey = newKey == oldKey ? e->key() : QtKeyFromWin(newKey);
    QKeyEvent changed(e->type(), qtKey, e->modifiers(), e->nativeScanCode(), e->nativeVirtualKey(),
                      e->nativeModifiers(), text, e->isAutoRepeat(), e->count());
    const QEvent* outer = replaying_;
    replaying_ = &changed;
    QCoreApplication::sendEvent(target, &changed);
    replaying_ = outer;
    return true;  // the original is replaced
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    auto* e = static_cast<QKeyEvent*>(event);
    if (event == replaying_) return false;
    if (type == QEvent::KeyRelease && e->isAutoRepeat()) return true;
    if (!watched->isWidgetType()) {
        // Real key events reach the window first, then the focus widget.
        if (qobject_cast<QWindow*>(watched)) BeginDelivery(event);
        return false;
    }
    auto* w = static_cast<QWidget*>(watched);
    // An ignored key goes on to the parents: preview it once.
    if (event == seen_ && seenWidget_ && seenWidget_ != w && w->isAncestorOf(seenWidget_)) {
        seenWidget_ = w;
        return false;
    }
    seen_ = event;
    seenWidget_ = w;

    QWidget* window = w->window();
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    // A copy: a handler may replace or remove the window's handlers.
    const KeyPreviewHandlers h = it->second;
    const Word key = WinKeyOf(e);
    const TShiftState shift = ShiftStateOf(e);
    QPointer<QWidget> target = w;

    Word k = key;
    if (key != 0) {
        const auto& handler = type == QEvent::KeyPress ? h.OnKeyDown : h.OnKeyUp;
        if (handler) {
            // An exception in the handler ends this key's processing, as on Windows.
            if (!GuardCall([&] { handler(window, k, shift); })) return true;
            if (k == 0) return true;
        }
    }
    QString text = e->text();
    if (type == QEvent::KeyPress) {
        if (k != key) text.clear();  // a replaced key types nothing of its own
        QChar c;
        if (h.OnKeyPress && k == key && TypedChar(e, c)) {
            if (!GuardCall([&] { h.OnKeyPress(window, c); })) return true;
            if (c.isNull()) {
                if (!target) return true;
                // The key still reaches the control, without its character.
                return Deliver(target, e, key, k, QString());
            }
            if (c != text[0]) text = QString(c);
        }
    }
    if (!target) return true;
    if (k == key && text == e->text()) return false;
    return Deliver(target, e, key, k, text);
}

}  // namespace kiv

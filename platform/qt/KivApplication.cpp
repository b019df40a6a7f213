#include "platform/qt/KivApplication.h"

#include <QEvent>

#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/KeyPreview.h"

namespace kiv {

KivApplication::KivApplication(int& argc, char** argv) : QApplication(argc, argv) { KeyPreview::Instance(); }

KivApplication::~KivApplication() = default;

bool KivApplication::notify(QObject* receiver, QEvent* event) {
    try {
        const QEvent::Type t = event->type();
        const bool key = t == QEvent::KeyPress || t == QEvent::KeyRelease;
        if (key && event != keyEvent_) {
            // A new key event starts its way to the focus widget (its passing on to the
            // parents happens inside this call, not through notify again).
            KeyPreview::BeginDelivery(event);
            const QEvent* outer = keyEvent_;
            keyEvent_ = event;
            struct Restore {
                const QEvent*& slot;
                const QEvent* value;
                ~Restore() { slot = value; }
            } restore{keyEvent_, outer};
            return QApplication::notify(receiver, event);
        }
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowExceptionMessage(QStringLiteral("An unexpected error occurred"));
    }
    return false;
}

}  // namespace kiv

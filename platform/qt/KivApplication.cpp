#include "platform/qt/KivApplication.h"

#include <QEvent>
#include <optional>

#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/KeyPreview.h"
#include "platform/qt/GeometryReport.h"
#include "platform/qt/PaintReport.h"

namespace kiv {

KivApplication::KivApplication(int& argc, char** argv) : QApplication(argc, argv) {
    KeyPreview::Instance();
    StartPaintReport();
    StartGeometryReport();
}

KivApplication::~KivApplication() {
    StopGeometryReport();
    StopPaintReport();
}

bool KivApplication::notify(QObject* receiver, QEvent* event) {
    const QEvent::Type t = event->type();
    try {
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
        if (t == QEvent::Paint) {
            PaintEventScope painting;
            const bool handled = QApplication::notify(receiver, event);
            PaintHandled();
            GeometryPaintHandled();
            return handled;
        }
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        // Still inside Qt's painting when a paint event failed: the box has to wait.
        std::optional<PaintEventScope> painting;
        if (t == QEvent::Paint) painting.emplace();
        ShowException(e);
    } catch (...) {
        std::optional<PaintEventScope> painting;
        if (t == QEvent::Paint) painting.emplace();
        ShowExceptionMessage(QStringLiteral("An unexpected error occurred"));
    }
    return false;
}

}  // namespace kiv

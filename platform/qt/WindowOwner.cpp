#include "platform/qt/WindowOwner.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace kiv {

namespace {

const char* const kLinkName = "kivWindowOwner";

// Lives with the window; names the owner again whenever the window is shown, since its
// native window may have been made again meanwhile.
class TOwnerLink : public QObject {
public:
    TOwnerLink(QWidget* window, QWidget* owner) : QObject(window), window_(window), owner_(owner) {
        setObjectName(QString::fromLatin1(kLinkName));
        window->installEventFilter(this);
        Apply();
    }
    void SetOwner(QWidget* owner) {
        owner_ = owner;
        Apply();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        // Show comes before the window is mapped, when the window system reads the owner.
        if (watched == window_ && e->type() == QEvent::Show) Apply();
        return false;
    }

private:
    void Apply() {
        if (!window_ || !owner_) return;
        QWindow* mine = window_->windowHandle();
        QWidget* top = owner_->window();
        if (!mine || !top || top == window_) return;
        if (!top->windowHandle()) top->winId();
        mine->setTransientParent(top->windowHandle());
    }

    QPointer<QWidget> window_;
    QPointer<QWidget> owner_;
};

}  // namespace

void SetWindowOwner(QWidget* window, QWidget* owner) {
    if (!window || !owner) return;
    // Only links carry the name.
    if (QObject* link = window->findChild<QObject*>(QString::fromLatin1(kLinkName),
                                                    Qt::FindDirectChildrenOnly)) {
        static_cast<TOwnerLink*>(link)->SetOwner(owner);
        return;
    }
    new TOwnerLink(window, owner);
}

}  // namespace kiv

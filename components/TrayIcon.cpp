#include "components/TrayIcon.h"

#include <QCursor>
#include <QMenu>
#include <QPixmap>

#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {

class SystemTrayBackend : public TTrayIconBackend {
public:
    SystemTrayBackend() {
        QObject::connect(&icon_, &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason r) {
                             if (OnActivated) GuardCall([&] { OnActivated(r); });
                         });
    }

    bool Add(const QIcon& icon, const QString& tip) override {
        Set(icon, tip);
        icon_.show();
        return QSystemTrayIcon::isSystemTrayAvailable();
    }
    bool Modify(const QIcon& icon, const QString& tip) override {
        Set(icon, tip);
        return QSystemTrayIcon::isSystemTrayAvailable();
    }
    bool Delete() override {
        icon_.hide();
        return true;
    }
    QPoint CursorPos() const override { return QCursor::pos(); }

private:
    // An empty icon holds its place in the tray as a blank one (Qt would refuse to show
    // it at all), so that the picture given later appears there.
    void Set(const QIcon& icon, const QString& tip) {
        if (icon.isNull()) {
            QPixmap blank(16, 16);
            blank.fill(Qt::transparent);
            icon_.setIcon(QIcon(blank));
        } else {
            icon_.setIcon(icon);
        }
        icon_.setToolTip(tip);
    }

    QSystemTrayIcon icon_;
};

}  // namespace

std::unique_ptr<TTrayIconBackend> MakeSystemTrayBackend() {
    return std::make_unique<SystemTrayBackend>();
}

TTrayIcon::TTrayIcon(QObject* owner, std::unique_ptr<TTrayIconBackend> backend)
    : QObject(owner), backend_(backend ? std::move(backend) : MakeSystemTrayBackend()) {
    backend_->OnActivated = [this](QSystemTrayIcon::ActivationReason r) { Activated(r); };
}

TTrayIcon::~TTrayIcon() {
    backend_->OnActivated = nullptr;
    if (active_) Delete();
}

QMenu* TTrayIcon::PopupMenu() const { return popupMenu_; }
void TTrayIcon::SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

bool TTrayIcon::Add() {
    const bool ok = backend_->Add(icon_, toolTip_);
    // The tooltip is given again once the icon stands, for an owner that sets it only
    // after activating the icon.
    if (toolTip_.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { SetToolTip(toolTip_); }, Qt::QueuedConnection);
    return ok;
}

bool TTrayIcon::Modify() { return active_ ? backend_->Modify(icon_, toolTip_) : true; }

bool TTrayIcon::Delete() { return backend_->Delete(); }

void TTrayIcon::SetActive(bool v) {
    if (v == active_) return;
    active_ = v;
    if (v) Add();
    else Delete();
}

void TTrayIcon::SetIcon(const QIcon& icon) {
    if (icon.cacheKey() == icon_.cacheKey()) return;
    icon_ = icon;
    Modify();
}

void TTrayIcon::SetToolTip(const QString& tip) {
    int n = std::min<int>(tip.size(), kMaxToolTip);
    // Never half a character: a pair of UTF-16 units stays whole or goes.
    if (n < tip.size() && n > 0 && tip[n - 1].isHighSurrogate()) --n;
    toolTip_ = tip.left(n);
    Modify();
}

void TTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        if (OnClick) OnClick(this);
        break;
    case QSystemTrayIcon::DoubleClick:
        if (OnDblClick) OnDblClick(this);
        break;
    case QSystemTrayIcon::Context: {
        const QPoint at = backend_->CursorPos();
        if (popupMenu_) popupMenu_->popup(at);
        if (OnRightClick) OnRightClick(this, mbRight, TShiftState(), at.x(), at.y());
        break;
    }
    default: break;  // the middle button and unknown reasons
    }
}

}  // namespace kiv

#pragma once
// One icon in the desktop's notification area: its picture and tooltip kept up to date
// while active, and the clicks on it turned into events and the popup menu. The icon
// itself lives behind a backend (QSystemTrayIcon in the program, a recorder in tests);
// a desktop without a tray only means nothing shows.
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "platform/qt/WinKeys.h"

class QMenu;

namespace kiv {

// What the program asks of the notification area, and how the user's clicks come back.
class TTrayIconBackend {
public:
    virtual ~TTrayIconBackend() = default;
    // Each returns whether the desktop took the request (false without a tray).
    virtual bool Add(const QIcon& icon, const QString& tip) = 0;
    virtual bool Modify(const QIcon& icon, const QString& tip) = 0;
    virtual bool Delete() = 0;
    // The mouse pointer on the screen, where a right click opens the menu.
    virtual QPoint CursorPos() const = 0;

    // Set by the tray icon: a click on the icon, by Qt's reasons.
    std::function<void(QSystemTrayIcon::ActivationReason)> OnActivated;
};

// The backend over QSystemTrayIcon.
std::unique_ptr<TTrayIconBackend> MakeSystemTrayBackend();

class TTrayIcon : public QObject {
    Q_OBJECT
public:
    enum TMouseButton { mbLeft, mbRight, mbMiddle };
    using TNotifyEvent = std::function<void(TTrayIcon* Sender)>;
    using TMouseEvent = std::function<void(TTrayIcon* Sender, TMouseButton Button,
                                           TShiftState Shift, int X, int Y)>;

    // The longest tooltip: the notification record's tip field holds 63 characters and
    // its terminator.
    static constexpr int kMaxToolTip = 62;

    // Without a backend the desktop's tray is used.
    explicit TTrayIcon(QObject* owner = nullptr,
                       std::unique_ptr<TTrayIconBackend> backend = nullptr);
    ~TTrayIcon() override;

    bool Active() const { return active_; }
    // True puts the icon in the notification area, false takes it out.
    void SetActive(bool v);
    const QIcon& Icon() const { return icon_; }
    void SetIcon(const QIcon& icon);
    const QString& ToolTip() const { return toolTip_; }
    // Cut to its first 62 characters.
    void SetToolTip(const QString& tip);
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* menu);

    TNotifyEvent OnClick;      // left button released on the icon
    TNotifyEvent OnDblClick;   // left button double click
    TMouseEvent OnRightClick;  // right button released: after the popup menu opens

    TTrayIconBackend& Backend() { return *backend_; }

private:
    bool Add();
    bool Modify();
    bool Delete();
    void Activated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<TTrayIconBackend> backend_;
    bool active_ = false;
    QIcon icon_;
    QString toolTip_;
    QPointer<QMenu> popupMenu_;
};

}  // namespace kiv

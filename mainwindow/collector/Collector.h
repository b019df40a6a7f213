#pragma once
// The collector ("KIV is run"): a tiny borderless window that floats above the others and
// outlives the main window's hiding. The user moves it by dragging its picture, drops
// material on it, double-clicks it to show or hide the main window and reaches a small
// menu from it and from its tray icon. Its caption is how a later start finds this one.
//
// It is made before the main window and works on it through the window's context once the
// main window has attached itself (SetMainWindow); until then the commands that need the
// main window do nothing.
//
// On X11 (also XWayland) it is a frameless tool window that stays on top and places itself.
// Under native Wayland a client can neither place nor raise itself: the drag hands the
// move to the compositor and staying on top is left to it.
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <memory>
#include <optional>

#include "components/TrayIcon.h"
#include "mainwindow/Published.h"
#include "mainwindow/drops/DropsInterface.h"
#include "mainwindow/print/PrintInterface.h"
#include "mainwindow/collector/CollectorInterface.h"
#include "mainwindow/search/SearchInterface.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QTextEdit;

namespace kiv {

class IWindowContext;
class KivAction;
class TKivStringGrid;
class TfrmTextBin;

// The collector's pictures: "swallow", and "openswallow" while a drag from another program
// is over it.
QPixmap SwallowPicture(bool open);

class TfrmSwallow : public QWidget {
    Q_OBJECT
public:
    // Without a backend the tray icon goes to the desktop's notification area.
    explicit TfrmSwallow(std::unique_ptr<TTrayIconBackend> tray = nullptr);
    ~TfrmSwallow() override;

    // The main window the commands work on; null detaches it.
    void SetMainWindow(IWindowContext* ctx);
    IWindowContext* MainWindow() const { return ctx_; }

    // "openswallow" while true, "swallow" otherwise.
    void ShowOpenSwallow(bool open);
    bool OpenSwallowShown() const { return openShown_; }

    // Handlers.
    void FormShow();
    void Image1MouseDown(Qt::MouseButton button, QPoint at);
    void Image1MouseMove(QPoint at);
    void Image1MouseUp();
    void Image1DblClick();
    // A drag of topics from an outline panel is accepted; it lands in the clip card bin.
    bool Image1DragOver(QObject* source) const;
    void Image1DragDrop(QObject* source);
    void TrayIcon1Click();
    void PopupMenu1Popup();
    void acExitKIVExecute();
    void acHideMainWindowExecute();
    void acExTextBinExecute();
    void acOpenResourceBinExecute();
    // The text bin window was hidden: its editor goes back into the main window's text bin
    // panel, which shows.
    void TextBinHidden(QTextEdit* editor);

    // Keeps the collector above the other windows (where the desktop lets a client).
    void MakeTopmost();

    // ---- components ----
    QFrame* DropPanel = nullptr;
    QLabel* Image1 = nullptr;
    TTrayIcon* TrayIcon1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* WhatsThis1 = nullptr;
    QAction* SendEmail1 = nullptr;
    // The two last items' names are crossed over against their actions.
    QAction* ExitKIV1 = nullptr;         // runs acHideMainWindow
    QAction* HideMainWindow1 = nullptr;  // runs acExitKIV
    KivAction* acExitKIV = nullptr;
    KivAction* acHideMainWindow = nullptr;
    KivAction* acExTextBin = nullptr;
    KivAction* acOpenResourceBin = nullptr;
    static constexpr int kHelpContext = 43;

    // ---- the drag by the picture ----
    bool CollectorDragging = false;
    QPoint CollectorDragStart;  // pointer position in image coordinates at button-down
    QRect CollectorRect;        // the window's bounds, updated at every move

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void BuildMenu();
    // A drag event on the drop panel; true when it was a topic drag, answered here.
    bool TopicDragEvent(QEvent* e);
    bool MainWindowShown() const;
    // The datastructure is locked by its password: its bins are out of reach.
    bool DatastructureLocked() const;
    void HideSecondaryWindows();

    IWindowContext* ctx_ = nullptr;
    // What the hiding of the main window puts away: declared when the window attaches.
    std::optional<TNeed<ISearch>> search_;
    std::optional<TNeed<IPrint>> print_;
    bool openShown_ = false;
};

// The one collector (null before it exists and after it is gone).
extern TfrmSwallow* frmSwallow;

// The main window's side of the collector: it attaches the window to the collector the
// start-up made (or to one of its own when the main window is made alone, as tests do),
// minimises by hiding, and on every show brings back what the collector put away.
class TCollector : public QObject, public ICollector {
    Q_OBJECT
public:
    explicit TCollector(IWindowContext& ctx);
    ~TCollector() override;
    // Attaches the window to the collector and the collector to the drops.
    void BuildComponents();
    TfrmSwallow& Window() { return *swallow_; }

    QPoint Position() const override;
    void MoveTo(QPoint at) override;
    QWidget& TopWindow() override { return *swallow_; }
    void ConnectSendEmail(QObject* receiver, std::function<void()> handler) override;

    // What the main window's show brings back: the text bin goes home from its window, the
    // find dialog and the print window that the collector's hiding closed are opened again.
    void MainWindowShown();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    IWindowContext& ctx_;
    TNeed<IDrops> drops_;
    TNeed<ISearch> search_;
    TNeed<IPrint> print_;
    std::unique_ptr<TfrmSwallow> own_;
    TfrmSwallow* swallow_ = nullptr;
};

}  // namespace kiv

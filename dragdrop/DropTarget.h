#pragma once
// A drop target: makes registered widgets accept drops from our own windows and from
// other programs, and pastes from the clipboard. Qt's drag events on a registered widget
// (an event filter) become the enter/over/leave/drop protocol, with the data read through
// the target's data formats.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "dragdrop/core/DropSource.h"
#include "dragdrop/core/Formats.h"

class QWidget;
class QDropEvent;

namespace kiv {

enum TScrolDirection : uint8_t { sdUp = 1, sdDown = 2, sdLeft = 4, sdRight = 8 };
using TScrolDirections = uint8_t;

// The auto-scroll timer; tests drive a fake one.
class IScrollTimer {
public:
    virtual ~IScrollTimer() = default;
    virtual void Start(int ms) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
    std::function<void()> OnTimer;
};

class TCustomDropTarget : public QObject, public TDragDropComponent {
    Q_OBJECT
    KIV_DD_CLASS(TCustomDropTarget, TDragDropComponent)
public:
    TCustomDropTarget();
    ~TCustomDropTarget() override;

    using TDropTargetEvent =
        std::function<void(TCustomDropTarget*, TShiftState, QPoint, uint32_t& effect)>;
    TDragTypes Dragtypes = 0;
    bool GetDataOnEnter = false;
    TDropTargetEvent OnEnter, OnDragOver, OnDrop, OnGetDropEffect;
    std::function<void(TCustomDropTarget*)> OnLeave;
    std::function<void(TCustomDropTarget*, QPoint, TScrolDirections&, int& interval)> OnScroll;
    std::function<void(TCustomDropTarget*)> OnStartAsyncTransfer, OnEndAsyncTransfer;
    bool MultiTarget = false;
    bool OptimizedMove = false;
    bool AutoScroll = true;
    bool AllowAsyncTransfer = false;
    bool ShowImage() const { return showImage_; }
    void SetShowImage(bool show) { showImage_ = show; }
    // Ports; null means the defaults.
    IClipboardPort* Clipboard = nullptr;
    void SetScrollTimer(std::unique_ptr<IScrollTimer> timer);

    // Registered widgets, ancestors before their descendants.
    void AddTargetControl(QWidget* control);
    void RemoveTargetControl(QWidget* control);
    void RemoveAllTargets();
    const std::vector<QPointer<QWidget>>& Targets() const { return controls_; }
    QWidget* Target() const;
    void SetTarget(QWidget* control) { AddTargetControl(control); }
    // The registered widget at a screen point, or the nearest registered ancestor of the
    // widget there.
    virtual QWidget* FindTargetAt(const QPoint& screen) const;

    // The protocol. Points are in screen coordinates.
    HRESULT DragEnter(IDataObject* data, uint32_t keyState, const QPoint& screen, uint32_t& effect);
    HRESULT DragOver(uint32_t keyState, const QPoint& screen, uint32_t& effect);
    HRESULT DragLeave();
    HRESULT Drop(IDataObject* data, uint32_t keyState, const QPoint& screen, uint32_t& effect);

    virtual uint32_t GetValidDropEffect(TShiftState shift, const QPoint& point, uint32_t effect);
    virtual uint32_t GetPreferredDropEffect();
    virtual bool SetPerformedDropEffect(uint32_t effect);
    virtual bool SetPasteSucceeded(uint32_t effect);
    virtual uint32_t PasteFromClipboard();
    // Reads what a data object holds, as a paste would without the clipboard.
    bool AssignDataObject(IDataObject& data);

    void AutoScrollTimer();
    const QRect& ScrollZone() const { return scrollZone_; }
    IDataObject* DataObject() const { return data_; }
    bool TransferInProgress() const { return transferring_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    virtual void DoEnter(TShiftState shift, const QPoint& p, uint32_t& effect);
    virtual void DoDragOver(TShiftState shift, const QPoint& p, uint32_t& effect);
    virtual void DoDrop(TShiftState shift, const QPoint& p, uint32_t& effect);
    virtual void DoLeave();
    virtual void DoPaste(uint32_t& effect);
    virtual void DoScroll(TScrolDirections& scroll, int& interval);
    virtual bool GetData(uint32_t effect);
    virtual bool DoGetData() = 0;
    virtual void ClearData() = 0;
    virtual bool HasValidFormats(IDataObject& data) = 0;

private:
    int IndexOf(const QWidget* w) const;
    QWidget* RegisteredAncestor(QWidget* w) const;
    void EndTransfer();
    bool HandleDragEvent(QWidget* control, QEvent* event);

    IDataObject* data_ = nullptr;
    std::unique_ptr<IDataObject> mimeData_;  // the data object of a Qt drag in progress
    std::vector<QPointer<QWidget>> controls_;
    QPointer<QWidget> current_;
    QPointer<QWidget> enteredControl_;  // the control of a Qt drag-enter being answered
    QPoint lastPoint_;
    QRect scrollZone_;
    uint8_t scrollBars_ = 0;  // 1 horizontal, 2 vertical
    std::unique_ptr<IScrollTimer> timer_;
    bool showImage_ = true;
    bool autoScrollNow_ = true;  // this drag's choice
    bool transferring_ = false;
};

class TCustomDropMultiTarget : public TCustomDropTarget, public TDataFormatOwner {
    Q_OBJECT
    KIV_DD_CLASS(TCustomDropMultiTarget, TCustomDropTarget)
public:
    TCustomDropMultiTarget();
    ~TCustomDropMultiTarget() override;
    TDataFormats& DataFormats() { return dataFormats_; }
    std::function<void(TCustomDropMultiTarget*, TCustomDataFormat*, bool& accept)> OnAcceptFormat;

    TConversionScopes DataFormatSide() const override { return csTarget; }
    TDataFormats& OwnedDataFormats() override { return dataFormats_; }

protected:
    bool DoGetData() override;
    void ClearData() override;
    bool HasValidFormats(IDataObject& data) override;
    virtual void DoAcceptFormat(TCustomDataFormat* format, bool& accept);

private:
    TDataFormats dataFormats_;
};

}  // namespace kiv

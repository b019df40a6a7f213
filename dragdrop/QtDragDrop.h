#pragma once
// The drag loop and the clipboard of the windowing system, through Qt.
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QPointer>

#include "dragdrop/core/DropSource.h"

class QWidget;
class QObject;

namespace kiv {

// Drag images as pixmaps.
class TImageList : public TDragImageList {
public:
    QList<QPixmap> Pixmaps;
    int Count() const override { return int(Pixmaps.size()); }
};

// QDrag::exec. Qt decides the drop itself at the button's release; the source hears the
// effect changes through GiveFeedback. Under the offscreen platform exec returns at once.
class TQtDragLoop : public IDragLoop {
public:
    // The object the drag belongs to (a widget); the application when none is given.
    QPointer<QObject> DragSource;
    HRESULT DoDragDrop(const TDataObjectRef& data, IDropSource& source, uint32_t allowedEffects,
                       uint32_t& effect, const TDragImage* image) override;
};

class TQtClipboard : public IClipboardPort {
public:
    HRESULT SetClipboard(const TDataObjectRef& data) override;
    bool IsCurrentClipboard(const IDataObject* data) override;
    HRESULT FlushClipboard() override;
    std::unique_ptr<IDataObject> GetClipboard() override;
};

// Makes Qt's drag loop and clipboard the default ports of every source and target.
void UseQtDragDrop();

// A point in a widget's client area relative to the widget's outer rectangle (with the
// frame of a top-level window).
QPoint WindowPointFromClient(const QWidget* window, const QPoint& client);

}  // namespace kiv

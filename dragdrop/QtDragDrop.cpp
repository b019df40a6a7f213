#include "dragdrop/QtDragDrop.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDrag>
#include <QGuiApplication>
#include <QWidget>

#include "dragdrop/MimeBridge.h"

namespace kiv {

namespace {

Qt::DropActions ActionsOf(uint32_t effects) {
    Qt::DropActions a;
    if (effects & DROPEFFECT_COPY) a |= Qt::CopyAction;
    if (effects & DROPEFFECT_MOVE) a |= Qt::MoveAction;
    if (effects & DROPEFFECT_LINK) a |= Qt::LinkAction;
    return a;
}

uint32_t EffectOf(Qt::DropAction a) {
    switch (a) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
    }
}

Qt::DropAction ActionOf(uint32_t effect) {
    switch (effect) {
    case DROPEFFECT_COPY: return Qt::CopyAction;
    case DROPEFFECT_MOVE: return Qt::MoveAction;
    case DROPEFFECT_LINK: return Qt::LinkAction;
    default: return Qt::IgnoreAction;
    }
}

}  // namespace

HRESULT TQtDragLoop::DoDragDrop(const TDataObjectRef& data, IDropSource& source, uint32_t allowedEffects,
                                uint32_t& effect, const TDragImage* image) {
    effect = DROPEFFECT_NONE;
    if (!data || !data->object || !ActionsOf(allowedEffects)) return E_FAIL;
    QObject* owner = DragSource ? DragSource.data() : QCoreApplication::instance();
    auto* drag = new QDrag(owner);
    drag->setMimeData(new TSourceMimeData(data));
    if (image)
        if (auto* list = dynamic_cast<const TImageList*>(image->images); list && image->index < list->Count()) {
            drag->setPixmap(list->Pixmaps[image->index]);
            drag->setHotSpot(QPoint(image->hotSpotX, image->hotSpotY));
        }
    QObject::connect(drag, &QDrag::actionChanged, drag, [&source](Qt::DropAction a) { source.GiveFeedback(EffectOf(a)); });
    const Qt::DropAction def = ActionOf(ShiftStateToDropEffect(0, allowedEffects, true));
    const Qt::DropAction done = drag->exec(ActionsOf(allowedEffects), def);
    drag->deleteLater();
    effect = EffectOf(done) & allowedEffects;
    return effect == DROPEFFECT_NONE ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
}

HRESULT TQtClipboard::SetClipboard(const TDataObjectRef& data) {
    QClipboard* board = QGuiApplication::clipboard();
    if (!board) return E_FAIL;
    if (!data || !data->object) board->clear();
    else board->setMimeData(new TSourceMimeData(data));
    return S_OK;
}

bool TQtClipboard::IsCurrentClipboard(const IDataObject* data) {
    QClipboard* board = QGuiApplication::clipboard();
    if (!board || !data) return false;
    auto* ours = qobject_cast<const TSourceMimeData*>(board->mimeData());
    return ours && ours->Object() == data;
}

HRESULT TQtClipboard::FlushClipboard() {
    QClipboard* board = QGuiApplication::clipboard();
    if (!board) return E_FAIL;
    auto* ours = qobject_cast<const TSourceMimeData*>(board->mimeData());
    if (!ours || !ours->Object()) return S_OK;
    board->setMimeData(RenderMimeData(*ours->Object()).release());
    return S_OK;
}

std::unique_ptr<IDataObject> TQtClipboard::GetClipboard() {
    QClipboard* board = QGuiApplication::clipboard();
    const QMimeData* mime = board ? board->mimeData() : nullptr;
    if (!mime) return nullptr;
    return std::make_unique<TMimeDataObject>(mime);
}

void UseQtDragDrop() {
    static TQtDragLoop loop;
    static TQtClipboard clipboard;
    SetDefaultDragLoop(&loop);
    SetDefaultClipboard(&clipboard);
}

QPoint WindowPointFromClient(const QWidget* window, const QPoint& client) {
    const QPoint topLeft = window->isWindow() ? window->frameGeometry().topLeft() : window->mapToGlobal(QPoint(0, 0));
    return window->mapToGlobal(client) - topLeft;
}

}  // namespace kiv

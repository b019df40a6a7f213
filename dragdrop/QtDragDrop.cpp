#include "dragdrop/QtDragDrop.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QWidget>
#include <memory>

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

// Another program's drag offered as a move: every widget of ours hears it offered as a
// copy or link only (a move alone is refused). Whatever a widget answers (Qt's editors take the proposed action), the
// other program never hears that we moved its data, so a file manager never deletes the
// file it showed us. Our own drags between our windows keep their moves.
class TNoForeignMoves : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type t = event->type();
        // The widgets' events; a window passes its own on to them.
        if ((t != QEvent::DragEnter && t != QEvent::DragMove && t != QEvent::Drop) ||
            !watched->isWidgetType())
            return false;
        auto* e = static_cast<QDropEvent*>(event);
        if (e->source() || !(e->possibleActions() & Qt::MoveAction)) return false;
        // A drag that offers nothing but a move is refused: Qt answers it with the move
        // whatever a widget chooses.
        const Qt::DropActions rest = e->possibleActions() & ~Qt::MoveAction;
        if (!rest) {
            e->setDropAction(Qt::IgnoreAction);
            e->ignore();
            return true;
        }
        if (t == QEvent::Drop) {
            QDropEvent copy(e->position(), rest, e->mimeData(), e->buttons(), e->modifiers());
            QCoreApplication::sendEvent(watched, &copy);
            e->setDropAction(copy.dropAction());
            e->setAccepted(copy.isAccepted() && copy.dropAction() != Qt::MoveAction);
            return true;
        }
        std::unique_ptr<QDragMoveEvent> copy;
        if (t == QEvent::DragEnter)
            copy = std::make_unique<QDragEnterEvent>(e->position().toPoint(), rest, e->mimeData(),
                                                     e->buttons(), e->modifiers());
        else
            copy = std::make_unique<QDragMoveEvent>(e->position().toPoint(), rest, e->mimeData(),
                                                    e->buttons(), e->modifiers());
        QCoreApplication::sendEvent(watched, copy.get());
        auto* move = static_cast<QDragMoveEvent*>(e);
        move->setDropAction(copy->dropAction());
        if (copy->isAccepted() && copy->dropAction() != Qt::MoveAction)
            move->accept(copy->answerRect());
        else move->ignore(copy->answerRect());
        return true;
    }
};

}  // namespace

HRESULT TQtDragLoop::DoDragDrop(const TDataObjectRef& data, IDropSource& source,
                                uint32_t allowedEffects, uint32_t& effect,
                                const TDragImage* image) {
    effect = DROPEFFECT_NONE;
    if (!data || !data->object || !ActionsOf(allowedEffects)) return E_FAIL;
    QObject* owner = DragSource ? DragSource.data() : QCoreApplication::instance();
    // A drag is over when the next one starts: on X11 another program asks for the data
    // only after the drop, and the windowing layer serves it from the drag it keeps (and
    // frees once that program has finished).
    static QPointer<QDrag> previous;
    delete previous.data();
    auto* drag = new QDrag(owner);
    previous = drag;
    drag->setMimeData(new TSourceMimeData(data));
    if (image)
        if (auto* list = dynamic_cast<const TImageList*>(image->images);
            list && image->index < list->Count()) {
            drag->setPixmap(list->Pixmaps[image->index]);
            drag->setHotSpot(QPoint(image->hotSpotX, image->hotSpotY));
        }
    QObject::connect(drag, &QDrag::actionChanged, drag,
                     [&source](Qt::DropAction a) { source.GiveFeedback(EffectOf(a)); });
    const Qt::DropAction def = ActionOf(ShiftStateToDropEffect(0, allowedEffects, true));
    const Qt::DropAction done = drag->exec(ActionsOf(allowedEffects), def);
    // The source may be gone before the drag is freed: it hears nothing after the drag.
    if (previous) QObject::disconnect(previous, &QDrag::actionChanged, nullptr, nullptr);
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
    static QPointer<QObject> noMoves;
    if (!noMoves && QCoreApplication::instance()) {
        noMoves = new TNoForeignMoves;
        noMoves->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(noMoves);
    }
}

QPoint WindowPointFromClient(const QWidget* window, const QPoint& client) {
    const QPoint topLeft =
        window->isWindow() ? window->frameGeometry().topLeft() : window->mapToGlobal(QPoint(0, 0));
    return window->mapToGlobal(client) - topLeft;
}

}  // namespace kiv

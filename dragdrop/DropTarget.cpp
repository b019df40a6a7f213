#include "dragdrop/DropTarget.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTextEdit>
#include <QWidget>

#include "dragdrop/MimeBridge.h"
#include "dragdrop/core/FeedbackFormats.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {

const char* const kInternalDrag = "application/x-kiv-internal-drag";

class QtScrollTimer : public IScrollTimer {
public:
    QtScrollTimer() {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (OnTimer) OnTimer();
        });
    }
    void Start(int ms) override { timer_.start(ms); }
    void Stop() override { timer_.stop(); }
    bool Active() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

uint32_t KeyStateOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    uint32_t k = 0;
    if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
    if (mods & Qt::ControlModifier) k |= MK_CONTROL;
    if (mods & Qt::AltModifier) k |= MK_ALT;
    if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
    if (buttons & Qt::RightButton) k |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
    return k;
}

uint32_t EffectsOf(Qt::DropActions a) {
    uint32_t e = 0;
    if (a & Qt::CopyAction) e |= DROPEFFECT_COPY;
    if (a & Qt::MoveAction) e |= DROPEFFECT_MOVE;
    if (a & Qt::LinkAction) e |= DROPEFFECT_LINK;
    return e;
}

Qt::DropAction ActionOf(uint32_t effect) {
    effect &= ~DROPEFFECT_SCROLL;
    if (effect & DROPEFFECT_COPY) return Qt::CopyAction;
    if (effect & DROPEFFECT_MOVE) return Qt::MoveAction;
    if (effect & DROPEFFECT_LINK) return Qt::LinkAction;
    return Qt::IgnoreAction;
}

bool IsDragEvent(QEvent::Type t) {
    return t == QEvent::DragEnter || t == QEvent::DragMove || t == QEvent::DragLeave ||
           t == QEvent::Drop;
}

}  // namespace

TCustomDropTarget::TCustomDropTarget() { SetScrollTimer(std::make_unique<QtScrollTimer>()); }

TCustomDropTarget::~TCustomDropTarget() {
    timer_->Stop();
    mimeData_.reset();
    data_ = nullptr;
    RemoveAllTargets();
}

void TCustomDropTarget::SetScrollTimer(std::unique_ptr<IScrollTimer> timer) {
    timer_ = std::move(timer);
    timer_->OnTimer = [this] { GuardCall([this] { AutoScrollTimer(); }); };
}

// --- registration

int TCustomDropTarget::IndexOf(const QWidget* w) const {
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i] == w) return int(i);
    return -1;
}

void TCustomDropTarget::AddTargetControl(QWidget* control) {
    if (control && IndexOf(control) >= 0) return;
    if (!MultiTarget) RemoveAllTargets();
    if (!control) return;
    size_t at = controls_.size();
    for (size_t i = controls_.size(); i-- > 0;)
        if (controls_[i] && controls_[i]->isAncestorOf(control)) {
            at = i + 1;
            break;
        }
    controls_.insert(controls_.begin() + ptrdiff_t(at), control);
    control->setAcceptDrops(true);
    control->installEventFilter(this);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
        area->viewport()->setAcceptDrops(true);
        area->viewport()->installEventFilter(this);
    }
    connect(control, &QObject::destroyed, this, [this](QObject* gone) {
        std::erase_if(controls_,
                      [gone](const QPointer<QWidget>& w) { return !w || w.data() == gone; });
    });
}

void TCustomDropTarget::RemoveTargetControl(QWidget* control) {
    const int i = IndexOf(control);
    if (i < 0) return;
    if (current_ == control) current_ = nullptr;
    controls_.erase(controls_.begin() + i);
    control->removeEventFilter(this);
    // A rich-text editor's own drop handling gave way to ours, and does not come back.
    if (auto* edit = qobject_cast<QTextEdit*>(control)) edit->setAcceptDrops(false);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control))
        area->viewport()->removeEventFilter(this);
    disconnect(control, &QObject::destroyed, this, nullptr);
}

void TCustomDropTarget::RemoveAllTargets() {
    while (!controls_.empty()) {
        QWidget* w = controls_.back();
        if (w) RemoveTargetControl(w);
        else controls_.pop_back();
    }
}

QWidget* TCustomDropTarget::Target() const {
    if (current_) return current_;
    return controls_.empty() ? nullptr : controls_.front().data();
}

QWidget* TCustomDropTarget::RegisteredAncestor(QWidget* w) const {
    for (; w; w = w->parentWidget())
        if (IndexOf(w) >= 0) return w;
    return nullptr;
}

QWidget* TCustomDropTarget::FindTargetAt(const QPoint& screen) const {
    return RegisteredAncestor(QApplication::widgetAt(screen));
}

// --- effects and feedback

uint32_t TCustomDropTarget::GetValidDropEffect(TShiftState shift, const QPoint& point,
                                               uint32_t offered) {
    uint32_t effect =
        ShiftStateToDropEffect(shift, DragTypesToDropEffect(Dragtypes) & offered, true);
    if (autoScrollNow_ && scrollBars_ != 0) {
        if (!scrollZone_.contains(point)) effect |= DROPEFFECT_SCROLL;
        else effect &= ~DROPEFFECT_SCROLL;
    }
    if (OnGetDropEffect) OnGetDropEffect(this, shift, point, effect);
    return effect;
}

uint32_t TCustomDropTarget::GetPreferredDropEffect() {
    TPreferredDropEffectClipboardFormat f;
    return data_ && f.GetData(*data_) ? f.Value() : 0;
}

namespace {

bool WriteFeedback(IDataObject* data, TCustomDWORDClipboardFormat&& f, uint32_t effect) {
    if (!data) return false;
    f.SetValue(effect);
    TStgMedium medium;
    TFormatEtc request = f.FormatEtc();
    request.tymed = TYMED_HGLOBAL;
    return f.SetData(*data, request, medium);
}

}  // namespace

bool TCustomDropTarget::SetPerformedDropEffect(uint32_t effect) {
    return WriteFeedback(data_, TPerformedDropEffectClipboardFormat(), effect);
}

bool TCustomDropTarget::SetPasteSucceeded(uint32_t effect) {
    return WriteFeedback(data_, TPasteSuccededClipboardFormat(), effect);
}

uint32_t TCustomDropTarget::PasteFromClipboard() {
    IClipboardPort* board = Clipboard ? Clipboard : DefaultClipboard();
    std::unique_ptr<IDataObject> held = board ? board->GetClipboard() : nullptr;
    if (!held) return DROPEFFECT_NONE;
    data_ = held.get();
    // A clipboard that names no preferred effect was copied to.
    uint32_t effect = GetPreferredDropEffect();
    if (effect == DROPEFFECT_NONE) effect = DROPEFFECT_COPY;
    if (!GetData(effect)) effect = DROPEFFECT_NONE;
    DoPaste(effect);
    data_ = nullptr;
    return effect;
}

bool TCustomDropTarget::AssignDataObject(IDataObject& data) {
    data_ = &data;
    const bool ok = GetData(DROPEFFECT_COPY);
    data_ = nullptr;
    return ok;
}

void TCustomDropTarget::DoPaste(uint32_t& effect) {
    DoDrop(0, QPoint(0, 0), effect);
    if (effect != DROPEFFECT_NONE) SetPasteSucceeded(effect);
}

// --- events

void TCustomDropTarget::DoEnter(TShiftState s, const QPoint& p, uint32_t& e) {
    if (OnEnter) OnEnter(this, s, p, e);
}
void TCustomDropTarget::DoDragOver(TShiftState s, const QPoint& p, uint32_t& e) {
    if (OnDragOver) OnDragOver(this, s, p, e);
}
void TCustomDropTarget::DoLeave() {
    if (OnLeave) OnLeave(this);
}
void TCustomDropTarget::DoScroll(TScrolDirections& scroll, int& interval) {
    if (OnScroll) OnScroll(this, lastPoint_, scroll, interval);
}

void TCustomDropTarget::DoDrop(TShiftState s, const QPoint& p, uint32_t& effect) {
    if (OnDrop) OnDrop(this, s, p, effect);
    if (effect == DROPEFFECT_NONE) return;
    if (OptimizedMove && effect == DROPEFFECT_MOVE) effect = DROPEFFECT_COPY;
    SetPerformedDropEffect(effect);
}

bool TCustomDropTarget::GetData(uint32_t effect) {
    ClearData();
    auto* async = dynamic_cast<IAsyncOperation*>(data_);
    int32_t asyncMode = 0;
    if (AllowAsyncTransfer && async && async->GetAsyncMode(asyncMode) == S_OK && asyncMode) {
        // The transfer runs after the drop has returned, on the GUI thread: the data object
        // may be reached through Qt, which lives there.
        if (OnStartAsyncTransfer) OnStartAsyncTransfer(this);
        transferring_ = true;
        async->StartOperation();
        IDataObject* data = data_;
        QTimer::singleShot(0, this, [this, data, async, effect] {
            GuardCall([&] {
                data_ = data;
                DoGetData();
                async->EndOperation(S_OK, effect);
                data_ = nullptr;
            });
            EndTransfer();
        });
        return true;
    }
    return DoGetData();
}

void TCustomDropTarget::EndTransfer() {
    transferring_ = false;
    if (OnEndAsyncTransfer) OnEndAsyncTransfer(this);
}

// --- the protocol

HRESULT TCustomDropTarget::DragEnter(IDataObject* data, uint32_t keyState, const QPoint& screen,
                                     uint32_t& effect) {
    ClearData();
    data_ = data;
    autoScrollNow_ = AutoScroll;
    current_ = enteredControl_ ? enteredControl_.data() : FindTargetAt(screen);
    QPoint point = screen;
    if (current_) {
        point = current_->mapFromGlobal(screen);
        lastPoint_ = point;
    } else {
        autoScrollNow_ = false;
    }
    if (!data || !HasValidFormats(*data)) {
        data_ = nullptr;
        effect = DROPEFFECT_NONE;
        return S_OK;
    }
    scrollBars_ = 0;
    if (autoScrollNow_)
        if (auto* area = qobject_cast<QAbstractScrollArea*>(current_.data())) {
            if (area->horizontalScrollBar()->isVisible()) scrollBars_ |= 1;
            if (area->verticalScrollBar()->isVisible()) scrollBars_ |= 2;
            if (scrollBars_) {
                const int band =
                    area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
                scrollZone_ = area->viewport()->geometry();
                if (scrollBars_ & 2) scrollZone_.adjust(0, band, 0, -band);
                if (scrollBars_ & 1) scrollZone_.adjust(band, 0, -band, 0);
            }
        }
    if (GetDataOnEnter && !GetData(effect)) {
        data_ = nullptr;
        effect = DROPEFFECT_NONE;
        return DV_E_CLIPFORMAT;
    }
    const TShiftState shift = KeyStateToShiftState(keyState);
    effect = GetValidDropEffect(shift, point, effect);
    DoEnter(shift, point, effect);
    if (effect == DROPEFFECT_NONE) data_ = nullptr;
    return S_OK;
}

HRESULT TCustomDropTarget::DragOver(uint32_t keyState, const QPoint& screen, uint32_t& effect) {
    if (!current_) {
        effect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
    const QPoint point = current_->mapFromGlobal(screen);
    if (!data_) return DV_E_CLIPFORMAT;
    const TShiftState shift = KeyStateToShiftState(keyState);
    effect = GetValidDropEffect(shift, point, effect);
    DoDragOver(shift, point, effect);
    lastPoint_ = point;
    if ((effect & DROPEFFECT_SCROLL) && !timer_->Active()) timer_->Start(DragDropScrollDelay);
    return S_OK;
}

HRESULT TCustomDropTarget::DragLeave() {
    ClearData();
    timer_->Stop();
    data_ = nullptr;
    DoLeave();
    current_ = nullptr;
    return S_OK;
}

HRESULT TCustomDropTarget::Drop(IDataObject*, uint32_t keyState, const QPoint& screen,
                                uint32_t& effect) {
    timer_->Stop();
    HRESULT hr = S_OK;
    if (data_) {
        const TShiftState shift = KeyStateToShiftState(keyState);
        const QPoint point = current_ ? current_->mapFromGlobal(screen) : screen;
        effect = GetValidDropEffect(shift, point, effect) & ~DROPEFFECT_SCROLL;
        if (!GetDataOnEnter && !GetData(effect)) effect = DROPEFFECT_NONE;
        else DoDrop(shift, point, effect);
    } else {
        effect = DROPEFFECT_NONE;
        hr = E_UNEXPECTED;
    }
    if (!transferring_) ClearData();
    data_ = nullptr;
    current_ = nullptr;
    return hr;
}

void TCustomDropTarget::AutoScrollTimer() {
    timer_->Stop();
    int interval = DragDropScrollInterval;
    TScrolDirections scroll = 0;
    if (!scrollZone_.contains(lastPoint_)) {
        if (lastPoint_.y() < scrollZone_.top()) scroll |= sdUp;
        else if (lastPoint_.y() > scrollZone_.bottom()) scroll |= sdDown;
        if (lastPoint_.x() < scrollZone_.left()) scroll |= sdLeft;
        else if (lastPoint_.x() > scrollZone_.right()) scroll |= sdRight;
    }
    DoScroll(scroll, interval);
    if (scroll == 0) return;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(current_.data())) {
        if (scroll & sdUp)
            area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        if (scroll & sdDown)
            area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        if (scroll & sdLeft)
            area->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        if (scroll & sdRight)
            area->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    timer_->Start(interval);
}

// --- Qt's drag events

bool TCustomDropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (!IsDragEvent(event->type())) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    QWidget* control = w ? RegisteredAncestor(w) : nullptr;
    if (!control) return false;
    bool handled = false;
    GuardCall([&] { handled = HandleDragEvent(w, event); });
    return handled;
}

bool TCustomDropTarget::HandleDragEvent(QWidget* receiver, QEvent* event) {
    if (event->type() == QEvent::DragLeave) {
        if (!mimeData_) return false;
        DragLeave();
        mimeData_.reset();
        return true;
    }
    auto* e = static_cast<QDropEvent*>(event);
    // The program's own topic drags between its panels are theirs alone.
    if (e->mimeData() && e->mimeData()->hasFormat(kInternalDrag)) return false;
    const QPoint screen = receiver->mapToGlobal(e->position().toPoint());
    const uint32_t keys = KeyStateOf(e->modifiers(), e->buttons());
    uint32_t effect = EffectsOf(e->possibleActions());
    auto answer = [&](HRESULT hr) {
        const Qt::DropAction action = Succeeded(hr) ? ActionOf(effect) : Qt::IgnoreAction;
        if (action == Qt::IgnoreAction) {
            e->ignore();
        } else {
            e->setDropAction(action);
            e->accept();
        }
    };
    switch (event->type()) {
    case QEvent::DragEnter: {
        mimeData_ = std::make_unique<TMimeDataObject>(e->mimeData());
        // The control is the one Qt entered, not what lies topmost at the point on the
        // screen: where the pointer comes straight from another program's window lying over
        // the control, the first point may still be on that window's frame.
        enteredControl_ = RegisteredAncestor(receiver);
        const HRESULT hr = DragEnter(mimeData_.get(), keys, screen, effect);
        enteredControl_ = nullptr;
        answer(hr);
        // Accepted, so that the moves come and are answered one by one.
        e->accept();
        return true;
    }
    case QEvent::DragMove:
        if (!mimeData_) return false;
        answer(DragOver(keys, screen, effect));
        return true;
    case QEvent::Drop:
        if (!mimeData_) return false;
        answer(Drop(mimeData_.get(), keys, screen, effect));
        mimeData_.reset();
        return true;
    default: return false;
    }
}

// --- TCustomDropMultiTarget

TCustomDropMultiTarget::TCustomDropMultiTarget() {
    Dragtypes = DragTypeBit(dtCopy) | DragTypeBit(dtLink);
}

TCustomDropMultiTarget::~TCustomDropMultiTarget() {
    while (dataFormats_.Count() > 0) delete dataFormats_[dataFormats_.Count() - 1];
}

void TCustomDropMultiTarget::ClearData() {
    if (TransferInProgress())
        throw EDragDropError("Can't clear data while async data transfer is in progress");
    for (auto* f : dataFormats_.Items()) f->Clear();
}

bool TCustomDropMultiTarget::HasValidFormats(IDataObject& data) {
    std::unique_ptr<IEnumFormatEtc> e;
    if (data.EnumFormatEtc(DATADIR_GET, e) != S_OK || !e) return false;
    e->Reset();
    std::vector<TFormatEtc> one;
    uint32_t fetched = 0;
    while (e->Next(1, one, &fetched) == S_OK && fetched == 1) {
        for (auto* f : dataFormats_.Items()) {
            if (!f->AcceptFormat(one[0]) || !f->HasValidFormats(data)) continue;
            bool accept = true;
            DoAcceptFormat(f, accept);
            if (accept) return true;
        }
    }
    return false;
}

bool TCustomDropMultiTarget::DoGetData() {
    bool any = false;
    for (auto* f : dataFormats_.Items()) {
        if (!DataObject() || !f->HasValidFormats(*DataObject())) continue;
        bool accept = true;
        DoAcceptFormat(f, accept);
        if (accept && f->GetData(*DataObject())) any = true;
    }
    return any;
}

void TCustomDropMultiTarget::DoAcceptFormat(TCustomDataFormat* format, bool& accept) {
    if (OnAcceptFormat) OnAcceptFormat(this, format, accept);
}

}  // namespace kiv

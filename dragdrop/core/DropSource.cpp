#include "dragdrop/core/DropSource.h"

#include <algorithm>

namespace kiv {

namespace {

IDragLoop* gDragLoop = nullptr;
IClipboardPort* gClipboard = nullptr;

std::string OleError(const char* what, HRESULT hr) {
    char buf[16];
    snprintf(buf, sizeof buf, "%08X", uint32_t(hr));
    return std::string(what) + " failed (OLE error " + buf + ")";
}

}  // namespace

IDragLoop* DefaultDragLoop() { return gDragLoop; }
IClipboardPort* DefaultClipboard() { return gClipboard; }
void SetDefaultDragLoop(IDragLoop* loop) { gDragLoop = loop; }
void SetDefaultClipboard(IClipboardPort* clipboard) { gClipboard = clipboard; }

TDragImageList::~TDragImageList() {
    const auto observers = observers_;
    for (auto* s : observers) s->ImagesFreed(this);
}

void TDragImageList::AddFreeObserver(TCustomDropSource* s) {
    if (std::find(observers_.begin(), observers_.end(), s) == observers_.end())
        observers_.push_back(s);
}

void TDragImageList::RemoveFreeObserver(TCustomDropSource* s) { std::erase(observers_, s); }

// --- TCustomDropSource

TCustomDropSource::TCustomDropSource() : ref_(std::make_shared<TDataObjectLink>()) {
    ref_->object = this;
}

TCustomDropSource::~TCustomDropSource() {
    try {
        EmptyClipboard();
    } catch (const EDragDropError&) {
        // Going away regardless; the link below keeps the clipboard from reaching us.
    }
    ref_->object = nullptr;
    if (images_) images_->RemoveFreeObserver(this);
}

void TCustomDropSource::SetImages(TDragImageList* images) {
    if (images_ == images) return;
    if (images_) images_->RemoveFreeObserver(this);
    images_ = images;
    if (images_) images_->AddFreeObserver(this);
    if (!images_ || imageIndex_ >= images_->Count()) imageIndex_ = 0;
    showImage_ = showImage_ && images_ && images_->Count() > 0;
}

void TCustomDropSource::ImagesFreed(TDragImageList* images) {
    if (images_ != images) return;
    images_ = nullptr;
    imageIndex_ = 0;
    showImage_ = false;
}

void TCustomDropSource::SetImageIndex(int index) {
    if (index < 0 || !images_ || images_->Count() == 0) {
        imageIndex_ = 0;
        showImage_ = false;
    } else if (index < images_->Count()) {
        imageIndex_ = index;
    }
}

void TCustomDropSource::SetShowImage(bool show) { showImage_ = show && images_ != nullptr; }

void TCustomDropSource::SetAllowAsyncTransfer(bool allow) {
    allowAsync_ = allow;
    if (!allow) asyncMode_ = inAsyncOperation_ = false;
}

HRESULT TCustomDropSource::GetData(const TFormatEtc& format, TStgMedium& medium) {
    medium = TStgMedium{};
    if (OnGetData) {
        bool handled = false;
        OnGetData(this, format, medium, handled);
        if (handled) return S_OK;
    }
    if (!HasFormat(format)) return DV_E_FORMATETC;
    return DoGetData(format, medium);
}

HRESULT TCustomDropSource::QueryGetData(const TFormatEtc& format) {
    return HasFormat(format) ? S_OK : DV_E_FORMATETC;
}

HRESULT TCustomDropSource::SetData(const TFormatEtc& format, TStgMedium& medium, bool release) {
    const HRESULT hr = DoSetData(format, medium);
    if (release) ReleaseStgMedium(medium);
    return hr;
}

HRESULT TCustomDropSource::EnumFormatEtc(uint32_t direction, std::unique_ptr<IEnumFormatEtc>& out) {
    out = GetEnumFormatEtc(direction);
    return out ? S_OK : E_NOTIMPL;
}

HRESULT TCustomDropSource::DoSetData(const TFormatEtc& format, TStgMedium& medium) {
    bool handled = false;
    if (OnSetData) OnSetData(this, format, medium, handled);
    return handled ? S_OK : E_NOTIMPL;
}

HRESULT TCustomDropSource::QueryContinueDrag(bool escapePressed, uint32_t keyState) {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (keyState & (MK_LBUTTON | MK_RBUTTON)) return S_OK;
    TDragType type = dtCopy;
    bool continueDrop =
        DropEffectToDragType(feedbackEffect_, type) && (DragTypes & DragTypeBit(type));
    SetInShellDragLoop(false);
    if (continueDrop && OnDrop) OnDrop(this, type, continueDrop);
    return continueDrop ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
}

HRESULT TCustomDropSource::GiveFeedback(uint32_t effect) {
    feedbackEffect_ = effect;
    bool useDefault = true;
    if (OnFeedback) OnFeedback(this, effect, useDefault);
    return useDefault ? DRAGDROP_S_USEDEFAULTCURSORS : S_OK;
}

HRESULT TCustomDropSource::SetAsyncMode(int32_t flag) {
    if (!allowAsync_) return E_NOTIMPL;
    asyncMode_ = flag != 0;
    return S_OK;
}

HRESULT TCustomDropSource::GetAsyncMode(int32_t& flag) {
    flag = asyncMode_ ? -1 : 0;
    return S_OK;
}

HRESULT TCustomDropSource::StartOperation() {
    if (!asyncMode_) return E_NOTIMPL;
    inAsyncOperation_ = true;
    return S_OK;
}

HRESULT TCustomDropSource::InOperation(int32_t& flag) {
    flag = inAsyncOperation_ ? -1 : 0;
    return S_OK;
}

HRESULT TCustomDropSource::EndOperation(HRESULT result, uint32_t effects) {
    if (!inAsyncOperation_) return E_FAIL;
    inAsyncOperation_ = false;
    if (OnAfterDrop) {
        const TDragResult r =
            Succeeded(result) ? DropEffectToDragResult(DragTypesToDropEffect(DragTypes) & effects)
                              : drUnknown;
        const bool optimized = r == drDropMove ? GetPerformedDropEffect() != DROPEFFECT_MOVE : true;
        OnAfterDrop(this, r, optimized);
    }
    return S_OK;
}

bool TCustomDropSource::PutOnClipboard() {
    IClipboardPort* board = Board();
    return board && board->SetClipboard(ref_) == S_OK;
}

void TCustomDropSource::DoPaste(TDragResult action, bool deleteOnPaste) {
    if (OnPaste) OnPaste(this, action, deleteOnPaste);
}

TDragResult TCustomDropSource::Execute() {
    const uint32_t allowed = DragTypesToDropEffect(DragTypes);
    SetPerformedDropEffect(uint32_t(-1));
    TDragImage image{images_, imageIndex_, ImageHotSpotX, ImageHotSpotY};
    const bool withImage = showImage_ && images_ && imageIndex_ < images_->Count();
    if (allowAsync_) SetAsyncMode(1);

    SetInShellDragLoop(true);
    uint32_t effect = DROPEFFECT_NONE;
    IDragLoop* loop = Loop();
    const HRESULT hr =
        loop ? loop->DoDragDrop(ref_, *this, allowed, effect, withImage ? &image : nullptr)
             : E_FAIL;
    SetInShellDragLoop(false);

    TDragResult result;
    if (hr == E_OUTOFMEMORY) result = drOutMemory;
    else if (hr == DRAGDROP_S_CANCEL) result = drCancel;
    else if (hr == DRAGDROP_S_DROP) {
        if (GetLogicalPerformedDropEffect() == DROPEFFECT_MOVE ||
            (effect != DROPEFFECT_MOVE && GetPerformedDropEffect() == DROPEFFECT_MOVE))
            result = drDropMove;
        else result = DropEffectToDragResult(effect & allowed);
    } else {
        result = drUnknown;
    }
    if (GetPerformedDropEffect() == uint32_t(-1)) SetPerformedDropEffect(0);

    if (!inAsyncOperation_ && OnAfterDrop) {
        bool optimized = false;
        if (result == drDropMove)
            optimized = !(effect == DROPEFFECT_MOVE && GetPerformedDropEffect() == DROPEFFECT_MOVE);
        OnAfterDrop(this, result, optimized);
    }
    return result;
}

bool TCustomDropSource::CutToClipboard() {
    SetPreferredDropEffect(DROPEFFECT_MOVE);
    return PutOnClipboard();
}

bool TCustomDropSource::CopyToClipboard() {
    SetPreferredDropEffect(DROPEFFECT_COPY);
    return PutOnClipboard();
}

void TCustomDropSource::FlushClipboard() {
    IClipboardPort* board = Board();
    if (!board || !board->IsCurrentClipboard(this)) return;
    const HRESULT hr = board->FlushClipboard();
    if (hr != S_OK) throw EDragDropError(OleError("Flushing the clipboard", hr));
}

void TCustomDropSource::EmptyClipboard() {
    IClipboardPort* board = Board();
    if (!board || !board->IsCurrentClipboard(this)) return;
    const HRESULT hr = board->SetClipboard(nullptr);
    if (hr != S_OK) throw EDragDropError(OleError("Emptying the clipboard", hr));
}

// --- TCustomDropMultiSource

int TSourceDataFormats::Add(TCustomDataFormat* f) {
    f->OnChanging = [s = source_](TCustomDataFormat* sender) { s->DataChanging(sender); };
    return TDataFormats::Add(f);
}

TCustomDropMultiSource::TCustomDropMultiSource() : dataFormats_(this) {
    feedback_ = new TFeedbackDataFormat(this);
    raw_ = new TRawDataFormat(this);
}

TCustomDropMultiSource::~TCustomDropMultiSource() {
    try {
        EmptyClipboard();
    } catch (const EDragDropError&) {
    }
    while (dataFormats_.Count() > 0) delete dataFormats_[dataFormats_.Count() - 1];
}

HRESULT TCustomDropMultiSource::DoGetData(const TFormatEtc& format, TStgMedium& medium) {
    medium = TStgMedium{};
    for (auto* d : dataFormats_.Items()) {
        if (!d->HasData()) continue;
        for (auto* c : d->CompatibleFormats().Items()) {
            if (c->AcceptFormat(format) && d->AssignTo(*c) && c->HasData() &&
                c->SetDataToMedium(format, medium)) {
                // A rendered copy is dropped; what a target wrote is kept for the next reader.
                if (d != raw_) c->Clear();
                return S_OK;
            }
        }
    }
    return DV_E_FORMATETC;
}

bool TCustomDropMultiSource::HasFormat(const TFormatEtc& format) {
    for (auto* d : dataFormats_.Items())
        for (auto* c : d->CompatibleFormats().Items())
            if (c->AcceptFormat(format)) return true;
    return false;
}

std::unique_ptr<IEnumFormatEtc> TCustomDropMultiSource::GetEnumFormatEtc(uint32_t direction) {
    if (direction == DATADIR_GET) return std::make_unique<TEnumFormatEtc>(dataFormats_, ddRead);
    if (direction == DATADIR_SET) return std::make_unique<TEnumFormatEtc>(dataFormats_, ddWrite);
    return nullptr;
}

HRESULT TCustomDropMultiSource::DoSetData(const TFormatEtc& format, TStgMedium& medium) {
    for (auto* d : dataFormats_.Items()) {
        if (d == raw_) continue;  // kept below, not cleared after reading
        for (auto* c : d->CompatibleFormats().Items()) {
            if (!c->AcceptFormat(format)) continue;
            if (c->GetDataFromMedium(this, medium) && d->Assign(*c)) {
                if (c->ClassType().InheritsFrom(TPasteSuccededClipboardFormat::StaticClass()))
                    ReportPasteSucceeded(*c);
                c->Clear();
                return S_OK;
            }
        }
    }
    // Kept as it came, and served back unchanged. A format written again replaces its bytes.
    TClipboardFormats& raws = raw_->CompatibleFormats();
    TClipboardFormat* raw = nullptr;
    for (auto* c : raws.Items())
        if (c->FormatEtc() == format) raw = c;
    if (!raw) {
        raw = new TRawClipboardFormat(format);
        raws.Add(raw);
    }
    if (!raw->GetDataFromMedium(this, medium) || !raw_->Assign(*raw)) return E_NOTIMPL;
    return S_OK;
}

void TCustomDropMultiSource::ReportPasteSucceeded(TClipboardFormat& format) {
    const uint32_t value = static_cast<TCustomDWORDClipboardFormat&>(format).Value();
    const bool deleteOnPaste =
        value == DROPEFFECT_MOVE && GetPerformedDropEffect() == DROPEFFECT_MOVE;
    DoPaste(DropEffectToDragResult(value), deleteOnPaste);
}

void TCustomDropMultiSource::DataChanging(TCustomDataFormat*) { FlushClipboard(); }

// --- TEnumFormatEtc

TEnumFormatEtc::TEnumFormatEtc(const TDataFormats& formats, TDataDirections direction) {
    std::vector<const TClassInfo*> taken;
    for (auto* d : formats.Items()) {
        for (auto* c : d->CompatibleFormats().Items()) {
            if (!(c->Direction & direction)) continue;
            if (std::find(taken.begin(), taken.end(), &c->ClassType()) != taken.end()) continue;
            taken.push_back(&c->ClassType());
            formats_.push_back(c->FormatEtc());
        }
    }
}

HRESULT TEnumFormatEtc::Next(uint32_t n, std::vector<TFormatEtc>& out, uint32_t* fetched) {
    out.clear();
    while (out.size() < n && index_ < formats_.size()) out.push_back(formats_[index_++]);
    if (fetched) *fetched = uint32_t(out.size());
    return out.size() == n ? S_OK : S_FALSE;
}

HRESULT TEnumFormatEtc::Skip(uint32_t n) {
    if (formats_.size() - index_ < n) {
        index_ = formats_.size();
        return S_FALSE;
    }
    index_ += n;
    return S_OK;
}

HRESULT TEnumFormatEtc::Reset() {
    index_ = 0;
    return S_OK;
}

HRESULT TEnumFormatEtc::Clone(std::unique_ptr<IEnumFormatEtc>& out) {
    auto c = std::make_unique<TEnumFormatEtc>(formats_);
    c->index_ = index_;
    out = std::move(c);
    return S_OK;
}

}  // namespace kiv

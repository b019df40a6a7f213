#pragma once
// A drop source: the data object handed to a drag or to the clipboard, the answers to the
// drag loop, and the asynchronous-operation protocol. The drag loop and the clipboard are
// ports, so that the logic runs the same under a fake and under Qt.
#include <functional>
#include <memory>
#include <vector>

#include "dragdrop/core/FeedbackFormats.h"
#include "dragdrop/core/Formats.h"

namespace kiv {

class TCustomDropSource;

// Images a drag can show. Observers learn when the list goes away.
class TDragImageList {
public:
    virtual ~TDragImageList();
    virtual int Count() const = 0;
    void AddFreeObserver(TCustomDropSource* s);
    void RemoveFreeObserver(TCustomDropSource* s);

private:
    std::vector<TCustomDropSource*> observers_;
};

// What the drag loop shows under the pointer: image ImageIndex of Images with its hot spot.
struct TDragImage {
    const TDragImageList* images = nullptr;
    int index = 0;
    int hotSpotX = 16, hotSpotY = 16;
};

// The system's drag loop (DoDragDrop): runs until the drop or the cancel, asking the source
// as it goes, and answers DRAGDROP_S_DROP, DRAGDROP_S_CANCEL or an error with the effect.
class IDragLoop {
public:
    virtual ~IDragLoop() = default;
    virtual HRESULT DoDragDrop(const TDataObjectRef& data, IDropSource& source,
                               uint32_t allowedEffects, uint32_t& effect,
                               const TDragImage* image) = 0;
};

// The system clipboard as a holder of one data object.
class IClipboardPort {
public:
    virtual ~IClipboardPort() = default;
    // Puts the data object on the clipboard; null empties it.
    virtual HRESULT SetClipboard(const TDataObjectRef& data) = 0;
    virtual bool IsCurrentClipboard(const IDataObject* data) = 0;
    // Renders every format of the current data object and lets the object go.
    virtual HRESULT FlushClipboard() = 0;
    // The clipboard's content as a data object to read from; null when it is empty.
    virtual std::unique_ptr<IDataObject> GetClipboard() = 0;
};

// The ports every source and target uses unless given its own; the Qt layer installs its own.
IDragLoop* DefaultDragLoop();
IClipboardPort* DefaultClipboard();
void SetDefaultDragLoop(IDragLoop* loop);
void SetDefaultClipboard(IClipboardPort* clipboard);

class TCustomDropSource : public TDragDropComponent,
                          public IDataObject,
                          public IDropSource,
                          public IAsyncOperation {
    KIV_DD_CLASS(TCustomDropSource, TDragDropComponent)
public:
    TCustomDropSource();
    ~TCustomDropSource() override;

    TDragTypes DragTypes = DragTypeBit(dtCopy);
    std::function<void(TCustomDropSource*, TDragType, bool& continueDrop)> OnDrop;
    std::function<void(TCustomDropSource*, TDragResult, bool optimized)> OnAfterDrop;
    std::function<void(TCustomDropSource*, uint32_t effect, bool& useDefaultCursors)> OnFeedback;
    std::function<void(TCustomDropSource*, const TFormatEtc&, TStgMedium&, bool& handled)>
        OnGetData;
    std::function<void(TCustomDropSource*, const TFormatEtc&, TStgMedium&, bool& handled)>
        OnSetData;
    std::function<void(TCustomDropSource*, TDragResult action, bool deleteOnPaste)> OnPaste;

    // Ports; null means the defaults.
    IDragLoop* DragLoop = nullptr;
    IClipboardPort* Clipboard = nullptr;

    TDragImageList* Images() const { return images_; }
    void SetImages(TDragImageList* images);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    bool ShowImage() const { return showImage_; }
    void SetShowImage(bool show);
    int ImageHotSpotX = 16, ImageHotSpotY = 16;
    bool AllowAsyncTransfer() const { return allowAsync_; }
    void SetAllowAsyncTransfer(bool allow);
    bool InAsyncOperation() const { return inAsyncOperation_; }

    // IDataObject
    HRESULT GetData(const TFormatEtc& format, TStgMedium& medium) override;
    HRESULT QueryGetData(const TFormatEtc& format) override;
    HRESULT SetData(const TFormatEtc& format, TStgMedium& medium, bool release) override;
    HRESULT EnumFormatEtc(uint32_t direction, std::unique_ptr<IEnumFormatEtc>& out) override;
    // IDropSource
    HRESULT QueryContinueDrag(bool escapePressed, uint32_t keyState) override;
    HRESULT GiveFeedback(uint32_t effect) override;
    // IAsyncOperation
    HRESULT SetAsyncMode(int32_t flag) override;
    HRESULT GetAsyncMode(int32_t& flag) override;
    HRESULT StartOperation() override;
    HRESULT InOperation(int32_t& flag) override;
    HRESULT EndOperation(HRESULT result, uint32_t effects) override;

    virtual HRESULT DoGetData(const TFormatEtc& format, TStgMedium& medium) = 0;
    virtual HRESULT DoSetData(const TFormatEtc& format, TStgMedium& medium);
    virtual bool HasFormat(const TFormatEtc& format) = 0;
    virtual std::unique_ptr<IEnumFormatEtc> GetEnumFormatEtc(uint32_t direction) = 0;
    virtual void DataChanging(TCustomDataFormat* sender) { FlushClipboard(); }
    virtual bool PutOnClipboard();
    virtual void DoPaste(TDragResult action, bool deleteOnPaste);
    virtual uint32_t GetPerformedDropEffect() { return 0; }
    virtual uint32_t GetLogicalPerformedDropEffect() { return 0; }
    virtual void SetPerformedDropEffect(uint32_t) {}
    virtual uint32_t GetPreferredDropEffect() { return 0; }
    virtual void SetPreferredDropEffect(uint32_t) {}
    virtual bool GetInShellDragLoop() { return false; }
    virtual TGUID GetTargetCLSID() { return {}; }
    virtual void SetInShellDragLoop(bool) {}

    virtual TDragResult Execute();
    virtual bool CutToClipboard();
    virtual bool CopyToClipboard();
    // Raise EDragDropError when the clipboard refuses.
    virtual void FlushClipboard();
    virtual void EmptyClipboard();

    // The link the windowing system holds; cleared when the source goes.
    const TDataObjectRef& DataObjectRef() const { return ref_; }
    void ImagesFreed(TDragImageList* images);

protected:
    IDragLoop* Loop() const { return DragLoop ? DragLoop : DefaultDragLoop(); }
    IClipboardPort* Board() const { return Clipboard ? Clipboard : DefaultClipboard(); }

private:
    TDataObjectRef ref_;
    uint32_t feedbackEffect_ = 0;
    TDragImageList* images_ = nullptr;
    int imageIndex_ = 0;
    bool showImage_ = false;
    bool allowAsync_ = false, asyncMode_ = false, inAsyncOperation_ = false;
};

// The format list of a source: every data format added listens for changes.
class TSourceDataFormats : public TDataFormats {
public:
    explicit TSourceDataFormats(TCustomDropSource* source) : source_(source) {}
    int Add(TCustomDataFormat* f) override;

private:
    TCustomDropSource* source_;
};

class TCustomDropMultiSource : public TCustomDropSource, public TDataFormatOwner {
    KIV_DD_CLASS(TCustomDropMultiSource, TCustomDropSource)
public:
    TCustomDropMultiSource();
    ~TCustomDropMultiSource() override;

    TSourceDataFormats& DataFormats() { return dataFormats_; }
    TFeedbackDataFormat& FeedbackDataFormat() { return *feedback_; }
    TRawDataFormat& RawDataFormat() { return *raw_; }

    TConversionScopes DataFormatSide() const override { return csSource; }
    TDataFormats& OwnedDataFormats() override { return dataFormats_; }

    HRESULT DoGetData(const TFormatEtc& format, TStgMedium& medium) override;
    HRESULT DoSetData(const TFormatEtc& format, TStgMedium& medium) override;
    bool HasFormat(const TFormatEtc& format) override;
    std::unique_ptr<IEnumFormatEtc> GetEnumFormatEtc(uint32_t direction) override;
    void DataChanging(TCustomDataFormat* sender) override;

    uint32_t GetPerformedDropEffect() override { return feedback_->PerformedDropEffect(); }
    uint32_t GetLogicalPerformedDropEffect() override {
        return feedback_->LogicalPerformedDropEffect();
    }
    void SetPerformedDropEffect(uint32_t e) override { feedback_->SetPerformedDropEffect(e); }
    uint32_t GetPreferredDropEffect() override { return feedback_->PreferredDropEffect(); }
    void SetPreferredDropEffect(uint32_t e) override { feedback_->SetPreferredDropEffect(e); }
    bool GetInShellDragLoop() override { return feedback_->InShellDragLoop(); }
    TGUID GetTargetCLSID() override { return feedback_->TargetCLSID(); }
    void SetInShellDragLoop(bool v) override { feedback_->SetInShellDragLoop(v); }

private:
    void ReportPasteSucceeded(TClipboardFormat& format);
    TSourceDataFormats dataFormats_;
    TFeedbackDataFormat* feedback_;
    TRawDataFormat* raw_;
};

// The formats of a set of data formats in one direction, each class once.
class TEnumFormatEtc : public IEnumFormatEtc {
public:
    TEnumFormatEtc(const TDataFormats& formats, TDataDirections direction);
    explicit TEnumFormatEtc(std::vector<TFormatEtc> formats) : formats_(std::move(formats)) {}
    HRESULT Next(uint32_t n, std::vector<TFormatEtc>& out, uint32_t* fetched) override;
    HRESULT Skip(uint32_t n) override;
    HRESULT Reset() override;
    HRESULT Clone(std::unique_ptr<IEnumFormatEtc>& out) override;

private:
    std::vector<TFormatEtc> formats_;
    size_t index_ = 0;
};

}  // namespace kiv

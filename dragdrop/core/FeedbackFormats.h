#pragma once
// The values a drop source and a drop target tell each other during and after a drop.
#include <array>

#include "dragdrop/core/SimpleFormats.h"

namespace kiv {

using TGUID = std::array<uint8_t, 16>;

class TPreferredDropEffectClipboardFormat : public TCustomDWORDClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TPreferredDropEffectClipboardFormat, TCustomDWORDClipboardFormat)
    KIV_NAMED_FORMAT("Preferred DropEffect")
};
class TPerformedDropEffectClipboardFormat : public TCustomDWORDClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TPerformedDropEffectClipboardFormat, TCustomDWORDClipboardFormat)
    KIV_NAMED_FORMAT("Performed DropEffect")
};
class TLogicalPerformedDropEffectClipboardFormat : public TCustomDWORDClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TLogicalPerformedDropEffectClipboardFormat, TCustomDWORDClipboardFormat)
    KIV_NAMED_FORMAT("Logical Performed DropEffect")
};
class TPasteSuccededClipboardFormat : public TCustomDWORDClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TPasteSuccededClipboardFormat, TCustomDWORDClipboardFormat)
    KIV_NAMED_FORMAT("Paste Succeeded")
};
class TInShellDragLoopClipboardFormat : public TCustomDWORDClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TInShellDragLoopClipboardFormat, TCustomDWORDClipboardFormat)
    KIV_NAMED_FORMAT("InShellDragLoop")
};

// A 16-byte class id, read and written only as exactly 16 bytes.
class TTargetCLSIDClipboardFormat : public TCustomSimpleClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TTargetCLSIDClipboardFormat, TCustomSimpleClipboardFormat)
    KIV_NAMED_FORMAT("TargetCLSID")
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override { return 16; }
    void Clear() override { clsid_ = {}; }
    bool HasData() override { return clsid_ != TGUID{}; }
    const TGUID& CLSID() const { return clsid_; }
    void SetCLSID(const TGUID& g) { clsid_ = g; }

private:
    TGUID clsid_{};
};

class TFeedbackDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TFeedbackDataFormat, TCustomDataFormat)
public:
    explicit TFeedbackDataFormat(TComponent* owner = nullptr, const TClassInfo& cls = StaticClass())
        : TCustomDataFormat(owner, cls) {}

    uint32_t PreferredDropEffect() const { return preferred_; }
    void SetPreferredDropEffect(uint32_t v) {
        Changing();
        preferred_ = v;
    }
    uint32_t PerformedDropEffect() const { return performed_; }
    void SetPerformedDropEffect(uint32_t v) {
        Changing();
        performed_ = v;
    }
    uint32_t LogicalPerformedDropEffect() const { return logicalPerformed_; }
    uint32_t PasteSucceeded() const { return pasteSucceeded_; }
    bool InShellDragLoop() const { return inShellDragLoop_; }
    void SetInShellDragLoop(bool v) {
        Changing();
        inShellDragLoop_ = v;
    }
    const TGUID& TargetCLSID() const { return targetCLSID_; }

    bool Assign(TClipboardFormat& source) override;
    bool AssignTo(TClipboardFormat& dest) override;
    void Clear() override;
    bool HasData() override;
    bool NeedsData() override;

private:
    uint32_t preferred_ = 0, performed_ = 0, logicalPerformed_ = 0, pasteSucceeded_ = 0;
    bool inShellDragLoop_ = false, gotInShellDragLoop_ = false;
    TGUID targetCLSID_{};
};

}  // namespace kiv

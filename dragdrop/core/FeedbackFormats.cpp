#include "dragdrop/core/FeedbackFormats.h"

#include <cstring>

namespace kiv {

bool TTargetCLSIDClipboardFormat::ReadData(std::string_view block) {
    if (block.size() != clsid_.size()) return false;
    std::memcpy(clsid_.data(), block.data(), clsid_.size());
    return true;
}

bool TTargetCLSIDClipboardFormat::WriteData(char* buffer, size_t size) {
    if (size != clsid_.size()) return false;
    std::memcpy(buffer, clsid_.data(), size);
    return true;
}

namespace {

template <class F>
bool Is(TClipboardFormat& c) {
    return ClipboardFormatAs<F>(c) != nullptr;
}

}  // namespace

bool TFeedbackDataFormat::Assign(TClipboardFormat& source) {
    if (Is<TTargetCLSIDClipboardFormat>(source)) {
        targetCLSID_ = static_cast<TTargetCLSIDClipboardFormat&>(source).CLSID();
        return true;
    }
    if (!Is<TCustomDWORDClipboardFormat>(source)) return TCustomDataFormat::Assign(source);
    const uint32_t v = static_cast<TCustomDWORDClipboardFormat&>(source).Value();
    if (Is<TPreferredDropEffectClipboardFormat>(source)) preferred_ = v;
    else if (Is<TPerformedDropEffectClipboardFormat>(source)) performed_ = v;
    else if (Is<TLogicalPerformedDropEffectClipboardFormat>(source)) logicalPerformed_ = v;
    else if (Is<TPasteSuccededClipboardFormat>(source)) pasteSucceeded_ = v;
    else if (Is<TInShellDragLoopClipboardFormat>(source)) {
        inShellDragLoop_ = v != 0;
        gotInShellDragLoop_ = true;
    } else {
        return false;
    }
    return true;
}

bool TFeedbackDataFormat::AssignTo(TClipboardFormat& dest) {
    if (Is<TTargetCLSIDClipboardFormat>(dest)) {
        static_cast<TTargetCLSIDClipboardFormat&>(dest).SetCLSID(targetCLSID_);
        return true;
    }
    if (!Is<TCustomDWORDClipboardFormat>(dest)) return TCustomDataFormat::AssignTo(dest);
    auto& d = static_cast<TCustomDWORDClipboardFormat&>(dest);
    if (Is<TPreferredDropEffectClipboardFormat>(dest)) d.SetValue(preferred_);
    else if (Is<TPerformedDropEffectClipboardFormat>(dest)) d.SetValue(performed_);
    else if (Is<TLogicalPerformedDropEffectClipboardFormat>(dest)) d.SetValue(logicalPerformed_);
    else if (Is<TPasteSuccededClipboardFormat>(dest)) d.SetValue(pasteSucceeded_);
    else if (Is<TInShellDragLoopClipboardFormat>(dest)) d.SetValue(inShellDragLoop_ ? 1 : 0);
    else return false;
    return true;
}

void TFeedbackDataFormat::Clear() {
    Changing();
    preferred_ = performed_ = 0;
    inShellDragLoop_ = gotInShellDragLoop_ = false;
}

bool TFeedbackDataFormat::HasData() {
    return preferred_ != 0 || performed_ != 0 || pasteSucceeded_ != 0 || gotInShellDragLoop_;
}

bool TFeedbackDataFormat::NeedsData() {
    return preferred_ == 0 || performed_ == 0 || pasteSucceeded_ == 0 || !gotInShellDragLoop_;
}

}  // namespace kiv

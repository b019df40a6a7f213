#include "dragdrop/core/SimpleFormats.h"

#include <algorithm>
#include <cstring>

#include "dragdrop/core/ClipboardCodecs.h"
#include "platform/core/KivStrings.h"

namespace kiv {

bool TCustomSimpleClipboardFormat::DoGetData(IDataObject*, const TStgMedium& medium) {
    if (medium.data.empty()) return false;
    return ReadData(medium.data);
}

bool TCustomSimpleClipboardFormat::DoSetData(const TFormatEtc& format, TStgMedium& medium) {
    const size_t size = GetSize();
    if (size < 1) return false;
    const uint32_t allowed = format.tymed & format_.tymed;
    if (allowed == 0) return false;
    const uint32_t tymed = (allowed & TYMED_ISTREAM) ? TYMED_ISTREAM
                           : (allowed & TYMED_HGLOBAL)
                               ? TYMED_HGLOBAL
                               : allowed & (~allowed + 1);  // the lowest medium offered
    std::string block(size, '\0');
    if (!WriteData(block.data(), size)) return false;
    medium.tymed = tymed;
    medium.data = std::move(block);
    return true;
}

bool TCustomStringClipboardFormat::ReadData(std::string_view block) {
    data_ = trimZeroes_ ? ClipCodec::CutAtZero(block) : block;
    return true;
}

bool TCustomStringClipboardFormat::WriteData(char* buffer, size_t size) {
    if (size > data_.size() + 1) return false;
    std::memcpy(buffer, data_.c_str(), size);
    return true;
}

size_t TCustomTextClipboardFormat::GetSize() {
    if (data_.empty()) return 0;
    return data_.size() + (terminated_ && data_.back() != '\0' ? 1 : 0);
}

bool TCustomStringListClipboardFormat::ReadData(std::string_view block) {
    SetText(ClipCodec::CutAtZero(block));
    return true;
}

bool TCustomStringListClipboardFormat::WriteData(char* buffer, size_t size) {
    const std::string text = Text();
    if (size != GetSize()) return false;
    std::memcpy(buffer, text.data(), text.size());
    return true;
}

std::string TCustomStringListClipboardFormat::Text() const { return JoinLines(lines_); }

void TCustomStringListClipboardFormat::SetText(std::string_view text) { lines_ = SplitLines(text); }

bool TCustomWideTextClipboardFormat::ReadData(std::string_view block) {
    data_ = ClipCodec::BytesToUtf16(block);
    return true;
}

bool TCustomWideTextClipboardFormat::WriteData(char* buffer, size_t size) {
    if (size > (data_.size() + 1) * 2) return false;
    const std::string bytes = ClipCodec::Utf16ToBytes(data_);
    std::memcpy(buffer, bytes.data(), std::min(size, bytes.size()));
    return true;
}

size_t TCustomWideTextClipboardFormat::GetSize() {
    if (data_.empty()) return 0;
    return data_.size() * 2 + (data_.back() != 0 ? 2 : 0);
}

bool TCustomDWORDClipboardFormat::ReadData(std::string_view block) {
    return ClipCodec::ReadDWord(block, value_);
}

bool TCustomDWORDClipboardFormat::WriteData(char* buffer, size_t size) {
    if (size != 4) return false;
    PutU32(buffer, value_);
    return true;
}

}  // namespace kiv

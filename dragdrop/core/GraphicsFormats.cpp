#include "dragdrop/core/GraphicsFormats.h"

#include "dragdrop/core/ShellCodecs.h"

namespace kiv {

void TBitmapDataFormat::Clear() {
    Changing();
    bitmap_.clear();
    palette_.clear();
}

bool TPaletteClipboardFormat::Assign(TCustomDataFormat& source) {
    auto* b = DataFormatAs<TBitmapDataFormat>(source);
    if (!b) return false;
    data_ = b->Palette();
    return true;
}

bool TPaletteClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    auto* b = DataFormatAs<TBitmapDataFormat>(dest);
    if (!b) return false;
    b->SetPalette(data_);
    return true;
}

bool TDIBClipboardFormat::Assign(TCustomDataFormat& source) {
    auto* b = DataFormatAs<TBitmapDataFormat>(source);
    return b && ClipCodec::BMPToDIB(b->Bitmap(), data_);
}

bool TDIBClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    auto* b = DataFormatAs<TBitmapDataFormat>(dest);
    std::string bmp;
    if (!b || !ClipCodec::DIBToBMP(data_, bmp)) return false;
    b->SetBitmap(std::move(bmp));
    return true;
}

bool TBitmapClipboardFormat::GetData(IDataObject& data) {
    TPaletteClipboardFormat palette;
    palette_ = palette.GetData(data) ? palette.GetString() : std::string();
    return TDIBClipboardFormat::GetData(data);
}

bool TBitmapClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    if (!TDIBClipboardFormat::AssignTo(dest)) return false;
    if (!palette_.empty()) static_cast<TBitmapDataFormat&>(dest).SetPalette(palette_);
    return true;
}

bool TQtImageClipboardFormat::Assign(TCustomDataFormat& source) {
    auto* b = DataFormatAs<TBitmapDataFormat>(source);
    if (!b) return false;
    data_ = b->Bitmap();
    return true;
}

bool TQtImageClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    auto* b = DataFormatAs<TBitmapDataFormat>(dest);
    std::string dib;
    if (!b || !ClipCodec::BMPToDIB(data_, dib)) return false;
    b->SetBitmap(data_);
    return true;
}

bool TEnhMetaFileClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    auto* m = DataFormatAs<TMetaFileDataFormat>(dest);
    if (!m) return false;
    m->SetMetaFile(data_, true);
    return true;
}

bool TMetaFileClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    auto* m = DataFormatAs<TMetaFileDataFormat>(dest);
    if (!m) return false;
    m->SetMetaFile(data_, false);
    return true;
}

}  // namespace kiv

#pragma once
// Pictures. A bitmap travels as the bytes of a BMP file (the Linux twin is Qt's image
// type, converted by the Qt layer); CF_BITMAP and CF_PALETTE carry the same bytes in place
// of the Windows handles, between our own windows. Metafiles are only received, and kept
// as their bytes.
#include <string>

#include "dragdrop/core/SimpleFormats.h"

namespace kiv {

class TBitmapDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TBitmapDataFormat, TCustomDataFormat)
public:
    explicit TBitmapDataFormat(TComponent* owner = nullptr, const TClassInfo& cls = StaticClass())
        : TCustomDataFormat(owner, cls) {}
    // A BMP file.
    const std::string& Bitmap() const { return bitmap_; }
    void SetBitmap(std::string bmp) {
        Changing();
        bitmap_ = std::move(bmp);
    }
    // The colour table of a palette, 4 bytes an entry.
    const std::string& Palette() const { return palette_; }
    void SetPalette(std::string p) {
        Changing();
        palette_ = std::move(p);
    }
    void Clear() override;
    bool HasData() override { return !bitmap_.empty(); }

private:
    std::string bitmap_, palette_;
};

class TMetaFileDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TMetaFileDataFormat, TCustomDataFormat)
public:
    explicit TMetaFileDataFormat(TComponent* owner = nullptr, const TClassInfo& cls = StaticClass())
        : TCustomDataFormat(owner, cls) {}
    const std::string& MetaFile() const { return bytes_; }
    bool Enhanced() const { return enhanced_; }
    void SetMetaFile(std::string bytes, bool enhanced) {
        Changing();
        bytes_ = std::move(bytes);
        enhanced_ = enhanced;
    }
    void Clear() override { SetMetaFile({}, false); }
    bool HasData() override { return !bytes_.empty(); }

private:
    std::string bytes_;
    bool enhanced_ = false;
};

// A picture held as one block of bytes.
class TPictureBytesClipboardFormat : public TCustomStringClipboardFormat {
    KIV_DD_CLASS(TPictureBytesClipboardFormat, TCustomStringClipboardFormat)
public:
    explicit TPictureBytesClipboardFormat(uint32_t tymed) { format_.tymed = tymed; }
    bool HasData() override { return !data_.empty(); }
};

class TPaletteClipboardFormat : public TPictureBytesClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TPaletteClipboardFormat, TPictureBytesClipboardFormat)
    KIV_PREDEFINED_FORMAT(CF_PALETTE)
public:
    TPaletteClipboardFormat() : TPictureBytesClipboardFormat(TYMED_GDI) {}
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

// CF_DIB: the BMP file without its 14-byte header.
class TDIBClipboardFormat : public TPictureBytesClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TDIBClipboardFormat, TPictureBytesClipboardFormat)
    KIV_PREDEFINED_FORMAT(CF_DIB)
public:
    TDIBClipboardFormat() : TPictureBytesClipboardFormat(TYMED_HGLOBAL) {}
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

// CF_BITMAP: the device-independent bits in place of a handle, read with the palette the
// data object offers beside it.
class TBitmapClipboardFormat : public TDIBClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TBitmapClipboardFormat, TDIBClipboardFormat)
    KIV_PREDEFINED_FORMAT(CF_BITMAP)
public:
    TBitmapClipboardFormat() { format_.tymed = TYMED_GDI; }
    bool GetData(IDataObject& data) override;
    bool AssignTo(TCustomDataFormat& dest) override;

private:
    std::string palette_;
};

// application/x-qt-image, the twin of CF_DIB: a whole BMP file.
class TQtImageClipboardFormat : public TPictureBytesClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TQtImageClipboardFormat, TPictureBytesClipboardFormat)
    KIV_NAMED_FORMAT("application/x-qt-image")
public:
    TQtImageClipboardFormat() : TPictureBytesClipboardFormat(TYMED_HGLOBAL | TYMED_ISTREAM) {}
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

class TEnhMetaFileClipboardFormat : public TPictureBytesClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TEnhMetaFileClipboardFormat, TPictureBytesClipboardFormat)
    KIV_PREDEFINED_FORMAT(CF_ENHMETAFILE)
public:
    TEnhMetaFileClipboardFormat() : TPictureBytesClipboardFormat(TYMED_ENHMF) {}
    bool AssignTo(TCustomDataFormat& dest) override;
};

class TMetaFileClipboardFormat : public TPictureBytesClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TMetaFileClipboardFormat, TPictureBytesClipboardFormat)
    KIV_PREDEFINED_FORMAT(CF_METAFILEPICT)
public:
    TMetaFileClipboardFormat() : TPictureBytesClipboardFormat(TYMED_MFPICT) {}
    bool AssignTo(TCustomDataFormat& dest) override;
};

}  // namespace kiv

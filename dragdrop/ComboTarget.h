#pragma once
// Ready-made components: a drop target that reads text, files, web addresses, pictures
// and file streams, filtered by the kinds it wants; and a source that offers one link with
// its title.
#include <string>
#include <vector>

#include "dragdrop/DropTarget.h"
#include "dragdrop/core/DropSource.h"

namespace kiv {

class TFileDataFormat;
class TURLDataFormat;
class TBitmapDataFormat;
class TMetaFileDataFormat;
class TTextDataFormat;
class TFileMapDataFormat;
class TDataStreamDataFormat;

enum TComboFormatType : uint8_t { mfText, mfFile, mfURL, mfBitmap, mfMetaFile, mfData, mfCustom };
using TComboFormatTypes = uint8_t;
constexpr TComboFormatTypes ComboBit(TComboFormatType t) { return TComboFormatTypes(1u << t); }

class TDropComboTarget : public TCustomDropMultiTarget {
    Q_OBJECT
    KIV_DD_CLASS(TDropComboTarget, TCustomDropMultiTarget)
public:
    TDropComboTarget();
    TComboFormatTypes Formats = TComboFormatTypes(0x7F & ~ComboBit(mfCustom));

    const std::vector<std::string>& Files() const;
    const std::string& Text() const;
    const std::string& URL() const;
    const std::string& Title() const;
    TFileDataFormat& FileFormat() { return *file_; }
    TBitmapDataFormat& BitmapFormat() { return *bitmap_; }
    TMetaFileDataFormat& MetaFileFormat() { return *metaFile_; }
    TFileMapDataFormat& FileMapFormat() { return *fileMap_; }
    TDataStreamDataFormat& DataStreamFormat() { return *streams_; }

protected:
    void DoAcceptFormat(TCustomDataFormat* format, bool& accept) override;

private:
    TFileDataFormat* file_;
    TURLDataFormat* url_;
    TBitmapDataFormat* bitmap_;
    TMetaFileDataFormat* metaFile_;
    TTextDataFormat* text_;
    TFileMapDataFormat* fileMap_;
    TDataStreamDataFormat* streams_;
};

class TDropURLSource : public TCustomDropMultiSource {
    KIV_DD_CLASS(TDropURLSource, TCustomDropMultiSource)
public:
    TDropURLSource();
    const std::string& URL() const;
    const std::string& Title() const;
    void SetURL(std::string url);
    void SetTitle(std::string title);

private:
    TURLDataFormat* url_;
};

}  // namespace kiv

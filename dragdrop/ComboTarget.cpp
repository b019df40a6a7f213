#include "dragdrop/ComboTarget.h"

#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/GraphicsFormats.h"
#include "dragdrop/core/InternetFormats.h"
#include "dragdrop/core/TextFormats.h"

namespace kiv {

TDropComboTarget::TDropComboTarget() {
    // The order in which they are tested and read.
    file_ = new TFileDataFormat(this);
    url_ = new TURLDataFormat(this);
    bitmap_ = new TBitmapDataFormat(this);
    metaFile_ = new TMetaFileDataFormat(this);
    text_ = new TTextDataFormat(this);
    fileMap_ = new TFileMapDataFormat(this);
    streams_ = new TDataStreamDataFormat(this);
}

const std::vector<std::string>& TDropComboTarget::Files() const { return file_->Files().Items(); }
const std::string& TDropComboTarget::Text() const { return text_->Text(); }
const std::string& TDropComboTarget::URL() const { return url_->URL(); }
const std::string& TDropComboTarget::Title() const { return url_->Title(); }

void TDropComboTarget::DoAcceptFormat(TCustomDataFormat* format, bool& accept) {
    if (!accept) return;
    TComboFormatType kind = mfCustom;
    if (format == file_ || format == fileMap_) kind = mfFile;
    else if (format == url_) kind = mfURL;
    else if (format == bitmap_) kind = mfBitmap;
    else if (format == metaFile_) kind = mfMetaFile;
    else if (format == text_) kind = mfText;
    else if (format == streams_) kind = mfData;
    accept = (Formats & ComboBit(kind)) != 0;
    if (accept) TCustomDropMultiTarget::DoAcceptFormat(format, accept);
}

TDropURLSource::TDropURLSource() {
    url_ = new TURLDataFormat(this);
    DragTypes = DragTypeBit(dtCopy) | DragTypeBit(dtLink);
    SetPreferredDropEffect(DROPEFFECT_LINK);
}

const std::string& TDropURLSource::URL() const { return url_->URL(); }
const std::string& TDropURLSource::Title() const { return url_->Title(); }
void TDropURLSource::SetURL(std::string url) { url_->SetURL(std::move(url)); }
void TDropURLSource::SetTitle(std::string title) { url_->SetTitle(std::move(title)); }

}  // namespace kiv

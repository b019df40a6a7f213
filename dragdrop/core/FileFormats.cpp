#include "dragdrop/core/FileFormats.h"

#include <cstring>

#include "dragdrop/core/ClipboardCodecs.h"
#include "dragdrop/core/ShellFormats.h"

namespace kiv {

TFileDataFormat::TFileDataFormat(TComponent* owner, const TClassInfo& cls)
    : TCustomDataFormat(owner, cls) {
    files_.OnChange = [this] { Changing(); };
}

TFileMapDataFormat::TFileMapDataFormat(TComponent* owner, const TClassInfo& cls)
    : TCustomDataFormat(owner, cls) {
    maps_.OnChange = [this] { Changing(); };
}

bool TNameListClipboardFormat::WriteData(char* buffer, size_t size) {
    const std::string bytes = Bytes();
    if (size != bytes.size()) return false;
    std::memcpy(buffer, bytes.data(), size);
    return true;
}

bool TFileClipboardFormat::ReadData(std::string_view block) {
    return ClipCodec::ReadDropFiles(block, names_);
}

bool TFileClipboardFormat::WriteData(char* buffer, size_t size) {
    if (size <= ClipCodec::kDropFilesHeader) return false;
    return TNameListClipboardFormat::WriteData(buffer, size);
}

std::string TFileClipboardFormat::Bytes() const { return ClipCodec::DropFilesBytes(names_); }

bool TFileClipboardFormat::Assign(TCustomDataFormat& source) {
    if (auto* p = DataFormatAs<TPIDLDataFormat>(source)) {
        names_ = p->Filenames();
        std::erase(names_, std::string());
        return !names_.empty();
    }
    auto* f = DataFormatAs<TFileDataFormat>(source);
    if (!f) return false;
    names_ = f->Files().Items();
    return true;
}

bool TFileClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    if (auto* p = DataFormatAs<TPIDLDataFormat>(dest)) {
        std::vector<std::string> lists;
        if (!FilenamesToPIDLs(names_, lists)) return false;
        p->SetPIDLs(std::move(lists));
        return true;
    }
    auto* f = DataFormatAs<TFileDataFormat>(dest);
    if (!f) return false;
    f->Files().Assign(names_);
    return true;
}

bool TURIListClipboardFormat::ReadData(std::string_view block) {
    names_ = ClipCodec::ReadUriListFiles(block);
    return !names_.empty();
}

std::string TURIListClipboardFormat::Bytes() const { return ClipCodec::UriListBytes(names_); }

bool TFilenameClipboardFormat::Assign(TCustomDataFormat& source) {
    auto* f = DataFormatAs<TFileDataFormat>(source);
    if (!f || f->Files().Count() == 0) return false;
    data_ = f->Files()[0];
    return true;
}

bool TFilenameClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    auto* f = DataFormatAs<TFileDataFormat>(dest);
    if (!f || data_.empty()) return false;
    f->Files().Add(data_);
    return true;
}

bool TFilenameWClipboardFormat::Assign(TCustomDataFormat& source) {
    auto* f = DataFormatAs<TFileDataFormat>(source);
    if (!f || f->Files().Count() == 0) return false;
    data_ = ClipCodec::Utf8ToUtf16(f->Files()[0]);
    return true;
}

bool TFilenameWClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    auto* f = DataFormatAs<TFileDataFormat>(dest);
    if (!f || data_.empty()) return false;
    f->Files().Add(ClipCodec::Utf16ToUtf8(data_));
    return true;
}

bool TFilenameMapClipboardFormat::ReadData(std::string_view block) {
    names_ = ClipCodec::ReadNameList(block);
    return !names_.empty();
}

std::string TFilenameMapClipboardFormat::Bytes() const { return ClipCodec::NameListBytes(names_); }

bool TFilenameMapClipboardFormat::Assign(TCustomDataFormat& source) {
    auto* f = DataFormatAs<TFileMapDataFormat>(source);
    if (!f) return false;
    names_ = f->FileMaps().Items();
    return true;
}

bool TFilenameMapClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    auto* f = DataFormatAs<TFileMapDataFormat>(dest);
    if (!f) return false;
    f->FileMaps().Assign(names_);
    return true;
}

bool TFilenameMapWClipboardFormat::ReadData(std::string_view block) {
    names_ = ClipCodec::ReadNameListW(block);
    return !names_.empty();
}

std::string TFilenameMapWClipboardFormat::Bytes() const {
    return ClipCodec::NameListBytesW(names_);
}

}  // namespace kiv

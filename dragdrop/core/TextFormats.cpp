#include "dragdrop/core/TextFormats.h"

#include <cstring>

#include "dragdrop/core/ClipboardCodecs.h"
#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

constexpr const char* kTextScrap = "Text scrap.txt";

TTextDataFormat* AsText(TCustomDataFormat& f) { return DataFormatAs<TTextDataFormat>(f); }

// The text of a text data format into a clipboard format (take) and back (give).
template <class Set>
bool TakeText(TCustomDataFormat& source, Set set) {
    auto* t = AsText(source);
    if (t) set(t->Text());
    return t != nullptr;
}

bool GiveText(TCustomDataFormat& dest, std::string text) {
    auto* t = AsText(dest);
    if (t) t->SetText(std::move(text));
    return t != nullptr;
}

}  // namespace

std::string MakeRTF(std::string_view text) {
    if (StartsText("{\\rtf", text)) return std::string(text);
    return "{\\rtf1\\ansi " + std::string(text) + "}";
}

std::string MakeHTML(std::string_view text) {
    if (PosText("<HTML>", text) != std::string_view::npos) return std::string(text);
    return "<HTML>\r\n<BODY>\r\n" + std::string(text) + "\r\n</BODY>\r\n</HTML>";
}

bool TTextValueClipboardFormat::Assign(TCustomDataFormat& source) {
    return TakeText(source, [&](const std::string& s) { data_ = s; });
}

bool TTextValueClipboardFormat::AssignTo(TCustomDataFormat& dest) { return GiveText(dest, data_); }

std::string TUnicodeTextClipboardFormat::Text() const { return ClipCodec::Utf16ToUtf8(data_); }

void TUnicodeTextClipboardFormat::SetText(std::string_view text) {
    data_ = ClipCodec::Utf8ToUtf16(text);
}

bool TUnicodeTextClipboardFormat::Assign(TCustomDataFormat& source) {
    return TakeText(source, [&](const std::string& s) { SetText(s); });
}

bool TUnicodeTextClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    return GiveText(dest, Text());
}

bool TRichTextClipboardFormat::HasData() { return StartsText("{\\rtf", data_); }

bool TRichTextClipboardFormat::Assign(TCustomDataFormat& source) {
    return TakeText(source, [&](const std::string& s) { data_ = MakeRTF(s); });
}

bool TRichTextClipboardFormat::AssignTo(TCustomDataFormat& dest) { return GiveText(dest, data_); }

bool TTextLinesClipboardFormat::Assign(TCustomDataFormat& source) {
    return TakeText(source, [&](const std::string& s) { SetText(s); });
}

bool TTextLinesClipboardFormat::AssignTo(TCustomDataFormat& dest) { return GiveText(dest, Text()); }

bool THTMLClipboardFormat::HasData() { return PosText("<HTML>", Text()) != std::string::npos; }

bool THTMLClipboardFormat::Assign(TCustomDataFormat& source) {
    return TakeText(source, [&](const std::string& s) { SetText(MakeHTML(s)); });
}

bool THTMLClipboardFormat::AssignTo(TCustomDataFormat& dest) { return GiveText(dest, Text()); }

// --- file group descriptors

bool TFileGroupDescriptorBase::ReadData(std::string_view block) {
    return ClipCodec::ReadFileGroup(block, RecordSize(), records_);
}

bool TFileGroupDescriptorBase::WriteData(char* buffer, size_t size) {
    const std::string block = ClipCodec::FileGroupBytes(records_);
    if (records_.empty() || size != block.size()) return false;
    std::memcpy(buffer, block.data(), size);
    return true;
}

size_t TFileGroupDescritorClipboardFormat::RecordSize() const { return ClipCodec::kDescriptorA; }

std::string TFileGroupDescritorClipboardFormat::FileName(size_t i) const {
    return i < records_.size() ? ClipCodec::DescriptorNameA(records_[i]) : std::string();
}

bool TFileGroupDescritorClipboardFormat::Assign(TCustomDataFormat& source) {
    if (!AsText(source)) return false;
    records_ = {ClipCodec::FileDescriptorA(kTextScrap)};
    return true;
}

size_t TFileGroupDescritorWClipboardFormat::RecordSize() const { return ClipCodec::kDescriptorW; }

std::string TFileGroupDescritorWClipboardFormat::FileName(size_t i) const {
    return i < records_.size() ? ClipCodec::DescriptorNameW(records_[i]) : std::string();
}

bool TFileGroupDescritorWClipboardFormat::Assign(TCustomDataFormat& source) {
    if (!AsText(source)) return false;
    records_ = {ClipCodec::FileDescriptorW(kTextScrap)};
    return true;
}

bool TFileContentsClipboardFormat::Assign(TCustomDataFormat& source) {
    return TakeText(source, [&](const std::string& s) { data_ = s; });
}

bool TFileContentsClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    return GiveText(dest, data_);
}

// --- streams

void TStreamList::Add(std::string stream, std::string name) {
    Changing();
    items_.emplace_back(std::move(name), std::move(stream));
}

void TStreamList::Clear() {
    Changing();
    items_.clear();
}

void TStreamList::Assign(TStreamList& other) {
    Changing();
    items_ = std::move(other.items_);
    other.items_.clear();
}

TDataStreamDataFormat::TDataStreamDataFormat(TComponent* owner, const TClassInfo& cls)
    : TCustomDataFormat(owner, cls) {
    data_.OnChanging = [this] { Changing(); };
}

bool TFileContentsStreamClipboardFormat::GetData(IDataObject& data) {
    Clear();
    TFileGroupDescritorClipboardFormat descriptor;
    const bool haveDescriptor = descriptor.GetData(data);
    const int count = haveDescriptor ? int(descriptor.Records().size()) : 0;
    bool result = false;
    for (int index = haveDescriptor ? 0 : -1; index < count; ++index) {
        TFormatEtc f = FormatEtc();
        f.lindex = index;
        TStgMedium medium;
        if (data.GetData(f, medium) != S_OK) break;
        if (medium.tymed == TYMED_ISTREAM) {
            streams_.Add(medium.data,
                         haveDescriptor ? descriptor.FileName(size_t(index)) : std::string());
            result = true;
        }
        ReleaseStgMedium(medium);
    }
    return result;
}

bool TFileContentsStreamClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    if (!dest.ClassType().InheritsFrom(TDataStreamDataFormat::StaticClass())) return false;
    static_cast<TDataStreamDataFormat&>(dest).Data().Assign(streams_);
    return true;
}

bool TFileContentsStreamOnDemandClipboardFormat::GetData(IDataObject& data) {
    // The contents are fetched by the one who wants them, file by file; here we only learn
    // that the first is there.
    TFormatEtc first = FormatEtc();
    first.lindex = 0;
    gotData_ = data.QueryGetData(first) == S_OK;
    return gotData_;
}

bool TFileContentsStreamOnDemandClipboardFormat::DoSetData(const TFormatEtc& format,
                                                           TStgMedium& medium) {
    if (!OnGetStream || !(format.tymed & TYMED_ISTREAM) || format.lindex == -1) return false;
    std::string stream;
    if (!OnGetStream(this, format.lindex, stream)) return false;
    medium.tymed = TYMED_ISTREAM;
    medium.data = std::move(stream);
    return true;
}

// --- virtual files

TVirtualFileStreamDataFormat::TVirtualFileStreamDataFormat(TComponent* owner, const TClassInfo& cls)
    : TCustomDataFormat(owner, cls) {
    onDemand_ = new TFileContentsStreamOnDemandClipboardFormat;
    CompatibleFormats().Add(onDemand_);
    CompatibleFormats().Add(new TFileGroupDescritorClipboardFormat);
}

std::vector<std::string> TVirtualFileStreamDataFormat::FileNames() const {
    std::vector<std::string> names;
    for (const auto& d : descriptors_) names.push_back(ClipCodec::DescriptorNameA(d));
    return names;
}

void TVirtualFileStreamDataFormat::SetFileNames(const std::vector<std::string>& names) {
    Changing();
    descriptors_.clear();
    for (const auto& n : names) descriptors_.push_back(ClipCodec::FileDescriptorA(n));
}

void TVirtualFileStreamDataFormat::AddFileName(std::string_view name) {
    Changing();
    descriptors_.push_back(ClipCodec::FileDescriptorA(name));
}

bool TVirtualFileStreamDataFormat::Assign(TClipboardFormat& source) {
    if (auto* od = dynamic_cast<TFileContentsStreamOnDemandClipboardFormat*>(&source)) {
        contentsAvailable_ = od->HasData();
        return true;
    }
    if (auto* g = dynamic_cast<TFileGroupDescritorClipboardFormat*>(&source)) {
        Changing();
        descriptors_ = g->Records();
        return true;
    }
    return TCustomDataFormat::Assign(source);
}

bool TVirtualFileStreamDataFormat::AssignTo(TClipboardFormat& dest) {
    if (auto* od = dynamic_cast<TFileContentsStreamOnDemandClipboardFormat*>(&dest)) {
        od->MarkRequested();
        return true;
    }
    if (auto* g = dynamic_cast<TFileGroupDescritorClipboardFormat*>(&dest)) {
        if (descriptors_.empty()) return false;
        g->Records() = descriptors_;
        return true;
    }
    return TCustomDataFormat::AssignTo(dest);
}

void TVirtualFileStreamDataFormat::Clear() {
    Changing();
    descriptors_.clear();
    contentsAvailable_ = false;
}

bool TVirtualFileStreamDataFormat::HasData() {
    return !descriptors_.empty() && (contentsAvailable_ || onDemand_->OnGetStream);
}

}  // namespace kiv

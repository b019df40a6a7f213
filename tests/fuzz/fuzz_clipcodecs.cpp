// The Windows clipboard codecs on arbitrary blocks: every reader must end, stay inside its
// block and give names that fit in it; what they read must survive being written again.
// The same block is then offered under every file and text format to the data formats.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dragdrop/core/ClipboardCodecs.h"
#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/TextFormats.h"

using namespace kiv;
using namespace kiv::ClipCodec;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

size_t TotalSize(const std::vector<std::string>& names) {
    size_t n = 0;
    for (const auto& s : names) {
        Check(!s.empty() && s.find('\0') == std::string::npos);
        n += s.size();
    }
    return n;
}

// Offers one block under one format, in every medium.
class OneBlock : public IDataObject {
public:
    OneBlock(uint16_t id, std::string_view block) : id_(id), block_(block) {}
    HRESULT GetData(const TFormatEtc& f, TStgMedium& m) override {
        if (f.cfFormat != id_) return DV_E_FORMATETC;
        m.tymed = f.tymed & TYMED_ISTREAM ? TYMED_ISTREAM : TYMED_HGLOBAL;
        m.data = block_;
        return S_OK;
    }
    HRESULT QueryGetData(const TFormatEtc& f) override { return f.cfFormat == id_ ? S_OK : DV_E_FORMATETC; }
    HRESULT SetData(const TFormatEtc&, TStgMedium&, bool) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(uint32_t, std::unique_ptr<IEnumFormatEtc>&) override { return E_NOTIMPL; }

private:
    uint16_t id_;
    std::string block_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view block(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> files;
    if (ReadDropFiles(block, files)) {
        Check(!files.empty() && TotalSize(files) <= size * 3 / 2);
        std::vector<std::string> again;
        Check(ReadDropFiles(DropFilesBytes(files), again) && again == files);
    }
    const auto names = ReadNameList(block);
    Check(TotalSize(names) <= size && ReadNameList(NameListBytes(names)) == names);
    const auto wide = ReadNameListW(block);
    TotalSize(wide);
    Check(BytesToUtf16(block).size() <= size / 2);
    Check(Utf16ToUtf8(Utf8ToUtf16(Utf16ToUtf8(BytesToUtf16(block)))) == Utf16ToUtf8(BytesToUtf16(block)));
    for (size_t record : {kDescriptorA, kDescriptorW}) {
        std::vector<std::string> records;
        if (!ReadFileGroup(block, record, records)) continue;
        for (const auto& r : records) {
            Check(r.size() == record);
            Check(DescriptorNameA(r).size() <= kMaxPath);
            Check(DescriptorNameW(r).size() <= kMaxPath * 3);
        }
    }
    for (const auto& f : ReadUriListFiles(block)) Check(!f.empty() && f[0] == '/' && f.find('\0') == std::string::npos);

    for (uint16_t id : {CF_HDROP, CF_TEXT, CF_UNICODETEXT, RegisterClipboardFormat("FileNameW"),
                        RegisterClipboardFormat("FileNameMapW"), RegisterClipboardFormat("FileGroupDescriptor"),
                        RegisterClipboardFormat("FileGroupDescriptorW"), RegisterClipboardFormat("text/uri-list"),
                        RegisterClipboardFormat("HTML Format"), RegisterClipboardFormat("FileContents")}) {
        OneBlock offered(id, block);
        TFileDataFormat fileData;
        fileData.GetData(offered);
        TFileMapDataFormat maps;
        maps.GetData(offered);
        TTextDataFormat text;
        text.GetData(offered);
        Check(text.Text().size() <= size * 3 / 2 + 2);
        TVirtualFileStreamDataFormat virtualFiles;
        virtualFiles.GetData(offered);
        TDataStreamDataFormat streams;
        streams.GetData(offered);
    }
    return 0;
}

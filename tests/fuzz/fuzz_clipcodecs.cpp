// The Windows clipboard codecs on arbitrary blocks: every reader must end, stay inside its
// block and give names that fit in it; what they read must survive being written again.
// The same block is then offered under every file and text format to the data formats.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dragdrop/core/ClipboardCodecs.h"
#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/GraphicsFormats.h"
#include "dragdrop/core/InternetFormats.h"
#include "dragdrop/core/ShellCodecs.h"
#include "dragdrop/core/ShellFormats.h"
#include "dragdrop/core/TextFormats.h"
#include "platform/core/KivStrings.h"

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
    HRESULT QueryGetData(const TFormatEtc& f) override {
        return f.cfFormat == id_ ? S_OK : DV_E_FORMATETC;
    }
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
    Check(Utf16ToUtf8(Utf8ToUtf16(Utf16ToUtf8(BytesToUtf16(block)))) ==
          Utf16ToUtf8(BytesToUtf16(block)));
    for (size_t record : {kDescriptorA, kDescriptorW}) {
        std::vector<std::string> records;
        if (!ReadFileGroup(block, record, records)) continue;
        for (const auto& r : records) {
            Check(r.size() == record);
            Check(DescriptorNameA(r).size() <= kMaxPath);
            Check(DescriptorNameW(r).size() <= kMaxPath * 3);
        }
    }
    for (const auto& f : ReadUriListFiles(block))
        Check(!f.empty() && f[0] == '/' && f.find('\0') == std::string::npos);

    // Shell item lists, bookmarks, the image format, shortcuts, vCards, bitmaps.
    std::vector<std::string> lists;
    if (ReadCIDA(block, lists)) {
        Check(lists.size() >= 2);
        for (const auto& l : lists) Check(l.size() <= size && ItemIdListLength(l) == l.size());
        std::vector<std::string> again;
        Check(ReadCIDA(CIDABytes(lists), again) && again == lists);
        std::string path;
        for (const auto& name : PIDLFilenames(lists))
            if (!name.empty())
                Check(name[0] == '/' && PIDLToPath(PathToPIDL(name), path) && path == name);
    }
    std::string url, title;
    ReadNetscapeBookmark(block, url, title);
    Check(url.size() <= 1024 && title.size() + 1024 <= std::max<size_t>(size, 1024));
    NetscapeImage image;
    if (ReadNetscapeImage(block, image)) {
        std::string out(NetscapeImageSize(image), '\0');
        Check(WriteNetscapeImage(out.data(), out.size(), image));
        NetscapeImage again;
        Check(ReadNetscapeImage(out, again) && again.url == image.url &&
              again.title == image.title);
    }
    if (ShortcutURL(block, url)) Check(url.size() <= size);
    Check(URLToShortcutFilename(block).size() <= 124 + 8);
    VCardToLines(block);
    std::string bmp, dib;
    if (DIBToBMP(block, bmp))
        Check(BMPToDIB(bmp, dib) && dib == block &&
              GetU32(bmp.data() + 10) <= bmp.size() + (1u << 10));

    // The data formats read the block under one format, chosen by its first byte.
    static const uint16_t ids[] = {CF_HDROP,
                                   CF_TEXT,
                                   CF_UNICODETEXT,
                                   RegisterClipboardFormat("FileNameW"),
                                   RegisterClipboardFormat("FileNameMapW"),
                                   RegisterClipboardFormat("FileGroupDescriptor"),
                                   RegisterClipboardFormat("FileGroupDescriptorW"),
                                   RegisterClipboardFormat("text/uri-list"),
                                   RegisterClipboardFormat("HTML Format"),
                                   RegisterClipboardFormat("FileContents"),
                                   RegisterClipboardFormat("Shell IDList Array"),
                                   RegisterClipboardFormat("Netscape Bookmark"),
                                   RegisterClipboardFormat("Netscape Image Format"),
                                   RegisterClipboardFormat("_NETSCAPE_URL"),
                                   RegisterClipboardFormat("text/x-moz-url"),
                                   CF_DIB,
                                   CF_BITMAP};
    if (size > 0) {
        const uint16_t id = ids[data[0] % (sizeof ids / sizeof ids[0])];
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
        TURLDataFormat link;
        link.GetData(offered);
        TPIDLDataFormat items;
        items.GetData(offered);
        TBitmapDataFormat bitmap;
        bitmap.GetData(offered);
    }
    return 0;
}

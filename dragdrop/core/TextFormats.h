#pragma once
// Text in its clipboard forms, and virtual files: file group descriptors with their
// contents. The 8-bit text of the program is UTF-8, the system code page on Linux.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dragdrop/core/SimpleFormats.h"

namespace kiv {

// "{\rtf1\ansi " + text + "}" unless the text already is RTF.
std::string MakeRTF(std::string_view text);
// The text inside an HTML and BODY element unless it already holds "<HTML>".
std::string MakeHTML(std::string_view text);

class TTextDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TTextDataFormat, TCustomDataFormat)
public:
    explicit TTextDataFormat(TComponent* owner = nullptr, const TClassInfo& cls = StaticClass())
        : TCustomDataFormat(owner, cls) {}
    const std::string& Text() const { return text_; }
    void SetText(std::string text) {
        Changing();
        text_ = std::move(text);
    }
    void Clear() override { SetText({}); }
    bool HasData() override { return !text_.empty(); }

private:
    std::string text_;
};

// Text formats that take their value from, and give it to, a text data format as one string.
class TTextValueClipboardFormat : public TCustomTextClipboardFormat {
    KIV_DD_CLASS(TTextValueClipboardFormat, TCustomTextClipboardFormat)
public:
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

class TTextClipboardFormat : public TTextValueClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TTextClipboardFormat, TTextValueClipboardFormat)
    KIV_PREDEFINED_FORMAT(CF_TEXT)
};

// text/plain;charset=utf-8, the Linux twin of CF_TEXT.
class TUTF8TextClipboardFormat : public TTextValueClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TUTF8TextClipboardFormat, TTextValueClipboardFormat)
    KIV_NAMED_FORMAT("text/plain;charset=utf-8")
public:
    TUTF8TextClipboardFormat() { terminated_ = false; }
};

// Linux has no OEM code page apart from its system one: the text travels unchanged.
class TOEMTextClipboardFormat : public TTextValueClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TOEMTextClipboardFormat, TTextValueClipboardFormat)
    KIV_PREDEFINED_FORMAT(CF_OEMTEXT)
};

class TUnicodeTextClipboardFormat : public TCustomWideTextClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TUnicodeTextClipboardFormat, TCustomWideTextClipboardFormat)
    KIV_PREDEFINED_FORMAT(CF_UNICODETEXT)
public:
    std::string Text() const;
    void SetText(std::string_view text);
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

class TRichTextClipboardFormat : public TCustomTextClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TRichTextClipboardFormat, TCustomTextClipboardFormat)
    KIV_NAMED_FORMAT("Rich Text Format")
public:
    bool HasData() override;
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

// text/rtf, the twin of "Rich Text Format".
class TRichTextMimeClipboardFormat : public TRichTextClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TRichTextMimeClipboardFormat, TRichTextClipboardFormat)
    KIV_NAMED_FORMAT("text/rtf")
public:
    TRichTextMimeClipboardFormat() { terminated_ = false; }
};

// Line formats whose text is the text of a text data format.
class TTextLinesClipboardFormat : public TCustomStringListClipboardFormat {
    KIV_DD_CLASS(TTextLinesClipboardFormat, TCustomStringListClipboardFormat)
public:
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

class TCSVClipboardFormat : public TTextLinesClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TCSVClipboardFormat, TTextLinesClipboardFormat)
    KIV_NAMED_FORMAT("CSV")
};

class TCSVMimeClipboardFormat : public TCSVClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TCSVMimeClipboardFormat, TCSVClipboardFormat)
    KIV_NAMED_FORMAT("text/csv")
public:
    TCSVMimeClipboardFormat() { terminated_ = false; }
};

class TRFC822ClipboardFormat : public TTextLinesClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TRFC822ClipboardFormat, TTextLinesClipboardFormat)
    KIV_NAMED_FORMAT("Internet Message (rfc822/rfc1522)")
};

// "HTML Format": the markup only, no offset header. Counts as data only when it holds
// "<HTML>" in any case.
class THTMLClipboardFormat : public TCustomStringListClipboardFormat {
    KIV_CLIPFORMAT_CLASS(THTMLClipboardFormat, TCustomStringListClipboardFormat)
    KIV_NAMED_FORMAT("HTML Format")
public:
    bool HasData() override;
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

class THTMLMimeClipboardFormat : public THTMLClipboardFormat {
    KIV_CLIPFORMAT_CLASS(THTMLMimeClipboardFormat, THTMLClipboardFormat)
    KIV_NAMED_FORMAT("text/html")
public:
    THTMLMimeClipboardFormat() { terminated_ = false; }
};

// A file group descriptor block: u32 count and count records of one size.
class TFileGroupDescriptorBase : public TCustomSimpleClipboardFormat {
    KIV_DD_CLASS(TFileGroupDescriptorBase, TCustomSimpleClipboardFormat)
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override { return records_.empty() ? 0 : 4 + records_.size() * RecordSize(); }
    void Clear() override { records_.clear(); }
    bool HasData() override { return !records_.empty(); }
    std::vector<std::string>& Records() { return records_; }
    virtual size_t RecordSize() const = 0;
    virtual std::string FileName(size_t i) const = 0;

protected:
    std::vector<std::string> records_;
};

class TFileGroupDescritorClipboardFormat : public TFileGroupDescriptorBase {
    KIV_CLIPFORMAT_CLASS(TFileGroupDescritorClipboardFormat, TFileGroupDescriptorBase)
    KIV_NAMED_FORMAT("FileGroupDescriptor")
public:
    size_t RecordSize() const override;
    std::string FileName(size_t i) const override;
    bool Assign(TCustomDataFormat& source) override;
};

class TFileGroupDescritorWClipboardFormat : public TFileGroupDescriptorBase {
    KIV_CLIPFORMAT_CLASS(TFileGroupDescritorWClipboardFormat, TFileGroupDescriptorBase)
    KIV_NAMED_FORMAT("FileGroupDescriptorW")
public:
    size_t RecordSize() const override;
    std::string FileName(size_t i) const override;
    bool Assign(TCustomDataFormat& source) override;
};

// "FileContents" of index 0 as text: the contents of the one virtual file a text offers.
class TFileContentsClipboardFormat : public TCustomStringClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TFileContentsClipboardFormat, TCustomStringClipboardFormat)
    KIV_NAMED_FORMAT("FileContents")
public:
    TFileContentsClipboardFormat() { format_.lindex = 0; }
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

// Named streams. Assign takes the other list's streams and leaves it empty.
class TStreamList {
public:
    std::function<void()> OnChanging;
    void Add(std::string stream, std::string name);
    void Clear();
    void Assign(TStreamList& other);
    size_t Count() const { return items_.size(); }
    const std::string& Names(size_t i) const { return items_[i].first; }
    const std::string& Streams(size_t i) const { return items_[i].second; }

private:
    void Changing() {
        if (OnChanging) OnChanging();
    }
    std::vector<std::pair<std::string, std::string>> items_;
};

class TDataStreamDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TDataStreamDataFormat, TCustomDataFormat)
public:
    explicit TDataStreamDataFormat(TComponent* owner = nullptr,
                                   const TClassInfo& cls = StaticClass());
    TStreamList& Data() { return data_; }
    void Clear() override { data_.Clear(); }
    bool HasData() override { return data_.Count() > 0; }

private:
    TStreamList data_;
};

// "FileContents" as streams, target side: one stream per descriptor, or one unnamed
// stream when the data object has no descriptor.
class TFileContentsStreamClipboardFormat : public TClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TFileContentsStreamClipboardFormat, TClipboardFormat)
    KIV_NAMED_FORMAT("FileContents")
public:
    TFileContentsStreamClipboardFormat() : TClipboardFormat(TYMED_ISTREAM) {}
    bool GetData(IDataObject& data) override;
    void Clear() override { streams_.Clear(); }
    bool HasData() override { return streams_.Count() > 0; }
    bool AssignTo(TCustomDataFormat& dest) override;
    TStreamList& Streams() { return streams_; }

private:
    TStreamList streams_;
};

// "FileContents" served on request, one stream per descriptor index.
class TFileContentsStreamOnDemandClipboardFormat : public TClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TFileContentsStreamOnDemandClipboardFormat, TClipboardFormat)
    KIV_NAMED_FORMAT("FileContents")
public:
    TFileContentsStreamOnDemandClipboardFormat() : TClipboardFormat(TYMED_ISTREAM) {}
    // Answers the stream of a file index; false when there is none.
    std::function<bool(TFileContentsStreamOnDemandClipboardFormat*, int index, std::string& stream)>
        OnGetStream;
    bool GetData(IDataObject& data) override;
    void Clear() override { gotData_ = dataRequested_ = false; }
    bool HasData() override { return gotData_ || dataRequested_; }
    void MarkRequested() { dataRequested_ = true; }

protected:
    bool DoSetData(const TFormatEtc& format, TStgMedium& medium) override;

private:
    bool gotData_ = false, dataRequested_ = false;
};

// Virtual files described by FILEDESCRIPTORA records, their contents given on request.
class TVirtualFileStreamDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TVirtualFileStreamDataFormat, TCustomDataFormat)
public:
    explicit TVirtualFileStreamDataFormat(TComponent* owner = nullptr,
                                          const TClassInfo& cls = StaticClass());
    const std::vector<std::string>& FileDescriptors() const { return descriptors_; }
    // The view of the descriptors as names (at most 260 characters each).
    std::vector<std::string> FileNames() const;
    void SetFileNames(const std::vector<std::string>& names);
    void AddFileName(std::string_view name);
    TFileContentsStreamOnDemandClipboardFormat& OnDemand() { return *onDemand_; }

    bool Assign(TClipboardFormat& source) override;
    bool AssignTo(TClipboardFormat& dest) override;
    void Clear() override;
    bool HasData() override;
    bool NeedsData() override { return descriptors_.empty() || !contentsAvailable_; }

private:
    std::vector<std::string> descriptors_;
    TFileContentsStreamOnDemandClipboardFormat* onDemand_;
    bool contentsAvailable_ = false;
};

}  // namespace kiv

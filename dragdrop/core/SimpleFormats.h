#pragma once
// Clipboard formats whose value is one block of bytes, in global memory or a stream.
#include <string>
#include <string_view>
#include <vector>

#include "dragdrop/core/Formats.h"

namespace kiv {

class TCustomSimpleClipboardFormat : public TClipboardFormat {
    KIV_DD_CLASS(TCustomSimpleClipboardFormat, TClipboardFormat)
public:
    TCustomSimpleClipboardFormat() : TClipboardFormat(TYMED_HGLOBAL | TYMED_ISTREAM) {}
    // The value from a block, and into a zeroed block of GetSize bytes.
    virtual bool ReadData(std::string_view block) = 0;
    virtual bool WriteData(char* buffer, size_t size) = 0;
    virtual size_t GetSize() = 0;

protected:
    bool DoGetData(IDataObject* data, const TStgMedium& medium) override;
    // A stream when the request allows one, else global memory.
    bool DoSetData(const TFormatEtc& format, TStgMedium& medium) override;
};

// An 8-bit string, optionally cut at its first zero when read.
class TCustomStringClipboardFormat : public TCustomSimpleClipboardFormat {
    KIV_DD_CLASS(TCustomStringClipboardFormat, TCustomSimpleClipboardFormat)
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override { return data_.size(); }
    void Clear() override { data_.clear(); }
    const std::string& GetString() const { return data_; }
    void SetString(std::string s) { data_ = std::move(s); }

protected:
    std::string data_;
    bool trimZeroes_ = false;
};

// Zero-terminated text. The Linux twins travel without the terminator.
class TCustomTextClipboardFormat : public TCustomStringClipboardFormat {
    KIV_DD_CLASS(TCustomTextClipboardFormat, TCustomStringClipboardFormat)
public:
    TCustomTextClipboardFormat() { trimZeroes_ = true; }
    size_t GetSize() override;

protected:
    bool terminated_ = true;
};

// Lines, joined with CR LF; the block holds their text and a zero.
class TCustomStringListClipboardFormat : public TCustomSimpleClipboardFormat {
    KIV_DD_CLASS(TCustomStringListClipboardFormat, TCustomSimpleClipboardFormat)
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override { return Text().size() + (terminated_ ? 1 : 0); }
    void Clear() override { lines_.clear(); }
    std::vector<std::string> Lines() const { return lines_; }
    std::string Text() const;
    void SetText(std::string_view text);

protected:
    std::vector<std::string> lines_;
    bool terminated_ = true;
};

// UTF-16 text, zero-terminated.
class TCustomWideTextClipboardFormat : public TCustomSimpleClipboardFormat {
    KIV_DD_CLASS(TCustomWideTextClipboardFormat, TCustomSimpleClipboardFormat)
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override;
    void Clear() override { data_.clear(); }
    const std::u16string& GetWideString() const { return data_; }
    void SetWideString(std::u16string s) { data_ = std::move(s); }

protected:
    std::u16string data_;
};

// A 32-bit value. Blocks under 4 bytes are refused; it always counts as data, 0 included.
class TCustomDWORDClipboardFormat : public TCustomSimpleClipboardFormat {
    KIV_DD_CLASS(TCustomDWORDClipboardFormat, TCustomSimpleClipboardFormat)
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override { return 4; }
    void Clear() override { value_ = 0; }
    uint32_t Value() const { return value_; }
    void SetValue(uint32_t v) { value_ = v; }

protected:
    uint32_t value_ = 0;
};

// A format known by name: the name is registered on first use and its id kept.
#define KIV_NAMED_FORMAT(Text)                                    \
public:                                                           \
    static constexpr const char* kFormatName = Text;              \
    uint16_t GetClipboardFormat() override {                      \
        static const uint16_t id = RegisterClipboardFormat(Text); \
        return id;                                                \
    }
#define KIV_PREDEFINED_FORMAT(Id) \
public:                           \
    uint16_t GetClipboardFormat() override { return Id; }

}  // namespace kiv

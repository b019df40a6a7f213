#pragma once
// Lists of file names: CF_HDROP and its Linux twin text/uri-list, "FileName(W)" and the
// name maps "FileNameMap(W)".
#include <string>
#include <vector>

#include "dragdrop/core/SimpleFormats.h"

namespace kiv {

// A list of names that notifies its data format before it changes.
class TNotifyingNames {
public:
    std::function<void()> OnChange;
    const std::vector<std::string>& Items() const { return items_; }
    size_t Count() const { return items_.size(); }
    const std::string& operator[](size_t i) const { return items_[i]; }
    void Assign(std::vector<std::string> v) {
        Changing();
        items_ = std::move(v);
    }
    void Add(std::string s) {
        Changing();
        items_.push_back(std::move(s));
    }
    void Clear() { Assign({}); }

private:
    void Changing() {
        if (OnChange) OnChange();
    }
    std::vector<std::string> items_;
};

class TFileDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TFileDataFormat, TCustomDataFormat)
public:
    explicit TFileDataFormat(TComponent* owner = nullptr, const TClassInfo& cls = StaticClass());
    TNotifyingNames& Files() { return files_; }
    void Clear() override { files_.Clear(); }
    bool HasData() override { return files_.Count() > 0; }

private:
    TNotifyingNames files_;
};

class TFileMapDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TFileMapDataFormat, TCustomDataFormat)
public:
    explicit TFileMapDataFormat(TComponent* owner = nullptr, const TClassInfo& cls = StaticClass());
    TNotifyingNames& FileMaps() { return maps_; }
    void Clear() override { maps_.Clear(); }
    bool HasData() override { return maps_.Count() > 0; }

private:
    TNotifyingNames maps_;
};

// A clipboard format whose value is a list of names, copied whole to and from the list of
// a data format.
class TNameListClipboardFormat : public TCustomSimpleClipboardFormat {
    KIV_DD_CLASS(TNameListClipboardFormat, TCustomSimpleClipboardFormat)
public:
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override { return names_.empty() ? 0 : Bytes().size(); }
    void Clear() override { names_.clear(); }
    bool HasData() override { return !names_.empty(); }
    std::vector<std::string>& Names() { return names_; }
    virtual std::string Bytes() const = 0;

protected:
    std::vector<std::string> names_;
};

class TFileClipboardFormat : public TNameListClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TFileClipboardFormat, TNameListClipboardFormat)
    KIV_PREDEFINED_FORMAT(CF_HDROP)
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    std::string Bytes() const override;
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

// text/uri-list: local files only.
class TURIListClipboardFormat : public TFileClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TURIListClipboardFormat, TFileClipboardFormat)
    KIV_NAMED_FORMAT("text/uri-list")
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override {
        return TNameListClipboardFormat::WriteData(buffer, size);
    }
    std::string Bytes() const override;
};

class TFilenameClipboardFormat : public TCustomTextClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TFilenameClipboardFormat, TCustomTextClipboardFormat)
    KIV_NAMED_FORMAT("FileName")
public:
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

class TFilenameWClipboardFormat : public TCustomWideTextClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TFilenameWClipboardFormat, TCustomWideTextClipboardFormat)
    KIV_NAMED_FORMAT("FileNameW")
public:
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

class TFilenameMapClipboardFormat : public TNameListClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TFilenameMapClipboardFormat, TNameListClipboardFormat)
    KIV_NAMED_FORMAT("FileNameMap")
public:
    bool ReadData(std::string_view block) override;
    std::string Bytes() const override;
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
};

class TFilenameMapWClipboardFormat : public TFilenameMapClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TFilenameMapWClipboardFormat, TFilenameMapClipboardFormat)
    KIV_NAMED_FORMAT("FileNameMapW")
public:
    bool ReadData(std::string_view block) override;
    std::string Bytes() const override;
};

}  // namespace kiv

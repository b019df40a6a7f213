#pragma once
// Clipboard formats (one representation of a value and its codec), data formats (the
// value an application works with), and the map that says which clipboard formats carry
// which data format, in which order, on which side.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dragdrop/core/DragDropTypes.h"

namespace kiv {

class TClipboardFormat;
class TCustomDataFormat;

// A class reference: its name, its base, and for concrete clipboard formats the default
// constructor through which the map builds them.
struct TClassInfo {
    const char* name;
    const TClassInfo* parent;
    TClipboardFormat* (*create)() = nullptr;
    bool InheritsFrom(const TClassInfo& c) const {
        for (const TClassInfo* p = this; p; p = p->parent)
            if (p == &c) return true;
        return false;
    }
};

#define KIV_DD_CLASS_BODY(Name, ParentInfo, Create)              \
public:                                                          \
    static const TClassInfo& StaticClass() {                     \
        static const TClassInfo info{#Name, ParentInfo, Create}; \
        return info;                                             \
    }                                                            \
    const TClassInfo& ClassType() const override { return StaticClass(); }

// An abstract class, and a clipboard format the map can create.
#define KIV_DD_CLASS(Name, Parent) KIV_DD_CLASS_BODY(Name, &Parent::StaticClass(), nullptr)
#define KIV_CLIPFORMAT_CLASS(Name, Parent) \
    KIV_DD_CLASS_BODY(Name, &Parent::StaticClass(), []() -> TClipboardFormat* { return new Name; })

// The component base of sources and targets.
class TComponent {
public:
    virtual ~TComponent() = default;
    static const TClassInfo& StaticClass() {
        static const TClassInfo info{"TComponent", nullptr};
        return info;
    }
    virtual const TClassInfo& ClassType() const { return StaticClass(); }
    std::string Name;
};

// Lifetime follows the owner through C++ ownership; the references that the windowing
// system holds go through a TDataObjectLink instead of reference counts.
class TInterfacedComponent : public TComponent {
    KIV_DD_CLASS(TInterfacedComponent, TComponent)
};

class TDragDropComponent : public TInterfacedComponent {
    KIV_DD_CLASS(TDragDropComponent, TInterfacedComponent)
};

class TDataFormats;

// What a multi source or multi target offers its data formats.
class TDataFormatOwner {
public:
    virtual ~TDataFormatOwner() = default;
    virtual TConversionScopes DataFormatSide() const = 0;
    virtual TDataFormats& OwnedDataFormats() = 0;
};

class TClipboardFormat {
public:
    static const TClassInfo& StaticClass() {
        static const TClassInfo info{"TClipboardFormat", nullptr};
        return info;
    }
    virtual const TClassInfo& ClassType() const { return StaticClass(); }

    // The default constructor: media types given, id from GetClipboardFormat on first use.
    explicit TClipboardFormat(uint32_t tymed = TYMED_HGLOBAL);
    explicit TClipboardFormat(const TFormatEtc& format);
    virtual ~TClipboardFormat() = default;

    TDataDirections Direction = ddRead;
    TCustomDataFormat* DataFormat = nullptr;

    const TFormatEtc& FormatEtc();
    uint16_t ClipboardFormat() { return FormatEtc().cfFormat; }

    virtual uint16_t GetClipboardFormat();
    virtual void SetClipboardFormat(uint16_t id);
    virtual std::string GetClipboardFormatName();
    virtual void SetClipboardFormatName(const std::string& name);

    virtual bool HasValidFormats(IDataObject& data);
    virtual bool AcceptFormat(const TFormatEtc& offered);
    virtual bool GetData(IDataObject& data);
    virtual bool GetDataFromMedium(IDataObject* data, TStgMedium& medium);
    virtual bool SetData(IDataObject& data, const TFormatEtc& format, TStgMedium& medium);
    virtual bool Assign(TCustomDataFormat& source) { return false; }
    virtual bool AssignTo(TCustomDataFormat& dest) { return false; }
    virtual void Clear() = 0;
    virtual bool HasData() { return true; }

    // Renders the value into the medium when the request matches this format.
    bool SetDataToMedium(const TFormatEtc& format, TStgMedium& medium);

protected:
    virtual bool DoGetData(IDataObject* data, const TStgMedium& medium) { return false; }
    virtual bool DoSetData(const TFormatEtc& format, TStgMedium& medium) { return false; }
    TFormatEtc format_;
    bool idKnown_ = false;
};

class TClipboardFormats {
public:
    TClipboardFormats(TCustomDataFormat* dataFormat, bool ownsItems)
        : dataFormat_(dataFormat), owns_(ownsItems) {}
    ~TClipboardFormats() { Clear(); }
    TClipboardFormats(const TClipboardFormats&) = delete;
    TClipboardFormats& operator=(const TClipboardFormats&) = delete;

    void Add(TClipboardFormat* f);
    void Clear();
    size_t Count() const { return items_.size(); }
    TClipboardFormat* operator[](size_t i) const { return items_[i]; }
    // The first item of the class or of a class derived from it.
    TClipboardFormat* FindFormat(const TClassInfo& cls) const;
    const std::vector<TClipboardFormat*>& Items() const { return items_; }

private:
    TCustomDataFormat* dataFormat_;
    bool owns_;
    std::vector<TClipboardFormat*> items_;
};

class TCustomDataFormat {
public:
    static const TClassInfo& StaticClass() {
        static const TClassInfo info{"TCustomDataFormat", nullptr};
        return info;
    }
    virtual const TClassInfo& ClassType() const { return StaticClass(); }

    // cls is the class being constructed: the clipboard formats are built from its map
    // entries while the derived part does not exist yet.
    TCustomDataFormat(TComponent* owner, const TClassInfo& cls);
    virtual ~TCustomDataFormat();
    TCustomDataFormat(const TCustomDataFormat&) = delete;
    TCustomDataFormat& operator=(const TCustomDataFormat&) = delete;

    std::function<void(TCustomDataFormat*)> OnChanging;
    TClipboardFormats& CompatibleFormats() { return formats_; }
    TComponent* Owner() const { return owner_; }
    TConversionScopes Side() const { return side_; }

    virtual void Changing() {
        if (OnChanging) OnChanging(this);
    }
    virtual void Clear() = 0;
    virtual bool Assign(TClipboardFormat& source) { return source.AssignTo(*this); }
    virtual bool AssignTo(TClipboardFormat& dest) { return dest.Assign(*this); }
    virtual bool GetData(IDataObject& data);
    virtual bool HasData() = 0;
    virtual bool NeedsData() { return !HasData(); }
    virtual bool HasValidFormats(IDataObject& data);
    virtual bool AcceptFormat(const TFormatEtc& format);

private:
    TComponent* owner_;
    TConversionScopes side_ = csTarget;
    TClipboardFormats formats_;
};

// The data format as T when it is of class T or derived from it, else null.
template <class T>
T* DataFormatAs(TCustomDataFormat& f) {
    return f.ClassType().InheritsFrom(T::StaticClass()) ? static_cast<T*>(&f) : nullptr;
}

template <class T>
T* ClipboardFormatAs(TClipboardFormat& c) {
    return c.ClassType().InheritsFrom(T::StaticClass()) ? static_cast<T*>(&c) : nullptr;
}

// A list of data formats that does not own them.
class TDataFormats {
public:
    virtual ~TDataFormats();
    virtual int Add(TCustomDataFormat* f);
    int IndexOf(const TCustomDataFormat* f) const;
    void Remove(TCustomDataFormat* f);
    size_t Count() const { return items_.size(); }
    TCustomDataFormat* operator[](size_t i) const { return items_[i]; }
    const std::vector<TCustomDataFormat*>& Items() const { return items_; }

private:
    std::vector<TCustomDataFormat*> items_;
};

class TDataFormatClasses {
public:
    void Add(const TClassInfo& cls);
    void Remove(const TClassInfo& cls);
    const std::vector<const TClassInfo*>& Items() const { return items_; }

private:
    std::vector<const TClassInfo*> items_;
};

struct TDataFormatMapEntry {
    const TClassInfo* dataFormat;
    const TClassInfo* clipboardFormat;
    int32_t priority;
    TConversionScopes scope;
    TDataDirections direction;
};

class TDataFormatMap {
public:
    void AddPair(const TClassInfo& dataFormat, const TClassInfo& clipboardFormat, int32_t priority,
                 TConversionScopes scope, TDataDirections direction);
    // Every entry whose data-format (clipboard-format) class is cls or derives from it.
    void RemoveDataFormatClass(const TClassInfo& cls);
    void RemoveClipboardFormatClass(const TClassInfo& cls);
    void BuildClipboardFormats(const TClassInfo& dataFormat, TClipboardFormats& list,
                               TConversionScopes side) const;
    const std::vector<TDataFormatMapEntry>& Entries() const { return entries_; }

private:
    std::vector<TDataFormatMapEntry> entries_;
};

// The registry and the map of the program, filled with every format on first use.
TDataFormatClasses& DataFormatClasses();
TDataFormatMap& DataFormatMap();
// Fills a map and a registry with the program's formats in their registration order.
void RegisterStandardFormats(TDataFormatMap& map, TDataFormatClasses& classes);

void RegisterDataFormat(const TClassInfo& cls);
void RemoveDataFormatClass(const TClassInfo& cls);
void RegisterDataConversion(const TClassInfo& dataFormat, const TClassInfo& clipboardFormat,
                            int32_t priority, TConversionScopes scope = csSource | csTarget,
                            TDataDirections direction = ddRead);
void RemoveClipboardFormatClass(const TClassInfo& cls);

// Formats a target writes that no registered pair understands: kept as they came.
class TRawClipboardFormat : public TClipboardFormat {
    KIV_DD_CLASS(TRawClipboardFormat, TClipboardFormat)
public:
    // The default constructor raises: a raw format is made only for a given description.
    TRawClipboardFormat();
    explicit TRawClipboardFormat(const TFormatEtc& format);
    uint16_t GetClipboardFormat() override { return format_.cfFormat; }
    void SetClipboardFormatName(const std::string& name) override;
    void Clear() override { ReleaseStgMedium(medium_); }
    bool HasData() override { return medium_.tymed != TYMED_NULL; }
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;
    const TStgMedium& Medium() const { return medium_; }

protected:
    bool DoGetData(IDataObject* data, const TStgMedium& medium) override;
    bool DoSetData(const TFormatEtc& format, TStgMedium& medium) override;

private:
    TStgMedium medium_;
};

class TRawDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TRawDataFormat, TCustomDataFormat)
public:
    explicit TRawDataFormat(TComponent* owner, const TClassInfo& cls = StaticClass())
        : TCustomDataFormat(owner, cls) {}
    void Clear() override;
    bool HasData() override;
    bool NeedsData() override;
};

}  // namespace kiv

#include "dragdrop/core/Formats.h"

#include <algorithm>
#include <map>

#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

std::string Format1(const char* pattern, const std::string& a) {
    std::string s(pattern);
    const size_t p = s.find("%s");
    if (p != std::string::npos) s.replace(p, 2, a);
    return s;
}

struct NamedFormats {
    std::map<std::string, uint16_t> ids;  // by upper-cased name
    std::vector<std::string> names;       // by id - 0xC000
};

NamedFormats& Named() {
    static NamedFormats n;
    return n;
}

}  // namespace

uint16_t RegisterClipboardFormat(const std::string& name) {
    if (name.empty()) return 0;
    auto& n = Named();
    const std::string key = UpperCase(name);
    auto it = n.ids.find(key);
    if (it != n.ids.end()) return it->second;
    if (n.names.size() >= 0x4000) return 0;
    const uint16_t id = uint16_t(0xC000 + n.names.size());
    n.names.push_back(name);
    n.ids.emplace(key, id);
    return id;
}

std::string ClipboardFormatNameOf(uint16_t id) {
    const auto& n = Named();
    if (id < 0xC000 || size_t(id - 0xC000) >= n.names.size()) return {};
    return n.names[id - 0xC000].substr(0, 255);
}

TShiftState KeyStateToShiftState(uint32_t keyState) {
    TShiftState s = 0;
    if (keyState & MK_SHIFT) s |= ssShift;
    if (keyState & MK_CONTROL) s |= ssCtrl;
    if (keyState & MK_ALT) s |= ssAlt;
    if (keyState & MK_LBUTTON) s |= ssLeft;
    if (keyState & MK_RBUTTON) s |= ssRight;
    if (keyState & MK_MBUTTON) s |= ssMiddle;
    return s;
}

uint32_t ShiftStateToDropEffect(TShiftState shift, uint32_t allowed, bool fallBack) {
    const bool sh = shift & ssShift, ctrl = shift & ssCtrl;
    uint32_t want = sh && ctrl ? DROPEFFECT_LINK : ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    if (allowed & want) return want;
    if (fallBack)
        for (uint32_t e : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
            if (allowed & e) return e;
    return DROPEFFECT_NONE;
}

uint32_t DragTypesToDropEffect(TDragTypes types) {
    uint32_t e = 0;
    if (types & DragTypeBit(dtCopy)) e |= DROPEFFECT_COPY;
    if (types & DragTypeBit(dtMove)) e |= DROPEFFECT_MOVE;
    if (types & DragTypeBit(dtLink)) e |= DROPEFFECT_LINK;
    return e;
}

bool DropEffectToDragType(uint32_t effect, TDragType& type) {
    if (effect & DROPEFFECT_COPY) type = dtCopy;
    else if (effect & DROPEFFECT_MOVE) type = dtMove;
    else if (effect & DROPEFFECT_LINK) type = dtLink;
    else return false;
    return true;
}

TDragResult DropEffectToDragResult(uint32_t effect) {
    switch (effect) {
    case DROPEFFECT_NONE: return drCancel;
    case DROPEFFECT_COPY: return drDropCopy;
    case DROPEFFECT_MOVE: return drDropMove;
    case DROPEFFECT_LINK: return drDropLink;
    default: return drUnknown;
    }
}

bool CopyStgMediumDynamic(const TStgMedium& source, TStgMedium& dest) {
    if (source.tymed == TYMED_NULL) return false;
    dest = source;
    return true;
}

// --- TClipboardFormat

TClipboardFormat::TClipboardFormat(uint32_t tymed) { format_.tymed = tymed; }

TClipboardFormat::TClipboardFormat(const TFormatEtc& format) : format_(format), idKnown_(true) {}

const TFormatEtc& TClipboardFormat::FormatEtc() {
    if (!idKnown_) {
        format_.cfFormat = GetClipboardFormat();
        idKnown_ = true;
    }
    return format_;
}

uint16_t TClipboardFormat::GetClipboardFormat() {
    throw EDragDropError(std::string("Internal error: ") + ClassType().name +
                         ".GetClipboardFormat needs implementation");
}

void TClipboardFormat::SetClipboardFormat(uint16_t id) {
    format_.cfFormat = id;
    idKnown_ = true;
}

std::string TClipboardFormat::GetClipboardFormatName() {
    return ClipboardFormatNameOf(ClipboardFormat());
}

void TClipboardFormat::SetClipboardFormatName(const std::string&) {
    throw EDragDropError(Format1("%s.ClipboardFormat is read-only", ClassType().name));
}

bool TClipboardFormat::HasValidFormats(IDataObject& data) {
    return data.QueryGetData(FormatEtc()) == S_OK;
}

bool TClipboardFormat::AcceptFormat(const TFormatEtc& offered) {
    const TFormatEtc& own = FormatEtc();
    return offered.cfFormat == own.cfFormat && offered.dwAspect == own.dwAspect &&
           (offered.tymed & own.tymed) != 0;
}

bool TClipboardFormat::GetData(IDataObject& data) {
    Clear();
    TStgMedium medium;
    if (data.GetData(FormatEtc(), medium) != S_OK) return false;
    return GetDataFromMedium(&data, medium);
}

bool TClipboardFormat::GetDataFromMedium(IDataObject* data, TStgMedium& medium) {
    Clear();
    bool ok = false;
    if (medium.tymed & FormatEtc().tymed) ok = DoGetData(data, medium);
    ReleaseStgMedium(medium);
    return ok;
}

bool TClipboardFormat::SetDataToMedium(const TFormatEtc& format, TStgMedium& medium) {
    medium = TStgMedium{};
    const TFormatEtc& own = FormatEtc();
    if (format.cfFormat != own.cfFormat || format.dwAspect != own.dwAspect ||
        !(format.tymed & own.tymed))
        return false;
    return DoSetData(format, medium);
}

bool TClipboardFormat::SetData(IDataObject& data, const TFormatEtc& format, TStgMedium& medium) {
    bool ok = SetDataToMedium(format, medium) && data.SetData(FormatEtc(), medium, true) == S_OK;
    if (!ok) ReleaseStgMedium(medium);
    return ok;
}

// --- TClipboardFormats

void TClipboardFormats::Add(TClipboardFormat* f) {
    items_.push_back(f);
    if (owns_ && dataFormat_) f->DataFormat = dataFormat_;
}

void TClipboardFormats::Clear() {
    if (owns_)
        for (auto* f : items_) delete f;
    items_.clear();
}

TClipboardFormat* TClipboardFormats::FindFormat(const TClassInfo& cls) const {
    for (auto* f : items_)
        if (f->ClassType().InheritsFrom(cls)) return f;
    return nullptr;
}

// --- TCustomDataFormat

TCustomDataFormat::TCustomDataFormat(TComponent* owner, const TClassInfo& cls)
    : owner_(owner), formats_(this, true) {
    TDataFormatOwner* multi = nullptr;
    if (owner) {
        multi = dynamic_cast<TDataFormatOwner*>(owner);
        if (!multi)
            throw EDragDropError(
                std::string(owner->ClassType().name) + " is not a valid owner for " + cls.name +
                ". Owner must be derived from TCustomDropMultiSource or TCustomDropMultiTarget");
        side_ = multi->DataFormatSide();
    }
    DataFormatMap().BuildClipboardFormats(cls, formats_, side_);
    if (multi) multi->OwnedDataFormats().Add(this);
}

TCustomDataFormat::~TCustomDataFormat() {
    if (auto* multi = dynamic_cast<TDataFormatOwner*>(owner_))
        multi->OwnedDataFormats().Remove(this);
}

bool TCustomDataFormat::GetData(IDataObject& data) {
    bool result = false;
    for (size_t i = 0; NeedsData() && i < formats_.Count(); ++i) {
        TClipboardFormat* f = formats_[i];
        f->Clear();
        if (f->GetData(data) && f->HasData() && Assign(*f)) {
            f->Clear();
            result = true;
        }
    }
    return result;
}

bool TCustomDataFormat::HasValidFormats(IDataObject& data) {
    for (auto* f : formats_.Items())
        if (f->HasValidFormats(data)) return true;
    return false;
}

bool TCustomDataFormat::AcceptFormat(const TFormatEtc& format) {
    for (auto* f : formats_.Items())
        if (f->AcceptFormat(format)) return true;
    return false;
}

// --- TDataFormats, TDataFormatClasses

TDataFormats::~TDataFormats() { items_.clear(); }

int TDataFormats::Add(TCustomDataFormat* f) {
    int i = IndexOf(f);
    if (i >= 0) return i;
    items_.push_back(f);
    return int(items_.size()) - 1;
}

int TDataFormats::IndexOf(const TCustomDataFormat* f) const {
    auto it = std::find(items_.begin(), items_.end(), f);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

void TDataFormats::Remove(TCustomDataFormat* f) { std::erase(items_, f); }

void TDataFormatClasses::Add(const TClassInfo& cls) {
    if (std::find(items_.begin(), items_.end(), &cls) == items_.end()) items_.push_back(&cls);
}

void TDataFormatClasses::Remove(const TClassInfo& cls) { std::erase(items_, &cls); }

// --- TDataFormatMap

void TDataFormatMap::AddPair(const TClassInfo& d, const TClassInfo& c, int32_t priority,
                             TConversionScopes scope, TDataDirections direction) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const TDataFormatMapEntry& e) {
        return e.dataFormat->InheritsFrom(d) && e.clipboardFormat->InheritsFrom(c);
    });
    TDataFormatMapEntry entry{&d, &c, priority, scope, direction};
    if (it != entries_.end()) {
        entry.scope |= it->scope;
        entry.direction |= it->direction;
        entries_.erase(it);
    }
    // Among the entries of one data format: ascending priority, the later registered
    // first among equals. The entry goes into the run of its class, or stays last.
    ptrdiff_t j = ptrdiff_t(entries_.size()) - 1;
    while (j >= 0 && entries_[j].dataFormat != &d) --j;
    if (j < 0) {
        entries_.push_back(entry);
        return;
    }
    while (j >= 0 && entries_[j].dataFormat == &d && entries_[j].priority >= priority) --j;
    entries_.insert(entries_.begin() + (j + 1), entry);
}

void TDataFormatMap::RemoveDataFormatClass(const TClassInfo& cls) {
    std::erase_if(entries_,
                  [&](const TDataFormatMapEntry& e) { return e.dataFormat->InheritsFrom(cls); });
}

void TDataFormatMap::RemoveClipboardFormatClass(const TClassInfo& cls) {
    std::erase_if(entries_, [&](const TDataFormatMapEntry& e) {
        return e.clipboardFormat->InheritsFrom(cls);
    });
}

void TDataFormatMap::BuildClipboardFormats(const TClassInfo& d, TClipboardFormats& list,
                                           TConversionScopes side) const {
    list.Clear();
    for (const auto& e : entries_) {
        if (!(e.scope & side) || !d.InheritsFrom(*e.dataFormat) || !e.clipboardFormat->create)
            continue;
        TClipboardFormat* f = e.clipboardFormat->create();
        f->Direction = e.direction;
        list.Add(f);
    }
}

namespace {

struct Registry {
    TDataFormatClasses classes;
    TDataFormatMap map;
    Registry() { RegisterStandardFormats(map, classes); }
};

Registry& TheRegistry() {
    static Registry r;
    return r;
}

}  // namespace

TDataFormatClasses& DataFormatClasses() { return TheRegistry().classes; }
TDataFormatMap& DataFormatMap() { return TheRegistry().map; }

void RegisterDataFormat(const TClassInfo& cls) { DataFormatClasses().Add(cls); }

void RemoveDataFormatClass(const TClassInfo& cls) {
    DataFormatMap().RemoveDataFormatClass(cls);
    DataFormatClasses().Remove(cls);
}

void RegisterDataConversion(const TClassInfo& d, const TClassInfo& c, int32_t priority,
                            TConversionScopes scope, TDataDirections direction) {
    DataFormatMap().AddPair(d, c, priority, scope, direction);
}

void RemoveClipboardFormatClass(const TClassInfo& cls) {
    DataFormatMap().RemoveClipboardFormatClass(cls);
}

// --- raw formats

TRawClipboardFormat::TRawClipboardFormat() : TClipboardFormat(TYMED_HGLOBAL) {
    throw EDragDropError(
        Format1("The %s class can not be instantiated with the default constructor",
                "TRawClipboardFormat"));
}

TRawClipboardFormat::TRawClipboardFormat(const TFormatEtc& format) : TClipboardFormat(format) {}

void TRawClipboardFormat::SetClipboardFormatName(const std::string& name) {
    SetClipboardFormat(RegisterClipboardFormat(name));
}

bool TRawClipboardFormat::Assign(TCustomDataFormat& source) {
    return source.ClassType().InheritsFrom(TRawDataFormat::StaticClass());
}

bool TRawClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    return dest.ClassType().InheritsFrom(TRawDataFormat::StaticClass());
}

bool TRawClipboardFormat::DoGetData(IDataObject*, const TStgMedium& medium) {
    return CopyStgMediumDynamic(medium, medium_);
}

bool TRawClipboardFormat::DoSetData(const TFormatEtc&, TStgMedium& medium) {
    return CopyStgMediumDynamic(medium_, medium);
}

void TRawDataFormat::Clear() {
    Changing();
    for (auto* f : CompatibleFormats().Items()) f->Clear();
}

bool TRawDataFormat::HasData() {
    for (auto* f : CompatibleFormats().Items())
        if (f->HasData()) return true;
    return false;
}

bool TRawDataFormat::NeedsData() {
    for (auto* f : CompatibleFormats().Items())
        if (!f->HasData()) return true;
    return false;
}

}  // namespace kiv

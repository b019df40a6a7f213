#pragma once
// The vocabulary shared by drop sources, drop targets and their formats: result codes,
// format descriptions, storage media, drop effects and the data-object interfaces. The
// values are those of the Windows protocol, so that feedback formats keep their meaning.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/KivError.h"

namespace kiv {

using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = int32_t(0x80004001);
constexpr HRESULT E_FAIL = int32_t(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = int32_t(0x8007000E);
constexpr HRESULT E_UNEXPECTED = int32_t(0x8000FFFF);
constexpr HRESULT DV_E_FORMATETC = int32_t(0x80040064);
constexpr HRESULT DV_E_CLIPFORMAT = int32_t(0x8004006A);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = int32_t(0x80040003);
constexpr HRESULT DATA_S_SAMEFORMATETC = 0x00040130;
constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;
inline bool Succeeded(HRESULT hr) { return hr >= 0; }

// Media types (a mask in a format description, one value in a medium).
constexpr uint32_t TYMED_NULL = 0;
constexpr uint32_t TYMED_HGLOBAL = 1;
constexpr uint32_t TYMED_FILE = 2;
constexpr uint32_t TYMED_ISTREAM = 4;
constexpr uint32_t TYMED_ISTORAGE = 8;
constexpr uint32_t TYMED_GDI = 16;
constexpr uint32_t TYMED_MFPICT = 32;
constexpr uint32_t TYMED_ENHMF = 64;
constexpr uint32_t DVASPECT_CONTENT = 1;
constexpr uint32_t DATADIR_GET = 1;
constexpr uint32_t DATADIR_SET = 2;

constexpr uint32_t DROPEFFECT_NONE = 0;
constexpr uint32_t DROPEFFECT_COPY = 1;
constexpr uint32_t DROPEFFECT_MOVE = 2;
constexpr uint32_t DROPEFFECT_LINK = 4;
constexpr uint32_t DROPEFFECT_SCROLL = 0x80000000u;

// Key state of the drag protocol.
constexpr uint32_t MK_LBUTTON = 0x01;
constexpr uint32_t MK_RBUTTON = 0x02;
constexpr uint32_t MK_SHIFT = 0x04;
constexpr uint32_t MK_CONTROL = 0x08;
constexpr uint32_t MK_MBUTTON = 0x10;
constexpr uint32_t MK_ALT = 0x20;

// Predefined clipboard format ids.
constexpr uint16_t CF_TEXT = 1;
constexpr uint16_t CF_BITMAP = 2;
constexpr uint16_t CF_METAFILEPICT = 3;
constexpr uint16_t CF_OEMTEXT = 7;
constexpr uint16_t CF_DIB = 8;
constexpr uint16_t CF_PALETTE = 9;
constexpr uint16_t CF_UNICODETEXT = 13;
constexpr uint16_t CF_ENHMETAFILE = 14;
constexpr uint16_t CF_HDROP = 15;

// One representation of a value: format id, aspect, index and the media it may travel in.
// The target device of the Windows structure is always none here.
struct TFormatEtc {
    uint16_t cfFormat = 0;
    uint32_t dwAspect = DVASPECT_CONTENT;
    int32_t lindex = -1;
    uint32_t tymed = TYMED_NULL;
    bool operator==(const TFormatEtc&) const = default;
};

// A storage medium. Global memory and streams both carry a block of bytes; other media
// (pictures) carry theirs in the same block.
struct TStgMedium {
    uint32_t tymed = TYMED_NULL;
    std::string data;
};
inline void ReleaseStgMedium(TStgMedium& m) { m = TStgMedium{}; }

using TDataDirections = uint8_t;
constexpr TDataDirections ddRead = 1;
constexpr TDataDirections ddWrite = 2;
using TConversionScopes = uint8_t;
constexpr TConversionScopes csSource = 1;
constexpr TConversionScopes csTarget = 2;

enum TDragType : uint8_t { dtCopy, dtMove, dtLink };
using TDragTypes = uint8_t;  // bit (1 << TDragType)
constexpr TDragTypes DragTypeBit(TDragType t) { return TDragTypes(1u << t); }
enum TDragResult : uint8_t {
    drDropCopy = 0,
    drDropMove = 1,
    drDropLink = 2,
    drCancel = 3,
    drOutMemory = 4,
    drUnknown = 6
};

// The shift state of the class library: a set of keys and buttons.
enum TShiftFlag : uint8_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32
};
using TShiftState = uint8_t;

inline int DragDropScrollDelay = 50;
inline int DragDropScrollInterval = 50;

class EDragDropError : public EKivError {
public:
    using EKivError::EKivError;
};

class IEnumFormatEtc {
public:
    virtual ~IEnumFormatEtc() = default;
    // Copies up to n descriptions from the current index; S_FALSE when fewer were left.
    virtual HRESULT Next(uint32_t n, std::vector<TFormatEtc>& out, uint32_t* fetched) = 0;
    virtual HRESULT Skip(uint32_t n) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(std::unique_ptr<IEnumFormatEtc>& out) = 0;
};

class IDataObject {
public:
    virtual ~IDataObject() = default;
    virtual HRESULT GetData(const TFormatEtc& format, TStgMedium& medium) = 0;
    virtual HRESULT GetDataHere(const TFormatEtc&, TStgMedium&) { return E_NOTIMPL; }
    virtual HRESULT QueryGetData(const TFormatEtc& format) = 0;
    virtual HRESULT GetCanonicalFormatEtc(const TFormatEtc& in, TFormatEtc& out) {
        out = in;
        return DATA_S_SAMEFORMATETC;
    }
    virtual HRESULT SetData(const TFormatEtc& format, TStgMedium& medium, bool release) = 0;
    virtual HRESULT EnumFormatEtc(uint32_t direction, std::unique_ptr<IEnumFormatEtc>& out) = 0;
    virtual HRESULT DAdvise() { return OLE_E_ADVISENOTSUPPORTED; }
    virtual HRESULT DUnadvise() { return OLE_E_ADVISENOTSUPPORTED; }
    virtual HRESULT EnumDAdvise() { return OLE_E_ADVISENOTSUPPORTED; }
};

// A data object handed to the windowing system stays reachable only while its owner
// lives: the owner clears the link when it goes.
struct TDataObjectLink {
    IDataObject* object = nullptr;
};
using TDataObjectRef = std::shared_ptr<TDataObjectLink>;

class IDropSource {
public:
    virtual ~IDropSource() = default;
    virtual HRESULT QueryContinueDrag(bool escapePressed, uint32_t keyState) = 0;
    virtual HRESULT GiveFeedback(uint32_t effect) = 0;
};

class IAsyncOperation {
public:
    virtual ~IAsyncOperation() = default;
    virtual HRESULT SetAsyncMode(int32_t flag) = 0;
    virtual HRESULT GetAsyncMode(int32_t& flag) = 0;
    virtual HRESULT StartOperation() = 0;
    virtual HRESULT InOperation(int32_t& flag) = 0;
    virtual HRESULT EndOperation(HRESULT result, uint32_t effects) = 0;
};

// Named clipboard formats: one id per name (compared without regard to case), from 0xC000
// on, fixed for the run. Predefined ids have no name.
uint16_t RegisterClipboardFormat(const std::string& name);
std::string ClipboardFormatNameOf(uint16_t id);

// Drop-effect helpers shared by sources and targets.
TShiftState KeyStateToShiftState(uint32_t keyState);
uint32_t ShiftStateToDropEffect(TShiftState shift, uint32_t allowed, bool fallBack);
uint32_t DragTypesToDropEffect(TDragTypes types);
bool DropEffectToDragType(uint32_t effect, TDragType& type);
TDragResult DropEffectToDragResult(uint32_t effect);
// Copies a medium; false for an empty one.
bool CopyStgMediumDynamic(const TStgMedium& source, TStgMedium& dest);

}  // namespace kiv

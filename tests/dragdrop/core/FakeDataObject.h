#pragma once
// A data object holding fixed blocks per format and index, as another program would offer them.
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "dragdrop/core/DropSource.h"

namespace kiv::test {

class FakeDataObject : public IDataObject {
public:
    void Put(uint16_t id, std::string bytes, int32_t lindex = -1, uint32_t tymed = TYMED_HGLOBAL) {
        blocks_[{id, lindex}] = {tymed, std::move(bytes)};
    }
    void Put(const std::string& name, std::string bytes, int32_t lindex = -1,
             uint32_t tymed = TYMED_HGLOBAL) {
        Put(RegisterClipboardFormat(name), std::move(bytes), lindex, tymed);
    }
    HRESULT GetData(const TFormatEtc& f, TStgMedium& m) override {
        auto it = blocks_.find({f.cfFormat, f.lindex});
        if (it == blocks_.end() || !(it->second.first & f.tymed)) return DV_E_FORMATETC;
        m.tymed = it->second.first;
        m.data = it->second.second;
        return S_OK;
    }
    HRESULT QueryGetData(const TFormatEtc& f) override {
        TStgMedium m;
        return GetData(f, m);
    }
    HRESULT SetData(const TFormatEtc&, TStgMedium&, bool) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(uint32_t, std::unique_ptr<IEnumFormatEtc>&) override { return E_NOTIMPL; }

private:
    std::map<std::pair<uint16_t, int32_t>, std::pair<uint32_t, std::string>> blocks_;
};

// The names of a list of clipboard formats, in order.
inline std::vector<std::string> ClassNames(const TClipboardFormats& list) {
    std::vector<std::string> names;
    for (auto* f : list.Items()) names.push_back(f->ClassType().name);
    return names;
}

// The message a call raises.
inline std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EDragDropError& e) {
        return e.what();
    }
    return "(nothing raised)";
}

inline std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s += char(c);
    return s;
}

}  // namespace kiv::test

#pragma once
// Shell item ID lists ("Shell IDList Array"), here lists of path segments, and their
// conversion to and from file names.
#include <string>
#include <vector>

#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/SimpleFormats.h"

namespace kiv {

// The common parent list of some paths (raises "Invalid filename: %s" for a path that is
// not absolute), and the lists of the paths relative to it, parent first. False, with the
// list cleared, when a path cannot be converted.
std::string CommonParentPIDL(const std::vector<std::string>& paths);
bool FilenamesToPIDLs(const std::vector<std::string>& paths, std::vector<std::string>& lists);
// The path of item i of a parent-plus-items list; "" when it has none. Raises
// "Filename index out of range" for an index outside the items.
std::string PIDLFilename(const std::vector<std::string>& lists, int i);
std::vector<std::string> PIDLFilenames(const std::vector<std::string>& lists);

class TPIDLDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TPIDLDataFormat, TCustomDataFormat)
public:
    explicit TPIDLDataFormat(TComponent* owner = nullptr, const TClassInfo& cls = StaticClass())
        : TCustomDataFormat(owner, cls) {}
    const std::vector<std::string>& PIDLs() const { return pidls_; }
    void SetPIDLs(std::vector<std::string> v) {
        Changing();
        pidls_ = std::move(v);
    }
    std::vector<std::string> Filenames() const { return PIDLFilenames(pidls_); }
    void Clear() override { SetPIDLs({}); }
    bool HasData() override { return !pidls_.empty(); }

private:
    std::vector<std::string> pidls_;
};

class TPIDLClipboardFormat : public TCustomSimpleClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TPIDLClipboardFormat, TCustomSimpleClipboardFormat)
    KIV_NAMED_FORMAT("Shell IDList Array")
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override;
    void Clear() override { pidls_.clear(); }
    bool HasData() override { return pidls_.size() >= 2; }
    std::vector<std::string>& PIDLs() { return pidls_; }
    bool Assign(TCustomDataFormat& source) override;
    bool AssignTo(TCustomDataFormat& dest) override;

private:
    std::vector<std::string> pidls_;
};

}  // namespace kiv

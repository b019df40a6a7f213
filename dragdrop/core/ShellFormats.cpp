#include "dragdrop/core/ShellFormats.h"

#include <cstring>

#include "dragdrop/core/ShellCodecs.h"
#include "platform/core/KivStrings.h"

namespace kiv {

std::string CommonParentPIDL(const std::vector<std::string>& paths) {
    std::string parent;
    for (size_t k = 0; k < paths.size(); ++k) {
        const std::string pidl = ClipCodec::PathToPIDL(paths[k]);
        if (pidl.empty()) throw EDragDropError("Invalid filename: " + paths[k]);
        if (k == 0) {
            parent = pidl;
            continue;
        }
        // Keep the items both lists share, closed by a zero.
        size_t pos = 0;
        while (pos + 2 < parent.size() && pos + 2 < pidl.size()) {
            const uint16_t a = GetU16(parent.data() + pos), b = GetU16(pidl.data() + pos);
            if (a != b || parent.compare(pos, a, pidl, pos, b) != 0) break;
            pos += a;
        }
        parent = parent.substr(0, pos).append(2, '\0');
    }
    return parent;
}

bool FilenamesToPIDLs(const std::vector<std::string>& paths, std::vector<std::string>& lists) {
    lists.clear();
    if (paths.empty()) return true;
    std::string parent;
    try {
        parent = CommonParentPIDL(paths);
    } catch (const EDragDropError&) {
        return false;
    }
    lists.push_back(parent);
    const size_t skip = parent.size() - 2;
    for (const auto& p : paths) lists.push_back(ClipCodec::PathToPIDL(p).substr(skip));
    return true;
}

std::string PIDLFilename(const std::vector<std::string>& lists, int i) {
    if (i < 0 || lists.size() < 2 || size_t(i) >= lists.size() - 1)
        throw EDragDropError("Filename index out of range");
    std::string path;
    return ClipCodec::PIDLToPath(ClipCodec::JoinPIDLs(lists[0], lists[size_t(i) + 1]), path)
               ? path
               : std::string();
}

std::vector<std::string> PIDLFilenames(const std::vector<std::string>& lists) {
    std::vector<std::string> names;
    for (size_t i = 1; i < lists.size(); ++i) names.push_back(PIDLFilename(lists, int(i - 1)));
    return names;
}

bool TPIDLClipboardFormat::ReadData(std::string_view block) {
    return ClipCodec::ReadCIDA(block, pidls_);
}

size_t TPIDLClipboardFormat::GetSize() { return ClipCodec::CIDABytes(pidls_).size(); }

bool TPIDLClipboardFormat::WriteData(char* buffer, size_t size) {
    const std::string block = ClipCodec::CIDABytes(pidls_);
    if (size != block.size() || block.empty()) return false;
    std::memcpy(buffer, block.data(), size);
    return true;
}

bool TPIDLClipboardFormat::Assign(TCustomDataFormat& source) {
    if (auto* p = DataFormatAs<TPIDLDataFormat>(source)) {
        pidls_ = p->PIDLs();
        return true;
    }
    if (auto* f = DataFormatAs<TFileDataFormat>(source))
        return FilenamesToPIDLs(f->Files().Items(), pidls_) && pidls_.size() >= 2;
    return false;
}

bool TPIDLClipboardFormat::AssignTo(TCustomDataFormat& dest) {
    if (auto* p = DataFormatAs<TPIDLDataFormat>(dest)) {
        p->SetPIDLs(pidls_);
        return true;
    }
    if (auto* f = DataFormatAs<TFileDataFormat>(dest)) {
        std::vector<std::string> names;
        for (auto& n : PIDLFilenames(pidls_))
            if (!n.empty()) names.push_back(n);
        f->Files().Assign(std::move(names));
        return f->Files().Count() > 0;
    }
    return false;
}

}  // namespace kiv
